#include "netgame/QXNetRoster.h"

#include <algorithm>
#include <limits>
#include <utility>

void QXNetRoster::clear() {
    machines_.clear();
    players_.clear();
    playerCounts_.clear();
    highestOrder_ = 0;
}

void QXNetRoster::addMachine(const QXNetMachineInfo& machine) { machines_[machine.id] = machine; }

std::vector<std::uint32_t> QXNetRoster::removeMachine(std::uint32_t id) {
    std::vector<std::uint32_t> gone = playersOf(id);
    for (std::uint32_t player : gone) forget(players_.find(player));
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
    if (added) ++playerCounts_[player.machine];
    highestOrder_ = std::max(highestOrder_, at->second.order);
    return added;
}

bool QXNetRoster::removePlayer(std::uint32_t id) {
    auto found = players_.find(id);
    if (found == players_.end()) return false;
    forget(found);
    return true;
}

void QXNetRoster::forget(std::map<std::uint32_t, QXNetPlayerInfoRecord>::iterator player) {
    auto count = playerCounts_.find(player->second.machine);
    if (count != playerCounts_.end() && --count->second == 0) playerCounts_.erase(count);
    players_.erase(player);
}

std::size_t QXNetRoster::playerCountOf(std::uint32_t machine) const {
    auto found = playerCounts_.find(machine);
    return found == playerCounts_.end() ? 0 : found->second;
}

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

std::uint32_t chooseNetHost(const QXNetRoster& roster) {
    constexpr std::uint32_t kNoOrder = std::numeric_limits<std::uint32_t>::max();
    // One pass over the players: each machine's oldest join order.
    std::map<std::uint32_t, std::uint32_t> oldestOf;
    for (const auto& [id, player] : roster.players())
        if (player.order != 0) {
            auto [at, added] = oldestOf.try_emplace(player.machine, player.order);
            if (!added) at->second = std::min(at->second, player.order);
        }
    std::uint32_t best = 0;
    std::pair<std::uint32_t, std::uint32_t> bestKey{kNoOrder, kNoOrder};
    for (const auto& [id, machine] : roster.machines()) {
        const auto found = oldestOf.find(id);
        const std::uint32_t oldest = found == oldestOf.end() ? kNoOrder : found->second;
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
