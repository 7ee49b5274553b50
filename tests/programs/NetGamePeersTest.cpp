// Several programs playing one net game on 127.0.0.1 at once, over the
// built-in game service: messages every way, players leaving, the host
// leaving (another machine takes over), a machine killed outright, and a
// hostile peer speaking raw TCP and UDP at the host while two honest
// machines play. Each program checks what it receives and prints "ok" or
// "FAIL" lines (tests/programs/src/netgame_peers.c).

#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/ProgramTestSupport.h"

namespace {

#ifndef _WIN32
// The few Winsock names the hostile peer uses, on BSD sockets (the Linux
// host's tests run the same peers in qxlinux).
using SOCKET = int;
using DWORD = unsigned;
constexpr SOCKET INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;
constexpr int WSAECONNRESET = ECONNREFUSED;  // what a refused datagram leaves
constexpr int WSAETIMEDOUT = EAGAIN;         // a receive time-out
int WSAGetLastError() { return errno == EWOULDBLOCK ? EAGAIN : errno; }
void closesocket(SOCKET s) { close(s); }
// A host that has hung up fails the send instead of killing the test.
constexpr int kNoSignal = MSG_NOSIGNAL;
unsigned GetCurrentProcessId() { return static_cast<unsigned>(getpid()); }
DWORD GetTickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(now.tv_sec * 1000u + now.tv_nsec / 1000000);
}
// SO_RCVTIMEO in milliseconds, as Winsock takes it.
void setReceiveTimeout(SOCKET s, DWORD ms) {
    timeval wait{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>(ms % 1000 * 1000)};
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
}
#else
constexpr int kNoSignal = 0;
void setReceiveTimeout(SOCKET s, DWORD ms) {
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
}
#endif

constexpr std::uint16_t kGamePortBase = 28400;
constexpr int kGamePortCount = 16;

std::string uniqueGame(const char* scenario) {
    return std::string("qx") + scenario + std::to_string(GetCurrentProcessId()) + "x" +
           std::to_string(GetTickCount() % 100000);
}

std::future<QXRunResult> startPeer(const std::string& scenario, const std::string& role, const std::string& game,
                                   unsigned timeoutMs = 90000) {
    return std::async(std::launch::async, [=] {
        QXRunOptions options;
        options.arguments = {scenario, role, game};
        options.timeoutMs = timeoutMs;
        return runBound("netgame_peers", options);
    });
}

void expectClean(const QXRunResult& run, const std::string& role) {
    SCOPED_TRACE(role);
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.output.find("FAIL"), std::string::npos) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
    EXPECT_NE(run.output.find("ok end"), std::string::npos) << describe(run);
}

TEST(NetGamePeers, HostAndTwoJoinersTalkThenLeaveOneByOne) {
    const std::string game = uniqueGame("talk");
    auto host = startPeer("talk", "host", game);
    auto alice = startPeer("talk", "alice", game);
    auto bob = startPeer("talk", "bob", game);
    const QXRunResult hostRun = host.get(), aliceRun = alice.get(), bobRun = bob.get();
    expectClean(hostRun, "host");
    expectClean(aliceRun, "alice");
    expectClean(bobRun, "bob");
    EXPECT_NE(hostRun.output.find("ok 10000 reliable messages in order"), std::string::npos) << describe(hostRun);
    EXPECT_NE(bobRun.output.find("ok 2000-byte text whole"), std::string::npos) << describe(bobRun);
    EXPECT_NE(aliceRun.output.find("ok alice hosts after the host left"), std::string::npos) << describe(aliceRun);
}

