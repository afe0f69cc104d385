package com.olvan.dravix;

import com.olvan.dravix.diagnostics.SelfCheckCases;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assertions.fail;

import com.olvan.dravix.faults.NativeProbe;
import com.olvan.dravix.infrastructure.DravixException;
import com.olvan.dravix.infrastructure.OutOfResourcesException;
import com.olvan.dravix.testing.StandIn;
import java.io.IOException;
import java.io.OutputStream;
import java.io.PrintStream;
import java.lang.management.ManagementFactory;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Properties;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import javax.management.JMException;
import javax.management.ObjectName;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.api.io.TempDir;

/**
 * Characters borrowed from the JVM and never given back escape the sanitizers:
 * the JVM allocates them itself. Native memory tracking files them under
 * "Internal", so that category must not grow while the bridge runs every export,
 * failure paths included, thousands of times. Runs in its own CTest entry with
 * -XX:NativeMemoryTracking=summary against the shipped bridge.
 */
@ExtendWith(LedgerExtension.class)
class NativeMemoryCheck {
    private static final int WARM_UP = 1_000;
    private static final int CYCLES = 5_000;
    /** Far below one block per cycle, far above the JVM's own drift. */
    private static final long MAX_NEW_BLOCKS = CYCLES / 20;
    private static final long MAX_GROWTH_BYTES = 256 * 1024;

    @TempDir
    static Path directory;

    /** Outstanding "Internal" allocations: bytes committed and malloc'ed blocks. */
    private record Internal(long committed, long blocks) {
    }

    private static final Pattern INTERNAL = Pattern.compile(
            "-\\s+Internal \\(reserved=\\d+KB, committed=(\\d+)KB\\)\\s*\\n\\s*\\(malloc=\\d+KB(?: tag=Internal)? #(\\d+)\\)");

    private static Internal internal() {
        String report;
        try {
            report = (String) ManagementFactory.getPlatformMBeanServer().invoke(
                    new ObjectName("com.sun.management:type=DiagnosticCommand"), "vmNativeMemory",
                    new Object[] {new String[] {"summary", "scale=KB"}}, new String[] {String[].class.getName()});
        } catch (JMException e) {
            throw new AssertionError("native memory tracking not reachable", e);
        }
        Matcher m = INTERNAL.matcher(report);
        if (!m.find()) {
            fail("no Internal category (run with -XX:NativeMemoryTracking=summary):\n" + report);
        }
        return new Internal(Long.parseLong(m.group(1)) * 1024, Long.parseLong(m.group(2)));
    }

    /**
     * getProperty throws: the key's characters are in hand and must still be
     * given back. The bridge describes the exception on System.err, which
     * {@link #quietly} silences: thousands of stack traces would bury the
     * report.
     */
    private static final class ThrowingProperties extends Properties {
        private static final long serialVersionUID = 1L;

        ThrowingProperties() {
            super.setProperty("key", "value");
        }

        @Override
        public String getProperty(String key) {
            throw new Refused();
        }
    }

    /** Without a stack trace: the JVM's description of it stays one line. */
    private static final class Refused extends RuntimeException {
        private static final long serialVersionUID = 1L;

        Refused() {
            super("getProperty refused", null, false, false);
        }
    }

    /**
     * One round of every export that borrows characters, on its normal path and
     * on each failure path that has characters in hand when it fails.
     */
    private static void cycle(DravixProperty settings, DravixProperty throwing, String fileEntity) {
        try (Dravix service = new Dravix(settings)) {
            service.start();
            service.createEntity("route", "<route from=\"in\" to=\"out\">\u00e9\u20ac\uD83D\uDE00</route>");
            service.createEntity("file", fileEntity);
            assertTrue(service.getConfiguration().contains("\uD83D\uDE00"));  // decoded by the bridge
            StandIn.failDupAt(1);
            assertThrows(OutOfResourcesException.class, () -> service.createEntity("name", "<x/>"));
            StandIn.failDupAt(2);
            assertThrows(OutOfResourcesException.class, () -> service.createEntity("name", "<x/>"));
            assertThrows(DravixException.class, () -> service.deleteEntity("no such entity"));
            service.deleteEntity("route");
            service.deleteEntity("file");
            service.stop();
        }
        StandIn.failAddAt(5);
        assertThrows(OutOfResourcesException.class, () -> new Dravix(settings));
        StandIn.failDupAt(4);
        assertThrows(OutOfResourcesException.class, () -> new Dravix(settings));
        assertThrows(OutOfResourcesException.class, () -> new Dravix(throwing));
        assertTrue(SelfCheckCases.settingsFor(1).checkNative(1));
    }

