package com.olvan.dravix.bench;

import com.olvan.dravix.BridgeCalls;
import com.olvan.dravix.DravixProperty;
import com.olvan.dravix.diagnostics.SelfCheckCases;
import java.util.Enumeration;
import java.util.List;
import java.util.Properties;

/**
 * DravixProperty_to_native and the self-check: whole settings, the cost of one
 * user environment or cfgStrings entry, and check_native.
 */
final class ConversionRows {
    private ConversionRows() {
    }

    /** The rows, in the order they are measured. */
    static void run(DravixBench bench) {
        conversions(bench);
        userEnvironmentPerEntry(bench, bench.rowSuffix());
        cfgStringsPerEntry(bench);
        selfCheck(bench);
    }

    /** k conversions of p into fresh records; only the conversions are timed. */
    static long convertBatch(DravixProperty p, long[] records, boolean viaBridge) {
        return convertBatch(p, records, viaBridge, null);
    }

    /** The same, by the FFM peer when one is given. */
    static long convertBatch(DravixProperty p, long[] records, boolean viaBridge, ForeignPeer peer) {
        for (int i = 0; i < records.length; i++) {
            records[i] = BridgeCalls.newRecord();
        }
        long t0 = System.nanoTime();
        if (peer != null) {
            for (long record : records) {
                peer.toNative(p, record);
            }
        } else if (viaBridge) {
            for (long record : records) {
                BridgeCalls.toNative(p, record);
            }
        } else {
            for (long record : records) {
                Floor.toNative(p, record);
            }
        }
        long elapsed = System.nanoTime() - t0;
        for (long record : records) {
            BridgeCalls.deleteRecord(record);
        }
        return elapsed;
    }

    private static void conversions(DravixBench bench) {
        if (!bench.wanted("to_native, default settings", "to_native, full settings (8 env, 4 cfgStrings)")) {
            return;
        }
        Checks.conversion(Workloads.defaults(), 0, 0);
        Checks.passesSelfCheck(Workloads.defaults(), 0);
        Checks.conversion(Workloads.full(), 8, 4);
        long[] records = new long[200];
        bench.add("to_native, default settings", "call", () -> Harness.compare(
                () -> convertBatch(DravixBench.DEFAULTS, records, true),
                () -> convertBatch(DravixBench.DEFAULTS, records, false),
                records.length, false, bench.plan(DravixBench.Size.SMALL)), 1.15);
        DravixProperty full = Workloads.full();
        bench.add("to_native, full settings (8 env, 4 cfgStrings)", "call", () -> Harness.compare(
                () -> convertBatch(full, records, true),
                () -> convertBatch(full, records, false),
                records.length, false, bench.plan(DravixBench.Size.SMALL)), 1.15);
    }

    /**
     * The cost of one entry: converting settings with n entries minus
     * converting default settings, over n.
     */
    private static Harness.Result perEntry(DravixBench bench, DravixProperty p, int n, DravixBench.Size size) {
        int k = Math.max(1, 2000 / n);
        long[] records = new long[k];
        return Harness.compareDifference(
                () -> convertBatch(p, records, true),
                () -> convertBatch(DravixBench.DEFAULTS, records, true),
                () -> convertBatch(p, records, false),
                () -> convertBatch(DravixBench.DEFAULTS, records, false),
                (double) k * n, size != DravixBench.Size.SMALL, bench.plan(size));
    }

    static void userEnvironmentPerEntry(DravixBench bench, String suffix) {
        int[] sizes = {10, 1000, 100_000};
        for (int n : sizes) {
            int count = bench.entries(n);
            String name = String.format("user environment, %,d entries%s", count, suffix);
            if (!bench.wanted(name)) {
                continue;
            }
            DravixProperty p = Workloads.userEnvironment(count);
            Checks.conversion(p, count, 0);
            DravixBench.Size size = count <= 10 ? DravixBench.Size.SMALL : count <= 1000 ? DravixBench.Size.MEDIUM : DravixBench.Size.LARGE;
            bench.add(name, "entry",
                    () -> perEntry(bench, p, count, size), 1.15);
        }
        if (suffix.isEmpty() && !bench.rowChild() && bench.wanted("user environment")) {
            javaWalkNote(bench, bench.entries(1000), bench.entries(100_000));
        }
    }

