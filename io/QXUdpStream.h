#pragma once
// UDP sockets as message streams. The stream commands read the last
// received datagram from memory and write the next one to send;
// RecvUDPMsg and SendUDPMsg move between messages.

#include <cstdint>
#include <string>
#include <vector>

#include "io/QXStream.h"
#include "io/QXSocket.h"

class UDPStream : public QXStream {
public:
    // The largest datagram IPv4 can carry fits this; every datagram is
    // received whole into a buffer of this size, whatever size the platform
    // announces for it (Winsock counts every datagram queued).
    static constexpr int kMaxDatagram = 65536;

    // A datagram socket bound to `port` (0: one the system picks) on all
    // local addresses; null on failure.
    static UDPStream* bindTo(int port);

    int read(void* buffer, int count) override;
    int write(const void* buffer, int count) override;
    int avail() override;
    int eof() override;

    // Sends the output message as one datagram to `destination` and empties
    // it; a port of 0 means the stream's own local port.
    void send(QXNetAddress destination);
    // Waits up to `timeoutMs` for the next datagram, which becomes the input
    // message; returns the sender's IP, or 0 when none arrived.
    std::uint32_t receive(int timeoutMs);

    // 0, or -1 once a socket call has failed (or the module stop closed the socket).
    int errorFlag() const { return error_ != 0 || !socket_.isOpen() ? -1 : 0; }
    QXNetAddress local() const { return local_; }
    QXNetAddress messageSender() const { return message_; }
    QXNetAddress destination() const { return destination_; }

private:
    UDPStream() = default;

    int unread() const { return static_cast<int>(input_.size()) - readPosition_; }
    // The first `size` bytes of the receive space become the input message.
    bool takeMessage(int size);

    QXSocket socket_;
    std::vector<char> input_;
    // Receive space of kMaxDatagram bytes: the last message stays readable
    // until a new one has arrived whole.
    std::vector<char> received_;
    int readPosition_ = 0;
    std::string output_;
    QXNetAddress local_;
    QXNetAddress message_;
    QXNetAddress destination_;
    int error_ = 0;
};
