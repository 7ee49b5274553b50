#include "netgame/QXNetNode.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {
constexpr std::size_t kReadPiece = 16 * 1024;
constexpr int kDatagramsPerPump = 256;
constexpr int kAcceptsPerPump = 8;
constexpr std::uint32_t kAcceptEveryMs = 10;
constexpr std::uint32_t kLoopbackNet = 0x7F000000;

bool isLoopback(std::uint32_t ip) { return (ip & 0xFF000000) == kLoopbackNet; }
// True once `deadline` has come (the clock may wrap).
bool reached(std::uint32_t now, std::uint32_t deadline) { return static_cast<std::int32_t>(now - deadline) >= 0; }
// Milliseconds from `then` to `now`; 0 when `then` was taken later.
std::uint32_t since(std::uint32_t now, std::uint32_t then) { return reached(now, then) ? now - then : 0; }

// The program's messages and player removals queued for a host that has
// gone and not wholly written: that host never read them, so the next host
// gets them. (What was written whole may or may not have been read.)
QXNetBytes unsentFrames(const QXNetBytes& out, std::size_t from) {
    QXNetBytes kept;
    QXNetFrameReader reader;
    reader.feed({out.data() + from, out.size() - from});
    QXNetFrame frame;
    while (reader.next(frame) == QXNetFrameReader::Status::Frame)
        if (frame.kind == QXNetFrameKind::Message || frame.kind == QXNetFrameKind::PlayerRemoved)
            appendNetFrame(kept, frame.kind, frame.payload);
    return kept;
}
}  // namespace

// One TCP connection: to the host (member), or to a member (host).
struct QXNetNode::Link {
    int socket = -1;
    QXNetEndpoint peer;
    bool toHost = false;
    bool connecting = false;
    bool welcomed = false;
    bool closing = false;  // closes once everything queued is sent
    bool dead = false;
    // A member away while the host changes: no socket; what is queued for
    // it waits until it comes back, or goes with it.
    bool parked = false;
    std::uint32_t machine = 0;  // the machine at the other end; 0 before Hello
    QXNetFrameReader reader;
    QXNetBytes out;
    std::size_t outStart = 0;
    std::size_t frameStart = 0;  // the first frame not wholly written
    std::uint32_t created = 0;
    std::uint32_t lastHeard = 0;
    std::uint32_t lastSent = 0;
    std::optional<std::uint32_t> partialSince;
    std::optional<std::uint32_t> wroteAt;  // when bytes last went to the socket

    std::size_t queued() const { return out.size() - outStart; }
};

QXNetBytes encodeNodeEvent(QXNetSystemEvent::Kind kind, std::uint32_t player, std::string_view name) {
    QXNetBytes bytes;
    QXNetWriter(bytes).u8(static_cast<std::uint8_t>(kind)).u32(player).name(name);
    return bytes;
}

QXNetSystemEvent decodeNodeEvent(const std::uint8_t* bytes, std::size_t size) {
    QXNetSystemEvent event;
    if (!bytes) return event;
    QXNetReader reader({bytes, size});
    const std::uint8_t kind = reader.u8();
    event.player = reader.u32();
    event.name = reader.name();
    if (!reader.finished() || kind > static_cast<std::uint8_t>(QXNetSystemEvent::Kind::BecameHost)) return {};
    event.kind = static_cast<QXNetSystemEvent::Kind>(kind);
    return event;
}

// ---------------------------------------------------------------- opening

QXNetNode::QXNetNode(QXNetSockets& sockets, const QXNetLimits& limits) : sockets_(sockets), limits_(limits) {}

QXNetNode::~QXNetNode() {
    // Messages that have reached a host that leaves are passed on first.
    if (role_ == Role::Host)
        for (std::size_t i = 0; i < links_.size(); ++i) {
            Link& link = *links_[i];
            if (!link.dead && !link.parked && !link.connecting && link.machine != 0) readLink(link);
        }
    // A goodbye lets the others act at once instead of waiting for the
    // connection to fail.
    for (auto& link : links_) {
        if (link->dead || link->connecting || link->closing || link->parked) continue;
        if (link->machine != 0 || link->toHost) queueFrame(*link, QXNetFrameKind::Bye, {});
    }
    lingerUntilSent();
    for (auto& link : links_)
        if (link->socket >= 0) sockets_.close(link->socket);
    if (listener_ >= 0) sockets_.close(listener_);
    if (udp_ >= 0) sockets_.close(udp_);
}

std::unique_ptr<QXNetNode> QXNetNode::host(QXNetSockets& sockets, std::string_view game, std::uint16_t port,
                                           const QXNetLimits& limits) {
    auto node = std::make_unique<QXNetNode>(sockets, limits);
    bool opened = port != 0 && node->openLocal(port);
    for (int i = 0; port == 0 && i < kNetGamePortCount && !opened; ++i)
        opened = node->openLocal(static_cast<std::uint16_t>(kNetGamePortBase + i));
    if (!opened) return nullptr;
    node->game_ = std::string(game.substr(0, kNetMaxNameBytes));
    node->role_ = Role::Host;
    node->machine_ = node->hostMachine_ = 1;
    // Tells this game's datagrams from those of an earlier game on the port.
    const auto seed = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(node.get()));
    node->token_ = (sockets.now() * 2654435761u) ^ seed;
    if (node->token_ == 0) node->token_ = 1;
    node->roster_.addMachine({1, 0, node->tcpPort(), node->udpPort()});
    return node;
}

