// The built-in game service in one process on 127.0.0.1: machines host and
// join, create players, exchange messages and leave; the host's departure
// makes the machine of the oldest player host; connections that misbehave
// or stall are dropped; discovery finds a hosted game; the module starts
// and serves HostNetGame and JoinNetGame with it.

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "netgame/QXNetMessage.h"
#include "netgame/QXNetNode.h"
#include "netgame/win32/Win32NetSockets.h"

namespace {
using Kind = QXNetSystemEvent::Kind;

class NetGameService : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sockets.start()); }
    void TearDown() override {
        nodes.clear();
        sockets.stop();
    }

    std::string uniqueName(const char* what) {
        return std::string(what) + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
    }

    // Pumps every node until `done` holds or `ms` pass.
    bool pumpUntil(const std::function<bool()>& done, DWORD ms = 5000) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > ms) return false;
            for (auto& node : nodes)
                if (node) node->pump();
            Sleep(1);
        }
        return true;
    }

    // What a node has received, as short texts: "joined <id>", "left <id>",
    // "host", "lost", "msg <type> <from>><to> <text>".
    std::vector<std::string> drain(QXNetNode& node) {
        std::vector<std::string> seen;
        std::vector<std::uint8_t> buffer(70000);
        for (;;) {
            const QXNetReceipt receipt = node.receive(buffer.data(), buffer.size());
            if (receipt.status != QXNetReceipt::Status::Received) break;
            if (receipt.from == kNetSystemSender) {
                const QXNetSystemEvent event = node.systemEvent(buffer.data(), receipt.size);
                switch (event.kind) {
                case Kind::PlayerCreated:
                    seen.push_back("joined " + std::to_string(event.player) + " " + event.name);
                    break;
                case Kind::PlayerDestroyed:
                    seen.push_back("left " + std::to_string(event.player));
                    break;
                case Kind::BecameHost:
                    seen.push_back("host");
                    break;
                case Kind::SessionLost:
                    seen.push_back("lost");
                    break;
                case Kind::Other:
                    seen.push_back("other");
                    break;
                }
                continue;
            }
            const auto wire = readNetWire(buffer.data(), receipt.size);
            seen.push_back("msg " + std::to_string(wire->type) + " " + std::to_string(wire->from) + ">" +
                           std::to_string(wire->to) + " " + std::string(wire->text));
        }
        return seen;
    }

    static bool sendText(QXNetNode& node, QXNetPlayerId from, QXNetPlayerId to, int type, const std::string& text,
                         bool reliable = true) {
        std::vector<std::uint8_t> bytes(netWireSize(text.size()));
        writeNetWire(bytes.data(), from, to, type, text);
        return node.send(from, to, reliable, bytes.data(), bytes.size());
    }

    QXNetNode* add(std::unique_ptr<QXNetNode> node) {
        nodes.push_back(std::move(node));
        return nodes.back().get();
    }

    Win32NetSockets sockets;
    std::vector<std::unique_ptr<QXNetNode>> nodes;
};