TEST(NetGamePeers, TheOldestMemberHostsWhenTheHostLeaves) {
    const std::string game = uniqueGame("migrate");
    auto host = startPeer("migrate", "host", game);
    auto alice = startPeer("migrate", "alice", game);
    auto bob = startPeer("migrate", "bob", game);
    const QXRunResult hostRun = host.get(), aliceRun = alice.get(), bobRun = bob.get();
    expectClean(hostRun, "host");
    expectClean(aliceRun, "alice");
    expectClean(bobRun, "bob");
    EXPECT_NE(aliceRun.output.find("ok alice became host"), std::string::npos) << describe(aliceRun);
    EXPECT_NE(bobRun.output.find("ok the game goes on"), std::string::npos) << describe(bobRun);
    EXPECT_NE(bobRun.output.find("ok bob hosts after alice left"), std::string::npos) << describe(bobRun);
}

TEST(NetGamePeers, MessagesSentInABurstOrJustBeforeLeavingAllArrive) {
    const std::string game = uniqueGame("burst");
    auto host = startPeer("burst", "host", game);
    auto alice = startPeer("burst", "alice", game);
    const QXRunResult hostRun = host.get(), aliceRun = alice.get();
    expectClean(hostRun, "host");
    expectClean(aliceRun, "alice");
    EXPECT_NE(aliceRun.output.find("ok messages sent back to back left while the program waited"), std::string::npos)
        << describe(aliceRun);
    EXPECT_NE(hostRun.output.find("ok burst messages whole and in order before the goodbye"), std::string::npos)
        << describe(hostRun);
}

TEST(NetGamePeers, AMachineKilledOutrightLeavesTheGame) {
    const std::string game = uniqueGame("crash");
    auto host = startPeer("crash", "host", game);
    // Alice never ends by herself: the runner kills her at her time-out.
    auto alice = startPeer("crash", "alice", game, 12000);
    const QXRunResult aliceRun = alice.get(), hostRun = host.get();
    EXPECT_TRUE(aliceRun.timedOut) << describe(aliceRun);
    EXPECT_NE(aliceRun.output.find("ok waiting to be killed"), std::string::npos) << describe(aliceRun);
    expectClean(hostRun, "host");
    EXPECT_NE(hostRun.output.find("ok killed player left"), std::string::npos) << describe(hostRun);
}

TEST(NetGamePeers, NothingIsLostWhileAMemberComesBackToTheNewHost) {
    const std::string game = uniqueGame("rejoin");
    auto host = startPeer("rejoin", "host", game);
    auto alice = startPeer("rejoin", "alice", game);
    auto bob = startPeer("rejoin", "bob", game);
    const QXRunResult hostRun = host.get(), aliceRun = alice.get(), bobRun = bob.get();
    expectClean(hostRun, "host");
    expectClean(aliceRun, "alice");
    expectClean(bobRun, "bob");
    EXPECT_NE(aliceRun.output.find("ok 1000 messages from bob"), std::string::npos) << describe(aliceRun);
    EXPECT_NE(bobRun.output.find("ok still here and 1000 messages from alice"), std::string::npos) << describe(bobRun);
    EXPECT_NE(bobRun.output.find("ok nothing lost or reordered"), std::string::npos) << describe(bobRun);
}

TEST(NetGamePeers, AMemberThatNeverComesBackLeavesAtTheNewHost) {
    const std::string game = uniqueGame("away");
    auto host = startPeer("away", "host", game);
    auto alice = startPeer("away", "alice", game);
    auto bob = startPeer("away", "bob", game);
    const QXRunResult hostRun = host.get(), aliceRun = alice.get(), bobRun = bob.get();
    expectClean(hostRun, "host");
    expectClean(aliceRun, "alice");
    expectClean(bobRun, "bob");
    EXPECT_NE(aliceRun.output.find("ok bob's player left at the new host"), std::string::npos) << describe(aliceRun);
    EXPECT_NE(bobRun.output.find("ok bob's game lost after he stayed away"), std::string::npos) << describe(bobRun);
}

