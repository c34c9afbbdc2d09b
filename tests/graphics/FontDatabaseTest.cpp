// The job's font database: users, font spool files written and read back, the release
// of fonts no reference holds, and the font id counter.
#include "../model/StoredForms.h"
#include "../printer/TestOSFactory.h"
#include "TestFonts.h"

#include "graphics/GFontDatabase.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace {

// A job that owns a font database.
struct TestOwner : GFontOwner {
    explicit TestOwner(uint32_t key) : key(key) {}
    uint32_t GetProducerKey() const override { return key; }
    GFontDatabase* GetFontPool() override { return &database; }
    uint32_t key;
    GFontDatabase database{this};
};

RWWString Wide(const TempPath& path) { return RWWString(std::wstring(path.str().begin(), path.str().end()).c_str()); }

// The system services give the font id counter a real lock.
class FontDatabase : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!GOSFactory::Instance())
            new TestOSFactory;
    }
};

} // namespace

TEST_F(FontDatabase, UsersAreCountedByReferencesAndTheDatabasesOwnHold)
{
    TestOwner owner(0x51);
    TestFont* font = new TestFont(1);
    {
        TestFontReference reference(font, &owner);
        EXPECT_EQ(1, owner.database.Add(font));
        EXPECT_EQ(1, owner.database.Add(font)) << "a known id changes nothing";
        EXPECT_EQ(2, font->GetUserCount());
        EXPECT_EQ(nullptr, owner.database.Acquire(font->GetFontId(), 1)) << "its use counter is below";
        GFont* acquired = owner.database.Acquire(font->GetFontId(), 0);
        EXPECT_EQ(font, acquired);
        EXPECT_EQ(3, font->GetUserCount());
        acquired->RemoveUser();
        owner.database.ReleaseJob();
        EXPECT_EQ(1, owner.database.Contains(font->GetFontId())) << "a reference still holds it";
    }
    EXPECT_EQ(1, font->GetUserCount());
    owner.database.ReleaseJob();
    EXPECT_EQ(0u, owner.database.GetCount()) << "only the database held it: released and deleted";
    EXPECT_EQ(0, owner.database.Release(12345));
}

TEST_F(FontDatabase, AJobWithoutFontsWritesTwoZeroCounts)
{
    TestOwner owner(0x52);
    TempPath path("no-fonts.fnt");
    EXPECT_EQ(1, owner.database.SaveToFile(Wide(path)));
    EXPECT_EQ(std::vector<uint8_t>(8, 0), FileBytes(path.str()));
}

TEST_F(FontDatabase, ASaveWritesTheUsedFontsAndClearsTheirMarks)
{
    TestOwner owner(0x53);
    TestFont* used = new TestFont(1, "Used");
    TestFont* unused = new TestFont(2, "Unused");
    TestFontReference a(used, &owner), b(unused, &owner);
    owner.database.Add(used), owner.database.Add(unused);
    used->MarkUsed();
    TempPath first("used-1.fnt"), second("used-2.fnt");
    ASSERT_EQ(1, owner.database.SaveToFile(Wide(first)));
    EXPECT_EQ(0u, used->IsUsed());
    ASSERT_EQ(1, owner.database.SaveToFile(Wide(second)));
    EXPECT_EQ(std::vector<uint8_t>(8, 0), FileBytes(second.str())) << "nothing is marked any more";

    TestOwner reader(0x54);
    ASSERT_EQ(1, reader.database.LoadFromFile(Wide(first)));
    EXPECT_EQ(1u, reader.database.GetCount());
    GFont* back = reader.database.Acquire(used->GetFontId(), 0);
    ASSERT_NE(nullptr, back);
    EXPECT_TRUE(back->IsSame(used));
    EXPECT_EQ(2, back->GetUserCount()) << "the database's hold and the one just acquired";
    back->RemoveUser();
}

