// The printer's stores (365, 366, 368) through every road that writes them: a store the
// printer holds no value of is made from the factory's, one that is there but does not
// read is never written over, a document's own nodes of the stores' ids never reach
// them, one call reads each store once, and a later call reads them again only after the
// printer's data changed.
#include "PrinterDataFixture.h"

#include "ChildProcess.h"

#include "RecordingComPropSheet.h"
#include "entry/driverui/GDriverUIPrinterEvents.h"
#include "entry/driverui/GPrinterStores.h"
#include "entry/module/EntryPoints.h"
#include "model/ForEachMember.h"
#include "model/GState.h"
#include "printer/PrinterRecordScope.h"
#include "printer/GFormToTrayDatabase.h"
#include "printer/GPlatformCalls.h"
#include "printer/GWin32OSFactory.h"
#include "settings/devmode/GDriverDevMode.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <sddl.h>
#include <random>
#include <set>
#include <thread>

using namespace PrinterDataTest;

namespace {

const wchar_t* const kStores[] = {L"365", L"366", L"368"};

// The members of the id in the tree, at any depth.
int MembersOf(GObjectBase* tree, long id)
{
    int count = 0;
    ForEachMember(tree, [&](GObjectBase* member) {
        count += member->GetId() == id;
        if (member->IsKindOf(GAttributeComposite::kClassId))
            count += MembersOf(member, id);
    });
    return count;
}
using Stored = std::map<std::wstring, std::vector<uint8_t>>;

// The store a value of the printer's data belongs to: its chunked form's name, or its
// published copy's ("365@7").
std::wstring StoreOf(const RWWString& name)
{
    const std::wstring text(name.Data(), name.Length());
    return text.substr(0, text.find(L'@'));
}

// Every value of the printer's data with its bytes.
std::map<std::wstring, std::vector<uint8_t>> AllValues()
{
    std::map<std::wstring, std::vector<uint8_t>> all;
    for (const std::wstring& name : DataValueNames()) {
        DWORD type = 0;
        ReadValue(DataKey(), name.c_str(), type, all[name]);
    }
    return all;
}

// The values of the stores (their chunked forms and copies) and the record.
std::map<std::wstring, std::vector<uint8_t>> StoreValues()
{
    std::map<std::wstring, std::vector<uint8_t>> stores = AllValues();
    for (auto value = stores.begin(); value != stores.end();)
        value = value->first.rfind(L"36", 0) == 0 || value->first == GPrinterStores::kCommitRecord ? std::next(value)
                                                                                                  : stores.erase(value);
    return stores;
}

// The event a committing child sets once it has committed.
const wchar_t kChildCommitted[] = L"QZ test stores child committed";

// The number of the commit the record names; 0 without one.
uint32_t CommitNumber()
{
    DWORD type = 0;
    std::vector<uint8_t> bytes;
    uint32_t words[2] = {};
    if (!ReadValue(DataKey(), GPrinterStores::kCommitRecord, type, bytes) || type != REG_BINARY ||
        bytes.size() < sizeof words)
        return 0;
    std::memcpy(words, bytes.data(), sizeof words);
    return words[1];
}

// The module's services, counting the reads of each store and failing those of one, as a
// spooler that cannot answer would, and refusing the writes of one.
struct SeamServices : StandinServices {
    std::map<std::wstring, int> reads;
    std::wstring failing, failingWrite;
    bool keepNothing = false;
    uint64_t PrinterDataVersion(GDriverObject* driver) override
    {
        return keepNothing ? 0 : StandinServices::PrinterDataVersion(driver);
    }
    int SetPrinterDataBinary(GDriverObject* driver, const RWWString& name, const void* data,
                             uint32_t length) override
    {
        if (StoreOf(name) == failingWrite)
            return 0;
        return StandinServices::SetPrinterDataBinary(driver, name, data, length);
    }
    int SetPrinterDataWhole(GDriverObject* driver, const RWWString& name, const void* data, uint32_t length) override
    {
        if (StoreOf(name) == failingWrite)
            return 0;
        return StandinServices::SetPrinterDataWhole(driver, name, data, length);
    }
    void ReadChunkedValue(GDriverObject* driver, const RWWString& name, uint32_t bound, ChunkedValue& value,
                          bool afresh) override
    {
        ++reads[StoreOf(name)];
        if (StoreOf(name) == failing) {
            value = ChunkedValue();
            value.present = true;
            value.check = ChunkedValue::Check::kDamaged;
            return;
        }
        StandinServices::ReadChunkedValue(driver, name, bound, value, afresh);
    }
    StoredRead GetPrinterDataWhole(GDriverObject* driver, const RWWString& name, uint32_t bound,
                                   std::vector<uint8_t>& bytes, bool afresh) override
    {
        if (StoreOf(name) == failing)
            return bytes.clear(), StoredRead::kUnreadable;
        return StandinServices::GetPrinterDataWhole(driver, name, bound, bytes, afresh);
    }
};

// The module's services refusing one part of the first write of one store's value: its
// first chunk, its middle one (chunk count / 2; a value of one chunk has only its first)
// or its count.
struct RefusingServices : StandinServices {
    enum Step { kFirstChunk, kMiddleChunk, kCount };
    std::wstring store, refused;
    Step step = kFirstChunk;
    void Arm(const RWWString& name, uint32_t length)
    {
        if (!store.empty() && store == std::wstring(name.Data(), name.Length())) {
            const uint32_t chunks = length / kChunkSize + 1;
            refused = step == kCount ? store
                                     : store + L":" + std::to_wstring(step == kFirstChunk ? 0 : chunks / 2);
            store.clear();
        }
    }
    int SetPrinterDataBinary(GDriverObject* driver, const RWWString& name, const void* data,
                             uint32_t length) override
    {
        Arm(name, length);
        return StandinServices::SetPrinterDataBinary(driver, name, data, length);
    }
    int SetPrinterDataChunks(GDriverObject* driver, const RWWString& name, const void* data,
                             uint32_t length) override
    {
        Arm(name, length);
        return StandinServices::SetPrinterDataChunks(driver, name, data, length);
    }
    int WritePart(const ChunkTarget& target, const RWWString& name, uint32_t type, const void* data,
                  uint32_t length) override
    {
        if (!refused.empty() && refused == std::wstring(name.Data(), name.Length())) {
            refused.clear();
            return 0;
        }
        return StandinServices::WritePart(target, name, type, data, length);
    }
};

// The module's services refusing the write of the commit record, before it lands or
// after (its answer lost).
struct RecordRefusingServices : StandinServices {
    bool lands = false;
    int SetPrinterDataWhole(GDriverObject* driver, const RWWString& name, const void* data, uint32_t length) override
    {
        if (std::wstring(name.Data(), name.Length()) != GPrinterStores::kCommitRecord)
            return StandinServices::SetPrinterDataWhole(driver, name, data, length);
        if (lands)
            StandinServices::SetPrinterDataWhole(driver, name, data, length);
        return 0;
    }
};

class PrinterStores : public PrinterDataFixture {
protected:
    void SetUp() override
    {
        PrinterDataFixture::SetUp();
        TestPrinter::CopyIfDifferent(DmcStandin::ProgramFolder() + L"\\qzext.dll", DmcStandin::Folder() + L"\\qzext.dll");
        // Tray 3 installed and the duplex unit out, as the device sheet stores them.
        InjectingDriverUI* ui = HoldObject();
        ASSERT_NE(nullptr, ui);
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
        std::unique_ptr<GObjectBase> defaults(ui->CreateDefaultSettings());
        ui->StoreMissingNodes(defaults.get());
        std::unique_ptr<GObjectBase> device(ui->LoadSettingsTree(FeatureId::kDeviceSettings));
        ASSERT_NE(nullptr, device);
        GDriverObject::Feature<GStringAttribute>(device.get(), FeatureId::kOptionalSourcesModel)->SetString("Tray 3");
        GDriverObject::Feature<GValueAttribute>(device.get(), FeatureId::kDuplexUnit)->SetValue(0);
        ASSERT_EQ(1, ui->SaveSettingsTree(device.get()));
        ours = std::vector<uint8_t>(GDevModeBase::kTotalSize, 0);
        ASSERT_EQ(1, ui->GetDevModeObject()->CopyOut(reinterpret_cast<DEVMODEW*>(ours.data())));
        FreshServer();
        installed = Snapshot();
        for (const wchar_t* store : kStores)
            ASSERT_FALSE(installed[store].empty()) << store;
    }
    void TearDown() override
    {
        new StandinServices;
        PrinterDataFixture::TearDown();
    }
    Stored Snapshot()
    {
        Stored stored;
        for (const wchar_t* store : kStores)
            stored[store] = StoredBytes(store);
        return stored;
    }
    // The stores as SetUp left them, before a row of the test.
    void Reinstall()
    {
        FreshServer();
        for (const wchar_t* store : kStores)
            DeleteStored(store);
        DeleteValue(GPrinterStores::kCommitRecord);
        for (const auto& store : installed)
            WriteStore(store.first, store.second);
    }
    // The bytes in chunks and their count, as an older version keeps them, and no record
    // naming a copy of the stores: the chunks are all the printer holds of them.
    static void WriteStore(const std::wstring& store, const std::vector<uint8_t>& bytes)
    {
        WriteStoreChunks(store, bytes);
    }
    std::vector<WORD> Bins()
    {
        std::vector<WORD> bins(16, 0);
        const DWORD count =
            DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_BINS, reinterpret_cast<LPWSTR>(bins.data()), nullptr);
        bins.resize(count == DWORD(GDI_ERROR) ? 0 : std::min<DWORD>(count, 16));
        return bins;
    }
    DWORD TwoSided() { return DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_DUPLEX, nullptr, nullptr); }

    // The device sheet: INIT, then OK and DESTROY; what the sheet reported goes out.
    void DeviceSheetOk(LRESULT* reported = nullptr, uint32_t* modeFlags = nullptr, WORD headerFlags = 0)
    {
        DEVICEPROPERTYHEADER header = {sizeof header, headerFlags, handle, &name[0]};
        PROPSHEETUI_INFO info = SheetInfo(&header);
        info.Reason = PROPSHEETUI_REASON_INIT;
        ASSERT_EQ(1, DrvDevicePropertySheets(&info, 0));
        if (modeFlags) {
            auto* ui = dynamic_cast<GDriverUI*>(reinterpret_cast<GDriverUIOperations*>(info.UserData));
            ASSERT_TRUE(ui && ui->SheetContext());
            *modeFlags = ui->SheetContext()->modeFlags;
        }
        SETRESULT_INFO set = {sizeof set, 0, nullptr, CPSUI_OK};
        info.Reason = PROPSHEETUI_REASON_SET_RESULT;
        DrvDevicePropertySheets(&info, reinterpret_cast<LPARAM>(&set));
        if (reported)
            *reported = info.Result;
        info.Reason = PROPSHEETUI_REASON_DESTROY;
        DrvDevicePropertySheets(&info, 0);
    }
    // The document sheet over the DEVMODE in store mode; the orientation its settings show
    // goes out. OK when ok, else it is only opened and closed. With choose, the user
    // chooses the orientation before OK; the DEVMODE handed back and the answer to OK go
    // out.
    void DocumentSheet(std::vector<uint8_t> devMode, bool ok, int32_t* shownOrientation = nullptr,
                       int choose = -1, std::vector<uint8_t>* handedBack = nullptr, LONG* answer = nullptr)
    {
        std::vector<uint8_t> output(GDevModeBase::kTotalSize, 0);
        DOCUMENTPROPERTYHEADER header = {sizeof header, 0, handle, &name[0],
                                         reinterpret_cast<DEVMODEW*>(devMode.data()),
                                         reinterpret_cast<DEVMODEW*>(output.data()), DWORD(output.size()),
                                         DM_MODIFY | DM_COPY};
        PROPSHEETUI_INFO info = SheetInfo(&header);
        info.Reason = PROPSHEETUI_REASON_INIT;
        DrvDocumentPropertySheets(&info, 0);
        auto* ui = dynamic_cast<GDriverUI*>(reinterpret_cast<GDriverUIOperations*>(info.UserData));
        ASSERT_NE(nullptr, ui);
        ASSERT_NE(nullptr, ui->SheetContext());
        EXPECT_EQ(0u, ui->SheetContext()->modeFlags & 3) << "store mode";
        if (shownOrientation)
            *shownOrientation = GDriverObject::NumberOr(ui->SheetContext()->settings, FeatureId::kOrientationDegrees, -1);
        if (choose >= 0) {
            auto* orientation =
                GDriverObject::Feature<GValueAttribute>(ui->SheetContext()->settings, FeatureId::kOrientationDegrees);
            ASSERT_NE(nullptr, orientation);
            orientation->SetValue(uint16_t(choose));
        }
        SETRESULT_INFO set = {sizeof set, 0, nullptr, ok ? CPSUI_OK : CPSUI_CANCEL};
        info.Reason = PROPSHEETUI_REASON_SET_RESULT;
        const LONG answered = DrvDocumentPropertySheets(&info, reinterpret_cast<LPARAM>(&set));
        if (answer)
            *answer = answered;
        if (handedBack)
            *handedBack = output;
        info.Reason = PROPSHEETUI_REASON_DESTROY;
        DrvDocumentPropertySheets(&info, 0);
    }
    PROPSHEETUI_INFO SheetInfo(void* header)
    {
        RecordingComPropSheet::Current().Reset();
        PROPSHEETUI_INFO info = {};
        info.cbSize = sizeof info;
        info.hComPropSheet = reinterpret_cast<HANDLE>(0x77);
        info.pfnComPropSheet = reinterpret_cast<decltype(info.pfnComPropSheet)>(&RecordingComPropSheet::Callback);
        info.lParamInit = reinterpret_cast<LPARAM>(header);
        return info;
    }
    uint32_t Register()
    {
        const std::string narrow(name.begin(), name.end());
        return QZDrv_RegisterExtension(narrow.c_str(), 0, "qzext.dll", 0);
    }
    // The stores as SetUp left them, then each of the two states a committing child
    // alternates between committed in turn and read back by a fresh object (three: by
    // kIds' order); ui then holds the last.
    void CommitBothStates(InjectingDriverUI*& ui, std::unique_ptr<GObjectBase> (&states)[2],
                          std::vector<std::vector<uint8_t>> (&three)[2]);
    std::vector<uint8_t> ours;
    Stored installed;
};

// Each road that commits, with stores deleted: the deleted ones are made from the
// factory's, the others keep their bytes, and the installed options hold.
TEST_F(PrinterStores, AMissingStoreIsMadeAndTheOthersKeepTheirBytesOnEveryRoad)
{
    std::vector<uint8_t> landscape = ours;
    reinterpret_cast<DEVMODEW*>(landscape.data())->dmOrientation = DMORIENT_LANDSCAPE;
    const struct {
        const char* road;
        std::function<void()> run;
        const wchar_t* changes;  // the store the road itself changes
    } roads[] = {
        {"the device sheet", [&] { DeviceSheetOk(); }, nullptr},
        {"printer initialisation", [&] { EXPECT_TRUE(DrvPrinterEvent(&name[0], PRINTER_EVENT_INITIALIZE, 0, 0)); },
         nullptr},
        {"the document sheet",
         [&] {
             int32_t shown = -1;
             DocumentSheet(landscape, true, &shown);
             EXPECT_EQ(90, shown) << "the document's own orientation";
         },
         nullptr},
        {"registering an extension", [&] { EXPECT_EQ(0u, Register()); }, L"368"},
    };
    const std::vector<std::vector<const wchar_t*>> deletions = {{L"368"}, {L"366"}, {L"366", L"368"}};
    for (const auto& road : roads)
        for (const auto& deleted : deletions) {
            Reinstall();
            for (const wchar_t* store : deleted)
                DeleteStored(store);
            const std::string row = std::string(road.road) + ", " + std::to_string(deleted.size()) + " deleted from " +
                                    std::string(deleted[0], deleted[0] + 3);
            road.run();
            const Stored after = Snapshot();
            for (const wchar_t* store : kStores) {
                const bool wasDeleted = std::find(deleted.begin(), deleted.end(), std::wstring(store)) != deleted.end();
                if (wasDeleted) {
                    EXPECT_FALSE(after.at(store).empty()) << row << ": " << store << " made";
                } else if (!road.changes || std::wstring(store) != road.changes) {
                    EXPECT_EQ(installed[store], after.at(store)) << row << ": " << store << " kept";
                }
            }
            EXPECT_EQ((std::vector<WORD>{257, 258, 259}), Bins()) << row;
            EXPECT_EQ(0u, TwoSided()) << row;
        }
}

