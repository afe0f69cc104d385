package com.olvan.dravix.bench;

import com.olvan.dravix.DravixProperty;

/**
 * What a Java team could write instead of the bridge: the same service calls
 * bound with the Foreign Function and Memory API (JDK 22 and later). The
 * implementation is compiled by a JDK of that age into a jar of its own
 * ({@code olvan-dravix-bench-ffm.jar}) and found at run time; on older JDKs,
 * or without that jar, the benchmark has no peer and skips its rows.
 */
public interface ForeignPeer {
    /** The service's configuration text: the library's call, read as UTF-8, then released. */
    String getConfiguration(long service);

    /** A middleware copy of both strings (as the contract asks), the library's call, both released. */
    void createEntity(long service, String name, String configuration);

    /** The settings written into the native record, strings as middleware copies. */
    void toNative(DravixProperty property, long record);

    /** The peer on this JVM, or null when there is none. */
    static ForeignPeer find() {
        if (Runtime.version().feature() < 22) {
            return null;
        }
        try {
            return (ForeignPeer) Class.forName("com.olvan.dravix.bench.ffm.ForeignBinding")
                    .getDeclaredConstructor().newInstance();
        } catch (ClassNotFoundException e) {
            return null;
        } catch (ReflectiveOperationException e) {
            throw new IllegalStateException("the FFM peer did not start", e);
        }
    }
}
