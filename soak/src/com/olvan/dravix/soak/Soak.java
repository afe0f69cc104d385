package com.olvan.dravix.soak;

import com.olvan.dravix.Dravix;
import com.olvan.dravix.DravixProperty;
import com.olvan.dravix.infrastructure.DravixException;
import com.olvan.dravix.testing.EverySetting;
import com.olvan.dravix.testing.Options;
import com.olvan.dravix.testing.StandIn;
import java.io.IOException;
import java.lang.management.CompilationMXBean;
import java.lang.management.ManagementFactory;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.List;
import java.util.Properties;
import java.util.Set;
import java.util.SplittableRandom;
import java.util.concurrent.atomic.AtomicReference;

/**
 * Long-running load on the whole stack: the Java API, the bridge and the
 * stand-in service. Three phases, each followed by a check that the stand-in's
 * ledger is back at zero (no middleware string, configuration text or service
 * alive, no bad free, no call on a deleted service):
 *
 * <ol>
 *   <li>single: full cycles on one thread (settings with every field, 8 user
 *       environment entries and 4 cfgStrings; new Dravix, start, create entity,
 *       get configuration, delete entity, stop, close): a warm-up, then the
 *       given number of cycles with resident memory sampled at intervals;
 *       growth over the warm-up's last figure must stay under 2 MiB;
 *   <li>own: the same cycles on eight threads, each with its own objects;
 *   <li>shared: eight threads driving one service (start, stop, create,
 *       delete, configuration, interleaved at random); every entity a thread
 *       created and did not delete must be in the configuration, none that it
 *       deleted, and the successful starts and stops must agree with the
 *       final state.
 * </ol>
 *
 * <p>Usage: {@code Soak [--cycles N] [--warmup N] [--report-every N]
 * [--thread-cycles N] [--shared-ops N] [--growth-limit-kib N]}; a limit of 0
 * reports resident memory without judging it (for sanitizer builds, whose
 * quarantine of freed memory grows by design). Prints one line per sample and a
 * final PASSED or FAILED line; the exit status is 0 only on PASSED.
 */
public final class Soak {
    private static final int THREADS = 8;
    private static final long DEFAULT_GROWTH_LIMIT_KIB = 2 * 1024;
    private static final long JIT_IDLE_CYCLES = 10_000;
    private static final double WARMUP_LIMIT_SECONDS = 600;
    private static final String ENTITY = "soak-entity";
    private static final String ENTITY_CONFIGURATION =
            "<route from=\"in\" to=\"out\"><filter expression=\"x &gt; 1\"/></route>";
    /** Live entities per thread in the shared phase: keeps configurations small. */
    private static final int MAX_OWN_ENTITIES = 16;

    /** A broken promise: ends the run as FAILED. */
    static final class SoakFailure extends RuntimeException {
        private static final long serialVersionUID = 1L;

        SoakFailure(String message) {
            super(message);
        }
    }

    private final long cycles;
    private final long warmup;
    private final long reportEvery;
    private final long threadCycles;
    private final long sharedOps;
    private final long growthLimitKib;
    private int expectedConfigurationLength = -1;

    /** The run the options ask for; each phase's length defaults to a share of the cycles. */
    private Soak(Options options) {
        cycles = options.number("--cycles").orElse(1_000_000L);
        warmup = options.number("--warmup").orElse(Math.min(cycles / 10, 100_000));
        reportEvery = options.number("--report-every").orElse(Math.max(1, cycles / 20));
        threadCycles = options.number("--thread-cycles").orElse(cycles / THREADS);
        sharedOps = options.number("--shared-ops").orElse(cycles / THREADS);
        growthLimitKib = options.number("--growth-limit-kib").orElse(DEFAULT_GROWTH_LIMIT_KIB);
    }

    public static void main(String[] args) {
        Options options;
        try {
            options = Options.parse(args, Set.of(), Set.of("--cycles", "--warmup", "--report-every",
                    "--thread-cycles", "--shared-ops", "--growth-limit-kib"));
        } catch (IllegalArgumentException e) {
            usage(e.getMessage());
            return;
        }
        Soak soak = new Soak(options);
        try {
            soak.run();
            System.out.println("SOAK PASSED");
        } catch (SoakFailure e) {
            System.out.println("SOAK FAILED: " + e.getMessage());
            System.exit(1);
        }
    }