std::unique_ptr<QXNetNode> QXNetNode::join(QXNetSockets& sockets, std::string_view game, std::uint32_t ip,
                                           std::uint16_t port, const QXNetLimits& limits) {
    auto node = std::make_unique<QXNetNode>(sockets, limits);
    if (!node->openLocal(0)) return nullptr;
    node->game_ = std::string(game.substr(0, kNetMaxNameBytes));
    if (port != 0) return node->startJoin(ip, port, game) ? std::move(node) : nullptr;
    for (int i = 0; i < kNetGamePortCount; ++i)
        if (node->startJoin(ip, static_cast<std::uint16_t>(kNetGamePortBase + i), game)) return node;
    return nullptr;
}

bool QXNetNode::openLocal(std::uint16_t port) {
    listener_ = sockets_.listenTcp(port);
    if (listener_ < 0) return false;
    udp_ = sockets_.openUdp(port);
    if (udp_ >= 0) return true;
    sockets_.close(listener_);
    listener_ = -1;
    return false;
}

std::uint16_t QXNetNode::tcpPort() const { return listener_ >= 0 ? sockets_.localPort(listener_) : 0; }
std::uint16_t QXNetNode::udpPort() const { return udp_ >= 0 ? sockets_.localPort(udp_) : 0; }

bool QXNetNode::startJoin(std::uint32_t ip, std::uint16_t port, std::string_view game) {
    for (auto& link : links_) sockets_.close(link->socket);
    links_.clear();
    roster_.clear();
    role_ = Role::Joining;
    refused_ = ready_ = false;
    const int socket = sockets_.connect({ip, port});
    if (socket < 0) return false;
    hostIp_ = ip;
    Link* link = addLink(socket, {ip, port}, true);
    link->toHost = true;
    queueFrame(*link, QXNetFrameKind::Hello, encodeNetHello({0, 0, tcpPort(), udpPort(), std::string(game)}));
    const std::uint32_t deadline = sockets_.now() + limits_.connectMs;
    while (!reached(sockets_.now(), deadline)) {
        pump();
        if (ready_) {
            role_ = Role::Member;
            return true;
        }
        if (refused_ || links_.empty()) break;
        sockets_.idle(1);
    }
    for (auto& stale : links_) sockets_.close(stale->socket);
    links_.clear();
    roster_.clear();
    return false;
}

QXNetNode::Link* QXNetNode::addLink(int socket, QXNetEndpoint peer, bool connecting) {
    auto link = std::make_unique<Link>();
    link->socket = socket;
    link->peer = peer;
    link->connecting = connecting;
    link->created = link->lastHeard = link->lastSent = sockets_.now();
    links_.push_back(std::move(link));
    return links_.back().get();
}

// ---------------------------------------------------------------- pump

void QXNetNode::pump() {
    if (role_ == Role::Lost) return;
    // New connections are not urgent: looked for every few milliseconds.
    const std::uint32_t now = sockets_.now();
    if (role_ == Role::Host && since(now, lastAccept_) >= kAcceptEveryMs) {
        lastAccept_ = now;
        acceptLinks();
    }
    for (std::size_t i = 0; i < links_.size(); ++i) serviceLink(*links_[i]);
    receiveDatagrams();
    // Relays queued while later links were served go out now.
    for (auto& link : links_)
        if (!link->dead && !link->connecting) flushLink(*link);
    dropDeadLinks();
    checkRejoinDeadline();
}

void QXNetNode::acceptLinks() {
    for (int i = 0; i < kAcceptsPerPump; ++i) {
        QXNetEndpoint peer;
        const int socket = sockets_.accept(listener_, peer);
        if (socket < 0) return;
        const auto pending = std::count_if(links_.begin(), links_.end(), [](const auto& l) { return l->machine == 0; });
        if (pending >= limits_.maxPending ||
            links_.size() >= static_cast<std::size_t>(limits_.maxMembers + limits_.maxPending)) {
            sockets_.close(socket);
            continue;
        }
        addLink(socket, peer, false);
    }
}

void QXNetNode::serviceLink(Link& link) {
    if (link.dead || link.parked) return;
    std::uint32_t now = sockets_.now();
    if (link.connecting) {
        const int state = sockets_.connected(link.socket);
        if (state < 0 || (state == 0 && since(now, link.created) > limits_.connectMs)) kill(link);
        if (state <= 0) return;
        link.connecting = false;
        link.lastHeard = now;
    }
    readLink(link);
    if (link.dead) return;
    now = sockets_.now();
    if (!link.reader.partial())
        link.partialSince.reset();
    else if (!link.partialSince)
        link.partialSince = now;
    else if (since(now, *link.partialSince) > limits_.stallMs)
        return kill(link);
    if (!link.toHost && link.machine == 0 && !link.closing && since(now, link.created) > limits_.helloMs) return kill(link);
    if (since(now, link.lastHeard) > limits_.silenceMs) return kill(link);
    if (since(now, link.lastSent) > limits_.pingMs && link.queued() == 0 && !link.closing &&
        (link.toHost || link.machine != 0))
        queueFrame(link, QXNetFrameKind::Ping, {});
    flushLink(link);
}

