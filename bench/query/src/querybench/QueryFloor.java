package querybench;

/** The benchmark's floor: the same JNI string work as BrixaQuery.Query, no external call. */
final class QueryFloor {
    static {
        System.loadLibrary("QueryFloor");
    }

    private QueryFloor() {
    }

    static native void Query(String query, String[] result);
}
