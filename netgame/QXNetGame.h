#pragma once
// The net game: one game at a time, hosted or joined through a game service,
// the players this machine knows of, and the message fetching rules of
// RecvNetMsg. Everything here is free of platform calls: a platform module
// supplies the service (hosting, joining, the choosing dialog) and the
// session of the game that is running.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "netgame/QXNetMessage.h"

// What a session tells about one of its players.
struct QXNetPlayerInfo {
    QXNetPlayerId id = 0;
    std::string name;
};

// A message of the session itself (not sent by a player), as the session
// reads it from its bytes.
struct QXNetSystemEvent {
    enum class Kind { Other, PlayerCreated, PlayerDestroyed, SessionLost, BecameHost };
    Kind kind = Kind::Other;
    QXNetPlayerId player = 0;
    std::string name;
};

// The outcome of one attempt to receive a message.
struct QXNetReceipt {
    enum class Status { Received, BufferTooSmall, Failed };
    Status status = Status::Failed;
    QXNetPlayerId from = 0;  // kNetSystemSender for a system message
    QXNetPlayerId to = 0;
    std::size_t size = 0;  // bytes received, or bytes needed when too small
};
constexpr QXNetPlayerId kNetSystemSender = 0;

// A running game. Destroying the session closes the game.
class QXNetSession {
public:
    virtual ~QXNetSession() = default;
    // A new local player; false when the session refuses.
    virtual bool createPlayer(std::string_view name, QXNetPlayerId& id) = 0;
    virtual void destroyPlayer(QXNetPlayerId id) = 0;
    // Every player of the game, local and remote; false when the session
    // cannot tell (then `players` is unspecified).
    virtual bool listPlayers(std::vector<QXNetPlayerInfo>& players) = 0;
    virtual bool send(QXNetPlayerId from, QXNetPlayerId to, bool reliable, const std::uint8_t* bytes,
                      std::size_t size) = 0;
    // Takes the next waiting message into `buffer` unless it does not fit.
    virtual QXNetReceipt receive(std::uint8_t* buffer, std::size_t capacity) = 0;
    // Throws away the next waiting message unread (one too large to take);
    // false when nothing was thrown away.
    virtual bool discardNext() { return false; }
    // Reads a system message received into `bytes`.
    virtual QXNetSystemEvent systemEvent(const std::uint8_t* bytes, std::size_t size) = 0;
    // Sends at once whatever the session holds back to send with later
    // messages; called before the program waits or polls.
    virtual void flush() {}
};

// How starting a game ended: 0 no game, 1 joined, 2 created.
enum QXNetStart : int { kNetNoGame = 0, kNetJoined = 1, kNetCreated = 2 };

struct QXNetOpened {
    int result = kNetNoGame;
    std::unique_ptr<QXNetSession> session;  // set when result is 1 or 2
};

// Opens games; the platform module provides it while it runs.
class QXNetService {
public:
    virtual QXNetOpened host(std::string_view gameName) = 0;
    virtual QXNetOpened join(std::string_view gameName, std::string_view address) = 0;
    // Lets the user choose a connection and a game.
    virtual QXNetOpened choose() = 0;

protected:
    ~QXNetService() = default;
};

struct QXNetPlayer {
    std::string name;
    bool remote = false;
};

class QXNetGame {
public:
    static constexpr std::size_t kInitialBufferBytes = 1024;
    // Neither buffer grows beyond this: a larger message is not sent, and one
    // that a peer sent is thrown away unread.
    static constexpr std::size_t kMaxMessageBytes = std::size_t{16} << 20;

    // Module start: the service, both buffers at their first size, no game.
    void open(QXNetService* service);
    // Module stop: stops the game, frees the buffers and forgets the service.
    void close();
    QXNetService* service() const { return service_; }

    bool started() const { return session_ != nullptr; }
    bool isHost() const { return host_; }

    // Takes over what starting a game produced: forgets all players, then
    // (for a game) records and announces the players already in it. 0 when
    // there is no game or its players cannot be listed (the game is closed).
    int begin(QXNetOpened opened);
    // Closes the game and forgets all players; harmless without a game.
    void stop();

    // The identifier of a new local player, or 0 on failure.
    QXNetPlayerId createPlayer(std::string_view name);
    // Destroys and forgets a known player; unknown identifiers are ignored.
    void deletePlayer(QXNetPlayerId id);
    // The record of a player, or null.
    const QXNetPlayer* player(QXNetPlayerId id) const;
    std::size_t playerCount() const { return players_.size(); }

    bool send(int type, std::string_view text, QXNetPlayerId from, QXNetPlayerId to, bool reliable);
    // Fetches the next message to report into the current message.
    bool receive();
    // Lets messages held back for batching leave; harmless without a game.
    void flush();
    const QXNetMessage& message() const { return message_; }

    std::size_t sendBufferBytes() const { return sendBuffer_.size(); }
    std::size_t receiveBufferBytes() const { return receiveBuffer_.size(); }

private:
    bool announceUnknownPlayers();
    enum class Fetch { Got, Nothing, TooLarge };
    Fetch fetch(QXNetReceipt& receipt);
    void takeSystemMessage(std::size_t size);
    void takeProgramMessage(std::size_t size);

    QXNetService* service_ = nullptr;
    std::unique_ptr<QXNetSession> session_;
    bool host_ = false;
    std::unordered_map<QXNetPlayerId, QXNetPlayer> players_;
    std::deque<QXNetPlayerId> announcements_;
    std::vector<std::uint8_t> sendBuffer_;
    std::vector<std::uint8_t> receiveBuffer_;
    QXNetMessage message_;
};

// The process's net game.
QXNetGame& netGame();

// Makes `buffer` hold at least `needed` bytes, growing it to one and a half
// times that; false (buffer unchanged) beyond `limit` or without memory.
bool growNetBuffer(std::vector<std::uint8_t>& buffer, std::size_t needed, std::size_t limit);
