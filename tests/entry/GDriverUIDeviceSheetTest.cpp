// The device property sheet through DrvDevicePropertySheets, its calls made by hand with a
// recording sheet callback, and PrinterProperties over a sheet function of the test's
// and once over Wine's own common property sheet.
#include "PrinterDataFixture.h"

#include "ChildProcess.h"
#include "entry/driverui/GDriverUIDeviceSheet.h"
#include "entry/driverui/GPrinterStores.h"
#include "entry/sheet/GCPSOSUI.h"
#include "entry/module/EntryPoints.h"
#include "RecordingComPropSheet.h"
#include "printer/GOSFactory.h"
#include "printer/GWin32OSFactory.h"
#include "ui/framework/GPropertyPage.h"

#include <prsht.h>
#include <sddl.h>

#include <atomic>
#include <functional>
#include <thread>

using namespace PrinterDataTest;

namespace {

// A host that delivers the result a page asks for to the sheet's callback, as the
// platform's common property sheet does, and counts the callbacks it reached.
PROPSHEETUI_INFO* reportedTo = nullptr;
LONG_PTR CALLBACK ReportingSheet(HANDLE sheet, UINT function, LPARAM first, LPARAM second)
{
    if (function != CPSFUNC_SET_RESULT || !reportedTo)
        return RecordingComPropSheet::Callback(sheet, function, first, second);
    SETRESULT_INFO set = {sizeof set, 0, reinterpret_cast<HANDLE>(first), second};
    reportedTo->Reason = PROPSHEETUI_REASON_SET_RESULT;
    DrvDevicePropertySheets(reportedTo, reinterpret_cast<LPARAM>(&set));
    return 1;
}


// The module's services as another process holding the stores lock leaves them, noting
// the wait of each ask.
struct WaitNotingBusyServices : LockAnsweringServices {
    std::vector<uint32_t> waits;
    int LockPrinterStores(GDriverObject* driver, uint32_t wait, void*& held) override
    {
        waits.push_back(wait);
        return LockAnsweringServices::LockPrinterStores(driver, wait, held);
    }
};

class DeviceSheet : public PrinterDataFixture {
protected:
    void SetUp() override
    {
        PrinterDataFixture::SetUp();
        RecordingComPropSheet::Current().Reset();
        header = {sizeof header, 0, handle, &name[0]};
        info = {};
        info.cbSize = sizeof info;
        info.hComPropSheet = reinterpret_cast<HANDLE>(0x77);
        info.pfnComPropSheet = reinterpret_cast<decltype(info.pfnComPropSheet)>(&RecordingComPropSheet::Callback);
        info.lParamInit = reinterpret_cast<LPARAM>(&header);
        WriteString(L"LastUpdateType", L"Default");
        DeleteValue(L"LastUpdated");
        WriteDword(L"ExportConfig", 0);
    }
    LONG Call(WORD reason, LPARAM parameter = 0)
    {
        info.Reason = reason;
        return DrvDevicePropertySheets(&info, parameter);
    }
    // SET_RESULT with the result, then DESTROY: the info's result after SET_RESULT.
    LRESULT Close(LRESULT result)
    {
        SETRESULT_INFO set = {sizeof set, 0, reinterpret_cast<HANDLE>(0x78), result};
        EXPECT_EQ(1, Call(PROPSHEETUI_REASON_SET_RESULT, reinterpret_cast<LPARAM>(&set)));
        const LRESULT answered = info.Result;
        EXPECT_EQ(1, Call(PROPSHEETUI_REASON_DESTROY));
        return answered;
    }
    // The stored "PhySetting" with one physical setting (the duplex unit) turned round.
    void ChangeStoredPhysicalSetting()
    {
        InjectingDriverUI* ui = HoldObject();
        ASSERT_NE(nullptr, ui);
        std::unique_ptr<GObjectBase> stored(ui->LoadObject(L"PhySetting"));
        ASSERT_NE(nullptr, stored);
        auto* duplex = GDriverObject::Feature<GValueAttribute>(stored.get(), FeatureId::kDuplexUnit);
        ASSERT_NE(nullptr, duplex);
        duplex->SetValue(duplex->GetValue() ? 0 : 1);
        ASSERT_NE(0, ui->SaveObject(L"PhySetting", stored.get()));
    }

    // The context of the sheet INIT opened, on the object it acquired.
    UIContextRecord* OpenContext()
    {
        auto* ui = dynamic_cast<GDriverUI*>(reinterpret_cast<GDriverUIOperations*>(info.UserData));
        return ui ? ui->SheetContext() : nullptr;
    }
    // A page's PSN_APPLY as the pages hand it to the sheet glue.
    void ApplyPages()
    {
        UIContextRecord* context = OpenContext();
        ASSERT_NE(nullptr, context);
        NMHDR apply = {nullptr, 0, UINT(PSN_APPLY)};
        GCPSOSUI::DlgProcHook(nullptr, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply), context->guiData);
    }
    // Turns the duplex unit round in the settings the open sheet edits.
    void EditDuplexUnit()
    {
        UIContextRecord* context = OpenContext();
        ASSERT_NE(nullptr, context);
        auto* duplex = GDriverObject::Feature<GValueAttribute>(context->settings, FeatureId::kDuplexUnit);
        ASSERT_NE(nullptr, duplex);
        duplex->SetValue(duplex->GetValue() ? 0 : 1);
    }

    DEVICEPROPERTYHEADER header{};
    PROPSHEETUI_INFO info{};
};

