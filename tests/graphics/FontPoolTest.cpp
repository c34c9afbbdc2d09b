// The font file pool and its handles: sharing one reader per file key, user counts,
// jobs, the font spool stream, and locking under concurrent use.
#include "../model/StoredForms.h"
#include "FontTestFonts.h"

#include "graphics/GTTFontFile.h"
#include "graphics/GTTFontFilePool.h"
#include "graphics/GTTMemoryFontFileReader.h"
#include "graphics/GTTWin32FontFileReader.h"
#include "model/GStreamHolder.h"
#include "../printer/TestOSFactory.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

// The system services give the pool and the readers real locks.
class FontPool : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!GOSFactory::Instance())
            new TestOSFactory;
    }

    static GTTWin32FontFileReader* OnDisk(uint32_t key)
    {
        const std::string path = DejaVuPath("DejaVuSans.ttf");
        return new GTTWin32FontFileReader(RWWString(std::wstring(path.begin(), path.end()).c_str()), key);
    }

    // The spool stream of the job's readers, written by a pool of its own: one reader
    // of key 7 that mapped a character and changed `changes` times more.
    static std::vector<uint8_t> Spool(uint32_t job, uint32_t changes)
    {
        GTTFontFilePool pool;
        std::unique_ptr<GTTFontFile> handle(pool.NewHandle(OnDisk(7)));
        handle->MapCharacter(0, 0, 'A', 16);
        for (uint32_t i = 0; i < changes; ++i)
            handle->GetReader()->MarkChanged();
        handle->Close(job);
        std::vector<uint8_t> buffer(1 << 20);
        buffer.resize(pool.SaveToStream(buffer.data(), uint32_t(buffer.size()), job));
        return buffer;
    }

    static std::vector<uint8_t> Stream(const std::function<void(RWDataOutStream&)>& write)
    {
        std::vector<uint8_t> buffer(4096);
        GOutStreamHolder holder(buffer.data(), uint32_t(buffer.size()), 2);
        write(*holder.GetStream());
        buffer.resize(size_t(holder.Tell()));
        return buffer;
    }
};

TEST_F(FontPool, AReaderReadBackIsKeptWhenNewerAndMergedWhenHeld)
{
    const std::vector<uint8_t> spool = Spool(1, 50);
    ASSERT_FALSE(spool.empty());
    struct Case {
        const char* what;
        uint32_t olderBy; // the pooled reader's change count below the read-back one's
        bool handle;
        bool replaced;
    } cases[] = {
        {"equal change counts keep the pooled reader", 0, false, false},
        {"a newer reader replaces one held only by the list", 10, false, true},
        {"a newer reader merges into one with more holders", 10, true, false},
    };
    const uint32_t spooledChanges = [&] {
        GTTFontFilePool probe;
        probe.LoadFromStream(spool.data(), uint32_t(spool.size()), 0);
        GTTFontFileReader* reader = probe.Acquire(7, 0);
        const uint32_t changes = reader->GetChangeCount();
        probe.Release(reader);
        return changes;
    }();
    for (const Case& c : cases) {
        GTTFontFilePool pool;
        GTTWin32FontFileReader* pooled = OnDisk(7);
        pool.Register(pooled);
        pooled->SetChangeCount(spooledChanges - c.olderBy);
        std::unique_ptr<GTTFontFile> handle(c.handle ? pool.NewHandle(pooled) : nullptr);
        ASSERT_TRUE(pool.LoadFromStream(spool.data(), uint32_t(spool.size()), 2)) << c.what;
        GTTFontFileReader* now = pool.Acquire(7, 0);
        ASSERT_NE(nullptr, now) << c.what;
        EXPECT_EQ(c.replaced, now != pooled) << c.what;
        EXPECT_EQ(spooledChanges, now->GetChangeCount()) << c.what;
        EXPECT_EQ(1u, now->GetJobCount()) << c.what;
        EXPECT_EQ(c.handle ? 3 : 2, now->GetUserCount()) << c.what;
        EXPECT_EQ(c.olderBy != 0, now->GetTableCache() != nullptr) << c.what;
        pool.Release(now);
    }
}

