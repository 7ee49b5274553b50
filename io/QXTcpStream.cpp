#include "io/QXTcpStream.h"

#include <cstring>
#include <new>

#include "core/QXString.h"
#include "runtime/QXRegistry.h"

// ---------------------------------------------------------------- TCPStream

TCPStream* TCPStream::connectTo(std::uint32_t ip, int port, int localPort) {
    if (!isValidPort(port) || !isValidPort(localPort)) return nullptr;
    QXSocket socket;
    if (!socket.create(QXSocket::Kind::Stream)) return nullptr;
    if (localPort != 0 && !socket.bindAny(localPort)) return nullptr;
    if (!socket.connectTo({ip, port})) return nullptr;
    // The socket stays with `socket` (and is closed) if the allocation fails.
    return new (std::nothrow) TCPStream(socket, nullptr);
}

TCPStream::TCPStream(QXSocket& connected, TCPServer* server) : server_(server) {
    socket_.takeFrom(connected);
    peer_ = socket_.peerAddress();
}

TCPStream::~TCPStream() { socket_.close(state() == kFailed); }

int TCPStream::state() const { return state_ == kOpen && !socket_.isOpen() ? kFailed : state_; }

void TCPStream::fail() {
    state_ = kFailed;
    readAhead_.clear();
}

int TCPStream::receive(char* out, int wanted) {
    if (wanted >= QXReadAhead::kSize) {
        return socket_.receive(out, wanted);
    }
    int received = socket_.receive(readAhead_.space(), QXReadAhead::kSize);
    if (received <= 0) return received;
    readAhead_.filled(received);
    return readAhead_.take(out, wanted);
}

int TCPStream::read(void* buffer, int count) {
    if (!usable() || count <= 0) return 0;
    char* out = static_cast<char*>(buffer);
    int delivered = readAhead_.take(out, count);
    if (delivered == count) return delivered;

    // One deadline for the whole request; a time-out of 0 makes each wait a poll.
    QXDeadline deadline(netClock(), netTimeouts().tcpRead);
    while (delivered < count) {
        if (socket_.waitReadable(deadline.remaining(netClock())) != QXSocket::Wait::Ready) {
            fail();
            break;
        }
        int received = receive(out + delivered, count - delivered);
        if (received == 0) {
            state_ = kClosedByPeer;
            break;
        }
        if (received < 0) {
            fail();
            break;
        }
        delivered += received;
    }
    return delivered;
}

int TCPStream::write(const void* buffer, int count) {
    if (!usable() || count <= 0) return 0;
    int sent = socket_.send(buffer, count);
    if (sent < 0) {
        fail();
        return 0;
    }
    return sent;
}

int TCPStream::avail() {
    // A stream that is closed or failed delivers nothing, whatever the socket still holds.
    if (!usable()) return 0;
    int pending = socket_.pendingBytes();
    if (pending < 0) {
        fail();
        return 0;
    }
    return readAhead_.plus(pending);
}

int TCPStream::eof() {
    if (!usable()) return state();
    if (readAhead_.buffered() > 0) return 0;
    switch (socket_.waitReadable(0)) {
    case QXSocket::Wait::TimedOut: return 0;
    case QXSocket::Wait::Failed: fail(); return state_;
    case QXSocket::Wait::Ready: break;
    }
    // Readable with nothing to receive: the peer has closed.
    int pending = socket_.pendingBytes();
    if (pending < 0) fail();
    else if (pending == 0) state_ = kClosedByPeer;
    return state_;
}

// ---------------------------------------------------------------- TCPServer

namespace {
constexpr int kListenBacklog = 5;
}  // namespace

TCPServer* TCPServer::listenOn(int port) {
    if (!isValidPort(port)) return nullptr;
    TCPServer* server = new (std::nothrow) TCPServer();
    if (!server) return nullptr;
    if (!server->socket_.create(QXSocket::Kind::Stream) || !server->socket_.bindAny(port) ||
        !server->socket_.listen(kListenBacklog)) {
        release(server);
        return nullptr;
    }
    return server;
}

TCPServer::~TCPServer() { socket_.close(state() == kFailed); }

int TCPServer::state() const { return state_ == kUsable && !socket_.isOpen() ? kFailed : state_; }

TCPStream* TCPServer::accept(int timeoutMs) {
    if (state() != kUsable) return nullptr;
    QXDeadline deadline(netClock(), timeoutMs);
    switch (socket_.waitReadable(deadline.remaining(netClock()))) {
    case QXSocket::Wait::TimedOut: return nullptr;
    case QXSocket::Wait::Failed: state_ = kFailed; return nullptr;
    case QXSocket::Wait::Ready: break;
    }
    QXSocket connection;
    QXSocket::Accepted accepted = socket_.accept(connection);
    if (accepted != QXSocket::Accepted::Yes) {
        // A client that gave up before it was accepted takes only its own
        // connection with it, not the server.
        if (accepted == QXSocket::Accepted::Failed) state_ = kFailed;
        return nullptr;
    }
    TCPStream* stream = new (std::nothrow) TCPStream(connection, this);
    // Freeing the server frees the streams it accepted.
    addOwned(stream);
    return stream;
}

// ---------------------------------------------------------------- commands

namespace {

TCPStream& streamOf(int handle) { return *checkHandle<TCPStream>(handle, "TCP Stream"); }
TCPServer& serverOf(int handle) { return *checkHandle<TCPServer>(handle, "TCP Server"); }

int QXCALL OpenTCPStream(QXString* server, int serverPort, int localPort) {
    std::uint32_t ip;
    if (!resolveHost(stringCText(server), ip)) return 0;
    return handleOf(TCPStream::connectTo(ip, serverPort, localPort));
}

void QXCALL CloseTCPStream(int stream) {
    if (stream) release(&streamOf(stream));
}

int QXCALL CreateTCPServer(int port) { return handleOf(TCPServer::listenOn(port)); }

void QXCALL CloseTCPServer(int server) {
    if (server) release(&serverOf(server));
}

int QXCALL AcceptTCPStream(int server) { return handleOf(serverOf(server).accept(netTimeouts().tcpAccept)); }

int QXCALL TCPStreamIP(int stream) { return static_cast<int>(streamOf(stream).peer().ip); }
int QXCALL TCPStreamPort(int stream) { return streamOf(stream).peer().port; }

const QXSymbol commands[] = {
    QX_COMMAND("%OpenTCPStream$server%server_port%local_port=0", OpenTCPStream),
    QX_COMMAND("CloseTCPStream%tcp_stream", CloseTCPStream),
    QX_COMMAND("%CreateTCPServer%port", CreateTCPServer),
    QX_COMMAND("CloseTCPServer%tcp_server", CloseTCPServer),
    QX_COMMAND("%AcceptTCPStream%tcp_server", AcceptTCPStream),
    QX_COMMAND("%TCPStreamIP%tcp_stream", TCPStreamIP),
    QX_COMMAND("%TCPStreamPort%tcp_stream", TCPStreamPort),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);

}  // namespace
