package com.olvan.dravix.testing;

import java.lang.ref.WeakReference;
import java.lang.reflect.InvocationTargetException;
import java.net.URL;
import java.net.URLClassLoader;
import java.nio.file.Paths;

/**
 * What a server does on a redeploy with the API jar inside the application:
 * a first class loader over the API jar loads the bridge; a second, made while
 * the first lives, loads a copy of it (or, with copies turned off, is refused);
 * once the first is dropped and collected, the second's next use loads the
 * bridge either way. Prints one line a step.
 * Usage: Redeploy API_JAR
 */
public final class Redeploy {
    private static final long BOUND_NANOS = 60_000_000_000L;

    private Redeploy() {
    }

    public static void main(String[] args) throws Exception {
        URL jar = Paths.get(args[0]).toUri().toURL();
        URLClassLoader first = new URLClassLoader(new URL[] {jar}, ClassLoader.getPlatformClassLoader());
        System.out.println("first: " + use(first));
        URLClassLoader second = new URLClassLoader(new URL[] {jar}, ClassLoader.getPlatformClassLoader());
        System.out.println("second while the first lives: " + use(second));
        System.out.println("second again: " + use(second));

        WeakReference<ClassLoader> dropped = new WeakReference<>(first);
        first.close();
        first = null;
        long start = System.nanoTime();
        while (dropped.get() != null && System.nanoTime() - start < BOUND_NANOS) {
            System.gc();
            Thread.sleep(20);
        }
        System.out.println("first collected: " + (dropped.get() == null));
        // The JVM unloads the bridge of a collected loader on a cleaner thread: a use may still meet it.
        String outcome = use(second);
        while (!outcome.equals("loaded") && System.nanoTime() - start < BOUND_NANOS) {
            System.gc();
            Thread.sleep(20);
            outcome = use(second);
        }
        System.out.println("second after the first is collected: " + outcome);
        second.close();
    }

    /** Makes and closes a Dravix of the loader's API: "loaded", or what it threw. */
    private static String use(ClassLoader loader) throws Exception {
        try {
            Object service = loader.loadClass("com.olvan.dravix.Dravix").getConstructor().newInstance();
            ((AutoCloseable) service).close();
            return "loaded";
        } catch (InvocationTargetException e) {
            Throwable thrown = e.getCause();
            return "thrown: " + thrown.getClass().getName() + ": " + thrown.getMessage();
        }
    }
}
