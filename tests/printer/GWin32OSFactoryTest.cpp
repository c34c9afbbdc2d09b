#include "printer/GWin32OSFactory.h"

#include "TestPrinter.h"
#include "model/GLocaleInfo.h"
#include "model/GTextConverter.h"
#include "model/MPersistentCompositeOnDisk.h"
#include "printer/GDriverObject.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <memory>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

namespace {

// The Windows services with no driver user-interface object (every printer-data call
// opens the printer by name) and a writer of a binary value's parts (its chunks and its
// count; its check is not counted) that can be told to refuse one, and that calls
// beforeStep before each step of a write (the check, a chunk, the count, a removal).
class Win32Services : public GWin32OSFactory {
public:
    void* GetPrinterHandle(GDriverObject*) override { return nullptr; }
    // The number of parts written before one is refused; -1: none is.
    int writesBeforeFailure = -1;
    std::function<void()> beforeStep;
    // The refused part lands all the same, as a write that failed late may.
    bool refusedLands = false;

protected:
    int WritePart(const ChunkTarget& target, const RWWString& name, uint32_t type, const void* data,
                  uint32_t length) override
    {
        if (beforeStep)
            beforeStep();
        const bool check = std::wcsstr(name.Data(), L":check") != nullptr;
        if (!check && writesBeforeFailure >= 0 && writesBeforeFailure-- == 0) {
            if (refusedLands)
                GWin32OSFactory::WritePart(target, name, type, data, length);
            return 0;
        }
        return GWin32OSFactory::WritePart(target, name, type, data, length);
    }
    int RemovePart(const ChunkTarget& target, const RWWString& name) override
    {
        if (beforeStep)
            beforeStep();
        return GWin32OSFactory::RemovePart(target, name);
    }
};

const std::wstring kScratchKey = L"Software\\QZ Services Test " + std::to_wstring(GetCurrentProcessId());

std::vector<uint8_t> Pattern(size_t length, uint8_t seed)
{
    std::vector<uint8_t> bytes(length, seed);
    return std::iota(bytes.begin(), bytes.end(), seed), bytes;
}

// Printer data of the test printer, plain and marked names (the marked ones in the
// current user's key). On Wine the spooler keeps
// printer data under the printer's machine key, so the registry checks below see what
// the spooler wrote; on Windows they would look elsewhere.
class Win32PrinterData : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestPrinter::Shared().Installed()) << TestPrinter::Shared().Failure();
        services = new Win32Services;
        driver.reset(new GDriverObject(TestPrinter::Shared().Name().c_str()));
        const std::wstring path = Marked() ? kScratchKey : TestPrinter::Shared().RegistryKey() + L"\\PrinterDriverData";
        RegCreateKeyExW(Marked() ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
    }
    // Removes what the tests wrote: the values, their first chunks, the scratch key.
    void TearDown() override
    {
        for (const std::wstring value : {L"Chunked", L"Torn", L"Foreign", L"Text"}) {
            RegDeleteValueW(key, (value + L":check").c_str());
            for (int i = -1; i < 8; ++i)
                RegDeleteValueW(key, (i < 0 ? value : value + L":" + std::to_wstring(i)).c_str());
        }
        RegCloseKey(key);
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratchKey.c_str());
    }

    bool Marked() const { return GetParam(); }
    RWWString Name(const wchar_t* leaf) const
    {
        return Marked() ? (L"???\\2147483649\\" + kScratchKey + L"\\" + leaf).c_str() : leaf;
    }
    bool Stored(const std::wstring& value) const
    {
        return RegQueryValueExW(key, value.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }
    void Put(const std::wstring& value, DWORD type, const void* data, DWORD size) const
    {
        RegSetValueExW(key, value.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    }

    HKEY key = nullptr;
    Win32Services* services = nullptr;
    std::unique_ptr<GDriverObject> driver;
};

// Longest first: each shorter rewrite must leave no chunk past its own count.
TEST_P(Win32PrinterData, LengthsRoundTripInWholeChunksWithoutSurplus)
{
    const struct {
        uint32_t length, count;
    } cases[] = {{600, 3}, {496, 3}, {248, 2}, {247, 1}, {0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::vector<uint8_t> data = Pattern(c.length, uint8_t(c.length));
        ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Chunked"), data.data(), c.length));
        EXPECT_TRUE(Stored(L"Chunked:" + std::to_wstring(c.count - 1)) &&
                    !Stored(L"Chunked:" + std::to_wstring(c.count)));
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

// A write refused at its first chunk, a middle one or its count, over a value of three
// chunks (or none): the old value reads back whole, and no chunk past its own is left. A
// refused chunk that landed all the same goes back too.
TEST_P(Win32PrinterData, AFailedWriteLeavesTheOldValueReadable)
{
    const struct {
        uint32_t oldLength, newLength;
        int refused;  // parts written before the refused one: chunks, then the count
        const char* what;
        bool lands;
    } rows[] = {
        {600, 600, 0, "first chunk, as many chunks", false},
        {600, 600, 1, "middle chunk, as many chunks", false},
        {600, 600, 3, "count, as many chunks", false},
        {600, 1000, 2, "middle chunk, more chunks", false},
        {600, 1000, 5, "count, more chunks", false},
        {600, 100, 1, "count, fewer chunks", false},
        {0, 600, 1, "middle chunk, no old value", false},
        {0, 600, 3, "count, no old value", false},
        {600, 600, 1, "middle chunk landed", true},
        {0, 600, 2, "last chunk landed, no old value", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        for (int i = -1; i < 8; ++i)
            RegDeleteValueW(key, (i < 0 ? std::wstring(L"Torn") : L"Torn:" + std::to_wstring(i)).c_str());
        const std::vector<uint8_t> before = Pattern(row.oldLength, 3), after = Pattern(row.newLength, 4);
        if (row.oldLength) {
            ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), before.data(), row.oldLength));
        }
        services->writesBeforeFailure = row.refused;
        services->refusedLands = row.lands;
        EXPECT_EQ(0, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), after.data(), row.newLength));
        services->writesBeforeFailure = -1;
        std::vector<uint8_t> buffer(1240, 0xEE);
        uint32_t length = 0;
        const int read = services->GetPrinterDataBinary(driver.get(), Name(L"Torn"), buffer.data(), 1240, length);
        if (row.oldLength) {
            ASSERT_EQ(1, read);
            EXPECT_EQ(before, std::vector<uint8_t>(buffer.begin(), buffer.begin() + length));
            EXPECT_FALSE(Stored(L"Torn:3"));
        } else {
            EXPECT_EQ(0, read);
            EXPECT_FALSE(Stored(L"Torn") || Stored(L"Torn:0") || Stored(L"Torn:1") || Stored(L"Torn:2"));
        }
    }
}

