#pragma once
// Net game messages: the message RecvNetMsg leaves for the accessors, and the
// byte layout of a program message as it travels between machines
// (little-endian):
//
//     offset 0  4 bytes  sending player
//     offset 4  4 bytes  receiving player (0 = all players)
//     offset 8  1 byte   message type, 0 to 255
//     offset 9  n bytes  message text, no terminating zero

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The session's 32-bit player identifiers; 0 stands for all players.
using QXNetPlayerId = std::uint32_t;
constexpr QXNetPlayerId kNetAllPlayers = 0;
// The sender of a message that no player sent (reports of the session).
constexpr QXNetPlayerId kNetNoPlayer = 0xFFFFFFFFu;

// The types RecvNetMsg gives to what the session reports.
enum QXNetReport : int {
    kNetPlayerJoined = 100,
    kNetPlayerLeft = 101,
    kNetBecameHost = 102,
    kNetConnectionLost = 200,
};

struct QXNetMessage {
    int type = 0;  // 0: none
    QXNetPlayerId from = kNetNoPlayer;
    QXNetPlayerId to = kNetAllPlayers;
    std::string data;
};

constexpr std::size_t kNetWireHeaderBytes = 9;

// A program message as read from the wire; `text` points into the bytes read.
struct QXNetWireMessage {
    QXNetPlayerId from = 0;
    QXNetPlayerId to = 0;
    int type = 0;  // the type byte read as signed: -128 to 127
    std::string_view text;
};

// Bytes a program message with `textBytes` of text takes on the wire.
constexpr std::size_t netWireSize(std::size_t textBytes) { return kNetWireHeaderBytes + textBytes; }
// Writes the message into `out`, which holds at least netWireSize(text.size())
// bytes. Only the low 8 bits of `type` travel.
void writeNetWire(std::uint8_t* out, QXNetPlayerId from, QXNetPlayerId to, int type, std::string_view text);
// Reads a program message; nothing when the bytes are too few to hold one.
std::optional<QXNetWireMessage> readNetWire(const std::uint8_t* bytes, std::size_t size);
