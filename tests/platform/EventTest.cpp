#include "platform/Event.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using pw::Event;

TEST(Event, InitialStateAndReset) {
    Event autoSet(Event::Reset::Auto, true);
    Event manualClear(Event::Reset::Manual, false);
    EXPECT_TRUE(autoSet.IsSet());
    EXPECT_TRUE(autoSet.IsSet());  // peeking does not consume
    EXPECT_FALSE(manualClear.IsSet());
    autoSet.Reset();
    EXPECT_FALSE(autoSet.IsSet());
    EXPECT_FALSE(autoSet.Wait(0));
}

TEST(Event, AutoResetIsConsumedByOneWait) {
    Event e(Event::Reset::Auto);
    e.Set();
    e.Set();  // signals do not count up
    EXPECT_TRUE(e.Wait(0));
    EXPECT_FALSE(e.IsSet());
    EXPECT_FALSE(e.Wait(0));
}

TEST(Event, ManualResetStaysSet) {
    Event e(Event::Reset::Manual);
    e.Set();
    EXPECT_TRUE(e.Wait(0));
    EXPECT_TRUE(e.Wait(0));
    EXPECT_TRUE(e.IsSet());
    e.Reset();
    EXPECT_FALSE(e.Wait(0));
}

TEST(Event, WaitTimesOut) {
    Event e;
    uint32_t before = pw::TickCount();
    EXPECT_FALSE(e.Wait(80));
    EXPECT_GE(pw::TickCount() - before, 60u);  // a lower bound only
}

TEST(Event, AutoResetReleasesExactlyOneOfSeveralWaiters) {
    Event e(Event::Reset::Auto);
    Event ready(Event::Reset::Manual);
    std::atomic<int> waiting{0};
    std::atomic<int> woken{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            waiting++;
            if (e.Wait(pw::kInfinite))
                woken++;
        });
    }
    while (waiting.load() < 4) pw::SleepMs(1);
    pw::SleepMs(50);  // let them block (not needed for correctness, makes the test meaningful)
    e.Set();
    while (woken.load() < 1) pw::SleepMs(1);
    pw::SleepMs(100);
    EXPECT_EQ(woken.load(), 1);
    EXPECT_FALSE(e.IsSet());
    for (int i = 1; i < 4; ++i) {
        e.Set();
        while (woken.load() < i + 1) pw::SleepMs(1);
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(woken.load(), 4);
    EXPECT_FALSE(e.IsSet());
}

TEST(Event, AutoResetSignalsAreEachConsumedByOneThread) {
    // Many threads race for many signals; every success consumed exactly one signal.
    Event e(Event::Reset::Auto);
    std::atomic<int> consumed{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            while (!stop) {
                if (e.Wait(5))
                    consumed++;
            }
        });
    }
    const int signals = 200;
    for (int i = 0; i < signals; ++i) {
        e.Set();
        while (e.IsSet()) std::this_thread::yield();  // each signal is taken before the next
    }
    stop = true;
    for (auto& t : threads) t.join();
    EXPECT_EQ(consumed.load(), signals);
}

TEST(Event, ManualResetReleasesAllWaiters) {
    Event e(Event::Reset::Manual);
    std::atomic<int> woken{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 5; ++i) {
        threads.emplace_back([&] {
            if (e.Wait(pw::kInfinite))
                woken++;
        });
    }
    pw::SleepMs(30);
    e.Set();
    for (auto& t : threads) t.join();
    EXPECT_EQ(woken.load(), 5);
    EXPECT_TRUE(e.IsSet());
}

TEST(Event, WaitAnyAnswersLowestSignalledIndex) {
    Event a, b(Event::Reset::Manual), c;
    EXPECT_EQ(Event::WaitMultiple({&a, &b, &c}, false, 0), pw::kWaitTimeout);
    c.Set();
    b.Set();
    EXPECT_EQ(Event::WaitMultiple({&a, &b, &c}, false, 0), 1);
    EXPECT_TRUE(b.IsSet());  // manual: not consumed
    EXPECT_TRUE(c.IsSet());  // auto, but not the one that satisfied the wait
    b.Reset();
    EXPECT_EQ(Event::WaitMultiple({&a, &b, &c}, false, 0), 2);
    EXPECT_FALSE(c.IsSet());
    a.Set();
    c.Set();
    EXPECT_EQ(Event::WaitMultiple({&a, &b, &c}, false, 0), 0);
    EXPECT_FALSE(a.IsSet());
    EXPECT_TRUE(c.IsSet());
}

TEST(Event, WaitAnyTimesOutThenWakesFromAnotherThread) {
    Event a, b;
    EXPECT_EQ(Event::WaitMultiple({&a, &b}, false, 50), pw::kWaitTimeout);
    std::thread setter([&] {
        pw::SleepMs(30);
        b.Set();
    });
    EXPECT_EQ(Event::WaitMultiple({&a, &b}, false, pw::kInfinite), 1);
    setter.join();
    EXPECT_FALSE(b.IsSet());
}

TEST(Event, WaitAllNeedsEveryEventAndConsumesOnlyOnSuccess) {
    Event a, b(Event::Reset::Manual), c;
    a.Set();
    b.Set();
    uint32_t before = pw::TickCount();
    EXPECT_EQ(Event::WaitMultiple({&a, &b, &c}, true, 80), pw::kWaitTimeout);
    EXPECT_GE(pw::TickCount() - before, 60u);
    EXPECT_TRUE(a.IsSet());  // a failed wait-all consumes nothing
    EXPECT_TRUE(b.IsSet());
    c.Set();
    EXPECT_EQ(Event::WaitMultiple({&a, &b, &c}, true, 0), 0);
    EXPECT_FALSE(a.IsSet());
    EXPECT_TRUE(b.IsSet());
    EXPECT_FALSE(c.IsSet());
}

TEST(Event, WaitAllCompletesWhenTheLastArrivesFromOtherThreads) {
    Event a, b, c;
    std::thread t1([&] {
        pw::SleepMs(20);
        a.Set();
    });
    std::thread t2([&] {
        pw::SleepMs(40);
        c.Set();
        b.Set();
    });
    EXPECT_EQ(Event::WaitMultiple({&a, &b, &c}, true, pw::kInfinite), 0);
    t1.join();
    t2.join();
    EXPECT_FALSE(a.IsSet());
    EXPECT_FALSE(b.IsSet());
    EXPECT_FALSE(c.IsSet());
}

TEST(Event, WaitMultipleRejectsWhatWaitForMultipleObjectsRejects) {
    Event a(Event::Reset::Manual, true);
    EXPECT_EQ(Event::WaitMultiple({}, false, 0), pw::kWaitTimeout);
    EXPECT_EQ(Event::WaitMultiple({&a, &a}, true, 0), pw::kWaitTimeout);
    EXPECT_EQ(Event::WaitMultiple({&a}, true, 0), 0);
}

}  // namespace