// OK on a sheet whose commit cannot have the stores lock, through either host: held
// elsewhere, the user reads that it may be tried again and the page's apply keeps the
// sheet open; refused, the user reads that nothing was saved and the sheet closes as
// cancelled, for no other OK would fare better. Nothing is stored either way.
TEST_F(DeviceSheet, AnOkTheLockRefusesSaysNothingWasSavedAndClosesAsCancel)
{
    const std::wstring resources = DmcStandin::Folder() + L"\\qzres32.dll";
    ASSERT_TRUE(TestPrinter::CopyIfDifferent(DmcStandin::ProgramFolder() + L"\\qzres32.dll", resources));
    const struct {
        const char* what;
        int answer;
        const wchar_t* notice;
        LRESULT keptOpen;  // the page's answer to its apply: 1 keeps the sheet open
    } rows[] = {
        {"held elsewhere", GOSFactory::kStoresLockBusy,
         L"The printer's settings could not be locked for this change: another program may be changing them. "
         L"Nothing was saved, and your changes are still here: press OK to try again.",
         1},
        {"refused", GOSFactory::kStoresLockRefused, L"You may not change these settings: nothing was saved.", 0},
    };
    const std::vector<uint8_t> stored = StoredBytes(L"365");
    for (const auto& row : rows)
        for (const bool reported : {true, false}) {
            SCOPED_TRACE(std::string(row.what) + (reported ? ", reported" : ", not reported"));
            info.pfnComPropSheet = reinterpret_cast<decltype(info.pfnComPropSheet)>(
                reported ? &ReportingSheet : &RecordingComPropSheet::Callback);
            reportedTo = reported ? &info : nullptr;
            ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT));
            EditDuplexUnit();
            auto* seam = new LockAnsweringServices;
            seam->answer = row.answer;
            ReplaceQuestion::asked = 0;
            ReplaceQuestion::text.clear();
            UIContextRecord* context = OpenContext();
            ASSERT_NE(nullptr, context);
            NMHDR apply = {nullptr, 0, UINT(PSN_APPLY)};
            EXPECT_EQ(row.keptOpen, LRESULT(GCPSOSUI::DlgProcHook(nullptr, WM_NOTIFY, 0,
                                                                  reinterpret_cast<LPARAM>(&apply), context->guiData)));
            EXPECT_EQ(1, ReplaceQuestion::asked) << "told once";
            EXPECT_EQ(std::wstring(row.notice), ReplaceQuestion::text);
            EXPECT_EQ(1, Call(PROPSHEETUI_REASON_DESTROY));
            EXPECT_EQ(LRESULT(CPSUI_CANCEL), info.Result);
            new StandinServices;
            ReleaseHeld();
            EXPECT_EQ(stored, StoredBytes(L"365")) << "nothing stored";
        }
    reportedTo = nullptr;
    DeleteFileW(resources.c_str());
}

// One OK, one commit: reported by the host at the apply, or made by the apply when the
// result it asked for reached no one; the sheet's going commits nothing more.
TEST_F(DeviceSheet, EachOkCommitsOnceWhetherTheHostReportsItOrNot)
{
    for (const bool reported : {true, false}) {
        InjectingDriverUI::commits = 0;
        if (reported)
            info.pfnComPropSheet = reinterpret_cast<decltype(info.pfnComPropSheet)>(&ReportingSheet);
        reportedTo = reported ? &info : nullptr;
        ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT)) << reported;
        ApplyPages();
        EXPECT_EQ(1, InjectingDriverUI::commits) << reported;
        EXPECT_EQ(1, Call(PROPSHEETUI_REASON_DESTROY));
        EXPECT_EQ(1, InjectingDriverUI::commits) << reported;
        reportedTo = nullptr;
    }
}

// Without a reported result: Apply commits the edits before it; edits after it and then
// Cancel leave the stores as the Apply wrote them.
TEST_F(DeviceSheet, CancelAfterAnUnreportedApplyLeavesTheStoresAsTheApplyWroteThem)
{
    ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT));
    const std::vector<uint8_t> before = StoredBytes(L"365");
    EditDuplexUnit();
    ApplyPages();
    const std::vector<uint8_t> applied = StoredBytes(L"365");
    const std::vector<uint8_t> devMode = SpoolerDevMode(handle);
    EXPECT_NE(before, applied) << "the apply committed the edit";
    EditDuplexUnit();
    EXPECT_EQ(1, Call(PROPSHEETUI_REASON_DESTROY));
    EXPECT_EQ(applied, StoredBytes(L"365"));
    EXPECT_EQ(devMode, SpoolerDevMode(handle));
    EXPECT_EQ(1, InjectingDriverUI::commits);
}

TEST_F(DeviceSheet, InitMarksTheExportPendingAndRecordsTheDeviceSettings)
{
    DeleteStored(L"PhySetting");
    ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT));
    EXPECT_EQ(0, info.Result);
    EXPECT_EQ(1, DataDword(L"ExportConfig"));
    EXPECT_FALSE(StoredBytes(L"PhySetting").empty());
    EXPECT_EQ(StoredBytes(L"365"), StoredBytes(L"PhySetting")) << "the device settings as they were";
    EXPECT_EQ(1, Call(PROPSHEETUI_REASON_DESTROY));
}

// Opened while another process holds the stores lock: the INIT's writes ask it with no
// wait, so the sheet shows at once; the record of the device settings it could not write
// is written at the OK, before the user's change is judged against it.
TEST_F(DeviceSheet, InitWhileTheLockIsHeldElsewhereWaitsNotAndOkRecordsTheDeviceSettings)
{
    DeleteStored(L"PhySetting");
    auto* busy = new WaitNotingBusyServices;
    ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT));
    const std::vector<uint32_t> waits = busy->waits;
    new StandinServices;  // the other process lets the lock go
    ASSERT_FALSE(waits.empty());
    for (uint32_t wait : waits)
        EXPECT_EQ(0u, wait);
    EXPECT_TRUE(StoredBytes(L"PhySetting").empty()) << "not had at INIT";
    const std::vector<uint8_t> opened = StoredBytes(L"365");
    EditDuplexUnit();
    EXPECT_EQ(LRESULT(CPSUI_OK), Close(CPSUI_OK));
    EXPECT_EQ(opened, StoredBytes(L"PhySetting")) << "the device settings the sheet opened with";
    EXPECT_EQ(L"User", DataString(L"LastUpdateType"));
}

// The way back finds a store put back by another program by the OK: once told, the sheet
// shows it as it reads and storing is on, and the next OK commits what the user changed
// as any commit, asking nothing; the store keeps what it holds.
TEST_F(DeviceSheet, AfterTheStoresReadAgainTheNextOkCommitsTheUsersChange)
{
    const std::wstring resources = DmcStandin::Folder() + L"\\qzres32.dll";
    ASSERT_TRUE(TestPrinter::CopyIfDifferent(DmcStandin::ProgramFolder() + L"\\qzres32.dll", resources));
    InjectingDriverUI* ui = HoldObject();
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    std::unique_ptr<GObjectBase> defaults(ui->CreateDefaultSettings());
    ui->StoreMissingNodes(defaults.get());
    std::unique_ptr<GObjectBase> lists(ui->LoadSettingsTree(FeatureId::kPrinterLists));
    ASSERT_NE(nullptr, lists);
    const std::vector<uint8_t> listsRead = PortableForm(lists.get());
    const std::vector<uint8_t> whole = StoredBytes(L"366");
    WriteStoreChunks(L"366", std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() / 2));
    FreshServer();
    ReplaceQuestion::answer = IDYES;
    const uint32_t kReplacing = kModeStoringOff | kModeReplaceable | kModeMayReplace;
    ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT));
    UIContextRecord* context = OpenContext();
    ASSERT_NE(nullptr, context);
    ASSERT_EQ(kReplacing, context->modeFlags & kReplacing);
    EditDuplexUnit();
    const uint16_t chosen =
        GDriverObject::Feature<GValueAttribute>(context->settings, FeatureId::kDuplexUnit)->GetValue();
    WriteStoreChunks(L"366", whole);
    NMHDR apply = {nullptr, 0, UINT(PSN_APPLY)};
    EXPECT_EQ(1, GCPSOSUI::DlgProcHook(nullptr, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply), context->guiData))
        << "kept open";
    EXPECT_EQ(2, ReplaceQuestion::asked) << "the question, then the notice";
    EXPECT_NE(std::wstring::npos, ReplaceQuestion::text.find(L"can be read again: the printer's lists."));
    EXPECT_EQ(0u, context->modeFlags & kReplacing) << "storing is on";
    EXPECT_EQ(0, GCPSOSUI::DlgProcHook(nullptr, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply), context->guiData))
        << "committed and closed";
    EXPECT_EQ(2, ReplaceQuestion::asked) << "nothing more asked";
    EXPECT_EQ(1, Call(PROPSHEETUI_REASON_DESTROY));
    EXPECT_EQ(LRESULT(CPSUI_OK), info.Result);
    FreshServer();
    ui = HoldObject();
    std::unique_ptr<GObjectBase> device(ui->LoadSettingsTree(FeatureId::kDeviceSettings));
    lists.reset(ui->LoadSettingsTree(FeatureId::kPrinterLists));
    ASSERT_TRUE(device && lists);
    EXPECT_EQ(chosen, GDriverObject::Feature<GValueAttribute>(device.get(), FeatureId::kDuplexUnit)->GetValue());
    EXPECT_EQ(listsRead, PortableForm(lists.get())) << "the store put back keeps what it holds";
    ReplaceQuestion::answer = IDNO;
    DeleteFileW(resources.c_str());
}

