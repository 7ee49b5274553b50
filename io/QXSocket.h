#pragma once
// The networking module and the socket that every TCP and UDP object holds.
// The rules of the objects are shared; each platform supplies the socket
// calls (io/win32/Win32Socket.cpp on Winsock 1.1, io/linux/LinuxSocket.cpp on
// BSD sockets). Starting the module starts the platform's sockets and resets
// the time-outs; stopping it closes every socket still open.

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

// The platform's part of the module start and stop.
bool startSockets();
void stopSockets();

// The clock of the network deadlines (MilliSecs).
std::uint32_t netClock();

// The IPv4 address of `host`: dotted text first, then a name look-up (its
// first address). False when neither gives one.
bool resolveHost(const char* host, std::uint32_t& ip);
// Every IPv4 address a name look-up of `host` gives, in its order, into
// `list` (cleared first); false when the look-up fails.
bool lookUpHostIPs(const char* host, QXHostIPList& list);

// One socket, closed when its holder goes. Every open socket is listed so
// that the module stop can close those whose objects the program kept:
// Winsock ends with the module, and a socket number kept past that could
// later close a stranger's socket.
class QXSocket {
public:
    enum class Wait { Ready, TimedOut, Failed };
    enum class Kind { Stream, Datagram };
    enum class Accepted { Yes, Lost, Failed };
    // The platform's socket: Winsock's SOCKET or a file descriptor.
    using Native = std::intptr_t;
    static constexpr Native kNone = -1;

    QXSocket() = default;
    ~QXSocket() { close(false); }
    QXSocket(const QXSocket&) = delete;
    QXSocket& operator=(const QXSocket&) = delete;

    // Creates a socket of `kind`; false on failure.
    bool create(Kind kind);
    // Takes over a socket the platform made (one accepted).
    void adopt(Native socket);
    // Takes over the socket of `other`, which is left without one.
    void takeFrom(QXSocket& other);
    // Closes the socket; one that failed is first told not to linger.
    void close(bool failed);

    bool isOpen() const { return socket_ != kNone; }
    Native get() const { return socket_; }

    // Binds to `port` on all local addresses (0: a port the system picks).
    bool bindAny(int port);
    // Connects, waiting as long as the system does.
    bool connectTo(QXNetAddress server);
    bool listen(int backlog);
    // Accepts a waiting connection into `connection`. Lost: the client gave
    // up before it was accepted, which takes only its own connection.
    Accepted accept(QXSocket& connection);

    // Bytes sent or received; -1 on failure, 0 from receive when the peer
    // has closed. A peer that has gone never raises a signal.
    int send(const void* bytes, int size);
    int receive(void* bytes, int size);
    int sendTo(const void* bytes, int size, QXNetAddress to);
    // -1 when nothing was received (a refused earlier send, for one).
    int receiveFrom(void* bytes, int size, QXNetAddress& from);

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
    // The platform's close of `socket`.
    static void closeNative(Native socket, bool failed);

    Native socket_ = kNone;
    QXSocket* previous_ = nullptr;
    QXSocket* next_ = nullptr;
    static QXSocket* firstOpen_;
};
