package com.olvan.dravix.bench;

/**
 * The floor natives (libolvanbenchfloor.so): for each export, the JVM calls,
 * middleware copies and service library calls it cannot avoid, without the
 * bridge's own work. They share the service and middleware libraries loaded
 * by the bridge, so handles pass freely between the two.
 */
final class Floor {
    static {
        System.loadLibrary("olvanbenchfloor");
    }

    private Floor() {
    }

    /** An empty native call: what start or stop costs before the service does anything. */
    static native void empty(long service);

    static native void start(long service);

    static native void stop(long service);

    /** The conversion's calls on {@code property} (a DravixProperty) into the record. */
    static native void toNative(Object property, long record);

    /** Self-check case 1: builds the expected record and compares it. */
    static native boolean checkCase1(long record);

    /** The least: GetStringUTFChars, or from 2,048 chars on getBytes(ISO_8859_1) (ASCII text only). */
    static native void createEntity(long service, String name, String configuration);

    /** GetStringUTFChars at every length: the JVM's own conversion. */
    static native void createEntityUtfChars(long service, String name, String configuration);

    /**
     * get_configuration + the least way to make the string + free_string:
     * NewStringUTF, or from 2 KiB on a byte[] and String(byte[], 0) (ASCII
     * text only).
     */
    static native String getConfiguration(long service);

    /** get_configuration + NewStringUTF + free_string at every length. */
    static native String getConfigurationNewStringUtf(long service);

    /** Not a floor: the byte length of the service's configuration text. */
    static native long configurationLength(long service);

    static native int userEnvironmentCount(long record);

    static native int cfgStringsCount(long record);
}
