package com.olvan.dravix.bench;

import com.olvan.dravix.BridgeCalls;
import com.olvan.dravix.diagnostics.SelfCheckCases;
import com.olvan.dravix.testing.Options;
import com.olvan.dravix.DravixProperty;
import java.io.BufferedReader;
import java.io.IOException;
import java.io.UncheckedIOException;
import java.io.InputStreamReader;
import java.nio.charset.StandardCharsets;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Enumeration;
import java.util.List;
import java.util.Locale;
import java.util.Properties;
import java.util.function.Supplier;
import java.util.Set;
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
    private static final DravixProperty DEFAULTS = new DravixProperty();

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
        Options options = Options.parse(args, Set.of("--quick", "--warm", "--fresh-jvm", "--row-child",
                "--xcheck-child"), Set.of("--only"));
        boolean quick = options.has("--quick");
        boolean warm = options.has("--warm");
        boolean xcheckChild = options.has("--xcheck-child");
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
        if (xcheckChild) {
            bench.userEnvironmentPerEntry(" (-Xcheck:jni)");
            Report.printMachineRows(bench.rows);
            return;
        }
        Report.printMachine();
        bench.runAll();
        if (bench.wanted("user environment (-Xcheck:jni)")) {
            bench.rows.addAll(bench.xcheckInChild());
        }
        bench.growthNote(bench.rows, "user environment, ", " entries");
        bench.growthNote(bench.rows, "user environment, ", " entries (-Xcheck:jni)");
        Report.print(bench.rows, bench.notes, !quick);
        if (bench.wanted("peak memory")) {
            PeakMemory.report(quick ? MIB : 64 * MIB, !quick);
        }
    }

    private void runAll() throws IOException {
        startStop();
        conversions();
        userEnvironmentPerEntry("");
        cfgStringsPerEntry();
        selfCheck();
        entities();
        configurations();
        String none = VersusForeign.run(this);
        if (none != null) {
            notes.add(none);
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

    private int entries(int n) {
        return quick ? Math.min(n, 1000) : n;
    }

    int bytes(int n) {
        return quick && n >= MIB ? n / 1024 : n;
    }

    boolean wanted(String name) {
        return only == null || only.matcher(name).find();
    }

    /**
     * Whether to set up a group of rows named from this start: a JVM
     * measuring one row sets up every group, and add() picks its row.
     */
    private boolean wantedGroup(String start) {
        return rowChild || wanted(start);
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
        List<String> command = Children.javaCommand("-Xms2g", "-Xmx2g", "-XX:+AlwaysPreTouch");
        command.add(DravixBench.class.getName());
        command.add("--row-child");
        command.add("--only");
        command.add("^" + Pattern.quote(name) + "$");
        if (quick) {
            command.add("--quick");
        }
        if (warm) {
            command.add("--warm");
        }
        List<Report.Row> childRows = runChild(command, name);
        if (childRows.size() != 1) {
            throw new IllegalStateException("the JVM measuring \"" + name + "\" gave " + childRows.size() + " rows");
        }
        return childRows.get(0);
    }

    /** Runs a child JVM of this benchmark; its rows, its other output echoed. */
    private static List<Report.Row> runChild(List<String> command, String what) {
        List<Report.Row> childRows = new ArrayList<>();
        List<String> output = new ArrayList<>();
        int status;
        try {
            Process child = new ProcessBuilder(command).redirectErrorStream(true).start();
            try (BufferedReader in = new BufferedReader(
                    new InputStreamReader(child.getInputStream(), StandardCharsets.UTF_8))) {
                for (String line; (line = in.readLine()) != null; ) {
                    output.add(line);
                    Report.Row row = Report.Row.parse(line);
                    if (row != null) {
                        childRows.add(row);
                    } else if (!line.startsWith("ROW") && !line.isBlank()) {
                        System.out.println("  | " + line);
                    }
                }
            }
            status = child.waitFor();
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
            throw new IllegalStateException("interrupted while measuring " + what, e);
        }
        for (String line : output) {
            if (line.contains("WARNING in native method") || line.contains("JNI local refs")
                    || line.contains("FATAL ERROR in native method")) {
                throw new IllegalStateException("the JNI checker complained: " + line);
            }
        }
        if (status != 0) {
            throw new IllegalStateException("the JVM measuring " + what + " failed (exit " + status + ")");
        }
        return childRows;
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
                    () -> Harness.compare(bridge, empty, k, false, plan(Size.SMALL)), Double.NaN);
            add("start+stop vs the service calls alone", "pair",
                    () -> Harness.compare(bridge, sameCalls, k, false, plan(Size.SMALL)), Double.NaN);
        } finally {
            BridgeCalls.deleteService(service);
            BridgeCalls.deleteRecord(record);
        }
    }

    // ---- DravixProperty_to_native

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

    private void conversions() {
        if (!wantedGroup("to_native")) {
            return;
        }
        Checks.conversion(Workloads.defaults(), 0, 0);
        Checks.passesSelfCheck(Workloads.defaults(), 0);
        Checks.conversion(Workloads.full(), 8, 4);
        long[] records = new long[200];
        add("to_native, default settings", "call", () -> Harness.compare(
                () -> convertBatch(DEFAULTS, records, true),
                () -> convertBatch(DEFAULTS, records, false),
                records.length, false, plan(Size.SMALL)), 1.15);
        DravixProperty full = Workloads.full();
        add("to_native, full settings (8 env, 4 cfgStrings)", "call", () -> Harness.compare(
                () -> convertBatch(full, records, true),
                () -> convertBatch(full, records, false),
                records.length, false, plan(Size.SMALL)), 1.15);
    }

    /**
     * The cost of one entry: converting settings with n entries minus
     * converting default settings, over n.
     */
    private Harness.Result perEntry(DravixProperty p, int n, Size size) {
        int k = Math.max(1, 2000 / n);
        long[] records = new long[k];
        return Harness.compareDifference(
                () -> convertBatch(p, records, true),
                () -> convertBatch(DEFAULTS, records, true),
                () -> convertBatch(p, records, false),
                () -> convertBatch(DEFAULTS, records, false),
                (double) k * n, size != Size.SMALL, plan(size));
    }

    private void userEnvironmentPerEntry(String suffix) {
        int[] sizes = {10, 1000, 100_000};
        for (int n : sizes) {
            int count = entries(n);
            String name = String.format("user environment, %,d entries%s", count, suffix);
            if (!wanted(name)) {
                continue;
            }
            DravixProperty p = Workloads.userEnvironment(count);
            Checks.conversion(p, count, 0);
            Size size = count <= 10 ? Size.SMALL : count <= 1000 ? Size.MEDIUM : Size.LARGE;
            add(name, "entry",
                    () -> perEntry(p, count, size), 1.15);
        }
        if (suffix.isEmpty() && !rowChild && wanted("user environment")) {
            javaWalkNote(entries(1000), entries(100_000));
        }
    }

    /**
     * What the JVM's own side of the walk costs per entry (propertyNames, the
     * enumeration, getProperty, and one character of each key and value read
     * as GetStringUTFChars must read them all; no JNI), small against large:
     * the part of any growth of the per-entry cost that lies in the JVM's data
     * outgrowing the caches, which neither floor nor bridge can avoid.
     */
    private void javaWalkNote(int small, int large) {
        double[] perEntry = new double[2];
        int[] sizes = {small, large};
        for (int s = 0; s < 2; s++) {
            Properties env = Workloads.userEnvironment(sizes[s]).getUserEnvironment();
            int walks = Math.max(1, 100_000 / sizes[s]);  // a sample is 100,000 entries or more
            double[] samples = new double[quick ? 3 : 31];
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
        notes.add(format("JVM side of the walk alone (Java, no JNI): %.0f ns per entry at %,d entries, %.0f ns at %,d",
                perEntry[0], small, perEntry[1], large));
    }

    /** Per-entry cost at the largest size over that at the smallest, for the rows named like prefix. */
    private void growthNote(List<Report.Row> all, String prefix, String suffix) {
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
        notes.add(format("per-entry growth, %s to %s%s: bridge x%.2f, floor x%.2f",
                first.name.substring(prefix.length()).replace(suffix, ""),
                last.name.substring(prefix.length()).replace(suffix, ""), suffix,
                last.result.bridgeNanos / first.result.bridgeNanos, last.result.floorNanos / first.result.floorNanos));
    }

    private void cfgStringsPerEntry() {
        int count = entries(100_000);
        String name = String.format("cfgStrings, %,d entries", count);
        if (!wanted(name)) {
            return;
        }
        DravixProperty p = Workloads.cfgStrings(count);
        Checks.conversion(p, 0, count);
        add(name, "entry", () -> perEntry(p, count, Size.LARGE), 1.15);
    }

    private void selfCheck() {
        if (!wantedGroup("check_native")) {
            return;
        }
        DravixProperty p = SelfCheckCases.settingsFor(1);
        Checks.passesSelfCheck(p, 1);
        long record = BridgeCalls.newRecord();
        try {
            BridgeCalls.toNative(p, record);
            int k = 1000;
            add("check_native, case 1", "call", () -> Harness.compare(
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

    private void entities() {
        for (int size : new int[] {16, MIB, 64 * MIB}) {
            int n = bytes(size);
            String name = "create_entity, " + Workloads.sizeLabel(n) + " of text";
            if (!wanted(name) && !wanted(name + VS_UTF_CHARS)) {
                continue;
            }
            String text = Workloads.ascii(n);
            try (Service service = new Service()) {
                Checks.entityCreation(service.handle, text);
                int k = n <= 1024 ? 500 : n <= MIB ? 8 : 1;
                String[] names = new String[k];
                for (int i = 0; i < k; i++) {
                    names[i] = "bench-entity-" + i;
                }
                Size s = n <= 1024 ? Size.SMALL : n <= MIB ? Size.MEDIUM : Size.LARGE;
                add(name, "call", () -> Harness.compare(
                        createBatch(service.handle, names, text, Maker.BRIDGE),
                        createBatch(service.handle, names, text, Maker.LEAST),
                        k, s != Size.SMALL, plan(s)), 1.10);
                add(name + VS_UTF_CHARS, "call", () -> Harness.compare(
                        createBatch(service.handle, names, text, Maker.BRIDGE),
                        createBatch(service.handle, names, text, Maker.NEW_STRING_UTF),
                        k, s != Size.SMALL, plan(s)), Double.NaN);
            }
        }
    }

    // ---- get_configuration

    /** Who makes the string: the bridge, the least floor, or NewStringUTF. */
    private enum Maker { BRIDGE, LEAST, NEW_STRING_UTF }

    private static Harness.Sample configurationBatch(long service, int k, Maker maker) {
        return () -> {
            long t0 = System.nanoTime();
            String last = null;
            if (maker == Maker.BRIDGE) {
                for (int i = 0; i < k; i++) {
                    last = BridgeCalls.getConfiguration(service);
                }
            } else if (maker == Maker.LEAST) {
                for (int i = 0; i < k; i++) {
                    last = Floor.getConfiguration(service);
                }
            } else {
                for (int i = 0; i < k; i++) {
                    last = Floor.getConfigurationNewStringUtf(service);
                }
            }
            long elapsed = System.nanoTime() - t0;
            if (last == null || last.isEmpty()) {
                throw new IllegalStateException("no configuration text");
            }
            return elapsed;
        };
    }

    /**
     * Every configuration text against the least the JVM does to make a string
     * of that size: NewStringUTF on ASCII text of the same byte length, in a
     * service of its own. Text that is not ASCII also gets a second row against
     * NewStringUTF on its own bytes, where that explains something (on text
     * with four-byte sequences that call yields a wrong string).
     */
    private void configurations() throws IOException {
        for (int size : new int[] {16, MIB, 64 * MIB}) {
            int n = bytes(size);
            if (!wanted(configurationName(n, ASCII))) {
                continue;
            }
            String text = Workloads.ascii(n);
            try (Service service = new Service()) {
                BridgeCalls.createEntity(service.handle, "payload", text);
                Checks.modifiedUtf8Configuration(service.handle, text);
                measureConfiguration(service.handle, service.handle, n, ASCII, 1.10);
            }
        }
        // Text that is not ASCII reaches Java through String(char[]) once it is
        // larger than a chunk, and that copy runs several times faster when C2
        // has compiled it (after some thousands of calls, as in any JVM that has
        // run for a while). The first row shows text before that; then the
        // path is warmed.
        if (warm) {
            supplementaryConfiguration(MIB, COLD, Double.NaN);
            warmDecodedPath();
        }
        for (int size : new int[] {16, MIB, 64 * MIB}) {
            int n = bytes(size);
            if (!wantedWithReferences(configurationName(n, BMP))) {
                continue;
            }
            String text = Workloads.bmpText(n);
            try (Service service = new Service(); Service ascii = new Service()) {
                BridgeCalls.createEntity(service.handle, "payload", text);
                Checks.modifiedUtf8Configuration(service.handle, text);
                fillAsciiLike(ascii, service.handle);
                measureConfiguration(service.handle, ascii.handle, n, BMP, 1.10);
            }
        }
        for (int size : new int[] {16, MIB, 16 * MIB, 64 * MIB}) {
            supplementaryConfiguration(size, "", size <= 16 ? Double.NaN : 1.50);
        }
    }

    private static final String COLD = " (String(char[]) not compiled yet)";

    /** Many calls on a text just over a chunk: String(char[]) gets compiled, as in a warm JVM. */
    private void warmDecodedPath() throws IOException {
        if (!wantedWithReferences(configurationName(bytes(MIB), SUPPLEMENTARY))
                && !wantedWithReferences(configurationName(bytes(MIB), BMP))) {
            return;
        }
        Path file = Workloads.writeTemp(Workloads.asciiWithFourByteSequences(32 * 1024));
        try (Service service = new Service()) {
            BridgeCalls.createEntity(service.handle, "payload", "file://" + file);
            int calls = quick ? 100 : 20_000;
            for (int i = 0; i < calls; i++) {
                if (BridgeCalls.getConfiguration(service.handle).isEmpty()) {
                    throw new IllegalStateException("no configuration text");
                }
            }
        }
    }

    private void supplementaryConfiguration(int size, String note, double target) throws IOException {
        int n = bytes(size);
        if (!wantedWithReferences(configurationName(n, SUPPLEMENTARY) + note)) {
            return;
        }
        byte[] utf8 = Workloads.asciiWithFourByteSequences(n);
        Path file = Workloads.writeTemp(utf8);
        try (Service service = new Service(); Service ascii = new Service()) {
            // From a file: a Java string would reach the service as modified UTF-8.
            BridgeCalls.createEntity(service.handle, "payload", "file://" + file);
            Checks.decodedConfiguration(service.handle, new String(utf8, StandardCharsets.UTF_8));
            fillAsciiLike(ascii, service.handle);
            measureConfiguration(service.handle, ascii.handle, n, SUPPLEMENTARY + note, target);
        }
    }

    /** Gives ascii an ASCII configuration exactly as long as the service's. */
    private static void fillAsciiLike(Service ascii, long service) {
        long target = Floor.configurationLength(service);
        BridgeCalls.createEntity(ascii.handle, "payload", "x");
        long wrapper = Floor.configurationLength(ascii.handle) - 1;
        BridgeCalls.deleteEntity(ascii.handle, "payload");
        BridgeCalls.createEntity(ascii.handle, "payload", Workloads.ascii(Math.toIntExact(target - wrapper)));
        if (Floor.configurationLength(ascii.handle) != target) {
            throw new IllegalStateException("the ASCII configuration is not " + target + " bytes long");
        }
    }

    /** Whether the row or one of its reference rows (see measureConfiguration) is wanted. */
    private boolean wantedWithReferences(String name) {
        return wanted(name) || wanted(name + VS_ASCII) || wanted(name + VS_SAME_BYTES);
    }

    private static final String VS_ASCII = " vs NewStringUTF ASCII";
    private static final String VS_UTF_CHARS = " vs GetStringUTFChars";
    private static final String VS_SAME_BYTES = " vs NewStringUTF same bytes";
    private static final String ASCII = "ASCII";
    private static final String BMP = "UTF-8, 2-3 byte chars only";
    private static final String SUPPLEMENTARY = "UTF-8, a 4-byte char every 60 B";

    private static String configurationName(int n, String kind) {
        return "get_configuration, " + Workloads.sizeLabel(n) + " " + kind;
    }

    /**
     * The bridge against the least way to make an ASCII string of the same
     * byte length; for text that is not ASCII also against NewStringUTF on
     * that ASCII text (the reference its targets were set against) and
     * against NewStringUTF on the text itself.
     */
    private void measureConfiguration(long service, long asciiService, int n, String kind, double target) {
        int k = n <= 1024 ? 500 : n <= MIB ? 8 : 1;
        Size s = n <= 1024 ? Size.SMALL : n <= MIB ? Size.MEDIUM : Size.LARGE;
        boolean ascii = asciiService == service;
        add(configurationName(n, kind), "call", () -> Harness.compare(
                configurationBatch(service, k, Maker.BRIDGE),
                configurationBatch(asciiService, k, Maker.LEAST),
                k, s != Size.SMALL, plan(s)), ascii ? target : Double.NaN);
        if (!ascii) {
            add(configurationName(n, kind) + VS_ASCII, "call", () -> Harness.compare(
                    configurationBatch(service, k, Maker.BRIDGE),
                    configurationBatch(asciiService, k, Maker.NEW_STRING_UTF),
                    k, s != Size.SMALL, plan(s)), target);
            add(configurationName(n, kind) + VS_SAME_BYTES, "call", () -> Harness.compare(
                    configurationBatch(service, k, Maker.BRIDGE),
                    configurationBatch(service, k, Maker.NEW_STRING_UTF),
                    k, s != Size.SMALL, plan(s)), Double.NaN);
        }
    }

    // ---- the walk under -Xcheck:jni, in a JVM of its own

    private List<Report.Row> xcheckInChild() {
        String heap = quick ? "256m" : "1g";
        List<String> command = Children.javaCommand("-Xcheck:jni", "-Xms" + heap, "-Xmx" + heap,
                "-XX:+AlwaysPreTouch");
        command.add(DravixBench.class.getName());
        command.add("--xcheck-child");
        if (quick) {
            command.add("--quick");
        }
        System.out.println("(user environment under -Xcheck:jni, in a separate JVM)");
        List<Report.Row> childRows = runChild(command, "the walk under -Xcheck:jni");
        if (childRows.size() != 3) {
            throw new IllegalStateException("the -Xcheck:jni run gave " + childRows.size() + " rows, not 3");
        }
        return childRows;
    }

    static String format(String pattern, Object... args) {
        return String.format(Locale.ROOT, pattern, args);
    }
}