// A store that is there but does not read, damaged or by a failed read: no road writes
// over it, and a commit that would store fails.
TEST_F(PrinterStores, AStoreThatDoesNotReadIsNeverWrittenOverAndTheCommitFails)
{
    std::vector<uint8_t> damaged = installed[L"366"];
    damaged[damaged.size() / 2] ^= 0x5A;
    damaged.resize(damaged.size() - 3);
    const struct {
        const char* what;
        bool atTheSeam;
    } rows[] = {{"damaged bytes", false}, {"a failed read", true}};
    for (const auto& row : rows) {
        Reinstall();
        if (!row.atTheSeam)
            WriteStore(L"366", damaged);
        auto* seam = new SeamServices;
        seam->failing = row.atTheSeam ? L"366" : L"";
        const Stored before = Snapshot();

        DeviceSheetOk();
        EXPECT_EQ(before, Snapshot()) << row.what << ", the device sheet";
        EXPECT_EQ(1u, Register()) << row.what << ": a registration that was not stored failed";
        EXPECT_EQ(before, Snapshot()) << row.what << ", registering";
        EXPECT_FALSE(DrvPrinterEvent(&name[0], PRINTER_EVENT_INITIALIZE, 0, 0)) << row.what;
        EXPECT_EQ(before, Snapshot()) << row.what << ", initialising";

        InjectingDriverUI* ui = HoldObject();
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
        // The factory's node stands in for it, in a sheet's settings as in those that
        // only answer, and is never stored.
        std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
        ASSERT_NE(nullptr, tree);
        EXPECT_NE(nullptr, tree->FindById(FeatureId::kPrinterLists)) << row.what << ": the factory's answers";
        EXPECT_NE(nullptr, tree->FindById(FeatureId::kDeviceSettings)) << row.what << ": the others are there";
        EXPECT_EQ(0, ui->CommitSettings(tree.get(), 1)) << row.what;
        EXPECT_EQ(1, ui->CommitSettings(tree.get(), 0)) << row.what << ": packing alone stores nothing";
        EXPECT_EQ(before, Snapshot()) << row.what;
        new StandinServices;
    }
}

// Nodes of the stores' ids in a document's settings, one nested deeper and one at the
// top, of any class, are not the printer's: the settings a sheet edits hold only the
// stores' own, and a commit in store mode keeps the stores' bytes.
TEST_F(PrinterStores, ADocumentsNodesOfTheStoresIdsNeverReachTheStores)
{
    const struct {
        const char* what;
        std::function<GObjectBase*()> nested, top;
    } rows[] = {
        {"a state of id 365", [] { return new GState(FeatureId::kDeviceSettings); },
         [] { return new GState(FeatureId::kDeviceSettings); }},
        {"a composite and a leaf of id 365", [] { return new GAttributeComposite(FeatureId::kDeviceSettings); },
         [] { return new GValueAttribute(1, FeatureId::kDeviceSettings); }},
        {"an empty 366 and a leaf of id 366", [] { return new GAttributeComposite(FeatureId::kPrinterLists); },
         [] { return new GValueAttribute(1, FeatureId::kPrinterLists); }},
        {"an empty 368", [] { return new GAttributeComposite(FeatureId::kExtensionData); },
         [] { return new GAttributeComposite(FeatureId::kExtensionData); }},
    };
    for (const auto& row : rows) {
        Reinstall();
        InjectingDriverUI* ui = HoldObject();
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(reinterpret_cast<DEVMODEW*>(ours.data()))) << row.what;
        GObjectBase* document = ui->GetCurrentSettings();
        auto* outer = new GAttributeComposite(901);
        outer->Add(row.nested());
        document->Prepend(outer);
        document->Add(row.top());
        std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
        ASSERT_NE(nullptr, tree) << row.what;
        // The reader itself over settings holding both of the document's nodes: one member
        // of each id is left, at any depth, the store's own.
        GAttributeComposite settings(FeatureId::kDefaultTreeRoot);
        auto* holder = new GAttributeComposite(901);
        holder->Add(row.nested());
        settings.Add(holder);
        settings.Add(row.top());
        GPrinterStores stores(*ui);
        stores.PutInto(&settings, nullptr);
        for (long id : {FeatureId::kDeviceSettings, FeatureId::kPrinterLists, FeatureId::kExtensionData}) {
            EXPECT_EQ(1, MembersOf(tree.get(), id)) << row.what << ": " << id;
            EXPECT_EQ(1, MembersOf(&settings, id)) << row.what << ": " << id;
        }
        EXPECT_EQ(1, ui->CommitSettings(tree.get(), 1)) << row.what;
        EXPECT_EQ(installed, Snapshot()) << row.what;
    }
}

// Settings that do not pack store nothing, whatever their stores hold.
TEST_F(PrinterStores, APackThatFailsStoresNothing)
{
    InjectingDriverUI* ui = HoldObject();
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
    ASSERT_NE(nullptr, tree);
    GDriverObject::Feature<GValueAttribute>(tree.get(), FeatureId::kDuplexUnit)->SetValue(1);
    std::string noise(4096, ' ');
    std::mt19937 random(7);
    for (char& c : noise)
        c = char('!' + random() % 90);
    tree->Add(new GStringAttribute(noise.c_str(), 902));
    EXPECT_EQ(0, ui->CommitSettings(tree.get(), 1));
    EXPECT_EQ(installed, Snapshot());
}

// The size query, a merge and DC_PAPERNAMES through the exports on a printer handle.
struct ExportCalls {
    std::wstring name;
    std::vector<uint8_t> input, output = std::vector<uint8_t>(GDevModeBase::kTotalSize, 0);
    std::vector<wchar_t> names = std::vector<wchar_t>(64 * 64);

    bool SizeQuery(HANDLE printer)
    {
        DOCUMENTPROPERTYHEADER size = {sizeof size, 0, printer, &name[0], nullptr, nullptr, 0, 0};
        return DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&size)) > 0;
    }
    bool Merge(HANDLE printer)
    {
        DOCUMENTPROPERTYHEADER merge = {sizeof merge,
                                        0,
                                        printer,
                                        &name[0],
                                        reinterpret_cast<DEVMODEW*>(input.data()),
                                        reinterpret_cast<DEVMODEW*>(output.data()),
                                        DWORD(output.size()),
                                        DM_IN_BUFFER | DM_OUT_BUFFER};
        return DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&merge)) > 0;
    }
    bool PaperNames(HANDLE printer)
    {
        const DWORD count = DrvDeviceCapabilities(printer, &name[0], DC_PAPERNAMES, names.data(), nullptr);
        return count != DWORD(GDI_ERROR) && count > 0;
    }
};

// The calls of a new application's round, each made by its member.
const struct {
    const char* call;
    bool (ExportCalls::*run)(HANDLE);
} kExportCalls[] = {{"the size query", &ExportCalls::SizeQuery},
                    {"a merge", &ExportCalls::Merge},
                    {"the paper names", &ExportCalls::PaperNames}};

// One entry call reads each store at most once.
TEST_F(PrinterStores, OneCallReadsEachStoreAtMostOnce)
{
    auto* seam = new SeamServices;
    ExportCalls exports{name, ours};
    reinterpret_cast<DEVMODEW*>(exports.input.data())->dmCopies = 2;
    for (const auto& call : kExportCalls) {
        FreshServer();
        seam->reads.clear();
        EXPECT_TRUE((exports.*call.run)(handle)) << call.call;
        for (const wchar_t* store : kStores)
            EXPECT_GE(1, seam->reads[store]) << call.call << ": " << std::string(store, store + 3);
    }
}

// After a first call, the same call opens no file: neither on the object the first call
// left nor on a new object for a new handle (a new application's).
TEST_F(PrinterStores, AWarmCallOpensNoFile)
{
    ExportCalls exports{name, ours};
    for (const auto& call : kExportCalls) {
        for (bool newHandle : {false, true}) {
            FreshServer();
            ASSERT_TRUE((exports.*call.run)(handle)) << call.call;
            HANDLE fresh = nullptr;
            ASSERT_TRUE(!newHandle || OpenPrinterW(&name[0], &fresh, nullptr));
            const GPlatformCalls::Totals before = GPlatformCalls::Now();
            EXPECT_TRUE((exports.*call.run)(newHandle ? fresh : handle)) << call.call;
            const GPlatformCalls::Totals made = GPlatformCalls::Now().Since(before);
            EXPECT_EQ(0u, made[GPlatformCalls::kFileOpen]) << call.call << (newHandle ? ", a new handle" : "");
            EXPECT_EQ(0u, made[GPlatformCalls::kFolderMade]) << call.call;
            if (fresh)
                ClosePrinter(fresh);
        }
    }
}

// A later call takes the stores as the earlier one read them, until the printer's data is
// written: by anyone through the spooler, or by the module's own services.
TEST_F(PrinterStores, AWriteToThePrinterDataMakesTheNextCallReadTheStoresAgain)
{
    SettledClock settled;
    auto* seam = new SeamServices;
    ExportCalls exports{name, ours};
    GDriverObject* held = HoldObject();
    ASSERT_NE(nullptr, held);
    DWORD mark = 0;
    const struct {
        const char* write;
        std::function<bool()> run;
        bool readAgain;
    } rows[] = {
        {"no write", [] { return true; }, false},
        {"a value through the spooler",
         [&] {
             ++mark;
             return SetPrinterDataW(handle, const_cast<wchar_t*>(L"QzWarmMark"), REG_DWORD,
                                    reinterpret_cast<BYTE*>(&mark), sizeof mark) == ERROR_SUCCESS;
         },
         true},
        {"no write again", [] { return true; }, false},
        {"a value through the services", [&] { return seam->SetPrinterDataDword(held, L"QzWarmMark", ++mark) == 1; },
         true},
        {"a value deleted through the services",
         [&] { return seam->DeletePrinterDriverDataValue(held, L"QzWarmMark") == 1; }, true},
    };
    ASSERT_TRUE(exports.Merge(handle));
    for (const auto& row : rows) {
        ASSERT_TRUE(row.run()) << row.write;
        seam->reads.clear();
        ASSERT_TRUE(exports.Merge(handle)) << row.write;
        for (const wchar_t* store : kStores)
            EXPECT_EQ(row.readAgain, seam->reads[store] > 0) << row.write << ": " << std::string(store, store + 3);
    }
}

// What a store read in one call is worth in the rest of the call and in the next: each
// rule of the printer's snapshot is a row, counted in reads of 365.
TEST_F(PrinterStores, AStoreIsReadAgainWheneverThePrintersDataMayHaveChanged)
{
    static uint64_t clock = 0;
    auto* seam = new SeamServices;
    GDriverObject* held = HoldObject();
    ASSERT_NE(nullptr, held);
    // The key's write time: a clock standing there finds every stamp too new.
    auto keyWritten = [&] {
        HKEY key = nullptr;
        FILETIME written = {};
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DataKey().c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, &written);
            RegCloseKey(key);
        }
        return (uint64_t(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    };
    const struct {
        const char* rule;
        bool secondCall;       // the second read in a call of its own
        bool writeBetween;     // 365 written again through the services between the reads
        bool keepNothing;      // services that keep nothing of the printer's data
        bool tooNew;           // the clock within two ticks of the last write
        int reads;
    } rows[] = {
        {"the same call", false, false, false, false, 1},
        {"the same call, a write through the services", false, true, false, false, 2},
        {"the next call", true, false, false, false, 1},
        {"the next call, a write through the services", true, true, false, false, 2},
        {"the next call, services that keep nothing", true, false, true, false, 2},
        {"the next call, the printer's data too new to tell", true, false, false, true, 2},
    };
    for (const auto& row : rows) {
        clock = row.tooNew ? keyWritten() : uint64_t(1) << 62;
        const ScopedClock<GPrinterDataCache::SetClockForTesting> testClock([] { return clock; });
        seam->keepNothing = row.keepNothing;
        GPrinterStores stores(*held);
        seam->reads.clear();
        {
            std::unique_ptr<PrinterRecordScope> call(new PrinterRecordScope);
            EXPECT_EQ(GPrinterStores::State::kRead, stores.StateOf(FeatureId::kDeviceSettings)) << row.rule;
            if (row.writeBetween) {
                // Other bytes than the store holds: the factory's node and the installed one
                // by turns.
                std::unique_ptr<GObjectBase> defaults(dynamic_cast<GDriverUI*>(held)->CreateDefaultSettings());
                const bool factory = StoredBytes(L"365") == installed[L"365"];
                ASSERT_EQ(1, factory ? seam->SaveObjectToPrinterData(held, L"365",
                                                                     defaults->FindById(FeatureId::kDeviceSettings))
                                     : seam->SetPrinterDataBinary(held, L"365", installed[L"365"].data(),
                                                                  uint32_t(installed[L"365"].size())));
            }
            if (row.secondCall) {
                call.reset();
                call.reset(new PrinterRecordScope);
            }
            EXPECT_EQ(GPrinterStores::State::kRead, stores.StateOf(FeatureId::kDeviceSettings)) << row.rule;
        }
        EXPECT_EQ(row.reads, seam->reads[L"365"]) << row.rule;
    }
}

// An application that stays open holds its DEVMODE while another process installs Tray 3
// and takes the duplex unit out: its next calls with the same DEVMODE answer as a fresh
// process does. With no change between two calls the held DEVMODE object serves as it is.
TEST_F(PrinterStores, AnotherProcessesChangeReachesTheHeldDevModesNextCall)
{
    SettledClock settled;
    ExportCalls exports{name, ours};
    // The factory's device settings: no Tray 3, the duplex unit in.
    {
        InjectingDriverUI* ui = HoldObject();
        ASSERT_NE(nullptr, ui);
        std::unique_ptr<GObjectBase> defaults(ui->CreateDefaultSettings());
        ASSERT_EQ(1, ui->SaveSettingsTree(defaults->FindById(FeatureId::kDeviceSettings)));
    }
    FreshServer();
    // The application's DEVMODE asks for both sides.
    ASSERT_TRUE(exports.Merge(handle));
    exports.input = exports.output;
    auto* asked = reinterpret_cast<DEVMODEW*>(exports.input.data());
    asked->dmDuplex = DMDUP_VERTICAL;
    asked->dmFields |= DM_DUPLEX;
    // From now on the application hands in what the module handed back.
    ASSERT_TRUE(exports.Merge(handle));
    exports.input = exports.output;
    struct Answer {
        std::vector<WORD> bins;
        DWORD twoSided;
        short duplex;
        bool operator==(const Answer& other) const
        {
            return bins == other.bins && twoSided == other.twoSided && duplex == other.duplex;
        }
    };
    auto answer = [&] {
        Answer got;
        got.bins.assign(16, 0);
        const DWORD count = DrvDeviceCapabilities(handle, &name[0], DC_BINS, reinterpret_cast<LPWSTR>(got.bins.data()),
                                                  reinterpret_cast<DEVMODEW*>(exports.input.data()));
        got.bins.resize(count <= 16 ? count : 0);
        got.twoSided = DrvDeviceCapabilities(handle, &name[0], DC_DUPLEX, nullptr,
                                             reinterpret_cast<DEVMODEW*>(exports.input.data()));
        EXPECT_TRUE(exports.Merge(handle));
        const auto* merged = reinterpret_cast<const DEVMODEW*>(exports.output.data());
        got.duplex = (merged->dmFields & DM_DUPLEX) ? merged->dmDuplex : 0;
        return got;
    };
    // The state word of the object the calls reach, set to 0 before a call: a renewed
    // DEVMODE object marks everything stale in it.
    auto stateWord = [&](int32_t set) {
        uint32_t ticket = 0;
        auto* ui = dynamic_cast<GDriverUI*>(
            ModuleLifetime::DriverServer()->Acquire(new PrinterIdentity(handle, name.c_str(), 0), ticket));
        const int32_t state = ui ? ui->GetStateWord() : 99;
        if (ui)
            ui->SetStateWord(set);
        ModuleLifetime::DriverServer()->Release(ticket);
        return state;
    };
    const Answer before = answer();
    EXPECT_EQ(DMDUP_VERTICAL, before.duplex);
    EXPECT_EQ(1u, before.twoSided);
    stateWord(0);
    EXPECT_EQ(before, answer()) << "no change";
    EXPECT_EQ(0, stateWord(0)) << "no change renews nothing";

    // Another process writes the installed options.
    WriteStore(L"365", installed[L"365"]);
    const Answer after = answer();
    EXPECT_NE(0, stateWord(0)) << "renewed";
    FreshServer();
    const Answer fresh = answer();
    EXPECT_EQ(fresh, after);
    EXPECT_EQ(0u, after.twoSided);
    EXPECT_NE(DMDUP_VERTICAL, after.duplex);
    EXPECT_EQ(before.bins.size() + 1, after.bins.size()) << "Tray 3";
}

