package com.olvan.dravix.testkit;

import com.olvan.dravix.DravixProperty;
import java.io.IOException;
import java.io.InputStream;
import java.io.UncheckedIOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.attribute.PosixFilePermissions;
import java.util.ArrayList;
import java.util.List;
import java.util.Locale;
import java.util.Optional;

/**
 * The natives the kit carries, in {@code natives/<platform>/} of its jar: the
 * bridge, the stand-in service and middleware libraries, and the kit's control
 * library. Extracted once per JVM into a new folder only the user can read,
 * removed when the JVM exits; the API is then told to load the bridge from there.
 */
final class Natives {
    /** The platform of this JVM as the jar's folders name it. */
    static final String PLATFORM = "linux-" + processor(System.getProperty("os.arch", ""));
    private static final String BRIDGE = "libolvanjnidravix.so";
    private static final String SERVICE = "libolvandravix.so";
    private static final String CONTROLS = "libolvandravixkit.so";
    private static final List<String> FILES = List.of(BRIDGE, SERVICE, "libolvandds.so", CONTROLS);
    private static final String LIBRARY_PROPERTY = "olvan.dravix.library";

    private static Path folder;

    private Natives() {
    }

    /** Extracts and loads everything, the first time; afterwards returns at once. */
    static synchronized Path load() {
        if (folder != null) {
            return folder;
        }
        checkPlatform();
        Optional<Path> foreign = mapped(BRIDGE).or(() -> mapped(SERVICE));
        if (foreign.isPresent()) {
            throw new IllegalStateException("A Dravix library is already loaded in this JVM, from " + foreign.get()
                    + ": the test kit needs its own bridge and stand-in, and one JVM holds one. Use StandIn before"
                    + " anything makes a Dravix, and keep the product (java.library.path, OLVAN_DRAVIX_HOME,"
                    + " -D" + LIBRARY_PROPERTY + ") out of the test JVM");
        }
        String named = System.getProperty(LIBRARY_PROPERTY);
        Path extracted = extract();
        Path bridge = extracted.resolve(BRIDGE);
        if (named != null && !named.isEmpty() && !Paths.get(named).equals(bridge)) {
            throw new IllegalStateException("-D" + LIBRARY_PROPERTY + "=" + named + " names a bridge of its own;"
                    + " the test kit loads the one it carries: leave the property unset in tests");
        }
        loadControls(extracted.resolve(CONTROLS));
        System.setProperty(LIBRARY_PROPERTY, bridge.toString());
        try {
            // Any use that needs the bridge makes the API load it; case -1 compares nothing.
            new DravixProperty().checkNative(-1);
        } catch (UnsatisfiedLinkError e) {
            throw new IllegalStateException("The Dravix API failed to load a bridge before the test kit was used,"
                    + " and keeps that failure: use StandIn (or StandInExtension) before anything makes a Dravix",
                    e);
        }
        Optional<Path> loaded = mapped(BRIDGE);
        if (loaded.isEmpty() || !loaded.get().getParent().equals(realPath(extracted))) {
            throw new IllegalStateException("The Dravix API loaded " + loaded.map(Path::toString).orElse("no bridge")
                    + " instead of the test kit's " + bridge);
        }
        folder = extracted;
        return folder;
    }

    private static Path realPath(Path path) {
        try {
            return path.toRealPath();
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        }
    }

    private static String processor(String arch) {
        return arch.equals("amd64") ? "x86_64" : arch;
    }

    private static void checkPlatform() {
        String os = System.getProperty("os.name", "").toLowerCase(Locale.ROOT);
        if (!os.equals("linux") || Natives.class.getResource("/natives/" + PLATFORM + "/" + BRIDGE) == null) {
            throw new UnsupportedOperationException("This Dravix test kit jar carries no natives for " + os + "/"
                    + System.getProperty("os.arch", "") + " (it has natives/" + builtFor() + ")");
        }
    }

    /** The platforms the jar has natives for. */
    private static String builtFor() {
        List<String> platforms = new ArrayList<>();
        for (String candidate : List.of("linux-x86_64", "linux-aarch64")) {
            if (Natives.class.getResource("/natives/" + candidate + "/" + BRIDGE) != null) {
                platforms.add(candidate);
            }
        }
        return String.join(", ", platforms);
    }

    @SuppressWarnings("restricted") // the kit's control library, beside the stand-ins it controls
    private static void loadControls(Path controls) {
        System.load(controls.toString());
    }

    private static Path extract() {
        try {
            Path target = Files.createTempDirectory("olvan-dravix-testkit-",
                    PosixFilePermissions.asFileAttribute(PosixFilePermissions.fromString("rwx------")));
            List<Path> made = new ArrayList<>();
            Runtime.getRuntime().addShutdownHook(new Thread(() -> remove(target, made), "olvan-dravix-testkit-cleanup"));
            for (String name : FILES) {
                try (InputStream in = Natives.class.getResourceAsStream("/natives/" + PLATFORM + "/" + name)) {
                    if (in == null) {
                        throw new IllegalStateException("The test kit jar lacks natives/" + PLATFORM + "/" + name);
                    }
                    Path file = target.resolve(name);
                    Files.copy(in, file);
                    made.add(file);
                    Files.setPosixFilePermissions(file, PosixFilePermissions.fromString("r-x------"));
                }
            }
            return target;
        } catch (IOException e) {
            throw new UncheckedIOException("The test kit could not extract its natives", e);
        }
    }

    private static void remove(Path target, List<Path> files) {
        try {
            for (Path file : files) {
                Files.deleteIfExists(file);
            }
            Files.deleteIfExists(target);
        } catch (IOException e) {
            // Exiting: a temporary folder left behind is all that can go wrong.
        }
    }

    /** The file mapped into this process under the given name, if any. */
    private static Optional<Path> mapped(String name) {
        try {
            for (String line : Files.readAllLines(Paths.get("/proc/self/maps"), StandardCharsets.UTF_8)) {
                int slash = line.indexOf('/');
                if (slash >= 0 && line.endsWith("/" + name)) {
                    return Optional.of(Paths.get(line.substring(slash)));
                }
            }
            return Optional.empty();
        } catch (IOException e) {
            throw new UncheckedIOException("The test kit could not read /proc/self/maps", e);
        }
    }
}
