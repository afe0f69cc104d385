package com.olvan.dravix.bench;

import com.olvan.dravix.BridgeCalls;
import com.olvan.dravix.Dravix;
import com.olvan.dravix.DravixProperty;
import java.io.IOException;

/**
 * The bridge as a user meets it (the public API, its lock included) against
 * an FFM binding of the same service library ({@link ForeignPeer}) doing the
 * same work, side by side in one JVM: each row a ratio bridge / FFM. The
 * bridge's service and the peer's are made alike and hold the same entity, so
 * both read the same text.
 */
final class VersusForeign {
    static final int[] SIZES = {16, 1 << 10, 64 << 10, DravixBench.MIB, 16 * DravixBench.MIB};

    private final DravixBench bench;
    private final ForeignPeer peer;

    private VersusForeign(DravixBench bench, ForeignPeer peer) {
        this.bench = bench;
        this.peer = peer;
    }

    /** Runs the rows, or notes why there are none. */
    static void run(DravixBench bench) throws IOException {
        ForeignPeer peer = ForeignPeer.find();
        if (peer == null) {
            bench.note("no FFM rows: they need JDK 22 or later and olvan-dravix-bench-ffm.jar on the class path");
            return;
        }
        VersusForeign rows = new VersusForeign(bench, peer);
        rows.configurations();
        rows.entities();
        rows.conversion();
    }

    /** A service made through the API and an equal one by hand, for the peer; both started. */
    private static final class Pair implements AutoCloseable {
        final Dravix api = new Dravix();
        final long record = BridgeCalls.newRecord();
        final long raw = BridgeCalls.newService(record);

        Pair() {
            api.start();
            BridgeCalls.start(raw);
        }

        void createEntity(String name, String configuration) {
            api.createEntity(name, configuration);
            BridgeCalls.createEntity(raw, name, configuration);
        }

        @Override
        public void close() {
            api.close();
            BridgeCalls.stop(raw);
            BridgeCalls.deleteService(raw);
            BridgeCalls.deleteRecord(record);
        }
    }

    // ---- get_configuration

    private static final String ASCII = "ASCII";
    private static final String BMP = "dense 2-3 byte";
    private static final String FOUR_BYTE = "a 4-byte char every 60 B";

    private void configurations() throws IOException {
        for (String kind : new String[] {ASCII, BMP, FOUR_BYTE}) {
            for (int size : SIZES) {
                int n = bench.bytes(size);
                String name = "get_configuration, " + Workloads.sizeLabel(n) + " " + kind + " vs FFM";
                if (!bench.wanted(name)) {
                    continue;
                }
                try (Pair pair = new Pair()) {
                    if (kind.equals(FOUR_BYTE)) {
                        // From a file: a Java string would reach the service as modified UTF-8.
                        pair.createEntity("payload", "file://" + Workloads.writeTemp(
                                Workloads.asciiWithFourByteSequences(n)));
                    } else {
                        pair.createEntity("payload", kind.equals(ASCII) ? Workloads.ascii(n) : Workloads.bmpText(n));
                    }
                    String viaBridge = pair.api.getConfiguration();
                    if (!viaBridge.equals(peer.getConfiguration(pair.raw))) {
                        throw new IllegalStateException("sanity check failed: bridge and FFM read different texts");
                    }
                    int k = calls(n);
                    double target = n <= 16 ? 2.0 : n < 64 << 10 ? Double.NaN : kind.equals(FOUR_BYTE) ? 1.0 : 1.1;
                    bench.add(name, "call", () -> Harness.compare(
                            () -> {
                                long t0 = System.nanoTime();
                                String last = null;
                                for (int i = 0; i < k; i++) {
                                    last = pair.api.getConfiguration();
                                }
                                return checked(System.nanoTime() - t0, last);
                            },
                            () -> {
                                long t0 = System.nanoTime();
                                String last = null;
                                for (int i = 0; i < k; i++) {
                                    last = peer.getConfiguration(pair.raw);
                                }
                                return checked(System.nanoTime() - t0, last);
                            },
                            k, n > 1 << 10, bench.plan(size(n))), target);
                }
            }
        }
    }

    // ---- create_entity