TEST_F(NetGameService, HostJoinPlayersMessagesAndLeaving) {
    const std::string game = uniqueName("svc");
    QXNetNode* host = add(QXNetNode::host(sockets, game));
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(host->isHost());
    EXPECT_GE(host->tcpPort(), kNetGamePortBase);
    EXPECT_EQ(host->tcpPort(), host->udpPort());
    QXNetPlayerId hostPlayer = 0;
    ASSERT_TRUE(host->createPlayer("hostess", hostPlayer));
    EXPECT_EQ(hostPlayer, 0x00010001u);

    EXPECT_EQ(QXNetNode::join(sockets, "not " + game, 0x7F000001, host->tcpPort()), nullptr) << "another game";
    // Joining runs the joiner only; the host must answer meanwhile, so the
    // host is a node of another test thread here: hosting is pumped below.
    std::atomic<bool> stop{false};
    std::thread pumping([&] {
        while (!stop) {
            host->pump();
            Sleep(1);
        }
    });
    if (auto joined = QXNetNode::join(sockets, game, 0x7F000001)) {
        add(std::move(joined));
        add(QXNetNode::join(sockets, game, 0x7F000001, host->tcpPort()));
    }
    stop = true;
    pumping.join();
    ASSERT_EQ(nodes.size(), 3u);
    QXNetNode* first = nodes[1].get();
    QXNetNode* second = nodes[2].get();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->machine(), 2u);
    EXPECT_EQ(second->machine(), 3u);

    std::vector<QXNetPlayerInfo> listed;
    ASSERT_TRUE(first->listPlayers(listed));
    ASSERT_EQ(listed.size(), 1u) << "the host's player, there before joining";
    EXPECT_EQ(listed[0].name, "hostess");

    QXNetPlayerId alice = 0, bob = 0;
    ASSERT_TRUE(first->createPlayer("alice", alice));
    ASSERT_TRUE(second->createPlayer("bob", bob));
    EXPECT_EQ(alice, 0x00020001u);
    EXPECT_EQ(bob, 0x00030001u);
    ASSERT_TRUE(pumpUntil([&] { return host->roster().players().size() == 3 && first->roster().players().size() == 3 &&
                                       second->roster().players().size() == 3; }));
    drain(*host);
    drain(*first);
    drain(*second);

    // Reliable messages to one and to all, through the host; a message from
    // a player of another machine is refused at the source.
    ASSERT_TRUE(sendText(*first, alice, bob, 7, "to bob"));
    ASSERT_TRUE(sendText(*first, alice, 0, -3, "to all"));
    EXPECT_FALSE(sendText(*first, bob, 0, 1, "not mine"));
    EXPECT_TRUE(sendText(*first, alice, alice, 1, "to myself")) << "accepted, never delivered";
    ASSERT_TRUE(sendText(*host, hostPlayer, alice, 9, std::string(3000, 'z')));
    std::vector<std::string> atHost, atFirst, atSecond;
    ASSERT_TRUE(pumpUntil([&] {
        for (auto& s : drain(*host)) atHost.push_back(s);
        for (auto& s : drain(*first)) atFirst.push_back(s);
        for (auto& s : drain(*second)) atSecond.push_back(s);
        return atHost.size() >= 1 && atFirst.size() >= 1 && atSecond.size() >= 2;
    }));
    const std::string a = std::to_string(alice), b = std::to_string(bob);
    EXPECT_EQ(atSecond, (std::vector<std::string>{"msg 7 " + a + ">" + b + " to bob", "msg -3 " + a + ">0 to all"}));
    EXPECT_EQ(atHost, (std::vector<std::string>{"msg -3 " + a + ">0 to all"}));
    ASSERT_EQ(atFirst.size(), 1u);
    EXPECT_EQ(atFirst[0], "msg 9 " + std::to_string(hostPlayer) + ">" + a + " " + std::string(3000, 'z'));

    // Unreliable: by datagram, whole or not at all.
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(sendText(*second, bob, 0, 5, "u" + std::to_string(i), false));
    atHost.clear();
    atFirst.clear();
    pumpUntil([&] {
        for (auto& s : drain(*host)) atHost.push_back(s);
        for (auto& s : drain(*first)) atFirst.push_back(s);
        return atHost.size() == 20 && atFirst.size() == 20;
    }, 2000);
    EXPECT_FALSE(atFirst.empty()) << "loopback datagrams are seldom lost";
    for (const std::string& s : atFirst) EXPECT_EQ(s.rfind("msg 5 " + b + ">0 u", 0), 0u) << s;

    // Bob's machine leaves: the others see his player go.
    nodes[2].reset();
    atHost.clear();
    atFirst.clear();
    ASSERT_TRUE(pumpUntil([&] {
        for (auto& s : drain(*host)) atHost.push_back(s);
        for (auto& s : drain(*first)) atFirst.push_back(s);
        return !atHost.empty() && !atFirst.empty();
    }));
    EXPECT_EQ(atHost, std::vector<std::string>{"left " + b});
    EXPECT_EQ(atFirst, std::vector<std::string>{"left " + b});
    EXPECT_EQ(host->memberCount(), 1u);

    // The host leaves: alice's machine hosts.
    nodes[0].reset();
    atFirst.clear();
    ASSERT_TRUE(pumpUntil([&] {
        for (auto& s : drain(*first)) atFirst.push_back(s);
        return atFirst.size() >= 2;
    }));
    EXPECT_EQ(atFirst, (std::vector<std::string>{"left " + std::to_string(hostPlayer), "host"}));
    EXPECT_TRUE(first->isHost());
}

