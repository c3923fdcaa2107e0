#pragma once
// The publisher's side of an event: subscribed sinks are called synchronously on the raising thread.
#include <cstdint>
#include <vector>

#include "platform/CriticalSection.h"
#include "platform/RefCounted.h"

class CQELNotificationSink;

// Event flags, read by the thread-aware sink (CQELNotificationSinkMT).
inline constexpr uint32_t qelEventPost = 0x80000000u;           // post to the owner thread, return at once
inline constexpr uint32_t qelEventRetryPost = 0x40000000u;      // with qelEventPost: never drop, retry
inline constexpr uint32_t qelEventDirectOnOwner = 0x20000000u;  // on the owner thread: call the handler now

// The lock of a connection that is only ever used on one thread.
class QELEmptySyncObject {
public:
    void Lock() {}
    void Unlock() {}
};

class CQELNotificationConnection : public pw::RefCounted {
public:
    CQELNotificationConnection() = default;

    // Sinks call this from their own Advise, which also keeps the cookie and a reference.
    // Answers the subscription's cookie, 0 on failure.
    uintptr_t Advise(uint32_t code, CQELNotificationSink* sink);
    void Unadvise(uintptr_t cookie);  // an unknown cookie is ignored
    void UnadviseAll();

    // Calls OnEvent of every sink subscribed to `code`, in subscription order. A sink unsubscribed
    // by an earlier handler is skipped; handlers may subscribe, unsubscribe and raise events.
    // Answers whether any sink was subscribed to the code.
    bool SendEvent(uint32_t code, uintptr_t wParam = 0, intptr_t lParam = 0, uint32_t flags = 0);

protected:
    ~CQELNotificationConnection() override = default;

private:
    friend class pw::ScopedLock<CQELNotificationConnection>;
    virtual void Lock() { sync_.Lock(); }
    virtual void Unlock() { sync_.Unlock(); }

    struct Subscription {
        uint32_t code;
        CQELNotificationSink* sink;
        uintptr_t cookie;
    };
    bool IsSubscribed(uintptr_t cookie) const;

    QELEmptySyncObject sync_;
    std::vector<Subscription> subscriptions_;
    // Never reused, unlike a record's address: a stale cookie must not match a newer subscription.
    uintptr_t nextCookie_ = 1;
};
