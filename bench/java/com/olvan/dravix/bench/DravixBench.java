package com.olvan.dravix.bench;

import com.olvan.dravix.BridgeCalls;
import com.olvan.dravix.DravixProperty;
import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStreamReader;
import java.nio.charset.StandardCharsets;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Locale;

/**
 * Measures every export of the bridge against its floor (see {@link Floor}) in
 * one JVM, and prints per operation the bridge's time, the floor's time and
 * their ratio. Two kinds of figure need a JVM of their own and are measured in
 * child processes: the user environment walk under -Xcheck:jni, and the peak
 * resident memory of the 64 MiB cases.
 *
 * <p>Run it with equal -Xms and -Xmx and -XX:+AlwaysPreTouch (tools/bench.sh
 * does), so that heap growth neither costs time nor counts as memory.
 *
 * <pre>
 * DravixBench            the full benchmark
 * DravixBench --quick    every operation a few times on small inputs, with all
 *                        sanity checks: a smoke test, not a measurement
 * </pre>
 */
public final class DravixBench {
    static final int MIB = 1 << 20;

    private final boolean quick;
    private final List<Report.Row> rows = new ArrayList<>();

    private DravixBench(boolean quick) {
        this.quick = quick;
    }

    public static void main(String[] args) throws Exception {
        boolean quick = false;
        boolean xcheckChild = false;
        for (int i = 0; i < args.length; i++) {
            switch (args[i]) {
                case "--quick":
                    quick = true;
                    break;
                case "--xcheck-child":
                    xcheckChild = true;
                    break;
                case "--memory-child":
                    PeakMemory.child(args[i + 1], args[i + 2], Integer.parseInt(args[i + 3]));
                    return;
                default:
                    throw new IllegalArgumentException("unknown argument " + args[i]);
            }
        }
        DravixBench bench = new DravixBench(quick);
        if (xcheckChild) {
            bench.userEnvironmentPerEntry(" (-Xcheck:jni)");
            Report.printMachineRows(bench.rows);
            return;
        }
        Report.printMachine();
        bench.runAll();
        bench.rows.addAll(bench.xcheckInChild());
        Report.print(bench.rows);
        PeakMemory.report(quick ? MIB : 64 * MIB);
    }

    private void runAll() throws IOException {
        startStop();
        conversions();
        userEnvironmentPerEntry("");
        cfgStringsPerEntry();
        selfCheck();
        entities();
        configurations();
    }

    private Harness.Plan plan(Size size) {
        if (quick) {
            return new Harness.Plan(2, 1, 2);
        }
        switch (size) {
            case SMALL:
                return new Harness.Plan(40, 7, 31);
            case MEDIUM:
                return new Harness.Plan(10, 5, 15);
            default:
                return new Harness.Plan(2, 5, 5);
        }
    }

    enum Size { SMALL, MEDIUM, LARGE }

    private int entries(int n) {
        return quick ? Math.min(n, 1000) : n;
    }

    private int bytes(int n) {
        return quick && n >= MIB ? n / 1024 : n;
    }

    private void add(String name, String unit, Harness.Result result, double target) {
        Report.Row row = new Report.Row(name, unit, result, target);
        rows.add(row);
        System.out.println(row.format());
    }

    // ---- start / stop