TEST_F(DeviceSheet, TheInfoHeaderNamesThePrinterWithTheCommonSheetsPrinterIcon)
{
    ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT));
    PROPSHEETUI_INFO_HEADER infoHeader = {};
    infoHeader.cbSize = sizeof infoHeader;
    ASSERT_EQ(1, Call(PROPSHEETUI_REASON_GET_INFO_HEADER, reinterpret_cast<LPARAM>(&infoHeader)));
    EXPECT_EQ(6, infoHeader.Flags);
    EXPECT_EQ(64082u, infoHeader.IconID);
    ASSERT_NE(nullptr, infoHeader.pTitle);
    EXPECT_EQ(name, std::wstring(infoHeader.pTitle));
    EXPECT_EQ(1, Call(PROPSHEETUI_REASON_DESTROY));
}

// Sound behaviour: a header without a printer name gives an empty title, not a null one.
TEST_F(DeviceSheet, AHeaderWithoutAPrinterNameGivesAnEmptyTitle)
{
    InjectingDriverUI* ui = HoldObject();
    ASSERT_NE(nullptr, ui);
    DEVICEPROPERTYHEADER nameless = {sizeof nameless, 0, handle, nullptr};
    info.lParamInit = reinterpret_cast<LPARAM>(&nameless);
    info.Reason = PROPSHEETUI_REASON_GET_INFO_HEADER;
    PROPSHEETUI_INFO_HEADER infoHeader = {};
    EXPECT_EQ(1, ui->DevicePropertySheets(&info, reinterpret_cast<LPARAM>(&infoHeader)));
    ASSERT_NE(nullptr, infoHeader.pTitle);
    EXPECT_EQ(std::wstring(), std::wstring(infoHeader.pTitle));
}

TEST_F(DeviceSheet, NullInfoOrNullHeaderIsRefusedAndOtherReasonsGiveZero)
{
    InjectingDriverUI* ui = HoldObject();
    ASSERT_NE(nullptr, ui);
    EXPECT_EQ(-1, ui->DevicePropertySheets(nullptr, 0));
    PROPSHEETUI_INFO headerless = info;
    headerless.lParamInit = 0;
    headerless.Reason = PROPSHEETUI_REASON_INIT;
    EXPECT_EQ(-1, ui->DevicePropertySheets(&headerless, 0));
    EXPECT_EQ(-1, DrvDevicePropertySheets(nullptr, 0));
    for (WORD reason : {WORD(PROPSHEETUI_REASON_BEFORE_INIT), WORD(PROPSHEETUI_REASON_GET_ICON), WORD(99)}) {
        info.Reason = reason;
        EXPECT_EQ(0, ui->DevicePropertySheets(&info, 0)) << reason;
    }
}

TEST_F(DeviceSheet, AResultOtherThanOkLeavesThePendingExportAndTheRecord)
{
    InjectingDriverUI::injection.configInUse = 1;
    ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT));
    const std::vector<uint8_t> record = StoredBytes(L"PhySetting");
    const std::vector<uint8_t> devMode = SpoolerDevMode(handle);
    EXPECT_EQ(2, Close(2));
    EXPECT_EQ(1, DataDword(L"ExportConfig"));
    EXPECT_EQ(record, StoredBytes(L"PhySetting"));
    EXPECT_EQ(L"Default", DataString(L"LastUpdateType"));
    EXPECT_EQ(devMode, SpoolerDevMode(handle));
}

// Outside the shell OK commits and clears the pending export without exporting.
TEST_F(DeviceSheet, OkOutsideTheShellClearsThePendingExportWithoutExporting)
{
    InjectingDriverUI::injection.configInUse = 1;
    ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT));
    standin.Reset();
    EXPECT_EQ(CPSUI_OK, Close(CPSUI_OK));
    EXPECT_EQ(0, DataDword(L"ExportConfig"));
    EXPECT_EQ(0u, CountLines(standin.Log(), L"DMCStartExport"));
}

TEST_F(DeviceSheet, WithoutTheDeviceConfigurationTheExportStaysPending)
{
    InjectingDriverUI::injection.configInUse = 0;
    ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT));
    EXPECT_EQ(CPSUI_OK, Close(CPSUI_OK));
    EXPECT_EQ(1, DataDword(L"ExportConfig"));
}

TEST_F(DeviceSheet, TheUpdateIsStampedAsTheUsersOnlyWhenThePhysicalSettingsChanged)
{
    const struct {
        const char* name;
        bool changed;
        const wchar_t* type;
        bool dated;
    } rows[] = {
        {"unchanged", false, L"Default", false},
        {"changed", true, L"User", true},
    };
    for (const auto& row : rows) {
        WriteString(L"LastUpdateType", L"Default");
        DeleteValue(L"LastUpdated");
        ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT)) << row.name;
        if (row.changed)
            ChangeStoredPhysicalSetting();
        EXPECT_EQ(CPSUI_OK, Close(CPSUI_OK)) << row.name;
        EXPECT_EQ(std::wstring(row.type), DataString(L"LastUpdateType")) << row.name;
        EXPECT_EQ(row.dated ? Today() : std::wstring(L"<absent>"), DataString(L"LastUpdated")) << row.name;
        ReleaseHeld();
    }
}

