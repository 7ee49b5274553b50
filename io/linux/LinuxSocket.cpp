// The socket calls of the TCP and UDP objects on BSD sockets. They keep the
// Winsock behaviour the objects rely on: blocking sockets, a port in use
// fails the bind, a peer that has gone gives a failed call (never SIGPIPE),
// and a call a signal interrupts is made again.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "io/QXSocket.h"

// ---------------------------------------------------------------- module

bool startSockets() { return true; }

void stopSockets() {}

// ---------------------------------------------------------------- addresses

std::uint32_t netClock() {
    // The monotonic clock of MilliSecs, wrapping as the Windows counter does.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                      static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
}

namespace {

sockaddr_in socketAddress(QXNetAddress address) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = htonl(address.ip);
    result.sin_port = htons(static_cast<std::uint16_t>(address.port));
    return result;
}

QXNetAddress netAddressOf(const sockaddr_in& address) {
    return {ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
}

int fd(QXSocket::Native socket) { return static_cast<int>(socket); }

// The IPv4 addresses of a name look-up, in its order; false when it fails.
template <class Add> bool lookUp(const char* host, Add add) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    // One entry per address, not one per socket type.
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return false;
    bool any = false;
    try {
        for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
            if (entry->ai_family != AF_INET || entry->ai_addrlen < sizeof(sockaddr_in)) continue;
            add(ntohl(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr));
            any = true;
        }
    } catch (...) {
        freeaddrinfo(found);
        throw;
    }
    freeaddrinfo(found);
    return any;
}

// Milliseconds left of `timeoutMs` since `startMs`, for waits a signal cut short.
int leftOf(std::uint32_t startMs, int timeoutMs) { return QXDeadline(startMs, timeoutMs).remaining(netClock()); }

}  // namespace

bool resolveHost(const char* host, std::uint32_t& ip) {
    // Dotted text as Winsock's inet_addr reads it; 255.255.255.255, which
    // inet_addr cannot tell from a failure, Winsock's look-up gives as itself.
    in_addr dotted{};
    if (inet_aton(host, &dotted) != 0) {
        ip = ntohl(dotted.s_addr);
        return true;
    }
    bool found = false;
    lookUp(host, [&](std::uint32_t address) {
        if (!found) ip = address;
        found = true;
    });
    return found;
}

bool lookUpHostIPs(const char* host, QXHostIPList& list) {
    list.clear();
    return lookUp(host, [&](std::uint32_t address) { list.add(address); });
}

// ---------------------------------------------------------------- sockets

