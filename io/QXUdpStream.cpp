#include "io/QXUdpStream.h"

#include <cstring>
#include <new>

#include "core/QXString.h"
#include "runtime/QXRegistry.h"

namespace {
// A wait that may not wait (time-out 0) still retries a failed receive this
// often, so that one refused earlier send does not hide a datagram behind it
// while a socket that keeps failing cannot hold the program.
constexpr int kPollAttempts = 8;
}  // namespace

UDPStream* UDPStream::bindTo(int port) {
    if (!isValidPort(port)) return nullptr;
    UDPStream* stream = new (std::nothrow) UDPStream();
    if (!stream) return nullptr;
    if (!stream->socket_.create(QXSocket::Kind::Datagram) || !stream->socket_.bindAny(port)) {
        release(stream);
        return nullptr;
    }
    stream->local_ = stream->socket_.localAddress();
    stream->message_ = stream->local_;
    return stream;
}

int UDPStream::read(void* buffer, int count) {
    if (errorFlag() || count <= 0) return 0;
    int delivered = count < unread() ? count : unread();
    std::memcpy(buffer, input_.data() + readPosition_, static_cast<std::size_t>(delivered));
    readPosition_ += delivered;
    return delivered;
}

int UDPStream::write(const void* buffer, int count) {
    if (errorFlag() || count <= 0) return 0;
    try {
        output_.append(static_cast<const char*>(buffer), static_cast<std::size_t>(count));
    } catch (const std::exception&) {
        return 0;
    }
    return count;
}

int UDPStream::avail() { return errorFlag() ? 0 : unread(); }

int UDPStream::eof() {
    if (errorFlag()) return -1;
    return unread() == 0 ? 1 : 0;
}

void UDPStream::send(QXNetAddress destination) {
    if (errorFlag()) return;
    if (destination.port == 0) destination.port = local_.port;
    destination_ = destination;
    int size = static_cast<int>(output_.size());
    int sent = isValidPort(destination.port) ? socket_.sendTo(output_.data(), size, destination) : -1;
    if (sent != size) {
        error_ = -1;
        return;
    }
    output_.clear();
}

std::uint32_t UDPStream::receive(int timeoutMs) {
    if (errorFlag()) return 0;
    try {
        received_.resize(kMaxDatagram);
    } catch (const std::exception&) {
        error_ = -1;
        return 0;
    }
    QXDeadline deadline(netClock(), timeoutMs);
    for (int attempt = 0;; ++attempt) {
        int remaining = deadline.remaining(netClock());
        if (remaining == 0 && attempt >= kPollAttempts) return 0;
        QXSocket::Wait wait = socket_.waitReadable(remaining);
        if (wait == QXSocket::Wait::TimedOut) return 0;
        if (wait == QXSocket::Wait::Failed) {
            error_ = -1;
            return 0;
        }
        QXNetAddress from;
        int size = socket_.receiveFrom(received_.data(), kMaxDatagram, from);
        // A failed receive (a refused earlier send, for one) is passed over.
        if (size < 0) continue;
        if (!takeMessage(size)) return 0;
        message_ = from;
        return message_.ip;
    }
}

bool UDPStream::takeMessage(int size) {
    try {
        input_.assign(received_.data(), received_.data() + size);
    } catch (const std::exception&) {
        error_ = -1;
        return false;
    }
    readPosition_ = 0;
    return true;
}

// ---------------------------------------------------------------- commands

namespace {

UDPStream& streamOf(int handle) { return *checkHandle<UDPStream>(handle, "UDP Stream"); }

int QXCALL CreateUDPStream(int port) { return handleOf(UDPStream::bindTo(port)); }

void QXCALL CloseUDPStream(int stream) {
    if (stream) release(&streamOf(stream));
}

void QXCALL SendUDPMsg(int stream, int ip, int port) {
    streamOf(stream).send({static_cast<std::uint32_t>(ip), port});
}

int QXCALL RecvUDPMsg(int stream) {
    return static_cast<int>(streamOf(stream).receive(netTimeouts().udpReceive));
}

int QXCALL UDPStreamIP(int stream) { return static_cast<int>(streamOf(stream).local().ip); }
int QXCALL UDPStreamPort(int stream) { return streamOf(stream).local().port; }
int QXCALL UDPMsgIP(int stream) { return static_cast<int>(streamOf(stream).messageSender().ip); }
int QXCALL UDPMsgPort(int stream) { return streamOf(stream).messageSender().port; }

const QXSymbol commands[] = {
    QX_COMMAND("%CreateUDPStream%port=0", CreateUDPStream),
    QX_COMMAND("CloseUDPStream%udp_stream", CloseUDPStream),
    QX_COMMAND("SendUDPMsg%udp_stream%dest_ip%dest_port=0", SendUDPMsg),
    QX_COMMAND("%RecvUDPMsg%udp_stream", RecvUDPMsg),
    QX_COMMAND("%UDPStreamIP%udp_stream", UDPStreamIP),
    QX_COMMAND("%UDPStreamPort%udp_stream", UDPStreamPort),
    QX_COMMAND("%UDPMsgIP%udp_stream", UDPMsgIP),
    QX_COMMAND("%UDPMsgPort%udp_stream", UDPMsgPort),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);

}  // namespace