void QXNetNode::readLink(Link& link) {
    // At most framesPerPump frames per pump: frames left over are handled
    // first next time, and nothing more is read meanwhile.
    std::size_t frames = 0;
    auto handleFrames = [&] {
        QXNetFrame frame;
        while (frames < limits_.framesPerPump) {
            const auto status = link.reader.next(frame);
            if (status == QXNetFrameReader::Status::NeedMore) return true;
            if (status != QXNetFrameReader::Status::Frame) {
                kill(link);
                return false;
            }
            ++frames;
            link.partialSince.reset();
            if (role_ == Role::Host && !link.toHost)
                hostFrame(link, frame);
            else
                memberFrame(link, frame);
            if (link.dead) return false;
        }
        return false;
    };
    if (!handleFrames()) return;
    std::size_t budget = limits_.readBudgetBytes;
    bool closed = false;
    while (budget > 0 && !closed) {
        auto room = link.reader.space(std::min(kReadPiece, budget));
        const long got = sockets_.receive(link.socket, room.data(), room.size());
        if (got == QXNetSockets::kWouldBlock) break;
        if (got < 0) {
            closed = true;
        } else {
            link.reader.received(static_cast<std::size_t>(got));
            budget -= std::min(budget, static_cast<std::size_t>(got));
            link.lastHeard = sockets_.now();
            // Less than asked for: the socket is drained; asking again would
            // only cost another call.
            if (static_cast<std::size_t>(got) < room.size()) budget = 0;
        }
        // Frames that arrived whole before the peer closed still count.
        if (!handleFrames()) return;
    }
    if (closed) kill(link);
}

void QXNetNode::flushLink(Link& link) {
    if (link.parked) return;
    while (!link.dead && link.outStart < link.out.size()) {
        const long sent = sockets_.send(link.socket, link.out.data() + link.outStart, link.queued());
        if (sent == QXNetSockets::kWouldBlock) break;
        if (sent < 0) return kill(link);
        link.outStart += static_cast<std::size_t>(sent);
        link.wroteAt = sockets_.now();
    }
    // Frames wholly written are passed; one cut short by a lost host is sent
    // again to the next one (unsentFrames).
    while (link.frameStart + kNetFrameLengthBytes <= link.outStart) {
        const std::size_t body = QXNetReader({link.out.data() + link.frameStart, kNetFrameLengthBytes}).u32();
        if (link.frameStart + kNetFrameLengthBytes + body > link.outStart) break;
        link.frameStart += kNetFrameLengthBytes + body;
    }
    if (link.queued() == 0) {
        link.out.clear();
        link.outStart = link.frameStart = 0;
        if (link.closing) kill(link);
    } else if (link.frameStart > (64u << 10) && link.frameStart > link.out.size() / 2) {
        link.out.erase(link.out.begin(), link.out.begin() + static_cast<std::ptrdiff_t>(link.frameStart));
        link.outStart -= link.frameStart;
        link.frameStart = 0;
    }
}

// One send costs far more than one small frame, so frames sent in the same
// millisecond as the link's last write wait and leave together: with the
// next send in a later millisecond, once coalesceBytes wait, or at the next
// pump, receive or flush (the program's waits and polls flush). A message
// sent after a quiet moment still leaves at once.
void QXNetNode::writeSoon(Link& link) {
    if (link.dead || link.connecting) return;
    if (link.queued() < limits_.coalesceBytes && link.wroteAt && *link.wroteAt == sockets_.now()) return;
    flushLink(link);
}

void QXNetNode::flush() {
    for (auto& link : links_)
        if (!link->dead && !link->connecting && link->queued() > 0) flushLink(*link);
}

// What is queued is the program's messages and goodbyes: they get a little
// time to leave before the sockets close, while the peers read them.
void QXNetNode::lingerUntilSent() {
    const std::uint32_t deadline = sockets_.now() + limits_.lingerMs;
    for (;;) {
        bool waiting = false;
        for (auto& link : links_) {
            if (link->dead || link->connecting || link->parked || link->queued() == 0) continue;
            flushLink(*link);
            waiting = waiting || (!link->dead && link->queued() > 0);
        }
        if (!waiting || reached(sockets_.now(), deadline)) return;
        sockets_.idle(1);
    }
}

void QXNetNode::receiveDatagrams() {
    if (udp_ < 0) return;
    std::uint8_t buffer[kNetMaxDatagramBytes + 1];
    for (int i = 0; i < kDatagramsPerPump; ++i) {
        QXNetEndpoint from;
        const long size = sockets_.receiveFrom(udp_, buffer, sizeof buffer, from);
        if (size < 0) return;
        const auto datagram = decodeNetDatagram({buffer, static_cast<std::size_t>(size)});
        if (!datagram) continue;
        if (datagram->kind == QXNetDatagramKind::Query && role_ == Role::Host && datagram->token == 0) {
            const QXNetBytes reply = encodeNetDatagram(
                QXNetDatagramKind::Reply, 0,
                encodeNetGameReply({tcpPort(), static_cast<std::uint16_t>(std::min<std::size_t>(
                                                   roster_.players().size(), 0xFFFF)),
                                    game_}));
            sockets_.sendTo(udp_, from, reply.data(), reply.size());
            continue;
        }
        if (datagram->kind != QXNetDatagramKind::Message || datagram->token != token_) continue;
        if (role_ == Role::Host) {
            for (const auto& [id, machine] : roster_.machines())
                if (id != machine_ && udpEndpointOf(id) == from) {
                    hostMessage(id, datagram->payload, false);
                    break;
                }
        } else if (role_ == Role::Member && from == udpEndpointOf(hostMachine_)) {
            const auto wire = readNetWire(datagram->payload.data(), datagram->payload.size());
            if (wire && wire->from != 0)
                deliver(wire->from, wire->to, QXNetBytes(datagram->payload.begin(), datagram->payload.end()), nullptr);
        }
    }
}