TEST_F(FontPool, ReleasingAJobDeletesOnlyReadersNoJobOrUserHolds)
{
    const std::vector<uint8_t> spool = Spool(1, 0);
    GTTFontFilePool pool;
    pool.LoadFromStream(spool.data(), uint32_t(spool.size()), 5);
    pool.ReleaseJob(6);
    EXPECT_TRUE(pool.Contains(7));
    pool.LoadFromStream(spool.data(), uint32_t(spool.size()), 6);
    pool.ReleaseJob(5);
    EXPECT_TRUE(pool.Contains(7));
    std::unique_ptr<GTTFontFile> handle(pool.NewHandle(pool.Acquire(7, 0)));
    pool.Release(handle->GetReader());
    pool.ReleaseJob(6);
    EXPECT_TRUE(pool.Contains(7));
    EXPECT_EQ(2, handle->GetReader()->GetUserCount());
    handle.reset();
    pool.ReleaseJob(0);
    EXPECT_FALSE(pool.Contains(7));

    // A job that used no font writes its count of 0 and nothing else.
    std::vector<uint8_t> none(64);
    none.resize(pool.SaveToStream(none.data(), uint32_t(none.size()), 9));
    EXPECT_EQ(Stream([](RWDataOutStream& out) { out << uint32_t(0); }), none);
}

TEST_F(FontPool, UsersAreCountedThroughHandlesCopiesAndRegistration)
{
    GTTFontFilePool pool;
    auto* reader = new GTTMemoryFontFileReader(DejaVu("DejaVuSans.ttf"), 11);
    std::unique_ptr<GTTFontFile> first(pool.NewHandle(reader));
    std::unique_ptr<GTTFontFile> copy(first->Copy());
    EXPECT_EQ(2, reader->GetUserCount());
    EXPECT_TRUE(first->IsEqual(copy.get()));
    EXPECT_EQ(1, first->Close(3));
    EXPECT_EQ(0, pool.Register(reader));
    EXPECT_EQ(3, reader->GetUserCount());
    EXPECT_TRUE(reader->ContainsJob(3));
    copy.reset();
    first.reset();
    EXPECT_EQ(1, reader->GetUserCount());
    EXPECT_EQ(reader, pool.Acquire(11, 0));
    EXPECT_EQ(nullptr, pool.Acquire(11, reader->GetChangeCount() + 1));
    EXPECT_EQ(0, pool.Release(reader));
    EXPECT_EQ(1, pool.ReleaseByKey(11));
    EXPECT_FALSE(pool.Contains(11));
}

// A handle stores its reader's key and change count, 0 and 0 without one; key 0 and a
// pooled reader older than the stored count restore no reader.
TEST_F(FontPool, AHandleStoresItsKeyAndChangeCountAndComesBackOnThePooledReader)
{
    GTTFontFilePool* pool = GTTFontFilePool::Instance();
    auto* reader = new GTTMemoryFontFileReader(DejaVu("DejaVuSans.ttf"), 12);
    pool->Register(reader);
    GTTFontFile handle(reader);
    handle.MapCharacter(0, 0, 'A', 16);
    EXPECT_TRUE(StoreSizeMatches(handle));
    const auto root = StoredBytes().Root(0, 0);
    auto last12 = [](std::vector<uint8_t> bytes) { return std::vector<uint8_t>(bytes.end() - 12, bytes.end()); };
    EXPECT_EQ(StoredBytes().U32(1).U32(12).U32(reader->GetChangeCount()).Get(), last12(GutsBytes(handle)));
    EXPECT_EQ(StoredBytes().U32(1).U32(0).U32(0).Get(), last12(GutsBytes(GTTFontFile())));
    EXPECT_EQ(GutsBytes(GObjectBase()).size() + 12, GutsBytes(handle).size());
    for (Medium medium : kAllMedia) {
        std::unique_ptr<GObjectBase> back = GraphRoundTrip(medium, &handle);
        auto* file = dynamic_cast<GTTFontFile*>(back.get());
        ASSERT_NE(nullptr, file) << medium;
        EXPECT_EQ(reader, file->GetReader()) << medium;
    }
    for (uint32_t key : {0u, 12u}) {
        GTTFontFile none;
        RestoreGutsFrom(none, StoredBytes(root).U32(1).U32(key).U32(key ? 0xFFFFFFF0 : 0).Get());
        EXPECT_EQ(nullptr, none.GetReader()) << key;
        uint16_t count = 1;
        GByteBuffer* out = nullptr;
        EXPECT_EQ(0, none.GetGlyphCount(0, count) + none.MapCharacter(0, 0, 'A', 16) + none.GetTable(0, 0, 1, out) +
                         none.Close(1));
    }
    EXPECT_EQ(1, pool->ReleaseByKey(12));
}

