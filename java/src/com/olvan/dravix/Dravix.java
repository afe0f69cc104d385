package com.olvan.dravix;

import com.olvan.dravix.infrastructure.DravixException;
import com.olvan.dravix.infrastructure.OutOfResourcesException;
import java.lang.ref.Cleaner;
import java.lang.ref.Reference;
import java.util.Objects;
import java.util.concurrent.locks.Lock;
import java.util.concurrent.locks.ReentrantReadWriteLock;

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
 * progress, and every call after it throws {@link IllegalStateException}, so a
 * released service is never touched. A service that is never closed is released
 * when it becomes unreachable, but close it: the garbage collector knows nothing
 * of the native memory it holds.
 */
public final class Dravix implements AutoCloseable {
    private static final Cleaner CLEANER = Cleaner.create();

    // Binds the natives when the class is first used. A bridge that did not
    // load is reported by the first call that needs it, not here.
    static {
        NativeLibrary.initialize();
    }

    /**
     * What must be released: kept apart from the {@code Dravix} so that the
     * cleaner can run it without reaching the object.
     */
    private static final class NativeHandles implements Runnable {
        private long service;
        private long record;

        NativeHandles(long service, long record) {
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
                if (record != 0) {
                    long r = record;
                    record = 0;
                    DravixProperty.DravixProperty_delete(r);
                }
            }
        }
    }

    private final ReentrantReadWriteLock lifecycle = new ReentrantReadWriteLock();
    private final NativeHandles handles;
    private final Cleaner.Cleanable cleanable;
    private boolean closed;

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
        handles = new NativeHandles(service, record.release());
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
        Lock lock = acquire();
        try {
            Dravix_start(handles.service);
        } finally {
            release(lock);
        }
    }

    /**
     * Stops the service.
     *
     * @throws DravixException "OLVAN_Dravix_stop error" if the library refused,
     *     for example because the service is not started
     * @throws IllegalStateException if the service was closed
     */
    public void stop() {
        Lock lock = acquire();
        try {
            Dravix_stop(handles.service);
        } finally {
            release(lock);
        }
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
     * @throws OutOfResourcesException if a native copy of a string failed
     * @throws IllegalStateException if the service was closed
     */
    public void createEntity(String name, String configuration) {
        Lock lock = acquire();
        try {
            Dravix_create_entity(handles.service, name, configuration);
        } finally {
            release(lock);
        }
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
        Lock lock = acquire();
        try {
            Dravix_delete_entity(handles.service, name);
        } finally {
            release(lock);
        }
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
     * @throws IllegalStateException if the service was closed
     */
    public String getConfiguration() {
        Lock lock = acquire();
        try {
            return Dravix_get_configuration(handles.service);
        } finally {
            release(lock);
        }
    }

    /**
     * Tells whether the service was closed.
     *
     * @return whether {@link #close()} has been called
     */
    public boolean isClosed() {
        Lock lock = lifecycle.readLock();
        lock.lock();
        try {
            return closed;
        } finally {
            lock.unlock();
        }
    }

    /**
     * Deletes the service and its native record. Waits for calls in progress on
     * other threads; calling it again does nothing.
     */
    @Override
    public void close() {
        Lock lock = lifecycle.writeLock();
        lock.lock();
        try {
            if (!closed) {
                closed = true;
                cleanable.clean();
            }
        } finally {
            lock.unlock();
        }
    }

    /**
     * Ends a call begun with {@link #acquire()}. The fence keeps this object
     * reachable until the native call has returned: the handle is read before
     * the call and nothing after it mentions the object, so without the fence
     * compiled code lets the object go during the call, and the Cleaner frees
     * the service under the library's feet.
     */
    private void release(Lock lock) {
        try {
            lock.unlock();
        } finally {
            Reference.reachabilityFence(this);
        }
    }

    /** Takes the shared lock, or throws if the service is already closed. */
    private Lock acquire() {
        Lock lock = lifecycle.readLock();
        lock.lock();
        if (closed) {
            lock.unlock();
            throw new IllegalStateException("Dravix service is closed");
        }
        return lock;
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
