// The net game module on this machine: its start and stop, the DirectPlay
// objects it makes, hosting over DirectPlay (which works where DirectPlay can
// open sessions, and otherwise fails with 0 and no game), joining a game
// that is not there, the reading of DirectPlay's system messages, and the
// connection dialog opened hidden. Traffic goes to 127.0.0.1 only.

#include <windows.h>
#include <dplay.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "StreamTestSupport.h"
#include "TestSupport.h"
#include "netgame/QXNetGame.h"
#include "netgame/win32/Win32DPNetGame.h"
#include "netgame/win32/Win32DPNetGameDialog.h"
#include "netgame/win32/Win32DPNetGameSession.h"

namespace {
namespace dp {
QX_TEST_COMMAND(int, HostNetGame, "%HostNetGame$game_name", (QXString * name), (name))
QX_TEST_COMMAND(int, JoinNetGame, "%JoinNetGame$game_name$ip_address", (QXString * name, QXString* address),
                (name, address))
QX_TEST_COMMAND(void, StopNetGame, "StopNetGame", (), ())
QX_TEST_COMMAND(int, CreateNetPlayer, "%CreateNetPlayer$name", (QXString * name), (name))
QX_TEST_COMMAND(int, SendNetMsg, "%SendNetMsg%type$msg%from_player%to_player=0%reliable=1",
                (int type, QXString* text, int from, int to, int reliable), (type, text, from, to, reliable))
QX_TEST_COMMAND(int, RecvNetMsg, "%RecvNetMsg", (), ())
}  // namespace dp

class NetGameModule : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(startModule(&theWin32DPNetGame)); }
    void TearDown() override { stopModule(&theWin32DPNetGame); }
};

std::string windowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string comboItem(HWND combo, int index) {
    char text[256] = {};
    if (SendMessageA(combo, CB_GETLBTEXTLEN, index, 0) >= static_cast<LRESULT>(sizeof text)) return "(too long)";
    SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}
}  // namespace

TEST_F(NetGameModule, StartsServesTheCommandsAndStopsClean) {
    EXPECT_NE(netGame().service(), nullptr);
    EXPECT_FALSE(netGame().started());
    EXPECT_EQ(netGame().sendBufferBytes(), QXNetGame::kInitialBufferBytes);
    EXPECT_EQ(netGame().receiveBufferBytes(), QXNetGame::kInitialBufferBytes);
    stopModule(&theWin32DPNetGame);
    EXPECT_EQ(netGame().service(), nullptr);
    EXPECT_EQ(netGame().sendBufferBytes(), 0u);
    EXPECT_EQ(netGame().receiveBufferBytes(), 0u);
    Arg name("after stop");
    EXPECT_EQ(dp::HostNetGame(name), 0) << "no module, no game";
    ASSERT_TRUE(startModule(&theWin32DPNetGame));
    EXPECT_NE(netGame().service(), nullptr);
}

TEST_F(NetGameModule, MakesDirectPlayObjectsAndTcpIpConnections) {
    EXPECT_TRUE(theWin32DPNetGame.createDirectPlay());
    EXPECT_TRUE(theWin32DPNetGame.connectTcpIp("127.0.0.1"));
    EXPECT_TRUE(theWin32DPNetGame.connectTcpIp("")) << "the address that hosting uses";
    EXPECT_FALSE(theWin32DPNetGame.connectTcpIp(std::string(300, '1'))) << "longer than an address holds";
}

TEST_F(NetGameModule, HostingGivesAGameOrFailsCleanly) {
    Arg name("qx unit test game");
    Arg player("host player");
    for (int round = 0; round < 3; ++round) {
        const int result = netGame().begin(theWin32DPNetGame.hostDirectPlay("qx unit test game"));
        if (result == kNetCreated) {
            EXPECT_TRUE(netGame().started());
            EXPECT_TRUE(netGame().isHost());
            const int id = dp::CreateNetPlayer(player);
            EXPECT_NE(id, 0);
            EXPECT_EQ(dp::SendNetMsg(1, name, id, 0, 1), 1);
            while (dp::RecvNetMsg()) {
            }
            dp::StopNetGame();
            continue;
        }
        // DirectPlay without sessions (Wine's): no game, and the commands say so.
        EXPECT_EQ(result, 0);
        EXPECT_FALSE(netGame().started());
        EXPECT_EQ(runtimeErrorOf([&] { dp::CreateNetPlayer(player); }), "Multiplayer game not started");
    }
    EXPECT_FALSE(netGame().started());
}

TEST_F(NetGameModule, JoiningAGameThatIsNotThereGivesZeroInBoundedTime) {
    Arg name("no such game");
    Arg address("127.0.0.1");
    const DWORD start = GetTickCount();
    EXPECT_EQ(dp::JoinNetGame(name, address), 0);
    EXPECT_LT(GetTickCount() - start, 20000u);
    EXPECT_FALSE(netGame().started());
}

