#pragma once
// The built-in game service: one machine of a game, as host or member.
// Members hold one TCP connection to the host, which orders the players and
// relays messages; unreliable messages go by UDP the same way. Every machine
// keeps the roster, so when the host goes the others pick the new host the
// same way (QXNetRoster) and reconnect to it. All socket work is
// non-blocking and done when the net game commands run (pump), on sockets
// that the platform supplies through QXNetSockets.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "netgame/QXNetGame.h"
#include "netgame/QXNetProtocol.h"
#include "netgame/QXNetRoster.h"

struct QXNetEndpoint {
    std::uint32_t ip = 0;  // host order: 127.0.0.1 is 0x7F000001
    std::uint16_t port = 0;
    bool operator==(const QXNetEndpoint&) const = default;
};

// Non-blocking sockets as the service needs them. Sockets are small
// integers; -1 is none.
class QXNetSockets {
public:
    static constexpr long kWouldBlock = 0;
    static constexpr long kClosed = -1;

    virtual std::uint32_t now() = 0;  // milliseconds
    // Lets a little time pass while a blocking step (joining) waits.
    virtual void idle(int milliseconds) = 0;
    virtual bool resolve(std::string_view host, std::uint32_t& ip) = 0;
    // A listening TCP socket / a UDP socket on `port` of every local address
    // (0: a port the system picks); -1 when the port is taken or on failure.
    virtual int listenTcp(std::uint16_t port) = 0;
    virtual int openUdp(std::uint16_t port) = 0;
    virtual std::uint16_t localPort(int socket) = 0;
    // A connection waiting on a listening socket, or -1.
    virtual int accept(int listener, QXNetEndpoint& peer) = 0;
    // Starts connecting; -1 when it cannot even start.
    virtual int connect(QXNetEndpoint to) = 0;
    // 1 connected, 0 still connecting, -1 failed.
    virtual int connected(int socket) = 0;
    // Bytes taken/read, kWouldBlock, or kClosed (closed or failed).
    virtual long send(int socket, const std::uint8_t* bytes, std::size_t size) = 0;
    virtual long receive(int socket, std::uint8_t* bytes, std::size_t size) = 0;
    // Whole datagrams; receiveFrom gives the size, or -1 when none waits.
    virtual bool sendTo(int socket, QXNetEndpoint to, const std::uint8_t* bytes, std::size_t size) = 0;
    virtual long receiveFrom(int socket, std::uint8_t* bytes, std::size_t size, QXNetEndpoint& from) = 0;
    virtual void close(int socket) = 0;

protected:
    ~QXNetSockets() = default;
};

// Time limits and bounds of the service (milliseconds and bytes).
struct QXNetLimits {
    std::uint32_t connectMs = 3000;     // joining: connection and answer, per port tried
    std::uint32_t helloMs = 5000;       // a new connection must say Hello by then
    std::uint32_t stallMs = 5000;       // a frame begun must be complete by then
    std::uint32_t silenceMs = 30000;    // a connection that says nothing for this long is dropped
    std::uint32_t pingMs = 2000;        // an idle connection is kept alive this often
    std::uint32_t rejoinMs = 5000;      // after the host has gone, to reach / wait for the new host
    std::size_t sendQueueBytes = 4u << 20;   // per connection; a peer that cannot keep up is dropped
    std::size_t inboxBytes = 16u << 20;      // messages waiting for RecvNetMsg
    std::size_t readBudgetBytes = 256u << 10;  // per connection and pump
    // Small frames sent in the same millisecond wait in the queue and leave
    // together, once this many bytes wait or at the next flush.
    std::size_t coalesceBytes = 16u << 10;
    std::uint32_t lingerMs = 2000;  // at the end, for queued bytes to leave
    int maxMembers = 64;
    int maxPending = 16;
    // Players: a machine that announces more is dropped; CreateNetPlayer
    // refuses beyond them.
    std::size_t maxPlayersPerMachine = 256;
    std::size_t maxPlayers = 4096;
    // Frames handled per connection and pump; the rest wait for the next.
    std::size_t framesPerPump = 1024;
};

// What the node hands to RecvNetMsg as a system message: kind, player, name.
QXNetBytes encodeNodeEvent(QXNetSystemEvent::Kind kind, std::uint32_t player, std::string_view name);
QXNetSystemEvent decodeNodeEvent(const std::uint8_t* bytes, std::size_t size);

class QXNetNode final : public QXNetSession {
public:
    // Hosts `game` on the first free port of the game range (or on `port`).
    static std::unique_ptr<QXNetNode> host(QXNetSockets& sockets, std::string_view game, std::uint16_t port = 0,
                                           const QXNetLimits& limits = {});
    // Joins `game` at `ip`: on `port`, or on each port of the game range.
    static std::unique_ptr<QXNetNode> join(QXNetSockets& sockets, std::string_view game, std::uint32_t ip,
                                           std::uint16_t port = 0, const QXNetLimits& limits = {});

    QXNetNode(QXNetSockets& sockets, const QXNetLimits& limits);
    ~QXNetNode() override;
    QXNetNode(const QXNetNode&) = delete;
    QXNetNode& operator=(const QXNetNode&) = delete;

