// The net game rules on a scripted session: the wire layout, buffer growth,
// starting a game, players, what RecvNetMsg reports and in which order, and
// the commands as compiled code calls them (through a scripted service).

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "StreamTestSupport.h"
#include "TestSupport.h"
#include "netgame/QXNetGame.h"
#include "netgame/QXNetMessage.h"

namespace {
using Bytes = std::vector<std::uint8_t>;

// A session that plays back what the test scripted and records what it is asked.
struct ScriptedSession : QXNetSession {
    struct Incoming {
        QXNetPlayerId from = 0;
        QXNetPlayerId to = 0;
        Bytes bytes;
    };
    struct Sent {
        QXNetPlayerId from, to;
        bool reliable;
        Bytes bytes;
    };
    struct Script {
        std::vector<QXNetPlayerInfo> players;
        bool listFails = false;
        int listCalls = 0;
        bool createFails = false;
        QXNetPlayerId nextId = 1001;
        std::vector<QXNetPlayerId> destroyed;
        bool sendFails = false;
        std::vector<Sent> sent;
        std::deque<Incoming> inbox;
        std::vector<std::size_t> capacities;  // of every receive
        std::size_t claimNeeded = 0;          // answer "too small, need this" when set
        bool closed = false;
        int discarded = 0;
    };

    explicit ScriptedSession(std::shared_ptr<Script> s) : script(std::move(s)) {}
    ~ScriptedSession() override { script->closed = true; }

    bool createPlayer(std::string_view name, QXNetPlayerId& id) override {
        if (script->createFails) return false;
        id = script->nextId++;
        script->players.push_back({id, std::string(name)});
        return true;
    }
    void destroyPlayer(QXNetPlayerId id) override { script->destroyed.push_back(id); }
    bool listPlayers(std::vector<QXNetPlayerInfo>& players) override {
        ++script->listCalls;
        if (script->listFails) return false;
        players = script->players;
        return true;
    }
    bool send(QXNetPlayerId from, QXNetPlayerId to, bool reliable, const std::uint8_t* bytes,
              std::size_t size) override {
        if (script->sendFails) return false;
        script->sent.push_back({from, to, reliable, Bytes(bytes, bytes + size)});
        return true;
    }
    QXNetReceipt receive(std::uint8_t* buffer, std::size_t capacity) override {
        script->capacities.push_back(capacity);
        QXNetReceipt receipt;
        if (script->claimNeeded) {
            receipt.status = QXNetReceipt::Status::BufferTooSmall;
            receipt.size = script->claimNeeded;
            return receipt;
        }
        if (script->inbox.empty()) return receipt;
        Incoming& next = script->inbox.front();
        if (next.bytes.size() > capacity) {
            receipt.status = QXNetReceipt::Status::BufferTooSmall;
            receipt.size = next.bytes.size();
            return receipt;
        }
        std::memcpy(buffer, next.bytes.data(), next.bytes.size());
        receipt = {QXNetReceipt::Status::Received, next.from, next.to, next.bytes.size()};
        script->inbox.pop_front();
        return receipt;
    }
    bool discardNext() override {
        if (script->inbox.empty()) return false;
        script->inbox.pop_front();
        ++script->discarded;
        return true;
    }
    // System messages of this session: one kind byte, a 4-byte player, the name.
    QXNetSystemEvent systemEvent(const std::uint8_t* bytes, std::size_t size) override {
        QXNetSystemEvent event;
        if (size < 5) return event;
        event.kind = static_cast<QXNetSystemEvent::Kind>(bytes[0]);
        std::memcpy(&event.player, bytes + 1, 4);
        event.name.assign(reinterpret_cast<const char*>(bytes) + 5, size - 5);
        return event;
    }

