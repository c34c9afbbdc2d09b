#include "model/GBinaryData.h"

#include "AllocationWatch.h"
#include "StoredForms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

// Deletions are recorded while a FreedBuffers is alive, so that the tests see which
// buffers an object frees.
namespace {

std::atomic<void*> g_watched[8];
std::atomic<int> g_freedCount[8];

void NoteFreed(void* p)
{
    if (!p)
        return;
    for (int i = 0; i < 8; ++i)
        if (g_watched[i] == p)
            ++g_freedCount[i];
}

class FreedBuffers {
public:
    FreedBuffers()
    {
        for (int i = 0; i < 8; ++i) {
            g_watched[i] = nullptr;
            g_freedCount[i] = 0;
        }
        AllocationWatch::OnFree(NoteFreed);
    }
    ~FreedBuffers()
    {
        AllocationWatch::OnFree(nullptr);
        for (auto& watched : g_watched)
            watched = nullptr;
    }
    // Watches p (up to eight buffers).
    void Watch(const void* p)
    {
        for (auto& watched : g_watched)
            if (!watched) {
                watched = const_cast<void*>(p);
                return;
            }
    }
    int TimesFreed(const void* p) const
    {
        for (int i = 0; i < 8; ++i)
            if (g_watched[i] == p)
                return g_freedCount[i];
        return -1;
    }
};


uint8_t* NewBytes(std::initializer_list<uint8_t> bytes)
{
    uint8_t* data = new uint8_t[bytes.size()];
    std::copy(bytes.begin(), bytes.end(), data);
    return data;
}

} // namespace

TEST(GBinaryDataCompare, SameIdAndBytesInDifferentBuffersAreSame)
{
    uint8_t a[] = {9, 8, 7};
    uint8_t b[] = {9, 8, 7};
    GBinaryData first(a, 3, 0, 5);
    GBinaryData second(b, 3, 0, 5);
    EXPECT_TRUE(first.IsSame(&second));
    EXPECT_TRUE(first.IsEqual(&second));
    GBinaryData shorter(b, 2, 0, 5);
    GBinaryData otherId(a, 3, 0, 6);
    GObjectBase root(5);
    const GObjectBase* others[] = {&shorter, &otherId, &root, nullptr};
    for (const GObjectBase* other : others)
        EXPECT_FALSE(first.IsSame(other));
    b[2] = 0;
    EXPECT_FALSE(first.IsSame(&second));
}

TEST(GBinaryDataCopy, CopyHasItsOwnBufferAndAFreshRoot)
{
    uint8_t bytes[] = {1, 2, 3, 4};
    GBinaryData source(bytes, 4, 0, 77);
    GBinaryData copy(source);
    EXPECT_NE(bytes, copy.GetData());
    ASSERT_EQ(4u, copy.GetLength());
    EXPECT_TRUE(std::equal(bytes, bytes + 4, copy.GetData()));
    EXPECT_EQ(0, copy.OwnsData());
    EXPECT_EQ(0, copy.GetId());
    EXPECT_NE(source.GetSerial(), copy.GetSerial());
    const GBinaryData emptySource;
    GBinaryData emptyCopy(emptySource);
    EXPECT_EQ(nullptr, emptyCopy.GetData());
}

TEST(GBinaryDataCopy, CopyFreesTheBufferItMadeThoughItsFlagIsZero)
{
    FreedBuffers freed;
    uint8_t bytes[] = {5, 6};
    GBinaryData source(bytes, 2, 0);
    GBinaryData* copy = source.Copy();
    const uint8_t* buffer = copy->GetData();
    freed.Watch(buffer);
    EXPECT_EQ(0, copy->OwnsData());
    delete copy;
    EXPECT_EQ(1, freed.TimesFreed(buffer));
}

TEST(GBinaryDataCopy, AssignmentCopiesTheBytesAndTheRootPart)
{
    FreedBuffers freed;
    uint8_t* owned = NewBytes({1, 2, 3});
    freed.Watch(owned);
    GBinaryData source(owned, 3, 1, 12);
    source.SetSerial(99);
    GBinaryData target;
    target = source;
    EXPECT_NE(source.GetData(), target.GetData());
    ASSERT_EQ(3u, target.GetLength());
    EXPECT_EQ(3, target.GetData()[2]);
    EXPECT_EQ(12, target.GetId());
    EXPECT_EQ(99, target.GetSerial());
    // One buffer, one owner: changing the source leaves the target alone.
    source.GetData()[0] = 50;
    EXPECT_EQ(1, target.GetData()[0]);
    source.Clear();
    EXPECT_EQ(1, freed.TimesFreed(owned));
    EXPECT_EQ(1, target.GetData()[0]);
}

TEST(GBinaryDataCopy, AssignmentFreesWhatTheTargetOwnedExceptFromItself)
{
    FreedBuffers freed;
    uint8_t* owned = NewBytes({4, 5});
    uint8_t* old = NewBytes({7});
    freed.Watch(owned);
    freed.Watch(old);
    GBinaryData data(owned, 2, 1);
    GBinaryData& alias = data;
    data = alias;
    EXPECT_EQ(owned, data.GetData());
    EXPECT_EQ(0, freed.TimesFreed(owned));
    EXPECT_EQ(5, data.GetData()[1]);

    GBinaryData target(old, 1, 1);
    target = GBinaryData();
    EXPECT_EQ(1, freed.TimesFreed(old));
    EXPECT_EQ(nullptr, target.GetData());
}