// The module's services with one form more than the spooler holds once the test adds it,
// the forms' version moving with it.
struct FormAddingServices : StandinServices {
    bool added = false;
    uint64_t FormsVersion() override { return added ? 2 : 1; }
    FORM_INFO_1W* ReadForms(void* printer, uint32_t& count) override
    {
        FORM_INFO_1W* spooler = StandinServices::ReadForms(printer, count);
        if (!added)
            return spooler;
        std::vector<FORM_INFO_1W> forms(spooler, spooler + count);
        forms.push_back({FORM_USER, const_cast<wchar_t*>(L"Added Form"), {148000, 210000}, {0, 0, 148000, 210000}});
        // One block: the records, then their names.
        size_t size = forms.size() * sizeof(FORM_INFO_1W);
        for (const FORM_INFO_1W& form : forms)
            size += (std::wcslen(form.pName ? form.pName : L"") + 1) * sizeof(wchar_t);
        uint8_t* block = new uint8_t[size];
        auto* out = reinterpret_cast<FORM_INFO_1W*>(block);
        auto* text = reinterpret_cast<wchar_t*>(block + forms.size() * sizeof(FORM_INFO_1W));
        for (size_t i = 0; i < forms.size(); ++i) {
            out[i] = forms[i];
            out[i].pName = std::wcscpy(text, forms[i].pName ? forms[i].pName : L"");
            text += std::wcslen(text) + 1;
        }
        delete[] reinterpret_cast<uint8_t*>(spooler);
        count = uint32_t(forms.size());
        return out;
    }
};

// A form an administrator adds reaches an application that keeps handing in the DEVMODE
// the module handed back: its next DC_PAPERS lists it.
TEST_F(PrinterStores, AFormAddedReachesTheHeldDevModesNextPaperList)
{
    SettledClock settled;
    auto* services = new FormAddingServices;  // replaces the suite's services until TearDown
    ExportCalls exports{name, ours};
    ASSERT_TRUE(exports.Merge(handle));
    exports.input = exports.output;
    auto papers = [&] {
        std::vector<WORD> codes(1024);
        const DWORD count = DrvDeviceCapabilities(handle, &name[0], DC_PAPERS, reinterpret_cast<LPWSTR>(codes.data()),
                                                  reinterpret_cast<DEVMODEW*>(exports.input.data()));
        codes.resize(count <= codes.size() ? count : 0);
        return codes;
    };
    const std::vector<WORD> before = papers();
    services->added = true;
    const std::vector<WORD> after = papers();
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(before.size() + 1, after.size());
}

// A spare that one handle released gives another handle only its model: the document
// sheet through the other handle opens as on a fresh object, with the same mode and the
// same DEVMODE handed back.
TEST_F(PrinterStores, ASpareThroughAnotherHandleOpensItsSheetAsAFreshObject)
{
    HANDLE plain = nullptr;
    ASSERT_TRUE(OpenPrinterW(&name[0], &plain, nullptr));
    struct Sheet {
        uint32_t modeFlags = 0;
        std::vector<uint8_t> handedBack;
    };
    auto sheetThrough = [&](HANDLE printer) {
        Sheet sheet;
        std::vector<uint8_t> input = ours;
        sheet.handedBack.assign(GDevModeBase::kTotalSize, 0);
        DOCUMENTPROPERTYHEADER header = {sizeof header, 0, printer, &name[0],
                                         reinterpret_cast<DEVMODEW*>(input.data()),
                                         reinterpret_cast<DEVMODEW*>(sheet.handedBack.data()),
                                         DWORD(sheet.handedBack.size()), DM_MODIFY | DM_COPY};
        PROPSHEETUI_INFO info = SheetInfo(&header);
        info.Reason = PROPSHEETUI_REASON_INIT;
        DrvDocumentPropertySheets(&info, 0);
        auto* ui = dynamic_cast<GDriverUI*>(reinterpret_cast<GDriverUIOperations*>(info.UserData));
        EXPECT_TRUE(ui && ui->SheetContext());
        if (ui && ui->SheetContext())
            sheet.modeFlags = ui->SheetContext()->modeFlags;
        info.Reason = PROPSHEETUI_REASON_DESTROY;
        DrvDocumentPropertySheets(&info, 0);
        return sheet;
    };
    ExportCalls exports{name, ours};
    for (HANDLE first : {handle, plain}) {
        HANDLE second = first == handle ? plain : handle;
        FreshServer();
        const Sheet fresh = sheetThrough(second);
        FreshServer();
        exports.Merge(first);
        sheetThrough(first);
        const Sheet afterSpare = sheetThrough(second);
        EXPECT_EQ(fresh.modeFlags, afterSpare.modeFlags) << (first == handle ? "all access first" : "use first");
        EXPECT_EQ(fresh.handedBack, afterSpare.handedBack) << (first == handle ? "all access first" : "use first");
    }
    ClosePrinter(plain);
}

} // namespace

namespace {

// A store damaged or holding a node of another class: the device sheet opens with
// storing off, reports cancel for OK and keeps every store byte for byte; the document
// sheet in store mode hands back the user's landscape; registration and initialisation
// still fail.
TEST_F(PrinterStores, ASheetOnAStoreThatDoesNotReadOpensWithStoringOffAndKeepsEveryByte)
{
    GValueAttribute otherClass(1, FeatureId::kPrinterLists);
    const struct {
        const wchar_t* store;
        bool anotherClass;
    } rows[] = {{L"365", false}, {L"366", false}, {L"368", false}, {L"366", true}};
    std::vector<uint8_t> portrait = ours;
    reinterpret_cast<DEVMODEW*>(portrait.data())->dmOrientation = DMORIENT_PORTRAIT;
    for (const auto& row : rows) {
        const std::string what = std::string(row.store, row.store + 3) + (row.anotherClass ? ", another class" : "");
        Reinstall();
        if (row.anotherClass) {
            ASSERT_EQ(1, HoldObject()->SaveObject(row.store, &otherClass)) << what;
            FreshServer();
        } else {
            std::vector<uint8_t> damaged = installed[row.store];
            damaged[damaged.size() / 2] ^= 0x5A;
            damaged.resize(damaged.size() - 3);
            WriteStore(row.store, damaged);
        }
        const Stored before = Snapshot();

        LRESULT reported = -1;
        uint32_t modeFlags = 0;
        DeviceSheetOk(&reported, &modeFlags);
        EXPECT_NE(0u, modeFlags & kModeStoringOff) << what;
        EXPECT_EQ(LRESULT(CPSUI_CANCEL), reported) << what << ": OK saved nothing";
        EXPECT_EQ(before, Snapshot()) << what << ", the device sheet";

        // A new object: one that has shown settings opens its document sheet read-only.
        FreshServer();
        std::vector<uint8_t> handedBack;
        LONG answer = 0;
        DocumentSheet(portrait, true, nullptr, 90, &handedBack, &answer);
        ASSERT_EQ(GDevModeBase::kTotalSize, handedBack.size()) << what;
        EXPECT_EQ(DMORIENT_LANDSCAPE, reinterpret_cast<DEVMODEW*>(handedBack.data())->dmOrientation) << what;
        EXPECT_EQ(1, answer) << what;
        EXPECT_EQ(before, Snapshot()) << what << ", the document sheet";

        EXPECT_EQ(1u, Register()) << what;
        EXPECT_FALSE(DrvPrinterEvent(&name[0], PRINTER_EVENT_INITIALIZE, 0, 0)) << what;
        EXPECT_EQ(before, Snapshot()) << what;
    }
    // Every store reads: storing is on, and OK reports OK.
    Reinstall();
    LRESULT reported = -1;
    uint32_t modeFlags = 0;
    DeviceSheetOk(&reported, &modeFlags);
    EXPECT_EQ(0u, modeFlags & kModeStoringOff);
    EXPECT_EQ(LRESULT(CPSUI_OK), reported);
}

// A store whose copy cannot be written: nothing is published, the commit fails with every
// store as it was, and the user's own watermarks, written only once the stores are, stay
// unwritten.
TEST_F(PrinterStores, AStoreThatCannotBeWrittenStoresNothingAndNoWatermarkIsWritten)
{
    int uuid = 0;
    const wchar_t* const rows[] = {L"365", L"366", L"368", L""};
    for (const wchar_t* failing : rows) {
        const std::string what = std::string("failing ") + std::string(failing, failing + wcslen(failing));
        Reinstall();
        // A printer of its own for each row: the user's store starts empty.
        WriteString(L"PrinterUUID",
                    L"{qz-stores-" + std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++uuid) + L"}");
        InjectingDriverUI* ui = HoldObject();
        GDriverUIBase::UserWatermarksScope userSwitch(*ui, 1);
        const RWWString user = ui->UserWatermarkValueName();
        ASSERT_LT(0u, user.Length());
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr)) << what;
        std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
        ASSERT_NE(nullptr, tree) << what;
        // Each store changed, and a watermark of this user's own.
        GObjectBase* lists = tree->FindById(FeatureId::kPrinterLists);
        GObjectBase* extension = tree->FindById(FeatureId::kExtensionData);
        ASSERT_TRUE(lists && extension) << what;
        GObjectBase* marks = lists->FindById(FeatureId::kWatermarkList);
        if (!marks) {
            marks = new GAttributeComposite(FeatureId::kWatermarkList);
            lists->Add(marks);
        }
        auto* mark = new GAttributeComposite(0);
        mark->Add(new GStringAttribute("Mine", FeatureId::kWatermarkName));
        mark->Add(new GValueAttribute(2, FeatureId::kWatermarkScope));
        marks->Add(mark);
        extension->Add(new GValueAttribute(7, 901));
        GDriverObject::Feature<GValueAttribute>(tree.get(), FeatureId::kDuplexUnit)->SetValue(1);

        auto* seam = new SeamServices;
        seam->failingWrite = failing;
        const int committed = ui->CommitSettings(tree.get(), 1);
        const Stored after = Snapshot();
        std::unique_ptr<GObjectBase> userMarks(ui->LoadObject(user));
        new StandinServices;
        if (!*failing) {
            EXPECT_EQ(1, committed);
            for (const wchar_t* store : kStores)
                EXPECT_NE(installed[store], after.at(store)) << std::string(store, store + 3) << " written";
            EXPECT_NE(nullptr, userMarks) << "the user's watermark goes once the stores are written";
            continue;
        }
        EXPECT_EQ(0, committed) << what;
        EXPECT_EQ(installed, after) << what << ": every store as it was";
        EXPECT_EQ(nullptr, userMarks) << what << ": no watermark written";
    }
}

// Every store whole: its count and its chunks as the printer's data holds them.
std::map<std::wstring, std::pair<int64_t, std::vector<uint8_t>>> Whole()
{
    std::map<std::wstring, std::pair<int64_t, std::vector<uint8_t>>> whole;
    for (const wchar_t* store : kStores)
        whole[store] = {DataDword(store), StoredBytes(store)};
    return whole;
}

// The first text at any depth of the node, or null.
GStringAttribute* FirstText(GObjectBase* node)
{
    GStringAttribute* found = nullptr;
    ForEachMember(node, [&](GObjectBase* member) {
        if (member->IsKindOf(GStringAttribute::kClassId))
            found = static_cast<GStringAttribute*>(member);
        else if (member->IsKindOf(GAttributeComposite::kClassId))
            found = FirstText(member);
        return found == nullptr;
    });
    return found;
}

// The services refusing the first chunk, a middle chunk or the count of each store's
// chunked form, in a commit and in an upgrade (each store then in the older form it
// brings up): the chunks follow the published copies, so the road is done and a fresh
// reader reads every store as written; the store whose chunks were refused is left
// unfinished, and the next commit writes its chunks again, so that every store's
// chunks then carry this version's done check.
TEST_F(PrinterStores, ARefusedChunkOfAnyStoreIsWrittenAgainByTheNextCommit)
{
    {
        ASSERT_EQ(0u, Register());
        FreshServer();
        InjectingDriverUI* ui = HoldObject();
        for (long id : {FeatureId::kDeviceSettings, FeatureId::kPrinterLists, FeatureId::kExtensionData}) {
            std::unique_ptr<GObjectBase> node(ui->LoadSettingsTree(id));
            ASSERT_NE(nullptr, node) << id;
            GStringAttribute* text = FirstText(node.get());
            ASSERT_NE(nullptr, text) << id;
            text->SetString(std::string(1000, 'a').c_str());
            ASSERT_EQ(1, ui->SaveSettingsTree(node.get())) << id;
        }
        FreshServer();
        installed = Snapshot();
        for (const wchar_t* store : kStores)
            ASSERT_LE(2 * 248u, installed[store].size()) << std::string(store, store + 3);
    }
    using Step = RefusingServices::Step;
    const struct {
        const wchar_t* store;  // "" refuses nothing
        Step step;
    } rows[] = {
        {L"365", Step::kFirstChunk}, {L"365", Step::kMiddleChunk}, {L"365", Step::kCount},
        {L"366", Step::kFirstChunk}, {L"366", Step::kMiddleChunk}, {L"366", Step::kCount},
        {L"368", Step::kFirstChunk}, {L"368", Step::kMiddleChunk}, {L"368", Step::kCount},
        {L"", Step::kCount},
    };
    const char* const steps[] = {"first chunk", "middle chunk", "count"};
    for (bool upgrade : {false, true}) {
        for (const auto& row : rows) {
            const std::string what = std::string(upgrade ? "an upgrade, " : "a commit, ") +
                                     (*row.store ? std::string(row.store, row.store + 3) + ", " + steps[row.step]
                                                 : std::string("nothing refused"));
            Reinstall();
            InjectingDriverUI* ui = HoldObject();
            ASSERT_NE(nullptr, ui) << what;
            std::unique_ptr<GObjectBase> tree;
            if (upgrade) {
                for (long id : {FeatureId::kDeviceSettings, FeatureId::kPrinterLists, FeatureId::kExtensionData}) {
                    std::unique_ptr<GObjectBase> node(ui->LoadSettingsTree(id));
                    ASSERT_NE(nullptr, node) << what;
                    const std::vector<uint8_t> older = PortableForm(node.get());
                    ASSERT_EQ(1, GOSFactory::Instance()->SetPrinterDataBinary(
                                     ui, RWWString(std::to_wstring(id).c_str()), older.data(), uint32_t(older.size())))
                        << what;
                }
                FreshServer();
            } else {
                ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr)) << what;
                tree.reset(ui->LoadStoredSettings());
                ASSERT_NE(nullptr, tree) << what;
                for (long id : {FeatureId::kDeviceSettings, FeatureId::kPrinterLists, FeatureId::kExtensionData}) {
                    GStringAttribute* text = FirstText(tree->FindById(id));
                    ASSERT_NE(nullptr, text) << what;
                    text->SetString(std::string(1000, 'b').c_str());
                }
            }
            const auto before = Whole();
            auto* seam = new RefusingServices;
            seam->store = row.store;
            seam->step = row.step;
            bool done = false;
            if (upgrade) {
                wchar_t folder[] = L"C:\\old";
                DRIVER_UPGRADE_INFO_1W info = {&name[0], folder};
                done = DrvUpgradePrinter(1, reinterpret_cast<LPBYTE>(&info)) != FALSE;
            } else {
                done = ui->CommitSettings(tree.get(), 1) == 1;
            }
            EXPECT_TRUE(seam->store.empty() && seam->refused.empty()) << what << ": the part was asked for";
            new StandinServices;
            EXPECT_TRUE(done) << what;
            FreshServer();
            ui = HoldObject();
            for (const wchar_t* store : kStores) {
                const std::string named = what + ": " + std::string(store, store + 3);
                const bool refused = *row.store && store == std::wstring(row.store);
                EXPECT_EQ(refused, before.at(store) == Whole().at(store)) << named << ": chunks put back or written";
                std::unique_ptr<GObjectBase> node(ui->LoadSettingsTree(std::stol(store)));
                ASSERT_NE(nullptr, node) << named;
                if (!upgrade) {
                    EXPECT_EQ(RWCString(std::string(1000, 'b').c_str()), FirstText(node.get())->GetString()) << named;
                }
                EXPECT_EQ(!refused, GOSFactory::Instance()->HasCurrentCheck(ui, store)) << named << ": its check";
            }
            // The next commit, of one store, finishes the chunks the refusal left.
            std::unique_ptr<GObjectBase> lists(ui->LoadSettingsTree(FeatureId::kPrinterLists));
            ASSERT_NE(nullptr, lists) << what;
            FirstText(lists.get())->SetString(std::string(1000, 'c').c_str());
            ASSERT_EQ(1, ui->SaveSettingsTree(lists.get())) << what;
            for (const wchar_t* store : kStores)
                EXPECT_TRUE(GOSFactory::Instance()->HasCurrentCheck(ui, store)) << what << ", next commit: " << store;
        }
    }
}

