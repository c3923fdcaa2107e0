#pragma once
// Carries calls from any thread to the thread that created the target, like a hidden window
// that receives a registered message. On Windows it is such a window; elsewhere a queue per
// thread that the owner drains in PumpMessages.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace pw {

class MessageTarget {
public:
    using Handler = std::function<void(uintptr_t wParam, intptr_t lParam)>;

    // Created on the owner thread. On Windows, `windowName` names the hidden window and
    // `messageName` the message registered for it (one registration per process).
    MessageTarget(const std::wstring& windowName, const std::wstring& messageName, Handler handler);
    ~MessageTarget();  // messages still queued for the target are dropped
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;

    // Runs the handler on the owner thread and returns after it ran. From the owner thread the
    // handler is called directly; other threads wait until the owner pumps messages.
    // False when the target cannot be reached.
    bool Send(uintptr_t wParam, intptr_t lParam);
    // Queues a call for the owner thread and returns at once. False when the queue cannot take
    // more (see SetQueueLimit), like PostMessage on a full message queue.
    bool Post(uintptr_t wParam, intptr_t lParam);

    // Posted calls not yet handled may not exceed this (default 10000, the Windows queue size).
    void SetQueueLimit(uint32_t limit);
    uint64_t OwnerThread() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// Handles the calling thread's pending messages (sent and posted) until none is left or the
// time runs out; with a timeout, waits that long for work to arrive. Answers how many were
// handled. On Windows this is a message loop step (it dispatches all window messages).
int PumpMessages(uint32_t timeoutMs = 0);

}  // namespace pw
