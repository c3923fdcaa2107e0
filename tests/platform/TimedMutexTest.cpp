#include "platform/TimedMutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/CriticalSection.h"
#include "platform/Event.h"

namespace {

TEST(TimedMutex, IsRecursiveInOneThread) {
    pw::TimedMutex mutex;
    pw::ScopedLock<pw::TimedMutex> outer(mutex);
    pw::TimedLock inner(mutex, 0);
    EXPECT_TRUE(inner.Owns());
    EXPECT_TRUE(mutex.TryLock());
    mutex.Unlock();
}

TEST(TimedMutex, WaitGivesUpWhileAnotherThreadHoldsIt) {
    pw::TimedMutex mutex;
    pw::Event locked(pw::Event::Reset::Manual), release(pw::Event::Reset::Manual);
    std::thread holder([&] {
        pw::ScopedLock<pw::TimedMutex> lock(mutex);
        locked.Set();
        release.Wait();
    });
    locked.Wait();
    EXPECT_FALSE(mutex.TryLock());
    {
        pw::TimedLock lock(mutex, 20);
        EXPECT_FALSE(lock.Owns());
    }  // a lock not taken is not released either: the holder still owns it
    EXPECT_FALSE(mutex.TryLockFor(0));
    mutex.Unlock();  // not held by this thread: must not free it for others
    EXPECT_FALSE(mutex.TryLock());
    release.Set();
    holder.join();
    pw::TimedLock lock(mutex, 0);
    EXPECT_TRUE(lock.Owns());
}

TEST(TimedMutex, WaiterGetsTheLockWhenItIsReleasedInTime) {
    pw::TimedMutex mutex;
    pw::Event locked(pw::Event::Reset::Manual);
    std::atomic<bool> released{false};
    std::thread holder([&] {
        pw::ScopedLock<pw::TimedMutex> lock(mutex);
        locked.Set();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        released = true;
    });
    locked.Wait();
    bool got = mutex.TryLockFor(pw::kInfinite);
    EXPECT_TRUE(got);
    EXPECT_TRUE(released);
    if (got)
        mutex.Unlock();
    holder.join();
    pw::TimedLock lock(mutex, 60000);
    EXPECT_TRUE(lock.Owns());
}

TEST(TimedMutex, ExcludesOtherThreadsAtAnyDepth) {
    pw::TimedMutex mutex;
    long counter = 0;  // deliberately not atomic: the lock is what protects it
    std::atomic<int> inside{0};
    std::atomic<bool> overlap{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 5000; ++i) {
                // Waits both unlimited and limited; a limited wait that fails just tries again.
                pw::TimedLock outer(mutex, t % 2 ? pw::kInfinite : 1);
                if (!outer.Owns()) {
                    --i;
                    continue;
                }
                pw::ScopedLock<pw::TimedMutex> inner(mutex);
                if (inside.fetch_add(1) != 0)
                    overlap = true;
                ++counter;
                inside.fetch_sub(1);
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, 20000);
    EXPECT_FALSE(overlap);
}

}  // namespace
