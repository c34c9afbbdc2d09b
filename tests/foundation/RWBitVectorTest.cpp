#include "foundation/RWBitVector.h"
#include "foundation/RWErrorHandler.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

typedef std::vector<uint8_t> ByteList;

ByteList Bytes(const RWBitVector& v) { return ByteList(v.Data(), v.Data() + v.ByteCount()); }

uint32_t Rotl5(uint32_t h) { return (h << 5) | (h >> 27); }

} // namespace

TEST(RWBitVector, BitsArePackedLeastSignificantFirst)
{
    RWBitVector v(12);
    v.SetBit(0);
    v.SetBit(9);
    v.SetBit(11);
    EXPECT_EQ((ByteList{0x01, 0x0A}), Bytes(v));
    v.ClearBit(9);
    EXPECT_EQ((ByteList{0x01, 0x08}), Bytes(v));
    EXPECT_EQ(2u, v.CountSet());

    const uint8_t bytes[] = {0xA5, 0x3C, 0xEE};
    EXPECT_EQ((ByteList{0xA5, 0x3C}), Bytes(RWBitVector(bytes, 10)));
    EXPECT_EQ((ByteList{0x00, 0x00}), Bytes(RWBitVector(nullptr, 10)));
}

TEST(RWBitVector, ResizeClearsTheOldTailAndAnEmptyVectorHoldsNoBytes)
{
    RWBitVector v(12, true);
    EXPECT_EQ((ByteList{0xFF, 0xFF}), Bytes(v));
    v.Resize(16);
    for (size_t i = 12; i < 16; ++i)
        EXPECT_FALSE(v.TestBit(i)) << i;
    EXPECT_EQ((ByteList{0xFF, 0x0F}), Bytes(v));
    v.Resize(30);
    EXPECT_EQ((ByteList{0xFF, 0x0F, 0x00, 0x00}), Bytes(v));
    EXPECT_EQ(12u, v.CountSet());
    v.Resize(4);
    EXPECT_EQ((ByteList{0xFF}), Bytes(v));
    EXPECT_EQ(4u, v.CountSet());
    v.Resize(0);
    EXPECT_EQ(nullptr, v.Data());
    EXPECT_TRUE(v.TestAll(true));
    EXPECT_TRUE(v.TestAll(false));
    EXPECT_EQ(0u, v.Hash());
    EXPECT_EQ(-1, v.FirstTrue());
    v.Resize(9);
    EXPECT_EQ(0u, v.CountSet());
    // 0xFFFFFFF9 bits need 0x20000000 bytes (none in 32 bits): all held or the 9 kept.
    if (v.Resize(0xFFFFFFF9u))
        v.SetBit(0xFFFFFFF8u);
    EXPECT_EQ(v.Length() != 9, v.TestBit(v.Length() - 1));
}

TEST(RWBitVector, TestsEqualityAndHashLookOnlyAtUsedBits)
{
    const uint8_t mixedTail[] = {0xFF, 0xF7};
    EXPECT_TRUE(RWBitVector(mixedTail, 11).TestAll(true));
    EXPECT_FALSE(RWBitVector(mixedTail, 12).TestAll(true));
    const uint8_t zeroHead[] = {0x00, 0xF0};
    EXPECT_TRUE(RWBitVector(zeroHead, 12).TestAll(false));
    EXPECT_FALSE(RWBitVector(zeroHead, 13).TestAll(false));

    const uint8_t a[] = {0x12, 0x05};
    const uint8_t b[] = {0x12, 0xF5};
    const uint8_t c[] = {0x12, 0x0D};
    EXPECT_TRUE(RWBitVector(a, 12) == RWBitVector(b, 12));
    EXPECT_EQ(RWBitVector(a, 12).Hash(), RWBitVector(b, 12).Hash());
    EXPECT_TRUE(RWBitVector(a, 16) != RWBitVector(b, 16));
    EXPECT_TRUE(RWBitVector(a, 12) != RWBitVector(c, 12));
    EXPECT_TRUE(RWBitVector(a, 11) == RWBitVector(c, 11));
    EXPECT_FALSE(RWBitVector(a, 11) == RWBitVector(a, 12));

    const uint8_t bits[] = {0x00, 0x10};
    EXPECT_EQ(12, FirstTrue(bits, 13));
    EXPECT_EQ(-1, FirstTrue(bits, 12));
    EXPECT_EQ(0, FirstFalse(bits, 16));
    EXPECT_EQ(11, FirstFalse(mixedTail, 16));
    EXPECT_EQ(-1, FirstFalse(mixedTail, 11));
}

