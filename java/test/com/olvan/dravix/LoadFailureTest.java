package com.olvan.dravix;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assumptions.assumeTrue;

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
     * Runs TwoUses with the API jar at apiJar and the given JVM options, and
     * with this JVM's native access flag unless the options deny native access.
     */
    private static Uses run(Path apiJar, String... options) throws IOException, InterruptedException {
        List<String> command = new ArrayList<>();
        command.add(Paths.get(System.getProperty("java.home"), "bin", "java").toString());
        if (!Arrays.asList(options).contains(DENY)) {
            for (String argument : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
                if (argument.startsWith("--enable-native-access")) {
                    command.add(argument);
                }
            }
        }
        command.addAll(Arrays.asList(options));
        command.addAll(List.of("-cp", apiJar + ":" + codeOf(TwoUses.class), TwoUses.class.getName()));
        Process child = new ProcessBuilder(command).redirectErrorStream(true).start();
        String output = new String(child.getInputStream().readAllBytes(), StandardCharsets.UTF_8);
        assertTrue(child.waitFor(60, TimeUnit.SECONDS));
        assertEquals(0, child.exitValue(), output);
        List<String> lines = new ArrayList<>();
        for (String line : output.split("\n")) {
            if (line.startsWith("thrown: ") || line.startsWith("cause: ") || line.equals("loaded")) {
                lines.add(line);
            }
        }
        assertEquals(4, lines.size(), "two uses, each with its exception and cause:\n" + output);
        assertEquals(lines.subList(0, 2), lines.subList(2, 4), "the second use explains itself as the first");
        return new Uses(lines.get(0), lines.get(1));
    }

    /** The API jar alone in a folder of its own, so that nothing lies beside it. */
    private Path lonelyApiJar() throws IOException {
        Path folder = Files.createDirectories(directory.resolve("api"));
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
        assertTrue(uses.thrown().contains("--enable-native-access=ALL-UNNAMED"), uses.thrown());
        assertTrue(uses.cause().startsWith("cause: java.lang.IllegalCallerException: Illegal native access"),
                uses.cause());
    }
}
