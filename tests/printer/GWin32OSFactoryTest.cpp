#include "printer/GWin32OSFactory.h"

#include "TestPrinter.h"
#include "model/GLocaleInfo.h"
#include "model/GTextConverter.h"
#include "model/MPersistentCompositeOnDisk.h"
#include "printer/GDriverObject.h"
#include "printer/GPlatformCalls.h"

#include <gtest/gtest.h>
#include <sddl.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <functional>
#include <map>
#include <memory>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

namespace {

// The Windows services with no driver user-interface object (every printer-data call
// opens the printer by name) and a writer of a binary value's parts (its chunks and its
// count; its check and whole copy are not counted) that can be told to refuse one, and that calls
// beforeStep before each step of a write (the check, a chunk, the count, a removal).
// Refuses answers for any write or removal (by the part's name) whether it goes ahead, is
// refused, or is refused but lands; beforeRead runs before each part a read asks for.
class Win32Services : public GWin32OSFactory {
public:
    enum Answer { kWritten, kRefused, kRefusedLanded };
    void* GetPrinterHandle(GDriverObject*) override { return nullptr; }
    // The number of parts written before one is refused; -1: none is.
    int writesBeforeFailure = -1;
    std::function<void()> beforeStep;
    std::function<Answer(const std::wstring& part)> refuses;
    std::function<void(const std::wstring& part)> beforeRead;
    // The refused part lands all the same, as a write that failed late may.
    bool refusedLands = false;
    // What the printer says of the caller, where a test says it; counted.
    std::function<Admission()> admits;
    int admitsAsked = 0;
    Admission PrinterAdmitsCaller(GDriverObject* driver, PSECURITY_DESCRIPTOR security) override
    {
        ++admitsAsked;
        return admits ? admits() : GWin32OSFactory::PrinterAdmitsCaller(driver, security);
    }

protected:
    int WritePart(const ChunkTarget& target, const RWWString& name, uint32_t type, const void* data,
                  uint32_t length) override
    {
        if (beforeStep)
            beforeStep();
        const Answer answer = refuses ? refuses(name.Data()) : kWritten;
        const bool counted = !std::wcsstr(name.Data(), L":check") && !std::wcsstr(name.Data(), L":whole");
        if (answer != kWritten || (counted && writesBeforeFailure >= 0 && writesBeforeFailure-- == 0)) {
            if (refusedLands || answer == kRefusedLanded)
                GWin32OSFactory::WritePart(target, name, type, data, length);
            return 0;
        }
        return GWin32OSFactory::WritePart(target, name, type, data, length);
    }
    int RemovePart(const ChunkTarget& target, const RWWString& name) override
    {
        if (beforeStep)
            beforeStep();
        if (refuses && refuses(name.Data()) != kWritten)
            return 0;
        return GWin32OSFactory::RemovePart(target, name);
    }
    void ReadPart(const ChunkTarget& target, const RWWString& name, GPrinterDataCache::Value& value) override
    {
        if (beforeRead)
            beforeRead(name.Data());
        GWin32OSFactory::ReadPart(target, name, value);
    }
};

// A named mutex made first under the access list (SDDL) given, as another process may;
// null when it cannot be made.
HANDLE MutexMadeWith(const wchar_t* access, const wchar_t* name)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(access, SDDL_REVISION_1, &descriptor, nullptr))
        return nullptr;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    HANDLE mutex = CreateMutexW(&attributes, FALSE, name);
    LocalFree(descriptor);
    return mutex;
}

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
            RegDeleteValueW(key, (value + L":whole").c_str());
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
    // Removes a value, its check and its chunks.
    void Clear(const std::wstring& value) const
    {
        RegDeleteValueW(key, (value + L":check").c_str());
        RegDeleteValueW(key, (value + L":whole").c_str());
        for (int i = -1; i < 8; ++i)
            RegDeleteValueW(key, (i < 0 ? value : value + L":" + std::to_wstring(i)).c_str());
    }
    // Writes a value as older versions do: its chunks, then its count; its check, if any,
    // stays as it was.
    void PutOlder(const std::wstring& value, const std::vector<uint8_t>& bytes) const
    {
        const uint32_t length = uint32_t(bytes.size());
        for (uint32_t at = 0, chunk = 0; at <= length; at += 248, ++chunk)
            Put(value + L":" + std::to_wstring(chunk), REG_BINARY, bytes.data() + at, std::min<uint32_t>(248, length - at));
        const DWORD count = length / 248 + 1;
        Put(value, REG_DWORD, &count, sizeof count);
    }
    // The first word of the value's check as stored; 0 without one.
    uint32_t CheckLayout(const std::wstring& value) const
    {
        uint32_t words[4] = {};
        DWORD size = sizeof words;
        return RegQueryValueExW(key, (value + L":check").c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(words),
                                &size) == ERROR_SUCCESS ? words[0] : 0;
    }
    // A read of the value: the old bytes (O), the new ones (N), nothing (-) or another
    // value (X).
    char ReadAs(const wchar_t* leaf, const std::vector<uint8_t>& before, const std::vector<uint8_t>& after) const
    {
        std::vector<uint8_t> buffer(1240, 0xEE);
        uint32_t length = 0;
        const bool got = services->GetPrinterDataBinary(driver.get(), Name(leaf), buffer.data(), 1240, length);
        buffer.resize(got ? length : 0);
        return !got ? '-' : !before.empty() && buffer == before ? 'O' : buffer == after ? 'N' : 'X';
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

// A write refused at one of its parts, longest first: the value that read before it
// reads (O), kept whole beside the chunks; with none, nothing (-), or the new value (N)
// once its count landed. The next write is whole, with no surplus and no copy left.
TEST_P(Win32PrinterData, AFailedWriteLeavesTheOldValueReadable)
{
    const struct {
        uint32_t oldLength, newLength;
        int refused;  // parts written before the refused one: chunks, then the count
        const char* what;
        bool lands;
        char reads;
    } rows[] = {
        {600, 600, 0, "first chunk, as many chunks", false, 'O'},
        {600, 600, 1, "middle chunk, as many chunks", false, 'O'},
        {600, 600, 3, "count, as many chunks", false, 'O'},
        {600, 1000, 2, "middle chunk, more chunks", false, 'O'},
        {600, 1000, 5, "count, more chunks", false, 'O'},
        {600, 100, 1, "count, fewer chunks", false, 'O'},
        {0, 600, 1, "middle chunk, no old value", false, '-'},
        {0, 600, 3, "count, no old value", false, '-'},
        {600, 600, 1, "middle chunk landed", true, 'O'},
        {0, 600, 2, "last chunk landed, no old value", true, '-'},
        {600, 1000, 5, "count landed", true, 'O'},
        {0, 600, 3, "count landed, no old value", true, 'N'},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Clear(L"Torn");
        const std::vector<uint8_t> before = Pattern(row.oldLength, 3), after = Pattern(row.newLength, 4);
        if (row.oldLength) {
            ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), before.data(), row.oldLength));
        }
        EXPECT_FALSE(Stored(L"Torn:whole"));
        services->writesBeforeFailure = row.refused;
        services->refusedLands = row.lands;
        EXPECT_EQ(0, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), after.data(), row.newLength));
        services->writesBeforeFailure = -1;
        services->refusedLands = false;
        EXPECT_EQ(row.reads, ReadAs(L"Torn", before, after));
        ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), before.data(), row.oldLength));
        EXPECT_EQ(row.oldLength ? 'O' : 'N', ReadAs(L"Torn", before, before));
        EXPECT_FALSE(Stored(L"Torn:whole") || Stored(L"Torn:3"));
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
        // before the whole copy, the check in progress, each chunk, the count, the check
        // done, each surplus (up to the first place with none), the whole copy's removal;
        // then after
        const char* reads;
        const char* what;
    } rows[] = {
        {600, 1000, false, "OOOOOOOOONNN", "more chunks"},
        {1000, 600, false, "OOOOOOONNNNN", "fewer chunks"},
        {600, 700, false, "OOOOOOONNN", "as many chunks"},
        {0, 600, false, "-----NNNN", "no old value"},
        {600, 1000, true, "OOOOOOOOONNN", "an old value without a check, more chunks"},
        {1000, 600, true, "OOOOOOONNNNN", "an old value without a check, fewer chunks"},
        {600, 700, true, "OOOOOOONNN", "an old value without a check, as many chunks"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Clear(L"Torn");
        const std::vector<uint8_t> before = Pattern(row.oldLength, 3), after = Pattern(row.newLength, 4);
        if (row.olderLayout) {
            PutOlder(L"Torn", before);
        } else if (row.oldLength) {
            ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), before.data(), row.oldLength));
        }
        std::string reads;
        auto read = [&] { reads += ReadAs(L"Torn", before, after); };
        services->beforeStep = read;
        EXPECT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), after.data(), row.newLength));
        services->beforeStep = nullptr;
        read();
        EXPECT_EQ(row.reads, reads);
    }
}

