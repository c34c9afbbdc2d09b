#include "StreamBytes.h"

#include "foundation/RWEndianInStream.h"
#include "foundation/RWEndianOutStream.h"
#include "foundation/RWErrorHandler.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// An endian in stream over a header with the given order and sizes, then the bytes.
struct StoredEndian {
    StoredEndian(uint8_t order, uint8_t shortSize, uint8_t intSize, uint8_t longSize, uint8_t sizeSize,
                 std::initializer_list<uint8_t> bytes)
        : buffer(TextOf({0x65, 0x73, 0x01, order, shortSize, intSize, longSize, 0x02, sizeSize}) + TextOf(bytes)),
          in(&buffer)
    {
    }
    std::stringbuf buffer;
    RWEndianInStream in;
};

} // namespace

TEST(RWEndianOutStream, HeaderIsFixedAndOnlyAForeignOrderReversesValues)
{
    EXPECT_EQ(RWEndianHeader::kLittleEndian, RWEndianHeader::HostOrder());
    const struct {
        uint8_t order;
        std::string values;
    } cases[] = {
        {RWEndianHeader::kHostOrder, TextOf({0xFE, 0xFF, 0x04, 0x03, 0x02, 0x01, 'c', 0x00, 0x00, 0x80, 0x3F,
                                             0x02, 0x01, 0x04, 0x03, 0x02, 0x00, 0x00, 0x00, 'o', 'k'})},
        {RWEndianHeader::kLittleEndian, TextOf({0xFE, 0xFF, 0x04, 0x03, 0x02, 0x01, 'c', 0x00, 0x00, 0x80, 0x3F,
                                                0x02, 0x01, 0x04, 0x03, 0x02, 0x00, 0x00, 0x00, 'o', 'k'})},
        // PutString's length is reversed too, so that it reads back as a size value.
        {RWEndianHeader::kBigEndian, TextOf({0xFF, 0xFE, 0x01, 0x02, 0x03, 0x04, 'c', 0x3F, 0x80, 0x00, 0x00,
                                             0x01, 0x02, 0x03, 0x04, 0x00, 0x00, 0x00, 0x02, 'o', 'k'})},
    };
    for (const auto& c : cases) {
        std::stringbuf buffer;
        RWEndianOutStream out(&buffer, c.order);
        const uint8_t written = c.order == RWEndianHeader::kBigEndian ? 1 : 0;
        EXPECT_EQ(written, out.ByteOrder());
        const short shorts[] = {0x0102, 0x0304};
        out << static_cast<short>(-2) << 0x01020304 << 'c' << 1.0f;
        out.Put(shorts, 2);
        out.PutString("ok", 2);
        EXPECT_EQ(TextOf({0x65, 0x73, 0x01, written, 0x02, 0x04, 0x04, 0x02, 0x04}) + c.values, buffer.str())
            << int(c.order);
    }
}

TEST(RWEndianOutStream, BufferWrittenPastItsStartOrThatCannotSeekRaisesAndStillGetsTheHeader)
{
    TestErrorCapture capture;
    std::stringbuf buffer("x", std::ios::out | std::ios::ate);
    RWEndianOutStream out(&buffer, RWEndianHeader::kHostOrder);
    ASSERT_EQ(1u, capture.Count());
    EXPECT_EQ("[STREAM] Bad input stream", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWStreamError>());
    EXPECT_EQ(TextOf({'x', 0x65, 0x73, 0x01, 0x00, 0x02, 0x04, 0x04, 0x02, 0x04}), buffer.str());

    char storage[16];
    FixedStreamBuffer blind(storage, sizeof storage);
    RWEndianOutStream blindOut(&blind, RWEndianHeader::kHostOrder);
    EXPECT_EQ(2u, capture.Count());
    EXPECT_EQ(RWEndianHeader::kSize, blind.Used());
}

TEST(RWEndianInStream, StoredSizesAreConvertedBySignedness)
{
    // int stored in 2 bytes: the edge case 0xFFFE reads as -2 or 65534.
    StoredEndian little(0, 2, 2, 4, 4, {0xFE, 0xFF, 0xFE, 0xFF, 0x34, 0x12});
    int asSigned = 0, positive = 0;
    unsigned int asUnsigned = 0;
    little.in >> asSigned >> asUnsigned >> positive;
    EXPECT_EQ(-2, asSigned);
    EXPECT_EQ(65534u, asUnsigned);
    EXPECT_EQ(0x1234, positive);
    EXPECT_TRUE(little.in.Good());

    // Big-endian narrower values take the last bytes.
    StoredEndian big(1, 1, 2, 4, 4, {0xFF, 0xFE, 0x80, 0x7F});
    int value = 0;
    short fromOneByte = 0;
    unsigned short unsignedFromOneByte = 0;
    big.in >> value >> fromOneByte >> unsignedFromOneByte;
    EXPECT_EQ(-2, value);
    EXPECT_EQ(-128, fromOneByte);
    EXPECT_EQ(0x7F, unsignedFromOneByte);
    EXPECT_TRUE(big.in.Good());
    big.in >> fromOneByte;
    EXPECT_TRUE(big.in.Eof());

    // Wider stored values that fit are narrowed.
    StoredEndian wide(0, 2, 4, 8, 4, {0xFB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,   // -5
                                      0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}); // 2^32 - 1
    long narrowed = 0;
    unsigned long unsignedNarrowed = 0;
    wide.in >> narrowed >> unsignedNarrowed;
    EXPECT_EQ(-5L, narrowed);
    EXPECT_EQ(0xFFFFFFFFUL, unsignedNarrowed);
    EXPECT_TRUE(wide.in.Good());
}