TEST_F(NetGameService, AMachineThatCannotReachTheNewHostHasLostTheGame) {
    const std::string game = uniqueName("lost");
    QXNetNode* host = add(QXNetNode::host(sockets, game));
    ASSERT_NE(host, nullptr);
    std::atomic<bool> stop{false};
    std::thread pumping([&] {
        while (!stop) {
            host->pump();
            Sleep(1);
        }
    });
    add(QXNetNode::join(sockets, game, 0x7F000001, host->tcpPort()));
    add(QXNetNode::join(sockets, game, 0x7F000001, host->tcpPort()));
    stop = true;
    pumping.join();
    ASSERT_TRUE(nodes[1] && nodes[2]);
    QXNetPlayerId first = 0, second = 0;
    ASSERT_TRUE(nodes[1]->createPlayer("first", first));
    ASSERT_TRUE(nodes[2]->createPlayer("second", second));
    ASSERT_TRUE(pumpUntil([&] { return nodes[2]->roster().player(first) && nodes[2]->roster().player(first)->order; }));
    drain(*nodes[2]);

    // The host and the machine that would host next go together.
    nodes[0].reset();
    nodes[1].reset();
    std::vector<std::string> seen;
    ASSERT_TRUE(pumpUntil([&] {
        for (auto& s : drain(*nodes[2])) seen.push_back(s);
        return !seen.empty() && seen.back() == "lost";
    }, 10000));
    EXPECT_TRUE(nodes[2]->lost());
    QXNetPlayerId more = 0;
    EXPECT_FALSE(nodes[2]->createPlayer("more", more));
    EXPECT_FALSE(sendText(*nodes[2], second, 0, 1, "anyone?"));
}