// The absent check of a value the spooler reports a length of (a count, and a value of
// no bytes), and of one it finds nothing of.
TEST_P(Win32PrinterData, IsPrinterDataAbsentWithAReportedLength)
{
    const DWORD count = 1;
    const struct {
        const char* what;
        DWORD type;
        const void* data;
        DWORD size;
        bool absent;
    } rows[] = {{"a count", REG_DWORD, &count, sizeof count, false},
                {"no bytes", REG_BINARY, &count, 0, false},
                {"nothing", REG_NONE, nullptr, 0, true}};
    for (const auto& row : rows) {
        RegDeleteValueW(key, L"Foreign");
        if (row.data)
            Put(L"Foreign", row.type, row.data, row.size);
        EXPECT_EQ(row.absent, services->IsPrinterDataAbsent(driver.get(), Name(L"Foreign"))) << row.what;
    }
}

// Stored values the writer would never leave: each fails and the buffer keeps its bytes.
TEST_P(Win32PrinterData, ForeignLayoutsFailAndLeaveTheBuffer)
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
        RegDeleteValueW(key, L"Foreign:2");
        Put(L"Foreign", REG_DWORD, &c.count, sizeof c.count);
        for (size_t i = 0; i < c.chunks.size(); ++i)
            Put(L"Foreign:" + std::to_wstring(i), c.chunkType, c.chunks[i]->data(), DWORD(c.chunks[i]->size()));
        std::vector<uint8_t> buffer(1024, 0xEE);
        uint32_t length = 0;
        EXPECT_EQ(0, services->GetPrinterDataBinary(driver.get(), Name(L"Foreign"), buffer.data(), 1024, length));
        EXPECT_EQ(std::vector<uint8_t>(1024, 0xEE), buffer);
    }
}

