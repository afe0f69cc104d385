package com.olvan.dravix;

import static com.olvan.dravix.ServiceLifecycleTest.assertThrowsExactly;
import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.olvan.dravix.infrastructure.DravixException;
import com.olvan.dravix.infrastructure.OutOfResourcesException;
import com.olvan.dravix.testing.StandIn;
import java.io.ByteArrayOutputStream;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.Collections;
import java.util.Enumeration;
import java.util.List;
import java.util.Map;
import java.util.Properties;
import java.util.function.Supplier;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.api.function.Executable;

/**
 * Input no caller should send, and input at sizes no caller usually sends:
 * each must end in a documented outcome, never a crash, and leave nothing
 * alive (the ledger checks after every test).
 */
@ExtendWith(LedgerExtension.class)
class HostileInputTest {
    // Offsets in the native property record and its user environment list.
    private static final int CFG_FILE = 0;
    private static final int CFG_STRINGS = 8;
    private static final int CFG_STRINGS_COUNT = 16;
    private static final int SERVICE_NAME = 24;
    private static final int APPLICATION_NAME = 32;
    private static final int PLUGIN_SEARCH_PATH = 56;
    private static final int USER_ENVIRONMENT = 240;
    private static final int RECORD_SIZE = 256;

    private static final String NULL_SERVICE = "null Dravix native reference";
    private static final String NULL_RECORD = "null Dravixproperty native reference";

    /** A native record converted from settings, read through the stand-in and always deleted. */
    private static final class Record implements AutoCloseable {
        final long handle;
        final ByteBuffer bytes;

        Record(DravixProperty settings) {
            handle = DravixProperty.DravixProperty_new();
            try {
                settings.DravixProperty_to_native(handle);
            } catch (RuntimeException | Error e) {
                DravixProperty.DravixProperty_delete(handle);
                throw e;
            }
            bytes = ByteBuffer.wrap(StandIn.peek(handle, RECORD_SIZE)).order(ByteOrder.LITTLE_ENDIAN);
        }

        byte[] string(int offset) {
            return StandIn.cString(bytes.getLong(offset));
        }

        int cfgStringsCount() {
            return bytes.getInt(CFG_STRINGS_COUNT);
        }

        /** Entry i of cfg_strings, or null for a null entry. */
        byte[] cfgString(int i) {
            return StandIn.cString(pointerAt(bytes.getLong(CFG_STRINGS), i));
        }

        int environmentCount() {
            return bytes.getInt(USER_ENVIRONMENT + 8);
        }

        /** Name (0) or value (1) of user environment entry i. */
        byte[] environment(int i, int part) {
            return StandIn.cString(pointerAt(bytes.getLong(USER_ENVIRONMENT), 2 * i + part));
        }

        private static long pointerAt(long array, int index) {
            return ByteBuffer.wrap(StandIn.peek(array + 8L * index, 8)).order(ByteOrder.LITTLE_ENDIAN).getLong();
        }

