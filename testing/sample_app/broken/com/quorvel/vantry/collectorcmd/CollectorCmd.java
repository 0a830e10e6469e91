package com.quorvel.vantry.collectorcmd;

/** The entry class without a static main taking a String[]. */
public final class CollectorCmd {
    private CollectorCmd() {}

    public static void main(String arg) {
        System.out.println("wrong main called: " + arg);
    }
}
