#include "notify/NotificationConnection.h"
#include "notify/NotificationConnectionMT.h"
#include "notify/NotificationSink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Received {
    uint32_t code;
    uintptr_t wParam;
    intptr_t lParam;
    uint32_t flags;
    bool operator==(const Received&) const = default;
};

// Calls back on every event; the callback is where a test does its mischief.
class CallbackSink : public CQELNotificationSink {
public:
    explicit CallbackSink(std::function<void(uint32_t code)> onEvent = {}) : onEvent_(std::move(onEvent)) {}
    ~CallbackSink() override { UnadviseAll(); }

    void OnEvent(uint32_t code, uintptr_t wParam, intptr_t lParam, uint32_t flags) override {
        received.push_back({code, wParam, lParam, flags});
        if (onEvent_)
            onEvent_(code);
    }

    std::vector<Received> received;

private:
    std::function<void(uint32_t)> onEvent_;
};

// Records the calls of several sinks in one sequence.
struct Log {
    std::vector<std::string> entries;
    std::function<void(uint32_t)> Writer(const std::string& who) {
        return [this, who](uint32_t code) { entries.push_back(who + ":" + std::to_string(code)); };
    }
};

class WatchedConnection : public CQELNotificationConnection {
public:
    explicit WatchedConnection(bool* destroyed) : destroyed_(destroyed) {}

protected:
    ~WatchedConnection() override { *destroyed_ = true; }

private:
    bool* destroyed_;
};

TEST(NotificationConnection, DeliversToSubscribersOfTheCodeInOrder) {
    auto connection = pw::MakeRef<CQELNotificationConnection>();
    Log log;
    CallbackSink first(log.Writer("first")), second(log.Writer("second")), other(log.Writer("other"));
    ASSERT_TRUE(first.Advise(connection.get(), 7));
    ASSERT_TRUE(other.Advise(connection.get(), 8));
    ASSERT_TRUE(second.Advise(connection.get(), 7));

    const intptr_t negative = -5;
    EXPECT_TRUE(connection->SendEvent(7, 0x1234, negative, 0xA0000000u));
    EXPECT_EQ(log.entries, (std::vector<std::string>{"first:7", "second:7"}));
    ASSERT_EQ(first.received.size(), 1u);
    EXPECT_EQ(first.received[0], (Received{7, 0x1234, -5, 0xA0000000u}));
    EXPECT_TRUE(other.received.empty());
}

TEST(NotificationConnection, EventWithoutSubscribersAnswersFalse) {
    auto connection = pw::MakeRef<CQELNotificationConnection>();
    EXPECT_FALSE(connection->SendEvent(1));
    CallbackSink sink;
    ASSERT_TRUE(sink.Advise(connection.get(), 2));
    EXPECT_FALSE(connection->SendEvent(1));
    EXPECT_TRUE(connection->SendEvent(2));
    sink.UnadviseAll();
    EXPECT_FALSE(connection->SendEvent(2));
}

TEST(NotificationConnection, AdviseHandsOutDistinctCookiesAndRefusesNoSink) {
    auto connection = pw::MakeRef<CQELNotificationConnection>();
    CallbackSink sink;
    const uintptr_t a = connection->Advise(1, &sink);
    const uintptr_t b = connection->Advise(1, &sink);
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(connection->Advise(1, nullptr), 0u);

    connection->SendEvent(1);
    EXPECT_EQ(sink.received.size(), 2u);  // one call per subscription

    connection->Unadvise(a);
    connection->Unadvise(a);         // no longer subscribed: ignored
    connection->Unadvise(b + 1000);  // never handed out: ignored
    connection->SendEvent(1);
    EXPECT_EQ(sink.received.size(), 3u);

    // A cookie freed a moment ago must not name a new subscription: a delivery that copied the
    // old one would otherwise call its (possibly destroyed) sink.
    connection->Unadvise(b);
    EXPECT_NE(connection->Advise(1, &sink), b);
    connection->UnadviseAll();
}

TEST(NotificationConnection, SinksKeepTheConnectionAliveUntilTheyUnsubscribe) {
    bool destroyed = false;
    pw::RefPtr<CQELNotificationConnection> connection(new WatchedConnection(&destroyed));
    CallbackSink sink;
    ASSERT_TRUE(sink.Advise(connection.get(), 1));
    ASSERT_TRUE(sink.Advise(connection.get(), 2));
    EXPECT_EQ(connection->RefCount(), 3);

    CQELNotificationConnection* raw = connection.get();
    connection.reset();  // the publisher goes away
    EXPECT_FALSE(destroyed);
    EXPECT_TRUE(raw->SendEvent(2));
    sink.UnadviseAll();
    EXPECT_TRUE(destroyed);
}

TEST(NotificationConnection, UnadviseAllOnTheConnectionLeavesSinksHarmless) {
    auto connection = pw::MakeRef<CQELNotificationConnection>();
    CallbackSink a, b;
    ASSERT_TRUE(a.Advise(connection.get(), 1));
    ASSERT_TRUE(b.Advise(connection.get(), 2));
    connection->UnadviseAll();
    EXPECT_FALSE(connection->SendEvent(1));
    EXPECT_FALSE(connection->SendEvent(2));
    EXPECT_TRUE(a.received.empty());
    EXPECT_TRUE(b.received.empty());

    // The sinks still hold their references; their own UnadviseAll ignores the lost cookies.
    EXPECT_EQ(connection->RefCount(), 3);
    a.UnadviseAll();
    b.UnadviseAll();
    EXPECT_EQ(connection->RefCount(), 1);
    ASSERT_TRUE(a.Advise(connection.get(), 1));
    EXPECT_TRUE(connection->SendEvent(1));
    EXPECT_EQ(a.received.size(), 1u);
}