TEST(NetGamePeers, AMemberThatStopsReadingIsDroppedAndTheOthersLoseNothing) {
    const std::string game = uniqueGame("slow");
    auto host = startPeer("slow", "host", game);
    auto alice = startPeer("slow", "alice", game);
    auto bob = startPeer("slow", "bob", game);
    const QXRunResult hostRun = host.get(), aliceRun = alice.get(), bobRun = bob.get();
    expectClean(hostRun, "host");
    expectClean(aliceRun, "alice");
    expectClean(bobRun, "bob");
    EXPECT_NE(hostRun.output.find("ok bob dropped at his queue limit"), std::string::npos) << describe(hostRun);
    EXPECT_NE(aliceRun.output.find("ok every message while bob was slow"), std::string::npos) << describe(aliceRun);
}

// ---------------------------------------------------------------- the hostile peer

class Winsock {
public:
#ifdef _WIN32
    Winsock() {
        WSADATA data;
        ok_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~Winsock() {
        if (ok_) WSACleanup();
    }
#else
    Winsock() : ok_(true) {}
#endif
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

// Asks every game port of 127.0.0.1 who hosts a game, as discovery does;
// the port of the game named `game`, or 0.
std::uint16_t findGamePort(const std::string& game, DWORD patienceMs) {
    SOCKET udp = socket(AF_INET, SOCK_DGRAM, 0);
    setReceiveTimeout(udp, 200);
    const unsigned char query[] = {1, 21, 0, 0, 0, 0};
    const DWORD start = GetTickCount();
    std::uint16_t found = 0;
    while (!found && GetTickCount() - start < patienceMs) {
        for (int i = 0; i < kGamePortCount; ++i) {
            const sockaddr_in to = loopback(static_cast<std::uint16_t>(kGamePortBase + i));
            sendto(udp, reinterpret_cast<const char*>(query), sizeof query, 0, reinterpret_cast<const sockaddr*>(&to),
                   sizeof to);
        }
        unsigned char reply[1500];
        for (;;) {
            const int got = recv(udp, reinterpret_cast<char*>(reply), sizeof reply, 0);
            if (got == SOCKET_ERROR) {
                if (WSAGetLastError() == WSAECONNRESET) continue;
                break;
            }
            // version, kind 22, token, TCP port, players, name
            if (got < 11 || reply[0] != 1 || reply[1] != 22) continue;
            const std::size_t nameLength = reply[10];
            if (static_cast<std::size_t>(got) != 11 + nameLength) continue;
            if (std::string(reinterpret_cast<char*>(reply) + 11, nameLength) == game)
                found = static_cast<std::uint16_t>(reply[6] | reply[7] << 8);
        }
    }
    closesocket(udp);
    return found;
}

SOCKET connectTo(std::uint16_t port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in to = loopback(port);
    if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    setReceiveTimeout(s, 8000);
    return s;
}

void sendAll(SOCKET s, const std::vector<unsigned char>& bytes) {
    send(s, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), kNoSignal);
}

// True when the host ends the connection (after whatever it answers).
bool hostHangsUp(SOCKET s, std::vector<unsigned char>* answer = nullptr) {
    char buffer[4096];
    for (;;) {
        const int got = recv(s, buffer, sizeof buffer, 0);
        if (got == 0) return true;
        if (got < 0) return WSAGetLastError() != WSAETIMEDOUT;
        if (answer) answer->insert(answer->end(), buffer, buffer + got);
    }
}

std::vector<unsigned char> frame(unsigned char version, unsigned char kind, const std::string& payload) {
    const std::uint32_t body = static_cast<std::uint32_t>(2 + payload.size());
    std::vector<unsigned char> bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<unsigned char>(body >> shift));
    bytes.push_back(version);
    bytes.push_back(kind);
    for (char c : payload) bytes.push_back(static_cast<unsigned char>(c));
    return bytes;
}

