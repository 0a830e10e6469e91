package com.quorvel.vantry.collectorcmd;

import com.quorvel.sample.EntryReport;

public final class CollectorCmd {
    private CollectorCmd() {}

    public static void main(String[] args) {
        EntryReport.enter("com.quorvel.vantry.collectorcmd.CollectorCmd.main", args);
    }
}
