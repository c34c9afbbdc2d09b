#include "foundation/RWBinaryFile.h"

#include "FileBytes.h"
#include "TempPath.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

TEST(RWBinaryFile, OpensMissingFileByCreatingIt)
{
    TempPath path("missing.bin");
    {
        RWBinaryFile file(path.c_str());
        ASSERT_TRUE(file.IsValid());
        EXPECT_STREQ("wb+", file.Mode());
        EXPECT_TRUE(file.IsEmpty());
        EXPECT_TRUE(file.Write(1234));
    }
    RWBinaryFile again(path.c_str());
    EXPECT_STREQ("rb+", again.Mode());
    int v = 0;
    EXPECT_TRUE(again.Read(v));
    EXPECT_EQ(1234, v);
    RWBinaryFile readOnly(TempPath("nowhere/none.bin").c_str(), "rb");
    EXPECT_FALSE(readOnly.IsValid());
    EXPECT_STREQ("rb", readOnly.Mode());
    EXPECT_FALSE(readOnly.Write('x'));
    EXPECT_FALSE(readOnly.Read(v));
}

TEST(RWBinaryFile, WritesFixedWidthsInHostOrder)
{
    TempPath path("widths.bin");
    {
        RWBinaryFile file(path.c_str(), "wb");
        EXPECT_TRUE(file.Write('A') && file.Write(static_cast<unsigned char>(0xFE)) &&
                    file.Write(static_cast<short>(-2)) && file.Write(static_cast<unsigned short>(0x1234)) &&
                    file.Write(0x01020304) && file.Write(0x05060708u) && file.Write(-1L) && file.Write(7UL) &&
                    file.Write(1.0f) && file.Write(-2.0) && file.Write("abc"));
    }
    const std::vector<uint8_t> expected = {0x41, 0xFE, 0xFE, 0xFF, 0x34, 0x12, 0x04, 0x03, 0x02, 0x01, 0x08, 0x07,
                                           0x06, 0x05, 0xFF, 0xFF, 0xFF, 0xFF, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00,
                                           0x80, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x61, 0x62,
                                           0x63, 0x00};
    EXPECT_EQ(expected, FileBytes(path.str()));
}

TEST(RWBinaryFile, ShortReadFailsAndSetsEof)
{
    TempPath path("short.bin");
    RWBinaryFile file(path.c_str(), "wb+");
    ASSERT_TRUE(file.Write(static_cast<short>(1)));
    ASSERT_TRUE(file.SeekToBegin());
    unsigned int v = 0;
    EXPECT_FALSE(file.Read(v));
    EXPECT_TRUE(file.Eof());
    file.SeekToBegin();
    EXPECT_FALSE(file.Eof());
    int many[4];
    EXPECT_FALSE(file.Read(many, 4));
}

TEST(RWBinaryFile, SwitchesBetweenReadingAndWritingWithoutSeeking)
{
    TempPath path("switch.bin");
    RWBinaryFile file(path.c_str(), "wb+");
    ASSERT_TRUE(file.Write(1));
    ASSERT_TRUE(file.Write(2));
    ASSERT_TRUE(file.SeekToBegin());
    int v = 0;
    ASSERT_TRUE(file.Read(v));
    EXPECT_EQ(1, v);
    // Overwrite the second word right after a read, then read on after a write.
    ASSERT_TRUE(file.Write(20));
    ASSERT_TRUE(file.Write(30));
    EXPECT_FALSE(file.Read(v));
    ASSERT_TRUE(file.SeekTo(4));
    ASSERT_TRUE(file.Read(v));
    EXPECT_EQ(20, v);
    ASSERT_TRUE(file.SeekToEnd());
    EXPECT_EQ(12, file.CurOffset());
}