// The check as stored; then a value under each check, or none: only its own check, a
// done one (an older version's rewrite keeps it) or none (as older versions read it)
// reads, a refused one leaves the buffer, and only a done check it matches is current.
TEST_P(Win32PrinterData, AValueReadsOnlyAsItsCheckTellsAndWithoutOneAsBefore)
{
    EXPECT_FALSE(services->HasCurrentCheck(driver.get(), Name(L"Chunked")));
    ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Chunked"), "abc", 3));
    const uint8_t expected[] = {0x03, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
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
        bool current;
    } rows[] = {{{}, 0, 1, false},
                {{1, 600, 3, crc}, 16, 1, false},
                {{2, 600, 3, crc}, 16, 1, false},
                {{3, 600, 3, crc}, 16, 1, true},
                {{3, 599, 3, crc}, 16, 1, false},
                {{3, 600, 4, crc}, 16, 1, false},
                {{3, 600, 3, crc ^ 1}, 16, 1, false},
                {{2, 600, 3, crc ^ 1}, 16, 0, false},
                {{4, 600, 3, crc}, 16, 0, false},
                {{1, 599, 3, crc}, 16, 0, false},
                {{1, 600, 4, crc}, 16, 0, false},
                {{1, 600, 3, crc ^ 1}, 16, 0, false},
                {{1, 600, 3, crc}, 15, 0, false}};
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
        EXPECT_EQ(row.current, services->HasCurrentCheck(driver.get(), Name(L"Chunked")));
    }
}

