// The document sheet's road through the driver UI object: the mode flags of its UI
// context and the sheet reasons with a recording sheet callback.
#include "SheetFixture.h"
#include "../settings/PackedSettingsBytes.h"
#include "entry/driverui/GDriverUIDocumentSheet.h"
#include "model/ForEachMember.h"
#include "model/GFeatureIds.h"
#include "model/GStreamHolder.h"
#include "settings/devmode/GDriverDevMode.h"

#include "entry/module/DriverPlatform.h"
#include "printer/GOSFactory.h"

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(DocumentSheetModeFlags, FollowPermissionAdvancedDefaultsAndTheHost)
{
    const struct {
        uint32_t mode, major;
        int readOnly;
        bool loaded, explorer;
        uint32_t expected;
    } cases[] = {
        {DM_NOPERMISSION, 5, 0, false, false, 1 | 4 | 8},
        {DM_NOPERMISSION, 4, 0, false, false, 1},
        {DM_ADVANCED, 6, 1, true, true, 2},
        {DM_USER_DEFAULT, 6, 1, true, false, 4 | 8},
        {DM_USER_DEFAULT, 6, 0, true, false, 0},
        {0, 4, 0, true, true, 2},
        {0, 6, 0, true, false, 2},
        {0, 6, 0, true, true, 0},
        {0, 6, 1, true, true, 2 | 4 | 8},
        {0, 6, 1, false, false, 2 | 4 | 8},
        {0, 6, 0, false, false, 0},
        {0, 4, 1, false, false, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected,
                  GDriverUIDocumentSheet::DocumentModeFlags(c.mode, c.major, c.readOnly, c.loaded, c.explorer))
            << std::hex << c.mode << std::dec << ' ' << c.major << ' ' << c.readOnly << ' ' << c.loaded << ' '
            << c.explorer;
}

// A sheet's header and info over the test printer, with the recording sheet callback.
class DocumentSheet : public SheetFixture {
protected:
    void SetUp() override
    {
        SheetFixture::SetUp();
        name = printer.Name();
        header.cbSize = sizeof header;
        header.pszPrinterName = &name[0];
        info.cbSize = sizeof info;
        info.lParamInit = reinterpret_cast<LPARAM>(&header);
        info.hComPropSheet = reinterpret_cast<HANDLE>(0x55);
        info.pfnComPropSheet = reinterpret_cast<PFNCOMPROPSHEET>(&RecordingComPropSheet::Callback);
    }
    void TearDown() override
    {
        if (open)
            Reason(PROPSHEETUI_REASON_DESTROY);
        SheetFixture::TearDown();
    }
    LONG Reason(WORD reason, LPARAM parameter = 0)
    {
        info.Reason = reason;
        const LONG result = ui->DocumentPropertySheets(&info, parameter);
        open = reason == PROPSHEETUI_REASON_INIT ? true : reason == PROPSHEETUI_REASON_DESTROY ? false : open;
        return result;
    }
    LONG Init(DWORD mode)
    {
        header.fMode = mode;
        info.Result = 7;
        return Reason(PROPSHEETUI_REASON_INIT);
    }
    // The record every page added at INIT carries.
    GUIData* AddedData()
    {
        const auto added = Sheet().Of(1);
        if (added.empty())
            return nullptr;
        auto* entry = reinterpret_cast<QZPageEntry*>(added[0].first);
        return reinterpret_cast<PageLink*>(entry->lParam)->guiData;
    }
    LONG SetResult(LRESULT result)
    {
        SETRESULT_INFO set = {};
        set.cbSize = sizeof set;
        set.Result = result;
        return Reason(PROPSHEETUI_REASON_SET_RESULT, reinterpret_cast<LPARAM>(&set));
    }

    std::wstring name;
    DOCUMENTPROPERTYHEADER header = {};
    PROPSHEETUI_INFO info = {};
    bool open = false;
};

TEST_F(DocumentSheet, InitAddsTheModulesOwnPagesAndSetsResultZero)
{
    EXPECT_EQ(1, Init(DM_USER_DEFAULT)) << "the glue counts the pages it added negated: any is a sheet";
    EXPECT_EQ(0, info.Result);
    const auto added = Sheet().Of(1);
    ASSERT_GE(added.size(), 4u) << "Finishing, Effects, Paper and Basics at least";
    for (const auto& call : added)
        EXPECT_EQ(reinterpret_cast<HANDLE>(0x55), call.sheet);
    auto* first = reinterpret_cast<QZPageEntry*>(added[0].first);
    EXPECT_STREQ(L"Finishing", first->pszTitle);
    GUIData* data = AddedData();
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(3u, data->pageSet);
    // The printer's own plug-in list stays as its model gives it: the module's pages, then
    // the registered extensions' pages.
    GObjectBase* plugIns = GDriverObject::Feature<GAttributeComposite>(data->settings, 63);
    ASSERT_NE(nullptr, plugIns);
    EXPECT_EQ(2u, plugIns->Entries());
}

TEST_F(DocumentSheet, ModeFlagsFollowTheHeadersMode)
{
    // Flags 4 and 8 belong to systems of major version 5 and later; the classifier may
    // not know the version Wine reports, and then reads it as 0.
    uint32_t kind = 0, version = 0, build = 0;
    GOSFactory::Instance()->GetOSVersion(kind, version, build);
    const uint32_t newSystem = (version >> 16) >= 5 ? 4 | 8 : 0;
    const struct {
        DWORD mode;
        uint32_t flags;
    } cases[] = {{DM_NOPERMISSION, 1 | newSystem}, {DM_ADVANCED, 2}, {DM_NOPERMISSION | DM_ADVANCED, 1 | newSystem}};
    for (const auto& c : cases) {
        Sheet().Reset();
        ASSERT_EQ(1, Init(c.mode)) << std::hex << c.mode;
        ASSERT_NE(nullptr, AddedData());
        EXPECT_EQ(c.flags, AddedData()->modeFlags) << std::hex << c.mode;
        EXPECT_EQ(1, Reason(PROPSHEETUI_REASON_DESTROY));
    }
}

// The object goes from caller to caller: what an earlier sheet loaded decides nothing of
// the next one's mode.
TEST_F(DocumentSheet, ATreeAnEarlierSheetLoadedLeavesTheNextSheetsModeAlone)
{
    ASSERT_EQ(1, Init(0));
    ASSERT_NE(nullptr, AddedData());
    const uint32_t first = AddedData()->modeFlags;
    EXPECT_EQ(1, Reason(PROPSHEETUI_REASON_DESTROY));
    ASSERT_NE(nullptr, ui->GetCurrentSettings()) << "the first sheet loaded the tree";
    Sheet().Reset();
    ASSERT_EQ(1, Init(0));
    ASSERT_NE(nullptr, AddedData());
    EXPECT_EQ(first, AddedData()->modeFlags);
}

TEST_F(DocumentSheet, TheInfoHeaderNamesThePrinterAndAsksForDefaultsOnlyWhenTheModeDoes)
{
    for (const auto& c : {std::make_pair(DWORD(0), DWORD(6)), std::make_pair(DWORD(DM_USER_DEFAULT), DWORD(0x16))}) {
        header.fMode = c.first;
        PROPSHEETUI_INFO_HEADER title = {};
        title.cbSize = sizeof title;
        EXPECT_EQ(1, Reason(PROPSHEETUI_REASON_GET_INFO_HEADER, reinterpret_cast<LPARAM>(&title)));
        EXPECT_EQ(c.second, title.Flags);
        EXPECT_STREQ(name.c_str(), title.pTitle);
        EXPECT_EQ(0u, title.IconID);
    }
    EXPECT_EQ(0, Reason(PROPSHEETUI_REASON_GET_INFO_HEADER)) << "no info header";
}

TEST_F(DocumentSheet, TheOutputHoldsTheMergedInputFromInitOnAndTheCommittedSettingsAfterOk)
{
    std::vector<uint8_t> output(1172, 0xCC);
    header.pdmOut = reinterpret_cast<DEVMODEW*>(output.data());
    ASSERT_EQ(1, Init(DM_COPY));
    const DEVMODEW* devMode = header.pdmOut;
    EXPECT_EQ(220, devMode->dmSize);
    EXPECT_EQ(952, devMode->dmDriverExtra);
    EXPECT_TRUE(IsValidDevmodeW(header.pdmOut, output.size()));

    std::fill(output.begin(), output.end(), 0);
    EXPECT_EQ(1, SetResult(CPSUI_CANCEL));
    EXPECT_EQ(0, devMode->dmSize) << "a cancelled sheet writes nothing";
    EXPECT_EQ(1, SetResult(CPSUI_OK));
    EXPECT_EQ(220, devMode->dmSize);
    EXPECT_EQ(952, devMode->dmDriverExtra);
    EXPECT_TRUE(IsValidDevmodeW(header.pdmOut, output.size()));
}

TEST_F(DocumentSheet, WithoutACopyModeTheOutputIsLeftAlone)
{
    std::vector<uint8_t> output(1172, 0xCC);
    header.pdmOut = reinterpret_cast<DEVMODEW*>(output.data());
    ASSERT_EQ(1, Init(DM_USER_DEFAULT));
    EXPECT_EQ(1, SetResult(CPSUI_OK));
    EXPECT_EQ(std::vector<uint8_t>(1172, 0xCC), output);
}

// The printer data values that hold the stored device settings (the count "365", its
// chunks "365:N", its published copies "365@N" and the record that names them), read and
// written in the registry directly: the spooler cannot delete printer data under Wine.
// All are put back as they were when the object goes.
class StoredDeviceSettings {
public:
    explicit StoredDeviceSettings(const std::wstring& printerName)
        : key_(L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\" + printerName + L"\\PrinterDriverData")
    {
        original_ = Values();
    }
    ~StoredDeviceSettings() { Put(original_); }
    // The count and every chunk, by name.
    std::map<std::wstring, std::vector<uint8_t>> Values() const
    {
        std::map<std::wstring, std::vector<uint8_t>> values;
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return values;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            std::vector<uint8_t> bytes(1 << 16);
            DWORD length = 256, size = DWORD(bytes.size());
            if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, bytes.data(), &size) != ERROR_SUCCESS)
                break;
            const std::wstring text(name, length);
            if (text == L"365" || text.compare(0, 4, L"365:") == 0 || text.compare(0, 4, L"365@") == 0 ||
                text == L"StoresCommit")
                values[text].assign(bytes.begin(), bytes.begin() + size);
        }
        RegCloseKey(key);
        return values;
    }
    // Nothing of the store left: the printer holds no device settings.
    void Remove() const { Put({}); }

