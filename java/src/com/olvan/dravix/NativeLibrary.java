package com.olvan.dravix;

import java.io.File;
import java.net.URISyntaxException;
import java.nio.file.Files;
import java.nio.file.InvalidPathException;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.security.CodeSource;
import java.util.ArrayList;
import java.util.List;

/**
 * Loads the native bridge once per class loader, from the first of:
 * <ol>
 *   <li>the file named by the system property {@value #PATH_PROPERTY}, and no
 *       other place if it is set;
 *   <li>each folder of {@code java.library.path}, in order;
 *   <li>the folder of the jar that holds these classes.
 * </ol>
 * The bridge finds the service library and the middleware in its own folder.
 *
 * <p>A failure is kept, not thrown from the class initialiser: every use of the
 * API that needs the bridge throws the same explanation, with the JVM's own
 * error as its cause, instead of a bare {@code NoClassDefFoundError} from the
 * second use on.
 */
final class NativeLibrary {
    /** System property naming the bridge library file explicitly. */
    static final String PATH_PROPERTY = "olvan.dravix.library";
    /** The bridge's file name, {@code libolvanjnidravix.so} on Linux. */
    static final String FILE_NAME = System.mapLibraryName("olvanjnidravix");
    private static final String MODULE_NAME = "com.olvan.dravix";

    /** The file loaded, or null when loading failed. */
    private static final Path LOADED;
    /** Why loading failed, or null. */
    private static final LoadFailure FAILURE;

    static {
        Path loaded = null;
        LoadFailure failure;
        try {
            loaded = load();
            failure = null;
        } catch (LoadFailure e) {
            failure = e;
        } catch (RuntimeException e) {
            // A path the file system cannot take, say: reported like any other failure.
            failure = LoadFailure.link(FILE_NAME + " could not be looked for: " + e, e);
        }
        LOADED = loaded;
        FAILURE = failure;
    }

    private NativeLibrary() {
    }

    /** Runs the class initialiser, which loads the bridge; throws nothing. */
    static void initialize() {
    }

    /**
     * Returns normally if the bridge is loaded.
     *
     * @throws UnsatisfiedLinkError if it was not found or did not load
     * @throws IllegalCallerException if the JVM refused native access
     */
    static void ensureLoaded() {
        if (FAILURE != null) {
            FAILURE.raise();
        }
    }

    /** @return the bridge file that was loaded; throws as {@link #ensureLoaded()} */
    static Path loadedFile() {
        ensureLoaded();
        return LOADED;
    }

    private static Path load() throws LoadFailure {
        String named = System.getProperty(PATH_PROPERTY);
        if (named != null && !named.isEmpty()) {
            Path file = Paths.get(named).toAbsolutePath();
            if (!Files.isRegularFile(file)) {
                throw LoadFailure.link("-D" + PATH_PROPERTY + "=" + named + " names no file (looked at " + file
                        + "); nothing else is tried while it is set. Name the path of " + FILE_NAME
                        + ", or leave the property unset to search java.library.path", null);
            }
            return loadFile(file);
        }
        List<Path> folders = searchFolders();
        for (Path folder : folders) {
            Path file = folder.resolve(FILE_NAME);
            if (Files.isRegularFile(file)) {
                return loadFile(file);
            }
        }
        throw LoadFailure.link(FILE_NAME + " (the native half of " + MODULE_NAME + ") was not found: looked in "
                + folders + " (java.library.path, then the folder of the API jar). Put its folder on"
                + " -Djava.library.path=<folder>, or name the file with -D" + PATH_PROPERTY + "=<path>/" + FILE_NAME,
                null);
    }

    @SuppressWarnings("restricted") // the one place the API loads native code
    private static Path loadFile(Path file) throws LoadFailure {
        try {
            System.load(file.toString());
            return file;
        } catch (IllegalCallerException e) {
            throw LoadFailure.nativeAccess(nativeAccessAdvice(), e);
        } catch (UnsatisfiedLinkError e) {
            throw LoadFailure.link(e.getMessage() + ". The bridge " + file + " was found but did not load: it"
                    + " looks for the service library libolvandravix.so and the middleware libraries in its own"
                    + " folder, " + file.getParent() + "; install it there, beside them", e);
        }
    }

    /** The flag that enables native access, for the way the API was put on the JVM. */
    private static String nativeAccessAdvice() {
        Module module = NativeLibrary.class.getModule();
        String how = module.isNamed()
                ? "--enable-native-access=" + module.getName() + " (the API jar is on the module path)"
                : "--enable-native-access=ALL-UNNAMED (the API jar is on the class path; an executable jar may"
                        + " say Enable-Native-Access: ALL-UNNAMED in its manifest instead)";
        return "The JVM refused native access to " + MODULE_NAME + ", which needs it to load " + FILE_NAME
                + ": start the JVM with " + how;
    }

    private static List<Path> searchFolders() {
        List<Path> folders = new ArrayList<>();
        String path = System.getProperty("java.library.path", "");
        for (String entry : path.split(File.pathSeparator)) {
            try {
                if (!entry.isEmpty()) {
                    // System.load takes absolute paths only; a relative entry is the JVM's working directory's.
                    folders.add(Paths.get(entry).toAbsolutePath());
                }
            } catch (InvalidPathException e) {
                // Not a folder this file system has: nothing to find there.
            }
        }
        Path jarFolder = jarFolder();
        if (jarFolder != null && !folders.contains(jarFolder)) {
            folders.add(jarFolder);
        }
        return folders;
    }

    /** The folder of the jar holding this class, or null when it is not loaded from a jar file. */
    private static Path jarFolder() {
        CodeSource source = NativeLibrary.class.getProtectionDomain().getCodeSource();
        if (source == null || source.getLocation() == null) {
            return null;
        }
        try {
            Path location = Paths.get(source.getLocation().toURI());
            return Files.isRegularFile(location) ? location.toAbsolutePath().getParent() : null;
        } catch (URISyntaxException | IllegalArgumentException e) {
            return null;
        }
    }

    /**
     * Why the bridge did not load. Each use throws a fresh exception of the JVM's
     * own kind, so that its stack trace shows the caller; the message and the
     * cause are the same every time.
     */
    private static final class LoadFailure extends Exception {
        private static final long serialVersionUID = 1L;
        private final boolean nativeAccess;

        private LoadFailure(String message, Throwable cause, boolean nativeAccess) {
            super(message, cause, false, false);
            this.nativeAccess = nativeAccess;
        }

        static LoadFailure link(String message, Throwable cause) {
            return new LoadFailure(message, cause, false);
        }

        static LoadFailure nativeAccess(String message, Throwable cause) {
            return new LoadFailure(message, cause, true);
        }

        void raise() {
            if (nativeAccess) {
                throw new IllegalCallerException(getMessage(), getCause());
            }
            UnsatisfiedLinkError error = new UnsatisfiedLinkError(getMessage());
            if (getCause() != null) {
                error.initCause(getCause());
            }
            throw error;
        }
    }
}
