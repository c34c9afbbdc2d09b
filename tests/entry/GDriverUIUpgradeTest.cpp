// The printer upgrade through DrvUpgradePrinter on the installed test printer: stored
// settings and the default DEVMODE kept, missing or damaged nodes replaced by the
// factory's, every member an older version stored brought up or nothing written, the
// mass-storage switches carried over only by an upgrade that stored.
#include "PrinterDataFixture.h"

#include "entry/module/EntryPoints.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GOSFactory.h"

#include <array>
#include <cwchar>

using namespace PrinterDataTest;

namespace {

// The module's services refusing the first write of one stored value, as a spooler
// that cannot write would; the writes after it go through.
struct RefusingServices : StandinServices {
    std::wstring refused;
    // The value's name, or its published copy's ("365@7").
    bool Refuse(const RWWString& name)
    {
        const std::wstring text(name.Data(), name.Length());
        if (refused.empty() || refused != text.substr(0, text.find(L'@')))
            return false;
        refused.clear();
        return true;
    }
    int SetPrinterDataBinary(GDriverObject* driver, const RWWString& name, const void* data,
                             uint32_t length) override
    {
        return Refuse(name) ? 0 : StandinServices::SetPrinterDataBinary(driver, name, data, length);
    }
    int SetPrinterDataWhole(GDriverObject* driver, const RWWString& name, const void* data, uint32_t length) override
    {
        return Refuse(name) ? 0 : StandinServices::SetPrinterDataWhole(driver, name, data, length);
    }
};

// The member at the end of the path of ids, each found among the members of the one
// before; null when one is missing.
GObjectBase* At(GObjectBase* node, const std::vector<long>& path)
{
    for (long id : path)
        node = node ? node->FindById(id) : nullptr;
    return node;
}

class Upgrade : public PrinterDataFixture {
protected:
    // The printer holds its three stores, as an installed printer does.
    void SetUp() override
    {
        PrinterDataFixture::SetUp();
        InjectingDriverUI* ui = HoldObject();
        ASSERT_NE(nullptr, ui);
        std::unique_ptr<GObjectBase> defaults(ui->CreateDefaultSettings());
        ui->StoreMissingNodes(defaults.get());
        ReleaseHeld();
    }
    BOOL Run()
    {
        wchar_t folder[] = L"C:\\old";
        DRIVER_UPGRADE_INFO_1W upgrade = {&name[0], folder};
        return DrvUpgradePrinter(1, reinterpret_cast<LPBYTE>(&upgrade));
    }
    // The printer's default DEVMODE made one of another driver: the public part alone.
    void ForeignDefaultDevMode()
    {
        DEVMODEW foreign = {};
        std::wcsncpy(foreign.dmDeviceName, L"Another Driver", CCHDEVICENAME - 1);
        foreign.dmSpecVersion = 0x0401;
        foreign.dmSize = sizeof foreign;
        foreign.dmFields = DM_ORIENTATION;
        foreign.dmOrientation = DMORIENT_PORTRAIT;
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, printer.RegistryKey().c_str(), 0, KEY_SET_VALUE,
                                               &key));
        RegSetValueExW(key, L"Default DevMode", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&foreign),
                       sizeof foreign);
        RegCloseKey(key);
        const std::vector<uint8_t> stored = SpoolerDevMode(handle);
        ASSERT_EQ(sizeof foreign, stored.size()) << "the spooler gives the foreign DEVMODE back";
    }
    // The stored node's tree; null when it does not load.
    std::unique_ptr<GObjectBase> Tree(long id)
    {
        InjectingDriverUI* ui = HoldObject();
        std::unique_ptr<GObjectBase> node(ui ? ui->LoadSettingsTree(id) : nullptr);
        ReleaseHeld();
        return node;
    }
    std::array<std::unique_ptr<GObjectBase>, 3> Trees()
    {
        return {Tree(FeatureId::kDeviceSettings), Tree(FeatureId::kPrinterLists), Tree(FeatureId::kExtensionData)};
    }
    // Each node holds the same settings as before.
    void ExpectSameTrees(const std::array<std::unique_ptr<GObjectBase>, 3>& before)
    {
        const auto after = Trees();
        for (size_t i = 0; i < before.size(); ++i) {
            ASSERT_NE(nullptr, before[i]) << i;
            ASSERT_NE(nullptr, after[i]) << i;
            EXPECT_TRUE(before[i]->IsSame(after[i].get())) << before[i]->GetId();
        }
    }
    // The stored node written again in the portable form of an older version, which an
    // upgrade brings into the current one.
    void StorePortable(long id)
    {
        InjectingDriverUI* ui = HoldObject();
        ASSERT_NE(nullptr, ui);
        std::unique_ptr<GObjectBase> node(ui->LoadSettingsTree(id));
        ASSERT_NE(nullptr, node) << id;
        StoreOlder(std::to_wstring(id), node.get());
        ReleaseHeld();
    }
    void StoreOlder(const std::wstring& name, GObjectBase* node)
    {
        const std::vector<uint8_t> bytes = PortableForm(node);
        ASSERT_FALSE(bytes.empty());
        InjectingDriverUI* ui = HoldObject();
        ASSERT_EQ(1, GOSFactory::Instance()->SetPrinterDataBinary(ui, RWWString(name.c_str()), bytes.data(),
                                                                  uint32_t(bytes.size())));
    }
    void StoreAllPortable()
    {
        for (long id : {FeatureId::kDeviceSettings, FeatureId::kPrinterLists, FeatureId::kExtensionData})
            StorePortable(id);
    }
    std::array<std::vector<uint8_t>, 3> Nodes()
    {
        return {StoredBytes(L"365"), StoredBytes(L"366"), StoredBytes(L"368")};
    }
};

