package com.olvan.dravix.testkit;

/**
 * Decodes the bytes the service received: the JVM's modified UTF-8 (NUL as two
 * bytes, supplementary characters as two three-byte surrogates), standard
 * four-byte sequences too; a byte that begins no character becomes U+FFFD.
 */
final class ModifiedUtf8 {
    private ModifiedUtf8() {
    }

    static String decode(byte[] bytes) {
        if (bytes == null) {
            return null;
        }
        StringBuilder out = new StringBuilder(bytes.length);
        int i = 0;
        while (i < bytes.length) {
            int b = bytes[i] & 0xFF;
            int length = b < 0x80 ? 1 : b >= 0xC0 && b < 0xE0 ? 2 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xF0 && b < 0xF8 ? 4 : 0;
            int code = length == 1 ? b : length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
            boolean whole = length > 0 && i + length <= bytes.length;
            for (int k = 1; whole && k < length; k++) {
                int next = bytes[i + k] & 0xFF;
                whole = (next & 0xC0) == 0x80;
                code = (code << 6) | (next & 0x3F);
            }
            if (!whole || code > Character.MAX_CODE_POINT) {
                out.append('\uFFFD');
                i++;
                continue;
            }
            out.appendCodePoint(code);
            i += length;
        }
        return out.toString();
    }
}
