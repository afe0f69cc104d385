package com.olvan.dravix.bench;

import com.olvan.dravix.BridgeCalls;
import com.olvan.dravix.bench.Sides.Maker;
import com.olvan.dravix.bench.Sides.Service;

/**
 * create_entity: the bridge against the least copy and against GetStringUTFChars.
 */
final class EntityRows {
    private static final String VS_UTF_CHARS = " vs GetStringUTFChars";

    private EntityRows() {
    }

    /** The maker of the copies: the bridge, the least floor, or GetStringUTFChars (NEW_STRING_UTF). */
    private static Harness.Sample createBatch(long service, String[] names, String text, Maker maker) {
        return () -> {
            long t0 = System.nanoTime();
            if (maker == Maker.BRIDGE) {
                for (String name : names) {
                    BridgeCalls.createEntity(service, name, text);
                }
            } else if (maker == Maker.LEAST) {
                for (String name : names) {
                    Floor.createEntity(service, name, text);
                }
            } else {
                for (String name : names) {
                    Floor.createEntityUtfChars(service, name, text);
                }
            }
            long elapsed = System.nanoTime() - t0;
            for (String name : names) {
                BridgeCalls.deleteEntity(service, name);
            }
            return elapsed;
        };
    }

    static void run(DravixBench bench) {
        for (int size : new int[] {16, DravixBench.MIB, 64 * DravixBench.MIB}) {
            int n = bench.bytes(size);
            String name = "create_entity, " + Workloads.sizeLabel(n) + " of text";
            if (!bench.wanted(name, name + VS_UTF_CHARS)) {
                continue;
            }
            String text = Workloads.ascii(n);
            try (Service service = new Service()) {
                Checks.entityCreation(service.handle, text);
                int k = n <= 1024 ? 500 : n <= DravixBench.MIB ? 8 : 1;
                String[] names = new String[k];
                for (int i = 0; i < k; i++) {
                    names[i] = "bench-entity-" + i;
                }
                DravixBench.Size s = n <= 1024 ? DravixBench.Size.SMALL : n <= DravixBench.MIB ? DravixBench.Size.MEDIUM : DravixBench.Size.LARGE;
                bench.add(name, "call", () -> Harness.compare(
                        createBatch(service.handle, names, text, Maker.BRIDGE),
                        createBatch(service.handle, names, text, Maker.LEAST),
                        k, s != DravixBench.Size.SMALL, bench.plan(s)), 1.10);
                bench.add(name + VS_UTF_CHARS, "call", () -> Harness.compare(
                        createBatch(service.handle, names, text, Maker.BRIDGE),
                        createBatch(service.handle, names, text, Maker.NEW_STRING_UTF),
                        k, s != DravixBench.Size.SMALL, bench.plan(s)), Double.NaN);
            }
        }
    }
}