private:
    void Put(const std::map<std::wstring, std::vector<uint8_t>>& values) const
    {
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return;
        for (const auto& value : Values())
            RegDeleteValueW(key, value.first.c_str());
        for (const auto& value : values)
            RegSetValueExW(key, value.first.c_str(), 0, value.first == L"365" ? REG_DWORD : REG_BINARY,
                           value.second.data(), DWORD(value.second.size()));
        RegCloseKey(key);
    }

    std::wstring key_;
    std::map<std::wstring, std::vector<uint8_t>> original_;
};

TEST_F(DocumentSheet, ACommittedSheetStoresTheDeviceSettingsOnlyWhenItMayWrite)
{
    // The printer holds no device settings: a sheet that may write stores them at OK.
    StoredDeviceSettings stored(name);
    const struct {
        DWORD mode;
        bool stored;
    } cases[] = {{DM_ADVANCED, false}, {0, true}};
    for (const auto& c : cases) {
        stored.Remove();
        // A fresh object: no tree loaded yet, so mode 0 may write.
        Reason(PROPSHEETUI_REASON_DESTROY);
        ModuleLifetime::DriverServer()->Release(ticket);
        ticket = 0;
        ui->DestroyUIContext(record);
        record = nullptr;
        ModuleLifetime::Detach(false);
        ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
        ui = dynamic_cast<GDriverUI*>(
            ModuleLifetime::DriverServer()->Acquire(new PrinterIdentity(nullptr, name.c_str(), 1), ticket));
        ASSERT_NE(nullptr, ui);
        record = ui->CreateUIContext();
        ASSERT_EQ(1, Init(c.mode));
        ASSERT_NE(nullptr, AddedData());
        EXPECT_EQ(c.stored ? 0u : 2u, AddedData()->modeFlags & 3);
        EXPECT_EQ(1, SetResult(CPSUI_OK));
        EXPECT_EQ(c.stored, !stored.Values().empty()) << std::hex << c.mode;
        Sheet().Reset();
    }
}