// A raw TCP connection to a host, for saying what an honest machine would not.
class RawPeer {
public:
    explicit RawPeer(std::uint16_t port) {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(port);
        connected_ = ::connect(socket_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
        u_long on = 1;
        ioctlsocket(socket_, FIONBIO, &on);
    }
    ~RawPeer() { closesocket(socket_); }
    bool connected() const { return connected_; }
    void say(const std::vector<std::uint8_t>& bytes) {
        ::send(socket_, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), 0);
    }
    // True once the host has closed the connection (reading what it sent).
    bool hungUp() {
        char buffer[4096];
        for (;;) {
            const int got = recv(socket_, buffer, sizeof buffer, 0);
            if (got == 0) return true;
            if (got < 0) return WSAGetLastError() != WSAEWOULDBLOCK;
        }
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
    bool connected_ = false;
};

TEST_F(NetGameService, StalledSilentAndCrowdingConnectionsAreDropped) {
    QXNetLimits limits;
    limits.helloMs = 300;
    limits.stallMs = 300;
    limits.maxPending = 2;
    QXNetNode* host = add(QXNetNode::host(sockets, uniqueName("limits"), 0, limits));
    ASSERT_NE(host, nullptr);

    RawPeer silent(host->tcpPort());
    RawPeer stalled(host->tcpPort());
    ASSERT_TRUE(silent.connected() && stalled.connected());
    QXNetBytes hello;
    appendNetFrame(hello, QXNetFrameKind::Hello, encodeNetHello({0, 0, 1, 1, "whatever"}));
    hello.resize(hello.size() - 3);
    stalled.say(hello);
    pumpUntil([] { return false; }, 100);  // both are taken in and wait for their Hello
    // A third waiting connection is one too many: closed at once.
    RawPeer third(host->tcpPort());
    ASSERT_TRUE(pumpUntil([&] { return third.hungUp(); }, 3000)) << "beyond the waiting bound";
    EXPECT_TRUE(pumpUntil([&] { return silent.hungUp(); }, 3000)) << "no Hello in time";
    EXPECT_TRUE(pumpUntil([&] { return stalled.hungUp(); }, 3000)) << "half a frame, then nothing";
    EXPECT_TRUE(host->isHost());
    EXPECT_TRUE(drain(*host).empty()) << "nothing reported for strangers";
}

TEST_F(NetGameService, AMemberThatFloodsTheHostIsDropped) {
    QXNetLimits limits;
    limits.inboxBytes = 64 * 1024;
    const std::string game = uniqueName("flood");
    QXNetNode* host = add(QXNetNode::host(sockets, game, 0, limits));
    ASSERT_NE(host, nullptr);
    QXNetPlayerId hostPlayer = 0, flooder = 0;
    ASSERT_TRUE(host->createPlayer("host", hostPlayer));
    std::atomic<bool> stop{false};
    std::thread pumping([&] {
        while (!stop) {
            host->pump();
            Sleep(1);
        }
    });
    std::unique_ptr<QXNetNode> member = QXNetNode::join(sockets, game, 0x7F000001, host->tcpPort());
    stop = true;
    pumping.join();
    ASSERT_NE(member, nullptr);
    ASSERT_TRUE(member->createPlayer("flooder", flooder));
    nodes.push_back(std::move(member));
    QXNetNode* sender = nodes.back().get();
    ASSERT_TRUE(pumpUntil([&] { return host->roster().players().size() == 2; }));

    // The host's program reads nothing while the member sends 200 KB.
    const std::string text(1000, 'f');
    for (int i = 0; i < 200; ++i) sendText(*sender, flooder, 0, 1, text);
    ASSERT_TRUE(pumpUntil([&] { return host->memberCount() == 0; })) << "the flooder goes";
    const std::vector<std::string> seen = drain(*host);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), "left " + std::to_string(flooder));
    EXPECT_LE(seen.size(), 70u) << "no more than the bound was kept";
}

// Winsock with a clock the test may hold still, counting the writes.
class HeldClockSockets final : public QXNetSockets {
public:
    explicit HeldClockSockets(Win32NetSockets& real) : real_(real) {}
    std::uint32_t now() override { return held ? *held : real_.now(); }
    void idle(int ms) override { real_.idle(ms); }
    bool resolve(std::string_view host, std::uint32_t& ip) override { return real_.resolve(host, ip); }
    int listenTcp(std::uint16_t port) override { return real_.listenTcp(port); }
    int openUdp(std::uint16_t port) override { return real_.openUdp(port); }
    std::uint16_t localPort(int socket) override { return real_.localPort(socket); }
    int accept(int listener, QXNetEndpoint& peer) override { return real_.accept(listener, peer); }
    int connect(QXNetEndpoint to) override { return real_.connect(to); }
    int connected(int socket) override { return real_.connected(socket); }
    long send(int socket, const std::uint8_t* bytes, std::size_t size) override {
        ++writes;
        return real_.send(socket, bytes, size);
    }
    long receive(int socket, std::uint8_t* bytes, std::size_t size) override {
        return real_.receive(socket, bytes, size);
    }
    bool sendTo(int socket, QXNetEndpoint to, const std::uint8_t* bytes, std::size_t size) override {
        return real_.sendTo(socket, to, bytes, size);
    }
    long receiveFrom(int socket, std::uint8_t* bytes, std::size_t size, QXNetEndpoint& from) override {
        return real_.receiveFrom(socket, bytes, size, from);
    }
    void close(int socket) override { real_.close(socket); }

    std::optional<std::uint32_t> held;
    int writes = 0;

private:
    Win32NetSockets& real_;
};

// The text of burst message `i`: its number and 0 to 96 more bytes.
std::string burstText(int i) { return std::to_string(i) + ":" + std::string(static_cast<std::size_t>(i * 7 % 97), 'a' + i % 26); }

