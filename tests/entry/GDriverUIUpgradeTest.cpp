// The printer upgrade through DrvUpgradePrinter on the installed test printer: stored
// settings and the default DEVMODE kept, missing or damaged nodes replaced by the
// factory's, the mass-storage switches carried over.
#include "PrinterDataFixture.h"

#include "printer/GOSFactory.h"

#include <array>
#include <cwchar>

using namespace PrinterDataTest;

namespace {

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
        const std::vector<uint8_t> bytes = PortableForm(node.get());
        ASSERT_FALSE(bytes.empty()) << id;
        ASSERT_EQ(1, GOSFactory::Instance()->SetPrinterDataBinary(ui, RWWString(std::to_wstring(id).c_str()),
                                                                  bytes.data(), uint32_t(bytes.size())));
        ReleaseHeld();
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

TEST_F(Upgrade, TheMassStorageSwitchesOfDevicesSixToNineAreCarriedOver)
{
    const struct {
        DWORD disabled;
        DWORD expected;
    } rows[] = {
        // Bit n of the stored word keeps device n as it is; each other device of 6 to 9
        // gets state 1 in its two bits.
        {0x40, 0x40 | 1u << 14 | 1u << 16 | 1u << 18},
        {0, 1u << 12 | 1u << 14 | 1u << 16 | 1u << 18},
        {0x3C0, 0x3C0},
    };
    for (const auto& row : rows) {
        StorePortable(FeatureId::kDeviceSettings);
        WriteDword(L"DisabledMSDs", row.disabled);
        EXPECT_TRUE(Run()) << row.disabled;
        EXPECT_EQ(int64_t(row.expected), DataDword(L"DisabledMSDs")) << std::hex << row.disabled;
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

} // namespace
