package com.olvan.dravix.bench;

import java.io.IOException;
import java.lang.management.ManagementFactory;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.Locale;

/** Formats the figures, and says which machine they came from. */
final class Report {
    private Report() {
    }

    /** One operation's figures, with the ratio it must not exceed (NaN for none). */
    static final class Row {
        final String name;
        final String unit;
        final Harness.Result result;
        final double target;

        Row(String name, String unit, Harness.Result result, double target) {
            this.name = name;
            this.unit = unit;
            this.result = result;
            this.target = target;
        }

        boolean met() {
            return Double.isNaN(target) || result.ratio <= target;
        }

        String verdict() {
            if (Double.isNaN(target)) {
                return "-";
            }
            return String.format(Locale.ROOT, "%s (<= %.2f)", met() ? "met" : "MISSED", target);
        }

        String format() {
            return String.format(Locale.ROOT, "%-56s %-5s %10s %10s %7.3f  [%.3f-%.3f]  %s", name, unit,
                    time(result.bridgeNanos), time(result.floorNanos), result.ratio, result.ratioLow,
                    result.ratioHigh, verdict());
        }

        /** Tab-separated, for a parent process to read back. */
        String machine() {
            return String.join("\t", "ROW", name, unit, Double.toString(result.bridgeNanos),
                    Double.toString(result.floorNanos), Double.toString(result.ratio),
                    Double.toString(result.ratioLow), Double.toString(result.ratioHigh), Double.toString(target));
        }

        /** The row a {@link #machine()} line holds, or null for any other line. */
        static Row parse(String line) {
            String[] f = line.split("\t");
            if (f.length != 9 || !f[0].equals("ROW")) {
                return null;
            }
            return new Row(f[1], f[2], new Harness.Result(Double.parseDouble(f[3]), Double.parseDouble(f[4]),
                    Double.parseDouble(f[5]), Double.parseDouble(f[6]), Double.parseDouble(f[7])),
                    Double.parseDouble(f[8]));
        }
    }

    static String time(double nanos) {
        if (nanos < 10_000) {
            return String.format(Locale.ROOT, "%.1f ns", nanos);
        }
        if (nanos < 10_000_000) {
            return String.format(Locale.ROOT, "%.2f us", nanos / 1e3);
        }
        return String.format(Locale.ROOT, "%.2f ms", nanos / 1e6);
    }

    static void printMachine() {
        System.out.println("machine: " + Runtime.getRuntime().availableProcessors() + " processors, " + cpuModel());
        System.out.println("JDK:     " + System.getProperty("java.vm.name") + " "
                + System.getProperty("java.runtime.version"));
        System.out.println("JVM:     " + String.join(" ", ManagementFactory.getRuntimeMXBean().getInputArguments()));
        System.out.println("ratio = bridge / floor, median over runs of the median ratio of interleaved pairs;"
                + " [lowest-highest run]");
        System.out.println();
    }

    private static String cpuModel() {
        try {
            for (String line : Files.readAllLines(Path.of("/proc/cpuinfo"))) {
                if (line.startsWith("model name")) {
                    return line.substring(line.indexOf(':') + 1).trim();
                }
            }
        } catch (IOException e) {
            return "unknown CPU (" + e.getMessage() + ")";
        }
        return "unknown CPU";
    }

    static void printMachineRows(List<Row> rows) {
        for (Row row : rows) {
            System.out.println(row.machine());
        }
    }

    static void print(List<Row> rows, List<String> notes, boolean judged) {
        System.out.println();
        System.out.println(String.format(Locale.ROOT, "%-56s %-5s %10s %10s %7s  %-13s  %s", "operation", "per",
                "bridge", "floor", "ratio", "[spread]", "target"));
        int missed = 0;
        for (Row row : rows) {
            System.out.println(row.format());
            if (!row.met()) {
                missed++;
            }
        }
        for (String note : notes) {
            System.out.println(note);
        }
        if (!judged) {
            System.out.println("smoke run: figures from a cold JVM on small inputs, not judged");
        } else {
            System.out.println(missed == 0 ? "every time target met" : missed + " time target(s) missed");
        }
    }
}
