package com.olvan.dravix.infrastructure;

/**
 * The service library reported that an operation failed: a service could not be
 * created, started or stopped, an entity could not be created or deleted, or the
 * configuration could not be read. The message names the failed operation.
 */
public class DravixException extends RuntimeException {
    private static final long serialVersionUID = 1L;

    /**
     * Creates the exception with its message.
     *
     * @param message the fixed text naming the failed operation
     */
    public DravixException(String message) {
        super(message);
    }
}
