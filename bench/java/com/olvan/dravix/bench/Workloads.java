package com.olvan.dravix.bench;

import com.olvan.dravix.DravixProperty;
import com.olvan.dravix.testing.EverySetting;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import java.util.Properties;

/** The inputs the benchmark feeds to the bridge and its floor. */
final class Workloads {
    private Workloads() {
    }

    static DravixProperty defaults() {
        return new DravixProperty();
    }

    /** Every field set: 4 configuration strings and 8 user environment entries. */
    static DravixProperty full() {
        Properties env = new Properties();
        for (int i = 0; i < 8; i++) {
            env.setProperty("DRAVIX_VARIABLE_" + i, "value-" + i + "/some/path");
        }
        return EverySetting.settings()
                .setCfgFile("/etc/dravix/service.xml")
                .setCfgStrings("<route from=\"in\" to=\"out\"/>", "<route from=\"out\" to=\"audit\"/>",
                        "<log level=\"warning\"/>", "<limits queue=\"4096\"/>")
                .setApplicationName("order-router")
                .setPluginSearchPath("/opt/dravix/plugins:/usr/lib/dravix")
                .setUserEnvironment(env);
    }

    /** Default settings with a user environment of n entries. */
    static DravixProperty userEnvironment(int n) {
        DravixProperty p = new DravixProperty();
        Properties env = p.getUserEnvironment();
        for (int i = 0; i < n; i++) {
            env.setProperty(String.format("DRAVIX_VARIABLE_%06d", i), String.format("value-%06d/some/path", i));
        }
        return p;
    }

    /** Default settings with n configuration strings. */
    static DravixProperty cfgStrings(int n) {
        String[] strings = new String[n];
        for (int i = 0; i < n; i++) {
            strings[i] = String.format("<route id=\"r%06d\" from=\"in\" to=\"out\"/>", i);
        }
        return new DravixProperty().setCfgStrings(strings);
    }

    /** Exactly {@code size} bytes of ASCII configuration text. */
    static String ascii(int size) {
        StringBuilder block = new StringBuilder();
        for (int i = 0; block.length() < 64 * 1024; i++) {
            block.append(String.format("<route id=\"r%05d\" from=\"in/orders\" to=\"out/audit\" retries=\"3\"/>%n", i));
        }
        return new String(tile(block.toString().getBytes(StandardCharsets.US_ASCII), size),
                StandardCharsets.ISO_8859_1);
    }

    /** Repeats the block up to exactly size bytes (quick even in an interpreter). */
    private static byte[] tile(byte[] block, int size) {
        byte[] text = new byte[size];
        for (int at = 0; at < size; at += block.length) {
            System.arraycopy(block, 0, text, at, Math.min(block.length, size - at));
        }
        return text;
    }

    /**
     * Exactly {@code size} bytes of standard UTF-8 with characters of every
     * length: ASCII markup, two- and three-byte letters and signs, and
     * supplementary characters in four bytes, which the JVM's own decoder
     * cannot read.
     */
    static byte[] supplementaryUtf8(int size) {
        return lines("<note lang=\"mixed\">Grüße € 日本語 😀 𝄞 route-0001</note>\n", "😀", size);
    }

    /**
     * Exactly {@code size} bytes of ASCII markup with one supplementary
     * character (U+1F600, four bytes) after every 60 ASCII bytes: mostly ASCII,
     * as configurations are, yet a text the JVM's own decoder cannot read.
     */
    static byte[] asciiWithFourByteSequences(int size) {
        return lines("<route id=\"r0001\" from=\"in/orders\" to=\"out/audit\" n=\"3\"/>\n\uD83D\uDE00", "\uD83D\uDE00",
                size);
    }

    /**
     * Exactly {@code size} bytes of UTF-8 with two- and three-byte characters
     * but no four-byte ones: valid modified UTF-8 as well, which NewStringUTF
     * takes as it is, one character at a time.
     */
    static String bmpText(int size) {
        return new String(lines("<note lang=\"mixed\">Grüße, señor: 12 € für 日本語 route-0001</note>\n", "€", size),
                StandardCharsets.UTF_8);
    }

    /**
     * The line repeated to exactly size bytes of UTF-8, a cut-off last line
     * blanked; a text shorter than one line is blanks with the given character
     * in front, so that the character is there at every size it fits in.
     */
    private static byte[] lines(String oneLine, String character, int size) {
        byte[] line = oneLine.getBytes(StandardCharsets.UTF_8);
        byte[] block = new byte[line.length * 1024];
        for (int at = 0; at < block.length; at += line.length) {
            System.arraycopy(line, 0, block, at, line.length);
        }
        byte[] text = tile(block, size);
        // Never end inside a sequence: blank out a cut-off tail.
        int whole = size / line.length * line.length;
        Arrays.fill(text, whole, size, (byte) ' ');
        byte[] front = character.getBytes(StandardCharsets.UTF_8);
        if (whole == 0 && size >= front.length) {
            System.arraycopy(front, 0, text, 0, front.length);
        }
        return text;
    }

    static Path writeTemp(byte[] bytes) throws IOException {
        Path file = Files.createTempFile("dravix-bench-", ".xml");
        file.toFile().deleteOnExit();
        Files.write(file, bytes);
        return file;
    }

    static String sizeLabel(long bytes) {
        if (bytes >= 1 << 20 && bytes % (1 << 20) == 0) {
            return (bytes >> 20) + " MiB";
        }
        if (bytes >= 1 << 10 && bytes % (1 << 10) == 0) {
            return (bytes >> 10) + " KiB";
        }
        return bytes + " B";
    }
}
