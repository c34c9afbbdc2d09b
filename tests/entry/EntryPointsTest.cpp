#include "entry/module/EntryPoints.h"

#include "TestPrinter.h"
#include "entry/driverui/GDriverUI.h"
#include "entry/driverui/GDriverUIDocumentEvents.h"
#include "entry/module/GUIOSFactory.h"
#include "entry/module/ModuleLifetime.h"
#include "printer/PrinterIdentity.h"
#include "printer/GDriverServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

// The entry points called in this process, after the module's attach ran here (without
// the keep-alive). The registered maker is wrapped so that every driver object made is
// counted; a test may swap the object made for one of its own.
std::atomic<int> g_made{0};
GDriverUIMaker g_inner;
GDriverObject* (*g_replacement)(const PrinterIdentity&) = nullptr;

GDriverObject* CountingCreate(const PrinterIdentity& identity)
{
    ++g_made;
    return g_replacement ? g_replacement(identity) : g_inner.create(identity);
}

class EntryPoints : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
        g_inner = GUIOSFactory::GetDriverUIMaker();
        ASSERT_NE(nullptr, g_inner.create) << "the driver UI object registers its maker";
        GUIOSFactory::SetDriverUIMaker({&CountingCreate, g_inner.printerHandle});
        g_made = 0;
        g_replacement = nullptr;
    }
    void TearDown() override
    {
        GUIOSFactory::SetDriverUIMaker(g_inner);
        ModuleLifetime::Detach(false);
    }
    // Whether the server holds the object under the ticket as acquired.
    static bool Acquired(uint32_t ticket) { return ticket && ModuleLifetime::DriverServer()->LookUp(ticket); }

    const TestPrinter& printer = TestPrinter::Shared();
    std::wstring name = printer.Name();
};

DOCUMENTPROPERTYHEADER DocumentHeader(HANDLE printer, wchar_t* name, DEVMODEW* out, DWORD mode)
{
    DOCUMENTPROPERTYHEADER header = {};
    header.cbSize = sizeof header;
    header.hPrinter = printer;
    header.pszPrinterName = name;
    header.pdmOut = out;
    header.cbOut = out ? sizeof(DEVMODEW) : 0;
    header.fMode = mode;
    return header;
}

TEST_F(EntryPoints, DocumentSheetWithoutInfoOrHeaderIsRefusedWithoutAnObject)
{
    SetLastError(0xdeadbeef);
    EXPECT_EQ(-1, DrvDocumentPropertySheets(nullptr, 0));
    EXPECT_EQ(0xdeadbeefu, GetLastError());
    EXPECT_EQ(0, g_made.load()) << "nothing acquired";
}

// Sound behaviour: header and sheet info sizes are checked before anything is read.
TEST_F(EntryPoints, ShortHeadersAreRefused)
{
    DOCUMENTPROPERTYHEADER document = DocumentHeader(nullptr, &name[0], nullptr, 0);
    document.cbSize = sizeof document - 1;
    EXPECT_EQ(-1, DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&document)));
    document.cbSize = sizeof document;
    EXPECT_EQ(1172, DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&document)))
        << "the smallest good header passes";

    DEVICEPROPERTYHEADER device = {sizeof device - 1, 0, nullptr, &name[0]};
    PROPSHEETUI_INFO info = {sizeof info, 0x100, 0, PROPSHEETUI_REASON_INIT, nullptr, nullptr,
                             reinterpret_cast<LPARAM>(&device), 0, 0};
    EXPECT_EQ(-1, DrvDevicePropertySheets(&info, 0));
    EXPECT_EQ(0u, info.UserData);

    PROPSHEETUI_INFO small = {sizeof small - 1, 0x100, 0, PROPSHEETUI_REASON_INIT, nullptr, nullptr,
                              reinterpret_cast<LPARAM>(&document), 0, 0};
    EXPECT_EQ(-1, DrvDocumentPropertySheets(&small, 0));
    EXPECT_EQ(0u, small.UserData);
    EXPECT_EQ(1, g_made.load()) << "only the good header reached an object";
}