// A value this version wrote, rewritten whole by an older version (its chunks and count,
// not its check): the new bytes read, and carry no current check until the next write.
TEST_P(Win32PrinterData, AnOlderVersionsWholeRewriteReadsUntilTheNextWriteGivesItACheck)
{
    const struct {
        uint32_t oldLength, newLength;
        const char* what;
    } rows[] = {{600, 1000, "more chunks"}, {1000, 600, "fewer chunks"}, {600, 700, "as many chunks"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Clear(L"Torn");
        const std::vector<uint8_t> before = Pattern(row.oldLength, 3), after = Pattern(row.newLength, 4);
        ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), before.data(), row.oldLength));
        PutOlder(L"Torn", after);
        EXPECT_EQ('N', ReadAs(L"Torn", before, after));
        EXPECT_FALSE(services->HasCurrentCheck(driver.get(), Name(L"Torn")));
        ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), after.data(), row.newLength));
        EXPECT_EQ('N', ReadAs(L"Torn", before, after));
        EXPECT_TRUE(services->HasCurrentCheck(driver.get(), Name(L"Torn")));
    }
}

// A write refused at its whole copy, its check, a chunk, its count or its done check, or
// refused there but landed: the old value (O) or, once all of it landed, the new one (N),
// never a mix; nothing is put back, and the check says how far the write came.
TEST_P(Win32PrinterData, ARefusedWriteLeavesItsPartsAndTheOldValueReads)
{
    using Answer = Win32Services::Answer;
    const struct {
        const wchar_t* refused;
        int at;  // its write refused: the first, or the second (the check's done)
        Answer answer;
        char reads;
        uint32_t layout;
        const char* what;
    } rows[] = {
        {L"Torn:whole", 1, Win32Services::kRefused, 'O', 3, "whole copy refused"},
        {L"Torn:check", 1, Win32Services::kRefused, 'O', 3, "check in progress refused"},
        {L"Torn:1", 1, Win32Services::kRefused, 'O', 2, "a chunk refused"},
        {L"Torn", 1, Win32Services::kRefusedLanded, 'O', 2, "the count refused, landed"},
        {L"Torn:check", 2, Win32Services::kRefused, 'O', 2, "done check refused"},
        {L"Torn:check", 2, Win32Services::kRefusedLanded, 'N', 3, "done check refused, landed"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Clear(L"Torn");
        const std::vector<uint8_t> before = Pattern(600, 3), after = Pattern(700, 4);
        ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), before.data(), 600));
        std::map<std::wstring, int> seen;
        services->refuses = [&](const std::wstring& part) {
            return part == row.refused && ++seen[part] == row.at ? row.answer : Win32Services::kWritten;
        };
        EXPECT_EQ(0, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), after.data(), 700));
        services->refuses = nullptr;
        EXPECT_EQ(row.reads, ReadAs(L"Torn", before, after));
        EXPECT_EQ(row.layout, CheckLayout(L"Torn"));
    }
}

// A value under each check read with the registry reads counted: one look reads the
// count, the check, three chunks and the check again; a check in progress or of the
// earlier form that the bytes do not match has the whole copy looked for (none here), and
// is read twice more, after its pauses; chunks only their layout vouches for (no check,
// or a done one they do not match) are looked at twice, the second time afresh.
TEST_P(Win32PrinterData, AValueInTheMiddleOfAWriteIsReadAgainTwice)
{
    const std::vector<uint8_t> data = Pattern(600, 7);
    const uint32_t crc = uint32_t(crc32(0, data.data(), 600));
    const struct {
        GWin32OSFactory::StoredCheck check;
        int result;
        uint64_t reads;
    } rows[] = {{{2, 600, 3, crc}, 1, 7}, {{2, 599, 3, crc}, 0, 21}, {{1, 599, 3, crc}, 0, 21},
                {{1, 600, 3, crc}, 1, 6}, {{3, 599, 3, crc}, 1, 12}, {{0, 0, 0, 0}, 1, 12}};
    ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), data.data(), 600));
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::vector<uint32_t>{row.check.layout, row.check.length}));
        RegDeleteValueW(key, L"Torn:check");
        if (row.check.layout)
            Put(L"Torn:check", REG_BINARY, &row.check, sizeof row.check);
        std::vector<uint8_t> buffer(1240);
        uint32_t length = 0;
        const GPlatformCalls::Totals before = GPlatformCalls::Now();
        EXPECT_EQ(row.result, services->GetPrinterDataBinary(driver.get(), Name(L"Torn"), buffer.data(), 1240, length));
        EXPECT_EQ(row.reads, GPlatformCalls::Now().Since(before)[GPlatformCalls::kValueRead]);
    }
}

