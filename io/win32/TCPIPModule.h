#pragma once
// The networking module and the Winsock 1.1 socket that every TCP and UDP
// object holds. Starting the module starts Winsock and resets the
// time-outs; stopping it closes every socket still open and ends Winsock.

#include <winsock.h>

#include <cstdint>

#include "io/QXTcpIp.h"
#include "runtime/QXModule.h"

class TCPIPModule : public QXModule {
public:
    TCPIPModule();
    bool startup() override;
    void shutdown() override;
};

extern TCPIPModule theTCPIPModule;

// The clock of the network deadlines (MilliSecs).
std::uint32_t netClock();

// Socket addresses from and to host order.
sockaddr_in socketAddress(QXNetAddress address);
QXNetAddress netAddressOf(const sockaddr_in& address);

// The IPv4 address of `host`: dotted text first, then a name look-up (its
// first address). False when neither gives one.
bool resolveHost(const char* host, std::uint32_t& ip);

// One socket, closed when its holder goes. Every open socket is listed so
// that the module stop can close those whose objects the program kept:
// Winsock ends with the module, and a socket number kept past that could
// later close a stranger's socket.
class Win32Socket {
public:
    enum class Wait { Ready, TimedOut, Failed };

    Win32Socket() = default;
    ~Win32Socket() { close(false); }
    Win32Socket(const Win32Socket&) = delete;
    Win32Socket& operator=(const Win32Socket&) = delete;

    // Creates a socket of `type` (SOCK_STREAM, SOCK_DGRAM); false on failure.
    bool create(int type);
    // Takes over a socket the platform made (one accepted).
    void adopt(SOCKET socket);
    // Takes over the socket of `other`, which is left without one.
    void takeFrom(Win32Socket& other);
    // Closes the socket; one that failed is first told not to linger.
    void close(bool failed);

    bool isOpen() const { return socket_ != INVALID_SOCKET; }
    SOCKET get() const { return socket_; }

    // Binds to `port` on all local addresses (0: a port the system picks).
    bool bindAny(int port);
    // The address the socket is bound to; zeros when the platform cannot tell.
    QXNetAddress localAddress() const;
    // The connected peer's address; zeros when the platform cannot tell.
    QXNetAddress peerAddress() const;
    // Waits up to `remainingMs` for the socket to become readable (0: a poll).
    Wait waitReadable(int remainingMs) const;
    // Bytes waiting to be received, or -1 when the platform cannot tell.
    int pendingBytes() const;

    // Closes every open socket (module stop).
    static void closeAll();

private:
    void link();
    void unlink();

    SOCKET socket_ = INVALID_SOCKET;
    Win32Socket* previous_ = nullptr;
    Win32Socket* next_ = nullptr;
    static Win32Socket* firstOpen_;
};
