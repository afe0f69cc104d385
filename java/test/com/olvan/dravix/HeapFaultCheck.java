package com.olvan.dravix;

import com.olvan.dravix.diagnostics.SelfCheckCases;
import static com.olvan.dravix.ServiceLifecycleTest.assertThrowsExactly;
import static java.nio.charset.StandardCharsets.US_ASCII;
import static java.nio.charset.StandardCharsets.UTF_8;
import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.olvan.dravix.faults.HeapFaults;
import com.olvan.dravix.infrastructure.OutOfResourcesException;
import com.olvan.dravix.testing.StandIn;
import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.file.Files;
import java.nio.file.Path;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

/**
 * The bridge's own heap allocations made to fail: the record, the cfg_strings
 * array, the self-check's case 1 array and the configuration decoder's UTF-16
 * buffer. Each failure must raise OutOfResourcesException with the fixed
 * message, release everything (the ledger checks after each test, the leak
 * checker at exit in sanitizer builds) and leave the objects involved usable.
 *
 * <p>Runs only against the test variant libolvanjnidravix-faults.so, named by
 * -Dolvan.dravix.library (its own CTest entry); the name keeps it out of the
 * suite's *Test classes, which run against the shipped library.
 */
@ExtendWith(LedgerExtension.class)
class HeapFaultCheck {
    private static final String NO_MEMORY = "insufficient memory for native allocation";
    private static final int CFG_FILE = 0;
    private static final int CFG_STRINGS = 8;
    private static final int CFG_STRINGS_COUNT = 16;
    private static final int SERVICE_NAME = 24;

    @BeforeAll
    static void bridgeIsTheFaultVariant() {
        NativeLibrary.ensureLoaded();
        assertTrue(System.getProperty(NativeLibrary.PATH_PROPERTY, "").endsWith("libolvanjnidravix-faults.so"),
                "run with -D" + NativeLibrary.PATH_PROPERTY + "=.../libolvanjnidravix-faults.so");
    }

    @AfterEach
    void disarm() {
        HeapFaults.failMallocAt(0);
    }

    private static ByteBuffer record(long handle) {
        return ByteBuffer.wrap(StandIn.peek(handle, 256)).order(ByteOrder.LITTLE_ENDIAN);
    }

    private static byte[] text(ByteBuffer record, int slot) {
        return StandIn.cString(record.getLong(slot));
    }

    private static byte[] cfgString(ByteBuffer record, int index) {
        long array = record.getLong(CFG_STRINGS);
        long entry = ByteBuffer.wrap(StandIn.peek(array + 8L * index, 8)).order(ByteOrder.LITTLE_ENDIAN).getLong();
        return StandIn.cString(entry);
    }

    /** The armed allocation was the last one the bridge made, and it failed. */
    private static void assertFailedAt(long n) {
        assertEquals(1, HeapFaults.failedMallocs(), "the armed allocation was never made");
        assertEquals(n, HeapFaults.mallocCalls(), "allocations made up to and after the failed one");
    }

    @Test
    void failedRecordAllocationRaisesAndAllocatesNothing() {
        HeapFaults.failMallocAt(1);
        assertThrowsExactly(OutOfResourcesException.class, NO_MEMORY, DravixProperty::DravixProperty_new);
        assertFailedAt(1);
        assertEquals(0, StandIn.dupCalls());
        long handle = DravixProperty.DravixProperty_new();
        DravixProperty.DravixProperty_delete(handle);
    }

