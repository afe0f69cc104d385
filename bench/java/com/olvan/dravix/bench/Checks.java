package com.olvan.dravix.bench;

import com.olvan.dravix.BridgeCalls;
import com.olvan.dravix.DravixProperty;

/**
 * Sanity checks run before an operation is timed: the bridge and its floor
 * must do the same work, or the ratio means nothing. Each throws
 * IllegalStateException naming what differs.
 */
final class Checks {
    private Checks() {
    }

    private static void require(boolean condition, String what) {
        if (!condition) {
            throw new IllegalStateException("sanity check failed: " + what);
        }
    }

    /** A new record holding p's settings, converted by the bridge or by its floor. */
    private static long convertedBy(boolean viaBridge, DravixProperty p) {
        long record = BridgeCalls.newRecord();
        try {
            if (viaBridge) {
                BridgeCalls.toNative(p, record);
            } else {
                Floor.toNative(p, record);
            }
            return record;
        } catch (RuntimeException | Error e) {
            BridgeCalls.deleteRecord(record);
            throw e;
        }
    }

    /** Both sides fill the same numbers of user environment entries and configuration strings. */
    static void conversion(DravixProperty p, int environmentEntries, int cfgStrings) {
        for (boolean viaBridge : new boolean[] {true, false}) {
            String side = viaBridge ? "bridge" : "floor";
            long record = convertedBy(viaBridge, p);
            try {
                require(Floor.userEnvironmentCount(record) == environmentEntries,
                        side + " converted " + Floor.userEnvironmentCount(record) + " user environment entries, not "
                                + environmentEntries);
                require(Floor.cfgStringsCount(record) == cfgStrings,
                        side + " converted " + Floor.cfgStringsCount(record) + " cfgStrings, not " + cfgStrings);
            } finally {
                BridgeCalls.deleteRecord(record);
            }
        }
    }

    /** A record converted by either side passes the bridge's self-check (and, for case 1, the floor's). */
    static void passesSelfCheck(DravixProperty p, int testCase) {
        for (boolean viaBridge : new boolean[] {true, false}) {
            String side = viaBridge ? "bridge" : "floor";
            long record = convertedBy(viaBridge, p);
            try {
                try {
                    require(BridgeCalls.checkNative(record, testCase), side + " record fails case " + testCase);
                } catch (RuntimeException e) {
                    throw new IllegalStateException(side + " record, case " + testCase + ": " + e.getMessage(), e);
                }
                if (testCase == 1) {
                    require(Floor.checkCase1(record), "floor's case 1 check rejects the " + side + " record");
                }
            } finally {
                BridgeCalls.deleteRecord(record);
            }
        }
        long empty = BridgeCalls.newRecord();
        try {
            require(testCase != 1 || !Floor.checkCase1(empty), "floor's case 1 check accepts a default record");
        } finally {
            BridgeCalls.deleteRecord(empty);
        }
    }

    /** An entity made by either side shows the text, and the service ends up the same. */
    static void entityCreation(long service, String text) {
        BridgeCalls.createEntity(service, "check-entity", text);
        String viaBridge = BridgeCalls.getConfiguration(service);
        BridgeCalls.deleteEntity(service, "check-entity");
        Floor.createEntity(service, "check-entity", text);
        String viaFloor = BridgeCalls.getConfiguration(service);
        BridgeCalls.deleteEntity(service, "check-entity");
        require(viaBridge.contains(text), "the entity's text is missing from the configuration");
        require(viaBridge.equals(viaFloor), "bridge and floor created different entities");
    }

    /** Valid modified UTF-8: both sides make the same string, holding the payload. */
    static void modifiedUtf8Configuration(long service, String payload) {
        String viaBridge = BridgeCalls.getConfiguration(service);
        String viaFloor = Floor.getConfigurationNewStringUtf(service);
        require(viaBridge.contains(payload), "the payload is missing from the configuration");
        require(viaBridge.equals(viaFloor), "bridge and floor read different configurations");
    }

    /** Standard UTF-8: the bridge decodes the payload exactly; the floor's NewStringUTF merely runs. */
    static void decodedConfiguration(long service, String payload) {
        require(payload.codePoints().anyMatch(Character::isSupplementaryCodePoint),
                "the payload holds no supplementary character");
        String viaBridge = BridgeCalls.getConfiguration(service);
        require(viaBridge.contains(payload), "the bridge did not decode the payload exactly");
        require(Floor.getConfigurationNewStringUtf(service) != null, "the floor made no string");
    }
}
