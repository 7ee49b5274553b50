// TCP connections and servers on 127.0.0.1, driven through the commands.

#include "NetworkTestSupport.h"

namespace {

class TcpStreamTest : public NetworkTest {};

TEST_F(TcpStreamTest, EveryByteFormatTravelsBothWays) {
    TcpPair pair;
    ASSERT_TRUE(pair.ready());
    EXPECT_EQ(net::TCPStreamIP(pair.client), kLoopback);
    EXPECT_EQ(net::TCPStreamPort(pair.client), pair.port);
    EXPECT_EQ(net::TCPStreamIP(pair.accepted), kLoopback);
    EXPECT_NE(net::TCPStreamPort(pair.accepted), 0);
    EXPECT_NE(net::TCPStreamPort(pair.accepted), pair.port);

    cmd::WriteByte(pair.client, 300);
    cmd::WriteShort(pair.client, -1);
    cmd::WriteInt(pair.client, -123456789);
    cmd::WriteFloat(pair.client, 2.5f);
    cmd::WriteString(pair.client, Arg("abc"));
    cmd::WriteString(pair.client, Arg(""));
    cmd::WriteLine(pair.client, Arg("a line"));
    cmd::WriteLine(pair.client, Arg("x\ry"));

    EXPECT_EQ(cmd::ReadByte(pair.accepted), 44);
    EXPECT_EQ(cmd::ReadAvail(pair.accepted), 2 + 4 + 4 + 7 + 4 + 8 + 5);
    EXPECT_EQ(cmd::ReadShort(pair.accepted), 65535);
    EXPECT_EQ(cmd::ReadInt(pair.accepted), -123456789);
    EXPECT_EQ(cmd::ReadFloat(pair.accepted), 2.5f);
    EXPECT_EQ(take(cmd::ReadString(pair.accepted)), "abc");
    EXPECT_EQ(take(cmd::ReadString(pair.accepted)), "");
    EXPECT_EQ(take(cmd::ReadLine(pair.accepted)), "a line");
    EXPECT_EQ(take(cmd::ReadLine(pair.accepted)), "xy");
    EXPECT_EQ(cmd::ReadAvail(pair.accepted), 0);
    EXPECT_EQ(cmd::Eof(pair.accepted), 0) << "no data, but the peer is still there";

    // And back, the exact bytes of the encoding.
    cmd::WriteInt(pair.accepted, 1);
    cmd::WriteString(pair.accepted, Arg("xyz"));
    unsigned char bytes[11] = {};
    EXPECT_EQ(checkHandle<TCPStream>(pair.client, "TCP Stream")->read(bytes, 11), 11);
    const unsigned char expected[11] = {1, 0, 0, 0, 3, 0, 0, 0, 'x', 'y', 'z'};
    EXPECT_EQ(std::memcmp(bytes, expected, sizeof bytes), 0);
}

TEST_F(TcpStreamTest, BufferedBytesAndBulkReadsKeepTheirOrder) {
    TcpPair pair;
    ASSERT_TRUE(pair.ready());
    // Lines of every length around the receive buffer, then a bulk block.
    std::string sent;
    for (int length : {0, 1, 100, 4095, 4096, 4097, 9000}) {
        std::string line(static_cast<std::size_t>(length), static_cast<char>('a' + length % 26));
        cmd::WriteLine(pair.client, Arg(line));
        sent += line + "\n";
    }
    std::string block(20000, '\0');
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 7);
    TCPStream& client = *checkHandle<TCPStream>(pair.client, "TCP Stream");
    ASSERT_EQ(client.write(block.data(), static_cast<int>(block.size())), static_cast<int>(block.size()));

    for (int length : {0, 1, 100, 4095, 4096, 4097, 9000})
        EXPECT_EQ(take(cmd::ReadLine(pair.accepted)),
                  std::string(static_cast<std::size_t>(length), static_cast<char>('a' + length % 26)));
    std::string received(block.size(), '\0');
    TCPStream& accepted = *checkHandle<TCPStream>(pair.accepted, "TCP Stream");
    EXPECT_EQ(accepted.read(received.data(), 3), 3);
    EXPECT_EQ(accepted.read(received.data() + 3, static_cast<int>(block.size()) - 3), static_cast<int>(block.size()) - 3);
    EXPECT_EQ(received, block);
}