bool QXSocket::create(Kind kind) {
    close(false);
    // Not inherited by the programs CreateProcess starts.
    int made = ::socket(AF_INET, (kind == Kind::Stream ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC, 0);
    if (made < 0) return false;
    if (kind == Kind::Stream) {
        // A server's port comes free at once after it closes, as on Windows;
        // on Linux this still lets no second socket listen on the same port.
        int on = 1;
        setsockopt(made, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    adopt(made);
    return true;
}

void QXSocket::closeNative(Native socket, bool) {
    // Closing never lingers here unless asked to; a close a signal interrupts
    // has still closed the descriptor, so it is not repeated.
    ::close(fd(socket));
}

bool QXSocket::bindAny(int port) {
    sockaddr_in address = socketAddress({INADDR_ANY, port});
    return ::bind(fd(socket_), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

bool QXSocket::connectTo(QXNetAddress server) {
    // Winsock gives up on a host that never answers after about 21 s (three
    // SYNs); Linux alone would wait about two minutes.
    constexpr int kConnectLimitMs = 21000;
    const int socket = fd(socket_);
    const int flags = fcntl(socket, F_GETFL);
    if (flags < 0 || fcntl(socket, F_SETFL, flags | O_NONBLOCK) != 0) return false;
    sockaddr_in address = socketAddress(server);
    bool connected = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    // Interrupted, the connection goes on by itself, as one in progress does.
    if (!connected && (errno == EINPROGRESS || errno == EINTR)) {
        const std::uint32_t start = netClock();
        pollfd entry{socket, POLLOUT, 0};
        int ready;
        int wait = kConnectLimitMs;
        while ((ready = poll(&entry, 1, wait)) < 0 && errno == EINTR) wait = leftOf(start, kConnectLimitMs);
        int error = 0;
        socklen_t size = sizeof error;
        connected = ready > 0 && getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    // The stream reads and writes with blocking calls, as on Windows.
    return fcntl(socket, F_SETFL, flags) == 0 && connected;
}

bool QXSocket::listen(int backlog) { return ::listen(fd(socket_), backlog) == 0; }

QXSocket::Accepted QXSocket::accept(QXSocket& connection) {
    int accepted;
    while ((accepted = ::accept4(fd(socket_), nullptr, nullptr, SOCK_CLOEXEC)) < 0 && errno == EINTR) {
    }
    connection.adopt(accepted < 0 ? kNone : accepted);
    if (connection.isOpen()) return Accepted::Yes;
    switch (errno) {
    // Errors of the connection being accepted, which Linux passes on to accept.
    case ECONNABORTED:
    case EAGAIN:
    case EPROTO:
    case ENETDOWN:
    case ENOPROTOOPT:
    case EHOSTDOWN:
    case ENONET:
    case EHOSTUNREACH:
    case ENETUNREACH:
        return Accepted::Lost;
    default:
        return Accepted::Failed;
    }
}

int QXSocket::send(const void* bytes, int size) {
    ssize_t sent;
    while ((sent = ::send(fd(socket_), bytes, static_cast<std::size_t>(size), MSG_NOSIGNAL)) < 0 && errno == EINTR) {
    }
    return sent < 0 ? -1 : static_cast<int>(sent);
}

int QXSocket::receive(void* bytes, int size) {
    ssize_t received;
    while ((received = ::recv(fd(socket_), bytes, static_cast<std::size_t>(size), 0)) < 0 && errno == EINTR) {
    }
    return received < 0 ? -1 : static_cast<int>(received);
}

int QXSocket::sendTo(const void* bytes, int size, QXNetAddress to) {
    sockaddr_in address = socketAddress(to);
    ssize_t sent;
    while ((sent = ::sendto(fd(socket_), bytes, static_cast<std::size_t>(size), MSG_NOSIGNAL,
                            reinterpret_cast<const sockaddr*>(&address), sizeof address)) < 0 &&
           errno == EINTR) {
    }
    return sent < 0 ? -1 : static_cast<int>(sent);
}

int QXSocket::receiveFrom(void* bytes, int size, QXNetAddress& from) {
    sockaddr_in address{};
    socklen_t addressSize = sizeof address;
    ssize_t received;
    while ((received = ::recvfrom(fd(socket_), bytes, static_cast<std::size_t>(size), 0,
                                  reinterpret_cast<sockaddr*>(&address), &addressSize)) < 0 &&
           errno == EINTR) {
        addressSize = sizeof address;
    }
    if (received < 0) return -1;
    from = netAddressOf(address);
    return static_cast<int>(received);
}

QXNetAddress QXSocket::localAddress() const {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getsockname(fd(socket_), reinterpret_cast<sockaddr*>(&address), &size) != 0) return {};
    return netAddressOf(address);
}

QXNetAddress QXSocket::peerAddress() const {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getpeername(fd(socket_), reinterpret_cast<sockaddr*>(&address), &size) != 0) return {};
    return netAddressOf(address);
}

QXSocket::Wait QXSocket::waitReadable(int remainingMs) const {
    if (!isOpen()) return Wait::Failed;
    std::uint32_t start = netClock();
    pollfd entry{fd(socket_), POLLIN, 0};
    int ready;
    int wait = remainingMs > 0 ? remainingMs : 0;
    while ((ready = poll(&entry, 1, wait)) < 0 && errno == EINTR) wait = leftOf(start, remainingMs);
    if (ready < 0 || (entry.revents & POLLNVAL)) return Wait::Failed;
    // A reset or hung-up connection counts as readable, as select reports
    // it on Windows: the receive that follows tells what happened.
    return ready > 0 && (entry.revents & (POLLIN | POLLERR | POLLHUP)) ? Wait::Ready : Wait::TimedOut;
}

int QXSocket::pendingBytes() const {
    int count = 0;
    if (!isOpen() || ioctl(fd(socket_), FIONREAD, &count) != 0) return -1;
    return count < 0 ? 0 : count;
}
