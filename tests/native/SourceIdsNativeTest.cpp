// Source ids: a gone source's id never resolves again, whoever takes its slot.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "events/QXSourceIds.h"

namespace {

QXEventSource* fake(std::uintptr_t n) { return reinterpret_cast<QXEventSource*>(n * 16); }

TEST(SourceIdsNative, StaleIdsNeverResolveAgain) {
    QXSourceIds ids;
    EXPECT_EQ(ids.find(0), nullptr);
    EXPECT_EQ(ids.add(nullptr), 0u);
    const std::uint32_t first = ids.add(fake(1));
    ASSERT_NE(first, 0u);
    EXPECT_EQ(ids.find(first), fake(1));
    ids.remove(first);
    EXPECT_EQ(ids.find(first), nullptr);
    // The same source (same address) in the same slot gets a new id.
    const std::uint32_t again = ids.add(fake(1));
    EXPECT_NE(again, first);
    EXPECT_EQ(ids.find(first), nullptr);
    EXPECT_EQ(ids.find(again), fake(1));
    ids.remove(first);  // a stale remove changes nothing
    EXPECT_EQ(ids.find(again), fake(1));
    EXPECT_EQ(ids.find(again + 1), nullptr);
    EXPECT_EQ(ids.find(0xFFFFFFFFu), nullptr);
}

TEST(SourceIdsNative, GrowsWithoutACapAndKeepsEveryLiveId) {
    QXSourceIds ids;
    std::vector<std::uint32_t> live;
    for (std::uintptr_t n = 1; n <= 5000; ++n) live.push_back(ids.add(fake(n)));
    for (std::size_t i = 0; i < live.size(); i += 2) ids.remove(live[i]);
    EXPECT_EQ(ids.size(), 2500u);
    for (std::size_t i = 0; i < live.size(); ++i)
        ASSERT_EQ(ids.find(live[i]), i % 2 ? fake(i + 1) : nullptr) << i;
    // Reused slots hand out ids that differ from every earlier one.
    for (std::uintptr_t n = 1; n <= 2500; ++n) {
        const std::uint32_t id = ids.add(fake(n + 10000));
        ASSERT_NE(id, 0u);
        ASSERT_EQ(ids.find(id), fake(n + 10000));
    }
    for (std::size_t i = 0; i < live.size(); i += 2) ASSERT_EQ(ids.find(live[i]), nullptr) << i;
}

}  // namespace
