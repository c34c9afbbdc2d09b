// The printer events through DrvPrinterEvent on the installed test printer: what each
// event answers and writes, and the initialize event's settings, identity and stamps,
// with the mini-installer and configuration library stand-ins really loaded.
#include "PrinterDataFixture.h"

#include "entry/driverui/GDriverUIPrinterEvents.h"
#include "model/GConfiguration.h"
#include "settings/devmode/GDriverDevMode.h"

#include <cstring>
#include <cwctype>

using namespace PrinterDataTest;

namespace {

std::vector<std::string> g_installerCalls;
uint32_t g_installerAnswer = 0;

} // namespace

// Called by the mini-installer stand-in for each of its entry points.
extern "C" __declspec(dllexport) uint32_t __cdecl QzTestMiniInstallerCall(const char* entry, uint32_t, const wchar_t*,
                                                                          uint32_t)
{
    g_installerCalls.push_back(entry);
    return g_installerAnswer;
}

namespace {

class PrinterEvents : public PrinterDataFixture {
protected:
    void SetUp() override
    {
        PrinterDataFixture::SetUp();
        g_installerCalls.clear();
        g_installerAnswer = 0;
        for (const wchar_t* stamp : {L"LastUpdated", L"LastUpdateType", L"EACLastUpdate", L"Stale"})
            DeleteValue(stamp);
        // The printer asks for its mini-installer on every start.
        WriteDword(L"QzrdbUpdateRequest", 1);
    }
    BOOL Initialize() { return DrvPrinterEvent(&name[0], PRINTER_EVENT_INITIALIZE, 0, 0); }
};

bool IsUuid(const std::wstring& text)
{
    if (text.size() != 36)
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != L'-' : !iswxdigit(text[i]))
            return false;
    }
    return true;
}

