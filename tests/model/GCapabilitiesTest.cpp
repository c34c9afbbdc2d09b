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

TEST(GCapabilitiesConstruct, ConstructorsSetCountAndBits)
{
    GCapabilities sized(2, 16);
    EXPECT_EQ(2, sized.GetId());
    EXPECT_EQ(16u, sized.GetBitCount());
    EXPECT_EQ(0u, sized.CountSet());

    GCapabilities one(3, 8, 3);
    EXPECT_EQ(8u, one.GetBitCount());
    EXPECT_TRUE(one.Test(3));

    GCapabilities grown(3, 4, 6);
    EXPECT_EQ(7u, grown.GetBitCount());
    EXPECT_TRUE(grown.Test(6));

    const uint32_t bits[] = {1, 12};
    GCapabilities listed(4, 8, bits, 2);
    EXPECT_EQ(13u, listed.GetBitCount());
    EXPECT_EQ(2u, listed.CountSet());
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
    EXPECT_EQ(kRootPart.size() + 8, set.BinaryStoreSize());
    const uint32_t bits[] = {9, 2};
    set.SetList(bits, 2);
    const std::vector<uint8_t> expected = Joined(kRootPart, {
        0x01, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, // version, bit count 10
        0x04, 0x02,                                     // bits 2 and 9
    });
    EXPECT_EQ(expected, GutsBytes(set));
    EXPECT_EQ(expected.size(), set.BinaryStoreSize());
}

TEST(GCapabilitiesStore, RoundTripsOnFileAndStream)
{
    GCapabilities set = Numbered(0);
    const uint32_t bits[] = {0, 8, 16, 33};
    set.SetList(bits, 4);

    GCapabilities fromFile;
    EXPECT_EQ(0, RestoreGutsAndMeasure(fromFile, GutsBytes(set)).left);
    EXPECT_TRUE(fromFile.IsSame(&set));
    EXPECT_EQ(9, fromFile.GetSerial());

    for (StreamKind kind : kAllStreamKinds) {
        GCapabilities fromStream;
        EXPECT_TRUE(StreamGutsInto(kind, set, fromStream));
        EXPECT_TRUE(fromStream.IsSame(&set)) << int(kind);
        EXPECT_TRUE(fromStream.Test(33));
    }
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

// A count whose bytes are not all there, down to the count itself missing, leaves the
// set as it was.
TEST(GCapabilitiesStore, TruncatedFormsLeaveTheSetAsItWas)
{
    GCapabilities source = Numbered(0);
    const uint32_t bits[] = {1, 20};
    source.SetList(bits, 2);
    const std::vector<uint8_t> whole = GutsBytes(source);
    for (size_t size = kRootPart.size() + 4; size < whole.size(); ++size) {
        GCapabilities set(1, 4, 3);
        const FileEnd restore = RestoreGutsAndMeasure(set, std::vector<uint8_t>(whole.begin(), whole.begin() + size));
        EXPECT_EQ(4u, set.GetBitCount()) << size;
        EXPECT_TRUE(set.Test(3)) << size;
        EXPECT_EQ(0, restore.left) << size;
    }
}

TEST(GCapabilitiesStore, OversizedCountIsRefusedBeforeAllocating)
{
    const std::initializer_list<uint8_t> counts[] = {
        {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, // 2^32 - 1 bits, 2 bytes
        {0x00, 0x00, 0x00, 0x80, 0xFF, 0xFF}, // 2^31 bits, 2 bytes
        {0x11, 0x00, 0x00, 0x00, 0xFF, 0xFF}, // 17 bits, 2 bytes of 3
    };
    for (const auto& count : counts) {
        GCapabilities set(1, 4, 3);
        const FileEnd restore = RestoreGutsAndMeasure(set, Joined(Joined(kRootPart, {0x01, 0x00, 0x00, 0x00}), count));
        EXPECT_EQ(4u, set.GetBitCount());
        EXPECT_EQ(0, restore.left);
        EXPECT_TRUE(restore.eof);

        // The stream form of an empty set ends with its count: put the oversized one there.
        const std::string empty = StreamTextOf(StreamKind::Binary, [](RWDataOutStream& s) { Numbered(0).SaveGuts(s); });
        GCapabilities streamed(1, 4, 3);
        EXPECT_FALSE(ReadStreamText(StreamKind::Binary, Joined(WithoutLast(empty, 4), count),
                                    [&](RWDataInStream& s) { streamed.RestoreGuts(s); }));
        EXPECT_EQ(4u, streamed.GetBitCount());
    }
}

TEST(GCapabilitiesStore, RoundTripsAsAnObjectOfTheGraph)
{
    EXPECT_TRUE(IsRegistered(1003, "GCapabilities"));
    const uint32_t bits[] = {3, 70};
    GCapabilities set(12, 8, bits, 2);
    EXPECT_TRUE(StoreSizeMatches(set));
    std::unique_ptr<RWCollectable> restored(RestoredFromBytes(SavedBytes(&set)));
    ASSERT_NE(nullptr, restored);
    EXPECT_TRUE(set.IsEqual(restored.get()));
}
