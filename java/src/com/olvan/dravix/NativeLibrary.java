package com.olvan.dravix;

import com.olvan.dravix.loading.LoadedBridge;
import com.olvan.dravix.loading.LoadedLibraries;
import java.io.File;
import java.io.IOException;
import java.net.URISyntaxException;
import java.net.URL;
import java.nio.file.Files;
import java.nio.file.InvalidPathException;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.security.CodeSource;
import java.util.ArrayList;
import java.util.List;
import java.util.Optional;
import java.util.stream.Stream;

/**
 * Loads the native bridge once per class loader, at the first use that needs it
 * (a new {@link Dravix}, the self-check), from the first of:
 * <ol>
 *   <li>the file named by the system property {@value #PATH_PROPERTY}, and no
 *       other place if it is set;
 *   <li>each folder of {@code java.library.path}, in order;
 *   <li>the product's folder named by the environment variable
 *       {@value #HOME_VARIABLE}: its {@code lib/}, each folder directly below
 *       {@code lib/}, then the folder itself;
 *   <li>the folder of the jar that holds these classes (for a run-time image
 *       made with jlink, the image's {@code lib/}).
 * </ol>
 * The bridge finds the service library and the middleware in its own folder.
 * When another class loader of the JVM holds the bridge's file, a copy of it is
 * loaded instead (see {@link BridgeCopy}), which finds them already loaded.
 *
 * <p>A failure is kept, not thrown from a class initialiser: every use of the
 * API that needs the bridge throws the same explanation instead of a bare
 * {@code NoClassDefFoundError} from the second use on. The one failure that is
 * not kept is a bridge held by another class loader that no copy could stand in
 * for (see {@link #ensureLoaded()}).
 */
final class NativeLibrary {
    /** System property naming the bridge library file explicitly. */
    static final String PATH_PROPERTY = "olvan.dravix.library";
    /** Environment variable naming the product's folder. */
    static final String HOME_VARIABLE = "OLVAN_DRAVIX_HOME";
    /** The bridge's file name, {@code libolvanjnidravix.so} on Linux. */
    static final String FILE_NAME = System.mapLibraryName("olvanjnidravix");
    private static final String MODULE_NAME = "com.olvan.dravix";
    private static final String ANOTHER_LOADER = "already loaded in another classloader";

    private NativeLibrary() {
    }

    // The outcome so far, under LOCK; loadedFile is also read without it, once set.
    private static final Object LOCK = new Object();
    private static volatile Path loadedFile;
    private static LoadFailure keptFailure;

    /**
     * Loads the bridge if this is the first use, and returns normally if it is loaded.
     * A failure is kept and thrown again by every later use, except the one that
     * another class loader holds the bridge and no copy of it could be loaded
     * (copies turned off, or their folder unusable): that loader may be an earlier
     * deployment of the same application, and once it is collected the JVM
     * unloads the bridge, so the next use tries again.
     *
     * @throws UnsatisfiedLinkError if it was not found or did not load
     * @throws IllegalCallerException if the JVM refused native access
     */
    static void ensureLoaded() {
        if (loadedFile == null) {
            loadOnce();
        }
    }

    /**
     * @return the bridge file found (a copy of it may have been loaded in its
     *     place); throws as {@link #ensureLoaded()}
     */
    static Path loadedFile() {
        ensureLoaded();
        return loadedFile;
    }

    private static void loadOnce() {
        synchronized (LOCK) {
            if (loadedFile != null) {
                return;
            }
            if (keptFailure == null) {
                try {
                    loadedFile = load();
                    return;
                } catch (LoadFailure e) {
                    if (e.otherLoader) {
                        e.raise();
                    }
                    keptFailure = e;
                } catch (RuntimeException e) {
                    keptFailure = LoadFailure.link(FILE_NAME + " could not be looked for: " + e, e);
                }
            }
            keptFailure.raise();
        }
    }

    private static Path load() throws LoadFailure {
        String named = System.getProperty(PATH_PROPERTY);
        if (named != null && !named.isEmpty()) {
            Path file = Paths.get(named).toAbsolutePath();
            if (!Files.isRegularFile(file)) {
                throw LoadFailure.link("-D" + PATH_PROPERTY + "=" + named + " names no file (looked at " + file
                        + "); nothing else is tried while it is set. Name the path of " + FILE_NAME
                        + ", or leave the property unset to search java.library.path and " + HOME_VARIABLE, null);
            }
            return loadFile(file);
        }
        Search search = new Search();
        for (Place place : Place.values()) {
            Path found = search.in(place);
            if (found != null) {
                return loadFile(found);
            }
        }
        throw LoadFailure.link(FILE_NAME + " (the native half of " + MODULE_NAME + ") was not found: looked in "
                + search.looked + " (java.library.path, then " + HOME_VARIABLE + ", then the folder of the API jar)"
                + search.skippedText() + ". Set " + HOME_VARIABLE + " to the product's folder, put the bridge's"
                + " folder on -Djava.library.path=<folder>, or name the file with -D" + PATH_PROPERTY + "=<path>/"
                + FILE_NAME, null);
    }