// A writer that begins while a reader reads the chunks (before the last one is read):
// the reader finds the check changed after the chunks and reads again, getting the new
// value once the write ended, or nothing while it stays in progress; never the mix its
// first attempt read.
TEST_P(Win32PrinterData, AReaderThatFindsTheCheckChangedAfterTheChunksReadsAgain)
{
    const std::vector<uint8_t> before = Pattern(600, 3), after = Pattern(700, 4);
    const GWin32OSFactory::StoredCheck writing = {GWin32OSFactory::kCheckWriting, 700, 3, uint32_t(crc32(0, after.data(), 700))};
    const struct {
        bool olderLayout;
        bool writerEnds;
        char reads;
        int attempts;
        const char* what;
    } rows[] = {
        {true, true, 'N', 2, "no check first, a whole write meanwhile"},
        {false, true, 'N', 2, "a done check first, a whole write meanwhile"},
        {true, false, '-', 3, "no check first, a write begun meanwhile"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Clear(L"Torn");
        if (row.olderLayout)
            PutOlder(L"Torn", before);
        else
            ASSERT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), before.data(), 600));
        int attempts = 0;
        bool written = false, inWrite = false;
        // The reader's attempts, not the writer's own look at the value it writes over.
        services->beforeRead = [&](const std::wstring& part) {
            attempts += part == L"Torn" && !inWrite;
            if (part != L"Torn:2" || written)
                return;
            written = true;
            if (row.writerEnds) {
                inWrite = true;
                EXPECT_EQ(1, services->SetPrinterDataBinary(driver.get(), Name(L"Torn"), after.data(), 700));
                inWrite = false;
            } else {
                Put(L"Torn:check", REG_BINARY, &writing, sizeof writing);
                Put(L"Torn:2", REG_BINARY, after.data() + 496, 204);
            }
        };
        EXPECT_EQ(row.reads, ReadAs(L"Torn", before, after));
        services->beforeRead = nullptr;
        EXPECT_EQ(row.attempts, attempts);
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

// A printer's security descriptor made by hand, for lists that Wine's SDDL reader does not
// make: a null list (Wine reads "D:NO_ACCESS_CONTROL" as an empty one), and a list of one
// entry of the object kind (Wine reads and adds no object entries), allowing the
// administer right to the administrators, laid out byte by byte.
class HandMadeDescriptor {
public:
    explicit HandMadeDescriptor(bool objectEntry)
    {
        InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION);
        PACL list = nullptr;
        if (objectEntry) {
            BYTE admins[SECURITY_MAX_SID_SIZE];
            DWORD sidSize = sizeof admins;
            if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &sidSize))
                return;
            const GUID kind = {0xbf967aba, 0x0de6, 0x11d0, {0xa2, 0x85, 0x00, 0xaa, 0x00, 0x30, 0x49, 0xe2}};
            // The list's header, then the entry: its header, mask, flags, object kind, identity.
            const WORD aceSize = WORD(sizeof(ACE_HEADER) + 2 * sizeof(DWORD) + sizeof(GUID) + sidSize);
            const WORD aclSize = WORD(sizeof(ACL) + aceSize);
            acl_.assign(aclSize, 0);
            ACL header = {ACL_REVISION_DS, 0, aclSize, 1, 0};
            ACE_HEADER entry = {ACCESS_ALLOWED_OBJECT_ACE_TYPE, 0, aceSize};
            const DWORD mask = PRINTER_ACCESS_ADMINISTER, flags = ACE_OBJECT_TYPE_PRESENT;
            uint8_t* at = acl_.data();
            for (const auto& part : {std::make_pair<const void*, size_t>(&header, sizeof header),
                                     std::make_pair<const void*, size_t>(&entry, sizeof entry),
                                     std::make_pair<const void*, size_t>(&mask, sizeof mask),
                                     std::make_pair<const void*, size_t>(&flags, sizeof flags),
                                     std::make_pair<const void*, size_t>(&kind, sizeof kind),
                                     std::make_pair<const void*, size_t>(admins, size_t(sidSize))}) {
                std::memcpy(at, part.first, part.second);
                at += part.second;
            }
            list = reinterpret_cast<PACL>(acl_.data());
        }
        made_ = SetSecurityDescriptorDacl(&descriptor_, TRUE, list, FALSE) != FALSE;
    }
    PSECURITY_DESCRIPTOR Get() { return made_ ? &descriptor_ : nullptr; }

private:
    std::vector<uint8_t> acl_;
    SECURITY_DESCRIPTOR descriptor_ = {};
    bool made_ = false;
};

