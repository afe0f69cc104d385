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

    static native void createEntity(long service, String name, String configuration);

    /** get_configuration + NewStringUTF + free_string. */
    static native String getConfiguration(long service);

    /** Not a floor: the byte length of the service's configuration text. */
    static native long configurationLength(long service);

    static native int userEnvironmentCount(long record);

    static native int cfgStringsCount(long record);
}
