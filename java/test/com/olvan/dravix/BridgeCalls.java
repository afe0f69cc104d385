package com.olvan.dravix;

/**
 * The bridge's package-private natives and the API's loading, for the code
 * of other packages that tests or measures the bridge itself: the test
 * controls, the soak and the benchmark (which times the exports, not the
 * Java API's locking around them). It reaches them as the tests do, from the
 * class path.
 */
public final class BridgeCalls {
    private BridgeCalls() {
    }

    /** Loads the bridge, which the API does only at its first service or self-check. */
    public static void load() {
        NativeLibrary.ensureLoaded();
    }

    public static long newRecord() {
        return DravixProperty.DravixProperty_new();
    }

    public static void deleteRecord(long record) {
        DravixProperty.DravixProperty_delete(record);
    }

    public static void toNative(DravixProperty property, long record) {
        property.DravixProperty_to_native(record);
    }

    public static boolean checkNative(long record, long testCase) {
        return DravixProperty.DravixProperty_check_native(record, testCase);
    }

    public static long newService(long record) {
        return Dravix.Dravix_new(record);
    }

    public static void deleteService(long service) {
        Dravix.Dravix_delete(service);
    }

    public static void start(long service) {
        Dravix.Dravix_start(service);
    }

    public static void stop(long service) {
        Dravix.Dravix_stop(service);
    }

    public static void createEntity(long service, String name, String configuration) {
        Dravix.Dravix_create_entity(service, name, configuration);
    }

    public static void deleteEntity(long service, String name) {
        Dravix.Dravix_delete_entity(service, name);
    }

    public static String getConfiguration(long service) {
        return Dravix.Dravix_get_configuration(service);
    }
}
