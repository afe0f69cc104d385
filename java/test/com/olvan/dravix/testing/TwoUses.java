package com.olvan.dravix.testing;

import com.olvan.dravix.Dravix;

/**
 * Uses the API twice and prints what each use threw, for tests of how a bridge
 * that does not load is reported: one line for the exception, one for its cause.
 */
public final class TwoUses {
    private TwoUses() {
    }

    public static void main(String[] args) {
        for (int use = 0; use < 2; use++) {
            try {
                new Dravix().close();
                System.out.println("loaded");
            } catch (RuntimeException | Error e) {
                System.out.println("thrown: " + e.getClass().getName() + ": " + e.getMessage());
                Throwable cause = e.getCause();
                System.out.println("cause: " + (cause == null ? "none" : cause.getClass().getName() + ": "
                        + cause.getMessage()));
            }
        }
    }
}