// The module's services, counting every write of the printer's data and the user's
// values, refusing the writes of the values whose names begin with one text, and failing
// the reads of one stored object, as a spooler that cannot answer would. The first
// refused binary write may land all the same, as one whose answer is lost.
struct CountingServices : StandinServices {
    std::vector<std::wstring> written;  // the names of the values written, in order
    std::wstring refused, unreadable;
    bool firstRefusedLands = false;

    static std::wstring Text(const RWWString& name) { return std::wstring(name.Data(), name.Length()); }
    // Notes the write; false when it is to be refused.
    bool Note(const RWWString& name)
    {
        written.push_back(Text(name));
        return refused.empty() || Text(name).compare(0, refused.size(), refused) != 0;
    }
    int SetPrinterDataDword(GDriverObject* d, const RWWString& name, uint32_t value) override
    {
        return Note(name) ? StandinServices::SetPrinterDataDword(d, name, value) : 0;
    }
    int SetPrinterDataString(GDriverObject* d, const RWWString& name, const RWWString& text) override
    {
        return Note(name) ? StandinServices::SetPrinterDataString(d, name, text) : 0;
    }
    int SetPrinterDataBinary(GDriverObject* d, const RWWString& name, const void* data, uint32_t length) override
    {
        if (Note(name))
            return StandinServices::SetPrinterDataBinary(d, name, data, length);
        if (firstRefusedLands) {
            firstRefusedLands = false;
            StandinServices::SetPrinterDataBinary(d, name, data, length);
        }
        return 0;
    }
    // A store's published copy ("365@7") refused as its store is.
    int SetPrinterDataWhole(GDriverObject* d, const RWWString& name, const void* data, uint32_t length) override
    {
        if (Note(name))
            return StandinServices::SetPrinterDataWhole(d, name, data, length);
        if (firstRefusedLands) {
            firstRefusedLands = false;
            StandinServices::SetPrinterDataWhole(d, name, data, length);
        }
        return 0;
    }
    int SetPrinterDataChunks(GDriverObject* d, const RWWString& name, const void* data, uint32_t length) override
    {
        return Note(name) ? StandinServices::SetPrinterDataChunks(d, name, data, length) : 0;
    }
    int MarkPrinterDataWriting(GDriverObject* d, const RWWString& name, const void* data, uint32_t length,
                               bool formerNewest, std::vector<uint8_t>& former) override
    {
        former.clear();
        return Note(name) ? StandinServices::MarkPrinterDataWriting(d, name, data, length, formerNewest, former) : 0;
    }
    int SetPrinterKeyString(GDriverObject* d, const RWWString& key, const RWWString& name,
                            const RWWString& text) override
    {
        return Note(name) ? StandinServices::SetPrinterKeyString(d, key, name, text) : 0;
    }
    int DeletePrinterDriverDataValue(GDriverObject* d, const RWWString& name) override
    {
        return Note(name) ? StandinServices::DeletePrinterDriverDataValue(d, name) : 0;
    }
    int SetUserDword(const RWWString& key, const RWWString& name, uint32_t value) override
    {
        return Note(name) ? StandinServices::SetUserDword(key, name, value) : 0;
    }
    // A store that does not read: its chunks and its published copy.
    bool Unreadable(const RWWString& name) const
    {
        const std::wstring text = Text(name);
        return !unreadable.empty() && text.substr(0, text.find(L'@')) == unreadable;
    }
    int GetPrinterDataBinary(GDriverObject* d, const RWWString& name, void* buffer, uint32_t size,
                             uint32_t& length) override
    {
        if (Unreadable(name))
            return length = 0, 0;
        return StandinServices::GetPrinterDataBinary(d, name, buffer, size, length);
    }
    void ReadChunkedValue(GDriverObject* d, const RWWString& name, uint32_t bound, ChunkedValue& value,
                          bool afresh) override
    {
        StandinServices::ReadChunkedValue(d, name, bound, value, afresh);
        if (Unreadable(name))
            value.whole = value.matches = false, value.check = ChunkedValue::Check::kDamaged;
    }
    StoredRead GetPrinterDataWhole(GDriverObject* d, const RWWString& name, uint32_t bound,
                                   std::vector<uint8_t>& bytes, bool afresh) override
    {
        return Unreadable(name) ? StoredRead::kUnreadable : StandinServices::GetPrinterDataWhole(d, name, bound, bytes, afresh);
    }
};

class DeviceSheetWrites : public DeviceSheet {
protected:
    void SetUp() override
    {
        DeviceSheet::SetUp();
        WriteDword(L"ExportConfig", 0);
        DeleteValue(L"PhySetting");
        seam = new CountingServices;
    }
    void TearDown() override
    {
        new StandinServices;
        DeviceSheet::TearDown();
    }
    CountingServices* seam = nullptr;
};

// A sheet that can change nothing, because the user may not change the printer or its
// settings do not read, writes nothing from INIT to DESTROY, whatever applies or OK the
// user gives, shows its pages so, and reports cancel.
TEST_F(DeviceSheetWrites, ASheetThatCanChangeNothingWritesNothingAndReportsCancel)
{
    const struct {
        const char* what;
        WORD headerFlags;
        const wchar_t* unreadable;
        uint32_t modeFlag;
    } rows[] = {
        {"the user may not change the printer", 1, L"", kModeNoPermission},
        {"a store does not read", 0, L"366", kModeStoringOff},
    };
    for (const auto& row : rows) {
        FreshServer();
        header.Flags = row.headerFlags;
        seam->unreadable = row.unreadable;
        const std::vector<uint8_t> data = printer.AllData(), devMode = SpoolerDevMode(handle);
        seam->written.clear();
        InjectingDriverUI::commits = 0;
        ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT)) << row.what;
        EXPECT_EQ(std::vector<std::wstring>(), seam->written) << row.what << ": nothing written at INIT";
        ASSERT_NE(nullptr, OpenContext());
        EXPECT_EQ(row.modeFlag, OpenContext()->modeFlags & row.modeFlag) << row.what;
        EditDuplexUnit();
        ApplyPages();
        EXPECT_EQ(LRESULT(CPSUI_CANCEL), Close(CPSUI_OK)) << row.what;
        EXPECT_EQ(LRESULT(CPSUI_CANCEL), info.Result) << row.what << ": after DESTROY";
        EXPECT_EQ(std::vector<std::wstring>(), seam->written) << row.what;
        EXPECT_EQ(0, InjectingDriverUI::commits) << row.what;
        EXPECT_EQ(data, printer.AllData()) << row.what;
        EXPECT_EQ(devMode, SpoolerDevMode(handle)) << row.what;
        ReleaseHeld();
    }
}