    /** The places searched after the named file, in order. */
    private enum Place {
        LIBRARY_PATH("java.library.path") {
            @Override
            List<Path> folders(List<String> skipped) {
                List<Path> folders = new ArrayList<>();
                for (String entry : System.getProperty("java.library.path", "").split(File.pathSeparator)) {
                    try {
                        if (!entry.isEmpty()) {
                            // System.load takes absolute paths only; a relative entry is the working directory's.
                            folders.add(Paths.get(entry).toAbsolutePath());
                        }
                    } catch (InvalidPathException e) {
                        skipped.add("java.library.path entry " + entry + ": " + e.getMessage());
                    }
                }
                return folders;
            }
        },
        PRODUCT_HOME(HOME_VARIABLE) {
            @Override
            List<Path> folders(List<String> skipped) throws IOException {
                String home = System.getenv(HOME_VARIABLE);
                if (home == null || home.isEmpty()) {
                    return List.of();
                }
                Path folder = Paths.get(home).toAbsolutePath();
                if (!Files.isDirectory(folder)) {
                    skipped.add(HOME_VARIABLE + "=" + home + ": not a folder");
                    return List.of();
                }
                // As the build looks for the service library: lib/, a folder below it, the folder itself.
                List<Path> folders = new ArrayList<>();
                Path lib = folder.resolve("lib");
                folders.add(lib);
                if (Files.isDirectory(lib)) {
                    try (Stream<Path> below = Files.list(lib)) {
                        below.filter(Files::isDirectory).sorted().forEach(folders::add);
                    }
                }
                folders.add(folder);
                return folders;
            }
        },
        API_JAR("the API jar's folder") {
            @Override
            List<Path> folders(List<String> skipped) throws URISyntaxException {
                if (System.getProperty("org.graalvm.nativeimage.imagecode") != null) {
                    skipped.add("the API jar's folder: this is a native image, which has no jar");
                    return List.of();
                }
                CodeSource source = NativeLibrary.class.getProtectionDomain().getCodeSource();
                URL location = source == null ? null : source.getLocation();
                if (location == null) {
                    skipped.add("the API jar's folder: its classes have no code source");
                    return List.of();
                }
                if (location.getProtocol().equals("jrt")) {
                    // A run-time image made with jlink keeps native libraries in its lib/.
                    return List.of(Paths.get(System.getProperty("java.home"), "lib"));
                }
                Path jar = location.getProtocol().equals("file") ? Paths.get(location.toURI()) : null;
                if (jar == null || !Files.isRegularFile(jar)) {
                    skipped.add("the API jar's folder: its classes come from " + location
                            + ", which is not a jar file of its own (a jar inside another, say)");
                    return List.of();
                }
                return List.of(jar.toAbsolutePath().getParent());
            }
        };

        final String description;

        Place(String description) {
            this.description = description;
        }

        /** The folders of this place, adding to skipped what could not be looked at. */
        abstract List<Path> folders(List<String> skipped) throws IOException, URISyntaxException;
    }

    /** What was looked at so far, and what was skipped and why. */
    private static final class Search {
        final List<Path> looked = new ArrayList<>();
        final List<String> skipped = new ArrayList<>();

        /** The bridge in one of the place's folders, or null; a place that fails is skipped, never an error. */
        Path in(Place place) {
            List<Path> folders;
            try {
                folders = place.folders(skipped);
            } catch (IOException | URISyntaxException | RuntimeException e) {
                skipped.add(place.description + ": " + e);
                return null;
            }
            for (Path folder : folders) {
                if (looked.contains(folder)) {
                    continue;
                }
                looked.add(folder);
                Path file = folder.resolve(FILE_NAME);
                if (Files.isRegularFile(file)) {
                    return file;
                }
            }
            return null;
        }

        String skippedText() {
            return skipped.isEmpty() ? "" : "; not looked in: " + String.join("; ", skipped);
        }
    }

