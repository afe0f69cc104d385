package com.olvan.dravix.testing;

import java.io.IOException;
import java.io.InputStream;
import java.net.URL;
import java.net.URLClassLoader;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Map;
import java.util.Set;
import java.util.TreeSet;
import java.util.zip.ZipFile;

/**
 * Checks a jar's native-image metadata against what its native libraries were
 * seen to look up through JNI (the lines the JNI trace agent writes): every
 * access seen is registered, every registration was seen, and the file has
 * the shape of GraalVM's reachability metadata (version 1.0.0 of its schema).
 * Reflection entries, which no JNI trace shows, must name members that exist;
 * the older releases' jni-config.json and reflect-config.json beside the file
 * must register the same.
 * Prints each problem and exits 1 if there is any.
 *
 * <p>Usage: NativeImageMetadata JAR ENTRY LIBRARIES TRACE... where LIBRARIES is
 * a comma-separated list of the library file names whose trace lines count.
 */
public final class NativeImageMetadata {
    /** An object of the file: the members it may have, with their shapes, and those it must. */
    private record Shape(Map<String, String> members, Set<String> required) {
    }

    private static final Map<String, String> ENTRY = Map.ofEntries(Map.entry("reason", "string"),
            Map.entry("condition", "condition"), Map.entry("type", "type"), Map.entry("methods", "list:method"),
            Map.entry("fields", "list:field"), Map.entry("allDeclaredMethods", "boolean"),
            Map.entry("allDeclaredFields", "boolean"), Map.entry("allDeclaredConstructors", "boolean"),
            Map.entry("allPublicMethods", "boolean"), Map.entry("allPublicFields", "boolean"),
            Map.entry("allPublicConstructors", "boolean"));

    private static Map<String, String> with(Map<String, String> members, String name, String shape) {
        java.util.HashMap<String, String> all = new java.util.HashMap<>(members);
        all.put(name, shape);
        return Map.copyOf(all);
    }

    private static final Map<String, Shape> SHAPES = Map.of(
            "file", new Shape(Map.of("comment", "comment", "reflection", "list:reflection", "jni", "list:jni",
                    "serialization", "list:serialization", "resources", "list:resource", "bundles", "list:bundle"),
                    Set.of()),
            "reflection", new Shape(with(ENTRY, "unsafeAllocated", "boolean"), Set.of()),
            "jni", new Shape(ENTRY, Set.of()),
            "method", new Shape(Map.of("name", "string", "parameterTypes", "list:string"), Set.of("name")),
            "field", new Shape(Map.of("name", "string"), Set.of("name")),
            "condition", new Shape(Map.of("typeReached", "type"), Set.of("typeReached")),
            "proxy", new Shape(Map.of("proxy", "list:string"), Set.of("proxy")),
            "serialization", new Shape(Map.of("reason", "string", "condition", "condition", "type", "type",
                    "customTargetConstructorClass", "string"), Set.of("type")),
            "resource", new Shape(Map.of("reason", "string", "condition", "condition", "module", "string",
                    "glob", "string"), Set.of("glob")),
            "bundle", new Shape(Map.of("reason", "string", "condition", "condition", "name", "string",
                    "locales", "list:string"), Set.of("name")));

    private final List<String> problems = new ArrayList<>();

    private NativeImageMetadata() {
    }

    public static void main(String[] args) throws Exception {
        Path jar = Paths.get(args[0]);
        String entry = args[1];
        Set<String> libraries = Set.of(args[2].split(","));
        List<Path> traces = Arrays.stream(args, 3, args.length).map(Paths::get).toList();
        NativeImageMetadata check = new NativeImageMetadata();
        Object file = Json.parse(read(jar, entry));
        check.shape(file, "file", entry);
        if (check.problems.isEmpty()) {
            check.coverage(jar, cast(file), libraries, traces);
            check.legacy(jar, entry, cast(file));
        }
        check.problems.forEach(p -> System.out.println("FAIL: " + p));
        if (!check.problems.isEmpty()) {
            System.exit(1);
        }
        System.out.println("ok: " + entry + " of " + jar.getFileName() + " registers exactly what " + libraries
                + " looked up in " + traces.size() + " traced runs");
    }

