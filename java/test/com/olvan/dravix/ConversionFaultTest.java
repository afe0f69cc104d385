package com.olvan.dravix;

import static com.olvan.dravix.ServiceLifecycleTest.assertThrowsExactly;
import static java.nio.charset.StandardCharsets.US_ASCII;
import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;

import com.olvan.dravix.infrastructure.OutOfResourcesException;
import com.olvan.dravix.testing.StandIn;
import java.util.List;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;

/**
 * Conversions cut short by a failed string copy or list add: each raises its
 * exception, stops where it stands, and leaves a record that deletes cleanly.
 */
@ExtendWith(LedgerExtension.class)
class ConversionFaultTest {
    private static final String NO_MEMORY = "insufficient memory for native allocation";
    private static final RecordBytes DEFAULTS = new RecordBytes(StandIn.defaultRecord());

    /** A string copy of RecordFixtures.everySetting(), in the order the conversion makes them. */
    private record Copy(int fieldOrder, int slot, int arrayIndex, String text) {
        byte[] read(RecordBytes r) {
            return slot >= 0 ? r.string(slot) : r.cfgStrings().get(arrayIndex);
        }
    }

    private static final List<Copy> COPIES = List.of(
            new Copy(1, RecordBytes.CFG_FILE, -1, "/etc/dravix/main.xml"),
            new Copy(2, -1, 0, "<first/>"),
            new Copy(2, -1, 2, "<third/>"),
            new Copy(3, RecordBytes.SERVICE_NAME, -1, "orders"),
            new Copy(4, RecordBytes.APPLICATION_NAME, -1, "billing"),
            new Copy(9, RecordBytes.PLUGIN_SEARCH_PATH, -1, "/opt/dravix/plugins"));

    /** The numbers and flags of RecordFixtures.everySetting(), with their place in the conversion order. */
    private record Scalar(int fieldOrder, int offset, boolean isByte, int value) {
        int read(RecordBytes r) {
            return isByte ? r.byteAt(offset) : r.int32(offset);
        }
    }

    private static final List<Scalar> SCALARS = List.of(
            new Scalar(5, RecordBytes.ENFORCE_XSD_VALIDATION, true, 0),
            new Scalar(6, RecordBytes.SERVICE_VERBOSITY, false, 7),
            new Scalar(7, RecordBytes.DDS_VERBOSITY, false, 1),
            new Scalar(8, RecordBytes.DOMAIN_ID_BASE, false, 7),
            new Scalar(10, RecordBytes.DONT_START_SERVICE, true, 1),
            new Scalar(11, RecordBytes.ENABLE_ADMINISTRATION, true, 1),
            new Scalar(12, RecordBytes.ADMINISTRATION_DOMAIN_ID, false, 9),
            new Scalar(13, RecordBytes.ENABLE_MONITORING, true, 1),
            new Scalar(14, RecordBytes.MONITORING_DOMAIN_ID, false, 10),
            new Scalar(15, RecordBytes.SKIP_DEFAULT_FILES, true, 1),
            new Scalar(16, RecordBytes.IDENTIFY_EXECUTION, true, 1));

    /** Middleware strings the record holds: its four string slots and its array's entries. */
    private static int stringsHeld(RecordBytes r) {
        int held = 0;
        for (int slot : RecordBytes.STRING_SLOTS) {
            held += r.pointer(slot) != 0 ? 1 : 0;
        }
        for (byte[] entry : r.cfgStrings()) {
            held += entry != null ? 1 : 0;
        }
        return held;
    }

    private static void assertDeletesCleanly(long handle) {
        DravixProperty.DravixProperty_delete(handle);
        assertEquals(0, StandIn.liveStrings(), "strings left after deleting the record");
        assertEquals(0, StandIn.badFrees(), "strings freed twice or from elsewhere");
    }