    bool createPlayer(std::string_view name, QXNetPlayerId& id) override;
    void destroyPlayer(QXNetPlayerId id) override;
    bool listPlayers(std::vector<QXNetPlayerInfo>& players) override;
    bool send(QXNetPlayerId from, QXNetPlayerId to, bool reliable, const std::uint8_t* bytes,
              std::size_t size) override;
    QXNetReceipt receive(std::uint8_t* buffer, std::size_t capacity) override;
    bool discardNext() override;
    QXNetSystemEvent systemEvent(const std::uint8_t* bytes, std::size_t size) override;
    // Writes out every frame held back to be sent with others.
    void flush() override;

    // Does the socket work that is due: accepts, reads, relays, writes,
    // keeps connections alive and drops those that misbehave.
    void pump();

    bool isHost() const { return role_ == Role::Host; }
    bool lost() const { return role_ == Role::Lost; }
    std::uint32_t machine() const { return machine_; }
    std::uint16_t tcpPort() const;
    std::uint16_t udpPort() const;
    const QXNetRoster& roster() const { return roster_; }
    std::size_t memberCount() const;
    // Messages and events waiting for receive.
    std::size_t waiting() const { return inbox_.size(); }

private:
    enum class Role { Joining, Member, Host, Lost };
    struct Link;
    struct Delivery {
        std::uint32_t from = 0;
        std::uint32_t to = 0;
        QXNetBytes bytes;
    };

    bool openLocal(std::uint16_t port);
    bool startJoin(std::uint32_t ip, std::uint16_t port, std::string_view game);
    Link* addLink(int socket, QXNetEndpoint peer, bool connecting);

    void acceptLinks();
    void serviceLink(Link& link);
    void readLink(Link& link);
    void flushLink(Link& link);
    void writeSoon(Link& link);
    void lingerUntilSent();
    void receiveDatagrams();
    void dropDeadLinks();
    void checkRejoinDeadline();

    void hostFrame(Link& link, const QXNetFrame& frame);
    void hostHello(Link& link, const QXNetHello& hello);
    void memberFrame(Link& link, const QXNetFrame& frame);
    void hostMessage(std::uint32_t sender, std::span<const std::uint8_t> wire, bool reliable);
    void hostSend(std::uint32_t target, std::span<const std::uint8_t> wire, bool byDatagram);
    void memberLeft(std::uint32_t machine);
    void hostLost(QXNetBytes unsent);
    void becomeHost(const QXNetBytes& unsent);
    void loseGame();

    bool queueFrame(Link& link, QXNetFrameKind kind, std::span<const std::uint8_t> payload);
    void toMembers(QXNetFrameKind kind, std::span<const std::uint8_t> payload, std::uint32_t except = 0);
    Link* memberLink(std::uint32_t machine);
    Link* hostLink();
    QXNetEndpoint udpEndpointOf(std::uint32_t machine) const;
    void deliver(std::uint32_t from, std::uint32_t to, QXNetBytes bytes, Link* source);
    bool deliverEvent(QXNetSystemEvent::Kind kind, std::uint32_t player, std::string_view name = {},
                      Link* source = nullptr);
    void kill(Link& link);

    QXNetSockets& sockets_;
    QXNetLimits limits_;
    Role role_ = Role::Joining;
    std::string game_;
    std::uint32_t token_ = 0;
    std::uint32_t machine_ = 0;
    std::uint32_t hostMachine_ = 0;
    std::uint32_t hostIp_ = 0;  // the address a member reached its host at
    int listener_ = -1;
    std::uint32_t lastAccept_ = 0;
    int udp_ = -1;
    std::vector<std::unique_ptr<Link>> links_;
    QXNetRoster roster_;
    std::uint32_t nextSerial_ = 1;
    std::deque<Delivery> inbox_;
    std::size_t inboxBytes_ = 0;
    // Joining: the host refused; welcomed and roster complete.
    bool refused_ = false;
    bool ready_ = false;
    // After migration: the deadline for the old members to come back (host;
    // those still away are parked links) or to be welcomed by the new host
    // (member).
    std::optional<std::uint32_t> rejoinDeadline_;
};

// HostNetGame and JoinNetGame over the built-in service, for every platform:
// the game's name is read up to its first zero byte, and the address is
// "host" (every port of the game range is tried) or "host:port".
QXNetOpened hostNodeGame(QXNetSockets& sockets, std::string_view gameName);
QXNetOpened joinNodeGame(QXNetSockets& sockets, std::string_view gameName, std::string_view address);

// Looks for games on the network: asks every game port of each target
// address (a broadcast address, or single hosts) and collects the answers.
class QXNetDiscovery {
public:
    struct Game {
        QXNetEndpoint address;  // the host's IP and game port
        std::string name;
        int players = 0;
        std::uint32_t seen = 0;
    };

    explicit QXNetDiscovery(QXNetSockets& sockets);
    ~QXNetDiscovery();
    QXNetDiscovery(const QXNetDiscovery&) = delete;
    QXNetDiscovery& operator=(const QXNetDiscovery&) = delete;

    bool open();
    // Sends one round of questions; answers are read by poll.
    void ask(const std::vector<std::uint32_t>& targets);
    // Reads the answers that came; games not heard of for `forgetMs` go.
    void poll(std::uint32_t forgetMs = 3000);
    const std::vector<Game>& games() const { return games_; }

private:
    QXNetSockets& sockets_;
    int udp_ = -1;
    std::vector<Game> games_;
};