TEST_F(Upgrade, AValidPrinterAnswersOneAndKeepsEveryNode)
{
    const auto before = Trees();
    const std::vector<uint8_t> devMode = SpoolerDevMode(handle);
    StoreAllPortable();
    EXPECT_TRUE(Run());
    ExpectSameTrees(before);
    EXPECT_EQ(devMode, SpoolerDevMode(handle));
}

TEST_F(Upgrade, WithoutAValidDevModeButCompleteSettingsTheAnswerIsOne)
{
    ForeignDefaultDevMode();
    const auto before = Trees();
    StoreAllPortable();
    EXPECT_TRUE(Run());
    ExpectSameTrees(before);
}

TEST_F(Upgrade, AMissingListsNodeIsWrittenFromTheFactoryAndTheOthersKept)
{
    ForeignDefaultDevMode();
    const auto before = Nodes();
    DeleteStored(L"366");
    EXPECT_FALSE(Run());
    const auto after = Nodes();
    EXPECT_EQ(before[0], after[0]) << "365";
    EXPECT_FALSE(after[1].empty()) << "366 written";
    EXPECT_EQ(before[2], after[2]) << "368";
}

// Sound behaviour: a damaged device node is replaced; nothing crashes and the nodes that
// still load are the user's and stay.
TEST_F(Upgrade, ADamagedDeviceNodeIsReplacedByTheFactorysAndTheOthersKept)
{
    ForeignDefaultDevMode();
    const auto before = Nodes();
    DeleteStored(L"365");
    const uint8_t garbage[] = {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x01, 0xFF, 0x7F, 0x10, 0x20};
    WriteValue(L"365:0", REG_BINARY, garbage, sizeof garbage);
    EXPECT_FALSE(Run());
    const auto after = Nodes();
    EXPECT_NE(std::vector<uint8_t>(garbage, garbage + sizeof garbage), after[0]);
    InjectingDriverUI* ui = HoldObject();
    ASSERT_NE(nullptr, ui);
    std::unique_ptr<GObjectBase> device(ui->LoadSettingsTree(FeatureId::kDeviceSettings));
    EXPECT_NE(nullptr, device) << "a factory 365 that loads";
    EXPECT_EQ(before[1], after[1]) << "366";
    EXPECT_EQ(before[2], after[2]) << "368";
}

