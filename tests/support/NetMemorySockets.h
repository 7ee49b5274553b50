#pragma once
// The game service's sockets in memory, for native tests and the node
// fuzzer: connections on 127.0.0.1 that hold `streamCapacity` bytes each
// way (a writer then waits, as with a peer that stops reading), datagrams,
// and a clock that moves only when told to or when the node idles.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

#include "netgame/QXNetNode.h"

class NetMemorySockets final : public QXNetSockets {
public:
    static constexpr std::uint32_t kLoopback = 0x7F000001;

    std::uint32_t clock = 1000;
    std::size_t streamCapacity = 256u << 10;
    std::size_t datagramQueue = 512;
    std::function<void()> onIdle;  // runs when a node idles (joining, lingering)

    std::uint32_t now() override { return clock; }
    void idle(int milliseconds) override {
        clock += static_cast<std::uint32_t>(milliseconds);
        if (onIdle) onIdle();
    }
    bool resolve(std::string_view host, std::uint32_t& ip) override {
        ip = kLoopback;
        return host == "127.0.0.1" || host == "localhost";
    }
    int listenTcp(std::uint16_t port) override { return open(Kind::Listener, port); }
    int openUdp(std::uint16_t port) override { return open(Kind::Udp, port); }
    std::uint16_t localPort(int socket) override {
        const Socket* s = find(socket);
        return s ? s->port : 0;
    }
    int accept(int listener, QXNetEndpoint& peer) override {
        Socket* s = find(listener);
        if (!s || s->pending.empty()) return -1;
        const int id = s->pending.front();
        s->pending.pop_front();
        const Socket* client = find(find(id)->peer);
        peer = {kLoopback, client ? client->port : std::uint16_t(0)};
        return id;
    }
    int connect(QXNetEndpoint to) override {
        const int id = add(Kind::Stream, nextPort_++);
        auto listener = std::find_if(sockets_.begin(), sockets_.end(), [&](const auto& entry) {
            return entry.second.kind == Kind::Listener && entry.second.port == to.port;
        });
        if (to.ip != kLoopback || listener == sockets_.end()) {
            sockets_[id].failed = true;
            return id;
        }
        const int server = add(Kind::Stream, to.port);
        sockets_[id].peer = server;
        sockets_[server].peer = id;
        listener->second.pending.push_back(server);
        return id;
    }
    int connected(int socket) override {
        const Socket* s = find(socket);
        return !s || s->failed ? -1 : 1;
    }
    long send(int socket, const std::uint8_t* bytes, std::size_t size) override {
        Socket* s = find(socket);
        Socket* peer = s ? find(s->peer) : nullptr;
        if (!peer) return kClosed;
        const std::size_t room = streamCapacity - std::min(streamCapacity, peer->in.size());
        const std::size_t taken = std::min(room, size);
        if (taken == 0) return kWouldBlock;
        peer->in.insert(peer->in.end(), bytes, bytes + taken);
        return static_cast<long>(taken);
    }
    long receive(int socket, std::uint8_t* bytes, std::size_t size) override {
        Socket* s = find(socket);
        if (!s) return kClosed;
        if (s->in.empty()) return find(s->peer) ? kWouldBlock : kClosed;
        const std::size_t taken = std::min(size, s->in.size());
        std::copy_n(s->in.begin(), taken, bytes);
        s->in.erase(s->in.begin(), s->in.begin() + static_cast<std::ptrdiff_t>(taken));
        return static_cast<long>(taken);
    }
    bool sendTo(int socket, QXNetEndpoint to, const std::uint8_t* bytes, std::size_t size) override {
        const Socket* s = find(socket);
        if (!s) return false;
        for (auto& [id, other] : sockets_)
            if (other.kind == Kind::Udp && other.port == to.port && to.ip == kLoopback &&
                other.datagrams.size() < datagramQueue)
                other.datagrams.push_back({{kLoopback, s->port}, std::vector<std::uint8_t>(bytes, bytes + size)});
        return true;
    }
    long receiveFrom(int socket, std::uint8_t* bytes, std::size_t size, QXNetEndpoint& from) override {
        Socket* s = find(socket);
        if (!s || s->datagrams.empty()) return -1;
        auto datagram = std::move(s->datagrams.front());
        s->datagrams.pop_front();
        from = datagram.first;
        const std::size_t taken = std::min(size, datagram.second.size());
        if (taken) std::memcpy(bytes, datagram.second.data(), taken);
        return static_cast<long>(taken);
    }
    void close(int socket) override {
        auto found = sockets_.find(socket);
        if (found == sockets_.end()) return;
        const std::deque<int> pending = std::move(found->second.pending);
        sockets_.erase(found);
        for (int waiting : pending) close(waiting);
    }

    // Whether a socket is still open (the node has not closed it).
    bool open(int socket) const { return sockets_.count(socket) != 0; }
    std::size_t openCount() const { return sockets_.size(); }

private:
    enum class Kind { Listener, Stream, Udp };
    struct Socket {
        Kind kind = Kind::Stream;
        std::uint16_t port = 0;
        int peer = -1;
        bool failed = false;
        std::deque<std::uint8_t> in;
        std::deque<int> pending;
        std::deque<std::pair<QXNetEndpoint, std::vector<std::uint8_t>>> datagrams;
    };

    int open(Kind kind, std::uint16_t port) {
        if (port == 0) port = nextPort_++;
        for (const auto& [id, s] : sockets_)
            if (s.kind == kind && s.port == port) return -1;
        return add(kind, port);
    }
    int add(Kind kind, std::uint16_t port) {
        const int id = nextSocket_++;
        sockets_[id].kind = kind;
        sockets_[id].port = port;
        return id;
    }
    Socket* find(int socket) {
        auto found = sockets_.find(socket);
        return found == sockets_.end() ? nullptr : &found->second;
    }
    const Socket* find(int socket) const {
        auto found = sockets_.find(socket);
        return found == sockets_.end() ? nullptr : &found->second;
    }

    std::map<int, Socket> sockets_;
    int nextSocket_ = 3;
    std::uint16_t nextPort_ = 40000;
};
