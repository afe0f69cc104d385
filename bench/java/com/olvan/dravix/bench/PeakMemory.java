package com.olvan.dravix.bench;

import com.olvan.dravix.BridgeCalls;
import java.io.IOException;
import java.lang.ref.Reference;
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

    private static final double MIB = 1 << 20;

    private PeakMemory() {
    }

    /** Runs every case for both sides, each in a child JVM, and prints the table. */
    static void report(int size, boolean judge) throws IOException, InterruptedException {
        Object[][] cases = {
            {"config-ascii", size, "get_configuration, ASCII"},
            {"config-supplementary", size, "get_configuration, UTF-8 with 4-byte seqs"},
            {"create", size, "create_entity, ASCII"},
        };
        System.out.println();
        System.out.println("resident memory beyond the process's own: peak during one call (x = times the payload),"
                + " and kept after two more calls");
        System.out.println(String.format(Locale.ROOT, "%-56s %-28s %-28s  %s", "call", "bridge: peak, kept",
                "floor: peak, kept", "target (peak)"));
        boolean missed = false;
        for (Object[] c : cases) {
            String name = (String) c[0];
            int payload = (Integer) c[1];
            long[] bridgeFigures = measureInChild(name, "bridge", payload);
            long[] floorFigures = measureInChild(name, "floor", payload);
            long bridge = bridgeFigures[0];
            long floor = floorFigures[0];
            double times = (double) bridge / payload;
            String verdict = "-";
            if (judge && name.startsWith("config")) {
                verdict = times <= 3.0 ? "met (<= 3x)" : "MISSED (> 3x)";
                missed |= times > 3.0;
            }
            System.out.println(String.format(Locale.ROOT, "%-56s %7.1f MiB %4.2fx %6.1f MiB   %7.1f MiB %4.2fx %6.1f MiB  %s",
                    c[2] + ", " + Workloads.sizeLabel(payload), bridge / MIB, times, bridgeFigures[1] / MIB,
                    floor / MIB, (double) floor / payload, floorFigures[1] / MIB, verdict));
        }
        if (judge) {
            System.out.println(missed ? "memory target missed" : "memory target met");
        }
    }

    /** Peak extra bytes of one call, and bytes still resident after two more. */
    private static long[] measureInChild(String name, String side, int size) throws IOException,
            InterruptedException {
        // Room for the 64 MiB cases' strings; a small payload needs little.
        String heap = size > 8 << 20 ? "1g" : "256m";
        List<String> output = Children.run(List.of("-Xint", "-Xms" + heap, "-Xmx" + heap, "-XX:+AlwaysPreTouch"),
                List.of("--memory-child", name, side, Integer.toString(size)), "memory case " + name + "/" + side);
        long extra = -1;
        long kept = -1;
        for (String line : output) {
            if (line.startsWith("PEAK_EXTRA ")) {
                extra = Long.parseLong(line.substring("PEAK_EXTRA ".length()).trim());
            } else if (line.startsWith("KEPT ")) {
                kept = Long.parseLong(line.substring("KEPT ".length()).trim());
            }
        }
        if (extra < 0 || kept < 0) {
            throw new IllegalStateException("memory case " + name + "/" + side + " gave no figures:\n"
                    + String.join("\n", output));
        }
        return new long[] {extra, kept};
    }

    /** In the child: set the case up, then measure one call. */
    static void child(String name, String side, int size) throws Exception {
        boolean viaBridge = side.equals("bridge");
        long record = BridgeCalls.newRecord();
        long service = BridgeCalls.newService(record);
        BridgeCalls.start(service);
        String createText = null;
        switch (name) {
            case "config-ascii":
                BridgeCalls.createEntity(service, "payload", Workloads.ascii(size));
                break;
            case "config-supplementary":
                fromFile(service, Workloads.supplementaryUtf8(size));
                break;
            case "create":
                createText = Workloads.ascii(size);
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
                BridgeCalls.createEntity(service, "measured", createText);
            } else {
                Floor.createEntity(service, "measured", createText);
            }
            result = createText;
        } else {
            result = viaBridge ? BridgeCalls.getConfiguration(service) : Floor.getConfiguration(service);
        }
        long peak = statusKiB("VmHWM:");
        Reference.reachabilityFence(result);
        System.out.println("PEAK_EXTRA " + Math.max(0, peak - before) * 1024);
        // What stays resident once two more calls are over: memory the
        // allocator keeps for the next call, which the process pays for always.
        result = null;
        for (int i = 0; i < 2; i++) {
            if (name.equals("create")) {
                BridgeCalls.deleteEntity(service, "measured");
                if (viaBridge) {
                    BridgeCalls.createEntity(service, "measured", createText);
                } else {
                    Floor.createEntity(service, "measured", createText);
                }
            } else {
                Reference.reachabilityFence(viaBridge ? BridgeCalls.getConfiguration(service)
                        : Floor.getConfiguration(service));
            }
        }
        if (name.equals("create")) {
            BridgeCalls.deleteEntity(service, "measured");
        }
        System.gc();
        Thread.sleep(300);
        System.out.println("KEPT " + Math.max(0, statusKiB("VmRSS:") - before) * 1024);
        BridgeCalls.stop(service);
        BridgeCalls.deleteService(service);
        BridgeCalls.deleteRecord(record);
    }

    /** The bytes as an entity read from a file: as a Java string they would reach the service as modified UTF-8. */
    private static void fromFile(long service, byte[] bytes) throws IOException {
        Path file = Workloads.writeTemp(bytes);
        BridgeCalls.createEntity(service, "payload", "file://" + file);
        Files.delete(file);
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
