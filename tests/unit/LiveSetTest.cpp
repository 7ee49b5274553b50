#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <unordered_set>
#include <vector>

#include "runtime/QXLiveSet.h"

namespace {

const void* address(std::uintptr_t value) { return reinterpret_cast<const void*>(value); }

// Every member the reference holds is found, forEach yields exactly them, and
// the sizes agree: a slip in backward-shift deletion strands a member.
void expectSameMembers(const QXLiveSet& set, const std::unordered_set<std::uintptr_t>& reference) {
    ASSERT_EQ(set.size(), reference.size());
    for (std::uintptr_t key : reference) ASSERT_TRUE(set.contains(address(key))) << key;
    std::size_t visited = 0;
    set.forEach([&](const void* member) {
        ++visited;
        EXPECT_EQ(reference.count(reinterpret_cast<std::uintptr_t>(member)), 1u);
    });
    EXPECT_EQ(visited, reference.size());
}

// Random inserts and erases over a pool of keys, checked against std::unordered_set.
void runAgainstReference(std::size_t initialSlots, const std::vector<std::uintptr_t>& pool, int steps,
                         unsigned seed) {
    QXLiveSet set(initialSlots);
    std::unordered_set<std::uintptr_t> reference;
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> pick(0, pool.size() - 1);
    for (int step = 0; step < steps; ++step) {
        std::uintptr_t key = pool[pick(random)];
        bool present = reference.count(key) != 0;
        ASSERT_EQ(set.contains(address(key)), present) << "step " << step;
        if (random() % 2) {
            ASSERT_EQ(set.insert(address(key)), !present);
            reference.insert(key);
        } else {
            ASSERT_EQ(set.erase(address(key)), present);
            reference.erase(key);
        }
        if (step % 97 == 0) {
            ASSERT_NO_FATAL_FAILURE(expectSameMembers(set, reference)) << "step " << step;
        }
    }
    ASSERT_NO_FATAL_FAILURE(expectSameMembers(set, reference));
    for (std::uintptr_t key : std::vector<std::uintptr_t>(reference.begin(), reference.end())) {
        ASSERT_TRUE(set.erase(address(key)));
        reference.erase(key);
        ASSERT_FALSE(set.contains(address(key)));
    }
    EXPECT_EQ(set.size(), 0u);
}

std::vector<std::uintptr_t> randomAlignedKeys(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uintptr_t> keys;
    while (keys.size() < count)
        if (std::uintptr_t key = random() & ~std::uintptr_t{7}) keys.push_back(key);
    return keys;
}

std::vector<std::uintptr_t> heapLikeKeys(std::size_t count, std::uintptr_t base, std::uintptr_t stride) {
    std::vector<std::uintptr_t> keys;
    for (std::size_t i = 0; i < count; ++i) keys.push_back(base + i * stride);
    return keys;
}

TEST(LiveSet, MatchesReferenceInSmallTablesWithWrapAround) {
    // Eight slots and up to 24 members: runs cross the table end all the time.
    ASSERT_NO_FATAL_FAILURE(runAgainstReference(8, randomAlignedKeys(24, 1), 200000, 11));
    ASSERT_NO_FATAL_FAILURE(runAgainstReference(8, heapLikeKeys(24, 0x00A10000, 16), 200000, 12));
    ASSERT_NO_FATAL_FAILURE(runAgainstReference(16, heapLikeKeys(12, 0x7FFF0000, 8), 100000, 13));
}

TEST(LiveSet, MatchesReferenceWhileGrowing) {
    QXLiveSet set(8);
    std::unordered_set<std::uintptr_t> reference;
    for (std::uintptr_t key : heapLikeKeys(20000, 0x01000000, 24)) {
        ASSERT_TRUE(set.insert(address(key)));
        reference.insert(key);
    }
    EXPECT_GE(set.slotCount(), 2 * set.size()) << "stays at most half full";
    ASSERT_NO_FATAL_FAILURE(expectSameMembers(set, reference));
    ASSERT_NO_FATAL_FAILURE(runAgainstReference(8, randomAlignedKeys(5000, 2), 300000, 14));
}

TEST(LiveSet, NullIsNeverAMember) {
    QXLiveSet set;
    EXPECT_FALSE(set.contains(nullptr)) << "before any table exists";
    EXPECT_FALSE(set.erase(address(8)));
    EXPECT_FALSE(set.insert(nullptr));
    EXPECT_TRUE(set.insert(address(8)));
    EXPECT_FALSE(set.insert(address(8)));
    EXPECT_FALSE(set.erase(nullptr));
    EXPECT_FALSE(set.contains(nullptr));
    EXPECT_EQ(set.size(), 1u);
}

}  // namespace
