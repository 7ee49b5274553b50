// The BSD socket back end of TCP and UDP under signals: a wait that a signal
// interrupts still lasts its whole time-out, bytes keep flowing while signals
// arrive, and a write to a peer that has gone fails the stream without
// SIGPIPE ending the process (its disposition left at the default).

#include <pthread.h>
#include <signal.h>
#include <time.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "io/QXSocket.h"
#include "io/QXTcpStream.h"
#include "io/QXUdpStream.h"

namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;
constexpr int kTimeoutMs = 300;

void onAlarm(int) {}

// SIGALRM at this thread every 2 ms (the runtime's own threads must not
// take it instead), its handler installed without SA_RESTART so that every
// blocking call it lands in fails with EINTR.
class SignalStorm {
public:
    SignalStorm() : target_(pthread_self()) {
        struct sigaction action {};
        action.sa_handler = onAlarm;
        sigemptyset(&action.sa_mask);
        sigaction(SIGALRM, &action, &previous_);
        sender_ = std::thread([this] {
            while (!stop_) {
                pthread_kill(target_, SIGALRM);
                timespec pause{0, 2 * 1000000L};
                nanosleep(&pause, nullptr);
            }
        });
    }
    ~SignalStorm() {
        stop_ = true;
        sender_.join();
        sigaction(SIGALRM, &previous_, nullptr);
    }

private:
    pthread_t target_;
    std::atomic<bool> stop_{false};
    std::thread sender_;
    struct sigaction previous_ {};
};

struct Connection {
    TCPServer* server = TCPServer::listenOn(0);
    TCPStream* client = nullptr;
    TCPStream* accepted = nullptr;
    Connection() {
        if (!server) return;
        client = TCPStream::connectTo(kLoopback, server->local().port, 0);
        accepted = server->accept(2000);
    }
    ~Connection() {
        release(client);
        release(server);  // and what it accepted
    }
};

class LinuxSockets : public ::testing::Test {
protected:
    void SetUp() override {
        netTimeouts().reset();
        signal(SIGPIPE, SIG_DFL);
    }
    void TearDown() override { netTimeouts().reset(); }
};

TEST_F(LinuxSockets, WaitsLastTheirTimeOutThroughSignals) {
    Connection tcp;
    ASSERT_TRUE(tcp.client && tcp.accepted);
    UDPStream* udp = UDPStream::bindTo(0);
    ASSERT_TRUE(udp);
    netTimeouts().tcpRead = kTimeoutMs;
    SignalStorm storm;

    struct Wait {
        const char* what;
        std::function<bool()> waitsInVain;
    };
    const Wait waits[] = {
        {"TCP read", [&] {
             char byte;
             return tcp.client->read(&byte, 1) == 0 && tcp.client->state() == TCPStream::kFailed;
         }},
        {"accept", [&] { return tcp.server->accept(kTimeoutMs) == nullptr && tcp.server->state() == 0; }},
        {"UDP receive", [&] { return udp->receive(kTimeoutMs) == 0 && udp->errorFlag() == 0; }},
    };
    for (const Wait& wait : waits) {
        const std::uint32_t start = netClock();
        EXPECT_TRUE(wait.waitsInVain()) << wait.what;
        const std::uint32_t elapsed = netClock() - start;
        EXPECT_GE(elapsed, static_cast<std::uint32_t>(kTimeoutMs - 10)) << wait.what;
        EXPECT_LT(elapsed, 5000u) << wait.what;
    }
    release(udp);
}

TEST_F(LinuxSockets, ConnectionsAreMadeOrRefusedThroughSignals) {
    TCPServer* server = TCPServer::listenOn(0);
    ASSERT_TRUE(server);
    const int port = server->local().port;
    SignalStorm storm;
    for (int i = 0; i < 20; ++i) {
        TCPStream* client = TCPStream::connectTo(kLoopback, port, 0);
        EXPECT_TRUE(client) << i;
        TCPStream* accepted = server->accept(2000);
        EXPECT_TRUE(accepted) << i;
        // The stream blocks again once connected: a write goes out whole.
        if (client && accepted) {
            EXPECT_EQ(client->write("abc", 3), 3);
        }
        release(client);
    }
    release(server);
    const std::uint32_t start = netClock();
    EXPECT_EQ(TCPStream::connectTo(kLoopback, port, 0), nullptr) << "nobody listens any more";
    EXPECT_LT(netClock() - start, 2000u);
}

TEST_F(LinuxSockets, BytesKeepFlowingWhileSignalsArrive) {
    Connection tcp;
    ASSERT_TRUE(tcp.client && tcp.accepted);
    UDPStream* sender = UDPStream::bindTo(0);
    UDPStream* receiver = UDPStream::bindTo(0);
    ASSERT_TRUE(sender && receiver);
    SignalStorm storm;

    std::vector<char> sent(1 << 20);
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i * 7 + i / 251);
    std::vector<char> got(sent.size());
    // Each side in turn, a chunk at a time, so that neither waits on a full buffer.
    int total = 0;
    for (std::size_t offset = 0; offset < sent.size(); offset += 16384) {
        ASSERT_EQ(tcp.accepted->write(sent.data() + offset, 16384), 16384);
        total += tcp.client->read(got.data() + offset, 16384);
    }
    EXPECT_EQ(total, static_cast<int>(sent.size()));
    EXPECT_TRUE(got == sent);

    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(sender->write(&i, sizeof i), static_cast<int>(sizeof i));
        sender->send({kLoopback, receiver->local().port});
        ASSERT_EQ(receiver->receive(2000), kLoopback) << i;
        int back = -1;
        EXPECT_EQ(receiver->read(&back, sizeof back), static_cast<int>(sizeof back));
        EXPECT_EQ(back, i);
    }
    release(sender);
    release(receiver);
}

TEST_F(LinuxSockets, WritingToAPeerThatHasGoneFailsTheStreamAndNothingElse) {
    Connection tcp;
    ASSERT_TRUE(tcp.client && tcp.accepted);
    release(tcp.server);  // frees the accepted end: the peer is gone
    tcp.server = nullptr;
    int failedAt = -1;
    for (int i = 0; i < 100 && failedAt < 0; ++i) {
        if (tcp.client->write("0123456789", 10) == 0) failedAt = i;
        timespec pause{0, 10 * 1000000L};
        nanosleep(&pause, nullptr);
    }
    EXPECT_GE(failedAt, 1) << "the first write goes out; the peer's reset fails a later one";
    EXPECT_EQ(tcp.client->state(), TCPStream::kFailed);
    EXPECT_EQ(tcp.client->eof(), -1);
    EXPECT_EQ(tcp.client->avail(), 0);
}

}  // namespace
