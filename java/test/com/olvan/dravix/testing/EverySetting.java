package com.olvan.dravix.testing;

import com.olvan.dravix.DravixProperty;
import java.util.Properties;

/**
 * Settings with every one of the 17 fields away from its default and each with
 * a value of its own, so that every conversion path runs: the one full settings
 * fixture of the tests, the soak and the benchmark. A caller that needs other
 * values sets them by name on what this returns.
 */
public final class EverySetting {
    private EverySetting() {
    }

    /** @return new settings, every field set */
    public static DravixProperty settings() {
        Properties environment = new Properties();
        environment.setProperty("REGION", "eu-west");
        return new DravixProperty()
                .setCfgFile("/etc/dravix/main.xml")
                .setCfgStrings("<first/>", null, "<third/>")
                .setServiceName("orders")
                .setApplicationName("billing")
                .setEnforceXsdValidation(false)
                .setServiceVerbosity(DravixProperty.LOG_VERBOSITY_INFO)
                .setDdsVerbosity(DravixProperty.LOG_VERBOSITY_EXCEPTIONS)
                .setDomainIdBase(7)
                .setPluginSearchPath("/opt/dravix/plugins")
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
