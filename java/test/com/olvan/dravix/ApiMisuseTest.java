package com.olvan.dravix;

import static com.olvan.dravix.ServiceLifecycleTest.assertThrowsExactly;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assertions.fail;

import com.olvan.dravix.infrastructure.DravixException;
import com.olvan.dravix.testing.StandIn;
import java.io.OutputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.CyclicBarrier;
import java.util.concurrent.ThreadLocalRandom;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicLong;
import java.util.concurrent.atomic.AtomicReference;
import java.util.function.BooleanSupplier;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.api.io.TempDir;

/**
 * The Java API used carelessly: closed from one thread while others call it,
 * closed twice, or never closed at all. The stand-in counts every call that
 * reaches a deleted service (and every delete that overlaps a call still
 * running), so "no freed handle reaches native code" is a number that must
 * stay zero, not a hope that nothing crashed.
 */
@ExtendWith(LedgerExtension.class)
class ApiMisuseTest {
    private static final String CLOSED = "Dravix service is closed";
    private static final long GC_TIMEOUT_NANOS = TimeUnit.SECONDS.toNanos(20);

    /** Outcomes of hammering calls, by kind; anything unexpected is kept whole. */
    private static final class Outcomes {
        final AtomicLong succeeded = new AtomicLong();
        final AtomicLong closed = new AtomicLong();
        final AtomicLong refused = new AtomicLong();
        final AtomicReference<Throwable> unexpected = new AtomicReference<>();

        /** Runs the call and files its outcome; true when it met a closed service. */
        boolean run(Runnable call) {
            try {
                call.run();
                succeeded.incrementAndGet();
            } catch (IllegalStateException e) {
                if (e.getClass() == IllegalStateException.class && CLOSED.equals(e.getMessage())) {
                    closed.incrementAndGet();
                    return true;
                }
                unexpected.compareAndSet(null, e);
            } catch (DravixException e) {
                // The library's own refusals: start twice, stop when stopped, no such entity.
                refused.incrementAndGet();
            } catch (Throwable e) {
                unexpected.compareAndSet(null, e);
                return true;
            }
            return false;
        }

        void assertNothingUnexpected() {
            Throwable e = unexpected.get();
            if (e != null) {
                fail("a call ended in neither success, IllegalStateException nor DravixException", e);
            }
        }
    }

    private static void awaitAll(List<Thread> threads) throws InterruptedException {
        for (Thread thread : threads) {
            thread.join(TimeUnit.SECONDS.toMillis(60));
            assertTrue(!thread.isAlive(), thread.getName() + " did not finish");
        }
    }

    /**
     * A FIFO as an entity's configuration file holds the create call inside
     * the library (opening it blocks) until the test writes to it.
     */
    private static Path makeFifo(Path directory) throws Exception {
        Path fifo = directory.resolve("held");
        Process mkfifo = new ProcessBuilder("mkfifo", fifo.toString()).inheritIO().start();
        assertEquals(0, mkfifo.waitFor());
        return fifo;
    }

    private static void writeFifo(Path fifo, String content) throws Exception {
        try (OutputStream writer = Files.newOutputStream(fifo)) {
            writer.write(content.getBytes(StandardCharsets.US_ASCII));
        }
    }

    /** Waits until the library has counted the given number of calls of a function. */
    private static void awaitLibraryCall(String function, long count) throws InterruptedException {
        long start = System.nanoTime();
        while (StandIn.calls(function) < count) {
            assertTrue(System.nanoTime() - start < GC_TIMEOUT_NANOS, "the call never reached the library");
            Thread.sleep(1);
        }
    }

    /** Collects garbage until the condition holds; fails after a bounded wait. */
    private static void gcUntil(String what, BooleanSupplier condition) throws InterruptedException {
        long start = System.nanoTime();
        while (!condition.getAsBoolean()) {
            if (System.nanoTime() - start > GC_TIMEOUT_NANOS) {
                fail("the Cleaner did not release " + what + " in time");
            }
            System.gc();
            Thread.sleep(10);
        }
    }

