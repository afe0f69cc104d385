package com.olvan.dravix;

import com.olvan.dravix.infrastructure.DravixException;
import com.olvan.dravix.infrastructure.OutOfResourcesException;
import java.lang.invoke.MethodHandles;
import java.lang.invoke.VarHandle;
import java.lang.ref.Cleaner;
import java.lang.ref.Reference;
import java.util.Objects;

/**
 * A Dravix service instance.
 *
 * <pre>{@code
 * DravixProperty settings = new DravixProperty().setServiceName("orders");
 * try (Dravix service = new Dravix(settings)) {
 *     service.start();
 *     service.createEntity("route", "<route .../>");
 *     System.out.println(service.getConfiguration());
 *     service.stop();
 * }
 * }</pre>
 *
 * <p>Methods may be called from several threads at once; whether the service
 * library serialises them is its own matter. {@link #close()} waits for calls in
 * progress, and every call made once it has begun throws {@link
 * IllegalStateException}, so a released service is never touched. A service
 * that is never closed is released when it becomes unreachable, but close it:
 * the garbage collector knows nothing of the native memory it holds.
 */
public final class Dravix implements AutoCloseable {
    private static final Cleaner CLEANER = Cleaner.create();

    /**
     * What must be released: kept apart from the {@code Dravix} so that the
     * cleaner can run it without reaching the object.
     */
    private static final class NativeHandles implements Runnable {
        private long service;
        private final NativeRecord record;

        NativeHandles(long service, NativeRecord record) {
            this.service = service;
            this.record = record;
        }

        @Override
        public void run() {
            // The service goes first: it was created from the record.
            try {
                if (service != 0) {
                    Dravix_delete(service);
                }
            } finally {
                service = 0;
                record.close();
            }
        }
    }

    /** Set in {@link #calls} once {@link #close()} has begun: no call may enter after it. */
    private static final int CLOSING = 1 << 30;
    private static final VarHandle CALLS;

    static {
        try {
            CALLS = MethodHandles.lookup().findVarHandle(Dravix.class, "calls", int.class);
        } catch (ReflectiveOperationException e) {
            throw new ExceptionInInitializerError(e);
        }
    }

    private final NativeHandles handles;
    private final Cleaner.Cleanable cleanable;
    // The calls inside the library, plus CLOSING. A count rather than a
    // read-write lock: a call pays two atomic updates and nothing per thread.
    @SuppressWarnings("unused")  // updated through CALLS
    private volatile int calls;
    // close() waits on it for the calls in progress, one closer at a time.
    private final Object closing = new Object();
    // Set once the native handles are released; isClosed() reads it without waiting.
    private volatile boolean closed;

    /** A service with default settings. */
    public Dravix() {
        this(new DravixProperty());
    }

    /**
     * Creates a service from a snapshot of {@code property}: the settings are
     * converted into a native record that the service keeps for its whole life.
     *
     * @param property the settings
     * @throws NullPointerException if property is null
     * @throws OutOfResourcesException if native memory ran out or reading the
     *     settings failed (the user environment's methods threw, for example)
     * @throws DravixException "Dravix_new native error" if the service library
     *     refused to create the service
     * @throws UnsatisfiedLinkError if the native bridge was not found or did not
     *     load; the message says where it was looked for and why
     * @throws IllegalCallerException if the JVM refused native access; the
     *     message names the {@code --enable-native-access} flag to pass
     */
    public Dravix(DravixProperty property) {
        Objects.requireNonNull(property, "property");
        NativeRecord record = NativeRecord.convert(property);
        long service;
        try {
            service = Dravix_new(record.handle());
        } catch (RuntimeException | Error e) {
            record.close();
            throw e;
        }
        handles = new NativeHandles(service, record);
        cleanable = CLEANER.register(this, handles);
    }

    /**
     * Starts the service.
     *
     * @throws DravixException "OLVAN_Dravix_start error" if the library refused,
     *     for example because the service is already started
     * @throws IllegalStateException if the service was closed
     */
    public void start() {
        call(service -> {
            Dravix_start(service);
            return null;
        });
    }

    /**
     * Stops the service.
     *
     * @throws DravixException "OLVAN_Dravix_stop error" if the library refused,
     *     for example because the service is not started
     * @throws IllegalStateException if the service was closed
     */
    public void stop() {
        call(service -> {
            Dravix_stop(service);
            return null;
        });
    }