void QXNetNode::kill(Link& link) { link.dead = true; }

void QXNetNode::dropDeadLinks() {
    bool hostGone = false;
    QXNetBytes unsent;
    std::vector<std::uint32_t> membersGone;
    for (auto it = links_.begin(); it != links_.end();) {
        if (!(*it)->dead) {
            ++it;
            continue;
        }
        Link& link = **it;
        if (link.socket >= 0) sockets_.close(link.socket);
        if (role_ == Role::Host && !link.toHost && link.machine != 0) membersGone.push_back(link.machine);
        if (role_ == Role::Member && link.toHost) {
            hostGone = true;
            unsent = unsentFrames(link.out, link.frameStart);
        }
        it = links_.erase(it);
    }
    for (std::uint32_t machine : membersGone) memberLeft(machine);
    if (hostGone) hostLost(std::move(unsent));
}

// ---------------------------------------------------------------- host side

void QXNetNode::hostFrame(Link& link, const QXNetFrame& frame) {
    if (link.closing) return;
    if (link.machine == 0) {
        const auto hello = frame.kind == QXNetFrameKind::Hello ? decodeNetHello(frame.payload) : std::nullopt;
        if (!hello) return kill(link);
        return hostHello(link, *hello);
    }
    switch (frame.kind) {
    case QXNetFrameKind::PlayerAdd: {
        auto player = decodeNetPlayer(frame.payload);
        if (!player || netPlayerMachine(player->id) != link.machine) return kill(link);
        if (const QXNetPlayerInfoRecord* known = roster_.player(player->id)) {
            // Announced again after the host changed: its order, to it alone.
            if (known->machine != link.machine) return kill(link);
            queueFrame(link, QXNetFrameKind::PlayerAdded, encodeNetPlayer(*known));
            break;
        }
        // More players than any game needs: the machine is dropped.
        if (roster_.playerCountOf(link.machine) >= limits_.maxPlayersPerMachine ||
            roster_.players().size() >= limits_.maxPlayers)
            return kill(link);
        player->machine = link.machine;
        player->order = roster_.nextOrder();
        if (!deliverEvent(QXNetSystemEvent::Kind::PlayerCreated, player->id, player->name, &link)) return;
        roster_.addPlayer(*player);
        toMembers(QXNetFrameKind::PlayerAdded, encodeNetPlayer(*player));
        break;
    }
    case QXNetFrameKind::PlayerRemoved: {
        const auto id = decodeNetId(frame.payload);
        if (!id) return kill(link);
        const QXNetPlayerInfoRecord* player = roster_.player(*id);
        if (!player || player->machine != link.machine) break;
        roster_.removePlayer(*id);
        deliverEvent(QXNetSystemEvent::Kind::PlayerDestroyed, *id, {}, &link);
        toMembers(QXNetFrameKind::PlayerRemoved, frame.payload, link.machine);
        break;
    }
    case QXNetFrameKind::Message:
        hostMessage(link.machine, frame.payload, true);
        break;
    case QXNetFrameKind::Ping:
        break;
    default:  // Bye, or something only a host may say
        kill(link);
        break;
    }
}

void QXNetNode::hostHello(Link& link, const QXNetHello& hello) {
    auto refuse = [&](QXNetRefusal why) {
        const std::uint8_t reason = static_cast<std::uint8_t>(why);
        queueFrame(link, QXNetFrameKind::Refuse, {&reason, 1});
        link.closing = true;
    };
    if (hello.game != game_) return refuse(QXNetRefusal::OtherGame);
    std::uint32_t id = hello.machine;
    Link* parked = nullptr;
    if (id != 0) {
        // Coming back after the host changed: only machines of this game.
        for (auto& other : links_)
            if (other->parked && !other->dead && other->machine == id) parked = other.get();
        if (!parked || hello.token != token_) return refuse(QXNetRefusal::UnknownMachine);
    } else {
        id = roster_.nextMachineId();
        if (id > kNetMaxMachineId || memberCount() >= static_cast<std::size_t>(limits_.maxMembers))
            return refuse(QXNetRefusal::Full);
    }
    link.machine = id;
    const QXNetMachineInfo info{id, link.peer.ip, hello.tcpPort, hello.udpPort};
    roster_.addMachine(info);
    queueFrame(link, QXNetFrameKind::Welcome, encodeNetWelcome({id, machine_, token_}));
    for (const auto& [other, machine] : roster_.machines())
        if (other != id) queueFrame(link, QXNetFrameKind::MachineAdded, encodeNetMachine(machine));
    for (const auto& entry : roster_.players()) queueFrame(link, QXNetFrameKind::PlayerAdded, encodeNetPlayer(entry.second));
    queueFrame(link, QXNetFrameKind::Ready, {});
    if (parked) {
        // What was sent to it while it was away follows, in order.
        link.out.insert(link.out.end(), parked->out.begin() + static_cast<std::ptrdiff_t>(parked->outStart),
                        parked->out.end());
        parked->out.clear();
        parked->machine = 0;
        kill(*parked);
    }
    if (hello.machine == 0) toMembers(QXNetFrameKind::MachineAdded, encodeNetMachine(info), id);
}

