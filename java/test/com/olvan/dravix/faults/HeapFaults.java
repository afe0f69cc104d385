package com.olvan.dravix.faults;

/**
 * Controls of the bridge's own heap allocations, offered only by the test
 * variant {@code libolvanjnidravix-faults.so} (linked with
 * {@code -Wl,--wrap=malloc}). Run with {@code -Dolvan.dravix.library=} naming
 * that file; with the shipped library these methods are unresolved and throw
 * {@link UnsatisfiedLinkError}. The natives live in the bridge library, which
 * the bridge classes load: use one of them before calling these.
 */
public final class HeapFaults {
    private HeapFaults() {
    }

    /**
     * From now, the n-th malloc made by the bridge (1-based) returns null; 0
     * disarms. Also resets both counters.
     */
    public static native void failMallocAt(long n);

    /** Mallocs made by the bridge since the last {@link #failMallocAt}. */
    public static native long mallocCalls();

    /** Mallocs failed on purpose since the last {@link #failMallocAt}: 0 or 1. */
    public static native long failedMallocs();
}
