/**
 * The Java interface of the Dravix service: {@link com.olvan.dravix.Dravix}, a
 * service instance, and {@link com.olvan.dravix.DravixProperty}, its settings,
 * with the exceptions of {@code com.olvan.dravix.infrastructure}.
 *
 * <p>The module loads native code (the bridge {@code libolvanjnidravix.so}); from
 * JDK 24 on, start the JVM with {@code --enable-native-access=com.olvan.dravix}
 * when the jar is on the module path.
 */
module com.olvan.dravix {
    exports com.olvan.dravix;
    exports com.olvan.dravix.infrastructure;
}
