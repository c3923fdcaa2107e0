#include "platform/TimedMutex.h"

#include <chrono>

namespace pw {

bool TimedMutex::TryLockFor(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    std::thread::id me = std::this_thread::get_id();
    if (depth_ > 0 && owner_ == me) {
        ++depth_;
        return true;
    }
    auto isFree = [this] { return depth_ == 0; };
    // A free lock is taken without reading the clock, which a timed wait does first: the row
    // queries of painting take it once per row.
    if (!isFree()) {
        if (timeoutMs == kInfinite)
            released_.wait(lock, isFree);
        else if (!released_.wait_for(lock, std::chrono::milliseconds(timeoutMs), isFree))
            return false;
    }
    owner_ = me;
    depth_ = 1;
    return true;
}

void TimedMutex::Unlock() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (depth_ == 0 || owner_ != std::this_thread::get_id() || --depth_ > 0)
            return;
        owner_ = {};
    }
    released_.notify_one();
}

}  // namespace pw
