package com.olvan.dravix.bench;

import com.olvan.dravix.BridgeCalls;

/**
 * Start and stop against two empty natives and against the service calls alone.
 */
final class LifecycleRows {
    private LifecycleRows() {
    }

    static void run(DravixBench bench) {
        long record = BridgeCalls.newRecord();
        long service = BridgeCalls.newService(record);
        try {
            int k = 2000;
            Harness.Sample bridge = () -> {
                long t0 = System.nanoTime();
                for (int i = 0; i < k; i++) {
                    BridgeCalls.start(service);
                    BridgeCalls.stop(service);
                }
                return System.nanoTime() - t0;
            };
            Harness.Sample empty = () -> {
                long t0 = System.nanoTime();
                for (int i = 0; i < k; i++) {
                    Floor.empty(service);
                    Floor.empty(service);
                }
                return System.nanoTime() - t0;
            };
            Harness.Sample sameCalls = () -> {
                long t0 = System.nanoTime();
                for (int i = 0; i < k; i++) {
                    Floor.start(service);
                    Floor.stop(service);
                }
                return System.nanoTime() - t0;
            };
            bench.add("start+stop vs two empty natives", "pair",
                    () -> Harness.compare(bridge, empty, k, false, bench.plan(DravixBench.Size.SMALL)), Double.NaN);
            bench.add("start+stop vs the service calls alone", "pair",
                    () -> Harness.compare(bridge, sameCalls, k, false, bench.plan(DravixBench.Size.SMALL)), Double.NaN);
        } finally {
            BridgeCalls.deleteService(service);
            BridgeCalls.deleteRecord(record);
        }
    }
}
