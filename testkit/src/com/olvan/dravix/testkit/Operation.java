package com.olvan.dravix.testkit;

/**
 * A call of the service library that {@link StandIn} can make fail, and what
 * the Java API then throws.
 */
public enum Operation {
    /** Creating a service: {@code new Dravix(...)} throws {@code DravixException("Dravix_new native error")}. */
    NEW("OLVAN_Dravix_new"),
    /** {@code Dravix.start()} throws {@code DravixException("OLVAN_Dravix_start error")}. */
    START("OLVAN_Dravix_start"),
    /** {@code Dravix.stop()} throws {@code DravixException("OLVAN_Dravix_stop error")}. */
    STOP("OLVAN_Dravix_stop"),
    /** {@code Dravix.createEntity(...)} throws {@code DravixException("OLVAN_Dravix_create_entity error")}. */
    CREATE_ENTITY("OLVAN_Dravix_create_entity"),
    /** {@code Dravix.deleteEntity(...)} throws {@code DravixException("OLVAN_Dravix_delete_entity error")}. */
    DELETE_ENTITY("OLVAN_Dravix_delete_entity"),
    /** {@code Dravix.getConfiguration()} throws {@code DravixException("OLVAN_Dravix_get_configuration error")}. */
    GET_CONFIGURATION("OLVAN_Dravix_get_configuration");

    private final String function;

    Operation(String function) {
        this.function = function;
    }

    /** The service library's function behind the operation. */
    String function() {
        return function;
    }
}