// The document sheet on a printer whose settings do not read writes nothing at INIT,
// "ExportPrinting" included; only the document road's test of whether the printer's data
// may be written, made before the reason is looked at, writes its own value.
TEST_F(DeviceSheetWrites, TheDocumentSheetWithStoringOffWritesNothingAtInit)
{
    seam->unreadable = L"366";
    DOCUMENTPROPERTYHEADER document = {sizeof document, 0, handle, &name[0], nullptr, nullptr, 0, 0};
    info.lParamInit = reinterpret_cast<LPARAM>(&document);
    info.Reason = PROPSHEETUI_REASON_INIT;
    DeleteValue(L"ExportPrinting");
    seam->written.clear();
    ASSERT_EQ(1, DrvDocumentPropertySheets(&info, 0));
    const std::vector<std::wstring> probe = {L"RegWriteTestStr"};
    EXPECT_TRUE(seam->written.empty() || seam->written == probe);
    EXPECT_EQ(-1, DataDword(L"ExportPrinting"));
    ASSERT_NE(nullptr, OpenContext());
    EXPECT_NE(0u, OpenContext()->modeFlags & kModeStoringOff);
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    EXPECT_EQ(1, DrvDocumentPropertySheets(&info, 0));
}

// OK of a changed device setting is reported only when the commit went through, whether
// the host reports the apply's result or the apply commits unreported; a refused store
// write reports cancel and neither stamps the update nor writes the printer's DEVMODE,
// also when the refused write landed all the same.
TEST_F(DeviceSheetWrites, OkIsReportedOnlyWhenTheCommitWentThrough)
{
    const struct {
        const wchar_t* refused;
        bool reported;
        LRESULT result;
        bool lands;
    } rows[] = {
        {L"365", true, CPSUI_CANCEL, false},
        {L"365", false, CPSUI_CANCEL, false},
        {L"", true, CPSUI_OK, false},
        {L"", false, CPSUI_OK, false},
        {L"365", true, CPSUI_CANCEL, true},
    };
    for (const auto& row : rows) {
        const std::string what = (row.refused[0] ? std::string("365 refused") : std::string("stored")) +
                                 (row.lands ? ", landed" : "") +
                                 (row.reported ? ", reported" : ", unreported");
        FreshServer();
        WriteString(L"LastUpdateType", L"Default");
        seam->refused = L"";
        info.pfnComPropSheet = reinterpret_cast<decltype(info.pfnComPropSheet)>(
            row.reported ? &ReportingSheet : &RecordingComPropSheet::Callback);
        // The device settings the sheet is handed hold a change of their own each row.
        InjectingDriverUI::injection.deviceChange = int(&row - rows) + 1;
        ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT)) << what;
        ChangeStoredPhysicalSetting();
        if (row.lands)
            EditDuplexUnit();
        seam->refused = row.refused;
        seam->firstRefusedLands = row.lands;
        const std::vector<uint8_t> devMode = SpoolerDevMode(handle);
        reportedTo = row.reported ? &info : nullptr;
        ApplyPages();
        reportedTo = nullptr;
        if (row.reported) {
            EXPECT_EQ(row.result, info.Result) << what << ": at the reported apply";
        }
        EXPECT_EQ(1, Call(PROPSHEETUI_REASON_DESTROY));
        EXPECT_EQ(row.result, info.Result) << what;
        const bool committed = row.result == CPSUI_OK;
        EXPECT_EQ(committed ? L"User" : L"Default", DataString(L"LastUpdateType")) << what;
        if (!committed) {
            EXPECT_EQ(devMode, SpoolerDevMode(handle)) << what;
        }
        ReleaseHeld();
    }
}

// An OK that stores nothing though the lock was had is told why, and the sheet stays open
// with its edits: a write the printer refused, or a store that stopped reading since the
// sheet opened (named, with the way back). Nothing is stored either way.
TEST_F(DeviceSheetWrites, AnOkThatStoresNothingSaysWhyAndKeepsTheSheetOpen)
{
    const std::wstring resources = DmcStandin::Folder() + L"\\qzres32.dll";
    ASSERT_TRUE(TestPrinter::CopyIfDifferent(DmcStandin::ProgramFolder() + L"\\qzres32.dll", resources));
    const struct {
        const char* what;
        const wchar_t* refused;
        bool damaged;  // 366 damaged between INIT and OK
        const wchar_t* notice;
    } rows[] = {
        {"the write refused", L"365", false,
         L"These printer settings could not be saved: the printer refused the write. Your changes are still here: "
         L"press OK to try again."},
        {"a store damaged since INIT", L"", true,
         L"These printer settings cannot be read any more: the printer's lists. Nothing was saved, and your changes "
         L"are still here. Close this sheet and open it again to replace them."},
    };
    for (const auto& row : rows) {
        FreshServer();
        seam->refused = L"";
        ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT)) << row.what;
        EditDuplexUnit();
        const std::vector<uint8_t> stored = StoredBytes(L"365");
        if (row.damaged) {
            const std::vector<uint8_t> lists = StoredBytes(L"366");
            WriteStoreChunks(L"366", std::vector<uint8_t>(lists.begin(), lists.begin() + lists.size() / 2));
        }
        seam->refused = row.refused;
        ReplaceQuestion::asked = 0;
        ReplaceQuestion::text.clear();
        UIContextRecord* context = OpenContext();
        ASSERT_NE(nullptr, context) << row.what;
        NMHDR apply = {nullptr, 0, UINT(PSN_APPLY)};
        EXPECT_EQ(1, GCPSOSUI::DlgProcHook(nullptr, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply), context->guiData))
            << row.what << ": kept open";
        EXPECT_EQ(1, ReplaceQuestion::asked) << row.what;
        EXPECT_EQ(std::wstring(row.notice), ReplaceQuestion::text) << row.what;
        EXPECT_EQ(1, Call(PROPSHEETUI_REASON_DESTROY));
        EXPECT_EQ(LRESULT(CPSUI_CANCEL), info.Result) << row.what;
        EXPECT_EQ(stored, StoredBytes(L"365")) << row.what << ": nothing stored";
        seam->refused = L"";
        ReleaseHeld();
    }
    DeleteFileW(resources.c_str());
}

