package com.olvan.dravix.server;

import java.io.IOException;
import java.io.InputStream;
import java.net.HttpURLConnection;
import java.lang.management.ManagementFactory;
import java.net.URI;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.Comparator;
import java.util.List;
import java.util.LinkedHashMap;
import java.util.Map;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import java.util.logging.Handler;
import java.util.logging.Level;
import java.util.logging.LogRecord;
import java.util.logging.Logger;
import java.util.stream.Stream;
import javax.management.ObjectName;
import org.apache.catalina.Context;
import org.apache.catalina.Lifecycle;
import org.apache.catalina.connector.Connector;
import org.apache.catalina.core.StandardContext;
import org.apache.catalina.core.StandardHost;
import org.apache.catalina.startup.Tomcat;

/**
 * Tomcat, embedded on 127.0.0.1 on a free port, with web applications that use
 * Dravix (DravixServlet at /dravix, KeepingServlet at /keep), laid out one of
 * three ways:
 * <ul>
 *   <li>{@code inside}: the API jar in each application's WEB-INF/lib, as Maven
 *       packs a war. Two applications answer right at once, and each is
 *       redeployed 10 times with every first request right; then no earlier
 *       class loader lives on (findleaks).
 *   <li>{@code keeper}: the API jar inside an application that keeps a started
 *       service in a static field and never closes it, redeployed: each new
 *       deployment's first request is right.
 *   <li>{@code shared}: the API jar on the server's own class path (the common
 *       library folder of an installed server). Both applications work through
 *       16 reloads, every response right.
 * </ul>
 * Nothing here asks for a collection: the JVM runs with -XX:+DisableExplicitGC,
 * as production servers often do, and only the final leak check runs one, the
 * way an operator does (jcmd GC.run) before Tomcat's findleaks. The bridge's
 * copies go to a folder of the check's own, which must be empty once the server
 * has stopped. A warning or error that Tomcat logs (a leak it detects, say) is a
 * failure too. Prints a line a step and "FAIL: ..." for each wrong outcome;
 * exits 1 on any.
 * Usage: ServerCheck inside|keeper|shared WEBAPP_JAR API_JAR
 */
public final class ServerCheck {
    private static final long BOUND_NANOS = 60_000_000_000L;
    private static final int RELOADS = 16;
    private static final int REDEPLOYS = 10;
    private static final String BRIDGE = "libolvanjnidravix.so";
    private static final int REQUESTS_PER_ROUND = 12;

    private final Tomcat tomcat = new Tomcat();
    private final List<String> failures = Collections.synchronizedList(new ArrayList<>());
    private final Path webappJar;
    private final Path apiJar;
    private int port;
    private int requests;
    private Path copies;
    private int copiesSeen;

    private ServerCheck(Path webappJar, Path apiJar) {
        this.webappJar = webappJar;
        this.apiJar = apiJar;
    }

    public static void main(String[] args) throws Exception {
        String layout = args[0];
        ServerCheck check = new ServerCheck(Paths.get(args[1]).toAbsolutePath(), Paths.get(args[2]).toAbsolutePath());
        Logger.getLogger("").addHandler(check.new Complaints());
        Path work = Files.createTempDirectory("olvan-dravix-tomcat-");
        try {
            // The server's own setting, as CATALINA_OPTS would give it.
            check.copies = Files.createDirectories(work.resolve("copies"));
            System.setProperty("olvan.dravix.copyFolder", check.copies.toString());
            check.start(work);
            try {
                switch (layout) {
                    case "inside" -> check.inside(work);
                    case "keeper" -> check.keeper(work);
                    default -> check.shared(work);
                }
            } finally {
                check.tomcat.stop();
                check.tomcat.destroy();
            }
            check.noCopyLeft();
        } finally {
            try (Stream<Path> files = Files.walk(work)) {
                files.sorted(Comparator.reverseOrder()).forEach(f -> f.toFile().delete());
            }
        }
        check.failures.forEach(f -> System.out.println("FAIL: " + f));
        System.out.println(check.requests + " requests, " + check.failures.size() + " failures");
        System.exit(check.failures.isEmpty() ? 0 : 1);
    }