        @Override
        public void close() {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    /** The JVM's modified UTF-8: NUL as C0 80, every UTF-16 unit (surrogates too) on its own. */
    static byte[] modifiedUtf8(String s) {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        for (char c : s.toCharArray()) {
            if (c != 0 && c < 0x80) {
                out.write(c);
            } else if (c < 0x800) {
                out.write(0xC0 | c >> 6);
                out.write(0x80 | c & 0x3F);
            } else {
                out.write(0xE0 | c >> 12);
                out.write(0x80 | c >> 6 & 0x3F);
                out.write(0x80 | c & 0x3F);
            }
        }
        return out.toByteArray();
    }

    private static byte[] ascii(String s) {
        return s.getBytes(StandardCharsets.US_ASCII);
    }

    private static void assertNoLibraryCalls() {
        for (String function : new String[] {"OLVAN_Dravix_new", "OLVAN_Dravix_delete", "OLVAN_Dravix_start",
                "OLVAN_Dravix_stop", "OLVAN_Dravix_create_entity", "OLVAN_Dravix_delete_entity",
                "OLVAN_Dravix_get_configuration", "OLVAN_DravixProperties_add", "OLVAN_DravixProperties_finalize"}) {
            assertEquals(0, StandIn.calls(function), function);
        }
        assertEquals(0, StandIn.dupCalls(), "no string may be copied for a call that is refused");
    }

    @Test
    void zeroHandleToEveryExport() {
        DravixProperty settings = new DravixProperty().setServiceName("never read");
        Map<String, Executable> refused = Map.of(
                "DravixProperty_delete", () -> DravixProperty.DravixProperty_delete(0),
                "DravixProperty_to_native", () -> settings.DravixProperty_to_native(0),
                "DravixProperty_check_native", () -> DravixProperty.DravixProperty_check_native(0, 0));
        refused.forEach((name, call) -> assertThrowsExactly(IllegalArgumentException.class, NULL_RECORD, call));
        Map<String, Executable> refusedService = Map.of(
                "Dravix_delete", () -> Dravix.Dravix_delete(0),
                "Dravix_start", () -> Dravix.Dravix_start(0),
                "Dravix_stop", () -> Dravix.Dravix_stop(0),
                "Dravix_create_entity", () -> Dravix.Dravix_create_entity(0, "name", "text"),
                "Dravix_create_entity (nulls)", () -> Dravix.Dravix_create_entity(0, null, null),
                "Dravix_delete_entity", () -> Dravix.Dravix_delete_entity(0, "name"),
                "Dravix_get_configuration", () -> Dravix.Dravix_get_configuration(0));
        refusedService.forEach((name, call) -> assertThrowsExactly(IllegalArgumentException.class, NULL_SERVICE, call));
        assertNoLibraryCalls();

        // The two exports without a handle that could be zero: DravixProperty_new
        // takes none, and Dravix_new passes a zero record on as a null record,
        // from which the stand-in makes a service with the default settings.
        long record = DravixProperty.DravixProperty_new();
        assertNotEquals(0, record);
        DravixProperty.DravixProperty_delete(record);
        long service = Dravix.Dravix_new(0);
        assertEquals(0, StandIn.serviceState(service));
        assertNull(StandIn.lastRecord());
        Dravix.Dravix_delete(service);
    }

    @Test
    void nullStringsArraysAndElements() throws Throwable {
        DravixProperty allNull = new DravixProperty().setCfgFile(null).setCfgStrings((String[]) null)
                .setServiceName(null).setApplicationName(null).setPluginSearchPath(null).setUserEnvironment(null);
        try (Record record = new Record(allNull)) {
            for (int offset : new int[] {CFG_FILE, CFG_STRINGS, SERVICE_NAME, APPLICATION_NAME, PLUGIN_SEARCH_PATH,
                    USER_ENVIRONMENT}) {
                assertEquals(0, record.bytes.getLong(offset), "offset " + offset);
            }
            assertEquals(0, record.cfgStringsCount());
            assertEquals(0, record.environmentCount());
        }

        // Null elements stay null entries, in place; the record is still deletable.
        try (Record record = new Record(new DravixProperty().setCfgStrings(null, "middle", null))) {
            assertEquals(3, record.cfgStringsCount());
            assertNull(record.cfgString(0));
            assertArrayEquals(ascii("middle"), record.cfgString(1));
            assertNull(record.cfgString(2));
        }

        // Null strings in entity calls are refused before anything is copied.
        try (Dravix service = new Dravix()) {
            StandIn.reset();
            assertThrowsExactly(NullPointerException.class, "name", () -> service.createEntity(null, "text"));
            assertThrowsExactly(NullPointerException.class, "configuration", () -> service.createEntity("e", null));
            assertThrowsExactly(NullPointerException.class, "name", () -> service.createEntity(null, null));
            assertThrowsExactly(NullPointerException.class, "name", () -> service.deleteEntity(null));
            assertNoLibraryCalls();
            service.createEntity("e", "still usable");
        }
    }

    @Test
    void unpairedSurrogatesAndNulInEveryStringField() {
        // Every string the JVM hands over is modified UTF-8: NUL arrives as
        // C0 80 and each surrogate, paired or not, as its own three bytes.
        String cfgFile = "cfg\u0000\uD800";
        String[] cfgStrings = {"\uDC00", "\u0000", "pair \uD83D\uDE00 then \uDFFF\uD800"};
        String serviceName = "s\uDBFF\u0000";
        String applicationName = "\u0000";
        String pluginSearchPath = "\uDFFF/path\u0000";
        String key = "k\u0000\uD800";
        String value = "v\uDC00\u0000";
        Properties environment = new Properties();
        environment.setProperty(key, value);
        DravixProperty settings = new DravixProperty().setCfgFile(cfgFile).setCfgStrings(cfgStrings)
                .setServiceName(serviceName).setApplicationName(applicationName)
                .setPluginSearchPath(pluginSearchPath).setUserEnvironment(environment);

        try (Record record = new Record(settings)) {
            assertArrayEquals(modifiedUtf8(cfgFile), record.string(CFG_FILE));
            assertArrayEquals(new byte[] {'c', 'f', 'g', (byte) 0xC0, (byte) 0x80, (byte) 0xED, (byte) 0xA0,
                    (byte) 0x80}, record.string(CFG_FILE), "the encoding itself, spelled out once");
            assertEquals(3, record.cfgStringsCount());
            for (int i = 0; i < cfgStrings.length; i++) {
                assertArrayEquals(modifiedUtf8(cfgStrings[i]), record.cfgString(i), "cfgStrings[" + i + "]");
            }
            assertArrayEquals(modifiedUtf8(serviceName), record.string(SERVICE_NAME));
            assertArrayEquals(modifiedUtf8(applicationName), record.string(APPLICATION_NAME));
            assertArrayEquals(modifiedUtf8(pluginSearchPath), record.string(PLUGIN_SEARCH_PATH));
            assertEquals(1, record.environmentCount());
            assertArrayEquals(modifiedUtf8(key), record.environment(0, 0));
            assertArrayEquals(modifiedUtf8(value), record.environment(0, 1));
        }

        String entityName = "e\u0000\uD800";
        String entityText = "t\uDC00\u0000";
        try (Dravix service = new Dravix(settings)) {
            service.createEntity(entityName, entityText);
            assertArrayEquals(modifiedUtf8(entityName), StandIn.lastEntityName().getBytes(StandardCharsets.ISO_8859_1));
            assertArrayEquals(modifiedUtf8(entityText), StandIn.lastEntityText().getBytes(StandardCharsets.ISO_8859_1));

            // The service renders what it was given; the text comes back to
            // Java as the very same UTF-16 units, unpaired surrogates and all.
            String configuration = service.getConfiguration();
            for (String expected : new String[] {"<cfg_file>" + cfgFile + "</cfg_file>",
                    "<cfg_string>" + cfgStrings[0] + "</cfg_string>", "<cfg_string>" + cfgStrings[1] + "</cfg_string>",
                    "<cfg_string>" + cfgStrings[2] + "</cfg_string>", "<service_name>" + serviceName + "</service_name>",
                    "<application_name>" + applicationName + "</application_name>",
                    "<plugin_search_path>" + pluginSearchPath + "</plugin_search_path>", "<name>" + key + "</name>",
                    "<value>" + value + "</value>", "<name>" + entityName + "</name>",
                    "<configuration>" + entityText + "</configuration>"}) {
                assertTrue(configuration.contains(expected), expected);
            }

            // The name matches byte for byte, so the entity can be deleted by it, once.
            service.deleteEntity(entityName);
            assertThrowsExactly(DravixException.class, "OLVAN_Dravix_delete_entity error",
                    () -> service.deleteEntity(entityName));

            // After the prefix, a NUL and a surrogate stay in the file name as
            // modified UTF-8; no such file exists, so the library refuses.
            String path = "/no\u0000such\uD800file";
            assertThrowsExactly(DravixException.class, "OLVAN_Dravix_create_entity error",
                    () -> service.createEntity("f", "file://" + path));
            assertArrayEquals(modifiedUtf8(path), StandIn.lastEntityFileName().getBytes(StandardCharsets.ISO_8859_1));
            assertNull(StandIn.lastEntityText());
        }
    }

    @Test
    void configurationOf64MiBRoundTripsExactly() {
        // Latin-1 keeps the Java copies at one byte per char; NUL and é take two
        // bytes each on the native side, so the native text is larger still.
        byte[] latin1 = new byte[64 << 20];
        for (int i = 0; i < latin1.length; i++) {
            latin1[i] = (byte) (i % 4096 == 0 ? 0 : i % 4096 == 1 ? 0xE9 : 'a' + i % 26);
        }
        String big = new String(latin1, StandardCharsets.ISO_8859_1);
        latin1 = null;
        try (Dravix service = new Dravix()) {
            service.createEntity("big", big);
            String configuration = service.getConfiguration();
            String open = "<configuration>";
            int start = configuration.indexOf(open) + open.length();
            assertTrue(start >= open.length());
            assertTrue(configuration.regionMatches(start, big, 0, big.length()), "the text changed on its way");
            assertTrue(configuration.startsWith("</configuration>", start + big.length()), "the text grew");
            assertEquals(configuration.lastIndexOf(open) + open.length(), start, "one entity only");
        }
    }

    @Test
    void hundredThousandUserEnvironmentEntries() {
        final int n = 100_000;
        Properties environment = new Properties();
        for (int i = 0; i < n; i++) {
            environment.setProperty("KEY_" + i, "value " + i);
        }
        List<String> order = new ArrayList<>();
        for (Enumeration<?> names = environment.propertyNames(); names.hasMoreElements();) {
            order.add((String) names.nextElement());
        }
        DravixProperty settings = new DravixProperty().setUserEnvironment(environment);
        try (Record record = new Record(settings)) {
            assertEquals(n, record.environmentCount());
            for (int i = 0; i < n; i++) {
                String name = order.get(i);
                assertArrayEquals(ascii(name), record.environment(i, 0), "entry " + i);
                assertArrayEquals(ascii(environment.getProperty(name)), record.environment(i, 1), "entry " + i);
            }
        }
        try (Dravix service = new Dravix(settings)) {
            assertTrue(service.getConfiguration().contains("<user_environment count=\"" + n + "\">"));
        }
    }

    @Test
    void hundredThousandCfgStrings() {
        final int n = 100_000;
        String[] strings = new String[n];
        for (int i = 0; i < n; i++) {
            strings[i] = i % 1000 == 999 ? null : "cfg string " + i;
        }
        DravixProperty settings = new DravixProperty().setCfgStrings(strings);
        try (Record record = new Record(settings)) {
            assertEquals(n, record.cfgStringsCount());
            for (int i = 0; i < n; i++) {
                byte[] expected = strings[i] == null ? null : ascii(strings[i]);
                assertArrayEquals(expected, record.cfgString(i), "entry " + i);
            }
        }
        try (Dravix service = new Dravix(settings)) {
            String configuration = service.getConfiguration();
            assertTrue(configuration.contains("<cfg_strings count=\"" + n + "\">"));
            assertTrue(configuration.contains("<cfg_string>cfg string " + (n - 2) + "</cfg_string>"));
        }
    }

    @Test
    void oneMiBEntityName() {
        String name = "n".repeat((1 << 20) - 1) + "\u00FF";
        try (Dravix service = new Dravix()) {
            service.createEntity(name, "<big name/>");
            assertEquals((1 << 20) + 1, StandIn.lastEntityName().length(), "ÿ is two bytes in modified UTF-8");
            assertThrowsExactly(DravixException.class, "OLVAN_Dravix_create_entity error",
                    () -> service.createEntity(name, "<again/>"));
            assertTrue(service.getConfiguration().contains("<name>" + name + "</name>"));
            service.deleteEntity(name);
            assertFalse(service.getConfiguration().contains(name));
        }
    }

    // ---- Properties that misbehave ----

    /** Throws the given throwable from the named method; behaves otherwise. */
    private static final class Throwing extends Properties {
        private static final long serialVersionUID = 1L;
        private final String method;
        private final transient Supplier<Throwable> thrown;

        Throwing(String method, Supplier<Throwable> thrown) {
            this.method = method;
            this.thrown = thrown;
            setProperty("A", "1");
            setProperty("B", "2");
        }

        private void maybeThrow(String name) {
            if (name.equals(method)) {
                Throwable t = thrown.get();
                if (t instanceof Error) {
                    throw (Error) t;
                }
                throw (RuntimeException) t;
            }
        }

        @Override
        public synchronized int size() {
            maybeThrow("size");
            return super.size();
        }

        @Override
        public String getProperty(String key) {
            maybeThrow("getProperty");
            return super.getProperty(key);
        }

        @Override
        public Enumeration<?> propertyNames() {
            maybeThrow("propertyNames");
            Enumeration<?> names = super.propertyNames();
            return new Enumeration<Object>() {
                @Override
                public boolean hasMoreElements() {
                    maybeThrow("hasMoreElements");
                    return names.hasMoreElements();
                }

                @Override
                public Object nextElement() {
                    maybeThrow("nextElement");
                    return names.nextElement();
                }
            };
        }
    }

    @Test
    void propertiesThatThrowRuntimeExceptionsOrErrors() {
        Object[][] cases = {
            {"size", (Supplier<Throwable>) () -> new IllegalStateException("hostile size"),
                "error getting element count"},
            {"size", (Supplier<Throwable>) () -> new StackOverflowError("hostile size"), "error getting element count"},
            {"propertyNames", (Supplier<Throwable>) () -> new OutOfMemoryError("hostile names"),
                "error getting enumeration of keys"},
            {"hasMoreElements", (Supplier<Throwable>) () -> new RuntimeException("hostile more"),
                "has more elements"},
            {"nextElement", (Supplier<Throwable>) () -> new AssertionError("hostile next"), "next element"},
            {"getProperty", (Supplier<Throwable>) () -> new ClassCastException("hostile value"), "get value"},
            {"getProperty", (Supplier<Throwable>) () -> new LinkageError("hostile value"), "get value"},
        };
        for (Object[] c : cases) {
            @SuppressWarnings("unchecked")
            Supplier<Throwable> thrown = (Supplier<Throwable>) c[1];
            DravixProperty settings = new DravixProperty().setServiceName("hostile")
                    .setUserEnvironment(new Throwing((String) c[0], thrown));
            StandIn.reset();
            // Java's own exception is printed and replaced: whatever it was,
            // the caller sees OutOfResourcesException naming the step.
            Throwable cause = assertThrowsExactly(OutOfResourcesException.class, (String) c[2],
                    () -> new Dravix(settings)).getCause();
            assertEquals(thrown.get().getClass(), cause.getClass(), c[0] + ": the cause is what the method threw");
            assertEquals(0, StandIn.calls("OLVAN_Dravix_new"), c[0] + ": no service from a failed conversion");
            assertEquals(0, StandIn.liveStrings(), c[0] + ": the record must be gone with its strings");
            // The settings object stays usable once its environment behaves.
            settings.setUserEnvironment(new Properties());
            try (Dravix service = new Dravix(settings)) {
                service.start();
            }
        }
    }

    @Test
    void propertiesThatReturnNulls() {
        // propertyNames() null: the conversion ends there, adding nothing.
        Properties noNames = new Properties() {
            private static final long serialVersionUID = 1L;

            @Override
            public Enumeration<?> propertyNames() {
                return null;
            }
        };
        noNames.setProperty("unseen", "x");
        try (Record record = new Record(new DravixProperty().setUserEnvironment(noNames))) {
            assertEquals(0, record.environmentCount());
        }

        // Null keys are skipped; a null value is added with a null value pointer.
        Properties nulls = new Properties() {
            private static final long serialVersionUID = 1L;

            @Override
            public Enumeration<?> propertyNames() {
                return Collections.enumeration(java.util.Arrays.asList(null, "noValue", null, "real"));
            }

            @Override
            public String getProperty(String key) {
                return key.equals("real") ? "value" : null;
            }
        };
        nulls.setProperty("size must not be zero", "");
        try (Record record = new Record(new DravixProperty().setUserEnvironment(nulls))) {
            assertEquals(2, record.environmentCount());
            assertArrayEquals(ascii("noValue"), record.environment(0, 0));
            assertNull(record.environment(0, 1));
            assertArrayEquals(ascii("real"), record.environment(1, 0));
            assertArrayEquals(ascii("value"), record.environment(1, 1));
        }
        try (Dravix service = new Dravix(new DravixProperty().setUserEnvironment(nulls))) {
            assertTrue(service.getConfiguration().contains("<name>noValue</name>\n        <value null=\"true\"/>"));
        }
    }

    @Test
    void propertiesWithKeysThatAreNotStrings() {
        // A plain Properties holding a non-String key: its own propertyNames()
        // throws ClassCastException, which the native conversion reports as
        // such; the API passes the String entries and leaves the other out.
        Properties mixed = new Properties();
        mixed.put(42, "answer");
        mixed.setProperty("text", "kept");
        OutOfResourcesException thrown = assertThrowsExactly(OutOfResourcesException.class,
                "error getting enumeration of keys", () -> new Record(new DravixProperty().setUserEnvironment(mixed)));
        assertEquals(ClassCastException.class, thrown.getCause().getClass());
        try (Dravix service = new Dravix(new DravixProperty().setUserEnvironment(mixed))) {
            assertTrue(service.getConfiguration().contains("<user_environment count=\"1\">"));
        }

        // A subclass that yields non-String keys itself: those keys are
        // skipped (reading one as a string would bring the JVM down), the
        // String keys around them are kept, in order.
        Properties odd = new Properties() {
            private static final long serialVersionUID = 1L;

            @Override
            public Enumeration<?> propertyNames() {
                return Collections.enumeration(List.of(7, "first", new Object(), new StringBuilder("sb"), "second",
                        new char[] {'x'}));
            }
        };
        odd.setProperty("first", "1");
        odd.setProperty("second", "2");
        try (Record record = new Record(new DravixProperty().setUserEnvironment(odd))) {
            assertEquals(2, record.environmentCount());
            assertArrayEquals(ascii("first"), record.environment(0, 0));
            assertArrayEquals(ascii("1"), record.environment(0, 1));
            assertArrayEquals(ascii("second"), record.environment(1, 0));
            assertArrayEquals(ascii("2"), record.environment(1, 1));
        }
    }
}
