package com.olvan.dravix;

import com.olvan.dravix.testing.StandIn;
import java.io.ByteArrayOutputStream;
import java.io.DataOutputStream;
import java.io.IOException;
import java.io.UncheckedIOException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * A native property record read as the service library reads it: 256
 * little-endian bytes whose pointers are followed through the stand-in's peek.
 * Offsets are written out here rather than taken from the bridge, so that a
 * layout that drifts on either side shows up.
 */
final class RecordBytes {
    static final int SIZE = 256;

    static final int CFG_FILE = 0;
    static final int CFG_STRINGS = 8;
    static final int CFG_STRINGS_COUNT = 16;
    static final int SERVICE_NAME = 24;
    static final int APPLICATION_NAME = 32;
    static final int ENFORCE_XSD_VALIDATION = 40;
    static final int SERVICE_VERBOSITY = 44;
    static final int DDS_VERBOSITY = 48;
    static final int DOMAIN_ID_BASE = 52;
    static final int PLUGIN_SEARCH_PATH = 56;
    static final int DONT_START_SERVICE = 64;
    static final int ENABLE_ADMINISTRATION = 65;
    static final int ADMINISTRATION_DOMAIN_ID = 68;
    static final int ENABLE_MONITORING = 72;
    static final int MONITORING_DOMAIN_ID = 76;
    static final int SKIP_DEFAULT_FILES = 88;
    static final int IDENTIFY_EXECUTION = 89;
    static final int REGISTERED_TRANSPORTS_COUNT = 224;
    static final int USER_ENVIRONMENT = 240;
    static final int USER_ENVIRONMENT_COUNT = USER_ENVIRONMENT + 8;

    static final int[] STRING_SLOTS = {CFG_FILE, SERVICE_NAME, APPLICATION_NAME, PLUGIN_SEARCH_PATH};
    static final int[] BOOLEAN_SLOTS = {
        ENFORCE_XSD_VALIDATION, DONT_START_SERVICE, ENABLE_ADMINISTRATION, ENABLE_MONITORING,
        SKIP_DEFAULT_FILES, IDENTIFY_EXECUTION,
    };
    static final int[] INTEGER_SLOTS = {
        SERVICE_VERBOSITY, DDS_VERBOSITY, DOMAIN_ID_BASE, ADMINISTRATION_DOMAIN_ID, MONITORING_DOMAIN_ID,
    };

    /** [from, to) ranges that belong to the service library, the list's bytes 12..15 included. */
    static final int[][] LIBRARY_BYTES = {
        {20, 24}, {41, 44}, {66, 68}, {73, 76}, {80, 88}, {90, 224}, {224, 228}, {228, 240},
        {USER_ENVIRONMENT + 12, USER_ENVIRONMENT + 16},
    };

    private final byte[] bytes;
    private final ByteBuffer view;

    RecordBytes(byte[] bytes) {
        if (bytes == null || bytes.length != SIZE) {
            throw new IllegalArgumentException("not a record: " + (bytes == null ? "null" : bytes.length + " bytes"));
        }
        this.bytes = bytes;
        this.view = ByteBuffer.wrap(bytes).order(ByteOrder.LITTLE_ENDIAN);
    }

    /** The record behind a live handle. */
    static RecordBytes of(long handle) {
        return new RecordBytes(StandIn.peek(handle, SIZE));
    }

    byte[] bytes() {
        return bytes.clone();
    }

    int int32(int offset) {
        return view.getInt(offset);
    }

    long pointer(int offset) {
        return view.getLong(offset);
    }

    int byteAt(int offset) {
        return bytes[offset] & 0xFF;
    }

    /** The string a slot points to, as raw bytes; null for a null slot. */
    byte[] string(int offset) {
        return StandIn.cString(pointer(offset));
    }

    int cfgStringsCount() {
        return int32(CFG_STRINGS_COUNT);
    }

    /** The cfg_strings entries as raw bytes, null entries as null. */
    List<byte[]> cfgStrings() {
        return stringArray(pointer(CFG_STRINGS), cfgStringsCount());
    }

    long userEnvironmentEntries() {
        return pointer(USER_ENVIRONMENT);
    }

    int userEnvironmentCount() {
        return int32(USER_ENVIRONMENT_COUNT);
    }

    /** The user environment as name/value byte pairs, in list order; a null value as null. */
    List<byte[][]> userEnvironment() {
        int count = userEnvironmentCount();
        List<byte[][]> entries = new ArrayList<>(count);
        if (count == 0) {
            return entries;
        }
        ByteBuffer array = ByteBuffer.wrap(StandIn.peek(userEnvironmentEntries(), 16 * count))
                .order(ByteOrder.LITTLE_ENDIAN);
        for (int i = 0; i < count; i++) {
            entries.add(new byte[][] {StandIn.cString(array.getLong(16 * i)), StandIn.cString(array.getLong(16 * i + 8))});
        }
        return entries;
    }

    /** The user environment rendered as "name=value" (value "<null>" for null), for readable comparisons. */
    List<String> userEnvironmentText() {
        List<String> text = new ArrayList<>();
        for (byte[][] entry : userEnvironment()) {
            text.add(new String(entry[0], StandardCharsets.ISO_8859_1) + "="
                    + (entry[1] == null ? "<null>" : new String(entry[1], StandardCharsets.ISO_8859_1)));
        }
        return text;
    }

    /** The library-owned byte ranges in which the two records differ. */
    static List<String> libraryByteDifferences(RecordBytes expected, RecordBytes actual) {
        List<String> differences = new ArrayList<>();
        for (int[] range : LIBRARY_BYTES) {
            byte[] e = Arrays.copyOfRange(expected.bytes, range[0], range[1]);
            byte[] a = Arrays.copyOfRange(actual.bytes, range[0], range[1]);
            if (!Arrays.equals(e, a)) {
                differences.add("bytes " + range[0] + ".." + (range[1] - 1));
            }
        }
        return differences;
    }

    static List<byte[]> stringArray(long address, int count) {
        List<byte[]> strings = new ArrayList<>(Math.max(count, 0));
        if (count <= 0) {
            return strings;
        }
        ByteBuffer array = ByteBuffer.wrap(StandIn.peek(address, 8 * count)).order(ByteOrder.LITTLE_ENDIAN);
        for (int i = 0; i < count; i++) {
            strings.add(StandIn.cString(array.getLong(8 * i)));
        }
        return strings;
    }

    /** The JVM's modified UTF-8 for a string: what GetStringUTFChars yields. */
    static byte[] modifiedUtf8(String text) {
        ByteArrayOutputStream buffer = new ByteArrayOutputStream();
        try (DataOutputStream out = new DataOutputStream(buffer)) {
            out.writeUTF(text);
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        }
        byte[] withLength = buffer.toByteArray();
        return Arrays.copyOfRange(withLength, 2, withLength.length);
    }
}
