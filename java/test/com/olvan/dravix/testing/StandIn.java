package com.olvan.dravix.testing;

import java.nio.charset.StandardCharsets;

/**
 * Test controls of the stand-in service and middleware libraries, for Java
 * tests of the bridge. Counters and injections are process-wide: call
 * {@link #reset()} before each test.
 */
public final class StandIn {
    static {
        System.loadLibrary("olvantestsupport");
        // Tests call the bridge's natives directly, before anything has loaded it.
        com.olvan.dravix.BridgeCalls.load();
    }

    private StandIn() {
    }

    /** Clears injections, counters and last-call records of both libraries; live objects stay counted. */
    public static native void reset();

    // ---- middleware strings ----

    /** The n-th DDS_String_dup from now (1-based) returns null; 0 disarms. */
    public static native void failDupAt(long n);

    public static native long dupCalls();

    /** DDS_String_free calls with a non-null pointer. */
    public static native long freeCalls();

    /** Middleware strings made and not yet freed. */
    public static native long liveStrings();

    /** Frees of pointers that were not live middleware strings. */
    public static native long badFrees();

    // ---- service library ----

    /** Calls of the named export since reset, e.g. "OLVAN_Dravix_start"; -1 for an unknown name. */
    public static native long calls(String function);

    public static native void failNew(boolean on);

    /** For start, stop, create_entity and delete_entity: the call does nothing and returns value; -1 clears. */
    public static native void forceResult(String function, int value);

    public static native void failGetConfiguration(boolean on);

    /** The n-th OLVAN_DravixProperties_add from now fails and adds nothing; 0 disarms. */
    public static native void failAddAt(long n);

    /** Configuration texts handed out and not yet freed. */
    public static native long liveTexts();

    /** Frees of configuration texts that were not live. */
    public static native long badTextFrees();

    public static native long liveServices();

    /**
     * Calls that named a deleted (or never made) service, and deletes that
     * overlapped a call still running on the same service, since reset. The
     * stand-in refuses them; the real library would touch freed memory.
     */
    public static native long deadServiceCalls();

    /** The 256 bytes of the last record given to OLVAN_Dravix_new, or null if it was null or none since reset. */
    public static native byte[] lastRecord();

    /** The 256 bytes of the library's OLVAN_DRAVIX_PROPERTY_DEFAULT. */
    public static native byte[] defaultRecord();

    /** The library's exported verbosity levels: SILENT, EXCEPTIONS, WARNINGS, INFO. */
    public static native int[] verbosityLevels();

    /** Entity name of the last create_entity call, one char per byte; null if none. */
    public static String lastEntityName() {
        return latin1(lastEntityNameBytes());
    }

    /** File name of the last create_entity call, one char per byte; null if it was null. */
    public static String lastEntityFileName() {
        return latin1(lastEntityFileNameBytes());
    }

    /** Text of the last create_entity call, one char per byte; null if it was null. */
    public static String lastEntityText() {
        return latin1(lastEntityTextBytes());
    }

    /** Bytes in the text of the last create_entity call, for texts too long for a Java array; -1 if null. */
    public static native long lastEntityTextLength();

    /** Raw memory at an address, e.g. a record through its handle. */
    public static native byte[] peek(long address, int length);

    /** The bytes of the NUL-terminated string at an address, without the NUL; null for 0. */
    public static native byte[] cString(long address);

    /** 0 created, 1 started, 2 stopped, -1 not a live service. */
    public static native int serviceState(long service);

    /** Deliberately misuses JNI so that a test can prove -Xcheck:jni is reporting. */
    public static native void misuseJni();

    private static native byte[] lastEntityNameBytes();

    private static native byte[] lastEntityFileNameBytes();

    private static native byte[] lastEntityTextBytes();

    // ISO-8859-1 maps each byte to one char, so non-UTF-8 bytes stay visible.
    private static String latin1(byte[] bytes) {
        return bytes == null ? null : new String(bytes, StandardCharsets.ISO_8859_1);
    }
}
