package com.olvan.dravix;

import static java.nio.charset.StandardCharsets.US_ASCII;
import static org.junit.jupiter.api.Assertions.assertAll;
import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.olvan.dravix.testing.StandIn;
import java.util.ArrayList;
import java.util.List;
import java.util.function.BiConsumer;
import java.util.function.ObjIntConsumer;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

/** The 17 settings of a DravixProperty, each in its slot of the native record. */
@ExtendWith(LedgerExtension.class)
class PropertyConversionTest {
    private static final RecordBytes DEFAULTS = new RecordBytes(StandIn.defaultRecord());

    private static final List<BiConsumer<DravixProperty, Boolean>> BOOLEAN_SETTERS = List.of(
            DravixProperty::setEnforceXsdValidation,
            DravixProperty::setDontStartService,
            DravixProperty::setEnableAdministration,
            DravixProperty::setEnableMonitoring,
            DravixProperty::setSkipDefaultFiles,
            DravixProperty::setIdentifyExecution);

    private static final List<ObjIntConsumer<DravixProperty>> INTEGER_SETTERS = List.of(
            DravixProperty::setServiceVerbosity,
            DravixProperty::setDdsVerbosity,
            DravixProperty::setDomainIdBase,
            DravixProperty::setAdministrationDomainId,
            DravixProperty::setMonitoringDomainId);

    private static byte[] ascii(String text) {
        return text.getBytes(US_ASCII);
    }

    /** What RecordFixtures.everySetting() must leave in a record. */
    private static void assertEverySetting(RecordBytes r) {
        assertAll(
                () -> assertArrayEquals(ascii("/etc/dravix/main.xml"), r.string(RecordBytes.CFG_FILE), "cfg_file"),
                () -> assertEquals(3, r.cfgStringsCount(), "cfg_strings_count"),
                () -> assertArrayEquals(ascii("<first/>"), r.cfgStrings().get(0), "cfg_strings[0]"),
                () -> assertNull(r.cfgStrings().get(1), "cfg_strings[1]"),
                () -> assertArrayEquals(ascii("<third/>"), r.cfgStrings().get(2), "cfg_strings[2]"),
                () -> assertArrayEquals(ascii("orders"), r.string(RecordBytes.SERVICE_NAME), "service_name"),
                () -> assertArrayEquals(ascii("billing"), r.string(RecordBytes.APPLICATION_NAME), "application_name"),
                () -> assertEquals(0, r.byteAt(RecordBytes.ENFORCE_XSD_VALIDATION), "enforce_xsd_validation"),
                () -> assertEquals(7, r.int32(RecordBytes.SERVICE_VERBOSITY), "service_verbosity"),
                () -> assertEquals(1, r.int32(RecordBytes.DDS_VERBOSITY), "dds_verbosity"),
                () -> assertEquals(7, r.int32(RecordBytes.DOMAIN_ID_BASE), "domain_id_base"),
                () -> assertArrayEquals(ascii("/opt/dravix/plugins"), r.string(RecordBytes.PLUGIN_SEARCH_PATH),
                        "plugin_search_path"),
                () -> assertEquals(1, r.byteAt(RecordBytes.DONT_START_SERVICE), "dont_start_service"),
                () -> assertEquals(1, r.byteAt(RecordBytes.ENABLE_ADMINISTRATION), "enable_administration"),
                () -> assertEquals(9, r.int32(RecordBytes.ADMINISTRATION_DOMAIN_ID), "administration_domain_id"),
                () -> assertEquals(1, r.byteAt(RecordBytes.ENABLE_MONITORING), "enable_monitoring"),
                () -> assertEquals(10, r.int32(RecordBytes.MONITORING_DOMAIN_ID), "monitoring_domain_id"),
                () -> assertEquals(1, r.byteAt(RecordBytes.SKIP_DEFAULT_FILES), "skip_default_files"),
                () -> assertEquals(1, r.byteAt(RecordBytes.IDENTIFY_EXECUTION), "identify_execution"),
                () -> assertEquals(List.of("REGION=eu-west", "TIER=gold"), r.userEnvironmentText(), "user_environment"),
                () -> assertEquals(List.of(), RecordBytes.libraryByteDifferences(DEFAULTS, r), "library bytes"));
    }