    private static String read(Path jar, String entry) throws IOException {
        try (ZipFile zip = new ZipFile(jar.toFile())) {
            if (zip.getEntry(entry) == null) {
                throw new IllegalStateException(jar + " has no " + entry);
            }
            try (InputStream in = zip.getInputStream(zip.getEntry(entry))) {
                return new String(in.readAllBytes(), StandardCharsets.UTF_8);
            }
        }
    }

    @SuppressWarnings("unchecked")
    private static Map<String, Object> cast(Object value) {
        return (Map<String, Object>) value;
    }

    @SuppressWarnings("unchecked")
    private static List<Object> list(Object value) {
        return value == null ? List.of() : (List<Object>) value;
    }

    /** Adds a problem for each place where the value departs from its shape. */
    private void shape(Object value, String shape, String where) {
        if (shape.startsWith("list:")) {
            if (!(value instanceof List)) {
                problems.add(where + " is not an array");
                return;
            }
            List<Object> items = list(value);
            for (int i = 0; i < items.size(); i++) {
                shape(items.get(i), shape.substring(5), where + "[" + i + "]");
            }
            return;
        }
        switch (shape) {
            case "string" -> {
                if (!(value instanceof String)) {
                    problems.add(where + " is not a string");
                }
            }
            case "boolean" -> {
                if (!(value instanceof Boolean)) {
                    problems.add(where + " is not true or false");
                }
            }
            case "comment" -> shape(value, value instanceof List ? "list:string" : "string", where);
            case "type" -> shape(value, value instanceof Map ? "proxy" : "string", where);
            default -> {
                if (!(value instanceof Map)) {
                    problems.add(where + " is not an object");
                    return;
                }
                Shape object = SHAPES.get(shape);
                Map<String, Object> members = cast(value);
                for (String required : object.required()) {
                    if (!members.containsKey(required)) {
                        problems.add(where + " has no \"" + required + "\"");
                    }
                }
                members.forEach((name, member) -> {
                    String memberShape = object.members().get(name);
                    if (memberShape == null) {
                        problems.add(where + " has \"" + name + "\", which a " + shape + " object may not have");
                    } else {
                        shape(member, memberShape, where + "." + name);
                    }
                });
            }
        }
    }

    /** What entries register: "T", "T#field", "T#method(P,...)"; the type is the member typeMember names. */
    private static Set<String> registered(List<Object> entries, String typeMember) {
        Set<String> keys = new TreeSet<>();
        for (Object item : entries) {
            Map<String, Object> entry = cast(item);
            String type = (String) entry.get(typeMember);
            keys.add(type);
            for (Object field : list(entry.get("fields"))) {
                keys.add(type + "#" + cast(field).get("name"));
            }
            for (Object method : list(entry.get("methods"))) {
                Map<String, Object> m = cast(method);
                List<String> parameters = list(m.get("parameterTypes")).stream().map(String.class::cast).toList();
                keys.add(type + "#" + m.get("name") + "(" + String.join(",", parameters) + ")");
            }
        }
        return keys;
    }

    /** The older releases' separate files beside the single one must register the same. */
    private void legacy(Path jar, String entry, Map<String, Object> file) throws IOException {
        String folder = entry.substring(0, entry.lastIndexOf('/') + 1);
        for (String[] pair : new String[][] {{"jni", "jni-config.json"}, {"reflection", "reflect-config.json"}}) {
            List<Object> entries = list(file.get(pair[0]));
            String older;
            try {
                older = read(jar, folder + pair[1]);
            } catch (IllegalStateException e) {
                if (!entries.isEmpty()) {
                    problems.add(jar.getFileName() + " has no " + folder + pair[1] + " for older releases");
                }
                continue;
            }
            if (!registered(list(Json.parse(older)), "name").equals(registered(entries, "type"))) {
                problems.add(folder + pair[1] + " registers other than the " + pair[0] + " of " + entry);
            }
        }
    }