    private static void usage(String problem) {
        System.err.println(problem);
        System.err.println("usage: Soak [--cycles N] [--warmup N] [--report-every N] [--thread-cycles N] "
                + "[--shared-ops N] [--growth-limit-kib N (0: report only)]");
        System.exit(2);
    }

    static void check(boolean condition, String message) {
        if (!condition) {
            throw new SoakFailure(message);
        }
    }

    /** Resident set size of this process, from the kernel. */
    static long residentKib() {
        try {
            for (String line : Files.readAllLines(Paths.get("/proc/self/status"))) {
                if (line.startsWith("VmRSS:")) {
                    return Long.parseLong(line.replaceAll("[^0-9]", ""));
                }
            }
        } catch (IOException e) {
            throw new SoakFailure("cannot read /proc/self/status: " + e);
        }
        throw new SoakFailure("no VmRSS in /proc/self/status");
    }

    /** Every setting given a value, so that every conversion path runs. */
    static DravixProperty fullSettings(String name) {
        Properties environment = new Properties();
        for (int i = 0; i < 8; i++) {
            environment.setProperty("SOAK_VARIABLE_" + i, "value-" + i);
        }
        return EverySetting.settings()
                .setCfgFile("/etc/dravix/" + name + ".cfg")
                .setCfgStrings("<cfg a=\"1\"/>", "<cfg b=\"2\"/>", "<cfg c=\"3\"/>", "<cfg d=\"4\"/>")
                .setServiceName(name)
                .setUserEnvironment(environment);
    }

    /** One full cycle; the configuration must have the length of the first one. */
    private void cycle(String name) {
        DravixProperty settings = fullSettings(name);
        try (Dravix service = new Dravix(settings)) {
            service.start();
            service.createEntity(ENTITY, ENTITY_CONFIGURATION);
            String configuration = service.getConfiguration();
            check(configuration.length() == expectedConfigurationLength,
                    "configuration of " + configuration.length() + " chars, expected " + expectedConfigurationLength);
            service.deleteEntity(ENTITY);
            service.stop();
        }
    }

    private void run() {
        System.out.printf("soak: cycles=%d warmup=%d report-every=%d thread-cycles=%d x %d shared-ops=%d x %d%n",
                cycles, warmup, reportEvery, threadCycles, THREADS, sharedOps, THREADS);
        StandIn.reset();
        try (Dravix first = new Dravix(fullSettings("soak"))) {
            first.start();
            first.createEntity(ENTITY, ENTITY_CONFIGURATION);
            expectedConfigurationLength = first.getConfiguration().length();
        }
        single();
        checkLedger("single");
        own();
        checkLedger("own");
        shared();
        checkLedger("shared");
    }

    private static void checkLedger(String phase) {
        long strings = StandIn.liveStrings();
        long texts = StandIn.liveTexts();
        long services = StandIn.liveServices();
        long badFrees = StandIn.badFrees();
        long deadCalls = StandIn.deadServiceCalls();
        System.out.printf("%-6s ledger: liveStrings=%d liveTexts=%d liveServices=%d badFrees=%d deadServiceCalls=%d%n",
                phase, strings, texts, services, badFrees, deadCalls);
        check(strings == 0 && texts == 0 && services == 0 && badFrees == 0 && deadCalls == 0,
                phase + ": the ledger is not at zero");
    }

    /**
     * Cycles until the warm-up count is reached and the JIT has compiled
     * nothing new for a while, then pauses long enough for the JVM to hand
     * back its compilers' scratch memory (it does so every five seconds).
     * Memory the JVM frees after the baseline would hide a leak of the same
     * size; memory it takes would look like one.
     * @return the cycles run
     */
    private long warmUp(long startNanos) {
        CompilationMXBean jit = ManagementFactory.getCompilationMXBean();
        long done = 0;
        long compiledUntil = -1;
        long idleCycles = 0;
        while (done < warmup || idleCycles < JIT_IDLE_CYCLES) {
            check(seconds(startNanos) < WARMUP_LIMIT_SECONDS, "the JIT did not settle during the warm-up");
            for (int i = 0; i < 1_000; i++) {
                cycle("soak");
            }
            done += 1_000;
            long compiled = jit.getTotalCompilationTime();
            idleCycles = compiled == compiledUntil ? idleCycles + 1_000 : 0;
            compiledUntil = compiled;
        }
        try {
            Thread.sleep(6_000);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
            throw new SoakFailure("interrupted");
        }
        return done;
    }

