// Cross-thread calls on POSIX: each thread that owns targets has one queue, drained by
// PumpMessages on that thread. Sent calls go before posted ones and are also handled by a thread
// that is itself waiting in Send, as Windows does with sent messages.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/MessageTarget.h"
#include "platform/Thread.h"

namespace pw {

namespace {

struct ThreadQueue;

// A pending Send: the sender waits on its own thread's queue, so that it can handle calls sent
// to it meanwhile. Fields are guarded by reply->mutex.
struct SendSlot {
    std::shared_ptr<ThreadQueue> reply;
    bool done = false;
    bool ok = false;
};

struct Item {
    std::shared_ptr<MessageTargetState> target;
    uintptr_t wParam;
    intptr_t lParam;
    std::shared_ptr<SendSlot> slot;  // empty for a post
};

struct ThreadQueue {
    std::mutex mutex;
    std::condition_variable changed;  // new work, a reply, or a handler that ended
    std::deque<Item> sent;
    std::deque<Item> posted;
    bool closed = false;  // the thread has ended: nothing will be handled any more
};

void Complete(const std::shared_ptr<SendSlot>& slot, bool ok) {
    ThreadQueue& reply = *slot->reply;
    {
        std::lock_guard<std::mutex> lock(reply.mutex);
        slot->done = true;
        slot->ok = ok;
    }
    reply.changed.notify_all();
}

// Empties a thread's queue when the thread ends, so that senders waiting on it are released.
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue = std::make_shared<ThreadQueue>();
    ~QueueHolder();
};

std::shared_ptr<ThreadQueue> CurrentQueue() {
    thread_local QueueHolder holder;
    return holder.queue;
}

}  // namespace

struct MessageTargetState {
    MessageTargetState(std::shared_ptr<ThreadQueue> q, MessageTarget::Handler h)
        : queue(std::move(q)), handler(std::move(h)), owner(CurrentThreadId()) {}

    const std::shared_ptr<ThreadQueue> queue;  // the owner thread's
    const MessageTarget::Handler handler;
    const ThreadId owner;
    // Guarded by queue->mutex.
    bool alive = true;
    uint32_t limit = 10000;
    uint32_t queuedPosts = 0;
    int running = 0;  // handlers in progress on the owner thread
};

namespace {

QueueHolder::~QueueHolder() {
    std::deque<Item> sent;
    std::deque<Item> posted;
    {
        std::lock_guard<std::mutex> lock(queue->mutex);
        queue->closed = true;
        sent.swap(queue->sent);
        posted.swap(queue->posted);
        for (Item& item : posted) item.target->queuedPosts--;
    }
    for (Item& item : sent) Complete(item.slot, false);
}

// Runs the handler on the owner thread, outside the queue's lock (a handler may send, post,
// pump or destroy targets).
bool Run(MessageTargetState& target, uintptr_t wParam, intptr_t lParam) {
    bool ok = true;
    try {
        target.handler(wParam, lParam);
    } catch (...) {
        ok = false;  // nothing may unwind into the pump, as nothing may unwind out of a window procedure
    }
    bool wake;
    {
        std::lock_guard<std::mutex> lock(target.queue->mutex);
        wake = --target.running == 0 && !target.alive;
    }
    if (wake)
        target.queue->changed.notify_all();  // a destructor on another thread waits for this
    return ok;
}

enum class Kind { Sent, Posted };

// Handles the next item of the given kind from the calling thread's queue; false when there
// was none.
bool HandleOne(ThreadQueue& queue, Kind kind) {
    Item item;
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        std::deque<Item>& list = kind == Kind::Sent ? queue.sent : queue.posted;
        if (list.empty())
            return false;
        item = std::move(list.front());
        list.pop_front();
        if (kind == Kind::Posted)
            item.target->queuedPosts--;
        // Queued items of a destroyed target were removed with it, so this one is alive.
        item.target->running++;
    }
    bool ok = Run(*item.target, item.wParam, item.lParam);
    if (item.slot)
        Complete(item.slot, ok);
    return true;
}

// Handles what was queued when it started, sent items first. Items that arrive meanwhile wait
// for the next call: threads posting without pause must not keep the owner here forever.
int HandleQueued(ThreadQueue& queue) {
    size_t sent, posted;
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        sent = queue.sent.size();
        posted = queue.posted.size();
    }
    int handled = 0;
    while (sent > 0 && HandleOne(queue, Kind::Sent)) --sent, ++handled;
    while (posted > 0 && HandleOne(queue, Kind::Posted)) --posted, ++handled;
    return handled;
}

