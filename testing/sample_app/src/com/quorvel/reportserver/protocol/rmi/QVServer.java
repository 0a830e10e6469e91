package com.quorvel.reportserver.protocol.rmi;

import com.quorvel.sample.EntryReport;

public final class QVServer {
    private QVServer() {}

    public static void startServer(String[] args) {
        EntryReport.enter("com.quorvel.reportserver.protocol.rmi.QVServer.startServer", args);
    }
}