    std::shared_ptr<Script> script;
};
using Script = ScriptedSession::Script;
using Kind = QXNetSystemEvent::Kind;

void system(Script& script, Kind kind, QXNetPlayerId player = 0, const std::string& name = {}) {
    Bytes bytes{static_cast<std::uint8_t>(kind), 0, 0, 0, 0};
    std::memcpy(bytes.data() + 1, &player, 4);
    bytes.insert(bytes.end(), name.begin(), name.end());
    script.inbox.push_back({kNetSystemSender, 0, std::move(bytes)});
}

Bytes wire(QXNetPlayerId from, QXNetPlayerId to, int type, const std::string& text) {
    Bytes bytes(netWireSize(text.size()));
    writeNetWire(bytes.data(), from, to, type, text);
    return bytes;
}

void program(Script& script, QXNetPlayerId from, QXNetPlayerId to, int type, const std::string& text) {
    script.inbox.push_back({from, to, wire(from, to, type, text)});
}

QXNetOpened opened(const std::shared_ptr<Script>& script, int result) {
    return {result, std::make_unique<ScriptedSession>(script)};
}

// What the current message holds, compactly.
std::string current(const QXNetGame& game) {
    const QXNetMessage& m = game.message();
    return std::to_string(m.type) + " " + std::to_string(static_cast<int>(m.from)) + ">" +
           std::to_string(static_cast<int>(m.to)) + " '" + m.data + "'";
}

class NetGameRules : public testing::Test {
protected:
    void SetUp() override { game.open(nullptr); }
    std::shared_ptr<Script> script = std::make_shared<Script>();
    QXNetGame game;
};
}  // namespace

TEST(NetWire, LayoutAndTypeByte) {
    const Bytes bytes = wire(0x01020304, 0xA0B0C0D0, 200, std::string("hi\0!", 4));
    const Bytes expected = {4, 3, 2, 1, 0xD0, 0xC0, 0xB0, 0xA0, 200, 'h', 'i', 0, '!'};
    EXPECT_EQ(bytes, expected);
    auto read = readNetWire(bytes.data(), bytes.size());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->from, 0x01020304u);
    EXPECT_EQ(read->to, 0xA0B0C0D0u);
    EXPECT_EQ(read->type, -56) << "type bytes 128-255 read as signed";
    EXPECT_EQ(read->text, std::string_view("hi\0!", 4)) << "zero bytes travel";

    EXPECT_EQ(wire(1, 0, 256, "")[8], 0) << "only the low byte of the type";
    EXPECT_EQ(readNetWire(wire(1, 0, -1, "").data(), 9)->type, -1);
    EXPECT_EQ(readNetWire(wire(1, 0, 127, "").data(), 9)->type, 127);
    // Fewer bytes than the header are no message.
    EXPECT_FALSE(readNetWire(bytes.data(), 8));
    EXPECT_FALSE(readNetWire(nullptr, 0));
    EXPECT_TRUE(readNetWire(bytes.data(), 9)->text.empty());
}

TEST(NetWire, BuffersGrowByHalfAgainUpToTheLimit) {
    Bytes buffer(1024);
    EXPECT_TRUE(growNetBuffer(buffer, 1000, 1 << 20));
    EXPECT_EQ(buffer.size(), 1024u) << "never shrinks";
    EXPECT_TRUE(growNetBuffer(buffer, 2009, 1 << 20));
    EXPECT_EQ(buffer.size(), 3013u);
    EXPECT_TRUE(growNetBuffer(buffer, 5000, 6000));
    EXPECT_EQ(buffer.size(), 6000u) << "half again, but not past the limit";
    EXPECT_FALSE(growNetBuffer(buffer, 6001, 6000));
    EXPECT_EQ(buffer.size(), 6000u);
    EXPECT_FALSE(growNetBuffer(buffer, 0xFFFFFFF0u, QXNetGame::kMaxMessageBytes));
    EXPECT_EQ(buffer.size(), 6000u);
}

TEST_F(NetGameRules, StartingAGameAnnouncesThePlayersAlreadyInIt) {
    script->players = {{7, "ann"}, {9, "bob"}};
    program(*script, 9, 0, 5, "first program message");
    EXPECT_EQ(game.begin(opened(script, kNetJoined)), kNetJoined);
    EXPECT_TRUE(game.started());
    EXPECT_FALSE(game.isHost());
    ASSERT_NE(game.player(9), nullptr);
    EXPECT_EQ(game.player(9)->name, "bob");
    EXPECT_TRUE(game.player(9)->remote);

    // One type 100 per player, in the order listed, before anything else.
    ASSERT_TRUE(game.receive());
    EXPECT_EQ(current(game), "100 7>0 ''");
    ASSERT_TRUE(game.receive());
    EXPECT_EQ(current(game), "100 9>0 ''");
    ASSERT_TRUE(game.receive());
    EXPECT_EQ(current(game), "5 9>0 'first program message'");
    EXPECT_FALSE(game.receive());
    EXPECT_EQ(current(game), "0 -1>0 ''") << "a failed fetch leaves the reset message";

    game.stop();
    EXPECT_FALSE(game.started());
    EXPECT_TRUE(script->closed);
    EXPECT_EQ(game.player(7), nullptr);
    EXPECT_FALSE(game.receive());
    game.stop();  // harmless without a game
}

