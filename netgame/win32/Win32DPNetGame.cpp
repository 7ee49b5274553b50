#include "netgame/win32/Win32DPNetGame.h"

#include <objbase.h>

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

#include "events/QXEventDriver.h"
#include "netgame/win32/Win32DPNetGameDialog.h"

namespace {
constexpr GUID kDirectPlayClass = {0xD1EB6D20, 0x8923, 0x11D0, {0x9D, 0x97, 0x00, 0xA0, 0xC9, 0x0A, 0x43, 0xCB}};
constexpr GUID kDirectPlay4A = {0x0AB1C531, 0x4745, 0x11D1, {0xA7, 0xA1, 0x00, 0x00, 0xF8, 0x03, 0xAB, 0xFC}};
// The lobby's ANSI interface, matching the ANSI address text: the wide one
// refuses ANSI address data on some DirectPlay implementations.
constexpr GUID kDirectPlayLobby3A = {0x2DB72491, 0x652C, 0x11D1, {0xA7, 0xA8, 0x00, 0x00, 0xF8, 0x03, 0xAB, 0xFC}};
// DirectPlay's TCP/IP service provider and its internet address (ANSI text).
// This is the identifier DirectPlay registers for its TCP/IP provider (the
// one EnumConnections reports); {55E95EE0-8E26-11CF-960C-0080C7534E82} names
// no provider, and CreateAddress with it gives an address that
// InitializeConnection refuses.
constexpr GUID kTcpIpProvider = {0x36E95EE0, 0x8577, 0x11CF, {0x96, 0x0C, 0x00, 0x80, 0xC7, 0x53, 0x4E, 0x82}};
constexpr GUID kInternetAddress = {0xC4A54DA0, 0xE0AF, 0x11CF, {0x9C, 0x4E, 0x00, 0xA0, 0xC9, 0x05, 0x42, 0x5E}};

constexpr DWORD kAddressBytes = 256;
constexpr DWORD kNewGameFlags = DPSESSION_MIGRATEHOST | DPSESSION_NOMESSAGEID | DPSESSION_KEEPALIVE |
                                DPSESSION_DIRECTPLAYPROTOCOL | DPSESSION_OPTIMIZELATENCY;
static_assert(kNewGameFlags == 0xA04C);
static_assert(sizeof(DPSESSIONDESC2) == 80);

BOOL CALLBACK addGame(LPCDPSESSIONDESC2 description, LPDWORD, DWORD flags, LPVOID context) {
    // The enumeration ends with the time-out call; going on would start
    // another round.
    if ((flags & DPESC_TIMEDOUT) || !description) return FALSE;
    try {
        Win32DPGameRecord game;
        game.instance = description->guidInstance;
        game.name = description->lpszSessionNameA ? description->lpszSessionNameA : "";
        game.maxPlayers = description->dwMaxPlayers;
        game.currentPlayers = description->dwCurrentPlayers;
        game.user1 = description->dwUser1;
        game.user2 = description->dwUser2;
        static_cast<std::vector<Win32DPGameRecord>*>(context)->push_back(std::move(game));
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}

// Messages the game holds back to send together leave before the program
// waits or polls, so that none waits behind a pause.
void flushNetGame() { netGame().flush(); }

// The text up to its first zero byte, as DirectPlay reads it.
std::string cText(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }
}  // namespace

DPSESSIONDESC2 newGameDescription(const char* name) {
    DPSESSIONDESC2 description{};
    description.dwSize = sizeof description;
    description.dwFlags = kNewGameFlags;
    description.lpszSessionNameA = const_cast<char*>(name);
    return description;
}

DPSESSIONDESC2 joinGameDescription(const GUID& instance) {
    DPSESSIONDESC2 description{};
    description.dwSize = sizeof description;
    description.guidInstance = instance;
    return description;
}

HRESULT enumerateGames(IDirectPlay4A& directPlay, DWORD flags, std::vector<Win32DPGameRecord>& games) {
    DPSESSIONDESC2 description{};
    description.dwSize = sizeof description;
    return directPlay.EnumSessions(&description, 0, addGame, &games, flags);
}

// ---------------------------------------------------------------- module

Win32DPNetGame::Win32DPNetGame() { registerModule("Win32DPNetGame", nullptr, nullptr); }

QX_MODULE_INSTANCE(Win32DPNetGame, 15);

bool Win32DPNetGame::startup() {
    // Without Winsock the built-in service fails each game it is asked for;
    // without DirectPlay (not installed on current Windows) the dialog
    // offers only the built-in service. Neither stops the program.
    socketsStarted_ = sockets_.start();
    try {
        netGame().open(this);
    } catch (const std::bad_alloc&) {
        unload();
        return false;
    }
    addBeforeWaitHook(flushNetGame);
    return true;
}

void Win32DPNetGame::shutdown() {
    removeBeforeWaitHook(flushNetGame);
    netGame().close();
    unload();
    if (socketsStarted_) sockets_.stop();
    socketsStarted_ = false;
}

Win32DPNetGame::LobbyCreateFn Win32DPNetGame::lobbyCreate() const {
    if (loadTried_) return lobbyCreate_;
    loadTried_ = true;
    library_ = LoadLibraryA(directPlayLibrary_);
    if (library_)
        lobbyCreate_ = reinterpret_cast<LobbyCreateFn>(
            reinterpret_cast<void*>(GetProcAddress(library_, "DirectPlayLobbyCreateA")));
    if (!lobbyCreate_ && library_) {
        FreeLibrary(library_);
        library_ = nullptr;
    }
    return lobbyCreate_;
}

void Win32DPNetGame::unload() {
    if (comStarted_) CoUninitialize();
    comStarted_ = false;
    loadTried_ = false;
    lobbyCreate_ = nullptr;
    if (library_) FreeLibrary(library_);
    library_ = nullptr;
}

// ---------------------------------------------------------------- DirectPlay objects

Win32DPPtr<IDirectPlay4A> Win32DPNetGame::createDirectPlay() {
    if (!lobbyCreate()) return {};
    // COM starts with the first DirectPlay object, not with every program. A
    // thread that already runs COM in another mode can still create objects.
    if (!comStarted_) comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    Win32DPPtr<IDirectPlay4A> directPlay;
    if (FAILED(CoCreateInstance(kDirectPlayClass, nullptr, CLSCTX_ALL, kDirectPlay4A, directPlay.out())))
        directPlay.reset();
    return directPlay;
}

bool Win32DPNetGame::tcpIpAddress(const std::string& host, std::vector<std::uint8_t>& address) const {
    const LobbyCreateFn create = lobbyCreate();
    if (!create) return false;
    IDirectPlayLobbyA* created = nullptr;
    if (FAILED(create(nullptr, &created, nullptr, nullptr, 0)) || !created) return false;
    Win32DPPtr<IDirectPlayLobbyA> lobby(created);
    Win32DPPtr<IDirectPlayLobby3A> addresses;
    if (FAILED(lobby->QueryInterface(kDirectPlayLobby3A, addresses.out())) || !addresses) return false;
    address.assign(kAddressBytes, 0);
    DWORD size = kAddressBytes;
    if (FAILED(addresses->CreateAddress(kTcpIpProvider, kInternetAddress, host.c_str(),
                                        static_cast<DWORD>(host.size() + 1), address.data(), &size)))
        return false;
    address.resize(std::min<DWORD>(size, kAddressBytes));
    return true;
}

Win32DPPtr<IDirectPlay4A> Win32DPNetGame::connectTcpIp(const std::string& host) {
    Win32DPPtr<IDirectPlay4A> directPlay = createDirectPlay();
    std::vector<std::uint8_t> address;
    if (!directPlay || !tcpIpAddress(host, address)) return {};
    if (FAILED(directPlay->InitializeConnection(address.data(), 0))) return {};
    return directPlay;
}

// ---------------------------------------------------------------- the service

QXNetOpened Win32DPNetGame::host(std::string_view gameName) {
    if (!socketsStarted_) return {};
    return hostNodeGame(sockets_, gameName);
}

QXNetOpened Win32DPNetGame::join(std::string_view gameName, std::string_view address) {
    if (!socketsStarted_) return {};
    return joinNodeGame(sockets_, gameName, address);
}

QXNetOpened Win32DPNetGame::hostDirectPlay(std::string_view gameName) {
    Win32DPPtr<IDirectPlay4A> directPlay = connectTcpIp("");
    if (!directPlay) return {};
    const std::string name = cText(gameName);
    DPSESSIONDESC2 description = newGameDescription(name.c_str());
    if (FAILED(directPlay->Open(&description, DPOPEN_CREATE))) return {};
    return {kNetCreated, std::make_unique<Win32DPNetGameSession>(std::move(directPlay))};
}

QXNetOpened Win32DPNetGame::joinDirectPlay(std::string_view gameName, std::string_view address) {
    Win32DPPtr<IDirectPlay4A> directPlay = connectTcpIp(cText(address));
    if (!directPlay) return {};
    std::vector<Win32DPGameRecord> games;
    if (FAILED(enumerateGames(*directPlay, 0, games))) return {};
    const std::string name = cText(gameName);
    auto game = std::find_if(games.begin(), games.end(), [&](const Win32DPGameRecord& g) { return g.name == name; });
    if (game == games.end()) return {};
    DPSESSIONDESC2 description = joinGameDescription(game->instance);
    if (FAILED(directPlay->Open(&description, DPOPEN_JOIN))) return {};
    return {kNetJoined, std::make_unique<Win32DPNetGameSession>(std::move(directPlay))};
}

QXNetOpened Win32DPNetGame::choose() {
    Win32DPNetGameDialog dialog(*this);
    return dialog.run();
}