    private static void run(int cycles, DravixProperty settings, DravixProperty throwing, String fileEntity) {
        quietly(() -> {
            for (int i = 0; i < cycles; i++) {
                cycle(settings, throwing, fileEntity);
            }
        });
    }

    /** Runs with System.err discarded, where the JVM describes exceptions. */
    private static void quietly(Runnable action) {
        PrintStream err = System.err;
        System.setErr(new PrintStream(OutputStream.nullOutputStream(), true, StandardCharsets.UTF_8));
        try {
            action.run();
        } finally {
            System.setErr(err);
        }
    }

    @Test
    void internalMemoryDoesNotGrowWithCalls() throws IOException {
        Path file = directory.resolve("entity.xml");
        Files.write(file, "<file>\uD83D\uDE00</file>".getBytes(StandardCharsets.UTF_8));
        Properties environment = new Properties();
        for (int i = 0; i < 8; i++) {
            environment.setProperty("NAME_" + i, "value \u00e9 " + i);
        }
        DravixProperty settings = new DravixProperty().setCfgFile("/etc/dravix/main.xml")
                .setCfgStrings("<a/>", "<b>\u20ac</b>", null, "<d/>").setServiceName("orders")
                .setApplicationName("billing").setPluginSearchPath("/opt/dravix/plugins")
                .setUserEnvironment(environment);
        DravixProperty throwing = new DravixProperty().setServiceName("throwing")
                .setUserEnvironment(new ThrowingProperties());
        String fileEntity = "file://" + file;

        run(WARM_UP, settings, throwing, fileEntity);
        Internal before = internal();
        run(CYCLES, settings, throwing, fileEntity);
        Internal after = internal();
        System.out.printf("NMT Internal over %d cycles: %d -> %d bytes committed, %d -> %d blocks%n",
                CYCLES, before.committed(), after.committed(), before.blocks(), after.blocks());
        assertTrue(after.blocks() - before.blocks() < MAX_NEW_BLOCKS,
                "Internal gained " + (after.blocks() - before.blocks()) + " blocks in " + CYCLES + " cycles");
        assertTrue(after.committed() - before.committed() < MAX_GROWTH_BYTES,
                "Internal grew by " + (after.committed() - before.committed()) + " bytes in " + CYCLES + " cycles");
        assertEquals(0, StandIn.liveStrings());
    }

    /** The measurement sees what it is there to catch: one buffer kept per call. */
    @Test
    void charactersNeverGivenBackShowInInternal() {
        String text = "x".repeat(500);
        Internal before = internal();
        for (int i = 0; i < CYCLES; i++) {
            NativeProbe.borrowWithoutRelease(text);
        }
        Internal after = internal();
        System.out.printf("NMT Internal with %d buffers kept: %d -> %d bytes committed, %d -> %d blocks%n",
                CYCLES, before.committed(), after.committed(), before.blocks(), after.blocks());
        assertTrue(after.blocks() - before.blocks() >= CYCLES,
                "only " + (after.blocks() - before.blocks()) + " new blocks for " + CYCLES + " buffers kept");
        assertTrue(after.committed() - before.committed() >= (long) CYCLES * text.length(),
                "Internal grew by only " + (after.committed() - before.committed()) + " bytes");
    }
}
