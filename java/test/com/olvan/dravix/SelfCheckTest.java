package com.olvan.dravix;

import com.olvan.dravix.diagnostics.SelfCheckCases;
import static com.olvan.dravix.diagnostics.SelfCheckCases.settingsFor;
import static com.olvan.dravix.ServiceLifecycleTest.assertThrowsExactly;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.olvan.dravix.SelfCheckHarness.InsertionOrderProperties;
import com.olvan.dravix.SelfCheckHarness.NullValueProperties;
import com.olvan.dravix.testing.StandIn;
import java.util.List;
import java.util.Properties;
import java.util.function.Consumer;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;
import org.junit.jupiter.params.provider.ValueSource;

@ExtendWith(LedgerExtension.class)
class SelfCheckTest {
    private static final String FINALIZE = "OLVAN_DravixProperties_finalize";
    private static final String ADD = "OLVAN_DravixProperties_add";

    private static void assertReports(String label, DravixProperty settings, long testCase) {
        assertThrowsExactly(RuntimeException.class, "property compare error for field " + label + "\n",
                () -> settings.checkNative(testCase));
    }

    // ---- the six cases through the real API ----

    @ParameterizedTest(name = "case {0}")
    @ValueSource(ints = {0, 1, 2, 3, 4, 5})
    void everyCaseConvertsIntoTheRecordItExpects(int testCase) {
        assertTrue(settingsFor(testCase).checkNative(testCase));
    }

    @Test
    void caseZeroAcceptsEveryFormOfEmptyDefaults() {
        assertTrue(new DravixProperty().setUserEnvironment(null).checkNative(0), "null user environment");
        assertTrue(new DravixProperty().setCfgStrings().checkNative(0), "empty cfgStrings");
        assertTrue(new DravixProperty().setCfgStrings((String[]) null).checkNative(0), "null cfgStrings");
    }

    /**
     * Settings of one case checked against every other: they pass only where the
     * two expected records coincide (case 4 and case 0 both expect level 3), and
     * otherwise fail at the first field where the cases part.
     */
    @Test
    void settingsMatchOnlyTheCaseTheyWereMadeFor() {
        for (int made = 0; made < SelfCheckCases.COUNT; made++) {
            for (int checked = 0; checked < SelfCheckCases.COUNT; checked++) {
                DravixProperty settings = settingsFor(made);
                String where = "settings of case " + made + " checked as case " + checked;
                if (made == 1 || checked == 1) {
                    if (made == checked) {
                        assertTrue(settings.checkNative(checked), where);
                    } else {
                        assertReports("cfg_file presence", settings, checked);
                    }
                } else if (SelfCheckHarness.verbosityOf(made) == SelfCheckHarness.verbosityOf(checked)) {
                    assertTrue(settings.checkNative(checked), where);
                } else {
                    assertReports("service_verbosity", settings, checked);
                }
            }
        }
    }

    // ---- differences and their labels ----

