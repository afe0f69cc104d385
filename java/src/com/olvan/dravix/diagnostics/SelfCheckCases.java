package com.olvan.dravix.diagnostics;

import com.olvan.dravix.DravixProperty;
import java.util.Properties;

/**
 * The settings of the bridge's six self-check cases: converted, each yields
 * exactly the record that {@link DravixProperty#checkNative} expects for its
 * case. Cases 2 to 5 set both verbosities to one of the {@code LOG_VERBOSITY_*}
 * levels, so they pass only where those numbers are the service library's.
 * Case 1's settings, every field set, are also the one full settings fixture
 * of the test suites, the benchmark and the soak.
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

    /** @return case 1's settings: every field set, none to its default */
    public static DravixProperty fullSettings() {
        // A plain Properties: the JVM's own enumeration decides the order the
        // conversion sees, which is what the expected record is built from.
        Properties environment = new Properties();
        environment.setProperty("name1", "value1");
        environment.setProperty("name2", "value2");
        return everySetting("cfg_file", new String[] {"cfg_string0", "cfg_string1"}, "service_name",
                "application_name", new int[] {42, 43, 44, 9, 10}, "plugin_search_path", environment);
    }

    /**
     * Settings with every field away from its default: the texts and numbers
     * given, every flag the other way from its default. The one full settings
     * fixture of the test suites, the benchmark and the soak.
     *
     * @param cfgFile the configuration file
     * @param cfgStrings the configuration strings
     * @param serviceName the service name
     * @param applicationName the application name
     * @param numbers the service and middleware verbosities, the domain ID base,
     *     the administration and the monitoring domain IDs, in that order
     * @param pluginSearchPath the plugin search path
     * @param userEnvironment the user environment
     * @return the settings
     */
    public static DravixProperty everySetting(String cfgFile, String[] cfgStrings, String serviceName,
            String applicationName, int[] numbers, String pluginSearchPath, Properties userEnvironment) {
        return new DravixProperty()
                .setCfgFile(cfgFile)
                .setCfgStrings(cfgStrings)
                .setServiceName(serviceName)
                .setApplicationName(applicationName)
                .setEnforceXsdValidation(false)
                .setServiceVerbosity(numbers[0])
                .setDdsVerbosity(numbers[1])
                .setDomainIdBase(numbers[2])
                .setPluginSearchPath(pluginSearchPath)
                .setDontStartService(true)
                .setEnableAdministration(true)
                .setAdministrationDomainId(numbers[3])
                .setEnableMonitoring(true)
                .setMonitoringDomainId(numbers[4])
                .setSkipDefaultFiles(true)
                .setIdentifyExecution(true)
                .setUserEnvironment(userEnvironment);
    }
}