TEST_F(EntryPoints, SheetInfoWithoutAHeaderIsRefused)
{
    for (auto entry : {&DrvDocumentPropertySheets, &DrvDevicePropertySheets}) {
        PROPSHEETUI_INFO info = {sizeof info, 0x100, 0, PROPSHEETUI_REASON_INIT, nullptr, nullptr, 0, 0, 0};
        EXPECT_EQ(-1, entry(&info, 0));
        EXPECT_EQ(0u, info.UserData);
    }
    EXPECT_EQ(-1, DrvDevicePropertySheets(nullptr, 0));
    EXPECT_EQ(0, g_made.load());
}

TEST_F(EntryPoints, UpgradeNeedsLevelOneAndBothNames)
{
    wchar_t folder[] = L"C:\\old";
    const struct {
        const char* name;
        DWORD level;
        bool info;
        wchar_t* printerName;
        wchar_t* oldDirectory;
    } cases[] = {
        {"level 2", 2, true, &name[0], folder},
        {"level 0", 0, true, &name[0], folder},
        {"no info", 1, false, &name[0], folder},
        {"no printer name", 1, true, nullptr, folder},
        {"no old directory", 1, true, &name[0], nullptr},
    };
    for (const auto& c : cases) {
        DRIVER_UPGRADE_INFO_1W upgrade = {c.printerName, c.oldDirectory};
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(DrvUpgradePrinter(c.level, c.info ? reinterpret_cast<LPBYTE>(&upgrade) : nullptr)) << c.name;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError()) << c.name;
    }
    EXPECT_EQ(0, g_made.load());
}

TEST_F(EntryPoints, WithoutAnObjectEachEntryPointGivesItsFailureValue)
{
    wchar_t unknown[] = L"QZ No Such Printer";
    DEVMODEW out = {};
    DEVQUERYPRINT_INFO query = {sizeof query, 1, nullptr, nullptr, nullptr, 0, 0};
    wchar_t folder[] = L"C:\\old";
    DRIVER_UPGRADE_INFO_1W upgrade = {unknown, folder};
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, DrvDocumentProperties(nullptr, nullptr, unknown, &out, nullptr, DM_OUT_BUFFER));
    EXPECT_EQ(0, DrvAdvancedDocumentProperties(nullptr, nullptr, unknown, &out, nullptr));
    EXPECT_FALSE(PrinterProperties(nullptr, nullptr));
    EXPECT_FALSE(DevQueryPrintEx(&query));
    EXPECT_EQ(0, out.dmSize);
    EXPECT_NE(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError()) << "no error code for a missing object";
    // The upgrade alone says that the printer could not be opened.
    EXPECT_FALSE(DrvUpgradePrinter(1, reinterpret_cast<LPBYTE>(&upgrade)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(EntryPoints, WellFormedUpgradeReachesThePrintersObject)
{
    wchar_t folder[] = L"C:\\old";
    DRIVER_UPGRADE_INFO_1W upgrade = {&name[0], folder};
    EXPECT_TRUE(DrvUpgradePrinter(1, reinterpret_cast<LPBYTE>(&upgrade))) << "the installed printer has what it needs";
    EXPECT_EQ(1, g_made.load());
}

TEST_F(EntryPoints, PrintTimeQueryWithoutInfoIsFalse)
{
    EXPECT_FALSE(DevQueryPrintEx(nullptr));
    EXPECT_EQ(0, g_made.load());
}

// Names no printer has: each entry point fails as its road says and no printer key is made.
TEST_F(EntryPoints, UnknownEmptyAndOverlongNamesFail)
{
    const std::wstring names[] = {L"QZ No Such Printer", L"", std::wstring(300, L'Q')};
    for (std::wstring unknown : names) {
        wchar_t* text = &unknown[0];
        DEVMODEW out = {};
        LONG needed = sizeof out;
        EXPECT_EQ(GDI_ERROR, DrvDeviceCapabilities(nullptr, text, DC_SIZE, nullptr, nullptr)) << unknown.size();
        EXPECT_FALSE(DrvConvertDevMode(text, nullptr, &out, &needed, CDM_DRIVER_DEFAULT)) << unknown.size();
        EXPECT_FALSE(DrvPrinterEvent(text, PRINTER_EVENT_INITIALIZE, 0, 0)) << unknown.size();
        const std::string narrow(unknown.begin(), unknown.end());
        EXPECT_EQ(1u, QZDrv_RegisterExtension(narrow.c_str(), 0, "qzext.dll", 0)) << unknown.size();
        DOCUMENTPROPERTYHEADER header = DocumentHeader(nullptr, text, &out, DM_OUT_BUFFER);
        EXPECT_EQ(-1, DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&header))) << unknown.size();
        EXPECT_EQ(0, out.dmSize) << "the output is untouched";
        if (!unknown.empty()) {
            HKEY key = nullptr;
            const std::wstring path = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\" + unknown;
            EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key));
        }
    }
}

