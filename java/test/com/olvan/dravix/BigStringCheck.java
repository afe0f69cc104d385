package com.olvan.dravix;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.fail;

import com.olvan.dravix.infrastructure.OutOfResourcesException;
import com.olvan.dravix.testing.StandIn;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;

/**
 * Strings whose modified UTF-8 passes 2^31 bytes. JDK 17 gives only the first
 * 2^31 - 2 bytes of such a string, without an error; the service must then get
 * nothing and the caller an exception, never a text cut short. Later JDKs give
 * the whole text, which must then arrive whole. Needs about 9 GB of memory and
 * a minute or two: run only when asked (docs/testing.md).
 */
@ExtendWith(LedgerExtension.class)
class BigStringCheck {
    private static final String NO_MEMORY = "insufficient memory for native allocation";
    // 1.1 billion two-byte characters: 2.2 billion bytes of modified UTF-8.
    private static final int OVER_THE_LIMIT = 1_100_000_000;
    private static final boolean JVM_CUTS = Runtime.version().feature() == 17;

    /** Runs the call; returns the exception if it was refused, and fails if JDK 17 let it through. */
    private static OutOfResourcesException refusedOrWhole(Runnable call) {
        try {
            call.run();
        } catch (OutOfResourcesException e) {
            return e;
        }
        if (JVM_CUTS) {
            fail("JDK 17 cuts such a string: the call must have been refused");
        }
        return null;
    }

    @Test
    void anEntityTextIsWholeOrRefused() {
        String text = "\u00e9".repeat(OVER_THE_LIMIT);
        try (Dravix service = new Dravix()) {
            OutOfResourcesException refused = refusedOrWhole(() -> service.createEntity("big", text));
            if (refused != null) {
                assertEquals(NO_MEMORY, refused.getMessage());
                assertEquals(0, StandIn.calls("OLVAN_Dravix_create_entity"), "nothing reaches the service");
            } else {
                assertEquals(2L * OVER_THE_LIMIT, StandIn.lastEntityTextLength(), "the service got the whole text");
            }
        }
    }

    @Test
    void settingsAreWholeOrRefused() {
        String big = "\u00e9".repeat(OVER_THE_LIMIT);
        DravixProperty settings = new DravixProperty().setApplicationName(big);
        OutOfResourcesException refused = refusedOrWhole(() -> new Dravix(settings).close());
        if (refused != null) {
            assertEquals(NO_MEMORY, refused.getMessage());
            assertEquals(0, StandIn.calls("OLVAN_Dravix_new"), "nothing reaches the service");
        }
        settings.setApplicationName(null).getUserEnvironment().setProperty("BIG", big);
        refused = refusedOrWhole(() -> new Dravix(settings).close());
        if (refused != null) {
            assertEquals("get native string value", refused.getMessage());
            assertNull(refused.getCause(), "the JVM threw nothing: the bridge refused");
        }
    }

    @Test
    void aLongTextUnderTheLimitIsMeasuredAndPassedWhole() {
        // Long enough to be measured, short enough for every JVM to give whole;
        // NUL takes two bytes in modified UTF-8.
        String text = "a".repeat(800_000_000) + "\u0000\u00e9";
        try (Dravix service = new Dravix()) {
            service.createEntity("long", text);
            assertEquals(800_000_004L, StandIn.lastEntityTextLength());
        }
    }
}
