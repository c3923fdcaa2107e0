#pragma once
// Pumps the calling thread's messages until `done` holds. The bound only turns a lost message
// into a test failure instead of a hung run; it is not a timing assertion.
#include <cstdint>

#include "platform/MessageTarget.h"
#include "platform/Time.h"

template <class Pred>
bool PumpUntil(Pred done, uint32_t limitMs = 60000) {
    uint32_t start = pw::TickCount();
    while (!done()) {
        if (pw::TickCount() - start > limitMs) return false;
        pw::PumpMessages(10);
    }
    return true;
}
