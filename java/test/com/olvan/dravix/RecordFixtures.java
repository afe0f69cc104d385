package com.olvan.dravix;

import com.olvan.dravix.testing.EverySetting;

/** Settings and records shared by the property tests. */
final class RecordFixtures {
    private RecordFixtures() {
    }

    /** Every one of the 17 settings away from its default, each with a value of its own. */
    static DravixProperty everySetting() {
        return EverySetting.settings().setUserEnvironment(new OrderedProperties().with("REGION", "eu-west")
                .with("TIER", "gold"));
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
