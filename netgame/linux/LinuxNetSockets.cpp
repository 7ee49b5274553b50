#include "netgame/linux/LinuxNetSockets.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>

#include "io/QXSocket.h"

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

void noDelay(int socket) {
    // Small game messages go at once rather than waiting to be batched.
    int on = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

int boundSocket(int type, std::uint16_t port) {
    // Non-blocking, and not inherited by the programs CreateProcess starts.
    const int socket = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket < 0) return -1;
    if (type == SOCK_STREAM) {
        // A port whose last game has just ended (connections still waiting
        // out TIME_WAIT) can be hosted on again; a port that another socket
        // listens on still fails the bind, as with Windows' exclusive use.
        int on = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    const sockaddr_in address = toAddress({INADDR_ANY, port});
    if (bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

std::size_t clampSize(std::size_t size) { return std::min<std::size_t>(size, INT_MAX); }

bool wouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }
}  // namespace

// The clock and the look-up of the TCP and UDP commands.
std::uint32_t LinuxNetSockets::now() { return netClock(); }

void LinuxNetSockets::idle(int milliseconds) {
    const int ms = std::max(milliseconds, 0);
    timespec left{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

bool LinuxNetSockets::resolve(std::string_view host, std::uint32_t& ip) {
    return resolveHost(std::string(host).c_str(), ip);
}

int LinuxNetSockets::listenTcp(std::uint16_t port) {
    int socket = boundSocket(SOCK_STREAM, port);
    if (socket >= 0 && listen(socket, SOMAXCONN) != 0) {
        ::close(socket);
        socket = -1;
    }
    return socket;
}

int LinuxNetSockets::openUdp(std::uint16_t port) {
    const int socket = boundSocket(SOCK_DGRAM, port);
    if (socket >= 0) {
        int on = 1;
        setsockopt(socket, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    }
    return socket;
}

std::uint16_t LinuxNetSockets::localPort(int socket) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0) return 0;
    return ntohs(address.sin_port);
}

int LinuxNetSockets::accept(int listener, QXNetEndpoint& peer) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    int socket;
    while ((socket = accept4(listener, reinterpret_cast<sockaddr*>(&address), &size, SOCK_NONBLOCK | SOCK_CLOEXEC)) <
               0 &&
           errno == EINTR) {
        size = sizeof address;
    }
    if (socket < 0) return -1;
    noDelay(socket);
    peer = fromAddress(address);
    return socket;
}

int LinuxNetSockets::connect(QXNetEndpoint to) {
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket < 0) return -1;
    noDelay(socket);
    const sockaddr_in address = toAddress(to);
    // Interrupted, a non-blocking connection goes on as if it were in progress.
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 && errno != EINPROGRESS &&
        errno != EINTR) {
        ::close(socket);
        return -1;
    }
    return socket;
}

int LinuxNetSockets::connected(int socket) {
    pollfd entry{socket, POLLOUT, 0};
    int ready;
    while ((ready = poll(&entry, 1, 0)) < 0 && errno == EINTR) {
    }
    if (ready < 0 || (entry.revents & POLLNVAL)) return -1;
    if (ready == 0) return 0;
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) return -1;
    return (entry.revents & POLLOUT) ? 1 : -1;
}

long LinuxNetSockets::send(int socket, const std::uint8_t* bytes, std::size_t size) {
    ssize_t sent;
    // MSG_NOSIGNAL: a peer that has gone fails the send instead of raising SIGPIPE.
    while ((sent = ::send(socket, bytes, clampSize(size), MSG_NOSIGNAL)) < 0 && errno == EINTR) {
    }
    if (sent >= 0) return static_cast<long>(sent);
    return wouldBlock(errno) ? kWouldBlock : kClosed;
}

long LinuxNetSockets::receive(int socket, std::uint8_t* bytes, std::size_t size) {
    ssize_t got;
    while ((got = recv(socket, bytes, clampSize(size), 0)) < 0 && errno == EINTR) {
    }
    if (got > 0) return static_cast<long>(got);
    if (got == 0) return kClosed;
    return wouldBlock(errno) ? kWouldBlock : kClosed;
}

bool LinuxNetSockets::sendTo(int socket, QXNetEndpoint to, const std::uint8_t* bytes, std::size_t size) {
    const sockaddr_in address = toAddress(to);
    ssize_t sent;
    while ((sent = sendto(socket, bytes, clampSize(size), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address),
                          sizeof address)) < 0 &&
           errno == EINTR) {
    }
    return sent >= 0 && static_cast<std::size_t>(sent) == size;
}

long LinuxNetSockets::receiveFrom(int socket, std::uint8_t* bytes, std::size_t size, QXNetEndpoint& from) {
    // An error queued by a refused earlier datagram says nothing about the
    // datagrams waiting, so those are still read.
    for (int attempt = 0; attempt < 8; ++attempt) {
        sockaddr_in address{};
        socklen_t addressSize = sizeof address;
        // MSG_TRUNC: a datagram too long for the buffer tells its full size;
        // it is gone all the same, and reported as oversized as on Windows.
        const ssize_t got = recvfrom(socket, bytes, clampSize(size), MSG_TRUNC, reinterpret_cast<sockaddr*>(&address),
                                     &addressSize);
        if (got >= 0) {
            from = fromAddress(address);
            return static_cast<long>(std::min<std::size_t>(static_cast<std::size_t>(got), size));
        }
        if (errno != EINTR && errno != ECONNREFUSED) return -1;
    }
    return -1;
}

void LinuxNetSockets::close(int socket) {
    if (socket >= 0) ::close(socket);
}
