package com.olvan.dravix.testkit;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.platform.engine.discovery.DiscoverySelectors.selectClass;

import com.olvan.dravix.Dravix;
import com.olvan.dravix.DravixProperty;
import com.olvan.dravix.infrastructure.DravixException;
import com.olvan.dravix.infrastructure.OutOfResourcesException;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.AbstractMap;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Map;
import java.util.Properties;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.api.function.Executable;
import org.junit.jupiter.api.io.TempDir;
import org.junit.platform.launcher.core.LauncherDiscoveryRequestBuilder;
import org.junit.platform.launcher.core.LauncherFactory;
import org.junit.platform.launcher.listeners.SummaryGeneratingListener;

/** The test kit as a user's test meets it: the API on the stand-in, its controls and views. */
@ExtendWith(StandInExtension.class)
class StandInTest {
    /** Each operation, how to run it on a started service, and the message the API throws. */
    private static final Map<Operation, String> MESSAGES = Map.of(
            Operation.NEW, "Dravix_new native error",
            Operation.START, "OLVAN_Dravix_start error",
            Operation.STOP, "OLVAN_Dravix_stop error",
            Operation.CREATE_ENTITY, "OLVAN_Dravix_create_entity error",
            Operation.DELETE_ENTITY, "OLVAN_Dravix_delete_entity error",
            Operation.GET_CONFIGURATION, "OLVAN_Dravix_get_configuration error");

    private static Executable call(Operation operation, Dravix service) {
        switch (operation) {
            case NEW:
                return () -> new Dravix().close();
            case START:
                return service::start;
            case STOP:
                return service::stop;
            case CREATE_ENTITY:
                return () -> service.createEntity("new", "<n/>");
            case DELETE_ENTITY:
                return () -> service.deleteEntity("kept");
            default:
                return service::getConfiguration;
        }
    }

    /** A service in the state each operation needs to succeed: for STOP started, else created; entity "kept". */
    private static Dravix ready(Operation operation) {
        Dravix service = new Dravix();
        service.createEntity("kept", "<k/>");
        if (operation == Operation.STOP) {
            service.start();
        }
        return service;
    }

    @Test
    void eachOperationFailsNextOrAlwaysWithTheDocumentedException(StandIn standIn) throws Throwable {
        for (Operation operation : Operation.values()) {
            try (Dravix service = ready(operation)) {
                standIn.failNext(operation);
                DravixException thrown = assertThrows(DravixException.class, call(operation, service));
                assertEquals(MESSAGES.get(operation), thrown.getMessage(), operation.name());
                call(operation, service).execute();  // the next call succeeds
            }
            try (Dravix service = ready(operation)) {
                standIn.failAlways(operation);
                for (int i = 0; i < 2; i++) {
                    assertEquals(MESSAGES.get(operation), assertThrows(DravixException.class,
                            call(operation, service)).getMessage(), operation.name());
                }
                standIn.reset();
                call(operation, service).execute();
            }
        }
    }

    @Test
    void aStringCopyThatFailsRunsOutOfMemoryAndLeavesNothing(StandIn standIn) {
        DravixProperty settings = new DravixProperty().setServiceName("a").setApplicationName("b");
        standIn.failStringCopyAfter(1);
        OutOfResourcesException thrown = assertThrows(OutOfResourcesException.class, () -> new Dravix(settings));
        assertEquals("insufficient memory for native allocation", thrown.getMessage());
        assertEquals(0, standIn.liveServices());
        assertEquals(0, standIn.liveStrings());
        try (Dravix service = new Dravix(settings)) {
            standIn.failStringCopyAfter(0);
            assertThrows(OutOfResourcesException.class, () -> service.createEntity("e", "<e/>"));
            assertEquals(List.of(), standIn.entityNames());
        }
    }

