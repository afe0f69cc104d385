package com.olvan.dravix;

import static com.olvan.dravix.ServiceLifecycleTest.assertThrowsExactly;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.olvan.dravix.infrastructure.DravixException;
import com.olvan.dravix.infrastructure.OutOfResourcesException;
import com.olvan.dravix.testing.StandIn;
import com.olvan.dravix.testing.StringTiers;
import java.io.ByteArrayOutputStream;
import java.io.DataOutputStream;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Random;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.api.function.Executable;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

/**
 * Creating and deleting entities: how the configuration argument is split into
 * file name or text, what reaches the service library, and that every copy
 * made for a call is released however the call ends.
 */
@ExtendWith(LedgerExtension.class)
class EntitiesTest {
    private static final String CREATE = "OLVAN_Dravix_create_entity";
    private static final String DELETE = "OLVAN_Dravix_delete_entity";
    private static final String GET = "OLVAN_Dravix_get_configuration";
    private static final String NO_MEMORY = "insufficient memory for native allocation";

    @TempDir
    Path directory;

    /** A started service driven through the natives directly. */
    private long service;

    @BeforeEach
    void createService() {
        service = Dravix.Dravix_new(0);
        Dravix.Dravix_start(service);
        StandIn.reset();
    }

    @AfterEach
    void deleteService() {
        Dravix.Dravix_delete(service);
    }

    private static void assertNothingLeft() {
        assertEquals(0, StandIn.liveStrings(), "middleware strings still alive");
        assertEquals(0, StandIn.badFrees(), "a string was freed twice or not from its start");
        assertEquals(0, StandIn.liveTexts(), "configuration text not freed");
    }

    private Path file(String name, String content) throws IOException {
        return Files.write(directory.resolve(name), content.getBytes(StandardCharsets.UTF_8));
    }

    // ---- what reaches the library ----

    @Test
    void filePrefixAndAbsolutePathPassThePathAsFileName() throws IOException {
        Path entityFile = file("entity.xml", "<from_file/>");
        Dravix.Dravix_create_entity(service, "e", "file://" + entityFile);
        assertEquals("e", StandIn.lastEntityName());
        assertEquals(entityFile.toString(), StandIn.lastEntityFileName());
        assertTrue(StandIn.lastEntityFileName().startsWith("/"));
        assertNull(StandIn.lastEntityText());
        assertTrue(Dravix.Dravix_get_configuration(service).contains("<configuration><from_file/></configuration>"));
        Dravix.Dravix_delete_entity(service, "e");
        assertNothingLeft();
    }

    @Test
    void prefixAlonePassesAnEmptyFileName() {
        // The stand-in cannot open "", so the library refuses; the split is what matters.
        assertThrowsExactly(DravixException.class, "OLVAN_Dravix_create_entity error",
                () -> Dravix.Dravix_create_entity(service, "e", "file://"));
        assertEquals("", StandIn.lastEntityFileName());
        assertNull(StandIn.lastEntityText());
        assertNothingLeft();
    }

    @ParameterizedTest
    @ValueSource(strings = {"FILE:///etc/hosts", "File:///etc/hosts", " file:///etc/hosts", "file:/etc/hosts",
            "file:", "file:/", "<x/>", "x", "file//", "\tfile:///etc/hosts"})
    void anythingElseGoesAsText(String configuration) {
        Dravix.Dravix_create_entity(service, "e", configuration);
        assertNull(StandIn.lastEntityFileName());
        assertEquals(configuration, StandIn.lastEntityText());
        Dravix.Dravix_delete_entity(service, "e");
        assertNothingLeft();
    }

    @Test
    void emptyConfigurationGoesAsEmptyText() {
        assertThrowsExactly(DravixException.class, "OLVAN_Dravix_create_entity error",
                () -> Dravix.Dravix_create_entity(service, "e", ""));
        assertNull(StandIn.lastEntityFileName());
        assertEquals("", StandIn.lastEntityText());
        assertNothingLeft();
    }

