#pragma once
// Shared by the TCP, UDP and network tests: the networking commands as
// compiled code calls them, and a fixture that runs each test with the
// networking module started and the time-outs at their defaults. All
// traffic stays on 127.0.0.1.

#include "StreamTestSupport.h"
#include "io/QXSocket.h"
#include "io/QXTcpStream.h"
#include "io/QXUdpStream.h"

constexpr int kLoopback = 0x7F000001;

inline bool isLive(int handle) { return liveObject(static_cast<std::uint32_t>(handle)) != nullptr; }

namespace net {
QX_TEST_COMMAND(int, OpenTCPStream, "%OpenTCPStream$server%server_port%local_port=0",
                (QXString * server, int port, int local), (server, port, local))
QX_TEST_COMMAND(void, CloseTCPStream, "CloseTCPStream%tcp_stream", (int s), (s))
QX_TEST_COMMAND(int, CreateTCPServer, "%CreateTCPServer%port", (int port), (port))
QX_TEST_COMMAND(void, CloseTCPServer, "CloseTCPServer%tcp_server", (int s), (s))
QX_TEST_COMMAND(int, AcceptTCPStream, "%AcceptTCPStream%tcp_server", (int s), (s))
QX_TEST_COMMAND(int, TCPStreamIP, "%TCPStreamIP%tcp_stream", (int s), (s))
QX_TEST_COMMAND(int, TCPStreamPort, "%TCPStreamPort%tcp_stream", (int s), (s))
QX_TEST_COMMAND(void, TCPTimeouts, "TCPTimeouts%read_millis%accept_millis", (int r, int a), (r, a))
QX_TEST_COMMAND(int, CreateUDPStream, "%CreateUDPStream%port=0", (int port), (port))
QX_TEST_COMMAND(void, CloseUDPStream, "CloseUDPStream%udp_stream", (int s), (s))
QX_TEST_COMMAND(void, SendUDPMsg, "SendUDPMsg%udp_stream%dest_ip%dest_port=0", (int s, int ip, int port),
                (s, ip, port))
QX_TEST_COMMAND(int, RecvUDPMsg, "%RecvUDPMsg%udp_stream", (int s), (s))
QX_TEST_COMMAND(int, UDPStreamIP, "%UDPStreamIP%udp_stream", (int s), (s))
QX_TEST_COMMAND(int, UDPStreamPort, "%UDPStreamPort%udp_stream", (int s), (s))
QX_TEST_COMMAND(int, UDPMsgIP, "%UDPMsgIP%udp_stream", (int s), (s))
QX_TEST_COMMAND(int, UDPMsgPort, "%UDPMsgPort%udp_stream", (int s), (s))
QX_TEST_COMMAND(void, UDPTimeouts, "UDPTimeouts%recv_timeout", (int t), (t))
QX_TEST_COMMAND(int, CountHostIPs, "%CountHostIPs$host_name", (QXString * name), (name))
QX_TEST_COMMAND(int, HostIP, "%HostIP%host_index", (int i), (i))
QX_TEST_COMMAND(QXString*, DottedIP, "$DottedIP%IP", (int ip), (ip))
}  // namespace net

class NetworkTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(startModule(&theTCPIPModule));
        netTimeouts().reset();
    }
    void TearDown() override { netTimeouts().reset(); }

    // Milliseconds since `start` on the network clock.
    static int elapsedSince(std::uint32_t start) { return static_cast<int>(netClock() - start); }
};

// A listening server on a port the system picked, and a client connected to
// it with the accepted end; everything is closed at the end of the scope.
struct TcpPair {
    TcpPair() {
        server = net::CreateTCPServer(0);
        if (!server) return;
        port = checkHandle<TCPServer>(server, "TCP Server")->local().port;
        client = net::OpenTCPStream(Arg("127.0.0.1"), port, 0);
        // A connection completed on loopback is already waiting to be accepted.
        net::TCPTimeouts(QXNetTimeouts::kDefaultTcpRead, 2000);
        accepted = net::AcceptTCPStream(server);
        net::TCPTimeouts(QXNetTimeouts::kDefaultTcpRead, QXNetTimeouts::kDefaultTcpAccept);
    }
    ~TcpPair() {
        if (client && isLive(client)) net::CloseTCPStream(client);
        if (server && isLive(server)) net::CloseTCPServer(server);
    }
    TcpPair(const TcpPair&) = delete;
    TcpPair& operator=(const TcpPair&) = delete;
    bool ready() const { return server && client && accepted; }

    int server = 0;
    int port = 0;
    int client = 0;
    int accepted = 0;
};