    @Test
    void theServicesShowWhatTheyWereGiven(StandIn standIn, @TempDir Path directory) throws IOException {
        Properties environment = new Properties() {
            private static final long serialVersionUID = 1L;

            @Override
            public java.util.Enumeration<?> propertyNames() {
                return java.util.Collections.enumeration(List.of("ZONE", "A\u00e9\uD83D\uDE00", "EMPTY"));
            }
        };
        environment.setProperty("ZONE", "z1");
        environment.setProperty("A\u00e9\uD83D\uDE00", "nul\u0000inside");
        environment.setProperty("EMPTY", "");
        DravixProperty settings = new DravixProperty().setCfgFile("/etc/d.xml").setCfgStrings("<a/>", null)
                .setServiceName("orders").setApplicationName("shop").setEnforceXsdValidation(false)
                .setServiceVerbosity(DravixProperty.LOG_VERBOSITY_INFO).setDdsVerbosity(1).setDomainIdBase(7)
                .setPluginSearchPath("/p").setDontStartService(true).setEnableAdministration(true)
                .setAdministrationDomainId(9).setEnableMonitoring(true).setMonitoringDomainId(10)
                .setSkipDefaultFiles(true).setIdentifyExecution(true).setUserEnvironment(environment);
        Path file = Files.writeString(directory.resolve("audit.cfg"), "<audit/>");
        try (Dravix first = new Dravix(settings); Dravix second = new Dravix()) {
            first.start();
            first.createEntity("route", "<route/>");
            second.createEntity("other", "<o/>");
            first.createEntity("audit", "file://" + file);

            assertEquals(2, standIn.liveServices());
            assertEquals(List.of("route", "other", "audit"), standIn.entityNames());
            List<Service> services = standIn.services();
            Service service = services.get(0);
            assertTrue(service.started());
            assertFalse(services.get(1).started());
            assertEquals(new Settings("/etc/d.xml", Arrays.asList("<a/>", null), "orders", "shop", false, 7, 1, 7,
                    "/p", true, true, 9, true, 10, true, true, List.of(
                            new AbstractMap.SimpleImmutableEntry<>("ZONE", "z1"),
                            new AbstractMap.SimpleImmutableEntry<>("A\u00e9\uD83D\uDE00", "nul\u0000inside"),
                            new AbstractMap.SimpleImmutableEntry<>("EMPTY", ""))),
                    service.settings());
            assertEquals(List.of("route", "audit"), names(service.entities()));
            Entity audit = service.entities().get(1);
            assertEquals(file.toString(), audit.fileName());
            assertEquals("<audit/>", audit.configuration());
            assertEquals(null, service.entities().get(0).fileName());
            assertThrows(UnsupportedOperationException.class, () -> service.entities().clear());
            assertTrue(standIn.liveStrings() > 0, "open services hold their settings' strings");
        }
        assertEquals(0, standIn.liveServices());
        assertEquals(List.of(), standIn.services());
    }

    private static List<String> names(List<Entity> entities) {
        List<String> names = new ArrayList<>();
        entities.forEach(e -> names.add(e.name()));
        return names;
    }

    /** Run only through the launcher below: it leaves a service open. */
    @ExtendWith(StandInExtension.class)
    static class Leaking {
        @Test
        void forgetsToClose() {
            Dravix service = new Dravix(new DravixProperty().setServiceName("forgotten"));
            service.start();
            service.createEntity("left", "<l/>");
        }
    }

