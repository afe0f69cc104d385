package com.olvan.dravix.server;

import java.io.IOException;
import java.io.InputStream;
import java.net.HttpURLConnection;
import java.net.URI;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.Comparator;
import java.util.List;
import java.util.function.Predicate;
import java.util.logging.Handler;
import java.util.logging.Level;
import java.util.logging.LogRecord;
import java.util.logging.Logger;
import java.util.stream.Stream;
import org.apache.catalina.Context;
import org.apache.catalina.Lifecycle;
import org.apache.catalina.connector.Connector;
import org.apache.catalina.core.StandardContext;
import org.apache.catalina.core.StandardHost;
import org.apache.catalina.startup.Tomcat;

/**
 * Tomcat, embedded on 127.0.0.1 on a free port, with two web applications that
 * use Dravix (DravixServlet), laid out one of two ways:
 * <ul>
 *   <li>{@code inside}: the API jar in each application's WEB-INF/lib. The first
 *       application loads the bridge, the second is refused; once the second is
 *       undeployed and the first reloaded, the first works again as soon as its
 *       earlier class loader has been collected.
 *   <li>{@code shared}: the API jar on the server's own class path (the common
 *       library folder of an installed server). Both applications work through
 *       16 reloads, every response right.
 * </ul>
 * A warning or error that Tomcat logs (a leak it detects, say) is a failure too.
 * Prints a line a step and "FAIL: ..." for each wrong outcome; exits 1 on any.
 * Usage: ServerCheck inside|shared WEBAPP_JAR API_JAR
 */
public final class ServerCheck {
    private static final long BOUND_NANOS = 60_000_000_000L;
    private static final int RELOADS = 16;
    private static final int REQUESTS_PER_ROUND = 12;

    private final Tomcat tomcat = new Tomcat();
    private final List<String> failures = Collections.synchronizedList(new ArrayList<>());
    private int port;
    private int requests;

    private ServerCheck() {
    }

    public static void main(String[] args) throws Exception {
        String layout = args[0];
        Path webappJar = Paths.get(args[1]).toAbsolutePath();
        Path apiJar = Paths.get(args[2]).toAbsolutePath();
        ServerCheck check = new ServerCheck();
        Logger.getLogger("").addHandler(check.new Complaints());
        Path work = Files.createTempDirectory("olvan-dravix-tomcat-");
        try {
            check.start(work);
            try {
                if (layout.equals("inside")) {
                    check.inside(work, webappJar, apiJar);
                } else {
                    check.shared(work, webappJar);
                }
            } finally {
                check.tomcat.stop();
                check.tomcat.destroy();
            }
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

    /** An application's folder: the servlet's jar and, when given, the API jar in WEB-INF/lib. */
    private Context deploy(Path work, String name, Path webappJar, Path apiJar) throws IOException {
        Path base = work.resolve("webapps").resolve(name);
        Path lib = Files.createDirectories(base.resolve("WEB-INF").resolve("lib"));
        Files.copy(webappJar, lib.resolve(webappJar.getFileName()));
        if (apiJar != null) {
            Files.copy(apiJar, lib.resolve(apiJar.getFileName()));
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
            }
        });
        tomcat.getHost().addChild(context);
        return context;
    }

    private String get(String name) throws IOException {
        requests++;
        HttpURLConnection connection = (HttpURLConnection) URI.create("http://127.0.0.1:" + port + "/" + name
                + "/dravix").toURL().openConnection();
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

    private void expect(String step, String name, Predicate<String> right, String wanted) throws IOException {
        String answer = get(name);
        System.out.println(step + ": " + answer);
        if (!right.test(answer)) {
            failures.add(step + ": wanted " + wanted + ", got " + answer);
        }
    }

    /** Requests until the answer is "ok NAME", collecting garbage between tries; returns the tries it took. */
    private int untilOk(String name) throws Exception {
        long start = System.nanoTime();
        for (int tries = 1; ; tries++) {
            String answer = get(name);
            if (answer.equals("ok " + name)) {
                return tries;
            }
            if (System.nanoTime() - start > BOUND_NANOS) {
                failures.add(name + " never worked again: " + answer);
                return tries;
            }
            System.gc();
            Thread.sleep(50);
        }
    }

    private void inside(Path work, Path webappJar, Path apiJar) throws Exception {
        Context first = deploy(work, "first", webappJar, apiJar);
        Context second = deploy(work, "second", webappJar, apiJar);
        expect("first", "first", "ok first"::equals, "ok first");
        expect("second, while the first holds the bridge", "second",
                a -> a.startsWith("thrown java.lang.UnsatisfiedLinkError: The bridge ")
                        && a.contains("is already loaded by another class loader in this JVM")
                        && a.contains("may be an earlier deployment of this same application"),
                "the refusal that names an earlier deployment");
        tomcat.getHost().removeChild(second);
        ((StandardContext) first).reload();
        // The first request may still meet the earlier loader; each later one tries again.
        int tries = untilOk("first");
        System.out.println("first, reloaded: ok at request " + tries);
        leaks();
    }

    private void shared(Path work, Path webappJar) throws Exception {
        List<Context> apps = List.of(deploy(work, "first", webappJar, null), deploy(work, "second", webappJar, null));
        for (int round = 0; round <= RELOADS; round++) {
            if (round > 0) {
                ((StandardContext) apps.get(round % 2)).reload();
            }
            for (int i = 0; i < REQUESTS_PER_ROUND; i++) {
                String name = i % 2 == 0 ? "first" : "second";
                String answer = get(name);
                if (!answer.equals("ok " + name)) {
                    failures.add("round " + round + ", " + name + ": " + answer);
                }
            }
        }
        System.out.println(RELOADS + " reloads, " + requests + " requests");
        leaks();
    }

    /** What Tomcat's manager reports as findleaks: reloaded applications whose old loader lives on. */
    private void leaks() throws InterruptedException {
        long start = System.nanoTime();
        String[] leaking;
        do {
            System.gc();
            Thread.sleep(50);
            leaking = ((StandardHost) tomcat.getHost()).findReloadedContextMemoryLeaks();
        } while (leaking.length > 0 && System.nanoTime() - start < BOUND_NANOS);
        System.out.println("findleaks: " + (leaking.length == 0 ? "No memory leaks found" : Arrays.toString(leaking)));
        if (leaking.length > 0) {
            failures.add("earlier class loaders still alive: " + Arrays.toString(leaking));
        }
    }
}