// A reader before each step of a write and after its last (what a writer that ended
// there leaves): the old value (O), the new one (N) or nothing (-), never another value
// (X). Old values are written by these services, or as older versions wrote them (no
// check).
TEST_P(Win32PrinterData, AReaderBetweenAnyTwoStepsOfAWriteGetsTheOldValueTheNewOneOrNothing)
{
    const struct {
        uint32_t oldLength, newLength;
        bool olderLayout;
        const char* reads;  // before the check, each chunk, the count, each surplus; then after
        const char* what;
    } rows[] = {
        {600, 1000, false, "O------N", "more chunks"},
        {1000, 600, false, "O----NNN", "fewer chunks"},
        {600, 700, false, "O---NN", "as many chunks"},
        {0, 600, false, "-----N", "no old value"},
        {600, 1000, true, "O------N", "an old value without a check"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        RegDeleteValueW(key, L"Torn:check");
        for (int i = -1; i < 8; ++i)
            RegDeleteValueW(key, (i < 0 ? std::wstring(L"Torn") : L"Torn:" + std::to_wstring(i)).c_str());
        const std::vector<uint8_t> before = Pattern(row.oldLength, 3), after = Pattern(row.newLength, 4);
        if (row.olderLayout) {
            for (uint32_t at = 0, chunk = 0; at <= row.oldLength; at += 248, ++chunk)
                Put(L"Torn:" + std::to_wstring(chunk), REG_BINARY, before.data() + at,
                    std::min<uint32_t>(248, row.oldLength - at));
            const DWORD count = row.oldLength / 248 + 1;
            Put(L"Torn", REG_DWORD, &count, sizeof count);
        } else if (row.oldLength) {
            ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), before.data(), row.oldLength));
        }
        std::string reads;
        auto read = [&] {
            std::vector<uint8_t> buffer(1240, 0xEE);
            uint32_t length = 0;
            const bool got = services->GetPrinterDataBinary(driver.get(), Name(L"Torn"), buffer.data(), 1240, length);
            buffer.resize(got ? length : 0);
            reads += !got ? '-' : row.oldLength && buffer == before ? 'O' : buffer == after ? 'N' : 'X';
        };
        services->beforeStep = read;
        EXPECT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), after.data(), row.newLength));
        services->beforeStep = nullptr;
        read();
        EXPECT_EQ(row.reads, reads);
    }
}

