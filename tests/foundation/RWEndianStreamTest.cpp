#include "StreamBytes.h"

#include "foundation/RWEndianInStream.h"
#include "foundation/RWEndianOutStream.h"
#include "foundation/RWErrorHandler.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string HeaderWith(uint8_t order, uint8_t shortSize, uint8_t intSize, uint8_t longSize, uint8_t sizeSize)
{
    return TextOf({0x65, 0x73, 0x01, order, shortSize, intSize, longSize, 0x02, sizeSize});
}

} // namespace

TEST(RWEndianOutStream, HostOrderHeaderIsFixed)
{
    std::stringbuf buffer;
    RWEndianOutStream out(&buffer, RWEndianHeader::kHostOrder);
    const std::vector<uint8_t> expected = {0x65, 0x73, 0x01, 0x00, 0x02, 0x04, 0x04, 0x02, 0x04};
    EXPECT_EQ(expected, BytesOf(buffer.str()));
    EXPECT_EQ(RWEndianHeader::kLittleEndian, out.ByteOrder());
    EXPECT_EQ(RWEndianHeader::kLittleEndian, RWEndianHeader::HostOrder());
}

TEST(RWEndianOutStream, BigEndianReversesEveryMultiByteValue)
{
    std::stringbuf buffer;
    RWEndianOutStream out(&buffer, RWEndianHeader::kBigEndian);
    const short shorts[] = {0x0102, 0x0304};
    out << static_cast<short>(-2) << 0x01020304 << 'c' << 1.0f;
    out.Put(shorts, 2);
    const std::vector<uint8_t> expected = {0x65, 0x73, 0x01, 0x01, 0x02, 0x04, 0x04, 0x02, 0x04,
                                           0xFF, 0xFE, 0x01, 0x02, 0x03, 0x04, 'c', 0x3F, 0x80, 0x00, 0x00,
                                           0x01, 0x02, 0x03, 0x04};
    EXPECT_EQ(expected, BytesOf(buffer.str()));
}

TEST(RWEndianOutStream, LittleEndianOnThisHostWritesHostBytes)
{
    std::stringbuf buffer;
    RWEndianOutStream out(&buffer, RWEndianHeader::kLittleEndian);
    out << 0x01020304;
    out.PutString("ok", 2);
    const std::vector<uint8_t> expected = {0x65, 0x73, 0x01, 0x00, 0x02, 0x04, 0x04, 0x02, 0x04,
                                           0x04, 0x03, 0x02, 0x01, 0x02, 0x00, 0x00, 0x00, 'o', 'k'};
    EXPECT_EQ(expected, BytesOf(buffer.str()));
}

TEST(RWEndianOutStream, BufferThatIsNotEmptyRaisesAndStillGetsTheHeader)
{
    RWErrorCapture capture;
    std::stringbuf buffer("x");
    RWEndianOutStream out(&buffer, RWEndianHeader::kHostOrder);
    ASSERT_EQ(1u, capture.Count());
    EXPECT_EQ("[STREAM] Bad input stream", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWStreamError>());
    EXPECT_EQ(TextOf({'x', 0x65, 0x73, 0x01, 0x00, 0x02, 0x04, 0x04, 0x02, 0x04}), buffer.str());
}

TEST(RWEndianOutStream, BufferThatCannotSeekRaisesAndStillGetsTheHeader)
{
    RWErrorCapture capture;
    char storage[16];
    FixedStreamBuffer buffer(storage, sizeof storage);
    RWEndianOutStream out(&buffer, RWEndianHeader::kHostOrder);
    EXPECT_EQ(1u, capture.Count());
    EXPECT_EQ(RWEndianHeader::kSize, buffer.Used());
}

TEST(RWEndianRoundTrip, BothByteOrdersReadBack)
{
    for (uint8_t order : {RWEndianHeader::kLittleEndian, RWEndianHeader::kBigEndian}) {
        std::stringbuf buffer;
        RWEndianOutStream out(&buffer, order);
        const unsigned long longs[] = {1, 0xDEADBEEF};
        const double doubles[] = {-0.5, 1e-300};
        out << static_cast<short>(-12345) << static_cast<unsigned short>(0xFFFE) << -100000 << 3000000000u
            << -7L << 2.75f << -1.0 / 3.0;
        out.Put(longs, 2).Put(doubles, 2);
        out.PutString("text", 4);

        RWEndianInStream in(&buffer);
        EXPECT_EQ(order, in.Header().order);
        short s = 0;
        unsigned short us = 0;
        int i = 0;
        unsigned int ui = 0;
        long l = 0;
        float f = 0;
        double d = 0;
        unsigned long readLongs[2] = {};
        double readDoubles[2] = {};
        char text[8];
        in >> s >> us >> i >> ui >> l >> f >> d;
        in.Get(readLongs, 2).Get(readDoubles, 2).GetString(text, sizeof text);
        EXPECT_TRUE(in.Good()) << int(order);
        EXPECT_EQ(-12345, s);
        EXPECT_EQ(0xFFFE, us);
        EXPECT_EQ(-100000, i);
        EXPECT_EQ(3000000000u, ui);
        EXPECT_EQ(-7L, l);
        EXPECT_EQ(2.75f, f);
        EXPECT_EQ(-1.0 / 3.0, d);
        EXPECT_EQ(0xDEADBEEFUL, readLongs[1]);
        EXPECT_EQ(1e-300, readDoubles[1]);
        EXPECT_STREQ("text", text);
    }
}

