#include "printer/GWin32OSFactory.h"

#include "TestPrinter.h"
#include "model/GLocaleInfo.h"
#include "printer/GDriverObject.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The Windows services with no driver user-interface object (every printer-data call
// opens the printer by name) and a chunk writer that can be told to fail.
class Win32Services : public GWin32OSFactory {
public:
    void* GetPrinterHandle(GDriverObject*) override { return nullptr; }
    // The number of chunk writes that succeed before one fails; -1: none fails.
    int writesBeforeFailure = -1;

protected:
    int WriteChunk(const ChunkTarget& target, const RWWString& chunk, const void* data, uint32_t length) override
    {
        if (writesBeforeFailure >= 0 && writesBeforeFailure-- == 0)
            return 0;
        return GWin32OSFactory::WriteChunk(target, chunk, data, length);
    }
};

const std::wstring kScratchKey = L"Software\\QZ Services Test " + std::to_wstring(GetCurrentProcessId());

std::vector<uint8_t> Pattern(size_t length, uint8_t seed)
{
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = uint8_t(seed + i * 7);
    return bytes;
}

// Printer data of the test printer, plain and marked names. On Wine the spooler keeps
// printer data under the printer's machine key, so the registry checks below see what
// the spooler wrote; on Windows they would look elsewhere.
class Win32ChunkedData : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestPrinter::Shared().Installed()) << TestPrinter::Shared().Failure();
        services = new Win32Services;
        driver.reset(new GDriverObject(TestPrinter::Shared().Name().c_str()));
    }
    void TearDown() override
    {
        for (const wchar_t* value : {L"Chunked", L"Shrinks", L"Torn", L"Foreign"})
            Remove(value);
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratchKey.c_str());
    }
    // Removes a value the tests wrote and its first chunks.
    void Remove(const std::wstring& value) const
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(Root(), DataKey().c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            return;
        RegDeleteValueW(key, value.c_str());
        for (int i = 0; i < 8; ++i)
            RegDeleteValueW(key, (value + L":" + std::to_wstring(i)).c_str());
        RegCloseKey(key);
    }

    bool Marked() const { return GetParam(); }
    RWWString Name(const wchar_t* leaf) const
    {
        return Marked() ? (L"???\\2147483649\\" + kScratchKey + L"\\" + leaf).c_str() : leaf;
    }
    HKEY Root() const { return Marked() ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
    std::wstring DataKey() const
    {
        return Marked() ? kScratchKey : TestPrinter::Shared().RegistryKey() + L"\\PrinterDriverData";
    }
    bool Stored(const std::wstring& value) const
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(Root(), DataKey().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        const bool found = RegQueryValueExW(key, value.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        RegCloseKey(key);
        return found;
    }
    void Put(const std::wstring& value, DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(Root(), DataKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &key, nullptr));
        RegSetValueExW(key, value.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }

    Win32Services* services = nullptr;
    std::unique_ptr<GDriverObject> driver;
};

TEST_P(Win32ChunkedData, LengthsRoundTripInWholeChunks)
{
    const struct {
        uint32_t length, count;
    } cases[] = {{0, 1}, {247, 1}, {248, 2}, {496, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::vector<uint8_t> data = Pattern(c.length, uint8_t(c.length));
        ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Chunked"), data.data(), c.length));
        const uint32_t bound = c.count * GWin32OSFactory::kChunkSize;
        uint32_t length = 0;
        EXPECT_EQ(1, services->GetPrinterDataBinary(driver.get(), Name(L"Chunked"), nullptr, 0, length));
        EXPECT_EQ(bound, length);

        std::vector<uint8_t> buffer(bound, 0xEE);
        EXPECT_EQ(0, services->GetPrinterDataBinary(driver.get(), Name(L"Chunked"), buffer.data(), bound - 1, length));
        EXPECT_EQ(bound, length);
        EXPECT_EQ(1, services->GetPrinterDataBinary(driver.get(), Name(L"Chunked"), buffer.data(), bound, length));
        ASSERT_EQ(c.length, length);
        EXPECT_EQ(data, std::vector<uint8_t>(buffer.begin(), buffer.begin() + length));
    }
}

TEST_P(Win32ChunkedData, ShorterRewriteLeavesNoSurplusChunks)
{
    const std::vector<uint8_t> longer = Pattern(600, 1), shorter = Pattern(10, 2);
    ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Shrinks"), longer.data(), 600));
    ASSERT_TRUE(Stored(L"Shrinks:2"));
    ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Shrinks"), shorter.data(), 10));
    EXPECT_TRUE(Stored(L"Shrinks:0"));
    EXPECT_FALSE(Stored(L"Shrinks:1"));
    EXPECT_FALSE(Stored(L"Shrinks:2"));
}

TEST_P(Win32ChunkedData, FailedChunkNeverReadsBack)
{
    const std::vector<uint8_t> first = Pattern(600, 3), second = Pattern(600, 4);
    for (int writesBefore : {0, 1, 2}) {
        SCOPED_TRACE(writesBefore);
        ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), first.data(), 600));
        services->writesBeforeFailure = writesBefore;
        EXPECT_EQ(0, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), second.data(), 600));
        services->writesBeforeFailure = -1;
        std::vector<uint8_t> buffer(744);
        uint32_t length = 0;
        EXPECT_EQ(0, services->GetPrinterDataBinary(driver.get(), Name(L"Torn"), buffer.data(), 744, length));
        EXPECT_FALSE(Stored(L"Torn:0"));
    }
}

