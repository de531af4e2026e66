// The frame cache: hits and misses, the budget, the order of eviction around the focus.
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

TEST(FrameCache, TheFrameFarthestFromTheFocusLeavesAndBehindCountsDouble) {
    FrameCache cache(FRAME, 5 * FRAME + FRAME / 2);
    ASSERT_EQ(cache.capacity(), 5);
    cache.setFocus(50, -1);  // walking back
    for (int frame : {50, 49, 48, 53, 54}) fill(&cache, frame);
    // 54 is 4 ahead of the walk's back, so it counts 8: 44 (6 away) replaces it.
    fill(&cache, 44);
    EXPECT_FALSE(cache.contains(54));
    // Full, and 40 lies farther than everything held: refused, nothing leaves.
    EXPECT_EQ(cache.insert(40), nullptr);
    EXPECT_EQ(cache.size(), 5);
    cache.setFocus(50, 0);
    fill(&cache, 51);  // 44 is now the farthest
    EXPECT_FALSE(cache.contains(44));
    // Whatever the order of inserts, the budget holds and the nearest frames stay.
    cache.setFocus(100, 1);
    for (int frame = 120; frame >= 60; frame -= 3) {
        if (unsigned char* pixels = cache.insert(frame)) pixels[0] = 1;
        ASSERT_LE(cache.bytesUsed(), cache.budgetBytes());
    }
    for (int frame : {99, 102, 105}) EXPECT_TRUE(cache.contains(frame)) << frame;
    EXPECT_FALSE(cache.contains(60) || cache.contains(120));
}

TEST(FrameCache, ShrinkingTheBudgetEvictsTheFarthest) {
    FrameCache cache(FRAME, 5 * FRAME);
    for (int frame = 0; frame < 5; frame++) fill(&cache, frame);
    cache.setFocus(1, 0);
    cache.setBudget(2 * FRAME);
    EXPECT_EQ(cache.size(), 2);
    EXPECT_TRUE(cache.contains(1));
    EXPECT_TRUE(cache.contains(0) || cache.contains(2));
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
