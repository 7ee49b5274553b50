#pragma once
// Who is in a game of the built-in service: the machines (with the
// addresses a new host is reached at) and the players, each with the join
// order the host gave it. The host decision after the host has gone is made
// from this alone, so every machine that holds the same roster picks the
// same new host without asking anyone.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "netgame/QXNetProtocol.h"

class QXNetRoster {
public:
    void clear();

    // Adds or updates a machine.
    void addMachine(const QXNetMachineInfo& machine);
    // Forgets a machine and its players; the identifiers of those players.
    std::vector<std::uint32_t> removeMachine(std::uint32_t id);
    const QXNetMachineInfo* machine(std::uint32_t id) const;
    const std::map<std::uint32_t, QXNetMachineInfo>& machines() const { return machines_; }

    // Adds a player; a known one only takes the join order when it had none.
    // False when the player was known already.
    bool addPlayer(const QXNetPlayerInfoRecord& player);
    bool removePlayer(std::uint32_t id);
    const QXNetPlayerInfoRecord* player(std::uint32_t id) const;
    const std::map<std::uint32_t, QXNetPlayerInfoRecord>& players() const { return players_; }
    std::vector<std::uint32_t> playersOf(std::uint32_t machine) const;
    std::size_t playerCountOf(std::uint32_t machine) const;

    // The identifiers a host hands out next: one above the highest known
    // (join orders: above the highest ever given, without walking players).
    std::uint32_t nextMachineId() const;
    std::uint32_t nextOrder() const { return highestOrder_ + 1; }

private:
    void forget(std::map<std::uint32_t, QXNetPlayerInfoRecord>::iterator player);

    std::map<std::uint32_t, QXNetMachineInfo> machines_;
    std::map<std::uint32_t, QXNetPlayerInfoRecord> players_;
    std::map<std::uint32_t, std::size_t> playerCounts_;  // by machine
    std::uint32_t highestOrder_ = 0;
};

// The machine that hosts once the host has gone (and been removed from the
// roster): the machine of the player that joined first; machines whose
// players have no join order yet, or that have no players, come after all
// others, the lowest machine identifier (the oldest machine) first. 0 when
// no machine is left.
std::uint32_t chooseNetHost(const QXNetRoster& roster);

// Player identifiers: the machine in the high 16 bits, the machine's own
// count (1 to 65535) in the low ones, so they are unique in the game without
// asking the host and never 0. 0 when either part is out of range.
constexpr std::uint32_t kNetMaxMachineId = 0xFFFF;
std::uint32_t makeNetPlayerId(std::uint32_t machine, std::uint32_t serial);
constexpr std::uint32_t netPlayerMachine(std::uint32_t player) { return player >> 16; }
