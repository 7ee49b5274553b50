// The built-in game service's nodes over sockets in memory, with a clock
// that moves only when told: host migration keeps reliable messages for a
// member still coming back and drops them with a member that never does;
// what the old host never had whole reaches the new one; a member that
// stops reading is dropped at its send-queue limit; a member that floods
// the host with players or frames is bounded and dropped.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "netgame/QXNetMessage.h"
#include "netgame/QXNetNode.h"
#include "support/NetMemorySockets.h"

namespace {
using Kind = QXNetSystemEvent::Kind;
constexpr std::uint32_t kLoopback = NetMemorySockets::kLoopback;

class NetNode : public testing::Test {
protected:
    void SetUp() override {
        sockets.onIdle = [this] { pumpAll(); };
    }
    void TearDown() override {
        sockets.onIdle = nullptr;
        nodes.clear();
    }

    void pumpAll() {
        for (auto& node : nodes)
            if (node) node->pump();
    }
    // Pumps the nodes given (every node when none) until `done` holds; the
    // clock moves 1 ms a round.
    template <typename Done>
    bool pumpUntil(Done done, std::vector<QXNetNode*> which = {}, int rounds = 20000) {
        for (int i = 0; i < rounds; ++i) {
            if (done()) return true;
            if (which.empty())
                pumpAll();
            else
                for (QXNetNode* node : which) node->pump();
            sockets.clock += 1;
        }
        return false;
    }

    QXNetNode* hostGame(const QXNetLimits& limits = {}) {
        nodes.push_back(QXNetNode::host(sockets, "game", 28400, limits));
        return nodes.back().get();
    }
    QXNetNode* joinGame(const QXNetLimits& limits = {}) {
        auto node = QXNetNode::join(sockets, "game", kLoopback, 28400, limits);
        nodes.push_back(std::move(node));
        return nodes.back().get();
    }
    QXNetPlayerId player(QXNetNode* node, const char* name) {
        QXNetPlayerId id = 0;
        EXPECT_TRUE(node->createPlayer(name, id));
        pumpUntil([&] {
            for (auto& other : nodes)
                if (other && !other->roster().player(id)) return false;
            return node->roster().player(id)->order != 0;
        });
        return id;
    }
    // Ends a node (StopNetGame) while the others stand still.
    void stop(QXNetNode* node) {
        auto pumping = std::move(sockets.onIdle);
        sockets.onIdle = nullptr;
        for (auto& held : nodes)
            if (held.get() == node) held.reset();
        sockets.onIdle = std::move(pumping);
    }

    // "joined P", "left P", "host", "lost", "msg TYPE FROM>TO TEXT".
    static std::vector<std::string> drain(QXNetNode& node) {
        std::vector<std::string> seen;
        std::vector<std::uint8_t> buffer(70000);
        for (;;) {
            const QXNetReceipt receipt = node.receive(buffer.data(), buffer.size());
            if (receipt.status != QXNetReceipt::Status::Received) break;
            if (receipt.from == kNetSystemSender) {
                const QXNetSystemEvent event = node.systemEvent(buffer.data(), receipt.size);
                const std::string id = std::to_string(event.player);
                seen.push_back(event.kind == Kind::PlayerCreated     ? "joined " + id
                               : event.kind == Kind::PlayerDestroyed ? "left " + id
                               : event.kind == Kind::BecameHost      ? "host"
                               : event.kind == Kind::SessionLost     ? "lost"
                                                                     : "other");
                continue;
            }
            const auto wire = readNetWire(buffer.data(), receipt.size);
            seen.push_back("msg " + std::to_string(wire->type) + " " + std::to_string(wire->from) + ">" +
                           std::to_string(wire->to) + " " + std::string(wire->text));
        }
        return seen;
    }
    static bool sendText(QXNetNode& node, QXNetPlayerId from, QXNetPlayerId to, const std::string& text,
                         bool reliable = true) {
        std::vector<std::uint8_t> bytes(netWireSize(text.size()));
        writeNetWire(bytes.data(), from, to, 7, text);
        return node.send(from, to, reliable, bytes.data(), bytes.size());
    }
    // The numbered texts "<prefix><i>" received, in the order received.
    static std::vector<int> numbers(const std::vector<std::string>& seen, const std::string& prefix) {
        std::vector<int> found;
        for (const std::string& s : seen) {
            const auto at = s.find(" " + prefix);
            if (s.rfind("msg ", 0) == 0 && at != std::string::npos) found.push_back(std::stoi(s.substr(at + 1 + prefix.size())));
        }
        return found;
    }
    static std::vector<int> upTo(int n) {
        std::vector<int> all(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) all[static_cast<std::size_t>(i)] = i;
        return all;
    }
    static bool has(const std::vector<std::string>& seen, const std::string& what) {
        return std::find(seen.begin(), seen.end(), what) != seen.end();
    }