    @Test
    void failedArrayStopsTheConversionThereAndTheRecordStaysUsable() {
        DravixProperty settings = new DravixProperty().setCfgFile("main.xml").setCfgStrings("<a/>", "<b/>")
                .setServiceName("orders");
        long handle = DravixProperty.DravixProperty_new();
        try {
            HeapFaults.failMallocAt(1);
            assertThrowsExactly(OutOfResourcesException.class, NO_MEMORY,
                    () -> settings.DravixProperty_to_native(handle));
            assertFailedAt(1);
            ByteBuffer r = record(handle);
            assertArrayEquals("main.xml".getBytes(US_ASCII), text(r, CFG_FILE), "the field before the array");
            assertEquals(0, r.getLong(CFG_STRINGS));
            assertEquals(0, r.getInt(CFG_STRINGS_COUNT));
            assertEquals(0, r.getLong(SERVICE_NAME), "the field after the array must not be reached");

            HeapFaults.failMallocAt(0);
            settings.DravixProperty_to_native(handle);
            r = record(handle);
            assertEquals(2, r.getInt(CFG_STRINGS_COUNT));
            assertArrayEquals("<a/>".getBytes(US_ASCII), cfgString(r, 0));
            assertArrayEquals("<b/>".getBytes(US_ASCII), cfgString(r, 1));
            assertArrayEquals("orders".getBytes(US_ASCII), text(r, SERVICE_NAME));
            assertEquals(4, StandIn.liveStrings());

            // The array being replaced goes with its strings even though its
            // successor cannot be had.
            HeapFaults.failMallocAt(1);
            assertThrowsExactly(OutOfResourcesException.class, NO_MEMORY,
                    () -> settings.setCfgStrings("<c/>").DravixProperty_to_native(handle));
            assertFailedAt(1);
            r = record(handle);
            assertEquals(0, r.getLong(CFG_STRINGS));
            assertEquals(0, r.getInt(CFG_STRINGS_COUNT));
            assertEquals(2, StandIn.liveStrings(), "only cfg_file and service_name may be left");
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void emptyArrayNeedsNoMemorySoANullFromMallocIsNoFailure() {
        long handle = DravixProperty.DravixProperty_new();
        try {
            HeapFaults.failMallocAt(1);
            new DravixProperty().setCfgStrings().setServiceName("after").DravixProperty_to_native(handle);
            assertFailedAt(1);
            ByteBuffer r = record(handle);
            assertEquals(0, r.getLong(CFG_STRINGS));
            assertEquals(0, r.getInt(CFG_STRINGS_COUNT));
            assertArrayEquals("after".getBytes(US_ASCII), text(r, SERVICE_NAME), "the conversion went on");
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void failedCaseOneArrayRaisesAndLeavesTheRecordAsItWas() {
        long handle = RecordFixtures.convert(SelfCheckCases.settingsFor(1));
        try {
            byte[] before = StandIn.peek(handle, 256);
            HeapFaults.failMallocAt(1);
            assertThrowsExactly(OutOfResourcesException.class, NO_MEMORY,
                    () -> DravixProperty.DravixProperty_check_native(handle, 1));
            assertFailedAt(1);
            assertArrayEquals(before, StandIn.peek(handle, 256));
            HeapFaults.failMallocAt(0);
            assertTrue(DravixProperty.DravixProperty_check_native(handle, 1));
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @ParameterizedTest
    @ValueSource(ints = {0, 2, 3, 4, 5})
    void onlyCaseOneAllocates(int testCase) {
        long handle = RecordFixtures.convert(SelfCheckCases.settingsFor(testCase));
        try {
            HeapFaults.failMallocAt(1);
            assertTrue(DravixProperty.DravixProperty_check_native(handle, testCase));
            assertEquals(0, HeapFaults.mallocCalls());
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    /** Each allocation on the way to a service and on the way to a self-check, failed in turn through the API. */
    @ParameterizedTest
    @ValueSource(ints = {1, 2, 3})
    void everyAllocationBehindTheApiFailsCleanly(int n) {
        DravixProperty settings = SelfCheckCases.settingsFor(1);
        HeapFaults.failMallocAt(n);
        assertThrowsExactly(OutOfResourcesException.class, NO_MEMORY, () -> settings.checkNative(1));
        assertFailedAt(n);
        assertEquals(0, StandIn.liveStrings(), "a record whose check failed is released with its strings");
        if (n <= 2) {
            HeapFaults.failMallocAt(n);
            assertThrowsExactly(OutOfResourcesException.class, NO_MEMORY, () -> new Dravix(settings));
            assertFailedAt(n);
            assertEquals(0, StandIn.calls("OLVAN_Dravix_new"), "no service from a record that failed");
            assertEquals(0, StandIn.liveStrings());
        }
        // The counts show that {1, 2, 3} are all there is to fail.
        HeapFaults.failMallocAt(0);
        assertTrue(settings.checkNative(1));
        assertEquals(3, HeapFaults.mallocCalls(), "record, cfg_strings array, case 1 array");
        HeapFaults.failMallocAt(0);
        try (Dravix service = new Dravix(settings)) {
            assertEquals(2, HeapFaults.mallocCalls(), "record, cfg_strings array");
            service.start();
            service.stop();
        }
    }

    @Test
    void failedDecodingBufferRaisesAndFreesTheText(@TempDir Path directory) throws IOException {
        Path file = directory.resolve("note.xml");
        String note = "<note>\uD83D\uDE00</note>";  // four bytes in UTF-8: beyond modified UTF-8
        Files.write(file, note.getBytes(UTF_8));
        try (Dravix service = new Dravix()) {
            service.start();
            HeapFaults.failMallocAt(1);
            assertFalse(service.getConfiguration().isEmpty());
            assertEquals(0, HeapFaults.mallocCalls(), "text the JVM can decode needs no buffer");

            service.createEntity("note", "file://" + file);
            HeapFaults.failMallocAt(1);
            assertThrowsExactly(OutOfResourcesException.class, NO_MEMORY, service::getConfiguration);
            assertFailedAt(1);
            assertEquals(0, StandIn.liveTexts(), "the library's text must be freed on the failure path");

            HeapFaults.failMallocAt(0);
            assertTrue(service.getConfiguration().contains(note));
            service.deleteEntity("note");
            service.stop();
        }
    }
}
