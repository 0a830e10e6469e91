package com.quorvel.vantry.collectionagent.zendriagent;

import com.quorvel.sample.EntryReport;

public final class ZendriAgent {
    private ZendriAgent() {}

    public static void main(String[] args) {
        EntryReport.enter("com.quorvel.vantry.collectionagent.zendriagent.ZendriAgent.main", args);
    }
}