void QXNetNode::hostMessage(std::uint32_t sender, std::span<const std::uint8_t> bytes, bool reliable) {
    const auto wire = readNetWire(bytes.data(), bytes.size());
    if (!wire) return;
    // A machine speaks only for its own players.
    const QXNetPlayerInfoRecord* from = roster_.player(wire->from);
    if (!from || from->machine != sender) return;
    std::uint32_t target = 0;  // 0: every machine
    if (wire->to != 0) {
        const QXNetPlayerInfoRecord* to = roster_.player(wire->to);
        if (!to) return;
        target = to->machine;
    }
    Link* source = memberLink(sender);
    if (target == 0 || target == machine_) deliver(wire->from, wire->to, QXNetBytes(bytes.begin(), bytes.end()), source);
    if (target == machine_) return;
    const QXNetBytes datagram = reliable ? QXNetBytes{} : encodeNetDatagram(QXNetDatagramKind::Message, token_, bytes);
    for (auto& link : links_) {
        if (link->dead || link->machine == 0 || link->machine == sender) continue;
        if (target != 0 && link->machine != target) continue;
        if (reliable) {
            if (!queueFrame(*link, QXNetFrameKind::Message, bytes)) kill(*link);
        } else {
            sockets_.sendTo(udp_, udpEndpointOf(link->machine), datagram.data(), datagram.size());
        }
    }
}

// The host's own message (or one of its own kept from before it hosted) to
// one machine or all: members still away get it when they are back.
void QXNetNode::hostSend(std::uint32_t target, std::span<const std::uint8_t> wire, bool byDatagram) {
    const QXNetBytes datagram =
        byDatagram ? encodeNetDatagram(QXNetDatagramKind::Message, token_, wire) : QXNetBytes{};
    for (auto& link : links_) {
        if (link->dead || link->toHost || link->machine == 0 || (target != 0 && link->machine != target)) continue;
        if (byDatagram) {
            sockets_.sendTo(udp_, udpEndpointOf(link->machine), datagram.data(), datagram.size());
        } else {
            if (!queueFrame(*link, QXNetFrameKind::Message, wire)) kill(*link);
            writeSoon(*link);
        }
    }
}

void QXNetNode::memberLeft(std::uint32_t machine) {
    for (std::uint32_t player : roster_.removeMachine(machine)) {
        deliverEvent(QXNetSystemEvent::Kind::PlayerDestroyed, player);
        toMembers(QXNetFrameKind::PlayerRemoved, encodeNetId(player));
    }
    toMembers(QXNetFrameKind::MachineRemoved, encodeNetId(machine));
}

// ---------------------------------------------------------------- member side

void QXNetNode::memberFrame(Link& link, const QXNetFrame& frame) {
    switch (frame.kind) {
    case QXNetFrameKind::Welcome: {
        const auto welcome = decodeNetWelcome(frame.payload);
        if (!welcome || link.welcomed) return kill(link);
        if (role_ == Role::Joining) {
            machine_ = welcome->you;
            hostMachine_ = welcome->host;
            token_ = welcome->token;
            // This machine counts too when a new host is chosen.
            roster_.addMachine({machine_, 0, tcpPort(), udpPort()});
        } else if (welcome->you != machine_ || welcome->token != token_ || welcome->host != hostMachine_) {
            return kill(link);
        }
        link.welcomed = true;
        link.machine = welcome->host;
        break;
    }
    case QXNetFrameKind::Ready:
        if (!link.welcomed) return kill(link);
        if (role_ == Role::Joining) ready_ = true;
        rejoinDeadline_.reset();
        break;
    case QXNetFrameKind::Refuse:
        refused_ = true;
        return kill(link);
    case QXNetFrameKind::MachineAdded: {
        auto machine = decodeNetMachine(frame.payload);
        if (!machine || !link.welcomed) return kill(link);
        if (machine->id == machine_) break;
        // The host's own address, and loopback addresses of a host reached
        // from elsewhere, are the address this machine reached the host at.
        if (machine->ip == 0 || (isLoopback(machine->ip) && !isLoopback(hostIp_))) machine->ip = hostIp_;
        roster_.addMachine(*machine);
        break;
    }
    case QXNetFrameKind::MachineRemoved: {
        const auto id = decodeNetId(frame.payload);
        if (!id || !link.welcomed) return kill(link);
        if (*id == machine_ || *id == hostMachine_) break;
        for (std::uint32_t player : roster_.removeMachine(*id))
            if (role_ == Role::Member) deliverEvent(QXNetSystemEvent::Kind::PlayerDestroyed, player);
        break;
    }
    case QXNetFrameKind::PlayerAdded: {
        const auto player = decodeNetPlayer(frame.payload);
        if (!player || !link.welcomed) return kill(link);
        // A host that announces more players than it may is not trusted; the
        // slack covers this machine's own players not yet counted there.
        if (!roster_.player(player->id) &&
            (roster_.playerCountOf(player->machine) >= limits_.maxPlayersPerMachine ||
             roster_.players().size() >= limits_.maxPlayers + limits_.maxPlayersPerMachine))
            return kill(link);
        if (roster_.addPlayer(*player) && role_ == Role::Member && player->machine != machine_)
            deliverEvent(QXNetSystemEvent::Kind::PlayerCreated, player->id, player->name);
        break;
    }
    case QXNetFrameKind::PlayerRemoved: {
        const auto id = decodeNetId(frame.payload);
        if (!id || !link.welcomed) return kill(link);
        const QXNetPlayerInfoRecord* player = roster_.player(*id);
        if (!player || player->machine == machine_) break;
        roster_.removePlayer(*id);
        if (role_ == Role::Member) deliverEvent(QXNetSystemEvent::Kind::PlayerDestroyed, *id);
        break;
    }
    case QXNetFrameKind::Message: {
        const auto wire = readNetWire(frame.payload.data(), frame.payload.size());
        if (!wire || !link.welcomed) return kill(link);
        if (wire->from != 0) deliver(wire->from, wire->to, QXNetBytes(frame.payload.begin(), frame.payload.end()), nullptr);
        break;
    }
    case QXNetFrameKind::Ping:
        break;
    default:  // Bye: the host leaves; anything else only a member may say
        kill(link);
        break;
    }
}