    /**
     * Starts from settings that are wrong in every field case 1 compares and
     * mends one field at a time, in the comparison's order: each step must be
     * reported by its own label although every later field is still wrong.
     */
    @Test
    void eachDifferenceIsReportedBeforeEveryLaterOne() {
        DravixProperty settings = new DravixProperty().setServiceVerbosity(0).setDdsVerbosity(0)
                .setUserEnvironment(null);
        List<Step> steps = List.of(
                new Step("cfg_file presence", p -> p.setCfgFile("cfg_file_")),
                new Step("cfg_file", p -> p.setCfgFile("cfg_file")),
                new Step("cfg_strings_count", p -> p.setCfgStrings("cfg_string0", "cfg_string")),
                new Step("cfg_strings", p -> p.setCfgStrings("cfg_string0", "cfg_string1")),
                new Step("service_name presence", p -> p.setServiceName("service")),
                new Step("service_name", p -> p.setServiceName("service_name")),
                new Step("application_name presence", p -> p.setApplicationName("")),
                new Step("application_name", p -> p.setApplicationName("application_name")),
                new Step("enforce_xsd_validation", p -> p.setEnforceXsdValidation(false)),
                new Step("service_verbosity", p -> p.setServiceVerbosity(42)),
                new Step("dds_verbosity", p -> p.setDdsVerbosity(43)),
                new Step("domain_id_base", p -> p.setDomainIdBase(44)),
                new Step("plugin_search_path presence", p -> p.setPluginSearchPath("plugin_search_pat")),
                new Step("plugin_search_path", p -> p.setPluginSearchPath("plugin_search_path")),
                new Step("dont_start_service", p -> p.setDontStartService(true)),
                new Step("enable_administration", p -> p.setEnableAdministration(true)),
                new Step("administration_domain_id", p -> p.setAdministrationDomainId(9)),
                new Step("enable_monitoring", p -> p.setEnableMonitoring(true)),
                new Step("monitoring_domain_id", p -> p.setMonitoringDomainId(10)),
                new Step("skip_default_files", p -> p.setSkipDefaultFiles(true)),
                new Step("identify_execution", p -> p.setIdentifyExecution(true)),
                new Step("user_environment size",
                        p -> p.setUserEnvironment(new InsertionOrderProperties("name1", "value2", "name9", "value1"))),
                new Step("user_environment name",
                        p -> p.setUserEnvironment(new InsertionOrderProperties("name2", "value9", "name1", "value1"))),
                new Step("user_environment value",
                        p -> p.setUserEnvironment(new InsertionOrderProperties("name2", "value2", "name1", "value1"))));
        for (Step step : steps) {
            assertReports(step.label, settings, 1);
            step.mend.accept(settings);
        }
        assertTrue(settings.checkNative(1));
    }

    private static final class Step {
        final String label;
        final Consumer<DravixProperty> mend;

        Step(String label, Consumer<DravixProperty> mend) {
            this.label = label;
            this.mend = mend;
        }
    }

    static Stream<Arguments> mutations() {
        return Stream.of(
                // two differences: the earlier field is named
                mutation("service_name", 1, "service_name and domain_id_base both wrong",
                        p -> p.setServiceName("service_nam").setDomainIdBase(45)),
                mutation("service_name presence", 1, "null service_name, domain_id_base wrong",
                        p -> p.setServiceName(null).setDomainIdBase(45)),
                mutation("dds_verbosity", 3, "only the middleware verbosity off the level",
                        p -> p.setDdsVerbosity(DravixProperty.LOG_VERBOSITY_WARNINGS)),
                mutation("service_verbosity", 1, "the two verbosities swapped",
                        p -> p.setServiceVerbosity(43).setDdsVerbosity(42)),
                mutation("administration_domain_id", 1, "the two domain ids swapped",
                        p -> p.setAdministrationDomainId(10).setMonitoringDomainId(9)),
                // presence in cases whose expected strings are null
                mutation("cfg_file presence", 0, "a cfg_file where none is expected", p -> p.setCfgFile("cfg_file")),
                mutation("service_name presence", 0, "an empty service_name is not none", p -> p.setServiceName("")),
                mutation("plugin_search_path presence", 5, "a plugin path in a verbosity case",
                        p -> p.setPluginSearchPath("x")),
                // text compared whole, not as a prefix
                mutation("cfg_file", 1, "cfg_file longer", p -> p.setCfgFile("cfg_file2")),
                mutation("application_name", 1, "application_name shorter", p -> p.setApplicationName("application")),
                // configuration strings
                mutation("cfg_strings_count", 0, "a string where none is expected", p -> p.setCfgStrings("")),
                mutation("cfg_strings_count", 1, "one string too many",
                        p -> p.setCfgStrings("cfg_string0", "cfg_string1", "cfg_string2")),
                mutation("cfg_strings_count", 1, "no cfgStrings at all", p -> p.setCfgStrings((String[]) null)),
                mutation("cfg_strings", 1, "the second string differs",
                        p -> p.setCfgStrings("cfg_string0", "cfg_string2")),
                mutation("cfg_strings", 1, "the strings swapped", p -> p.setCfgStrings("cfg_string1", "cfg_string0")),
                // flags set where the case expects them clear and the reverse
                mutation("enforce_xsd_validation", 0, "validation off", p -> p.setEnforceXsdValidation(false)),
                mutation("identify_execution", 2, "the last flag set", p -> p.setIdentifyExecution(true)),
                mutation("skip_default_files", 1, "skip_default_files clear", p -> p.setSkipDefaultFiles(false)),
                // the user environment
                mutation("user_environment name", 1, "same entries, name1 enumerated first",
                        p -> p.setUserEnvironment(
                                new InsertionOrderProperties("name1", "value1", "name2", "value2"))),
                mutation("user_environment value", 1, "a value differs",
                        p -> p.getUserEnvironment().setProperty("name1", "value2")),
                mutation("user_environment value", 1, "the values swapped",
                        p -> p.setUserEnvironment(
                                new InsertionOrderProperties("name2", "value1", "name1", "value2"))),
                mutation("user_environment size", 1, "an extra entry",
                        p -> p.getUserEnvironment().setProperty("name3", "value3")),
                mutation("user_environment size", 1, "one entry missing", p -> p.getUserEnvironment().remove("name1")),
                mutation("user_environment size", 1, "no user environment", p -> p.setUserEnvironment(null)),
                mutation("user_environment size", 4, "an entry where none is expected",
                        p -> p.getUserEnvironment().setProperty("name", "value")));
    }

