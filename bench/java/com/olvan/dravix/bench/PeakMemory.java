package com.olvan.dravix.bench;

import com.olvan.dravix.BridgeCalls;
import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStreamReader;
import java.lang.ref.Reference;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.Locale;

/**
 * Peak resident memory of one call, beyond what the process held before it.
 * Each case runs in a JVM of its own whose heap is fully touched at start, so
 * the Java heap adds nothing and only native allocations show; the kernel's
 * high-water mark is reset just before the call (clear_refs) and read right
 * after it. The interpreter is used so that no JIT compilation allocates
 * during the call.
 */
final class PeakMemory {
    private static final String[] CASES = {"config-ascii", "config-supplementary", "create"};

    private PeakMemory() {
    }

    /** Runs every case for both sides, each in a child JVM, and prints the table. */
    static void report(int size, boolean judge) throws IOException, InterruptedException {
        System.out.println();
        System.out.println("peak resident memory beyond the process's own, one call, "
                + Workloads.sizeLabel(size) + " payload (x = times the payload)");
        System.out.println(String.format(Locale.ROOT, "%-44s %16s %16s  %s", "call", "bridge", "floor",
                "target"));
        boolean missed = false;
        for (String name : CASES) {
            long bridge = measureInChild(name, "bridge", size);
            long floor = measureInChild(name, "floor", size);
            double times = (double) bridge / size;
            String verdict = "-";
            if (judge && name.startsWith("config")) {
                verdict = times <= 3.0 ? "met (<= 3x)" : "MISSED (> 3x)";
                missed |= times > 3.0;
            }
            System.out.println(String.format(Locale.ROOT, "%-44s %9.1f MiB %4.2fx %9.1f MiB %4.2fx  %s",
                    describe(name), bridge / 1048576.0, times, floor / 1048576.0, (double) floor / size, verdict));
        }
        if (judge) {
            System.out.println(missed ? "memory target missed" : "memory target met");
        }
    }

    private static String describe(String name) {
        switch (name) {
            case "config-ascii":
                return "get_configuration, ASCII";
            case "config-supplementary":
                return "get_configuration, UTF-8 with 4-byte sequences";
            default:
                return "create_entity, ASCII";
        }
    }

    private static long measureInChild(String name, String side, int size) throws IOException,
            InterruptedException {
        // Room for the 64 MiB cases' strings; a small payload needs little.
        String heap = size > 8 << 20 ? "1g" : "256m";
        List<String> command = Children.javaCommand("-Xint", "-Xms" + heap, "-Xmx" + heap, "-XX:+AlwaysPreTouch");
        command.add(DravixBench.class.getName());
        command.add("--memory-child");
        command.add(name);
        command.add(side);
        command.add(Integer.toString(size));
        Process child = new ProcessBuilder(command).redirectErrorStream(true).start();
        long extra = -1;
        StringBuilder output = new StringBuilder();
        try (BufferedReader in = new BufferedReader(
                new InputStreamReader(child.getInputStream(), StandardCharsets.UTF_8))) {
            for (String line; (line = in.readLine()) != null; ) {
                output.append(line).append('\n');
                if (line.startsWith("PEAK_EXTRA ")) {
                    extra = Long.parseLong(line.substring("PEAK_EXTRA ".length()).trim());
                }
            }
        }
        int status = child.waitFor();
        if (status != 0 || extra < 0) {
            throw new IllegalStateException("memory case " + name + "/" + side + " failed (exit " + status + "):\n"
                    + output);
        }
        return extra;
    }

    /** In the child: set the case up, then measure one call. */
    static void child(String name, String side, int size) throws Exception {
        boolean viaBridge = side.equals("bridge");
        long record = BridgeCalls.newRecord();
        long service = BridgeCalls.newService(record);
        BridgeCalls.start(service);
        String text = null;
        switch (name) {
            case "config-ascii":
                BridgeCalls.createEntity(service, "payload", Workloads.ascii(size));
                break;
            case "config-supplementary":
                Path file = Workloads.writeTemp(Workloads.supplementaryUtf8(size));
                BridgeCalls.createEntity(service, "payload", "file://" + file);
                Files.delete(file);
                break;
            case "create":
                text = Workloads.ascii(size);
                break;
            default:
                throw new IllegalArgumentException("unknown memory case " + name);
        }
        System.gc();
        Thread.sleep(300);
        long before = statusKiB("VmRSS:");
        Files.writeString(Path.of("/proc/self/clear_refs"), "5");  // high-water mark := current
        Object result;
        if (name.equals("create")) {
            if (viaBridge) {
                BridgeCalls.createEntity(service, "measured", text);
            } else {
                Floor.createEntity(service, "measured", text);
            }
            result = text;
        } else {
            result = viaBridge ? BridgeCalls.getConfiguration(service) : Floor.getConfiguration(service);
        }
        long peak = statusKiB("VmHWM:");
        Reference.reachabilityFence(result);
        System.out.println("PEAK_EXTRA " + Math.max(0, peak - before) * 1024);
        BridgeCalls.stop(service);
        BridgeCalls.deleteService(service);
        BridgeCalls.deleteRecord(record);
    }

    private static long statusKiB(String key) throws IOException {
        for (String line : Files.readAllLines(Path.of("/proc/self/status"))) {
            if (line.startsWith(key)) {
                return Long.parseLong(line.substring(key.length()).replace("kB", "").trim());
            }
        }
        throw new IllegalStateException(key + " not in /proc/self/status");
    }
}
