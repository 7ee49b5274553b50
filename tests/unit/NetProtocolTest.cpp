// The built-in game service's protocol without sockets: frames cut from a
// byte stream in any pieces, the limits and version checks that guard it,
// records written and read back (and refused when malformed), addresses
// with ports, the roster and the choice of a new host. Builds natively too.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "netgame/QXNetNode.h"
#include "netgame/QXNetProtocol.h"
#include "netgame/QXNetRoster.h"

namespace {

QXNetBytes frameOf(QXNetFrameKind kind, const QXNetBytes& payload) {
    QXNetBytes out;
    EXPECT_TRUE(appendNetFrame(out, kind, payload));
    return out;
}

QXNetBytes raw(std::initializer_list<int> bytes) {
    QXNetBytes out;
    for (int b : bytes) out.push_back(static_cast<std::uint8_t>(b));
    return out;
}

TEST(NetProtocol, FramesAreCutFromAStreamInAnyPieces) {
    QXNetBytes stream = frameOf(QXNetFrameKind::Ping, {});
    const QXNetBytes big(5000, 0xAB);
    const QXNetBytes second = frameOf(QXNetFrameKind::Message, big);
    stream.insert(stream.end(), second.begin(), second.end());
    EXPECT_EQ(QXNetBytes(stream.begin(), stream.begin() + 6), raw({2, 0, 0, 0, kNetProtocolVersion, 11}));

    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{7}, std::size_t{4096}, stream.size()}) {
        SCOPED_TRACE(piece);
        QXNetFrameReader reader;
        std::vector<std::pair<QXNetFrameKind, std::size_t>> seen;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            const std::size_t count = std::min(piece, stream.size() - at);
            reader.feed({stream.data() + at, count});
            QXNetFrame frame;
            QXNetFrameReader::Status status;
            while ((status = reader.next(frame)) == QXNetFrameReader::Status::Frame) {
                seen.push_back({frame.kind, frame.payload.size()});
                if (frame.kind == QXNetFrameKind::Message) {
                    EXPECT_EQ(QXNetBytes(frame.payload.begin(), frame.payload.end()), big);
                }
            }
            EXPECT_EQ(status, QXNetFrameReader::Status::NeedMore);
        }
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].first, QXNetFrameKind::Ping);
        EXPECT_EQ(seen[1].second, 5000u);
        EXPECT_FALSE(reader.partial());
    }
}

TEST(NetProtocol, LengthsAndVersionsAreCheckedBeforeAnythingIsTaken) {
    struct Case {
        const char* what;
        QXNetBytes bytes;
        QXNetFrameReader::Status status;
    };
    const std::uint32_t over = kNetMaxFrameBytes + 1;
    const Case cases[] = {
        {"beyond the limit", raw({int(over & 0xFF), int(over >> 8 & 0xFF), int(over >> 16), 0}),
         QXNetFrameReader::Status::TooLong},
        {"all ones", raw({0xFF, 0xFF, 0xFF, 0xFF}), QXNetFrameReader::Status::TooLong},
        {"no room for version and kind", raw({1, 0, 0, 0, 1}), QXNetFrameReader::Status::TooShort},
        {"empty body", raw({0, 0, 0, 0}), QXNetFrameReader::Status::TooShort},
        {"another version, seen at once", raw({100, 0, 0, 0, 2}), QXNetFrameReader::Status::WrongVersion},
        {"version 0", raw({2, 0, 0, 0, 0, 1}), QXNetFrameReader::Status::WrongVersion},
        {"a length alone", raw({10, 0, 0}), QXNetFrameReader::Status::NeedMore},
        {"a frame begun", raw({10, 0, 0, 0, 1, 1, 0}), QXNetFrameReader::Status::NeedMore},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QXNetFrameReader reader;
        reader.feed(c.bytes);
        QXNetFrame frame;
        EXPECT_EQ(reader.next(frame), c.status);
        // An error is final: nothing after it is read as a frame.
        if (c.status != QXNetFrameReader::Status::NeedMore) {
            reader.feed(frameOf(QXNetFrameKind::Ping, {}));
            EXPECT_EQ(reader.next(frame), c.status);
        }
        EXPECT_LE(reader.buffered(), c.bytes.size() + 6);
    }
    // The largest frame passes; one byte more is refused when written.
    QXNetBytes out;
    EXPECT_TRUE(appendNetFrame(out, QXNetFrameKind::Message, QXNetBytes(kNetMaxFrameBytes - 2)));
    EXPECT_FALSE(appendNetFrame(out, QXNetFrameKind::Message, QXNetBytes(kNetMaxFrameBytes - 1)));
    QXNetFrameReader reader;
    reader.feed(out);
    QXNetFrame frame;
    EXPECT_EQ(reader.next(frame), QXNetFrameReader::Status::Frame);
    EXPECT_EQ(frame.payload.size(), kNetMaxFrameBytes - 2);
}

