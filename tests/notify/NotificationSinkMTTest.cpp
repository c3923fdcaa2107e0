#include "notify/NotificationSinkMT.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "PumpUntil.h"
#include "notify/NotificationConnectionMT.h"
#include "platform/Event.h"
#include "platform/MessageTarget.h"
#include "platform/Thread.h"
#include "platform/Time.h"

namespace {

struct Call {
    uint32_t code;
    uintptr_t wParam;
    intptr_t lParam;
    pw::ThreadId thread;
};

// Handler calls as they happened, with the thread each ran on.
class Recorder {
public:
    CQELNotificationSinkMT::Handler Handler() {
        return [this](uint32_t code, uintptr_t wParam, intptr_t lParam) {
            std::lock_guard guard(mutex_);
            calls_.push_back({code, wParam, lParam, pw::CurrentThreadId()});
        };
    }
    std::vector<Call> Calls() {
        std::lock_guard guard(mutex_);
        return calls_;
    }
    size_t Count() {
        std::lock_guard guard(mutex_);
        return calls_.size();
    }
    std::vector<uintptr_t> WParams() {
        std::vector<uintptr_t> result;
        for (const Call& c : Calls()) result.push_back(c.wParam);
        return result;
    }

private:
    std::mutex mutex_;
    std::vector<Call> calls_;
};

class NotificationSinkMT : public ::testing::Test {
protected:
    pw::RefPtr<CQELNotificationConnection> connection = pw::MakeRef<CQELNotificationConnectionMT>();
    Recorder recorder;
    std::unique_ptr<CQELNotificationSinkMT> sink = std::make_unique<CQELNotificationSinkMT>();
    const pw::ThreadId owner = pw::CurrentThreadId();

    void SetUp() override { ASSERT_TRUE(sink->Advise(connection.get(), 1, recorder.Handler())); }

    // Raises the event on a worker and waits for it without pumping: only for posted events.
    void PostOnWorker(uintptr_t wParam, uint32_t flags = qelEventPost) {
        std::thread([&] { EXPECT_TRUE(connection->SendEvent(1, wParam, 0, flags)); }).join();
    }
    // Sends the event from a worker, pumping for it meanwhile.
    void SendFromWorker(uintptr_t wParam) {
        std::atomic<bool> returned{false};
        std::thread worker([&] {
            EXPECT_TRUE(connection->SendEvent(1, wParam, 0, 0));
            returned = true;
        });
        EXPECT_TRUE(PumpUntil([&] { return returned.load(); }));
        worker.join();
    }
};

TEST_F(NotificationSinkMT, PostedEventsFromAWorkerArriveOnTheOwnerThreadInOrder) {
    std::thread worker([&] {
        for (uintptr_t i = 0; i < 3; ++i) EXPECT_TRUE(connection->SendEvent(1, i, -7, qelEventPost));
    });
    worker.join();
    EXPECT_EQ(recorder.Count(), 0u);  // posting returned at once; only pumping delivers

    ASSERT_TRUE(PumpUntil([&] { return recorder.Count() == 3; }));
    EXPECT_EQ(recorder.WParams(), (std::vector<uintptr_t>{0, 1, 2}));
    for (const Call& c : recorder.Calls()) {
        EXPECT_EQ(c.code, 1u);
        EXPECT_EQ(c.lParam, -7);
        EXPECT_EQ(c.thread, owner);
    }
    EXPECT_EQ(sink->LostEvents(), 0u);
}

TEST_F(NotificationSinkMT, SentEventFromAWorkerReturnsAfterTheHandlerRanOnTheOwner) {
    std::atomic<bool> returned{false};
    size_t seenOnReturn = 0;
    std::thread worker([&] {
        EXPECT_TRUE(connection->SendEvent(1, 42, 43, 0));
        seenOnReturn = recorder.Count();
        returned = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_EQ(seenOnReturn, 1u);
    const auto calls = recorder.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].wParam, 42u);
    EXPECT_EQ(calls[0].lParam, 43);
    EXPECT_EQ(calls[0].thread, owner);
}

TEST_F(NotificationSinkMT, OnTheOwnerThreadSentAndDirectEventsAreHandledAtOnce) {
    EXPECT_TRUE(connection->SendEvent(1, 1, 0, 0));
    EXPECT_EQ(recorder.Count(), 1u);
    EXPECT_TRUE(connection->SendEvent(1, 2, 0, qelEventPost));
    EXPECT_EQ(recorder.Count(), 1u);  // posted: waits for the pump even on the owner thread

    const uint32_t direct = qelEventPost | qelEventDirectOnOwner;  // as the parser raises them
    EXPECT_TRUE(connection->SendEvent(1, 3, 0, direct));
    EXPECT_EQ(recorder.WParams(), (std::vector<uintptr_t>{1, 3}));  // before OnEvent returned

    PostOnWorker(4, direct);
    EXPECT_EQ(recorder.Count(), 2u);  // not on the worker: it waits for the owner's pump
    ASSERT_TRUE(PumpUntil([&] { return recorder.Count() == 4; }));
    EXPECT_EQ(recorder.WParams(), (std::vector<uintptr_t>{1, 3, 2, 4}));
    for (const Call& c : recorder.Calls()) EXPECT_EQ(c.thread, owner);
}

TEST_F(NotificationSinkMT, PostingIntoAFullQueueDropsAndCountsUntilAPostSucceeds) {
    sink->SetQueueLimit(2);
    for (uintptr_t i = 0; i < 5; ++i) PostOnWorker(i);
    EXPECT_EQ(sink->LostEvents(), 3u);

    ASSERT_TRUE(PumpUntil([&] { return recorder.Count() == 2; }));
    pw::PumpMessages(0);
    EXPECT_EQ(recorder.WParams(), (std::vector<uintptr_t>{0, 1}));
    EXPECT_EQ(sink->LostEvents(), 3u);  // pumping alone does not clear it

    PostOnWorker(5);
    EXPECT_EQ(sink->LostEvents(), 0u);
    EXPECT_EQ(sink->TotalLostEvents(), 3u);  // the total stays
    ASSERT_TRUE(PumpUntil([&] { return recorder.Count() == 3; }));
    EXPECT_EQ(recorder.WParams(), (std::vector<uintptr_t>{0, 1, 5}));
}

TEST_F(NotificationSinkMT, RetryFlagWaitsForRoomInsteadOfDropping) {
    sink->SetQueueLimit(1);
    pw::Event firstPosted;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        const uint32_t flags = qelEventPost | qelEventRetryPost;
        EXPECT_TRUE(connection->SendEvent(1, 1, 0, flags));
        firstPosted.Set();
        EXPECT_TRUE(connection->SendEvent(1, 2, 0, flags));  // the queue is full now
        returned = true;
    });
    ASSERT_TRUE(firstPosted.Wait(60000));
    pw::SleepMs(300);  // room for a few attempts; none can succeed before the owner pumps
    EXPECT_FALSE(returned);

    ASSERT_TRUE(PumpUntil([&] { return recorder.Count() == 2; }));
    worker.join();
    EXPECT_EQ(recorder.WParams(), (std::vector<uintptr_t>{1, 2}));
    EXPECT_EQ(sink->LostEvents(), 0u);
}

