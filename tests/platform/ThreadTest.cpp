#include "platform/Event.h"
#include "platform/Thread.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using pw::Thread;
using pw::ThreadPriority;

TEST(Thread, RunsTheBodyOnAnotherThreadWithItsOwnId) {
    Thread thread;
    EXPECT_EQ(thread.Id(), 0u);
    EXPECT_TRUE(thread.Join(0));  // nothing started: nothing to wait for
    std::atomic<pw::ThreadId> seen{0};
    ASSERT_TRUE(thread.Start([&] { seen = pw::CurrentThreadId(); }));
    EXPECT_NE(thread.Id(), 0u);  // known as soon as Start returns
    ASSERT_TRUE(thread.Join(pw::kInfinite));
    EXPECT_EQ(seen.load(), thread.Id());
    EXPECT_NE(seen.load(), pw::CurrentThreadId());
    EXPECT_FALSE(thread.IsRunning());
}

TEST(Thread, CurrentThreadIdDiffersBetweenThreads) {
    pw::ThreadId a = 0, b = 0;
    std::thread([&] { a = pw::CurrentThreadId(); }).join();
    std::thread([&] { b = pw::CurrentThreadId(); }).join();
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, pw::CurrentThreadId());
    EXPECT_NE(b, pw::CurrentThreadId());
    EXPECT_EQ(pw::CurrentThreadId(), pw::CurrentThreadId());
}

TEST(Thread, JoinTimesOutWhileTheThreadWorksThenSucceeds) {
    Thread thread;
    pw::Event release(pw::Event::Reset::Manual);
    ASSERT_TRUE(thread.Start([&] { release.Wait(pw::kInfinite); }));
    EXPECT_TRUE(thread.IsRunning());
    uint32_t before = pw::TickCount();
    EXPECT_FALSE(thread.Join(80));
    EXPECT_GE(pw::TickCount() - before, 60u);
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_FALSE(thread.Start([] {}));  // one at a time
    release.Set();
    EXPECT_TRUE(thread.Join(pw::kInfinite));
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_TRUE(thread.Join(0));
}

TEST(Thread, CanBeStartedAgainAfterItEnded) {
    Thread thread;
    std::atomic<int> runs{0};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(thread.Start([&] { runs++; }));
        ASSERT_TRUE(thread.Join(pw::kInfinite));
    }
    EXPECT_EQ(runs.load(), 3);
    // Ended but not joined: Start joins the old one itself.
    ASSERT_TRUE(thread.Start([&] { runs++; }));
    while (thread.IsRunning()) pw::SleepMs(1);
    ASSERT_TRUE(thread.Start([&] { runs++; }));
    ASSERT_TRUE(thread.Join(pw::kInfinite));
    EXPECT_EQ(runs.load(), 5);
}

TEST(Thread, CannotJoinItself) {
    Thread thread;
    pw::Event started(pw::Event::Reset::Manual);
    std::atomic<int> selfJoin{-1};
    ASSERT_TRUE(thread.Start([&] {
        started.Wait(pw::kInfinite);
        selfJoin = thread.Join(10) ? 1 : 0;
    }));
    started.Set();
    ASSERT_TRUE(thread.Join(pw::kInfinite));
    EXPECT_EQ(selfJoin.load(), 0);
}

TEST(Thread, DestroyingARunningThreadDetachesIt) {
    auto release = std::make_shared<pw::Event>(pw::Event::Reset::Manual);
    auto finished = std::make_shared<pw::Event>(pw::Event::Reset::Manual);
    {
        Thread thread;
        ASSERT_TRUE(thread.Start([release, finished] {
            release->Wait(pw::kInfinite);
            finished->Set();
        }));
    }  // returns at once; the thread lives on
    release->Set();
    EXPECT_TRUE(finished->Wait(pw::kInfinite));
    pw::SleepMs(20);  // let it leave before the events go
}

TEST(Thread, StartsWithTheAskedPriority) {
    Thread thread;
    pw::Event release(pw::Event::Reset::Manual);
    ASSERT_TRUE(thread.Start([&] { release.Wait(pw::kInfinite); }, ThreadPriority::BelowNormal));
    EXPECT_EQ(thread.GetPriority(), ThreadPriority::BelowNormal);
    release.Set();
    ASSERT_TRUE(thread.Join(pw::kInfinite));
    EXPECT_FALSE(thread.SetPriority(ThreadPriority::Normal));  // nothing running
}

TEST(Thread, PriorityRoundTrip) {
    Thread thread;
    pw::Event release(pw::Event::Reset::Manual);
    ASSERT_TRUE(thread.Start([&] { release.Wait(pw::kInfinite); }));
    EXPECT_EQ(thread.GetPriority(), ThreadPriority::Normal);
    // Lowering is always allowed.
    for (ThreadPriority p : {ThreadPriority::BelowNormal, ThreadPriority::Lowest, ThreadPriority::Idle}) {
        EXPECT_TRUE(thread.SetPriority(p));
        EXPECT_EQ(thread.GetPriority(), p);
    }
    // Raising needs a right the test may not have (CAP_SYS_NICE on Linux); where refused the
    // priority stays as it was.
    bool raised = true;
    for (ThreadPriority p : {ThreadPriority::Normal, ThreadPriority::AboveNormal, ThreadPriority::Highest}) {
        ThreadPriority was = thread.GetPriority();
        if (thread.SetPriority(p)) {
            EXPECT_EQ(thread.GetPriority(), p);
        } else {
            raised = false;
            EXPECT_EQ(thread.GetPriority(), was);
        }
    }
    release.Set();
    ASSERT_TRUE(thread.Join(pw::kInfinite));
    if (!raised)
        GTEST_SKIP() << "the system refused to raise a thread's priority";
}

}  // namespace
