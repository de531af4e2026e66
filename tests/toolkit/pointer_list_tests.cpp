#include <gtest/gtest.h>

#include <string>

#include "toolkit/pointer_list.h"

namespace {

constexpr const char* NO_LIST = "list doesn't exist, abording!\n";

TEST(PointerList, NullListIsReportedAndRefused) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(pointerListInit(nullptr, 4, 0), 0);
    EXPECT_EQ(pointerListGrow(nullptr), 0);
    int item = 0;
    EXPECT_EQ(pointerListAppend(nullptr, &item), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(NO_LIST) + NO_LIST + NO_LIST);
}

TEST(PointerList, CapacityRules) {
    PointerList list;
    EXPECT_EQ(pointerListInit(&list, 0, 7), 0);
    EXPECT_EQ(list.items, nullptr);
    ASSERT_EQ(pointerListGrow(&list), 1);
    EXPECT_EQ(list.capacity, 1);
    ASSERT_EQ(pointerListInit(&list, 5, 0), 1);
    ASSERT_EQ(pointerListGrow(&list), 1);
    EXPECT_EQ(list.capacity, 10);
    // Full leaves one slot spare.
    list.count = 8;
    EXPECT_FALSE(pointerListFull(&list));
    list.count = 9;
    EXPECT_TRUE(pointerListFull(&list));
    // Initialising again empties the list (and gives the old array back).
    EXPECT_EQ(pointerListInit(&list, -3, 0), 0);
    EXPECT_EQ(list.count, 0);
    EXPECT_FALSE(pointerListHasItems(&list));
}

TEST(PointerList, AppendKeepsOrderWhileGrowing) {
    PointerList list;
    pointerListInit(&list, 1, 5);
    int values[100];
    for (int i = 0; i < 100; ++i) ASSERT_EQ(pointerListAppend(&list, &values[i]), 1);
    ASSERT_EQ(list.count, 100);
    EXPECT_GT(list.capacity, 100);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(list.items[i], &values[i]) << i;
    // An empty list that counts as full is given a fresh one-slot array, spare 0.
    EXPECT_EQ(list.spare, 0u);
    pointerListRelease(&list);
}

TEST(PointerList, AppendToAListWithoutArray) {
    PointerList list;
    int value = 0;
    ASSERT_EQ(pointerListAppend(&list, &value), 1);
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list.capacity, 1);
    EXPECT_EQ(list.items[0], &value);
    ASSERT_EQ(pointerListAppend(&list, &value), 1);
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(list.capacity, 2);
    pointerListRelease(&list);
}

}  // namespace
