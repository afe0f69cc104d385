package com.olvan.dravix.bench;

import java.util.Arrays;

/**
 * Times a bridge operation and its floor side by side. A sample is one timed
 * batch; bridge and floor samples alternate (ABBA order, so drift in machine
 * load hits both alike), and each pair yields a ratio. A run's figure is the
 * median of its samples; the reported figure is the median over runs, with the
 * lowest and highest run as the spread.
 */
final class Harness {
    /** One timed batch. Untimed setup and teardown may surround the timed part. */
    interface Sample {
        long nanos();
    }

    /** How long to measure. */
    static final class Plan {
        final int warmupPairs;
        final int runs;
        final int pairsPerRun;
        /** A smoke run: figures from a cold JVM, never judged, so noise must not stop it. */
        final boolean smoke;

        Plan(int warmupPairs, int runs, int pairsPerRun, boolean smoke) {
            this.warmupPairs = warmupPairs;
            this.runs = runs;
            this.pairsPerRun = pairsPerRun;
            this.smoke = smoke;
        }
    }

    /** Medians of one operation, per unit of work (a call or an entry). */
    static final class Result {
        final double bridgeNanos;
        final double floorNanos;
        final double ratio;
        final double ratioLow;
        final double ratioHigh;

        Result(double bridgeNanos, double floorNanos, double ratio, double ratioLow, double ratioHigh) {
            this.bridgeNanos = bridgeNanos;
            this.floorNanos = floorNanos;
            this.ratio = ratio;
            this.ratioLow = ratioLow;
            this.ratioHigh = ratioHigh;
        }
    }

    private Harness() {
    }

    /**
     * @param unitsPerSample the work in one sample (calls or entries), to turn
     *     a sample's time into a time per unit
     * @param collectBetween whether to collect garbage before every sample, so
     *     that large results of earlier samples are not collected inside a
     *     timed one
     */
    static Result compare(Sample bridge, Sample floor, double unitsPerSample, boolean collectBetween, Plan plan) {
        for (int i = 0; i < plan.warmupPairs; i++) {
            take(bridge, collectBetween);
            take(floor, collectBetween);
        }
        double[] runBridge = new double[plan.runs];
        double[] runFloor = new double[plan.runs];
        double[] runRatio = new double[plan.runs];
        double[] b = new double[plan.pairsPerRun];
        double[] f = new double[plan.pairsPerRun];
        double[] r = new double[plan.pairsPerRun];
        for (int run = 0; run < plan.runs; run++) {
            for (int i = 0; i < plan.pairsPerRun; i++) {
                if (i % 2 == 0) {
                    b[i] = take(bridge, collectBetween);
                    f[i] = take(floor, collectBetween);
                } else {
                    f[i] = take(floor, collectBetween);
                    b[i] = take(bridge, collectBetween);
                }
                r[i] = b[i] / f[i];
            }
            runBridge[run] = median(b) / unitsPerSample;
            runFloor[run] = median(f) / unitsPerSample;
            runRatio[run] = median(r);
        }
        double[] sorted = runRatio.clone();
        Arrays.sort(sorted);
        return new Result(median(runBridge), median(runFloor), median(runRatio), sorted[0],
                sorted[sorted.length - 1]);
    }

    /**
     * Like {@link #compare}, for a cost that only shows as a difference: each
     * side is timed with the work ("whole") and without it ("base"), all four
     * interleaved; a run's figure is (median whole - median base) / units.
     * Subtracting medians, not single samples, keeps one preempted sample from
     * producing a negative cost.
     */
    static Result compareDifference(Sample bridgeWhole, Sample bridgeBase, Sample floorWhole, Sample floorBase,
            double unitsPerSample, boolean collectBetween, Plan plan) {
        Sample[] order = {bridgeWhole, bridgeBase, floorWhole, floorBase};
        for (int i = 0; i < plan.warmupPairs; i++) {
            for (Sample sample : order) {
                take(sample, collectBetween);
            }
        }
        double[] runBridge = new double[plan.runs];
        double[] runFloor = new double[plan.runs];
        double[] runRatio = new double[plan.runs];
        double[][] t = new double[4][plan.pairsPerRun];
        for (int run = 0; run < plan.runs; run++) {
            for (int i = 0; i < plan.pairsPerRun; i++) {
                for (int j = 0; j < 4; j++) {
                    int which = i % 2 == 0 ? j : 3 - j;
                    t[which][i] = take(order[which], collectBetween);
                }
            }
            runBridge[run] = (median(t[0]) - median(t[1])) / unitsPerSample;
            runFloor[run] = (median(t[2]) - median(t[3])) / unitsPerSample;
            if (plan.smoke) {
                runBridge[run] = Math.max(runBridge[run], 1e-3);
                runFloor[run] = Math.max(runFloor[run], 1e-3);
            } else if (runBridge[run] <= 0 || runFloor[run] <= 0) {
                throw new IllegalStateException("the work is lost in the noise of its base: batch too small");
            }
            runRatio[run] = runBridge[run] / runFloor[run];
        }
        double[] sorted = runRatio.clone();
        Arrays.sort(sorted);
        return new Result(median(runBridge), median(runFloor), median(runRatio), sorted[0],
                sorted[sorted.length - 1]);
    }

    private static double take(Sample sample, boolean collectBetween) {
        if (collectBetween) {
            System.gc();
        }
        long nanos = sample.nanos();
        if (nanos <= 0) {
            throw new IllegalStateException("a sample took no measurable time: batch too small");
        }
        return nanos;
    }

    static double median(double[] values) {
        double[] sorted = values.clone();
        Arrays.sort(sorted);
        int n = sorted.length;
        return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
}