    private static Arguments mutation(String label, int testCase, String what, Consumer<DravixProperty> change) {
        return Arguments.of(label, testCase, what, change);
    }

    @ParameterizedTest(name = "case {1}, {2} -> \"{0}\"")
    @MethodSource("mutations")
    void mutatedSettingIsReportedByItsLabel(String label, int testCase, String what, Consumer<DravixProperty> change) {
        DravixProperty settings = settingsFor(testCase);
        change.accept(settings);
        assertReports(label, settings, testCase);
    }

    /**
     * Case 1 expects name2 before name1 because the JVM's Properties enumerates
     * them in that order: propertyNames() copies the keys into a Hashtable of 11
     * buckets and walks it from the top; the two names hash one apart. If this
     * fails, a plain Properties no longer satisfies case 1 on this JVM.
     */
    @Test
    void theJvmEnumeratesName2BeforeName1WhateverTheInsertionOrder() {
        Properties oneFirst = new Properties();
        oneFirst.setProperty("name1", "value1");
        oneFirst.setProperty("name2", "value2");
        Properties twoFirst = new Properties();
        twoFirst.setProperty("name2", "value2");
        twoFirst.setProperty("name1", "value1");
        assertEquals(List.of("name2", "name1"), SelfCheckHarness.enumerationOrder(oneFirst));
        assertEquals(List.of("name2", "name1"), SelfCheckHarness.enumerationOrder(twoFirst));
        // The conversion follows the enumeration, not the hash order.
        assertTrue(settingsFor(1)
                .setUserEnvironment(new InsertionOrderProperties("name2", "value2", "name1", "value1"))
                .checkNative(1));
    }

    // ---- null entries on the record's side are differences, not crashes ----

    @Test
    void nullConfigurationStringIsADifference() {
        assertReports("cfg_strings", settingsFor(1).setCfgStrings("cfg_string0", null), 1);
        assertReports("cfg_strings", settingsFor(1).setCfgStrings(null, "cfg_string1"), 1);
        assertReports("cfg_strings", settingsFor(1).setCfgStrings(null, null), 1);
    }

    @Test
    void nullUserEnvironmentValueIsADifference() {
        assertReports("user_environment value",
                settingsFor(1).setUserEnvironment(new NullValueProperties("name2", "name1", "value1", "name2", "value2")),
                1);
        assertReports("user_environment value",
                settingsFor(1).setUserEnvironment(new NullValueProperties("name1", "name1", "value1", "name2", "value2")),
                1);
    }

    // ---- selectors and handles that compare nothing ----

