package querybench;

import com.sun.jna.Library;
import com.sun.jna.Native;
import com.sun.jna.Pointer;
import com.sun.jna.ptr.IntByReference;
import com.sun.jna.ptr.PointerByReference;

/** tovanex's Query called through JNA, by direct and by interface mapping. */
final class JnaQuery {
    private JnaQuery() {
    }

    /** Direct mapping: JNA's fastest way of calling a native function. */
    static final class Direct implements QueryBenchmark.QueryCall {
        static {
            Native.register("tovanex");
        }

        static native int Query(String query, byte[] result, PointerByReference message, IntByReference status);

        @Override
        public void call(String query, String[] out) {
            byte[] result = new byte[1024];
            PointerByReference message = new PointerByReference();
            Query(query, result, message, new IntByReference());
            fill(result, message.getValue(), out);
        }
    }

    /** Interface mapping, as JNA is most often used. */
    static final class Interface implements QueryBenchmark.QueryCall {
        interface Tovanex extends Library {
            int Query(String query, byte[] result, PointerByReference message, IntByReference status);
        }

        private static final Tovanex TOVANEX = Native.load("tovanex", Tovanex.class);

        @Override
        public void call(String query, String[] out) {
            byte[] result = new byte[1024];
            PointerByReference message = new PointerByReference();
            TOVANEX.Query(query, result, message, new IntByReference());
            fill(result, message.getValue(), out);
        }
    }

    private static void fill(byte[] result, Pointer message, String[] out) {
        out[0] = Native.toString(result);
        out[1] = message == null ? "" : message.getString(0);
    }
}
