#include "netgame/QXNetRoster.h"

#include <algorithm>
#include <limits>
#include <utility>

void QXNetRoster::clear() {
    machines_.clear();
    players_.clear();
}

void QXNetRoster::addMachine(const QXNetMachineInfo& machine) { machines_[machine.id] = machine; }

std::vector<std::uint32_t> QXNetRoster::removeMachine(std::uint32_t id) {
    std::vector<std::uint32_t> gone = playersOf(id);
    for (std::uint32_t player : gone) players_.erase(player);
    machines_.erase(id);
    return gone;
}

const QXNetMachineInfo* QXNetRoster::machine(std::uint32_t id) const {
    auto found = machines_.find(id);
    return found == machines_.end() ? nullptr : &found->second;
}

bool QXNetRoster::addPlayer(const QXNetPlayerInfoRecord& player) {
    auto [at, added] = players_.try_emplace(player.id, player);
    if (!added && at->second.order == 0) at->second.order = player.order;
    return added;
}

bool QXNetRoster::removePlayer(std::uint32_t id) { return players_.erase(id) != 0; }

const QXNetPlayerInfoRecord* QXNetRoster::player(std::uint32_t id) const {
    auto found = players_.find(id);
    return found == players_.end() ? nullptr : &found->second;
}

std::vector<std::uint32_t> QXNetRoster::playersOf(std::uint32_t machine) const {
    std::vector<std::uint32_t> ids;
    for (const auto& [id, player] : players_)
        if (player.machine == machine) ids.push_back(id);
    return ids;
}

std::uint32_t QXNetRoster::nextMachineId() const {
    return machines_.empty() ? 1 : machines_.rbegin()->first + 1;
}

std::uint32_t QXNetRoster::nextOrder() const {
    std::uint32_t highest = 0;
    for (const auto& entry : players_) highest = std::max(highest, entry.second.order);
    return highest + 1;
}

std::uint32_t chooseNetHost(const QXNetRoster& roster) {
    constexpr std::uint32_t kNoOrder = std::numeric_limits<std::uint32_t>::max();
    std::uint32_t best = 0;
    std::pair<std::uint32_t, std::uint32_t> bestKey{kNoOrder, kNoOrder};
    for (const auto& [id, machine] : roster.machines()) {
        std::uint32_t oldest = kNoOrder;
        for (std::uint32_t player : roster.playersOf(id)) {
            const std::uint32_t order = roster.player(player)->order;
            if (order != 0) oldest = std::min(oldest, order);
        }
        const std::pair<std::uint32_t, std::uint32_t> key{oldest, id};
        if (best == 0 || key < bestKey) {
            best = id;
            bestKey = key;
        }
    }
    return best;
}

std::uint32_t makeNetPlayerId(std::uint32_t machine, std::uint32_t serial) {
    if (machine == 0 || machine > kNetMaxMachineId || serial == 0 || serial > 0xFFFF) return 0;
    return machine << 16 | serial;
}