    @Test
    void everyFailedCopyOfAFreshConversionStopsItThereAndTheRecordStillDeletes() {
        DravixProperty settings = RecordFixtures.everySetting();
        int failures = 0;
        for (int n = 1; ; n++) {
            long handle = DravixProperty.DravixProperty_new();
            StandIn.failDupAt(n);
            long dupsBefore = StandIn.dupCalls();
            boolean failed;
            try {
                settings.DravixProperty_to_native(handle);
                failed = false;
            } catch (OutOfResourcesException e) {
                assertEquals(NO_MEMORY, e.getMessage());
                failed = true;
            } finally {
                StandIn.failDupAt(0);
            }
            if (!failed) {
                assertEquals(COPIES.size(), StandIn.dupCalls() - dupsBefore, "copies of a full conversion");
                assertDeletesCleanly(handle);
                break;
            }
            failures++;
            Copy failing = COPIES.get(n - 1);
            RecordBytes r = RecordBytes.of(handle);
            assertEquals(n, StandIn.dupCalls() - dupsBefore, "the conversion must stop at the failed copy");
            for (int k = 0; k < COPIES.size(); k++) {
                Copy copy = COPIES.get(k);
                if (copy.fieldOrder == 2 && failing.fieldOrder < 2) {
                    continue;  // no array yet
                }
                if (k < n - 1) {
                    assertArrayEquals(copy.text.getBytes(US_ASCII), copy.read(r), "copy " + k + " with copy " + n + " failing");
                } else {
                    assertNull(copy.read(r), "copy " + k + " with copy " + n + " failing");
                }
            }
            assertEquals(failing.fieldOrder < 2 ? 0 : 3, r.cfgStringsCount());
            for (Scalar scalar : SCALARS) {
                int expected = scalar.fieldOrder < failing.fieldOrder ? scalar.value : scalar.read(DEFAULTS);
                assertEquals(expected, scalar.read(r), "byte " + scalar.offset + " with copy " + n + " failing");
            }
            assertEquals(0, StandIn.calls("OLVAN_DravixProperties_add"), "the user environment comes last");
            assertEquals(stringsHeld(r), StandIn.liveStrings(), "strings alive beyond those the record holds");
            assertDeletesCleanly(handle);
        }
        assertEquals(COPIES.size(), failures);
    }

    @Test
    void everyFailedCopyOfASecondConversionLeavesNothingUnownedOrFreedTwice() {
        DravixProperty second = new DravixProperty()
                .setCfgFile("/b/main.xml")
                .setCfgStrings("<x/>", "<y/>")
                .setServiceName("second")
                .setApplicationName("again")
                .setPluginSearchPath("/b/plugins");
        int failures = 0;
        for (int n = 1; ; n++) {
            long handle = RecordFixtures.convert(RecordFixtures.everySetting());
            StandIn.failDupAt(n);
            boolean failed;
            try {
                second.DravixProperty_to_native(handle);
                failed = false;
            } catch (OutOfResourcesException e) {
                assertEquals(NO_MEMORY, e.getMessage());
                failed = true;
            } finally {
                StandIn.failDupAt(0);
            }
            RecordBytes r = RecordBytes.of(handle);
            assertEquals(stringsHeld(r), StandIn.liveStrings(), "strings alive beyond those the record holds, n=" + n);
            if (!failed) {
                assertEquals(List.of("/b/main.xml", "second", "again", "/b/plugins"), List.of(
                        new String(r.string(RecordBytes.CFG_FILE), US_ASCII),
                        new String(r.string(RecordBytes.SERVICE_NAME), US_ASCII),
                        new String(r.string(RecordBytes.APPLICATION_NAME), US_ASCII),
                        new String(r.string(RecordBytes.PLUGIN_SEARCH_PATH), US_ASCII)));
                assertDeletesCleanly(handle);
                break;
            }
            failures++;
            assertDeletesCleanly(handle);
        }
        assertEquals(6, failures);
    }

    @Test
    void everyFailedAddRaisesAndEmptiesTheList() {
        DravixProperty settings = new DravixProperty()
                .setUserEnvironment(new OrderedProperties().with("a", "1").with("b", "2").with("c", "3"));
        int failures = 0;
        for (int n = 1; ; n++) {
            long handle = RecordFixtures.convert(
                    new DravixProperty().setUserEnvironment(new OrderedProperties().with("OLD", "0")));
            StandIn.failAddAt(n);
            boolean failed;
            try {
                settings.DravixProperty_to_native(handle);
                failed = false;
            } catch (OutOfResourcesException e) {
                assertEquals(OutOfResourcesException.class, e.getClass());
                assertEquals("add native property", e.getMessage());
                failed = true;
            } finally {
                StandIn.failAddAt(0);
            }
            RecordBytes r = RecordBytes.of(handle);
            if (!failed) {
                assertEquals(List.of("OLD=0", "a=1", "b=2", "c=3"), r.userEnvironmentText());
                assertDeletesCleanly(handle);
                break;
            }
            failures++;
            assertEquals(0, r.userEnvironmentCount(), "add " + n + " failing");
            assertEquals(0, r.userEnvironmentEntries(), "add " + n + " failing");
            assertEquals(List.of(), RecordBytes.libraryByteDifferences(DEFAULTS, r));
            assertDeletesCleanly(handle);
        }
        assertEquals(3, failures);
    }

    @Test
    void failedConversionNeverReachesTheServiceAndItsRecordIsReleased() {
        StandIn.failDupAt(4);
        assertThrowsExactly(OutOfResourcesException.class, NO_MEMORY, () -> new Dravix(RecordFixtures.everySetting()));
        StandIn.failDupAt(0);
        assertEquals(0, StandIn.calls("OLVAN_Dravix_new"));
        assertEquals(1, StandIn.calls("OLVAN_DravixProperties_finalize"), "the record must have been deleted");
        assertEquals(0, StandIn.liveStrings());
        assertEquals(3, StandIn.freeCalls(), "the three copies made before the failure are released");
    }
}