TEST_F(NetGameRules, StartResultsAndFailures) {
    EXPECT_EQ(game.begin(opened(script, kNetCreated)), kNetCreated);
    EXPECT_TRUE(game.isHost());
    game.stop();
    EXPECT_FALSE(game.isHost());

    // The players cannot be listed: the game is closed again.
    auto failing = std::make_shared<Script>();
    failing->listFails = true;
    EXPECT_EQ(game.begin(opened(failing, kNetCreated)), kNetNoGame);
    EXPECT_FALSE(game.started());
    EXPECT_TRUE(failing->closed);

    // No game: nothing is kept, and players of an earlier game are gone.
    EXPECT_EQ(game.begin({}), kNetNoGame);
    auto stray = std::make_shared<Script>();
    EXPECT_EQ(game.begin(opened(stray, kNetNoGame)), kNetNoGame);
    EXPECT_TRUE(stray->closed);
    EXPECT_FALSE(game.started());
}

TEST_F(NetGameRules, LocalPlayersAndTheFirstPlayersListing) {
    script->players = {{50, "remote"}};
    ASSERT_EQ(game.begin(opened(script, kNetCreated)), kNetCreated);
    ASSERT_TRUE(game.receive());  // the announcement of 50
    script->players.clear();

    // With no player record left, the next local player brings a new listing.
    game.deletePlayer(50);
    EXPECT_EQ(game.playerCount(), 0u);
    script->players = {{60, "late"}};
    const QXNetPlayerId me = game.createPlayer("me");
    EXPECT_EQ(me, 1001u);
    EXPECT_FALSE(game.player(me)->remote);
    EXPECT_EQ(game.player(me)->name, "me");
    EXPECT_TRUE(game.player(60) && game.player(60)->remote);
    ASSERT_TRUE(game.receive());
    EXPECT_EQ(current(game), "100 60>0 ''");
    const int listings = script->listCalls;
    EXPECT_EQ(game.createPlayer("second"), 1002u);
    EXPECT_EQ(script->listCalls, listings) << "only the only player triggers the listing";

    // Deleting: known players are destroyed, unknown ones ignored.
    game.deletePlayer(me);
    game.deletePlayer(4242);
    EXPECT_EQ(script->destroyed, (std::vector<QXNetPlayerId>{50, me}));
    EXPECT_EQ(game.player(me), nullptr);

    script->createFails = true;
    EXPECT_EQ(game.createPlayer("refused"), 0u);
}

TEST_F(NetGameRules, AFailedListingUndoesTheFirstPlayer) {
    ASSERT_EQ(game.begin(opened(script, kNetJoined)), kNetJoined);
    script->listFails = true;
    EXPECT_EQ(game.createPlayer("me"), 0u);
    EXPECT_EQ(script->destroyed, (std::vector<QXNetPlayerId>{1001}));
    EXPECT_EQ(game.playerCount(), 0u);
    EXPECT_TRUE(game.started());
}

TEST_F(NetGameRules, SessionReportsBecomeMessageTypes) {
    ASSERT_EQ(game.begin(opened(script, kNetJoined)), kNetJoined);
    system(*script, Kind::PlayerCreated, 21, "carl");
    system(*script, Kind::PlayerCreated, 21, "carl again");  // known: no second report
    system(*script, Kind::Other, 99);
    system(*script, Kind::PlayerDestroyed, 77);  // never known: nothing
    system(*script, Kind::PlayerDestroyed, 21);
    system(*script, Kind::BecameHost);
    system(*script, Kind::BecameHost);  // already host: nothing
    system(*script, Kind::SessionLost);

    ASSERT_TRUE(game.receive());
    EXPECT_EQ(current(game), "100 21>0 ''");
    EXPECT_EQ(game.player(21)->name, "carl");
    ASSERT_TRUE(game.receive());
    EXPECT_EQ(current(game), "101 21>0 ''");
    EXPECT_EQ(game.player(21), nullptr);
    EXPECT_FALSE(game.isHost());
    ASSERT_TRUE(game.receive());
    EXPECT_EQ(current(game), "102 -1>0 ''");
    EXPECT_TRUE(game.isHost());
    ASSERT_TRUE(game.receive());
    EXPECT_EQ(current(game), "200 -1>0 ''");
    EXPECT_FALSE(game.receive());
    EXPECT_TRUE(script->inbox.empty());
}