    @Test
    void theDetectorSeesCallsThatBypassTheGuard() {
        // Proof that the count the other tests rely on is live: the raw natives
        // have no guard, so a deleted handle reaches the library and is counted.
        long service = Dravix.Dravix_new(0);
        Dravix.Dravix_delete(service);
        assertThrowsExactly(DravixException.class, "OLVAN_Dravix_start error", () -> Dravix.Dravix_start(service));
        assertThrowsExactly(DravixException.class, "OLVAN_Dravix_get_configuration error",
                () -> Dravix.Dravix_get_configuration(service));
        Dravix.Dravix_delete(service);
        assertEquals(3, StandIn.deadServiceCalls());
        StandIn.reset();  // the misuse was deliberate
    }

    @Test
    void closeRacingCallsNeverLetsAFreedHandleThrough() throws Exception {
        final int rounds = 200;
        final int callers = 6;
        Outcomes outcomes = new Outcomes();
        for (int round = 0; round < rounds; round++) {
            Dravix service = new Dravix(new DravixProperty().setServiceName("race" + round));
            CyclicBarrier go = new CyclicBarrier(callers + 1);
            List<Thread> threads = new ArrayList<>();
            for (int t = 0; t < callers; t++) {
                final int id = t;
                Thread thread = new Thread(() -> {
                    try {
                        go.await();
                    } catch (Exception e) {
                        outcomes.unexpected.compareAndSet(null, e);
                        return;
                    }
                    // Each caller keeps calling until it meets the closed service.
                    boolean closed = false;
                    for (int i = 0; !closed; i++) {
                        String entity = "e" + id + "_" + (i / 5);
                        switch ((id + i) % 5) {
                            case 0: closed = outcomes.run(service::start); break;
                            case 1: closed = outcomes.run(service::stop); break;
                            case 2: closed = outcomes.run(service::getConfiguration); break;
                            case 3: closed = outcomes.run(() -> service.createEntity(entity, "<e/>")); break;
                            default: closed = outcomes.run(() -> service.deleteEntity(entity)); break;
                        }
                    }
                }, "caller-" + t);
                threads.add(thread);
                thread.start();
            }
            go.await();
            // Close at a different moment in each round, sometimes at once.
            long spin = ThreadLocalRandom.current().nextLong(0, 200_000);
            long until = System.nanoTime() + spin;
            while (System.nanoTime() < until) {
                Thread.onSpinWait();
            }
            service.close();
            awaitAll(threads);
            assertThrowsExactly(IllegalStateException.class, CLOSED, service::getConfiguration);
        }
        outcomes.assertNothingUnexpected();
        assertEquals(0, StandIn.deadServiceCalls(), "a call reached a deleted service");
        assertEquals(rounds, StandIn.calls("OLVAN_Dravix_delete"));
        assertEquals(0, StandIn.liveServices());
        // Every caller ends on the closed service; some must also have got in first.
        assertTrue(outcomes.succeeded.get() > 0, "no call got in before close: the race was never run");
    }

    @Test
    void concurrentClosesDeleteOnce() throws Exception {
        for (int round = 0; round < 50; round++) {
            Dravix service = new Dravix(new DravixProperty().setServiceName("twice").setCfgStrings("a", "b"));
            service.start();
            CountDownLatch go = new CountDownLatch(1);
            Outcomes outcomes = new Outcomes();
            List<Thread> threads = new ArrayList<>();
            for (int t = 0; t < 8; t++) {
                Thread thread = new Thread(() -> {
                    try {
                        go.await();
                    } catch (InterruptedException e) {
                        outcomes.unexpected.compareAndSet(null, e);
                        return;
                    }
                    outcomes.run(service::close);
                });
                threads.add(thread);
                thread.start();
            }
            go.countDown();
            awaitAll(threads);
            outcomes.assertNothingUnexpected();
            assertEquals(8, outcomes.succeeded.get());
            assertTrue(service.isClosed());
            service.close();
        }
        assertEquals(50, StandIn.calls("OLVAN_Dravix_delete"));
        assertEquals(0, StandIn.liveStrings(), "each record must be deleted exactly once");
        assertEquals(0, StandIn.badFrees());
    }