void QXNetNode::hostLost(QXNetBytes unsent) {
    const std::uint32_t now = sockets_.now();
    // The new host went before it had taken this machine back.
    if (rejoinDeadline_) return loseGame();
    for (std::uint32_t player : roster_.removeMachine(hostMachine_))
        deliverEvent(QXNetSystemEvent::Kind::PlayerDestroyed, player);
    const std::uint32_t next = chooseNetHost(roster_);
    if (next == 0 || next == machine_) return becomeHost(unsent);
    const QXNetMachineInfo* machine = roster_.machine(next);
    const QXNetEndpoint to{machine->ip ? machine->ip : hostIp_, machine->tcpPort};
    const int socket = sockets_.connect(to);
    if (socket < 0) return loseGame();
    hostMachine_ = next;
    hostIp_ = to.ip;
    Link* link = addLink(socket, to, true);
    link->toHost = true;
    queueFrame(*link, QXNetFrameKind::Hello, encodeNetHello({machine_, token_, tcpPort(), udpPort(), game_}));
    // Own players the old host had not confirmed may be unknown to the new
    // one: announced again (a known one only gets its order back). Then
    // what the old host never had whole.
    for (const auto& [id, player] : roster_.players())
        if (player.machine == machine_ && player.order == 0)
            queueFrame(*link, QXNetFrameKind::PlayerAdd, encodeNetPlayer(player));
    link->out.insert(link->out.end(), unsent.begin(), unsent.end());
    rejoinDeadline_ = now + limits_.rejoinMs;
}

void QXNetNode::becomeHost(const QXNetBytes& unsent) {
    role_ = Role::Host;
    hostMachine_ = machine_;
    if (const QXNetMachineInfo* self = roster_.machine(machine_)) {
        QXNetMachineInfo updated = *self;
        updated.ip = 0;
        roster_.addMachine(updated);
    } else {
        roster_.addMachine({machine_, 0, tcpPort(), udpPort()});
    }
    // Every other machine is parked until it comes back: what is sent to it
    // meanwhile waits, in order, and goes with it if it never does.
    bool away = false;
    for (const auto& entry : roster_.machines()) {
        if (entry.first == machine_) continue;
        Link* link = addLink(-1, {}, false);
        link->parked = true;
        link->machine = entry.first;
        away = true;
    }
    if (away) rejoinDeadline_ = sockets_.now() + limits_.rejoinMs;
    deliverEvent(QXNetSystemEvent::Kind::BecameHost, 0);
    // Own players the old host had not ordered are ordered now.
    std::vector<QXNetPlayerInfoRecord> unordered;
    for (const auto& [id, player] : roster_.players())
        if (player.machine == machine_ && player.order == 0) unordered.push_back(player);
    for (QXNetPlayerInfoRecord& player : unordered) {
        player.order = roster_.nextOrder();
        roster_.addPlayer(player);
        toMembers(QXNetFrameKind::PlayerAdded, encodeNetPlayer(player));
    }
    // What the old host never had whole goes out from here.
    QXNetFrameReader reader;
    reader.feed(unsent);
    QXNetFrame frame;
    while (reader.next(frame) == QXNetFrameReader::Status::Frame) {
        if (frame.kind == QXNetFrameKind::PlayerRemoved) {
            toMembers(QXNetFrameKind::PlayerRemoved, frame.payload);
            continue;
        }
        const auto wire = readNetWire(frame.payload.data(), frame.payload.size());
        if (!wire) continue;
        const QXNetPlayerInfoRecord* to = wire->to != 0 ? roster_.player(wire->to) : nullptr;
        if (wire->to != 0 && !to) continue;
        hostSend(to ? to->machine : 0, frame.payload, false);
    }
}

void QXNetNode::checkRejoinDeadline() {
    if (!rejoinDeadline_ || !reached(sockets_.now(), *rejoinDeadline_)) return;
    rejoinDeadline_.reset();
    if (role_ == Role::Host) {
        // Those not back are gone, and what was kept for them with them.
        for (auto& link : links_)
            if (link->parked) kill(*link);
        dropDeadLinks();
        return;
    }
    // Not taken back in time: the game is lost to this machine.
    if (role_ == Role::Member) loseGame();
}

void QXNetNode::loseGame() {
    role_ = Role::Lost;
    rejoinDeadline_.reset();
    for (auto& link : links_)
        if (link->socket >= 0) sockets_.close(link->socket);
    links_.clear();
    deliverEvent(QXNetSystemEvent::Kind::SessionLost, 0);
}

