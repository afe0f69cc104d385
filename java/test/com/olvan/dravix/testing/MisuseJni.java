package com.olvan.dravix.testing;

/** Child JVM entry point for the checker test: makes one deliberate JNI misuse. */
public final class MisuseJni {
    private MisuseJni() {
    }

    public static void main(String[] args) {
        StandIn.misuseJni();
        System.out.println("misuse done");
    }
}
