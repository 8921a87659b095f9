#include "foundation/EArray.h"
#include "foundation/FileString.h"
#include <gtest/gtest.h>
#include <climits>
#include <tuple>

namespace {
struct Megabyte {
    char bytes[1 << 20];
};

// Growth comes in whole multiples of the increment and keeps every element, also ones that own
// memory; At() outside the list gives one shared placeholder. A growth the block cannot take (negative,
// beyond what an int counts, more memory than there is, or a list that may not grow) leaves the array
// or list as it was.
TEST(Arrays, GrowthKeepsElementsOrChangesNothing) {
    EList<int> list(10, 100);
    for (int i = 0; i < 11; ++i) list.Append(i);
    EXPECT_EQ(list.Capacity(), 110);
    EXPECT_EQ(list.last, 10);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(list.At(i), i);
    EXPECT_EQ(&list.At(11), &list.At(-1));
    for (const auto& [size, index, capacity] : {std::tuple{10, 25, 30}, {16, 26, 36}, {10, 10, 20}}) {
        EArray<int> array(size, 10);
        array[index] = 2;
        EXPECT_EQ(array.Capacity(), capacity) << index;
        EXPECT_EQ(array[index], 2);
    }
    EList<FileString> files(1, 1);
    files.Append(FileString("C:\\a\\b.txt"));
    files.Append(FileString("C:\\c\\d.cfg"));
    files.Append(FileString("e.ini"));
    EXPECT_STREQ(files[0].fileName, "b.txt");
    EXPECT_STREQ(files[1].folder, "C:\\c\\");
    EXPECT_STREQ(files[2].extension, "ini");
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
    EList<int> fixed(5, 5);
    for (int i = 0; i < 5; ++i) fixed.Append(i);
    fixed.growable = 0;
    fixed.Append(99);
    EXPECT_EQ(fixed.last, 4);
    EXPECT_EQ(fixed.highWater, 4);
}

}  // namespace
