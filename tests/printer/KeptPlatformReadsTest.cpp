// What the system services keep of what they read from the platform: printer data values
// under a version that ends with any change (and is not kept while the change is too new
// to tell from the next), files whole while they stay as they were, and the one rule by
// which a kept thing still answers for its source.
#include "ScopedClock.h"
#include "printer/GKeptFiles.h"
#include "printer/GPlatformCalls.h"
#include "printer/GPrinterDataCache.h"
#include "printer/GPrinterSnapshot.h"
#include "printer/PrinterRecordScope.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

namespace {

GPrinterDataCache::Value DwordValue(DWORD word)
{
    GPrinterDataCache::Value value;
    value.status = ERROR_SUCCESS;
    value.type = REG_DWORD;
    value.bytes.assign(reinterpret_cast<const uint8_t*>(&word), reinterpret_cast<const uint8_t*>(&word) + 4);
    return value;
}

const std::wstring kPrinter = L"SYSTEM\\Printers\\One\\PrinterDriverData";

TEST(PrinterDataCache, AValueIsFoundOnlyUnderTheVersionItWasKeptUnder)
{
    GPrinterDataCache cache;
    const GPrinterDataCache::Stamp first = {100, 3}, written = {101, 3}, added = {100, 4};
    const uint64_t version = cache.Validate(kPrinter, first);
    ASSERT_NE(0u, version);
    cache.Keep(kPrinter, version, L"A", DwordValue(7));
    GPrinterDataCache::Value found;
    ASSERT_TRUE(cache.Find(kPrinter, version, L"A", found));
    EXPECT_EQ(DwordValue(7).bytes, found.bytes);
    EXPECT_FALSE(cache.Find(kPrinter, version, L"B", found));
    EXPECT_FALSE(cache.Find(kPrinter, 0, L"A", found));
    // The same stamp keeps the version; another write time or value count ends it.
    EXPECT_EQ(version, cache.Validate(kPrinter, first));
    for (const GPrinterDataCache::Stamp& changed : {written, added}) {
        const uint64_t before = cache.Validate(kPrinter, first);
        cache.Keep(kPrinter, before, L"A", DwordValue(7));
        const uint64_t after = cache.Validate(kPrinter, changed);
        EXPECT_NE(before, after);
        EXPECT_FALSE(cache.Find(kPrinter, after, L"A", found));
        EXPECT_FALSE(cache.Find(kPrinter, before, L"A", found));
        // A value read under the old version is never kept under the new one.
        cache.Keep(kPrinter, before, L"A", DwordValue(8));
        EXPECT_FALSE(cache.Find(kPrinter, after, L"A", found));
    }
}

TEST(PrinterDataCache, TheLargestValueIsKeptAndOneByteMoreIsNot)
{
    GPrinterDataCache cache;
    const uint64_t version = cache.Validate(kPrinter, {1, 1});
    GPrinterDataCache::Value value;
    value.status = ERROR_SUCCESS;
    value.type = REG_BINARY;
    const struct {
        size_t size;
        bool kept;
    } rows[] = {{GPrinterDataCache::kLargestValue, true}, {GPrinterDataCache::kLargestValue + 1, false}};
    for (const auto& row : rows) {
        value.bytes.assign(row.size, 0x5A);
        const std::wstring name = std::to_wstring(row.size);
        cache.Keep(kPrinter, version, name.c_str(), value);
        GPrinterDataCache::Value found;
        EXPECT_EQ(row.kept, cache.Find(kPrinter, version, name.c_str(), found)) << row.size;
    }
}

TEST(PrinterDataCache, ThePrinterValidatedLongestAgoGoesWhenOneMoreComes)
{
    GPrinterDataCache cache;
    uint64_t versions[GPrinterDataCache::kMostPrinters + 1] = {};
    for (size_t i = 0; i <= GPrinterDataCache::kMostPrinters; ++i) {
        const std::wstring path = L"P" + std::to_wstring(i);
        versions[i] = cache.Validate(path, {1, 1});
        cache.Keep(path, versions[i], L"A", DwordValue(DWORD(i)));
    }
    GPrinterDataCache::Value found;
    EXPECT_FALSE(cache.Find(L"P0", versions[0], L"A", found));
    for (size_t i = 1; i <= GPrinterDataCache::kMostPrinters; ++i)
        EXPECT_TRUE(cache.Find(L"P" + std::to_wstring(i), versions[i], L"A", found)) << i;
}

// A write time within two ticks of the clock does not tell two writes apart: every
// validation under it begins a new version. From two ticks on, the next validation begins
// the version that is then kept, while the clock does not go back: a reading behind the
// last one begins a new version too.
TEST(PrinterDataCache, AStampWithinTwoTicksOfNowKeepsNothing)
{
    static uint64_t now = 0;
    const ScopedClock<GPrinterDataCache::SetClockForTesting> testClock([] { return now; });
    const uint64_t written = 5000000000ull, span = GPrinterDataCache::kFreshSpan;
    const GPrinterDataCache::Stamp stamp = {written, 2};
    const struct {
        const char* when;
        uint64_t clock;
        uint64_t later;  // the clock at the second validation
        bool kept;
    } rows[] = {
        {"the clock behind the write", written - 1, written - 1, false},
        {"at the write", written, written, false},
        {"the last moment within two ticks", written + span - 1, written + span - 1, false},
        {"two ticks on", written + span, written + span, true},
        {"long after", written + 1000 * span, written + 1000 * span, true},
        {"the clock set back a moment", written + 1000 * span, written + 1000 * span - 1, false},
    };
    GPrinterDataCache::Value found;
    for (const auto& row : rows) {
        GPrinterDataCache cache;
        now = row.clock;
        const uint64_t first = cache.Validate(kPrinter, stamp);
        cache.Keep(kPrinter, first, L"A", DwordValue(1));
        now = row.later;
        const uint64_t second = cache.Validate(kPrinter, stamp);
        EXPECT_EQ(row.kept, first == second) << row.when;
        EXPECT_EQ(row.kept, cache.Find(kPrinter, second, L"A", found)) << row.when;
    }
    // What was read while the stamp was new is read again once it is not, then kept.
    GPrinterDataCache cache;
    now = written + span - 1;
    const uint64_t fresh = cache.Validate(kPrinter, stamp);
    cache.Keep(kPrinter, fresh, L"A", DwordValue(1));
    now = written + span;
    const uint64_t settled = cache.Validate(kPrinter, stamp);
    EXPECT_NE(fresh, settled);
    EXPECT_FALSE(cache.Find(kPrinter, settled, L"A", found));
    EXPECT_EQ(settled, cache.Validate(kPrinter, stamp));
    // Set back, the clock's readings count from the one behind: the next is kept again.
    now = written + span + 1;
    EXPECT_EQ(settled, cache.Validate(kPrinter, stamp));
    now = written + span;
    const uint64_t behind = cache.Validate(kPrinter, stamp);
    EXPECT_NE(settled, behind);
    EXPECT_EQ(behind, cache.Validate(kPrinter, stamp));
}

// Validated under a watch's generation, a version is kept without its stamp only while the
// watch hands out that generation, and by the same two rules of the clock: a stamp within
// two ticks of the validation keeps nothing, nor does a clock set back.
TEST(PrinterDataCache, AVersionIsKeptWithoutItsStampOnlyUnderTheSameGeneration)
{
    static uint64_t now = 0;
    const ScopedClock<GPrinterDataCache::SetClockForTesting> testClock([] { return now; });
    const uint64_t written = 5000000000ull, span = GPrinterDataCache::kFreshSpan;
    const GPrinterDataCache::Stamp stamp = {written, 2};
    const struct {
        const char* when;
        uint64_t validated;  // the generation and the clock at the validation, then at the ask
        uint64_t clock;
        uint64_t asked;
        uint64_t later;
        bool kept;
    } rows[] = {
        {"the same generation, settled", 7, written + span, 7, written + 2 * span, true},
        {"the same generation, the clock as it was", 7, written + span, 7, written + span, true},
        {"another generation", 7, written + span, 8, written + 2 * span, false},
        {"no watch", 0, written + span, 0, written + 2 * span, false},
        {"the stamp within two ticks then", 7, written + span - 1, 7, written + 2 * span, false},
        {"the clock set back", 7, written + 2 * span, 7, written + 2 * span - 1, false},
    };
    for (const auto& row : rows) {
        GPrinterDataCache cache;
        now = row.clock;
        const uint64_t version = cache.Validate(kPrinter, stamp, row.validated);
        now = row.later;
        const uint64_t kept = cache.Unchanged(kPrinter, row.asked);
        EXPECT_EQ(row.kept ? version : 0u, kept) << row.when;
    }
    // Another printer's generation says nothing of this one.
    GPrinterDataCache cache;
    now = written + span;
    cache.Validate(kPrinter, stamp, 7);
    EXPECT_EQ(0u, cache.Unchanged(L"SYSTEM\\Printers\\Two\\PrinterDriverData", 7));
}

// A kept thing answers only under a known stamp of the same source in the same state:
// each part of the rule is a row, so that dropping one fails.
TEST(SourceStamp, AKeptThingAnswersOnlyUnderTheSameKnownSource)
{
    const GSourceStamp file = GSourceStamp::OfFile(L"C:\\model.dat", 10, 20);
    const struct {
        const char* rule;
        GSourceStamp made, now;
        bool answers;
    } rows[] = {
        {"the same version", GSourceStamp::OfVersion(7), GSourceStamp::OfVersion(7), true},
        {"another version", GSourceStamp::OfVersion(7), GSourceStamp::OfVersion(8), false},
        {"version 0 keeps nothing", GSourceStamp::OfVersion(0), GSourceStamp::OfVersion(0), false},
        {"nothing known now", GSourceStamp::OfVersion(7), GSourceStamp(), false},
        {"the same file as it was", file, GSourceStamp::OfFile(L"C:\\model.dat", 10, 20), true},
        {"another path", file, GSourceStamp::OfFile(L"C:\\other.dat", 10, 20), false},
        {"another size", file, GSourceStamp::OfFile(L"C:\\model.dat", 11, 20), false},
        {"another write time", file, GSourceStamp::OfFile(L"C:\\model.dat", 10, 21), false},
        {"a version against a file", GSourceStamp::OfVersion(7), file, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.answers, row.made.Answers(row.now)) << row.rule;
}

class KeptFiles : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t folder[MAX_PATH] = {};
        ASSERT_NE(0u, GetTempPathW(MAX_PATH, folder));
        path = std::wstring(folder) + L"qz_kept_file.bin";
    }
    void TearDown() override { DeleteFileW(path.c_str()); }
    void Write(const std::string& bytes, DWORD lowWriteTime)
    {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        // A write time of its own, so that two writes in one tick still differ.
        FILETIME time = {lowWriteTime, 0x01D00000};
        SetFileTime(file, nullptr, nullptr, &time);
        CloseHandle(file);
    }
    // The bytes read and the files opened for them.
    std::string Read(GKeptFiles& kept, uint64_t& opened)
    {
        const GPlatformCalls::Totals before = GPlatformCalls::Now();
        const GKeptFiles::Bytes bytes = kept.Read(RWWString(path.c_str()));
        opened = GPlatformCalls::Now().Since(before)[GPlatformCalls::kFileOpen];
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<none>");
    }
    std::wstring path;
};

