package com.olvan.dravix.bench;

import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStreamReader;
import java.io.UncheckedIOException;
import java.lang.management.ManagementFactory;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.List;

/**
 * The one way the benchmark forks: itself again, in a JVM of its own with the
 * given JVM options and benchmark arguments (a row child measures rows, a
 * memory child one call's peak memory).
 */
final class Children {
    private Children() {
    }

    /**
     * Runs the child to its end and returns its output, its error output
     * merged in; throws if it failed or the JNI checker complained.
     */
    static List<String> run(List<String> jvmOptions, List<String> arguments, String what) {
        List<String> command = new ArrayList<>();
        command.add(ProcessHandle.current().info().command()
                .orElse(System.getProperty("java.home") + "/bin/java"));
        // A child needs what this JVM was given to load native code quietly.
        for (String argument : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
            if (argument.startsWith("--enable-native-access")) {
                command.add(argument);
            }
        }
        command.addAll(jvmOptions);
        command.add("-Djava.library.path=" + System.getProperty("java.library.path"));
        command.add("-cp");
        command.add(System.getProperty("java.class.path"));
        command.add(DravixBench.class.getName());
        command.addAll(arguments);
        List<String> output = new ArrayList<>();
        int status;
        try {
            Process child = new ProcessBuilder(command).redirectErrorStream(true).start();
            try (BufferedReader in = new BufferedReader(
                    new InputStreamReader(child.getInputStream(), StandardCharsets.UTF_8))) {
                for (String line; (line = in.readLine()) != null; ) {
                    output.add(line);
                }
            }
            status = child.waitFor();
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
            throw new IllegalStateException("interrupted while measuring " + what, e);
        }
        for (String line : output) {
            if (line.contains("WARNING in native method") || line.contains("JNI local refs")
                    || line.contains("FATAL ERROR in native method")) {
                throw new IllegalStateException("the JNI checker complained: " + line);
            }
        }
        if (status != 0) {
            throw new IllegalStateException("the JVM measuring " + what + " failed (exit " + status + "):\n"
                    + String.join("\n", output));
        }
        return output;
    }
}