// Sound behaviour: a null name is a bad argument, not a crash.
TEST_F(EntryPoints, ExtensionRegistrationWithoutAPrinterNameIsABadArgument)
{
    EXPECT_EQ(1u, QZDrv_RegisterExtension(nullptr, 0, "qzext.dll", 0));
    EXPECT_EQ(0, g_made.load());
}

TEST_F(EntryPoints, ExtensionRegistrationReachesThePrintersObject)
{
    const std::string narrow(name.begin(), name.end());
    // The stand-in module is really loaded for its registration and its unregistration.
    EXPECT_EQ(0u, QZDrv_RegisterExtension(narrow.c_str(), 0, "qzext.dll", 0));
    EXPECT_EQ(0u, QZDrv_RegisterExtension(narrow.c_str(), 0, "qzext.dll", 1));
    EXPECT_NE(5u, QZDrv_RegisterExtension(narrow.c_str(), 0, "", 0)) << "the printer takes extensions";
    EXPECT_EQ(1u, QZDrv_RegisterExtension(narrow.c_str(), 0, "qzwolm32.dll", 0)) << "no QZExt_QueryInterface";
    EXPECT_EQ(1u, QZDrv_RegisterExtension(narrow.c_str(), 0, "..\\qzext.dll", 0));
    EXPECT_EQ(1u, QZDrv_RegisterExtension(narrow.c_str(), 0, nullptr, 0));
    EXPECT_LE(1, g_made.load());
}

// Sound behaviour: the spooler adds a printer with a null handle and the name in the
// header; the name then finds the printer.
TEST_F(EntryPoints, HeaderWithoutHandleFindsThePrinterByName)
{
    DOCUMENTPROPERTYHEADER size = DocumentHeader(nullptr, &name[0], nullptr, 0);
    EXPECT_EQ(1172, DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&size)));

    std::vector<uint8_t> bytes(1172);
    DEVMODEW& out = *reinterpret_cast<DEVMODEW*>(bytes.data());
    DOCUMENTPROPERTYHEADER fill = DocumentHeader(nullptr, &name[0], &out, DM_OUT_BUFFER);
    EXPECT_EQ(IDOK, DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&fill)));
    EXPECT_EQ(name.substr(0, CCHDEVICENAME - 1), std::wstring(out.dmDeviceName));
    EXPECT_EQ(220, out.dmSize);
    EXPECT_EQ(0x401, out.dmSpecVersion);
    EXPECT_EQ(952, out.dmDriverExtra);
}

TEST_F(EntryPoints, HeaderWithAHandleReachesThePrinter)
{
    HANDLE handle = nullptr;
    ASSERT_TRUE(OpenPrinterW(&name[0], &handle, nullptr));
    std::vector<uint8_t> bytes(1172);
    DEVMODEW& out = *reinterpret_cast<DEVMODEW*>(bytes.data());
    DOCUMENTPROPERTYHEADER fill = DocumentHeader(handle, nullptr, &out, DM_OUT_BUFFER);
    EXPECT_EQ(IDOK, DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&fill)));
    EXPECT_EQ(name.substr(0, CCHDEVICENAME - 1), std::wstring(out.dmDeviceName));
    ClosePrinter(handle);
}