TEST(NetProtocol, RecordsRoundTripAndMalformedOnesAreRefused) {
    const QXNetHello hello{7, 0xDEADBEEF, 28401, 50000, "game"};
    const auto helloBack = decodeNetHello(encodeNetHello(hello));
    ASSERT_TRUE(helloBack);
    EXPECT_EQ(helloBack->machine, 7u);
    EXPECT_EQ(helloBack->token, 0xDEADBEEFu);
    EXPECT_EQ(helloBack->tcpPort, 28401);
    EXPECT_EQ(helloBack->udpPort, 50000);
    EXPECT_EQ(helloBack->game, "game");

    QXNetBytes helloBytes = encodeNetHello(hello);
    for (std::size_t cut = 0; cut < helloBytes.size(); ++cut)
        EXPECT_FALSE(decodeNetHello({helloBytes.data(), cut})) << "cut at " << cut;
    helloBytes.push_back(0);
    EXPECT_FALSE(decodeNetHello(helloBytes)) << "trailing bytes";
    QXNetBytes lying = encodeNetHello(hello);
    lying[12] = 200;  // a name length past the end
    EXPECT_FALSE(decodeNetHello(lying));

    // Names longer than a length byte holds are cut, not wrapped.
    const auto longName = decodeNetHello(encodeNetHello({0, 0, 1, 1, std::string(300, 'n')}));
    ASSERT_TRUE(longName);
    EXPECT_EQ(longName->game.size(), kNetMaxNameBytes);

    const auto player = decodeNetPlayer(encodeNetPlayer({0x00020003, 2, 9, "bob"}));
    ASSERT_TRUE(player);
    EXPECT_EQ(player->id, 0x00020003u);
    EXPECT_EQ(player->order, 9u);
    EXPECT_EQ(player->name, "bob");
    EXPECT_FALSE(decodeNetPlayer(encodeNetPlayer({0, 2, 9, "no id"})));
    EXPECT_FALSE(decodeNetWelcome(encodeNetWelcome({0, 1, 5}))) << "machine 0";
    EXPECT_FALSE(decodeNetMachine(encodeNetMachine({0, 1, 2, 3})));
    EXPECT_EQ(decodeNetId(encodeNetId(77)), 77u);
    EXPECT_FALSE(decodeNetId(encodeNetId(0)));
    EXPECT_FALSE(decodeNetId(raw({1, 0, 0})));

    const QXNetBytes datagram = encodeNetDatagram(QXNetDatagramKind::Message, 0x01020304, raw({9, 8}));
    EXPECT_EQ(datagram, raw({kNetProtocolVersion, 20, 4, 3, 2, 1, 9, 8}));
    const auto back = decodeNetDatagram(datagram);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->token, 0x01020304u);
    EXPECT_EQ(back->payload.size(), 2u);
    QXNetBytes wrong = datagram;
    wrong[0] = 2;
    EXPECT_FALSE(decodeNetDatagram(wrong)) << "another version";
    wrong = datagram;
    wrong[1] = 99;
    EXPECT_FALSE(decodeNetDatagram(wrong)) << "unknown kind";
    EXPECT_FALSE(decodeNetDatagram(raw({1, 20, 0})));
    EXPECT_FALSE(decodeNetDatagram(QXNetBytes(kNetMaxDatagramBytes + 1, 1)));

    const auto reply = decodeNetGameReply(encodeNetGameReply({28400, 3, "lobby"}));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->tcpPort, 28400);
    EXPECT_EQ(reply->players, 3);
    EXPECT_EQ(reply->name, "lobby");

    using Kind = QXNetSystemEvent::Kind;
    const QXNetBytes event = encodeNodeEvent(Kind::PlayerCreated, 0x10001, "zoe");
    const QXNetSystemEvent decoded = decodeNodeEvent(event.data(), event.size());
    EXPECT_EQ(decoded.kind, Kind::PlayerCreated);
    EXPECT_EQ(decoded.player, 0x10001u);
    EXPECT_EQ(decoded.name, "zoe");
    EXPECT_EQ(decodeNodeEvent(event.data(), event.size() - 1).kind, Kind::Other);
    EXPECT_EQ(decodeNodeEvent(raw({77, 1, 0, 0, 0, 0}).data(), 6).kind, Kind::Other);
    EXPECT_EQ(decodeNodeEvent(nullptr, 0).kind, Kind::Other);
}