    @Test
    void aTestThatLeavesADravixOpenFailsNamingIt() {
        SummaryGeneratingListener listener = new SummaryGeneratingListener();
        LauncherFactory.create().execute(LauncherDiscoveryRequestBuilder.request()
                .selectors(selectClass(Leaking.class)).build(), listener);
        assertEquals(1, listener.getSummary().getTotalFailureCount());
        Throwable failure = listener.getSummary().getFailures().get(0).getException();
        assertEquals(AssertionError.class, failure.getClass());
        assertEquals("The test left 1 Dravix open (service \"forgotten\", started, entities [left]) and 1"
                + " middleware string live: close every Dravix it makes, with try-with-resources or close()",
                failure.getMessage());
        // What it left is set aside: the next test sees a stand-in without it, before any collection.
        StandIn standIn = StandIn.get();
        assertEquals(0, standIn.liveServices());
        assertEquals(List.of(), standIn.services());
        assertEquals(List.of(), standIn.entityNames());
        assertEquals(0, standIn.liveStrings());
        try (Dravix next = new Dravix(new DravixProperty().setServiceName("next"))) {
            next.createEntity("left", "<l/>");  // the name is free in a service of its own
            assertEquals(List.of("left"), standIn.entityNames());
            assertEquals(1, standIn.liveServices());
            assertTrue(standIn.liveStrings() > 0);
        }
        assertEquals(0, standIn.liveServices());
        // What it left is unreachable: the API's cleaner releases it, and then nothing is set aside.
        long deadline = System.nanoTime() + TimeUnit.SECONDS.toNanos(30);
        while (standIn.setAsideServices() > 0) {
            assertTrue(System.nanoTime() < deadline, "the cleaner never released the forgotten service");
            System.gc();
            Thread.onSpinWait();
        }
        assertEquals(0, standIn.liveStrings());
    }

    private static Path codeOf(Class<?> type) throws IOException {
        try {
            return Paths.get(type.getProtectionDomain().getCodeSource().getLocation().toURI());
        } catch (java.net.URISyntaxException e) {
            throw new IOException(e);
        }
    }

    /** Runs KitChild in a JVM of its own, with the kit and the API on the class path; returns its output. */
    private static String child(String mode, String... options) throws IOException, InterruptedException {
        List<String> command = new ArrayList<>();
        command.add(Paths.get(System.getProperty("java.home"), "bin", "java").toString());
        for (String argument : java.lang.management.ManagementFactory.getRuntimeMXBean().getInputArguments()) {
            if (argument.startsWith("--enable-native-access")) {
                command.add(argument);
            }
        }
        command.addAll(Arrays.asList(options));
        String classPath = codeOf(Dravix.class) + ":" + codeOf(StandIn.class) + ":" + codeOf(KitChild.class);
        command.addAll(List.of("-cp", classPath, KitChild.class.getName(), mode));
        Process process = new ProcessBuilder(command).redirectErrorStream(true).start();
        String output = new String(process.getInputStream().readAllBytes(), StandardCharsets.UTF_8);
        assertTrue(process.waitFor(60, TimeUnit.SECONDS));
        return output;
    }

    @Test
    void theNativesLiveInAPrivateFolderThatGoesWithTheJvm() throws Exception {
        String output = child("folder");
        assertTrue(output.startsWith("folder: "), output);
        String[] parts = output.trim().substring("folder: ".length()).split(" ");
        assertEquals("rwx------", parts[1], output);
        assertFalse(Files.exists(Paths.get(parts[0])), "removed when the JVM exits: " + parts[0]);
    }

    @Test
    void aBridgeLoadedFromElsewhereFirstIsRefusedAtOnce(@TempDir Path directory) throws Exception {
        // A "product": the kit's own natives, copied where the API finds them first.
        Path product = Files.createDirectories(directory.resolve("product"));
        for (String name : List.of("libolvanjnidravix.so", "libolvandravix.so", "libolvandds.so")) {
            try (var in = StandIn.class.getResourceAsStream("/natives/" + Natives.PLATFORM + "/" + name)) {
                Files.copy(in, product.resolve(name));
            }
        }
        String output = child("foreign", "-Djava.library.path=" + product);
        assertTrue(output.startsWith("refused: java.lang.IllegalStateException: A Dravix library is already loaded"
                + " in this JVM, from " + product.toRealPath().resolve("libolvanjnidravix.so")), output);
    }

    @Test
    void theInstallationCheckSaysItRanOnTheStandIn() throws Exception {
        String output = child("check");
        assertTrue(output.contains("(the stand-in for tests, not the product)"), output);
        assertTrue(output.contains("PASSED: all 6 cases"), output);
        assertTrue(output.contains("The service library is the stand-in for tests"), output);
    }
}