    private void startStop() {
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
            add("start+stop vs two empty natives", "pair",
                    Harness.compare(bridge, empty, k, false, plan(Size.SMALL)), Double.NaN);
            add("start+stop vs the service calls alone", "pair",
                    Harness.compare(bridge, sameCalls, k, false, plan(Size.SMALL)), Double.NaN);
        } finally {
            BridgeCalls.deleteService(service);
            BridgeCalls.deleteRecord(record);
        }
    }

    // ---- DravixProperty_to_native

    /** k conversions of p into fresh records; only the conversions are timed. */
    static long convertBatch(DravixProperty p, long[] records, boolean viaBridge) {
        for (int i = 0; i < records.length; i++) {
            records[i] = BridgeCalls.newRecord();
        }
        long t0 = System.nanoTime();
        if (viaBridge) {
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

    private void conversions() {
        Checks.conversion(Workloads.defaults(), 0, 0);
        Checks.passesSelfCheck(Workloads.defaults(), 0);
        Checks.conversion(Workloads.full(), 8, 4);
        long[] records = new long[200];
        add("to_native, default settings", "call", Harness.compare(
                () -> convertBatch(Workloads.DEFAULTS, records, true),
                () -> convertBatch(Workloads.DEFAULTS, records, false),
                records.length, false, plan(Size.SMALL)), 1.15);
        DravixProperty full = Workloads.full();
        add("to_native, full settings (8 env, 4 cfgStrings)", "call", Harness.compare(
                () -> convertBatch(full, records, true),
                () -> convertBatch(full, records, false),
                records.length, false, plan(Size.SMALL)), 1.15);
    }

    /**
     * The cost of one entry: converting settings with n entries minus
     * converting default settings, both in the same sample, over n.
     */
    private Harness.Result perEntry(DravixProperty p, int n, Size size) {
        int k = Math.max(1, 2000 / n);
        long[] records = new long[k];
        return Harness.compare(
                () -> difference(convertBatch(p, records, true), convertBatch(Workloads.DEFAULTS, records, true)),
                () -> difference(convertBatch(p, records, false), convertBatch(Workloads.DEFAULTS, records, false)),
                (double) k * n, size != Size.SMALL, plan(size));
    }

    /**
     * A smoke run measures a cold JVM once, where the base may well take longer
     * than the whole; a real run must never see that, and the harness rejects it.
     */
    private long difference(long whole, long base) {
        return quick ? Math.max(1, whole - base) : whole - base;
    }

    private void userEnvironmentPerEntry(String suffix) {
        int[] sizes = {10, 1000, 100_000};
        for (int n : sizes) {
            int count = entries(n);
            DravixProperty p = Workloads.userEnvironment(count);
            Checks.conversion(p, count, 0);
            Size size = count <= 10 ? Size.SMALL : count <= 1000 ? Size.MEDIUM : Size.LARGE;
            add(String.format("user environment, %,d entries%s", count, suffix), "entry",
                    perEntry(p, count, size), 1.15);
        }
    }

    private void cfgStringsPerEntry() {
        int count = entries(100_000);
        DravixProperty p = Workloads.cfgStrings(count);
        Checks.conversion(p, 0, count);
        add(String.format("cfgStrings, %,d entries", count), "entry", perEntry(p, count, Size.LARGE), 1.15);
    }

    private void selfCheck() {
        DravixProperty p = Workloads.selfCheckCase1();
        Checks.passesSelfCheck(p, 1);
        long record = BridgeCalls.newRecord();
        try {
            BridgeCalls.toNative(p, record);
            int k = 1000;
            add("check_native, case 1", "call", Harness.compare(
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
                    k, false, plan(Size.SMALL)), Double.NaN);
        } finally {
            BridgeCalls.deleteRecord(record);
        }
    }

    // ---- entities

    private static final class Service implements AutoCloseable {
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

    private static Harness.Sample createBatch(long service, String[] names, String text, boolean viaBridge) {
        return () -> {
            long t0 = System.nanoTime();
            if (viaBridge) {
                for (String name : names) {
                    BridgeCalls.createEntity(service, name, text);
                }
            } else {
                for (String name : names) {
                    Floor.createEntity(service, name, text);
                }
            }
            long elapsed = System.nanoTime() - t0;
            for (String name : names) {
                BridgeCalls.deleteEntity(service, name);
            }
            return elapsed;
        };
    }

    private void entities() {
        for (int size : new int[] {16, MIB, 64 * MIB}) {
            int n = bytes(size);
            String text = Workloads.ascii(n);
            try (Service service = new Service()) {
                Checks.entityCreation(service.handle, text);
                int k = n <= 1024 ? 500 : n <= MIB ? 8 : 1;
                String[] names = new String[k];
                for (int i = 0; i < k; i++) {
                    names[i] = "bench-entity-" + i;
                }
                Size s = n <= 1024 ? Size.SMALL : n <= MIB ? Size.MEDIUM : Size.LARGE;
                add("create_entity, " + Workloads.sizeLabel(n) + " of text", "call", Harness.compare(
                        createBatch(service.handle, names, text, true),
                        createBatch(service.handle, names, text, false),
                        k, s != Size.SMALL, plan(s)), 1.10);
            }
        }
    }

    // ---- get_configuration

    private static Harness.Sample configurationBatch(long service, int k, boolean viaBridge) {
        return () -> {
            long t0 = System.nanoTime();
            String last = null;
            if (viaBridge) {
                for (int i = 0; i < k; i++) {
                    last = BridgeCalls.getConfiguration(service);
                }
            } else {
                for (int i = 0; i < k; i++) {
                    last = Floor.getConfiguration(service);
                }
            }
            long elapsed = System.nanoTime() - t0;
            if (last == null || last.isEmpty()) {
                throw new IllegalStateException("no configuration text");
            }
            return elapsed;
        };
    }

    private void configurations() throws IOException {
        for (int size : new int[] {16, MIB, 64 * MIB}) {
            int n = bytes(size);
            String text = Workloads.ascii(n);
            try (Service service = new Service()) {
                BridgeCalls.createEntity(service.handle, "payload", text);
                Checks.asciiConfiguration(service.handle, text);
                measureConfiguration(service.handle, n, "ASCII", 1.10);
            }
        }
        for (int size : new int[] {16, MIB, 64 * MIB}) {
            int n = bytes(size);
            byte[] utf8 = Workloads.supplementaryUtf8(n);
            Path file = Workloads.writeTemp(utf8);
            try (Service service = new Service()) {
                // From a file: a Java string would reach the service as modified UTF-8.
                BridgeCalls.createEntity(service.handle, "payload", "file://" + file);
                Checks.decodedConfiguration(service.handle, new String(utf8, StandardCharsets.UTF_8));
                measureConfiguration(service.handle, n, "UTF-8 with 4-byte sequences", 1.50);
            }
        }
    }

    private void measureConfiguration(long service, int n, String kind, double target) {
        int k = n <= 1024 ? 500 : n <= MIB ? 8 : 1;
        Size s = n <= 1024 ? Size.SMALL : n <= MIB ? Size.MEDIUM : Size.LARGE;
        add("get_configuration, " + Workloads.sizeLabel(n) + " " + kind, "call", Harness.compare(
                configurationBatch(service, k, true),
                configurationBatch(service, k, false),
                k, s != Size.SMALL, plan(s)), target);
    }

    // ---- the walk under -Xcheck:jni, in a JVM of its own

    private List<Report.Row> xcheckInChild() throws IOException, InterruptedException {
        List<String> command = Children.javaCommand("-Xcheck:jni", "-Xms1g", "-Xmx1g", "-XX:+AlwaysPreTouch");
        command.add(DravixBench.class.getName());
        command.add("--xcheck-child");
        if (quick) {
            command.add("--quick");
        }
        System.out.println("(user environment under -Xcheck:jni, in a separate JVM)");
        Process child = new ProcessBuilder(command).redirectErrorStream(true).start();
        List<Report.Row> childRows = new ArrayList<>();
        List<String> output = new ArrayList<>();
        try (BufferedReader in = new BufferedReader(
                new InputStreamReader(child.getInputStream(), StandardCharsets.UTF_8))) {
            for (String line; (line = in.readLine()) != null; ) {
                output.add(line);
                Report.Row row = Report.Row.parse(line);
                if (row != null) {
                    childRows.add(row);
                } else if (!line.startsWith("ROW")) {
                    System.out.println("  | " + line);
                }
            }
        }
        int status = child.waitFor();
        for (String line : output) {
            if (line.contains("WARNING in native method") || line.contains("JNI local refs")
                    || line.contains("FATAL ERROR in native method")) {
                throw new IllegalStateException("the JNI checker complained: " + line);
            }
        }
        if (status != 0 || childRows.size() != 3) {
            throw new IllegalStateException("the -Xcheck:jni run failed (exit " + status + ")");
        }
        return childRows;
    }

    static String format(String pattern, Object... args) {
        return String.format(Locale.ROOT, pattern, args);
    }
}