    @Test
    void eachCallCopiesEveryStringOnceAndFreesEachCopy() throws IOException {
        Path entityFile = file("entity.xml", "<f/>");
        for (String configuration : new String[] {"<t/>", "file://" + entityFile}) {
            long dups = StandIn.dupCalls();
            long frees = StandIn.freeCalls();
            Dravix.Dravix_create_entity(service, "e", configuration);
            assertEquals(2, StandIn.dupCalls() - dups, "name and configuration, no copy of the file name");
            assertEquals(2, StandIn.freeCalls() - frees);
            dups = StandIn.dupCalls();
            frees = StandIn.freeCalls();
            Dravix.Dravix_delete_entity(service, "e");
            assertEquals(1, StandIn.dupCalls() - dups);
            assertEquals(1, StandIn.freeCalls() - frees);
        }
        assertEquals(2, StandIn.calls(CREATE));
        assertEquals(2, StandIn.calls(DELETE));
        assertNothingLeft();
    }

    @Test
    void nonAsciiNamesAndTextReachTheLibraryAsModifiedUtf8() {
        Dravix.Dravix_create_entity(service, "n\u00e9\0", "\uD83D\uDE00");
        // One char per byte: é is C3 A9, NUL is C0 80, the emoji two three-byte surrogates.
        assertEquals("n\u00c3\u00a9\u00c0\u0080", StandIn.lastEntityName());
        assertEquals("\u00ed\u00a0\u00bd\u00ed\u00b8\u0080", StandIn.lastEntityText());
        Dravix.Dravix_delete_entity(service, "n\u00e9\0");
        assertNothingLeft();
    }

    /**
     * The string's modified UTF-8 as Java's own DataOutput writes it, one char
     * per byte. The form encodes each UTF-16 unit alone, so slices of a string
     * too long for one writeUTF encode it piece by piece.
     */
    private static String modifiedUtf8(String s) throws IOException {
        StringBuilder text = new StringBuilder();
        for (int start = 0; start < s.length(); start += 16_384) {
            ByteArrayOutputStream bytes = new ByteArrayOutputStream();
            new DataOutputStream(bytes).writeUTF(s.substring(start, Math.min(s.length(), start + 16_384)));
            byte[] all = bytes.toByteArray();
            text.append(new String(all, 2, all.length - 2, StandardCharsets.ISO_8859_1));  // after the length
        }
        return text.toString();
    }

    @Test
    void longStringsReachTheLibraryAsModifiedUtf8() throws IOException {
        // From 2,048 chars on the bridge takes the bytes Java gives for the
        // string, and uses them only where they are the modified form.
        String[] oddities = {
            "", "\0", "?", "\uD800", "\uDC00?", "?\uDBFF", "\uD83D\uDE00", "\u00e9", "\u65e5\u672c",
            "?".repeat(70) + "\uD800", "?".repeat(70), "\uD800" + "?".repeat(70),
        };
        int piece = StringTiers.CRITICAL_REGION_BYTES;  // the bytes are checked a piece at a time
        int from = StringTiers.GET_BYTES_FROM_CHARS;
        for (int length : new int[] {from - 1, from, from + 1, 5000, piece + 100}) {
            for (String odd : oddities) {
                for (int at : new int[] {0, length / 2, length - odd.length(), piece - 1, piece}) {
                    if (at + odd.length() > length) {
                        continue;
                    }
                    String text = "y".repeat(at) + odd + "z".repeat(Math.max(0, length - at - odd.length()));
                    Dravix.Dravix_create_entity(service, "e", text);
                    assertEquals(modifiedUtf8(text), StandIn.lastEntityText(),
                            () -> "length " + text.length() + ", " + odd.length() + " odd chars at " + at);
                    Dravix.Dravix_delete_entity(service, "e");
                }
            }
        }
        assertNothingLeft();
    }

    @Test
    void randomLongStringsReachTheLibraryAsModifiedUtf8() throws IOException {
        // Against Java's own conversion: strings of every kind of char the two
        // encodings treat differently, mostly ASCII as configurations are.
        char[] kinds = {'a', '?', '\0', '\u00e9', '\u07ff', '\u0800', '\uffff', '\uD800', '\uDC00'};
        Random random = new Random(20261208);
        for (int round = 0; round < 300; round++) {
            char[] chars = new char[2040 + random.nextInt(200)];
            int odd = random.nextInt(4);
            for (int i = 0; i < chars.length; i++) {
                chars[i] = random.nextInt(100) < odd ? kinds[random.nextInt(kinds.length)] : (char) (' ' + random.nextInt(95));
            }
            String text = new String(chars);
            Dravix.Dravix_create_entity(service, "e", text);
            assertEquals(modifiedUtf8(text), StandIn.lastEntityText(), "round " + round);
            Dravix.Dravix_delete_entity(service, "e");
        }
        assertNothingLeft();
    }

