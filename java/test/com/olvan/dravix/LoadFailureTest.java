package com.olvan.dravix;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assumptions.assumeTrue;

import com.olvan.dravix.testing.NestedJarLauncher;
import com.olvan.dravix.testing.Redeploy;
import com.olvan.dravix.testing.SettingsOnly;
import com.olvan.dravix.testing.TwoUses;
import java.io.IOException;
import java.lang.management.ManagementFactory;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Map;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/**
 * A bridge that does not load explains itself: where it was looked for, the
 * loader's own reason, the flag that enables native access. Each case runs in
 * a child JVM that uses the API twice: both uses must throw the same
 * explanation, with the JVM's error as the cause.
 */
class LoadFailureTest {
    private static final String DENY = "--illegal-native-access=deny";
    /** Not an option: asks for the child to get no native access flag. */
    private static final String NO_FLAG = "(no native access flag)";

    @TempDir
    Path directory;

    /** What the first use threw and its cause; the second use threw the same. */
    private record Uses(String thrown, String cause) {
    }

    private static Path codeOf(Class<?> type) {
        try {
            return Paths.get(type.getProtectionDomain().getCodeSource().getLocation().toURI());
        } catch (java.net.URISyntaxException e) {
            throw new AssertionError(e);
        }
    }

    /**
     * Runs a main class of the test jar with the API jar at apiJar (null: not
     * on the class path), the given environment (OLVAN_DRAVIX_HOME is unset
     * unless given) and JVM options, and with this JVM's native access flag
     * unless the options deny native access; returns its output.
     */
    private static String output(Path apiJar, Map<String, String> environment, List<String> options,
            String mainClass, String... args) throws IOException, InterruptedException {
        return output(apiJar, environment, options, List.of(), mainClass, args);
    }

    /** As above, the JVM started by the command prefix (which runs its arguments). */
    private static String output(Path apiJar, Map<String, String> environment, List<String> options,
            List<String> prefix, String mainClass, String... args) throws IOException, InterruptedException {
        List<String> command = new ArrayList<>(prefix);
        command.add(Paths.get(System.getProperty("java.home"), "bin", "java").toString());
        if (!options.contains(DENY) && !options.contains(NO_FLAG)) {
            for (String argument : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
                if (argument.startsWith("--enable-native-access")) {
                    command.add(argument);
                }
            }
        }
        options.stream().filter(o -> !o.equals(NO_FLAG)).forEach(command::add);
        String classPath = codeOf(TwoUses.class).toString();
        command.addAll(List.of("-cp", apiJar == null ? classPath : apiJar + ":" + classPath, mainClass));
        command.addAll(Arrays.asList(args));
        ProcessBuilder builder = new ProcessBuilder(command).redirectErrorStream(true);
        builder.environment().remove(NativeLibrary.HOME_VARIABLE);
        builder.environment().putAll(environment);
        Process child = builder.start();
        String output = new String(child.getInputStream().readAllBytes(), StandardCharsets.UTF_8);
        assertTrue(child.waitFor(60, TimeUnit.SECONDS));
        assertEquals(0, child.exitValue(), output);
        return output;
    }

    /** TwoUses's report: both uses loaded, or both threw the same. */
    private static Uses uses(String output) {
        List<String> lines = new ArrayList<>();
        for (String line : output.split("\n")) {
            if (line.startsWith("thrown: ") || line.startsWith("cause: ") || line.equals("loaded")) {
                lines.add(line);
            }
        }
        if (lines.equals(List.of("loaded", "loaded"))) {
            return new Uses("loaded", "none");
        }
        assertEquals(4, lines.size(), "two uses, each with its exception and cause:\n" + output);
        assertEquals(lines.subList(0, 2), lines.subList(2, 4), "the second use explains itself as the first");
        return new Uses(lines.get(0), lines.get(1));
    }

    private static Uses run(Path apiJar, Map<String, String> environment, String... options)
            throws IOException, InterruptedException {
        return uses(output(apiJar, environment, Arrays.asList(options), TwoUses.class.getName()));
    }