// The switches and the quick-set pool go over with an upgrade that stored. One whose
// write of 365 the services refuse is rolled back and carries neither over.
TEST_F(Upgrade, TheMassStorageSwitchesOfDevicesSixToNineAreCarriedOver)
{
    const struct {
        DWORD disabled;
        DWORD expected;
        bool refused;
    } rows[] = {
        // Bit n of the stored word keeps device n as it is; each other device of 6 to 9
        // gets state 1 in its two bits.
        {0x40, 0x40 | 1u << 14 | 1u << 16 | 1u << 18, false},
        {0, 1u << 12 | 1u << 14 | 1u << 16 | 1u << 18, false},
        {0x3C0, 0x3C0, false},
        {0, 0, true},  // last: it leaves 365 in the older form
    };
    GAttributeComposite pool(0);
    pool.Add(new GStringAttribute("Draft", 0));
    for (const auto& row : rows) {
        StorePortable(FeatureId::kDeviceSettings);
        StoreOlder(L"QuicksetPool", &pool);
        ReleaseHeld();
        WriteDword(L"DisabledMSDs", row.disabled);
        const std::vector<uint8_t> device = StoredBytes(L"365"), quicksets = StoredBytes(L"QuicksetPool");
        auto* seam = new RefusingServices;
        seam->refused = row.refused ? L"365" : L"";
        EXPECT_EQ(!row.refused, Run() != FALSE) << row.disabled;
        EXPECT_TRUE(seam->refused.empty()) << "365 written";
        new StandinServices;
        EXPECT_EQ(int64_t(row.expected), DataDword(L"DisabledMSDs")) << std::hex << row.disabled;
        EXPECT_EQ(row.refused, device == StoredBytes(L"365")) << row.refused;
        EXPECT_EQ(row.refused, quicksets == StoredBytes(L"QuicksetPool")) << row.refused;
    }
}

TEST_F(Upgrade, APrinterThatCannotBeOpenedAnswersZeroWithInvalidParameter)
{
    wchar_t unknown[] = L"QZ No Such Printer";
    wchar_t folder[] = L"C:\\old";
    DRIVER_UPGRADE_INFO_1W upgrade = {unknown, folder};
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DrvUpgradePrinter(1, reinterpret_cast<LPBYTE>(&upgrade)));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

// A setting no factory node holds, as another version may store one.
const long kNotTheFactorys = 7001;
// The stores in the order Trees() and Nodes() give them.
const long kStoreIds[] = {FeatureId::kDeviceSettings, FeatureId::kPrinterLists, FeatureId::kExtensionData};

