package com.olvan.dravix.testing;

import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/**
 * Reads JSON text into plain values: Map (members in order), List, String,
 * Double, Boolean, or null. Strict: anything that is not JSON is an
 * IllegalArgumentException naming the offset.
 */
public final class Json {
    private final String text;
    private int at;

    private Json(String text) {
        this.text = text;
    }

    public static Object parse(String text) {
        Json json = new Json(text);
        Object value = json.value();
        json.blanks();
        if (json.at != text.length()) {
            throw json.error("text after the value");
        }
        return value;
    }

    private IllegalArgumentException error(String what) {
        return new IllegalArgumentException("not JSON at offset " + at + ": " + what);
    }

    private void blanks() {
        while (at < text.length() && " \t\r\n".indexOf(text.charAt(at)) >= 0) {
            at++;
        }
    }

    private boolean take(char c) {
        blanks();
        if (at < text.length() && text.charAt(at) == c) {
            at++;
            return true;
        }
        return false;
    }

    private void expect(char c) {
        if (!take(c)) {
            throw error("expected '" + c + "'");
        }
    }

    private Object value() {
        blanks();
        if (at >= text.length()) {
            throw error("end of text");
        }
        char c = text.charAt(at);
        if (c == '{') {
            at++;
            Map<String, Object> members = new LinkedHashMap<>();
            if (!take('}')) {
                do {
                    blanks();
                    String name = string();
                    if (members.containsKey(name)) {
                        throw error("member \"" + name + "\" twice");
                    }
                    expect(':');
                    members.put(name, value());
                } while (take(','));
                expect('}');
            }
            return members;
        }
        if (c == '[') {
            at++;
            List<Object> items = new ArrayList<>();
            if (!take(']')) {
                do {
                    items.add(value());
                } while (take(','));
                expect(']');
            }
            return items;
        }
        if (c == '"') {
            return string();
        }
        for (String word : new String[] {"true", "false", "null"}) {
            if (text.startsWith(word, at)) {
                at += word.length();
                return word.equals("null") ? null : Boolean.valueOf(word);
            }
        }
        int start = at;
        while (at < text.length() && "+-0123456789.eE".indexOf(text.charAt(at)) >= 0) {
            at++;
        }
        try {
            return Double.valueOf(text.substring(start, at));
        } catch (NumberFormatException e) {
            at = start;
            throw error("no value");
        }
    }

    private String string() {
        if (at >= text.length() || text.charAt(at) != '"') {
            throw error("expected a string");
        }
        at++;
        StringBuilder out = new StringBuilder();
        while (true) {
            if (at >= text.length()) {
                throw error("unterminated string");
            }
            char c = text.charAt(at++);
            if (c == '"') {
                return out.toString();
            }
            if (c < 0x20) {
                throw error("control character in a string");
            }
            if (c != '\\') {
                out.append(c);
                continue;
            }
            char escaped = at < text.length() ? text.charAt(at++) : '?';
            int simple = "\"\\/bfnrt".indexOf(escaped);
            if (simple >= 0) {
                out.append("\"\\/\b\f\n\r\t".charAt(simple));
            } else if (escaped == 'u' && at + 4 <= text.length()) {
                out.append((char) Integer.parseInt(text.substring(at, at + 4), 16));
                at += 4;
            } else {
                throw error("bad escape");
            }
        }
    }
}
