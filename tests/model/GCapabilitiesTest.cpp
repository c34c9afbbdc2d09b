#include "foundation/RWErrorHandler.h"
#include "model/GCapabilities.h"
#include "Registered.h"
#include "StoredForms.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The root part of an object with id 5 and serial 9: version, id, serial.
const std::vector<uint8_t> kRootPart = {0x01, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00};

GCapabilities Numbered(uint32_t bitCount)
{
    GCapabilities set(5, bitCount);
    set.SetSerial(9);
    return set;
}

} // namespace

TEST(GCapabilitiesBits, SetGrowsTheCountToHoldTheBitWithClearBitsBetween)
{
    GCapabilities set(1);
    EXPECT_EQ(0u, set.GetBitCount());
    set.Set(0);
    EXPECT_EQ(1u, set.GetBitCount());
    EXPECT_TRUE(set.Test(0));
    GCapabilities sixteen(1, 16);
    sixteen.Set(20);
    EXPECT_EQ(21u, sixteen.GetBitCount());
    for (uint32_t bit = 0; bit < 20; ++bit)
        EXPECT_FALSE(sixteen.Test(bit)) << bit;
    EXPECT_TRUE(sixteen.Test(20));
    EXPECT_EQ(1u, sixteen.CountSet());
}

TEST(GCapabilitiesBits, SetListGrowsToTheLargestBitOnly)
{
    GCapabilities set(1);
    const uint32_t bits[] = {9, 2};
    set.SetList(bits, 2);
    EXPECT_EQ(10u, set.GetBitCount());
    EXPECT_TRUE(set.Test(2));
    EXPECT_TRUE(set.Test(9));
    EXPECT_EQ(2u, set.CountSet());
    GCapabilities wide(1, 32);
    const uint32_t within[] = {31, 0, 7};
    wide.SetList(within, 3);
    EXPECT_EQ(32u, wide.GetBitCount());
    EXPECT_EQ(3u, wide.CountSet());
    // Empty lists change nothing.
    wide.SetList(within, 0);
    wide.SetList(nullptr, 3);
    EXPECT_EQ(32u, wide.GetBitCount());
    EXPECT_EQ(3u, wide.CountSet());
}

TEST(GCapabilitiesBits, TestsOfBitsBeyondTheCountAnswerFalse)
{
    GCapabilities set(1, 16, 1);
    const uint32_t beyond[] = {1, 40};
    EXPECT_FALSE(set.TestAll(beyond, 2));
    EXPECT_FALSE(set.AllInRange(beyond, 2));
    EXPECT_TRUE(set.TestAny(beyond, 2));
    const uint32_t both[] = {1, 15};
    EXPECT_TRUE(set.AllInRange(both, 2));
    EXPECT_FALSE(set.TestAll(both, 2));
    set.Set(15);
    EXPECT_TRUE(set.TestAll(both, 2));
    EXPECT_TRUE(set.Test(15));
    EXPECT_FALSE(set.Test(16));
    EXPECT_FALSE(set.Test(0xFFFFFFFFu));
    const uint32_t outside[] = {16, 0xFFFFFFFFu};
    EXPECT_FALSE(set.TestAny(outside, 2));
    // Empty lists answer the neutral values.
    EXPECT_TRUE(set.TestAll(nullptr, 0));
    EXPECT_TRUE(set.AllInRange(nullptr, 0));
    EXPECT_FALSE(set.TestAny(nullptr, 0));
}

TEST(GCapabilitiesBits, OutOfRangeClearsDoNothing)
{
    GCapabilities set(1, 16);
    const uint32_t all[] = {0, 5, 15};
    set.SetList(all, 3);
    set.ClearBit(16);
    set.ClearBit(0xFFFFFFFFu);
    EXPECT_EQ(16u, set.GetBitCount());
    EXPECT_EQ(3u, set.CountSet());

    const uint32_t mixed[] = {5, 200, 15};
    EXPECT_EQ(0, set.ClearList(mixed, 3));
    EXPECT_EQ(16u, set.GetBitCount());
    EXPECT_TRUE(set.Test(0));
    EXPECT_FALSE(set.Test(5));
    EXPECT_FALSE(set.Test(15));
}