TEST(GBinaryDataOwnership, OwnedDataIsFreedOnceAndBorrowedDataNever)
{
    FreedBuffers freed;
    uint8_t* owned = NewBytes({1});
    uint8_t* borrowed = NewBytes({2});
    uint8_t* cleared = NewBytes({3});
    freed.Watch(owned);
    freed.Watch(borrowed);
    freed.Watch(cleared);
    {
        GBinaryData a(owned, 1, 1);
        GBinaryData b(borrowed, 1, 0);
        GBinaryData c(cleared, 1, 1);
        c.Clear();
        EXPECT_EQ(1, freed.TimesFreed(cleared));
        EXPECT_EQ(nullptr, c.GetData());
        EXPECT_EQ(0, c.OwnsData());
    }
    EXPECT_EQ(1, freed.TimesFreed(owned));
    EXPECT_EQ(0, freed.TimesFreed(borrowed));
    EXPECT_EQ(1, freed.TimesFreed(cleared));
    delete[] borrowed;
}

TEST(GBinaryDataOwnership, SetDataFreesTheOwnedDataFirstAndReleaseHandsItOver)
{
    FreedBuffers freed;
    uint8_t* first = NewBytes({1});
    uint8_t* second = NewBytes({2, 3});
    freed.Watch(first);
    freed.Watch(second);
    uint8_t* released = nullptr;
    {
        GBinaryData data(first, 1, 1);
        data.SetData(second, 2, 1);
        EXPECT_EQ(1, freed.TimesFreed(first));
        EXPECT_EQ(second, data.GetData());
        EXPECT_EQ(2u, data.GetLength());
        // Giving the same buffer again never frees it.
        data.SetData(second, 1, 1);
        EXPECT_EQ(0, freed.TimesFreed(second));
        EXPECT_EQ(1u, data.GetLength());
        released = data.Release();
        EXPECT_EQ(nullptr, data.GetData());
        EXPECT_EQ(0u, data.GetLength());
        EXPECT_EQ(0, data.OwnsData());
    }
    EXPECT_EQ(second, released);
    EXPECT_EQ(0, freed.TimesFreed(second));
    delete[] released;
}

namespace {

// id 7, serial 0x0102, three bytes, owns flag 1.
const std::vector<uint8_t> kStoredThreeBytes = {
    0x01, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x02, 0x01, 0x00, 0x00,  // root part
    0x01, 0x00, 0x00, 0x00,                                                  // version
    0x03, 0x00, 0x00, 0x00,                                                  // length
    0x01, 0x00, 0x00, 0x00,                                                  // owns flag
    0xAA, 0x00, 0xFF,                                                        // bytes
};

} // namespace

TEST(GBinaryDataStore, FileFormIsLengthFlagThenBytesAndReadsBack)
{
    GBinaryData data(NewBytes({0xAA, 0x00, 0xFF}), 3, 1, 7);
    data.SetSerial(0x0102);
    EXPECT_EQ(kStoredThreeBytes, GutsBytes(data));
    EXPECT_EQ(kStoredThreeBytes, BytesOf(StreamFormOf(StreamKind::Binary, data)));

    GBinaryData restored;
    RestoreGutsAndMeasure(restored, kStoredThreeBytes);
    ASSERT_EQ(3u, restored.GetLength());
    EXPECT_EQ(0xFF, restored.GetData()[2]);
    EXPECT_EQ(1, restored.OwnsData());
    EXPECT_EQ(7, restored.GetId());
    EXPECT_EQ(0x0102, restored.GetSerial());
}

TEST(GBinaryDataStore, EmptyDataStoresTwelveBytesAfterTheRoot)
{
    GBinaryData data;
    const std::vector<uint8_t> bytes = GutsBytes(data);
    EXPECT_EQ(12u + 12u, bytes.size());
    EXPECT_EQ(24u, data.BinaryStoreSize());
    GBinaryData restored(NewBytes({1}), 1, 1);
    RestoreGutsAndMeasure(restored, bytes);
    EXPECT_EQ(nullptr, restored.GetData());
    EXPECT_EQ(0u, restored.GetLength());
}

TEST(GBinaryDataStore, RestoreFreesWhatItOwnedAndWhatItReadWhateverTheStoredFlag)
{
    FreedBuffers freed;
    uint8_t* old = NewBytes({1, 2, 3, 4});
    freed.Watch(old);
    GBinaryData* restored = new GBinaryData(old, 4, 1);
    RestoreGutsAndMeasure(*restored, StoredBytes().Root(1, 1).U32(1).U32(2).U32(0).U8(5).U8(6));
    EXPECT_EQ(1, freed.TimesFreed(old));
    ASSERT_EQ(2u, restored->GetLength());
    EXPECT_EQ(0, restored->OwnsData());
    const uint8_t* buffer = restored->GetData();
    freed.Watch(buffer);
    delete restored;
    EXPECT_EQ(1, freed.TimesFreed(buffer));
}

TEST(GBinaryDataStore, OtherVersionOrALengthBeyondTheFileKeepsTheObject)
{
    uint8_t bytes[] = {1};
    GBinaryData other(bytes, 1, 0);
    EXPECT_EQ(8, RestoreGutsAndMeasure(other, StoredBytes().Root(3, 3).U32(2).U32(0).U32(0)).left);
    EXPECT_EQ(bytes, other.GetData());
    for (uint32_t length : {4u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        GBinaryData data(bytes, 1, 0);
        const FileEnd rest = RestoreGutsAndMeasure(data, StoredBytes().Root(3, 3).U32(1).U32(length).U32(1).U8(9).U8(9));
        EXPECT_EQ(bytes, data.GetData()) << length;
        EXPECT_EQ(1u, data.GetLength());
        EXPECT_TRUE(rest.eof);
        EXPECT_EQ(0, rest.left);
    }
}
