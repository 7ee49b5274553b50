#pragma once
// The net game module over DirectPlay 4 with its lobby: DirectPlay objects
// are created through COM, the lobby through "dplayx.dll", loaded when the
// module starts. While it runs, the module is the service that hosts, joins
// and chooses games for the net game commands.

#include <windows.h>
#include <dplay.h>
#include <dplobby.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "netgame/QXNetGame.h"
#include "netgame/Win32DPNetGameSession.h"
#include "runtime/QXModule.h"

// A game found by a session enumeration.
struct Win32DPGameRecord {
    GUID instance{};
    std::string name;
    DWORD maxPlayers = 0;
    DWORD currentPlayers = 0;
    DWORD user1 = 0;
    DWORD user2 = 0;
};

// DirectPlay's result when the user cancels one of its own prompts.
constexpr HRESULT kDirectPlayUserCancel = static_cast<HRESULT>(0x88770118);

// The description that opens a new game named `name` (kept by the caller):
// migrating host, no message identifiers, keep-alive, DirectPlay's own
// protocol, optimised for latency.
DPSESSIONDESC2 newGameDescription(const char* name);
// The description that joins the game `instance`.
DPSESSIONDESC2 joinGameDescription(const GUID& instance);
// Enumerates the games reachable through an initialised DirectPlay object
// (any application) into `games`; DirectPlay's result.
HRESULT enumerateGames(IDirectPlay4A& directPlay, DWORD flags, std::vector<Win32DPGameRecord>& games);

class Win32DPNetGame : public QXModule, private QXNetService {
public:
    Win32DPNetGame();

    // Loads the lobby from "dplayx.dll" (failing without it) and makes the
    // net game ready.
    bool startup() override;
    // Stops the game, frees the net game's buffers, COM and the library.
    void shutdown() override;

    // A new DirectPlay object, or none. The first one starts COM on this
    // thread (until the module stops).
    Win32DPPtr<IDirectPlay4A> createDirectPlay();
    // A new DirectPlay object initialised for TCP/IP at `host` (the empty
    // text to host a game), or none.
    Win32DPPtr<IDirectPlay4A> connectTcpIp(const std::string& host);

private:
    using LobbyCreateFn = HRESULT(WINAPI*)(LPGUID, LPDIRECTPLAYLOBBYA*, IUnknown*, LPVOID, DWORD);

    QXNetOpened host(std::string_view gameName) override;
    QXNetOpened join(std::string_view gameName, std::string_view address) override;
    QXNetOpened choose() override;

    // The TCP/IP address of `host` (DirectPlay's address bytes); false when
    // the lobby cannot build one.
    bool tcpIpAddress(const std::string& host, std::vector<std::uint8_t>& address) const;
    void unload();

    HMODULE library_ = nullptr;
    LobbyCreateFn lobbyCreate_ = nullptr;
    bool comStarted_ = false;
};

extern Win32DPNetGame theWin32DPNetGame;
