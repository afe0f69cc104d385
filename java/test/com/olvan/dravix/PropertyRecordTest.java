package com.olvan.dravix;

import static com.olvan.dravix.ServiceLifecycleTest.assertThrowsExactly;
import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.olvan.dravix.testing.StandIn;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;

/** The native record's life: made from the library's default, released with all it owns. */
@ExtendWith(LedgerExtension.class)
class PropertyRecordTest {
    private static final String NULL_RECORD = "null Dravixproperty native reference";

    @Test
    void newRecordsAreSeparateByteForByteCopiesOfTheDefault() {
        long first = DravixProperty.DravixProperty_new();
        long second = DravixProperty.DravixProperty_new();
        try {
            assertNotEquals(0, first);
            assertNotEquals(first, second);
            byte[] defaults = StandIn.defaultRecord();
            assertEquals(RecordBytes.SIZE, defaults.length);
            assertArrayEquals(defaults, StandIn.peek(first, RecordBytes.SIZE));
            assertArrayEquals(defaults, StandIn.peek(second, RecordBytes.SIZE));
        } finally {
            DravixProperty.DravixProperty_delete(first);
            DravixProperty.DravixProperty_delete(second);
        }
    }

    @Test
    void unconvertedRecordReleasesNoStringAndFinalizesItsListOnce() {
        DravixProperty.DravixProperty_delete(DravixProperty.DravixProperty_new());
        assertEquals(0, StandIn.freeCalls());
        assertEquals(1, StandIn.calls("OLVAN_DravixProperties_finalize"));
        assertEquals(0, StandIn.calls("OLVAN_DravixProperties_add"));
    }

    @Test
    void deletionReleasesEveryOwnedStringWithNullAndEmptyEntriesInTheArray() {
        DravixProperty settings = new DravixProperty()
                .setCfgFile("file")
                .setCfgStrings("one", null, "", null)
                .setServiceName("service")
                .setApplicationName("application")
                .setPluginSearchPath("plugins");
        long handle = RecordFixtures.convert(settings);
        assertEquals(6, StandIn.liveStrings());
        assertEquals(0, StandIn.freeCalls());
        DravixProperty.DravixProperty_delete(handle);
        assertEquals(0, StandIn.liveStrings());
        assertEquals(6, StandIn.freeCalls());
        assertEquals(0, StandIn.badFrees());
    }

    @Test
    void zeroHandleIsRefusedAndTouchesNothing() {
        DravixProperty settings = RecordFixtures.everySetting();
        assertThrowsExactly(IllegalArgumentException.class, NULL_RECORD,
                () -> DravixProperty.DravixProperty_delete(0));
        assertThrowsExactly(IllegalArgumentException.class, NULL_RECORD,
                () -> settings.DravixProperty_to_native(0));
        assertEquals(0, StandIn.dupCalls());
        assertEquals(0, StandIn.freeCalls());
        assertEquals(0, StandIn.calls("OLVAN_DravixProperties_add"));
        assertEquals(0, StandIn.calls("OLVAN_DravixProperties_finalize"));
    }

    @Test
    void javaVerbosityLevelsAreTheLibrarysExportedValues() {
        assertArrayEquals(StandIn.verbosityLevels(), new int[] {
            DravixProperty.LOG_VERBOSITY_SILENT,
            DravixProperty.LOG_VERBOSITY_EXCEPTIONS,
            DravixProperty.LOG_VERBOSITY_WARNINGS,
            DravixProperty.LOG_VERBOSITY_INFO,
        });
    }

    @Test
    void javaDefaultsConvertToTheLibraryDefaultAndToWhatTheSelfCheckExpects() {
        long handle = RecordFixtures.convert(new DravixProperty());
        try {
            // Null strings keep the default's, an empty user environment keeps
            // its list, and every number and flag is the library's own default.
            assertArrayEquals(StandIn.defaultRecord(), StandIn.peek(handle, RecordBytes.SIZE));
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
        assertTrue(new DravixProperty().checkNative(0));
    }
}