// ---------------------------------------------------------------- helpers

bool QXNetNode::queueFrame(Link& link, QXNetFrameKind kind, std::span<const std::uint8_t> payload) {
    const std::size_t frameBytes = kNetFrameLengthBytes + kNetFrameHeadBytes + payload.size();
    // Frames held back for batching are not what makes a queue full.
    if (!link.dead && !link.connecting && link.queued() + frameBytes > limits_.sendQueueBytes) flushLink(link);
    if (link.dead || link.queued() + frameBytes > limits_.sendQueueBytes) return false;
    if (!appendNetFrame(link.out, kind, payload)) return false;
    link.lastSent = sockets_.now();
    return true;
}

void QXNetNode::toMembers(QXNetFrameKind kind, std::span<const std::uint8_t> payload, std::uint32_t except) {
    for (auto& link : links_) {
        if (link->dead || link->toHost || link->machine == 0 || link->machine == except) continue;
        // The slowest member is dropped rather than the game stalled.
        if (!queueFrame(*link, kind, payload)) kill(*link);
    }
}

QXNetNode::Link* QXNetNode::memberLink(std::uint32_t machine) {
    for (auto& link : links_)
        if (!link->toHost && link->machine == machine) return link.get();
    return nullptr;
}

QXNetNode::Link* QXNetNode::hostLink() {
    for (auto& link : links_)
        if (link->toHost && !link->dead) return link.get();
    return nullptr;
}

std::size_t QXNetNode::memberCount() const {
    return static_cast<std::size_t>(
        std::count_if(links_.begin(), links_.end(), [](const auto& l) { return !l->toHost && l->machine != 0; }));
}

QXNetEndpoint QXNetNode::udpEndpointOf(std::uint32_t machine) const {
    const QXNetMachineInfo* info = roster_.machine(machine);
    if (!info) return {};
    return {info->ip ? info->ip : hostIp_, info->udpPort};
}

void QXNetNode::deliver(std::uint32_t from, std::uint32_t to, QXNetBytes bytes, Link* source) {
    if (inboxBytes_ + bytes.size() > limits_.inboxBytes) {
        // A member that floods the host is dropped; a host's surplus is lost.
        if (source) kill(*source);
        return;
    }
    inboxBytes_ += bytes.size();
    inbox_.push_back({from, to, std::move(bytes)});
}

// Events count against the inbox too. A member whose players flood it is
// dropped; a player's leaving is still reported, so the program never keeps
// a player that has gone. The node's own events (bounded by the roster) are
// always kept.
bool QXNetNode::deliverEvent(QXNetSystemEvent::Kind kind, std::uint32_t player, std::string_view name,
                             Link* source) {
    QXNetBytes bytes = encodeNodeEvent(kind, player, name);
    if (source && inboxBytes_ + bytes.size() > limits_.inboxBytes) {
        kill(*source);
        if (kind == QXNetSystemEvent::Kind::PlayerCreated) return false;
    }
    inboxBytes_ += bytes.size();
    inbox_.push_back({kNetSystemSender, 0, std::move(bytes)});
    return true;
}

// ---------------------------------------------------------------- the session

bool QXNetNode::createPlayer(std::string_view name, QXNetPlayerId& id) {
    if (role_ != Role::Host && role_ != Role::Member) return false;
    const std::uint32_t player = makeNetPlayerId(machine_, nextSerial_);
    if (player == 0 || roster_.playerCountOf(machine_) >= limits_.maxPlayersPerMachine ||
        roster_.players().size() >= limits_.maxPlayers)
        return false;
    QXNetPlayerInfoRecord record{player, machine_, 0, std::string(name.substr(0, kNetMaxNameBytes))};
    if (role_ == Role::Host) {
        record.order = roster_.nextOrder();
        toMembers(QXNetFrameKind::PlayerAdded, encodeNetPlayer(record));
    } else {
        Link* host = hostLink();
        if (!host || !queueFrame(*host, QXNetFrameKind::PlayerAdd, encodeNetPlayer(record))) return false;
    }
    roster_.addPlayer(record);
    ++nextSerial_;
    for (auto& link : links_)
        if (!link->connecting) flushLink(*link);
    id = player;
    return true;
}

void QXNetNode::destroyPlayer(QXNetPlayerId id) {
    const QXNetPlayerInfoRecord* player = roster_.player(id);
    if (!player || player->machine != machine_) return;
    roster_.removePlayer(id);
    if (role_ == Role::Host) {
        toMembers(QXNetFrameKind::PlayerRemoved, encodeNetId(id));
    } else if (Link* host = hostLink()) {
        queueFrame(*host, QXNetFrameKind::PlayerRemoved, encodeNetId(id));
    }
    for (auto& link : links_)
        if (!link->connecting) flushLink(*link);
}

bool QXNetNode::listPlayers(std::vector<QXNetPlayerInfo>& players) {
    players.clear();
    for (const auto& [id, player] : roster_.players()) players.push_back({id, player.name});
    return true;
}