// The slips every other row survives: a store absent while another does not read, a
// store written then read in one call, a commit on an object never merged, the base
// services' absent check with the value there, a store put back that had no value, and
// a failing write that changed its store.
TEST_F(PrinterStores, SlipsAtTheEdgesOfReadingAndStoring)
{
    {
        SCOPED_TRACE("one store absent and another unreadable");
        Reinstall();
        DeleteStored(L"368");
        std::vector<uint8_t> damaged = installed[L"366"];
        damaged.resize(damaged.size() / 2);
        WriteStore(L"366", damaged);
        InjectingDriverUI* ui = HoldObject();
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(reinterpret_cast<DEVMODEW*>(ours.data())));
        EXPECT_FALSE(ui->CanStore());
        std::unique_ptr<GObjectBase> sheet(ui->LoadStoredSettings());
        ASSERT_TRUE(sheet);
        EXPECT_NE(nullptr, sheet->FindById(FeatureId::kExtensionData)) << "the absent one: the factory's";
        EXPECT_NE(nullptr, sheet->FindById(FeatureId::kPrinterLists)) << "the unreadable one: the factory's";
        EXPECT_EQ(0, ui->CommitSettings(sheet.get(), 1));
        EXPECT_EQ(damaged, StoredBytes(L"366"));
    }
    {
        SCOPED_TRACE("a store written, then read in the same call");
        Reinstall();
        InjectingDriverUI* ui = HoldObject();
        auto* seam = new SeamServices;
        PrinterRecordScope call;
        std::unique_ptr<GObjectBase> device(ui->LoadSettingsTree(FeatureId::kDeviceSettings));
        ASSERT_NE(nullptr, device);
        GDriverObject::Feature<GValueAttribute>(device.get(), FeatureId::kDuplexUnit)->SetValue(1);
        ASSERT_EQ(1, ui->SaveSettingsTree(device.get()));
        const int reads = seam->reads[L"365"];
        std::unique_ptr<GObjectBase> again(ui->LoadSettingsTree(FeatureId::kDeviceSettings));
        ASSERT_NE(nullptr, again);
        EXPECT_EQ(1, GDriverObject::NumberOr(again.get(), FeatureId::kDuplexUnit, -1)) << "what was written";
        EXPECT_EQ(reads, seam->reads[L"365"]) << "read from what the call wrote";
        new StandinServices;
    }
    {
        SCOPED_TRACE("a commit on an object never merged");
        Reinstall();
        InjectingDriverUI* ui = HoldObject();
        ASSERT_EQ(nullptr, ui->GetDevModeObject());
        std::unique_ptr<GObjectBase> tree(ui->CreateDefaultSettings());
        ASSERT_NE(nullptr, tree);
        EXPECT_EQ(0, ui->CommitSettings(tree.get(), 1));
        EXPECT_EQ(0, ui->CommitSettings(tree.get(), 0));
        EXPECT_EQ(installed, Snapshot());
    }
    {
        SCOPED_TRACE("the base services' absent check");
        Reinstall();
        InjectingDriverUI* ui = HoldObject();
        GOSFactory* services = GOSFactory::Instance();
        EXPECT_FALSE(services->GOSFactory::IsPrinterDataAbsent(ui, L"365")) << "present";
        DeleteStored(L"365");
        EXPECT_TRUE(services->GOSFactory::IsPrinterDataAbsent(ui, L"365")) << "absent";
    }
    {
        SCOPED_TRACE("a store that had no value, in a commit that fails");
        Reinstall();
        DeleteStored(L"368");
        InjectingDriverUI* ui = HoldObject();
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
        std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
        ASSERT_TRUE(tree && tree->FindById(FeatureId::kExtensionData));
        auto* seam = new SeamServices;
        seam->failingWrite = L"365";
        EXPECT_EQ(0, ui->CommitSettings(tree.get(), 1));
        new StandinServices;
        EXPECT_EQ(-1, DataDword(L"368")) << "no count";
        EXPECT_TRUE(StoredBytes(L"368").empty()) << "no chunk";
        EXPECT_EQ(installed.at(L"366"), StoredBytes(L"366"));
    }
    {
        SCOPED_TRACE("the record's write refused, and landed with its answer lost");
        for (bool lands : {false, true}) {
            Reinstall();
            InjectingDriverUI* ui = HoldObject();
            ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
            std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
            ASSERT_NE(nullptr, tree);
            GStringAttribute* text = FirstText(tree->FindById(FeatureId::kPrinterLists));
            ASSERT_NE(nullptr, text);
            text->SetString("changed");
            GObjectBase* nodes[GPrinterStores::kCount] = {};
            for (int i = 0; i < GPrinterStores::kCount; ++i)
                nodes[i] = tree->FindById(GPrinterStores::kIds[i]);
            auto* seam = new RecordRefusingServices;
            seam->lands = lands;
            GPrinterStores stores(*ui);
            EXPECT_EQ(lands ? GPrinterStores::Outcome::kStored : GPrinterStores::Outcome::kNotStored,
                      stores.Store(nodes))
                << lands;
            new StandinServices;
            FreshServer();
            std::unique_ptr<GObjectBase> read(HoldObject()->LoadSettingsTree(FeatureId::kPrinterLists));
            ASSERT_TRUE(read && FirstText(read.get()));
            EXPECT_EQ(lands, RWCString("changed") == FirstText(read.get())->GetString()) << lands;
            if (!lands) {
                EXPECT_EQ(installed, Snapshot()) << "every store as it was";
            }
        }
    }
}

// With the device settings unreadable, the resolutions answer from the factory's node:
// its choice of list, never the one a tree without device settings falls to.
TEST_F(PrinterStores, TheResolutionsOfAnUnreadableStoreComeFromTheFactorysNode)
{
    InjectingDriverUI* ui = HoldObject();
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    // The factory's device settings choose the alternate list.
    GObjectBase* factory = ui->GetPrinterConfiguration();
    for (long id : {FeatureId::kPrinterSettingsGroup, FeatureId::kDeviceSettings})
        factory = factory ? factory->FindById(id) : nullptr;
    ASSERT_NE(nullptr, factory);
    auto* choice = GDriverObject::Feature<GValueAttribute>(factory, FeatureId::kResolutionListChoice);
    if (!choice) {
        choice = new GValueAttribute(0, FeatureId::kResolutionListChoice);
        factory->Add(choice);
    }
    const uint16_t was = choice->GetValue();
    auto resolutions = [&] {
        ui->SetStateWord(-1);
        ui->SetSettings(nullptr);
        std::vector<LONG> pairs(64, 0);
        const DWORD count = ui->DeviceCapabilities(nullptr, nullptr, DC_ENUMRESOLUTIONS,
                                                   reinterpret_cast<LPWSTR>(pairs.data()), nullptr);
        pairs.resize(count == DWORD(GDI_ERROR) ? 0 : std::min<DWORD>(count, 32) * 2);
        return pairs;
    };
    choice->SetValue(0);
    const std::vector<LONG> primary = resolutions();
    choice->SetValue(2);
    std::vector<uint8_t> damaged = installed[L"365"];
    damaged.resize(damaged.size() / 2);
    WriteStore(L"365", damaged);
    const std::vector<LONG> standIn = resolutions();
    DeleteStored(L"365");
    const std::vector<LONG> absent = resolutions();
    choice->SetValue(was);
    EXPECT_FALSE(standIn.empty());
    EXPECT_EQ(absent, standIn) << "the factory's node answers";
    EXPECT_NE(primary, standIn) << "the alternate list";
}

// The way back from a store that does not read: on the device sheet, a user who may
// change the printer is asked, in a question that names what goes and what stays, and a
// yes makes OK replace the stores that do not read with the factory's and keep the
// others; every store then reads and storing is on. A no writes nothing and reports
// cancel; a user without rights is never asked.
TEST_F(PrinterStores, AConfirmedOkOfAnAdministratorReplacesTheStoresThatDoNotRead)
{
    const uint32_t kBoth = kModeReplaceable | kModeMayReplace;
    const struct {
        const char* what;
        WORD headerFlags;
        bool refuseFullAccess;
        int answer, asked;
        uint32_t modeFlags;
        LRESULT reported;
    } rows[] = {
        {"confirmed", 0, false, IDYES, 1, kBoth, CPSUI_OK},
        {"not confirmed", 0, false, IDNO, 1, kBoth, CPSUI_CANCEL},
        {"the header says no permission", 1, false, IDYES, 0, kModeReplaceable, CPSUI_CANCEL},
        {"no full access", 0, true, IDYES, 0, kModeReplaceable, CPSUI_CANCEL},
    };
    // The question is the resource library's.
    const std::wstring resources = DmcStandin::Folder() + L"\\qzres32.dll";
    ASSERT_TRUE(TestPrinter::CopyIfDifferent(DmcStandin::ProgramFolder() + L"\\qzres32.dll", resources));
    for (const auto& row : rows) {
        Reinstall();
        std::vector<uint8_t> damaged = installed[L"366"];
        damaged.resize(damaged.size() / 2);
        WriteStore(L"366", damaged);
        const Stored before = Snapshot();
        ReplaceQuestion::answer = row.answer;
        ReplaceQuestion::asked = 0;
        InjectingDriverUI::injection.refuseFullAccess = row.refuseFullAccess;
        LRESULT reported = -1;
        uint32_t modeFlags = 0;
        DeviceSheetOk(&reported, &modeFlags, row.headerFlags);
        EXPECT_EQ(row.modeFlags, modeFlags & kBoth) << row.what;
        EXPECT_EQ(row.asked, ReplaceQuestion::asked) << row.what;
        if (row.asked) {
            EXPECT_EQ(L"These printer settings cannot be read: the printer's lists. Replace them with the factory "
                      L"settings? These are kept as they are: the device settings and installed options, the "
                      L"extension data.",
                      ReplaceQuestion::text)
                << row.what;
        }
        EXPECT_EQ(row.reported, reported) << row.what;
        if (row.reported != CPSUI_OK) {
            EXPECT_EQ(before, Snapshot()) << row.what << ": nothing written";
            continue;
        }
        EXPECT_NE(damaged, StoredBytes(L"366")) << row.what;
        EXPECT_EQ(installed[L"365"], StoredBytes(L"365")) << row.what << ": a store that read keeps its bytes";
        FreshServer();
        InjectingDriverUI* ui = HoldObject();
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
        EXPECT_TRUE(ui->CanStore()) << row.what;
        std::unique_ptr<GObjectBase> lists(ui->LoadSettingsTree(FeatureId::kPrinterLists));
        std::unique_ptr<GObjectBase> factory(ui->CreateDefaultSettings());
        ASSERT_TRUE(lists && factory) << row.what;
        EXPECT_EQ(PortableForm(factory->FindById(FeatureId::kPrinterLists)), PortableForm(lists.get())) << row.what;
        DeviceSheetOk(&reported, &modeFlags);
        EXPECT_EQ(0u, modeFlags & (kModeStoringOff | kBoth)) << row.what << ": storing is on";
        EXPECT_EQ(LRESULT(CPSUI_OK), reported) << row.what;
        EXPECT_EQ(1, ReplaceQuestion::asked) << row.what << ": asked once only";
    }
    FreshServer();
    DeleteFileW(resources.c_str());
}

// The user's own watermarks that do not read hold back only their own store: the
// document sheet stores the printer's settings with storing on and says which store does
// not read, and its OK asks, in a question that names what goes and what stays, whether
// to replace that store with the watermarks of the user's that the sheet holds (none when
// it holds none): a no keeps its bytes, a yes writes over it and it reads again. A store
// that reads is never asked about and takes the sheet's watermarks of the user's as before.
TEST_F(PrinterStores, TheUsersOwnStoreThatDoesNotReadHoldsBackOnlyItselfAndOkOffersToReplaceIt)
{
    const struct {
        const char* what;
        bool damaged;
        bool mine;  // the user adds a watermark of the user's own
        int answer;
        int asked;
        int entries;  // the watermarks in the user's store after OK; -1: its bytes as they were
    } rows[] = {
        {"readable", false, true, IDYES, 0, 2},
        {"damaged, no", true, true, IDNO, 1, -1},
        {"damaged, yes", true, true, IDYES, 1, 1},
        {"damaged, yes, none of the user's", true, false, IDYES, 1, 0},
    };
    // The question is the resource library's.
    const std::wstring resources = DmcStandin::Folder() + L"\\qzres32.dll";
    ASSERT_TRUE(TestPrinter::CopyIfDifferent(DmcStandin::ProgramFolder() + L"\\qzres32.dll", resources));
    int uuid = 0;
    for (const auto& row : rows) {
        Reinstall();
        const std::wstring key = FreshUserStore(std::to_wstring(++uuid));
        InjectingDriverUI* ui = HoldObject();
        ASSERT_NE(nullptr, ui) << row.what;
        ASSERT_EQ(1, StoreEarlierUserWatermark(ui)) << row.what;
        if (row.damaged) {
            ASSERT_NO_FATAL_FAILURE(DamageUserKey(key)) << row.what;
        }
        const std::vector<uint8_t> userBefore = UserKeyValues(key);
        // A standard user, who keeps their own watermarks.
        new StandardUser<StandinServices>;
        InjectingDriverUI::injection.refuseFullAccess = true;
        ReplaceQuestion::answer = row.answer;
        ReplaceQuestion::asked = 0;

        // The user's own default document settings: a sheet that stores the printer's.
        std::vector<uint8_t> output(GDevModeBase::kTotalSize, 0);
        DOCUMENTPROPERTYHEADER header = {sizeof header, 0, handle, &name[0], nullptr,
                                         reinterpret_cast<DEVMODEW*>(output.data()), DWORD(output.size()),
                                         DM_USER_DEFAULT | DM_COPY};
        PROPSHEETUI_INFO info = SheetInfo(&header);
        info.Reason = PROPSHEETUI_REASON_INIT;
        ASSERT_EQ(1, DrvDocumentPropertySheets(&info, 0)) << row.what;
        auto* sheet = dynamic_cast<GDriverUI*>(reinterpret_cast<GDriverUIOperations*>(info.UserData));
        ASSERT_TRUE(sheet && sheet->SheetContext()) << row.what;
        UIContextRecord* const context = sheet->SheetContext();
        EXPECT_EQ(0u, context->modeFlags & (3 | kModeStoringOff)) << row.what << ": the printer's settings are stored";
        EXPECT_EQ(row.damaged ? kModeOwnWatermarksUnreadable : 0u, context->modeFlags & kModeOwnWatermarksUnreadable)
            << row.what;
        // The user's choices: the duplex unit installed, and a watermark of the user's own.
        auto* duplex = GDriverObject::Feature<GValueAttribute>(context->settings, FeatureId::kDuplexUnit);
        GObjectBase* lists = context->settings->FindById(FeatureId::kPrinterLists);
        GObjectBase* marks = lists ? lists->FindById(FeatureId::kWatermarkList) : nullptr;
        ASSERT_TRUE(duplex && marks) << row.what;
        duplex->SetValue(1);
        if (row.mine) {
            auto* mine = new GAttributeComposite(0);
            mine->Add(new GStringAttribute("Mine", FeatureId::kWatermarkName));
            mine->Add(new GValueAttribute(2, FeatureId::kWatermarkScope));
            marks->Add(mine);
        }
        SETRESULT_INFO set = {sizeof set, 0, nullptr, CPSUI_OK};
        info.Reason = PROPSHEETUI_REASON_SET_RESULT;
        EXPECT_EQ(1, DrvDocumentPropertySheets(&info, reinterpret_cast<LPARAM>(&set))) << row.what;
        EXPECT_EQ(LRESULT(CPSUI_OK), info.Result) << row.what;
        EXPECT_EQ(row.asked, ReplaceQuestion::asked) << row.what;
        if (row.asked) {
            EXPECT_EQ(L"Your own watermarks cannot be read. Replace them with the ones you added here, or with none "
                      L"if you added none? No leaves them as they are and does not save changes to them. Your other "
                      L"settings are kept either way.",
                      ReplaceQuestion::text)
                << row.what;
        }
        // Replaced, the user's store reads: the sheet no longer offers the way back.
        EXPECT_EQ(row.damaged && row.answer == IDNO ? kModeOwnWatermarksUnreadable : 0u,
                  context->modeFlags & kModeOwnWatermarksUnreadable)
            << row.what;
        info.Reason = PROPSHEETUI_REASON_DESTROY;
        DrvDocumentPropertySheets(&info, 0);
        new StandinServices;
        InjectingDriverUI::injection.refuseFullAccess = false;
        EXPECT_NE(installed[L"365"], StoredBytes(L"365")) << row.what << ": the printer's settings stored";
        if (row.entries < 0) {
            EXPECT_EQ(userBefore, UserKeyValues(key)) << row.what << ": the user's store keeps its bytes";
        } else {
            FreshServer();
            InjectingDriverUI* after = HoldObject();
            ASSERT_NE(nullptr, after) << row.what;
            std::unique_ptr<GObjectBase> written(after->LoadObject(after->UserWatermarkValueName()));
            ASSERT_NE(nullptr, written) << row.what << ": the user's store reads";
            EXPECT_EQ(size_t(row.entries), written->Entries()) << row.what;
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, key.substr(0, key.rfind(L'\\')).c_str());
    }
    FreshServer();
    DeleteFileW(resources.c_str());
}

