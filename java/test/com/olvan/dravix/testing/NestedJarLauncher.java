package com.olvan.dravix.testing;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.net.URI;
import java.net.URL;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.security.CodeSource;
import java.security.ProtectionDomain;
import java.security.cert.Certificate;
import java.util.HashMap;
import java.util.Map;
import java.util.jar.JarEntry;
import java.util.jar.JarFile;
import java.util.jar.JarInputStream;

/**
 * Runs {@link TwoUses} with the API's classes taken from a jar inside another
 * jar, the way a fat jar's launcher loads them: their code source is a nested
 * {@code jar:file:...!/...!/} URL, not a file. With "no-code-source" after
 * them, the classes have no code source at all, as where no jar exists.
 * Usage: NestedJarLauncher OUTER_JAR NESTED_ENTRY [no-code-source]
 */
public final class NestedJarLauncher {
    private NestedJarLauncher() {
    }

    public static void main(String[] args) throws Exception {
        Path outer = Paths.get(args[0]).toAbsolutePath();
        String entry = args[1];
        URL nested = URI.create("jar:" + outer.toUri() + "!/" + entry + "!/").toURL();
        Map<String, byte[]> classes = new HashMap<>();
        try (JarFile jar = new JarFile(outer.toFile());
                JarInputStream api = new JarInputStream(jar.getInputStream(jar.getEntry(entry)))) {
            for (JarEntry e = api.getNextJarEntry(); e != null; e = api.getNextJarEntry()) {
                if (e.getName().endsWith(".class") && !e.getName().equals("module-info.class")) {
                    classes.put(e.getName().replace('/', '.').replace(".class", ""), api.readAllBytes());
                }
            }
        }
        CodeSource source = args.length > 2 && args[2].equals("no-code-source") ? null
                : new CodeSource(nested, (Certificate[]) null);
        ClassLoader loader = new NestedLoader(classes, new ProtectionDomain(source, null));
        loader.loadClass(TwoUses.class.getName()).getMethod("main", String[].class)
                .invoke(null, (Object) new String[0]);
    }

    /** Defines the API from the nested jar and TwoUses from this class path; the rest from the platform. */
    private static final class NestedLoader extends ClassLoader {
        private final Map<String, byte[]> classes;
        private final ProtectionDomain nested;

        NestedLoader(Map<String, byte[]> classes, ProtectionDomain nested) {
            super(ClassLoader.getPlatformClassLoader());
            this.classes = classes;
            this.nested = nested;
        }

        @Override
        protected Class<?> findClass(String name) throws ClassNotFoundException {
            byte[] bytes = classes.get(name);
            if (bytes != null) {
                return defineClass(name, bytes, 0, bytes.length, nested);
            }
            if (name.equals(TwoUses.class.getName())) {
                bytes = ownBytes(name);
                return defineClass(name, bytes, 0, bytes.length);
            }
            throw new ClassNotFoundException(name);
        }

        private static byte[] ownBytes(String name) throws ClassNotFoundException {
            try (InputStream in = NestedJarLauncher.class.getResourceAsStream(
                    "/" + name.replace('.', '/') + ".class")) {
                ByteArrayOutputStream out = new ByteArrayOutputStream();
                in.transferTo(out);
                return out.toByteArray();
            } catch (IOException | NullPointerException e) {
                throw new ClassNotFoundException(name, e);
            }
        }
    }
}
