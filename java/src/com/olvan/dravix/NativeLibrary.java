package com.olvan.dravix;

/**
 * Loads the native bridge once per class loader. By default the JVM searches
 * {@code java.library.path} for {@code libolvanjnidravix.so}; the system property
 * {@value #PATH_PROPERTY} names an absolute file instead. The bridge finds the
 * service library in its own directory.
 */
final class NativeLibrary {
    /** System property naming the bridge library file explicitly. */
    static final String PATH_PROPERTY = "olvan.dravix.library";

    private NativeLibrary() {
    }

    static {
        String path = System.getProperty(PATH_PROPERTY);
        if (path != null && !path.isEmpty()) {
            System.load(path);
        } else {
            System.loadLibrary("olvanjnidravix");
        }
    }

    /** Triggers the static initialiser; calling it again costs nothing. */
    static void ensureLoaded() {
    }
}