    private void single() {
        long start = System.nanoTime();
        long done = warmUp(start);
        long baseline = residentKib();
        System.out.printf("single cycles=%d rss=%d KiB warm-up over after %.1f s (baseline)%n", done, baseline,
                seconds(start));
        long worst = 0;
        long last = baseline;
        long measured = 0;
        long measureStart = System.nanoTime();
        while (measured < cycles) {
            cycle("soak");
            measured++;
            if (measured % reportEvery == 0 || measured == cycles) {
                last = residentKib();
                worst = Math.max(worst, last - baseline);
                System.out.printf("single cycles=%d rss=%d KiB growth=%+d KiB %.0f cycles/s%n", done + measured, last,
                        last - baseline, measured / seconds(measureStart));
            }
        }
        System.out.printf("single done: %d cycles after a warm-up of %d in %.1f s, rss baseline=%d KiB last=%d KiB "
                + "worst growth=%d KiB (limit %s)%n", cycles, done, seconds(start), baseline, last, worst,
                growthLimitKib > 0 ? growthLimitKib + " KiB" : "none");
        check(growthLimitKib <= 0 || worst < growthLimitKib,
                "resident memory grew by " + worst + " KiB after the warm-up");
    }

    private static double seconds(long startNanos) {
        return (System.nanoTime() - startNanos) / 1e9;
    }

    /** Runs one body per thread, sampling resident memory while they work. */
    private static void inThreads(String phase, Runnable[] bodies) {
        AtomicReference<Throwable> failure = new AtomicReference<>();
        List<Thread> threads = new ArrayList<>();
        for (int t = 0; t < bodies.length; t++) {
            Runnable body = bodies[t];
            Thread thread = new Thread(() -> {
                try {
                    body.run();
                } catch (Throwable e) {
                    failure.compareAndSet(null, e);
                }
            }, phase + "-" + t);
            threads.add(thread);
        }
        long start = System.nanoTime();
        long first = residentKib();
        long peak = first;
        threads.forEach(Thread::start);
        for (Thread thread : threads) {
            while (thread.isAlive()) {
                try {
                    thread.join(5_000);
                } catch (InterruptedException e) {
                    Thread.currentThread().interrupt();
                    throw new SoakFailure(phase + ": interrupted");
                }
                long rss = residentKib();
                peak = Math.max(peak, rss);
                if (thread.isAlive()) {
                    System.out.printf("%-6s t=%.0f s rss=%d KiB%n", phase, seconds(start), rss);
                }
            }
        }
        long end = residentKib();
        System.out.printf("%-6s done: %d threads in %.1f s, rss start=%d KiB peak=%d KiB end=%d KiB%n", phase,
                bodies.length, seconds(start), first, peak, end);
        Throwable e = failure.get();
        if (e instanceof SoakFailure) {
            throw (SoakFailure) e;
        }
        if (e != null) {
            e.printStackTrace();
            throw new SoakFailure(phase + ": a thread failed: " + e);
        }
    }

    private void own() {
        Runnable[] bodies = new Runnable[THREADS];
        for (int t = 0; t < THREADS; t++) {
            bodies[t] = () -> {
                for (long c = 0; c < threadCycles; c++) {
                    cycle("soak");
                }
            };
        }
        inThreads("own", bodies);
    }

    /** What one thread did to the shared service, and what it expects to see. */
    private static final class Driver implements Runnable {
        final int id;
        final Dravix service;
        final long ops;
        final SplittableRandom random;
        final List<String> live = new ArrayList<>();
        long starts, startsRefused, stops, stopsRefused, creates, deletes, missingDeletes, reads;
        long serial;

        Driver(int id, Dravix service, long ops) {
            this.id = id;
            this.service = service;
            this.ops = ops;
            this.random = new SplittableRandom(0x5EED + id);
        }

        private String tag(String name) {
            return "<name>" + name + "</name>";
        }

        /** Whether the service took the call; a refusal is a DravixException. */
        private boolean accepted(Runnable call) {
            try {
                call.run();
                return true;
            } catch (DravixException e) {
                return false;
            }
        }