// A sheet whose Apply committed changed the printer: a later OK whose commit fails still
// reports OK, whether the host reported the apply or not, and the Apply's settings hold.
// Each round starts from stores the module makes afresh, whatever an earlier run left in
// the printer's data.
TEST_F(DeviceSheetWrites, AnApplyThatCommittedIsReportedThoughALaterOkFails)
{
    for (const bool reported : {true, false}) {
        seam->refused = L"";
        seam->unreadable = L"";
        FreshServer();
        for (const wchar_t* value : {L"365", L"366", L"368", L"PhySetting", L"LastUpdated"})
            DeleteStored(value);
        WriteDword(L"ExportConfig", 0);
        WriteString(L"LastUpdateType", L"Default");
        InjectingDriverUI* fresh = HoldObject();
        ASSERT_NE(nullptr, fresh);
        ASSERT_EQ(1, fresh->MergeDevModeIntoSettings(nullptr)) << reported;
        std::unique_ptr<GObjectBase> defaults(fresh->CreateDefaultSettings());
        fresh->StoreMissingNodes(defaults.get());
        for (const wchar_t* store : {L"365", L"366", L"368"})
            ASSERT_FALSE(StoredBytes(store).empty()) << reported << ": " << std::string(store, store + 3) << " made";
        FreshServer();
        info.pfnComPropSheet = reinterpret_cast<decltype(info.pfnComPropSheet)>(
            reported ? &ReportingSheet : &RecordingComPropSheet::Callback);
        ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT)) << reported;
        EditDuplexUnit();
        reportedTo = reported ? &info : nullptr;
        ApplyPages();
        reportedTo = nullptr;
        const std::vector<uint8_t> applied = StoredBytes(L"365");
        EditDuplexUnit();
        seam->refused = L"365";
        EXPECT_EQ(LRESULT(CPSUI_OK), Close(CPSUI_OK)) << reported;
        EXPECT_EQ(LRESULT(CPSUI_OK), info.Result) << reported << ": after DESTROY";
        EXPECT_EQ(applied, StoredBytes(L"365")) << reported;
        ReleaseHeld();
    }
}

// Run in a copy of this program whose name holds "EXPLORER.EXE", as the shell's.
TEST_F(DeviceSheet, DISABLED_OkInTheShellExportsTheFactoryConfigurationOnce)
{
    InjectingDriverUI::injection.configInUse = 1;
    ASSERT_EQ(1, Call(PROPSHEETUI_REASON_INIT));
    standin.Reset();
    EXPECT_EQ(CPSUI_OK, Close(CPSUI_OK));
    EXPECT_EQ(0, DataDword(L"ExportConfig"));
    EXPECT_EQ(1u, CountLines(standin.Log(), L"DMCStartExport"));
}

TEST(DeviceSheetInTheShell, OkExportsTheFactoryConfigurationOnce)
{
    const std::string program = ThisProgram();
    const std::string shell = program.substr(0, program.rfind('\\')) + "\\test-explorer.exe";
    ASSERT_TRUE(CopyFileA(program.c_str(), shell.c_str(), FALSE));
    const ChildResult child = RunChildTest("DeviceSheet.DISABLED_OkInTheShell*", shell);
    DeleteFileA(shell.c_str());
    EXPECT_EQ(0u, child.exitCode) << "the child test in the shell's name passed\n" << child.output;
}

// ---- The older entry point: PrinterProperties ----

LONG WINAPI FailingSheet(HWND, void*, LPARAM, LPDWORD) { return -1; }
LONG WINAPI SheetWithoutResult(HWND, void*, LPARAM, LPDWORD) { return 1; }
LONG WINAPI SheetClosedWithOk(HWND, void*, LPARAM, LPDWORD result)
{
    *result = CPSUI_OK;
    return 1;
}
LONG WINAPI SheetCancelled(HWND, void*, LPARAM, LPDWORD result)
{
    *result = CPSUI_CANCEL;
    return 1;
}

class PrinterPropertiesSheet : public PrinterDataFixture {
protected:
    void TearDown() override
    {
        GDriverUIDeviceSheet::SetSheetRunnerForTesting(nullptr);
        PrinterDataFixture::TearDown();
    }
};

// Sound behaviour: the result starts at 0, so a sheet that fails or sets none is FALSE.
TEST_F(PrinterPropertiesSheet, OnlyASheetThatEndsWithAPositiveResultIsTrue)
{
    const struct {
        const char* name;
        GDriverUIDeviceSheet::SheetRunner runner;
        BOOL expected;
    } rows[] = {
        {"failing sheet", &FailingSheet, FALSE},
        {"no result set", &SheetWithoutResult, FALSE},
        {"cancelled", &SheetCancelled, FALSE},
        {"ok", &SheetClosedWithOk, TRUE},
    };
    for (const auto& row : rows) {
        GDriverUIDeviceSheet::SetSheetRunnerForTesting(row.runner);
        EXPECT_EQ(row.expected, RunPrinterProperties(nullptr, handle)) << row.name;
    }
}

// A visible dialog of this process, the common sheet once it shows.
struct ShownSheet {
    DWORD process;
    HWND window;
};