TEST(RWEndianInStream, WiderStoredValueThatDoesNotFitSetsFail)
{
    // 2^40 stored in an 8-byte long cannot be held by a 4-byte long.
    StoredEndian huge(0, 2, 4, 8, 4, {0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00});
    long value = 0;
    huge.in >> value;
    EXPECT_TRUE(huge.in.Fail());
    EXPECT_FALSE(huge.in.Eof());

    // 2^31 does not fit a signed 4-byte long either, though it fits an unsigned one.
    StoredEndian big(1, 2, 4, 8, 4, {0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0});
    unsigned long asUnsigned = 0;
    big.in >> asUnsigned;
    EXPECT_EQ(0x80000000UL, asUnsigned);
    EXPECT_TRUE(big.in.Good());
    big.in >> value;
    EXPECT_TRUE(big.in.Fail());
}

TEST(RWEndianInStream, AnyNonZeroOrderByteMeansBigEndianAndLengthsUseTheStoredSize)
{
    StoredEndian seven(7, 2, 4, 4, 4, {0x00, 0x00, 0x01, 0x00});
    EXPECT_EQ(RWEndianHeader::kBigEndian, seven.in.Header().order);
    int value = 0;
    seven.in >> value;
    EXPECT_EQ(256, value);

    StoredEndian sizes(1, 2, 4, 4, 2, {0x00, 0x03, 'a', 'b', 'c'});
    char text[8];
    sizes.in.GetString(text, sizeof text);
    EXPECT_STREQ("abc", text);
    EXPECT_TRUE(sizes.in.Good());
}

TEST(RWEndianInStream, BadHeaderRaisesForEachByteAndReadingGoesOn)
{
    TestErrorCapture capture;
    std::stringbuf buffer(TextOf({'E', 's', 0x02, 0x00, 0x02, 0x04, 0x04, 0x02, 0x04, 0x2A, 0, 0, 0}));
    RWEndianInStream in(&buffer);
    EXPECT_EQ(2u, capture.Count());
    EXPECT_EQ("[STREAM] Bad input stream", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWStreamError>());
    EXPECT_TRUE(in.Fail());
    EXPECT_FALSE(in.Eof());
    in.SetState(0);
    int value = 0;
    in >> value;
    EXPECT_EQ(42, value);

    // An empty stream raises once for every header byte.
    capture.Clear();
    std::stringbuf empty;
    RWEndianInStream none(&empty);
    EXPECT_EQ(RWEndianHeader::kSize, capture.Count());
    EXPECT_TRUE(none.Eof());
    EXPECT_TRUE(none.Fail());
}

// Each of the five width bytes takes 1, 2, 4 or 8; a width between or past them raises
// once and fails the stream, whichever field holds it.
TEST(RWEndianInStream, EachHeaderWidthIsOneTwoFourOrEightBytes)
{
    const uint8_t good[] = {0x65, 0x73, 0x01, 0x00, 0x02, 0x04, 0x04, 0x02, 0x04};
    for (size_t field = 4; field < RWEndianHeader::kSize; ++field) {
        for (uint8_t width : {1, 2, 4, 8, 0, 3, 7, 9}) {
            SCOPED_TRACE(testing::Message() << "byte " << field << " width " << int(width));
            std::string header(good, good + sizeof good);
            header[field] = char(width);
            const bool supported = width == 1 || width == 2 || width == 4 || width == 8;
            TestErrorCapture capture;
            std::stringbuf buffer(header);
            RWEndianInStream in(&buffer);
            EXPECT_EQ(supported ? 0u : 1u, capture.Count());
            EXPECT_EQ(!supported, in.Fail() != 0);
        }
    }
}

TEST(RWEndianInStream, UnsupportedStoredSizeFailsWithoutReading)
{
    for (uint8_t size : {0, 3, 5, 16, 255}) {
        TestErrorCapture capture;
        StoredEndian stored(0, 2, size, 4, 4, {0x01, 0x02, 0x03, 0x04});
        EXPECT_EQ(1u, capture.Count()) << int(size);
        EXPECT_TRUE(stored.in.Fail());
        stored.in.SetState(0);
        int value = 7;
        stored.in >> value;
        EXPECT_TRUE(stored.in.Fail()) << int(size);
        EXPECT_FALSE(stored.in.Eof()) << int(size);
        stored.in.SetState(0);
        short fine = 0;
        stored.in >> fine;
        EXPECT_EQ(0x0201, fine);
    }
}
