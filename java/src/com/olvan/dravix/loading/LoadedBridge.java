package com.olvan.dravix.loading;

import java.nio.file.Path;
import java.util.Objects;
import java.util.Optional;

/**
 * The bridge that the API of this class loader loaded: the file it found and,
 * when another class loader of the JVM held that file, the private copy it
 * loaded in its place (removed once loaded). Noted by the API's loader, read by
 * the installation check. Public for the API's loader; the package is not
 * exported.
 *
 * @param file the bridge file found
 * @param copy the copy loaded in its place, if one was
 */
public record LoadedBridge(Path file, Optional<Path> copy) {
    private static volatile LoadedBridge current;

    /** Checks the parts. */
    public LoadedBridge {
        Objects.requireNonNull(file, "file");
        Objects.requireNonNull(copy, "copy");
    }

    /** Notes the bridge this class loader's API loaded. */
    public static void note(LoadedBridge bridge) {
        current = bridge;
    }

    /** The bridge this class loader's API loaded, if it loaded one. */
    public static Optional<LoadedBridge> current() {
        return Optional.ofNullable(current);
    }
}