TEST(NetGamePeers, AHostilePeerIsDroppedWhileHonestPlayersNoticeNothing) {
    Winsock winsock;
    ASSERT_TRUE(winsock.ok());
    const std::string game = uniqueGame("quiet");
    auto host = startPeer("quiet", "host", game);
    auto alice = startPeer("quiet", "alice", game);

    const std::uint16_t port = findGamePort(game, 15000);
    ASSERT_NE(port, 0) << "the game answers discovery";
    std::mt19937 random(1234);

    // A length far beyond the frame limit.
    SOCKET s = connectTo(port);
    ASSERT_NE(s, INVALID_SOCKET);
    sendAll(s, {0xFF, 0xFF, 0xFF, 0x7F, 1, 1});
    EXPECT_TRUE(hostHangsUp(s)) << "oversized length";
    closesocket(s);

    // Another version.
    s = connectTo(port);
    ASSERT_NE(s, INVALID_SOCKET);
    sendAll(s, frame(9, 1, "hello from the future"));
    EXPECT_TRUE(hostHangsUp(s)) << "wrong version";
    closesocket(s);

    // Random bytes.
    s = connectTo(port);
    std::vector<unsigned char> junk(4096);
    for (auto& b : junk) b = static_cast<unsigned char>(random());
    junk[0] = 200;  // a plausible length, so the garbage is read as frames
    junk[1] = junk[2] = junk[3] = 0;
    sendAll(s, junk);
    EXPECT_TRUE(hostHangsUp(s)) << "random bytes";
    closesocket(s);

    // A Hello for another game is refused with a reason.
    s = connectTo(port);
    std::string hello(12, '\0');
    hello += static_cast<char>(5);
    hello += "other";
    sendAll(s, frame(1, 1, hello));
    std::vector<unsigned char> answer;
    EXPECT_TRUE(hostHangsUp(s, &answer)) << "wrong game";
    EXPECT_EQ(answer, frame(1, 3, std::string(1, '\1'))) << "refused: another game";
    closesocket(s);

    // Something other than Hello first.
    s = connectTo(port);
    sendAll(s, frame(1, 10, std::string(9, 'x')));
    EXPECT_TRUE(hostHangsUp(s)) << "a message before Hello";
    closesocket(s);

    // Half a frame, then silence: dropped once the frame stalls.
    s = connectTo(port);
    ASSERT_NE(s, INVALID_SOCKET);
    std::vector<unsigned char> half = frame(1, 1, std::string(100, 'h'));
    half.resize(50);
    sendAll(s, half);
    EXPECT_TRUE(hostHangsUp(s)) << "stalled frame";
    closesocket(s);

    // Many connections at once, never speaking: refused beyond a bound, the
    // rest dropped when they do not say Hello.
    std::vector<SOCKET> crowd;
    for (int i = 0; i < 40; ++i) {
        SOCKET c = connectTo(port);
        if (c != INVALID_SOCKET) crowd.push_back(c);
    }
    EXPECT_GT(crowd.size(), 16u) << "the host was still there for the crowd";
    int hungUp = 0;
    for (SOCKET c : crowd) {
        if (hostHangsUp(c)) ++hungUp;
        closesocket(c);
    }
    EXPECT_EQ(hungUp, static_cast<int>(crowd.size()));

    // Datagrams: junk, a message with a made-up token, truncated headers.
    SOCKET udp = socket(AF_INET, SOCK_DGRAM, 0);
    const sockaddr_in to = loopback(port);
    for (int i = 0; i < 200; ++i) {
        std::vector<unsigned char> datagram(static_cast<std::size_t>(random() % 1500));
        for (auto& b : datagram) b = static_cast<unsigned char>(random());
        if (i % 3 == 0 && datagram.size() > 15) {
            datagram[0] = 1;
            datagram[1] = 20;
        }
        sendto(udp, reinterpret_cast<const char*>(datagram.data()), static_cast<int>(datagram.size()), 0,
               reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    closesocket(udp);

    const QXRunResult hostRun = host.get(), aliceRun = alice.get();
    expectClean(hostRun, "host");
    expectClean(aliceRun, "alice");
    EXPECT_NE(hostRun.output.find("ok 2000 messages under attack, in order"), std::string::npos) << describe(hostRun);
    EXPECT_NE(aliceRun.output.find("ok alice noticed nothing"), std::string::npos) << describe(aliceRun);
}

}  // namespace
