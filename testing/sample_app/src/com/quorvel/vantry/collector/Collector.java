package com.quorvel.vantry.collector;

import com.quorvel.sample.EntryReport;

public final class Collector {
    private Collector() {}

    public static void main(String[] args) {
        EntryReport.enter("com.quorvel.vantry.collector.Collector.main", args);
    }
}
