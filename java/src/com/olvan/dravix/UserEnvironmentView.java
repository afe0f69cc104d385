package com.olvan.dravix;

import java.lang.reflect.Method;
import java.util.Collections;
import java.util.Enumeration;
import java.util.List;
import java.util.Properties;

/**
 * The user environment as the native conversion reads it: the three methods it
 * calls ({@code size}, {@code propertyNames}, {@code getProperty}) answered as a
 * Java reader of the user's {@code Properties} understands them.
 *
 * <p>The native side passes every {@code String} key that {@code propertyNames()}
 * yields, with its {@code getProperty} value, and skips an object whose
 * {@code size()} is 0. Handed a plain {@code Properties}, that would drop the
 * defaults of an object without entries of its own, fail on one non-{@code String}
 * key (a plain {@code propertyNames()} throws on it) and pass a non-{@code String}
 * value as null. Here a plain object's names are its {@code stringPropertyNames()};
 * a subclass that overrides {@code propertyNames()} keeps its own. Every call still
 * reaches the user's object in the step the native side makes it, so a method that
 * throws fails the same step.
 */
final class UserEnvironmentView extends Properties {
    private static final long serialVersionUID = 1L;
    /** What a native image in strict metadata mode throws for a look-up it was not told of. */
    private static final String MISSING_REGISTRATION = "org.graalvm.nativeimage.MissingReflectionRegistrationError";

    // A view for one conversion, never serialised.
    private final transient Properties source;
    private final transient boolean ownNames;
    private transient List<String> names;

    private UserEnvironmentView(Properties source) {
        this.source = source;
        this.ownNames = overridesPropertyNames(source);
    }

    /** The view of {@code source}, or null for null (which empties the service's list). */
    static Properties of(Properties source) {
        return source == null ? null : new UserEnvironmentView(source);
    }

    /**
     * Whether the object's class overrides {@code propertyNames()}. In a native
     * image a subclass that is not registered for reflection has no method to
     * show (or, in the strict metadata mode, throws the image's own error for an
     * unregistered look-up): it is then read as a plain object, never a failure.
     */
    private static boolean overridesPropertyNames(Properties properties) {
        try {
            Method method = properties.getClass().getMethod("propertyNames");
            return method.getDeclaringClass() != Properties.class;
        } catch (NoSuchMethodException | LinkageError e) {
            return false;
        } catch (Error e) {
            if (e.getClass().getName().equals(MISSING_REGISTRATION)) {
                return false;
            }
            throw e;
        }
    }

    private List<String> names() {
        if (names == null) {
            names = List.copyOf(source.stringPropertyNames());
        }
        return names;
    }

    @Override
    public synchronized int size() {
        int own = source.size();  // asked first, so that a size() that throws fails this step
        return ownNames ? own : names().size();
    }

    @Override
    public Enumeration<?> propertyNames() {
        return ownNames ? source.propertyNames() : Collections.enumeration(names());
    }

    @Override
    public String getProperty(String key) {
        return source.getProperty(key);
    }
}
