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
        // By kind: the texts, the numbers, every flag the other way from its default.
        return new DravixProperty()
                .setCfgFile("/etc/dravix/main.xml").setCfgStrings("<first/>", null, "<third/>")
                .setServiceName("orders").setApplicationName("billing").setPluginSearchPath("/opt/dravix/plugins")
                .setServiceVerbosity(DravixProperty.LOG_VERBOSITY_INFO)
                .setDdsVerbosity(DravixProperty.LOG_VERBOSITY_EXCEPTIONS)
                .setDomainIdBase(7).setAdministrationDomainId(9).setMonitoringDomainId(10)
                .setEnforceXsdValidation(false).setDontStartService(true).setEnableAdministration(true)
                .setEnableMonitoring(true).setSkipDefaultFiles(true).setIdentifyExecution(true)
                .setUserEnvironment(environment);
    }
}
