package com.olvan.dravix;

import java.util.ArrayList;
import java.util.Collections;
import java.util.Enumeration;
import java.util.List;
import java.util.Properties;

/**
 * Properties whose {@code propertyNames()} yields exactly the keys given, in the
 * order given, whatever they are: the way to test enumeration order and keys
 * that a plain {@code Properties} would never yield.
 */
class OrderedProperties extends Properties {
    private static final long serialVersionUID = 1L;

    // Test-only and never serialised: a plain list is enough.
    private final transient List<Object> keys = new ArrayList<>();

    /** A key with its value. */
    OrderedProperties with(String key, String value) {
        keys.add(key);
        setProperty(key, value);
        return this;
    }

    /** A key the enumeration yields with no value behind it (it may be null or no String). */
    OrderedProperties withKey(Object key) {
        keys.add(key);
        return this;
    }

    @Override
    public synchronized int size() {
        return keys.size();
    }

    @Override
    public Enumeration<?> propertyNames() {
        return Collections.enumeration(new ArrayList<>(keys));
    }
}
