/* Counters and injections shared by the middleware exports and their test controls. */
#ifndef OLVAN_STANDIN_DDS_CONTROLS_H
#define OLVAN_STANDIN_DDS_CONTROLS_H

#include <atomic>

#include "common/countdown.h"
#include "common/pointer_ledger.h"

namespace olvan_standin {

struct DdsControls {
    std::atomic<long> dup_calls{0};
    std::atomic<long> free_calls{0};
    std::atomic<long> bad_frees{0};
    Countdown fail_dup;
};

DdsControls &dds_controls();
// Middleware strings alive now.
PointerLedger &dds_ledger();

}  // namespace olvan_standin

#endif
