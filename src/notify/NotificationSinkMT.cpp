#include "notify/NotificationSinkMT.h"

#include <utility>

#include "platform/Time.h"

CQELNotificationSinkMT::CQELNotificationSinkMT()
    : target_(std::make_unique<pw::MessageTarget>(
          L"QELNotificationSinkMT_MsgWnd", L"QELNotificationSinkMTOnEvent",
          [this](uintptr_t wParam, intptr_t lParam) { OnMessage(wParam, lParam); })),
      address_(target_->GetAddress()),
      owner_(target_->OwnerThread()) {}

CQELNotificationSinkMT::~CQELNotificationSinkMT() {
    UnadviseAll();
    {
        pw::ScopedLock lock(lock_);
        closing_ = true;
    }
    // Drops the posted events still queued and releases raisers waiting for their sent event;
    // raisers sleeping between posting attempts see closing_ and give up. All of them must have
    // left OnEvent before the members they use go away.
    target_.reset();
    for (;;) {
        {
            pw::ScopedLock lock(lock_);
            if (raisersInside_ == 0)
                return;
        }
        pw::SleepMs(1);
    }
}

bool CQELNotificationSinkMT::Advise(CQELNotificationConnection* connection, uint32_t code, Handler handler) {
    {
        pw::ScopedLock lock(lock_);
        handlers_[code] = std::move(handler);  // before subscribing, so the first event finds it
    }
    return CQELNotificationSink::Advise(connection, code);
}

void CQELNotificationSinkMT::OnEvent(uint32_t code, uintptr_t wParam, intptr_t lParam, uint32_t flags) {
    const EventRecord event{code, wParam, lParam, flags};
    if (pw::CurrentThreadId() == owner_) {
        // Sending to one's own thread is a direct call. Nothing may touch the sink after the
        // handler ran: it may have destroyed the sink.
        if (!(flags & qelEventPost) || (flags & qelEventDirectOnOwner)) {
            Deliver(event);
        } else {
            Post(event);
        }
        return;
    }
    {
        pw::ScopedLock lock(lock_);
        if (closing_)
            return;
        ++raisersInside_;
    }
    if (flags & qelEventPost) {
        Post(event);
    } else {
        address_.Send(reinterpret_cast<uintptr_t>(&event), 0);
    }
    pw::ScopedLock lock(lock_);
    --raisersInside_;
}

void CQELNotificationSinkMT::Post(const EventRecord& event) {
    const bool onOwner = pw::CurrentThreadId() == owner_;
    const bool mustArrive = (event.flags & qelEventRetryPost) != 0;
    uint32_t id;
    {
        pw::ScopedLock lock(lock_);
        id = nextPostId_++;
        pending_[id] = event;  // stored first: the owner may handle the message before Post returns
    }
    for (;;) {
        if (address_.Post(0, static_cast<intptr_t>(id))) {
            pw::ScopedLock lock(lock_);
            lostEvents_ = 0;
            return;
        }
        if (!mustArrive || onOwner)
            break;
        pw::SleepMs(100);
        pw::ScopedLock lock(lock_);
        if (closing_)
            break;  // nobody will drain the queue any more
    }
    {
        pw::ScopedLock lock(lock_);
        pending_.erase(id);
        if (!(mustArrive && onOwner)) {
            ++lostEvents_;
            ++totalLostEvents_;
            return;
        }
    }
    // The owner cannot wait for itself to drain its own queue; rather than lose the event it
    // handles it now.
    Deliver(event);
}

void CQELNotificationSinkMT::OnMessage(uintptr_t wParam, intptr_t lParam) {
    if (wParam != 0) {
        Deliver(*reinterpret_cast<const EventRecord*>(wParam));
        return;
    }
    EventRecord event;
    {
        pw::ScopedLock lock(lock_);
        const auto it = pending_.find(static_cast<uint32_t>(lParam));
        if (it == pending_.end())
            return;
        event = it->second;
        pending_.erase(it);
    }
    Deliver(event);
}

void CQELNotificationSinkMT::Deliver(const EventRecord& event) {
    Handler handler;  // a copy: the handler may destroy the sink and with it the map
    {
        pw::ScopedLock lock(lock_);
        if (closing_)
            return;
        const auto it = handlers_.find(event.code);
        if (it == handlers_.end())
            return;
        handler = it->second;
    }
    try {
        handler(event.code, event.wParam, event.lParam);
    } catch (...) {
        // Raised on another thread there is nobody to report to; the next events must still come.
    }
}

uint32_t CQELNotificationSinkMT::LostEvents() {
    pw::ScopedLock lock(lock_);
    return lostEvents_;
}

uint64_t CQELNotificationSinkMT::TotalLostEvents() {
    pw::ScopedLock lock(lock_);
    return totalLostEvents_;
}

void CQELNotificationSinkMT::SetQueueLimit(uint32_t limit) {
    target_->SetQueueLimit(limit);
}
