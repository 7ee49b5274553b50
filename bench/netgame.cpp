// The built-in game service on loopback, two machines in one process (the
// host answers from a second thread): the round trip of a small reliable
// message against a bare Winsock TCP echo of the same bytes, and small
// messages per second one way. Ratios to the echo are what to compare.

#include <winsock2.h>
#include <windows.h>

#include "bench/BenchSupport.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "netgame/QXNetMessage.h"
#include "netgame/QXNetNode.h"
#include "netgame/win32/Win32NetSockets.h"

namespace {

constexpr int kRoundTrips = 2000;
constexpr int kOneWay = 100000;
const std::string kText = "ping 1234";

std::vector<std::uint8_t> wireOf(QXNetPlayerId from, QXNetPlayerId to, const std::string& text) {
    std::vector<std::uint8_t> bytes(netWireSize(text.size()));
    writeNetWire(bytes.data(), from, to, 1, text);
    return bytes;
}

// Receives one program message (skipping reports); false when none waits.
bool takeMessage(QXNetNode& node, std::vector<std::uint8_t>& buffer) {
    for (;;) {
        const QXNetReceipt receipt = node.receive(buffer.data(), buffer.size());
        if (receipt.status != QXNetReceipt::Status::Received) return false;
        if (receipt.from != kNetSystemSender) return true;
    }
}

// A bare TCP echo: the same frame bytes bounced by a thread; seconds per trip.
double bareEcho(std::size_t bytes) {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int size = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    listen(listener, 1);
    std::thread echo([&] {
        SOCKET peer = accept(listener, nullptr, nullptr);
        BOOL on = TRUE;
        setsockopt(peer, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
        std::vector<char> buffer(bytes);
        for (int i = 0; i < kRoundTrips; ++i) {
            std::size_t got = 0;
            while (got < bytes) {
                const int n = recv(peer, buffer.data() + got, static_cast<int>(bytes - got), 0);
                if (n <= 0) return;
                got += static_cast<std::size_t>(n);
            }
            send(peer, buffer.data(), static_cast<int>(bytes), 0);
        }
        closesocket(peer);
    });
    SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
    BOOL on = TRUE;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
    std::vector<char> buffer(bytes, 'x');
    const double start = now();
    for (int i = 0; i < kRoundTrips; ++i) {
        send(client, buffer.data(), static_cast<int>(bytes), 0);
        std::size_t got = 0;
        while (got < bytes) {
            const int n = recv(client, buffer.data() + got, static_cast<int>(bytes - got), 0);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
    }
    const double seconds = (now() - start) / kRoundTrips;
    echo.join();
    closesocket(client);
    closesocket(listener);
    return seconds;
}

}  // namespace

int main() {
    Win32NetSockets sockets;
    if (!sockets.start()) return 1;
    const std::string game = "bench" + std::to_string(GetCurrentProcessId());
    std::unique_ptr<QXNetNode> host = QXNetNode::host(sockets, game);
    if (!host) return 1;
    QXNetPlayerId hostPlayer = 0, memberPlayer = 0;
    host->createPlayer("host", hostPlayer);

    std::atomic<int> phase{0};  // 0 joining, 1 echoing, 2 counting, 3 stop
    std::atomic<int> counted{0};
    std::thread hostThread([&] {
        std::vector<std::uint8_t> buffer(70000);
        while (phase != 3) {
            if (phase == 0) {
                host->pump();
                if (host->roster().players().size() >= 2) phase = 1;
                Sleep(1);
                continue;
            }
            if (!takeMessage(*host, buffer)) continue;
            if (phase == 1) {
                const auto wire = readNetWire(buffer.data(), netWireSize(kText.size()));
                const auto reply = wireOf(hostPlayer, wire->from, kText);
                host->send(hostPlayer, wire->from, true, reply.data(), reply.size());
            } else {
                ++counted;
            }
        }
    });
    std::unique_ptr<QXNetNode> member = QXNetNode::join(sockets, game, 0x7F000001, host->tcpPort());
    if (!member) return 1;
    member->createPlayer("member", memberPlayer);
    std::vector<std::uint8_t> buffer(70000);
    while (phase == 0) {
        member->pump();
        Sleep(1);
    }

    const auto message = wireOf(memberPlayer, hostPlayer, kText);
    double start = now();
    for (int i = 0; i < kRoundTrips; ++i) {
        member->send(memberPlayer, hostPlayer, true, message.data(), message.size());
        while (!takeMessage(*member, buffer)) {
        }
    }
    const double roundTrip = (now() - start) / kRoundTrips;

    phase = 2;
    start = now();
    for (int i = 0; i < kOneWay; ++i)
        while (!member->send(memberPlayer, hostPlayer, true, message.data(), message.size())) member->pump();
    while (counted < kOneWay) member->pump();
    const double oneWay = now() - start;
    phase = 3;
    hostThread.join();

    const double echo = bareEcho(message.size() + kNetFrameLengthBytes + kNetFrameHeadBytes);
    std::printf("round trip, small reliable message: %.1f us (bare TCP echo %.1f us), ratio %.2f\n",
                roundTrip * 1e6, echo * 1e6, roundTrip / echo);
    std::printf("one way: %.0f messages per second\n", kOneWay / oneWay);
    costFigure("round trip of a small reliable message", roundTrip, echo, "bare TCP echo", 0, counted == kOneWay);
    plainFigure("small messages one way", counted == kOneWay, "%.0f per second", kOneWay / oneWay);
    member.reset();
    host.reset();
    sockets.stop();
    return benchStatus();
}