TEST(RWEndianInStream, NarrowerStoredIntIsWidenedBySignedness)
{
    const std::string stored = HeaderWith(0, 2, 2, 4, 4) + TextOf({0xFE, 0xFF, 0xFE, 0xFF, 0x34, 0x12});
    std::stringbuf buffer(stored);
    RWEndianInStream in(&buffer);
    int asSigned = 0;
    unsigned int asUnsigned = 0;
    int positive = 0;
    in >> asSigned >> asUnsigned >> positive;
    EXPECT_EQ(-2, asSigned);
    EXPECT_EQ(65534u, asUnsigned);
    EXPECT_EQ(0x1234, positive);
    EXPECT_TRUE(in.Good());
}

TEST(RWEndianInStream, BigEndianNarrowerStoredIntIsWidened)
{
    const std::string stored = HeaderWith(1, 1, 2, 4, 4) + TextOf({0xFF, 0xFE, 0x80, 0x7F});
    std::stringbuf buffer(stored);
    RWEndianInStream in(&buffer);
    int value = 0;
    short fromOneByte = 0;
    unsigned short unsignedFromOneByte = 0;
    short positive = 0;
    in >> value >> fromOneByte >> unsignedFromOneByte;
    EXPECT_EQ(-2, value);
    EXPECT_EQ(-128, fromOneByte);
    EXPECT_EQ(0x7F, unsignedFromOneByte);
    EXPECT_TRUE(in.Good());
    in >> positive;
    EXPECT_TRUE(in.Eof());
}

TEST(RWEndianInStream, WiderStoredValueThatFitsIsNarrowed)
{
    const std::string stored =
        HeaderWith(0, 2, 4, 8, 4) + TextOf({0xFB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,    // -5
                                            0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}); // 2^32 - 1
    std::stringbuf buffer(stored);
    RWEndianInStream in(&buffer);
    long value = 0;
    unsigned long unsignedValue = 0;
    in >> value >> unsignedValue;
    EXPECT_EQ(-5L, value);
    EXPECT_EQ(0xFFFFFFFFUL, unsignedValue);
    EXPECT_TRUE(in.Good());
}

TEST(RWEndianInStream, WiderStoredValueThatDoesNotFitSetsFail)
{
    // 2^40 stored in an 8-byte long cannot be held by a 4-byte long.
    const std::string stored = HeaderWith(0, 2, 4, 8, 4) + TextOf({0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00});
    std::stringbuf buffer(stored);
    RWEndianInStream in(&buffer);
    long value = 0;
    in >> value;
    EXPECT_TRUE(in.Fail());
    EXPECT_FALSE(in.Eof());

    // 2^31 does not fit a signed 4-byte long either, though it fits an unsigned one.
    const std::string big = HeaderWith(1, 2, 4, 8, 4) + TextOf({0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0});
    std::stringbuf bigBuffer(big);
    RWEndianInStream bigIn(&bigBuffer);
    unsigned long asUnsigned = 0;
    bigIn >> asUnsigned;
    EXPECT_EQ(0x80000000UL, asUnsigned);
    EXPECT_TRUE(bigIn.Good());
    bigIn >> value;
    EXPECT_TRUE(bigIn.Fail());
}

TEST(RWEndianInStream, GetStringReadsItsLengthAtTheStoredSize)
{
    const std::string stored = HeaderWith(1, 2, 4, 4, 2) + TextOf({0x00, 0x03, 'a', 'b', 'c'});
    std::stringbuf buffer(stored);
    RWEndianInStream in(&buffer);
    char text[8];
    in.GetString(text, sizeof text);
    EXPECT_STREQ("abc", text);
    EXPECT_TRUE(in.Good());
}

TEST(RWEndianInStream, WrongMarkRaisesForEachByteAndSetsFail)
{
    RWErrorCapture capture;
    std::stringbuf buffer(TextOf({'E', 's', 0x02, 0x00, 0x02, 0x04, 0x04, 0x02, 0x04, 0x2A, 0, 0, 0}));
    RWEndianInStream in(&buffer);
    EXPECT_EQ(2u, capture.Count());
    EXPECT_EQ("[STREAM] Bad input stream", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWStreamError>());
    EXPECT_TRUE(in.Fail());
    EXPECT_FALSE(in.Eof());
    // Reading went on past the header.
    in.SetState(0);
    int value = 0;
    in >> value;
    EXPECT_EQ(42, value);
}

TEST(RWEndianInStream, EmptyStreamRaisesForEveryHeaderByte)
{
    RWErrorCapture capture;
    std::stringbuf buffer;
    RWEndianInStream in(&buffer);
    EXPECT_EQ(RWEndianHeader::kSize, capture.Count());
    EXPECT_TRUE(in.Eof());
    EXPECT_TRUE(in.Fail());
}

TEST(RWEndianInStream, UnsupportedStoredSizeFailsWithoutReading)
{
    for (uint8_t size : {0, 3, 5, 16, 255}) {
        RWErrorCapture capture;
        std::stringbuf buffer(HeaderWith(0, 2, size, 4, 4) + TextOf({0x01, 0x02, 0x03, 0x04}));
        RWEndianInStream in(&buffer);
        EXPECT_EQ(1u, capture.Count()) << int(size);
        EXPECT_TRUE(in.Fail());
        in.SetState(0);
        int value = 7;
        in >> value;
        EXPECT_TRUE(in.Fail()) << int(size);
        EXPECT_FALSE(in.Eof()) << int(size);
        in.SetState(0);
        short fine = 0;
        in >> fine;
        EXPECT_EQ(0x0201, fine);
    }
}

TEST(RWEndianInStream, AnyNonZeroOrderByteMeansBigEndian)
{
    std::stringbuf buffer(HeaderWith(7, 2, 4, 4, 4) + TextOf({0x00, 0x00, 0x01, 0x00}));
    RWEndianInStream in(&buffer);
    EXPECT_EQ(RWEndianHeader::kBigEndian, in.Header().order);
    int value = 0;
    in >> value;
    EXPECT_EQ(256, value);
}
