package com.olvan.dravix.diagnostics;

import com.olvan.dravix.DravixProperty;
import com.olvan.dravix.loading.LoadedBridge;
import com.olvan.dravix.loading.LoadedLibraries;
import java.io.IOException;
import java.io.PrintStream;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.List;
import java.util.Optional;

/**
 * Checks an installation: {@code java -jar olvan-dravix-<version>.jar}. Loads the
 * bridge (from beside the jar, unless {@code olvan.dravix.library},
 * {@code java.library.path} or {@code OLVAN_DRAVIX_HOME} point elsewhere), prints which files were loaded,
 * then runs the bridge's self-check cases 0 to 5 with the API's own settings
 * and constants, so that a deployer learns whether this jar agrees with the
 * installed service library. It creates no service. Exits 0 when every case
 * passes, 1 otherwise.
 */
public final class InstallationCheck {
    /** The self-check's message for a record that differs: the field's name follows. */
    private static final String DIFFERENCE = "property compare error for field ";

    private InstallationCheck() {
    }

    /**
     * Runs the check and exits with its status.
     *
     * @param args none are taken
     */
    public static void main(String[] args) {
        System.exit(run(System.out));
    }

    /** Runs the check, printing to out; returns the exit status. */
    static int run(PrintStream out) {
        out.println("Dravix installation check");
        out.printf("  Java:        %s (%s), %s%n", System.getProperty("java.version"),
                System.getProperty("java.vendor"), System.getProperty("java.home"));
        out.printf("  API jar:     %s, %s%n", version(), jarFile());
        LoadedBridge loaded;
        try {
            // Any use that needs the bridge makes the API load it; case -1 compares nothing.
            new DravixProperty().checkNative(-1);
            loaded = LoadedBridge.current().orElseThrow();
        } catch (UnsatisfiedLinkError | IllegalCallerException e) {
            out.println("  Bridge:      not loaded");
            out.println();
            out.println("FAILED: " + e.getMessage());
            return 1;
        }
        Path bridge = loaded.file();
        try {
            bridge = bridge.toRealPath();  // as the dynamic loader mapped it
        } catch (IOException e) {
            // Shown as found.
        }
        out.printf("  Bridge:      %s (%s)%n", bridge, LoadedLibraries.machine(bridge));
        loaded.copy().ifPresent(copy -> out.printf("  %-12s %s, removed once loaded: another class loader of this"
                + " JVM holds the bridge's file%n", "Loaded as:", copy));
        Optional<String> serviceAbout = Optional.empty();
        try {
            for (LoadedLibraries.Library library : LoadedLibraries.productLibraries(bridge)) {
                boolean service = library.name().equals("libolvandravix.so");
                Optional<String> about = library.file().isPresent()
                        ? LoadedLibraries.about(library.file().get()) : Optional.empty();
                if (service) {
                    serviceAbout = about;
                }
                out.printf("  %-12s %s -> %s%s%n", service ? "Service:" : "Middleware:", library.name(),
                        library.file().map(Path::toString).orElse("(not among the mapped files)"),
                        about.map(text -> " (" + text + ")").orElse(""));
            }
        } catch (IOException | RuntimeException e) {
            out.println("  (the bridge's libraries could not be listed: " + e + ")");
        }

        out.println("Self-check, the API's settings against the bridge and the service library:");
        List<Integer> failed = new ArrayList<>();
        List<String> labels = new ArrayList<>();
        for (int testCase = 0; testCase < SelfCheckCases.COUNT; testCase++) {
            String outcome = outcome(testCase);
            out.printf("  case %d: %s%n", testCase, outcome == null ? "passed" : "FAILED, " + outcome);
            if (outcome != null) {
                failed.add(testCase);
                labels.add(outcome);
            }
        }
        if (failed.isEmpty()) {
            out.println("PASSED: all " + SelfCheckCases.COUNT + " cases; this API jar and the installed service"
                    + " library agree.");
            serviceAbout.ifPresent(about -> out.println("The service library is " + about + "."));
            return 0;
        }
        out.println();
        out.println("FAILED: case" + (failed.size() == 1 ? " " : "s ") + failed + ". " + meaning(failed, labels));
        return 1;
    }

    /** Null when the case passes, else what differed. */
    private static String outcome(int testCase) {
        try {
            if (SelfCheckCases.settingsFor(testCase).checkNative(testCase)) {
                return null;
            }
            return "the bridge does not know this case";
        } catch (RuntimeException e) {
            String message = String.valueOf(e.getMessage());
            if (message.startsWith(DIFFERENCE)) {
                return "differs in " + message.substring(DIFFERENCE.length()).trim();
            }
            return e.getClass().getName() + ": " + message;
        }
    }

    private static String meaning(List<Integer> failed, List<String> labels) {
        boolean verbosityOnly = !failed.contains(0) && !failed.contains(1)
                && labels.stream().allMatch(l -> l.equals("differs in service_verbosity")
                        || l.equals("differs in dds_verbosity"));
        if (verbosityOnly) {
            return "The Java side's verbosity levels (DravixProperty.LOG_VERBOSITY_*: "
                    + DravixProperty.LOG_VERBOSITY_SILENT + ", " + DravixProperty.LOG_VERBOSITY_EXCEPTIONS + ", "
                    + DravixProperty.LOG_VERBOSITY_WARNINGS + ", " + DravixProperty.LOG_VERBOSITY_INFO
                    + ") are not the service library's OLVAN_DRAVIX_LOG_VERBOSITY_* levels: this API jar was not"
                    + " made for the installed product, and the verbosity a program sets would reach the service"
                    + " as another level.";
        }
        return "The records the bridge makes from the API's settings are not the ones it expects: the bridge, the"
                + " API jar and the service library are not of one version. Install the bridge and the jar built"
                + " for this product, side by side with its service library.";
    }

    private static String version() {
        String version = InstallationCheck.class.getPackage().getImplementationVersion();
        return version == null ? "version unknown" : "version " + version;
    }

    private static String jarFile() {
        try {
            return Paths.get(InstallationCheck.class.getProtectionDomain().getCodeSource().getLocation().toURI())
                    .toString();
        } catch (java.net.URISyntaxException | RuntimeException e) {
            return "location unknown";
        }
    }
}