TEST(PrinterEventDate, FormatsMonthDayAndYearWithSlashBlankSeparators)
{
    const struct {
        int year, month, day;
        const wchar_t* text;
    } rows[] = {
        {2005, 7, 5, L"07/ 05/ 2005"},
        {1999, 12, 31, L"12/ 31/ 1999"},
        {2026, 1, 1, L"01/ 01/ 2026"},
        {999, 1, 10, L"01/ 10/ 0999"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(std::wstring(row.text),
                  std::wstring(GDriverUIPrinterEvents::FormatUpdateDate(row.year, row.month, row.day).Data()))
            << row.text;
}

TEST(PrinterEventDate, ThePauseBeforeReopeningIsThreeSeconds)
{
    EXPECT_EQ(3000u, GDriverUIPrinterEvents::kInitializePause);
}

// ---- The events without work of their own ----

TEST_F(PrinterEvents, ConfigurationChangeAndEventsAboveSixGiveZeroAndWriteNothing)
{
    for (INT event : {0, 7, 8, 9, 10, 11, -1}) {
        const std::vector<uint8_t> before = printer.AllData();
        EXPECT_FALSE(DrvPrinterEvent(&name[0], event, 0, 0)) << event;
        EXPECT_EQ(before, printer.AllData()) << event;
    }
}

TEST_F(PrinterEvents, ConnectionAndCacheEventsWithoutAServerGiveOneAndDeleteGivesOne)
{
    for (INT event : {PRINTER_EVENT_ADD_CONNECTION, PRINTER_EVENT_DELETE_CONNECTION, PRINTER_EVENT_DELETE,
                      PRINTER_EVENT_CACHE_REFRESH, PRINTER_EVENT_CACHE_DELETE}) {
        const std::vector<uint8_t> before = printer.AllData();
        EXPECT_TRUE(DrvPrinterEvent(&name[0], event, PRINTER_EVENT_FLAG_NO_UI, 0)) << event;
        EXPECT_EQ(before, printer.AllData()) << event;
    }
}

TEST_F(PrinterEvents, InitializingAPrinterThatCannotBeOpenedGivesZeroAndWritesNothing)
{
    const std::vector<uint8_t> before = printer.AllData();
    wchar_t unknown[] = L"QZ No Such Printer";
    EXPECT_FALSE(DrvPrinterEvent(unknown, PRINTER_EVENT_INITIALIZE, 0, 0));
    EXPECT_EQ(before, printer.AllData());
}

// ---- Initialize ----

// At the full pause: every initialize makes a new identity.
TEST_F(PrinterEvents, EachInitializeWritesANewPrinterUuid)
{
    GDriverUIPrinterEvents::SetInitializePauseForTesting(GDriverUIPrinterEvents::kInitializePause);
    ASSERT_TRUE(Initialize());
    const std::wstring first = DataString(L"PrinterUUID");
    EXPECT_TRUE(IsUuid(first)) << first;
    GDriverUIPrinterEvents::SetInitializePauseForTesting(0);
    ASSERT_TRUE(Initialize());
    const std::wstring second = DataString(L"PrinterUUID");
    EXPECT_TRUE(IsUuid(second)) << second;
    EXPECT_NE(first, second);
}

TEST_F(PrinterEvents, InitializeStoresTheNodesAndTheCurrentDevModeAsThePrintersDefault)
{
    for (const wchar_t* node : {L"365", L"366", L"368"})
        DeleteStored(node);
    ASSERT_TRUE(Initialize());
    for (const wchar_t* node : {L"365", L"366", L"368"})
        EXPECT_FALSE(StoredBytes(node).empty()) << node;
    // The event's object, kept by the server and reused for the same printer.
    InjectingDriverUI* ui = HoldObject();
    ASSERT_NE(nullptr, ui);
    ASSERT_NE(nullptr, ui->GetDevModeObject());
    std::vector<uint8_t> current(1172, 0);
    ASSERT_TRUE(ui->GetDevModeObject()->CopyOut(reinterpret_cast<DEVMODEW*>(current.data())));
    auto* currentName = reinterpret_cast<wchar_t*>(current.data() + offsetof(DEVMODEW, dmDeviceName));
    for (size_t i = wcsnlen(currentName, CCHDEVICENAME); i < CCHDEVICENAME; ++i)
        currentName[i] = 0;
    EXPECT_EQ(current, SpoolerDevMode(handle));
}

TEST_F(PrinterEvents, WithoutInitializationOptionsNoStampIsWritten)
{
    ASSERT_TRUE(Initialize());
    EXPECT_EQ(L"<absent>", DataString(L"LastUpdated"));
    EXPECT_EQ(L"<absent>", DataString(L"LastUpdateType"));
    EXPECT_EQ(L"<absent>", DataString(L"EACLastUpdate"));
    EXPECT_TRUE(g_installerCalls.empty());
}

// The stamps by the automatic-update mode and the mini-installer's start.
TEST_F(PrinterEvents, StampsFollowTheUpdateModeAndTheInstallersState)
{
    const struct {
        const char* name;
        int installer;
        uint16_t mode;
        uint32_t answer;
        const wchar_t* type;
        bool eacIsDate;
        const wchar_t* eac;
        std::vector<std::string> calls;
    } rows[] = {
        {"defaults", 0, 0, 0, L"Default", false, L"<absent>", {}},
        {"automatic update configured", 0, 2, 0, L"Auto", true, nullptr, {}},
        {"installer running", 1, 0, 0, L"Default", false, L"<absent>",
         {"InitializeMiniInstaller", "KillMiniInstaller"}},
        {"installer failed to start", 1, 0, 2, L"Default", false, L"ERROR", {"InitializeMiniInstaller"}},
        {"failed installer, update configured", 1, 2, 2, L"Auto", true, nullptr, {"InitializeMiniInstaller"}},
    };
    for (const auto& row : rows) {
        FreshServer();
        for (const wchar_t* stamp : {L"LastUpdated", L"LastUpdateType", L"EACLastUpdate"})
            DeleteValue(stamp);
        g_installerCalls.clear();
        g_installerAnswer = row.answer;
        InjectingDriverUI::injection.installer = row.installer;
        InjectingDriverUI::injection.plugins = 0;
        InjectingDriverUI::injection.autoUpdateMode = row.mode;
        ASSERT_TRUE(Initialize()) << row.name;
        EXPECT_EQ(Today(), DataString(L"LastUpdated")) << row.name;
        EXPECT_EQ(std::wstring(row.type), DataString(L"LastUpdateType")) << row.name;
        if (row.eacIsDate)
            EXPECT_EQ(DataString(L"LastUpdated"), DataString(L"EACLastUpdate")) << row.name;
        else
            EXPECT_EQ(std::wstring(row.eac), DataString(L"EACLastUpdate")) << row.name;
        EXPECT_EQ(row.calls, g_installerCalls) << row.name;
        EXPECT_EQ(nullptr, GetModuleHandleW(L"QZSKORN.DLL")) << row.name << ": the installer is gone after the event";
    }
}

TEST_F(PrinterEvents, TheDeviceConfigurationInUseIsUpdatedOnceAndMarkedFresh)
{
    const struct {
        int inUse;
        const wchar_t* stale;
        size_t updates;
    } rows[] = {{0, L"<absent>", 0}, {1, L"FALSE", 1}};
    for (const auto& row : rows) {
        FreshServer();
        DeleteValue(L"Stale");
        standin.Reset();
        InjectingDriverUI::injection.configInUse = row.inUse;
        ASSERT_TRUE(Initialize()) << row.inUse;
        EXPECT_EQ(std::wstring(row.stale), DataString(L"Stale")) << row.inUse;
        size_t updates = 0;
        for (const std::wstring& line : standin.Log())
            updates += line.compare(0, 15, L"DMCStartConfig ") == 0;
        EXPECT_EQ(row.updates, updates) << row.inUse;
    }
}

TEST_F(PrinterEvents, TheConfigurationsFeatureStringIsStoredWithThePrinterWhenItHasOne)
{
    InjectingDriverUI* ui = HoldObject();
    ASSERT_NE(nullptr, ui);
    ASSERT_EQ(1, ui->OpenOwnPrinter());
    ui->UseOwnPrinter(1);
    DeleteValue(L"FeatureString");
    EXPECT_EQ(0, ui->PrinterEvents().StoreFeatureString()) << "the model holds none";
    EXPECT_EQ(L"<absent>", DataString(L"FeatureString"));
    ui->GetPrinterConfiguration()->Add(new GStringAttribute("QZ features 1.0", FeatureId::kFeatureString));
    EXPECT_EQ(1, ui->PrinterEvents().StoreFeatureString());
    EXPECT_EQ(L"QZ features 1.0", DataString(L"FeatureString"));
    delete ui->GetPrinterConfiguration()->RemoveById(FeatureId::kFeatureString);
    ui->CloseOwnPrinter();
}

// Sound behaviour: when the first merge fails there are no current settings; the rest
// of the event still runs on what it has, nothing crashes and the answer is 0.
TEST_F(PrinterEvents, AFailedFirstMergeStillMakesAnIdentityAndAnswersZero)
{
    InjectingDriverUI::injection.installer = 1;
    InjectingDriverUI::injection.configInUse = 1;
    InjectingDriverUI::injection.failMerge = true;
    DeleteValue(L"PrinterUUID");
    const std::vector<uint8_t> devMode = SpoolerDevMode(handle);
    EXPECT_FALSE(Initialize());
    EXPECT_TRUE(IsUuid(DataString(L"PrinterUUID")));
    EXPECT_EQ(L"<absent>", DataString(L"LastUpdated"));
    EXPECT_EQ(L"<absent>", DataString(L"Stale"));
    EXPECT_TRUE(g_installerCalls.empty());
    EXPECT_EQ(devMode, SpoolerDevMode(handle));
}

} // namespace