TEST_F(TcpStreamTest, APeerThatClosesGivesEndOfStreamAfterItsLastBytes) {
    TcpPair pair;
    ASSERT_TRUE(pair.ready());
    cmd::WriteShort(pair.client, 0x1234);
    cmd::WriteByte(pair.client, 7);
    net::CloseTCPStream(pair.client);
    pair.client = 0;

    EXPECT_EQ(cmd::ReadShort(pair.accepted), 0x1234);
    EXPECT_EQ(cmd::Eof(pair.accepted), 0) << "one byte is still waiting";
    // An integer of which only one byte comes: the close ends the read at once.
    std::uint32_t start = netClock();
    EXPECT_EQ(cmd::ReadInt(pair.accepted), 7);
    EXPECT_LT(elapsedSince(start), 2000);
    EXPECT_EQ(cmd::Eof(pair.accepted), 1);
    EXPECT_EQ(cmd::ReadByte(pair.accepted), 0);
    EXPECT_EQ(take(cmd::ReadLine(pair.accepted)), "");
    EXPECT_EQ(cmd::ReadAvail(pair.accepted), 0);
    EXPECT_EQ(checkHandle<TCPStream>(pair.accepted, "TCP Stream")->write("x", 1), 0);
    EXPECT_EQ(cmd::Eof(pair.accepted), 1);
}

TEST_F(TcpStreamTest, EofNoticesAClosedPeerWithoutReading) {
    TcpPair pair;
    ASSERT_TRUE(pair.ready());
    net::CloseTCPStream(pair.accepted);
    std::uint32_t start = netClock();
    int eof = 0;
    while (eof == 0 && elapsedSince(start) < 2000) {
        eof = cmd::Eof(pair.client);
        if (eof == 0) Sleep(5);
    }
    EXPECT_EQ(eof, 1);
}

TEST_F(TcpStreamTest, AReadThatRunsOutOfTimeLeavesTheStreamFailed) {
    TcpPair pair;
    ASSERT_TRUE(pair.ready());
    net::TCPTimeouts(200, 0);
    cmd::WriteShort(pair.accepted, 0x0102);

    std::uint32_t start = netClock();
    EXPECT_EQ(cmd::ReadInt(pair.client), 0x0102) << "the two bytes that came";
    int waited = elapsedSince(start);
    EXPECT_GE(waited, 150);
    EXPECT_LT(waited, 3000);
    EXPECT_EQ(cmd::Eof(pair.client), -1);

    cmd::WriteInt(pair.client, 99);  // sends nothing
    cmd::WriteByte(pair.accepted, 5);
    EXPECT_EQ(cmd::ReadByte(pair.client), 0);
    EXPECT_EQ(cmd::ReadAvail(pair.client), 0) << "a failed stream offers nothing to read";
    Sleep(50);
    EXPECT_EQ(cmd::ReadAvail(pair.accepted), 0);
    EXPECT_EQ(cmd::Eof(pair.accepted), 0);
}

TEST_F(TcpStreamTest, AReadTimeOutOfZeroPollsOnce) {
    TcpPair pair;
    ASSERT_TRUE(pair.ready());
    net::TCPTimeouts(0, 0);
    std::uint32_t start = netClock();
    EXPECT_EQ(cmd::ReadByte(pair.client), 0);
    EXPECT_LT(elapsedSince(start), 1000);
    EXPECT_EQ(cmd::Eof(pair.client), -1);
}

TEST_F(TcpStreamTest, AcceptWaitsOnlyAsLongAsTheAcceptTimeOut) {
    int server = net::CreateTCPServer(0);
    ASSERT_NE(server, 0);
    std::uint32_t start = netClock();
    EXPECT_EQ(net::AcceptTCPStream(server), 0);
    EXPECT_LT(elapsedSince(start), 500) << "the default accept time-out does not wait";

    net::TCPTimeouts(10000, 200);
    start = netClock();
    EXPECT_EQ(net::AcceptTCPStream(server), 0);
    int waited = elapsedSince(start);
    EXPECT_GE(waited, 150);
    EXPECT_LT(waited, 3000);
    EXPECT_EQ(checkHandle<TCPServer>(server, "TCP Server")->state(), 0) << "nothing pending is no failure";
    net::CloseTCPServer(server);
}

TEST_F(TcpStreamTest, ClosingAServerFreesTheStreamsItAccepted) {
    TcpPair pair;
    ASSERT_TRUE(pair.ready());
    EXPECT_EQ(checkHandle<TCPStream>(pair.accepted, "TCP Stream")->server(),
              checkHandle<TCPServer>(pair.server, "TCP Server"));
    int second = net::OpenTCPStream(Arg("localhost"), pair.port, 0);
    ASSERT_NE(second, 0);
    net::TCPTimeouts(10000, 2000);
    int secondAccepted = net::AcceptTCPStream(pair.server);
    ASSERT_NE(secondAccepted, 0);
    net::CloseTCPStream(secondAccepted);  // freed by the program first: not freed twice

    int before = liveObjectCount();
    net::CloseTCPServer(pair.server);
    EXPECT_EQ(liveObjectCount(), before - 2);
    EXPECT_FALSE(isLive(pair.accepted));
    EXPECT_EQ(runtimeErrorOf([&] { net::TCPStreamIP(pair.accepted); }), "Invalid TCP Stream handle");
    pair.server = 0;

    // The client sees its peer go.
    net::TCPTimeouts(2000, 0);
    EXPECT_EQ(cmd::ReadByte(pair.client), 0);
    EXPECT_EQ(cmd::Eof(pair.client), 1);
    net::CloseTCPStream(second);
}