TEST_F(NetGameRules, ProgramMessagesThatAreNotReported) {
    ASSERT_EQ(game.begin(opened(script, kNetJoined)), kNetJoined);
    const QXNetPlayerId me = game.createPlayer("me");
    const QXNetPlayerId other = game.createPlayer("other");
    system(*script, Kind::PlayerCreated, 30, "remote");
    program(*script, me, other, 1, "local to local");    // sent on this machine
    program(*script, 30, me, 0, "type zero");            // consumed, never seen
    script->inbox.push_back({30, me, {1, 2, 3, 4, 5, 6, 7, 8}});  // too short to be a message
    program(*script, 30, me, 256, "wraps to zero");
    program(*script, 30, me, 200, "from afar");
    program(*script, 30, 0, 0, "last, type zero");

    ASSERT_TRUE(game.receive());
    EXPECT_EQ(current(game), "100 30>0 ''");
    ASSERT_TRUE(game.receive());
    EXPECT_EQ(current(game), "-56 30>" + std::to_string(me) + " 'from afar'");
    EXPECT_FALSE(game.receive());
    EXPECT_EQ(current(game), "0 -1>0 ''") << "a type 0 message leaves nothing behind";
}

TEST_F(NetGameRules, LongTextsGrowBothBuffers) {
    ASSERT_EQ(game.begin(opened(script, kNetCreated)), kNetCreated);
    const QXNetPlayerId me = game.createPlayer("me");
    std::string text(2000, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 31);

    EXPECT_EQ(game.sendBufferBytes(), QXNetGame::kInitialBufferBytes);
    ASSERT_TRUE(game.send(7, text, me, 0, true));
    EXPECT_EQ(game.sendBufferBytes(), 3013u);
    ASSERT_EQ(script->sent.size(), 1u);
    EXPECT_EQ(script->sent[0].bytes, wire(me, 0, 7, text));
    EXPECT_TRUE(script->sent[0].reliable);
    ASSERT_TRUE(game.send(8, "short", me, 12, false));
    EXPECT_FALSE(script->sent[1].reliable);
    EXPECT_EQ(script->sent[1].to, 12u);
    EXPECT_EQ(game.sendBufferBytes(), 3013u);

    program(*script, 40, me, 7, text);
    ASSERT_TRUE(game.receive());
    EXPECT_EQ(game.message().data, text);
    EXPECT_EQ(script->capacities, (std::vector<std::size_t>{1024, 3013}));
    EXPECT_EQ(game.receiveBufferBytes(), 3013u);

    script->sendFails = true;
    EXPECT_FALSE(game.send(1, "x", me, 0, true));
    EXPECT_FALSE(game.send(1, std::string(QXNetGame::kMaxMessageBytes, 'x'), me, 0, true));
}

TEST_F(NetGameRules, UnreasonableSizesAreRefusedWithoutAllocating) {
    ASSERT_EQ(game.begin(opened(script, kNetJoined)), kNetJoined);
    script->claimNeeded = 0xFFFFFFF0u;
    EXPECT_FALSE(game.receive());
    EXPECT_EQ(game.receiveBufferBytes(), QXNetGame::kInitialBufferBytes);
    EXPECT_EQ(script->capacities.size(), 1u);

    // A session that asks for no more than it has is not asked forever.
    script->capacities.clear();
    script->claimNeeded = 10;
    EXPECT_FALSE(game.receive());
    EXPECT_EQ(script->capacities.size(), 1u);

    // Player identifiers are whatever the peer says; none of them is special.
    script->claimNeeded = 0;
    program(*script, 0xFFFFFFFFu, 0xFFFFFFFEu, 3, "odd ids");
    ASSERT_TRUE(game.receive());
    EXPECT_EQ(current(game), "3 -1>-2 'odd ids'");
}

TEST_F(NetGameRules, AMessageTooLargeToTakeIsThrownAwayAndTheNextOneArrives) {
    ASSERT_EQ(game.begin(opened(script, kNetJoined)), kNetJoined);
    const QXNetPlayerId me = game.createPlayer("me");
    script->inbox.push_back({30, me, Bytes(QXNetGame::kMaxMessageBytes + 1, 1)});
    program(*script, 30, me, 5, "after the giant");
    script->inbox.push_back({31, me, Bytes(QXNetGame::kMaxMessageBytes + 100, 2)});
    ASSERT_TRUE(game.receive()) << "the giant no longer blocks what follows";
    EXPECT_EQ(current(game), "5 30>" + std::to_string(me) + " 'after the giant'");
    EXPECT_EQ(script->discarded, 1);
    EXPECT_LE(game.receiveBufferBytes(), QXNetGame::kMaxMessageBytes);
    EXPECT_FALSE(game.receive()) << "a giant alone: nothing to report";
    EXPECT_EQ(script->discarded, 2);
    EXPECT_TRUE(script->inbox.empty());
}

