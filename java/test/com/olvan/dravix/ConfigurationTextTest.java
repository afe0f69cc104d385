package com.olvan.dravix;

import static org.junit.jupiter.api.Assertions.assertDoesNotThrow;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.olvan.dravix.testing.StandIn;
import com.olvan.dravix.testing.StringTiers;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Random;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

/**
 * The configuration text read back from the service: Java text must come back
 * exactly as it went in, and text in standard UTF-8 (or broken) from a file
 * must come back decoded, every broken part as U+FFFD.
 */
@ExtendWith(LedgerExtension.class)
class ConfigurationTextTest {
    private static final String FREE = "OLVAN_Dravix_free_string";

    @TempDir
    Path directory;

    private long service;

    @BeforeEach
    void createService() {
        service = Dravix.Dravix_new(0);
        StandIn.reset();
    }

    @AfterEach
    void deleteService() {
        Dravix.Dravix_delete(service);
    }

    /** The configuration of entity {@code name} as it appears in the service's whole configuration. */
    private String entityConfiguration(String name) {
        long frees = StandIn.calls(FREE);
        String whole = Dravix.Dravix_get_configuration(service);
        assertEquals(frees + 1, StandIn.calls(FREE), "the text must go back to the library");
        assertEquals(0, StandIn.liveTexts());
        String entity = "<name>" + name + "</name>\n";
        int at = whole.indexOf(entity);
        assertTrue(at >= 0, () -> "no entity " + name + " in the configuration");
        String open = "<configuration>";
        int start = whole.indexOf(open, at) + open.length();
        int end = whole.indexOf("</configuration>\n    </entity>", start);
        assertTrue(start >= open.length() && end >= start, "configuration element not found");
        return whole.substring(start, end);
    }

    private void assertRoundTrip(String text) {
        Dravix.Dravix_create_entity(service, "e", text);
        assertSameText(text, entityConfiguration("e"));
        Dravix.Dravix_delete_entity(service, "e");
    }

    /** Names the first difference: a several-MiB assertEquals message helps no one. */
    private static void assertSameText(String want, String got) {
        if (!want.equals(got)) {
            int i = 0;
            while (i < want.length() && i < got.length() && want.charAt(i) == got.charAt(i)) {
                i++;
            }
            assertEquals(want.length(), got.length(), "lengths differ; first difference at " + i);
            assertEquals(want.charAt(i), got.charAt(i), "first difference at " + i);
        }
    }

    private String fromFile(String name, byte[] bytes) throws IOException {
        Path file = Files.write(directory.resolve(name), bytes);
        Dravix.Dravix_create_entity(service, name, "file://" + file);
        return entityConfiguration(name);
    }

    private static byte[] bytes(int... values) {
        byte[] out = new byte[values.length];
        for (int i = 0; i < values.length; i++) {
            out[i] = (byte) values[i];
        }
        return out;
    }

    private static byte[] concat(String before, byte[] middle, String after) {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        out.writeBytes(before.getBytes(StandardCharsets.US_ASCII));
        out.writeBytes(middle);
        out.writeBytes(after.getBytes(StandardCharsets.US_ASCII));
        return out.toByteArray();
    }

    @Test
    void javaTextRoundTripsExactly() {
        String[] texts = {
            "<plain attribute=\"1\"/>",
            "\0",
            "nul\0inside\0\0and at the end\0",
            "\u00e9\u00df\u20ac\u07ff\u0800\uffff\ufffd",
            "emoji \uD83D\uDE00 end",
            "\uDBFF\uDFFF highest",
            "lone high \uD800 here",
            "lone low \uDC00 here",
            "reversed \uDC00\uD800 pair",
            "\uD800",
            "ends in a high surrogate \uDBFF",
            "a\0\uD83D\uDE00\uD800\u00e9\0",
        };
        for (String text : texts) {
            assertRoundTrip(text);
            // Long enough for the bridge to have the JVM encode it in Java, the
            // odd chars at both ends and in the middle.
            String pad = "x".repeat(StringTiers.GET_BYTES_FROM_CHARS + 52);
            assertRoundTrip(text + pad + text + pad + text);
        }
    }

    @Test
    void asciiTextOfEveryLengthAroundTheWayItChangesRoundTrips() {
        // The whole configuration passes 2 KiB, where ASCII text starts to
        // reach Java as a byte[]; the entity's text passes 2,048 chars, where
        // strings start to be encoded in Java.
        String unit = "<route id=\"r1\" to=\"out?\"/>\n";
        int last = Math.max(StringTiers.GET_BYTES_FROM_CHARS, StringTiers.BYTE_ARRAY_FROM_BYTES) + 552;
        String source = unit.repeat((last + 400) / unit.length() + 1);
        for (int length = 1; length <= last; length++) {
            String text = source.substring(0, length);
            assertDoesNotThrow(() -> assertRoundTrip(text), () -> "text of " + text.length() + " chars");
        }
    }

    @Test
    void severalMebibytesOfMixedTextRoundTripExactly() {
        // Every kind of char the JVM encodes differently, in runs of every
        // length so that ASCII stretches start and end at every alignment.
        String[] pieces = {"\0", "\u00e9", "\u20ac", "\uD83D\uDE00", "\uD800", "\uDFFF", "\uffff", "<x y=\"z\"/>"};
        Random random = new Random(42);
        int length = 6 * StringTiers.CRITICAL_REGION_BYTES;
        StringBuilder text = new StringBuilder(length);
        while (text.length() < length) {
            int ascii = random.nextInt(20);
            for (int i = 0; i < ascii; i++) {
                text.append((char) ('a' + random.nextInt(26)));
            }
            text.append(pieces[random.nextInt(pieces.length)]);
        }
        assertRoundTrip(text.toString());
    }

