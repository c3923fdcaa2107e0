#include "notify/NotificationConnection.h"

#include <algorithm>
#include <new>

#include "notify/NotificationSink.h"

uintptr_t CQELNotificationConnection::Advise(uint32_t code, CQELNotificationSink* sink) {
    if (!sink)
        return 0;
    pw::ScopedLock lock(*this);
    try {
        subscriptions_.push_back({code, sink, nextCookie_});
    } catch (const std::bad_alloc&) {
        return 0;
    }
    const uintptr_t cookie = nextCookie_;
    if (++nextCookie_ == 0)
        nextCookie_ = 1;  // 0 means failure
    return cookie;
}

void CQELNotificationConnection::Unadvise(uintptr_t cookie) {
    pw::ScopedLock lock(*this);
    std::erase_if(subscriptions_, [cookie](const Subscription& s) { return s.cookie == cookie; });
}

void CQELNotificationConnection::UnadviseAll() {
    pw::ScopedLock lock(*this);
    subscriptions_.clear();
}

bool CQELNotificationConnection::IsSubscribed(uintptr_t cookie) const {
    return std::any_of(subscriptions_.begin(), subscriptions_.end(),
                       [cookie](const Subscription& s) { return s.cookie == cookie; });
}

bool CQELNotificationConnection::SendEvent(uint32_t code, uintptr_t wParam, intptr_t lParam, uint32_t flags) {
    // A handler may drop the publisher's last reference; the connection must outlive this loop.
    const pw::RefPtr<CQELNotificationConnection> hold(this);

    // Each call delivers from its own copy of the matching subscriptions, so nested calls from
    // handlers and calls racing on other threads never see each other's entries.
    std::vector<Subscription> matching;
    {
        pw::ScopedLock lock(*this);
        for (const Subscription& s : subscriptions_) {
            if (s.code == code)
                matching.push_back(s);
        }
    }
    for (const Subscription& s : matching) {
        {
            pw::ScopedLock lock(*this);
            if (!IsSubscribed(s.cookie))
                continue;  // an earlier handler unsubscribed it
        }
        try {
            s.sink->OnEvent(code, wParam, lParam, flags);
        } catch (...) {
            // One failing subscriber must not cost the others their event.
        }
    }
    return !matching.empty();
}