TEST_F(NetGameRules, ClosingFreesTheBuffersAndTheGame) {
    ASSERT_EQ(game.begin(opened(script, kNetCreated)), kNetCreated);
    game.close();
    EXPECT_TRUE(script->closed);
    EXPECT_EQ(game.sendBufferBytes(), 0u);
    EXPECT_EQ(game.receiveBufferBytes(), 0u);
    EXPECT_EQ(game.service(), nullptr);
}

// ---------------------------------------------------------------- commands

namespace {
namespace ng {
QX_TEST_COMMAND(int, StartNetGame, "%StartNetGame", (), ())
QX_TEST_COMMAND(int, HostNetGame, "%HostNetGame$game_name", (QXString * name), (name))
QX_TEST_COMMAND(int, JoinNetGame, "%JoinNetGame$game_name$ip_address", (QXString * name, QXString* address),
                (name, address))
QX_TEST_COMMAND(void, StopNetGame, "StopNetGame", (), ())
QX_TEST_COMMAND(int, CreateNetPlayer, "%CreateNetPlayer$name", (QXString * name), (name))
QX_TEST_COMMAND(void, DeleteNetPlayer, "DeleteNetPlayer%player", (int player), (player))
QX_TEST_COMMAND(QXString*, NetPlayerName, "$NetPlayerName%player", (int player), (player))
QX_TEST_COMMAND(int, NetPlayerLocal, "%NetPlayerLocal%player", (int player), (player))
QX_TEST_COMMAND(int, SendNetMsg, "%SendNetMsg%type$msg%from_player%to_player=0%reliable=1",
                (int type, QXString* text, int from, int to, int reliable), (type, text, from, to, reliable))
QX_TEST_COMMAND(int, RecvNetMsg, "%RecvNetMsg", (), ())
QX_TEST_COMMAND(int, NetMsgType, "%NetMsgType", (), ())
QX_TEST_COMMAND(int, NetMsgFrom, "%NetMsgFrom", (), ())
QX_TEST_COMMAND(int, NetMsgTo, "%NetMsgTo", (), ())
QX_TEST_COMMAND(QXString*, NetMsgData, "$NetMsgData", (), ())
}  // namespace ng

// A service that opens scripted games and remembers what it was asked.
struct ScriptedService : QXNetService {
    QXNetOpened host(std::string_view name) override {
        calls.push_back("host " + std::string(name));
        return next(kNetCreated);
    }
    QXNetOpened join(std::string_view name, std::string_view address) override {
        calls.push_back("join " + std::string(name) + " at " + std::string(address));
        return next(kNetJoined);
    }
    QXNetOpened choose() override {
        calls.push_back("choose");
        return next(chosen);
    }
    QXNetOpened next(int result) {
        if (!opens) return {};
        script = std::make_shared<Script>();
        return opened(script, result);
    }
    bool opens = true;
    int chosen = kNetJoined;
    std::vector<std::string> calls;
    std::shared_ptr<Script> script;
};

class NetGameCommands : public testing::Test {
protected:
    void SetUp() override { netGame().open(&service); }
    void TearDown() override { netGame().close(); }
    ScriptedService service;
};
}  // namespace