TEST(RWBinaryFile, IsEmptySeesUnflushedWritesAndEraseEmpties)
{
    TempPath path("erase.bin");
    RWBinaryFile file(path.c_str(), "wb+");
    EXPECT_TRUE(file.IsEmpty());
    ASSERT_TRUE(file.Write('z'));
    EXPECT_FALSE(file.IsEmpty());
    EXPECT_TRUE(file.Erase());
    EXPECT_STREQ("wb+", file.Mode());
    EXPECT_TRUE(file.IsEmpty());
    EXPECT_TRUE(file.Exists());
    EXPECT_TRUE(RWBinaryFile::Exists(path.c_str()));
    EXPECT_FALSE(RWBinaryFile::Exists(TempPath("absent.bin").c_str()));
}

TEST(RWBinaryFile, ReadsTerminatedTextOnlyWithinItsBuffer)
{
    TempPath path("text.bin");
    RWBinaryFile file(path.c_str(), "wb+");
    ASSERT_TRUE(file.Write("hello"));
    ASSERT_TRUE(file.Write("longer text"));
    ASSERT_TRUE(file.Write("tail", 4));
    ASSERT_TRUE(file.SeekToBegin());
    char buffer[8];
    EXPECT_TRUE(file.ReadString(buffer, sizeof buffer));
    EXPECT_STREQ("hello", buffer);
    EXPECT_FALSE(file.ReadString(buffer, sizeof buffer));
    EXPECT_STREQ("longer ", buffer);
    ASSERT_TRUE(file.SeekTo(18));
    EXPECT_TRUE(file.ReadString(buffer, sizeof buffer));
    EXPECT_STREQ("tail", buffer);
    EXPECT_FALSE(file.ReadString(buffer, 0));
}

TEST(RWBinaryFile, RemainingCountsBytesToTheEndIncludingUnflushedWrites)
{
    TempPath path("remaining.bin");
    RWBinaryFile file(path.c_str(), "wb+");
    EXPECT_EQ(0, file.Remaining());
    ASSERT_TRUE(file.Write("abcdef", 6));
    EXPECT_EQ(0, file.Remaining());
    ASSERT_TRUE(file.SeekTo(2));
    EXPECT_EQ(4, file.Remaining());
    char c = 0;
    ASSERT_TRUE(file.Read(c));
    EXPECT_EQ(3, file.Remaining());
    ASSERT_TRUE(file.Write('x'));
    EXPECT_EQ(2, file.Remaining());
    RWBinaryFile closed(TempPath("nowhere/none.bin").c_str(), "rb");
    EXPECT_EQ(-1, closed.Remaining());
}

// Seeks to where the stream already is are left out, and a short way ahead of a read
// read over; reads, writes, flushes, seeks and short reads in any order must still see
// exactly the bytes a plain model holds.
TEST(RWBinaryFile, SeeksToTheCurrentPlaceKeepEveryByteInStep)
{
    TempPath path("inplace.bin");
    RWBinaryFile file(path.c_str(), "wb+");
    ASSERT_TRUE(file.IsValid());
    std::vector<char> model;
    long at = 0;
    uint32_t seed = 7;
    auto next = [&seed](uint32_t n) { return (seed = seed * 1103515245u + 12345u) / 65536u % n; };
    ASSERT_TRUE(file.SeekTo(0));
    for (int step = 0; step < 4000; ++step) {
        const uint32_t what = next(12);
        if (what < 4) {
            // Mostly to the current place or a little ahead, as a records file does.
            const long ahead = std::min(long(model.size()), at + long(next(300)));
            const long to = what < 2 ? at : what == 2 ? ahead : long(next(uint32_t(model.size()) + 1));
            ASSERT_TRUE(file.SeekTo(to)) << step;
            at = to;
        } else if (what < 7) {
            const uint32_t n = 1 + next(40);
            std::vector<char> bytes(n);
            for (char& c : bytes)
                c = char(next(256));
            ASSERT_TRUE(file.Write(bytes.data(), n)) << step;
            if (model.size() < size_t(at) + n)
                model.resize(size_t(at) + n);
            std::copy(bytes.begin(), bytes.end(), model.begin() + at);
            at += long(n);
        } else if (what < 11) {
            const uint32_t n = 1 + next(40);
            std::vector<char> bytes(n);
            const bool fits = size_t(at) + n <= model.size();
            ASSERT_EQ(fits, file.Read(bytes.data(), n)) << step;
            if (fits) {
                ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), model.begin() + at)) << step;
                at += long(n);
            } else {
                // A short read leaves the place to the runtime: seek back to a known one.
                ASSERT_TRUE(file.SeekTo(at)) << step;
            }
        } else {
            // After reading, the runtime's flush drops what it read ahead and moves the
            // place: the seek that follows must go to the system.
            ASSERT_TRUE(file.Flush()) << step;
            ASSERT_TRUE(file.SeekTo(at)) << step;
        }
        ASSERT_EQ(at, file.CurOffset()) << step;
    }
    ASSERT_TRUE(file.Flush());
    EXPECT_EQ(std::vector<uint8_t>(model.begin(), model.end()), FileBytes(path.str()));
}