TEST_F(FontDatabase, OneFileIsReadOnceAndAFailedReadIsReadAgain)
{
    TestOwner writer(0x55);
    TestFont* font = new TestFont(1);
    TestFontReference reference(font, &writer);
    writer.database.Add(font);
    font->MarkUsed();
    TempPath path("once.fnt");
    ASSERT_EQ(1, writer.database.SaveToFile(Wide(path)));

    TestOwner reader(0x56);
    ASSERT_EQ(1, reader.database.LoadFromFile(Wide(path)));
    std::remove(path.c_str());
    EXPECT_EQ(1, reader.database.LoadFromFile(Wide(path))) << "the file loaded last is not read again";
    TempPath missing("missing.fnt");
    EXPECT_EQ(0, reader.database.LoadFromFile(Wide(missing)));
    EXPECT_EQ(Wide(path), reader.database.GetCurrentFile()) << "a file that cannot be opened changes nothing";

    ASSERT_TRUE(WriteFileBytes(path.str(), {0, 0, 0, 0, 5, 0, 0, 0}));
    {
        TestErrorCapture capture;
        EXPECT_EQ(1, reader.database.LoadFromFile(Wide(path))) << "still the file read last";
    }
    TempPath cut("cut.fnt");
    ASSERT_TRUE(WriteFileBytes(cut.str(), {0, 0, 0, 0, 5, 0, 0, 0}));
    {
        TestErrorCapture capture;
        EXPECT_EQ(0, reader.database.LoadFromFile(Wide(cut))) << "a count the file cannot hold";
    }
    EXPECT_TRUE(reader.database.GetCurrentFile().IsNull()) << "so that the next load reads again";
}

TEST_F(FontDatabase, ADescriptionThatIsNoFontIsNotKept)
{
    TempPath path("not-a-font.fnt");
    GTextString text;
    {
        RWBinaryFile file(path.c_str(), "wb");
        file.Write(static_cast<unsigned int>(0));
        file.Write(static_cast<unsigned int>(1));
        file.Write(static_cast<unsigned int>(7));
        file << static_cast<const RWCollectable*>(&text);
    }
    TestOwner reader(0x57);
    TestErrorCapture capture;
    reader.database.LoadFromFile(Wide(path));
    EXPECT_EQ(0u, reader.database.GetCount());
}

TEST_F(FontDatabase, AReadFontReplacesAStoredOneOnlyTheDatabaseHoldsAndMergesIntoOneThatIsHeld)
{
    TestOwner writer(0x58);
    TestFont* newer = new TestFont(1, "Newer");
    TestFontReference holdNewer(newer, &writer);
    writer.database.Add(newer);
    newer->SetUseCounter(5);
    std::vector<uint16_t> chars = {'z'};
    newer->AddTextCodes(GTextString(GSharedArray(chars.data(), 1, 0), 1, 2, GEncoding::kUnicode));
    newer->MarkUsed();
    TempPath path("newer.fnt");
    ASSERT_EQ(1, writer.database.SaveToFile(Wide(path)));

    // Held only by the database: the stale font is released before the read, and the
    // newer one read takes its place.
    TestOwner lone(0x59);
    TestFont* stale = new TestFont(*newer);
    stale->SetUseCounter(1);
    lone.database.Add(stale);
    ASSERT_EQ(1, lone.database.LoadFromFile(Wide(path)));
    GFont* taken = lone.database.Acquire(newer->GetFontId(), 5);
    ASSERT_NE(nullptr, taken);
    EXPECT_EQ(2, taken->GetUserCount());
    taken->RemoveUser();

    // Held by a reference as well: the stored font stays and takes the newer change count.
    TestOwner held(0x5A);
    TestFont* kept = new TestFont(*newer);
    kept->SetUseCounter(1);
    TestFontReference holdKept(kept, &held);
    held.database.Add(kept);
    ASSERT_EQ(1, held.database.LoadFromFile(Wide(path)));
    EXPECT_EQ(kept, held.database.Acquire(newer->GetFontId(), 5));
    EXPECT_EQ(5u, kept->GetUseCounter());
    kept->RemoveUser();
}