        private String deleteOwn() {
            String name = live.remove(random.nextInt(live.size()));
            service.deleteEntity(name);
            deletes++;
            return name;
        }

        @Override
        public void run() {
            String lastDeleted = null;
            for (long op = 0; op < ops; op++) {
                switch (random.nextInt(10)) {
                    case 0:
                        if (accepted(service::start)) { starts++; } else { startsRefused++; }
                        break;
                    case 1:
                        if (accepted(service::stop)) { stops++; } else { stopsRefused++; }
                        break;
                    case 2:
                    case 3:
                    case 4:
                    case 5:
                        if (live.size() < MAX_OWN_ENTITIES) {
                            // A fresh name: refusing it would be a lost or phantom entity.
                            String name = "t" + id + "-" + serial++;
                            service.createEntity(name, "<entity owner=\"" + id + "\"/>");
                            live.add(name);
                            creates++;
                        } else {
                            lastDeleted = deleteOwn();
                        }
                        break;
                    case 6:
                    case 7:
                        if (!live.isEmpty()) {
                            lastDeleted = deleteOwn();
                        }
                        break;
                    case 8:
                        try {
                            service.deleteEntity("t" + id + "-never-" + op);
                            throw new SoakFailure("deleting an entity that was never made succeeded");
                        } catch (DravixException e) {
                            missingDeletes++;
                        }
                        break;
                    default:
                        String configuration = service.getConfiguration();
                        reads++;
                        // Only this thread touches its names, so its view is exact.
                        for (String name : live) {
                            check(configuration.contains(tag(name)), "entity " + name + " lost");
                        }
                        check(lastDeleted == null || !configuration.contains(tag(lastDeleted)),
                                "deleted entity " + lastDeleted + " still present");
                        break;
                }
            }
        }
    }

    private void shared() {
        // Call counts from here on are this phase's; the ledger was checked before.
        StandIn.reset();
        Driver[] drivers = new Driver[THREADS];
        try (Dravix service = new Dravix(fullSettings("shared"))) {
            for (int t = 0; t < THREADS; t++) {
                drivers[t] = new Driver(t, service, sharedOps);
            }
            inThreads("shared", drivers);

            long starts = 0, startsRefused = 0, stops = 0, stopsRefused = 0, creates = 0, deletes = 0;
            long missingDeletes = 0, reads = 0, live = 0;
            for (Driver d : drivers) {
                starts += d.starts;
                startsRefused += d.startsRefused;
                stops += d.stops;
                stopsRefused += d.stopsRefused;
                creates += d.creates;
                deletes += d.deletes;
                missingDeletes += d.missingDeletes;
                reads += d.reads;
                live += d.live.size();
            }
            String configuration = service.getConfiguration();
            for (Driver d : drivers) {
                for (String name : d.live) {
                    check(configuration.contains(d.tag(name)), "entity " + name + " lost at the end");
                }
            }
            check(configuration.contains("<entities count=\"" + live + "\">"),
                    "the service holds other entities than the " + live + " the threads left");
            boolean started = configuration.startsWith("<dravix_service state=\"started\">");
            // The service alternates: every successful start but the last is
            // matched by a successful stop.
            check(starts - stops == (started ? 1 : 0),
                    "starts " + starts + " and stops " + stops + " disagree with state started=" + started);
            // Every call reached the library exactly once.
            check(StandIn.calls("OLVAN_Dravix_start") == starts + startsRefused, "start calls lost");
            check(StandIn.calls("OLVAN_Dravix_stop") == stops + stopsRefused, "stop calls lost");
            check(StandIn.calls("OLVAN_Dravix_create_entity") == creates, "create calls lost");
            check(StandIn.calls("OLVAN_Dravix_delete_entity") == deletes + missingDeletes, "delete calls lost");
            check(StandIn.calls("OLVAN_Dravix_get_configuration") == reads + 1, "configuration calls lost");
            System.out.printf("shared ops: starts=%d (refused %d) stops=%d (refused %d) creates=%d deletes=%d "
                    + "missing-deletes=%d reads=%d live-entities=%d final-state=%s%n", starts, startsRefused, stops,
                    stopsRefused, creates, deletes, missingDeletes, reads, live, started ? "started" : "not started");
        }
    }
}