TEST_F(KeptFiles, AFileIsOpenedAgainOnlyWhenItChanged)
{
    GKeptFiles kept;
    const struct {
        const char* step;
        std::string write;  // empty: the file stays
        DWORD time;
        uint64_t opened;
    } rows[] = {
        {"first read", "model", 1, 1},
        {"read again", "", 0, 0},
        {"same size, another write time", "MODEL", 2, 1},
        {"read again", "", 0, 0},
        {"another size", "models", 2, 1},
        {"empty", "", 3, 1},
    };
    std::string now;
    for (const auto& row : rows) {
        if (!row.write.empty() || row.time) {
            Write(row.write, row.time);
            now = row.write;
        }
        uint64_t opened = 0;
        EXPECT_EQ(now, Read(kept, opened)) << row.step;
        EXPECT_EQ(row.opened, opened) << row.step;
    }
}

TEST_F(KeptFiles, AFileThatIsNotThereReadsAsNone)
{
    GKeptFiles kept;
    uint64_t opened = 0;
    EXPECT_EQ("<none>", Read(kept, opened));
    EXPECT_EQ(0u, opened);
}

// Within an entry call a file is looked at once, and the call goes on seeing it as it was
// then; outside a call every ask looks again. A folder or a missing name is unknown.
TEST_F(KeptFiles, AFileIsLookedAtOnceAnEntryCall)
{
    auto looks = [](const std::function<void()>& run) {
        const GPlatformCalls::Totals before = GPlatformCalls::Now();
        run();
        return GPlatformCalls::Now().Since(before)[GPlatformCalls::kFileLook];
    };
    Write("model", 1);
    GSourceStamp first, second;
    {
        PrinterRecordScope call;
        EXPECT_EQ(1u, looks([&] { first = GPrinterSnapshot::File(path); }));
        Write("models", 2);
        EXPECT_EQ(0u, looks([&] { second = GPrinterSnapshot::File(path); }));
        EXPECT_TRUE(first.Answers(second)) << "the call's view";
        EXPECT_EQ(5u, second.Size());
    }
    EXPECT_EQ(1u, looks([&] { second = GPrinterSnapshot::File(path); }));
    EXPECT_FALSE(first.Answers(second)) << "the next call sees the change";
    EXPECT_EQ(6u, second.Size());
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    EXPECT_FALSE(GPrinterSnapshot::File(std::wstring(folder)).IsKnown());
    EXPECT_FALSE(GPrinterSnapshot::File(path + L".none").IsKnown());
}

} // namespace