    @Test
    void tensOfMebibytesRoundTrip() {
        int length = StringTiers.UNCOUNTED_UP_TO_BYTES + (8 << 20);
        StringBuilder text = new StringBuilder(length);
        text.append('<');
        while (text.length() < length - 1) {
            text.append("0123456789abcdef");
        }
        text.append('>');
        assertRoundTrip(text.toString());
    }

    @Test
    void standardUtf8FromAFileIsDecoded() throws IOException {
        assertEquals("emoji \uD83D\uDE00 end",
                fromFile("emoji", "emoji \uD83D\uDE00 end".getBytes(StandardCharsets.UTF_8)));
        assertEquals("\uD800\uDC00\uDBFF\uDFFF", fromFile("edges", bytes(0xF0, 0x90, 0x80, 0x80, 0xF4, 0x8F, 0xBF, 0xBF)));
        // The modified forms mean the same in a file as from Java.
        assertEquals("a\0b\uD800c\uD83D\uDE00",
                fromFile("modified", concat("a", bytes(0xC0, 0x80, 'b', 0xED, 0xA0, 0x80, 'c',
                        0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80), "")));
    }

    @Test
    void brokenBytesBecomeOneReplacementPerMaximalPart() throws IOException {
        assertEquals("a\ufffdb", fromFile("ff", concat("a", bytes(0xFF), "b")));
        assertEquals("a\ufffd\ufffdb", fromFile("stray", concat("a", bytes(0x80, 0xBF), "b")));
        assertEquals("\ufffd\ufffd/", fromFile("overlong", concat("", bytes(0xC0, 0xAF), "/")));
        assertEquals("\ufffd\ufffd\ufffd\ufffd", fromFile("above", bytes(0xF4, 0x90, 0x80, 0x80)));
        assertEquals("\ufffd\ufffd\ufffd", fromFile("overlong3", bytes(0xE0, 0x80, 0xAF)));
        assertEquals("cut \ufffd here", fromFile("cut", concat("cut ", bytes(0xF0, 0x9F, 0x98), " here")));
        assertEquals("cut at the end \ufffd", fromFile("end", concat("cut at the end ", bytes(0xE2, 0x82), "")));
        assertEquals("a\ufffd\ufffd\ufffdb\ufffdc\ufffd\ufffdd",
                fromFile("subparts", bytes('a', 0xF1, 0x80, 0x80, 0xE1, 0x80, 0xC2, 'b', 0x80, 'c', 0x80, 0xBF, 'd')));
    }

    @Test
    void javaTextStaysExactBesideADecodedFile() throws IOException {
        // One four-byte sequence anywhere sends the whole configuration down
        // the decoding path; Java's NULs and lone surrogates must survive it.
        String text = "nul\0lone\uD800\uDC00\uDC00\uD800emoji\uD83D\uDE00\u00e9";
        Dravix.Dravix_create_entity(service, "text", text);
        assertEquals("x\uD83D\uDE00\ufffd", fromFile("file", concat("x", bytes(0xF0, 0x9F, 0x98, 0x80, 0xFF), "")));
        assertEquals(text, entityConfiguration("text"));
        Dravix.Dravix_delete_entity(service, "file");
        Dravix.Dravix_delete_entity(service, "text");
    }

    /**
     * Large decoded text, built as bytes and expected text side by side:
     * standard and modified forms, broken sequences, ASCII runs of every
     * length. It is decoded in chunks whose cuts land at every kind of
     * place, at a size of many chunks, at one of more than 16 Mi units, and
     * at one of more than 32 MiB, whose units are counted before decoding.
     */
    @ParameterizedTest
    @ValueSource(ints = {4 * StringTiers.CRITICAL_REGION_BYTES, (16 << 20) + 300_000,
        StringTiers.UNCOUNTED_UP_TO_BYTES - StringTiers.CRITICAL_REGION_BYTES})
    void largeDecodedTextIsExact(int units) throws IOException {
        Object[][] pieces = {
            {bytes(0xF0, 0x9F, 0x98, 0x80), "\uD83D\uDE00"},
            {bytes(0xF4, 0x8F, 0xBF, 0xBF), "\uDBFF\uDFFF"},
            {bytes(0xC3, 0xA9), "\u00e9"},
            {bytes(0xE2, 0x82, 0xAC), "\u20ac"},
            {bytes(0xC0, 0x80), "\0"},
            {bytes(0xED, 0xA0, 0x80), "\uD800"},
            {bytes(0xED, 0xB0, 0x80), "\uDC00"},
            {bytes(0xFF), "\ufffd"},
            {bytes(0x80, 0x80), "\ufffd\ufffd"},
            {bytes(0xF0, 0x9F, 0x98), "\ufffd"},
            {bytes(0xE1, 0x80), "\ufffd"},
            {bytes(0xE0, 0x80, 0x80), "\ufffd\ufffd\ufffd"},
        };
        Random random = new Random(units);
        ByteArrayOutputStream file = new ByteArrayOutputStream(units * 2);
        StringBuilder expected = new StringBuilder(units + 64);
        while (expected.length() < units) {
            for (int i = random.nextInt(24); i > 0; i--) {
                char c = (char) (' ' + random.nextInt(95));
                file.write(c);
                expected.append(c);
            }
            Object[] piece = pieces[random.nextInt(pieces.length)];
            file.writeBytes((byte[]) piece[0]);
            expected.append((String) piece[1]);
            // Keeps a cut-short piece from being completed by the next one.
            file.write('|');
            expected.append('|');
        }
        assertSameText(expected.toString(), fromFile("large", file.toByteArray()));
    }
}
