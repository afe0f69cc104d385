package com.olvan.dravix.demo;

import com.olvan.dravix.Dravix;
import com.olvan.dravix.DravixProperty;
import com.olvan.dravix.infrastructure.DravixException;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Properties;

/** Walks a typical use of the Java interface, printing each step. */
public final class DravixDemo {
    private DravixDemo() {
    }

    private static void step(String text) {
        System.out.println("==> " + text);
    }

    public static void main(String[] args) throws IOException {
        step("settings: service 'orders', application 'demo', domain base 7, two user environment entries");
        Properties environment = new Properties();
        environment.setProperty("REGION", "eu-west");
        environment.setProperty("TIER", "gold");
        DravixProperty settings = new DravixProperty()
                .setServiceName("orders")
                .setApplicationName("demo")
                .setDomainIdBase(7)
                .setServiceVerbosity(DravixProperty.LOG_VERBOSITY_INFO)
                .setCfgStrings("<limits queue=\"64\"/>")
                .setEnableMonitoring(true)
                .setMonitoringDomainId(12)
                .setUserEnvironment(environment);

        Path file = Files.createTempFile("dravix-demo-", ".cfg");
        try (Dravix service = new Dravix(settings)) {
            step("service created; starting it");
            service.start();

            step("starting it again is refused by the service:");
            try {
                service.start();
            } catch (DravixException e) {
                System.out.println("    " + e.getClass().getSimpleName() + ": " + e.getMessage());
            }

            step("entity 'route' from configuration text");
            service.createEntity("route", "<route from=\"in\" to=\"out\"/>");

            step("entity 'audit' from a file, " + file);
            Files.write(file, "<audit level=\"full\"/>".getBytes(StandardCharsets.UTF_8));
            service.createEntity("audit", "file://" + file);

            step("the service's configuration:");
            System.out.println(service.getConfiguration());

            step("deleting entity 'route'");
            service.deleteEntity("route");

            step("deleting it again is refused:");
            try {
                service.deleteEntity("route");
            } catch (DravixException e) {
                System.out.println("    " + e.getClass().getSimpleName() + ": " + e.getMessage());
            }

            step("stopping the service");
            service.stop();
            step("closing it");
        } finally {
            Files.deleteIfExists(file);
        }
        step("done");
    }
}