    @ParameterizedTest(name = "selector {0}")
    @ValueSource(longs = {6, -1, 7, Long.MIN_VALUE, Long.MAX_VALUE, 1L << 32, (1L << 32) + 1, -(1L << 32) + 3})
    void selectorOutsideTheCasesReturnsFalseSilently(long selector) {
        // Settings that would pass the case the selector's low 32 bits name,
        // so a selector cut to an int would be caught returning true.
        int low = (int) selector;
        DravixProperty settings = settingsFor(low >= 0 && low < SelfCheckCases.COUNT ? low : 0);
        try (NativeRecord record = NativeRecord.convert(settings)) {
            long finalizesBefore = StandIn.calls(FINALIZE);
            long addsBefore = StandIn.calls(ADD);
            assertFalse(DravixProperty.DravixProperty_check_native(record.handle(), selector));
            assertEquals(finalizesBefore, StandIn.calls(FINALIZE), "no expected record may be built");
            assertEquals(addsBefore, StandIn.calls(ADD), "no expected record may be built");
        }
        // Through the public method too: false, and nothing thrown.
        assertFalse(settings.checkNative(selector));
    }

    @ParameterizedTest(name = "selector {0}")
    @ValueSource(longs = {0, 1, 6})
    void zeroRecordHandleIsRejected(long selector) {
        assertThrowsExactly(IllegalArgumentException.class, "null Dravixproperty native reference",
                () -> DravixProperty.DravixProperty_check_native(0, selector));
        assertEquals(0, StandIn.calls(FINALIZE));
        assertEquals(0, StandIn.calls(ADD));
    }

    // ---- what the check leaves behind ----

    static Stream<Arguments> checksOnEveryPath() {
        return Stream.of(
                Arguments.of(0, (Consumer<DravixProperty>) p -> { }, null),
                Arguments.of(1, (Consumer<DravixProperty>) p -> { }, null),
                Arguments.of(2, (Consumer<DravixProperty>) p -> { }, null),
                Arguments.of(3, (Consumer<DravixProperty>) p -> { }, null),
                Arguments.of(4, (Consumer<DravixProperty>) p -> { }, null),
                Arguments.of(5, (Consumer<DravixProperty>) p -> { }, null),
                Arguments.of(1, (Consumer<DravixProperty>) p -> p.setCfgFile(null), "cfg_file presence"),
                Arguments.of(1, (Consumer<DravixProperty>) p -> p.setCfgStrings("cfg_string0", null), "cfg_strings"),
                Arguments.of(1, (Consumer<DravixProperty>) p -> p.getUserEnvironment().setProperty("name1", "v"),
                        "user_environment value"),
                Arguments.of(0, (Consumer<DravixProperty>) p -> p.getUserEnvironment().setProperty("n", "v"),
                        "user_environment size"),
                Arguments.of(5, (Consumer<DravixProperty>) p -> p.setDdsVerbosity(-1), "dds_verbosity"));
    }

    /**
     * The record under check keeps every byte, its arrays and texts included,
     * and the expected record's list is built (case 1) and finalized exactly
     * once whether the check passes or fails.
     */
    @ParameterizedTest(name = "case {0}, difference {2}")
    @MethodSource("checksOnEveryPath")
    void checkLeavesTheRecordAloneAndReleasesTheExpectedOne(int testCase, Consumer<DravixProperty> change,
                                                            String label) {
        DravixProperty settings = settingsFor(testCase);
        change.accept(settings);
        try (NativeRecord record = NativeRecord.convert(settings)) {
            long handle = record.handle();
            List<byte[]> before = SelfCheckHarness.snapshot(handle);
            long finalizesBefore = StandIn.calls(FINALIZE);
            long addsBefore = StandIn.calls(ADD);
            if (label == null) {
                assertTrue(DravixProperty.DravixProperty_check_native(handle, testCase));
            } else {
                assertThrowsExactly(RuntimeException.class, "property compare error for field " + label + "\n",
                        () -> DravixProperty.DravixProperty_check_native(handle, testCase));
            }
            assertEquals(1, StandIn.calls(FINALIZE) - finalizesBefore, "expected list finalized once");
            assertEquals(testCase == 1 ? 2 : 0, StandIn.calls(ADD) - addsBefore, "expected list entries added");
            assertTrue(SelfCheckHarness.sameSnapshot(before, SelfCheckHarness.snapshot(handle)),
                    "the record under check changed");
            // A second check of the same record gives the same answer.
            if (label == null) {
                assertTrue(DravixProperty.DravixProperty_check_native(handle, testCase));
            } else {
                assertThrowsExactly(RuntimeException.class, "property compare error for field " + label + "\n",
                        () -> DravixProperty.DravixProperty_check_native(handle, testCase));
            }
        }
    }
}