    // ---- refusals and failed copies ----

    @ParameterizedTest
    @ValueSource(ints = {0, 2, 255})
    void refusedCreationReleasesBothCopies(int result) throws IOException {
        Path entityFile = file("entity.xml", "<f/>");
        StandIn.forceResult(CREATE, result);
        // The file form too: its copy must be freed from its start, not from the path.
        for (String configuration : new String[] {"<t/>", "file://" + entityFile}) {
            long frees = StandIn.freeCalls();
            assertThrowsExactly(DravixException.class, "OLVAN_Dravix_create_entity error",
                    () -> Dravix.Dravix_create_entity(service, "e", configuration));
            assertEquals(2, StandIn.freeCalls() - frees);
            assertNothingLeft();
        }
        StandIn.forceResult(CREATE, -1);
        Dravix.Dravix_create_entity(service, "e", "<t/>");
        Dravix.Dravix_delete_entity(service, "e");
    }

    @Test
    void libraryFailuresReleaseBothCopies() {
        String error = "OLVAN_Dravix_create_entity error";
        assertThrowsExactly(DravixException.class, error,
                () -> Dravix.Dravix_create_entity(service, "e", "file://" + directory.resolve("missing.xml")));
        assertThrowsExactly(DravixException.class, error,
                () -> Dravix.Dravix_create_entity(service, "e", "file://" + directory));
        assertThrowsExactly(DravixException.class, error, () -> Dravix.Dravix_create_entity(service, "", "<t/>"));
        Dravix.Dravix_create_entity(service, "e", "<first/>");
        assertThrowsExactly(DravixException.class, error, () -> Dravix.Dravix_create_entity(service, "e", "<again/>"));
        assertEquals(5, StandIn.calls(CREATE));
        String configuration = Dravix.Dravix_get_configuration(service);
        assertTrue(configuration.contains("<first/>"), configuration);
        assertFalse(configuration.contains("<again/>"), configuration);
        Dravix.Dravix_delete_entity(service, "e");
        assertNothingLeft();
    }

    @Test
    void failedNameCopyCallsNothingAndCopiesNothingMore() {
        StandIn.failDupAt(1);
        assertThrowsExactly(OutOfResourcesException.class, NO_MEMORY,
                () -> Dravix.Dravix_create_entity(service, "e", "<t/>"));
        assertEquals(1, StandIn.dupCalls(), "the configuration must not be copied after the name failed");
        assertEquals(0, StandIn.calls(CREATE));
        assertNothingLeft();

        StandIn.reset();
        StandIn.failDupAt(1);
        assertThrowsExactly(OutOfResourcesException.class, NO_MEMORY,
                () -> Dravix.Dravix_delete_entity(service, "e"));
        assertEquals(0, StandIn.calls(DELETE));
        assertNothingLeft();
    }

    @Test
    void failedConfigurationCopyReleasesTheName() {
        StandIn.failDupAt(2);
        assertThrowsExactly(OutOfResourcesException.class, NO_MEMORY,
                () -> Dravix.Dravix_create_entity(service, "e", "file:///etc/hosts"));
        assertEquals(2, StandIn.dupCalls());
        assertEquals(1, StandIn.freeCalls(), "the name copy");
        assertEquals(0, StandIn.calls(CREATE));
        assertNothingLeft();
    }

    @ParameterizedTest
    @ValueSource(ints = {0, 2, 255})
    void refusedDeletionReleasesTheName(int result) {
        Dravix.Dravix_create_entity(service, "e", "<t/>");
        StandIn.forceResult(DELETE, result);
        assertThrowsExactly(DravixException.class, "OLVAN_Dravix_delete_entity error",
                () -> Dravix.Dravix_delete_entity(service, "e"));
        assertNothingLeft();
        StandIn.forceResult(DELETE, -1);
        Dravix.Dravix_delete_entity(service, "e");
        assertThrowsExactly(DravixException.class, "OLVAN_Dravix_delete_entity error",
                () -> Dravix.Dravix_delete_entity(service, "e"));
        assertNothingLeft();
    }

