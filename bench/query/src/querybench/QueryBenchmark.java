package querybench;

import com.quorvel.vantry.collectionagent.brixaagent.BrixaQuery;

import java.util.ArrayList;
import java.util.Collections;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.concurrent.CyclicBarrier;
import java.util.concurrent.atomic.AtomicLong;

/**
 * Calls per second of BrixaQuery.Query against the echo stand-in, on one
 * and on two threads, with ratios against what the same run measures for
 * the floor (the same JNI string work without the external call), JNA
 * calling the same Query, and, on Java 22 and later, the FFM API.
 */
public final class QueryBenchmark {
    /** One way of making a query: elements 0 and 1 of {@code out} get the two texts. */
    public interface QueryCall {
        void call(String query, String[] out);
    }

    private static final long WARM_UP_NANOS = 2_000_000_000L;
    private static final long MEASURE_NANOS = 1_000_000_000L;
    private static final int ROUNDS = 4;

    private static volatile Object sink;

    private QueryBenchmark() {
    }

    public static void main(String[] args) throws Exception {
        Map<String, QueryCall> calls = new LinkedHashMap<>();
        calls.put("floor", QueryFloor::Query);
        calls.put("BrixaQuery", BrixaQuery::Query);
        calls.put("JNA direct", new JnaQuery.Direct());
        calls.put("JNA interface", new JnaQuery.Interface());
        if (Runtime.version().feature() >= 22) {
            calls.put("FFM", (QueryCall) Class.forName("querybench.FfmQuery").getDeclaredConstructor().newInstance());
        }

        for (Map.Entry<String, QueryCall> entry : calls.entrySet()) {
            String[] out = new String[2];
            entry.getValue().call("check", out);
            if (!"check".equals(out[0]) || !"echo".equals(out[1])) {
                throw new IllegalStateException(entry.getKey() + " answered " + out[0] + " / " + out[1]);
            }
        }

        for (QueryCall call : calls.values()) {
            rate(call, 1, WARM_UP_NANOS);
            rate(call, 2, WARM_UP_NANOS / 2);
        }

        // Best of several interleaved rounds, in alternating order, which
        // keeps the comparison fair on a machine that is busy with other work
        // now and then. Before each measurement the garbage of the previous
        // one (JNA makes plenty) is collected, so nobody pays for another.
        Map<String, double[]> best = new LinkedHashMap<>();
        for (String name : calls.keySet()) {
            best.put(name, new double[3]);
        }
        List<String> order = new ArrayList<>(calls.keySet());
        for (int round = 0; round < ROUNDS; round++) {
            for (String name : order) {
                double[] rates = best.get(name);
                settle();
                rates[1] = Math.max(rates[1], rate(calls.get(name), 1, MEASURE_NANOS));
                settle();
                rates[2] = Math.max(rates[2], rate(calls.get(name), 2, MEASURE_NANOS));
            }
            Collections.reverse(order);
        }

        System.out.printf("query benchmark: Java %s, %d processors, echo query%n",
                Runtime.version(), Runtime.getRuntime().availableProcessors());
        System.out.printf("%-16s %16s %16s %8s%n", "", "1 thread", "2 threads", "2t/1t");
        for (Map.Entry<String, double[]> entry : best.entrySet()) {
            double[] r = entry.getValue();
            System.out.printf("%-16s %12.0f c/s %12.0f c/s %8.2f%n", entry.getKey(), r[1], r[2], r[2] / r[1]);
        }
        double[] bridge = best.get("BrixaQuery");
        double[] floor = best.get("floor");
        System.out.println("ratios:");
        report("BrixaQuery / floor, 1 thread", bridge[1] / floor[1], ">= 0.9", bridge[1] / floor[1] >= 0.9);
        report("BrixaQuery / floor, 2 threads", bridge[2] / floor[2], ">= 0.9", bridge[2] / floor[2] >= 0.9);
        for (String other : List.of("JNA direct", "JNA interface", "FFM")) {
            double[] r = best.get(other);
            if (r != null) {
                boolean jna = other.startsWith("JNA");
                report("BrixaQuery / " + other + ", 1 thread", bridge[1] / r[1], jna ? ">= 10" : "",
                        !jna || bridge[1] / r[1] >= 10);
            }
        }
        report("BrixaQuery 2 threads / 1 thread", bridge[2] / bridge[1], ">= 1.8", bridge[2] / bridge[1] >= 1.8);
        report("floor 2 threads / 1 thread", floor[2] / floor[1], "", true);
    }

    private static void settle() throws InterruptedException {
        System.gc();
        Thread.sleep(200);
    }

    private static void report(String what, double ratio, String target, boolean met) {
        String verdict = target.isEmpty() ? "" : "  (target " + target + (met ? ", met)" : ", NOT met)");
        System.out.printf("  %-36s %8.2f%s%n", what, ratio, verdict);
    }

    /** Calls per second of {@code threads} threads calling together for {@code nanos}. */
    private static double rate(QueryCall call, int threads, long nanos) throws Exception {
        CyclicBarrier start = new CyclicBarrier(threads + 1);
        AtomicLong total = new AtomicLong();
        List<Thread> workers = new ArrayList<>();
        long[] deadline = new long[1];
        for (int t = 0; t < threads; t++) {
            String query = "benchmark query " + t;
            Thread worker = new Thread(() -> {
                String[] out = new String[2];
                long count = 0;
                try {
                    start.await();
                    long end = deadline[0];
                    do {
                        for (int i = 0; i < 256; i++) {
                            call.call(query, out);
                        }
                        count += 256;
                    } while (System.nanoTime() < end);
                } catch (Exception e) {
                    throw new IllegalStateException(e);
                }
                sink = out[0];
                total.addAndGet(count);
            });
            worker.start();
            workers.add(worker);
        }
        long begin = System.nanoTime();
        deadline[0] = begin + nanos;
        start.await();
        for (Thread worker : workers) {
            worker.join();
        }
        long elapsed = System.nanoTime() - begin;
        return total.get() * 1e9 / elapsed;
    }
}
