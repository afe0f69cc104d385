package com.olvan.dravix.infrastructure;

/**
 * Native memory, a native string copy, or a value read from a Java object during
 * the conversion of settings could not be obtained. Whatever the failed call had
 * allocated has been released; the objects involved remain usable.
 */
public class OutOfResourcesException extends RuntimeException {
    private static final long serialVersionUID = 1L;

    /**
     * Creates the exception with its message.
     *
     * @param message the fixed text naming the failed step
     */
    public OutOfResourcesException(String message) {
        super(message);
    }
}
