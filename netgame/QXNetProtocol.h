#pragma once
// The built-in game service's protocol: frames on TCP, datagrams on UDP,
// the records they carry and the bounds-checked readers that take them
// apart. docs/netgame-protocol.md describes the bytes; this is the code that
// writes and reads them. Everything read here comes from the network, so
// every length is checked before anything is taken or allocated.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using QXNetBytes = std::vector<std::uint8_t>;

// The version byte that opens every frame and datagram; a peer with another
// version is refused, never misread.
constexpr std::uint8_t kNetProtocolVersion = 1;
// The largest frame body (version, kind, payload) a peer may announce.
constexpr std::size_t kNetMaxFrameBytes = 64 * 1024;
constexpr std::size_t kNetFrameLengthBytes = 4;
constexpr std::size_t kNetFrameHeadBytes = 2;  // version, kind
// The largest datagram sent or read; larger unreliable messages go by TCP.
constexpr std::size_t kNetMaxDatagramBytes = 1400;
constexpr std::size_t kNetDatagramHeadBytes = 6;  // version, kind, game token
// Names travel with a 1-byte length.
constexpr std::size_t kNetMaxNameBytes = 255;

// A game listens on the first free port of this range (TCP and UDP alike);
// joining without a port and discovery try each of them.
constexpr std::uint16_t kNetGamePortBase = 28400;
constexpr int kNetGamePortCount = 16;

enum class QXNetFrameKind : std::uint8_t {
    Hello = 1,           // joiner -> host
    Welcome = 2,         // host -> joiner, then the roster, then Ready
    Refuse = 3,          // host -> joiner, then the connection closes
    Ready = 4,           // host -> joiner: the roster is complete
    PlayerAdd = 5,       // member -> host: a new local player
    PlayerAdded = 6,     // host -> all: a player joined (with its order)
    PlayerRemoved = 7,   // either way: a player left
    MachineAdded = 8,    // host -> all: a machine joined
    MachineRemoved = 9,  // host -> all: a machine left
    Message = 10,        // either way: a program message (the wire message)
    Ping = 11,           // either way: keeps an idle connection alive
    Bye = 12,            // either way: the machine leaves the game
};

enum class QXNetDatagramKind : std::uint8_t {
    Message = 20,  // an unreliable program message
    Query = 21,    // who hosts a game here?
    Reply = 22,    // a game: its ports, players and name
};

enum class QXNetRefusal : std::uint8_t { OtherGame = 1, UnknownMachine = 2, Full = 3, BadHello = 4 };

// ---------------------------------------------------------------- bytes

// Appends little-endian fields to a byte block.
class QXNetWriter {
public:
    explicit QXNetWriter(QXNetBytes& out) : out_(out) {}
    QXNetWriter& u8(std::uint8_t value);
    QXNetWriter& u16(std::uint16_t value);
    QXNetWriter& u32(std::uint32_t value);
    // A name: 1-byte length, then at most kNetMaxNameBytes bytes.
    QXNetWriter& name(std::string_view text);
    QXNetWriter& bytes(std::span<const std::uint8_t> data);

private:
    QXNetBytes& out_;
};

// Reads little-endian fields; any read past the end fails the reader, after
// which every field reads as zero.
class QXNetReader {
public:
    explicit QXNetReader(std::span<const std::uint8_t> data) : data_(data) {}
    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::string name();
    std::span<const std::uint8_t> rest();
    bool ok() const { return ok_; }
    // True when every byte was read and nothing failed.
    bool finished() const { return ok_ && position_ == data_.size(); }

private:
    bool take(std::size_t count);
    std::span<const std::uint8_t> data_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

// ---------------------------------------------------------------- frames

// Appends one frame: 4-byte body length, version, kind, payload. False
// (nothing appended) when the body would exceed the frame limit.
bool appendNetFrame(QXNetBytes& out, QXNetFrameKind kind, std::span<const std::uint8_t> payload);

struct QXNetFrame {
    QXNetFrameKind kind{};
    std::span<const std::uint8_t> payload;  // valid until the reader changes
};

// Cuts a byte stream into frames. Bytes arrive in any pieces; a length
// beyond the limit or a wrong version is an error that ends the stream.
class QXNetFrameReader {
public:
    enum class Status { Frame, NeedMore, TooLong, TooShort, WrongVersion };