    private void entities() {
        for (int size : SIZES) {
            int n = bench.bytes(size);
            String name = "create_entity, " + Workloads.sizeLabel(n) + " ASCII vs FFM";
            if (!bench.wanted(name) && !bench.wanted(name.replace(" vs FFM", ": its JNI floor vs FFM"))) {
                continue;
            }
            String text = Workloads.ascii(n);
            try (Pair pair = new Pair()) {
                int k = calls(n);
                String[] names = new String[k];
                for (int i = 0; i < k; i++) {
                    names[i] = "bench-entity-" + i;
                }
                pair.api.createEntity(names[0], text);
                peer.createEntity(pair.raw, names[0], text);
                if (!pair.api.getConfiguration().equals(BridgeCalls.getConfiguration(pair.raw))) {
                    throw new IllegalStateException("sanity check failed: bridge and FFM created different entities");
                }
                pair.api.deleteEntity(names[0]);
                BridgeCalls.deleteEntity(pair.raw, names[0]);
                double target = n <= 16 ? 2.0 : n < 64 << 10 ? Double.NaN : 1.2;
                bench.add(name, "call", () -> Harness.compare(
                        creations(Side.API, pair, names, text), creations(Side.PEER, pair, names, text),
                        k, n > 1 << 10, bench.plan(size(n))), target);
                // The least JNI can do (the floor's calls alone) against the
                // peer: how much of the ratio any JNI library pays.
                bench.add(name.replace(" vs FFM", ": its JNI floor vs FFM"), "call", () -> Harness.compare(
                        creations(Side.FLOOR, pair, names, text), creations(Side.PEER, pair, names, text),
                        k, n > 1 << 10, bench.plan(size(n))), Double.NaN);
            }
        }
    }

    /** Who creates the entities: the API, the peer, or the floor natives. */
    private enum Side { API, PEER, FLOOR }

    /** Times the creation of the named entities by one side; deletes them untimed. */
    private Harness.Sample creations(Side side, Pair pair, String[] names, String text) {
        return () -> {
            long t0 = System.nanoTime();
            if (side == Side.API) {
                for (String entity : names) {
                    pair.api.createEntity(entity, text);
                }
            } else if (side == Side.PEER) {
                for (String entity : names) {
                    peer.createEntity(pair.raw, entity, text);
                }
            } else {
                for (String entity : names) {
                    Floor.createEntity(pair.raw, entity, text);
                }
            }
            long elapsed = System.nanoTime() - t0;
            for (String entity : names) {
                if (side == Side.API) {
                    pair.api.deleteEntity(entity);
                } else {
                    BridgeCalls.deleteEntity(pair.raw, entity);
                }
            }
            return elapsed;
        };
    }

    // ---- the conversion

    /**
     * Full settings into fresh records, the bridge's export against the peer;
     * and the floor (the JNI look-ups and reads the design asks for, and the
     * same copies) against the peer: how much of the ratio those take.
     */
    private void conversion() {
        DravixProperty full = Workloads.full();
        long[] records = new long[200];
        conversionVersusPeer("to_native, full settings vs FFM", full, records, true);
        conversionVersusPeer("to_native, full settings: its JNI floor vs FFM", full, records, false);
    }

    /** The bridge's conversion (or its JNI floor) against the peer's, batch for batch. */
    private void conversionVersusPeer(String name, DravixProperty full, long[] records, boolean viaBridge) {
        if (bench.wanted(name)) {
            bench.add(name, "call", () -> Harness.compare(
                    () -> ConversionRows.convertBatch(full, records, viaBridge),
                    () -> ConversionRows.convertBatch(full, records, false, peer),
                    records.length, false, bench.plan(DravixBench.Size.SMALL)), Double.NaN);
        }
    }

    // ---- helpers

    private static int calls(int n) {
        return n <= 1 << 10 ? 500 : n <= 64 << 10 ? 50 : n <= DravixBench.MIB ? 8 : 1;
    }

    private static DravixBench.Size size(int n) {
        return n <= 1 << 10 ? DravixBench.Size.SMALL : n <= DravixBench.MIB ? DravixBench.Size.MEDIUM
                : DravixBench.Size.LARGE;
    }

    /** The time, once the last call is seen to have made a text. */
    private static long checked(long elapsed, String last) {
        if (last == null || last.isEmpty()) {
            throw new IllegalStateException("no configuration text");
        }
        return elapsed;
    }
}
