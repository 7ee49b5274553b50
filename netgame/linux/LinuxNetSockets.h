#pragma once
// BSD sockets under the built-in game service: non-blocking TCP and UDP
// sockets on IPv4, addresses in host order. Socket numbers are descriptors.

#include "netgame/QXNetNode.h"

class LinuxNetSockets final : public QXNetSockets {
public:
    std::uint32_t now() override;
    void idle(int milliseconds) override;
    bool resolve(std::string_view host, std::uint32_t& ip) override;
    int listenTcp(std::uint16_t port) override;
    int openUdp(std::uint16_t port) override;
    std::uint16_t localPort(int socket) override;
    int accept(int listener, QXNetEndpoint& peer) override;
    int connect(QXNetEndpoint to) override;
    int connected(int socket) override;
    long send(int socket, const std::uint8_t* bytes, std::size_t size) override;
    long receive(int socket, std::uint8_t* bytes, std::size_t size) override;
    bool sendTo(int socket, QXNetEndpoint to, const std::uint8_t* bytes, std::size_t size) override;
    long receiveFrom(int socket, std::uint8_t* bytes, std::size_t size, QXNetEndpoint& from) override;
    void close(int socket) override;
};