TEST(NetGameDirectPlayMessages, SystemMessagesAreReadWithinTheirBytes) {
    using Kind = QXNetSystemEvent::Kind;
    struct {
        DPMSG_CREATEPLAYERORGROUP message;
        char names[8];
    } created{};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&created);
    created.message.dwType = DPSYS_CREATEPLAYERORGROUP;
    created.message.dwPlayerType = DPPLAYERTYPE_PLAYER;
    created.message.dpId = 77;
    std::strcpy(created.names, "zoe");
    created.message.dpnName.lpszShortNameA = created.names;
    QXNetSystemEvent event = readDirectPlaySystemMessage(bytes, sizeof created);
    EXPECT_EQ(event.kind, Kind::PlayerCreated);
    EXPECT_EQ(event.player, 77u);
    EXPECT_EQ(event.name, "zoe");

    // Names outside the bytes, or running past them, are not read.
    static char elsewhere[] = "outside";
    created.message.dpnName.lpszShortNameA = elsewhere;
    EXPECT_EQ(readDirectPlaySystemMessage(bytes, sizeof created).name, "");
    created.message.dpnName.lpszShortNameA = created.names;
    std::memset(created.names, 'x', sizeof created.names);
    event = readDirectPlaySystemMessage(bytes, sizeof created);
    EXPECT_EQ(event.kind, Kind::PlayerCreated);
    EXPECT_EQ(event.name, "");
    // Cut short: without the identifier there is no player; without the name, no name.
    EXPECT_EQ(readDirectPlaySystemMessage(bytes, offsetof(DPMSG_CREATEPLAYERORGROUP, dpId) + 3).kind, Kind::Other);
    event = readDirectPlaySystemMessage(bytes, offsetof(DPMSG_CREATEPLAYERORGROUP, dpnName));
    EXPECT_EQ(event.kind, Kind::PlayerCreated);
    EXPECT_EQ(event.name, "");
    created.message.dwPlayerType = DPPLAYERTYPE_GROUP;
    EXPECT_EQ(readDirectPlaySystemMessage(bytes, sizeof created).kind, Kind::Other) << "groups are no players";

    DPMSG_DESTROYPLAYERORGROUP destroyed{};
    destroyed.dwType = DPSYS_DESTROYPLAYERORGROUP;
    destroyed.dwPlayerType = DPPLAYERTYPE_PLAYER;
    destroyed.dpId = 78;
    const auto* destroyedBytes = reinterpret_cast<const std::uint8_t*>(&destroyed);
    event = readDirectPlaySystemMessage(destroyedBytes, sizeof destroyed);
    EXPECT_EQ(event.kind, Kind::PlayerDestroyed);
    EXPECT_EQ(event.player, 78u);
    EXPECT_EQ(readDirectPlaySystemMessage(destroyedBytes, 8).kind, Kind::Other);

    DWORD type = DPSYS_SESSIONLOST;
    const auto* typeBytes = reinterpret_cast<const std::uint8_t*>(&type);
    EXPECT_EQ(readDirectPlaySystemMessage(typeBytes, 4).kind, Kind::SessionLost);
    type = DPSYS_HOST;
    EXPECT_EQ(readDirectPlaySystemMessage(typeBytes, 4).kind, Kind::BecameHost);
    EXPECT_EQ(readDirectPlaySystemMessage(typeBytes, 3).kind, Kind::Other);
    type = DPSYS_SETPLAYERORGROUPNAME;
    EXPECT_EQ(readDirectPlaySystemMessage(typeBytes, 4).kind, Kind::Other);
    EXPECT_EQ(readDirectPlaySystemMessage(nullptr, 0).kind, Kind::Other);
}

TEST_F(NetGameModule, TheDialogOpensOnItsConnectionsAndCancels) {
    const std::vector<WORD> words = netGameDialogTemplate();
    ASSERT_GT(words.size(), 9u);
    EXPECT_EQ(words[4], 8) << "eight controls";
    EXPECT_EQ(words[7], 190);
    EXPECT_EQ(words[8], 199);

    Win32DPNetGameDialog dialog(theWin32DPNetGame);
    HWND window = dialog.createHidden();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(windowText(window), "Start Multiplayer Game");
    EXPECT_EQ(windowText(GetDlgItem(window, Win32DPNetGameDialog::kCreateButton)), "Create new game");
    EXPECT_EQ(windowText(GetDlgItem(window, Win32DPNetGameDialog::kCancelButton)), "Cancel");

    HWND connections = GetDlgItem(window, Win32DPNetGameDialog::kConnectionList);
    ASSERT_GE(SendMessageA(connections, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(comboItem(connections, 0), "<no connection>");
    EXPECT_EQ(SendMessageA(connections, CB_GETCURSEL, 0, 0), 0);
    // Wine and Windows both set up DirectPlay's TCP/IP connection.
    EXPECT_GE(SendMessageA(connections, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>("Internet TCP/IP Connection For DirectPlay")),
              1);
    for (int id : {Win32DPNetGameDialog::kGameList, Win32DPNetGameDialog::kCreateButton,
                   Win32DPNetGameDialog::kNameField})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, id))) << id;

    // Choosing "<no connection>" keeps everything off.
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(Win32DPNetGameDialog::kConnectionList, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(connections));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, Win32DPNetGameDialog::kCreateButton)));

    HWND cancel = GetDlgItem(window, Win32DPNetGameDialog::kCancelButton);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(Win32DPNetGameDialog::kCancelButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(cancel));
    EXPECT_EQ(dialog.result(), kNetNoGame);
    EXPECT_FALSE(IsWindowVisible(window));
}