    private static Uses run(Path apiJar, String... options) throws IOException, InterruptedException {
        return run(apiJar, Map.of(), options);
    }

    /** The API jar alone in a folder of its own, so that nothing lies beside it. */
    private Path lonelyApiJar() throws IOException {
        return lonelyApiJar("api");
    }

    private Path lonelyApiJar(String folderName) throws IOException {
        Path folder = Files.createDirectories(directory.resolve(folderName));
        Path jar = codeOf(Dravix.class);
        return Files.copy(jar, folder.resolve(jar.getFileName()));
    }

    @Test
    void aBridgeNotFoundSaysWhereItWasLookedFor() throws Exception {
        Path empty = Files.createDirectories(directory.resolve("empty"));
        Path apiJar = lonelyApiJar();
        Uses uses = run(apiJar, "-Djava.library.path=" + empty);
        assertTrue(uses.thrown().startsWith("thrown: java.lang.UnsatisfiedLinkError: libolvanjnidravix.so"),
                uses.thrown());
        assertTrue(uses.thrown().contains("was not found: looked in [" + empty + ", " + apiJar.getParent() + "]"),
                uses.thrown());
        assertTrue(uses.thrown().contains("(java.library.path, then OLVAN_DRAVIX_HOME, then the folder of the API"
                + " jar)"), uses.thrown());
        assertTrue(uses.thrown().contains("Set OLVAN_DRAVIX_HOME to the product's folder"), uses.thrown());
        assertTrue(uses.thrown().contains("-Djava.library.path=<folder>"), uses.thrown());
        assertTrue(uses.thrown().contains("-Dolvan.dravix.library=<path>/libolvanjnidravix.so"), uses.thrown());
        assertEquals("cause: none", uses.cause());
    }

    @Test
    void aNamedFileThatIsMissingFailsWithoutTryingAnotherCopy() throws Exception {
        // The real bridge lies on java.library.path and beside the jar: it must not be used.
        Path missing = directory.resolve("missing.so");
        Uses uses = run(codeOf(Dravix.class), "-Dolvan.dravix.library=" + missing,
                "-Djava.library.path=" + NativeLibrary.loadedFile().getParent());
        assertTrue(uses.thrown().startsWith("thrown: java.lang.UnsatisfiedLinkError: -Dolvan.dravix.library="
                + missing + " names no file"), uses.thrown());
        assertTrue(uses.thrown().contains("nothing else is tried"), uses.thrown());
    }

    @Test
    void aBridgeWithoutItsLibrariesGivesTheLoadersReasonFirst() throws Exception {
        Path alone = Files.createDirectories(directory.resolve("alone"));
        Path bridge = Files.copy(NativeLibrary.loadedFile(), alone.resolve(NativeLibrary.FILE_NAME),
                StandardCopyOption.COPY_ATTRIBUTES);
        Uses uses = run(lonelyApiJar(), "-Dolvan.dravix.library=" + bridge);
        assertTrue(uses.cause().startsWith("cause: java.lang.UnsatisfiedLinkError: "), uses.cause());
        String reason = uses.cause().substring("cause: java.lang.UnsatisfiedLinkError: ".length());
        assertTrue(reason.contains("cannot open shared object file"), reason);
        assertTrue(uses.thrown().startsWith("thrown: java.lang.UnsatisfiedLinkError: " + reason + ". The bridge "
                + bridge + " was found but did not load"), uses.thrown());
        assertTrue(uses.thrown().contains("in its own folder, " + alone), uses.thrown());
    }

    @Test
    void deniedNativeAccessNamesTheFlag() throws Exception {
        assumeTrue(Runtime.version().feature() >= 24, "native access is denied from JDK 24 on");
        Uses uses = run(codeOf(Dravix.class), DENY);
        assertTrue(uses.thrown().startsWith("thrown: java.lang.IllegalCallerException: The JVM refused native access"
                + " to com.olvan.dravix"), uses.thrown());
        assertTrue(uses.thrown().contains("start the JVM with --enable-native-access=ALL-UNNAMED (the API jar is in an"
                + " unnamed module (the class path, or a server's or application's class loader)"), uses.thrown());
        assertTrue(uses.cause().startsWith("cause: java.lang.IllegalCallerException: Illegal native access"),
                uses.cause());
    }

