#include <winsock2.h>
#include <windows.h>

#include "netgame/win32/Win32NetSockets.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

namespace {
sockaddr_in toAddress(QXNetEndpoint endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(endpoint.ip);
    address.sin_port = htons(endpoint.port);
    return address;
}

QXNetEndpoint fromAddress(const sockaddr_in& address) {
    return {ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
}

int asInt(SOCKET socket) { return socket == INVALID_SOCKET ? -1 : static_cast<int>(socket); }
SOCKET asSocket(int socket) { return static_cast<SOCKET>(static_cast<unsigned>(socket)); }

bool makeNonBlocking(SOCKET socket) {
    u_long on = 1;
    return ioctlsocket(socket, FIONBIO, &on) == 0;
}

void noDelay(SOCKET socket) {
    // Small game messages go at once rather than waiting to be batched.
    BOOL on = TRUE;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

SOCKET boundSocket(int type, std::uint16_t port) {
    SOCKET socket = ::socket(AF_INET, type, 0);
    if (socket == INVALID_SOCKET) return socket;
    // Exclusive use, so that a port in use elsewhere fails the bind instead
    // of being shared.
    BOOL on = TRUE;
    setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
    const sockaddr_in address = toAddress({INADDR_ANY, port});
    if (!makeNonBlocking(socket) || bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        closesocket(socket);
        return INVALID_SOCKET;
    }
    return socket;
}

int clampSize(std::size_t size) { return static_cast<int>(std::min<std::size_t>(size, INT_MAX)); }
}  // namespace

bool Win32NetSockets::start() {
    if (started_) return true;
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    return started_;
}

void Win32NetSockets::stop() {
    if (started_) WSACleanup();
    started_ = false;
}

std::uint32_t Win32NetSockets::now() { return GetTickCount(); }

void Win32NetSockets::idle(int milliseconds) { Sleep(static_cast<DWORD>(std::max(milliseconds, 0))); }

bool Win32NetSockets::resolve(std::string_view host, std::uint32_t& ip) {
    const std::string text(host);
    const unsigned long dotted = inet_addr(text.c_str());
    if (dotted != INADDR_NONE || text == "255.255.255.255") {
        ip = ntohl(dotted);
        return true;
    }
    const hostent* entry = gethostbyname(text.c_str());
    if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list[0]) return false;
    in_addr address;
    std::memcpy(&address, entry->h_addr_list[0], sizeof address);
    ip = ntohl(address.s_addr);
    return true;
}

int Win32NetSockets::listenTcp(std::uint16_t port) {
    SOCKET socket = boundSocket(SOCK_STREAM, port);
    if (socket != INVALID_SOCKET && listen(socket, SOMAXCONN) != 0) {
        closesocket(socket);
        socket = INVALID_SOCKET;
    }
    return asInt(socket);
}

int Win32NetSockets::openUdp(std::uint16_t port) {
    SOCKET socket = boundSocket(SOCK_DGRAM, port);
    if (socket != INVALID_SOCKET) {
        BOOL on = TRUE;
        setsockopt(socket, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on);
    }
    return asInt(socket);
}

std::uint16_t Win32NetSockets::localPort(int socket) {
    sockaddr_in address{};
    int size = sizeof address;
    if (getsockname(asSocket(socket), reinterpret_cast<sockaddr*>(&address), &size) != 0) return 0;
    return ntohs(address.sin_port);
}

int Win32NetSockets::accept(int listener, QXNetEndpoint& peer) {
    sockaddr_in address{};
    int size = sizeof address;
    SOCKET socket = ::accept(asSocket(listener), reinterpret_cast<sockaddr*>(&address), &size);
    if (socket == INVALID_SOCKET) return -1;
    if (!makeNonBlocking(socket)) {
        closesocket(socket);
        return -1;
    }
    noDelay(socket);
    peer = fromAddress(address);
    return asInt(socket);
}

int Win32NetSockets::connect(QXNetEndpoint to) {
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket == INVALID_SOCKET) return -1;
    noDelay(socket);
    const sockaddr_in address = toAddress(to);
    if (!makeNonBlocking(socket) ||
        (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
         WSAGetLastError() != WSAEWOULDBLOCK)) {
        closesocket(socket);
        return -1;
    }
    return asInt(socket);
}

int Win32NetSockets::connected(int socket) {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(asSocket(socket), &writable);
    FD_SET(asSocket(socket), &failed);
    timeval none{0, 0};
    const int ready = select(0, nullptr, &writable, &failed, &none);
    if (ready < 0 || FD_ISSET(asSocket(socket), &failed)) return -1;
    return FD_ISSET(asSocket(socket), &writable) ? 1 : 0;
}

long Win32NetSockets::send(int socket, const std::uint8_t* bytes, std::size_t size) {
    const int sent = ::send(asSocket(socket), reinterpret_cast<const char*>(bytes), clampSize(size), 0);
    if (sent != SOCKET_ERROR) return sent;
    return WSAGetLastError() == WSAEWOULDBLOCK ? kWouldBlock : kClosed;
}

long Win32NetSockets::receive(int socket, std::uint8_t* bytes, std::size_t size) {
    const int got = recv(asSocket(socket), reinterpret_cast<char*>(bytes), clampSize(size), 0);
    if (got > 0) return got;
    if (got == 0) return kClosed;
    return WSAGetLastError() == WSAEWOULDBLOCK ? kWouldBlock : kClosed;
}

bool Win32NetSockets::sendTo(int socket, QXNetEndpoint to, const std::uint8_t* bytes, std::size_t size) {
    const sockaddr_in address = toAddress(to);
    return sendto(asSocket(socket), reinterpret_cast<const char*>(bytes), clampSize(size), 0,
                  reinterpret_cast<const sockaddr*>(&address), sizeof address) == static_cast<int>(size);
}

long Win32NetSockets::receiveFrom(int socket, std::uint8_t* bytes, std::size_t size, QXNetEndpoint& from) {
    // A refused earlier datagram is reported on a later receive; it says
    // nothing about the datagrams waiting, so those are still read.
    for (int attempt = 0; attempt < 8; ++attempt) {
        sockaddr_in address{};
        int addressSize = sizeof address;
        const int got = recvfrom(asSocket(socket), reinterpret_cast<char*>(bytes), clampSize(size), 0,
                                 reinterpret_cast<sockaddr*>(&address), &addressSize);
        if (got >= 0) {
            from = fromAddress(address);
            return got;
        }
        const int error = WSAGetLastError();
        // Too long for the buffer: the datagram is gone; report it as oversized.
        if (error == WSAEMSGSIZE) {
            from = fromAddress(address);
            return static_cast<long>(size);
        }
        if (error != WSAECONNRESET) return -1;
    }
    return -1;
}

void Win32NetSockets::close(int socket) {
    if (socket >= 0) closesocket(asSocket(socket));
}
