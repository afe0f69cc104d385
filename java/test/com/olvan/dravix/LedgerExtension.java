package com.olvan.dravix;

import static org.junit.jupiter.api.Assertions.assertEquals;

import com.olvan.dravix.testing.StandIn;
import org.junit.jupiter.api.extension.AfterEachCallback;
import org.junit.jupiter.api.extension.BeforeEachCallback;
import org.junit.jupiter.api.extension.ExtensionContext;

/**
 * Resets the stand-in's controls before each test and proves afterwards that
 * nothing the test made is still alive: no middleware string, no configuration
 * text, no service, and no string freed twice or from elsewhere.
 */
public final class LedgerExtension implements BeforeEachCallback, AfterEachCallback {
    @Override
    public void beforeEach(ExtensionContext context) {
        StandIn.reset();
    }

    @Override
    public void afterEach(ExtensionContext context) {
        StandIn.reset();
        assertEquals(0, StandIn.liveStrings(), "middleware strings still alive");
        assertEquals(0, StandIn.liveTexts(), "configuration texts not freed");
        assertEquals(0, StandIn.liveServices(), "services not deleted");
        assertEquals(0, StandIn.badFrees(), "strings freed twice or not from DDS_String_dup");
    }
}