// The wait for the stores lock set for a test, the one before put back when it ends.
class LockWait {
public:
    explicit LockWait(uint32_t wait) : previous_(GPrinterStores::SetLockWaitForTesting(wait)) {}
    ~LockWait() { GPrinterStores::SetLockWaitForTesting(previous_); }
    LockWait(const LockWait&) = delete;
    LockWait& operator=(const LockWait&) = delete;

private:
    uint32_t previous_;
};

// The stores lock held by another thread of this process from construction until this
// goes (or a bound passes), as another writer would hold it.
class LockHeldElsewhere {
public:
    explicit LockHeldElsewhere(GDriverObject* driver)
        : taken_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), release_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        holder_ = std::thread([this, driver] {
            void* held = nullptr;
            const int owned = GOSFactory::Instance()->LockPrinterStores(driver, 5000, held);
            SetEvent(taken_);
            WaitForSingleObject(release_, 10000);
            if (owned)
                GOSFactory::Instance()->UnlockPrinterStores(held);
        });
        taken = WaitForSingleObject(taken_, 10000) == WAIT_OBJECT_0;
    }
    ~LockHeldElsewhere() { Release(); }
    LockHeldElsewhere(const LockHeldElsewhere&) = delete;
    LockHeldElsewhere& operator=(const LockHeldElsewhere&) = delete;
    void Release()
    {
        if (!holder_.joinable())
            return;
        SetEvent(release_);
        holder_.join();
        CloseHandle(taken_);
        CloseHandle(release_);
    }
    bool taken = false;

private:
    HANDLE taken_, release_;
    std::thread holder_;
};

// The module's services pausing the write of one part on the thread named, once, until
// another commit ends or a bound passes: that commit runs while this one is midway.
struct PausingServices : StandinServices {
    std::wstring part;
    std::atomic<DWORD> thread{0};
    HANDLE paused = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE otherEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~PausingServices() override
    {
        CloseHandle(paused);
        CloseHandle(otherEnded);
    }
    int WritePart(const ChunkTarget& target, const RWWString& name, uint32_t type, const void* data,
                  uint32_t length) override
    {
        if (thread.load() == GetCurrentThreadId() && part == std::wstring(name.Data(), name.Length())) {
            thread = 0;
            SetEvent(paused);
            WaitForSingleObject(otherEnded, 300);
        }
        return StandinServices::WritePart(target, name, type, data, length);
    }
};

// Each store as the services read it is its chunks as stored: none reads as nothing.
bool EveryStoreReadsWhole(GDriverObject* driver)
{
    for (const wchar_t* store : kStores) {
        std::vector<uint8_t> bytes(1 << 16);
        uint32_t length = 0;
        if (GOSFactory::Instance()->GetPrinterDataBinary(driver, store, bytes.data(), uint32_t(bytes.size()),
                                                         length) != 1)
            return false;
        bytes.resize(length);
        if (bytes != StoredBytes(store))
            return false;
    }
    return true;
}

// Two driver objects of the printer, each on a printer handle of its own, committing
// different settings from two threads at once, round after round, and with the first
// commit paused midway (inside a store, between two) until the second ends or a bound
// passes: each commit is told it stored, and after each round the stores are one
// commit's, every one whole; after a pause, the later commit's.
TEST_F(PrinterStores, TwoCommitsAtOnceLeaveOneCommitsStoresWhole)
{
    Reinstall();
    HANDLE handles[2] = {};
    std::unique_ptr<GObjectBase> trees[2];
    std::unique_ptr<GPrinterStores> stores[2];
    InjectingDriverUI* uis[2] = {};
    GObjectBase* nodes[2][GPrinterStores::kCount] = {};
    Stored alone[2];
    for (int i = 0; i < 2; ++i) {
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        ASSERT_TRUE(OpenPrinterW(&name[0], &handles[i], &defaults));
        uint32_t ticket = 0;
        auto* ui = dynamic_cast<InjectingDriverUI*>(
            ModuleLifetime::DriverServer()->Acquire(new PrinterIdentity(handles[i], name.c_str(), 0), ticket));
        held.push_back(ticket);
        ASSERT_NE(nullptr, ui);
        uis[i] = ui;
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
        trees[i].reset(ui->LoadStoredSettings());
        ASSERT_NE(nullptr, trees[i]);
        GValueAttribute* unit = GDriverObject::Feature<GValueAttribute>(trees[i]->FindById(FeatureId::kDeviceSettings),
                                                                       FeatureId::kDuplexUnit);
        ASSERT_NE(nullptr, unit);
        unit->SetValue(uint16_t(i));
        GStringAttribute* text = FirstText(trees[i]->FindById(FeatureId::kPrinterLists));
        ASSERT_NE(nullptr, text);
        text->SetString(i ? "second commit" : "first commit");
        trees[i]->FindById(FeatureId::kExtensionData)->Add(new GValueAttribute(uint16_t(7 + i), 900));
        for (int j = 0; j < GPrinterStores::kCount; ++j)
            nodes[i][j] = trees[i]->FindById(GPrinterStores::kIds[j]);
        stores[i].reset(new GPrinterStores(*ui));
        ASSERT_EQ(GPrinterStores::Outcome::kStored, stores[i]->Store(nodes[i]));
        alone[i] = Snapshot();
    }
    ASSERT_NE(alone[0][L"365"], alone[1][L"365"]);
    ASSERT_NE(alone[0][L"366"], alone[1][L"366"]);
    int mixed = 0;
    for (int round = 0; round < 30; ++round) {
        std::atomic<int> ready{0};
        GPrinterStores::Outcome outcomes[2] = {};
        auto commit = [&](int i) {
            ++ready;
            while (ready.load() < 2)
                std::this_thread::yield();
            outcomes[i] = stores[i]->Store(nodes[i]);
        };
        std::thread first(commit, 0), second(commit, 1);
        first.join();
        second.join();
        EXPECT_EQ(GPrinterStores::Outcome::kStored, outcomes[0]) << round;
        EXPECT_EQ(GPrinterStores::Outcome::kStored, outcomes[1]) << round;
        const Stored now = Snapshot();
        mixed += now != alone[0] && now != alone[1];
    }
    EXPECT_EQ(0, mixed);
    for (const wchar_t* part : {L"366:0", L"368", L"365:0"}) {
        SCOPED_TRACE(std::wstring(part));
        // The second commit's stores first: the paused one changes every store, and the
        // one it holds up then finds them changed and writes them again.
        ASSERT_EQ(GPrinterStores::Outcome::kStored, stores[1]->Store(nodes[1]));
        auto* seam = new PausingServices;
        seam->part = part;
        GPrinterStores::Outcome outcomes[2] = {};
        std::thread first([&] {
            seam->thread = GetCurrentThreadId();
            outcomes[0] = stores[0]->Store(nodes[0]);
        });
        std::thread second([&] {
            if (WaitForSingleObject(seam->paused, 10000) == WAIT_OBJECT_0)
                outcomes[1] = stores[1]->Store(nodes[1]);
            SetEvent(seam->otherEnded);
        });
        first.join();
        second.join();
        EXPECT_EQ(GPrinterStores::Outcome::kStored, outcomes[0]);
        EXPECT_EQ(GPrinterStores::Outcome::kStored, outcomes[1]);
        const Stored now = Snapshot();
        for (const wchar_t* store : kStores)
            EXPECT_EQ(alone[1].at(store), now.at(store)) << std::wstring(store);
        EXPECT_TRUE(EveryStoreReadsWhole(uis[1]));
        new StandinServices;
    }
    stores[0].reset();
    stores[1].reset();
    ReleaseHeld();
    for (HANDLE printer : handles)
        ClosePrinter(printer);
}

// The stores lock held elsewhere: a commit, a store of one node and an upgrade each wait
// the lock's bound, store nothing and say so; once the lock is free the commit stores.
TEST_F(PrinterStores, ALockHeldElsewhereStoresNothingAfterItsWait)
{
    Reinstall();
    InjectingDriverUI* ui = HoldObject();
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
    ASSERT_NE(nullptr, tree);
    GValueAttribute* unit =
        GDriverObject::Feature<GValueAttribute>(tree->FindById(FeatureId::kDeviceSettings), FeatureId::kDuplexUnit);
    ASSERT_NE(nullptr, unit);
    unit->SetValue(1);
    GObjectBase* nodes[GPrinterStores::kCount] = {};
    for (int i = 0; i < GPrinterStores::kCount; ++i)
        nodes[i] = tree->FindById(GPrinterStores::kIds[i]);
    LockWait wait(20);
    LockHeldElsewhere lock(ui);
    ASSERT_TRUE(lock.taken);
    {
        GPrinterStores stores(*ui);
        int upgraded[GPrinterStores::kCount] = {1, 1, 1};
        EXPECT_EQ(GPrinterStores::Outcome::kBusy, stores.Store(nodes));
        EXPECT_EQ(0, stores.Save(nodes[GPrinterStores::kCount - 1]));
        EXPECT_TRUE(stores.Busy());
        EXPECT_EQ(GPrinterStores::Outcome::kBusy, stores.Upgrade(upgraded));
        wchar_t folder[] = L"C:\\old";
        DRIVER_UPGRADE_INFO_1W info = {&name[0], folder};
        EXPECT_FALSE(DrvUpgradePrinter(1, reinterpret_cast<LPBYTE>(&info))) << "an upgrade that upgraded nothing";
        EXPECT_EQ(0, upgraded[0] + upgraded[1] + upgraded[2]);
        EXPECT_EQ(0, ui->CommitSettings(tree.get(), 1));
        EXPECT_EQ(installed, Snapshot());
    }
    lock.Release();
    EXPECT_EQ(1, ui->CommitSettings(tree.get(), 1));
    EXPECT_NE(installed.at(L"365"), StoredBytes(L"365"));
}

// A lock not had, by each way it is not: a commit, a replace, a store of one node, an
// upgrade and a change each store nothing and tell which way it was, never the other;
// once the lock is had again the commit stores and tells neither.
TEST_F(PrinterStores, ALockNotHadStoresNothingAndTellsBusyFromRefused)
{
    using Outcome = GPrinterStores::Outcome;
    const struct {
        const char* what;
        int answer;
        Outcome outcome;
        bool busy, refused;
    } rows[] = {
        {"held elsewhere", GOSFactory::kStoresLockBusy, Outcome::kBusy, true, false},
        {"refused", GOSFactory::kStoresLockRefused, Outcome::kRefused, false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Reinstall();
        InjectingDriverUI* ui = HoldObject();
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
        std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
        ASSERT_NE(nullptr, tree);
        GValueAttribute* unit =
            GDriverObject::Feature<GValueAttribute>(tree->FindById(FeatureId::kDeviceSettings), FeatureId::kDuplexUnit);
        ASSERT_NE(nullptr, unit);
        unit->SetValue(uint16_t(unit->GetValue() ? 0 : 1));
        GObjectBase* nodes[GPrinterStores::kCount] = {};
        for (int i = 0; i < GPrinterStores::kCount; ++i)
            nodes[i] = tree->FindById(GPrinterStores::kIds[i]);
        auto* seam = new LockAnsweringServices;
        seam->answer = row.answer;
        {
            GPrinterStores stores(*ui);
            int upgraded[GPrinterStores::kCount] = {1, 1, 1};
            EXPECT_EQ(row.outcome, stores.Store(nodes));
            EXPECT_EQ(row.busy, stores.Busy());
            EXPECT_EQ(row.refused, stores.Refused());
            const bool replaceable[GPrinterStores::kCount] = {false, true, false};
            EXPECT_EQ(row.outcome, stores.Replace(nodes, replaceable));
            EXPECT_EQ(0, stores.Save(nodes[GPrinterStores::kCount - 1]));
            EXPECT_EQ(row.refused, stores.Refused());
            EXPECT_EQ(row.outcome, stores.Upgrade(upgraded));
            EXPECT_EQ(0, upgraded[0] + upgraded[1] + upgraded[2]);
            GPrinterStores::Change change(stores);
            EXPECT_FALSE(change.Owned());
            EXPECT_EQ(row.outcome, change.NotOwned());
        }
        EXPECT_EQ(0, ui->CommitSettings(tree.get(), 1));
        EXPECT_EQ(row.busy, ui->StoresBusy());
        EXPECT_EQ(row.refused, ui->StoresRefused());
        EXPECT_EQ(nullptr, ui->ChangeStores());
        EXPECT_EQ(row.busy, ui->StoresBusy());
        EXPECT_EQ(row.refused, ui->StoresRefused());
        EXPECT_EQ(installed, Snapshot()) << "nothing stored";
        new StandinServices;
        EXPECT_EQ(1, ui->CommitSettings(tree.get(), 1));
        EXPECT_FALSE(ui->StoresBusy() || ui->StoresRefused());
        EXPECT_NE(installed.at(L"365"), StoredBytes(L"365"));
        ReleaseHeld();
    }
}

// The document sheet's OK in store mode, the user changing the orientation alone, while
// the stores lock is held elsewhere or refused: none of the printer's settings changed,
// so no lock is asked, the document's choices go back to the caller at once, and the
// printer's stores are written nothing.
TEST_F(PrinterStores, ADocumentOnlyOkAsksNoLockAndHandsTheDocumentsChoicesBack)
{
    std::vector<uint8_t> portrait = ours;
    reinterpret_cast<DEVMODEW*>(portrait.data())->dmOrientation = DMORIENT_PORTRAIT;
    const struct {
        const char* what;
        int answer;
        short orientation;  // of the DEVMODE handed back
    } rows[] = {
        {"held elsewhere", GOSFactory::kStoresLockBusy, DMORIENT_LANDSCAPE},
        {"refused", GOSFactory::kStoresLockRefused, DMORIENT_LANDSCAPE},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Reinstall();
        FreshServer();
        auto* seam = new LockAnsweringServices;
        seam->answer = row.answer;
        std::vector<uint8_t> handedBack;
        DocumentSheet(portrait, true, nullptr, 90, &handedBack);
        EXPECT_EQ(0, seam->asked) << "no lock asked";
        new StandinServices;
        ASSERT_EQ(GDevModeBase::kTotalSize, handedBack.size());
        EXPECT_EQ(row.orientation, reinterpret_cast<DEVMODEW*>(handedBack.data())->dmOrientation);
        EXPECT_EQ(installed, Snapshot()) << "nothing stored";
        ReleaseHeld();
    }
}

} // namespace

namespace {

// The module's services running a step once, at the first read of one store's chunks: a
// commit made while a reader is between the stores.
struct SteppingServices : StandinServices {
    std::wstring store;
    std::function<void()> step;
    std::map<std::wstring, int> reads;
    void ReadChunkedValue(GDriverObject* driver, const RWWString& name, uint32_t bound, ChunkedValue& value,
                          bool afresh) override
    {
        const std::wstring text(name.Data(), name.Length());
        ++reads[text];
        if (text == store && step) {
            std::function<void()> once = std::move(step);
            step = nullptr;
            once();
        }
        StandinServices::ReadChunkedValue(driver, name, bound, value, afresh);
    }
};

// The duplex unit a tree's device settings hold.
int32_t DuplexUnitOf(GObjectBase* device) { return GDriverObject::NumberOr(device, FeatureId::kDuplexUnit, -1); }

} // namespace