// A DEVMODE of this driver whose private part carries the tree in the older native
// coding, with the current public part but for one more copy (so that it is merged).
std::vector<uint8_t> NativeDevMode(GDriverUI& ui, const GObjectBase& tree)
{
    std::vector<uint8_t> native(8192);
    GOutStreamHolder holder(native.data(), uint32_t(native.size()), 1);
    *holder.GetStream() << static_cast<const RWCollectable*>(&tree);
    holder.GetStream()->Flush();
    native.resize(size_t(holder.Tell()));
    const std::vector<uint8_t> packed = SettingsTest::Zlib(native);

    std::vector<uint8_t> bytes(GDevModeBase::kTotalSize, 0);
    auto* devMode = reinterpret_cast<DEVMODEW*>(bytes.data());
    EXPECT_TRUE(ui.GetDevModeObject() && ui.GetDevModeObject()->CopyOut(devMode));
    devMode->dmCopies = WORD(devMode->dmCopies + 1);
    EXPECT_LE(packed.size(), size_t(GDevModeBase::kPackedCapacity));
    bytes[GDevModeBase::kPackedLengthAt] = uint8_t(packed.size());
    bytes[GDevModeBase::kPackedLengthAt + 1] = uint8_t(packed.size() >> 8);
    std::copy(packed.begin(), packed.end(), bytes.begin() + GDevModeBase::kPackedAt);
    return bytes;
}