TEST_F(EntryPoints, DeviceCapabilitiesAnswerSizeExtraAndVersion)
{
    const struct {
        WORD capability;
        DWORD answer;
    } rows[] = {
        {DC_SIZE, 220}, {DC_EXTRA, 952}, {DC_VERSION, 0x401}, {999, GDI_ERROR}, {33, GDI_ERROR},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.answer, DrvDeviceCapabilities(nullptr, &name[0], row.capability, nullptr, nullptr))
            << row.capability;
}

// Sound behaviour: with no object a capability query answers GDI_ERROR, never 0 ("none").
TEST_F(EntryPoints, DeviceCapabilitiesWithoutAnObjectAreAnError)
{
    wchar_t unknown[] = L"QZ No Such Printer";
    EXPECT_EQ(GDI_ERROR, DrvDeviceCapabilities(nullptr, unknown, DC_SIZE, nullptr, nullptr));
}

TEST_F(EntryPoints, NonPropertyPageSheetHandsBackItsFirstParameter)
{
    EXPECT_EQ(1234, NonPropPageSheet(nullptr, 7, 1234, 99));
    EXPECT_EQ(0, NonPropPageSheet(nullptr, 0, 0, 0));
}

// The manual-duplex instructions run in a dialog of the module's own, whose sheet callback
// is the exported NonPropPageSheet with the module handle as the sheet.
TEST(ManualDuplexDialog, RunsWithTheExportedNonPropPageSheet)
{
    UIContextRecord record = {};
    record.size = sizeof record;
    record.moduleHandle = 0x1230000;
    GDriverUIDocumentEvents::UseNonPropPageSheet(&record);
    EXPECT_EQ(reinterpret_cast<void*>(&NonPropPageSheet), record.pfnComPropSheet);
    EXPECT_EQ(reinterpret_cast<HANDLE>(0x1230000), record.hComPropSheet);
    EXPECT_EQ(3u, record.pageSet);
    auto sheet = reinterpret_cast<LONG_PTR(CALLBACK*)(HANDLE, UINT, LPARAM, LPARAM)>(record.pfnComPropSheet);
    EXPECT_EQ(0x5678, sheet(record.hComPropSheet, 7, 0x5678, 1)) << "a page added answers its own entry";
    GDriverUIDocumentEvents::UseNonPropPageSheet(nullptr);
}

// A CREATEDCPRE without its creation record is refused before any object is acquired.
TEST_F(EntryPoints, DocumentEventWithoutRecordFails)
{
    EXPECT_EQ(-1, DrvDocumentEvent(nullptr, nullptr, 1, 0, nullptr, 0, nullptr));
    EXPECT_EQ(0, g_made.load());
}

// A driver object whose operation sets a last error and whose release clears it, as the
// cleanup of a real operation may.
struct ErrorSettingUI : GDriverUI {
    // The driver-object core is a virtual base: the most derived class names its identity.
    explicit ErrorSettingUI(const PrinterIdentity& identity)
        : GDriverObject(identity.GetPrinterName(), identity.GetDriverName(), identity.GetPortName()),
          GDriverUI(identity)
    {
    }
    BOOL ConvertDevMode(LPWSTR, PDEVMODEW, PDEVMODEW, PLONG, DWORD) override
    {
        ++calls;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    void OnRelease() override { SetLastError(ERROR_SUCCESS); }
    static int calls;
};
int ErrorSettingUI::calls = 0;

// Sound behaviour: the operation's last error is set again after the release.
TEST_F(EntryPoints, LastErrorOfTheOperationSurvivesTheRelease)
{
    g_replacement = [](const PrinterIdentity& identity) -> GDriverObject* { return new ErrorSettingUI(identity); };
    DEVMODEW out = {};
    LONG needed = sizeof out;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DrvConvertDevMode(&name[0], nullptr, &out, &needed, CDM_DRIVER_DEFAULT));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(1, g_made.load());
    EXPECT_EQ(1, ErrorSettingUI::calls);
}