// Handlers that change the subscriptions or raise events while a delivery is under way.
TEST(NotificationConnectionReentry, HandlerUnsubscribingALaterSinkPreventsItsCall) {
    auto connection = pw::MakeRef<CQELNotificationConnection>();
    Log log;
    CallbackSink later(log.Writer("later"));
    CallbackSink first([&](uint32_t code) {
        log.entries.push_back("first:" + std::to_string(code));
        later.UnadviseAll();
    });
    ASSERT_TRUE(first.Advise(connection.get(), 1));
    ASSERT_TRUE(later.Advise(connection.get(), 1));
    EXPECT_TRUE(connection->SendEvent(1));
    EXPECT_EQ(log.entries, (std::vector<std::string>{"first:1"}));
}

TEST(NotificationConnectionReentry, NestedEventIsDeliveredCompletelyBeforeTheOuterContinues) {
    auto connection = pw::MakeRef<CQELNotificationConnection>();
    Log log;
    CallbackSink a([&](uint32_t code) {
        log.entries.push_back("a:" + std::to_string(code));
        if (code == 1) {
            EXPECT_TRUE(connection->SendEvent(2));
            EXPECT_FALSE(connection->SendEvent(3));
        }
    });
    CallbackSink b(log.Writer("b")), c(log.Writer("c"));
    ASSERT_TRUE(a.Advise(connection.get(), 1));
    ASSERT_TRUE(a.Advise(connection.get(), 2));
    ASSERT_TRUE(b.Advise(connection.get(), 2));
    ASSERT_TRUE(b.Advise(connection.get(), 1));
    ASSERT_TRUE(c.Advise(connection.get(), 1));

    EXPECT_TRUE(connection->SendEvent(1));
    EXPECT_EQ(log.entries, (std::vector<std::string>{"a:1", "a:2", "b:2", "b:1", "c:1"}));
}

TEST(NotificationConnectionReentry, HandlerReleasingThePublisherDoesNotEndTheDelivery) {
    bool destroyed = false;
    pw::RefPtr<CQELNotificationConnection> publisher(new WatchedConnection(&destroyed));
    CQELNotificationConnection* raw = publisher.get();
    CallbackSink first([&](uint32_t) {
        first.UnadviseAll();
        publisher.reset();  // now only the delivery itself holds the connection
        EXPECT_FALSE(destroyed);
    });
    ASSERT_TRUE(first.Advise(raw, 1));
    CallbackSink second;
    ASSERT_NE(raw->Advise(1, &second), 0u);  // subscribed without a reference of its own

    EXPECT_TRUE(raw->SendEvent(1));
    EXPECT_EQ(second.received.size(), 1u);
    EXPECT_TRUE(destroyed);
}

TEST(NotificationConnectionReentry, ThrowingHandlerDoesNotStopDeliveryToOthers) {
    auto connection = pw::MakeRef<CQELNotificationConnection>();
    CallbackSink thrower([](uint32_t) { throw std::runtime_error("handler failed"); });
    CallbackSink after;
    ASSERT_TRUE(thrower.Advise(connection.get(), 4));
    ASSERT_TRUE(after.Advise(connection.get(), 4));
    EXPECT_TRUE(connection->SendEvent(4));
    EXPECT_EQ(thrower.received.size(), 1u);
    EXPECT_EQ(after.received.size(), 1u);
}

// Counts events by the code it was subscribed for; any other code is a misdelivery.
class CountingSink : public CQELNotificationSink {
public:
    explicit CountingSink(uint32_t code) : code_(code) {}
    ~CountingSink() override { UnadviseAll(); }
    void OnEvent(uint32_t code, uintptr_t, intptr_t, uint32_t) override {
        (code == code_ ? matching : wrong).fetch_add(1);
    }
    std::atomic<int> matching{0}, wrong{0};

private:
    uint32_t code_;
};

TEST(NotificationConnectionMT, ConcurrentSendersEachReachExactlyTheirSubscribers) {
    auto connection = pw::MakeRef<CQELNotificationConnectionMT>();
    constexpr int kThreads = 4, kEvents = 2000;
    std::vector<std::unique_ptr<CountingSink>> sinks;
    for (uint32_t code = 1; code <= kThreads; ++code) {
        for (int copy = 0; copy < 2; ++copy) {
            sinks.push_back(std::make_unique<CountingSink>(code));
            ASSERT_TRUE(sinks.back()->Advise(connection.get(), code));
        }
    }
    // Meanwhile another sink keeps subscribing and unsubscribing; that must disturb nobody.
    std::atomic<bool> stop{false};
    std::thread churn([&] {
        CountingSink flicker(1);
        while (!stop) {
            flicker.Advise(connection.get(), 1);
            flicker.UnadviseAll();
        }
        EXPECT_EQ(flicker.wrong, 0);
    });
    std::vector<std::thread> senders;
    std::atomic<int> answeredFalse{0};
    for (uint32_t code = 1; code <= kThreads; ++code) {
        senders.emplace_back([&, code] {
            for (int i = 0; i < kEvents; ++i) {
                if (!connection->SendEvent(code, static_cast<uintptr_t>(i)))
                    ++answeredFalse;
            }
        });
    }
    for (auto& t : senders) t.join();
    stop = true;
    churn.join();

    EXPECT_EQ(answeredFalse, 0);
    for (const auto& sink : sinks) {
        EXPECT_EQ(sink->matching, kEvents);
        EXPECT_EQ(sink->wrong, 0);
    }
}

}  // namespace
