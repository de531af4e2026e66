// The frame cache: hits and misses, the budget, the order of eviction.
#include <gtest/gtest.h>

#include <cstring>

#include "video/frame_cache.h"

namespace {

constexpr size_t FRAME = 100;  // bytes per frame in these tests

void fill(FrameCache* cache, int frame) {
    unsigned char* pixels = cache->insert(frame);
    ASSERT_NE(pixels, nullptr);
    memset(pixels, frame & 0xFF, FRAME);
}

TEST(FrameCache, FindsWhatWasInsertedWithItsPixels) {
    FrameCache cache(FRAME, 10 * FRAME);
    EXPECT_EQ(cache.capacity(), 10);
    EXPECT_EQ(cache.find(3), nullptr);
    fill(&cache, 3);
    fill(&cache, 4);
    const unsigned char* three = cache.find(3);
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(three[0], 3);
    EXPECT_EQ(three[FRAME - 1], 3);
    EXPECT_TRUE(cache.contains(4));
    // Inserting a cached frame again hands back its own buffer.
    EXPECT_EQ(cache.insert(3), three);
    EXPECT_EQ(cache.size(), 2);
}

TEST(FrameCache, TheLeastRecentlyUsedLeavesFirstAndTheBudgetHolds) {
    FrameCache cache(FRAME, 3 * FRAME + FRAME / 2);
    ASSERT_EQ(cache.capacity(), 3);
    fill(&cache, 1);
    fill(&cache, 2);
    fill(&cache, 3);
    ASSERT_NE(cache.find(1), nullptr);  // 2 is now the oldest in use
    fill(&cache, 4);
    EXPECT_FALSE(cache.contains(2));
    EXPECT_TRUE(cache.contains(1));
    EXPECT_TRUE(cache.contains(3));
    EXPECT_TRUE(cache.contains(4));
    for (int frame = 10; frame < 50; frame++) {
        fill(&cache, frame);
        ASSERT_LE(cache.bytesUsed(), cache.budgetBytes());
        ASSERT_EQ(cache.find(frame)[0], frame);
    }
    EXPECT_EQ(cache.size(), 3);
    EXPECT_TRUE(cache.contains(47) && cache.contains(48) && cache.contains(49));
}

TEST(FrameCache, ShrinkingTheBudgetEvictsTheOldest) {
    FrameCache cache(FRAME, 5 * FRAME);
    for (int frame = 0; frame < 5; frame++) fill(&cache, frame);
    cache.find(0);
    cache.setBudget(2 * FRAME);
    EXPECT_EQ(cache.size(), 2);
    EXPECT_TRUE(cache.contains(0));
    EXPECT_TRUE(cache.contains(4));
    EXPECT_LE(cache.bytesUsed(), 2 * FRAME);
    cache.setBudget(FRAME - 1);
    EXPECT_EQ(cache.size(), 0);
    EXPECT_EQ(cache.insert(7), nullptr);
    cache.setBudget(2 * FRAME);
    fill(&cache, 7);
    cache.erase(7);
    EXPECT_FALSE(cache.contains(7));
    fill(&cache, 8);
    cache.clear();
    EXPECT_EQ(cache.size(), 0);
    EXPECT_EQ(cache.bytesUsed(), 0u);
}

}  // namespace
