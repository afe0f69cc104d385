package com.olvan.dravix;

import static com.olvan.dravix.ServiceLifecycleTest.assertThrowsExactly;
import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;

import com.olvan.dravix.infrastructure.OutOfResourcesException;
import com.olvan.dravix.testing.StandIn;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.Enumeration;
import java.util.HashSet;
import java.util.List;
import java.util.Properties;
import java.util.Set;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.EnumSource;

/** The user environment: a java.util.Properties turned into the record's list. */
@ExtendWith(LedgerExtension.class)
class UserEnvironmentTest {
    private static final RecordBytes DEFAULTS = new RecordBytes(StandIn.defaultRecord());

    /** A record whose list already holds OLD=0, so that keeping and emptying it can be told apart. */
    private static long recordWithOldEntry() {
        return RecordFixtures.convert(new DravixProperty().setUserEnvironment(new OrderedProperties().with("OLD", "0")));
    }

    private static void convertInto(long handle, Properties environment) {
        new DravixProperty().setUserEnvironment(environment).DravixProperty_to_native(handle);
    }

    private static long finalizeCalls() {
        return StandIn.calls("OLVAN_DravixProperties_finalize");
    }

    @Test
    void entriesFollowTheEnumerationAndAreAppendedAfterExistingOnes() {
        long handle = recordWithOldEntry();
        try {
            convertInto(handle, new OrderedProperties().with("b", "2").with("a", "1").with("c", "3"));
            RecordBytes r = RecordBytes.of(handle);
            assertEquals(List.of("OLD=0", "b=2", "a=1", "c=3"), r.userEnvironmentText());
            assertEquals(List.of(), RecordBytes.libraryByteDifferences(DEFAULTS, r), "list byte 12 and the rest");
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void plainPropertiesArriveInTheirOwnEnumerationOrder() {
        Properties environment = new Properties();
        List<String> expected = new ArrayList<>();
        for (int i = 0; i < 20; i++) {
            environment.setProperty("key" + i, "value" + i);
        }
        for (Enumeration<?> names = environment.propertyNames(); names.hasMoreElements(); ) {
            String name = (String) names.nextElement();
            expected.add(name + "=" + environment.getProperty(name));
        }
        long handle = RecordFixtures.convert(new DravixProperty().setUserEnvironment(environment));
        try {
            assertEquals(expected, RecordBytes.of(handle).userEnvironmentText());
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void nullPropertiesEmptyTheList() {
        long handle = recordWithOldEntry();
        try {
            long before = finalizeCalls();
            convertInto(handle, null);
            RecordBytes r = RecordBytes.of(handle);
            assertEquals(0, r.userEnvironmentCount());
            assertEquals(0, r.userEnvironmentEntries());
            assertEquals(before + 1, finalizeCalls());
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void emptyPropertiesLeaveTheListWithoutAskingForKeys() {
        long handle = recordWithOldEntry();
        try {
            long before = finalizeCalls();
            convertInto(handle, new Properties());
            // Size 0 ends the conversion before propertyNames, which here would throw.
            convertInto(handle, new Properties() {
                private static final long serialVersionUID = 1L;

                @Override
                public Enumeration<?> propertyNames() {
                    throw new AssertionError("propertyNames of an empty object");
                }
            });
            assertEquals(List.of("OLD=0"), RecordBytes.of(handle).userEnvironmentText());
            assertEquals(before, finalizeCalls());
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void defaultsCountForNothingInTheSizeButArriveThroughTheEnumeration() {
        Properties defaults = new Properties();
        defaults.setProperty("FROM_DEFAULTS", "d");
        long handle = recordWithOldEntry();
        try {
            // size() counts own entries only: defaults alone look empty.
            convertInto(handle, new Properties(defaults));
            assertEquals(List.of("OLD=0"), RecordBytes.of(handle).userEnvironmentText());

            Properties own = new Properties(defaults);
            own.setProperty("OWN", "o");
            convertInto(handle, own);
            List<String> entries = RecordBytes.of(handle).userEnvironmentText();
            assertEquals(3, entries.size(), entries.toString());
            assertEquals(Set.of("OLD=0", "OWN=o", "FROM_DEFAULTS=d"), new HashSet<>(entries));
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void keyWithoutValueIsAddedWithANullValue() {
        long handle = RecordFixtures.convert(new DravixProperty().setUserEnvironment(
                new OrderedProperties().withKey("UNSET").with("SET", "x")));
        try {
            List<byte[][]> entries = RecordBytes.of(handle).userEnvironment();
            assertEquals(2, entries.size());
            assertArrayEquals("UNSET".getBytes(StandardCharsets.US_ASCII), entries.get(0)[0]);
            assertNull(entries.get(0)[1]);
            assertArrayEquals("x".getBytes(StandardCharsets.US_ASCII), entries.get(1)[1]);
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void nullKeysAndKeysThatAreNoStringsAreSkipped() {
        OrderedProperties environment = new OrderedProperties()
                .with("first", "1")
                .withKey(42)
                .withKey(null)
                .withKey(new Object())
                .withKey(new StringBuilder("looks like a string"))
                .with("last", "2");
        long handle = RecordFixtures.convert(new DravixProperty().setUserEnvironment(environment));
        try {
            assertEquals(List.of("first=1", "last=2"), RecordBytes.of(handle).userEnvironmentText());
            assertEquals(2, StandIn.calls("OLVAN_DravixProperties_add"));
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void namesAndValuesArriveAsModifiedUtf8() {
        String name = "ключ\u0000";
        String value = "\uD834\uDD1E é";
        long handle = RecordFixtures.convert(new DravixProperty().setUserEnvironment(
                new OrderedProperties().with(name, value)));
        try {
            List<byte[][]> entries = RecordBytes.of(handle).userEnvironment();
            assertEquals(1, entries.size());
            assertArrayEquals(RecordBytes.modifiedUtf8(name), entries.get(0)[0]);
            assertArrayEquals(RecordBytes.modifiedUtf8(value), entries.get(0)[1]);
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void tenThousandEntriesConvertWithinTheLocalReferenceBudget() {
        Properties environment = new Properties();
        Set<String> expected = new HashSet<>();
        for (int i = 0; i < 10_000; i++) {
            environment.setProperty("name" + i, "value" + i);
            expected.add("name" + i + "=value" + i);
        }
        long handle = RecordFixtures.convert(new DravixProperty().setUserEnvironment(environment));
        try {
            List<String> entries = RecordBytes.of(handle).userEnvironmentText();
            assertEquals(10_000, entries.size());
            assertEquals(expected, new HashSet<>(entries));
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    /** The Java call that throws, the message that replaces its exception, and what becomes of the list. */
    enum Failure {
        SIZE("error getting element count", true, 0),
        PROPERTY_NAMES("error getting enumeration of keys", false, 0),
        HAS_MORE_ELEMENTS("has more elements", false, 1),
        NEXT_ELEMENT("next element", false, 1),
        GET_VALUE("get value", false, 1);

        final String message;
        final boolean listKept;
        final int addsBeforeFailure;

        Failure(String message, boolean listKept, int addsBeforeFailure) {
            this.message = message;
            this.listKept = listKept;
            this.addsBeforeFailure = addsBeforeFailure;
        }
    }

    /** Two entries, "first" and "second"; the chosen call throws, where it can, on the second entry. */
    private static final class FailingProperties extends OrderedProperties {
        private static final long serialVersionUID = 1L;

        private final Failure failure;

        FailingProperties(Failure failure) {
            this.failure = failure;
            with("first", "1");
            with("second", "2");
        }

        private RuntimeException thrown() {
            return new IllegalStateException(failure + " fails on purpose (this trace is expected)");
        }

        @Override
        public synchronized int size() {
            if (failure == Failure.SIZE) {
                throw thrown();
            }
            return super.size();
        }

        @Override
        public String getProperty(String key) {
            if (failure == Failure.GET_VALUE && key.equals("second")) {
                throw thrown();
            }
            return super.getProperty(key);
        }

        @Override
        public Enumeration<?> propertyNames() {
            if (failure == Failure.PROPERTY_NAMES) {
                throw thrown();
            }
            Enumeration<?> names = super.propertyNames();
            return new Enumeration<Object>() {
                private int hasMoreCalls;
                private int nextCalls;

                @Override
                public boolean hasMoreElements() {
                    if (failure == Failure.HAS_MORE_ELEMENTS && ++hasMoreCalls == 2) {
                        throw thrown();
                    }
                    return names.hasMoreElements();
                }

                @Override
                public Object nextElement() {
                    if (failure == Failure.NEXT_ELEMENT && ++nextCalls == 2) {
                        throw thrown();
                    }
                    return names.nextElement();
                }
            };
        }
    }

    @ParameterizedTest
    @EnumSource(Failure.class)
    void throwingPropertiesGiveTheirStepsMessageAndListOutcome(Failure failure) {
        long handle = recordWithOldEntry();
        try {
            long finalizesBefore = finalizeCalls();
            long addsBefore = StandIn.calls("OLVAN_DravixProperties_add");
            DravixProperty settings = new DravixProperty()
                    .setServiceName("converted before the list")
                    .setUserEnvironment(new FailingProperties(failure));

            OutOfResourcesException thrown = assertThrowsExactly(OutOfResourcesException.class, failure.message,
                    () -> settings.DravixProperty_to_native(handle));
            // What the user's object threw stays reachable for a caller who catches.
            assertEquals(IllegalStateException.class, thrown.getCause().getClass());
            assertEquals(failure + " fails on purpose (this trace is expected)", thrown.getCause().getMessage());

            RecordBytes r = RecordBytes.of(handle);
            assertEquals(failure.addsBeforeFailure, StandIn.calls("OLVAN_DravixProperties_add") - addsBefore);
            if (failure.listKept) {
                assertEquals(List.of("OLD=0"), r.userEnvironmentText());
                assertEquals(finalizesBefore, finalizeCalls());
            } else {
                assertEquals(0, r.userEnvironmentCount());
                assertEquals(0, r.userEnvironmentEntries());
                assertEquals(finalizesBefore + 1, finalizeCalls());
            }
            assertArrayEquals("converted before the list".getBytes(StandardCharsets.US_ASCII),
                    r.string(RecordBytes.SERVICE_NAME));
            assertEquals(List.of(), RecordBytes.libraryByteDifferences(DEFAULTS, r));
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    @Test
    void propertyNamesReturningNullEndsTheConversionQuietly() {
        long handle = recordWithOldEntry();
        try {
            OrderedProperties environment = new OrderedProperties() {
                private static final long serialVersionUID = 1L;

                @Override
                public Enumeration<?> propertyNames() {
                    return null;
                }
            }.with("ignored", "x");
            convertInto(handle, environment);
            assertEquals(List.of("OLD=0"), RecordBytes.of(handle).userEnvironmentText());
        } finally {
            DravixProperty.DravixProperty_delete(handle);
        }
    }

    /** What the service receives from a user environment when the API converts it. */
    private static List<String> receivedThroughTheApi(Properties environment) {
        try (NativeRecord record = NativeRecord.convert(new DravixProperty().setUserEnvironment(environment))) {
            return RecordBytes.of(record.handle()).userEnvironmentText();
        }
    }

    @Test
    void theApiPassesWhatAJavaReaderOfPropertiesSees() {
        Properties defaults = new Properties();
        defaults.setProperty("FROM_DEFAULTS", "d");
        defaults.setProperty("SHADOWED", "default");
        // Defaults alone are entries too.
        assertEquals(Set.of("FROM_DEFAULTS=d", "SHADOWED=default"),
                new HashSet<>(receivedThroughTheApi(new Properties(defaults))));

        Properties mixed = new Properties(defaults);
        mixed.setProperty("SHADOWED", "own");
        mixed.setProperty("TEXT", "kept");
        mixed.put(8080, "port");             // not a String key: left out, nothing fails
        mixed.put("PORT", 8080);             // not a String value: left out, not passed as null
        mixed.put("MASKED", List.of("x"));   // a non-String value over no default
        assertEquals(Set.of("FROM_DEFAULTS=d", "SHADOWED=own", "TEXT=kept"),
                new HashSet<>(receivedThroughTheApi(mixed)));

        // Only non-String entries: nothing to pass, and nothing fails.
        Properties odd = new Properties();
        odd.put(1, 2);
        assertEquals(List.of(), receivedThroughTheApi(odd));
    }

    @Test
    void aSubclassThatNamesItsOwnKeysKeepsItsOrderThroughTheApi() {
        OrderedProperties environment = new OrderedProperties().with("z", "1").withKey(42).with("a", "2");
        assertEquals(List.of("z=1", "a=2"), receivedThroughTheApi(environment));
    }

    @Test
    void aFailingMethodThroughTheApiFailsItsOwnStepWithItsCause() {
        for (Failure failure : Failure.values()) {
            OutOfResourcesException thrown = assertThrowsExactly(OutOfResourcesException.class, failure.message,
                    () -> new Dravix(new DravixProperty().setUserEnvironment(new FailingProperties(failure))));
            assertEquals(IllegalStateException.class, thrown.getCause().getClass(), failure.name());
        }
        assertEquals(0, StandIn.calls("OLVAN_Dravix_new"));
    }
}