    /**
     * What the JVM's own side of the walk costs per entry (propertyNames, the
     * enumeration, getProperty, and one character of each key and value read
     * as GetStringUTFChars must read them all; no JNI), small against large:
     * the part of any growth of the per-entry cost that lies in the JVM's data
     * outgrowing the caches, which neither floor nor bridge can avoid.
     */
    private static void javaWalkNote(DravixBench bench, int small, int large) {
        double[] perEntry = new double[2];
        int[] sizes = {small, large};
        for (int s = 0; s < 2; s++) {
            Properties env = Workloads.userEnvironment(sizes[s]).getUserEnvironment();
            int walks = Math.max(1, 100_000 / sizes[s]);  // a sample is 100,000 entries or more
            double[] samples = new double[bench.quick() ? 3 : 31];
            long total = 0;
            for (int i = -samples.length; i < samples.length; i++) {  // the first half warms up
                long t0 = System.nanoTime();
                for (int w = 0; w < walks; w++) {
                    for (Enumeration<?> keys = env.propertyNames(); keys.hasMoreElements(); ) {
                        String key = (String) keys.nextElement();
                        String value = env.getProperty(key);
                        total += key.charAt(key.length() - 1) + value.charAt(value.length() - 1);
                    }
                }
                if (i >= 0) {
                    samples[i] = (System.nanoTime() - t0) / ((double) walks * sizes[s]);
                }
            }
            if (total == 0) {
                throw new IllegalStateException("the walk saw no values");
            }
            perEntry[s] = Harness.median(samples);
        }
        bench.note(DravixBench.format("JVM side of the walk alone (Java, no JNI): %.0f ns per entry at %,d entries, %.0f ns at %,d",
                perEntry[0], small, perEntry[1], large));
    }

    /** Per-entry cost at the largest size over that at the smallest, for the rows named like prefix. */
    static void growthNote(DravixBench bench, List<Report.Row> all, String prefix, String suffix) {
        Report.Row first = null;
        Report.Row last = null;
        for (Report.Row row : all) {
            if (row.name.startsWith(prefix) && row.name.endsWith(suffix)) {
                first = first == null ? row : first;
                last = row;
            }
        }
        if (first == null || first == last) {
            return;
        }
        bench.note(DravixBench.format("per-entry growth, %s to %s%s: bridge x%.2f, floor x%.2f",
                first.name.substring(prefix.length()).replace(suffix, ""),
                last.name.substring(prefix.length()).replace(suffix, ""), suffix,
                last.result.bridgeNanos / first.result.bridgeNanos, last.result.floorNanos / first.result.floorNanos));
    }

    private static void cfgStringsPerEntry(DravixBench bench) {
        int count = bench.entries(100_000);
        String name = String.format("cfgStrings, %,d entries", count);
        if (!bench.wanted(name)) {
            return;
        }
        DravixProperty p = Workloads.cfgStrings(count);
        Checks.conversion(p, 0, count);
        bench.add(name, "entry", () -> perEntry(bench, p, count, DravixBench.Size.LARGE), 1.15);
    }

    private static void selfCheck(DravixBench bench) {
        if (!bench.wanted("check_native, case 1")) {
            return;
        }
        DravixProperty p = SelfCheckCases.settingsFor(1);
        Checks.passesSelfCheck(p, 1);
        long record = BridgeCalls.newRecord();
        try {
            BridgeCalls.toNative(p, record);
            int k = 1000;
            bench.add("check_native, case 1", "call", () -> Harness.compare(
                    () -> {
                        long t0 = System.nanoTime();
                        for (int i = 0; i < k; i++) {
                            BridgeCalls.checkNative(record, 1);
                        }
                        return System.nanoTime() - t0;
                    },
                    () -> {
                        long t0 = System.nanoTime();
                        for (int i = 0; i < k; i++) {
                            Floor.checkCase1(record);
                        }
                        return System.nanoTime() - t0;
                    },
                    k, false, bench.plan(DravixBench.Size.SMALL)), Double.NaN);
        } finally {
            BridgeCalls.deleteRecord(record);
        }
    }
}