    @Test
    void everySettingLandsInItsSlotAndReachesTheLibraryAsIs() {
        long handle = RecordFixtures.convert(RecordFixtures.everySetting());
        try {
            RecordBytes converted = RecordBytes.of(handle);
            assertEverySetting(converted);

            long service = Dravix.Dravix_new(handle);
            try {
                RecordBytes received = new RecordBytes(StandIn.lastRecord());
                assertArrayEquals(converted.bytes(), received.bytes());
                assertEverySetting(received);
            } finally {
                Dravix.Dravix_delete(service);
            }
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void eachBooleanIsExactlyOneWhenTrueAndZeroWhenFalse() {
        for (int chosen = 0; chosen < BOOLEAN_SETTERS.size(); chosen++) {
            DravixProperty settings = new DravixProperty();
            for (int i = 0; i < BOOLEAN_SETTERS.size(); i++) {
                BOOLEAN_SETTERS.get(i).accept(settings, i == chosen);
            }
            long handle = RecordFixtures.convert(settings);
            try {
                RecordBytes r = RecordBytes.of(handle);
                for (int i = 0; i < RecordBytes.BOOLEAN_SLOTS.length; i++) {
                    assertEquals(i == chosen ? 1 : 0, r.byteAt(RecordBytes.BOOLEAN_SLOTS[i]),
                            "byte " + RecordBytes.BOOLEAN_SLOTS[i] + " with boolean #" + chosen + " set");
                }
                assertEquals(List.of(), RecordBytes.libraryByteDifferences(DEFAULTS, r));
            } finally {
                DravixProperty.DravixProperty_delete(handle);
            }
        }
    }

    @ParameterizedTest
    @ValueSource(ints = {Integer.MIN_VALUE, -1, 0, 1, 0x01020304, Integer.MAX_VALUE})
    void integersAreStoredUnchanged(int value) {
        DravixProperty settings = new DravixProperty();
        for (ObjIntConsumer<DravixProperty> setter : INTEGER_SETTERS) {
            setter.accept(settings, value);
        }
        long handle = RecordFixtures.convert(settings);
        try {
            RecordBytes r = RecordBytes.of(handle);
            for (int offset : RecordBytes.INTEGER_SLOTS) {
                assertEquals(value, r.int32(offset), "int32 at " + offset);
            }
            assertEquals(List.of(), RecordBytes.libraryByteDifferences(DEFAULTS, r));
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void stringsArriveAsTheJvmsModifiedUtf8() {
        String nonAscii = "grüße €";
        String supplementary = "clef \uD834\uDD1E";
        String withNul = "a\u0000b";
        DravixProperty settings = new DravixProperty()
                .setCfgFile("")
                .setCfgStrings("", nonAscii, withNul)
                .setServiceName(nonAscii)
                .setApplicationName(supplementary)
                .setPluginSearchPath(withNul);
        long handle = RecordFixtures.convert(settings);
        try {
            RecordBytes r = RecordBytes.of(handle);
            assertNotEquals(0, r.pointer(RecordBytes.CFG_FILE), "an empty string is not a null one");
            assertArrayEquals(new byte[0], r.string(RecordBytes.CFG_FILE));
            assertArrayEquals(RecordBytes.modifiedUtf8(nonAscii), r.string(RecordBytes.SERVICE_NAME));
            // Supplementary characters as two 3-byte surrogates, NUL as C0 80: not transcoded.
            assertArrayEquals(RecordBytes.modifiedUtf8(supplementary), r.string(RecordBytes.APPLICATION_NAME));
            assertEquals(5 + 2 * 3, r.string(RecordBytes.APPLICATION_NAME).length);
            assertArrayEquals(new byte[] {'a', (byte) 0xC0, (byte) 0x80, 'b'},
                    r.string(RecordBytes.PLUGIN_SEARCH_PATH));
            List<byte[]> array = r.cfgStrings();
            assertEquals(3, array.size());
            assertArrayEquals(new byte[0], array.get(0));
            assertArrayEquals(RecordBytes.modifiedUtf8(nonAscii), array.get(1));
            assertArrayEquals(RecordBytes.modifiedUtf8(withNul), array.get(2));
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void nullStringsAndNullArrayLeaveTheSlotsAsTheyWere() {
        long handle = RecordFixtures.convert(RecordFixtures.everySetting());
        try {
            RecordBytes before = RecordBytes.of(handle);
            long live = StandIn.liveStrings();
            long dups = StandIn.dupCalls();

            new DravixProperty().DravixProperty_to_native(handle);

            RecordBytes after = RecordBytes.of(handle);
            for (int offset : RecordBytes.STRING_SLOTS) {
                assertEquals(before.pointer(offset), after.pointer(offset), "string slot " + offset);
            }
            assertEquals(before.pointer(RecordBytes.CFG_STRINGS), after.pointer(RecordBytes.CFG_STRINGS));
            assertEquals(3, after.cfgStringsCount());
            assertArrayEquals(ascii("<third/>"), after.cfgStrings().get(2));
            assertEquals(live, StandIn.liveStrings());
            assertEquals(dups, StandIn.dupCalls());
            // The numbers and flags, on the other hand, are the new object's defaults.
            assertEquals(3, after.int32(RecordBytes.SERVICE_VERBOSITY));
            assertEquals(1, after.byteAt(RecordBytes.ENFORCE_XSD_VALIDATION));
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void zeroLengthCfgStringsMakeAnEmptyArray() {
        long handle = RecordFixtures.convert(new DravixProperty().setCfgStrings());
        try {
            RecordBytes r = RecordBytes.of(handle);
            assertNotEquals(0, r.pointer(RecordBytes.CFG_STRINGS));
            assertEquals(0, r.cfgStringsCount());
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
        assertEquals(0, StandIn.freeCalls());
    }

    @Test
    void convertingAgainReleasesEveryStringItReplaces() {
        long handle = RecordFixtures.convert(RecordFixtures.everySetting());
        try {
            assertEquals(6, StandIn.liveStrings());
            RecordBytes first = RecordBytes.of(handle);

            DravixProperty second = new DravixProperty()
                    .setCfgFile("/etc/other.xml")
                    .setCfgStrings("<only/>")
                    .setServiceName("invoices")
                    .setPluginSearchPath("/usr/lib/plugins");
            second.DravixProperty_to_native(handle);

            // Three replaced strings, one kept (application_name), one new array entry.
            assertEquals(5, StandIn.liveStrings());
            assertEquals(0, StandIn.badFrees());
            RecordBytes r = RecordBytes.of(handle);
            assertArrayEquals(ascii("/etc/other.xml"), r.string(RecordBytes.CFG_FILE));
            assertArrayEquals(ascii("invoices"), r.string(RecordBytes.SERVICE_NAME));
            assertArrayEquals(ascii("billing"), r.string(RecordBytes.APPLICATION_NAME));
            assertEquals(first.pointer(RecordBytes.APPLICATION_NAME), r.pointer(RecordBytes.APPLICATION_NAME));
            assertArrayEquals(ascii("/usr/lib/plugins"), r.string(RecordBytes.PLUGIN_SEARCH_PATH));
            assertEquals(1, r.cfgStringsCount());
            assertArrayEquals(ascii("<only/>"), r.cfgStrings().get(0));
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
        assertEquals(0, StandIn.liveStrings());
    }

    @Test
    void tenThousandCfgStringsConvertWithinTheLocalReferenceBudget() {
        String[] strings = new String[10_000];
        int nonNull = 0;
        for (int i = 0; i < strings.length; i++) {
            if (i % 7 != 3) {
                strings[i] = "cfg-" + i;
                nonNull++;
            }
        }
        long handle = RecordFixtures.convert(new DravixProperty().setCfgStrings(strings));
        try {
            RecordBytes r = RecordBytes.of(handle);
            assertEquals(strings.length, r.cfgStringsCount());
            assertEquals(nonNull, StandIn.liveStrings());
            List<byte[]> entries = r.cfgStrings();
            for (int i = 0; i < strings.length; i++) {
                if (strings[i] == null) {
                    assertNull(entries.get(i), "entry " + i);
                } else {
                    assertArrayEquals(ascii(strings[i]), entries.get(i), "entry " + i);
                }
            }
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void serviceMadeFromSettingsShowsEveryOneOfThem() {
        DravixProperty settings = RecordFixtures.everySetting();
        String configuration;
        try (Dravix service = new Dravix(settings)) {
            // Later changes must not reach a service that already exists.
            settings.setServiceName("changed");
            ((OrderedProperties) settings.getUserEnvironment()).with("LATE", "1");
            configuration = service.getConfiguration();
        }
        List<String> missing = new ArrayList<>();
        for (String line : new String[] {
            "<cfg_file>/etc/dravix/main.xml</cfg_file>",
            "<cfg_strings count=\"3\">",
            "<cfg_string><first/></cfg_string>",
            "<cfg_string null=\"true\"/>",
            "<cfg_string><third/></cfg_string>",
            "<service_name>orders</service_name>",
            "<application_name>billing</application_name>",
            "<enforce_xsd_validation>0</enforce_xsd_validation>",
            "<service_verbosity>7</service_verbosity>",
            "<dds_verbosity>1</dds_verbosity>",
            "<domain_id_base>7</domain_id_base>",
            "<plugin_search_path>/opt/dravix/plugins</plugin_search_path>",
            "<dont_start_service>1</dont_start_service>",
            "<enable_administration>1</enable_administration>",
            "<administration_domain_id>9</administration_domain_id>",
            "<enable_monitoring>1</enable_monitoring>",
            "<monitoring_domain_id>10</monitoring_domain_id>",
            "<skip_default_files>1</skip_default_files>",
            "<identify_execution>1</identify_execution>",
            "<user_environment count=\"2\">",
            "<name>REGION</name>",
            "<value>eu-west</value>",
            "<name>TIER</name>",
            "<value>gold</value>",
        }) {
            if (!configuration.contains(line)) {
                missing.add(line);
            }
        }
        assertEquals(List.of(), missing, configuration);
        assertTrue(configuration.indexOf("REGION") < configuration.indexOf("TIER"), "enumeration order");
        assertTrue(!configuration.contains("changed") && !configuration.contains("LATE"), configuration);
    }

    @Test
    void settingsCannotBeSubclassed() {
        // The conversion reads fields by name: a subclass's private field of a
        // setting's name would replace the setting while the getter shows the user's.
        assertTrue(java.lang.reflect.Modifier.isFinal(DravixProperty.class.getModifiers()));
    }
}