class NetGameBurst : public NetGameService {
protected:
    // A host with a player, and a member joined through `memberSockets`.
    void SetUp() override {
        NetGameService::SetUp();
        const std::string game = uniqueName("burst");
        host = add(QXNetNode::host(sockets, game));
        ASSERT_NE(host, nullptr);
        ASSERT_TRUE(host->createPlayer("host", hostPlayer));
        std::atomic<bool> stop{false};
        std::thread pumping([&] {
            while (!stop) {
                host->pump();
                Sleep(1);
            }
        });
        member = add(QXNetNode::join(memberSockets, game, 0x7F000001, host->tcpPort()));
        stop = true;
        pumping.join();
        ASSERT_NE(member, nullptr);
        ASSERT_TRUE(member->createPlayer("member", memberPlayer));
        ASSERT_TRUE(pumpUntil([&] { return host->roster().players().size() == 2; }));
        drain(*host);
        drain(*member);
    }
    // Collects what the host receives (touching no other node) until
    // `count` messages came, and with `untilLeft` the member's departure,
    // or `ms` pass.
    std::vector<std::string> hostReceives(std::size_t count, bool untilLeft, DWORD ms = 20000) {
        std::vector<std::string> seen;
        const std::string left = "left " + std::to_string(memberPlayer);
        const DWORD start = GetTickCount();
        while (GetTickCount() - start <= ms) {
            for (auto& s : drain(*host)) seen.push_back(std::move(s));
            const bool gone = !seen.empty() && seen.back() == left;
            if (seen.size() >= count + (untilLeft ? 1 : 0) && (gone || !untilLeft)) break;
            Sleep(1);
        }
        return seen;
    }
    std::string expected(int i) const {
        return "msg 3 " + std::to_string(memberPlayer) + ">" + std::to_string(hostPlayer) + " " + burstText(i);
    }

    HeldClockSockets memberSockets{sockets};
    QXNetNode* host = nullptr;
    QXNetNode* member = nullptr;
    QXNetPlayerId hostPlayer = 0, memberPlayer = 0;
};

TEST_F(NetGameBurst, SmallMessagesOfOneMillisecondLeaveTogetherAndInOrder) {
    // A millisecond in which nothing was written yet: the first message
    // leaves at once, the next ones wait for a flush.
    memberSockets.held = memberSockets.now() + 100000;
    const int before = memberSockets.writes;
    ASSERT_TRUE(sendText(*member, memberPlayer, hostPlayer, 3, burstText(0)));
    EXPECT_EQ(memberSockets.writes, before + 1) << "a single message is not held back";
    ASSERT_TRUE(sendText(*member, memberPlayer, hostPlayer, 3, burstText(1)));
    ASSERT_TRUE(sendText(*member, memberPlayer, hostPlayer, 3, burstText(2)));
    EXPECT_EQ(memberSockets.writes, before + 1) << "held back in the same millisecond";
    member->flush();
    EXPECT_EQ(memberSockets.writes, before + 2) << "both in one write";

    // A burst: one write per 16 KB held back (about 80 KB here).
    constexpr int kBurst = 1200;
    for (int i = 3; i < kBurst; ++i) ASSERT_TRUE(sendText(*member, memberPlayer, hostPlayer, 3, burstText(i)));
    const int burstWrites = memberSockets.writes - (before + 2);
    EXPECT_GE(burstWrites, 2);
    EXPECT_LE(burstWrites, 8);
    // The next millisecond: the held-back rest leaves with the next message.
    *memberSockets.held += 1;
    ASSERT_TRUE(sendText(*member, memberPlayer, hostPlayer, 3, burstText(kBurst)));
    const int sentWrites = memberSockets.writes;
    EXPECT_GT(sentWrites, before + 2 + burstWrites);

    const std::vector<std::string> seen = hostReceives(kBurst + 1, false);
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(kBurst + 1));
    for (int i = 0; i <= kBurst; ++i) ASSERT_EQ(seen[static_cast<std::size_t>(i)], expected(i)) << i;

    // Receiving flushes too: a program asking for answers is not waiting
    // behind its own held-back question.
    ASSERT_TRUE(sendText(*member, memberPlayer, hostPlayer, 3, burstText(1)));
    EXPECT_EQ(memberSockets.writes, sentWrites);
    std::vector<std::uint8_t> buffer(100);
    member->receive(buffer.data(), buffer.size());
    EXPECT_GT(memberSockets.writes, sentWrites);
}

