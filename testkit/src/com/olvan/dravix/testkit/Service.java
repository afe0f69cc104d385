package com.olvan.dravix.testkit;

import java.util.AbstractMap;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;
import java.util.Map;

/**
 * A live service of the stand-in: what it was given, what it holds.
 *
 * @param number its place in the order the stand-in made services (from 1)
 * @param started whether it is started
 * @param settings its settings as received
 * @param entities its entities, in the order they were created
 */
public record Service(long number, boolean started, Settings settings, List<Entity> entities) {
    private static final int STARTED = 1;

    /** From the natives' parts: head (number, state, numbers), texts, cfg strings, names, values, entities. */
    static Service of(Object[] parts) {
        long[] head = (long[]) parts[0];
        String[] texts = decode((byte[][]) parts[1]);
        List<String> cfgStrings = list(decode((byte[][]) parts[2]));
        String[] names = decode((byte[][]) parts[3]);
        String[] values = decode((byte[][]) parts[4]);
        List<Map.Entry<String, String>> environment = new ArrayList<>(names.length);
        for (int i = 0; i < names.length; i++) {
            environment.add(new AbstractMap.SimpleImmutableEntry<>(names[i], values[i]));
        }
        // The numbers come in the record's order, after the creation number and the state.
        Settings settings = new Settings(texts[0], cfgStrings, texts[1], texts[2], head[2] == 1, (int) head[3],
                (int) head[4], (int) head[5], texts[3], head[6] == 1, head[7] == 1, (int) head[8], head[9] == 1,
                (int) head[10], head[11] == 1, head[12] == 1, Collections.unmodifiableList(environment));
        long[] sequences = (long[]) parts[5];
        String[] entityNames = decode((byte[][]) parts[6]);
        String[] files = decode((byte[][]) parts[7]);
        String[] configurations = decode((byte[][]) parts[8]);
        List<Entity> entities = new ArrayList<>(entityNames.length);
        for (int i = 0; i < entityNames.length; i++) {
            entities.add(new Entity(entityNames[i], files[i], configurations[i], sequences[i]));
        }
        return new Service(head[0], head[1] == STARTED, settings, Collections.unmodifiableList(entities));
    }

    private static String[] decode(byte[][] bytes) {
        String[] texts = new String[bytes.length];
        for (int i = 0; i < bytes.length; i++) {
            texts[i] = ModifiedUtf8.decode(bytes[i]);
        }
        return texts;
    }

    private static List<String> list(String[] texts) {
        List<String> list = new ArrayList<>(texts.length);
        Collections.addAll(list, texts);
        return Collections.unmodifiableList(list);
    }
}