// The lock's access list from a printer's: the administer right (or all access) lets an
// identity take the lock, printing alone does not, a deny of the right stays where the
// printer's list has it, entries that pass only to the printer's jobs do not count, and
// the system always may. A printer without a list admits everyone; an empty list, no one
// but the system. The owner's rights (S-1-3-4) are the printer's owner's, allowed or
// denied as the printer has them. A list the mapping cannot read, or the owner's rights
// without an owner, gives nothing, and the lock then takes the administrators' and the
// system's.
TEST(Win32StoresLock, TheAccessListAdmitsWhomThePrinterLetsAdminister)
{
    const std::wstring take = L"0x100001;;;";
    const std::wstring system = L"(A;;" + take + L"SY)";
    const std::wstring admins = L"S-1-5-32-544", user = L"S-1-5-21-1-2-3-1001", other = L"S-1-5-21-1-2-3-1002";
    enum Made { kFromSddl, kNullList, kObjectEntry };
    const struct {
        const char* what;
        Made made;
        std::wstring printer;  // the printer's descriptor, in SDDL
        std::wstring expected;
    } rows[] = {
        {"a user with the administer right", kFromSddl, L"D:(A;;LCSW;;;" + user + L")",
         L"D:" + system + L"(A;;" + take + user + L")"},
        {"full control and generic all", kFromSddl, L"D:(A;;LCSWSDRCWDWO;;;BA)(A;;GA;;;" + user + L")",
         L"D:" + system + L"(A;;" + take + admins + L")(A;;" + take + user + L")"},
        {"a user who may only print", kFromSddl, L"D:(A;;SWRC;;;" + other + L")(A;;LCSW;;;BA)",
         L"D:" + system + L"(A;;" + take + admins + L")"},
        {"a deny of the right, in its place", kFromSddl,
         L"D:(D;;LC;;;" + user + L")(A;;LCSW;;;BA)(A;;LCSW;;;" + user + L")",
         L"D:" + system + L"(D;;" + take + user + L")(A;;" + take + admins + L")(A;;" + take + user + L")"},
        {"a deny of all access", kFromSddl, L"D:(D;;GA;;;" + user + L")(A;;LC;;;" + user + L")",
         L"D:" + system + L"(D;;" + take + user + L")(A;;" + take + user + L")"},
        {"a deny of printing alone", kFromSddl, L"D:(D;;SW;;;" + user + L")(A;;LC;;;" + user + L")",
         L"D:" + system + L"(A;;" + take + user + L")"},
        {"entries for the printer's jobs only", kFromSddl,
         L"D:(A;OIIO;GA;;;CO)(A;CIIO;GA;;;" + user + L")(A;;LC;;;BA)", L"D:" + system + L"(A;;" + take + admins + L")"},
        {"an empty list", kFromSddl, L"D:", L"D:" + system},
        {"no list", kFromSddl, L"O:BAG:SY", L"D:" + system + L"(A;;" + take + L"WD)"},
        {"a null list", kNullList, L"", L"D:" + system + L"(A;;" + take + L"WD)"},
        {"an object entry", kObjectEntry, L"", L""},
        {"the owner's rights allowed: the owner", kFromSddl,
         L"O:" + user + L"G:SYD:(A;;LC;;;S-1-3-4)(A;;LC;;;BA)",
         L"D:" + system + L"(A;;" + take + user + L")(A;;" + take + admins + L")"},
        {"the owner's rights denied: the owner", kFromSddl,
         L"O:" + user + L"G:SYD:(D;;LC;;;S-1-3-4)(A;;LC;;;" + user + L")",
         L"D:" + system + L"(D;;" + take + user + L")(A;;" + take + user + L")"},
        {"the owner's rights with no owner", kFromSddl, L"D:(A;;LC;;;S-1-3-4)(A;;LC;;;BA)", L""},
    };
    for (const auto& row : rows) {
        PSECURITY_DESCRIPTOR converted = nullptr;
        HandMadeDescriptor handMade(row.made == kObjectEntry);
        if (row.made == kFromSddl) {
            ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(row.printer.c_str(), SDDL_REVISION_1,
                                                                             &converted, nullptr))
                << row.what;
        }
        PSECURITY_DESCRIPTOR printer = row.made == kFromSddl ? converted : handMade.Get();
        ASSERT_NE(nullptr, printer) << row.what;
        const RWWString access = GWin32OSFactory::StoresLockAccess(printer);
        LocalFree(converted);
        EXPECT_EQ(row.expected, std::wstring(access.IsNull() ? L"" : access.Data(), access.Length())) << row.what;
        PSECURITY_DESCRIPTOR lock = nullptr;
        if (access.Length()) {
            EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(access.Data(), SDDL_REVISION_1, &lock,
                                                                             nullptr))
                << row.what << ": the list is one the lock can be made with";
        }
        LocalFree(lock);
    }
    EXPECT_EQ(0u, GWin32OSFactory::StoresLockAccess(nullptr).Length()) << "no descriptor";
}