// The check as stored; then a value under each check, or none: only its own check, or
// none (as older versions read it), reads, and a refused one leaves the buffer.
TEST_P(Win32PrinterData, AValueReadsOnlyAsItsCheckTellsAndWithoutOneAsBefore)
{
    ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Chunked"), "abc", 3));
    const uint8_t expected[] = {0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                0x01, 0x00, 0x00, 0x00, 0xC2, 0x41, 0x24, 0x35};
    uint8_t stored[32] = {};
    DWORD type = 0, size = sizeof stored;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Chunked:check", nullptr, &type, stored, &size));
    EXPECT_EQ(DWORD(REG_BINARY), type);
    EXPECT_EQ(std::vector<uint8_t>(expected, expected + sizeof expected), std::vector<uint8_t>(stored, stored + size));

    const std::vector<uint8_t> data = Pattern(600, 7);
    const uint32_t crc = uint32_t(crc32(0, data.data(), 600));
    ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Chunked"), data.data(), 600));
    const struct {
        GWin32OSFactory::StoredCheck check;
        DWORD size;  // 0: no check
        int result;
    } rows[] = {{{}, 0, 1},
                {{1, 600, 3, crc}, 16, 1},
                {{2, 600, 3, crc}, 16, 0},
                {{1, 599, 3, crc}, 16, 0},
                {{1, 600, 4, crc}, 16, 0},
                {{1, 600, 3, crc ^ 1}, 16, 0},
                {{1, 600, 3, crc}, 15, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::vector<uint32_t>{row.check.layout, row.check.length,
                                                                   row.check.count, row.check.crc, row.size}));
        RegDeleteValueW(key, L"Chunked:check");
        if (row.size)
            Put(L"Chunked:check", REG_BINARY, &row.check, row.size);
        std::vector<uint8_t> buffer(1024, 0xEE);
        uint32_t length = 0;
        EXPECT_EQ(row.result, services->GetPrinterDataBinary(driver.get(), Name(L"Chunked"), buffer.data(), 1024, length));
        buffer.resize(row.result ? length : 1024);
        EXPECT_EQ(row.result ? data : std::vector<uint8_t>(1024, 0xEE), buffer);
    }
}

