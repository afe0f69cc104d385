package com.olvan.dravix.bench;

import com.olvan.dravix.BridgeCalls;
import com.olvan.dravix.bench.Sides.Maker;
import com.olvan.dravix.bench.Sides.Service;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Path;

/**
 * get_configuration: every text against the least the JVM does to make a
 * string of that size.
 */
final class ConfigurationRows {
    private ConfigurationRows() {
    }

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
    static void run(DravixBench bench) throws IOException {
        for (int size : new int[] {16, DravixBench.MIB, 64 * DravixBench.MIB}) {
            int n = bench.bytes(size);
            if (!bench.wanted(configurationName(n, ASCII))) {
                continue;
            }
            String text = Workloads.ascii(n);
            try (Service service = new Service()) {
                BridgeCalls.createEntity(service.handle, "payload", text);
                Checks.modifiedUtf8Configuration(service.handle, text);
                measureConfiguration(bench, service.handle, service.handle, n, ASCII, 1.10);
            }
        }
        // Text that is not ASCII reaches Java through String(char[]) once it is
        // larger than a chunk, and that copy runs several times faster when C2
        // has compiled it (after some thousands of calls, as in any JVM that has
        // run for a while). The first row shows text before that; then the
        // path is warmed.
        if (bench.warm()) {
            supplementaryConfiguration(bench, DravixBench.MIB, COLD, Double.NaN);
            warmDecodedPath(bench);
        }
        for (int size : new int[] {16, DravixBench.MIB, 64 * DravixBench.MIB}) {
            int n = bench.bytes(size);
            if (!wantedWithReferences(bench, configurationName(n, BMP))) {
                continue;
            }
            String text = Workloads.bmpText(n);
            try (Service service = new Service(); Service ascii = new Service()) {
                BridgeCalls.createEntity(service.handle, "payload", text);
                Checks.modifiedUtf8Configuration(service.handle, text);
                fillAsciiLike(ascii, service.handle);
                measureConfiguration(bench, service.handle, ascii.handle, n, BMP, 1.10);
            }
        }
        for (int size : new int[] {16, DravixBench.MIB, 16 * DravixBench.MIB, 64 * DravixBench.MIB}) {
            supplementaryConfiguration(bench, size, "", size <= 16 ? Double.NaN : 1.50);
        }
    }

    private static final String COLD = " (String(char[]) not compiled yet)";

    /** Many calls on a text just over a chunk: String(char[]) gets compiled, as in a bench.warm() JVM. */
    private static void warmDecodedPath(DravixBench bench) throws IOException {
        if (!wantedWithReferences(bench, configurationName(bench.bytes(DravixBench.MIB), SUPPLEMENTARY))
                && !wantedWithReferences(bench, configurationName(bench.bytes(DravixBench.MIB), BMP))) {
            return;
        }
        Path file = Workloads.writeTemp(Workloads.asciiWithFourByteSequences(32 * 1024));
        try (Service service = new Service()) {
            BridgeCalls.createEntity(service.handle, "payload", "file://" + file);
            int calls = bench.quick() ? 100 : 20_000;
            for (int i = 0; i < calls; i++) {
                if (BridgeCalls.getConfiguration(service.handle).isEmpty()) {
                    throw new IllegalStateException("no configuration text");
                }
            }
        }
    }

    private static void supplementaryConfiguration(DravixBench bench, int size, String note, double target) throws IOException {
        int n = bench.bytes(size);
        if (!wantedWithReferences(bench, configurationName(n, SUPPLEMENTARY) + note)) {
            return;
        }
        byte[] utf8 = Workloads.asciiWithFourByteSequences(n);
        Path file = Workloads.writeTemp(utf8);
        try (Service service = new Service(); Service ascii = new Service()) {
            // From a file: a Java string would reach the service as modified UTF-8.
            BridgeCalls.createEntity(service.handle, "payload", "file://" + file);
            Checks.decodedConfiguration(service.handle, new String(utf8, StandardCharsets.UTF_8));
            fillAsciiLike(ascii, service.handle);
            measureConfiguration(bench, service.handle, ascii.handle, n, SUPPLEMENTARY + note, target);
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
    private static boolean wantedWithReferences(DravixBench bench, String name) {
        return bench.wanted(name, name + VS_ASCII, name + VS_SAME_BYTES);
    }

    private static final String VS_ASCII = " vs NewStringUTF ASCII";
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
    private static void measureConfiguration(DravixBench bench, long service, long asciiService, int n, String kind, double target) {
        int k = n <= 1024 ? 500 : n <= DravixBench.MIB ? 8 : 1;
        DravixBench.Size s = n <= 1024 ? DravixBench.Size.SMALL : n <= DravixBench.MIB ? DravixBench.Size.MEDIUM : DravixBench.Size.LARGE;
        boolean ascii = asciiService == service;
        bench.add(configurationName(n, kind), "call", () -> Harness.compare(
                configurationBatch(service, k, Maker.BRIDGE),
                configurationBatch(asciiService, k, Maker.LEAST),
                k, s != DravixBench.Size.SMALL, bench.plan(s)), ascii ? target : Double.NaN);
        if (!ascii) {
            bench.add(configurationName(n, kind) + VS_ASCII, "call", () -> Harness.compare(
                    configurationBatch(service, k, Maker.BRIDGE),
                    configurationBatch(asciiService, k, Maker.NEW_STRING_UTF),
                    k, s != DravixBench.Size.SMALL, bench.plan(s)), target);
            bench.add(configurationName(n, kind) + VS_SAME_BYTES, "call", () -> Harness.compare(
                    configurationBatch(service, k, Maker.BRIDGE),
                    configurationBatch(service, k, Maker.NEW_STRING_UTF),
                    k, s != DravixBench.Size.SMALL, bench.plan(s)), Double.NaN);
        }
    }
}