// The lock of a name by its access list (this process's user is an administrator here):
// one that admits this process is had; one made here that does not is refused, though
// its maker's handle was given without a look at it; one another made first that does
// not admit this process is refused; one held elsewhere is busy after the wait. A
// refused lock is never waited on.
TEST(Win32StoresLock, ALockIsHadRefusedOrBusyAsItsListAndItsHolderSay)
{
    Win32Services services;
    const std::wstring name = L"Global\\QZ printer stores TAKE TEST " + std::to_wstring(GetCurrentProcessId());
    const RWWString fallback(GWin32OSFactory::kFallbackLockAccess);
    const struct {
        const char* what;
        const wchar_t* access;     // the lock's list as this process asks for it
        const wchar_t* madeFirst;  // the list another made the lock with first (null: none)
        bool heldElsewhere;
        int expected;
    } rows[] = {
        {"the administrators and the system", GWin32OSFactory::kFallbackLockAccess, nullptr, false,
         GOSFactory::kStoresLockOwned},
        {"everyone", L"D:(A;;0x100001;;;WD)", nullptr, false, GOSFactory::kStoresLockOwned},
        {"the system alone, made here", L"D:(A;;0x100001;;;SY)", nullptr, false, GOSFactory::kStoresLockRefused},
        {"an empty list, made here", L"D:", nullptr, false, GOSFactory::kStoresLockRefused},
        {"made first by another with no one in", GWin32OSFactory::kFallbackLockAccess, L"D:", false,
         GOSFactory::kStoresLockRefused},
        {"made first by another with everyone in", L"D:(A;;0x100001;;;SY)", L"D:(A;;GA;;;WD)", false,
         GOSFactory::kStoresLockOwned},
        {"held elsewhere", GWin32OSFactory::kFallbackLockAccess, nullptr, true, GOSFactory::kStoresLockBusy},
    };
    for (const auto& row : rows) {
        HANDLE first = row.madeFirst ? MutexMadeWith(row.madeFirst, name.c_str()) : nullptr;
        ASSERT_TRUE(first || !row.madeFirst) << row.what;
        HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::thread holder;
        if (row.heldElsewhere) {
            holder = std::thread([&] {
                void* elsewhere = nullptr;
                const int owned = GWin32OSFactory::TakeStoresLock(name.c_str(), fallback, 0, elsewhere);
                SetEvent(taken);
                WaitForSingleObject(release, 10000);
                if (owned == GOSFactory::kStoresLockOwned)
                    services.UnlockPrinterStores(elsewhere);
            });
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(taken, 10000)) << row.what;
        }
        const GPlatformCalls::Totals before = GPlatformCalls::Now();
        void* held = reinterpret_cast<void*>(1);
        const int answer = GWin32OSFactory::TakeStoresLock(name.c_str(), row.access, 20, held);
        EXPECT_EQ(row.expected, answer) << row.what;
        EXPECT_EQ(answer == GOSFactory::kStoresLockOwned, held != nullptr) << row.what;
        EXPECT_EQ(answer == GOSFactory::kStoresLockRefused ? 0u : 1u,
                  GPlatformCalls::Now().Since(before)[GPlatformCalls::kLockWait])
            << row.what;
        if (answer == GOSFactory::kStoresLockOwned)
            services.UnlockPrinterStores(held);
        SetEvent(release);
        if (holder.joinable())
            holder.join();
        CloseHandle(taken);
        CloseHandle(release);
        if (first)
            CloseHandle(first);
    }
}

// Whether a caller may change the printer is the printer's to say: a lock another made
// first that refuses this process is busy unless the printer refuses it too (or the
// printer cannot tell), and the printer is asked only when the lock refuses. A lock held
// past the wait is busy whatever the printer says.
TEST(Win32StoresLock, OnlyThePrinterRefusesACaller)
{
    using Admission = GWin32OSFactory::Admission;
    Win32Services services;
    const std::wstring printer = L"QZ Stores Admit Test " + std::to_wstring(GetCurrentProcessId());
    GDriverObject driver(printer.c_str());
    const RWWString name = GWin32OSFactory::StoresLockName(printer.c_str());
    const struct {
        const char* what;
        const wchar_t* madeFirst;  // the list another made the lock with first (null: none)
        bool heldElsewhere;
        Admission printer;
        int expected;
        int asked;
    } rows[] = {
        {"another's lock with no one in, the printer admits", L"D:", false, Admission::kAdmitted,
         GOSFactory::kStoresLockBusy, 1},
        {"another's lock with no one in, the printer cannot tell", L"D:", false, Admission::kUnknown,
         GOSFactory::kStoresLockBusy, 1},
        {"another's lock with no one in, the printer refuses", L"D:", false, Admission::kRefused,
         GOSFactory::kStoresLockRefused, 1},
        {"another's lock with everyone in, the printer refuses", L"D:(A;;GA;;;WD)", false, Admission::kRefused,
         GOSFactory::kStoresLockOwned, 0},
        {"held elsewhere past the wait, the printer refuses", nullptr, true, Admission::kRefused,
         GOSFactory::kStoresLockBusy, 0},
    };
    for (const auto& row : rows) {
        HANDLE first = row.madeFirst ? MutexMadeWith(row.madeFirst, name.Data()) : nullptr;
        ASSERT_TRUE(first || !row.madeFirst) << row.what;
        if (row.heldElsewhere)
            first = CreateMutexW(nullptr, TRUE, name.Data());
        services.admits = [&] { return row.printer; };
        services.admitsAsked = 0;
        void* held = nullptr;
        int answer = GOSFactory::kStoresLockBusy;
        // Taken from another thread: one that holds the lock would take it again.
        std::thread([&] {
            answer = services.LockPrinterStores(&driver, 20, held);
            if (answer == GOSFactory::kStoresLockOwned)
                services.UnlockPrinterStores(held);
        }).join();
        EXPECT_EQ(row.expected, answer) << row.what;
        EXPECT_EQ(row.asked, services.admitsAsked) << row.what;
        if (first) {
            if (row.heldElsewhere)
                ReleaseMutex(first);
            CloseHandle(first);
        }
    }
}