TEST_F(NotificationSinkMT, RetryFlagOnTheOwnerThreadWithAFullQueueHandlesTheEventAtOnce) {
    // The owner cannot wait for itself to drain the queue: waiting would never end.
    sink->SetQueueLimit(1);
    EXPECT_TRUE(connection->SendEvent(1, 1, 0, qelEventPost));
    EXPECT_TRUE(connection->SendEvent(1, 2, 0, qelEventPost | qelEventRetryPost));
    EXPECT_EQ(recorder.WParams(), (std::vector<uintptr_t>{2}));
    EXPECT_EQ(sink->LostEvents(), 0u);

    EXPECT_TRUE(connection->SendEvent(1, 3, 0, qelEventPost));  // without the flag: lost
    EXPECT_EQ(sink->LostEvents(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return recorder.Count() == 2; }));
    EXPECT_EQ(recorder.WParams(), (std::vector<uintptr_t>{2, 1}));
}

TEST_F(NotificationSinkMT, UnadviseAllStopsDeliveryAndAllowsNewSubscriptions) {
    sink->UnadviseAll();
    EXPECT_EQ(connection->RefCount(), 1);
    std::thread([&] { EXPECT_FALSE(connection->SendEvent(1, 1, 0, qelEventPost)); }).join();
    pw::PumpMessages(0);
    EXPECT_EQ(recorder.Count(), 0u);

    ASSERT_TRUE(sink->Advise(connection.get(), 1, recorder.Handler()));
    SendFromWorker(2);
    EXPECT_EQ(recorder.WParams(), (std::vector<uintptr_t>{2}));
}

TEST_F(NotificationSinkMT, UnadviseAllOnTheConnectionCutsTheSinkOff) {
    connection->UnadviseAll();
    std::thread([&] { EXPECT_FALSE(connection->SendEvent(1, 1, 0, 0)); }).join();
    EXPECT_EQ(recorder.Count(), 0u);
    sink.reset();  // its own unsubscribing finds nothing left and only drops its reference
    EXPECT_EQ(connection->RefCount(), 1);
}

