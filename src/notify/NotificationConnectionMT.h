#pragma once
// A connection that any thread may use: its lock is held only while the subscription list is read
// or changed, never while a sink runs, so handlers may subscribe, unsubscribe and raise events.
#include "notify/NotificationConnection.h"
#include "platform/CriticalSection.h"

class CQELNotificationConnectionMT : public CQELNotificationConnection {
public:
    CQELNotificationConnectionMT() = default;

protected:
    ~CQELNotificationConnectionMT() override = default;

private:
    void Lock() override { lock_.Lock(); }
    void Unlock() override { lock_.Unlock(); }

    pw::CriticalSection lock_;
};
