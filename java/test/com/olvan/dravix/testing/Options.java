package com.olvan.dravix.testing;

import java.util.HashMap;
import java.util.HashSet;
import java.util.Map;
import java.util.Optional;
import java.util.Set;

/**
 * The command line of the programs that drive the bridge outside a test
 * runner (the benchmark, the soak): flags, and options that take one value.
 */
public final class Options {
    private final Set<String> flags = new HashSet<>();
    private final Map<String, String> values = new HashMap<>();

    private Options() {
    }

    /**
     * Reads the arguments.
     *
     * @throws IllegalArgumentException naming an unknown option or one without its value
     */
    public static Options parse(String[] args, Set<String> flags, Set<String> valued) {
        Options options = new Options();
        for (int i = 0; i < args.length; i++) {
            String name = args[i];
            if (flags.contains(name)) {
                options.flags.add(name);
            } else if (!valued.contains(name)) {
                throw new IllegalArgumentException("unknown option " + name);
            } else if (i + 1 >= args.length) {
                throw new IllegalArgumentException("missing value for " + name);
            } else {
                options.values.put(name, args[++i]);
            }
        }
        return options;
    }

    public boolean has(String flag) {
        return flags.contains(flag);
    }

    public Optional<String> value(String name) {
        return Optional.ofNullable(values.get(name));
    }

    /** A whole number, which may be written with underscores (1_000_000). */
    public Optional<Long> number(String name) {
        return value(name).map(v -> Long.parseLong(v.replace("_", "")));
    }
}
