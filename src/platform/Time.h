#pragma once
#include <cstdint>

namespace pw {

// Milliseconds since an arbitrary start, wrapping like the system tick count; compare by
// subtraction (now - then) so the wrap does no harm.
uint32_t TickCount();
void SleepMs(uint32_t ms);

}  // namespace pw
