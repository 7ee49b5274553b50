#include "netgame/win32/Win32DPNetGameSession.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>

namespace {
constexpr DWORD kReceiveAll = DPRECEIVE_ALL;

// The text at `text` if it lies wholly inside the message bytes, else empty.
std::string nameInside(const char* text, const std::uint8_t* bytes, std::size_t size) {
    const auto at = reinterpret_cast<std::uintptr_t>(text);
    const auto begin = reinterpret_cast<std::uintptr_t>(bytes);
    if (!text || at < begin || at - begin >= size) return {};
    const void* zero = std::memchr(text, 0, size - (at - begin));
    if (!zero) return {};
    return std::string(text, static_cast<const char*>(zero));
}

// A field of type T at `offset`, when the message is long enough to hold it.
template <class T> bool fieldAt(const std::uint8_t* bytes, std::size_t size, std::size_t offset, T& value) {
    if (offset > size || size - offset < sizeof(T)) return false;
    std::memcpy(&value, bytes + offset, sizeof(T));
    return true;
}

QXNetSystemEvent playerCreated(const std::uint8_t* bytes, std::size_t size) {
    QXNetSystemEvent event;
    DWORD playerType = 0;
    DPID id = 0;
    if (!fieldAt(bytes, size, offsetof(DPMSG_CREATEPLAYERORGROUP, dwPlayerType), playerType) ||
        !fieldAt(bytes, size, offsetof(DPMSG_CREATEPLAYERORGROUP, dpId), id) || playerType != DPPLAYERTYPE_PLAYER)
        return event;
    event.kind = QXNetSystemEvent::Kind::PlayerCreated;
    event.player = id;
    const char* shortName = nullptr;
    constexpr std::size_t kShortName = offsetof(DPMSG_CREATEPLAYERORGROUP, dpnName) + offsetof(DPNAME, lpszShortNameA);
    if (fieldAt(bytes, size, kShortName, shortName)) event.name = nameInside(shortName, bytes, size);
    return event;
}

QXNetSystemEvent playerDestroyed(const std::uint8_t* bytes, std::size_t size) {
    QXNetSystemEvent event;
    DWORD playerType = 0;
    DPID id = 0;
    if (fieldAt(bytes, size, offsetof(DPMSG_DESTROYPLAYERORGROUP, dwPlayerType), playerType) &&
        fieldAt(bytes, size, offsetof(DPMSG_DESTROYPLAYERORGROUP, dpId), id) && playerType == DPPLAYERTYPE_PLAYER) {
        event.kind = QXNetSystemEvent::Kind::PlayerDestroyed;
        event.player = id;
    }
    return event;
}

struct PlayerListing {
    std::vector<QXNetPlayerInfo>& players;
    bool complete = true;
};

BOOL CALLBACK addListedPlayer(DPID id, DWORD type, LPCDPNAME name, DWORD, LPVOID context) {
    // Nothing may unwind through DirectPlay: a player that cannot be listed
    // ends the listing and fails it.
    auto& listing = *static_cast<PlayerListing*>(context);
    if (type != DPPLAYERTYPE_PLAYER) return TRUE;
    try {
        listing.players.push_back({id, name && name->lpszShortNameA ? name->lpszShortNameA : ""});
    } catch (...) {
        listing.complete = false;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

QXNetSystemEvent readDirectPlaySystemMessage(const std::uint8_t* bytes, std::size_t size) {
    DWORD type = 0;
    if (!bytes || !fieldAt(bytes, size, 0, type)) return {};
    QXNetSystemEvent event;
    switch (type) {
    case DPSYS_CREATEPLAYERORGROUP:
        return playerCreated(bytes, size);
    case DPSYS_DESTROYPLAYERORGROUP:
        return playerDestroyed(bytes, size);
    case DPSYS_SESSIONLOST:
        event.kind = QXNetSystemEvent::Kind::SessionLost;
        break;
    case DPSYS_HOST:
        event.kind = QXNetSystemEvent::Kind::BecameHost;
        break;
    default:
        break;
    }
    return event;
}

Win32DPNetGameSession::Win32DPNetGameSession(Win32DPPtr<IDirectPlay4A> directPlay)
    : directPlay_(std::move(directPlay)) {}

Win32DPNetGameSession::~Win32DPNetGameSession() {
    if (directPlay_) directPlay_->Close();
}

bool Win32DPNetGameSession::createPlayer(std::string_view name, QXNetPlayerId& id) {
    std::string shortName(name);
    DPNAME playerName{};
    playerName.dwSize = sizeof playerName;
    playerName.lpszShortNameA = shortName.data();
    DPID created = 0;
    if (FAILED(directPlay_->CreatePlayer(&created, &playerName, nullptr, nullptr, 0, 0))) return false;
    id = created;
    return true;
}

void Win32DPNetGameSession::destroyPlayer(QXNetPlayerId id) { directPlay_->DestroyPlayer(id); }

bool Win32DPNetGameSession::listPlayers(std::vector<QXNetPlayerInfo>& players) {
    PlayerListing listing{players};
    return SUCCEEDED(directPlay_->EnumPlayers(nullptr, addListedPlayer, &listing, 0)) && listing.complete;
}

bool Win32DPNetGameSession::send(QXNetPlayerId from, QXNetPlayerId to, bool reliable, const std::uint8_t* bytes,
                                 std::size_t size) {
    if (size > std::numeric_limits<DWORD>::max()) return false;
    const DWORD flags = reliable ? DPSEND_GUARANTEED : 0;
    return SUCCEEDED(directPlay_->Send(from, to, flags, const_cast<std::uint8_t*>(bytes), static_cast<DWORD>(size)));
}

QXNetReceipt Win32DPNetGameSession::receive(std::uint8_t* buffer, std::size_t capacity) {
    QXNetReceipt receipt;
    DPID from = 0;
    DPID to = 0;
    DWORD size = static_cast<DWORD>(std::min<std::size_t>(capacity, std::numeric_limits<DWORD>::max()));
    const HRESULT result = directPlay_->Receive(&from, &to, kReceiveAll, buffer, &size);
    if (result == DPERR_BUFFERTOOSMALL) {
        receipt.status = QXNetReceipt::Status::BufferTooSmall;
        receipt.size = size;
    } else if (SUCCEEDED(result)) {
        receipt.status = QXNetReceipt::Status::Received;
        receipt.from = from;
        receipt.to = to;
        receipt.size = size;
    }
    return receipt;
}

bool Win32DPNetGameSession::discardNext() {
    // DirectPlay hands out a message only whole: it is received into scratch
    // memory and thrown away.
    DPID from = 0;
    DPID to = 0;
    DWORD size = 0;
    if (directPlay_->Receive(&from, &to, kReceiveAll, nullptr, &size) != DPERR_BUFFERTOOSMALL || size == 0)
        return false;
    std::unique_ptr<std::uint8_t[]> scratch(new (std::nothrow) std::uint8_t[size]);
    return scratch && SUCCEEDED(directPlay_->Receive(&from, &to, kReceiveAll, scratch.get(), &size));
}

QXNetSystemEvent Win32DPNetGameSession::systemEvent(const std::uint8_t* bytes, std::size_t size) {
    return readDirectPlaySystemMessage(bytes, size);
}
