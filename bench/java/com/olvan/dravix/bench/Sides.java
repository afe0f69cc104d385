package com.olvan.dravix.bench;

import com.olvan.dravix.BridgeCalls;

/** What the rows run on: a started service of its own, and who makes a copy or a string. */
final class Sides {
    private Sides() {
    }

    static final class Service implements AutoCloseable {
        final long record = BridgeCalls.newRecord();
        final long handle = BridgeCalls.newService(record);

        Service() {
            BridgeCalls.start(handle);
        }

        @Override
        public void close() {
            BridgeCalls.stop(handle);
            BridgeCalls.deleteService(handle);
            BridgeCalls.deleteRecord(record);
        }
    }

    /** The bridge, the least floor, or the JVM's own call (GetStringUTFChars or NewStringUTF). */
    enum Maker { BRIDGE, LEAST, NEW_STRING_UTF }
}
