package com.olvan.dravix.testkit;

/**
 * An entity of a live service, as the service holds it.
 *
 * @param name the entity's name
 * @param fileName the file its configuration was read from ({@code file://} and a
 *     path given to {@code createEntity}), or null for configuration text
 * @param configuration the configuration text, as given or as read from the file
 * @param sequence its place in the order in which the entities of all services were created
 */
public record Entity(String name, String fileName, String configuration, long sequence) {
}