    NetMemorySockets sockets;
    std::vector<std::unique_ptr<QXNetNode>> nodes;
};

TEST_F(NetNode, TheNewHostKeepsReliableMessagesForAMemberComingBack) {
    QXNetNode* host = hostGame();
    QXNetNode* alice = joinGame();
    QXNetNode* bob = joinGame();
    ASSERT_TRUE(host && alice && bob);
    player(host, "host");
    const QXNetPlayerId a = player(alice, "alice");
    const QXNetPlayerId b = player(bob, "bob");
    drain(*alice);
    drain(*bob);

    stop(host);
    // Alice (the oldest player) hosts at once; bob has not looked yet.
    ASSERT_TRUE(pumpUntil([&] { return alice->isHost(); }, {alice}));
    std::vector<std::string> atAlice = drain(*alice), atBob;
    ASSERT_EQ(atAlice.size(), 2u);
    EXPECT_EQ(atAlice[1], "host") << "101 for the host's player, then 102";
    constexpr int kCount = 1000;
    for (int i = 0; i < kCount; ++i) ASSERT_TRUE(sendText(*alice, a, i % 2 ? b : 0, "a" + std::to_string(i)));
    // Bob finds the host gone and talks to the new host before he is back.
    ASSERT_TRUE(pumpUntil([&] { return !bob->roster().machine(1); }, {bob}));
    for (int i = 0; i < kCount; ++i) ASSERT_TRUE(sendText(*bob, b, i % 2 ? a : 0, "b" + std::to_string(i)));
    ASSERT_TRUE(pumpUntil([&] {
        for (auto& s : drain(*alice)) atAlice.push_back(s);
        for (auto& s : drain(*bob)) atBob.push_back(s);
        return numbers(atAlice, "b").size() >= kCount && numbers(atBob, "a").size() >= kCount;
    }));
    EXPECT_EQ(numbers(atAlice, "b"), upTo(kCount));
    EXPECT_EQ(numbers(atBob, "a"), upTo(kCount));
    EXPECT_FALSE(has(atBob, "lost"));
    EXPECT_EQ(alice->memberCount(), 1u);

    // Long after the reconnect limit both are still in the game.
    sockets.clock += 6000;
    pumpUntil([] { return false; }, {}, 20);
    EXPECT_FALSE(has(drain(*alice), "left " + std::to_string(b)));
    EXPECT_TRUE(sendText(*bob, b, a, "later"));
    EXPECT_TRUE(pumpUntil([&] { return has(drain(*alice), "msg 7 " + std::to_string(b) + ">" + std::to_string(a) + " later"); }));
}

TEST_F(NetNode, AMemberThatNeverComesBackIsReportedGoneAndWhatWasKeptIsDropped) {
    QXNetNode* host = hostGame();
    QXNetNode* alice = joinGame();
    QXNetNode* bob = joinGame();
    QXNetNode* carol = joinGame();
    ASSERT_TRUE(host && alice && bob && carol);
    player(host, "host");
    const QXNetPlayerId a = player(alice, "alice");
    const QXNetPlayerId b = player(bob, "bob");
    const QXNetPlayerId c = player(carol, "carol");
    drain(*alice);
    drain(*carol);

    stop(host);
    ASSERT_TRUE(pumpUntil([&] { return alice->isHost(); }, {alice}));
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(sendText(*alice, a, b, std::string(1000, 'k')));
    // Bob stays away past the limit; carol comes back.
    std::vector<std::string> atAlice, atCarol;
    ASSERT_TRUE(pumpUntil([&] {
        for (auto& s : drain(*alice)) atAlice.push_back(s);
        for (auto& s : drain(*carol)) atCarol.push_back(s);
        return has(atAlice, "left " + std::to_string(b)) && has(atCarol, "left " + std::to_string(b));
    }, {alice, carol}));
    EXPECT_EQ(alice->memberCount(), 1u) << "only carol";
    EXPECT_FALSE(alice->roster().machine(netPlayerMachine(b)));
    EXPECT_TRUE(sendText(*carol, c, a, "carol goes on"));
    EXPECT_TRUE(pumpUntil([&] { return has(drain(*alice), "msg 7 " + std::to_string(c) + ">" + std::to_string(a) + " carol goes on"); },
                          {alice, carol}));

    // Bob wakes up too late: the new host does not take him back.
    std::vector<std::string> atBob;
    ASSERT_TRUE(pumpUntil([&] {
        for (auto& s : drain(*bob)) atBob.push_back(s);
        return has(atBob, "lost");
    }));
    EXPECT_TRUE(numbers(atBob, "k").empty());
}

TEST_F(NetNode, FramesTheOldHostNeverHadWholeGoToTheNewHost) {
    QXNetNode* host = hostGame();
    QXNetNode* bob = joinGame();
    QXNetNode* alice = joinGame();
    ASSERT_TRUE(host && alice && bob);
    player(host, "host");
    const QXNetPlayerId b = player(bob, "bob");  // joined first: hosts next
    const QXNetPlayerId a = player(alice, "alice");
    drain(*bob);

    // The host reads nothing while alice sends: most of her messages wait
    // in her queue, one is cut short on the wire.
    sockets.streamCapacity = 1001;
    constexpr int kCount = 200;
    for (int i = 0; i < kCount; ++i) ASSERT_TRUE(sendText(*alice, a, b, "m" + std::to_string(i) + std::string(40, '.')));
    alice->flush();
    sockets.streamCapacity = 256u << 10;
    // What reached the host is passed on as it leaves; the rest comes from
    // alice to bob, the new host, without a gap or a repeat.
    stop(host);
    std::vector<std::string> atBob;
    ASSERT_TRUE(pumpUntil([&] {
        for (auto& s : drain(*bob)) atBob.push_back(s);
        return numbers(atBob, "m").size() >= kCount;
    }));
    EXPECT_TRUE(bob->isHost());
    EXPECT_EQ(numbers(atBob, "m"), upTo(kCount));
}

TEST_F(NetNode, AMemberThatStopsReadingIsDroppedAtItsQueueLimitAndTheOthersLoseNothing) {
    QXNetLimits limits;
    limits.sendQueueBytes = 512u << 10;
    QXNetNode* host = hostGame(limits);
    QXNetNode* alice = joinGame();
    QXNetNode* bob = joinGame();
    ASSERT_TRUE(host && alice && bob);
    const QXNetPlayerId h = player(host, "host");
    const QXNetPlayerId a = player(alice, "alice");
    const QXNetPlayerId b = player(bob, "bob");
    drain(*host);
    drain(*alice);
    sockets.streamCapacity = 64u << 10;

    // Bob is never pumped again: his queue fills while alice reads on.
    constexpr int kCount = 100;
    std::vector<std::string> atHost, atAlice;
    for (int i = 0; i < kCount; ++i) {
        ASSERT_TRUE(sendText(*host, h, 0, "w" + std::to_string(i) + std::string(20000, 'x')));
        for (int k = 0; k < 3; ++k) {
            host->pump();
            alice->pump();
        }
        for (auto& s : drain(*alice)) atAlice.push_back(s);
    }
    ASSERT_TRUE(pumpUntil([&] {
        for (auto& s : drain(*host)) atHost.push_back(s);
        for (auto& s : drain(*alice)) atAlice.push_back(s);
        return numbers(atAlice, "w").size() >= kCount && has(atAlice, "left " + std::to_string(b));
    }, {host, alice}));
    EXPECT_TRUE(has(atHost, "left " + std::to_string(b)));
    EXPECT_EQ(host->memberCount(), 1u);
    EXPECT_EQ(numbers(atAlice, "w"), upTo(kCount));
    EXPECT_TRUE(sendText(*alice, a, h, "still here"));
    EXPECT_TRUE(pumpUntil([&] { return has(drain(*host), "msg 7 " + std::to_string(a) + ">" + std::to_string(h) + " still here"); }, {host, alice}));
}

// A peer speaking raw frames to the host, after a proper Hello.
class RawMember {
public:
    RawMember(NetMemorySockets& sockets, QXNetNode& host) : sockets_(sockets) {
        socket_ = sockets.connect({kLoopback, host.tcpPort()});
        frame(QXNetFrameKind::Hello, encodeNetHello({0, 0, 1, 1, "game"}));
    }
    void frame(QXNetFrameKind kind, const QXNetBytes& payload) { appendNetFrame(out_, kind, payload); }
    void flush() {
        std::size_t at = 0;
        while (at < out_.size()) {
            const long sent = sockets_.send(socket_, out_.data() + at, out_.size() - at);
            if (sent <= 0) break;
            at += static_cast<std::size_t>(sent);
        }
        out_.erase(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(at));
    }
    // Reads what the host says; false once it has closed the connection.
    bool open() {
        std::uint8_t buffer[4096];
        long got;
        while ((got = sockets_.receive(socket_, buffer, sizeof buffer)) > 0) {
        }
        return got != QXNetSockets::kClosed;
    }

private:
    NetMemorySockets& sockets_;
    int socket_ = -1;
    QXNetBytes out_;
};

TEST_F(NetNode, AMemberFloodingTheHostWithPlayersIsBoundedAndDropped) {
    sockets.streamCapacity = 4u << 20;
    QXNetNode* host = hostGame();
    QXNetNode* alice = joinGame();
    ASSERT_TRUE(host && alice);
    const QXNetPlayerId a = player(alice, "alice");
    drain(*host);
    RawMember raw(sockets, *host);
    raw.flush();
    ASSERT_TRUE(pumpUntil([&] { return host->memberCount() == 2; }, {host}));
    const std::uint32_t machine = 3;
    for (std::uint32_t serial = 1; serial <= 65535; ++serial)
        raw.frame(QXNetFrameKind::PlayerAdd, encodeNetPlayer({makeNetPlayerId(machine, serial), machine, 0, "p"}));
    raw.flush();

    const auto start = std::chrono::steady_clock::now();
    auto worst = std::chrono::steady_clock::duration::zero();
    for (int i = 0; i < 200 && raw.open(); ++i) {
        const auto before = std::chrono::steady_clock::now();
        host->pump();
        worst = std::max(worst, std::chrono::steady_clock::now() - before);
        raw.flush();
    }
    const auto total = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(raw.open()) << "dropped past the limit";
    const std::vector<std::string> atHost = drain(*host);
    int joined = 0, left = 0;
    for (const std::string& s : atHost) {
        if (s.rfind("joined", 0) == 0) ++joined;
        if (s.rfind("left", 0) == 0) ++left;
    }
    EXPECT_EQ(joined, 256);
    EXPECT_EQ(left, 256);
    EXPECT_EQ(host->roster().players().size(), 1u);
    EXPECT_LT(std::chrono::duration<double>(worst).count(), 0.5);
    EXPECT_LT(std::chrono::duration<double>(total).count(), 2.0);
    // Alice heard of those players and of their end, and plays on.
    std::vector<std::string> atAlice;
    ASSERT_TRUE(pumpUntil([&] {
        for (auto& s : drain(*alice)) atAlice.push_back(s);
        return alice->roster().players().size() == 1;
    }, {host, alice}));
    EXPECT_TRUE(alice->roster().player(a));
}

TEST_F(NetNode, PlayerAndEventLimitsAndTheWorkOfOnePump) {
    QXNetLimits limits;
    limits.maxPlayersPerMachine = 3;
    limits.maxPlayers = 5;
    limits.framesPerPump = 50;
    QXNetNode* host = hostGame(limits);
    QXNetNode* alice = joinGame(limits);
    ASSERT_TRUE(host && alice);

    // The commands refuse past either limit.
    QXNetPlayerId id = 0;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(alice->createPlayer("a", id));
    EXPECT_FALSE(alice->createPlayer("a", id)) << "per machine";
    ASSERT_TRUE(pumpUntil([&] { return host->roster().players().size() == 3; }));
    ASSERT_TRUE(host->createPlayer("h", id));
    ASSERT_TRUE(host->createPlayer("h", id));
    EXPECT_FALSE(host->createPlayer("h", id)) << "per game";
    ASSERT_TRUE(pumpUntil([&] { return alice->roster().players().size() == 5 && host->roster().players().size() == 5; }));
    drain(*host);

    // A peer announcing a player into a full game is dropped.
    {
        RawMember raw(sockets, *host);
        raw.frame(QXNetFrameKind::PlayerAdd, encodeNetPlayer({makeNetPlayerId(3, 1), 3, 0, "x"}));
        raw.flush();
        EXPECT_TRUE(pumpUntil([&] { return !raw.open(); }, {host}, 100));
        EXPECT_EQ(host->roster().players().size(), 5u);
    }
    // One pump handles a bounded number of frames of one connection.
    const QXNetPlayerId h = host->roster().playersOf(host->machine()).front();
    const QXNetPlayerId a = alice->roster().playersOf(alice->machine()).front();
    for (int i = 0; i < 120; ++i) ASSERT_TRUE(sendText(*alice, a, h, "f" + std::to_string(i)));
    alice->flush();
    for (std::size_t expected : {50u, 100u, 120u, 120u}) {
        host->pump();
        EXPECT_EQ(host->waiting(), expected);
    }
    EXPECT_EQ(numbers(drain(*host), "f"), upTo(120));

    // Events count against the inbox: a peer that adds and removes players
    // while the program reads nothing is dropped there.
    QXNetLimits small;
    small.inboxBytes = 600;
    nodes.clear();
    host = hostGame(small);
    ASSERT_TRUE(host);
    RawMember raw(sockets, *host);
    for (std::uint32_t serial = 1; serial <= 200; ++serial) {
        raw.frame(QXNetFrameKind::PlayerAdd, encodeNetPlayer({makeNetPlayerId(2, serial), 2, 0, "cycling"}));
        raw.frame(QXNetFrameKind::PlayerRemoved, encodeNetId(makeNetPlayerId(2, serial)));
    }
    raw.flush();
    EXPECT_TRUE(pumpUntil([&] { return !raw.open(); }, {host}, 100));
    const std::vector<std::string> events = drain(*host);
    EXPECT_LT(events.size(), 80u);
    int balance = 0;
    for (const std::string& s : events) balance += s.rfind("joined", 0) == 0 ? 1 : -1;
    EXPECT_EQ(balance, 0) << "every player reported joined is reported gone";
}

}  // namespace
