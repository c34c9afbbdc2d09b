#include "model/GByteBuffer.h"
#include "model/GStreamHolder.h"

#include "TempPath.h"
#include "foundation/RWErrorCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

TEST(GByteBufferOwnership, ReleaseCloneAndMakeOwned)
{
    uint8_t* bytes = new uint8_t[3]{1, 2, 3};
    GByteBuffer owned(bytes, 3, 1);
    uint8_t* first = owned.Release();
    EXPECT_EQ(bytes, first);
    EXPECT_FALSE(owned.Owns());
    std::unique_ptr<uint8_t[]> second(owned.Release());
    EXPECT_NE(bytes, second.get());
    EXPECT_EQ(0, std::memcmp(bytes, second.get(), 3));
    delete[] first;

    uint8_t source[3] = {7, 8, 9};
    GByteBuffer borrowed(source, 3, 0);
    EXPECT_EQ(1, borrowed.MakeOwned());
    source[0] = 0;
    EXPECT_EQ(7, borrowed.GetData()[0]);
    std::unique_ptr<GByteBuffer> clone(borrowed.Clone());
    EXPECT_TRUE(clone->Owns() && !borrowed.Owns() && clone->GetData() == borrowed.GetData());
}

// A copy made in one allocation: its bytes go with the record, so Release and Clone hand
// out copies of their own and the record stays whole.
TEST(GByteBufferOwnership, NewCopyHoldsItsOwnBytesAndReleaseGivesACopy)
{
    uint8_t source[4] = {1, 2, 3, 4};
    std::unique_ptr<GByteBuffer> copy(GByteBuffer::NewCopy(source, 4));
    ASSERT_TRUE(copy);
    source[0] = 9;
    EXPECT_TRUE(copy->Owns());
    EXPECT_EQ(4u, copy->GetLength());
    EXPECT_EQ(0, std::memcmp(copy->GetData(), "\x01\x02\x03\x04", 4));
    std::unique_ptr<uint8_t[]> released(copy->Release());
    EXPECT_NE(copy->GetData(), released.get());
    EXPECT_EQ(0, std::memcmp(copy->GetData(), released.get(), 4));
    EXPECT_TRUE(copy->Owns());
    EXPECT_EQ(1, copy->MakeOwned());
    std::unique_ptr<GByteBuffer> clone(copy->Clone());
    ASSERT_TRUE(clone);
    EXPECT_NE(copy->GetData(), clone->GetData());
    EXPECT_EQ(0, std::memcmp(copy->GetData(), clone->GetData(), 4));

    std::unique_ptr<GByteBuffer> empty(GByteBuffer::NewCopy(nullptr, 0));
    ASSERT_TRUE(empty);
    EXPECT_EQ(nullptr, empty->GetData());
    EXPECT_EQ(0u, empty->GetLength());
    EXPECT_EQ(nullptr, empty->Release());
    EXPECT_EQ(nullptr, GByteBuffer::NewCopy(source, 0xFFFFFFFFu));
}

// Freed copies hand their room on to the next copies of about the same size, on any
// thread: every record still holds exactly its own bytes.
TEST(GByteBufferOwnership, CopiesMadeAndFreedOnManyThreadsKeepTheirOwnBytes)
{
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &wrong] {
            std::vector<uint8_t> source(1500);
            for (int round = 0; round < 4000; ++round) {
                const uint32_t length = uint32_t(round * 37 + t * 101) % 1500;
                std::fill(source.begin(), source.begin() + length, uint8_t(round + t));
                std::unique_ptr<GByteBuffer> a(GByteBuffer::NewCopy(source.data(), length));
                std::unique_ptr<GByteBuffer> b(new GByteBuffer(nullptr, 0, 1));
                const uint8_t mark = uint8_t(round + t);
                if (!a || a->GetLength() != length ||
                    (length && (a->GetData()[0] != mark || a->GetData()[length - 1] != mark)))
                    ++wrong;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, wrong.load());
}

TEST(GStreamHolderKinds, UnknownKindGivesNoStreamAndInputStartsAtZero)
{
    uint8_t bytes[10] = {};
    EXPECT_EQ(0, GInStreamHolder(bytes, sizeof bytes, 1).Tell());
    EXPECT_EQ(nullptr, GInStreamHolder(bytes, sizeof bytes, 3).GetStream());
    EXPECT_EQ(nullptr, GOutStreamHolder(bytes, sizeof bytes, 3).GetStream());
}

// An N-byte memory holder takes N bytes and fails at the next, staying at N; its end is
// its capacity. The endian stream writes its header into it like into any new buffer.
TEST(GOutStreamHolderMemory, FixedCapacityFailsPastTheEndOfEveryKind)
{
    for (int kind : {1, 2}) {
        RWErrorCapture capture;
        char buffer[16] = {};
        GOutStreamHolder holder(buffer, sizeof buffer, kind);
        RWDataOutStream& out = *holder.GetStream();
        const std::streamoff start = holder.Tell();
        EXPECT_EQ(kind == 2 ? 9 : 0, start);
        for (std::streamoff at = start; at < 16; ++at)
            out << static_cast<unsigned char>(at);
        EXPECT_TRUE(out.Good()) << kind;
        EXPECT_EQ(16, holder.Tell());
        out << static_cast<unsigned char>(0xEE);
        EXPECT_TRUE(out.Fail()) << kind;
        EXPECT_EQ(16, holder.Tell());
        holder.SeekTo(4);
        EXPECT_EQ(4, holder.Tell());
        EXPECT_EQ(16, holder.Runtime().rdbuf()->pubseekoff(0, std::ios::end, std::ios::out));
        holder.SeekTo(17);
        EXPECT_TRUE(holder.Runtime().fail());
        EXPECT_EQ(0u, capture.Count()) << kind;
    }
}

TEST(GStreamHolderFiles, WrittenFileReadsBack)
{
    TempPath path("holder.bin");
    const RWWString name(path.c_str());
    *GOutStreamHolder(name, 0).GetStream() << 1234567ul;
    GInStreamHolder in(name, 0);
    unsigned long value = 0;
    *in.GetStream() >> value;
    EXPECT_EQ(1234567ul, value);
}

} // namespace
