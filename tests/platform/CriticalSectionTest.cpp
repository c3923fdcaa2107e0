#include "platform/CriticalSection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(CriticalSection, IsRecursive) {
    pw::CriticalSection cs;
    cs.Lock();
    cs.Lock();
    EXPECT_TRUE(cs.TryLock());
    cs.Unlock();
    cs.Unlock();
    cs.Unlock();
}

TEST(CriticalSection, TryLockFailsWhileAnotherThreadHoldsIt) {
    pw::CriticalSection cs;
    cs.Lock();
    bool got = true;
    std::thread([&] { got = cs.TryLock(); }).join();
    EXPECT_FALSE(got);
    cs.Unlock();
    std::thread([&] {
        got = cs.TryLock();
        if (got)
            cs.Unlock();
    }).join();
    EXPECT_TRUE(got);
}

TEST(CriticalSection, ExcludesOtherThreads) {
    pw::CriticalSection cs;
    long counter = 0;  // deliberately not atomic: the lock is what protects it
    std::atomic<int> inside{0};
    std::atomic<bool> overlap{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                pw::ScopedLock<pw::CriticalSection> lock(cs);
                if (inside.fetch_add(1) != 0)
                    overlap = true;
                ++counter;
                inside.fetch_sub(1);
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, 80000);
    EXPECT_FALSE(overlap);
}

}  // namespace