bool QXNetNode::send(QXNetPlayerId from, QXNetPlayerId to, bool reliable, const std::uint8_t* bytes,
                     std::size_t size) {
    if (role_ != Role::Host && role_ != Role::Member) return false;
    if (size + kNetFrameHeadBytes > kNetMaxFrameBytes) return false;
    const QXNetPlayerInfoRecord* sender = roster_.player(from);
    if (!sender || sender->machine != machine_) return false;
    std::uint32_t target = 0;
    if (to != 0) {
        const QXNetPlayerInfoRecord* receiver = roster_.player(to);
        if (!receiver) return false;
        // One local player to another: nothing travels, nothing is reported.
        if (receiver->machine == machine_) return true;
        target = receiver->machine;
    }
    const std::span<const std::uint8_t> wire{bytes, size};
    const bool byDatagram = !reliable && size + kNetDatagramHeadBytes <= kNetMaxDatagramBytes;
    if (role_ == Role::Host) {
        hostSend(target, wire, byDatagram);
        return true;
    }
    Link* host = hostLink();
    if (!host) return false;
    if (byDatagram && !host->connecting && !rejoinDeadline_) {
        const QXNetBytes datagram = encodeNetDatagram(QXNetDatagramKind::Message, token_, wire);
        return sockets_.sendTo(udp_, udpEndpointOf(hostMachine_), datagram.data(), datagram.size());
    }
    // A member that cannot hand its messages on fails the send, never waits.
    if (!queueFrame(*host, QXNetFrameKind::Message, wire)) return false;
    writeSoon(*host);
    return true;
}

QXNetReceipt QXNetNode::receive(std::uint8_t* buffer, std::size_t capacity) {
    // Messages already read are handed out without reading the sockets (a
    // read takes many at once); held-back ones leave first, since a program
    // that asks for messages may be waiting for answers to them.
    flush();
    if (inbox_.empty()) pump();
    QXNetReceipt receipt;
    if (inbox_.empty()) return receipt;
    Delivery& next = inbox_.front();
    if (next.bytes.size() > capacity) {
        receipt.status = QXNetReceipt::Status::BufferTooSmall;
        receipt.size = next.bytes.size();
        return receipt;
    }
    if (!next.bytes.empty()) std::memcpy(buffer, next.bytes.data(), next.bytes.size());
    receipt = {QXNetReceipt::Status::Received, next.from, next.to, next.bytes.size()};
    discardNext();
    return receipt;
}

bool QXNetNode::discardNext() {
    if (inbox_.empty()) return false;
    inboxBytes_ -= std::min(inboxBytes_, inbox_.front().bytes.size());
    inbox_.pop_front();
    return true;
}

QXNetSystemEvent QXNetNode::systemEvent(const std::uint8_t* bytes, std::size_t size) {
    return decodeNodeEvent(bytes, size);
}

// ---------------------------------------------------------------- discovery

QXNetDiscovery::QXNetDiscovery(QXNetSockets& sockets) : sockets_(sockets) {}

QXNetDiscovery::~QXNetDiscovery() {
    if (udp_ >= 0) sockets_.close(udp_);
}

bool QXNetDiscovery::open() {
    if (udp_ < 0) udp_ = sockets_.openUdp(0);
    return udp_ >= 0;
}

void QXNetDiscovery::ask(const std::vector<std::uint32_t>& targets) {
    if (udp_ < 0) return;
    const QXNetBytes query = encodeNetDatagram(QXNetDatagramKind::Query, 0, {});
    for (std::uint32_t ip : targets)
        for (int i = 0; i < kNetGamePortCount; ++i)
            sockets_.sendTo(udp_, {ip, static_cast<std::uint16_t>(kNetGamePortBase + i)}, query.data(), query.size());
}

void QXNetDiscovery::poll(std::uint32_t forgetMs) {
    if (udp_ < 0) return;
    const std::uint32_t now = sockets_.now();
    std::uint8_t buffer[kNetMaxDatagramBytes + 1];
    for (int i = 0; i < kDatagramsPerPump; ++i) {
        QXNetEndpoint from;
        const long size = sockets_.receiveFrom(udp_, buffer, sizeof buffer, from);
        if (size < 0) break;
        const auto datagram = decodeNetDatagram({buffer, static_cast<std::size_t>(size)});
        if (!datagram || datagram->kind != QXNetDatagramKind::Reply) continue;
        const auto reply = decodeNetGameReply(datagram->payload);
        if (!reply) continue;
        const QXNetEndpoint address{from.ip, reply->tcpPort};
        auto known = std::find_if(games_.begin(), games_.end(), [&](const Game& g) { return g.address == address; });
        if (known == games_.end()) known = games_.insert(games_.end(), Game{address, {}, 0, now});
        known->name = reply->name;
        known->players = reply->players;
        known->seen = now;
    }
    std::erase_if(games_, [&](const Game& g) { return since(now, g.seen) > forgetMs; });
}

// ---------------------------------------------------------------- the service's commands

namespace {
// The text up to its first zero byte, as the program's string reads in C.
std::string cText(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }
}  // namespace

QXNetOpened hostNodeGame(QXNetSockets& sockets, std::string_view gameName) {
    std::unique_ptr<QXNetNode> node = QXNetNode::host(sockets, cText(gameName));
    if (!node) return {};
    return {kNetCreated, std::move(node)};
}

QXNetOpened joinNodeGame(QXNetSockets& sockets, std::string_view gameName, std::string_view address) {
    const auto target = parseNetHostPort(address);
    std::uint32_t ip = 0;
    if (!target || target->host.empty() || !sockets.resolve(target->host, ip)) return {};
    std::unique_ptr<QXNetNode> node = QXNetNode::join(sockets, cText(gameName), ip, target->port);
    if (!node) return {};
    return {kNetJoined, std::move(node)};
}