TEST_F(FontDatabase, TheDescriptionRuleReplacesMergesReleasesAndCompares)
{
    auto rule = [](GFont& a, uint32_t message, GFont* b) {
        return GFontDatabase::DescriptionRule(&a, message, reinterpret_cast<uintptr_t>(b));
    };
    TestFont stored(1), read(stored);
    read.SetUseCounter(4);
    stored.SetUseCounter(2);
    stored.SetUserCount(1);
    EXPECT_EQ(1, rule(read, 5, &stored)) << "newer, and only the database holds the stored one";
    EXPECT_EQ(0, stored.GetUserCount());
    EXPECT_EQ(1, read.GetUserCount());

    std::vector<uint16_t> chars = {'m'};
    read.AddTextCodes(GTextString(GSharedArray(chars.data(), 1, 0), 1, 2, GEncoding::kUnicode));
    stored.SetUserCount(2);
    EXPECT_EQ(0, rule(read, 5, &stored)) << "newer, but references hold the stored one";
    EXPECT_EQ(4u, stored.GetUseCounter());
    EXPECT_EQ(1, stored.GetUsedCodes().Contains('m')) << "the stored font merged the read one";
    EXPECT_EQ(2, stored.GetUserCount());
    EXPECT_EQ(0, rule(read, 5, &stored)) << "not newer any more";

    stored.SetUserCount(1);
    EXPECT_EQ(1, rule(stored, 1, &stored)) << "released when only the database holds it";
    EXPECT_EQ(0, stored.GetUserCount());
    stored.SetUserCount(2);
    EXPECT_EQ(0, rule(stored, 1, &stored));
    EXPECT_EQ(0, rule(read, 3, nullptr));
    EXPECT_EQ(1, read.GetUserCount());
    EXPECT_EQ(1, rule(read, 2, nullptr));
    EXPECT_EQ(0, rule(read, 0, nullptr));
    EXPECT_EQ(0, rule(read, 4, nullptr));
    TestFont twin(read);
    EXPECT_EQ(1, rule(twin, 6, &read));
    twin.SetUseCounter(9);
    EXPECT_EQ(0, rule(twin, 6, &read));
}

TEST_F(FontDatabase, CloseRemovesEveryFileItWrote)
{
    std::vector<std::unique_ptr<TempPath>> paths;
    {
        TestOwner owner(0x5B);
        for (const char* leaf : {"a.rft", "b.cft", "c.fnt"}) {
            paths.emplace_back(new TempPath(leaf));
            ASSERT_EQ(1, owner.database.SaveToFile(Wide(*paths.back())));
            EXPECT_TRUE(RWBinaryFile::Exists(paths.back()->c_str()));
        }
        owner.database.Close();
        for (const auto& path : paths)
            EXPECT_FALSE(RWBinaryFile::Exists(path->c_str())) << path->str();
        ASSERT_EQ(1, owner.database.SaveToFile(Wide(*paths[0])));
    }
    EXPECT_FALSE(RWBinaryFile::Exists(paths[0]->c_str())) << "the destructor closes as well";
}

TEST_F(FontDatabase, FontIdsAreUniqueUnderTwoThreadsAndTheirLockIsMadeOnce)
{
    TestOSFactory* services = dynamic_cast<TestOSFactory*>(GOSFactory::Instance());
    ASSERT_NE(nullptr, services);
    GFontDatabase::DiscardIdLock();
    const int locksBefore = services->locksMade;
    std::vector<uint32_t> ids[2];
    std::thread threads[2];
    for (int t = 0; t < 2; ++t)
        threads[t] = std::thread([&ids, t] {
            for (int i = 0; i < 2000; ++i)
                ids[t].push_back(GFontDatabase::NextFontId());
        });
    for (std::thread& thread : threads)
        thread.join();
    std::set<uint32_t> all(ids[0].begin(), ids[0].end());
    all.insert(ids[1].begin(), ids[1].end());
    EXPECT_EQ(4000u, all.size());
    EXPECT_EQ(locksBefore + 1, services->locksMade) << "the first two callers made one lock between them";
}