// The common property sheet's calls, made by hand: INIT acquires and keeps the object in
// the sheet's user data, DESTROY gives it back once.
class FakeSheet : public EntryPoints {
protected:
    PROPSHEETUI_INFO Info(WORD reason, LPARAM header, ULONG_PTR userData)
    {
        return {sizeof(PROPSHEETUI_INFO), 0x100, 0, reason, nullptr, nullptr, header, userData, 0};
    }
};

TEST_F(FakeSheet, InitKeepsTheObjectUntilDestroyReleasesItOnce)
{
    DOCUMENTPROPERTYHEADER document = DocumentHeader(nullptr, &name[0], nullptr, 0);
    DEVICEPROPERTYHEADER device = {sizeof device, 0, nullptr, &name[0]};
    const struct {
        const char* name;
        LONG(WINAPI* entry)(PPROPSHEETUI_INFO, LPARAM);
        LPARAM header;
    } sheets[] = {
        {"document", &DrvDocumentPropertySheets, reinterpret_cast<LPARAM>(&document)},
        {"device", &DrvDevicePropertySheets, reinterpret_cast<LPARAM>(&device)},
    };
    for (const auto& sheet : sheets) {
        PROPSHEETUI_INFO before = Info(PROPSHEETUI_REASON_BEFORE_INIT, sheet.header, 0);
        EXPECT_EQ(0, sheet.entry(&before, 0)) << sheet.name << ": no object yet";

        PROPSHEETUI_INFO info = Info(PROPSHEETUI_REASON_INIT, sheet.header, 0);
        sheet.entry(&info, 0);
        ASSERT_NE(0u, info.UserData) << sheet.name;
        GDriverUIOperations* ui = reinterpret_cast<GDriverUIOperations*>(info.UserData);
        const uint32_t ticket = ui->GetCacheTicket();
        EXPECT_TRUE(Acquired(ticket)) << sheet.name;

        info.Reason = PROPSHEETUI_REASON_GET_INFO_HEADER;
        sheet.entry(&info, 0);
        EXPECT_TRUE(Acquired(ticket)) << sheet.name << ": no DESTROY keeps the object";
        EXPECT_EQ(reinterpret_cast<ULONG_PTR>(ui), info.UserData);

        info.Reason = PROPSHEETUI_REASON_DESTROY;
        sheet.entry(&info, 0);
        EXPECT_FALSE(Acquired(ticket)) << sheet.name << ": DESTROY released the ticket";
        EXPECT_EQ(0u, info.UserData);
        EXPECT_EQ(0, sheet.entry(&info, 0)) << sheet.name << ": a second DESTROY finds nothing to release";
    }
    EXPECT_EQ(1, g_made.load()) << "the released object is kept and reused for the same printer";
}

TEST_F(FakeSheet, LaterCallsWithoutUserDataGiveZero)
{
    DOCUMENTPROPERTYHEADER document = DocumentHeader(nullptr, &name[0], nullptr, 0);
    for (WORD reason : {WORD(PROPSHEETUI_REASON_GET_INFO_HEADER), WORD(PROPSHEETUI_REASON_DESTROY),
                        WORD(PROPSHEETUI_REASON_SET_RESULT)}) {
        PROPSHEETUI_INFO info = Info(reason, reinterpret_cast<LPARAM>(&document), 0);
        EXPECT_EQ(0, DrvDocumentPropertySheets(&info, 0)) << reason;
    }
    EXPECT_EQ(0, g_made.load());
}

// Sound behaviour: no object at INIT refuses the sheet (-1), as every sheet entry does.
TEST_F(FakeSheet, InitWithoutAnObjectIsRefused)
{
    wchar_t unknown[] = L"QZ No Such Printer";
    DOCUMENTPROPERTYHEADER document = DocumentHeader(nullptr, unknown, nullptr, 0);
    PROPSHEETUI_INFO info = Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&document), 0);
    EXPECT_EQ(-1, DrvDocumentPropertySheets(&info, 0));
    EXPECT_EQ(0u, info.UserData);
}

} // namespace