    /** The keys of registered() for what the traces show, adding a problem for what JNI metadata cannot cover. */
    private Set<String> seen(Set<String> libraries, List<Path> traces) throws IOException {
        Set<String> keys = new TreeSet<>();
        for (Path trace : traces) {
            for (String line : Files.readAllLines(trace)) {
                String[] f = line.split("\t", -1);
                if (f.length != 5 || !libraries.contains(f[0])) {
                    continue;
                }
                String type = f[2].startsWith("[") ? parameterTypes("(" + f[2].replace('.', '/') + ")V").get(0) : f[2];
                switch (f[1]) {
                    case "class", "array" -> keys.add(type);
                    case "field", "static-field" -> keys.add(type + "#" + f[3]);
                    case "method", "static-method" -> keys.add(type + "#" + f[3] + "("
                            + String.join(",", parameterTypes(f[4])) + ")");
                    default -> problems.add(f[0] + " uses " + f[1] + " " + f[2] + " " + f[3]
                            + ", which JNI metadata does not cover");
                }
            }
        }
        return keys;
    }

    private void coverage(Path jar, Map<String, Object> file, Set<String> libraries, List<Path> traces)
            throws Exception {
        Set<String> registered = registered(list(file.get("jni")), "type");
        Set<String> seen = seen(libraries, traces);
        if (seen.isEmpty()) {
            problems.add("the traces show no JNI look-up by " + libraries + ": nothing was traced");
        }
        for (String key : seen) {
            if (!registered.contains(key)) {
                problems.add("looked up but not registered for JNI: " + key);
            }
        }
        for (String key : registered) {
            // A type counts as used when it or any of its members was looked up.
            boolean used = seen.contains(key) || !key.contains("#") && seen.stream().anyMatch(
                    s -> s.startsWith(key + "#"));
            if (!used) {
                problems.add("registered for JNI but never looked up: " + key);
            }
        }
        try (URLClassLoader loader = new URLClassLoader(new URL[] {jar.toUri().toURL()},
                ClassLoader.getPlatformClassLoader())) {
            for (Object item : list(file.get("reflection"))) {
                reflected(cast(item), loader);
            }
        }
    }

    private void reflected(Map<String, Object> entry, ClassLoader loader) {
        String type = (String) entry.get("type");
        try {
            Class<?> cls = Class.forName(type, false, loader);
            for (Object field : list(entry.get("fields"))) {
                cls.getDeclaredField((String) cast(field).get("name"));
            }
            for (Object method : list(entry.get("methods"))) {
                Map<String, Object> m = cast(method);
                List<Class<?>> parameters = new ArrayList<>();
                for (Object name : list(m.get("parameterTypes"))) {
                    parameters.add(Class.forName((String) name, false, loader));
                }
                cls.getDeclaredMethod((String) m.get("name"), parameters.toArray(new Class<?>[0]));
            }
        } catch (ReflectiveOperationException e) {
            problems.add("reflection entry " + type + " names what does not exist: " + e);
        }
    }

    /** The parameter types of a JNI method signature, as metadata names them: "(Ljava/lang/String;[BI)V" gives
     * java.lang.String, byte[], int. */
    static List<String> parameterTypes(String signature) {
        List<String> types = new ArrayList<>();
        int at = 1;
        while (at < signature.length() && signature.charAt(at) != ')') {
            int dimensions = 0;
            while (signature.charAt(at) == '[') {
                dimensions++;
                at++;
            }
            String type;
            if (signature.charAt(at) == 'L') {
                int end = signature.indexOf(';', at);
                type = signature.substring(at + 1, end).replace('/', '.');
                at = end + 1;
            } else {
                type = switch (signature.charAt(at)) {
                    case 'Z' -> "boolean";
                    case 'B' -> "byte";
                    case 'C' -> "char";
                    case 'S' -> "short";
                    case 'I' -> "int";
                    case 'J' -> "long";
                    case 'F' -> "float";
                    case 'D' -> "double";
                    default -> throw new IllegalArgumentException("bad signature " + signature);
                };
                at++;
            }
            types.add(type + "[]".repeat(dimensions));
        }
        return types;
    }
}