// Stored values the writer would never leave: each fails and the buffer keeps its bytes.
TEST_P(Win32ChunkedData, ForeignLayoutsFailAndLeaveTheBuffer)
{
    const std::vector<uint8_t> full = Pattern(248, 5), part = Pattern(100, 6);
    const struct {
        const char* what;
        DWORD count;
        std::vector<const std::vector<uint8_t>*> chunks;
        DWORD chunkType;
    } cases[] = {
        {"short middle chunk", 3, {&full, &part, &part}, REG_BINARY},
        {"full last chunk", 2, {&full, &full}, REG_BINARY},
        {"missing chunk", 3, {&full, &full}, REG_BINARY},
        {"text chunk", 1, {&part}, REG_SZ},
        {"count overflowing the bound", 0x7FFFFFFF, {&full}, REG_BINARY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Remove(L"Foreign");
        Put(L"Foreign", REG_DWORD, &c.count, sizeof c.count);
        for (size_t i = 0; i < c.chunks.size(); ++i)
            Put(L"Foreign:" + std::to_wstring(i), c.chunkType, c.chunks[i]->data(), DWORD(c.chunks[i]->size()));
        std::vector<uint8_t> buffer(1024, 0xEE);
        uint32_t length = 0;
        EXPECT_EQ(0, services->GetPrinterDataBinary(driver.get(), Name(L"Foreign"), buffer.data(), 1024, length));
        EXPECT_EQ(std::vector<uint8_t>(1024, 0xEE), buffer);
    }
}

INSTANTIATE_TEST_SUITE_P(PlainAndMarked, Win32ChunkedData, ::testing::Bool());

TEST(Win32MarkedNames, OnlyPredefinedRootsAndWholePathsAreAccepted)
{
    Win32Services* services = new Win32Services;
    const wchar_t* names[] = {
        L"???\\12345\\Software\\QZ\\Value",      L"???\\2147483655\\Software\\QZ\\Value",
        L"???\\\\Software\\QZ\\Value",           L"???\\2147483649\\Value",
        L"???\\99999999999999999999\\Software\\V", L"???2147483649\\Software\\Value",
    };
    const uint8_t data[4] = {1, 2, 3, 4};
    for (const wchar_t* name : names) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        uint32_t length = 0;
        EXPECT_EQ(0, services->SetPrinterDataBinary(nullptr, name, data, 4));
        EXPECT_EQ(0, services->GetPrinterDataBinary(nullptr, name, nullptr, 0, length));
        HKEY key = nullptr;
        RWWString value;
        EXPECT_EQ(0, services->CreateRegistryKeyPath(name, key, value));
        EXPECT_EQ(nullptr, key);
    }
}

TEST(Win32Time, ShiftCrossesDaysMonthsAndYears)
{
    const struct {
        int bias;
        int from[5], to[5]; // year, month, day, hour, minute
    } cases[] = {
        {90, {1999, 2, 28, 23, 45}, {1999, 3, 1, 1, 15}},
        {90, {2000, 2, 28, 23, 45}, {2000, 2, 29, 1, 15}},
        {-60, {2001, 1, 1, 0, 30}, {2000, 12, 31, 23, 30}},
        {-45, {2001, 3, 1, 0, 30}, {2001, 2, 28, 23, 45}},
        {3000, {2023, 1, 30, 10, 0}, {2023, 2, 1, 12, 0}},
        {-3000, {2024, 3, 1, 1, 0}, {2024, 2, 27, 23, 0}},
        {30, {2023, 12, 31, 23, 30}, {2024, 1, 1, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bias);
        std::tm local = {};
        local.tm_year = c.from[0] - 1900, local.tm_mon = c.from[1] - 1, local.tm_mday = c.from[2];
        local.tm_hour = c.from[3], local.tm_min = c.from[4], local.tm_sec = 17, local.tm_wday = 3;
        const std::tm shifted = GWin32OSFactory::ShiftTime(local, c.bias);
        const int got[5] = {shifted.tm_year + 1900, shifted.tm_mon + 1, shifted.tm_mday, shifted.tm_hour,
                            shifted.tm_min};
        EXPECT_EQ(std::vector<int>(c.to, c.to + 5), std::vector<int>(got, got + 5));
        EXPECT_EQ(17, shifted.tm_sec);
        EXPECT_EQ(3, shifted.tm_wday);
    }
}

// The current user's key is redirected to a scratch key, so the user's own settings
// are neither read nor changed.
class Win32Locale : public ::testing::Test {
protected:
    void SetUp() override
    {
        services = new Win32Services;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kScratchKey.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &scratch, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, scratch));
    }
    void TearDown() override
    {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(scratch);
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratchKey.c_str());
    }

    Win32Services* services = nullptr;
    HKEY scratch = nullptr;
};

