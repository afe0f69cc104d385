/* Test controls of the middleware stand-in. */
#include "dds/dds_controls.h"
#include "olvan_standin_control.h"

namespace olvan_standin {

DdsControls &dds_controls() {
    // Never destroyed, for the same reason as the ledger below.
    static DdsControls *controls = new DdsControls();
    return *controls;
}

PointerLedger &dds_ledger() {
    // Never destroyed: a JVM may still free strings on its exit path after
    // this library's static destructors would have run.
    static PointerLedger *ledger = new PointerLedger();
    return *ledger;
}

}  // namespace olvan_standin

using olvan_standin::dds_controls;

extern "C" void olvan_dds_control_reset(void) {
    dds_controls().fail_dup.arm(0);
    dds_controls().dup_calls.store(0);
    dds_controls().free_calls.store(0);
    dds_controls().bad_frees.store(0);
}

extern "C" void olvan_dds_fail_dup_at(long n) { dds_controls().fail_dup.arm(n); }

extern "C" long olvan_dds_dup_calls(void) { return dds_controls().dup_calls.load(); }

extern "C" long olvan_dds_free_calls(void) { return dds_controls().free_calls.load(); }

extern "C" long olvan_dds_live_strings(void) { return olvan_standin::dds_ledger().live(); }

extern "C" long olvan_dds_bad_frees(void) { return dds_controls().bad_frees.load(); }