    // Room for the next bytes of the stream: at most `most` bytes; the caller
    // writes into it and reports how many with `received`.
    std::span<std::uint8_t> space(std::size_t most);
    void received(std::size_t count);
    // Convenience for tests and the fuzzer: copies the bytes in.
    void feed(std::span<const std::uint8_t> bytes);

    // The next whole frame, or why there is none.
    Status next(QXNetFrame& frame);
    // Bytes of an unfinished frame are waiting.
    bool partial() const { return end_ > start_; }
    // Bytes held, read or not (bounded by the frame limit plus one piece).
    std::size_t buffered() const { return end_ - start_; }

private:
    QXNetBytes buffer_;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    bool failed_ = false;
    Status failure_ = Status::NeedMore;
};

// ---------------------------------------------------------------- records

struct QXNetHello {
    std::uint32_t machine = 0;  // 0 joining; the old machine when coming back after migration
    std::uint32_t token = 0;    // the game's token when coming back, else 0
    std::uint16_t tcpPort = 0;  // where this machine accepts members if it becomes host
    std::uint16_t udpPort = 0;
    std::string game;
};

struct QXNetWelcome {
    std::uint32_t you = 0;   // the joiner's machine identifier
    std::uint32_t host = 0;  // the host's machine identifier
    std::uint32_t token = 0;
};

struct QXNetMachineInfo {
    std::uint32_t id = 0;
    std::uint32_t ip = 0;  // as the host sees it; 0 for the host itself
    std::uint16_t tcpPort = 0;
    std::uint16_t udpPort = 0;
};

struct QXNetPlayerInfoRecord {
    std::uint32_t id = 0;
    std::uint32_t machine = 0;
    std::uint32_t order = 0;  // join order given by the host; 0 not yet given
    std::string name;
};

struct QXNetGameReply {
    std::uint16_t tcpPort = 0;
    std::uint16_t players = 0;
    std::string name;
};

QXNetBytes encodeNetHello(const QXNetHello& hello);
std::optional<QXNetHello> decodeNetHello(std::span<const std::uint8_t> payload);
QXNetBytes encodeNetWelcome(const QXNetWelcome& welcome);
std::optional<QXNetWelcome> decodeNetWelcome(std::span<const std::uint8_t> payload);
QXNetBytes encodeNetMachine(const QXNetMachineInfo& machine);
std::optional<QXNetMachineInfo> decodeNetMachine(std::span<const std::uint8_t> payload);
QXNetBytes encodeNetPlayer(const QXNetPlayerInfoRecord& player);
std::optional<QXNetPlayerInfoRecord> decodeNetPlayer(std::span<const std::uint8_t> payload);
QXNetBytes encodeNetId(std::uint32_t id);
std::optional<std::uint32_t> decodeNetId(std::span<const std::uint8_t> payload);

// Datagrams: version, kind, 4-byte game token, payload.
QXNetBytes encodeNetDatagram(QXNetDatagramKind kind, std::uint32_t token, std::span<const std::uint8_t> payload);
struct QXNetDatagram {
    QXNetDatagramKind kind{};
    std::uint32_t token = 0;
    std::span<const std::uint8_t> payload;
};
std::optional<QXNetDatagram> decodeNetDatagram(std::span<const std::uint8_t> bytes);
QXNetBytes encodeNetGameReply(const QXNetGameReply& reply);
std::optional<QXNetGameReply> decodeNetGameReply(std::span<const std::uint8_t> payload);

// "host", "host:port": the host text and the port (0 when none was given).
// Nothing for a port that is not a number from 1 to 65535.
struct QXNetHostPort {
    std::string host;
    std::uint16_t port = 0;
};
std::optional<QXNetHostPort> parseNetHostPort(std::string_view text);