TEST(GCapabilitiesBits, BitThatNoCountCanHoldIsRefused)
{
    GCapabilities set(1, 8);
    TestErrorCapture capture;
    set.Set(0xFFFFFFFFu);
    const uint32_t bits[] = {3, 0xFFFFFFFFu};
    set.SetList(bits, 2);
    EXPECT_EQ(2u, capture.Count());
    EXPECT_EQ(8u, set.GetBitCount());
    EXPECT_EQ(0u, set.CountSet());
}

TEST(GCapabilitiesConstruct, CopiesOwnTheirBits)
{
    GCapabilities set(1, 8, 2);
    GCapabilities copy(set);
    copy.Set(4);
    EXPECT_FALSE(set.Test(4));

    GCapabilities assigned(9);
    assigned = set;
    EXPECT_EQ(1, assigned.GetId());
    set.ClearBit(2);
    EXPECT_TRUE(assigned.Test(2));

    std::unique_ptr<GCapabilities> made(set.Copy());
    EXPECT_TRUE(made->IsSame(&set));
    std::unique_ptr<GCapabilities> fresh(set.CreateNew());
    EXPECT_EQ(0u, fresh->GetBitCount());
}

TEST(GCapabilitiesSame, SameIdAndBits)
{
    GCapabilities a(1, 10, 4);
    GCapabilities b(1, 10, 4);
    EXPECT_TRUE(a.IsSame(&b));
    EXPECT_TRUE(a.IsEqual(&b));
    b.Set(5);
    EXPECT_FALSE(a.IsSame(&b));
    GCapabilities otherId(2, 10, 4);
    EXPECT_FALSE(a.IsSame(&otherId));
    GCapabilities longer(1, 11, 4);
    EXPECT_FALSE(a.IsSame(&longer));
    EXPECT_FALSE(a.IsSame(nullptr));
}

TEST(GCapabilitiesSame, UnusedTailBitsAreIgnoredAndClearedOnGrowth)
{
    GCapabilities a(1, 10, 4);
    GCapabilities b(1);
    ASSERT_EQ(0, RestoreGutsAndMeasure(b, Joined(kRootPart, {1, 0, 0, 0, 0x0A, 0, 0, 0, 0x10, 0xFC})).left);
    b.SetId(1);
    EXPECT_EQ(10u, b.GetBitCount());
    EXPECT_TRUE(a.IsSame(&b));
    b.Set(13);
    EXPECT_EQ(14u, b.GetBitCount());
    EXPECT_EQ(2u, b.CountSet());
    EXPECT_FALSE(b.Test(10));
    EXPECT_FALSE(b.Test(11));
}

TEST(GCapabilitiesStore, TenBitsStoreInTwoBytesAndNoneInNone)
{
    GCapabilities set = Numbered(0);
    EXPECT_EQ(Joined(Joined(kRootPart, {1, 0, 0, 0}), {0, 0, 0, 0}), GutsBytes(set));
    const uint32_t bits[] = {9, 2};
    set.SetList(bits, 2);
    const std::vector<uint8_t> expected = Joined(kRootPart, {
        0x01, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, // version, bit count 10
        0x04, 0x02,                                     // bits 2 and 9
    });
    EXPECT_EQ(expected, GutsBytes(set));
}

TEST(GCapabilitiesStore, StoredZeroCountOrOtherVersionKeepsTheBits)
{
    for (const auto& tail : {std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0}, std::vector<uint8_t>{2, 0, 0, 0, 0x0A, 0, 0, 0, 0xFF, 3}}) {
        GCapabilities set(1, 12, 7);
        RestoreGutsFrom(set, StoredBytes().Raw(kRootPart).Raw(tail));
        EXPECT_EQ(12u, set.GetBitCount());
        EXPECT_EQ(1u, set.CountSet());
        EXPECT_TRUE(set.Test(7));
    }
}

