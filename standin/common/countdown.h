/*
 * A one-shot failure trigger: armed with n, the n-th event from then on fires
 * and the trigger disarms itself, so exactly one call fails even when several
 * threads race on it.
 */
#ifndef OLVAN_STANDIN_COUNTDOWN_H
#define OLVAN_STANDIN_COUNTDOWN_H

#include <atomic>

namespace olvan_standin {

class Countdown {
public:
    // n <= 0 disarms.
    void arm(long n) { remaining_.store(n > 0 ? n : 0); }

    // True for exactly the armed event; cheap when disarmed, which is the
    // case on every benchmark and soak path.
    bool fires() {
        long seen = remaining_.load(std::memory_order_relaxed);
        while (seen > 0) {
            if (remaining_.compare_exchange_weak(seen, seen - 1)) {
                return seen == 1;
            }
        }
        return false;
    }

private:
    std::atomic<long> remaining_{0};
};

}  // namespace olvan_standin

#endif