// The thread that holds a printer's stores lock takes it again asking the platform
// nothing, and holds it until each take is given back; the printer's security is read for
// the outermost take alone.
TEST(Win32StoresLock, ATakeByItsHolderAsksThePlatformNothing)
{
    Win32Services services;
    GDriverObject driver((L"QZ Stores Again Test " + std::to_wstring(GetCurrentProcessId())).c_str());
    void* outer = nullptr;
    GPlatformCalls::Totals before = GPlatformCalls::Now();
    ASSERT_EQ(GOSFactory::kStoresLockOwned, services.LockPrinterStores(&driver, 0, outer));
    GPlatformCalls::Totals asked = GPlatformCalls::Now().Since(before);
    EXPECT_EQ(1u, asked[GPlatformCalls::kLockWait]) << "the outermost take";
    EXPECT_LT(0u, asked[GPlatformCalls::kPrinterSecurity]) << "the outermost take";
    before = GPlatformCalls::Now();
    void* inner = nullptr;
    EXPECT_EQ(GOSFactory::kStoresLockOwned, services.LockPrinterStores(&driver, 0, inner));
    services.UnlockPrinterStores(inner);
    asked = GPlatformCalls::Now().Since(before);
    for (int kind = 0; kind < GPlatformCalls::kKinds; ++kind)
        EXPECT_EQ(0u, asked[GPlatformCalls::Kind(kind)]) << "kind " << kind;
    EXPECT_EQ(outer, inner);
    int elsewhere = GOSFactory::kStoresLockOwned;
    auto takeElsewhere = [&] {
        std::thread([&] {
            void* held = nullptr;
            elsewhere = services.LockPrinterStores(&driver, 0, held);
            services.UnlockPrinterStores(held);
        }).join();
    };
    takeElsewhere();
    EXPECT_EQ(GOSFactory::kStoresLockBusy, elsewhere) << "held until the outer take is given back";
    services.UnlockPrinterStores(outer);
    takeElsewhere();
    EXPECT_EQ(GOSFactory::kStoresLockOwned, elsewhere) << "given back";
}

// The printer's descriptor is taken from its record only when every part it names lies
// within the record: a record one byte short, an identity's sub-authorities, an offset,
// a list's size or an entry's size that runs past the record's end, and a descriptor of
// the absolute form (pointers, not offsets) are refused, and the lock then takes the
// fall-back list. The record ends at a page that cannot be read: a read past it ends
// the test.
TEST(Win32StoresLock, ThePrintersDescriptorIsReadWithinItsRecord)
{
    PSECURITY_DESCRIPTOR converted = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAG:SYD:(A;;LC;;;BA)(A;;SW;;;WD)",
                                                                     SDDL_REVISION_1, &converted, nullptr));
    const auto* bytes = static_cast<const uint8_t*>(converted);
    const std::vector<uint8_t> whole(bytes, bytes + GetSecurityDescriptorLength(converted));
    LocalFree(converted);
    const DWORD end = DWORD(whole.size());
    SECURITY_DESCRIPTOR_RELATIVE header;
    std::memcpy(&header, whole.data(), sizeof header);
    const DWORD list = header.Dacl, entrySize = list + sizeof(ACL) + offsetof(ACE_HEADER, AceSize);
    const DWORD owner = offsetof(SECURITY_DESCRIPTOR_RELATIVE, Owner), control = 2;
    const WORD listSize = WORD(whole[list + 2] | whole[list + 3] << 8);
    // Each change: a value of a width (2 or 4 bytes) put at a place of the descriptor.
    struct Put {
        DWORD at, value, width;
    };
    const struct {
        const char* what;
        std::vector<Put> puts;
        size_t cut;  // bytes cut from the record's end
    } rows[] = {
        {"whole", {}, 0},
        {"one byte short", {}, 1},
        {"the owner's sub-authorities past the end", {{owner, end - 8, 4}, {end - 8, 0x0101, 2}}, 0},
        {"the group past the end", {{owner + 4, end, 4}}, 0},
        {"the list's header past the end", {{owner + 12, end - 4, 4}}, 0},
        {"the list's size past the end", {{list + 2, end - list + 4, 2}}, 0},
        {"an entry's size past its list", {{entrySize, listSize - DWORD(sizeof(ACL)) + 4, 2}}, 0},
        {"an audit list past the end",
         {{owner + 8, end + 64, 4}, {control, DWORD(header.Control | SE_SACL_PRESENT), 2}},
         0},
        {"the absolute form", {{control, DWORD(header.Control & ~SE_SELF_RELATIVE), 2}}, 0},
    };
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const DWORD page = system.dwPageSize;
    auto* pages = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD was = 0;
    ASSERT_TRUE(pages && VirtualProtect(pages + page, page, PAGE_NOACCESS, &was));
    for (const auto& row : rows) {
        std::vector<uint8_t> descriptor = whole;
        for (const Put& put : row.puts)
            std::memcpy(descriptor.data() + put.at, &put.value, put.width);
        descriptor.resize(descriptor.size() - row.cut);
        const size_t size = sizeof(PRINTER_INFO_3) + descriptor.size();
        uint8_t* record = pages + page - size;
        uint8_t* at = record + sizeof(PRINTER_INFO_3);
        std::memcpy(record, &at, sizeof at);
        std::memcpy(at, descriptor.data(), descriptor.size());
        PSECURITY_DESCRIPTOR taken = GWin32OSFactory::SecurityInRecord(record, size);
        EXPECT_EQ(row.puts.empty() && !row.cut, taken != nullptr) << row.what;
        EXPECT_EQ(taken != nullptr, GWin32OSFactory::StoresLockAccess(taken).Length() > 0) << row.what;
    }
    VirtualFree(pages, 0, MEM_RELEASE);
}