    @Test
    void missingConfigurationTextRaises() {
        StandIn.failGetConfiguration(true);
        assertThrowsExactly(DravixException.class, "OLVAN_Dravix_get_configuration error",
                () -> Dravix.Dravix_get_configuration(service));
        assertEquals(1, StandIn.calls(GET));
        assertEquals(0, StandIn.calls("OLVAN_Dravix_free_string"));
        StandIn.failGetConfiguration(false);
        Dravix.Dravix_get_configuration(service);
        assertEquals(1, StandIn.calls("OLVAN_Dravix_free_string"));
        assertNothingLeft();
    }

    // ---- arguments the library must never see ----

    @Test
    void zeroHandleIsCheckedBeforeAnythingElse() {
        String message = "null Dravix native reference";
        for (Executable call : new Executable[] {
                () -> Dravix.Dravix_create_entity(0, "e", "<t/>"),
                () -> Dravix.Dravix_create_entity(0, null, null),
                () -> Dravix.Dravix_delete_entity(0, "e"),
                () -> Dravix.Dravix_delete_entity(0, null),
                () -> Dravix.Dravix_get_configuration(0)}) {
            assertThrowsExactly(IllegalArgumentException.class, message, call);
        }
        for (String function : new String[] {CREATE, DELETE, GET}) {
            assertEquals(0, StandIn.calls(function), function);
        }
        assertEquals(0, StandIn.dupCalls());
    }

    @Test
    void nullStringsRaiseNullPointerExceptionNamingTheArgument() {
        assertThrowsExactly(NullPointerException.class, "name",
                () -> Dravix.Dravix_create_entity(service, null, "<t/>"));
        assertThrowsExactly(NullPointerException.class, "configuration",
                () -> Dravix.Dravix_create_entity(service, "e", null));
        assertThrowsExactly(NullPointerException.class, "name",
                () -> Dravix.Dravix_create_entity(service, null, null));
        assertThrowsExactly(NullPointerException.class, "name",
                () -> Dravix.Dravix_delete_entity(service, null));
        assertEquals(0, StandIn.calls(CREATE));
        assertEquals(0, StandIn.calls(DELETE));
        assertEquals(0, StandIn.dupCalls(), "nothing copied before the check");
        assertNothingLeft();
    }

    // ---- through the public API ----

    @Test
    void entitiesComeAndGoThroughTheApi() throws IOException {
        Path entityFile = file("audit.cfg", "<audit level=\"all\"/>");
        try (Dravix dravix = new Dravix(new DravixProperty())) {
            dravix.start();
            dravix.createEntity("route", "<route from=\"in\" to=\"out\"/>");
            dravix.createEntity("audit", "file://" + entityFile);
            String both = dravix.getConfiguration();
            assertTrue(both.contains("<name>route</name>\n      <configuration><route from=\"in\" to=\"out\"/>"
                    + "</configuration>"), both);
            assertTrue(both.contains("<file_name>" + entityFile + "</file_name>"), both);
            assertTrue(both.contains("<configuration><audit level=\"all\"/></configuration>"), both);

            dravix.deleteEntity("route");
            String one = dravix.getConfiguration();
            assertFalse(one.contains("<name>route</name>"), one);
            assertTrue(one.contains("<name>audit</name>"), one);
            assertThrowsExactly(DravixException.class, "OLVAN_Dravix_delete_entity error",
                    () -> dravix.deleteEntity("route"));
            assertThrowsExactly(NullPointerException.class, "configuration",
                    () -> dravix.createEntity("x", null));
            assertThrowsExactly(NullPointerException.class, "name", () -> dravix.deleteEntity(null));
            dravix.stop();
        }
        assertEquals(2, StandIn.calls(GET));
        assertEquals(2, StandIn.calls("OLVAN_Dravix_free_string"));
    }
}
