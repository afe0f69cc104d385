package com.olvan.dravix;

/** The API's package-private loading, for the test controls of another package. */
public final class BridgeAccess {
    private BridgeAccess() {
    }

    public static void ensureLoaded() {
        NativeLibrary.ensureLoaded();
    }
}