    /**
     * Loads the bridge file, or, when another class loader holds it, a copy of it
     * made for this class loader (unless copies are turned off).
     */
    private static Path loadFile(Path file) throws LoadFailure {
        UnsatisfiedLinkError refused = loadUnlessHeld(file);
        if (refused == null) {
            return file;
        }
        if (!BridgeCopy.enabled()) {
            throw LoadFailure.otherLoader(held(file) + ". No copy of it is made for this class loader while -D"
                    + BridgeCopy.ENABLED_PROPERTY + "=false", refused);
        }
        Path copy;
        try {
            copy = BridgeCopy.make(file);
        } catch (IOException | RuntimeException e) {
            throw LoadFailure.otherLoader(held(file) + ". A copy of it for this class loader could not be made in "
                    + BridgeCopy.folder() + " (" + e + "): name a folder that this user can write to and run"
                    + " programs from with -D" + BridgeCopy.FOLDER_PROPERTY + "=<folder>", refused);
        }
        try {
            systemLoad(copy);
            LoadedBridge.note(new LoadedBridge(file, Optional.of(copy)));
            return file;
        } catch (UnsatisfiedLinkError e) {
            // The other class loader may have let go of the bridge meanwhile, and with it of the
            // service library the copy needs: then the file itself is free.
            if (loadUnlessHeld(file) == null) {
                return file;
            }
            throw LoadFailure.otherLoader(held(file) + ". Its copy for this class loader, " + copy + ", did not load ("
                    + e.getMessage() + "): name a folder that this user can write to and run programs from (one"
                    + " not mounted noexec) with -D" + BridgeCopy.FOLDER_PROPERTY + "=<folder>", refused);
        } finally {
            BridgeCopy.remove(copy);
        }
    }

    /**
     * Loads the file itself: null once it is loaded (noted for the installation
     * check), or the JVM's refusal when another class loader holds it.
     */
    private static UnsatisfiedLinkError loadUnlessHeld(Path file) throws LoadFailure {
        try {
            systemLoad(file);
            LoadedBridge.note(new LoadedBridge(file, Optional.empty()));
            return null;
        } catch (UnsatisfiedLinkError e) {
            if (!heldByAnotherLoader(e)) {
                throw didNotLoad(file, e);
            }
            return e;
        }
    }

    @SuppressWarnings("restricted") // the one place the API loads native code
    private static void systemLoad(Path file) throws LoadFailure {
        try {
            System.load(file.toString());
        } catch (IllegalCallerException e) {
            throw LoadFailure.nativeAccess(nativeAccessAdvice(), e);
        }
    }

    private static boolean heldByAnotherLoader(UnsatisfiedLinkError e) {
        return String.valueOf(e.getMessage()).contains(ANOTHER_LOADER);
    }

    private static String held(Path file) {
        return "The bridge " + file + " is already loaded by another class loader in this JVM, and one class loader"
                + " per JVM can hold it. That loader may be an earlier deployment of this same application, not yet"
                + " collected: the next use tries again, and loads the bridge once it is. Otherwise put the API jar"
                + " where the applications share it (such as a server's common library folder) rather than in each"
                + " application";
    }

    /** The bridge was found but the dynamic loader refused it: another machine's, or its libraries missing. */
    private static LoadFailure didNotLoad(Path file, UnsatisfiedLinkError e) {
        String built = LoadedLibraries.machine(file);
        String running = System.getProperty("os.arch");
        if (built != null && !built.equals(running)) {
            return LoadFailure.link(e.getMessage() + ". The bridge " + file + " is built for " + built
                    + ", and this JVM runs on " + running + ": install the bridge built for " + running, e);
        }
        return LoadFailure.link(e.getMessage() + ". The bridge " + file + " was found but did not load: it"
                + " looks for the service library libolvandravix.so and the middleware libraries in its own"
                + " folder, " + file.getParent() + "; install it there, beside them", e);
    }

    /** The flag that enables native access, for the way the API was put on the JVM. */
    private static String nativeAccessAdvice() {
        Module module = NativeLibrary.class.getModule();
        String how = module.isNamed()
                ? "--enable-native-access=" + module.getName() + " (the API jar is on the module path)"
                : "--enable-native-access=ALL-UNNAMED (the API jar is in an unnamed module (the class path, or a"
                        + " server's or application's class loader); an executable jar may"
                        + " say Enable-Native-Access: ALL-UNNAMED in its manifest instead)";
        return "The JVM refused native access to " + MODULE_NAME + ", which needs it to load " + FILE_NAME
                + ": start the JVM with " + how;
    }

    /**
     * Why the bridge did not load. Each use throws a fresh exception of the JVM's
     * own kind, so that its stack trace shows the caller; the message and the
     * cause are the same every time.
     */
    private static final class LoadFailure extends Exception {
        private static final long serialVersionUID = 1L;
        private final boolean nativeAccess;
        /** Another class loader holds the bridge: not kept, the next use tries again. */
        final boolean otherLoader;

        private LoadFailure(String message, Throwable cause, boolean nativeAccess, boolean otherLoader) {
            super(message, cause, false, false);
            this.nativeAccess = nativeAccess;
            this.otherLoader = otherLoader;
        }

        static LoadFailure link(String message, Throwable cause) {
            return new LoadFailure(message, cause, false, false);
        }

        static LoadFailure otherLoader(String message, Throwable cause) {
            return new LoadFailure(message, cause, false, true);
        }

        static LoadFailure nativeAccess(String message, Throwable cause) {
            return new LoadFailure(message, cause, true, false);
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
