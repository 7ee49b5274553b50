#include "io/win32/TCPStream.h"

#include <cstring>
#include <new>

#include "core/QXString.h"
#include "runtime/QXRegistry.h"

// ---------------------------------------------------------------- TCPStream

TCPStream* TCPStream::connectTo(std::uint32_t ip, int port, int localPort) {
    if (!isValidPort(port) || !isValidPort(localPort)) return nullptr;
    Win32Socket socket;
    if (!socket.create(SOCK_STREAM)) return nullptr;
    if (localPort != 0 && !socket.bindAny(localPort)) return nullptr;
    sockaddr_in server = socketAddress({ip, port});
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0) return nullptr;
    // The socket stays with `socket` (and is closed) if the allocation fails.
    return new (std::nothrow) TCPStream(socket, nullptr);
}

TCPStream::TCPStream(Win32Socket& connected, TCPServer* server) : server_(server) {
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
        int received = recv(socket_.get(), out, wanted, 0);
        return received == SOCKET_ERROR ? -1 : received;
    }
    int received = recv(socket_.get(), readAhead_.space(), QXReadAhead::kSize, 0);
    if (received <= 0) return received == SOCKET_ERROR ? -1 : 0;
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
        if (socket_.waitReadable(deadline.remaining(netClock())) != Win32Socket::Wait::Ready) {
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
    int sent = send(socket_.get(), static_cast<const char*>(buffer), count, 0);
    if (sent == SOCKET_ERROR) {
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
    case Win32Socket::Wait::TimedOut: return 0;
    case Win32Socket::Wait::Failed: fail(); return state_;
    case Win32Socket::Wait::Ready: break;
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

bool isLostConnection(int error) {
    return error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAEWOULDBLOCK;
}
}  // namespace

TCPServer* TCPServer::listenOn(int port) {
    if (!isValidPort(port)) return nullptr;
    TCPServer* server = new (std::nothrow) TCPServer();
    if (!server) return nullptr;
    if (!server->socket_.create(SOCK_STREAM) || !server->socket_.bindAny(port) ||
        listen(server->socket_.get(), kListenBacklog) != 0) {
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
    case Win32Socket::Wait::TimedOut: return nullptr;
    case Win32Socket::Wait::Failed: state_ = kFailed; return nullptr;
    case Win32Socket::Wait::Ready: break;
    }
    Win32Socket connection;
    connection.adopt(::accept(socket_.get(), nullptr, nullptr));
    if (!connection.isOpen()) {
        // A client that gave up before it was accepted takes only its own
        // connection with it, not the server.
        if (!isLostConnection(WSAGetLastError())) state_ = kFailed;
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