TEST_F(NetGameBurst, ABurstSentJustBeforeLeavingArrivesWholeBeforeTheGoodbye) {
    // The host's program reads on its own thread while the member sends
    // 30,000 messages (about 1.6 MB) and leaves at once.
    constexpr int kBurst = 30000;
    std::vector<std::string> seen;
    std::atomic<bool> done{false};
    std::thread reading([&] {
        seen = hostReceives(kBurst, true, 30000);
        done = true;
    });
    bool allQueued = true;
    for (int i = 0; i < kBurst && allQueued; ++i)
        allQueued = sendText(*member, memberPlayer, hostPlayer, 3, burstText(i));
    nodes[1].reset();
    reading.join();
    ASSERT_TRUE(allQueued) << "the queue bound was not reached";
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(kBurst + 1));
    for (int i = 0; i < kBurst; ++i) ASSERT_EQ(seen[static_cast<std::size_t>(i)], expected(i)) << i;
    EXPECT_EQ(seen.back(), "left " + std::to_string(memberPlayer));
}

}  // namespace

// ---------------------------------------------------------------- the module and its dialog

#include "StreamTestSupport.h"
#include "TestSupport.h"
#include "netgame/QXNetGame.h"
#include "netgame/win32/Win32DPNetGame.h"
#include "netgame/win32/Win32DPNetGameDialog.h"

