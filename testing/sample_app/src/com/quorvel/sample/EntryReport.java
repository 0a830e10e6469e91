package com.quorvel.sample;

import java.lang.management.ManagementFactory;

/**
 * What every entry point of the sample application does: report the
 * arguments and VM options it received, then act as LMG_SAMPLE_ACTION says:
 * "exit" (default; ends the process, as the real applications do when they
 * are done), "return", "throw" or "block".
 */
public final class EntryReport {
    private EntryReport() {}

    public static void enter(String entry, String[] args) {
        StringBuilder out = new StringBuilder();
        out.append("entry: ").append(entry).append('\n');
        out.append("argument count: ").append(args.length).append('\n');
        for (int i = 0; i < args.length; i++) {
            out.append("argument ").append(i).append(": ").append(args[i]).append('\n');
        }
        for (String option : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
            out.append("vm option: ").append(option).append('\n');
        }
        out.append("max heap bytes: ").append(Runtime.getRuntime().maxMemory()).append('\n');
        out.append("java.class.path: ").append(System.getProperty("java.class.path")).append('\n');
        out.append("user.dir: ").append(System.getProperty("user.dir")).append('\n');
        out.append("PATH: ").append(System.getenv("PATH")).append('\n');
        System.out.print(out);
        System.out.flush();

        String action = System.getenv("LMG_SAMPLE_ACTION");
        if (action == null || action.equals("exit")) {
            System.exit(0);
        } else if (action.equals("throw")) {
            throw new IllegalStateException("sample entry point throws");
        } else if (action.equals("block")) {
            Object never = new Object();
            synchronized (never) {
                while (true) {
                    try {
                        never.wait();
                    } catch (InterruptedException ignored) {
                        // keep blocking
                    }
                }
            }
        }
        System.out.println("entry returns");
        System.out.flush();
    }
}
