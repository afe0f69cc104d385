package com.olvan.dravix;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.olvan.dravix.infrastructure.DravixException;
import com.olvan.dravix.testing.StandIn;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.api.function.Executable;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

@ExtendWith(LedgerExtension.class)
class ServiceLifecycleTest {
    /** The exact class, not a subclass, and the exact message. */
    static <T extends Throwable> T assertThrowsExactly(Class<T> type, String message, Executable call) {
        T thrown = assertThrows(type, call);
        assertEquals(type, thrown.getClass());
        assertEquals(message, thrown.getMessage());
        return thrown;
    }

    @Test
    void typicalLifeReachesTheLibraryOnceEach() {
        try (Dravix service = new Dravix(new DravixProperty())) {
            service.start();
            service.stop();
            service.start();
            service.stop();
        }
        assertEquals(1, StandIn.calls("OLVAN_Dravix_new"));
        assertEquals(2, StandIn.calls("OLVAN_Dravix_start"));
        assertEquals(2, StandIn.calls("OLVAN_Dravix_stop"));
        assertEquals(1, StandIn.calls("OLVAN_Dravix_delete"));
    }

    @Test
    void zeroRecordHandleIsPassedAsNullRecord() {
        long service = Dravix.Dravix_new(0);
        try {
            assertNotEquals(0, service);
            assertNull(StandIn.lastRecord(), "the library must have received a null record");
            assertEquals(1, StandIn.calls("OLVAN_Dravix_new"));
        } finally {
            Dravix.Dravix_delete(service);
        }
    }

    @Test
    void zeroServiceHandleNeverReachesTheLibrary() {
        String message = "null Dravix native reference";
        assertThrowsExactly(IllegalArgumentException.class, message, () -> Dravix.Dravix_start(0));
        assertThrowsExactly(IllegalArgumentException.class, message, () -> Dravix.Dravix_stop(0));
        assertThrowsExactly(IllegalArgumentException.class, message, () -> Dravix.Dravix_delete(0));
        for (String function : new String[] {"OLVAN_Dravix_start", "OLVAN_Dravix_stop", "OLVAN_Dravix_delete"}) {
            assertEquals(0, StandIn.calls(function), function);
        }
    }

    @ParameterizedTest
    @ValueSource(ints = {0, 2, 255})
    void startAndStopSucceedOnlyOnExactlyOne(int result) {
        try (Dravix service = new Dravix()) {
            StandIn.forceResult("OLVAN_Dravix_start", result);
            assertThrowsExactly(DravixException.class, "OLVAN_Dravix_start error", service::start);
            StandIn.forceResult("OLVAN_Dravix_start", -1);
            service.start();
            StandIn.forceResult("OLVAN_Dravix_stop", result);
            assertThrowsExactly(DravixException.class, "OLVAN_Dravix_stop error", service::stop);
            StandIn.forceResult("OLVAN_Dravix_stop", -1);
            service.stop();
        }
    }

    @Test
    void libraryRulesOnStatesSurfaceAsDravixException() {
        try (Dravix service = new Dravix()) {
            assertThrowsExactly(DravixException.class, "OLVAN_Dravix_stop error", service::stop);
            service.start();
            assertThrowsExactly(DravixException.class, "OLVAN_Dravix_start error", service::start);
            service.stop();
            service.start();
        }
    }

    @Test
    void refusedCreationRaisesAndReleasesTheRecord() {
        StandIn.failNew(true);
        assertThrowsExactly(DravixException.class, "Dravix_new native error", () -> Dravix.Dravix_new(0));
        DravixProperty settings = new DravixProperty().setServiceName("refused").setCfgStrings("a", "b");
        assertThrowsExactly(DravixException.class, "Dravix_new native error", () -> new Dravix(settings));
        StandIn.failNew(false);
        assertEquals(0, StandIn.liveStrings(), "the converted record must be deleted when creation fails");
        try (Dravix service = new Dravix(settings)) {
            service.start();
        }
    }

    @Test
    void closeIsFinalAndIdempotent() {
        Dravix service = new Dravix();
        service.start();
        assertFalse(service.isClosed());
        service.close();
        service.close();
        assertTrue(service.isClosed());
        assertEquals(1, StandIn.calls("OLVAN_Dravix_delete"));
        for (Executable call : new Executable[] {service::start, service::stop, service::getConfiguration,
                () -> service.createEntity("e", "text"), () -> service.deleteEntity("e")}) {
            assertThrows(IllegalStateException.class, call);
        }
        assertEquals(1, StandIn.calls("OLVAN_Dravix_start"));
        assertEquals(0, StandIn.calls("OLVAN_Dravix_stop"));
    }
}