// An older version's stores holding what an extension and an administrator made: each
// member comes through DrvUpgradePrinter whole, and what the factory's nodes hold and
// the stores lack is completed from them. An upgrade after that, of the device settings
// alone in the older form, leaves the stores in the current form byte for byte.
TEST_F(Upgrade, EveryStoredMemberComesThroughAndTheFactorysCompleteTheRest)
{
    TestPrinter::CopyIfDifferent(DmcStandin::ProgramFolder() + L"\\qzext.dll", DmcStandin::Folder() + L"\\qzext.dll");
    const std::string narrow(name.begin(), name.end());
    ASSERT_EQ(0u, QZDrv_RegisterExtension(narrow.c_str(), 0, "qzext.dll", 0));
    InjectingDriverUI* ui = HoldObject();
    ASSERT_NE(nullptr, ui);
    std::unique_ptr<GObjectBase> factory(ui->CreateDefaultSettings());
    ASSERT_NE(nullptr, factory);
    ASSERT_EQ(nullptr, factory->FindById(kNotTheFactorys));
    std::unique_ptr<GObjectBase> device(ui->LoadSettingsTree(FeatureId::kDeviceSettings));
    std::unique_ptr<GObjectBase> lists(ui->LoadSettingsTree(FeatureId::kPrinterLists));
    ASSERT_TRUE(device && lists);
    // What an administrator made: a custom size, a watermark of their own in place of the
    // factory's, a setting of another version, a device setting gone.
    GObjectBase* marks = lists->FindById(FeatureId::kWatermarkList);
    ASSERT_NE(nullptr, marks);
    ASSERT_LT(0u, marks->Entries()) << "the factory's watermarks";
    while (GObjectBase* factorys = marks->RemoveById(0))
        delete factorys;
    auto* sizes = new GAttributeComposite(FeatureId::kCustomSizeList);
    sizes->Add(new GCustomMediaSize(16385, "Upgrade Size", 3, 101600, 152400, 0));
    lists->Add(sizes);
    auto* mark = new GAttributeComposite(0);
    mark->Add(new GStringAttribute("Kept", FeatureId::kWatermarkName));
    mark->Add(new GStringAttribute("KEPT WHOLE", FeatureId::kWatermarkText));
    mark->Add(new GStringAttribute("Courier New", FeatureId::kWatermarkFaceName));
    mark->Add(new GValueAttribute(72, FeatureId::kWatermarkSize));
    mark->Add(new GValueAttribute(4, FeatureId::kWatermarkEscapement));
    mark->Add(new GValueAttribute(30, FeatureId::kWatermarkAngle));
    marks->Add(mark);
    auto* another = new GAttributeComposite(kNotTheFactorys);
    another->Add(new GValueAttribute(3, kNotTheFactorys + 1));
    another->Add(new GStringAttribute("another version's", kNotTheFactorys + 2));
    lists->Add(another);
    delete device->RemoveById(FeatureId::kDuplexUnit);
    ASSERT_EQ(1, ui->SaveSettingsTree(device.get()));
    ASSERT_EQ(1, ui->SaveSettingsTree(lists.get()));
    ReleaseHeld();
    const auto before = Trees();
    ASSERT_EQ(1u, At(before[2].get(), {FeatureId::kExtensionDescriptorList})->Entries()) << "registered";

    StoreAllPortable();
    EXPECT_TRUE(Run());
    const auto after = Trees();
    const struct {
        const char* what;
        size_t store;  // in Trees()' order
        std::vector<long> path;
        bool factorys;  // the factory's member, which the store lacked
    } rows[] = {
        {"the extension's registration", 2, {FeatureId::kExtensionDescriptorList}, false},
        {"the custom size", 1, {FeatureId::kCustomSizeList}, false},
        {"the watermark, whole", 1, {FeatureId::kWatermarkList, 0}, false},
        {"the watermark list, no factory watermark (a list entry) added", 1, {FeatureId::kWatermarkList}, false},
        {"a setting the factory's node lacks", 1, {kNotTheFactorys}, false},
        {"the device setting the store lacked", 0, {FeatureId::kDuplexUnit}, true},
    };
    for (const auto& row : rows) {
        ASSERT_NE(nullptr, after[row.store]) << row.what;
        GObjectBase* was = row.factorys ? At(factory.get(), {kStoreIds[row.store]}) : before[row.store].get();
        GObjectBase* expected = At(was, row.path);
        ASSERT_NE(nullptr, expected) << row.what;
        GObjectBase* found = At(after[row.store].get(), row.path);
        ASSERT_NE(nullptr, found) << row.what;
        EXPECT_TRUE(expected->IsSame(found)) << row.what;
    }

    const auto current = Nodes();
    StorePortable(FeatureId::kDeviceSettings);
    EXPECT_TRUE(Run());
    const auto again = Nodes();
    EXPECT_EQ(current, again) << "the device settings as the first upgrade stored them; the others untouched";
}

// A store whose older form holds more than the current one would give back (settings
// nested past any settings tree's depth) is left in its older form, and the upgrade
// fails; it still reads as before the update, and a commit stores the others and leaves
// it byte for byte. One level less comes through.
TEST_F(Upgrade, AStoreTheCurrentFormCannotHoldWholeStaysReadableAndFails)
{
    for (int depth : {63, 64}) {
        std::unique_ptr<GObjectBase> lists(Tree(FeatureId::kPrinterLists));
        ASSERT_NE(nullptr, lists);
        delete lists->RemoveById(kNotTheFactorys);
        GObjectBase* inner = lists.get();
        for (int level = 0; level < depth; ++level) {
            auto* nested = new GAttributeComposite(kNotTheFactorys + level);
            inner->Add(nested);
            inner = nested;
        }
        inner->Add(new GValueAttribute(1, kNotTheFactorys));
        StoreAllPortable();
        StoreOlder(L"366", lists.get());
        ReleaseHeld();
        const auto older = Nodes();
        const bool holds = depth == 63;
        EXPECT_EQ(holds, Run() != FALSE) << depth;
        if (holds) {
            std::unique_ptr<GObjectBase> upgraded(Tree(FeatureId::kPrinterLists));
            EXPECT_TRUE(upgraded && lists->IsSame(upgraded.get())) << depth;
        } else {
            const auto after = Nodes();
            EXPECT_EQ(older[1], after[1]) << depth << ": 366 in its older form";
            EXPECT_NE(older[0], after[0]) << depth << ": 365 brought up";
            InjectingDriverUI* ui = HoldObject();
            ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
            EXPECT_TRUE(ui->CanStore()) << "storing is off for 366 alone";
            std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
            ASSERT_NE(nullptr, tree);
            EXPECT_TRUE(lists->IsSame(tree->FindById(FeatureId::kPrinterLists))) << "it reads as it was";
            GValueAttribute* unit = GDriverObject::Feature<GValueAttribute>(tree->FindById(FeatureId::kDeviceSettings),
                                                                           FeatureId::kDuplexUnit);
            ASSERT_NE(nullptr, unit);
            unit->SetValue(uint16_t(unit->GetValue() == 1 ? 0 : 1));
            EXPECT_EQ(1, ui->CommitSettings(tree.get(), 1));
            EXPECT_EQ(older[1], StoredBytes(L"366"));
            EXPECT_NE(after[0], StoredBytes(L"365")) << "the others are stored";
            // A change to it that the current form cannot hold: nothing stored, and said.
            const auto unchanged = Nodes();
            tree->FindById(FeatureId::kPrinterLists)->Add(new GValueAttribute(2, kNotTheFactorys + 100));
            unit->SetValue(uint16_t(unit->GetValue() == 1 ? 0 : 1));
            EXPECT_EQ(0, ui->CommitSettings(tree.get(), 1));
            EXPECT_TRUE(ui->StoreKeptInOlderForm(FeatureId::kPrinterLists));
            EXPECT_FALSE(ui->StoreKeptInOlderForm(FeatureId::kDeviceSettings));
            EXPECT_EQ(unchanged, Nodes()) << "nothing stored";
            ReleaseHeld();
        }
    }
}