    /** A product's folder with the bridge and its libraries in lib/x86_64-linux/, as a product lays them out. */
    private Path productHome() throws IOException {
        Path home = directory.resolve("product");
        Path lib = Files.createDirectories(home.resolve("lib").resolve("x86_64-linux"));
        Files.createDirectories(home.resolve("lib").resolve("aaa-empty"));
        Path built = NativeLibrary.loadedFile().getParent();
        for (String name : List.of(NativeLibrary.FILE_NAME, "libolvandravix.so", "libolvandds.so")) {
            Files.copy(built.resolve(name), lib.resolve(name), StandardCopyOption.COPY_ATTRIBUTES);
        }
        return home;
    }

    @Test
    void theProductsFolderAloneFindsTheBridge() throws Exception {
        Path empty = Files.createDirectories(directory.resolve("empty"));
        Path home = productHome();
        assertEquals("loaded", run(lonelyApiJar(), Map.of("OLVAN_DRAVIX_HOME", home.toString()),
                "-Djava.library.path=" + empty).thrown());

        // Not found there: the message lists the product's folders in the order searched.
        Path bare = Files.createDirectories(directory.resolve("bare").resolve("lib").resolve("sub")).getParent()
                .getParent();
        Path apiJar = lonelyApiJar("api2");
        Uses uses = run(apiJar, Map.of("OLVAN_DRAVIX_HOME", bare.toString()), "-Djava.library.path=" + empty);
        assertTrue(uses.thrown().contains("looked in [" + empty + ", " + bare.resolve("lib") + ", "
                + bare.resolve("lib").resolve("sub") + ", " + bare + ", " + apiJar.getParent() + "]"), uses.thrown());

        uses = run(apiJar, Map.of("OLVAN_DRAVIX_HOME", directory.resolve("nowhere").toString()),
                "-Djava.library.path=" + empty);
        assertTrue(uses.thrown().contains("not looked in: OLVAN_DRAVIX_HOME=" + directory.resolve("nowhere")
                + ": not a folder"), uses.thrown());
    }

    /** A fat jar: the API jar stored inside another, as application packagers do. */
    private Path fatJar() throws IOException {
        Path fat = directory.resolve("app.jar");
        try (java.util.zip.ZipOutputStream out = new java.util.zip.ZipOutputStream(Files.newOutputStream(fat))) {
            out.putNextEntry(new java.util.zip.ZipEntry("BOOT-INF/lib/" + codeOf(Dravix.class).getFileName()));
            Files.copy(codeOf(Dravix.class), out);
            out.closeEntry();
        }
        return fat;
    }

    @Test
    void classesFromAJarInsideAnotherFindTheBridgeOnTheLibraryPath() throws Exception {
        Path fat = fatJar();
        String entry = "BOOT-INF/lib/" + codeOf(Dravix.class).getFileName();
        String bridgeFolder = NativeLibrary.loadedFile().getParent().toString();
        Uses uses = uses(output(null, Map.of(), List.of("-Djava.library.path=" + bridgeFolder),
                NestedJarLauncher.class.getName(), fat.toString(), entry));
        assertEquals("loaded", uses.thrown());

        // Nowhere to be found: the nested code source is skipped and the message says why.
        Path empty = Files.createDirectories(directory.resolve("empty"));
        uses = uses(output(null, Map.of(), List.of("-Djava.library.path=" + empty),
                NestedJarLauncher.class.getName(), fat.toString(), entry));
        assertTrue(uses.thrown().contains("was not found: looked in [" + empty + "]"), uses.thrown());
        assertTrue(uses.thrown().contains("not looked in: the API jar's folder: its classes come from jar:"
                + fat.toUri() + "!/" + entry + "!/, which is not a jar file of its own"), uses.thrown());

        // No code source at all, and a native image (which has no jar): skipped with a note, never an error.
        uses = uses(output(null, Map.of(), List.of("-Djava.library.path=" + empty),
                NestedJarLauncher.class.getName(), fat.toString(), entry, "no-code-source"));
        assertTrue(uses.thrown().contains("not looked in: the API jar's folder: its classes have no code source"),
                uses.thrown());
        uses = uses(output(null, Map.of(), List.of("-Djava.library.path=" + empty,
                "-Dorg.graalvm.nativeimage.imagecode=runtime"), NestedJarLauncher.class.getName(), fat.toString(),
                entry));
        assertTrue(uses.thrown().contains("not looked in: the API jar's folder: this is a native image, which has no"
                + " jar"), uses.thrown());
    }

