#pragma once
// A sink whose handlers run on the thread that created it: events raised on other threads are
// carried over by a message target, sent (the raiser waits) or posted (it does not).
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

#include "notify/NotificationSink.h"
#include "platform/CriticalSection.h"
#include "platform/MessageTarget.h"
#include "platform/Thread.h"

class CQELNotificationSinkMT : public CQELNotificationSink {
public:
    using Handler = std::function<void(uint32_t code, uintptr_t wParam, intptr_t lParam)>;

    CQELNotificationSinkMT();  // the calling thread becomes the owner thread
    // Destroy on the owner thread. Posted events not yet handled are dropped; a raising thread
    // still waiting to post or to have its event handled is released without a handler call.
    ~CQELNotificationSinkMT() override;

    // Subscribes to `code` and makes `handler` the one handler for that code.
    bool Advise(CQELNotificationConnection* connection, uint32_t code, Handler handler);

    void OnEvent(uint32_t code, uintptr_t wParam, intptr_t lParam, uint32_t flags) override;

    // Posted events dropped since the last successful post (the owner's queue was full).
    uint32_t LostEvents();
    // Posted events dropped since the sink was made: a reader that polls now and then cannot
    // miss a loss that a later successful post cleared from LostEvents.
    uint64_t TotalLostEvents();
    // How many posted events may wait for the owner thread at once.
    void SetQueueLimit(uint32_t limit);

private:
    struct EventRecord {
        uint32_t code;
        uintptr_t wParam;
        intptr_t lParam;
        uint32_t flags;
    };

    void Post(const EventRecord& event);
    void OnMessage(uintptr_t wParam, intptr_t lParam);
    void Deliver(const EventRecord& event);

    std::unique_ptr<pw::MessageTarget> target_;
    // How raisers reach the target: unlike the target itself, safe to use once it is destroyed.
    const pw::MessageTarget::Address address_;
    const pw::ThreadId owner_;

    pw::CriticalSection lock_;  // guards everything below
    std::unordered_map<uint32_t, Handler> handlers_;
    std::unordered_map<uint32_t, EventRecord> pending_;  // posted events by posting id
    uint32_t nextPostId_ = 1;
    uint32_t lostEvents_ = 0;
    uint64_t totalLostEvents_ = 0;
    int raisersInside_ = 0;  // other threads inside OnEvent; the destructor waits for them
    bool closing_ = false;
};