// A printer whose configuration chooses the compact stored form, updated over stores an
// older version wrote (an extension registered among them): every store reads after the
// upgrade as it did before it: the device settings and the lists brought up, the
// extension data (whose registrations the compact form cannot hold) left in its older
// form, where a commit leaves it byte for byte and stores the others.
TEST_F(Upgrade, WithTheCompactFormChosenEveryStoreReadsAfterTheUpgrade)
{
    TestPrinter::CopyIfDifferent(DmcStandin::ProgramFolder() + L"\\qzext.dll", DmcStandin::Folder() + L"\\qzext.dll");
    const std::string narrow(name.begin(), name.end());
    ASSERT_EQ(0u, QZDrv_RegisterExtension(narrow.c_str(), 0, "qzext.dll", 0));
    const auto before = Trees();
    StoreAllPortable();
    ReleaseHeld();
    const auto older = Nodes();
    InjectingDriverUI::injection.compactForm = true;
    new StandinServices;  // the stored form is chosen afresh
    EXPECT_FALSE(Run()) << "a store was left in its older form";
    const auto upgraded = Nodes();
    const auto after = Trees();
    for (size_t i = 0; i < after.size(); ++i) {
        ASSERT_NE(nullptr, after[i]) << kStoreIds[i] << " reads";
        EXPECT_TRUE(before[i]->IsSame(after[i].get())) << kStoreIds[i] << " as before the update";
    }
    InjectingDriverUI* ui = HoldObject();
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    EXPECT_TRUE(ui->CanStore());
    std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
    ASSERT_NE(nullptr, tree);
    ui->CommitSettings(tree.get(), 1);
    const auto committed = Nodes();
    // The compact form holds no registration: the extension data alone stays as it was.
    const bool left[] = {false, false, true};
    for (size_t i = 0; i < older.size(); ++i) {
        EXPECT_EQ(left[i], upgraded[i] == older[i]) << kStoreIds[i];
        EXPECT_EQ(left[i], committed[i] == older[i]) << kStoreIds[i] << ": stored again unless left";
    }
    ReleaseHeld();
    // A registration or an unregistration over it changes it: neither is told success,
    // and nothing is stored.
    TestPrinter::CopyIfDifferent(DmcStandin::ProgramFolder() + L"\\qzext.dll", DmcStandin::Folder() + L"\\qzext2.dll");
    for (const auto& change : {std::make_pair("qzext2.dll", 0u), std::make_pair("qzext.dll", 1u)}) {
        const uint32_t answer = QZDrv_RegisterExtension(narrow.c_str(), 0, change.first, change.second);
        EXPECT_TRUE(answer != 0 && answer != 13) << change.first << " " << change.second << ": " << answer;
        EXPECT_EQ(committed, Nodes()) << change.first;
    }
    DeleteFileW((DmcStandin::Folder() + L"\\qzext2.dll").c_str());
    InjectingDriverUI::injection.compactForm = false;
    new StandinServices;
}

} // namespace