    /** What a user reads when another class loader holds the bridge, word for word. */
    private static String heldByAnotherLoader(Path bridge) {
        return """
                The bridge %s is already loaded by another class loader in this JVM, and one class loader per JVM \
                can hold it. That loader may be an earlier deployment of this same application, not yet collected: \
                the next use tries again, and loads the bridge once it is. Otherwise put the API jar where the \
                applications share it (such as a server's common library folder) rather than in each application\
                """.formatted(bridge);
    }

    /** The lines of /proc/self/maps that map a file whose path contains the text. */
    private static List<String> mappings(String text) throws IOException {
        List<String> lines = new ArrayList<>();
        for (String line : Files.readAllLines(Paths.get("/proc/self/maps"))) {
            if (line.contains(text)) {
                lines.add(line.substring(line.indexOf('/')));
            }
        }
        return lines;
    }

    /**
     * In a class loader of its own over the API jar: a started service's configuration, or the
     * UnsatisfiedLinkError its use threw. The service stays open until the loader's next use.
     */
    private static final class SecondApplication implements AutoCloseable {
        final java.net.URLClassLoader loader;
        private AutoCloseable service;

        SecondApplication() throws IOException {
            loader = new java.net.URLClassLoader(new java.net.URL[] {codeOf(Dravix.class).toUri().toURL()},
                    ClassLoader.getPlatformClassLoader());
        }

        Object use() throws ReflectiveOperationException {
            close();
            Class<?> dravix = loader.loadClass(Dravix.class.getName());
            try {
                service = (AutoCloseable) dravix.getConstructor().newInstance();
            } catch (java.lang.reflect.InvocationTargetException e) {
                assertEquals(UnsatisfiedLinkError.class, e.getCause().getClass());
                return e.getCause();
            }
            dravix.getMethod("start").invoke(service);
            return dravix.getMethod("getConfiguration").invoke(service);
        }

        @Override
        public void close() {
            try {
                if (service != null) {
                    service.close();
                }
            } catch (Exception e) {
                throw new AssertionError(e);
            } finally {
                service = null;
            }
        }
    }

    @Test
    void aSecondClassLoaderLoadsACopyOfItsOwnAndLeavesNoFileBehind() throws Exception {
        Path copies = Files.createDirectories(directory.resolve("copies"));
        System.setProperty(BridgeCopy.FOLDER_PROPERTY, copies.toString());
        try (Dravix mine = new Dravix(); SecondApplication second = new SecondApplication()) {
            mine.start();
            Object configuration = second.use();
            assertTrue(configuration instanceof String && ((String) configuration).contains("started"),
                    String.valueOf(configuration));
            assertTrue(mine.getConfiguration().contains("started"), "both serve at once");
            try (java.util.stream.Stream<Path> left = Files.list(copies)) {
                assertEquals(List.of(), left.map(Path::toString).toList(), "the copy is removed once loaded");
            }
            List<String> copy = mappings(copies + "/olvan-dravix-");
            assertTrue(!copy.isEmpty() && copy.stream().allMatch(m -> m.endsWith("/" + NativeLibrary.FILE_NAME
                    + " (deleted)")), copy.toString());
            assertEquals(1, mappings("/libolvandravix.so").stream().distinct().count(),
                    "one service library serves both bridges: " + mappings("/libolvandravix.so"));

            // The installation check, run by that loader's classes, names the file found and its copy.
            java.lang.reflect.Method check = second.loader.loadClass(
                    "com.olvan.dravix.diagnostics.InstallationCheck").getDeclaredMethod("run", java.io.PrintStream.class);
            check.setAccessible(true);
            java.io.ByteArrayOutputStream printed = new java.io.ByteArrayOutputStream();
            assertEquals(0, check.invoke(null, new java.io.PrintStream(printed, true, StandardCharsets.UTF_8)));
            String report = printed.toString(StandardCharsets.UTF_8);
            assertTrue(report.contains("  Bridge:      " + NativeLibrary.loadedFile().toRealPath() + " ("), report);
            assertTrue(report.matches("(?s).*  Loaded as:   " + java.util.regex.Pattern.quote(copies.toString())
                    + "/olvan-dravix-\\d+/" + NativeLibrary.FILE_NAME + ", removed once loaded: another class loader"
                    + " of this JVM holds the bridge's file\n.*"), report);
            mine.stop();
        } finally {
            System.clearProperty(BridgeCopy.FOLDER_PROPERTY);
        }
    }

