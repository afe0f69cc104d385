package com.olvan.dravix;

import com.olvan.dravix.diagnostics.SelfCheckCases;

/** Settings and records shared by the property tests. */
final class RecordFixtures {
    private RecordFixtures() {
    }

    /** Every one of the 17 settings away from its default, each with a value of its own. */
    static DravixProperty everySetting() {
        return SelfCheckCases.everySetting("/etc/dravix/main.xml", new String[] {"<first/>", null, "<third/>"},
                "orders", "billing", new int[] {DravixProperty.LOG_VERBOSITY_INFO,
                    DravixProperty.LOG_VERBOSITY_EXCEPTIONS, 7, 9, 10}, "/opt/dravix/plugins",
                new OrderedProperties().with("REGION", "eu-west").with("TIER", "gold"));
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
