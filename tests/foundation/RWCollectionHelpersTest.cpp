#include "foundation/RWCollectionHelpers.h"
#include "foundation/RWErrorHandler.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <string>

TEST(NextCapacity, SmallBuffersGetSixteenThenDoubleThenGrowByHalfOfWhatIsLeft)
{
    const struct {
        uint32_t count, size, expected;
    } cases[] = {
        {0, 4, 16}, {10, 4, 16}, {15, 100, 16}, {16, 4, 32}, {100, 4, 200}, {0x1FFFFFFF, 4, 0x3FFFFFFE},
        // 0x20000000 x 4 is exactly 2 GB.
        {0x20000000, 4, 0x1FFFFFFFu + 0x10000000u}, {0x80000000u, 1, 0x7FFFFFFFu + 0x40000000u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, NextCapacity(c.count, c.size)) << c.count << " x " << c.size;
}

TEST(NextCapacity, SizesThatWrapIn32BitsOrReachTheLimitRaiseOverflow)
{
    // 0x40000001 x 4 is 0x100000004: it wraps to 4 in 32 bits.
    TestErrorCapture capture;
    EXPECT_EQ(0u, NextCapacity(0x40000001, 4));
    ASSERT_EQ(1u, capture.Count());
    EXPECT_EQ("[OVFLOW] Overflow error -> \"Buffer may not resize larger than\" <- (4294967295 max characters)",
              capture.Last());
    EXPECT_EQ(0u, NextCapacity(0x80000000u, 0x10000));
    EXPECT_EQ(0u, NextCapacity(0xFFFFFFFDu, 1));
    EXPECT_EQ(3u, capture.Count());
    EXPECT_NE(0u, NextCapacity(0xFFFFFFFCu, 1));
    EXPECT_EQ(3u, capture.Count());
}

namespace {

int CompareInts(const void* element, const void* key)
{
    const int a = *static_cast<const int*>(element);
    const int b = *static_cast<const int*>(key);
    return a < b ? -1 : (a > b ? 1 : 0);
}

} // namespace

TEST(BinarySearch, FindsEqualElementsAndInsertionPoints)
{
    const int sorted[] = {2, 4, 6, 8, 10};
    const struct {
        int key;
        int found;
        size_t index;
    } cases[] = {{6, 1, 2}, {1, 0, 0}, {7, 0, 3}, {11, 0, 5}, {2, 1, 0}, {10, 1, 4}};
    for (const auto& c : cases) {
        size_t index = 99;
        EXPECT_EQ(c.found, BinarySearch(&c.key, sorted, 5, sizeof(int), CompareInts, &index)) << c.key;
        EXPECT_EQ(c.index, index) << c.key;
    }
    size_t index = 99;
    EXPECT_EQ(0, BinarySearch(&sorted[0], nullptr, 0, sizeof(int), CompareInts, &index));
    EXPECT_EQ(0u, index);
}

TEST(RWCoreMessages, TextsAreFormattedWithTheirArguments)
{
    EXPECT_STREQ("[GENERIC] Generic error number 7; disk", RWMessageText(RWMessageGeneric(), 7, "disk").Text());
}