// Readers never wait on the stores lock, and read the three as one commit left them: a
// lock held elsewhere holds no read up; a record an earlier version left as text is read
// past, each store from its chunks, once; a commit made while the reader is between the
// stores (it removes the copies the reader's record named) is read whole on the second
// attempt.
TEST_F(PrinterStores, ReadersTakeNoLockAndReadTheStoresOfOneCommit)
{
    {
        SCOPED_TRACE("the lock held elsewhere");
        Reinstall();
        InjectingDriverUI* ui = HoldObject();
        LockWait wait(20);
        LockHeldElsewhere lock(ui);
        ASSERT_TRUE(lock.taken);
        FreshServer();
        InjectingDriverUI* fresh = HoldObject();
        const GPlatformCalls::Totals before = GPlatformCalls::Now();
        EXPECT_EQ(1, fresh->MergeDevModeIntoSettings(nullptr));
        EXPECT_TRUE(fresh->CanStore());
        EXPECT_EQ(0u, GPlatformCalls::Now().Since(before)[GPlatformCalls::kLockWait]) << "no read waits";
        // An untouched device sheet's OK changes nothing: it needs no lock, commits
        // nothing and reports OK, where a commit would have been refused the lock and said
        // so.
        const std::wstring resources = DmcStandin::Folder() + L"\\qzres32.dll";
        ASSERT_TRUE(TestPrinter::CopyIfDifferent(DmcStandin::ProgramFolder() + L"\\qzres32.dll", resources));
        const auto values = StoreValues();
        LRESULT reported = CPSUI_CANCEL;
        DeviceSheetOk(&reported);
        DeleteFileW(resources.c_str());
        EXPECT_EQ(LRESULT(CPSUI_OK), reported);
        EXPECT_EQ(0, ReplaceQuestion::asked) << "no notice";
        EXPECT_EQ(values, StoreValues()) << "nothing committed";
    }
    {
        SCOPED_TRACE("a record an earlier version left as text");
        Reinstall();
        const wchar_t writing[] = L"writing 7";
        WriteValue(GPrinterStores::kCommitRecord, REG_SZ, writing, sizeof writing);
        InjectingDriverUI* ui = HoldObject();
        auto* seam = new SteppingServices;
        GPrinterStores reader(*ui);
        EXPECT_EQ(GPrinterStores::State::kRead, reader.StateOf(FeatureId::kDeviceSettings));
        EXPECT_EQ(1, seam->reads[L"365"]) << "read once";
        new StandinServices;
    }
    {
        SCOPED_TRACE("a commit between the reader's looks");
        Reinstall();
        InjectingDriverUI* ui = HoldObject();
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
        std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
        ASSERT_NE(nullptr, tree);
        GObjectBase* device = tree->FindById(FeatureId::kDeviceSettings);
        GValueAttribute* unit = GDriverObject::Feature<GValueAttribute>(device, FeatureId::kDuplexUnit);
        GStringAttribute* text = FirstText(tree->FindById(FeatureId::kPrinterLists));
        ASSERT_TRUE(unit && text);
        unit->SetValue(uint16_t(DuplexUnitOf(device) == 1 ? 0 : 1));
        text->SetString("the commit between");
        GObjectBase* nodes[GPrinterStores::kCount] = {};
        for (int i = 0; i < GPrinterStores::kCount; ++i)
            nodes[i] = tree->FindById(GPrinterStores::kIds[i]);
        auto* seam = new SteppingServices;
        GPrinterStores writer(*ui), reader(*ui);
        GPrinterStores::Outcome outcome = GPrinterStores::Outcome::kNotStored;
        seam->store = L"365";
        seam->step = [&] { outcome = writer.Store(nodes); };
        // One call: the three are read together.
        PrinterRecordScope call;
        std::unique_ptr<GObjectBase> lists(reader.Load(FeatureId::kPrinterLists));
        std::unique_ptr<GObjectBase> read(reader.Load(FeatureId::kDeviceSettings));
        EXPECT_EQ(GPrinterStores::Outcome::kStored, outcome);
        ASSERT_TRUE(lists && read);
        EXPECT_EQ(unit->GetValue(), DuplexUnitOf(read.get())) << "the later commit's";
        ASSERT_NE(nullptr, FirstText(lists.get()));
        EXPECT_EQ(RWCString("the commit between"), FirstText(lists.get())->GetString()) << "not the first look's";
        new StandinServices;
    }
}

// Stores an older version wrote whole, with no check or past a check it never updates,
// read as written; the upgrade keeps them byte for byte and gives each this version's
// check, so that a write of this version stopped midway is told from them from then on.
TEST_F(PrinterStores, AnOlderVersionsWholeWriteIsReadAndTheUpgradeGivesItACheck)
{
    const struct {
        const char* what;
        bool staleCheck;
    } rows[] = {{"no check", false}, {"a check it left behind", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Reinstall();
        InjectingDriverUI* ui = HoldObject();
        if (row.staleCheck) {
            // This version's write first, then the older version's over its chunks and count.
            ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
            std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
            ASSERT_NE(nullptr, tree);
            GStringAttribute* text = FirstText(tree->FindById(FeatureId::kPrinterLists));
            ASSERT_NE(nullptr, text);
            text->SetString("this version's");
            ASSERT_EQ(1, ui->CommitSettings(tree.get(), 1));
            FreshServer();
            ui = HoldObject();
            for (const auto& store : installed) {
                size_t chunk = 0;
                for (size_t at = 0; at < store.second.size() || chunk == 0; at += 248, ++chunk)
                    WriteValue((store.first + L":" + std::to_wstring(chunk)).c_str(), REG_BINARY,
                               store.second.data() + at, DWORD(std::min<size_t>(248, store.second.size() - at)));
                WriteDword(store.first.c_str(), DWORD(chunk));
            }
            EXPECT_FALSE(GOSFactory::Instance()->HasCurrentCheck(ui, L"366"));
        }
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
        EXPECT_TRUE(ui->CanStore()) << "every store reads";
        int device = 0, lists = 0, extension = 0;
        EXPECT_EQ(1, ui->UpgradeStores(device, lists, extension));
        EXPECT_EQ(3, device + lists + extension);
        EXPECT_EQ(installed, Snapshot()) << "byte for byte";
        for (const wchar_t* store : kStores)
            EXPECT_TRUE(GOSFactory::Instance()->HasCurrentCheck(ui, store)) << std::string(store, store + 3);
    }
}

// Two registrations at once, from two threads, round after round: each reads the stores
// and commits them again as one change, so neither loses the other's, and both are told
// they registered.
TEST_F(PrinterStores, TwoRegistrationsAtOnceAreBothKept)
{
    ASSERT_TRUE(TestPrinter::CopyIfDifferent(DmcStandin::ProgramFolder() + L"\\qzext.dll",
                                             DmcStandin::Folder() + L"\\qzext2.dll"));
    const std::string narrow(name.begin(), name.end());
    const char* const modules[] = {"qzext.dll", "qzext2.dll"};
    for (int round = 0; round < 8; ++round) {
        std::atomic<int> ready{0};
        uint32_t results[2] = {99, 99};
        auto registering = [&](int i) {
            ++ready;
            while (ready.load() < 2)
                std::this_thread::yield();
            results[i] = QZDrv_RegisterExtension(narrow.c_str(), 0, modules[i], 0);
        };
        std::thread first(registering, 0), second(registering, 1);
        first.join();
        second.join();
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(0u, results[i]) << round << " " << modules[i];
            EXPECT_EQ(13u, QZDrv_RegisterExtension(narrow.c_str(), 0, modules[i], 0)) << round << ": still there";
        }
        for (const char* module : modules)
            ASSERT_EQ(0u, QZDrv_RegisterExtension(narrow.c_str(), 0, module, 1)) << round;
    }
    DeleteFileW((DmcStandin::Folder() + L"\\qzext2.dll").c_str());
}

namespace {

const wchar_t kHeldLockPrinter[] = L"QZ_TEST_HELD_LOCK_PRINTER";
const wchar_t kHeldLockAccess[] = L"QZ_TEST_HELD_LOCK_ACCESS";

std::wstring LockEventName(const char* what) { return std::wstring(L"QZ test stores lock ") + std::wstring(what, what + std::strlen(what)); }

} // namespace

// Another process makes the stores lock first, with an access list of its own, takes it
// and holds it until told: a fresh read answers at once, without waiting on it, and a
// commit stores nothing and loses nothing of the stores. The commit learns it is busy
// whatever the lock's list: one that lets this process in is held, and one that does not
// (a name taken first by a process that admits no one, which the global name cannot
// prevent) is another program's, since the printer lets this process change it.
TEST_F(PrinterStores, ALockAnotherProcessMadeAndHoldsStallsNoReadAndLosesNothing)
{
    const struct {
        const wchar_t* access;  // the child's list
        bool busy, refused;
    } rows[] = {
        {L"D:(A;;GA;;;WD)", true, false},
        {L"D:", true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::wstring(row.access));
        Reinstall();
        LockWait wait(20);
        HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, LockEventName("taken").c_str());
        HANDLE release = CreateEventW(nullptr, TRUE, FALSE, LockEventName("release").c_str());
        SetEnvironmentVariableW(kHeldLockPrinter, name.c_str());
        SetEnvironmentVariableW(kHeldLockAccess, row.access);
        ChildResult child = {};
        std::thread holder([&] { child = RunChildTest("HeldLockChild.DISABLED_MakesTheLockWithItsListAndHoldsIt"); });
        const bool held = WaitForSingleObject(taken, 60000) == WAIT_OBJECT_0;
        EXPECT_TRUE(held) << "the child took the lock";
        if (held) {
            FreshServer();
            InjectingDriverUI* ui = HoldObject();
            const GPlatformCalls::Totals before = GPlatformCalls::Now();
            EXPECT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
            EXPECT_EQ(0u, GPlatformCalls::Now().Since(before)[GPlatformCalls::kLockWait]) << "no read waits";
            std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
            EXPECT_NE(nullptr, tree);
            if (tree) {
                FirstText(tree->FindById(FeatureId::kPrinterLists))->SetString("a change to commit");
                EXPECT_EQ(0, ui->CommitSettings(tree.get(), 1));
                EXPECT_EQ(row.busy, ui->StoresBusy()) << "the commit learns why";
                EXPECT_EQ(row.refused, ui->StoresRefused()) << "the commit learns why";
            }
            EXPECT_EQ(installed, Snapshot());
        }
        SetEvent(release);
        holder.join();
        SetEnvironmentVariableW(kHeldLockPrinter, nullptr);
        SetEnvironmentVariableW(kHeldLockAccess, nullptr);
        EXPECT_EQ(0u, child.exitCode) << child.output;
        CloseHandle(taken);
        CloseHandle(release);
        ReleaseHeld();
    }
}

// The child: the lock made first under its name with the access list given, taken, and
// held until the parent says.
TEST(HeldLockChild, DISABLED_MakesTheLockWithItsListAndHoldsIt)
{
    wchar_t printer[512] = {};
    ASSERT_NE(0u, GetEnvironmentVariableW(kHeldLockPrinter, printer, 512));
    wchar_t access[512] = {};
    ASSERT_NE(0u, GetEnvironmentVariableW(kHeldLockAccess, access, 512));
    PSECURITY_DESCRIPTOR list = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(access, SDDL_REVISION_1, &list, nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, list, FALSE};
    HANDLE mutex = CreateMutexW(&attributes, TRUE, GWin32OSFactory::StoresLockName(printer).Data());
    LocalFree(list);
    ASSERT_NE(nullptr, mutex);
    HANDLE taken = OpenEventW(EVENT_MODIFY_STATE, FALSE, LockEventName("taken").c_str());
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, LockEventName("release").c_str());
    ASSERT_TRUE(taken && release);
    SetEvent(taken);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(release, 60000));
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    CloseHandle(taken);
    CloseHandle(release);
}

namespace {

// The module's services running a step once, just before the stores lock is asked for:
// another process's write between what a change read before and the lock.
struct BeforeLockServices : StandinServices {
    std::function<void()> step;
    int LockPrinterStores(GDriverObject* driver, uint32_t wait, void*& held) override
    {
        if (step) {
            std::function<void()> once = std::move(step);
            step = nullptr;
            once();
        }
        return StandinServices::LockPrinterStores(driver, wait, held);
    }
};

// The module's services noting the wait of each ask for the stores lock.
struct WaitNotingServices : StandinServices {
    std::vector<uint32_t> waits;
    int LockPrinterStores(GDriverObject* driver, uint32_t wait, void*& held) override
    {
        waits.push_back(wait);
        return StandinServices::LockPrinterStores(driver, wait, held);
    }
};

} // namespace

// A missing store is made only while it is still missing under the lock, which the fill
// asks for with no wait: a readable store another process wrote after the call found it
// missing keeps its bytes.
TEST_F(PrinterStores, AStoreMadeMeanwhileIsNotMadeAgainFromTheDefaults)
{
    Reinstall();
    InjectingDriverUI* ui = HoldObject();
    std::unique_ptr<GObjectBase> lists(ui->LoadSettingsTree(FeatureId::kPrinterLists));
    ASSERT_TRUE(lists && FirstText(lists.get()));
    FirstText(lists.get())->SetString("theirs");
    ASSERT_EQ(1, ui->SaveSettingsTree(lists.get()));
    const std::vector<uint8_t> theirs = StoredBytes(L"366");
    Reinstall();
    DeleteStored(L"366");
    ui = HoldObject();
    std::unique_ptr<GObjectBase> defaults(ui->CreateDefaultSettings());
    ASSERT_NE(nullptr, defaults);
    auto* seam = new BeforeLockServices;
    seam->step = [&] { WriteStore(L"366", theirs); };
    {
        PrinterRecordScope call;
        ui->StoreMissingNodes(defaults.get());
    }
    EXPECT_EQ(theirs, StoredBytes(L"366"));
    EXPECT_EQ(installed[L"365"], StoredBytes(L"365"));
    FreshServer();
    std::unique_ptr<GObjectBase> read(HoldObject()->LoadSettingsTree(FeatureId::kPrinterLists));
    ASSERT_TRUE(read && FirstText(read.get()));
    EXPECT_EQ(RWCString("theirs"), FirstText(read.get())->GetString());
    // The fill asks for the lock with no wait.
    Reinstall();
    DeleteStored(L"366");
    auto* noting = new WaitNotingServices;
    {
        PrinterRecordScope call;
        HoldObject()->StoreMissingNodes(defaults.get());
    }
    ASSERT_FALSE(noting->waits.empty());
    EXPECT_EQ(0u, noting->waits.front());
    EXPECT_FALSE(StoredBytes(L"366").empty()) << "made";
    new StandinServices;
}

namespace {

// The three stores as one reader on this thread reads them in one call, each in the
// older portable form, to tell one commit's from another's: empty for one that does not
// read.
std::vector<std::vector<uint8_t>> ReadThree(GDriverObject* driver)
{
    PrinterRecordScope call;
    GPrinterStores reader(*driver);
    std::vector<std::vector<uint8_t>> three;
    for (long id : GPrinterStores::kIds) {
        std::unique_ptr<GObjectBase> node(reader.Load(id));
        three.push_back(node ? PortableForm(node.get()) : std::vector<uint8_t>());
    }
    return three;
}

// The module's services ending a commit at one step, as a process ended there would:
// every write from that step on is dropped. Before each step a check may run.
struct StoppingServices : StandinServices {
    int steps = 0;
    int stopAt = -1;
    std::function<void()> between;
    bool Step()
    {
        if (between)
            between();
        const bool go = stopAt < 0 || steps < stopAt;
        ++steps;
        return go;
    }
    int WritePart(const ChunkTarget& target, const RWWString& name, uint32_t type, const void* data,
                  uint32_t length) override
    {
        return Step() ? StandinServices::WritePart(target, name, type, data, length) : 0;
    }
    int RemovePart(const ChunkTarget& target, const RWWString& name) override
    {
        return Step() ? StandinServices::RemovePart(target, name) : 0;
    }
    int DeletePrinterDriverDataValue(GDriverObject* driver, const RWWString& name) override
    {
        return Step() ? StandinServices::DeletePrinterDriverDataValue(driver, name) : 0;
    }
};

// The stores' nodes of a tree, by GPrinterStores::kIds' order.
std::array<GObjectBase*, GPrinterStores::kCount> NodesOf(GObjectBase* tree)
{
    std::array<GObjectBase*, GPrinterStores::kCount> nodes = {};
    for (int i = 0; i < GPrinterStores::kCount; ++i)
        nodes[i] = tree->FindById(GPrinterStores::kIds[i]);
    return nodes;
}

} // namespace