    /** Every warning or error Tomcat logs is a failure: leaks it found, an application that did not start. */
    private final class Complaints extends Handler {
        @Override
        public synchronized void publish(LogRecord record) {
            if (record.getLevel().intValue() >= Level.WARNING.intValue()) {
                failures.add("logged " + record.getLevel() + " by " + record.getLoggerName() + ": "
                        + record.getMessage());
            }
        }

        @Override
        public void flush() {
        }

        @Override
        public void close() {
        }
    }

    private void start(Path work) throws Exception {
        tomcat.setBaseDir(work.resolve("tomcat").toString());
        tomcat.getHost().setAppBase(work.resolve("webapps").toString());
        Connector connector = new Connector();
        connector.setProperty("address", "127.0.0.1");
        connector.setPort(0);
        tomcat.setConnector(connector);
        tomcat.start();
        port = connector.getLocalPort();
        System.out.println("Tomcat on 127.0.0.1:" + port);
    }

    /** Deploys an application: the servlets' jar and, when asked, the API jar in WEB-INF/lib. */
    private Context deploy(Path work, String name, boolean withApi) throws IOException {
        Path base = work.resolve("webapps").resolve(name);
        Path lib = Files.createDirectories(base.resolve("WEB-INF").resolve("lib"));
        Files.copy(webappJar, lib.resolve(webappJar.getFileName()), StandardCopyOption.REPLACE_EXISTING);
        if (withApi) {
            Files.copy(apiJar, lib.resolve(apiJar.getFileName()), StandardCopyOption.REPLACE_EXISTING);
        }
        // As a web.xml would: the servlet is declared at each start, since a reload drops a context's servlets.
        StandardContext context = new StandardContext();
        context.setName("/" + name);
        context.setPath("/" + name);
        context.setDocBase(base.toString());
        context.addLifecycleListener(new Tomcat.FixContextListener());
        context.addLifecycleListener(event -> {
            if (event.getType().equals(Lifecycle.CONFIGURE_START_EVENT)) {
                Tomcat.addServlet(context, "dravix", "com.olvan.dravix.server.app.DravixServlet")
                        .addMapping("/dravix");
                Tomcat.addServlet(context, "keep", "com.olvan.dravix.server.app.KeepingServlet")
                        .addMapping("/keep");
            }
        });
        tomcat.getHost().addChild(context);
        return context;
    }

    /** Undeploys an application and deploys it anew, as a server's manager does with a new war. */
    private Context redeploy(Path work, Context context, boolean withApi) throws IOException {
        tomcat.getHost().removeChild(context);
        return deploy(work, context.getName().substring(1), withApi);
    }

    private String get(String name) throws IOException {
        return get(name, "dravix");
    }

    private String get(String name, String servlet) throws IOException {
        synchronized (this) {
            requests++;
        }
        HttpURLConnection connection = (HttpURLConnection) URI.create("http://127.0.0.1:" + port + "/" + name
                + "/" + servlet).toURL().openConnection();
        connection.setConnectTimeout(10_000);
        connection.setReadTimeout(30_000);
        try (InputStream in = connection.getResponseCode() == 200 ? connection.getInputStream()
                : connection.getErrorStream()) {
            String body = in == null ? "" : new String(in.readAllBytes(), StandardCharsets.UTF_8);
            return connection.getResponseCode() == 200 ? body : "HTTP " + connection.getResponseCode() + " " + body;
        } finally {
            connection.disconnect();
        }
    }

    /** Asks the application's servlet and fails the step unless the answer is the one wanted. */
    private void expect(String step, String name, String servlet, String wanted) throws IOException {
        String answer = get(name, servlet);
        if (!answer.equals(wanted)) {
            failures.add(step + ": wanted " + wanted + ", got " + answer);
        }
        noteCopies();
    }

    private void expectOk(String step, String name) throws IOException {
        expect(step, name, "dravix", "ok " + name);
    }

    /** Both applications asked at once, from several threads: every answer right. */
    private void together(String step, List<String> names) throws Exception {
        ExecutorService clients = Executors.newFixedThreadPool(4);
        try {
            List<Future<?>> answers = new ArrayList<>();
            for (int i = 0; i < REQUESTS_PER_ROUND; i++) {
                String name = names.get(i % names.size());
                answers.add(clients.submit(() -> {
                    expectOk(step + ", " + name, name);
                    return null;
                }));
            }
            for (Future<?> answer : answers) {
                answer.get();
            }
        } finally {
            clients.shutdown();
        }
    }