TEST_F(TcpStreamTest, FailedConnectionsAndServersGiveZero) {
    // A port that was just free: nothing listens there.
    int server = net::CreateTCPServer(0);
    ASSERT_NE(server, 0);
    int port = checkHandle<TCPServer>(server, "TCP Server")->local().port;
    EXPECT_EQ(net::CreateTCPServer(port), 0) << "the port is taken";
    net::CloseTCPServer(server);
    int before = liveObjectCount();
    EXPECT_EQ(net::OpenTCPStream(Arg("127.0.0.1"), port, 0), 0);
    EXPECT_EQ(net::OpenTCPStream(Arg("no-such-host.invalid"), port, 0), 0);
    // Ports beyond 16 bits would name another port.
    EXPECT_EQ(net::OpenTCPStream(Arg("127.0.0.1"), port + 65536, 0), 0);
    EXPECT_EQ(net::OpenTCPStream(Arg("127.0.0.1"), -1, 0), 0);
    EXPECT_EQ(net::CreateTCPServer(65536), 0);
    EXPECT_EQ(liveObjectCount(), before) << "nothing is left behind";
}

TEST_F(TcpStreamTest, AClientCanChooseItsLocalPort) {
    TcpPair pair;
    ASSERT_TRUE(pair.ready());
    // A free port to connect from: the system picks one for a server, which then goes.
    int probe = net::CreateTCPServer(0);
    int localPort = checkHandle<TCPServer>(probe, "TCP Server")->local().port;
    net::CloseTCPServer(probe);

    int client = net::OpenTCPStream(Arg("127.0.0.1"), pair.port, localPort);
    ASSERT_NE(client, 0);
    net::TCPTimeouts(10000, 2000);
    int accepted = net::AcceptTCPStream(pair.server);
    ASSERT_NE(accepted, 0);
    EXPECT_EQ(net::TCPStreamPort(accepted), localPort);
    net::CloseTCPStream(client);
}

TEST_F(TcpStreamTest, HostilePeerDataCostsNoMoreThanItBrings) {
    TcpPair pair;
    ASSERT_TRUE(pair.ready());
    net::TCPTimeouts(300, 0);

    // A 2 GB string announced, ten bytes sent, then the peer goes.
    cmd::WriteInt(pair.accepted, 0x7FFFFFFF);
    checkHandle<TCPStream>(pair.accepted, "TCP Stream")->write("0123456789", 10);
    net::CloseTCPStream(pair.accepted);
    pair.accepted = 0;
    std::uint32_t start = netClock();
    EXPECT_EQ(take(cmd::ReadString(pair.client)), "0123456789");
    EXPECT_LT(elapsedSince(start), 2000);
    EXPECT_EQ(cmd::Eof(pair.client), 1);
    net::CloseTCPStream(pair.client);

    // A peer that announces a huge string and then says nothing: the read
    // gives up at the time-out with nothing.
    pair.client = net::OpenTCPStream(Arg("127.0.0.1"), pair.port, 0);
    net::TCPTimeouts(300, 2000);
    int silent = net::AcceptTCPStream(pair.server);
    ASSERT_NE(silent, 0);
    cmd::WriteInt(silent, 0x7FFFFFF0);
    EXPECT_EQ(take(cmd::ReadString(pair.client)), "");
    EXPECT_EQ(cmd::Eof(pair.client), -1);

    // A negative length reads as an empty string and keeps the stream going.
    net::CloseTCPStream(pair.client);
    pair.client = net::OpenTCPStream(Arg("127.0.0.1"), pair.port, 0);
    int other = net::AcceptTCPStream(pair.server);
    ASSERT_NE(other, 0);
    cmd::WriteInt(other, -5);
    cmd::WriteString(other, Arg("after"));
    EXPECT_EQ(take(cmd::ReadString(pair.client)), "");
    EXPECT_EQ(take(cmd::ReadString(pair.client)), "after");
}

TEST_F(TcpStreamTest, StoppingTheModuleClosesEverySocket) {
    TcpPair pair;
    ASSERT_TRUE(pair.ready());
    stopModule(&theTCPIPModule);
    ASSERT_TRUE(startModule(&theTCPIPModule));

    // The objects live on until the program frees them, failed.
    EXPECT_EQ(cmd::Eof(pair.client), -1);
    EXPECT_EQ(cmd::ReadByte(pair.accepted), 0);
    EXPECT_EQ(checkHandle<TCPStream>(pair.client, "TCP Stream")->write("x", 1), 0);
    EXPECT_EQ(net::AcceptTCPStream(pair.server), 0);
    EXPECT_EQ(checkHandle<TCPServer>(pair.server, "TCP Server")->state(), -1);

    // Nothing listens on the server's port any more.
    EXPECT_EQ(net::OpenTCPStream(Arg("127.0.0.1"), pair.port, 0), 0);
}

}  // namespace