TEST_F(NotificationSinkMT, ThrowingHandlerDoesNotStopDeliveryToOthers) {
    Recorder second;
    int thrown = 0;
    auto thrower = std::make_unique<CQELNotificationSinkMT>();
    ASSERT_TRUE(thrower->Advise(connection.get(), 1, [&](uint32_t, uintptr_t, intptr_t) {
        ++thrown;
        throw std::runtime_error("handler failed");
    }));
    auto other = std::make_unique<CQELNotificationSinkMT>();
    ASSERT_TRUE(other->Advise(connection.get(), 1, second.Handler()));

    std::atomic<bool> done{false};
    std::thread worker([&] {
        EXPECT_TRUE(connection->SendEvent(1, 1, 0, 0));
        EXPECT_TRUE(connection->SendEvent(1, 2, 0, qelEventPost));
        done = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return done && second.Count() == 2; }));
    worker.join();
    EXPECT_EQ(thrown, 2);
    EXPECT_EQ(recorder.WParams(), (std::vector<uintptr_t>{1, 2}));
    EXPECT_EQ(second.WParams(), (std::vector<uintptr_t>{1, 2}));
}

// Destroying a sink while events are still on their way to it.
TEST_F(NotificationSinkMT, PostedEventsOfADestroyedSinkAreNeverHandled) {
    for (uintptr_t i = 0; i < 3; ++i) PostOnWorker(i);
    sink.reset();
    EXPECT_EQ(connection->RefCount(), 1);
    pw::PumpMessages(50);
    EXPECT_EQ(recorder.Count(), 0u);
    EXPECT_FALSE(connection->SendEvent(1, 9, 0, qelEventPost));
}

TEST_F(NotificationSinkMT, DestroyingTheSinkReleasesAWorkerWaitingToPost) {
    sink->SetQueueLimit(1);
    pw::Event firstPosted;
    std::thread worker([&] {
        const uint32_t flags = qelEventPost | qelEventRetryPost;
        connection->SendEvent(1, 1, 0, flags);
        firstPosted.Set();
        connection->SendEvent(1, 2, 0, flags);  // retries until the sink goes away
    });
    ASSERT_TRUE(firstPosted.Wait(60000));
    pw::SleepMs(150);  // lets the worker fail an attempt or two
    sink.reset();
    worker.join();
    pw::PumpMessages(50);
    EXPECT_EQ(recorder.Count(), 0u);
}

TEST_F(NotificationSinkMT, DestroyingTheSinkReleasesAWorkerWaitingForItsSentEvent) {
    pw::Event started;
    std::thread worker([&] {
        started.Set();
        connection->SendEvent(1, 1, 0, 0);  // waits for the owner, who is busy destroying
    });
    ASSERT_TRUE(started.Wait(60000));
    pw::SleepMs(150);  // lets the worker reach the sink and wait there
    sink.reset();
    worker.join();
    EXPECT_EQ(recorder.Count(), 0u);
}

TEST_F(NotificationSinkMT, HandlerMayDestroyItsOwnSink) {
    ASSERT_TRUE(sink->Advise(connection.get(), 2, [&](uint32_t, uintptr_t, intptr_t) { sink.reset(); }));
    EXPECT_TRUE(connection->SendEvent(2, 0, 0, 0));
    EXPECT_TRUE(sink == nullptr);
    EXPECT_FALSE(connection->SendEvent(2, 0, 0, 0));
}

TEST_F(NotificationSinkMT, ManyWorkersRaisingManyEventsEachDeliveredOnceOnTheOwner) {
    constexpr int kThreads = 4, kEvents = 400;
    Recorder second;
    CQELNotificationSinkMT other;
    ASSERT_TRUE(other.Advise(connection.get(), 1, second.Handler()));

    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kEvents; ++i) {
                // Mostly posted; every fourth is sent and so waits for the owner.
                const uint32_t flags =
                    i % 4 == 0 ? 0 : qelEventPost | qelEventRetryPost | qelEventDirectOnOwner;
                EXPECT_TRUE(connection->SendEvent(1, static_cast<uintptr_t>(t * kEvents + i), t, flags));
            }
            ++finished;
        });
    }
    const size_t total = kThreads * kEvents;
    ASSERT_TRUE(PumpUntil(
        [&] { return finished == kThreads && recorder.Count() == total && second.Count() == total; }));
    for (auto& w : workers) w.join();
    pw::PumpMessages(0);

    for (Recorder* r : {&recorder, &second}) {
        std::vector<int> seen(total, 0);
        for (const Call& c : r->Calls()) {
            ASSERT_LT(c.wParam, total);
            ++seen[c.wParam];
            EXPECT_EQ(c.lParam, static_cast<intptr_t>(c.wParam / kEvents));
            EXPECT_EQ(c.thread, owner);
        }
        EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<long>(total));
    }
    EXPECT_EQ(sink->LostEvents(), 0u);
    EXPECT_EQ(other.LostEvents(), 0u);
}

}  // namespace
