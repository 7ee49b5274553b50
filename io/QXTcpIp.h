#pragma once
// The portable rules of the TCP/UDP commands: addresses and ports in host
// order, the process-wide time-outs and the deadlines taken from them, the
// dotted text of an address and the list that CountHostIPs fills.

#include <cstdint>
#include <string>
#include <vector>

// An IPv4 address and port in host order: 127.0.0.1 is 0x7F000001. Network
// byte order exists only at the socket calls.
struct QXNetAddress {
    std::uint32_t ip = 0;
    int port = 0;
};

constexpr int kMaxPort = 65535;
// A port number outside 0-65535 would be cut to 16 bits at the socket call and
// name a different port, so the commands refuse it.
constexpr bool isValidPort(int port) { return port >= 0 && port <= kMaxPort; }

// Milliseconds; 0 means a single poll.
struct QXNetTimeouts {
    static constexpr int kDefaultTcpRead = 10000;
    static constexpr int kDefaultTcpAccept = 0;
    static constexpr int kDefaultUdpReceive = 0;

    int tcpRead = kDefaultTcpRead;
    int tcpAccept = kDefaultTcpAccept;
    int udpReceive = kDefaultUdpReceive;

    void reset() { *this = QXNetTimeouts{}; }
};

// The time-outs every network object uses; the module start resets them.
QXNetTimeouts& netTimeouts();

// A deadline taken once when a wait begins: `timeoutMs` after `startMs` on a
// millisecond clock that wraps after 2^32. A time-out of 0 or below leaves no
// time, so every wait under it is a poll.
class QXDeadline {
public:
    QXDeadline(std::uint32_t startMs, int timeoutMs) : start_(startMs), timeout_(timeoutMs > 0 ? timeoutMs : 0) {}
    // Milliseconds left at `nowMs`, never below 0.
    int remaining(std::uint32_t nowMs) const;

private:
    std::uint32_t start_;
    int timeout_;
};

// "a.b.c.d", most significant byte first, each byte 0-255.
std::string dottedIP(std::uint32_t ip);

// The addresses of the last CountHostIPs look-up, in the order it gave them.
class QXHostIPList {
public:
    void clear() { ips_.clear(); }
    void add(std::uint32_t ip) { ips_.push_back(ip); }
    int count() const { return static_cast<int>(ips_.size()); }
    // 1-based, as programs count.
    bool hasIndex(int index) const { return index >= 1 && index <= count(); }
    std::uint32_t at(int index) const { return ips_[static_cast<std::size_t>(index - 1)]; }

private:
    std::vector<std::uint32_t> ips_;
};

QXHostIPList& hostIPs();