// The size a chunk count gives must fit 32 bits: 17318416 chunks of 248 bytes do,
// one chunk more does not, and is never answered as the wrapped-round size.
TEST_P(Win32PrinterData, ChunkCountsAreBoundByTheLargest32BitSize)
{
    const struct {
        DWORD count;
        int result;
        uint32_t length;
    } cases[] = {{17318416, 1, 4294967168u}, {17318417, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        Put(L"Foreign", REG_DWORD, &c.count, sizeof c.count);
        uint32_t length = 7;
        EXPECT_EQ(c.result, services->GetPrinterDataBinary(driver.get(), Name(L"Foreign"), nullptr, 0, length));
        EXPECT_EQ(c.length, length);
    }
}

// Texts stored without a terminator or with an odd byte count end where their bytes
// end: printer data, and a value of the user's key.
TEST_P(Win32PrinterData, UnterminatedAndOddSizedTextsEnd)
{
    const struct {
        const char* bytes;
        DWORD size;
        const wchar_t* expected;
    } cases[] = {{"X\0Y\0Z\0", 6, L"XYZ"}, {"X\0Y\0Z", 5, L"XYZ"}, {"X\0\0\0Y\0", 6, L"X"}};
    for (const auto& c : cases) {
        Put(L"Text", REG_SZ, c.bytes, c.size);
        RWWString text;
        if (Marked())
            services->GetUserString(text, kScratchKey.c_str(), L"Text", L"none");
        else
            services->GetPrinterDataString(text, driver.get(), L"Text", L"none");
        EXPECT_STREQ(c.expected, text.Data());
    }
}

INSTANTIATE_TEST_SUITE_P(PlainAndMarked, Win32PrinterData, ::testing::Bool());

// The stores lock's name: global, in capitals, a backslash a slash, and the printer's
// part whole up to its longest, cut with a check of the whole past it.
TEST(Win32StoresLock, NamesAreGlobalInCapitalsWithoutBackslashesAndBounded)
{
    const std::wstring prefix = L"Global\\QZ printer stores ";
    const std::wstring longest(GWin32OSFactory::kLongestLockPart, L'p');
    const struct {
        std::wstring printer, expected;
    } rows[] = {
        {L"Laser a", prefix + L"LASER A"},
        {L"\\\\Server\\Laser", prefix + L"//SERVER/LASER"},
        {longest, prefix + std::wstring(GWin32OSFactory::kLongestLockPart, L'P')},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, GWin32OSFactory::StoresLockName(row.printer.c_str()).Data());
    const std::wstring cut = GWin32OSFactory::StoresLockName((longest + L"a").c_str()).Data();
    EXPECT_EQ(prefix.size() + GWin32OSFactory::kLongestLockPart, cut.size());
    EXPECT_EQ(L'#', cut[cut.size() - 9]);
    EXPECT_NE(cut, GWin32OSFactory::StoresLockName((longest + L"b").c_str()).Data());
}

// The lock: had again by its owner, not had by another thread within the wait, and had
// at once once its owner ended holding it.
TEST(Win32StoresLock, HeldElsewhereItWaitsItsBoundAbandonedItIsHad)
{
    Win32Services services;
    GDriverObject driver(L"QZ Stores Lock Test");
    void* held[3] = {};
    int results[3] = {};
    std::thread([&] {
        results[0] = services.LockPrinterStores(&driver, 0, held[0]);
        results[1] = services.LockPrinterStores(&driver, 0, held[1]);
        services.UnlockPrinterStores(held[1]);
        std::thread([&] { results[2] = services.LockPrinterStores(&driver, 20, held[2]); }).join();
    }).join();
    EXPECT_EQ(1, results[0]);
    EXPECT_EQ(1, results[1]);
    EXPECT_EQ(0, results[2]);
    void* abandoned = nullptr;
    EXPECT_EQ(1, services.LockPrinterStores(&driver, 0, abandoned));
    services.UnlockPrinterStores(abandoned);
    services.UnlockPrinterStores(held[0]);
}

TEST(Win32MarkedNames, OnlyPredefinedRootsAndWholePathsAreAccepted)
{
    Win32Services* services = new Win32Services;
    const uint8_t data[4] = {1, 2, 3, 4};
    for (const wchar_t* name : {L"???\\12345\\Software\\QZ\\V", L"???\\2147483655\\Software\\QZ\\V",
                                L"???\\\\Software\\QZ\\V", L"???\\2147483649\\V", L"???2147483649\\Software\\V",
                                L"???\\99999999999999999999\\Software\\V"}) {
        uint32_t length = 0;
        EXPECT_EQ(0, services->SetPrinterDataBinary(nullptr, name, data, 4)) << testing::PrintToString(name);
        EXPECT_EQ(0, services->GetPrinterDataBinary(nullptr, name, nullptr, 0, length));
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
        {3000, {2023, 1, 30, 10, 0}, {2023, 2, 1, 12, 0}},
        {-3000, {2024, 3, 1, 1, 0}, {2024, 2, 27, 23, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bias);
        std::tm local = {17, c.from[4], c.from[3], c.from[2], c.from[1] - 1, c.from[0] - 1900, 3, 0, 0};
        const std::tm shifted = GWin32OSFactory::ShiftTime(local, c.bias);
        const int got[5] = {shifted.tm_year + 1900, shifted.tm_mon + 1, shifted.tm_mday, shifted.tm_hour,
                            shifted.tm_min};
        EXPECT_EQ(std::vector<int>(c.to, c.to + 5), std::vector<int>(got, got + 5));
        EXPECT_TRUE(shifted.tm_sec == 17 && shifted.tm_wday == 3);
    }
}

// The current user's key is redirected to a scratch key, so the user's own settings
// are neither read nor changed.
struct RedirectedUserKey {
    RedirectedUserKey()
    {
        RegCreateKeyExW(HKEY_CURRENT_USER, kScratchKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        redirected = RegOverridePredefKey(HKEY_CURRENT_USER, key) == ERROR_SUCCESS;
    }
    ~RedirectedUserKey()
    {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(key);
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratchKey.c_str());
    }
    HKEY key = nullptr;
    bool redirected = false;
};

TEST(Win32Locale, MissingKeyGivesDefaultsAndMissingValuesTheirOwn)
{
    Win32Services* services = new Win32Services;
    RedirectedUserKey user;
    ASSERT_TRUE(user.redirected);
    std::unique_ptr<GLocaleInfo> info(services->CreateLocaleInfo());
    EXPECT_TRUE(info && info->IsSame(std::unique_ptr<GLocaleInfo>(new GLocaleInfo).get()));

    // A number of another type and a text too long count as missing.
    const std::string tooLong(200, 'x');
    const DWORD number = 5;
    const struct {
        const char* name;
        DWORD type;
        const void* data;
        DWORD size;
    } values[] = {{"Locale", REG_SZ, "00000407", 9}, {"iMeasure", REG_SZ, "0", 2}, {"sDecimal", REG_SZ, ",", 2},
                  {"iDigits", REG_DWORD, &number, 4}, {"sList", REG_SZ, tooLong.c_str(), 201}};
    HKEY international = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(user.key, "Control Panel\\International", &international));
    for (const auto& v : values)
        RegSetValueExA(international, v.name, 0, v.type, static_cast<const BYTE*>(v.data), v.size);
    RegCloseKey(international);

    info.reset(services->CreateLocaleInfo());
    ASSERT_TRUE(info);
    EXPECT_EQ(407, info->GetNumber(GLocaleInfo::kLocale));
    EXPECT_EQ(0, info->GetNumber(GLocaleInfo::kIMeasure));
    EXPECT_STREQ(",", info->GetText(GLocaleInfo::kSDecimal).Data());
    EXPECT_EQ(2, info->GetNumber(GLocaleInfo::kIDigits));
    EXPECT_STREQ(",", info->GetText(GLocaleInfo::kSList).Data());
    EXPECT_STREQ("dddd, MMMM dd, yyyy", info->GetText(GLocaleInfo::kSLongDate).Data());
}

// The environment is put back by the last steps, as far as the test changed it.
TEST(Win32TempDirectory, PrinterSettingThenTmpThenTempThenTheSpoolFolderInTheWindowsFolder)
{
    ASSERT_TRUE(TestPrinter::Shared().Installed()) << TestPrinter::Shared().Failure();
    Win32Services* services = new Win32Services;
    GDriverObject driver(TestPrinter::Shared().Name().c_str());
    wchar_t saved[2][1024];
    const DWORD lengths[2] = {GetEnvironmentVariableW(L"TMP", saved[0], 1024),
                              GetEnvironmentVariableW(L"TEMP", saved[1], 1024)};
    SetEnvironmentVariableW(L"TMP", L"C:\\from-tmp");
    SetEnvironmentVariableW(L"TEMP", L"C:\\from-temp");
    ASSERT_EQ(1, services->SetPrinterDataString(&driver, L"TempDirectoryLocation", L"C:\\from-printer"));
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::wstring spool = std::wstring(windows) + L"\\System32\\Spool\\Printers";
    const wchar_t* expected[] = {L"C:\\from-printer", L"C:\\from-tmp", L"C:\\from-temp", spool.c_str()};
    for (int step = 0; step < 4; ++step) {
        RWWString path;
        services->GetTempDirectory(path, &driver);
        EXPECT_STREQ(expected[step], path.Data());
        if (step == 0)
            EXPECT_EQ(1, services->DeletePrinterDriverDataValue(&driver, L"TempDirectoryLocation"));
        else
            SetEnvironmentVariableW(step == 1 ? L"TMP" : L"TEMP", nullptr);
    }
    for (int i = 0; i < 2; ++i)
        SetEnvironmentVariableW(i ? L"TEMP" : L"TMP", lengths[i] && lengths[i] < 1024 ? saved[i] : nullptr);
}

// A folder rooted in a drive or a share comes in the full form the spool folder's check
// takes; one that is not a whole folder name gives way to the next candidate (TMP).
TEST(Win32TempDirectory, AFolderRootedInADriveOrAShareIsMadeFullARelativeOneGivesWay)
{
    ASSERT_TRUE(TestPrinter::Shared().Installed()) << TestPrinter::Shared().Failure();
    Win32Services* services = new Win32Services;
    GDriverObject driver(TestPrinter::Shared().Name().c_str());
    wchar_t saved[1024];
    const DWORD length = GetEnvironmentVariableW(L"TMP", saved, 1024);
    SetEnvironmentVariableW(L"TMP", L"C:\\from-tmp");
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::wstring inWindows = std::wstring(windows) + L"\\Temp";
    const struct {
        const wchar_t* named;
        // The folder taken; null: the name gives way to TMP.
        const wchar_t* given;
    } rows[] = {
        {L"C:/Temp", L"C:\\Temp"},
        {L"\\\\?\\C:\\Temp", L"C:\\Temp"},
        {L"\\\\?\\UNC\\server\\share\\Temp", L"\\\\server\\share\\Temp"},
        {L"C:\\Temp\\..\\Spool", L"C:\\Spool"},
        {L"\\SystemRoot\\Temp", inWindows.c_str()},
        // A verbatim name whose plain form would name another folder.
        {L"\\\\?\\C:\\Temp\\..\\Spool", nullptr},
        {L"Temp", nullptr},
        {L"C:Temp", nullptr},
        {L"\\Temp", nullptr},
        {L"\\\\.\\C:\\Temp", nullptr},
        // Names that only start like the system root's or a verbatim share's.
        {L"\\SystemRootX\\Temp", nullptr},
        {L"\\\\?\\UNCX\\server\\share\\Temp", nullptr},
        {L"\\\\?\\UNCXserver\\share\\Temp", nullptr},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(1, services->SetPrinterDataString(&driver, L"TempDirectoryLocation", row.named));
        RWWString path;
        services->GetTempDirectory(path, &driver);
        EXPECT_STREQ(row.given ? row.given : L"C:\\from-tmp", path.Data()) << row.named;
        EXPECT_TRUE(MPersistentCompositeOnDisk::IsAbsoluteFolder(path)) << row.named;
    }
    EXPECT_EQ(1, services->DeletePrinterDriverDataValue(&driver, L"TempDirectoryLocation"));
    SetEnvironmentVariableW(L"TMP", length && length < 1024 ? saved : nullptr);
}

// The spool files are opened by the folder's narrow name: a folder whose name the code
// page cannot hold is taken by a short name it can, or gives way to the next candidate.
TEST(Win32TempDirectory, ANameOutsideTheCodePageIsTakenByAShortNameOrGivesWay)
{
    ASSERT_TRUE(TestPrinter::Shared().Installed()) << TestPrinter::Shared().Failure();
    Win32Services* services = new Win32Services;
    GDriverObject driver(TestPrinter::Shared().Name().c_str());
    auto survives = [](const RWWString& name) {
        RWCString narrow;
        ToNarrowString(name, narrow);
        return narrow.Length() > 0 && RWWString(narrow, RWWString::multiByte) == name;
    };
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring outside = std::wstring(temp) + L"qz-\x0416\x4E2D\x03A9";
    ASSERT_FALSE(survives(RWWString(outside.c_str())));
    ASSERT_TRUE(CreateDirectoryW(outside.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    wchar_t saved[1024];
    const DWORD length = GetEnvironmentVariableW(L"TMP", saved, 1024);
    SetEnvironmentVariableW(L"TMP", L"C:\\from-tmp");
    ASSERT_EQ(1, services->SetPrinterDataString(&driver, L"TempDirectoryLocation", outside.c_str()));
    RWWString path;
    services->GetTempDirectory(path, &driver);
    EXPECT_TRUE(survives(path)) << path.ToMultiByte().Data();
    wchar_t full[MAX_PATH] = {};
    const DWORD fullLength = GetLongPathNameW(path.Data(), full, MAX_PATH);
    EXPECT_TRUE(path == L"C:\\from-tmp" || (fullLength > 0 && _wcsicmp(full, outside.c_str()) == 0))
        << path.ToMultiByte().Data();
    EXPECT_EQ(1, services->DeletePrinterDriverDataValue(&driver, L"TempDirectoryLocation"));
    SetEnvironmentVariableW(L"TMP", length && length < 1024 ? saved : nullptr);
    RemoveDirectoryW(outside.c_str());
}

} // namespace