bool PostTo(const std::shared_ptr<MessageTargetState>& target, uintptr_t wParam, intptr_t lParam) {
    ThreadQueue& queue = *target->queue;
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        if (!target->alive || queue.closed || target->queuedPosts >= target->limit)
            return false;
        queue.posted.push_back(Item{target, wParam, lParam, nullptr});
        target->queuedPosts++;
    }
    queue.changed.notify_all();
    return true;
}

bool SendTo(const std::shared_ptr<MessageTargetState>& target, uintptr_t wParam, intptr_t lParam) {
    ThreadQueue& queue = *target->queue;
    if (CurrentThreadId() == target->owner) {
        {
            std::lock_guard<std::mutex> lock(queue.mutex);
            if (!target->alive)
                return false;
            target->running++;
        }
        return Run(*target, wParam, lParam);
    }

    std::shared_ptr<ThreadQueue> mine = CurrentQueue();
    auto slot = std::make_shared<SendSlot>();
    slot->reply = mine;
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        if (!target->alive || queue.closed)
            return false;
        queue.sent.push_back(Item{target, wParam, lParam, slot});
    }
    queue.changed.notify_all();

    std::unique_lock<std::mutex> lock(mine->mutex);
    while (!slot->done) {
        if (!mine->sent.empty()) {
            // Someone sends to us while we wait: handle it, or two threads sending to each
            // other would wait forever.
            lock.unlock();
            HandleOne(*mine, Kind::Sent);
            lock.lock();
            continue;
        }
        mine->changed.wait(lock);
    }
    return slot->ok;
}

}  // namespace

struct MessageTarget::Impl {
    std::shared_ptr<MessageTargetState> state;
};

MessageTarget::MessageTarget(const std::wstring& /*windowName*/, const std::wstring& /*messageName*/,
                             Handler handler)
    : impl_(std::make_unique<Impl>(
          Impl{std::make_shared<MessageTargetState>(CurrentQueue(), std::move(handler))})) {}

MessageTarget::~MessageTarget() {
    MessageTargetState& target = *impl_->state;
    ThreadQueue& queue = *target.queue;
    std::vector<Item> dropped;  // released outside the lock
    {
        std::unique_lock<std::mutex> lock(queue.mutex);
        target.alive = false;
        for (auto* list : {&queue.sent, &queue.posted}) {
            auto ours = std::stable_partition(list->begin(), list->end(),
                                              [&](const Item& item) { return item.target.get() != &target; });
            std::move(ours, list->end(), std::back_inserter(dropped));
            list->erase(ours, list->end());
        }
        target.queuedPosts = 0;
        if (CurrentThreadId() != target.owner) {
            queue.changed.wait(lock, [&] { return target.running == 0; });
        }
    }
    for (Item& item : dropped) {
        if (item.slot)
            Complete(item.slot, false);
    }
}

bool MessageTarget::Send(uintptr_t wParam, intptr_t lParam) {
    return SendTo(impl_->state, wParam, lParam);
}

bool MessageTarget::Post(uintptr_t wParam, intptr_t lParam) {
    return PostTo(impl_->state, wParam, lParam);
}

MessageTarget::Address MessageTarget::GetAddress() const {
    Address address;
    address.state_ = impl_->state;
    return address;
}

bool MessageTarget::Address::Send(uintptr_t wParam, intptr_t lParam) const {
    return state_ && SendTo(state_, wParam, lParam);
}

bool MessageTarget::Address::Post(uintptr_t wParam, intptr_t lParam) const {
    return state_ && PostTo(state_, wParam, lParam);
}

void MessageTarget::SetQueueLimit(uint32_t limit) {
    std::lock_guard<std::mutex> lock(impl_->state->queue->mutex);
    impl_->state->limit = limit;
}

uint64_t MessageTarget::OwnerThread() const {
    return impl_->state->owner;
}

int PumpMessages(uint32_t timeoutMs) {
    std::shared_ptr<ThreadQueue> queue = CurrentQueue();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int handled = 0;
    for (;;) {
        handled += HandleQueued(*queue);
        if (handled > 0 || timeoutMs == 0)
            return handled;
        std::unique_lock<std::mutex> lock(queue->mutex);
        if (!queue->sent.empty() || !queue->posted.empty())
            continue;
        if (timeoutMs == kInfinite) {
            queue->changed.wait(lock);
        } else if (queue->changed.wait_until(lock, deadline) == std::cv_status::timeout &&
                   queue->sent.empty() && queue->posted.empty()) {
            return 0;
        }
    }
}

}  // namespace pw
