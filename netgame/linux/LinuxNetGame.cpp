// The net game module on Linux: while it runs it is the service behind
// HostNetGame and JoinNetGame, the built-in game service over BSD sockets
// (QXNetNode), so a game can be played with Windows machines. The choosing
// dialog (StartNetGame) and DirectPlay exist only on Windows.

#include <new>
#include <string_view>

#include "events/QXEventDriver.h"
#include "netgame/QXNetGame.h"
#include "netgame/QXNetNode.h"
#include "netgame/linux/LinuxNetSockets.h"
#include "runtime/QXModule.h"

namespace {
// Messages the game holds back to send together leave before the program
// waits or polls, so that none waits behind a pause.
void flushNetGame() { netGame().flush(); }
}  // namespace

class LinuxNetGame : public QXModule, private QXNetService {
public:
    LinuxNetGame() { registerModule("LinuxNetGame", nullptr, nullptr); }

    bool startup() override {
        try {
            netGame().open(this);
        } catch (const std::bad_alloc&) {
            return false;
        }
        addBeforeWaitHook(flushNetGame);
        return true;
    }

    void shutdown() override {
        removeBeforeWaitHook(flushNetGame);
        netGame().close();
    }

private:
    QXNetOpened host(std::string_view gameName) override { return hostNodeGame(sockets_, gameName); }
    QXNetOpened join(std::string_view gameName, std::string_view address) override {
        return joinNodeGame(sockets_, gameName, address);
    }
    // Never asked: StartNetGame stops the program with its runtime error here.
    QXNetOpened choose() override { return {}; }

    LinuxNetSockets sockets_;
};

QX_MODULE_INSTANCE(LinuxNetGame, 15);