// Held in memory: nothing reaches the file until a chunk more than the bound would be
// held; then every changed byte goes out in ascending order, and the chunk touched
// longest ago is let go (read back whole when it is needed again).
TEST(RWBinaryFile, BufferedWritesReachTheFileInOrderWhenTheBoundIsReached)
{
    TempPath path("buffered-bound.bin");
    RWBinaryFile file(path.c_str(), "wb+");
    ASSERT_TRUE(file.Buffer(16, 2));
    EXPECT_TRUE(file.IsBuffered());
    const std::string a(16, 'a'), b(16, 'b'), c(16, 'c');
    ASSERT_TRUE(file.SeekTo(16));
    ASSERT_TRUE(file.Write(b.data(), 16));
    ASSERT_TRUE(file.SeekTo(0));
    ASSERT_TRUE(file.Write(a.data(), 16));
    EXPECT_TRUE(FileBytes(path.str()).empty()) << "two chunks are held";
    EXPECT_EQ(0u, file.FileWrites());
    EXPECT_EQ(16, file.Remaining()) << "the file is 32 bytes long";
    ASSERT_TRUE(file.SeekTo(32));
    ASSERT_TRUE(file.Write(c.data(), 16));
    const std::string ab = a + b, abc = ab + c;
    EXPECT_EQ(std::vector<uint8_t>(ab.begin(), ab.end()), FileBytes(path.str()))
        << "a third chunk sends the first two out, lowest offset first";
    EXPECT_EQ(2u, file.FileWrites());
    EXPECT_EQ(0u, file.FileReads());
    char first[16] = {};
    ASSERT_TRUE(file.SeekTo(16));
    ASSERT_TRUE(file.Read(first, 16));
    EXPECT_EQ(b, std::string(first, 16)) << "the chunk let go is read back";
    EXPECT_EQ(1u, file.FileReads());
    ASSERT_TRUE(file.Flush());
    EXPECT_EQ(std::vector<uint8_t>(abc.begin(), abc.end()), FileBytes(path.str()));
    EXPECT_FALSE(file.Error());
}

// A file written before is read in whole chunks, however small the reads asked for;
// past its end a read fails and sets the end flag, as without buffering.
TEST(RWBinaryFile, BufferedReadsTakeWholeChunks)
{
    TempPath path("buffered-read.bin");
    std::vector<uint8_t> bytes(100);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i);
    ASSERT_TRUE(WriteFileBytes(path.str(), bytes));
    RWBinaryFile file(path.c_str());
    ASSERT_STREQ("rb+", file.Mode());
    ASSERT_TRUE(file.Buffer(64, 4));
    EXPECT_FALSE(file.IsEmpty());
    EXPECT_EQ(100, file.Remaining());
    for (int i = 0; i < 25; ++i) {
        uint32_t word = 0;
        ASSERT_TRUE(file.Read(word)) << i;
        EXPECT_EQ(uint32_t(4 * i) | uint32_t(4 * i + 1) << 8 | uint32_t(4 * i + 2) << 16 | uint32_t(4 * i + 3) << 24,
                  word);
    }
    EXPECT_EQ(2u, file.FileReads()) << "100 bytes in chunks of 64";
    EXPECT_EQ(100, file.CurOffset());
    char c = 0;
    EXPECT_FALSE(file.Read(c));
    EXPECT_TRUE(file.Eof());
    ASSERT_TRUE(file.SeekTo(99));
    EXPECT_FALSE(file.Eof());
    ASSERT_TRUE(file.Read(c));
    EXPECT_EQ(99, c);
    EXPECT_EQ(0u, file.FileWrites()) << "nothing changed, nothing written";
    RWBinaryFile readOnly(path.c_str(), "rb");
    EXPECT_FALSE(readOnly.Buffer(64, 4)) << "a file that cannot be written stays unbuffered";
}

