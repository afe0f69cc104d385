package com.olvan.dravix.faults;

/**
 * Deliberate native defects from the test library {@code libolvanprobe.so}.
 * Tests call them to prove that a detector really reports such a defect; no
 * other code may.
 */
public final class NativeProbe {
    static {
        System.loadLibrary("olvanprobe");
    }

    private NativeProbe() {
    }

    /** Borrows the string's modified UTF-8 characters and never gives them back. */
    public static native void borrowWithoutRelease(String text);

    /** Allocates a heap block and loses it; 1 if the allocation succeeded. */
    public static native long leakHeap(int bytes);

    /** Reads the byte just past a heap block of the given size. */
    public static native int readPastEnd(int bytes);

    /** value + 1 in C++: undefined for Integer.MAX_VALUE. */
    public static native int addOne(int value);
}
