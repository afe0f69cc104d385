package com.olvan.dravix.testing;

import com.olvan.dravix.DravixProperty;

/** A program that only makes and changes settings: it needs no bridge and must print nothing but its line. */
public final class SettingsOnly {
    private SettingsOnly() {
    }

    public static void main(String[] args) {
        DravixProperty settings = new DravixProperty().setServiceName("orders").setDomainIdBase(7)
                .setCfgStrings("<a/>").setServiceVerbosity(DravixProperty.LOG_VERBOSITY_INFO);
        settings.getUserEnvironment().setProperty("REGION", "eu-west");
        System.out.println("settings made: " + settings.getServiceName());
    }
}
