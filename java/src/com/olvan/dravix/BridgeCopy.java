package com.olvan.dravix;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.attribute.PosixFilePermissions;

/**
 * A private copy of the bridge for a class loader that finds the bridge's file
 * held by another class loader of the JVM (another application of a server, an
 * earlier deployment of this one). The JVM lets one class loader hold a library
 * file, not one library: a copy is another file, which the dynamic loader maps
 * as another library. The bridge keeps nothing between calls, so two of them
 * serve two class loaders as one would, and the service library the copy needs
 * is the one already loaded, found by its name.
 *
 * <p>The copy is made in a new folder of its own that only this user can enter,
 * and both are removed as soon as the copy is loaded: the mapping lives on
 * without the file, so nothing is left behind, not even by a JVM that is
 * killed.
 */
final class BridgeCopy {
    /** System property naming the folder in which copies are made; java.io.tmpdir by default. */
    static final String FOLDER_PROPERTY = "olvan.dravix.copyFolder";
    /** System property that turns copies off when {@code false}. */
    static final String ENABLED_PROPERTY = "olvan.dravix.copy";

    private BridgeCopy() {
    }

    /** Whether copies may be made: unless {@value #ENABLED_PROPERTY} is {@code false}. */
    static boolean enabled() {
        return !Boolean.FALSE.toString().equalsIgnoreCase(System.getProperty(ENABLED_PROPERTY, "").trim());
    }

    /** The folder copies are made in. */
    static Path folder() {
        String named = System.getProperty(FOLDER_PROPERTY);
        return Paths.get(named == null || named.isEmpty() ? System.getProperty("java.io.tmpdir") : named)
                .toAbsolutePath();
    }

    /** Copies the bridge, under its own file name, into a new private folder; returns the copy. */
    static Path make(Path bridge) throws IOException {
        Path folder = Files.createTempDirectory(folder(), "olvan-dravix-",
                PosixFilePermissions.asFileAttribute(PosixFilePermissions.fromString("rwx------")));
        Path copy = folder.resolve(bridge.getFileName());
        try {
            Files.copy(bridge, copy);
            Files.setPosixFilePermissions(copy, PosixFilePermissions.fromString("r-x------"));
            return copy;
        } catch (IOException | RuntimeException e) {
            remove(copy);
            throw e;
        }
    }

    /** Removes a copy and its folder; what cannot be removed is left, never an error. */
    static void remove(Path copy) {
        try {
            Files.deleteIfExists(copy);
            Files.deleteIfExists(copy.getParent());
        } catch (IOException e) {
            // A folder that refuses the removal keeps a file nobody uses; the API works on.
        }
    }
}
