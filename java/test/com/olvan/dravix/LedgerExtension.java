package com.olvan.dravix;

import static org.junit.jupiter.api.Assertions.assertEquals;

import com.olvan.dravix.testing.StandIn;
import org.junit.jupiter.api.extension.AfterEachCallback;
import org.junit.jupiter.api.extension.BeforeEachCallback;
import org.junit.jupiter.api.extension.ExtensionContext;

/**
 * Resets the stand-in's controls before each test and proves afterwards that
 * nothing the test made is still alive: no middleware string, no configuration
 * text, no service, no string freed twice or from elsewhere, and no call that
 * reached a deleted service.
 */
public final class LedgerExtension implements BeforeEachCallback, AfterEachCallback {
    @Override
    public void afterEach(ExtensionContext context) {
        // Read the counters that reset() clears before clearing them.
        long badFrees = StandIn.badFrees();
        long deadServiceCalls = StandIn.deadServiceCalls();
        StandIn.reset();
        assertEquals(0, StandIn.liveStrings(), "middleware strings still alive");
        assertEquals(0, StandIn.liveTexts(), "configuration texts not freed");
        assertEquals(0, StandIn.liveServices(), "services not deleted");
        assertEquals(0, badFrees, "strings freed twice or not from DDS_String_dup");
        assertEquals(0, deadServiceCalls, "calls on a deleted service");
    }

    @Override
    public void beforeEach(ExtensionContext context) {
        StandIn.reset();
    }
}
