/* A TCP server written with the commands ("soak_tcp COUNT"): it accepts
   COUNT connections from its own clients on 127.0.0.1, answers one line on
   each and closes both ends, printing the process's figures after a warm-up
   of a tenth of the run, halfway and at the end, then whether they stayed
   flat (tools/include/qxfigures.h). */
#include "qxfigures.h"
#include "qxprog.h"
#include "qxtest.h"

/* A listening server on a port that was free a moment ago. */
static int createServer(int* port) {
    for (int tries = 0; tries < 10; ++tries) {
        int probe = CreateUDPStream(0);
        *port = UDPStreamPort(probe);
        CloseUDPStream(probe);
        int server = CreateTCPServer(*port);
        if (server) return server;
    }
    RuntimeError(text("no free port"));
    return 0;
}

static int same(QXString* a, QXString* b) {
    int equal = _qxStrCompare(a, b) == 0;
    _qxStrRelease(a);
    return equal;
}

void qxmain(void) {
    qxFiguresBind();
    int count = _qxStrToInt(CommandLine());
    if (count < 20) RuntimeError(text("usage: soak_tcp COUNT"));

    QXString* loopback = text("127.0.0.1");
    QXString* question = text("hello");
    QXString* answer = text("served");
    int port;
    int server = createServer(&port);
    TCPTimeouts(5000, 5000);
    const int warmUp = count / 10;
    for (int i = 0; i < count; ++i) {
        if (i == warmUp) qxFigures("start");
        if (i == warmUp + (count - warmUp) / 2) qxFigures("middle");
        int client = OpenTCPStream(loopback, port, 0);
        if (!client) RuntimeError(text("the client could not connect"));
        int served = AcceptTCPStream(server);
        if (!served) RuntimeError(text("the server accepted nothing"));
        WriteLine(client, question);
        if (!same(ReadLine(served), question)) RuntimeError(text("the server read something else"));
        WriteLine(served, answer);
        if (!same(ReadLine(client), answer)) RuntimeError(text("the client read something else"));
        CloseTCPStream(served);
        CloseTCPStream(client);
    }
    qxFigures("end");
    CloseTCPServer(server);
    _qxStrRelease(loopback);
    _qxStrRelease(question);
    _qxStrRelease(answer);
    qxFiguresVerdict();
}
