// The networking module, the list of open sockets and the commands that only
// look up addresses or set time-outs. The socket calls themselves are the
// platform's (io/win32/Win32Socket.cpp, io/linux/LinuxSocket.cpp).
#include "io/QXSocket.h"

#include <new>
#include <string>

#include "core/QXString.h"
#include "runtime/QXRegistry.h"

// ---------------------------------------------------------------- module

TCPIPModule::TCPIPModule() { registerModule("QXTcpIp", nullptr, nullptr); }

QX_MODULE_INSTANCE(TCPIPModule, 14);

bool TCPIPModule::startup() {
    netTimeouts().reset();
    return startSockets();
}

void TCPIPModule::shutdown() {
    QXSocket::closeAll();
    stopSockets();
}

// ---------------------------------------------------------------- sockets

QXSocket* QXSocket::firstOpen_ = nullptr;

void QXSocket::link() {
    previous_ = nullptr;
    next_ = firstOpen_;
    if (next_) next_->previous_ = this;
    firstOpen_ = this;
}

void QXSocket::unlink() {
    if (previous_) previous_->next_ = next_;
    else firstOpen_ = next_;
    if (next_) next_->previous_ = previous_;
    previous_ = next_ = nullptr;
}

void QXSocket::adopt(Native socket) {
    close(false);
    if (socket == kNone) return;
    socket_ = socket;
    link();
}

void QXSocket::takeFrom(QXSocket& other) {
    if (&other == this) return;
    Native socket = other.socket_;
    if (other.isOpen()) {
        other.socket_ = kNone;
        other.unlink();
    }
    adopt(socket);
}

void QXSocket::close(bool failed) {
    if (!isOpen()) return;
    closeNative(socket_, failed);
    socket_ = kNone;
    unlink();
}

void QXSocket::closeAll() {
    while (firstOpen_) firstOpen_->close(false);
}

// ---------------------------------------------------------------- commands

namespace {

QXString* newText(const std::string& text) { return QXString::fromBytes(text.data(), static_cast<int>(text.size())); }

int QXCALL CountHostIPs(QXString* hostName) {
    QXHostIPList& list = hostIPs();
    try {
        if (!lookUpHostIPs(stringCText(hostName), list)) list.clear();
    } catch (const std::bad_alloc&) {
        // A look-up of that size cannot be real; keep what fitted.
    }
    return list.count();
}

int QXCALL HostIP(int index) {
    const QXHostIPList& list = hostIPs();
    if (!list.hasIndex(index)) runtimeError("Host index out of range");
    return static_cast<int>(list.at(index));
}

QXString* QXCALL DottedIP(int ip) { return newText(dottedIP(static_cast<std::uint32_t>(ip))); }

void QXCALL TCPTimeouts(int readMillis, int acceptMillis) {
    netTimeouts().tcpRead = readMillis;
    netTimeouts().tcpAccept = acceptMillis;
}

void QXCALL UDPTimeouts(int receiveMillis) { netTimeouts().udpReceive = receiveMillis; }

const QXSymbol commands[] = {
    QX_COMMAND("%CountHostIPs$host_name", CountHostIPs),
    QX_COMMAND("%HostIP%host_index", HostIP),
    QX_COMMAND("$DottedIP%IP", DottedIP),
    QX_COMMAND("TCPTimeouts%read_millis%accept_millis", TCPTimeouts),
    QX_COMMAND("UDPTimeouts%recv_timeout", UDPTimeouts),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);

}  // namespace