    @Test
    void aSecondClassLoaderIsRefusedWhileNoCopyCanBeMadeAndTriesAgainAtEachUse() throws Exception {
        NativeLibrary.ensureLoaded();  // this class loader holds it
        Path held = NativeLibrary.loadedFile();
        Path nowhere = directory.resolve("nowhere");
        try (SecondApplication second = new SecondApplication()) {
            System.setProperty(BridgeCopy.ENABLED_PROPERTY, "false");
            Throwable off = (Throwable) second.use();
            assertEquals(heldByAnotherLoader(held) + ". No copy of it is made for this class loader while"
                    + " -Dolvan.dravix.copy=false", off.getMessage());
            assertTrue(off.getCause().getMessage().contains("already loaded in another classloader"),
                    off.getCause().getMessage());

            System.clearProperty(BridgeCopy.ENABLED_PROPERTY);
            System.setProperty(BridgeCopy.FOLDER_PROPERTY, nowhere.toString());
            Throwable unwritable = (Throwable) second.use();
            assertTrue(unwritable.getMessage().startsWith(heldByAnotherLoader(held) + ". A copy of it for this class"
                    + " loader could not be made in " + nowhere + " (java.nio.file.NoSuchFileException: "),
                    unwritable.getMessage());
            assertTrue(unwritable.getMessage().endsWith("name a folder that this user can write to and run programs"
                    + " from with -Dolvan.dravix.copyFolder=<folder>"), unwritable.getMessage());

            System.setProperty(BridgeCopy.FOLDER_PROPERTY, directory.toString());
            assertTrue(second.use() instanceof String, "the refusal is not kept");
        } finally {
            System.clearProperty(BridgeCopy.ENABLED_PROPERTY);
            System.clearProperty(BridgeCopy.FOLDER_PROPERTY);
        }
    }

    /** Redeploy's lines, in a child JVM with the given options. */
    private static List<String> redeploy(List<String> prefix, String... options) throws Exception {
        List<String> all = new ArrayList<>(List.of("-Xcheck:jni",
                "-Djava.library.path=" + NativeLibrary.loadedFile().getParent()));
        all.addAll(Arrays.asList(options));
        String output = output(null, Map.of(), all, prefix, Redeploy.class.getName(),
                codeOf(Dravix.class).toString());
        return List.of(output.split("\n"));
    }

    @Test
    void aRedeployedApplicationWorksAtOnceAndWithoutCopiesOnceTheOldLoaderIsCollected() throws Exception {
        // A server's redeploy with the API jar inside the application: the earlier
        // deployment's loader holds the bridge until it is collected. Not with the
        // sanitizers: when the JVM unloads a library, JDK 17 logs its name after
        // dlclose has freed it, which AddressSanitizer reports in the JVM's own code.
        assumeTrue(System.getenv("OLVAN_SANITIZER_PRELOAD") == null,
                "the JVM's own unloading of a library is not sanitizer-clean");
        assertEquals(List.of("first: loaded", "second while the first lives: loaded", "second again: loaded",
                "first collected: true", "second after the first is collected: loaded"),
                redeploy(List.of(), "-Djava.io.tmpdir=" + directory));

        String refused = "thrown: java.lang.UnsatisfiedLinkError: " + heldByAnotherLoader(NativeLibrary.loadedFile())
                + ". No copy of it is made for this class loader while -Dolvan.dravix.copy=false";
        assertEquals(List.of("first: loaded", "second while the first lives: " + refused, "second again: " + refused,
                "first collected: true", "second after the first is collected: loaded"),
                redeploy(List.of(), "-Dolvan.dravix.copy=false"));
    }

