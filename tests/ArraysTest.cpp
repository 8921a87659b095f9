#include "foundation/EArray.h"
#include "foundation/FileString.h"
#include <gtest/gtest.h>
#include <climits>

namespace {
TEST(Arrays, ListGrowsByIncrement) {
    EList<int> list(10, 100);
    EXPECT_EQ(list.last, -1);
    EXPECT_EQ(list.Count(), 0);
    for (int i = 0; i < 11; ++i) list.Append(i);
    EXPECT_EQ(list.Capacity(), 110);
    EXPECT_EQ(list.last, 10);
    EXPECT_EQ(list.highWater, 10);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(list[i], i);
}

TEST(Arrays, IndexGrowsByMultiplesOfIncrement) {
    EArray<int> small(10, 10);
    small[25] = 1;
    EXPECT_EQ(small.Capacity(), 30);
    EArray<int> sixteen(16, 10);
    sixteen[26] = 2;
    EXPECT_EQ(sixteen.Capacity(), 36);
    EXPECT_EQ(sixteen[26], 2);
    EArray<int> near(10, 10);
    near[10] = 3;
    EXPECT_EQ(near.Capacity(), 20);
}

TEST(Arrays, GrowthKeepsElements) {
    EList<FileString> files(1, 1);
    files.Append(FileString("C:\\a\\b.txt"));
    files.Append(FileString("C:\\c\\d.cfg"));
    files.Append(FileString("e.ini"));
    EXPECT_STREQ(files[0].fileName, "b.txt");
    EXPECT_STREQ(files[1].folder, "C:\\c\\");
    EXPECT_STREQ(files[2].extension, "ini");
}

struct Megabyte {
    char bytes[1 << 20];
};

// A growth the block cannot take (negative, beyond what an int counts, more
// memory than there is) leaves the array or list as it was, with status 0.
TEST(Arrays, ImpossibleGrowthChangesNothing) {
    for (const int n : {-5, INT_MAX}) {
        EArray<int> array(10, 10);
        for (int i = 0; i < 10; ++i) array[i] = i;
        EXPECT_FALSE(array.Grow(n)) << n;
        EXPECT_EQ(array.status, 0);
        EXPECT_EQ(array.Capacity(), 10);
        for (int i = 0; i < 10; ++i) EXPECT_EQ(array[i], i);
    }
    EList<int> hugeStep(2, INT_MAX);
    for (int i = 0; i < 3; ++i) hugeStep.Append(i);
    EXPECT_EQ(hugeStep.last, 1);
    EXPECT_EQ(hugeStep.highWater, 1);
    EXPECT_EQ(hugeStep.upper, 1);
    EXPECT_EQ(hugeStep.status, 0);
    hugeStep.growBy = 4;
    hugeStep.Append(2);
    EXPECT_EQ(hugeStep[2], 2);
    EXPECT_EQ(hugeStep.status, 1);
    EList<Megabyte> noMemory(1, 1 << 30);  // a petabyte
    static const Megabyte block = {};
    noMemory.Append(block);
    noMemory.Append(block);
    EXPECT_EQ(noMemory.last, 0);
    EXPECT_EQ(noMemory.status, 0);
}

TEST(Arrays, NonGrowableListStopsAtHighWater) {
    EList<int> list(5, 5);
    for (int i = 0; i < 5; ++i) list.Append(i);
    list.growable = 0;
    list.Append(99);
    EXPECT_EQ(list.last, 4);
    EXPECT_EQ(list.highWater, 4);
}

TEST(Arrays, BoundedAccessYieldsPlaceholder) {
    EList<int> list(4, 4);
    list.Append(7);
    EXPECT_EQ(list.At(0), 7);
    int& outside = list.At(3);
    int& again = list.At(-1);
    EXPECT_EQ(&outside, &again);
}
}  // namespace