// A restore may run under the pool's lock (a spool stream's read does): a restored
// handle only records its key and count, and asks the pool for the reader on first use.
TEST_F(FontPool, ARestoredHandleAsksThePoolForItsReaderOnlyOnFirstUse)
{
    GTTFontFilePool* pool = GTTFontFilePool::Instance();
    auto* reader = new GTTMemoryFontFileReader(DejaVu("DejaVuSans.ttf"), 13);
    pool->Register(reader);
    const int32_t users = reader->GetUserCount();
    {
        GTTFontFile restored;
        RestoreGutsFrom(restored, StoredBytes(StoredBytes().Root(0, 0)).U32(1).U32(13).U32(0).Get());
        EXPECT_EQ(users, reader->GetUserCount()) << "the restore asked the pool for nothing";
        EXPECT_NE(0, restored.MapCharacter(0, 0, 'A', 16));
        EXPECT_EQ(users + 1, reader->GetUserCount());
        EXPECT_EQ(reader, restored.GetReader());
        // Saved again before any use, it stores what it was read with.
        GTTFontFile unused;
        RestoreGutsFrom(unused, StoredBytes(StoredBytes().Root(0, 0)).U32(1).U32(13).U32(7).Get());
        const std::vector<uint8_t> guts = GutsBytes(unused);
        EXPECT_EQ(StoredBytes().U32(1).U32(13).U32(7).Get(), std::vector<uint8_t>(guts.end() - 12, guts.end()));
        EXPECT_EQ(users + 1, reader->GetUserCount());
    }
    EXPECT_EQ(users, reader->GetUserCount());
    EXPECT_EQ(1, pool->ReleaseByKey(13));
}

TEST_F(FontPool, SpoolStreamsOfAWrongClassOrAHugeCountAreRefused)
{
    GTTFontFilePool pool;
    const std::vector<uint8_t> huge = Stream([](RWDataOutStream& out) { out << uint32_t(0x10000000); });
    EXPECT_FALSE(pool.LoadFromStream(huge.data(), uint32_t(huge.size()), 1));
    GTTTableCache stranger;
    const std::vector<uint8_t> wrong = Stream([&](RWDataOutStream& out) {
        out << uint32_t(2) << uint32_t(7) << static_cast<const RWCollectable*>(&stranger) << uint32_t(8);
    });
    // The stranger is refused before it is made; its bytes stay unread, so the read fails.
    EXPECT_FALSE(pool.LoadFromStream(wrong.data(), uint32_t(wrong.size()), 1));
    EXPECT_FALSE(pool.Contains(7));
    EXPECT_FALSE(pool.Contains(8));
}

TEST_F(FontPool, ASavedReaderComesBackAndMapsWithoutItsFile)
{
    const std::vector<uint8_t> spool = Spool(1, 0);
    GTTFontFilePool pool;
    ASSERT_TRUE(pool.LoadFromStream(spool.data(), uint32_t(spool.size()), 2));
    std::unique_ptr<GTTFontFile> handle(pool.NewHandle(pool.Acquire(7, 0)));
    pool.Release(handle->GetReader());
    ASSERT_NE(nullptr, dynamic_cast<GTTWin32FontFileReader*>(handle->GetReader()));
    GTTWin32FontFileReader* disk = OnDisk(1);
    EXPECT_EQ(disk->MapCharacter(0, 0, 'A', 16), handle->MapCharacter(0, 0, 'A', 16));
    EXPECT_NE(0, handle->MapCharacter(0, 0, 'A', 16));
    delete disk;
}

// Handles on one reader used on two threads while the pool registers, hands out and
// releases: a lock taken twice or in two orders would hang here.
TEST_F(FontPool, TwoThreadsMapThroughTwoHandlesWhileThePoolRegistersAndReleases)
{
    GTTFontFilePool pool;
    auto* reader = new GTTMemoryFontFileReader(DejaVu("DejaVuSans.ttf"), 20);
    pool.Register(reader);
    std::unique_ptr<GTTFontFile> handles[] = {std::unique_ptr<GTTFontFile>(pool.NewHandle(reader)),
                                              std::unique_ptr<GTTFontFile>(pool.NewHandle(reader))};
    auto map = [&](GTTFontFile* handle) {
        for (uint16_t code = 0x20; code < 0x600; ++code) {
            handle->MapCharacter(0, 0, code, 16);
            GTTFontFile copy(*handle);
            copy.IsEqual(handles[0].get());
        }
    };
    std::thread a(map, handles[0].get()), b(map, handles[1].get());
    for (uint32_t i = 0; i < 300; ++i) {
        pool.Register(new GTTMemoryFontFileReader({}, 100 + i));
        pool.Release(pool.Acquire(20, 0));
        pool.ReleaseByKey(100 + i);
        pool.ReleaseJob(i);
    }
    a.join();
    b.join();
    EXPECT_EQ(3, reader->GetUserCount());
    pool.ReleaseAll();
    EXPECT_EQ(2, reader->GetUserCount());
}

} // namespace
