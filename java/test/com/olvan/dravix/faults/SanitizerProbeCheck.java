package com.olvan.dravix.faults;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.fail;

import org.junit.jupiter.api.Test;

/**
 * One deliberate defect per method, for tests/sanitizer/expect_reports.sh: it
 * runs each method alone through the Java test runner in a sanitizer build and
 * requires the sanitizer's report, naming our frame, and a failed run. Never
 * part of the suite.
 */
class SanitizerProbeCheck {
    @Test
    void leak() {
        // Several blocks, so that a stale copy of one address on a stack
        // cannot make the whole probe look reachable.
        for (int i = 0; i < 64; i++) {
            assertEquals(1, NativeProbe.leakHeap(4242));
        }
    }

    @Test
    void heapOverflow() {
        NativeProbe.readPastEnd(16);
        fail("AddressSanitizer let a read past a heap block through");
    }

    @Test
    void signedOverflow() {
        NativeProbe.addOne(Integer.MAX_VALUE);
        fail("UndefinedBehaviorSanitizer let a signed overflow through");
    }
}