// The same walk of seeks, reads, writes and flushes as above through a small buffer
// that must let chunks go all the time: every byte stays in step with a plain model,
// on disk after the flush too.
TEST(RWBinaryFile, BufferedFileKeepsEveryByteInStepWhileChunksComeAndGo)
{
    TempPath path("buffered-walk.bin");
    RWBinaryFile file(path.c_str(), "wb+");
    ASSERT_TRUE(file.Buffer(64, 3));
    std::vector<char> model;
    long at = 0;
    uint32_t seed = 11;
    auto next = [&seed](uint32_t n) { return (seed = seed * 1103515245u + 12345u) / 65536u % n; };
    for (int step = 0; step < 4000; ++step) {
        const uint32_t what = next(12);
        if (what < 4) {
            const long to = long(next(uint32_t(model.size()) + 1));
            ASSERT_TRUE(file.SeekTo(to)) << step;
            at = to;
        } else if (what < 7) {
            const uint32_t n = 1 + next(150);
            std::vector<char> bytes(n);
            for (char& c : bytes)
                c = char(next(256));
            ASSERT_TRUE(file.Write(bytes.data(), n)) << step;
            if (model.size() < size_t(at) + n)
                model.resize(size_t(at) + n);
            std::copy(bytes.begin(), bytes.end(), model.begin() + at);
            at += long(n);
        } else if (what < 11) {
            const uint32_t n = 1 + next(150);
            std::vector<char> bytes(n);
            const bool fits = size_t(at) + n <= model.size();
            ASSERT_EQ(fits, file.Read(bytes.data(), n)) << step;
            const size_t got = fits ? n : model.size() - size_t(at);
            ASSERT_TRUE(std::equal(bytes.begin(), bytes.begin() + got, model.begin() + at)) << step;
            at += long(got);
        } else {
            ASSERT_TRUE(file.Flush()) << step;
        }
        ASSERT_EQ(at, file.CurOffset()) << step;
        ASSERT_EQ(long(model.size()) - at, file.Remaining()) << step;
    }
    ASSERT_TRUE(file.Flush());
    EXPECT_EQ(std::vector<uint8_t>(model.begin(), model.end()), FileBytes(path.str()));
    EXPECT_GT(file.FileReads(), 0u);
}

// A write back that the system refuses sets the error flag for good and fails the flush.
TEST(RWBinaryFile, BufferedWriteBackThatFailsSetsTheErrorFlag)
{
    TempPath path("buffered-refused.bin");
    RWBinaryFile file(path.c_str(), "wb+");
    ASSERT_TRUE(file.Buffer(64, 4));
    ASSERT_TRUE(file.Write("abcdef", 6));
    // The descriptor now holds a handle that may only read the file.
    const int readOnly = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    ASSERT_GE(readOnly, 0);
    ASSERT_EQ(0, _dup2(readOnly, _fileno(file.Handle())));
    _close(readOnly);
    EXPECT_FALSE(file.Error()) << "held in memory: nothing was refused yet";
    EXPECT_FALSE(file.Flush());
    EXPECT_TRUE(file.Error());
    EXPECT_TRUE(FileBytes(path.str()).empty());
}
