// What one entry call keeps of the printer: its level-2 record, a handle opened by name
// and the driver-data key, each only while a scope is open on the thread.
#include "printer/PrinterRecordScope.h"

#include "RecordPackingSpooler.h"
#include "TestPrinter.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace {

// The printer's comment as a record read through the scope gives it.
std::wstring CommentRead(HANDLE printer, const wchar_t* expected)
{
    std::vector<uint8_t> record;
    if (!PrinterRecordScope::Read(printer, expected, record))
        return L"(no record)";
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(record.data());
    return info->pComment ? info->pComment : L"";
}

// Writes the comment through the spooler, the rest of the record as it is.
void SetComment(HANDLE printer, const wchar_t* comment)
{
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<uint8_t> record(needed);
    ASSERT_TRUE(GetPrinterW(printer, 2, record.data(), needed, &needed));
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(record.data());
    info->pComment = const_cast<wchar_t*>(comment);
    info->pSecurityDescriptor = nullptr;
    ASSERT_TRUE(SetPrinterW(printer, 2, record.data(), 0));
}

// Every pointer of the record points inside it, and the DEVMODE lies whole inside it.
bool PointsInsideItself(const std::vector<uint8_t>& record)
{
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(record.data());
    const uint8_t* begin = record.data();
    const uint8_t* end = begin + record.size();
    auto inside = [&](const void* pointer, size_t bytes) {
        const auto* at = static_cast<const uint8_t*>(pointer);
        return !pointer || (at >= begin && at <= end && bytes <= size_t(end - at));
    };
    for (const wchar_t* text : {info->pServerName, info->pPrinterName, info->pShareName, info->pPortName,
                                info->pDriverName, info->pComment, info->pLocation, info->pSepFile,
                                info->pPrintProcessor, info->pDatatype, info->pParameters})
        if (!inside(text, text ? (wcslen(text) + 1) * sizeof(wchar_t) : 0))
            return false;
    return inside(info->pDevMode, info->pDevMode ? info->pDevMode->dmSize + info->pDevMode->dmDriverExtra : 0) &&
           inside(info->pSecurityDescriptor, 0);
}

class PrinterRecordScopeTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestPrinter::Shared().Installed()) << TestPrinter::Shared().Failure();
        PRINTER_DEFAULTSW all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(Name()), &printer, &all));
        SetComment(printer, L"first");
    }
    void TearDown() override
    {
        if (printer) {
            SetComment(printer, L"");
            ClosePrinter(printer);
        }
    }
    static const wchar_t* Name() { return TestPrinter::Shared().Name().c_str(); }
    HANDLE printer = nullptr;
};

} // namespace

// One row per way of reading the record twice with a change of the comment between.
TEST_F(PrinterRecordScopeTest, ASecondReadGetsTheKeptRecordOnlyWithinAScopeForTheSamePrinter)
{
    const struct {
        const char* name;
        bool scope;
        const wchar_t* firstName;
        const wchar_t* secondName;
        bool forget;
        const wchar_t* second;
    } cases[] = {
        {"no scope", false, Name(), Name(), false, L"second"},
        {"scope, same handle and name", true, Name(), Name(), false, L"first"},
        {"scope, first read without a name", true, nullptr, Name(), false, L"first"},
        {"scope, second read without a name", true, Name(), nullptr, false, L"second"},
        {"scope, another name expected", true, Name(), L"Another Printer", false, L"second"},
        {"scope, forgotten after a write", true, Name(), Name(), true, L"second"},
    };
    for (const auto& c : cases) {
        SetComment(printer, L"first");
        std::unique_ptr<PrinterRecordScope> scope(c.scope ? new PrinterRecordScope : nullptr);
        EXPECT_EQ(L"first", CommentRead(printer, c.firstName)) << c.name;
        SetComment(printer, L"second");
        if (c.forget)
            PrinterRecordScope::Forget();
        EXPECT_EQ(c.second, CommentRead(printer, c.secondName)) << c.name;
    }
    // After the scope the spooler answers again.
    EXPECT_EQ(L"second", CommentRead(printer, Name()));
}