// The plug-in list is the printer's: a document's settings that name another module of
// the module's folder load nothing (the marker's attach would say so), and the sheet
// gets the configuration's list.
TEST_F(DocumentSheet, ADocumentsPlugInListLoadsNothing)
{
    SetEnvironmentVariableW(L"QZ_MARKER_LOADED", nullptr);
    ASSERT_TRUE(ui->MergeDevModeIntoSettings(nullptr));
    GAttributeComposite tree(360);
    auto* list = new GAttributeComposite(63);
    list->Add(new GStringAttribute("qzmarker.dll", 0));
    tree.Add(list);
    std::vector<uint8_t> devMode = NativeDevMode(*ui, tree);
    header.pdmIn = reinterpret_cast<DEVMODEW*>(devMode.data());
    const LONG result = Init(DM_MODIFY);
    EXPECT_EQ(0u, GetEnvironmentVariableW(L"QZ_MARKER_LOADED", nullptr, 0)) << "the marker was loaded";
    ASSERT_EQ(1, result);
    ASSERT_NE(nullptr, AddedData());
    GObjectBase* plugIns = GDriverObject::Feature<GAttributeComposite>(AddedData()->settings, 63);
    ASSERT_NE(nullptr, plugIns);
    EXPECT_EQ(2u, plugIns->Entries()) << "the module's pages and the extensions' pages";
}

// The members of the id at any depth, whatever their class.
size_t CountWithId(GObjectBase* holder, long id)
{
    size_t count = 0;
    ForEachMember(holder, [&](GObjectBase* member) { count += (member->GetId() == id) + CountWithId(member, id); });
    return count;
}

// Every member with the plug-in list's id goes from a document's settings: a leaf ahead
// of the lists must not hide them, and a list nested deeper goes too.
TEST_F(DocumentSheet, NoMemberWithThePlugInListsIdReachesTheSheetFromADocument)
{
    SetEnvironmentVariableW(L"QZ_MARKER_LOADED", nullptr);
    ASSERT_TRUE(ui->MergeDevModeIntoSettings(nullptr));
    GAttributeComposite tree(360);
    tree.Add(new GValueAttribute(1, 63));
    auto* job = new GAttributeComposite(FeatureId::kJobSettings);
    for (GObjectBase* holder : {static_cast<GObjectBase*>(job), static_cast<GObjectBase*>(&tree)}) {
        auto* list = new GAttributeComposite(63);
        list->Add(new GStringAttribute("qzmarker.dll", 0));
        holder->Add(list);
    }
    tree.Add(job);
    std::vector<uint8_t> devMode = NativeDevMode(*ui, tree);
    header.pdmIn = reinterpret_cast<DEVMODEW*>(devMode.data());
    ASSERT_EQ(1, Init(DM_MODIFY));
    EXPECT_EQ(0u, GetEnvironmentVariableW(L"QZ_MARKER_LOADED", nullptr, 0)) << "the marker was loaded";
    ASSERT_NE(nullptr, AddedData());
    EXPECT_EQ(1u, CountWithId(AddedData()->settings, 63)) << "the printer's list alone";
    GObjectBase* plugIns = GDriverObject::Feature<GAttributeComposite>(AddedData()->settings, 63);
    ASSERT_NE(nullptr, plugIns);
    EXPECT_EQ(2u, plugIns->Entries());
}

TEST_F(DocumentSheet, DestroyFreesTheSheetOnceAndOtherReasonsAnswerZero)
{
    ASSERT_EQ(1, Init(DM_USER_DEFAULT));
    EXPECT_EQ(1, Reason(PROPSHEETUI_REASON_DESTROY));
    EXPECT_EQ(1, Reason(PROPSHEETUI_REASON_DESTROY)) << "a second DESTROY finds nothing to free";
    EXPECT_EQ(1, SetResult(CPSUI_OK)) << "SET_RESULT after DESTROY commits nothing";
    EXPECT_EQ(0, Reason(PROPSHEETUI_REASON_GET_ICON));
    EXPECT_EQ(0, Reason(99));
    Sheet().Reset();
    EXPECT_EQ(1, Init(DM_USER_DEFAULT)) << "a new sheet on the same object";
    info.lParamInit = 0;
    EXPECT_EQ(-1, Reason(PROPSHEETUI_REASON_INIT)) << "no header";
}

}  // namespace
