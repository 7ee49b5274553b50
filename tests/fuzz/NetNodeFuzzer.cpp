// libFuzzer target over the game service's state machine: a host with an
// honest member and a raw peer, and a member of a fake host, over sockets
// in memory. The input is a list of steps: frames and stray bytes from the
// raw peer to the host and from the fake host to its member, datagrams,
// time passing, the nodes' own commands, connections closing and the host
// leaving (the honest member takes over, the raw peer may come back).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "netgame/QXNetMessage.h"
#include "netgame/QXNetNode.h"
#include "support/NetMemorySockets.h"

namespace {
constexpr std::uint32_t kLoopback = NetMemorySockets::kLoopback;
constexpr std::uint16_t kHostPort = 28400;
constexpr std::uint16_t kFakePort = 28401;
constexpr std::uint32_t kFakeToken = 77;

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool more() const { return at_ < size_; }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint32_t u32() { return byte() | byte() << 8 | byte() << 16 | static_cast<std::uint32_t>(byte()) << 24; }
    std::span<const std::uint8_t> bytes(std::size_t most) {
        const std::size_t n = std::min(most, size_ - at_);
        const std::span<const std::uint8_t> taken(data_ + at_, n);
        at_ += n;
        return taken;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

void sendAll(NetMemorySockets& sockets, int socket, const QXNetBytes& bytes) {
    if (socket >= 0 && !bytes.empty()) sockets.send(socket, bytes.data(), bytes.size());
}

QXNetBytes frame(QXNetFrameKind kind, std::span<const std::uint8_t> payload) {
    QXNetBytes out;
    appendNetFrame(out, kind, payload);
    return out;
}

void drain(QXNetNode* node) {
    if (!node) return;
    std::vector<std::uint8_t> buffer(256);
    for (int i = 0; i < 10000; ++i) {
        const QXNetReceipt receipt = node->receive(buffer.data(), buffer.size());
        if (receipt.status == QXNetReceipt::Status::BufferTooSmall) {
            buffer.resize(receipt.size);
            continue;
        }
        if (receipt.status != QXNetReceipt::Status::Received) return;
        if (receipt.from == kNetSystemSender) (void)node->systemEvent(buffer.data(), receipt.size);
    }
}

// A player of the node, picked by the input (0 when it has none).
QXNetPlayerId pickPlayer(QXNetNode* node, std::uint8_t pick, bool ownOnly) {
    if (!node) return 0;
    std::vector<QXNetPlayerId> ids;
    for (const auto& [id, player] : node->roster().players())
        if (!ownOnly || player.machine == node->machine()) ids.push_back(id);
    return ids.empty() ? 0 : ids[pick % ids.size()];
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    NetMemorySockets sockets;
    sockets.streamCapacity = 8u << 10;
    QXNetLimits limits;
    limits.connectMs = 200;
    limits.rejoinMs = 500;
    limits.lingerMs = 50;
    limits.sendQueueBytes = 32u << 10;
    limits.inboxBytes = 32u << 10;
    limits.readBudgetBytes = 4u << 10;
    limits.coalesceBytes = 1u << 10;
    limits.maxPlayersPerMachine = 6;
    limits.maxPlayers = 12;
    limits.framesPerPump = 32;
    limits.maxMembers = 4;
    limits.maxPending = 2;

    std::unique_ptr<QXNetNode> host = QXNetNode::host(sockets, "g", kHostPort, limits);
    std::unique_ptr<QXNetNode> honest, member;
    int fakeListener = sockets.listenTcp(kFakePort), fakeUdp = sockets.openUdp(kFakePort), fake = -1;
    bool fakeGreeted = false;
    // The fake host welcomes its member as machine 2 of a game hosted by 1.
    auto serveFake = [&] {
        QXNetEndpoint peer;
        if (fake < 0 && fakeListener >= 0) fake = sockets.accept(fakeListener, peer);
        if (fake < 0 || fakeGreeted) return;
        std::uint8_t ignored[512];
        while (sockets.receive(fake, ignored, sizeof ignored) > 0) {
        }
        QXNetBytes out = frame(QXNetFrameKind::Welcome, encodeNetWelcome({2, 1, kFakeToken}));
        const QXNetBytes machine = encodeNetMachine({1, 0, kFakePort, kFakePort});
        appendNetFrame(out, QXNetFrameKind::MachineAdded, machine);
        appendNetFrame(out, QXNetFrameKind::Ready, {});
        sendAll(sockets, fake, out);
        fakeGreeted = true;
    };
    auto pumpAll = [&] {
        if (host) host->pump();
        if (honest) honest->pump();
        if (member) member->pump();
        serveFake();
    };
    sockets.onIdle = pumpAll;
    honest = QXNetNode::join(sockets, "g", kLoopback, kHostPort, limits);
    member = QXNetNode::join(sockets, "g", kLoopback, kFakePort, limits);
    int raw = sockets.connect({kLoopback, kHostPort});
    sendAll(sockets, raw, frame(QXNetFrameKind::Hello, encodeNetHello({0, 0, 1, 1, "g"})));
    const int rawUdp = sockets.openUdp(0);

    for (int steps = 0; input.more() && steps < 400; ++steps) {
        const std::uint8_t op = input.byte();
        switch (op % 12) {
        case 0:  // a frame from the raw peer to the host
        case 1: {
            const auto kind = static_cast<QXNetFrameKind>(input.byte() % 14);
            sendAll(sockets, raw, frame(kind, input.bytes(input.byte())));
            break;
        }
        case 2: {  // stray bytes
            const auto bytes = input.bytes(input.byte() % 32);
            sendAll(sockets, raw, QXNetBytes(bytes.begin(), bytes.end()));
            break;
        }
        case 3:  // a frame from the fake host to its member
        case 4: {
            const auto kind = static_cast<QXNetFrameKind>(input.byte() % 14);
            sendAll(sockets, fake, frame(kind, input.bytes(input.byte())));
            break;
        }
        case 5:  // time passes
            sockets.clock += input.byte() * 25u;
            break;
        case 6: {  // a node's own commands
            const std::uint8_t which = input.byte(), what = input.byte(), pick = input.byte();
            QXNetNode* node = which % 3 == 0 ? host.get() : which % 3 == 1 ? honest.get() : member.get();
            if (!node) break;
            QXNetPlayerId id = 0;
            if (what % 4 == 0) {
                node->createPlayer("p", id);
            } else if (what % 4 == 1) {
                node->destroyPlayer(pickPlayer(node, pick, false));
            } else {
                const auto text = input.bytes(input.byte() % 64);
                std::vector<std::uint8_t> wire(netWireSize(text.size()));
                const QXNetPlayerId from = pickPlayer(node, pick, true);
                const QXNetPlayerId to = pick & 0x80 ? 0 : pickPlayer(node, pick >> 1, false);
                writeNetWire(wire.data(), from, to, 5, std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
                node->send(from, to, what % 4 == 2, wire.data(), wire.size());
            }
            break;
        }
        case 7:  // pumps and reads
            pumpAll();
            drain(host.get());
            drain(honest.get());
            drain(member.get());
            break;
        case 8:  // the raw peer goes, or comes back as a machine it names
            if (raw >= 0) {
                sockets.close(raw);
                raw = -1;
            } else {
                raw = sockets.connect({kLoopback, input.byte() & 1 ? kHostPort : honest ? honest->tcpPort() : kHostPort});
                const std::uint32_t machine = input.byte() % 5;
                const std::uint32_t token = input.byte() & 1 ? input.u32() : 0;
                sendAll(sockets, raw, frame(QXNetFrameKind::Hello, encodeNetHello({machine, token, 1, 1, "g"})));
            }
            break;
        case 9:  // the fake host goes: its member looks for the next host
            if (fake >= 0) sockets.close(fake);
            if (fakeListener >= 0) sockets.close(fakeListener);
            fake = fakeListener = -1;
            break;
        case 10:  // the host leaves
            if (input.byte() & 1) host.reset();
            else if (honest && input.byte() & 1) honest.reset();
            break;
        case 11: {  // a datagram to a node
            const std::uint16_t port = input.byte() & 1 ? kHostPort : member ? member->udpPort() : kHostPort;
            const auto bytes = input.bytes(input.byte());
            sockets.sendTo(rawUdp, {kLoopback, port}, bytes.data(), bytes.size());
            if (fakeUdp >= 0 && member) sockets.sendTo(fakeUdp, {kLoopback, member->udpPort()}, bytes.data(), bytes.size());
            break;
        }
        }
    }
    for (int i = 0; i < 20; ++i) {
        sockets.clock += 50;
        pumpAll();
    }
    drain(host.get());
    drain(honest.get());
    drain(member.get());
    sockets.onIdle = nullptr;
    return 0;
}
