#include "io/win32/TCPIPModule.h"

#include <mmsystem.h>

#include <cstring>
#include <new>
#include <string>

#include "core/QXString.h"
#include "runtime/QXRegistry.h"

// ---------------------------------------------------------------- module

TCPIPModule::TCPIPModule() { registerModule("QXTcpIp", nullptr, nullptr); }

QX_MODULE_INSTANCE(TCPIPModule, 14);

bool TCPIPModule::startup() {
    netTimeouts().reset();
    WSADATA data;
    return WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

void TCPIPModule::shutdown() {
    Win32Socket::closeAll();
    WSACleanup();
}

// ---------------------------------------------------------------- addresses

std::uint32_t netClock() { return timeGetTime(); }

sockaddr_in socketAddress(QXNetAddress address) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = htonl(address.ip);
    result.sin_port = htons(static_cast<u_short>(address.port));
    return result;
}

QXNetAddress netAddressOf(const sockaddr_in& address) {
    return {ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
}

namespace {

// The IPv4 addresses of a name look-up, or null when it fails.
char** lookUpAddresses(const char* host) {
    const hostent* entry = gethostbyname(host);
    if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4) return nullptr;
    return entry->h_addr_list;
}

std::uint32_t hostOrderIP(const char* networkBytes) {
    in_addr address;
    std::memcpy(&address, networkBytes, sizeof address);
    return ntohl(address.s_addr);
}

}  // namespace

bool resolveHost(const char* host, std::uint32_t& ip) {
    unsigned long dotted = inet_addr(host);
    if (dotted != INADDR_NONE) {
        ip = ntohl(dotted);
        return true;
    }
    char** addresses = lookUpAddresses(host);
    if (!addresses || !addresses[0]) return false;
    ip = hostOrderIP(addresses[0]);
    return true;
}

// ---------------------------------------------------------------- sockets

Win32Socket* Win32Socket::firstOpen_ = nullptr;

void Win32Socket::link() {
    previous_ = nullptr;
    next_ = firstOpen_;
    if (next_) next_->previous_ = this;
    firstOpen_ = this;
}

void Win32Socket::unlink() {
    if (previous_) previous_->next_ = next_;
    else firstOpen_ = next_;
    if (next_) next_->previous_ = previous_;
    previous_ = next_ = nullptr;
}

bool Win32Socket::create(int type) {
    close(false);
    SOCKET made = ::socket(AF_INET, type, 0);
    if (made == INVALID_SOCKET) return false;
    adopt(made);
    return true;
}

void Win32Socket::adopt(SOCKET socket) {
    close(false);
    if (socket == INVALID_SOCKET) return;
    socket_ = socket;
    link();
}

void Win32Socket::takeFrom(Win32Socket& other) {
    if (&other == this) return;
    SOCKET socket = other.socket_;
    if (other.isOpen()) {
        other.socket_ = INVALID_SOCKET;
        other.unlink();
    }
    adopt(socket);
}

void Win32Socket::close(bool failed) {
    if (!isOpen()) return;
    if (failed) {
        BOOL dontLinger = TRUE;
        setsockopt(socket_, SOL_SOCKET, SO_DONTLINGER, reinterpret_cast<const char*>(&dontLinger), sizeof dontLinger);
    }
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
    unlink();
}

void Win32Socket::closeAll() {
    while (firstOpen_) firstOpen_->close(false);
}

bool Win32Socket::bindAny(int port) {
    sockaddr_in address = socketAddress({INADDR_ANY, port});
    return ::bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

QXNetAddress Win32Socket::localAddress() const {
    sockaddr_in address{};
    int size = sizeof address;
    if (getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0) return {};
    return netAddressOf(address);
}

QXNetAddress Win32Socket::peerAddress() const {
    sockaddr_in address{};
    int size = sizeof address;
    if (getpeername(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0) return {};
    return netAddressOf(address);
}

Win32Socket::Wait Win32Socket::waitReadable(int remainingMs) const {
    if (!isOpen()) return Wait::Failed;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    timeval limit{remainingMs / 1000, (remainingMs % 1000) * 1000};
    int ready = select(0, &readable, nullptr, nullptr, &limit);
    if (ready == SOCKET_ERROR) return Wait::Failed;
    return ready > 0 && FD_ISSET(socket_, &readable) ? Wait::Ready : Wait::TimedOut;
}

int Win32Socket::pendingBytes() const {
    u_long count = 0;
    if (!isOpen() || ioctlsocket(socket_, FIONREAD, &count) != 0) return -1;
    // Past 2 GB the exact figure does not matter to a 32-bit caller.
    return count > 0x7FFFFFFFul ? 0x7FFFFFFF : static_cast<int>(count);
}

// ---------------------------------------------------------------- commands

namespace {

QXString* newText(const std::string& text) { return QXString::fromBytes(text.data(), static_cast<int>(text.size())); }

int QXCALL CountHostIPs(QXString* hostName) {
    QXHostIPList& list = hostIPs();
    list.clear();
    char** addresses = lookUpAddresses(stringCText(hostName));
    if (!addresses) return 0;
    try {
        for (char** address = addresses; *address; ++address) list.add(hostOrderIP(*address));
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
