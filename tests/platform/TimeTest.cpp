#include "platform/Time.h"

#include <gtest/gtest.h>

namespace {

TEST(Time, SleepLetsTheTickCountAdvance) {
    uint32_t before = pw::TickCount();
    pw::SleepMs(60);
    uint32_t elapsed = pw::TickCount() - before;  // subtraction survives the wrap
    // Tick granularity can be 10-16 ms on Windows; only a lower bound, with margin.
    EXPECT_GE(elapsed, 40u);
}

TEST(Time, TickCountNeverGoesBack) {
    uint32_t last = pw::TickCount();
    for (int i = 0; i < 1000; ++i) {
        uint32_t now = pw::TickCount();
        EXPECT_LT(now - last, 0x80000000u);
        last = now;
    }
}

}  // namespace
