package com.olvan.dravix;

/** Settings and records shared by the property tests. */
final class RecordFixtures {
    private RecordFixtures() {
    }

    /** Every one of the 17 settings away from its default, each with a value of its own. */
    static DravixProperty everySetting() {
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
                .setUserEnvironment(new OrderedProperties().with("REGION", "eu-west").with("TIER", "gold"));
    }

    /** A new record with the settings converted into it; released again if the conversion fails. */
    static long convert(DravixProperty settings) {
        long handle = DravixProperty.DravixProperty_new();
        try {
            settings.DravixProperty_to_native(handle);
        } catch (RuntimeException | Error e) {
            DravixProperty.DravixProperty_delete(handle);
            throw e;
        }
        return handle;
    }
}
