#pragma once
// The subscriber's side: remembers its subscriptions and holds a reference to each connection.
#include <cstdint>
#include <unordered_map>

#include "notify/NotificationConnection.h"
#include "platform/RefCounted.h"

class CQELNotificationSink {
public:
    CQELNotificationSink() = default;
    // Unsubscribes from everything. A derived sink must call UnadviseAll first in its own
    // destructor: connections must not reach it once its parts are gone.
    virtual ~CQELNotificationSink();
    CQELNotificationSink(const CQELNotificationSink&) = delete;
    CQELNotificationSink& operator=(const CQELNotificationSink&) = delete;

    // Subscribes to `code` on the connection. Called on the thread that owns the sink, like
    // UnadviseAll; connections may call OnEvent from any thread.
    bool Advise(CQELNotificationConnection* connection, uint32_t code);
    void UnadviseAll();

    virtual void OnEvent(uint32_t code, uintptr_t wParam, intptr_t lParam, uint32_t flags) = 0;

private:
    struct Subscription {
        uint32_t code;
        pw::RefPtr<CQELNotificationConnection> connection;
    };
    std::unordered_map<uintptr_t, Subscription> subscriptions_;  // by cookie
};
