// Addresses, host look-ups, time-outs and the networking module.

#include "NetworkTestSupport.h"

namespace {

TEST(NetworkRules, DeadlinesCountDownAcrossTheClocksWrap) {
    QXDeadline deadline(0xFFFFFF00u, 1000);
    EXPECT_EQ(deadline.remaining(0xFFFFFF00u), 1000);
    EXPECT_EQ(deadline.remaining(0xFFFFFFFFu), 745);
    EXPECT_EQ(deadline.remaining(0x00000010u), 728) << "after the wrap";
    EXPECT_EQ(deadline.remaining(0x00000400u), 0) << "past the deadline";
    EXPECT_EQ(QXDeadline(5, 0).remaining(5), 0) << "time-out 0: a poll";
    EXPECT_EQ(QXDeadline(5, -20).remaining(5), 0);
}

class NetworkCommandTest : public NetworkTest {};

TEST_F(NetworkCommandTest, DottedIPPutsTheMostSignificantByteFirst) {
    EXPECT_EQ(take(net::DottedIP(2130706433)), "127.0.0.1");
    EXPECT_EQ(take(net::DottedIP(-1)), "255.255.255.255");
    EXPECT_EQ(take(net::DottedIP(0)), "0.0.0.0");
    EXPECT_EQ(take(net::DottedIP(static_cast<int>(0xC0A80A80u))), "192.168.10.128");
}

TEST_F(NetworkCommandTest, HostLookUpsFillTheList) {
    int count = net::CountHostIPs(Arg("localhost"));
    ASSERT_GE(count, 1);
    bool loopback = false;
    for (int i = 1; i <= count; ++i) loopback = loopback || net::HostIP(i) == kLoopback;
    EXPECT_TRUE(loopback);
    EXPECT_EQ(runtimeErrorOf([&] { net::HostIP(0); }), "Host index out of range");
    EXPECT_EQ(runtimeErrorOf([&] { net::HostIP(count + 1); }), "Host index out of range");

    EXPECT_EQ(net::CountHostIPs(Arg("no-such-host.invalid")), 0);
    EXPECT_EQ(runtimeErrorOf([&] { net::HostIP(1); }), "Host index out of range") << "the list was emptied";
}

TEST_F(NetworkCommandTest, OpenTCPStreamTakesDottedTextOrAName) {
    std::uint32_t ip = 0;
    EXPECT_TRUE(resolveHost("127.0.0.1", ip));
    EXPECT_EQ(ip, 0x7F000001u);
    EXPECT_TRUE(resolveHost("10.1.2.3", ip));
    EXPECT_EQ(ip, 0x0A010203u);
    EXPECT_TRUE(resolveHost("localhost", ip));
    EXPECT_EQ(ip >> 24, 127u);
    EXPECT_FALSE(resolveHost("no-such-host.invalid", ip));
}

TEST_F(NetworkCommandTest, TheModuleStartResetsTheTimeOuts) {
    net::TCPTimeouts(5, 6);
    net::UDPTimeouts(7);
    EXPECT_EQ(netTimeouts().tcpRead, 5);
    EXPECT_EQ(netTimeouts().tcpAccept, 6);
    EXPECT_EQ(netTimeouts().udpReceive, 7);
    stopModule(&theTCPIPModule);
    ASSERT_TRUE(startModule(&theTCPIPModule));
    EXPECT_EQ(netTimeouts().tcpRead, 10000);
    EXPECT_EQ(netTimeouts().tcpAccept, 0);
    EXPECT_EQ(netTimeouts().udpReceive, 0);
}

TEST_F(NetworkCommandTest, HandlesAreCheckedWithTheirKindWords) {
    int udp = net::CreateUDPStream(0);
    int server = net::CreateTCPServer(0);
    ASSERT_NE(udp, 0);
    ASSERT_NE(server, 0);
    EXPECT_EQ(runtimeErrorOf([&] { net::TCPStreamIP(udp); }), "Invalid TCP Stream handle");
    EXPECT_EQ(runtimeErrorOf([&] { net::TCPStreamPort(0); }), "Invalid TCP Stream handle");
    EXPECT_EQ(runtimeErrorOf([&] { net::CloseTCPStream(udp); }), "Invalid TCP Stream handle");
    EXPECT_EQ(runtimeErrorOf([&] { net::AcceptTCPStream(udp); }), "Invalid TCP Server handle");
    EXPECT_EQ(runtimeErrorOf([&] { net::CloseTCPServer(udp); }), "Invalid TCP Server handle");
    EXPECT_EQ(runtimeErrorOf([&] { net::RecvUDPMsg(server); }), "Invalid UDP Stream handle");
    EXPECT_EQ(runtimeErrorOf([&] { net::SendUDPMsg(0, kLoopback, 1); }), "Invalid UDP Stream handle");
    EXPECT_EQ(runtimeErrorOf([&] { net::CloseUDPStream(server); }), "Invalid UDP Stream handle");
    EXPECT_EQ(runtimeErrorOf([&] { cmd::ReadInt(server); }), "Invalid Stream handle");
    EXPECT_EQ(runtimeErrorOf([&] {
                  net::CloseTCPStream(0);
                  net::CloseTCPServer(0);
                  net::CloseUDPStream(0);
              }),
              std::nullopt);
    net::CloseTCPServer(server);
    net::CloseUDPStream(udp);
}

}  // namespace