TEST_F(NetGameCommands, GameRequirementsStopWithTheirMessages) {
    const std::string notStarted = "Multiplayer game not started";
    Arg name("p");
    Arg address("127.0.0.1");
    EXPECT_EQ(runtimeErrorOf([&] { ng::CreateNetPlayer(name); }), notStarted);
    EXPECT_EQ(runtimeErrorOf([] { ng::DeleteNetPlayer(5); }), notStarted);
    EXPECT_EQ(runtimeErrorOf([&] { ng::SendNetMsg(1, name, 5, 0, 1); }), notStarted);
    EXPECT_EQ(runtimeErrorOf([] { ng::RecvNetMsg(); }), notStarted);
    EXPECT_EQ(runtimeErrorOf([] { ng::StopNetGame(); }), std::nullopt);
    // Asking about players and the message needs no game.
    EXPECT_EQ(take(ng::NetPlayerName(0)), "<all>");
    EXPECT_EQ(take(ng::NetPlayerName(12345)), "<unknown>");
    EXPECT_EQ(ng::NetPlayerLocal(0), 0);
    EXPECT_EQ(ng::NetMsgType(), 0);
    EXPECT_EQ(ng::NetMsgFrom(), -1);
    EXPECT_EQ(ng::NetMsgTo(), 0);
    EXPECT_EQ(take(ng::NetMsgData()), "");

    ASSERT_EQ(ng::HostNetGame(Arg("lobby")), 2);
    const std::string twice = "Multiplayer game already started";
    EXPECT_EQ(runtimeErrorOf([&] { ng::HostNetGame(name); }), twice);
    EXPECT_EQ(runtimeErrorOf([&] { ng::JoinNetGame(name, address); }), twice);
    EXPECT_EQ(runtimeErrorOf([] { ng::StartNetGame(); }), twice);
    EXPECT_EQ(service.calls, (std::vector<std::string>{"host lobby"})) << "refused before the service is asked";

    ng::StopNetGame();
    EXPECT_EQ(ng::JoinNetGame(Arg("lobby"), Arg("127.0.0.1")), 1);
    ng::StopNetGame();
    service.chosen = kNetCreated;
    EXPECT_EQ(ng::StartNetGame(), 2);
    ng::StopNetGame();
    service.opens = false;
    EXPECT_EQ(ng::StartNetGame(), 0);
    EXPECT_EQ(ng::HostNetGame(Arg("x")), 0);
    EXPECT_EQ(runtimeErrorOf([] { ng::RecvNetMsg(); }), notStarted);
}

TEST_F(NetGameCommands, PlayersAndMessagesThroughTheCommands) {
    ASSERT_EQ(ng::JoinNetGame(Arg("game"), Arg("127.0.0.1")), 1);
    Script& script = *service.script;
    const int me = ng::CreateNetPlayer(Arg("me"));
    ASSERT_NE(me, 0);
    EXPECT_EQ(take(ng::NetPlayerName(me)), "me");
    EXPECT_EQ(ng::NetPlayerLocal(me), 1);

    system(script, Kind::PlayerCreated, 0x80000001u, "far away");
    ASSERT_EQ(ng::RecvNetMsg(), 1);
    EXPECT_EQ(ng::NetMsgType(), 100);
    const int remote = ng::NetMsgFrom();
    EXPECT_EQ(remote, static_cast<int>(0x80000001u));
    EXPECT_EQ(take(ng::NetPlayerName(remote)), "far away");
    EXPECT_EQ(ng::NetPlayerLocal(remote), 0);

    EXPECT_EQ(ng::SendNetMsg(200, Arg("hello"), me, remote, 0), 1);
    ASSERT_EQ(script.sent.size(), 1u);
    EXPECT_EQ(script.sent[0].bytes, wire(static_cast<QXNetPlayerId>(me), static_cast<QXNetPlayerId>(remote), 200,
                                         "hello"));
    EXPECT_FALSE(script.sent[0].reliable);
    EXPECT_EQ(ng::SendNetMsg(1, nullptr, me, 0, 1), 1) << "a null string is the empty text";
    EXPECT_EQ(script.sent[1].bytes.size(), kNetWireHeaderBytes);

    program(script, static_cast<QXNetPlayerId>(remote), static_cast<QXNetPlayerId>(me), 200, "back");
    ASSERT_EQ(ng::RecvNetMsg(), 1);
    EXPECT_EQ(ng::NetMsgType(), -56);
    EXPECT_EQ(ng::NetMsgFrom(), remote);
    EXPECT_EQ(ng::NetMsgTo(), me);
    EXPECT_EQ(take(ng::NetMsgData()), "back");
    EXPECT_EQ(ng::RecvNetMsg(), 0);

    ng::DeleteNetPlayer(me);
    ng::DeleteNetPlayer(31337);
    EXPECT_EQ(script.destroyed, (std::vector<QXNetPlayerId>{static_cast<QXNetPlayerId>(me)}));
    EXPECT_EQ(take(ng::NetPlayerName(me)), "<unknown>");
    ng::StopNetGame();
    EXPECT_EQ(take(ng::NetPlayerName(remote)), "<unknown>") << "players are forgotten with the game";
    EXPECT_TRUE(script.closed);
}
