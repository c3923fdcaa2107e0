#pragma once
// Carries calls from any thread to the thread that created the target, like a hidden window
// that receives a registered message. On Windows it is such a window; elsewhere a queue per
// thread that the owner drains in PumpMessages.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Event.h"  // kInfinite

namespace pw {

struct MessageTargetState;  // what a target and its addresses share; per platform

class MessageTarget {
public:
    using Handler = std::function<void(uintptr_t wParam, intptr_t lParam)>;

    // Created on the owner thread. On Windows, `windowName` names the hidden window and
    // `messageName` the message registered for it (one registration per process).
    MessageTarget(const std::wstring& windowName, const std::wstring& messageName, Handler handler);
    // Messages still queued for the target are dropped and waiting senders released (their Send
    // answers false). Meant for the owner thread; from another thread it also waits until a
    // handler running on the owner has returned.
    ~MessageTarget();
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;

    // Runs the handler on the owner thread and returns after it ran. From the owner thread the
    // handler is called directly; other threads wait until the owner pumps messages (while
    // waiting, they handle calls sent to their own targets, as SendMessage does).
    // False when the target cannot be reached, is destroyed before the call ran, or the handler
    // threw (handlers should not: the exception stops here).
    bool Send(uintptr_t wParam, intptr_t lParam);
    // Queues a call for the owner thread and returns at once. False when the queue cannot take
    // more (see SetQueueLimit), like PostMessage on a full message queue.
    bool Post(uintptr_t wParam, intptr_t lParam);

    // A copyable way to reach the target from threads that may outlive it, like a window handle:
    // once the target is destroyed, Send and Post through it answer false. Threads that race the
    // target's destruction must use an Address; calling the target itself is only safe while it
    // is alive.
    class Address {
    public:
        Address() = default;  // reaches nothing
        bool Send(uintptr_t wParam, intptr_t lParam) const;
        bool Post(uintptr_t wParam, intptr_t lParam) const;

    private:
        friend class MessageTarget;
        std::shared_ptr<MessageTargetState> state_;
    };
    Address GetAddress() const;

    // Posted calls not yet handled may not exceed this (default 10000, the Windows queue size).
    void SetQueueLimit(uint32_t limit);
    uint64_t OwnerThread() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// Handles the calling thread's pending messages (sent and posted); when there was none, first
// waits up to timeoutMs (or kInfinite) for work to arrive. Messages that arrive while it handles
// the pending ones wait for the next call, so threads posting without pause cannot keep the
// caller here forever. Answers how many were handled. On Windows this is a message loop step (it
// dispatches all window messages, so the count includes other windows' messages).
int PumpMessages(uint32_t timeoutMs = 0);

}  // namespace pw
