// UDP message streams on 127.0.0.1, driven through the commands.

#include "NetworkTestSupport.h"

namespace {

class UdpStreamTest : public NetworkTest {
protected:
    void SetUp() override {
        NetworkTest::SetUp();
        a = net::CreateUDPStream(0);
        b = net::CreateUDPStream(0);
        ASSERT_NE(a, 0);
        ASSERT_NE(b, 0);
        portA = net::UDPStreamPort(a);
        portB = net::UDPStreamPort(b);
        // Datagrams on loopback arrive at once; the wait only absorbs scheduling.
        net::UDPTimeouts(2000);
    }
    void TearDown() override {
        if (a && isLive(a)) net::CloseUDPStream(a);
        if (b && isLive(b)) net::CloseUDPStream(b);
        NetworkTest::TearDown();
    }

    int a = 0, b = 0;
    int portA = 0, portB = 0;
};

TEST_F(UdpStreamTest, MessagesArriveWholeWithTheirSender) {
    EXPECT_NE(portA, 0) << "port 0 gets one the system picks";
    EXPECT_NE(portA, portB);
    EXPECT_EQ(net::UDPStreamIP(a), 0) << "bound to all local addresses";
    EXPECT_EQ(net::UDPMsgIP(b), 0) << "before any message: the local address";
    EXPECT_EQ(net::UDPMsgPort(b), portB);
    EXPECT_EQ(cmd::Eof(b), 1) << "no message yet";

    // A datagram of 100 bytes: 25 integers.
    for (int i = 0; i < 25; ++i) cmd::WriteInt(a, i * 1000);
    net::SendUDPMsg(a, kLoopback, portB);
    // The next message, written while the first is under way.
    cmd::WriteString(b, Arg("unsent"));
    cmd::WriteString(a, Arg("second"));
    cmd::WriteFloat(a, -0.5f);
    net::SendUDPMsg(a, kLoopback, portB);

    EXPECT_EQ(net::RecvUDPMsg(b), kLoopback);
    EXPECT_EQ(net::UDPMsgIP(b), kLoopback);
    EXPECT_EQ(net::UDPMsgPort(b), portA);
    EXPECT_EQ(cmd::ReadAvail(b), 100);
    EXPECT_EQ(cmd::Eof(b), 0);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(cmd::ReadInt(b), i * 1000);
    EXPECT_EQ(cmd::Eof(b), 1);
    EXPECT_EQ(cmd::ReadByte(b), 0) << "nothing beyond the message";

    EXPECT_EQ(net::RecvUDPMsg(b), kLoopback);
    EXPECT_EQ(cmd::ReadAvail(b), 4 + 6 + 4);
    EXPECT_EQ(take(cmd::ReadString(b)), "second");
    EXPECT_EQ(cmd::ReadFloat(b), -0.5f);
    EXPECT_EQ(cmd::Eof(b), 1);

    // Writing to b touched only its own output message.
    net::SendUDPMsg(b, kLoopback, portA);
    EXPECT_EQ(net::RecvUDPMsg(a), kLoopback);
    EXPECT_EQ(net::UDPMsgPort(a), portB);
    EXPECT_EQ(take(cmd::ReadString(a)), "unsent");
}

TEST_F(UdpStreamTest, SendingEmptiesTheOutputAndAnEmptyMessageStillTravels) {
    cmd::WriteByte(a, 1);
    net::SendUDPMsg(a, kLoopback, portB);
    net::SendUDPMsg(a, kLoopback, portB);  // nothing written since: an empty datagram
    EXPECT_EQ(checkHandle<UDPStream>(a, "UDP Stream")->destination().port, portB);

    EXPECT_EQ(net::RecvUDPMsg(b), kLoopback);
    EXPECT_EQ(cmd::ReadAvail(b), 1);
    EXPECT_EQ(net::RecvUDPMsg(b), kLoopback);
    EXPECT_EQ(cmd::ReadAvail(b), 0);
    EXPECT_EQ(cmd::Eof(b), 1);
    EXPECT_EQ(checkHandle<UDPStream>(b, "UDP Stream")->errorFlag(), 0);
}

TEST_F(UdpStreamTest, PortZeroSendsToTheStreamsOwnPort) {
    cmd::WriteLine(a, Arg("to myself"));
    net::SendUDPMsg(a, kLoopback, 0);
    EXPECT_EQ(checkHandle<UDPStream>(a, "UDP Stream")->destination().port, portA);
    EXPECT_EQ(net::RecvUDPMsg(a), kLoopback);
    EXPECT_EQ(net::UDPMsgPort(a), portA);
    EXPECT_EQ(take(cmd::ReadLine(a)), "to myself");
}

TEST_F(UdpStreamTest, LargeDatagramsArriveWhole) {
    // Near the largest a datagram can be, and several queued at once.
    std::string big(60000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 13);
    UDPStream& sender = *checkHandle<UDPStream>(a, "UDP Stream");
    for (int copy = 0; copy < 3; ++copy) {
        sender.write(big.data(), static_cast<int>(big.size()) - copy);
        net::SendUDPMsg(a, kLoopback, portB);
        ASSERT_EQ(sender.errorFlag(), 0);
    }
    UDPStream& receiver = *checkHandle<UDPStream>(b, "UDP Stream");
    for (int copy = 0; copy < 3; ++copy) {
        ASSERT_EQ(net::RecvUDPMsg(b), kLoopback);
        int size = static_cast<int>(big.size()) - copy;
        EXPECT_EQ(receiver.avail(), size);
        std::string got(big.size(), '\0');
        EXPECT_EQ(receiver.read(got.data(), static_cast<int>(got.size())), size);
        EXPECT_EQ(got.substr(0, static_cast<std::size_t>(size)), big.substr(0, static_cast<std::size_t>(size)));
    }
}

TEST_F(UdpStreamTest, ReceivingWaitsOnlyAsLongAsTheTimeOut) {
    net::UDPTimeouts(0);
    std::uint32_t start = netClock();
    EXPECT_EQ(net::RecvUDPMsg(b), 0);
    EXPECT_LT(elapsedSince(start), 500);

    net::UDPTimeouts(200);
    start = netClock();
    EXPECT_EQ(net::RecvUDPMsg(b), 0);
    int waited = elapsedSince(start);
    EXPECT_GE(waited, 150);
    EXPECT_LT(waited, 3000);
    EXPECT_EQ(checkHandle<UDPStream>(b, "UDP Stream")->errorFlag(), 0) << "nothing arriving is no failure";
}

TEST_F(UdpStreamTest, AMessageStaysReadableUntilTheNextArrives) {
    cmd::WriteInt(a, 42);
    cmd::WriteInt(a, 43);
    net::SendUDPMsg(a, kLoopback, portB);
    ASSERT_EQ(net::RecvUDPMsg(b), kLoopback);
    EXPECT_EQ(cmd::ReadInt(b), 42);
    net::UDPTimeouts(0);
    EXPECT_EQ(net::RecvUDPMsg(b), 0);
    EXPECT_EQ(cmd::ReadInt(b), 43);
    EXPECT_EQ(net::UDPMsgPort(b), portA);
}

TEST_F(UdpStreamTest, FailuresAreKeptInTheErrorFlag) {
    EXPECT_EQ(net::CreateUDPStream(portA), 0) << "the port is taken";
    EXPECT_EQ(net::CreateUDPStream(70000), 0);

    // A port outside 16 bits is not cut down to another one: the send fails.
    cmd::WriteByte(a, 1);
    net::SendUDPMsg(a, kLoopback, portB + 65536);
    net::UDPTimeouts(100);
    EXPECT_EQ(net::RecvUDPMsg(b), 0);
    EXPECT_EQ(cmd::Eof(a), -1);
    EXPECT_EQ(cmd::ReadAvail(a), 0);
    EXPECT_EQ(checkHandle<UDPStream>(a, "UDP Stream")->write("x", 1), 0);
    EXPECT_EQ(net::RecvUDPMsg(a), 0);
}

TEST_F(UdpStreamTest, StoppingTheModuleClosesEverySocket) {
    cmd::WriteInt(a, 5);
    net::SendUDPMsg(a, kLoopback, portB);
    ASSERT_EQ(net::RecvUDPMsg(b), kLoopback);
    stopModule(&theTCPIPModule);
    ASSERT_TRUE(startModule(&theTCPIPModule));

    EXPECT_EQ(cmd::Eof(b), -1);
    EXPECT_EQ(cmd::ReadInt(b), 0);
    EXPECT_EQ(net::RecvUDPMsg(b), 0);
    // Their ports are free again.
    int again = net::CreateUDPStream(portB);
    EXPECT_NE(again, 0);
    net::CloseUDPStream(again);
}

}  // namespace
