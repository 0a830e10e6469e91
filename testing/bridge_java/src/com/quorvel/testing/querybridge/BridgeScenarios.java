package com.quorvel.testing.querybridge;

import com.quorvel.vantry.collectionagent.brixaagent.BrixaQuery;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.List;
import java.util.Objects;
import java.util.concurrent.CyclicBarrier;
import java.util.concurrent.atomic.AtomicInteger;
import java.util.concurrent.atomic.AtomicLong;

/**
 * Drives the BrixaQuery native method in a real Java VM against the
 * stand-in tovanex, one scenario per VM, since the library keeps its state
 * for the life of the process. Exits 0 when every check held; otherwise
 * prints each failed check and exits 1.
 *
 * <p>Arguments: scenario, scratch directory, stand-in library file, its
 * variant without Query. The scratch directory is emptied first; it holds
 * the load log (TOVANEX_LOAD_LOG) and, where the scenario puts it on
 * LD_LIBRARY_PATH, the library the search is to find.
 */
public final class BridgeScenarios {
    private static final List<String> UNABLE_TO_LOAD =
            List.of("FALIURE", "Unable to load the tovanex.dll");
    private static final List<String> UNABLE_TO_LOCATE =
            List.of("FALIURE", "Unable to locate the Query method in the tovanex.dll");

    private static final AtomicInteger failures = new AtomicInteger();

    private static Path scratch;
    private static Path standIn;
    private static Path withoutQuery;

    private BridgeScenarios() {
    }

    public static void main(String[] args) throws Exception {
        String scenario = args[0];
        scratch = Paths.get(args[1]);
        standIn = Paths.get(args[2]);
        withoutQuery = Paths.get(args[3]);
        emptyScratch();
        switch (scenario) {
            case "results": results(); break;
            case "encoding": encoding(); break;
            case "faults": faults(); break;
            case "npe": nullPointersBesideFaults(); break;
            case "retry": retry(); break;
            case "concurrent-loadable": firstCallsAtOnce(q -> List.of(q, "echo"), List.of("load")); break;
            case "concurrent-unloadable": firstCallsAtOnce(q -> UNABLE_TO_LOAD, List.of()); break;
            case "concurrent-noquery": firstCallsAtOnce(q -> UNABLE_TO_LOCATE, loadsAndUnloads(32)); break;
            default: throw new IllegalArgumentException("unknown scenario " + scenario);
        }
        if (failures.get() > 0) {
            System.err.println(scenario + ": " + failures.get() + " check(s) failed");
            System.exit(1);
        }
        System.out.println(scenario + ": all checks held");
    }

    // --- scenarios -------------------------------------------------------

    private static void results() {
        check("echo", List.of("hello", "echo"), ask("hello"));
        check("message never set", List.of("text", ""), ask("nomsg:text"));
        check("status and return value ignored", List.of("status", "status"), ask("status:-7"));
        StringBuilder letters = new StringBuilder();
        for (int i = 0; i < 1023; i++) {
            letters.append((char) ('a' + i % 26));
        }
        check("1023-byte result whole", List.of(letters.toString(), "len"), ask("len:1023"));
        check("buffer without terminator", List.of("z".repeat(1024), "fill"), ask("fill"));

        String[] five = {"old0", "old1", "kept2", "kept3", "kept4"};
        BrixaQuery.Query("five", five);
        check("five-element array", List.of("five", "echo", "kept2", "kept3", "kept4"), Arrays.asList(five));

        check("one load", List.of("load"), loadLog());
    }

    private static void encoding() {
        // The external function sees the VM's modified UTF-8: tovanex answers
        // "hex:" queries with the bytes it received.
        check("U+00E9", List.of("C3A9", "hex"), ask("hex:\u00e9"));
        check("U+0000", List.of("C080", "hex"), ask("hex:\u0000"));
        check("U+1F600 as two three-byte sequences", List.of("EDA0BDEDB880", "hex"), ask("hex:\uD83D\uDE00"));
        check("mixed", List.of("61C3A9C0807AEDA0BDEDB880", "hex"), ask("hex:a\u00e9\u0000z\uD83D\uDE00"));
        check("empty query is a single NUL", List.of("", "empty"), ask(""));
        String wide = "\u00e9\u0000\uD83D\uDE00 end";
        check("texts come back unconverted", List.of(wide, "echo"), ask(wide));
    }

    private static void faults() throws Exception {
        String[][] kinds = {{"segv", "s"}, {"fpe", "f"}, {"throw", "t"}};
        for (String[] kind : kinds) {
            check(kind[0] + " on the main thread", List.of("abc", kind[1]), ask(kind[0]));
            check("call after " + kind[0], List.of("after", "echo"), ask("after"));
        }
        AtomicInteger mismatches = new AtomicInteger();
        runThreads(6, t -> {
            for (int round = 0; round < 50; round++) {
                String[] kind = kinds[(t + round) % kinds.length];
                if (!List.of("abc", kind[1]).equals(ask(kind[0]))) {
                    mismatches.incrementAndGet();
                }
                String echo = "thread " + t + " round " + round;
                if (!List.of(echo, "echo").equals(ask(echo))) {
                    mismatches.incrementAndGet();
                }
            }
        });
        check("faults on six Java threads", 0, mismatches.get());
        check("one load", List.of("load"), loadLog());
    }