namespace {
namespace svc {
QX_TEST_COMMAND(int, HostNetGame, "%HostNetGame$game_name", (QXString * name), (name))
QX_TEST_COMMAND(int, JoinNetGame, "%JoinNetGame$game_name$ip_address", (QXString * name, QXString* address),
                (name, address))
QX_TEST_COMMAND(void, StopNetGame, "StopNetGame", (), ())
QX_TEST_COMMAND(int, CreateNetPlayer, "%CreateNetPlayer$name", (QXString * name), (name))
QX_TEST_COMMAND(int, SendNetMsg, "%SendNetMsg%type$msg%from_player%to_player=0%reliable=1",
                (int type, QXString* text, int from, int to, int reliable), (type, text, from, to, reliable))
}  // namespace svc

std::string uniqueGameName(const char* what) {
    return std::string(what) + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
}

TEST(NetGameServiceModule, StartsWithoutDirectPlayAndHostsWithTheBuiltInService) {
    theWin32DPNetGame.setDirectPlayLibrary("qx_no_such_dplayx.dll");
    struct Restore {
        ~Restore() { theWin32DPNetGame.setDirectPlayLibrary("dplayx.dll"); }
    } restore;
    const bool started = startModule(&theWin32DPNetGame);
    ASSERT_TRUE(started) << "a program that never plays must still start";
    EXPECT_FALSE(theWin32DPNetGame.triedDirectPlay()) << "DirectPlay is loaded when first needed, not at start";
    EXPECT_FALSE(theWin32DPNetGame.hasDirectPlay());
    EXPECT_FALSE(theWin32DPNetGame.createDirectPlay());
    Arg name(uniqueGameName("nodp").c_str());
    ASSERT_EQ(svc::HostNetGame(name), 2);
    const int me = svc::CreateNetPlayer(Arg("me"));
    EXPECT_NE(me, 0);
    EXPECT_EQ(svc::SendNetMsg(1, Arg("hello"), me, 0, 1), 1);
    svc::StopNetGame();

    EXPECT_EQ(svc::JoinNetGame(name, Arg("127.0.0.1:0")), 0) << "port 0 is no port";
    EXPECT_EQ(svc::JoinNetGame(name, Arg("")), 0);
    EXPECT_EQ(svc::JoinNetGame(name, Arg("no.such.host.invalid")), 0);
    EXPECT_FALSE(netGame().started());

    // Without DirectPlay the dialog offers the built-in service alone.
    Win32DPNetGameDialog dialog(theWin32DPNetGame);
    HWND window = dialog.createHidden();
    ASSERT_NE(window, nullptr);
    HWND connections = GetDlgItem(window, Win32DPNetGameDialog::kConnectionList);
    EXPECT_EQ(SendMessageA(connections, CB_GETCOUNT, 0, 0), 2);
    stopModule(&theWin32DPNetGame);
}

std::string listItem(HWND list, int index) {
    char text[300] = {};
    if (SendMessageA(list, LB_GETTEXTLEN, index, 0) >= static_cast<LRESULT>(sizeof text)) return "(too long)";
    SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(NetGameServiceModule, TheDialogListsTheBuiltInServiceFirstFindsGamesAndJoinsOne) {
    ASSERT_TRUE(startModule(&theWin32DPNetGame));
    theWin32DPNetGame.setDiscoveryTargets({0x7F000001});
    const std::string game = uniqueGameName("dialog");
    std::unique_ptr<QXNetNode> host = QXNetNode::host(theWin32DPNetGame.sockets(), game);
    ASSERT_NE(host, nullptr);

    Win32DPNetGameDialog dialog(theWin32DPNetGame);
    HWND window = dialog.createHidden();
    ASSERT_NE(window, nullptr);
    HWND connections = GetDlgItem(window, Win32DPNetGameDialog::kConnectionList);
    char first[100] = {};
    SendMessageA(connections, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(first, Win32DPNetGameDialog::kBuiltInConnection);

    SendMessageA(connections, CB_SETCURSEL, 1, 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(Win32DPNetGameDialog::kConnectionList, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(connections));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, Win32DPNetGameDialog::kCreateButton)));
    HWND games = GetDlgItem(window, Win32DPNetGameDialog::kGameList);
    int found = -1;
    for (int tick = 0; tick < 50 && found < 0; ++tick) {
        host->pump();
        Sleep(50);
        host->pump();
        SendMessageA(window, WM_TIMER, Win32DPNetGameDialog::kRefreshTimer, 0);
        const int count = static_cast<int>(SendMessageA(games, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
            if (listItem(games, i) == game) found = i;
    }
    ASSERT_GE(found, 0) << "the hosted game is listed";

    // Double-clicking it joins; the host answers from another thread meanwhile.
    std::atomic<bool> stop{false};
    std::thread pumping([&] {
        while (!stop) {
            host->pump();
            Sleep(1);
        }
    });
    SendMessageA(games, LB_SETCURSEL, found, 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(Win32DPNetGameDialog::kGameList, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(games));
    stop = true;
    pumping.join();
    EXPECT_EQ(dialog.result(), kNetJoined);
    QXNetOpened joined = dialog.takeGame();
    EXPECT_EQ(joined.result, kNetJoined);
    EXPECT_NE(joined.session, nullptr);
    joined.session.reset();
    host.reset();

    // Creating a game needs a name, then hosts one.
    Win32DPNetGameDialog creator(theWin32DPNetGame);
    window = creator.createHidden();
    connections = GetDlgItem(window, Win32DPNetGameDialog::kConnectionList);
    SendMessageA(connections, CB_SETCURSEL, 1, 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(Win32DPNetGameDialog::kConnectionList, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(connections));
    SetDlgItemTextA(window, Win32DPNetGameDialog::kNameField, uniqueGameName("created").c_str());
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(Win32DPNetGameDialog::kCreateButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, Win32DPNetGameDialog::kCreateButton)));
    EXPECT_EQ(creator.result(), kNetCreated);
    EXPECT_NE(creator.takeGame().session, nullptr);
    theWin32DPNetGame.setDiscoveryTargets({0xFFFFFFFFu, 0x7F000001u});
    stopModule(&theWin32DPNetGame);
}

}  // namespace
