package com.olvan.dravix.bench;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.ByteBuffer;
import java.nio.charset.CharacterCodingException;
import java.nio.charset.CodingErrorAction;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.List;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

/**
 * The harness's arithmetic, the rows a child JVM hands back, and the inputs'
 * sizes: a fault in any of them would print plausible figures that are wrong.
 * No native code is involved; samples are scripted.
 */
class HarnessTest {
    /** A sample that reports the given times in turn, and logs its name when taken. */
    private static Harness.Sample scripted(String name, List<String> log, long... nanos) {
        int[] next = {0};
        return () -> {
            log.add(name);
            return nanos[next[0]++ % nanos.length];
        };
    }

    @Test
    void timesArePerUnitAndTheRatioIsBridgeOverFloor() {
        List<String> log = new ArrayList<>();
        Harness.Result r = Harness.compare(scripted("b", log, 3000), scripted("f", log, 1000), 10, false,
                new Harness.Plan(1, 3, 5, false));
        assertEquals(300.0, r.bridgeNanos);
        assertEquals(100.0, r.floorNanos);
        assertEquals(3.0, r.ratio);
        assertEquals(3.0, r.ratioLow);
        assertEquals(3.0, r.ratioHigh);
    }

    @Test
    void bridgeAndFloorAlternateAndNeitherGoesFirstEveryTime() {
        List<String> log = new ArrayList<>();
        Harness.compare(scripted("b", log, 5), scripted("f", log, 5), 1, false, new Harness.Plan(0, 1, 4, false));
        assertEquals(List.of("b", "f", "f", "b", "b", "f", "f", "b"), log);
    }

    @Test
    void aSlowOutlierMovesNeitherTheMedianNorTheRatio() {
        List<String> log = new ArrayList<>();
        Harness.Result r = Harness.compare(scripted("b", log, 200, 200, 9_000_000, 200, 200),
                scripted("f", log, 100), 1, false, new Harness.Plan(0, 1, 5, false));
        assertEquals(200.0, r.bridgeNanos);
        assertEquals(2.0, r.ratio);
    }

    @Test
    void spreadIsTheLowestAndHighestRun() {
        List<String> log = new ArrayList<>();
        // Three runs of one pair each: ratios 1.0, 3.0 and 2.0.
        Harness.Result r = Harness.compare(scripted("b", log, 100, 300, 200), scripted("f", log, 100), 1, false,
                new Harness.Plan(0, 3, 1, false));
        assertEquals(2.0, r.ratio);
        assertEquals(1.0, r.ratioLow);
        assertEquals(3.0, r.ratioHigh);
    }

    @Test
    void differenceIsMedianWholeLessMedianBasePerUnit() {
        List<String> log = new ArrayList<>();
        // One preempted base sample (90,000) must not turn the cost negative.
        Harness.Result r = Harness.compareDifference(
                scripted("bw", log, 5000), scripted("bb", log, 1000, 90_000, 1000),
                scripted("fw", log, 3000), scripted("fb", log, 1000),
                100, false, new Harness.Plan(0, 1, 3, false));
        assertEquals(40.0, r.bridgeNanos);
        assertEquals(20.0, r.floorNanos);
        assertEquals(2.0, r.ratio);
        assertEquals(12, log.size());
    }

    @Test
    void aCostLostInItsBaseStopsARealRunButNotASmokeRun() {
        List<String> log = new ArrayList<>();
        Harness.Sample same = scripted("s", log, 1000);
        assertThrows(IllegalStateException.class,
                () -> Harness.compareDifference(same, same, same, same, 1, false, new Harness.Plan(0, 1, 1, false)));
        Harness.Result smoke = Harness.compareDifference(same, same, same, same, 1, false,
                new Harness.Plan(0, 1, 1, true));
        assertTrue(smoke.bridgeNanos > 0 && smoke.floorNanos > 0);
    }

    @Test
    void aSampleWithoutMeasurableTimeIsRefused() {
        List<String> log = new ArrayList<>();
        assertThrows(IllegalStateException.class, () -> Harness.compare(scripted("b", log, 0),
                scripted("f", log, 10), 1, false, new Harness.Plan(0, 1, 1, false)));
    }

    @Test
    void medianOfEvenAndOddCounts() {
        assertEquals(2.0, Harness.median(new double[] {3, 1, 2}));
        assertEquals(2.5, Harness.median(new double[] {4, 1, 3, 2}));
    }

    @Test
    void rowsSurviveTheTripFromAChildJvm() {
        Report.Row row = new Report.Row("user environment, 1,000 entries (-Xcheck:jni)", "entry",
                new Harness.Result(1454.25, 1304.5, 1.101, 0.987, 1.17), 1.15);
        Report.Row back = Report.Row.parse(row.machine());
        assertEquals(row.name, back.name);
        assertEquals(row.unit, back.unit);
        assertEquals(row.result.bridgeNanos, back.result.bridgeNanos);
        assertEquals(row.result.floorNanos, back.result.floorNanos);
        assertEquals(row.result.ratio, back.result.ratio);
        assertEquals(row.result.ratioLow, back.result.ratioLow);
        assertEquals(row.result.ratioHigh, back.result.ratioHigh);
        assertEquals(row.target, back.target);
        assertNull(Report.Row.parse(row.format()), "a printed row is not a machine row");
        assertNull(Report.Row.parse("WARNING in native method: something"));
    }

    @Test
    void aRowMeetsItsTargetOnlyAtOrBelowIt() {
        assertTrue(new Report.Row("x", "call", new Harness.Result(1, 1, 1.10, 1, 1), 1.10).met());
        assertFalse(new Report.Row("x", "call", new Harness.Result(1, 1, 1.1001, 1, 1), 1.10).met());
        assertTrue(new Report.Row("x", "call", new Harness.Result(1, 1, 9, 9, 9), Double.NaN).met());
    }

    @ParameterizedTest
    @ValueSource(ints = {0, 3, 4, 16, 68, 69, 70, 75, 76, 77, 65_536, 1 << 20, (1 << 20) + 7})
    void inputsHaveExactlyTheSizeTheirRowNames(int size) throws CharacterCodingException {
        assertEquals(size, Workloads.ascii(size).length());
        assertTrue(Workloads.ascii(size).chars().allMatch(c -> c < 0x80));

        byte[] supplementary = Workloads.supplementaryUtf8(size);
        assertEquals(size, supplementary.length);
        String decoded = strictUtf8(supplementary);
        if (size >= 4) {
            assertTrue(decoded.codePoints().anyMatch(Character::isSupplementaryCodePoint));
        }

        String bmp = Workloads.bmpText(size);
        assertEquals(size, bmp.getBytes(StandardCharsets.UTF_8).length);
        assertFalse(bmp.codePoints().anyMatch(Character::isSupplementaryCodePoint));
        assertTrue(size < 3 || bmp.chars().anyMatch(c -> c >= 0x800), "three-byte characters present");
    }

    /** Throws on anything that is not well-formed UTF-8. */
    private static String strictUtf8(byte[] bytes) throws CharacterCodingException {
        return StandardCharsets.UTF_8.newDecoder()
                .onMalformedInput(CodingErrorAction.REPORT)
                .onUnmappableCharacter(CodingErrorAction.REPORT)
                .decode(ByteBuffer.wrap(bytes)).toString();
    }
}