// A commit that ends at any of its steps, over stores read from their chunks alone and
// over a commit published before it: a fresh reader then reads the three of the old
// commit or of the new, never the factory's and never a mix, and the next commit leaves
// every store's chunks finished. A reader on another thread between each two steps of a
// whole commit reads one commit's three too.
TEST_F(PrinterStores, AWriterEndedAtAnyStepLeavesTheOldStoresOrTheNew)
{
    for (bool published : {false, true}) {
        SCOPED_TRACE(published ? "over a published commit" : "over chunks alone");
        Reinstall();
        InjectingDriverUI* ui = HoldObject();
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
        std::unique_ptr<GObjectBase> older(ui->LoadStoredSettings()), newer(ui->LoadStoredSettings()),
            third(ui->LoadStoredSettings());
        ASSERT_TRUE(older && newer && third && FirstText(third->FindById(FeatureId::kPrinterLists)));
        // The commit after each stopped one changes every store again.
        FirstText(third->FindById(FeatureId::kPrinterLists))->SetString("the commit after");
        third->FindById(FeatureId::kDeviceSettings)->Add(new GValueAttribute(3, 905));
        third->FindById(FeatureId::kExtensionData)->Add(new GValueAttribute(7, 905));
        GValueAttribute* unit =
            GDriverObject::Feature<GValueAttribute>(newer->FindById(FeatureId::kDeviceSettings), FeatureId::kDuplexUnit);
        ASSERT_TRUE(unit && FirstText(newer->FindById(FeatureId::kPrinterLists)));
        unit->SetValue(uint16_t(unit->GetValue() == 1 ? 0 : 1));
        FirstText(newer->FindById(FeatureId::kPrinterLists))->SetString("the newer commit, longer than the older");
        newer->FindById(FeatureId::kExtensionData)->Add(new GValueAttribute(7, 901));
        auto olderNodes = NodesOf(older.get()), newerNodes = NodesOf(newer.get());
        auto start = [&] {
            Reinstall();
            if (published) {
                ASSERT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*HoldObject()).Store(olderNodes.data()));
            }
            FreshServer();
        };
        start();
        const auto before = ReadThree(HoldObject());
        // The whole commit, a reader on another thread before each step.
        std::vector<std::vector<std::vector<uint8_t>>> seen;
        auto* seam = new StoppingServices;
        seam->between = [&] {
            std::thread reader([&] { seen.push_back(ReadThree(ui)); });
            reader.join();
        };
        ui = HoldObject();
        ASSERT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(newerNodes.data()));
        const int steps = seam->steps;
        new StandinServices;
        FreshServer();
        const auto after = ReadThree(HoldObject());
        ASSERT_NE(before, after);
        for (const auto& three : {before, after})
            for (const auto& store : three)
                ASSERT_FALSE(store.empty());
        ASSERT_LT(10, steps);
        for (size_t step = 0; step < seen.size(); ++step)
            EXPECT_TRUE(seen[step] == before || seen[step] == after) << "a reader before step " << step;
        // Ended at each step.
        for (int stopAt = 0; stopAt < steps; ++stopAt) {
            start();
            auto* stopping = new StoppingServices;
            stopping->stopAt = stopAt;
            GPrinterStores(*HoldObject()).Store(newerNodes.data());
            new StandinServices;
            FreshServer();
            const auto three = ReadThree(HoldObject());
            EXPECT_TRUE(three == before || three == after) << "ended at step " << stopAt;
            FreshServer();
            ui = HoldObject();
            EXPECT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(NodesOf(third.get()).data())) << stopAt;
            for (const wchar_t* store : kStores)
                EXPECT_TRUE(GOSFactory::Instance()->HasCurrentCheck(ui, store)) << stopAt << ": " << store[2];
        }
        FreshServer();
    }
}

// Readers on another thread while commits of this version come one after another, and
// while an older version rewrites a store's chunks part by part (never its check, never
// the record): every read reads every store, one commit's three while only this version
// writes.
TEST_F(PrinterStores, ReadersDuringCommitsAndAnOlderVersionsWritesReadEveryStore)
{
    Reinstall();
    InjectingDriverUI* ui = HoldObject();
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    std::unique_ptr<GObjectBase> trees[2] = {std::unique_ptr<GObjectBase>(ui->LoadStoredSettings()),
                                             std::unique_ptr<GObjectBase>(ui->LoadStoredSettings())};
    ASSERT_TRUE(trees[0] && trees[1] && FirstText(trees[1]->FindById(FeatureId::kPrinterLists)));
    FirstText(trees[1]->FindById(FeatureId::kPrinterLists))->SetString("the second state, a longer text than the first");
    trees[1]->FindById(FeatureId::kDeviceSettings)->Add(new GValueAttribute(3, 902));
    std::vector<std::vector<uint8_t>> three[2], lists[2];
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(NodesOf(trees[i].get()).data()));
        FreshServer();
        ui = HoldObject();
        three[i] = ReadThree(ui);
        lists[i].push_back(StoredBytes(L"366"));
    }
    for (bool older : {false, true}) {
        SCOPED_TRACE(older ? "an older version's writes" : "this version's commits");
        std::atomic<bool> done{false};
        int reads = 0, factorys = 0, mixed = 0;
        std::thread reader([&] {
            while (!done.load() || reads == 0) {
                const auto read = ReadThree(ui);
                ++reads;
                factorys += std::any_of(read.begin(), read.end(), [](const std::vector<uint8_t>& store) {
                    return store.empty();
                });
                mixed += read != three[0] && read != three[1];
            }
        });
        for (int round = 0; round < 20; ++round) {
            if (older) {
                // Its last write differs from this version's last commit.
                const std::vector<uint8_t>& bytes = lists[(round + 1) % 2][0];
                for (size_t at = 0, chunk = 0; at < bytes.size() || chunk == 0; at += 248, ++chunk) {
                    WriteValue((L"366:" + std::to_wstring(chunk)).c_str(), REG_BINARY, bytes.data() + at,
                               DWORD(std::min<size_t>(248, bytes.size() - at)));
                    WriteDword(L"366", DWORD(chunk + 1));
                }
            } else {
                EXPECT_EQ(GPrinterStores::Outcome::kStored,
                          GPrinterStores(*ui).Store(NodesOf(trees[round % 2].get()).data()));
            }
        }
        done = true;
        reader.join();
        EXPECT_LT(0, reads);
        EXPECT_EQ(0, factorys) << reads << " reads";
        if (!older) {
            EXPECT_EQ(0, mixed) << reads << " reads";
        }
    }
    // The older version's last whole write is read, and the next commit stores it.
    FreshServer();
    ui = HoldObject();
    std::unique_ptr<GObjectBase> read(ui->LoadSettingsTree(FeatureId::kPrinterLists));
    ASSERT_TRUE(read && FirstText(read.get()));
    EXPECT_EQ(FirstText(trees[0]->FindById(FeatureId::kPrinterLists))->GetString(), FirstText(read.get())->GetString());
    EXPECT_FALSE(GOSFactory::Instance()->HasCurrentCheck(ui, L"366"));
    ASSERT_EQ(1, ui->SaveSettingsTree(read.get()));
    EXPECT_TRUE(GOSFactory::Instance()->HasCurrentCheck(ui, L"366"));
    EXPECT_EQ(lists[0][0], StoredBytes(L"366"));
}

// Two writers of one user's store at once, round after round, each with bytes of its own
// length: the store reads as one of them, whole.
TEST_F(PrinterStores, TwoWritersOfTheUsersStoreNeverLeaveAMix)
{
    InjectingDriverUI* ui = HoldObject();
    const RWWString value(L"???\\2147483649\\Software\\QZ test\\Two writers\\Marks");
    const std::vector<uint8_t> bytes[2] = {std::vector<uint8_t>(1000, 0x11), std::vector<uint8_t>(700, 0x22)};
    int mixed = 0;
    for (int round = 0; round < 20; ++round) {
        std::atomic<int> ready{0};
        int written[2] = {};
        auto write = [&](int i) {
            ++ready;
            while (ready.load() < 2)
                std::this_thread::yield();
            written[i] = GOSFactory::Instance()->SetPrinterDataBinary(ui, value, bytes[i].data(),
                                                                      uint32_t(bytes[i].size()));
        };
        std::thread first(write, 0), second(write, 1);
        first.join();
        second.join();
        EXPECT_EQ(1, written[0] + written[1] > 1 ? 1 : 0) << round;
        std::vector<uint8_t> stored(4096);
        uint32_t length = 0;
        ASSERT_EQ(1, GOSFactory::Instance()->GetPrinterDataBinary(ui, value, stored.data(), uint32_t(stored.size()),
                                                                   length))
            << round;
        stored.resize(length);
        mixed += stored != bytes[0] && stored != bytes[1];
        EXPECT_TRUE(GOSFactory::Instance()->HasCurrentCheck(ui, value)) << round;
    }
    EXPECT_EQ(0, mixed);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QZ test\\Two writers");
}

// The way back decided under the lock: a store that did not read when the sheet opened
// and reads again by its OK keeps its bytes, alone or beside one still damaged; nothing
// is written, the user is told which, and the sheet stays open with its edits.
TEST_F(PrinterStores, TheWayBackWritesOverNoStoreThatReadsAgainByTheOk)
{
    const std::wstring resources = DmcStandin::Folder() + L"\\qzres32.dll";
    ASSERT_TRUE(TestPrinter::CopyIfDifferent(DmcStandin::ProgramFolder() + L"\\qzres32.dll", resources));
    for (bool besideDamaged : {false, true}) {
        SCOPED_TRACE(besideDamaged ? "beside one still damaged" : "alone");
        Reinstall();
        std::vector<uint8_t> damaged = installed[L"366"];
        damaged.resize(damaged.size() / 2);
        WriteStore(L"366", damaged);
        if (besideDamaged)
            WriteStore(L"368", std::vector<uint8_t>(300, 0x5A));
        const Stored before = Snapshot();
        ReplaceQuestion::answer = IDYES;
        ReplaceQuestion::asked = 0;
        DEVICEPROPERTYHEADER header = {sizeof header, 0, handle, &name[0]};
        PROPSHEETUI_INFO info = SheetInfo(&header);
        info.Reason = PROPSHEETUI_REASON_INIT;
        ASSERT_EQ(1, DrvDevicePropertySheets(&info, 0));
        // Another process puts 366 back before the OK.
        WriteStore(L"366", installed[L"366"]);
        SETRESULT_INFO set = {sizeof set, 0, nullptr, CPSUI_OK};
        info.Reason = PROPSHEETUI_REASON_SET_RESULT;
        DrvDevicePropertySheets(&info, reinterpret_cast<LPARAM>(&set));
        EXPECT_EQ(LRESULT(CPSUI_CANCEL), info.Result);
        EXPECT_EQ(2, ReplaceQuestion::asked) << "the question, then the notice";
        EXPECT_NE(std::wstring::npos, ReplaceQuestion::text.find(L"can be read again: the printer's lists."))
            << std::string(ReplaceQuestion::text.begin(), ReplaceQuestion::text.end());
        info.Reason = PROPSHEETUI_REASON_DESTROY;
        DrvDevicePropertySheets(&info, 0);
        EXPECT_EQ(installed[L"366"], StoredBytes(L"366")) << "it keeps its bytes";
        EXPECT_EQ(before.at(L"368"), StoredBytes(L"368"));
        EXPECT_EQ(before.at(L"365"), StoredBytes(L"365"));
    }
    ReplaceQuestion::answer = IDNO;
    FreshServer();
    DeleteFileW(resources.c_str());
}

namespace {

// The two states a committing child alternates between: the stores as the printer holds
// them, and the same with the duplex unit turned over, a text of another length and a
// member more in the extension data.
std::unique_ptr<GObjectBase> CommitState(InjectingDriverUI* ui, int state)
{
    if (ui->MergeDevModeIntoSettings(nullptr) != 1)
        return nullptr;
    std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
    if (!tree || state == 0)
        return tree;
    GValueAttribute* unit =
        GDriverObject::Feature<GValueAttribute>(tree->FindById(FeatureId::kDeviceSettings), FeatureId::kDuplexUnit);
    GStringAttribute* text = FirstText(tree->FindById(FeatureId::kPrinterLists));
    if (!unit || !text)
        return nullptr;
    unit->SetValue(uint16_t(unit->GetValue() == 1 ? 0 : 1));
    text->SetString("the second state of a committing child");
    tree->FindById(FeatureId::kExtensionData)->Add(new GValueAttribute(7, 903));
    return tree;
}

} // namespace

void PrinterStores::CommitBothStates(InjectingDriverUI*& ui, std::unique_ptr<GObjectBase> (&states)[2],
                                     std::vector<std::vector<uint8_t>> (&three)[2])
{
    Reinstall();
    ui = HoldObject();
    states[0] = CommitState(ui, 0);
    states[1] = CommitState(ui, 1);
    ASSERT_TRUE(states[0] && states[1]);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(NodesOf(states[i].get()).data()));
        FreshServer();
        three[i] = ReadThree(ui = HoldObject());
    }
}

// A process ended while it commits, again and again at other moments: every store then
// reads, as one of the two commits it alternated between left all three, and the next
// commit of this process stores.
TEST_F(PrinterStores, AProcessEndedWhileItCommitsLeavesOneCommitsStoresWhole)
{
    InjectingDriverUI* ui = nullptr;
    std::unique_ptr<GObjectBase> states[2];
    std::vector<std::vector<uint8_t>> three[2];
    ASSERT_NO_FATAL_FAILURE(CommitBothStates(ui, states, three));
    ASSERT_NE(three[0], three[1]);
    // Ended at a moment after its first commit.
    HANDLE committed = CreateEventW(nullptr, TRUE, FALSE, kChildCommitted);
    ASSERT_NE(nullptr, committed);
    for (DWORD bound : {0u, 15u, 30u, 45u, 60u, 75u}) {
        Reinstall();
        FreshServer();
        ResetEvent(committed);
        const ChildResult child = RunChildTest("PrinterStores.DISABLED_CommitsTwoStatesByTurnsUntilEnded",
                                               ThisProgram(), 60000, committed, bound);
        EXPECT_NE(0u, child.exitCode) << "ended while committing";
        EXPECT_EQ(DWORD(WAIT_OBJECT_0), WaitForSingleObject(committed, 0)) << "it committed first, " << bound;
        FreshServer();
        ui = HoldObject();
        const auto read = ReadThree(ui);
        EXPECT_TRUE(read == three[0] || read == three[1]) << "ended after " << bound << " ms";
        EXPECT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(NodesOf(states[1].get()).data()));
        for (const wchar_t* store : kStores)
            EXPECT_TRUE(GOSFactory::Instance()->HasCurrentCheck(ui, store)) << bound << ": " << store[2];
    }
    CloseHandle(committed);
    FreshServer();
}

// The child: commits the two states by turns until it is ended.
TEST_F(PrinterStores, DISABLED_CommitsTwoStatesByTurnsUntilEnded)
{
    InjectingDriverUI* ui = HoldObject();
    std::unique_ptr<GObjectBase> states[2] = {CommitState(ui, 0), CommitState(ui, 1)};
    ASSERT_TRUE(states[0] && states[1]);
    // The parent learns of the first commit of these rounds.
    HANDLE committed = OpenEventW(EVENT_MODIFY_STATE, FALSE, kChildCommitted);
    const uint32_t first = CommitNumber();
    for (int round = 0; round < 100000; ++round)
        if (GPrinterStores(*ui).Store(NodesOf(states[round % 2].get()).data()) == GPrinterStores::Outcome::kStored &&
            committed && CommitNumber() != first)
            SetEvent(committed);
}

