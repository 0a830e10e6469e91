package querybench;

import static java.lang.foreign.ValueLayout.ADDRESS;
import static java.lang.foreign.ValueLayout.JAVA_INT;

import java.lang.foreign.Arena;
import java.lang.foreign.FunctionDescriptor;
import java.lang.foreign.Linker;
import java.lang.foreign.MemorySegment;
import java.lang.foreign.SymbolLookup;
import java.lang.invoke.MethodHandle;

/** tovanex's Query called through the foreign function and memory API (Java 22 and later). */
public final class FfmQuery implements QueryBenchmark.QueryCall {
    private static final MethodHandle QUERY = Linker.nativeLinker().downcallHandle(
            SymbolLookup.libraryLookup("libtovanex.so", Arena.global()).find("Query").orElseThrow(),
            FunctionDescriptor.of(JAVA_INT, ADDRESS, ADDRESS, ADDRESS, ADDRESS));

    @Override
    public void call(String query, String[] out) {
        try (Arena arena = Arena.ofConfined()) {
            MemorySegment result = arena.allocate(1024);
            MemorySegment message = arena.allocate(ADDRESS);
            MemorySegment status = arena.allocate(JAVA_INT);
            int ignored = (int) QUERY.invokeExact(arena.allocateFrom(query), result, message, status);
            out[0] = result.getString(0);
            MemorySegment text = message.get(ADDRESS, 0);
            out[1] = text.equals(MemorySegment.NULL) ? "" : text.reinterpret(Long.MAX_VALUE).getString(0);
        } catch (Throwable e) {
            throw new IllegalStateException(e);
        }
    }
}
