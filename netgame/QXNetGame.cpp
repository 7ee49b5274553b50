#include "netgame/QXNetGame.h"

#include <algorithm>
#include <new>
#include <utility>

namespace {
// A session that keeps answering "too small" without asking for more gets
// this many tries.
constexpr int kReceiveAttempts = 4;
}  // namespace

QXNetGame& netGame() {
    static QXNetGame game;
    return game;
}

bool growNetBuffer(std::vector<std::uint8_t>& buffer, std::size_t needed, std::size_t limit) {
    if (needed <= buffer.size()) return true;
    if (needed > limit) return false;
    const std::size_t grown = std::min(needed + needed / 2, limit);
    try {
        buffer.resize(grown);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- lifecycle

void QXNetGame::open(QXNetService* service) {
    stop();
    service_ = service;
    message_ = {};
    sendBuffer_.assign(kInitialBufferBytes, 0);
    receiveBuffer_.assign(kInitialBufferBytes, 0);
}

void QXNetGame::close() {
    stop();
    std::vector<std::uint8_t>().swap(sendBuffer_);
    std::vector<std::uint8_t>().swap(receiveBuffer_);
    service_ = nullptr;
}

int QXNetGame::begin(QXNetOpened opened) {
    players_.clear();
    announcements_.clear();
    if (opened.result == kNetNoGame || !opened.session) return kNetNoGame;
    session_ = std::move(opened.session);
    if (!announceUnknownPlayers()) {
        stop();
        return kNetNoGame;
    }
    host_ = opened.result == kNetCreated;
    return opened.result;
}

void QXNetGame::stop() {
    session_.reset();
    host_ = false;
    players_.clear();
    announcements_.clear();
}

// ---------------------------------------------------------------- players

bool QXNetGame::announceUnknownPlayers() {
    std::vector<QXNetPlayerInfo> listed;
    if (!session_->listPlayers(listed)) return false;
    for (QXNetPlayerInfo& info : listed) {
        if (players_.contains(info.id)) continue;
        players_.emplace(info.id, QXNetPlayer{std::move(info.name), true});
        announcements_.push_back(info.id);
    }
    return true;
}

QXNetPlayerId QXNetGame::createPlayer(std::string_view name) {
    QXNetPlayerId id = 0;
    if (!session_ || !session_->createPlayer(name, id)) return 0;
    players_[id] = QXNetPlayer{std::string(name), false};
    // The first player of this machine learns who else is in the game.
    if (players_.size() == 1 && !announceUnknownPlayers()) {
        session_->destroyPlayer(id);
        players_.erase(id);
        return 0;
    }
    return id;
}

void QXNetGame::deletePlayer(QXNetPlayerId id) {
    if (!session_ || !players_.contains(id)) return;
    session_->destroyPlayer(id);
    players_.erase(id);
}

const QXNetPlayer* QXNetGame::player(QXNetPlayerId id) const {
    auto found = players_.find(id);
    return found == players_.end() ? nullptr : &found->second;
}

// ---------------------------------------------------------------- messages

bool QXNetGame::send(int type, std::string_view text, QXNetPlayerId from, QXNetPlayerId to, bool reliable) {
    if (!session_ || text.size() > kMaxMessageBytes) return false;
    const std::size_t size = netWireSize(text.size());
    if (!growNetBuffer(sendBuffer_, size, kMaxMessageBytes)) return false;
    writeNetWire(sendBuffer_.data(), from, to, type, text);
    return session_->send(from, to, reliable, sendBuffer_.data(), size);
}

void QXNetGame::flush() {
    if (session_) session_->flush();
}

bool QXNetGame::receive() {
    message_ = {};
    if (!session_) return false;
    while (message_.type == 0) {
        if (!announcements_.empty()) {
            message_.from = announcements_.front();
            message_.type = kNetPlayerJoined;
            announcements_.pop_front();
            return true;
        }
        QXNetReceipt receipt;
        const Fetch fetched = fetch(receipt);
        // A message too large to take would block every later one: it goes.
        if (fetched == Fetch::TooLarge) {
            if (!session_->discardNext()) return false;
            continue;
        }
        if (fetched == Fetch::Nothing) return false;
        if (receipt.from == kNetSystemSender)
            takeSystemMessage(receipt.size);
        else
            takeProgramMessage(receipt.size);
    }
    return true;
}

QXNetGame::Fetch QXNetGame::fetch(QXNetReceipt& receipt) {
    for (int attempt = 0; attempt < kReceiveAttempts; ++attempt) {
        receipt = session_->receive(receiveBuffer_.data(), receiveBuffer_.size());
        if (receipt.status == QXNetReceipt::Status::Received) {
            receipt.size = std::min(receipt.size, receiveBuffer_.size());
            return Fetch::Got;
        }
        if (receipt.status != QXNetReceipt::Status::BufferTooSmall || receipt.size <= receiveBuffer_.size())
            return Fetch::Nothing;
        if (!growNetBuffer(receiveBuffer_, receipt.size, kMaxMessageBytes)) return Fetch::TooLarge;
    }
    return Fetch::Nothing;
}

void QXNetGame::takeSystemMessage(std::size_t size) {
    QXNetSystemEvent event = session_->systemEvent(receiveBuffer_.data(), size);
    switch (event.kind) {
    case QXNetSystemEvent::Kind::PlayerCreated:
        if (!players_.contains(event.player)) {
            players_.emplace(event.player, QXNetPlayer{std::move(event.name), true});
            announcements_.push_back(event.player);
        }
        break;
    case QXNetSystemEvent::Kind::PlayerDestroyed:
        if (players_.erase(event.player) != 0) {
            message_.from = event.player;
            message_.type = kNetPlayerLeft;
        }
        break;
    case QXNetSystemEvent::Kind::SessionLost:
        message_.type = kNetConnectionLost;
        break;
    case QXNetSystemEvent::Kind::BecameHost:
        if (!host_) {
            host_ = true;
            message_.type = kNetBecameHost;
        }
        break;
    case QXNetSystemEvent::Kind::Other:
        break;
    }
}

void QXNetGame::takeProgramMessage(std::size_t size) {
    const auto wire = readNetWire(receiveBuffer_.data(), size);
    // Too short to be one of ours: dropped.
    if (!wire || wire->type == 0) return;
    const QXNetPlayer* sender = player(wire->from);
    if (sender && !sender->remote) return;  // one local player to another
    message_.type = wire->type;
    message_.from = wire->from;
    message_.to = wire->to;
    message_.data.assign(wire->text);
}
