package com.olvan.dravix.diagnostics;

import com.olvan.dravix.DravixProperty;
import java.util.Properties;

/**
 * The settings of the bridge's six self-check cases: converted, each yields
 * exactly the record that {@link DravixProperty#checkNative} expects for its
 * case. Cases 2 to 5 set both verbosities to one of the {@code LOG_VERBOSITY_*}
 * levels, so they pass only where those numbers are the service library's.
 */
public final class SelfCheckCases {
    /** Test cases 0 to 5; any other selector compares nothing. */
    public static final int COUNT = 6;

    private SelfCheckCases() {
    }

    /**
     * Settings that convert into the record the self-check expects for a case.
     *
     * @param testCase 0 to 5
     * @return the case's settings
     * @throws IllegalArgumentException if testCase is not 0 to 5
     */
    public static DravixProperty settingsFor(int testCase) {
        switch (testCase) {
            case 0:
                return new DravixProperty();
            case 1:
                return fullSettings();
            case 2:
                return withVerbosity(DravixProperty.LOG_VERBOSITY_SILENT);
            case 3:
                return withVerbosity(DravixProperty.LOG_VERBOSITY_EXCEPTIONS);
            case 4:
                return withVerbosity(DravixProperty.LOG_VERBOSITY_WARNINGS);
            case 5:
                return withVerbosity(DravixProperty.LOG_VERBOSITY_INFO);
            default:
                throw new IllegalArgumentException("no test case " + testCase);
        }
    }

    private static DravixProperty withVerbosity(int level) {
        return new DravixProperty().setServiceVerbosity(level).setDdsVerbosity(level);
    }

    /** Case 1: every field set, none to its default. */
    private static DravixProperty fullSettings() {
        // A plain Properties: the JVM's own enumeration decides the order the
        // conversion sees, which is what the expected record is built from.
        Properties environment = new Properties();
        environment.setProperty("name1", "value1");
        environment.setProperty("name2", "value2");
        return new DravixProperty()
                .setCfgFile("cfg_file")
                .setCfgStrings("cfg_string0", "cfg_string1")
                .setServiceName("service_name")
                .setApplicationName("application_name")
                .setEnforceXsdValidation(false)
                .setServiceVerbosity(42)
                .setDdsVerbosity(43)
                .setDomainIdBase(44)
                .setPluginSearchPath("plugin_search_path")
                .setDontStartService(true)
                .setEnableAdministration(true)
                .setAdministrationDomainId(9)
                .setEnableMonitoring(true)
                .setMonitoringDomainId(10)
                .setSkipDefaultFiles(true)
                .setIdentifyExecution(true)
                .setUserEnvironment(environment);
    }
}