    /**
     * Java threads that throw and catch NullPointerExceptions, which the VM
     * raises through SIGSEGV in compiled code, while other threads make
     * faulting queries: the VM's faults must reach the VM, the queries'
     * faults the bridge.
     */
    private static void nullPointersBesideFaults() throws Exception {
        check("first call", List.of("ready", "echo"), ask("ready"));
        final int npeThreads = 3;
        final int npeRounds = 300_000;
        final int queryThreads = 3;
        final int queryRounds = 2_000;
        AtomicLong caught = new AtomicLong();
        AtomicInteger mismatches = new AtomicInteger();
        runThreads(npeThreads + queryThreads, t -> {
            if (t < npeThreads) {
                long mine = 0;
                for (int i = 0; i < npeRounds; i++) {
                    try {
                        mine += lengthOf((i & 1) == 0 ? null : "x");
                    } catch (NullPointerException expected) {
                        mine += 1;
                    }
                }
                caught.addAndGet(mine);
            } else {
                String[] kinds = {"segv", "fpe", "throw"};
                String[] letters = {"s", "f", "t"};
                for (int round = 0; round < queryRounds; round++) {
                    int k = (t + round) % 3;
                    if (!List.of("abc", letters[k]).equals(ask(kinds[k]))) {
                        mismatches.incrementAndGet();
                    }
                }
            }
        });
        // Every round adds 1: a caught NullPointerException or the length of "x".
        check("rounds with a NullPointerException or a length", (long) npeThreads * npeRounds, caught.get());
        check("faulting queries beside them", 0, mismatches.get());
    }

    private static int lengthOf(String text) {
        return text.length();
    }

    private static void retry() throws IOException {
        check("nothing to load", UNABLE_TO_LOAD, ask("q"));
        check("nothing to load, again", UNABLE_TO_LOAD, ask("q"));

        provide(withoutQuery);
        check("no Query", UNABLE_TO_LOCATE, ask("q"));
        check("no Query, again", UNABLE_TO_LOCATE, ask("q"));
        check("each lookup failure frees the library", loadsAndUnloads(2), loadLog());

        provide(standIn);
        check("found at last", List.of("hello", "echo"), ask("hello"));
        Files.delete(scratch.resolve(standIn.getFileName()));
        check("library file removed", List.of("again", "echo"), ask("again"));
        provide(withoutQuery);
        check("library file replaced by one without Query", List.of("still", "echo"), ask("still"));
        List<String> expected = new ArrayList<>(loadsAndUnloads(2));
        expected.add("load");
        check("found once, never loaded again", expected, loadLog());
    }

    private static void firstCallsAtOnce(java.util.function.Function<String, List<String>> expected,
            List<String> expectedLog) throws Exception {
        final int threads = 32;
        List<List<String>> got = Collections.synchronizedList(new ArrayList<>(Collections.nCopies(threads, null)));
        runThreads(threads, t -> got.set(t, ask("first " + t)));
        for (int t = 0; t < threads; t++) {
            check("thread " + t, expected.apply("first " + t), got.get(t));
        }
        check("load log", expectedLog, loadLog());
    }

    // --- helpers ---------------------------------------------------------

    private interface ThreadBody {
        void run(int index) throws Exception;
    }

    /** Starts {@code count} threads together and waits for all of them. */
    private static void runThreads(int count, ThreadBody body) throws Exception {
        CyclicBarrier start = new CyclicBarrier(count);
        List<Thread> threads = new ArrayList<>();
        for (int t = 0; t < count; t++) {
            final int index = t;
            Thread thread = new Thread(() -> {
                try {
                    start.await();
                    body.run(index);
                } catch (Exception e) {
                    fail("thread " + index + " threw " + e);
                }
            });
            thread.start();
            threads.add(thread);
        }
        for (Thread thread : threads) {
            thread.join(120_000);
            if (thread.isAlive()) {
                fail("thread did not finish within two minutes");
            }
        }
    }

    private static List<String> ask(String query) {
        String[] result = new String[2];
        BrixaQuery.Query(query, result);
        return Arrays.asList(result);
    }

    private static void provide(Path library) throws IOException {
        // A new file, never new bytes written into one that may be mapped.
        Path target = scratch.resolve(library.getFileName());
        Files.deleteIfExists(target);
        Files.copy(library, target, StandardCopyOption.COPY_ATTRIBUTES);
    }

    private static List<String> loadLog() {
        Path log = Paths.get(System.getenv("TOVANEX_LOAD_LOG"));
        try {
            return Files.exists(log) ? Files.readAllLines(log, StandardCharsets.UTF_8) : List.of();
        } catch (IOException e) {
            fail("cannot read " + log + ": " + e);
            return List.of();
        }
    }

    private static List<String> loadsAndUnloads(int times) {
        List<String> lines = new ArrayList<>();
        for (int i = 0; i < times; i++) {
            lines.add("load");
            lines.add("unload");
        }
        return lines;
    }

    private static void emptyScratch() throws IOException {
        Files.createDirectories(scratch);
        try (var entries = Files.list(scratch)) {
            for (Path entry : (Iterable<Path>) entries::iterator) {
                Files.delete(entry);
            }
        }
    }

    private static void check(String what, Object expected, Object actual) {
        if (!Objects.equals(expected, actual)) {
            fail(what + ": expected " + describe(expected) + " but got " + describe(actual));
        }
    }

    private static void fail(String message) {
        failures.incrementAndGet();
        System.err.println("FAILED " + message);
    }

    private static String describe(Object value) {
        String text = String.valueOf(value);
        return text.length() > 200 ? text.substring(0, 200) + "... (" + text.length() + " chars)" : text;
    }
}
