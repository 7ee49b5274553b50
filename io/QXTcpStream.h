#pragma once
// TCP connections as streams, and servers that accept them.
//
// A connection reads with one deadline for the whole request (the TCP read
// time-out): a read that runs out of time leaves the stream failed. A small
// receive buffer lets the byte-at-a-time readers (ReadLine) take many bytes
// per receive instead of one.

#include <cstdint>

#include "io/QXReadAhead.h"
#include "io/QXStream.h"
#include "io/QXSocket.h"

class TCPServer;

class TCPStream : public QXStream {
public:
    enum State { kOpen = 0, kClosedByPeer = 1, kFailed = -1 };

    // Connects to `ip`:`port` from `localPort` (0: any); null on failure.
    static TCPStream* connectTo(std::uint32_t ip, int port, int localPort);

    // Takes over the connected socket of `connected`; `server` is the one that
    // accepted it, or null.
    TCPStream(QXSocket& connected, TCPServer* server);
    ~TCPStream() override;

    int read(void* buffer, int count) override;
    int write(const void* buffer, int count) override;
    int avail() override;
    int eof() override;

    // Open, closed by the peer or failed; a stream whose socket the module
    // stop closed counts as failed.
    int state() const;
    QXNetAddress peer() const { return peer_; }
    TCPServer* server() const { return server_; }

private:
    bool usable() const { return state() == kOpen; }
    void fail();
    // One receive: into the buffer for small requests, else straight into
    // `out`. Returns the bytes now available to the caller (0: closed, -1: failed).
    int receive(char* out, int wanted);

    QXSocket socket_;
    TCPServer* server_;
    int state_ = kOpen;
    QXNetAddress peer_;
    QXReadAhead readAhead_;
};

class TCPServer : public QXResource {
public:
    enum State { kUsable = 0, kFailed = -1 };

    // Listens on `port` on all local addresses; null on failure.
    static TCPServer* listenOn(int port);

    ~TCPServer() override;

    // A connection that arrives within `timeoutMs` (0: only one already
    // waiting), owned by this server; null when none does.
    TCPStream* accept(int timeoutMs);
    int state() const;
    // The address it listens on (the port the system picked for port 0).
    QXNetAddress local() const { return socket_.localAddress(); }

private:
    TCPServer() = default;

    QXSocket socket_;
    int state_ = kUsable;
};
