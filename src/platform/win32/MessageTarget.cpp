// Cross-thread calls on Win32: a hidden window per target that receives a registered message,
// the way the original control's event sink did it. Send is SendMessage, Post is PostMessage, and
// PumpMessages is a message loop step.
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

#include "platform/MessageTarget.h"
#include "platform/Thread.h"
#include "platform/win32/Module.h"

namespace pw {

namespace {

constexpr wchar_t kClassName[] = L"PenwrightMessageTarget";

// Calls sent from other threads that our windows handled on this thread: PeekMessage handles
// them inside itself, so PumpMessages counts them here.
thread_local int t_sentHandled = 0;

UINT RegisteredMessage(const std::wstring& name) {
    // Registered once per name and process; the system would answer the same number anyway.
    static std::mutex mutex;
    static std::map<std::wstring, UINT> messages;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = messages.find(name);
    if (it != messages.end())
        return it->second;
    UINT message = RegisterWindowMessageW(name.c_str());
    if (message != 0)
        messages.emplace(name, message);
    return message;
}

LRESULT CALLBACK TargetWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

bool RegisterTargetClass() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = TargetWindowProc;
        wc.hInstance = ThisModule();
        wc.lpszClassName = kClassName;
        if (RegisterClassExW(&wc))
            return true;
        if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return false;
        // Left behind by an earlier load of this DLL at perhaps another address: Windows does not
        // unregister a DLL's classes when it unloads. Replace it.
        UnregisterClassW(kClassName, wc.hInstance);
        return RegisterClassExW(&wc) != 0;
    }();
    return registered;
}

}  // namespace

struct MessageTargetState {
    MessageTargetState(MessageTarget::Handler h, UINT m) : handler(std::move(h)), message(m) {}

    const MessageTarget::Handler handler;
    const UINT message;
    const ThreadId owner = CurrentThreadId();
    HWND hwnd = nullptr;  // set once on creation
    // The window's own reference: the state lives as long as the window, so the window procedure
    // may use it even when the target is destroyed from another thread. Dropped in WM_NCDESTROY.
    std::shared_ptr<MessageTargetState> windowRef;

    std::atomic<uint32_t> queuedPosts{0};
    std::atomic<uint32_t> limit{10000};

    std::mutex mutex;  // guards the three below
    std::condition_variable idle;
    bool alive = true;
    int sendersInFlight = 0;  // other threads inside SendMessageW to the window
    int running = 0;          // handlers in progress
};

namespace {

// Calls the handler unless the target is gone; true when it ran and returned normally.
bool Run(MessageTargetState& state, uintptr_t wParam, intptr_t lParam) {
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        if (!state.alive)
            return false;
        state.running++;
    }
    bool ok = true;
    try {
        state.handler(wParam, lParam);
    } catch (...) {
        ok = false;  // nothing may unwind out of a window procedure
    }
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        state.running--;
    }
    state.idle.notify_all();
    return ok;
}

LRESULT CALLBACK TargetWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<MessageTargetState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (state && message == state->message) {
        if (InSendMessage()) {
            ++t_sentHandled;
        } else {
            // Not sent from another thread: a post (the owner's own sends never come here).
            uint32_t queued = state->queuedPosts.load();
            while (queued > 0 && !state->queuedPosts.compare_exchange_weak(queued, queued - 1)) {
            }
        }
        return Run(*state, wParam, lParam) ? 1 : 0;
    }
    if (message == WM_CLOSE) {
        // Posted by a destructor on another thread. Nobody else closes the hidden window while
        // its target lives (the system's "close all windows" included).
        bool alive = true;
        if (state) {
            std::lock_guard<std::mutex> lock(state->mutex);
            alive = state->alive;
        }
        if (!alive)
            DestroyWindow(hwnd);
        return 0;
    }
    if (message == WM_NCDESTROY && state) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        std::shared_ptr<MessageTargetState> last = std::move(state->windowRef);
        return DefWindowProcW(hwnd, message, wParam, lParam);  // `last` may free the state after this
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool PostTo(MessageTargetState& state, uintptr_t wParam, intptr_t lParam) {
    // PostMessage never blocks, so it may run under the lock, which keeps the window from being
    // destroyed (and its handle from going stale) meanwhile.
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!state.alive || !state.hwnd)
        return false;
    if (state.queuedPosts.fetch_add(1) >= state.limit.load()) {
        state.queuedPosts.fetch_sub(1);
        return false;
    }
    if (!PostMessageW(state.hwnd, state.message, wParam, lParam)) {
        state.queuedPosts.fetch_sub(1);
        return false;
    }
    return true;
}