    /**
     * Creates an entity. A configuration that begins with {@code file://} names
     * a file to read the configuration from (the rest of the string is the path,
     * taken as is); anything else is the configuration text itself.
     *
     * @param name the entity's name
     * @param configuration the configuration text, or {@code file://} and a path
     * @throws NullPointerException if name or configuration is null
     * @throws DravixException "OLVAN_Dravix_create_entity error" if the library
     *     refused (a name in use, an unreadable file, text it cannot accept)
     * @throws OutOfResourcesException if a native copy of a string failed, or the
     *     JVM could not give a string's whole text
     * @throws IllegalStateException if the service was closed
     */
    public void createEntity(String name, String configuration) {
        call(service -> {
            Dravix_create_entity(service, name, configuration);
            return null;
        });
    }

    /**
     * Deletes an entity by name.
     *
     * @param name the entity's name
     * @throws NullPointerException if name is null
     * @throws DravixException "OLVAN_Dravix_delete_entity error" if the library
     *     refused (no such entity, for example)
     * @throws OutOfResourcesException if a native copy of the name failed
     * @throws IllegalStateException if the service was closed
     */
    public void deleteEntity(String name) {
        call(service -> {
            Dravix_delete_entity(service, name);
            return null;
        });
    }

    /**
     * The service's whole configuration, as the library describes it. The
     * library's text is read as UTF-8, in the standard or the JVM's modified
     * form, so configuration given to {@link #createEntity} as a string comes
     * back unchanged; bytes that form no character (from a file, say) come
     * back as U+FFFD.
     *
     * @return the configuration text
     * @throws DravixException "OLVAN_Dravix_get_configuration error" if the
     *     library gave no text
     * @throws OutOfResourcesException "insufficient memory for native allocation"
     *     if the text could not be turned into a Java string
     * @throws IllegalStateException if the service was closed
     */
    public String getConfiguration() {
        return call(Dravix::Dravix_get_configuration);
    }

    /**
     * Tells whether the service was closed. Never waits, not even for a
     * {@link #close()} that is waiting for calls in progress.
     *
     * @return whether {@link #close()} has been called
     */
    public boolean isClosed() {
        return closed;
    }

    /**
     * Deletes the service and its native record. Waits for calls in progress on
     * other threads; calling it again does nothing.
     */
    @Override
    public void close() {
        synchronized (closing) {
            CALLS.getAndBitwiseOr(this, CLOSING);
            boolean interrupted = false;
            while (((int) CALLS.getVolatile(this) & ~CLOSING) != 0) {
                try {
                    closing.wait();
                } catch (InterruptedException e) {
                    interrupted = true;  // close() is not interruptible: the wait goes on
                }
            }
            if (!closed) {
                closed = true;
                cleanable.clean();
            }
            if (interrupted) {
                Thread.currentThread().interrupt();
            }
        }
    }

    /** A native call on the service handle. */
    @FunctionalInterface
    private interface ServiceCall<T> {
        T on(long service);
    }

    /**
     * Runs a native call counted in {@link #calls}, or throws if the service is
     * closed or closing. The fence keeps this object reachable until the native
     * call has returned: the handle is read before the call and nothing after
     * it mentions the object, so without the fence compiled code lets the
     * object go during the call, and the Cleaner frees the service under the
     * library's feet.
     */
    private <T> T call(ServiceCall<T> body) {
        int seen = (int) CALLS.getVolatile(this);
        for (int witness; ; seen = witness) {
            if ((seen & CLOSING) != 0) {
                throw new IllegalStateException("Dravix service is closed");
            }
            witness = (int) CALLS.compareAndExchange(this, seen, seen + 1);
            if (witness == seen) {
                break;
            }
        }
        try {
            return body.on(handles.service);
        } finally {
            if ((int) CALLS.getAndAdd(this, -1) == (CLOSING | 1)) {
                // The last call out of a closing service: wake the closer.
                synchronized (closing) {
                    closing.notifyAll();
                }
            }
            Reference.reachabilityFence(this);
        }
    }

    // The native half. A service handle is the service library's pointer.

    static native long Dravix_new(long record);

    static native void Dravix_delete(long service);

    static native void Dravix_start(long service);

    static native void Dravix_stop(long service);

    static native void Dravix_create_entity(long service, String name, String configuration);

    static native void Dravix_delete_entity(long service, String name);

    static native String Dravix_get_configuration(long service);
}
