package com.olvan.dravix;

/**
 * A native property record owned by Java: made, filled from a
 * {@link DravixProperty}, and released exactly once. The one class that
 * deletes a record: a service keeps its record's {@code NativeRecord} and
 * closes it after the service.
 */
final class NativeRecord implements AutoCloseable {
    private long handle;

    private NativeRecord(long handle) {
        this.handle = handle;
    }

    /**
     * A new record holding the settings of {@code property}. If the conversion
     * fails the record is released before the exception propagates.
     */
    static NativeRecord convert(DravixProperty property) {
        NativeLibrary.ensureLoaded();
        DravixProperty settings = property.forConversion();
        NativeRecord record = new NativeRecord(DravixProperty.DravixProperty_new());
        try {
            settings.DravixProperty_to_native(record.handle);
            return record;
        } catch (RuntimeException | Error e) {
            record.close();
            throw e;
        }
    }

    long handle() {
        if (handle == 0) {
            throw new IllegalStateException("native property record already released");
        }
        return handle;
    }

    @Override
    public void close() {
        if (handle != 0) {
            long h = handle;
            handle = 0;
            DravixProperty.DravixProperty_delete(h);
        }
    }
}
