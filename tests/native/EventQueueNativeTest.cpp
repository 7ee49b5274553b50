// The event ring: wrap-around of the free-running counters, a full ring
// dropping new events, and flushes that keep the order of what stays.

#include <gtest/gtest.h>

#include <vector>

#include "events/QXEventQueue.h"

namespace {

std::vector<int> ids(QXEventQueue queue) {
    std::vector<int> result;
    while (!queue.empty()) {
        result.push_back(queue.oldest().id);
        queue.removeOldest();
    }
    return result;
}

TEST(EventQueueNative, CountersWrapAroundTheirRange) {
    QXEventQueue queue(0xFFFFFFF0u);
    for (int i = 1; i <= 40; ++i) ASSERT_TRUE(queue.append({i, 0, 0, 0, 0, 0}));
    EXPECT_EQ(queue.count(), 40u);
    for (int i = 1; i <= 20; ++i) {
        ASSERT_EQ(queue.oldest().id, i);
        queue.removeOldest();
    }
    EXPECT_EQ(ids(queue).front(), 21);
    EXPECT_EQ(ids(queue).size(), 20u);
}

TEST(EventQueueNative, AFullRingDropsTheNewEvent) {
    QXEventQueue queue(250);
    for (int i = 1; i <= 256; ++i) ASSERT_TRUE(queue.append({i, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(queue.append({999, 0, 0, 0, 0, 0}));
    EXPECT_EQ(queue.newest().id, 256);
    EXPECT_EQ(queue.oldest().id, 1);
}

TEST(EventQueueNative, FlushKeepsTheOrderOfTheRest) {
    QXEventQueue queue(0xFFFFFF80u);
    const int kinds[] = {0x101, 0x201, 0x4001, 0x102, 0x201, 0x801};
    for (int round = 0; round < 40; ++round)
        for (int i = 0; i < 6; ++i) ASSERT_TRUE(queue.append({kinds[i], round, 0, 0, 0, i % 2 ? 7 : 0}));
    EXPECT_EQ(queue.flush(0x100, 0), 80u);   // the key class
    EXPECT_EQ(queue.flush(0x201, 7), 40u);   // one id from one source
    EXPECT_EQ(queue.flush(0x4001, 7), 0u);   // wrong source
    std::vector<int> rest = ids(queue);
    ASSERT_EQ(rest.size(), 120u);
    for (std::size_t i = 0; i < rest.size(); i += 3) {
        EXPECT_EQ(rest[i], 0x4001);
        EXPECT_EQ(rest[i + 1], 0x201);
        EXPECT_EQ(rest[i + 2], 0x801);
    }
    EXPECT_EQ(queue.flush(-1, 0), 120u);
    EXPECT_TRUE(queue.empty());
}

}  // namespace