TEST_F(Win32Locale, MissingKeyGivesDefaultsAndMissingValuesTheirOwn)
{
    std::unique_ptr<GLocaleInfo> info(services->CreateLocaleInfo());
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->IsSame(std::unique_ptr<GLocaleInfo>(new GLocaleInfo).get()));

    HKEY international = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(scratch, "Control Panel\\International", &international));
    RegSetValueExA(international, "Locale", 0, REG_SZ, reinterpret_cast<const BYTE*>("00000407"), 9);
    RegSetValueExA(international, "iMeasure", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2);
    RegSetValueExA(international, "sDecimal", 0, REG_SZ, reinterpret_cast<const BYTE*>(","), 2);
    // Not text, and too long: both count as missing.
    const DWORD number = 5;
    RegSetValueExA(international, "iDigits", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
    const std::string longText(200, 'x');
    RegSetValueExA(international, "sList", 0, REG_SZ, reinterpret_cast<const BYTE*>(longText.c_str()), 201);
    RegCloseKey(international);

    info.reset(services->CreateLocaleInfo());
    ASSERT_TRUE(info);
    EXPECT_EQ(407, info->GetNumber(GLocaleInfo::kLocale));
    EXPECT_EQ(0, info->GetNumber(GLocaleInfo::kIMeasure));
    EXPECT_STREQ(",", info->GetText(GLocaleInfo::kSDecimal).Data());
    EXPECT_EQ(2, info->GetNumber(GLocaleInfo::kIDigits));
    EXPECT_STREQ(",", info->GetText(GLocaleInfo::kSList).Data());
    EXPECT_EQ(1, info->GetNumber(GLocaleInfo::kICountry));
    EXPECT_STREQ("dddd, MMMM dd, yyyy", info->GetText(GLocaleInfo::kSLongDate).Data());
}

// Restores one environment variable when it goes.
class SavedVariable {
public:
    explicit SavedVariable(const wchar_t* name) : name_(name)
    {
        wchar_t text[1024];
        const DWORD n = GetEnvironmentVariableW(name, text, 1024);
        had_ = n > 0 && n < 1024;
        if (had_)
            value_.assign(text, n);
    }
    ~SavedVariable() { SetEnvironmentVariableW(name_, had_ ? value_.c_str() : nullptr); }

private:
    const wchar_t* name_;
    bool had_;
    std::wstring value_;
};

TEST(Win32TempDirectory, PrinterSettingThenTmpThenTempThenSpoolFolder)
{
    ASSERT_TRUE(TestPrinter::Shared().Installed()) << TestPrinter::Shared().Failure();
    Win32Services* services = new Win32Services;
    GDriverObject driver(TestPrinter::Shared().Name().c_str());
    SavedVariable tmp(L"TMP"), temp(L"TEMP");
    SetEnvironmentVariableW(L"TMP", L"C:\\from-tmp");
    SetEnvironmentVariableW(L"TEMP", L"C:\\from-temp");
    RWWString path;

    ASSERT_EQ(1, services->SetPrinterDataString(&driver, L"TempDirectoryLocation", L"C:\\from-printer"));
    services->GetTempDirectory(path, &driver);
    EXPECT_STREQ(L"C:\\from-printer", path.Data());
    ASSERT_EQ(1, services->DeletePrinterDriverDataValue(&driver, L"TempDirectoryLocation"));

    services->GetTempDirectory(path, &driver);
    EXPECT_STREQ(L"C:\\from-tmp", path.Data());
    SetEnvironmentVariableW(L"TMP", nullptr);
    services->GetTempDirectory(path, &driver);
    EXPECT_STREQ(L"C:\\from-temp", path.Data());
    SetEnvironmentVariableW(L"TEMP", nullptr);
    services->GetTempDirectory(path, &driver);
    EXPECT_STREQ(L"\\SystemRoot\\System32\\Spool\\Printers", path.Data());
}

} // namespace