    @Test
    void closeWaitsForACallInProgress(@TempDir Path directory) throws Exception {
        Path fifo = makeFifo(directory);
        Dravix service = new Dravix();
        AtomicReference<Throwable> failure = new AtomicReference<>();
        Thread held = new Thread(() -> {
            try {
                service.createEntity("held", "file://" + fifo);
            } catch (Throwable e) {
                failure.set(e);
            }
        }, "held");
        held.start();
        awaitLibraryCall("OLVAN_Dravix_create_entity", 1);
        Thread closer = new Thread(service::close, "closer");
        closer.start();
        closer.join(300);
        assertTrue(closer.isAlive(), "close returned while a call was still inside the library");
        assertEquals(1, StandIn.liveServices());
        // Asking whether it is closed never joins the wait.
        assertEquals(false, CompletableFuture.supplyAsync(service::isClosed).get(10, TimeUnit.SECONDS));
        writeFifo(fifo, "<held/>");
        held.join(TimeUnit.SECONDS.toMillis(60));
        closer.join(TimeUnit.SECONDS.toMillis(60));
        assertTrue(!held.isAlive() && !closer.isAlive());
        assertEquals(null, failure.get(), "the call in progress must complete normally");
        assertTrue(service.isClosed());
        assertEquals(0, StandIn.deadServiceCalls());
    }

    @Test
    void anUnclosedServiceIsReleasedByTheCleaner() throws Exception {
        dropStartedService();
        gcUntil("the service and its record", () -> StandIn.liveServices() == 0 && StandIn.liveStrings() == 0);
        assertEquals(1, StandIn.calls("OLVAN_Dravix_delete"));
        assertEquals(0, StandIn.badFrees());
    }

    private static void dropStartedService() {
        Dravix service = new Dravix(new DravixProperty().setServiceName("forgotten").setCfgStrings("c")
                .setApplicationName("app"));
        service.start();
        service.createEntity("left", "<behind/>");
        assertEquals(1, StandIn.liveServices());
        assertTrue(StandIn.liveStrings() > 0);
    }

    /**
     * A Dravix that nothing references any more while a call on it is still
     * running must not be cleaned during that call: once the handle has been
     * read nothing in the method mentions the object again, so compiled code
     * lets it go early unless the method keeps it reachable. The call is held
     * inside the library by a configuration file that is a FIFO, opened by the
     * stand-in and written only after the collector has had its chance.
     */
    @Test
    void theCleanerNeverRunsDuringACallOnTheObject(@TempDir Path directory) throws Exception {
        Path fifo = makeFifo(directory);
        DravixProperty settings = new DravixProperty();
        // Enough calls for the JIT to compile the helper and what it inlines.
        for (int i = 0; i < 20_000; i++) {
            createEntityOnUnreachableService(settings, "<warm/>");
        }
        gcUntil("the warm-up services", () -> StandIn.liveServices() == 0);
        for (int attempt = 0; attempt < 3; attempt++) {
            long entered = StandIn.calls("OLVAN_Dravix_create_entity");
            AtomicReference<Throwable> failure = new AtomicReference<>();
            Thread held = new Thread(() -> {
                try {
                    createEntityOnUnreachableService(settings, "file://" + fifo);
                } catch (Throwable e) {
                    failure.set(e);
                }
            }, "held");
            held.start();
            awaitLibraryCall("OLVAN_Dravix_create_entity", entered + 1);
            // The call is inside the library, waiting for the FIFO's writer.
            for (int i = 0; i < 5; i++) {
                System.gc();
                Thread.sleep(20);
            }
            writeFifo(fifo, "<from-fifo/>");
            held.join(TimeUnit.SECONDS.toMillis(60));
            assertTrue(!held.isAlive());
            assertEquals(null, failure.get());
            assertEquals(0, StandIn.deadServiceCalls(), "a Dravix was cleaned while a call on it was running");
        }
        gcUntil("the dropped services", () -> StandIn.liveServices() == 0 && StandIn.liveStrings() == 0);
    }

    private static void createEntityOnUnreachableService(DravixProperty settings, String configuration) {
        new Dravix(settings).createEntity("n", configuration);
    }
}