    @Test
    void aCopyFolderThatCannotHoldProgramsGivesTheRefusalNamingTheProperty() throws Exception {
        // A tmpfs mounted noexec in a mount namespace of the child's own, as hardened servers mount /tmp.
        assumeTrue(System.getenv("OLVAN_SANITIZER_PRELOAD") == null,
                "the JVM's own unloading of a library is not sanitizer-clean");
        Path noexec = Files.createDirectories(directory.resolve("noexec"));
        List<String> prefix = List.of("unshare", "--mount", "--propagation", "private", "sh", "-c",
                "mount -t tmpfs -o noexec,size=16m tmpfs \"$0\" && exec \"$@\"", noexec.toString());
        assumeTrue(new ProcessBuilder(List.of("unshare", "--mount", "--propagation", "private", "sh", "-c",
                "mount -t tmpfs -o noexec tmpfs \"$0\"", noexec.toString())).inheritIO().start().waitFor() == 0,
                "this user cannot mount a noexec folder in a namespace of its own");
        List<String> lines = redeploy(prefix, "-Dolvan.dravix.copyFolder=" + noexec);
        // A user-mode emulator maps the guest's code as data, so noexec stops nothing there.
        assumeTrue(!lines.get(1).equals("second while the first lives: loaded"),
                "code from a noexec folder loads here (an emulator's mappings)");
        String refused = "second while the first lives: thrown: java.lang.UnsatisfiedLinkError: "
                + heldByAnotherLoader(NativeLibrary.loadedFile()) + ". Its copy for this class loader, " + noexec
                + "/olvan-dravix-";
        assertTrue(lines.get(1).startsWith(refused), lines.get(1));
        assertTrue(lines.get(1).contains("failed to map segment from shared object"), lines.get(1));
        assertTrue(lines.get(1).endsWith("name a folder that this user can write to and run programs from (one not"
                + " mounted noexec) with -Dolvan.dravix.copyFolder=<folder>"), lines.get(1));
        assertEquals(List.of("first collected: true", "second after the first is collected: loaded"),
                lines.subList(3, 5));
    }

    @Test
    void settingsAloneLoadNothingAndPrintNothing() throws Exception {
        // On JDK 24 and later loading the bridge without the flag prints the
        // JVM's native-access warnings: making settings must not load it.
        String output = output(codeOf(Dravix.class), Map.of(), List.of(NO_FLAG, "-Djava.library.path="
                + NativeLibrary.loadedFile().getParent()), SettingsOnly.class.getName());
        assertEquals("settings made: orders\n", output);
    }

    @Test
    void aBridgeOfAnotherArchitectureSaysSo() throws Exception {
        // The bridge with its ELF machine changed to another 64-bit one: what
        // an installation for the wrong platform puts in front of the JVM.
        String running = System.getProperty("os.arch");
        String other = running.equals("aarch64") ? "amd64" : "aarch64";
        Path folder = Files.createDirectories(directory.resolve("other"));
        Path bridge = folder.resolve(NativeLibrary.FILE_NAME);
        byte[] bytes = Files.readAllBytes(NativeLibrary.loadedFile());
        bytes[18] = (byte) (other.equals("aarch64") ? 0xB7 : 0x3E);
        bytes[19] = 0;
        Files.write(bridge, bytes);
        Uses uses = run(lonelyApiJar(), "-Dolvan.dravix.library=" + bridge);
        assertTrue(uses.thrown().contains("The bridge " + bridge + " is built for " + other + ", and this JVM runs on "
                + running + ": install the bridge built for " + running), uses.thrown());
        assertTrue(uses.cause().startsWith("cause: java.lang.UnsatisfiedLinkError: "), uses.cause());
    }
}