TEST_F(PrinterRecordScopeTest, AKeptRecordIsWholeAndPointsIntoItself)
{
    PrinterRecordScope scope;
    std::vector<uint8_t> first, second;
    ASSERT_TRUE(PrinterRecordScope::Read(printer, Name(), first));
    ASSERT_TRUE(PrinterRecordScope::Read(printer, Name(), second));
    ASSERT_EQ(first.size(), second.size());
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(second.data());
    const auto* begin = reinterpret_cast<const wchar_t*>(second.data());
    const auto* end = reinterpret_cast<const wchar_t*>(second.data() + second.size());
    for (const wchar_t* text : {info->pPrinterName, info->pDriverName, info->pPortName})
        EXPECT_TRUE(text && text >= begin && text < end);
    EXPECT_STREQ(Name(), info->pPrinterName);
    const auto* devMode = reinterpret_cast<const uint8_t*>(info->pDevMode);
    ASSERT_TRUE(devMode >= second.data() && devMode < second.data() + second.size());
    const auto* firstInfo = reinterpret_cast<const PRINTER_INFO_2W*>(first.data());
    EXPECT_EQ(0, std::memcmp(firstInfo->pDevMode, devMode, info->pDevMode->dmSize + info->pDevMode->dmDriverExtra));
}

TEST_F(PrinterRecordScopeTest, NestedScopesShareAndTheOutermostEndsThem)
{
    {
        PrinterRecordScope outer;
        EXPECT_EQ(L"first", CommentRead(printer, Name()));
        SetComment(printer, L"second");
        {
            PrinterRecordScope inner;
            EXPECT_EQ(L"first", CommentRead(printer, Name())) << "the inner scope sees the outer one's record";
        }
        EXPECT_EQ(L"first", CommentRead(printer, Name())) << "the inner scope's end keeps it";
    }
    EXPECT_EQ(L"second", CommentRead(printer, Name()));
}

TEST_F(PrinterRecordScopeTest, AHandleByNameIsOpenedOnceAndClosedWithTheScope)
{
    EXPECT_EQ(nullptr, PrinterRecordScope::SharedHandle(Name())) << "no scope";
    HANDLE shared = nullptr;
    {
        PrinterRecordScope scope;
        shared = static_cast<HANDLE>(PrinterRecordScope::SharedHandle(Name()));
        ASSERT_NE(nullptr, shared);
        EXPECT_EQ(shared, PrinterRecordScope::SharedHandle(Name()));
        EXPECT_EQ(nullptr, PrinterRecordScope::SharedHandle(L"QZ No Such Printer"));
        EXPECT_EQ(nullptr, PrinterRecordScope::SharedHandle(L""));
        DWORD needed = 0;
        GetPrinterW(shared, 2, nullptr, 0, &needed);
        EXPECT_LT(0u, needed) << "the handle works";
    }
    SetLastError(0xdeadbeef);
    DWORD needed = 0;
    EXPECT_FALSE(GetPrinterW(shared, 2, nullptr, 0, &needed) && needed) << "closed with the scope";
}

TEST_F(PrinterRecordScopeTest, AReadKeyIsOpenedOnceAndClosedWithTheScope)
{
    const std::wstring path = TestPrinter::Shared().RegistryKey() + L"\\PrinterDriverData";
    EXPECT_EQ(nullptr, PrinterRecordScope::SharedReadKey(path.c_str())) << "no scope";
    void* key = nullptr;
    {
        PrinterRecordScope scope;
        key = PrinterRecordScope::SharedReadKey(path.c_str());
        ASSERT_NE(nullptr, key);
        EXPECT_EQ(key, PrinterRecordScope::SharedReadKey(path.c_str()));
        EXPECT_TRUE(PrinterRecordScope::IsSharedKey(key));
        EXPECT_EQ(nullptr, PrinterRecordScope::SharedReadKey(L"SOFTWARE\\QZ No Such Key"));
        DWORD values = 0;
        EXPECT_EQ(ERROR_SUCCESS, RegQueryInfoKeyW(static_cast<HKEY>(key), nullptr, nullptr, nullptr, nullptr, nullptr,
                                                  nullptr, &values, nullptr, nullptr, nullptr, nullptr));
    }
    EXPECT_FALSE(PrinterRecordScope::IsSharedKey(key));
}

