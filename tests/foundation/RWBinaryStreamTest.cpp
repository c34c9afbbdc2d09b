#include "StreamBytes.h"

#include "foundation/RWBinaryInStream.h"
#include "foundation/RWBinaryOutStream.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(RWBinaryOutStream, WritesHostBytesOfEachWidthArraysAndCountedTexts)
{
    std::stringbuf buffer;
    RWBinaryOutStream out(&buffer);
    out << 'A' << static_cast<unsigned char>(0xFE) << static_cast<short>(-2) << static_cast<unsigned short>(0x1234)
        << 0x01020304 << 0x05060708u << -1L << 7UL << 1.0f << 1.0;
    const short shorts[] = {1, -1};
    const char chars[] = {'x', 'y'};
    out.Put(shorts, 2).Put(chars, 2).Put('z').Put(static_cast<unsigned char>(0x80));
    out.PutString("ab\0c", 4);
    out << "hi";
    out.PutString("", 0);
    const std::vector<uint8_t> expected = {
        0x41, 0xFE, 0xFE, 0xFF, 0x34, 0x12, 0x04, 0x03, 0x02, 0x01, 0x08, 0x07, 0x06, 0x05,
        0xFF, 0xFF, 0xFF, 0xFF, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F,
        0x01, 0x00, 0xFF, 0xFF, 'x', 'y', 'z', 0x80,
        0x04, 0x00, 0x00, 0x00, 'a', 'b', 0x00, 'c', 0x02, 0x00, 0x00, 0x00, 'h', 'i', 0x00, 0x00, 0x00, 0x00,
    };
    EXPECT_EQ(expected, BytesOf(buffer.str()));
    EXPECT_TRUE(out.Good());
}

TEST(RWBinaryOutStream, BufferThatTakesTooFewBytesSetsFail)
{
    char storage[6];
    FixedStreamBuffer buffer(storage, sizeof storage);
    RWBinaryOutStream out(&buffer);
    out << 0x11223344;
    EXPECT_TRUE(out.Good());
    out << 0x55667788;
    EXPECT_TRUE(out.Fail());
    EXPECT_EQ(6u, buffer.Used());
}

TEST(RWBinaryInStream, ShortReadSetsEofAndFailAndGetAnswersMinusOne)
{
    std::stringbuf buffer(TextOf({0x00, 0xFF, 0x01, 0x02}));
    RWBinaryInStream in(&buffer);
    EXPECT_EQ(0, in.Get());
    EXPECT_EQ(255, in.Get());
    EXPECT_TRUE(in.Good());
    int value = 0;
    in >> value;
    EXPECT_EQ(RWDataStream::kEof | RWDataStream::kFail, in.State());
    in.SetState(0);
    EXPECT_EQ(-1, in.Get());
    EXPECT_EQ(RWDataStream::kEof | RWDataStream::kFail, in.State());
}

TEST(RWBinaryInStream, DamagedCountedTextsFailCleanly)
{
    const struct {
        std::string bytes;
        size_t room;
        const char* text;
        unsigned state;
    } cases[] = {
        // No whole length word: empty text, fail and bad.
        {TextOf({0x05, 0x00}), 8, "", RWDataStream::kFail | RWDataStream::kBad},
        // Cut short: what came is kept.
        {TextOf({0x05, 0x00, 0x00, 0x00, 'a', 'b'}), 8, "ab", RWDataStream::kEof | RWDataStream::kFail},
        // A huge stored length stops at the end of the data.
        {TextOf({0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c', 'd', 'e'}), 3, "ab", RWDataStream::kEof | RWDataStream::kFail},
    };
    for (const auto& c : cases) {
        std::stringbuf buffer(c.bytes);
        RWBinaryInStream in(&buffer);
        char text[8] = "garbage";
        in.GetString(text, c.room);
        EXPECT_STREQ(c.text, text);
        EXPECT_EQ(c.state, in.State() & c.state) << c.text;
        EXPECT_TRUE(in.Fail());
    }

    // A zero-sized buffer stores nothing, and the text is still read past.
    std::stringbuf buffer(TextOf({0x02, 0x00, 0x00, 0x00, 'a', 'b', 0x07}));
    RWBinaryInStream in(&buffer);
    char untouched = '#';
    in.GetString(&untouched, 0);
    EXPECT_EQ('#', untouched);
    EXPECT_TRUE(in.Fail());
    in.SetState(0);
    EXPECT_EQ(7, in.Get());
}
