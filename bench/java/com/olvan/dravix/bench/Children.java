package com.olvan.dravix.bench;

import java.lang.management.ManagementFactory;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/** Starts this benchmark again in a JVM of its own, with the given JVM options. */
final class Children {
    private Children() {
    }

    static List<String> javaCommand(String... jvmOptions) {
        List<String> command = new ArrayList<>();
        command.add(ProcessHandle.current().info().command()
                .orElse(System.getProperty("java.home") + "/bin/java"));
        // A child needs what this JVM was given to load native code quietly.
        for (String argument : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
            if (argument.startsWith("--enable-native-access")) {
                command.add(argument);
            }
        }
        command.addAll(Arrays.asList(jvmOptions));
        command.add("-Djava.library.path=" + System.getProperty("java.library.path"));
        command.add("-cp");
        command.add(System.getProperty("java.class.path"));
        return command;
    }
}
