#pragma once
// The net game module. While it runs it is the service that hosts, joins
// and chooses games for the net game commands: HostNetGame and JoinNetGame
// use the built-in game service over Winsock (QXNetNode); the dialog offers
// that service first and DirectPlay 4's connections after it, where
// "dplayx.dll" is present. DirectPlay objects are created through COM, the
// lobby through "dplayx.dll", loaded (if it is there) when the module starts.

#include <windows.h>
#include <dplay.h>
#include <dplobby.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "netgame/QXNetGame.h"
#include "netgame/win32/Win32DPNetGameSession.h"
#include "netgame/win32/Win32NetSockets.h"
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

    // Starts Winsock for the built-in service and makes the net game ready.
    // DirectPlay's library is loaded when first needed, not here.
    bool startup() override;
    // Stops the game, frees the net game's buffers, COM and the library.
    void shutdown() override;

    // The library DirectPlay is loaded from after the next start (tests name
    // one that is missing to see the module run without DirectPlay).
    void setDirectPlayLibrary(const char* name) { directPlayLibrary_ = name; }
    // Where the dialog looks for games of the built-in service: the local
    // network's broadcast address and this machine, unless tests say else.
    void setDiscoveryTargets(std::vector<std::uint32_t> targets) { discoveryTargets_ = std::move(targets); }
    const std::vector<std::uint32_t>& discoveryTargets() const { return discoveryTargets_; }
    // True when DirectPlay's lobby can be had (the first ask loads it).
    bool hasDirectPlay() const { return lobbyCreate() != nullptr; }
    // True once something has asked for DirectPlay since the start (for tests).
    bool triedDirectPlay() const { return loadTried_; }
    // The sockets of the built-in service.
    Win32NetSockets& sockets() { return sockets_; }

    // A new DirectPlay object, or none (always none without DirectPlay). The first one starts COM on this
    // thread (until the module stops).
    Win32DPPtr<IDirectPlay4A> createDirectPlay();
    // A new DirectPlay object initialised for TCP/IP at `host` (the empty
    // text to host a game), or none.
    Win32DPPtr<IDirectPlay4A> connectTcpIp(const std::string& host);
    // Hosting and joining over DirectPlay's TCP/IP connection, for where
    // DirectPlay is chosen.
    QXNetOpened hostDirectPlay(std::string_view gameName);
    QXNetOpened joinDirectPlay(std::string_view gameName, std::string_view address);

private:
    using LobbyCreateFn = HRESULT(WINAPI*)(LPGUID, LPDIRECTPLAYLOBBYA*, IUnknown*, LPVOID, DWORD);

    QXNetOpened host(std::string_view gameName) override;
    QXNetOpened join(std::string_view gameName, std::string_view address) override;
    QXNetOpened choose() override;

    // The TCP/IP address of `host` (DirectPlay's address bytes); false when
    // the lobby cannot build one.
    bool tcpIpAddress(const std::string& host, std::vector<std::uint8_t>& address) const;
    // The lobby's constructor, loading DirectPlay's library at the first
    // call after a start; null where it is missing.
    LobbyCreateFn lobbyCreate() const;
    void unload();

    Win32NetSockets sockets_;
    const char* directPlayLibrary_ = "dplayx.dll";
    std::vector<std::uint32_t> discoveryTargets_{0xFFFFFFFFu, 0x7F000001u};
    bool socketsStarted_ = false;
    // Loaded at first use: most programs never touch DirectPlay.
    mutable bool loadTried_ = false;
    mutable HMODULE library_ = nullptr;
    mutable LobbyCreateFn lobbyCreate_ = nullptr;
    bool comStarted_ = false;
};

extern Win32DPNetGame theWin32DPNetGame;
