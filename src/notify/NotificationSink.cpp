#include "notify/NotificationSink.h"

#include <utility>

CQELNotificationSink::~CQELNotificationSink() {
    UnadviseAll();
}

bool CQELNotificationSink::Advise(CQELNotificationConnection* connection, uint32_t code) {
    if (!connection)
        return false;
    const pw::RefPtr<CQELNotificationConnection> ref(connection);
    const uintptr_t cookie = connection->Advise(code, this);
    if (cookie == 0)
        return false;
    try {
        subscriptions_.emplace(cookie, Subscription{code, ref});
    } catch (...) {
        connection->Unadvise(cookie);  // a subscription we do not remember could never be ended
        throw;
    }
    return true;
}

void CQELNotificationSink::UnadviseAll() {
    auto subscriptions = std::exchange(subscriptions_, {});
    for (const auto& [cookie, s] : subscriptions) s.connection->Unadvise(cookie);
}
