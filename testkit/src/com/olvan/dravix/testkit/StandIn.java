package com.olvan.dravix.testkit;

import java.util.ArrayList;
import java.util.Collections;
import java.util.HashSet;
import java.util.List;
import java.util.Objects;
import java.util.Set;

/**
 * The stand-in service library that the test kit puts under the Dravix API, in
 * place of the product: {@code Dravix} and {@code DravixProperty} work as with the
 * product, through the same bridge, with the same exceptions and messages. One
 * per JVM: {@link #get()} extracts and loads the natives the first time.
 *
 * <pre>{@code
 * StandIn standIn = StandIn.get();
 * standIn.failNext(Operation.START);
 * try (Dravix service = new Dravix(settings)) {
 *     assertThrows(DravixException.class, service::start);
 * }
 * }</pre>
 *
 * <p>Call {@link #get()} before anything in the JVM makes a {@code Dravix}: the API
 * loads one bridge per JVM, and the kit must give it its own. The views it returns
 * are immutable snapshots.
 */
public final class StandIn {
    private static final StandIn INSTANCE = new StandIn();

    // What tests that failed for leaving it live left behind, hidden from every view and count
    // until its Dravix is closed or collected: one forgotten close() fails one test, not the next.
    private final Set<Long> setAside = new HashSet<>();
    private int stringsSetAside;

    private StandIn() {
    }

    /**
     * The stand-in of this JVM, loaded on the first call.
     *
     * @return the stand-in
     * @throws IllegalStateException if a Dravix library from elsewhere is already
     *     loaded in this JVM, or the API already failed to load one
     * @throws UnsupportedOperationException on a platform the jar has no natives for
     */
    public static StandIn get() {
        Natives.load();
        return INSTANCE;
    }

    /**
     * Clears injected failures; what is live (services, strings) stays, and
     * stays counted.
     */
    public void reset() {
        reset0();
    }

    /**
     * Makes the next call of the operation fail, as the service library reports
     * failure; the API then throws what it documents for it.
     *
     * @param operation the operation
     */
    public void failNext(Operation operation) {
        failNext0(Objects.requireNonNull(operation, "operation").function());
    }

    /**
     * Makes every call of the operation fail until {@link #reset()}.
     *
     * @param operation the operation
     */
    public void failAlways(Operation operation) {
        failAlways0(Objects.requireNonNull(operation, "operation").function(), true);
    }

    /**
     * Lets the given number of middleware string copies succeed, then fails the
     * next one, as when memory runs out: the API throws
     * {@code OutOfResourcesException("insufficient memory for native allocation")}
     * from the call that needed the copy.
     *
     * @param copies how many copies succeed first (0: the very next one fails)
     */
    public void failStringCopyAfter(int copies) {
        if (copies < 0) {
            throw new IllegalArgumentException("copies must not be negative: " + copies);
        }
        failCopyAt0(copies + 1L);
    }

    /**
     * Services made and not yet deleted (a {@code Dravix} not yet closed).
     *
     * @return the number of live services
     */
    public int liveServices() {
        synchronized (setAside) {
            return setAside.isEmpty() ? Math.toIntExact(liveServices0()) : services().size();
        }
    }

    /**
     * Middleware strings made and not yet released. Every open {@code Dravix}
     * holds some (its settings); none should remain once every one is closed.
     *
     * @return the number of live middleware strings
     */
    public int liveStrings() {
        synchronized (setAside) {
            forgetWhatHasGone();
            return Math.max(0, Math.toIntExact(liveStrings0()) - stringsSetAside);
        }
    }

    /**
     * Hides services and strings that a test left live, once it has failed for
     * them: they stay in the stand-in (their {@code Dravix} objects may still be
     * used or closed), and each goes when its {@code Dravix} is closed or collected.
     */
    void setAside(List<Long> services, int strings) {
        synchronized (setAside) {
            setAside.addAll(services);
            stringsSetAside += Math.max(0, strings);
        }
    }

    /** How many services set aside are still live. */
    int setAsideServices() {
        synchronized (setAside) {
            forgetWhatHasGone();
            return setAside.size();
        }
    }

    /** Drops from what is set aside the services that have gone (services() does, while any is). */
    private void forgetWhatHasGone() {
        if (!setAside.isEmpty()) {
            services();
        }
    }

    /**
     * The live services, in the order they were made, each with what it was given.
     *
     * @return a snapshot of the live services
     */
    public List<Service> services() {
        Object[] all = services0();
        if (all == null) {
            throw new OutOfMemoryError("the stand-in's services could not be copied");
        }
        List<Service> services = new ArrayList<>(all.length);
        synchronized (setAside) {
            Set<Long> stillLive = new HashSet<>();
            for (Object parts : all) {
                Service service = Service.of((Object[]) parts);
                if (setAside.contains(service.number())) {
                    stillLive.add(service.number());
                } else {
                    services.add(service);
                }
            }
            setAside.retainAll(stillLive);
            if (setAside.isEmpty()) {
                stringsSetAside = 0;
            }
        }
        return Collections.unmodifiableList(services);
    }

    /**
     * The names of the entities of all live services, in the order they were created.
     *
     * @return the entity names
     */
    public List<String> entityNames() {
        List<Entity> entities = new ArrayList<>();
        for (Service service : services()) {
            entities.addAll(service.entities());
        }
        entities.sort((a, b) -> Long.compare(a.sequence(), b.sequence()));
        List<String> names = new ArrayList<>(entities.size());
        for (Entity entity : entities) {
            names.add(entity.name());
        }
        return Collections.unmodifiableList(names);
    }

    private static native void reset0();

    private static native boolean failNext0(String function);

    private static native boolean failAlways0(String function, boolean on);

    private static native void failCopyAt0(long n);

    private static native long liveServices0();

    private static native long liveStrings0();

    /** Null, with nothing thrown, when native memory ran out while copying. */
    private static native Object[] services0();
}
