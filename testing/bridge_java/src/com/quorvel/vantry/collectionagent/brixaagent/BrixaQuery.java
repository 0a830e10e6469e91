package com.quorvel.vantry.collectionagent.brixaagent;

/**
 * Test fixture: the Java class whose native method the BrixaQuery library
 * supplies. Loading the class loads the library from java.library.path.
 */
public final class BrixaQuery {
    static {
        System.loadLibrary("BrixaQuery");
    }

    private BrixaQuery() {
    }

    /**
     * Forwards {@code query} to the external library; puts its result text
     * into {@code result[0]} and its message text into {@code result[1]}, or
     * "FALIURE" and the reason when the library or its function is missing.
     */
    public static native void Query(String query, String[] result);
}