TEST(NetProtocol, HostAndPortTexts) {
    struct Case {
        const char* text;
        bool valid;
        const char* host;
        int port;
    };
    const Case cases[] = {
        {"127.0.0.1", true, "127.0.0.1", 0},     {"127.0.0.1:28405", true, "127.0.0.1", 28405},
        {"localhost:1", true, "localhost", 1},   {"host:65535", true, "host", 65535},
        {"host:65536", false, "", 0},            {"host:0", false, "", 0},
        {"host:", false, "", 0},                 {"host:12a", false, "", 0},
        {"host:123456", false, "", 0},           {"", true, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = parseNetHostPort(c.text);
        ASSERT_EQ(parsed.has_value(), c.valid);
        if (!c.valid) continue;
        EXPECT_EQ(parsed->host, c.host);
        EXPECT_EQ(parsed->port, c.port);
    }
}

TEST(NetRoster, PlayerIdentifiersAreUniqueAndNeverZero) {
    EXPECT_EQ(makeNetPlayerId(1, 1), 0x00010001u);
    EXPECT_EQ(makeNetPlayerId(0xFFFF, 0xFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(netPlayerMachine(0x00020005), 2u);
    EXPECT_EQ(makeNetPlayerId(0, 1), 0u);
    EXPECT_EQ(makeNetPlayerId(1, 0), 0u);
    EXPECT_EQ(makeNetPlayerId(0x10000, 1), 0u);
    EXPECT_EQ(makeNetPlayerId(1, 0x10000), 0u);
}

TEST(NetRoster, TheMachineOfTheOldestPlayerHostsNext) {
    QXNetRoster roster;
    EXPECT_EQ(chooseNetHost(roster), 0u) << "nobody left";
    for (std::uint32_t id : {2u, 3u, 4u, 5u}) roster.addMachine({id, 0x7F000001, 1, 1});
    EXPECT_EQ(chooseNetHost(roster), 2u) << "no players: the oldest machine";
    roster.addPlayer({makeNetPlayerId(4, 1), 4, 7, "first"});
    roster.addPlayer({makeNetPlayerId(3, 1), 3, 9, "second"});
    roster.addPlayer({makeNetPlayerId(2, 1), 2, 0, "not ordered yet"});
    EXPECT_EQ(chooseNetHost(roster), 4u);
    EXPECT_EQ(roster.nextOrder(), 10u);
    EXPECT_EQ(roster.nextMachineId(), 6u);

    // A known player takes an order once, and only when it had none.
    EXPECT_FALSE(roster.addPlayer({makeNetPlayerId(2, 1), 2, 3, "ignored name"}));
    EXPECT_EQ(roster.player(makeNetPlayerId(2, 1))->order, 3u);
    EXPECT_EQ(roster.player(makeNetPlayerId(2, 1))->name, "not ordered yet");
    EXPECT_EQ(chooseNetHost(roster), 2u);
    EXPECT_FALSE(roster.addPlayer({makeNetPlayerId(2, 1), 2, 1, ""}));
    EXPECT_EQ(roster.player(makeNetPlayerId(2, 1))->order, 3u);

    EXPECT_EQ(roster.removeMachine(2), std::vector<std::uint32_t>{makeNetPlayerId(2, 1)});
    EXPECT_EQ(chooseNetHost(roster), 4u);
    roster.removeMachine(4);
    EXPECT_EQ(chooseNetHost(roster), 3u);
    roster.removePlayer(makeNetPlayerId(3, 1));
    EXPECT_EQ(chooseNetHost(roster), 3u) << "players gone: the oldest machine again";

    // Join orders keep rising past players that left; counts per machine
    // follow every way of adding and removing.
    EXPECT_EQ(roster.nextOrder(), 10u);
    roster.addPlayer({makeNetPlayerId(3, 2), 3, 10, "a"});
    roster.addPlayer({makeNetPlayerId(3, 3), 3, 11, "b"});
    roster.addPlayer({makeNetPlayerId(3, 3), 3, 12, "again"});
    EXPECT_EQ(roster.playerCountOf(3), 2u);
    EXPECT_EQ(roster.playerCountOf(5), 0u);
    roster.removePlayer(makeNetPlayerId(3, 3));
    EXPECT_FALSE(roster.removePlayer(makeNetPlayerId(3, 3)));
    EXPECT_EQ(roster.playerCountOf(3), 1u);
    EXPECT_EQ(roster.nextOrder(), 12u);
    roster.removeMachine(3);
    EXPECT_EQ(roster.playerCountOf(3), 0u);
    roster.clear();
    EXPECT_EQ(roster.nextOrder(), 1u);
}

}  // namespace
