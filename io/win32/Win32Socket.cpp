// The socket calls of the TCP and UDP objects on Winsock 1.1.
#include <winsock.h>
#include <mmsystem.h>

#include <cstring>

#include "io/QXSocket.h"

// ---------------------------------------------------------------- module

bool startSockets() {
    WSADATA data;
    return WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

void stopSockets() { WSACleanup(); }

// ---------------------------------------------------------------- addresses

std::uint32_t netClock() { return timeGetTime(); }

namespace {

sockaddr_in socketAddress(QXNetAddress address) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = htonl(address.ip);
    result.sin_port = htons(static_cast<u_short>(address.port));
    return result;
}

QXNetAddress netAddressOf(const sockaddr_in& address) {
    return {ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
}

// The IPv4 addresses of a name look-up, or null when it fails.
char** lookUpAddresses(const char* host) {
    const hostent* entry = gethostbyname(host);
    if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4) return nullptr;
    return entry->h_addr_list;
}

std::uint32_t hostOrderIP(const char* networkBytes) {
    in_addr address;
    std::memcpy(&address, networkBytes, sizeof address);
    return ntohl(address.s_addr);
}

SOCKET native(QXSocket::Native socket) { return static_cast<SOCKET>(socket); }

}  // namespace

bool resolveHost(const char* host, std::uint32_t& ip) {
    unsigned long dotted = inet_addr(host);
    if (dotted != INADDR_NONE) {
        ip = ntohl(dotted);
        return true;
    }
    char** addresses = lookUpAddresses(host);
    if (!addresses || !addresses[0]) return false;
    ip = hostOrderIP(addresses[0]);
    return true;
}

bool lookUpHostIPs(const char* host, QXHostIPList& list) {
    list.clear();
    char** addresses = lookUpAddresses(host);
    if (!addresses) return false;
    for (char** address = addresses; *address; ++address) list.add(hostOrderIP(*address));
    return true;
}

// ---------------------------------------------------------------- sockets

bool QXSocket::create(Kind kind) {
    close(false);
    SOCKET made = ::socket(AF_INET, kind == Kind::Stream ? SOCK_STREAM : SOCK_DGRAM, 0);
    if (made == INVALID_SOCKET) return false;
    adopt(static_cast<Native>(made));
    return true;
}

void QXSocket::closeNative(Native socket, bool failed) {
    if (failed) {
        BOOL dontLinger = TRUE;
        setsockopt(native(socket), SOL_SOCKET, SO_DONTLINGER, reinterpret_cast<const char*>(&dontLinger),
                   sizeof dontLinger);
    }
    closesocket(native(socket));
}

bool QXSocket::bindAny(int port) {
    sockaddr_in address = socketAddress({INADDR_ANY, port});
    return ::bind(native(socket_), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

bool QXSocket::connectTo(QXNetAddress server) {
    sockaddr_in address = socketAddress(server);
    return ::connect(native(socket_), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

bool QXSocket::listen(int backlog) { return ::listen(native(socket_), backlog) == 0; }

QXSocket::Accepted QXSocket::accept(QXSocket& connection) {
    connection.adopt(static_cast<Native>(::accept(native(socket_), nullptr, nullptr)));
    if (connection.isOpen()) return Accepted::Yes;
    int error = WSAGetLastError();
    return error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAEWOULDBLOCK ? Accepted::Lost
                                                                                         : Accepted::Failed;
}

int QXSocket::send(const void* bytes, int size) {
    int sent = ::send(native(socket_), static_cast<const char*>(bytes), size, 0);
    return sent == SOCKET_ERROR ? -1 : sent;
}

int QXSocket::receive(void* bytes, int size) {
    int received = recv(native(socket_), static_cast<char*>(bytes), size, 0);
    return received == SOCKET_ERROR ? -1 : received;
}

int QXSocket::sendTo(const void* bytes, int size, QXNetAddress to) {
    sockaddr_in address = socketAddress(to);
    int sent = sendto(native(socket_), static_cast<const char*>(bytes), size, 0,
                      reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return sent == SOCKET_ERROR ? -1 : sent;
}

int QXSocket::receiveFrom(void* bytes, int size, QXNetAddress& from) {
    sockaddr_in address{};
    int addressSize = sizeof address;
    int received = recvfrom(native(socket_), static_cast<char*>(bytes), size, 0,
                            reinterpret_cast<sockaddr*>(&address), &addressSize);
    if (received == SOCKET_ERROR) return -1;
    from = netAddressOf(address);
    return received;
}

QXNetAddress QXSocket::localAddress() const {
    sockaddr_in address{};
    int size = sizeof address;
    if (getsockname(native(socket_), reinterpret_cast<sockaddr*>(&address), &size) != 0) return {};
    return netAddressOf(address);
}

QXNetAddress QXSocket::peerAddress() const {
    sockaddr_in address{};
    int size = sizeof address;
    if (getpeername(native(socket_), reinterpret_cast<sockaddr*>(&address), &size) != 0) return {};
    return netAddressOf(address);
}

QXSocket::Wait QXSocket::waitReadable(int remainingMs) const {
    if (!isOpen()) return Wait::Failed;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(native(socket_), &readable);
    timeval limit{remainingMs / 1000, (remainingMs % 1000) * 1000};
    int ready = select(0, &readable, nullptr, nullptr, &limit);
    if (ready == SOCKET_ERROR) return Wait::Failed;
    return ready > 0 && FD_ISSET(native(socket_), &readable) ? Wait::Ready : Wait::TimedOut;
}

int QXSocket::pendingBytes() const {
    u_long count = 0;
    if (!isOpen() || ioctlsocket(native(socket_), FIONREAD, &count) != 0) return -1;
    // Past 2 GB the exact figure does not matter to a 32-bit caller.
    return count > 0x7FFFFFFFul ? 0x7FFFFFFF : static_cast<int>(count);
}