TEST(RWBitVector, HashFollowsTheRotateRule)
{
    const uint8_t bytes[] = {0x81, 0x7E, 0xFF};
    const uint32_t whole = Rotl5(Rotl5(16) ^ 0x81) ^ 0x7E;
    EXPECT_EQ(whole, RWBitVector(bytes, 16).Hash());
    // The last partial byte counts with its unused bits masked off.
    EXPECT_EQ(Rotl5(Rotl5(Rotl5(20) ^ 0x81) ^ 0x7E) ^ 0x0F, RWBitVector(bytes, 20).Hash());
}

TEST(RWBitVector, OperatorsCombineByteByByte)
{
    const uint8_t x[] = {0xF0, 0x0C};
    const uint8_t y[] = {0x3C, 0x0A};
    const RWBitVector a(x, 12), b(y, 12);
    EXPECT_EQ((ByteList{0x30, 0x08}), Bytes(a & b));
    EXPECT_EQ((ByteList{0xFC, 0x0E}), Bytes(a | b));
    EXPECT_EQ((ByteList{0xCC, 0x06}), Bytes(a ^ b));
    const RWBitVector inverted = ~a;
    EXPECT_EQ(12u, inverted.Length());
    EXPECT_EQ((ByteList{0x0F, 0xF3}), Bytes(inverted));

    uint8_t d[] = {0xF0, 0x0F};
    const uint8_t s[] = {0x3C, 0x3C};
    RWBitsOr(d, s, 2);
    RWBitsAnd(d, s, 1);
    EXPECT_EQ((ByteList{0x3C, 0x3F}), ByteList(d, d + 2));
    RWBitsXor(d, s, 2);
    EXPECT_EQ((ByteList{0x00, 0x03}), ByteList(d, d + 2));
}

TEST(RWBitVector, UnequalLengthsRaiseAndCombineOnlyCommonBytes)
{
    const uint8_t x[] = {0xF0, 0xAA, 0x55};
    const uint8_t y[] = {0x3C};
    const RWBitVector longer(x, 24), shorter(y, 5), empty(0);
    TestErrorCapture capture;
    const RWBitVector result = longer & shorter;
    ASSERT_EQ(1u, capture.Count());
    EXPECT_TRUE(capture.LastIs<RWInternalError>());
    EXPECT_EQ("[NEVECL] Unequal vector lengths: 24 versus 5", capture.Last());
    EXPECT_EQ(24u, result.Length());
    EXPECT_EQ((ByteList{0x30, 0xAA, 0x55}), Bytes(result));

    const RWBitVector other = shorter | longer;
    EXPECT_EQ("[NEVECL] Unequal vector lengths: 5 versus 24", capture.Last());
    EXPECT_EQ(5u, other.Length());
    EXPECT_EQ((ByteList{0xFC}), Bytes(other));

    EXPECT_EQ((ByteList{0xF0, 0xAA, 0x55}), Bytes(longer ^ empty));
    EXPECT_EQ("[NEVECL] Unequal vector lengths: 24 versus 0", capture.Last());
    EXPECT_EQ(0u, (empty & longer).Length());
    EXPECT_EQ(4u, capture.Count());
}

TEST(RWBitVector, BitIndexChecks)
{
    RWBitVector v(8);
    TestErrorCapture capture;
    EXPECT_FALSE(v.TestBit(8));
    EXPECT_TRUE(capture.LastIs<RWBoundsError>());
    EXPECT_EQ("[INDEXERR] Illegal Index (8) for collection or string with 8 elements", capture.Last());
    v.SetBit(0xFFFFFFFFu);
    EXPECT_EQ("[NPOSINDEX] The value RW_NPOS cannot be used as an index.", capture.Last());
    EXPECT_TRUE(v.TestAll(false));
    EXPECT_EQ(2u, capture.Count());
}
