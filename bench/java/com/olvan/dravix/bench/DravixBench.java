package com.olvan.dravix.bench;

import com.olvan.dravix.BridgeCalls;
import com.olvan.dravix.DravixProperty;
import com.olvan.dravix.testing.Options;
import java.io.IOException;
import java.lang.management.ManagementFactory;
import java.util.ArrayList;
import java.util.List;
import java.util.Locale;
import java.util.Set;
import java.util.function.Supplier;
import java.util.regex.Pattern;

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
 * DravixBench --warm     first 20,000 calls on the decoded path, so that the
 *                        JDK methods it ends in are compiled (rows after it are
 *                        warm figures; without it every row is timed as a user
 *                        first meets it, after the harness's calibration)
 * DravixBench --fresh-jvm  every row in a JVM of its own, which makes and
 *                        measures that row alone: each figure as a user first
 *                        meets the path, no other row having warmed the JDK
 * DravixBench --only RE  only the operations whose names match RE ("-Xcheck:jni"
 *                        and "peak memory" select the two child-process parts):
 *                        for looking into one figure
 * </pre>
 */
public final class DravixBench {
    static final int MIB = 1 << 20;
    /** Default settings, shared: the conversion only reads them. */
    static final DravixProperty DEFAULTS = new DravixProperty();
    /** The user environment rows' names end so when measured under -Xcheck:jni. */
    static final String XCHECK_SUFFIX = " (-Xcheck:jni)";

    private final boolean quick;
    /** Whether the decoded path is warmed before its rows (--warm): figures of a JVM that has run a while. */
    private final boolean warm;
    /** Whether each row is measured in a JVM of its own (--fresh-jvm): no row warms the JDK for another. */
    private boolean freshJvm;
    /** This JVM measures one row for a parent that asked for fresh JVMs. */
    private boolean rowChild;
    /** Measures only the operations whose names match, when set (--only REGEX, for investigations). */
    private final Pattern only;
    private final List<Report.Row> rows = new ArrayList<>();
    private final List<String> notes = new ArrayList<>();

    private DravixBench(boolean quick, boolean warm, Pattern only) {
        this.quick = quick;
        this.warm = warm;
        this.only = only;
    }

    public static void main(String[] args) throws Exception {
        BridgeCalls.load();
        if (args.length == 4 && args[0].equals("--memory-child")) {
            PeakMemory.child(args[1], args[2], Integer.parseInt(args[3]));
            return;
        }
        Options options = Options.parse(args, Set.of("--quick", "--warm", "--fresh-jvm", "--row-child"),
                Set.of("--only"));
        boolean quick = options.has("--quick");
        boolean warm = options.has("--warm");
        boolean freshJvm = options.has("--fresh-jvm");
        boolean rowChild = options.has("--row-child");
        Pattern only = options.value("--only").map(Pattern::compile).orElse(null);
        DravixBench bench = new DravixBench(quick, warm, only);
        bench.freshJvm = freshJvm;
        bench.rowChild = rowChild;
        if (rowChild) {
            bench.runAll();
            Report.printMachineRows(bench.rows);
            return;
        }
        Report.printMachine();
        bench.runAll();
        if (bench.wanted("user environment (-Xcheck:jni)")) {
            bench.rows.addAll(bench.xcheckInChild());
        }
        ConversionRows.growthNote(bench, bench.rows, "user environment, ", " entries");
        ConversionRows.growthNote(bench, bench.rows, "user environment, ", " entries" + XCHECK_SUFFIX);
        Report.print(bench.rows, bench.notes, !quick);
        if (bench.wanted("peak memory")) {
            PeakMemory.report(quick ? MIB : 64 * MIB, !quick);
        }
    }

    /** A group of rows, given the runner. */
    private interface Group {
        void run(DravixBench bench) throws IOException;
    }

    /**
     * The operations, group by group, in the order they are measured: each
     * group warms the JDK for the next, so the order is part of every figure.
     */
    private static final List<Group> GROUPS = List.of(LifecycleRows::run, ConversionRows::run, EntityRows::run,
            ConfigurationRows::run, VersusForeign::run);

    private void runAll() throws IOException {
        for (Group group : GROUPS) {
            group.run(this);
        }
    }

    Harness.Plan plan(Size size) {
        if (quick) {
            return new Harness.Plan(2, 1, 2, true);
        }
        switch (size) {
            case SMALL:
                return new Harness.Plan(40, 7, 31, false);
            case MEDIUM:
                return new Harness.Plan(10, 5, 15, false);
            default:
                return new Harness.Plan(2, 5, 7, false);
        }
    }

    enum Size { SMALL, MEDIUM, LARGE }

    int entries(int n) {
        return quick ? Math.min(n, 1000) : n;
    }

    int bytes(int n) {
        return quick && n >= MIB ? n / 1024 : n;
    }

    /** Whether any of the rows named is to be measured (all are without --only). */
    boolean wanted(String... names) {
        for (String name : names) {
            if (only == null || only.matcher(name).find()) {
                return true;
            }
        }
        return false;
    }

    boolean quick() {
        return quick;
    }

    boolean warm() {
        return warm;
    }

    /** Whether this JVM measures rows for a parent JVM (--row-child), which prints them. */
    boolean rowChild() {
        return rowChild;
    }

    /**
     * How the user environment rows' names end: a row child run under
     * -Xcheck:jni measures them as the -Xcheck:jni rows.
     */
    String rowSuffix() {
        boolean checked = ManagementFactory.getRuntimeMXBean().getInputArguments().contains("-Xcheck:jni");
        return rowChild && checked ? XCHECK_SUFFIX : "";
    }

    void note(String text) {
        notes.add(text);
    }

    void add(String name, String unit, Supplier<Harness.Result> measure, double target) {
        if (!wanted(name)) {
            return;
        }
        Report.Row row;
        if (freshJvm && !rowChild) {
            row = inFreshJvm(name);
        } else {
            // A smoke run's figures come from a cold JVM: printed, never judged.
            row = new Report.Row(name, unit, measure.get(), quick ? Double.NaN : target);
        }
        rows.add(row);
        if (!rowChild) {
            System.out.println(row.format());
        }
    }

    /** The row measured by this benchmark in a JVM of its own, which makes and measures only that row. */
    private Report.Row inFreshJvm(String name) {
        List<Report.Row> childRows = rowsOf(Children.run(List.of("-Xms2g", "-Xmx2g", "-XX:+AlwaysPreTouch"),
                rowChildArguments("^" + Pattern.quote(name) + "$", warm), name));
        if (childRows.size() != 1) {
            throw new IllegalStateException("the JVM measuring \"" + name + "\" gave " + childRows.size() + " rows");
        }
        return childRows.get(0);
    }

    /** The rows a child JVM of this benchmark measured, its other output echoed. */
    private static List<Report.Row> rowsOf(List<String> output) {
        List<Report.Row> childRows = new ArrayList<>();
        for (String line : output) {
            Report.Row row = Report.Row.parse(line);
            if (row != null) {
                childRows.add(row);
            } else if (!line.startsWith("ROW") && !line.isBlank()) {
                System.out.println("  | " + line);
            }
        }
        return childRows;
    }

    // ---- the walk under -Xcheck:jni, in a JVM of its own

    /** The user environment rows under -Xcheck:jni, measured in a JVM of its own that runs with it. */
    private List<Report.Row> xcheckInChild() {
        String heap = quick ? "256m" : "1g";
        System.out.println("(user environment under -Xcheck:jni, in a separate JVM)");
        List<Report.Row> childRows = rowsOf(Children.run(
                List.of("-Xcheck:jni", "-Xms" + heap, "-Xmx" + heap, "-XX:+AlwaysPreTouch"),
                rowChildArguments(Pattern.quote(XCHECK_SUFFIX) + "$", false), "the walk under -Xcheck:jni"));
        if (childRows.size() != 3) {
            throw new IllegalStateException("the -Xcheck:jni run gave " + childRows.size() + " rows, not 3");
        }
        return childRows;
    }

    /** What a row child is told: the rows to measure, and this run's --quick and --warm. */
    private List<String> rowChildArguments(String only, boolean warm) {
        List<String> arguments = new ArrayList<>(List.of("--row-child", "--only", only));
        if (quick) {
            arguments.add("--quick");
        }
        if (warm) {
            arguments.add("--warm");
        }
        return arguments;
    }

    static String format(String pattern, Object... args) {
        return String.format(Locale.ROOT, pattern, args);
    }
}
