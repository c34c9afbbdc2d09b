// What the system services keep of what they read from the platform: printer data values
// under a version that ends with any change, and files whole while they stay as they were.
#include "printer/GKeptFiles.h"
#include "printer/GPlatformCalls.h"
#include "printer/GPrinterDataCache.h"

#include <gtest/gtest.h>

#include <windows.h>

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

TEST(PrinterDataCache, ADropEndsTheVersionEvenWithTheSameStamp)
{
    GPrinterDataCache cache;
    const GPrinterDataCache::Stamp stamp = {5, 1};
    const uint64_t version = cache.Validate(kPrinter, stamp);
    cache.Keep(kPrinter, version, L"A", DwordValue(1));
    cache.Drop(kPrinter);
    GPrinterDataCache::Value found;
    EXPECT_FALSE(cache.Find(kPrinter, version, L"A", found));
    cache.Keep(kPrinter, version, L"A", DwordValue(1));
    const uint64_t again = cache.Validate(kPrinter, stamp);
    EXPECT_NE(version, again);
    EXPECT_FALSE(cache.Find(kPrinter, again, L"A", found));
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

} // namespace