// Whether this process may administer a printer of a descriptor: an access check for the
// administer right, the generic rights mapped as a printer maps them, a deny first; no
// descriptor, no answer.
TEST(Win32StoresLock, ThePrinterAdmitsAsItsDescriptorSays)
{
    using Admission = GWin32OSFactory::Admission;
    const struct {
        const wchar_t* printer;
        Admission expected;
    } rows[] = {
        {L"O:BAG:SYD:(A;;LC;;;WD)", Admission::kAdmitted},
        {L"O:BAG:SYD:(A;;GA;;;WD)", Admission::kAdmitted},
        {L"O:BAG:SYD:(A;;SW;;;WD)", Admission::kRefused},
        {L"O:BAG:SYD:(D;;LC;;;WD)(A;;GA;;;WD)", Admission::kRefused},
    };
    for (const auto& row : rows) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(
            ConvertStringSecurityDescriptorToSecurityDescriptorW(row.printer, SDDL_REVISION_1, &descriptor, nullptr));
        EXPECT_EQ(int(row.expected), int(GWin32OSFactory::AdmitsToAdminister(descriptor)))
            << testing::PrintToString(std::wstring(row.printer));
        LocalFree(descriptor);
    }
    EXPECT_EQ(int(Admission::kUnknown), int(GWin32OSFactory::AdmitsToAdminister(nullptr)));
}

namespace {

// The string form of this process's user's SID.
std::wstring ThisUsersSid()
{
    HANDLE token = nullptr;
    std::wstring text;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return text;
    uint8_t user[512];
    DWORD size = 0;
    wchar_t* sid = nullptr;
    if (GetTokenInformation(token, TokenUser, user, sizeof user, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid)) {
        text = sid;
        LocalFree(sid);
    }
    CloseHandle(token);
    return text;
}

} // namespace

// A value the current user keeps is written under the user's own lock, a file in the
// user's profile that only the user may open: the named mutex another user could make
// first under the name the lock once had, made with no one in, holds no write up; the
// lock in another writer's hands makes a write wait its bound and fail, the value staying
// as it was; given back, it is had again.
TEST(Win32UserLock, OnlyTheUsersOwnLockHoldsItsWritesUp)
{
    Win32Services services;
    const RWWString name((L"???\\2147483649\\" + kScratchKey + L"\\Marks").c_str());
    const uint32_t key = GWin32OSFactory::ValueLockKey(name);
    const std::wstring sid = ThisUsersSid();
    ASSERT_FALSE(sid.empty());
    wchar_t formerName[160];
    std::swprintf(formerName, 160, L"Global\\QZ value %ls %08lX", sid.c_str(), static_cast<unsigned long>(key));
    PSECURITY_DESCRIPTOR noOne = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:", SDDL_REVISION_1, &noOne, nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, noOne, FALSE};
    HANDLE another = CreateMutexW(&attributes, FALSE, formerName);
    LocalFree(noOne);
    ASSERT_NE(nullptr, another);
    const uint32_t wait = GOSFactory::SetLockWaitForTesting(20);
    const std::vector<uint8_t> first = Pattern(300, 1), second = Pattern(300, 2);
    auto reads = [&](const std::vector<uint8_t>& expected) {
        std::vector<uint8_t> buffer(1024);
        uint32_t length = 0;
        return services.GetPrinterDataBinary(nullptr, name, buffer.data(), uint32_t(buffer.size()), length) == 1 &&
               std::vector<uint8_t>(buffer.begin(), buffer.begin() + length) == expected;
    };
    EXPECT_EQ(1, services.SetPrinterDataBinary(nullptr, name, first.data(), uint32_t(first.size())))
        << "another's object of the former name";
    EXPECT_TRUE(reads(first));

    const RWWString path = GWin32OSFactory::UserLockPath(key);
    ASSERT_NE(0u, path.Length());
    void* held = GWin32OSFactory::TakeUserLock(path, 0);
    ASSERT_NE(nullptr, held) << "the lock file, made by the first write, is had";
    const GPlatformCalls::Totals before = GPlatformCalls::Now();
    EXPECT_EQ(0, services.SetPrinterDataBinary(nullptr, name, second.data(), uint32_t(second.size())))
        << "held by another writer of the user";
    EXPECT_LT(1u, GPlatformCalls::Now().Since(before)[GPlatformCalls::kFileOpen]) << "tried again within the wait";
    EXPECT_TRUE(reads(first));
    GWin32OSFactory::ReleaseUserLock(held);
    EXPECT_EQ(1, services.SetPrinterDataBinary(nullptr, name, second.data(), uint32_t(second.size())));
    EXPECT_TRUE(reads(second));

    // The file's list names the user alone. Wine keeps no list a file is made with: it
    // answers its own for every file, the system's and the user's.
    const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    uint8_t security[1024];
    DWORD needed = 0;
    wchar_t* text = nullptr;
    if (GetFileSecurityW(path.Data(), DACL_SECURITY_INFORMATION, security, sizeof security, &needed) &&
        ConvertSecurityDescriptorToStringSecurityDescriptorW(security, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                             &text, nullptr)) {
        EXPECT_EQ(wine ? L"D:(A;;FA;;;SY)(A;;FA;;;" + sid + L")" : L"D:P(A;;FA;;;" + sid + L")", std::wstring(text));
        LocalFree(text);
    } else {
        ADD_FAILURE() << "the lock file's list does not read: " << GetLastError();
    }
    GOSFactory::SetLockWaitForTesting(wait);
    CloseHandle(another);
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratchKey.c_str());
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