// One row per way a spooler may fill the buffer: a record packed anywhere in it is kept
// whole, read again from the kept copy, its names read and its DEVMODE found; one whose
// pointer leaves it is refused, in a scope and out of one. A DEVMODE (dmSize plus
// dmDriverExtra) or a security descriptor's fixed part may end at the buffer's last byte,
// not one byte past it.
TEST_F(PrinterRecordScopeTest, ARecordPackedAnywhereIsKeptWholeAndOneLeavingItsBufferIsRefused)
{
    DWORD size = 0;
    GetPrinterW(printer, 2, nullptr, 0, &size);
    std::vector<uint8_t> real(size);
    ASSERT_TRUE(GetPrinterW(printer, 2, real.data(), size, &size));
    const auto* realInfo = reinterpret_cast<const PRINTER_INFO_2W*>(real.data());
    ASSERT_NE(nullptr, realInfo->pDevMode);
    const size_t devModeSize = realInfo->pDevMode->dmSize + realInfo->pDevMode->dmDriverExtra;
    using Spooler = RecordPackingSpooler;
    const struct {
        Spooler::Packing packing;
        bool read;
        int calls;
    } rows[] = {
        {Spooler::kAtStart, true, 1},     {Spooler::kAtEnd, true, 1},       {Spooler::kAtEndOfALargerBuffer, true, 2},
        {Spooler::kNameOutside, false, 1}, {Spooler::kTextUnended, false, 1}, {Spooler::kDevModePastEnd, false, 1},
        {Spooler::kDevModeEndsAtEnd, true, 1},  {Spooler::kDevModeOneBytePast, false, 1},
        {Spooler::kSecurityEndsAtEnd, true, 1}, {Spooler::kSecurityOneBytePast, false, 1},
    };
    for (const auto& row : rows)
        for (bool scoped : {false, true}) {
            const std::string what = std::string(Spooler::Name(row.packing)) + (scoped ? ", in a scope" : "");
            Spooler spooler(row.packing);
            std::unique_ptr<PrinterRecordScope> scope(scoped ? new PrinterRecordScope : nullptr);
            std::vector<uint8_t> first, second;
            EXPECT_EQ(row.read, PrinterRecordScope::Read(printer, Name(), first)) << what;
            EXPECT_EQ(row.read, PrinterRecordScope::Read(printer, Name(), second)) << what;
            EXPECT_EQ(row.calls * (scoped && row.read ? 1 : 2), Spooler::Calls()) << what;
            if (!row.read) {
                EXPECT_TRUE(first.empty() && second.empty()) << what;
                continue;
            }
            for (const std::vector<uint8_t>* record : {&first, &second}) {
                ASSERT_LE(sizeof(PRINTER_INFO_2W), record->size()) << what;
                ASSERT_TRUE(PointsInsideItself(*record)) << what;
                const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(record->data());
                EXPECT_STREQ(Name(), info->pPrinterName) << what;
                EXPECT_STREQ(realInfo->pDriverName, info->pDriverName) << what;
                EXPECT_STREQ(realInfo->pPortName, info->pPortName) << what;
                ASSERT_NE(nullptr, info->pDevMode) << what;
                // The spooler's device name may carry other bytes after its end.
                const size_t from = offsetof(DEVMODEW, dmSpecVersion);
                EXPECT_EQ(0, std::memcmp(reinterpret_cast<const uint8_t*>(realInfo->pDevMode) + from,
                                         reinterpret_cast<const uint8_t*>(info->pDevMode) + from, devModeSize - from))
                    << what;
            }
        }
}
