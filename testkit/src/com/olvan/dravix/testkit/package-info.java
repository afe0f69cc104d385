/**
 * A test kit for code that uses the Dravix Java interface: {@link
 * com.olvan.dravix.testkit.StandIn}, an in-process stand-in of the Dravix service
 * library with failure injection and a view of what it received, and {@link
 * com.olvan.dravix.testkit.StandInExtension} for JUnit 5. The jar carries the
 * native bridge and the stand-in libraries for linux-x86_64, so tests need no
 * product installed. Its module name is {@code com.olvan.dravix.testkit}.
 *
 * <p>From JDK 24 on, start the test JVM with {@code --enable-native-access=ALL-UNNAMED}
 * when the jars are on the class path.
 */
package com.olvan.dravix.testkit;