bool SendTo(MessageTargetState& state, uintptr_t wParam, intptr_t lParam) {
    if (CurrentThreadId() == state.owner)
        return Run(state, wParam, lParam);
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        if (!state.alive || !state.hwnd)
            return false;
        state.sendersInFlight++;
    }
    // Not under the lock: the owner may need it while it handles this call.
    LRESULT result = SendMessageW(state.hwnd, state.message, wParam, lParam);
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        state.sendersInFlight--;
    }
    return result != 0;
}

}  // namespace

struct MessageTarget::Impl {
    std::shared_ptr<MessageTargetState> state;
};

MessageTarget::MessageTarget(const std::wstring& windowName, const std::wstring& messageName, Handler handler)
    : impl_(std::make_unique<Impl>()) {
    auto state = std::make_shared<MessageTargetState>(std::move(handler), RegisteredMessage(messageName));
    impl_->state = state;
    if (state->message == 0 || !RegisterTargetClass())
        return;  // Send and Post then answer false
    // A hidden popup without parent and of no size, not a message-only window: like the original
    // sink's window, it can be found by its name.
    HWND hwnd = CreateWindowExW(0, kClassName, windowName.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                ThisModule(), nullptr);
    if (!hwnd)
        return;
    state->windowRef = state;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.get()));
    std::lock_guard<std::mutex> lock(state->mutex);
    state->hwnd = hwnd;
}

MessageTarget::~MessageTarget() {
    MessageTargetState& state = *impl_->state;
    HWND hwnd;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        state.alive = false;
        hwnd = state.hwnd;
    }
    if (!hwnd)
        return;
    if (CurrentThreadId() != state.owner) {
        // Only the owner can destroy the window: it does so when it next handles messages (or
        // the system does when that thread ends). Meanwhile the window answers nothing.
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        std::unique_lock<std::mutex> lock(state.mutex);
        state.idle.wait(lock, [&] { return state.running == 0; });
        return;
    }
    // Posts still queued go to a window that no longer exists, and vanish.
    DestroyWindow(hwnd);
    // A thread blocked in SendMessageW to the window is released only when this thread looks at
    // its sent messages; do that now rather than leave the sender hanging until the next pump.
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(state.mutex);
            if (state.sendersInFlight == 0)
                break;
        }
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_SENDMESSAGE, 0);
    }
}

bool MessageTarget::Send(uintptr_t wParam, intptr_t lParam) {
    return SendTo(*impl_->state, wParam, lParam);
}

bool MessageTarget::Post(uintptr_t wParam, intptr_t lParam) {
    return PostTo(*impl_->state, wParam, lParam);
}

MessageTarget::Address MessageTarget::GetAddress() const {
    Address address;
    address.state_ = impl_->state;
    return address;
}

bool MessageTarget::Address::Send(uintptr_t wParam, intptr_t lParam) const {
    return state_ && SendTo(*state_, wParam, lParam);
}

bool MessageTarget::Address::Post(uintptr_t wParam, intptr_t lParam) const {
    return state_ && PostTo(*state_, wParam, lParam);
}

void MessageTarget::SetQueueLimit(uint32_t limit) {
    impl_->state->limit = limit;
}

uint64_t MessageTarget::OwnerThread() const {
    return impl_->state->owner;
}

int PumpMessages(uint32_t timeoutMs) {
    const DWORD start = GetTickCount();
    int handled = 0;
    for (;;) {
        const int sentBefore = t_sentHandled;
        const DWORD drainStart = GetTickCount();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the real loop
                return handled + (t_sentHandled - sentBefore);
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            ++handled;
            // Threads posting without pause must not keep us here forever: what was posted
            // after we began waits for the next call.
            if (static_cast<LONG>(msg.time - drainStart) > 0)
                break;
        }
        handled += t_sentHandled - sentBefore;
        if (handled > 0 || timeoutMs == 0)
            return handled;
        DWORD wait = INFINITE;
        if (timeoutMs != kInfinite) {
            DWORD elapsed = GetTickCount() - start;
            if (elapsed >= timeoutMs)
                return 0;
            wait = timeoutMs - elapsed;
        }
        // MWMO_INPUTAVAILABLE: also wake for messages that were already queued, not only new ones.
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace pw