BOOL CALLBACK FindShownSheet(HWND window, LPARAM parameter)
{
    auto* found = reinterpret_cast<ShownSheet*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (owner == found->process && IsWindowVisible(window) && std::wstring(className) == L"#32770") {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

// Presses the button (Cancel unless told) on this process's sheet once it shows; gives up
// after 30 seconds.
void PressCancelWhenShown(std::atomic<bool>& stop, std::atomic<bool>& pressed, int button = PSBTN_CANCEL)
{
    for (int i = 0; i < 600 && !stop; ++i) {
        ShownSheet found = {GetCurrentProcessId(), nullptr};
        EnumWindows(&FindShownSheet, reinterpret_cast<LPARAM>(&found));
        if (found.window) {
            PostMessageW(found.window, PSM_PRESSBUTTON, button, 0);
            pressed = true;
            return;
        }
        Sleep(50);
    }
}

TEST_F(PrinterPropertiesSheet, TheRealCommonSheetClosesOnCancelAndReleasesTheObjectOnce)
{
    WriteDword(L"ExportConfig", 0);
    InjectingDriverUI::injection.modulePages = true;
    std::atomic<bool> stop{false}, pressed{false};
    std::thread canceller(PressCancelWhenShown, std::ref(stop), std::ref(pressed), int(PSBTN_CANCEL));
    const BOOL result = RunPrinterProperties(nullptr, handle);
    stop = true;
    canceller.join();
    EXPECT_TRUE(pressed) << "the sheet showed";
    EXPECT_FALSE(result) << "cancelled";
    EXPECT_EQ(1, DataDword(L"ExportConfig")) << "cancelled: the export stays pending";
    const uint32_t ticket = InjectingDriverUI::lastTicket;
    ASSERT_NE(0u, ticket) << "the sheet's INIT acquired the object";
    EXPECT_EQ(nullptr, ModuleLifetime::DriverServer()->LookUp(ticket)) << "DESTROY released it";
}

// The notice of a lock not had, counted; it lets the lock go, as the other writer would.
struct LockedNotice {
    static inline std::atomic<int> shown{0};
    static inline HANDLE release = nullptr;
    static int Answer(HWND, const wchar_t*, const wchar_t*)
    {
        ++shown;
        SetEvent(release);
        return IDOK;
    }
};

// OK of a change while another writer holds the stores lock: the user is told, the sheet
// stays open with its edits, and the next OK, once the lock is free, commits and closes it. The
// same when another program made the lock first under a list that lets no one in: the
// printer lets this user change it, so the lock is busy, not a refusal.
TEST_F(PrinterPropertiesSheet, AnOkThatCannotHaveTheLockKeepsTheSheetOpenForTheNext)
{
    InjectingDriverUI::injection.modulePages = true;
    const uint32_t wait = GPrinterStores::SetLockWaitForTesting(20);
    GDriverUIDeviceSheet::SetConfirmerForTesting(&LockedNotice::Answer);
    const std::wstring resources = DmcStandin::Folder() + L"\\qzres32.dll";
    ASSERT_TRUE(TestPrinter::CopyIfDifferent(DmcStandin::ProgramFolder() + L"\\qzres32.dll", resources));
    for (const wchar_t* madeWith : {static_cast<const wchar_t*>(nullptr), L"D:"}) {
        SCOPED_TRACE(madeWith ? "another program's lock with no one in" : "held by a writer");
        // The device settings the sheet is handed hold a change of their own each time.
        InjectingDriverUI::injection.deviceChange = madeWith ? 2 : 1;
        LockedNotice::shown = 0;
        LockedNotice::release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        GDriverObject lockOwner(name.c_str());
        std::thread holder([&] {
            if (madeWith) {
                PSECURITY_DESCRIPTOR list = nullptr;
                ConvertStringSecurityDescriptorToSecurityDescriptorW(madeWith, SDDL_REVISION_1, &list, nullptr);
                SECURITY_ATTRIBUTES attributes = {sizeof attributes, list, FALSE};
                HANDLE mutex = CreateMutexW(&attributes, TRUE, GWin32OSFactory::StoresLockName(name.c_str()).Data());
                LocalFree(list);
                SetEvent(taken);
                WaitForSingleObject(LockedNotice::release, 30000);
                ReleaseMutex(mutex);
                CloseHandle(mutex);
                return;
            }
            void* held = nullptr;
            const int owned = GOSFactory::Instance()->LockPrinterStores(&lockOwner, 5000, held);
            SetEvent(taken);
            WaitForSingleObject(LockedNotice::release, 30000);
            if (owned)
                GOSFactory::Instance()->UnlockPrinterStores(held);
        });
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(taken, 10000));
        std::atomic<bool> stop{false}, openAfterNotice{false};
        std::thread presser([&] {
            std::atomic<bool> pressed{false};
            PressCancelWhenShown(stop, pressed, PSBTN_OK);
            for (int i = 0; i < 600 && !stop && LockedNotice::shown == 0; ++i)
                Sleep(50);
            Sleep(200);
            ShownSheet found = {GetCurrentProcessId(), nullptr};
            EnumWindows(&FindShownSheet, reinterpret_cast<LPARAM>(&found));
            openAfterNotice = found.window != nullptr;
            if (found.window)
                PostMessageW(found.window, PSM_PRESSBUTTON, PSBTN_OK, 0);
        });
        const BOOL result = RunPrinterProperties(nullptr, handle);
        stop = true;
        presser.join();
        holder.join();
        CloseHandle(taken);
        CloseHandle(LockedNotice::release);
        EXPECT_EQ(1, LockedNotice::shown.load()) << "told once";
        EXPECT_TRUE(openAfterNotice) << "the sheet stayed open";
        EXPECT_TRUE(result) << "the second OK committed";
    }
    GDriverUIDeviceSheet::SetConfirmerForTesting(&ReplaceQuestion::Answer);
    GPrinterStores::SetLockWaitForTesting(wait);
    DeleteFileW(resources.c_str());
}

// The module's own document sheet answers IDOK only once its commit went through: OK
// whose store write is refused keeps the sheet open with its edits, and the Cancel that
// follows answers cancel; the sheet's choices are not handed out. The device settings
// the sheet is handed hold a change, which its OK commits.
TEST_F(DeviceSheetWrites, DocumentPropertiesAnswersOkOnlyForACommitThatWentThrough)
{
    InjectingDriverUI::injection.modulePages = true;
    InjectingDriverUI::injection.deviceChange = 1;
    for (const auto& row : {std::make_pair(L"365", LONG(IDCANCEL)), std::make_pair(L"", LONG(IDOK))}) {
        FreshServer();
        seam->refused = row.first;
        const bool refused = row.first[0] != 0;
        std::vector<uint8_t> output(1172, 0);
        std::atomic<bool> stop{false}, pressed{false}, openAfterOk{false};
        std::thread presser([&] {
            PressCancelWhenShown(stop, pressed, PSBTN_OK);
            if (!refused)
                return;
            Sleep(300);
            ShownSheet found = {GetCurrentProcessId(), nullptr};
            EnumWindows(&FindShownSheet, reinterpret_cast<LPARAM>(&found));
            openAfterOk = found.window != nullptr;
            if (found.window)
                PostMessageW(found.window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        });
        const LONG answer = DrvDocumentProperties(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(output.data()),
                                                  nullptr, DM_PROMPT | DM_COPY);
        stop = true;
        presser.join();
        EXPECT_TRUE(pressed);
        EXPECT_EQ(refused, openAfterOk.load()) << "a refused OK keeps the sheet open";
        EXPECT_EQ(row.second, answer) << (refused ? "refused" : "stored");
    }
    // A commit that went through, then one refused: the sheet answers cancel.
    FreshServer();
    seam->refused = L"";
    std::vector<uint8_t> output(1172, 0);
    DOCUMENTPROPERTYHEADER document = {sizeof document, 0, handle, &name[0], nullptr,
                                       reinterpret_cast<DEVMODEW*>(output.data()), DWORD(output.size()), DM_COPY};
    info.lParamInit = reinterpret_cast<LPARAM>(&document);
    info.Reason = PROPSHEETUI_REASON_INIT;
    ASSERT_EQ(1, DrvDocumentPropertySheets(&info, 0));
    ASSERT_TRUE(OpenContext() && (OpenContext()->modeFlags & 3) == 0) << "store mode";
    for (const auto& row : {std::make_pair(L"", LRESULT(CPSUI_OK)), std::make_pair(L"365", LRESULT(CPSUI_CANCEL))}) {
        // The second OK commits a change of its own.
        if (row.first[0])
            EditDuplexUnit();
        seam->refused = row.first;
        SETRESULT_INFO set = {sizeof set, 0, nullptr, CPSUI_OK};
        info.Reason = PROPSHEETUI_REASON_SET_RESULT;
        EXPECT_EQ(1, DrvDocumentPropertySheets(&info, reinterpret_cast<LPARAM>(&set)));
        EXPECT_EQ(row.second, info.Result) << (row.first[0] ? "refused" : "stored");
    }
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    EXPECT_EQ(1, DrvDocumentPropertySheets(&info, 0));
    EXPECT_EQ(LRESULT(CPSUI_CANCEL), info.Result);
}

// The questions and notices of the user's own watermarks, counted: the question answered
// as the test says; the notice of a write that failed lets the writes through again, as
// a store that comes back would.
struct OwnWatermarksAnswers {
    static inline int answer = IDNO;
    static inline std::atomic<int> questions{0}, notices{0};
    static inline CountingServices* seam = nullptr;
    static int Answer(HWND, const wchar_t* text, const wchar_t*)
    {
        if (std::wstring(text ? text : L"").find(L"could not be saved") != std::wstring::npos) {
            if (seam)
                seam->refused.clear();
            return ++notices, IDOK;
        }
        return ++questions, answer;
    }
};

// The module's own document sheet of a user who keeps their own watermarks, OK pressed
// on the platform's common sheet: where their store does not read, every page names it
// and OK asks before replacing it, and the sheet answers OK, a no keeping the store's
// bytes. A write of the user's store that is refused is told, and the sheet stays open
// with its edits: the next OK writes them and closes it. A store that reads is written as
// before, nothing asked.
TEST_F(DeviceSheetWrites, TheDocumentSheetNamesTheUsersOwnStoreAndToldOfItsFailedWriteStaysOpen)
{
    InjectingDriverUI::injection.modulePages = true;
    const std::wstring resources = DmcStandin::Folder() + L"\\qzres32.dll";
    ASSERT_TRUE(TestPrinter::CopyIfDifferent(DmcStandin::ProgramFolder() + L"\\qzres32.dll", resources));
    const std::wstring line =
        L"Your own watermarks cannot be read. OK offers to replace them; your other settings are kept.";
    const struct {
        const char* what;
        bool damaged;
        bool refused;  // the first write of the user's store is refused
        int answer;
        int questions, notices;
        bool replaced;  // the user's store reads after the sheet; else it keeps its bytes
    } rows[] = {
        {"readable", false, false, IDNO, 0, 0, true},
        {"readable, the write refused", false, true, IDNO, 0, 1, true},
        {"damaged, no", true, false, IDNO, 1, 0, false},
        {"damaged, yes, the write refused", true, true, IDYES, 2, 1, true},
    };
    // A standard user, who keeps their own watermarks.
    seam = new StandardUser<CountingServices>;
    GDriverUIDeviceSheet::SetConfirmerForTesting(&OwnWatermarksAnswers::Answer);
    OwnWatermarksAnswers::seam = seam;
    int uuid = 0;
    for (const auto& row : rows) {
        FreshServer();
        const std::wstring key = FreshUserStore(L"sheet-" + std::to_wstring(++uuid));
        seam->refused = L"";
        InjectingDriverUI::injection.refuseFullAccess = false;
        InjectingDriverUI* ui = HoldObject();
        ASSERT_NE(nullptr, ui) << row.what;
        ASSERT_EQ(1, StoreEarlierUserWatermark(ui)) << row.what;
        if (row.damaged) {
            ASSERT_NO_FATAL_FAILURE(DamageUserKey(key)) << row.what;
        }
        const std::vector<uint8_t> userBefore = UserKeyValues(key);
        InjectingDriverUI::injection.refuseFullAccess = true;
        OwnWatermarksAnswers::answer = row.answer;
        OwnWatermarksAnswers::questions = 0;
        OwnWatermarksAnswers::notices = 0;
        seam->refused = row.refused ? L"???" : L"";

        std::atomic<bool> stop{false}, openAfterNotice{false};
        std::wstring shownLine = L"<none>";
        std::thread presser([&] {
            ShownSheet found = {GetCurrentProcessId(), nullptr};
            for (int i = 0; i < 600 && !stop && !found.window; ++i) {
                EnumWindows(&FindShownSheet, reinterpret_cast<LPARAM>(&found));
                if (!found.window)
                    Sleep(50);
            }
            if (!found.window)
                return;
            auto page = reinterpret_cast<HWND>(SendMessageW(found.window, PSM_GETCURRENTPAGEHWND, 0, 0));
            if (HWND text = page ? GetDlgItem(page, GPropertyPage::kStoringOffLine) : nullptr) {
                wchar_t shown[512] = {};
                GetWindowTextW(text, shown, 512);
                shownLine = shown;
            }
            PostMessageW(found.window, PSM_PRESSBUTTON, PSBTN_OK, 0);
            if (!row.refused)
                return;
            for (int i = 0; i < 600 && !stop && OwnWatermarksAnswers::notices == 0; ++i)
                Sleep(50);
            Sleep(200);
            found.window = nullptr;
            EnumWindows(&FindShownSheet, reinterpret_cast<LPARAM>(&found));
            openAfterNotice = found.window != nullptr;
            if (found.window)
                PostMessageW(found.window, PSM_PRESSBUTTON, PSBTN_OK, 0);
        });
        std::vector<uint8_t> output(1172, 0);
        const LONG answer = DrvDocumentProperties(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(output.data()),
                                                  nullptr, DM_PROMPT | DM_COPY);
        stop = true;
        presser.join();
        EXPECT_EQ(LONG(IDOK), answer) << row.what;
        EXPECT_EQ(row.damaged ? line : std::wstring(L"<none>"), shownLine) << row.what;
        EXPECT_EQ(row.questions, OwnWatermarksAnswers::questions.load()) << row.what;
        EXPECT_EQ(row.notices, OwnWatermarksAnswers::notices.load()) << row.what;
        EXPECT_EQ(row.refused, openAfterNotice.load()) << row.what << ": the sheet stayed open";
        if (!row.replaced) {
            EXPECT_EQ(userBefore, UserKeyValues(key)) << row.what << ": the user's store keeps its bytes";
        } else {
            InjectingDriverUI* after = HoldObject();
            ASSERT_NE(nullptr, after) << row.what;
            std::unique_ptr<GObjectBase> written(after->LoadObject(after->UserWatermarkValueName()));
            ASSERT_NE(nullptr, written) << row.what << ": the user's store reads";
            // The earlier watermark of a store that read, merged into the sheet, goes back.
            EXPECT_EQ(row.damaged ? 0u : 1u, written->Entries()) << row.what;
        }
        ReleaseHeld();
        RegDeleteTreeW(HKEY_CURRENT_USER, key.substr(0, key.rfind(L'\\')).c_str());
    }
    OwnWatermarksAnswers::seam = nullptr;
    InjectingDriverUI::injection.refuseFullAccess = false;
    FreshServer();
    DeleteFileW(resources.c_str());
}

} // namespace
