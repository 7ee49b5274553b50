/* TCP and UDP on 127.0.0.1 as a program uses them: prints what travelled,
   writes on to a peer that has gone (which must not end the program), then
   stops on a UDP stream given where a TCP stream belongs. */
#include "qxprog.h"

QX_CSTR(loopback, "127.0.0.1");
QX_CSTR(ping, "ping");
QX_CSTR(hello, "hello over tcp");
QX_CSTR(failed, "fail");
QX_CSTR(noServer, "no free port");
static void* constants[] = {&loopback, &ping, &hello, &failed, &noServer, 0};

#define LOOPBACK 0x7F000001

static void check(int ok) {
    if (!ok) RuntimeError(failed.s);
}

static void show(QXString* text) {
    Print(text);
    _qxStrRelease(text);
}

/* A listening server on a port that was free a moment ago: the port a UDP
   socket got from the system. A few tries cover a port taken for TCP. */
static int createServer(int* port) {
    int tries;
    for (tries = 0; tries < 10; ++tries) {
        int probe = CreateUDPStream(0);
        int server;
        *port = UDPStreamPort(probe);
        CloseUDPStream(probe);
        server = CreateTCPServer(*port);
        if (server) return server;
    }
    RuntimeError(noServer.s);
    return 0;
}

void qxmain(void) {
    int udp, server, port, client, accepted, i;
    _qxInitCStrs(constants);

    show(DottedIP(2130706433));
    show(DottedIP(-1));

    /* A datagram to the stream's own port. */
    udp = CreateUDPStream(0);
    check(udp != 0);
    WriteString(udp, ping.s);
    WriteInt(udp, -7);
    SendUDPMsg(udp, LOOPBACK, 0);
    UDPTimeouts(2000);
    show(DottedIP(RecvUDPMsg(udp)));
    check(UDPMsgPort(udp) == UDPStreamPort(udp));
    check(ReadAvail(udp) == 12);
    show(ReadString(udp));
    check(ReadInt(udp) == -7);
    check(Eof(udp) == 1);

    /* A connection accepted, a line each way, then the client goes. */
    server = createServer(&port);
    client = OpenTCPStream(loopback.s, port, 0);
    check(client != 0);
    TCPTimeouts(2000, 2000);
    accepted = AcceptTCPStream(server);
    check(accepted != 0);
    check(TCPStreamIP(accepted) == LOOPBACK);
    check(TCPStreamPort(client) == port);
    WriteLine(client, hello.s);
    show(ReadLine(accepted));
    WriteInt(accepted, 123456);
    check(ReadInt(client) == 123456);
    CloseTCPStream(client);
    check(ReadByte(accepted) == 0);
    check(Eof(accepted) == 1);
    CloseTCPServer(server);

    /* The peer gone (freeing the server frees what it accepted), the writes
       that follow fail, the stream says so and the program goes on. */
    server = createServer(&port);
    client = OpenTCPStream(loopback.s, port, 0);
    check(client != 0);
    check(AcceptTCPStream(server) != 0);
    CloseTCPServer(server);
    for (i = 0; i < 20; ++i) {
        WriteLine(client, hello.s);
        Delay(20);
    }
    check(Eof(client) == -1);
    check(ReadAvail(client) == 0);
    CloseTCPStream(client);

    /* Nobody waiting, no waiting: the server stays open until the module stops. */
    TCPTimeouts(2000, 0);
    check(AcceptTCPStream(CreateTCPServer(0)) == 0);

    TCPStreamIP(udp);
    RuntimeError(failed.s);
}
