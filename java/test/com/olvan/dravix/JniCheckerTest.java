package com.olvan.dravix;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.olvan.dravix.testing.StandIn;
import java.io.IOException;
import java.lang.management.ManagementFactory;
import java.nio.charset.StandardCharsets;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.List;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.Test;

/**
 * The suite relies on -Xcheck:jni to catch JNI misuse. This proves the checker is
 * really on in the test JVM and that a misuse really produces the line the
 * suite's runner looks for. The misuse runs in a child JVM whose output is read
 * here and never printed.
 */
class JniCheckerTest {
    @Test
    void checkerIsOnInThisJvm() {
        List<String> arguments = ManagementFactory.getRuntimeMXBean().getInputArguments();
        assertTrue(arguments.contains("-Xcheck:jni"), "test JVM arguments: " + arguments);
    }

    @Test
    void misuseInAChildJvmIsReported() throws IOException, InterruptedException {
        Path java = Paths.get(System.getProperty("java.home"), "bin", "java");
        // The test controls and the API, whose bridge they load.
        String classes = Paths.get(StandIn.class.getProtectionDomain().getCodeSource().getLocation().getPath())
                + ":" + Paths.get(Dravix.class.getProtectionDomain().getCodeSource().getLocation().getPath());
        Process child = new ProcessBuilder(java.toString(), "-Xcheck:jni",
                "-Djava.library.path=" + System.getProperty("java.library.path"),
                "-cp", classes, "com.olvan.dravix.testing.MisuseJni")
                .redirectErrorStream(true)
                .start();
        String output = new String(child.getInputStream().readAllBytes(), StandardCharsets.UTF_8);
        assertTrue(child.waitFor(60, TimeUnit.SECONDS));
        assertEquals(0, child.exitValue(), "child JVM failed");
        boolean warned = output.contains("WARNING in native method");
        assertTrue(warned, "the deliberate misuse was not reported; -Xcheck:jni is not effective");
        assertFalse(output.contains("FATAL ERROR"));
    }
}
