package com.olvan.dravix;

import com.olvan.dravix.diagnostics.SelfCheckCases;
import com.olvan.dravix.testing.StandIn;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.Enumeration;
import java.util.List;
import java.util.Properties;

/**
 * Tools for tests of the self-check and of converted records; the cases'
 * settings themselves are the API's ({@link SelfCheckCases}).
 */
final class SelfCheckHarness {
    private SelfCheckHarness() {
    }

    /**
     * The level both verbosities take in cases 0 and 2 to 5. Case 0 keeps the
     * expected record's fixed initial level 3, which is also the Java default.
     */
    static int verbosityOf(int testCase) {
        switch (testCase) {
            case 1:
                throw new IllegalArgumentException("case 1 has two different verbosities");
            case 2:
                return DravixProperty.LOG_VERBOSITY_SILENT;
            case 3:
                return DravixProperty.LOG_VERBOSITY_EXCEPTIONS;
            case 4:
                return DravixProperty.LOG_VERBOSITY_WARNINGS;
            case 5:
                return DravixProperty.LOG_VERBOSITY_INFO;
            default:
                return 3;
        }
    }

    /** The keys in the order that {@code propertyNames()} yields them. */
    static List<String> enumerationOrder(Properties properties) {
        List<String> names = new ArrayList<>();
        for (Enumeration<?> e = properties.propertyNames(); e.hasMoreElements();) {
            names.add((String) e.nextElement());
        }
        return names;
    }

    /**
     * A {@code Properties} whose {@code propertyNames()} yields the keys in the
     * order they were first set, whatever their hash codes.
     */
    static final class InsertionOrderProperties extends Properties {
        private static final long serialVersionUID = 1L;
        private final ArrayList<String> order = new ArrayList<>();

        InsertionOrderProperties(String... namesAndValues) {
            for (int i = 0; i < namesAndValues.length; i += 2) {
                setProperty(namesAndValues[i], namesAndValues[i + 1]);
            }
        }

        @Override
        public synchronized Object setProperty(String key, String value) {
            if (!order.contains(key)) {
                order.add(key);
            }
            return super.setProperty(key, value);
        }

        @Override
        public Enumeration<?> propertyNames() {
            return Collections.enumeration(new ArrayList<>(order));
        }
    }

    /**
     * A {@code Properties} that answers null for one of its keys, as a subclass
     * may: a plain one cannot hold a null value.
     */
    static final class NullValueProperties extends Properties {
        private static final long serialVersionUID = 1L;
        private final String nullKey;

        NullValueProperties(String nullKey, String... namesAndValues) {
            this.nullKey = nullKey;
            for (int i = 0; i < namesAndValues.length; i += 2) {
                setProperty(namesAndValues[i], namesAndValues[i + 1]);
            }
        }

        @Override
        public String getProperty(String key) {
            return nullKey.equals(key) ? null : super.getProperty(key);
        }
    }

    /**
     * Everything reachable from a record that the self-check could touch: the
     * 256 bytes, the configuration-string array and its texts, the user
     * environment's entry array and its names and values.
     */
    static List<byte[]> snapshot(long handle) {
        List<byte[]> parts = new ArrayList<>();
        byte[] record = StandIn.peek(handle, 256);
        parts.add(record);
        ByteBuffer bytes = ByteBuffer.wrap(record).order(ByteOrder.LITTLE_ENDIAN);
        addArray(parts, bytes.getLong(8), bytes.getInt(16), 1);
        addArray(parts, bytes.getLong(240), bytes.getInt(248), 2);
        return parts;
    }

    private static void addArray(List<byte[]> parts, long array, int count, int pointersPerEntry) {
        if (array == 0 || count <= 0) {
            return;
        }
        byte[] pointers = StandIn.peek(array, count * pointersPerEntry * Long.BYTES);
        parts.add(pointers);
        ByteBuffer slots = ByteBuffer.wrap(pointers).order(ByteOrder.LITTLE_ENDIAN);
        for (int i = 0; i < count * pointersPerEntry; i++) {
            byte[] text = StandIn.cString(slots.getLong(i * Long.BYTES));
            parts.add(text == null ? new byte[0] : text);
        }
    }

    /** Whether two snapshots hold the same bytes, part by part. */
    static boolean sameSnapshot(List<byte[]> a, List<byte[]> b) {
        if (a.size() != b.size()) {
            return false;
        }
        for (int i = 0; i < a.size(); i++) {
            if (!Arrays.equals(a.get(i), b.get(i))) {
                return false;
            }
        }
        return true;
    }
}