    private void inside(Path work) throws Exception {
        List<String> names = List.of("first", "second");
        Map<String, Context> apps = new LinkedHashMap<>();
        for (String name : names) {
            apps.put(name, deploy(work, name, true));
        }
        together("both at once", names);
        for (int round = 1; round <= REDEPLOYS; round++) {
            for (String name : names) {
                apps.put(name, redeploy(work, apps.get(name), true));
                expectOk("redeploy " + round + " of " + name + ", its first request", name);
                for (String other : names) {
                    expectOk("redeploy " + round + " of " + name + ", then " + other, other);
                }
            }
        }
        System.out.println("two applications, " + REDEPLOYS + " redeploys each, " + requests + " requests, "
                + copiesSeen + " bridge copies mapped at most");
        if (copiesSeen == 0) {
            failures.add("no copy of the bridge was ever loaded from " + copies);
        }
        leaks();
    }

    private void keeper(Path work) throws Exception {
        Context keeper = deploy(work, "keeper", true);
        expect("keeper, keeping a service", "keeper", "keep", "kept keeper");
        for (int round = 1; round <= 3; round++) {
            keeper = redeploy(work, keeper, true);
            expectOk("keeper, redeploy " + round + " while each earlier one keeps its service, first request",
                    "keeper");
            expect("keeper, redeploy " + round + ", keeping a service", "keeper", "keep", "kept keeper");
        }
        System.out.println("an application keeping an open service, 3 redeploys, " + requests + " requests");
    }

    private void shared(Path work) throws Exception {
        List<Context> apps = List.of(deploy(work, "first", false), deploy(work, "second", false));
        for (int round = 0; round <= RELOADS; round++) {
            if (round > 0) {
                ((StandardContext) apps.get(round % 2)).reload();
            }
            for (int i = 0; i < REQUESTS_PER_ROUND; i++) {
                String name = i % 2 == 0 ? "first" : "second";
                expectOk("round " + round + ", " + name, name);
            }
        }
        System.out.println(RELOADS + " reloads, " + requests + " requests");
        leaks();
    }

    /** Notes how many removed copies of the bridge are mapped now: each serves a class loader. */
    private synchronized void noteCopies() throws IOException {
        long mapped = Files.readAllLines(Paths.get("/proc/self/maps")).stream()
                .filter(line -> line.contains(copies + "/") && line.endsWith("/" + BRIDGE + " (deleted)"))
                .map(line -> line.substring(line.indexOf('/'))).distinct().count();
        copiesSeen = Math.max(copiesSeen, (int) mapped);
    }

    /** Once the server has stopped, the copies' folder is as empty as it began. */
    private void noCopyLeft() throws IOException {
        try (Stream<Path> left = Files.list(copies)) {
            List<Path> files = left.toList();
            System.out.println("left in the copies' folder: " + files);
            if (!files.isEmpty()) {
                failures.add("files left in the copies' folder: " + files);
            }
        }
    }

    /**
     * What Tomcat's manager reports as findleaks: undeployed or reloaded applications whose old
     * class loader lives on, after a full collection asked for as jcmd GC.run does (which
     * -XX:+DisableExplicitGC leaves alone; findleaks' own System.gc() does nothing under it).
     */
    private void leaks() throws Exception {
        ObjectName diagnostics = new ObjectName("com.sun.management:type=DiagnosticCommand");
        long start = System.nanoTime();
        String[] leaking;
        do {
            ManagementFactory.getPlatformMBeanServer().invoke(diagnostics, "gcRun", new Object[] {null},
                    new String[] {String[].class.getName()});
            leaking = ((StandardHost) tomcat.getHost()).findReloadedContextMemoryLeaks();
            if (leaking.length > 0) {
                Thread.sleep(100);
            }
        } while (leaking.length > 0 && System.nanoTime() - start < BOUND_NANOS);
        System.out.println("findleaks: " + (leaking.length == 0 ? "No memory leaks found" : Arrays.toString(leaking)));
        if (leaking.length > 0) {
            failures.add("earlier class loaders still alive: " + Arrays.toString(leaking));
        }
    }
}