namespace {

// The module's services running a step on the reader's thread, once each: before the
// reader reads the first published copy, and before it reads one part of a store's
// chunked form (its count, its check or a chunk).
struct RacingServices : StandinServices {
    DWORD reader = GetCurrentThreadId();
    std::function<void()> atCopy, atPart;
    std::wstring part;
    static void Once(std::function<void()>& step)
    {
        std::function<void()> once = std::move(step);
        step = nullptr;
        if (once)
            once();
    }
    StoredRead GetPrinterDataWhole(GDriverObject* driver, const RWWString& name, uint32_t bound,
                                   std::vector<uint8_t>& bytes, bool afresh) override
    {
        if (GetCurrentThreadId() == reader && std::wcschr(name.Data(), L'@'))
            Once(atCopy);
        return StandinServices::GetPrinterDataWhole(driver, name, bound, bytes, afresh);
    }
    void ReadPart(const ChunkTarget& target, const RWWString& name, GPrinterDataCache::Value& value) override
    {
        if (GetCurrentThreadId() == reader && part == std::wstring(name.Data(), name.Length()))
            Once(atPart);
        StandinServices::ReadPart(target, name, value);
    }
};

// The stores in the older portable form, as a tree's nodes hold them.
std::vector<std::vector<uint8_t>> ThreeOf(GObjectBase* tree)
{
    std::vector<std::vector<uint8_t>> three;
    for (long id : GPrinterStores::kIds) {
        GObjectBase* node = tree->FindById(id);
        three.push_back(node ? PortableForm(node) : std::vector<uint8_t>());
    }
    return three;
}

// Every published copy the printer holds is one the record names, as the commit it was
// written by or the one that commit replaced.
bool EveryCopyIsNamed()
{
    DWORD type = 0;
    std::vector<uint8_t> record;
    uint32_t words[2 + 4 * GPrinterStores::kCount] = {};
    if (!ReadValue(DataKey(), GPrinterStores::kCommitRecord, type, record) || record.size() != sizeof words)
        return false;
    std::memcpy(words, record.data(), sizeof words);
    for (const std::wstring& name : DataValueNames()) {
        const size_t at = name.find(L'@');
        if (at == std::wstring::npos)
            continue;
        const std::wstring store = name.substr(0, at);
        const uint32_t commit = uint32_t(std::wcstoul(name.c_str() + at + 1, nullptr, 10));
        bool named = false;
        for (int i = 0; i < GPrinterStores::kCount; ++i)
            named = named || (std::to_wstring(GPrinterStores::kIds[i]) == store &&
                              (words[2 + 4 * i] == commit || words[2 + 4 * i + 3] == commit));
        if (!named)
            return false;
    }
    return true;
}

// The services of a printer whose data key the registry does not open for this user, as
// a user the printer lets administer it but the registry does not, or a printer shared
// from a server: values go through the spooler (which stands in for the spooler of a
// system where it removes them) or not at all.
struct SpoolerOnlyServices : StandinServices {
    bool SpoolerRemovesValues() override { return true; }
    int DeleteThroughSpooler(HANDLE, const RWWString& name) override
    {
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DataKey().c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return 0;
        const bool deleted = RegDeleteValueW(key, name.Data()) == ERROR_SUCCESS;
        RegCloseKey(key);
        return deleted;
    }
    LONG OpenDriverDataToRemove(GDriverObject*, HKEY& key) override
    {
        key = nullptr;
        return ERROR_ACCESS_DENIED;
    }
};

} // namespace

// Readers meeting commits at the edges of their reads, each once: two commits between a
// reader's record and the copies it names, and a third inside a store's chunks; a commit
// between a reader's count and its check; a commit between the looks of a call's first
// read, whose later reads in the call (PutInto's, store by store) keep the three it read.
// Each reads the three of one commit, never the factory's.
TEST_F(PrinterStores, ReadersMeetingCommitsAtTheirEdgesReadOneCommitsThree)
{
    InjectingDriverUI* ui = nullptr;
    std::unique_ptr<GObjectBase> states[2];
    std::vector<std::vector<uint8_t>> three[2];
    ASSERT_NO_FATAL_FAILURE(CommitBothStates(ui, states, three));
    int next = 0;
    // A commit of the other state on another thread, as another process's.
    auto commit = [&] {
        std::thread writer([&] { GPrinterStores(*ui).Store(NodesOf(states[next].get()).data()); });
        writer.join();
        next = 1 - next;
    };
    const struct {
        int before;  // commits before the copies are read
        const wchar_t* part;
        const char* what;
    } rows[] = {
        {2, L"365:1", "two commits before the copies, a third inside the chunks"},
        {0, L"366:check", "a commit between the count and the check"},
        {0, L"366:0", "a commit between the looks of a call's first read"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        FreshServer();
        ui = HoldObject();
        auto* seam = new RacingServices;
        seam->atCopy = [&] {
            for (int i = 0; i < row.before; ++i)
                commit();
        };
        seam->part = row.part;
        seam->atPart = commit;
        std::unique_ptr<GObjectBase> tree(new GAttributeComposite(360));
        {
            PrinterRecordScope call;
            GPrinterStores reader(*ui);
            reader.PutInto(tree.get(), nullptr);
        }
        EXPECT_FALSE(seam->atPart) << "the commit inside the read ran";
        const auto read = ThreeOf(tree.get());
        EXPECT_TRUE(read == three[0] || read == three[1]);
        new StandinServices;
    }
}

// A commit stopped after it marked the stores and before its record, then an older
// version's whole rewrite of one store: the rewrite is read as written, and the next
// commit, of another store alone, keeps it, in this version's form.
TEST_F(PrinterStores, AnOlderVersionsRewriteOverAStoppedCommitsMarksIsReadAndKept)
{
    Reinstall();
    InjectingDriverUI* ui = HoldObject();
    std::unique_ptr<GObjectBase> states[2] = {CommitState(ui, 0), CommitState(ui, 1)};
    ASSERT_TRUE(states[0] && states[1]);
    // The older version's lists: a third state's, as chunks.
    std::unique_ptr<GObjectBase> third(CommitState(ui, 1));
    ASSERT_TRUE(third && FirstText(third->FindById(FeatureId::kPrinterLists)));
    FirstText(third->FindById(FeatureId::kPrinterLists))->SetString("the lists an older version wrote");
    ASSERT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(NodesOf(third.get()).data()));
    const std::vector<uint8_t> olderLists = StoredBytes(L"366");
    FreshServer();
    const std::vector<uint8_t> lists = ReadThree(HoldObject())[1];
    Reinstall();
    ui = HoldObject();
    ASSERT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(NodesOf(states[0].get()).data()));
    // Stopped at its record: three copies and three marks written.
    auto* stopping = new StoppingServices;
    stopping->stopAt = 6;
    GPrinterStores(*ui).Store(NodesOf(states[1].get()).data());
    new StandinServices;
    WriteChunksAsOlder(L"366", olderLists);
    FreshServer();
    EXPECT_EQ(lists, ReadThree(ui = HoldObject())[1]) << "the older version's";
    std::unique_ptr<GObjectBase> device(ui->LoadSettingsTree(FeatureId::kDeviceSettings));
    ASSERT_NE(nullptr, device);
    device->Add(new GValueAttribute(3, 904));
    ASSERT_EQ(1, ui->SaveSettingsTree(device.get()));
    FreshServer();
    EXPECT_EQ(lists, ReadThree(ui = HoldObject())[1]) << "kept by the next commit";
    EXPECT_TRUE(GOSFactory::Instance()->HasCurrentCheck(ui, L"366"));
}

// A record whose write answered failure and whose read-back fails: whether it landed
// cannot be told, so its copies and marks stay and nothing is said stored; it landed, and
// the stores read as it names them.
TEST_F(PrinterStores, ARecordWhoseLandingCannotBeToldKeepsItsCopies)
{
    struct BlindServices : RecordRefusingServices {
        StoredRead GetPrinterDataWhole(GDriverObject* driver, const RWWString& name, uint32_t bound,
                                       std::vector<uint8_t>& bytes, bool afresh) override
        {
            if (blind && afresh && std::wstring(name.Data(), name.Length()) == GPrinterStores::kCommitRecord)
                return bytes.clear(), StoredRead::kUnreadable;
            return RecordRefusingServices::GetPrinterDataWhole(driver, name, bound, bytes, afresh);
        }
        bool blind = false;
    };
    Reinstall();
    InjectingDriverUI* ui = HoldObject();
    std::unique_ptr<GObjectBase> states[2] = {CommitState(ui, 0), CommitState(ui, 1)};
    ASSERT_TRUE(states[0] && states[1]);
    ASSERT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(NodesOf(states[1].get()).data()));
    FreshServer();
    const auto written = ReadThree(ui = HoldObject());
    ASSERT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(NodesOf(states[0].get()).data()));
    auto* seam = new BlindServices;
    seam->lands = seam->blind = true;
    EXPECT_EQ(GPrinterStores::Outcome::kNotStored, GPrinterStores(*ui).Store(NodesOf(states[1].get()).data()));
    new StandinServices;
    FreshServer();
    EXPECT_EQ(written, ReadThree(ui = HoldObject()));
    // The next commit tidies what this one left.
    ASSERT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(NodesOf(states[0].get()).data()));
    EXPECT_TRUE(EveryCopyIsNamed());
}

// Fifty commits on a printer whose data key the registry does not open: each removes
// through the spooler every copy no record names, so the printer's data is as large after
// them as after the first; a copy left by a commit long before, and one a stopped commit
// left under a number no record reached, go with the next commit.
TEST_F(PrinterStores, CommitsLeaveNoCopyNoRecordNames)
{
    Reinstall();
    InjectingDriverUI* ui = HoldObject();
    std::unique_ptr<GObjectBase> states[2] = {CommitState(ui, 0), CommitState(ui, 1)};
    ASSERT_TRUE(states[0] && states[1]);
    new SpoolerOnlyServices;
    size_t first = 0;
    for (int round = 0; round < 50; ++round) {
        ASSERT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(NodesOf(states[round % 2].get()).data()));
        if (round == 1)
            first = DataValueNames().size();
    }
    EXPECT_EQ(first, DataValueNames().size());
    EXPECT_TRUE(EveryCopyIsNamed());
    const uint8_t stale[] = {1, 2, 3};
    WriteValue(L"365@1", REG_BINARY, stale, sizeof stale);
    WriteValue((L"366@" + std::to_wstring(CommitNumber() + 7)).c_str(), REG_BINARY, stale, sizeof stale);
    EXPECT_FALSE(EveryCopyIsNamed());
    ASSERT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(NodesOf(states[0].get()).data()));
    EXPECT_TRUE(EveryCopyIsNamed());
    EXPECT_EQ(first, DataValueNames().size());
    new StandinServices;
}

// What an OK writes while another process holds the stores lock: one that changes none of
// the printer's settings writes nothing and waits on no lock; one that changes the lists
// (366) alone writes their values and the record, and leaves 365 and 368 as they were.
TEST_F(PrinterStores, AnOkWritesOnlyTheStoresItChanged)
{
    Reinstall();
    InjectingDriverUI* ui = HoldObject();
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    ASSERT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(NodesOf(CommitState(ui, 0).get()).data()));
    FreshServer();
    ui = HoldObject();
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
    ASSERT_TRUE(tree && FirstText(tree->FindById(FeatureId::kPrinterLists)));
    const auto before = AllValues();
    {
        LockWait wait(2000);
        LockHeldElsewhere lock(ui);
        ASSERT_TRUE(lock.taken);
        const GPlatformCalls::Totals calls = GPlatformCalls::Now();
        EXPECT_EQ(1, ui->CommitSettings(tree.get(), 1)) << "nothing to store";
        EXPECT_EQ(0u, GPlatformCalls::Now().Since(calls)[GPlatformCalls::kLockWait]);
        EXPECT_EQ(before, AllValues()) << "nothing written";
    }
    FirstText(tree->FindById(FeatureId::kPrinterLists))->SetString("the lists alone changed");
    EXPECT_EQ(1, ui->CommitSettings(tree.get(), 1));
    const auto after = AllValues();
    std::set<std::wstring> changed;
    for (const auto& value : after) {
        auto was = before.find(value.first);
        if (was == before.end() || was->second != value.second)
            changed.insert(StoreOf(value.first.c_str()).substr(0, 3));
    }
    for (const auto& value : before)
        if (!after.count(value.first))
            changed.insert(StoreOf(value.first.c_str()).substr(0, 3));
    EXPECT_EQ((std::set<std::wstring>{L"366", L"Sto"}), changed);
}

// The slips of the record's rules, each a row that fails when it is made: a publish that
// is refused puts the marks back (older versions read every store again); a chunked
// write of the printer's data holds the stores lock; a named copy that does not match its
// CRC is not taken; a store another writer is on answers as this object last read it,
// not as the copy; a copy refused removes no published one.
TEST_F(PrinterStores, SlipsOfTheRecordsRules)
{
    struct CopyRefusingServices : StandinServices {
        int SetPrinterDataWhole(GDriverObject* driver, const RWWString& name, const void* data, uint32_t length) override
        {
            if (std::wcsncmp(name.Data(), L"366@", 4) == 0)
                return 0;
            return StandinServices::SetPrinterDataWhole(driver, name, data, length);
        }
    };
    // The older version's write of the lists, whole or begun again (a count past its
    // chunks).
    auto olderLists = [](const std::vector<uint8_t>& bytes, bool whole) {
        WriteChunksAsOlder(L"366", bytes);
        if (!whole)
            WriteDword(L"366", DWORD(bytes.size() / 248 + 2));
    };
    const char* const rows[] = {"a refused publish", "a write without the lock", "a copy unlike its CRC",
                                "the store as last read", "a refused copy"};
    for (const char* row : rows) {
        SCOPED_TRACE(row);
        Reinstall();
        InjectingDriverUI* ui = HoldObject();
        std::unique_ptr<GObjectBase> states[2] = {CommitState(ui, 0), CommitState(ui, 1)};
        ASSERT_TRUE(states[0] && states[1]);
        ASSERT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(NodesOf(states[0].get()).data()));
        FreshServer();
        const auto published = ReadThree(ui = HoldObject());
        const std::string what = row;
        if (what == "a refused publish" || what == "a refused copy") {
            if (what == "a refused publish")
                new RecordRefusingServices;
            else
                new CopyRefusingServices;
            EXPECT_EQ(GPrinterStores::Outcome::kNotStored, GPrinterStores(*ui).Store(NodesOf(states[1].get()).data()));
            new StandinServices;
            for (const wchar_t* store : kStores)
                EXPECT_TRUE(GOSFactory::Instance()->HasCurrentCheck(ui, store)) << std::wstring(store);
            EXPECT_TRUE(EveryCopyIsNamed());
            FreshServer();
            EXPECT_EQ(published, ReadThree(HoldObject()));
        } else if (what == "a write without the lock") {
            LockWait wait(20);
            LockHeldElsewhere lock(ui);
            ASSERT_TRUE(lock.taken);
            EXPECT_EQ(0, GOSFactory::Instance()->SetPrinterDataBinary(ui, L"QzSlipValue", "held", 4));
            lock.Release();
            EXPECT_EQ(1, GOSFactory::Instance()->SetPrinterDataBinary(ui, L"QzSlipValue", "free", 4));
            DeleteStored(L"QzSlipValue");
        } else if (what == "a copy unlike its CRC") {
            std::wstring copy;
            for (const std::wstring& name : DataValueNames())
                if (name.rfind(L"366@", 0) == 0)
                    copy = name;
            DWORD type = 0;
            std::vector<uint8_t> bytes;
            ASSERT_TRUE(ReadValue(DataKey(), copy.c_str(), type, bytes) && bytes.size() > 40);
            bytes[40] ^= 0x55;
            WriteValue(copy.c_str(), REG_BINARY, bytes.data(), DWORD(bytes.size()));
            FreshServer();
            EXPECT_EQ(published, ReadThree(HoldObject())) << "the chunks, not the copy";
        } else {
            // Another writer's whole lists read, then that writer on them again.
            GPrinterStores reader(*ui);
            std::unique_ptr<GObjectBase> newer(CommitState(ui, 1));
            ASSERT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(NodesOf(newer.get()).data()));
            const std::vector<uint8_t> lists = StoredBytes(L"366");
            ASSERT_EQ(GPrinterStores::Outcome::kStored, GPrinterStores(*ui).Store(NodesOf(states[0].get()).data()));
            olderLists(lists, true);
            std::vector<uint8_t> read;
            {
                PrinterRecordScope call;
                std::unique_ptr<GObjectBase> node(reader.Load(FeatureId::kPrinterLists));
                ASSERT_NE(nullptr, node);
                read = PortableForm(node.get());
            }
            ASSERT_NE(published[1], read) << "the other writer's";
            olderLists(lists, false);
            PrinterRecordScope call;
            std::unique_ptr<GObjectBase> node(reader.Load(FeatureId::kPrinterLists));
            ASSERT_NE(nullptr, node);
            EXPECT_EQ(read, PortableForm(node.get())) << "as last read";
        }
    }
}
