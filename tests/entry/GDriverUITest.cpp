// The driver UI object as the print system reaches it: the spooler's DocumentPropertiesW
// and DeviceCapabilitiesW on the test printer (the module loaded by Wine's spooler), and
// DrvConvertDevMode and DevQueryPrintEx called directly in this process.
#include "entry/driverui/GDriverUI.h"
#include "entry/driverui/GDriverUIDocumentEvents.h"
#include "entry/driverui/GDriverUICapabilities.h"
#include "entry/driverui/GDriverUIDocumentSheet.h"
#include "entry/driverui/GDriverUIPrinterEvents.h"
#include "entry/driverui/GDriverUIUpgrade.h"

#include "FileBytes.h"
#include "FileWriteTime.h"
#include "GuardedBytes.h"
#include "HostileSettingsBytes.h"
#include "PrinterDataFixture.h"
#include "RecordPackingSpooler.h"
#include "RecordingComPropSheet.h"
#include "RealDriverUIMaker.h"
#include "ScratchDirectory.h"
#include "TestPrinter.h"
#include "agent/AgentStandin.h"
#include "entry/agent/GNRAProvider.h"
#include "entry/module/EntryPoints.h"
#include "entry/module/GUIOSFactory.h"
#include "entry/module/ModuleLifetime.h"
#include "printer/PrinterIdentity.h"
#include "printer/PrinterRecordScope.h"
#include "model/ForEachMember.h"
#include "model/GFeatureIds.h"
#include "model/GAttributeComposite.h"
#include "model/GObjectIterator.h"
#include "model/GState.h"
#include "model/MAssociationList.h"
#include "model/GStringAttribute.h"
#include "printer/GFormToTrayDatabase.h"
#include "model/GRangeAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverServer.h"
#include "settings/devmode/GDriverDevMode.h"
#include "settings/serializer/GSettingsTreeSerializer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cwchar>
#include <functional>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// Every value of the printer's data, names and bytes.
std::vector<uint8_t> AllData() { return TestPrinter::Shared().AllData(); }

using PrinterDataTest::SpoolerDevMode;

class DriverUI : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
        previous = GUIOSFactory::GetDriverUIMaker();
        GUIOSFactory::SetDriverUIMaker(kRealMaker);
        ASSERT_TRUE(OpenPrinterW(&name[0], &handle, nullptr));
    }
    void TearDown() override
    {
        ClosePrinter(handle);
        GUIOSFactory::SetDriverUIMaker(previous);
        ModuleLifetime::Detach(false);
    }
    // A DEVMODE of the module's through the spooler.
    std::vector<uint8_t> ModuleDevMode()
    {
        std::vector<uint8_t> bytes(1172);
        DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(bytes.data()), nullptr,
                            DM_OUT_BUFFER);
        return bytes;
    }

    const TestPrinter& printer = TestPrinter::Shared();
    std::wstring name = printer.Name();
    GDriverUIMaker previous{};
    HANDLE handle = nullptr;
};

// ---- Document properties ----

TEST_F(DriverUI, DocumentPropertiesSizeIs1172ByHandleAndByName)
{
    EXPECT_EQ(1172, DocumentPropertiesW(nullptr, handle, &name[0], nullptr, nullptr, 0));
    EXPECT_EQ(1172, DocumentPropertiesW(nullptr, nullptr, &name[0], nullptr, nullptr, 0));
}

TEST_F(DriverUI, AnOutputBufferGetsAValidDevModeAndAFreshPrinterItsNodes)
{
    const std::vector<uint8_t> bytes = ModuleDevMode();
    const auto* out = reinterpret_cast<const DEVMODEW*>(bytes.data());
    EXPECT_EQ(220, out->dmSize);
    EXPECT_EQ(952, out->dmDriverExtra);
    EXPECT_TRUE(IsValidDevmodeW(const_cast<DEVMODEW*>(out), 1172));

    // A second printer on the same driver: adding it writes its three nodes.
    std::wstring freshName = name + L" fresh";
    std::wstring driver = printer.DriverName();
    PRINTER_INFO_2W info = {};
    info.pPrinterName = &freshName[0];
    info.pPortName = const_cast<wchar_t*>(L"FILE:");
    info.pDriverName = &driver[0];
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    HANDLE fresh = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    ASSERT_NE(nullptr, fresh);
    const std::wstring freshKey =
        L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\" + freshName + L"\\PrinterDriverData";
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, freshKey.c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        for (const wchar_t* node : {L"365:0", L"366:0", L"368:0"})
            EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, node, nullptr, nullptr, nullptr, nullptr)) << node;
        RegCloseKey(key);
    } else {
        ADD_FAILURE() << "the fresh printer has no printer data";
    }
    const std::vector<uint8_t> stored = SpoolerDevMode(fresh);
    EXPECT_EQ(1172u, stored.size()) << "AddPrinterW keeps 220 + 952 bytes";
    DeletePrinter(fresh);
    ClosePrinter(fresh);
}

TEST_F(DriverUI, AnInputDevModesOrientationComesOutUnchanged)
{
    const struct {
        short in;
    } rows[] = {{DMORIENT_PORTRAIT}, {DMORIENT_LANDSCAPE}};
    for (const auto& row : rows) {
        std::vector<uint8_t> input = ModuleDevMode();
        auto* in = reinterpret_cast<DEVMODEW*>(input.data());
        in->dmFields |= DM_ORIENTATION;
        in->dmOrientation = row.in;
        std::vector<uint8_t> output(1172, 0);
        auto* out = reinterpret_cast<DEVMODEW*>(output.data());
        EXPECT_EQ(IDOK, DocumentPropertiesW(nullptr, handle, &name[0], out, in, DM_IN_BUFFER | DM_OUT_BUFFER))
            << row.in;
        EXPECT_EQ(row.in, out->dmOrientation);
        EXPECT_NE(0u, out->dmFields & DM_ORIENTATION) << row.in;
    }
    const std::vector<uint8_t> after = ModuleDevMode();
    EXPECT_EQ(DMORIENT_PORTRAIT, reinterpret_cast<const DEVMODEW*>(after.data())->dmOrientation)
        << "the printer's default is left as it was";
}

TEST_F(DriverUI, TheAddedPrintersDefaultDevModeIsTheModulesWholeDevMode)
{
    const std::vector<uint8_t> stored = SpoolerDevMode(handle);
    ASSERT_EQ(1172u, stored.size());
    EXPECT_EQ(220, reinterpret_cast<const DEVMODEW*>(stored.data())->dmSize);
}

TEST_F(DriverUI, TheMarkedCopyLeavesItsAreaAfterThePublicPart)
{
    std::vector<uint8_t> bytes(1172 + 16, 0xEE);
    auto* out = reinterpret_cast<DEVMODEW*>(bytes.data());
    DOCUMENTPROPERTYHEADER header = {};
    header.cbSize = sizeof header;
    header.hPrinter = handle;
    header.pszPrinterName = &name[0];
    header.pdmOut = out;
    header.fMode = 0x100A;
    EXPECT_EQ(1, DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(220, out->dmSize);
    EXPECT_EQ(952, out->dmDriverExtra);
    uint32_t marker = 0;
    uint16_t length = 0;
    std::memcpy(&marker, bytes.data() + 220, 4);
    std::memcpy(&length, bytes.data() + 224, 2);
    EXPECT_EQ(0x515A515Au, marker);
    EXPECT_EQ(152, length);
    for (size_t i = 226; i < 372; ++i)
        ASSERT_EQ(0, bytes[i]) << i;
    for (size_t i = 1172; i < bytes.size(); ++i)
        ASSERT_EQ(0xEE, bytes[i]) << i;
}

// The size query answers in the header too; a copy never reads the header's output size,
// which callers leave unset: the whole DEVMODE is written, and nothing past it.
TEST_F(DriverUI, TheSizeQueryFillsTheHeaderAndACopyIgnoresItsOutputSize)
{
    DOCUMENTPROPERTYHEADER query = {};
    query.cbSize = sizeof query;
    query.hPrinter = handle;
    query.pszPrinterName = &name[0];
    query.cbOut = 0xDEADBEEF;
    EXPECT_EQ(1172, DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&query)));
    EXPECT_EQ(1172u, query.cbOut);

    for (DWORD unset : {DWORD(0), DWORD(220), DWORD(0xDEADBEEF)}) {
        std::vector<uint8_t> bytes(1172 + 16, 0xEE);
        DOCUMENTPROPERTYHEADER header = query;
        header.pdmOut = reinterpret_cast<DEVMODEW*>(bytes.data());
        header.cbOut = unset;
        header.fMode = DM_OUT_BUFFER;
        EXPECT_EQ(1, DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&header))) << unset;
        EXPECT_TRUE(IsValidDevmodeW(header.pdmOut, 1172)) << unset;
        EXPECT_EQ(952, header.pdmOut->dmDriverExtra) << unset;
        EXPECT_NE(0xEE, bytes[1171]) << unset << ": the private part was written to its end";
        EXPECT_EQ(std::vector<uint8_t>(16, 0xEE), std::vector<uint8_t>(bytes.begin() + 1172, bytes.end())) << unset;
    }
}

// Refused DEVMODEs through the no-sheet road: -1, the output, the printer data and the
// printer's default DEVMODE untouched.
TEST_F(DriverUI, MalformedDevModesAreRefusedAndChangeNothing)
{
    ModuleDevMode();  // the nodes exist before the rows run
    const std::vector<uint8_t> data = AllData();
    const std::vector<uint8_t> defaults = SpoolerDevMode(handle);
    const struct {
        WORD size;
        WORD extra;
    } rows[] = {{0, 0}, {75, 0}, {0xFFFF, 0}, {220, 0xFFFF}};
    for (const auto& row : rows) {
        std::vector<uint8_t> input(70000, 0);
        auto* in = reinterpret_cast<DEVMODEW*>(input.data());
        in->dmSpecVersion = 0x401;
        in->dmSize = row.size;
        in->dmDriverExtra = row.extra;
        std::vector<uint8_t> output(1172, 0x77);
        DOCUMENTPROPERTYHEADER header = {};
        header.cbSize = sizeof header;
        header.hPrinter = handle;
        header.pszPrinterName = &name[0];
        header.pdmIn = in;
        header.pdmOut = reinterpret_cast<DEVMODEW*>(output.data());
        header.fMode = DM_IN_BUFFER | DM_OUT_BUFFER;
        EXPECT_EQ(-1, DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&header))) << row.size;
        EXPECT_EQ(std::vector<uint8_t>(1172, 0x77), output) << row.size;

        LONG needed = 1172;
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(DrvConvertDevMode(&name[0], in, reinterpret_cast<DEVMODEW*>(output.data()), &needed,
                                       CDM_CONVERT351));
        EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError()) << row.size;
        EXPECT_EQ(std::vector<uint8_t>(1172, 0x77), output) << row.size;
    }
    EXPECT_EQ(data, AllData());
    EXPECT_EQ(defaults, SpoolerDevMode(handle));
}

// DEVMODEs that are sound but not ours to read: only their public fields are taken, and
// nothing stored changes. The table runs in an empty scratch folder as the current
// directory: bytes that name files (a records store, relative names and one absolute
// name of a file placed there first, each with its delete flag set) make and remove
// nothing there.
TEST_F(DriverUI, ForeignOldAndDamagedDevModesGiveOnlyTheirPublicFields)
{
    ScratchDirectory scratch("damaged-devmodes");
    ASSERT_TRUE(scratch.Entered());
    const std::string placedName = scratch.Path() + "\\placed.rec";
    const std::vector<uint8_t> placedBytes = {'p', 'l', 'a', 'c', 'e', 'd'};
    ASSERT_TRUE(WriteFileBytes(placedName, placedBytes));
    const std::vector<uint8_t> ours = ModuleDevMode();
    const std::vector<uint8_t> data = AllData();
    const std::vector<uint8_t> defaults = SpoolerDevMode(handle);
    std::vector<std::vector<uint8_t>> rows;
    std::vector<uint8_t> foreign = ours;  // another driver's name in the private header
    std::memcpy(foreign.data() + 224, "Another Driver\0", 15);
    rows.push_back(foreign);
    std::vector<uint8_t> old = ours;  // dmSpecVersion 0x0300, public part of 0x0300's size
    reinterpret_cast<DEVMODEW*>(old.data())->dmSpecVersion = 0x0300;
    reinterpret_cast<DEVMODEW*>(old.data())->dmSize = 156;
    reinterpret_cast<DEVMODEW*>(old.data())->dmDriverExtra = 0;
    reinterpret_cast<DEVMODEW*>(old.data())->dmFields &= DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES;
    rows.push_back(old);
    std::vector<uint8_t> damaged = ours;  // the packed tree overwritten
    for (size_t i = 272; i < 1172; ++i)
        damaged[i] = uint8_t(i * 7);
    rows.push_back(damaged);
    for (const std::string& named : {placedName, std::string("210 x 297"), std::string("210"), std::string("$")})
        for (int depth : {1, 3}) {
            const HostileSettings::Bytes tree =
                HostileSettings::TreeHolding(HostileSettings::StoreNaming(named), depth);
            ASSERT_FALSE(tree.empty());
            {
                // The bytes are sound: read without the settings list they make a store
                // of that name (closed for good).
                GInStreamHolder holder(tree.data(), uint32_t(tree.size()), 1);
                GObjectBase* read = nullptr;
                *holder.GetStream() >> read;
                std::unique_ptr<GObjectBase> owned(read);
                const MPersistentCompositeOnDisk* store = nullptr;
                for (GObjectBase* node = read; node && !store;) {
                    GObjectIterator* it = node->CreateIterator();
                    GObjectBase* next = nullptr;
                    while (it && it->Next() && !store)
                        if (!(store = dynamic_cast<const MPersistentCompositeOnDisk*>(it->Current())))
                            next = it->Current()->AsComposite() ? it->Current() : next;
                    delete it;
                    node = next;
                }
                ASSERT_NE(nullptr, store) << named;
                EXPECT_EQ(named, std::string(store->GetFileName().Data()));
                EXPECT_TRUE(store->IsFromBytes());
            }
            rows.push_back(HostileSettings::Carrying(ours, HostileSettings::Zlib(tree)));
            rows.push_back(HostileSettings::Carrying(ours, HostileSettings::Lzw(tree)));
            ASSERT_FALSE(rows.back().empty());
        }
    for (size_t r = 0; r < rows.size(); ++r) {
        std::vector<uint8_t> input = rows[r];
        input.resize(1172);
        std::vector<uint8_t> output(1172, 0);
        EXPECT_EQ(IDOK, DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(output.data()),
                                            reinterpret_cast<DEVMODEW*>(input.data()), DM_IN_BUFFER | DM_OUT_BUFFER))
            << r;
        const auto* out = reinterpret_cast<const DEVMODEW*>(output.data());
        EXPECT_EQ(220, out->dmSize) << r;
        EXPECT_EQ(952, out->dmDriverExtra) << r;
        EXPECT_EQ(0, std::memcmp(output.data() + 224, ours.data() + 224, 32)) << "our driver name " << r;
        EXPECT_TRUE(IsValidDevmodeW(const_cast<DEVMODEW*>(out), 1172)) << r;
        EXPECT_EQ(std::vector<std::string>{"placed.rec"}, scratch.Names()) << "nothing made or removed " << r;
        EXPECT_EQ(placedBytes, FileBytes(placedName)) << r;
    }
    EXPECT_EQ(data, AllData());
    EXPECT_EQ(defaults, SpoolerDevMode(handle));
}

TEST_F(DriverUI, TheNarrowSizeIsTheWideOneLessTheTwoNames)
{
    std::string narrow(name.begin(), name.end());
    EXPECT_EQ(1108, DocumentPropertiesA(nullptr, handle, &narrow[0], nullptr, nullptr, 0));
}

// ---- Conversion ----

TEST_F(DriverUI, DriverDefaultReportsTheSizeThenGivesThePrintersDefault)
{
    std::vector<uint8_t> bytes(1172, 0);
    auto* out = reinterpret_cast<DEVMODEW*>(bytes.data());
    LONG needed = 0;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DrvConvertDevMode(&name[0], nullptr, out, &needed, CDM_DRIVER_DEFAULT));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(1172, needed);

    needed = 1172;
    EXPECT_TRUE(DrvConvertDevMode(&name[0], nullptr, out, &needed, CDM_DRIVER_DEFAULT));
    EXPECT_EQ(1172, needed);
    EXPECT_EQ(220, out->dmSize);
    EXPECT_EQ(952, out->dmDriverExtra);
    EXPECT_EQ(SpoolerDevMode(handle), bytes) << "the printer's default";

    std::vector<uint8_t> again(1172, 0);
    needed = 1172;
    EXPECT_TRUE(DrvConvertDevMode(&name[0], nullptr, reinterpret_cast<DEVMODEW*>(again.data()), &needed,
                                  CDM_CONVERT351))
        << "a null input gives the printer's default";
    EXPECT_EQ(0, std::memcmp(bytes.data(), again.data(), 220));
}

// A driver UI object for a caller that may or may not write to the printer: full
// access is refused to a standard user, as the spooler refuses it. Every access asked is
// noted.
class CallerUI : public GDriverUI {
public:
    explicit CallerUI(const PrinterIdentity& identity)
        : GDriverObject(identity.GetPrinterName(), identity.GetDriverName(), identity.GetPortName()),
          GDriverUI(identity)
    {
    }
    HANDLE OpenPrinterWithAccess(const RWWString& name, DWORD access) override
    {
        asked.push_back(access);
        RWWString printer;
        HANDLE caller = nullptr;
        uint32_t word = 0;
        GetPrinterIdentity(printer, caller, word);
        if (access != PRINTER_ACCESS_USE && (standardUser || (caller && caller == standardHandle)))
            return nullptr;
        return GDriverUI::OpenPrinterWithAccess(name, access);
    }
    ~CallerUI() override
    {
        if (last == this)
            last = nullptr;
    }
    // The object a call's merge runs on, its model and the per-user watermark switch; a
    // merge refused when the test says so.
    int MergeDevModeIntoSettings(const DEVMODEW* devMode) override
    {
        merged = this;
        last = this;
        model = GetPrinter();
        watermarksSeen = UserWatermarks();
        return refuseMerge ? 0 : GDriverUI::MergeDevModeIntoSettings(devMode);
    }
    static int FullAccessAsked()
    {
        return int(asked.size()) - int(std::count(asked.begin(), asked.end(), DWORD(PRINTER_ACCESS_USE)));
    }
    static inline bool standardUser = true;
    // The caller whose every call is a standard user's.
    static inline HANDLE standardHandle = nullptr;
    static inline std::vector<DWORD> asked;
    static inline int watermarksSeen = -1;
    static inline bool refuseMerge = false;
    // The object the last merge ran on, while it lives.
    static inline CallerUI* last = nullptr;
    static inline const void* merged = nullptr;
    static inline const void* model = nullptr;
};

// The module's services on a system that keeps a standard user's own watermarks for the
// user, refusing a standard caller's printer-data writes as the spooler does (Wine checks
// no rights); in place of the module's own while the scope lives.
struct RightsServices : GUIOSFactory {
    void GetOSVersion(uint32_t& kind, uint32_t& version, uint32_t& build) override
    {
        kind = 2, version = 6u << 16, build = 7601;
    }
    int SetPrinterDataString(GDriverObject* driver, const RWWString& name, const RWWString& text) override
    {
        RWWString printer;
        HANDLE caller = nullptr;
        uint32_t word = 0;
        if (auto* ui = dynamic_cast<GDriverUI*>(driver))
            ui->GetPrinterIdentity(printer, caller, word);
        if (CallerUI::standardUser || (caller && caller == CallerUI::standardHandle))
            return 0;
        return GUIOSFactory::SetPrinterDataString(driver, name, text);
    }
    struct Scope {
        Scope() { ModuleLifetime::Detach(false), services = new RightsServices, ModuleLifetime::Attach(module, false); }
        ~Scope() { ModuleLifetime::Detach(false), delete services, ModuleLifetime::Attach(module, false); }
        HMODULE module = ::GetModuleHandleW(nullptr);
        RightsServices* services = nullptr;
    };
};

TEST_F(DriverUI, ConversionOnAPrinterItMayOnlyUseSucceeds)
{
    ModuleDevMode();
    const std::vector<uint8_t> defaults = SpoolerDevMode(handle);
    CallerUI::standardUser = true;
    GUIOSFactory::SetDriverUIMaker({[](const PrinterIdentity& identity) -> GDriverObject* {
                                        return new CallerUI(identity);
                                    },
                                    kRealMaker.printerHandle});
    const struct {
        DWORD mode;
        bool withInput;
    } rows[] = {{CDM_DRIVER_DEFAULT, false}, {CDM_CONVERT351, false}, {CDM_CONVERT351, true}, {CDM_CONVERT, true}};
    for (const auto& row : rows) {
        CallerUI::asked.clear();
        std::vector<uint8_t> input = defaults;
        input.resize(1172);
        std::vector<uint8_t> output = input;
        LONG needed = 1172;
        SetLastError(0xdeadbeef);
        EXPECT_TRUE(DrvConvertDevMode(&name[0], row.withInput ? reinterpret_cast<DEVMODEW*>(input.data()) : nullptr,
                                      reinterpret_cast<DEVMODEW*>(output.data()), &needed, row.mode))
            << row.mode << " " << GetLastError();
        EXPECT_EQ(1172, needed) << row.mode;
        ASSERT_FALSE(CallerUI::asked.empty()) << row.mode;
        EXPECT_EQ(DWORD(PRINTER_ACCESS_USE), CallerUI::asked.front()) << "the conversion's own handle";
        EXPECT_EQ(0, std::memcmp(output.data(), defaults.data(), 220)) << row.mode;
    }

    // A printer whose stored default is not the driver's: the default is made afresh and
    // its writes ask for more access, which is refused; the conversion still succeeds.
    HANDLE admin = nullptr;
    PRINTER_DEFAULTSW full = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(&name[0], &admin, &full));
    std::vector<uint8_t> foreign = defaults;
    foreign.resize(sizeof(DEVMODEW));
    reinterpret_cast<DEVMODEW*>(foreign.data())->dmDriverExtra = 0;
    DWORD size = 0;
    GetPrinterW(admin, 2, nullptr, 0, &size);
    std::vector<uint8_t> info(size);
    ASSERT_TRUE(GetPrinterW(admin, 2, info.data(), size, &size));
    reinterpret_cast<PRINTER_INFO_2W*>(info.data())->pDevMode = reinterpret_cast<DEVMODEW*>(foreign.data());
    reinterpret_cast<PRINTER_INFO_2W*>(info.data())->pSecurityDescriptor = nullptr;
    if (SetPrinterW(admin, 2, info.data(), 0) && SpoolerDevMode(handle).size() == sizeof(DEVMODEW)) {
        CallerUI::asked.clear();
        std::vector<uint8_t> output(1172, 0);
        LONG needed = 1172;
        EXPECT_TRUE(DrvConvertDevMode(&name[0], nullptr, reinterpret_cast<DEVMODEW*>(output.data()), &needed,
                                      CDM_DRIVER_DEFAULT));
        EXPECT_EQ((std::vector<DWORD>{PRINTER_ACCESS_USE, PRINTER_ALL_ACCESS}), CallerUI::asked)
            << "more access only around the writes";
        EXPECT_EQ(952, reinterpret_cast<DEVMODEW*>(output.data())->dmDriverExtra);
    } else {
        ADD_FAILURE() << "the printer's default could not be replaced";
    }
    std::vector<uint8_t> restored = defaults;
    reinterpret_cast<PRINTER_INFO_2W*>(info.data())->pDevMode = reinterpret_cast<DEVMODEW*>(restored.data());
    EXPECT_TRUE(SetPrinterW(admin, 2, info.data(), 0));
    ClosePrinter(admin);
    GUIOSFactory::SetDriverUIMaker(kRealMaker);
    EXPECT_EQ(defaults, SpoolerDevMode(handle));
}

TEST_F(DriverUI, ConvertChecksBothDevModesAndTheSizePointer)
{
    std::vector<uint8_t> input = ModuleDevMode();
    std::vector<uint8_t> output = ModuleDevMode();
    LONG needed = 1172;
    EXPECT_TRUE(DrvConvertDevMode(&name[0], reinterpret_cast<DEVMODEW*>(input.data()),
                                  reinterpret_cast<DEVMODEW*>(output.data()), &needed, CDM_CONVERT));

    reinterpret_cast<DEVMODEW*>(output.data())->dmSpecVersion = 0x320;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DrvConvertDevMode(&name[0], reinterpret_cast<DEVMODEW*>(input.data()),
                                   reinterpret_cast<DEVMODEW*>(output.data()), &needed, CDM_CONVERT));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DrvConvertDevMode(&name[0], reinterpret_cast<DEVMODEW*>(input.data()),
                                   reinterpret_cast<DEVMODEW*>(input.data()), nullptr, CDM_CONVERT));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError()) << "a null size pointer";

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DrvConvertDevMode(&name[0], reinterpret_cast<DEVMODEW*>(input.data()),
                                   reinterpret_cast<DEVMODEW*>(output.data()), &needed, 3));
    EXPECT_EQ(0xdeadbeefu, GetLastError()) << "an unknown mode sets no error";
}

// ---- The print-time query ----

TEST_F(DriverUI, PrintTimeQueryChecksItsRecordAndItsDevMode)
{
    std::vector<uint8_t> devMode = ModuleDevMode();
    wchar_t text[64];
    std::wmemset(text, L'#', 64);
    DEVQUERYPRINT_INFO info = {};
    info.cbSize = 28;
    info.Level = 1;
    info.hPrinter = handle;
    info.pDevMode = reinterpret_cast<DEVMODEW*>(devMode.data());
    info.pszErrorStr = text;
    info.cchErrorStr = 64;
    EXPECT_FALSE(DevQueryPrintEx(&info)) << "size 28";
    EXPECT_EQ(L'#', text[0]);
    EXPECT_EQ(0u, info.cchNeeded);

    info.cbSize = sizeof info;
    info.pDevMode = nullptr;
    EXPECT_TRUE(DevQueryPrintEx(&info)) << "no DEVMODE: nothing to judge";
    info.pDevMode = reinterpret_cast<DEVMODEW*>(devMode.data());
    EXPECT_TRUE(DevQueryPrintEx(&info)) << "the module's own DEVMODE prints";
}

TEST_F(DriverUI, PrintTimeQueryGivesTheMessageCutToTheCallersBuffer)
{
    std::vector<uint8_t> bad(220, 0);
    reinterpret_cast<DEVMODEW*>(bad.data())->dmSize = 75;  // not a DEVMODE at all
    const std::wstring message = L"Invalid DEVMODE structure";
    wchar_t text[64];
    DEVQUERYPRINT_INFO info = {};
    info.cbSize = sizeof info;
    info.Level = 1;
    info.hPrinter = handle;
    info.pDevMode = reinterpret_cast<DEVMODEW*>(bad.data());
    info.pszErrorStr = text;

    const struct {
        DWORD room;
        size_t copied;
    } rows[] = {{64, message.size()}, {10, 9}, {1, 0}};
    for (const auto& row : rows) {
        std::wmemset(text, L'#', 64);
        info.cchErrorStr = row.room;
        info.cchNeeded = 0;
        EXPECT_FALSE(DevQueryPrintEx(&info));
        EXPECT_EQ(message.size() + 1, info.cchNeeded) << row.room;
        EXPECT_EQ(message.substr(0, row.copied), std::wstring(text)) << row.room;
        EXPECT_EQ(L'#', text[row.copied + 1]) << "nothing past the terminator";
    }
    std::wmemset(text, L'#', 64);
    info.cchErrorStr = 0;
    EXPECT_FALSE(DevQueryPrintEx(&info));
    EXPECT_EQ(L'#', text[0]) << "cch 0 writes nothing";
    EXPECT_EQ(message.size() + 1, info.cchNeeded);
    info.pszErrorStr = nullptr;
    info.cchErrorStr = 64;
    EXPECT_FALSE(DevQueryPrintEx(&info));
    EXPECT_EQ(message.size() + 1, info.cchNeeded);
}

TEST(DriverUIMessages, MismatchCodesMapToTheirMessages)
{
    const struct {
        uint32_t mismatch;
        uint16_t message;
    } rows[] = {{2, 12003},  {4, 12003},      {8, 12003},      {12, 12003},     {0x10000, 12003},
                {0x200, 12004}, {0x1000, 12005}, {0x8000, 12006}, {0x400, 12002}, {0x2000, 12002},
                {0x2400, 12002}, {0, 12001},     {1, 12001},      {0x1001, 12001}};
    for (const auto& row : rows)
        EXPECT_EQ(row.message, GDriverUI::MismatchMessageId(row.mismatch)) << row.mismatch;
}

// ---- Device capabilities ----

TEST_F(DriverUI, PaperListsAgreeAndEndWithTheCustomSize)
{
    const DWORD count = DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERS, nullptr, nullptr);
    ASSERT_NE(DWORD(GDI_ERROR), count);
    ASSERT_LT(1u, count);
    EXPECT_EQ(count, DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERNAMES, nullptr, nullptr));
    EXPECT_EQ(count, DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERSIZE, nullptr, nullptr));
    std::vector<WORD> codes(count);
    std::vector<wchar_t> names(count * 64);
    std::vector<POINT> sizes(count);
    EXPECT_EQ(count, DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERS, reinterpret_cast<LPWSTR>(codes.data()),
                                         nullptr));
    EXPECT_EQ(count, DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERNAMES, names.data(), nullptr));
    EXPECT_EQ(count, DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERSIZE, reinterpret_cast<LPWSTR>(sizes.data()),
                                         nullptr));
    EXPECT_EQ(256, codes.back());
    EXPECT_EQ(std::wstring(L"Custom Size"), std::wstring(&names[(count - 1) * 64]));
    EXPECT_EQ(1, codes[0]);
    EXPECT_EQ(std::wstring(L"Letter"), std::wstring(&names[0]));
    EXPECT_EQ(2159, sizes[0].x);
    EXPECT_EQ(2794, sizes[0].y);
}

TEST_F(DriverUI, FixedAnswersDescribeTheModulesDevModeAndModel)
{
    const struct {
        WORD capability;
        DWORD answer;
    } rows[] = {
        {DC_SIZE, 220},   {DC_EXTRA, 952},   {DC_VERSION, 0x401}, {DC_COPIES, 999}, {DC_COLLATE, 1},
        {DC_COLORDEVICE, 1}, {DC_DUPLEX, 1}, {DC_ORIENTATION, 90}, {DC_TRUETYPE, 0}, {33, DWORD(GDI_ERROR)},
        {0x5A51, 1538},
        // The model's custom-size limits, 3 x 5 and 8.5 x 14 inches, in tenths of a
        // millimetre: the width in the low word, the length in the high word.
        {DC_MINEXTENT, MAKELONG(762, 1270)}, {DC_MAXEXTENT, MAKELONG(2159, 3556)},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.answer, DeviceCapabilitiesW(name.c_str(), L"FILE:", row.capability, nullptr, nullptr))
            << row.capability;
    const std::vector<uint8_t> bytes = ModuleDevMode();
    EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(bytes.data())->dmFields,
              DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_FIELDS, nullptr, nullptr));
}

TEST_F(DriverUI, ResolutionsAreReportedWithoutTheRepeat)
{
    const DWORD count = DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_ENUMRESOLUTIONS, nullptr, nullptr);
    ASSERT_EQ(1u, count);
    LONG pairs[4] = {};
    EXPECT_EQ(1u, DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_ENUMRESOLUTIONS, reinterpret_cast<LPWSTR>(pairs),
                                      nullptr));
    EXPECT_EQ(600, pairs[0]);
    EXPECT_EQ(600, pairs[1]);
}

TEST_F(DriverUI, BinsAreTheInstalledTraysWithShortNames)
{
    const DWORD count = DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_BINS, nullptr, nullptr);
    ASSERT_NE(DWORD(GDI_ERROR), count);
    ASSERT_LE(1u, count);
    std::vector<WORD> bins(count);
    std::vector<wchar_t> names(count * 24, L'#');
    EXPECT_EQ(count, DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_BINS, reinterpret_cast<LPWSTR>(bins.data()),
                                         nullptr));
    EXPECT_EQ(count, DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_BINNAMES, names.data(), nullptr));
    EXPECT_EQ(257, bins[0]);
    EXPECT_EQ(std::wstring(L" Tray 1"), std::wstring(&names[0], wcsnlen(&names[0], 24)));
}

// The common property sheet's callback for sheets on several threads: every page added
// gets a handle of its own.
LONG_PTR CALLBACK CountingComPropSheet(HANDLE, UINT function, LPARAM, LPARAM)
{
    static std::atomic<LONG_PTR> pages{0x1000};
    return function == 1 ? ++pages : 0;  // CPSFUNC_ADD_PROPSHEETPAGEW
}

// Two applications open a document sheet each at once, on threads of their own, and close
// them at once: each sheet gets an object of its own and gives it back.
TEST_F(DriverUI, TwoDocumentSheetsOpenAndCloseAtOnceOnTwoThreads)
{
    std::atomic<int> open{0}, closed{0};
    std::vector<std::string> failures[2];
    std::vector<ULONG_PTR> objects(2);
    std::wstring names[2] = {name, name};
    HANDLE handles[2] = {};
    for (int t = 0; t < 2; ++t)
        ASSERT_TRUE(OpenPrinterW(&names[t][0], &handles[t], nullptr));
    auto sheet = [&](int t) {
        for (int round = 0; round < 5; ++round) {
            DOCUMENTPROPERTYHEADER header = {sizeof header, 0, handles[t], &names[t][0], nullptr, nullptr, 0, 0};
            PROPSHEETUI_INFO info = {};
            info.cbSize = sizeof info;
            info.hComPropSheet = reinterpret_cast<HANDLE>(0x66);
            info.pfnComPropSheet = reinterpret_cast<decltype(info.pfnComPropSheet)>(&CountingComPropSheet);
            info.lParamInit = reinterpret_cast<LPARAM>(&header);
            info.Reason = PROPSHEETUI_REASON_INIT;
            if (DrvDocumentPropertySheets(&info, 0) != 1 || info.UserData == 0)
                failures[t].push_back("init, round " + std::to_string(round));
            objects[t] = info.UserData;
            ++open;
            while (open < 2 * (round + 1))
                std::this_thread::yield();
            if (objects[0] == objects[1])
                failures[t].push_back("one object for two sheets, round " + std::to_string(round));
            info.Reason = PROPSHEETUI_REASON_DESTROY;
            if (DrvDocumentPropertySheets(&info, 0) != 1 || info.UserData != 0)
                failures[t].push_back("destroy, round " + std::to_string(round));
            ++closed;
            while (closed < 2 * (round + 1))
                std::this_thread::yield();
        }
    };
    std::thread first(sheet, 0), second(sheet, 1);
    first.join(), second.join();
    for (HANDLE own : handles)
        ClosePrinter(own);
    for (const auto& list : failures)
        for (const std::string& failure : list)
            ADD_FAILURE() << failure;
}

TEST_F(DriverUI, ThePrivateIndexHandsOutTheHelpRecord)
{
    std::vector<uint8_t> record(1538 + 8, 0xEE);
    EXPECT_EQ(1538u, DeviceCapabilitiesW(name.c_str(), L"FILE:", 0x5A51, reinterpret_cast<LPWSTR>(record.data()),
                                         nullptr));
    EXPECT_EQ(0x52, record[0]);
    EXPECT_EQ(0x5A, record[1]);
    EXPECT_STREQ("QZGDI6", reinterpret_cast<const char*>(record.data() + 2));
    EXPECT_STREQ("syshnts.hlp", reinterpret_cast<const char*>(record.data() + 514));
    EXPECT_STREQ("hints_system", reinterpret_cast<const char*>(record.data() + 1026));
    EXPECT_EQ(0xEE, record[1538]);
}

TEST(DriverUIAnswers, OrientationAndExtentRules)
{
    const uint16_t rotations[] = {0, 90, 180, 270};
    const DWORD answers[] = {90, 90, 270, 270};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(answers[i], GDriverUICapabilities::OrientationAnswer(&rotations[i])) << rotations[i];
    EXPECT_EQ(0u, GDriverUICapabilities::OrientationAnswer(nullptr));
    EXPECT_EQ(DWORD(2159 | 3556 << 16), GDriverUICapabilities::PackExtent(2159, 3556));
    EXPECT_EQ(0u, GDriverUICapabilities::PackExtent(65535, 100)) << "65535 or more gives 0 x 0";
    EXPECT_EQ(0u, GDriverUICapabilities::PackExtent(100, 65535)) << "65535 or more gives 0 x 0";
    EXPECT_EQ(DWORD(65534 | 100 << 16), GDriverUICapabilities::PackExtent(65534, 100));
}

} // namespace

namespace {

// ---- The object's own operations, on an object the driver server loads ----

class DriverUIObject : public DriverUI {
protected:
    void SetUp() override
    {
        DriverUI::SetUp();
        GDriverObject* object =
            ModuleLifetime::DriverServer()->Acquire(new PrinterIdentity(nullptr, name.c_str(), 1), ticket);
        ui = dynamic_cast<GDriverUI*>(object);
        ASSERT_NE(nullptr, ui);
    }
    void TearDown() override
    {
        if (ticket)
            ModuleLifetime::DriverServer()->Release(ticket);
        DriverUI::TearDown();
    }
    uint32_t ticket = 0;
    GDriverUI* ui = nullptr;
};

TEST_F(DriverUIObject, SetIdentityKeepsTheDevModeForTheSameNameAndDropsItForAnother)
{
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    GDriverDevMode* held = ui->GetDevModeObject();
    ASSERT_NE(nullptr, held);
    ui->SetIdentity(PrinterIdentity(handle, name.c_str(), 1));
    EXPECT_EQ(held, ui->GetDevModeObject());
    EXPECT_EQ(handle, ui->GetPrinterHandle());
    ui->SetIdentity(PrinterIdentity(nullptr, (name + L"x").c_str(), 1));
    EXPECT_EQ(nullptr, ui->GetDevModeObject());
    EXPECT_EQ(RWWString((name + L"x").c_str()), ui->GetPrinterName());
    ui->SetIdentity(PrinterIdentity(nullptr, name.c_str(), 1));
    // A name that the held one only starts with names another printer too.
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    ASSERT_NE(nullptr, ui->GetDevModeObject());
    const std::wstring shorter = name.substr(0, name.size() - 1);
    ui->SetIdentity(PrinterIdentity(nullptr, shorter.c_str(), 1));
    EXPECT_EQ(nullptr, ui->GetDevModeObject());
    ui->SetIdentity(PrinterIdentity(nullptr, name.c_str(), 1));
}

TEST_F(DriverUIObject, UsingTheOwnHandleNeedsOneOpen)
{
    ui->UseOwnPrinter(1);
    EXPECT_EQ(nullptr, ui->GetOwnHandle());
    ASSERT_EQ(1, ui->OpenOwnPrinter());
    ui->UseOwnPrinter(1);
    EXPECT_EQ(ui->GetOwnHandle(), ui->GetPrinterHandle());
    EXPECT_EQ(1, ui->CloseOwnPrinter());
    EXPECT_EQ(nullptr, ui->GetOwnHandle());
}

TEST_F(DriverUIObject, TheUIContextRecordIs60BytesWithKind2AndNoAgent)
{
    UIContextRecord* record = ui->CreateUIContext();
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(60u, record->size);
    EXPECT_EQ(2, record->applied);
    ASSERT_NE(nullptr, record->settings);
    auto* agent = GDriverObject::Feature<GValueAttribute>(record->settings, 313);
    ASSERT_NE(nullptr, agent);
    EXPECT_EQ(0, agent->GetValue());
    ui->DestroyUIContext(record);
    ui->DestroyUIContext(nullptr);
}

TEST_F(DriverUIObject, TheUIContextsAgentFlagFollowsTheAgent)
{
    // The module's provider is registered at attach; 313 says whether the agent answers.
    ASSERT_NE(nullptr, ModuleLifetime::AgentProvider());
    const struct {
        bool agentRunning;
        uint16_t expected;
    } rows[] = {{true, 1}, {false, 0}, {true, 1}};
    for (const auto& row : rows) {
        std::unique_ptr<AgentStandin> agent(row.agentRunning ? new AgentStandin({}) : nullptr);
        if (agent) {
            ASSERT_TRUE(agent->Running());
        }
        UIContextRecord* record = ui->CreateUIContext();
        ASSERT_NE(nullptr, record);
        auto* flag = GDriverObject::Feature<GValueAttribute>(record->settings, FeatureId::kAgentAvailable);
        ASSERT_NE(nullptr, flag);
        EXPECT_EQ(row.expected, flag->GetValue()) << "agent running: " << row.agentRunning;
        ui->DestroyUIContext(record);
        agent.reset();
        // The provider keeps a window it found; a closed agent is looked up afresh.
        if (auto* provider = dynamic_cast<GNRAProvider*>(ModuleLifetime::AgentProvider()))
            provider->Disconnect();
    }
}

TEST_F(DriverUIObject, WritingThePrinterDefaultStoresTheCurrentDevMode)
{
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    ASSERT_EQ(1, ui->OpenOwnPrinter());
    ui->UseOwnPrinter(1);
    EXPECT_EQ(1, ui->WritePrinterDefaultDevMode());
    ui->CloseOwnPrinter();
    std::vector<uint8_t> current(1172);
    ASSERT_EQ(1, ui->GetDevModeObject()->CopyOut(reinterpret_cast<DEVMODEW*>(current.data())));
    EXPECT_EQ(current, SpoolerDevMode(handle));
}

// A spooler whose record does not hold together: the object refuses it instead of
// starting from the defaults, and neither the printer's nodes nor its default DEVMODE are
// made afresh over what the printer holds; what only reads still answers. The same record
// packed whole at the end of the buffer gives the printer's DEVMODE.
TEST_F(DriverUIObject, ARefusedPrinterRecordStoresNothingAndOnePackedAtTheEndIsRead)
{
    ModuleDevMode();
    PrinterDataTest::KeySnapshot data(PrinterDataTest::DataKey());
    const std::vector<uint8_t> defaults = SpoolerDevMode(handle);
    // Without its nodes the printer looks fresh: a read taken for "no DEVMODE" would
    // store the factory's nodes.
    for (const wchar_t* node : {L"365", L"366", L"368"})
        PrinterDataTest::DeleteStored(node);
    const std::vector<uint8_t> before = AllData();
    for (auto packing : {RecordPackingSpooler::kNameOutside, RecordPackingSpooler::kTextUnended,
                         RecordPackingSpooler::kDevModePastEnd}) {
        const char* what = RecordPackingSpooler::Name(packing);
        RecordPackingSpooler spooler(packing);
        EXPECT_EQ(0, ui->MergeDevModeIntoSettings(nullptr)) << what;
        EXPECT_EQ(0, ui->MergeDevModeIntoSettings(nullptr)) << what << ", again";
        ASSERT_NE(nullptr, ui->GetDevModeObject());
        EXPECT_TRUE(ui->GetDevModeObject()->PrinterRecordUnread()) << what;
        EXPECT_EQ(0, ui->WritePrinterDefaultDevMode()) << what;
        // A commit packs the defaults in any mode, and the one that would store fails.
        for (int mode : {0, 1}) {
            std::unique_ptr<GObjectBase> tree(ui->CreateDefaultSettings());
            ASSERT_NE(nullptr, tree);
            EXPECT_EQ(mode == 1 ? 0 : 1, ui->CommitSettings(tree.get(), mode)) << what << ", mode " << mode;
            EXPECT_EQ(before, AllData()) << what << ", mode " << mode;
        }
        // What only reads answers from the driver's defaults; the sheets open with
        // storing off, and their OK stores nothing.
        std::vector<uint8_t> output(1172, 0);
        LONG needed = 1172;
        EXPECT_TRUE(DrvConvertDevMode(&name[0], nullptr, reinterpret_cast<DEVMODEW*>(output.data()), &needed,
                                      CDM_DRIVER_DEFAULT))
            << what;
        EXPECT_TRUE(IsValidDevmodeW(reinterpret_cast<DEVMODEW*>(output.data()), 1172)) << what;
        EXPECT_LT(0, LONG(ui->DeviceCapabilities(nullptr, nullptr, DC_BINS, nullptr, nullptr))) << what;
        std::vector<uint8_t> job = ModuleDevMode();
        DEVQUERYPRINT_INFO query = {sizeof query, 1, handle, reinterpret_cast<DEVMODEW*>(job.data()), nullptr, 0, 0};
        EXPECT_TRUE(DevQueryPrintEx(&query)) << what;
        DOCUMENTPROPERTYHEADER document = {sizeof document, 0, handle, &name[0], nullptr, nullptr, 0, DM_PROMPT};
        DEVICEPROPERTYHEADER device = {sizeof device, 0, handle, &name[0]};
        const struct {
            LONG(WINAPI* open)(PPROPSHEETUI_INFO, LPARAM);
            const void* header;
        } sheets[] = {{DrvDocumentPropertySheets, &document}, {DrvDevicePropertySheets, &device}};
        for (const auto& row : sheets) {
            RecordingComPropSheet::Current().Reset();
            PROPSHEETUI_INFO sheet = {};
            sheet.cbSize = sizeof sheet;
            sheet.hComPropSheet = reinterpret_cast<HANDLE>(0x66);
            sheet.pfnComPropSheet = reinterpret_cast<decltype(sheet.pfnComPropSheet)>(&RecordingComPropSheet::Callback);
            sheet.lParamInit = reinterpret_cast<LPARAM>(row.header);
            sheet.Reason = PROPSHEETUI_REASON_INIT;
            EXPECT_EQ(1, row.open(&sheet, 0)) << what;
            EXPECT_LT(0u, RecordingComPropSheet::Current().calls.size()) << what;
            SETRESULT_INFO set = {sizeof set, 0, nullptr, CPSUI_OK};
            sheet.Reason = PROPSHEETUI_REASON_SET_RESULT;
            row.open(&sheet, reinterpret_cast<LPARAM>(&set));
            sheet.Reason = PROPSHEETUI_REASON_DESTROY;
            row.open(&sheet, 0);
        }
        // The document properties without a sheet only read: the size, then the DEVMODE
        // out, as the platform's DocumentPropertiesW asks for them.
        DOCUMENTPROPERTYHEADER noSheet = {sizeof noSheet, 0, handle, &name[0], nullptr, nullptr, 0, 0};
        EXPECT_EQ(1172, DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&noSheet))) << what;
        std::vector<uint8_t> handed(1172, 0);
        noSheet.pdmOut = reinterpret_cast<DEVMODEW*>(handed.data());
        noSheet.cbOut = DWORD(handed.size());
        noSheet.fMode = DM_OUT_BUFFER;
        EXPECT_EQ(1, DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&noSheet))) << what;
        EXPECT_TRUE(IsValidDevmodeW(reinterpret_cast<DEVMODEW*>(handed.data()), 1172)) << what;
        // A device context reads its settings at its POST events, and stores none.
        DOCEVENT_CREATEDCPRE create = {nullptr, nullptr, reinterpret_cast<DEVMODEW*>(job.data()), FALSE};
        DEVMODEW* copy = nullptr;
        ASSERT_EQ(1, DrvDocumentEvent(handle, nullptr, DOCUMENTEVENT_CREATEDCPRE, sizeof create, &create, sizeof copy,
                                      &copy))
            << what;
        EXPECT_EQ(1, DrvDocumentEvent(handle, nullptr, DOCUMENTEVENT_CREATEDCPOST, sizeof copy, &copy, 0, nullptr))
            << what;
        DEVMODEW* reset = reinterpret_cast<DEVMODEW*>(job.data());
        EXPECT_EQ(1, DrvDocumentEvent(handle, nullptr, DOCUMENTEVENT_RESETDCPRE, sizeof reset, &reset, sizeof copy,
                                      &copy))
            << what;
        EXPECT_EQ(1, DrvDocumentEvent(handle, nullptr, DOCUMENTEVENT_RESETDCPOST, sizeof copy, &copy, 0, nullptr))
            << what;
        EXPECT_EQ(0, DrvDocumentEvent(handle, nullptr, DOCUMENTEVENT_DELETEDC, 0, nullptr, 0, nullptr)) << what;
        EXPECT_EQ(before, AllData()) << what;
        EXPECT_EQ(defaults, SpoolerDevMode(handle)) << what;
    }
    {
        RecordPackingSpooler spooler(RecordPackingSpooler::kAtEnd);
        EXPECT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
        ASSERT_NE(nullptr, ui->GetDevModeObject());
        EXPECT_TRUE(ui->GetDevModeObject()->IsLoaded()) << "the printer's DEVMODE found";
        EXPECT_EQ(before, AllData()) << "a loaded DEVMODE stores nothing";
    }
    data.Restore();
}

// A record that grows between the size the spooler gives and the read is asked for once
// more; one that grows again is refused.
TEST_F(DriverUIObject, APrinterRecordThatGrewIsReadOnceMore)
{
    static int calls, growths;
    auto growing = [](void* printer, uint8_t* buffer, uint32_t size, uint32_t* needed) -> bool {
        DWORD real = 0;
        GetPrinterW(printer, 2, nullptr, 0, &real);
        if (++calls <= growths) {
            *needed = std::max<uint32_t>(real, size) + 64;
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        DWORD got = 0;
        const bool read = GetPrinterW(printer, 2, buffer, size, &got) != 0;
        *needed = got;
        return read;
    };
    const struct {
        int growths;
        bool read;
    } rows[] = {{1, true}, {2, true}, {3, false}};
    const PrinterRecordScope::Reader previous = PrinterRecordScope::SetReaderForTesting(growing);
    for (const auto& row : rows) {
        calls = 0;
        growths = row.growths;
        ui->MergeDevModeIntoSettings(nullptr);
        ASSERT_NE(nullptr, ui->GetDevModeObject());
        EXPECT_EQ(!row.read, ui->GetDevModeObject()->PrinterRecordUnread()) << row.growths;
    }
    PrinterRecordScope::SetReaderForTesting(previous);
}

// The server hands the printer's one object to each caller in turn: each caller's
// document properties learn what that caller may do, never what the one before could.
// A handle's value comes back once it is closed: a caller of other rights through it is
// another handle, and gets an object made afresh that keeps only the model.
TEST_F(DriverUI, TheOwnHandleTestIsMadeForEachCaller)
{
    GUIOSFactory::SetDriverUIMaker({[](const PrinterIdentity& identity) -> GDriverObject* {
                                        return new CallerUI(identity);
                                    },
                                    kRealMaker.printerHandle});
    const RightsServices::Scope services;
    // A caller of other rights than the one before is asked once to tell that it is
    // another caller, and once more by the object made for it.
    const struct {
        const char* caller;
        bool standardUser;
        int asked;  // -1: not looked at
        int watermarkSwitch;
        bool sameObject;
        bool mergeFails = false;  // the call fails after its switch was set
    } calls[] = {
        {"the first caller, no settings loaded yet", false, -1, 0, false},
        {"an administrator", false, 1, 0, true},
        {"a standard user", true, 2, 1, false},
        {"a standard user again", true, 1, 1, true},
        {"a standard user whose merge fails", true, 1, 1, true, true},
        {"an administrator again", false, 1, 0, false},
    };
    const void* before = nullptr;
    const void* model = nullptr;
    for (const auto& call : calls) {
        CallerUI::standardUser = call.standardUser;
        CallerUI::refuseMerge = call.mergeFails;
        CallerUI::asked.clear();
        CallerUI::watermarksSeen = -1;
        std::vector<uint8_t> output(1172, 0);
        DOCUMENTPROPERTYHEADER header = {};
        header.cbSize = sizeof header;
        header.hPrinter = handle;
        header.pszPrinterName = &name[0];
        header.pdmOut = reinterpret_cast<DEVMODEW*>(output.data());
        header.fMode = DM_OUT_BUFFER;
        EXPECT_EQ(call.mergeFails ? -1 : 1, DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&header)))
            << call.caller;
        CallerUI::refuseMerge = false;
        if (call.asked >= 0) {
            EXPECT_EQ(call.asked, CallerUI::FullAccessAsked()) << call.caller;
        }
        EXPECT_EQ(call.watermarkSwitch, CallerUI::watermarksSeen) << call.caller;
        ASSERT_NE(nullptr, CallerUI::last) << call.caller;
        EXPECT_EQ(0, CallerUI::last->UserWatermarks()) << call.caller << ": the switch is off once the call is over";
        EXPECT_EQ(call.sameObject, CallerUI::merged == before) << call.caller;
        model = model ? model : CallerUI::model;
        EXPECT_EQ(model, CallerUI::model) << call.caller;
        before = CallerUI::merged;
    }
}

// Two handles of one process, an administrator's and a standard user's: each one's
// watermark goes where its own rights put it, and the administrator's device sheet after
// them takes nothing of the user's into the printer's list.
TEST_F(DriverUI, EachHandlesWatermarksGoWhereItsOwnRightsPutThem)
{
    GUIOSFactory::SetDriverUIMaker(
        {[](const PrinterIdentity& identity) -> GDriverObject* { return new CallerUI(identity); },
         kRealMaker.printerHandle});
    const RightsServices::Scope services;
    PrinterDataTest::KeySnapshot data(PrinterDataTest::DataKey());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Prenovant\\{qz-handles}");
    PrinterDataTest::WriteString(L"PrinterUUID", L"{qz-handles}");
    CallerUI::standardUser = false;
    ASSERT_TRUE(OpenPrinterW(&name[0], &CallerUI::standardHandle, nullptr));
    const struct {
        HANDLE printer;
        const char* mark;  // null: the device sheet
        uint16_t scope;
    } sheets[] = {{handle, "Shared", 1}, {CallerUI::standardHandle, "Mine", 2}, {handle, nullptr, 0}};
    for (const auto& sheet : sheets) {
        DOCUMENTPROPERTYHEADER document = {sizeof document, 0, sheet.printer, &name[0], nullptr, nullptr, 0, 0};
        DEVICEPROPERTYHEADER device = {sizeof device, 0, sheet.printer, &name[0]};
        auto* open = sheet.mark ? &DrvDocumentPropertySheets : &DrvDevicePropertySheets;
        PROPSHEETUI_INFO info = {};
        info.cbSize = sizeof info;
        info.pfnComPropSheet = reinterpret_cast<decltype(info.pfnComPropSheet)>(&RecordingComPropSheet::Callback);
        info.lParamInit = sheet.mark ? reinterpret_cast<LPARAM>(&document) : reinterpret_cast<LPARAM>(&device);
        ASSERT_EQ(1, open(&info, 0));
        auto* ui = dynamic_cast<GDriverUI*>(reinterpret_cast<GDriverUIOperations*>(info.UserData));
        GObjectBase* lists = ui && ui->SheetContext() ? ui->SheetContext()->settings->FindById(FeatureId::kPrinterLists) : nullptr;
        GObjectBase* marks = lists ? lists->FindById(FeatureId::kWatermarkList) : nullptr;
        ASSERT_NE(nullptr, marks);
        if (sheet.mark) {
            auto* mark = new GAttributeComposite(0);
            mark->Add(new GStringAttribute(sheet.mark, FeatureId::kWatermarkName));
            mark->Add(new GValueAttribute(sheet.scope, FeatureId::kWatermarkScope));
            marks->Add(mark);
        }
        SETRESULT_INFO set = {sizeof set, 0, nullptr, CPSUI_OK};
        info.Reason = PROPSHEETUI_REASON_SET_RESULT;
        open(&info, reinterpret_cast<LPARAM>(&set));
        info.Reason = PROPSHEETUI_REASON_DESTROY;
        open(&info, 0);
    }
    // At print time the standard user's own watermark is found where its rights put it.
    {
        uint32_t printing = 0;
        auto* ui = dynamic_cast<GDriverUI*>(ModuleLifetime::DriverServer()->Acquire(
            new PrinterIdentity(CallerUI::standardHandle, name.c_str(), 0), printing));
        ASSERT_NE(nullptr, ui);
        GObjectBase* settings = ui->GetSettings();
        GObjectBase* options = settings ? settings->FindById(FeatureId::kDocumentSettings) : nullptr;
        GObjectBase* selection = options ? options->FindById(FeatureId::kWatermarkDefinition) : nullptr;
        ASSERT_NE(nullptr, selection);
        for (long id : {long(FeatureId::kWatermarkPageRule), long(FeatureId::kWatermarkGate), long(FeatureId::kWatermarkSelected)})
            while (GObjectBase* removed = selection->RemoveById(id))
                delete removed;
        selection->Add(new GValueAttribute(0, FeatureId::kWatermarkPageRule));
        selection->Add(new GValueAttribute(0, FeatureId::kWatermarkGate));
        selection->Add(new GStringAttribute("Mine", FeatureId::kWatermarkSelected));
        EXPECT_EQ(1, ui->DocumentEvents().PrepareWatermark());
        EXPECT_NE(0u, ui->DocumentEvents().WatermarkMode()) << "the user's own watermark prints";
        ModuleLifetime::DriverServer()->Release(printing);
    }
    ClosePrinter(CallerUI::standardHandle);
    CallerUI::standardHandle = nullptr;
    uint32_t ticket = 0;
    auto* ui = dynamic_cast<GDriverUI*>(
        ModuleLifetime::DriverServer()->Acquire(new PrinterIdentity(handle, name.c_str(), 0), ticket));
    ASSERT_NE(nullptr, ui);
    std::unique_ptr<GObjectBase> printers(ui->LoadSettingsTree(FeatureId::kPrinterLists));
    std::unique_ptr<GObjectBase> users(ui->LoadObject(ui->UserWatermarkValueName()));
    ModuleLifetime::DriverServer()->Release(ticket);
    auto holds = [](GObjectBase* list, const char* mark) {
        bool found = false;
        ForEachMember(list, [&](GObjectBase* watermark) {
            auto* text = GDriverObject::Feature<GStringAttribute>(watermark, FeatureId::kWatermarkName);
            found |= text && text->GetString() == RWCString(mark);
        });
        return found;
    };
    GObjectBase* shared = printers ? printers->FindById(FeatureId::kWatermarkList) : nullptr;
    EXPECT_TRUE(holds(shared, "Shared"));
    EXPECT_FALSE(holds(shared, "Mine"));
    EXPECT_TRUE(holds(users.get(), "Mine"));
    EXPECT_FALSE(holds(users.get(), "Shared"));
    data.Restore();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Prenovant\\{qz-handles}");
}

TEST_F(DriverUIObject, PublicOnlyApplicationsGetThePublicPartOnly)
{
    ui->SetAppFlags(0x100);
    std::vector<uint8_t> bytes(1172, 0);
    LONG needed = 0;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(ui->ConvertDevMode(&name[0], nullptr, reinterpret_cast<DEVMODEW*>(bytes.data()), &needed,
                                    CDM_DRIVER_DEFAULT));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(220, needed);
    EXPECT_EQ(220u, ui->DeviceCapabilities(nullptr, nullptr, DC_SIZE, nullptr, nullptr));
    EXPECT_EQ(0u, ui->DeviceCapabilities(nullptr, nullptr, DC_EXTRA, nullptr, nullptr));

    // The marked copy into a 220-byte buffer ending at a no-access page writes nothing
    // past the public part.
    GuardedBytes guarded(220);
    DEVMODEW* out = guarded.DevMode();
    ASSERT_NE(nullptr, out);
    DOCUMENTPROPERTYHEADER header = {};
    header.cbSize = sizeof header;
    header.pszPrinterName = &name[0];
    header.pdmOut = out;
    header.fMode = 0x100A;
    EXPECT_EQ(1, ui->DocumentSheet().DocumentPropertiesNoUI(header));
    EXPECT_EQ(220, out->dmSize);
    EXPECT_EQ(0, out->dmDriverExtra);
    ui->SetAppFlags(0);
}

TEST_F(DriverUIObject, TheUIFontComesFromTheResourceLibrary)
{
    GObjectBase* font = ui->GetUIFont();
    ASSERT_NE(nullptr, font);
    EXPECT_STREQ("Arial", GDriverObject::Feature<GStringAttribute>(font, 384)->GetString().Data());
    EXPECT_EQ(8, GDriverObject::Feature<GValueAttribute>(font, 385)->GetValue());
    EXPECT_EQ(0, GDriverObject::Feature<GValueAttribute>(font, 386)->GetValue()) << "code page 1252";
    EXPECT_EQ(font, ui->GetUIFont()) << "built once";
}

TEST_F(DriverUIObject, QueryFeatureValueAnswersTheFixedIdAndFormSizes)
{
    uint16_t value = 0;
    EXPECT_EQ(1, ui->QueryFeatureValue(0x4000, value));
    EXPECT_EQ(0x100, value);
    EXPECT_EQ(1, ui->QueryFeatureValue(9, value)) << "A4's form is in the id pool";
    EXPECT_EQ(23, value);
    EXPECT_EQ(0, ui->QueryFeatureValue(99, value));
}

TEST_F(DriverUIObject, ACustomizedFormToTrayTableShowsTheSingleFormSourceBin)
{
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    std::unique_ptr<GObjectBase> stored(ui->LoadSettingsTree(365));
    ASSERT_NE(nullptr, stored);
    std::unique_ptr<GObjectBase> customized(stored->DeepCopy());
    auto* table = GDriverObject::Feature<GFormToTrayDatabase>(customized.get(), 510);
    ASSERT_NE(nullptr, table);
    table->SetAssociation(1, 23, 2);
    ASSERT_EQ(1, ui->SaveSettingsTree(customized.get()));
    ui->SetStateWord(-1);

    WORD bins[4] = {};
    wchar_t names[4 * 24];
    EXPECT_EQ(1u, ui->DeviceCapabilities(nullptr, nullptr, DC_BINS, bins, nullptr));
    EXPECT_EQ(15, bins[0]);
    EXPECT_EQ(1u, ui->DeviceCapabilities(nullptr, nullptr, DC_BINNAMES, names, nullptr));
    EXPECT_EQ(std::wstring(L"Form Select"), std::wstring(names));
    // The papers keep to the forms the table holds, and the custom size.
    const DWORD papers = ui->DeviceCapabilities(nullptr, nullptr, DC_PAPERS, nullptr, nullptr);
    std::vector<WORD> codes(papers == DWORD(GDI_ERROR) ? 0 : papers);
    ui->DeviceCapabilities(nullptr, nullptr, DC_PAPERS, codes.data(), nullptr);
    EXPECT_EQ((std::vector<WORD>{9, 256}), codes);

    ASSERT_EQ(1, ui->SaveSettingsTree(stored.get()));
    ui->SetStateWord(-1);
    EXPECT_LT(1u, ui->DeviceCapabilities(nullptr, nullptr, DC_BINS, nullptr, nullptr)) << "the trays again";
}

TEST_F(DriverUIObject, ADeviceAskingForItGetsTheBinsOfThePoolRebuiltFromTheState)
{
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    std::unique_ptr<GObjectBase> stored(ui->LoadSettingsTree(365));
    ASSERT_NE(nullptr, stored);
    std::unique_ptr<GObjectBase> rebuilt(stored->DeepCopy());
    auto* flag = GDriverObject::Feature<GValueAttribute>(rebuilt.get(), 197);
    ASSERT_NE(nullptr, flag);
    flag->SetValue(1);
    ASSERT_EQ(1, ui->SaveSettingsTree(rebuilt.get()));
    ui->SetStateWord(-1);

    WORD bins[8] = {};
    wchar_t names[8 * 24];
    ASSERT_EQ(2u, ui->DeviceCapabilities(nullptr, nullptr, DC_BINS, bins, nullptr));
    EXPECT_EQ(2u, ui->DeviceCapabilities(nullptr, nullptr, DC_BINNAMES, names, nullptr));
    EXPECT_EQ(7, bins[0]);
    EXPECT_EQ(4, bins[1]);
    EXPECT_EQ(std::wstring(L"Automatically Select"), std::wstring(names));
    EXPECT_EQ(std::wstring(L"Manual Feed"), std::wstring(names + 24));

    ASSERT_EQ(1, ui->SaveSettingsTree(stored.get()));
    ui->SetStateWord(-1);
}

// ---- What the printer holds: installed options, the form-to-tray table, two-sided ----

// The device settings as the device sheet leaves them, and the printer's own DEVMODE as
// the spooler keeps it; both put back by the caller's snapshots.
class InstalledState : public DriverUIObject {
protected:
    void SetUp() override
    {
        DriverUIObject::SetUp();
        data = std::make_unique<PrinterDataTest::KeySnapshot>(PrinterDataTest::DataKey());
        record = std::make_unique<PrinterDataTest::KeySnapshot>(printer.RegistryKey());
        ours = ModuleDevMode();
    }
    void TearDown() override
    {
        data->Restore();
        record->Restore();
        DriverUIObject::TearDown();
    }
    // The stored 365 with Tray 3 installed or not, the duplex unit in or out, A4 assigned
    // to tray 2 or no form assigned, and manual duplexing on or off.
    void Install(bool tray3, bool duplexUnit, bool formsAssigned, bool manualDuplex = false)
    {
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
        std::unique_ptr<GObjectBase> device(ui->LoadSettingsTree(FeatureId::kDeviceSettings));
        ASSERT_NE(nullptr, device);
        auto* sources = GDriverObject::Feature<GStringAttribute>(device.get(), FeatureId::kOptionalSourcesModel);
        auto* unit = GDriverObject::Feature<GValueAttribute>(device.get(), FeatureId::kDuplexUnit);
        auto* table = GDriverObject::Feature<GFormToTrayDatabase>(device.get(), FeatureId::kFormToTrayTable);
        auto* manual = GDriverObject::Feature<GValueAttribute>(device.get(), FeatureId::kDuplexFallback);
        ASSERT_TRUE(sources && unit && table && manual);
        sources->SetString(tray3 ? "Tray 3" : "");
        unit->SetValue(duplexUnit ? 1 : 0);
        manual->SetValue(manualDuplex ? 1 : 0);
        table->RemoveAll();
        if (formsAssigned)
            table->SetAssociation(2, DMPAPER_A4, 94);
        ASSERT_EQ(1, ui->SaveSettingsTree(device.get()));
    }
    // The printer's default DEVMODE, as SetPrinterW level 2 stores it.
    void SetPrinterDevMode(std::vector<uint8_t> bytes)
    {
        DWORD needed = 0;
        GetPrinterW(handle, 2, nullptr, 0, &needed);
        std::vector<uint8_t> info(needed);
        ASSERT_TRUE(GetPrinterW(handle, 2, info.data(), needed, &needed));
        auto* fields = reinterpret_cast<PRINTER_INFO_2W*>(info.data());
        fields->pDevMode = reinterpret_cast<DEVMODEW*>(bytes.data());
        fields->pSecurityDescriptor = nullptr;
        ASSERT_TRUE(SetPrinterW(handle, 2, info.data(), 0));
    }
    std::vector<WORD> Bins()
    {
        std::vector<WORD> bins(16, 0);
        const DWORD count = DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_BINS,
                                                reinterpret_cast<LPWSTR>(bins.data()), nullptr);
        bins.resize(count == DWORD(GDI_ERROR) ? 0 : std::min<DWORD>(count, 16));
        return bins;
    }
    DWORD TwoSided() { return DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_DUPLEX, nullptr, nullptr); }
    // The bytes as the store of the name, in chunks of 248 with their count.
    static void WriteStore(const std::wstring& store, const std::vector<uint8_t>& bytes)
    {
        PrinterDataTest::DeleteStored(store);
        for (size_t at = 0, chunk = 0; at < bytes.size(); at += 248, ++chunk)
            PrinterDataTest::WriteValue((store + L":" + std::to_wstring(chunk)).c_str(), REG_BINARY, bytes.data() + at,
                                        DWORD(std::min<size_t>(248, bytes.size() - at)));
        PrinterDataTest::WriteDword(store.c_str(), DWORD((bytes.size() + 247) / 248));
    }
    // The DEVMODE a merge of the input hands back (none: the printer's default).
    std::vector<uint8_t> Merged(const std::vector<uint8_t>* input)
    {
        std::vector<uint8_t> in = input ? *input : std::vector<uint8_t>(), out(1172, 0);
        EXPECT_EQ(IDOK, DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(out.data()),
                                            input ? reinterpret_cast<DEVMODEW*>(in.data()) : nullptr,
                                            DM_OUT_BUFFER | (input ? DM_IN_BUFFER : 0)));
        return out;
    }
    bool Prints(std::vector<uint8_t> devMode)
    {
        wchar_t text[128] = {};
        DEVQUERYPRINT_INFO info = {sizeof info, 1, handle, reinterpret_cast<DEVMODEW*>(devMode.data()), text, 128, 0};
        const bool prints = DevQueryPrintEx(&info) != FALSE;
        EXPECT_TRUE(prints || text[0]) << "a job held says why";
        return prints;
    }

    // The printer's choice of coding for its DEVMODEs' settings, in this process's object.
    GValueAttribute* CodingChoice()
    {
        EXPECT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
        GObjectBase* node = ui->GetPrinterConfiguration();
        for (long id : {FeatureId::kPrinterSettingsGroup, FeatureId::kPrinterLists, FeatureId::kStoredFormChoice})
            node = node ? node->FindById(id) : nullptr;
        return dynamic_cast<GValueAttribute*>(node);
    }
    // A tree in the compact coding; empty when it cannot be written.
    static std::vector<uint8_t> Compact(const RWCollectable* root)
    {
        std::vector<uint8_t> buffer(8192);
        GOutStreamHolder holder(buffer.data(), uint32_t(buffer.size()), 1);
        GSettingsTreeSerializer serializer;
        const int written = serializer.Save(static_cast<const GObjectBase*>(root), *holder.GetStream(), &holder,
                                            GSettingsTreeSerializer::kPortable);
        holder.GetStream()->Flush();
        buffer.resize(written ? size_t(holder.Tell()) : 0);
        return buffer;
    }

    // Puts a coding choice back however a test ends.
    struct ChoiceBack {
        GValueAttribute* choice;
        uint16_t value;
        ~ChoiceBack() { choice->SetValue(value); }
    };

    std::unique_ptr<PrinterDataTest::KeySnapshot> data, record;
    std::vector<uint8_t> ours;
};

TEST_F(InstalledState, APrinterDevModeNotOfThisDriverKeepsTheStoredOptions)
{
    Install(true, false, false);
    ASSERT_EQ((std::vector<WORD>{257, 258, 259}), Bins());
    ASSERT_EQ(0u, TwoSided());
    std::vector<uint8_t> publicOnly(ours.begin(), ours.begin() + 220);
    reinterpret_cast<DEVMODEW*>(publicOnly.data())->dmDriverExtra = 0;
    std::vector<uint8_t> another(ours.begin(), ours.begin() + 220 + 64);
    reinterpret_cast<DEVMODEW*>(another.data())->dmDriverExtra = 64;
    std::memcpy(another.data() + 224, "Another Driver\0", 15);
    const struct {
        const char* what;
        const std::vector<uint8_t>& devMode;
    } rows[] = {{"the public part only", publicOnly}, {"another driver's", another}};
    for (const auto& row : rows) {
        SetPrinterDevMode(row.devMode);
        // The first merge on a fresh object and the quick one after it.
        ui->SetIdentity(PrinterIdentity(nullptr, (name + L"x").c_str(), 1));
        ui->SetIdentity(PrinterIdentity(nullptr, name.c_str(), 1));
        EXPECT_EQ(1, ui->MergeDevModeIntoSettings(nullptr)) << row.what;
        EXPECT_EQ(1, ui->MergeDevModeIntoSettings(nullptr)) << row.what;
        EXPECT_EQ(DMDUP_SIMPLEX, reinterpret_cast<const DEVMODEW*>(Merged(nullptr).data())->dmDuplex) << row.what;
        EXPECT_EQ((std::vector<WORD>{257, 258, 259}), Bins()) << row.what;
        EXPECT_EQ(0u, TwoSided()) << row.what;
    }
}

// Two-sided printing needs the duplex unit, or manual duplexing (the user turns the
// sheets) switched on in the device settings.
TEST_F(InstalledState, TwoSidedComesBackOnlyWithTheDuplexUnitOrManualDuplexing)
{
    const struct {
        bool unit, manual;
        short asked, given;
    } rows[] = {{true, false, DMDUP_VERTICAL, DMDUP_VERTICAL},
                {true, false, DMDUP_HORIZONTAL, DMDUP_HORIZONTAL},
                {false, false, DMDUP_VERTICAL, DMDUP_SIMPLEX},
                {false, false, DMDUP_HORIZONTAL, DMDUP_SIMPLEX},
                {false, true, DMDUP_VERTICAL, DMDUP_VERTICAL},
                {false, true, DMDUP_HORIZONTAL, DMDUP_HORIZONTAL}};
    for (const auto& row : rows) {
        Install(false, row.unit, false, row.manual);
        std::vector<uint8_t> input = ours;
        auto* in = reinterpret_cast<DEVMODEW*>(input.data());
        in->dmFields |= DM_DUPLEX;
        in->dmDuplex = row.asked;
        EXPECT_EQ(row.given, reinterpret_cast<const DEVMODEW*>(Merged(&input).data())->dmDuplex)
            << row.unit << " " << row.manual << " " << row.asked;
        EXPECT_EQ(row.unit || row.manual ? 1u : 0u, TwoSided()) << row.unit << " " << row.manual;
        // The printer's own default asking for both sides gives one without either.
        SetPrinterDevMode(input);
        EXPECT_EQ(row.given, reinterpret_cast<const DEVMODEW*>(Merged(nullptr).data())->dmDuplex)
            << "the default " << row.unit << " " << row.manual << " " << row.asked;
    }
}

// A DEVMODE the module handed back asking for two sides, saved as the printer's default,
// then read through the merge once the duplex unit is gone: it comes back one-sided, its
// settings ask one side and the duplex field is no longer offered; with the unit still
// in, or manual duplexing, it keeps its two sides.
TEST_F(InstalledState, ASavedTwoSidedDevModeComesBackOneSidedOnceTheUnitIsRemoved)
{
    const struct {
        bool unit, manual;
        short duplex;
        uint32_t flagged;
        int32_t sides;
    } rows[] = {{true, false, DMDUP_VERTICAL, DM_DUPLEX, 2},
                {false, true, DMDUP_VERTICAL, DM_DUPLEX, 2},
                {false, false, DMDUP_SIMPLEX, 0, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.unit) + " " + std::to_string(row.manual));
        Install(false, true, false);
        std::vector<uint8_t> input = ours;
        reinterpret_cast<DEVMODEW*>(input.data())->dmFields |= DM_DUPLEX;
        reinterpret_cast<DEVMODEW*>(input.data())->dmDuplex = DMDUP_VERTICAL;
        const std::vector<uint8_t> saved = Merged(&input);
        ASSERT_EQ(DMDUP_VERTICAL, reinterpret_cast<const DEVMODEW*>(saved.data())->dmDuplex);
        SetPrinterDevMode(saved);
        Install(false, row.unit, false, row.manual);
        const std::vector<uint8_t> merged = Merged(nullptr);
        const auto* out = reinterpret_cast<const DEVMODEW*>(merged.data());
        EXPECT_EQ(row.duplex, out->dmDuplex);
        EXPECT_EQ(row.flagged, out->dmFields & DM_DUPLEX);
        std::unique_ptr<GObjectBase> settings(ui->GetDevModeObject()->UnpackSettings(out, 0));
        ASSERT_NE(nullptr, settings);
        EXPECT_EQ(row.sides, GDriverObject::NumberOr(settings.get(), FeatureId::kDuplex, -1));
        EXPECT_TRUE(Prints(merged));
    }
}

// A default DEVMODE saved while the printer printed one side, read once it prints two:
// the duplex unit installed since, or its device settings no longer read, so that the
// factory's options (with the unit) answer. DC_FIELDS offers the duplex field whenever
// DC_DUPLEX answers 1, and the default handed back flags it, still one-sided.
TEST_F(InstalledState, TheDuplexFieldIsOfferedExactlyWhenTwoSidesAre)
{
    const struct {
        const char* what;
        bool unit, unreadable;
        DWORD twoSided;
    } rows[] = {
        {"still no duplex unit", false, false, 0},
        {"the duplex unit installed", true, false, 1},
        {"the device settings unreadable", false, true, 1},
    };
    for (const auto& row : rows) {
        Install(false, false, false);
        const std::vector<uint8_t> oneSided = Merged(nullptr);
        ASSERT_EQ(0u, reinterpret_cast<const DEVMODEW*>(oneSided.data())->dmFields & DM_DUPLEX) << row.what;
        SetPrinterDevMode(oneSided);
        if (row.unit)
            Install(false, true, false);
        const std::vector<uint8_t> device = PrinterDataTest::StoredBytes(L"365");
        if (row.unreadable) {
            std::vector<uint8_t> damaged = device;
            damaged[damaged.size() / 2] ^= 0x5A;
            damaged.resize(damaged.size() - 3);
            WriteStore(L"365", damaged);
        }
        EXPECT_EQ(row.twoSided, TwoSided()) << row.what;
        const DWORD fields = DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_FIELDS, nullptr, nullptr);
        EXPECT_EQ(row.twoSided ? DWORD(DM_DUPLEX) : 0u, fields & DM_DUPLEX) << row.what;
        const std::vector<uint8_t> handedBack = Merged(nullptr);
        const auto* out = reinterpret_cast<const DEVMODEW*>(handedBack.data());
        EXPECT_EQ(fields, out->dmFields) << row.what;
        EXPECT_EQ(DMDUP_SIMPLEX, out->dmDuplex) << row.what;
        EXPECT_TRUE(Prints(handedBack)) << row.what;
        if (row.unreadable)
            WriteStore(L"365", device);
    }
}

// While forms are assigned to trays the form source is the one bin: a merged and the
// default DEVMODE name it, and every DEVMODE a merge hands back prints, whatever the
// options installed, and asks for two sides only where DC_DUPLEX offers them.
TEST_F(InstalledState, EveryDevModeAMergeHandsBackPassesThePrintTimeCheck)
{
    for (bool assigned : {false, true})
        for (bool unit : {false, true}) {
            Install(false, unit, assigned);
            const std::string state = std::string(assigned ? "forms assigned" : "no form assigned") +
                                      (unit ? ", duplex unit" : ", no duplex unit");
            EXPECT_EQ(assigned ? std::vector<WORD>{15} : (std::vector<WORD>{257, 258}), Bins()) << state;
            const bool twoSided = TwoSided() == 1;
            EXPECT_EQ(unit, twoSided) << state;
            const std::vector<uint8_t> byDefault = Merged(nullptr);
            EXPECT_EQ(assigned ? 15 : 257, reinterpret_cast<const DEVMODEW*>(byDefault.data())->dmDefaultSource)
                << state;
            EXPECT_TRUE(Prints(byDefault)) << state << ", the default";
            for (short source : {short(15), short(257), short(258), short(259)})
                for (short duplex : {short(DMDUP_SIMPLEX), short(DMDUP_VERTICAL), short(DMDUP_HORIZONTAL)}) {
                    std::vector<uint8_t> input = ours;
                    auto* in = reinterpret_cast<DEVMODEW*>(input.data());
                    in->dmFields |= DM_DEFAULTSOURCE | DM_DUPLEX;
                    in->dmDefaultSource = source;
                    in->dmDuplex = duplex;
                    const std::vector<uint8_t> merged = Merged(&input);
                    const auto* out = reinterpret_cast<const DEVMODEW*>(merged.data());
                    if (assigned) {
                        EXPECT_EQ(15, out->dmDefaultSource) << state << ", source " << source;
                    }
                    EXPECT_EQ(twoSided ? duplex : short(DMDUP_SIMPLEX), out->dmDuplex)
                        << state << ", source " << source << ", duplex " << duplex;
                    EXPECT_TRUE(Prints(merged)) << state << ", source " << source << ", duplex " << duplex;
                }
        }
}

// A form-to-tray table restored with the printer's data (A4 to Tray 2 alone, no sheet
// opened since) over a default that names Letter: every road that makes a default hands
// out a paper DC_PAPERS offers.
TEST_F(InstalledState, EveryDefaultNamesAPaperThePrinterOffers)
{
    Install(false, false, false);
    std::vector<uint8_t> letter = Merged(nullptr);
    auto* stored = reinterpret_cast<DEVMODEW*>(letter.data());
    stored->dmPaperSize = DMPAPER_LETTER;
    std::vector<uint8_t> input = letter;
    letter = Merged(&input);
    ASSERT_EQ(DMPAPER_LETTER, reinterpret_cast<DEVMODEW*>(letter.data())->dmPaperSize);
    SetPrinterDevMode(letter);
    // The table as restored: A4 (by the driver's own paper code) to Tray 2 alone.
    uint16_t a4 = 0;
    ASSERT_EQ(1, ui->GetPoolKey(DMPAPER_A4, a4));
    std::unique_ptr<GObjectBase> device(ui->LoadSettingsTree(FeatureId::kDeviceSettings));
    auto* table = GDriverObject::Feature<GFormToTrayDatabase>(device.get(), FeatureId::kFormToTrayTable);
    ASSERT_NE(nullptr, table);
    table->RemoveAll();
    table->SetAssociation(2, a4, 94);
    ASSERT_EQ(1, ui->SaveSettingsTree(device.get()));
    std::vector<WORD> papers(64, 0);
    const DWORD count =
        DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERS, reinterpret_cast<LPWSTR>(papers.data()), nullptr);
    ASSERT_NE(DWORD(GDI_ERROR), count);
    papers.resize(std::min<DWORD>(count, 64));
    ASSERT_EQ((std::vector<WORD>{DMPAPER_A4, DMPAPER_USER}), papers);

    const auto offered = [&](const std::vector<uint8_t>& devMode) {
        const WORD paper = WORD(reinterpret_cast<const DEVMODEW*>(devMode.data())->dmPaperSize);
        return std::find(papers.begin(), papers.end(), paper) != papers.end();
    };
    std::wstring printerName = name;
    EXPECT_TRUE(offered(Merged(nullptr))) << "the printer's default";
    std::vector<uint8_t> added(1172, 0);
    DOCUMENTPROPERTYHEADER header = {sizeof header, 0, nullptr, &printerName[0], nullptr,
                                     reinterpret_cast<DEVMODEW*>(added.data()), 1172, DM_OUT_BUFFER};
    EXPECT_EQ(1, DrvDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&header)));
    EXPECT_TRUE(offered(added)) << "the default of a printer added";
    std::vector<uint8_t> converted(1172, 0);
    LONG needed = 1172;
    EXPECT_TRUE(DrvConvertDevMode(&printerName[0], nullptr, reinterpret_cast<DEVMODEW*>(converted.data()), &needed,
                                  CDM_DRIVER_DEFAULT));
    EXPECT_TRUE(offered(converted)) << "the driver default";
    DRIVER_UPGRADE_INFO_1W upgrade = {&printerName[0], nullptr};
    ui->Upgrade().UpgradePrinter(1, reinterpret_cast<LPBYTE>(&upgrade));
    std::vector<uint8_t> upgraded(1172, 0);
    ASSERT_NE(nullptr, ui->GetDevModeObject());
    ASSERT_EQ(1, ui->GetDevModeObject()->CopyOut(reinterpret_cast<DEVMODEW*>(upgraded.data())));
    EXPECT_TRUE(offered(upgraded)) << "the upgrade's";
}

// Whatever DEVMODE the printer holds, what the module hands back passes its own check and
// the print-time query: the default, the driver default of a conversion and a merge, on
// every installed state; without a duplex unit the settings handed back ask one side.
TEST_F(InstalledState, EveryDevModeHandedBackPassesItsOwnCheckWhateverThePrinterHolds)
{
    std::vector<uint8_t> publicOnly(ours.begin(), ours.begin() + 220);
    reinterpret_cast<DEVMODEW*>(publicOnly.data())->dmDriverExtra = 0;
    std::vector<uint8_t> another(ours.begin(), ours.begin() + 220 + 64);
    reinterpret_cast<DEVMODEW*>(another.data())->dmDriverExtra = 64;
    const auto refused = [&](uint32_t field, const std::function<void(DEVMODEW*)>& change) {
        std::vector<uint8_t> copy = ours;
        auto* devMode = reinterpret_cast<DEVMODEW*>(copy.data());
        devMode->dmFields = (devMode->dmFields | field) & ~(field == DM_PAPERSIZE ? DM_FORMNAME : 0);
        change(devMode);
        return copy;
    };
    GAttributeComposite bare(FeatureId::kDefaultTreeRoot);
    const struct {
        const char* what;
        std::vector<uint8_t> devMode;
    } printerDevModes[] = {
        {"the public part only", publicOnly},
        {"another driver's", another},
        {"no copies", refused(DM_COPIES, [](DEVMODEW* d) { d->dmCopies = 0; })},
        {"an unknown paper", refused(DM_PAPERSIZE, [](DEVMODEW* d) { d->dmPaperSize = 999; })},
        {"orientation 0", refused(DM_ORIENTATION, [](DEVMODEW* d) { d->dmOrientation = 0; })},
        {"collate 2", refused(DM_COLLATE, [](DEVMODEW* d) { d->dmCollate = 2; })},
        {"a form the printer does not offer",
         refused(DM_FORMNAME, [](DEVMODEW* d) { std::wcscpy(d->dmFormName, L"No Such Form"); })},
        {"a bare settings tree", HostileSettings::Carrying(ours, HostileSettings::Zlib(HostileSettings::Native(&bare)))},
    };
    std::vector<uint8_t> twoSided = ours;
    reinterpret_cast<DEVMODEW*>(twoSided.data())->dmFields |= DM_DUPLEX;
    reinterpret_cast<DEVMODEW*>(twoSided.data())->dmDuplex = DMDUP_VERTICAL;
    const auto ownCheck = [&](std::vector<uint8_t> devMode) {
        uint32_t mask = 0;
        return ui->GetDevModeObject()->CheckDevMode(nullptr, reinterpret_cast<DEVMODEW*>(devMode.data()), 1, mask) == 1;
    };
    for (bool assigned : {false, true})
        for (bool unit : {false, true}) {
            Install(false, unit, assigned);
            for (const auto& row : printerDevModes) {
                const std::string what = std::string(row.what) + (assigned ? ", forms assigned" : "") +
                                         (unit ? ", duplex unit" : ", no duplex unit");
                ASSERT_FALSE(row.devMode.empty()) << what;
                SetPrinterDevMode(row.devMode);
                ui->SetIdentity(PrinterIdentity(nullptr, (name + L"x").c_str(), 1));
                ui->SetIdentity(PrinterIdentity(nullptr, name.c_str(), 1));
                ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr)) << what;
                std::vector<uint8_t> converted(1172, 0);
                LONG needed = 1172;
                ASSERT_TRUE(DrvConvertDevMode(&name[0], nullptr, reinterpret_cast<DEVMODEW*>(converted.data()), &needed,
                                              CDM_DRIVER_DEFAULT))
                    << what;
                const struct {
                    const char* road;
                    std::vector<uint8_t> devMode;
                } handed[] = {{"the default", Merged(nullptr)},
                              {"the driver default", converted},
                              {"a merge", Merged(&ours)},
                              {"a two-sided merge", Merged(&twoSided)}};
                for (const auto& out : handed) {
                    EXPECT_TRUE(ownCheck(out.devMode)) << what << ", " << out.road;
                    EXPECT_TRUE(Prints(out.devMode)) << what << ", " << out.road;
                }
                std::unique_ptr<GObjectBase> sides(ui->GetDevModeObject()->UnpackSettings(
                    reinterpret_cast<const DEVMODEW*>(handed[3].devMode.data()), 0));
                ASSERT_NE(nullptr, sides) << what;
                EXPECT_EQ(unit ? 2 : 0, GDriverObject::NumberOr(sides.get(), FeatureId::kDuplex, -1)) << what;
            }
        }
}

// After a printer DEVMODE whose settings tree is bare, the same object judges a custom
// size as the print-time query does: inside the device's limits it prints, below them not.
TEST_F(InstalledState, ACustomSizeIsJudgedAlikeByTheObjectAndThePrintTimeQuery)
{
    GAttributeComposite bare(FeatureId::kDefaultTreeRoot);
    SetPrinterDevMode(HostileSettings::Carrying(ours, HostileSettings::Zlib(HostileSettings::Native(&bare))));
    ui->SetIdentity(PrinterIdentity(nullptr, (name + L"x").c_str(), 1));
    ui->SetIdentity(PrinterIdentity(nullptr, name.c_str(), 1));
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    const struct {
        short width, length;
        bool prints;
    } rows[] = {{2000, 2800, true}, {100, 100, false}};
    for (const auto& row : rows) {
        std::vector<uint8_t> asked = ours;
        auto* devMode = reinterpret_cast<DEVMODEW*>(asked.data());
        devMode->dmFields = (devMode->dmFields | DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH) & ~DM_FORMNAME;
        devMode->dmPaperSize = DMPAPER_USER;
        devMode->dmPaperWidth = row.width;
        devMode->dmPaperLength = row.length;
        uint32_t mask = 0;
        EXPECT_EQ(row.prints, ui->GetDevModeObject()->CheckDevMode(nullptr, devMode, 1, mask) == 1) << row.width;
        EXPECT_EQ(row.prints, Prints(asked)) << row.width;
    }
}

// A packed settings tree without a resolution to print at (none, or one whose y is 0) is
// completed from the defaults: the document's own paper stays, and the DEVMODE prints.
TEST_F(InstalledState, APackedTreeWithoutAUsableResolutionIsCompletedAndKeepsItsPaper)
{
    std::vector<uint8_t> a4 = ours;
    auto* asked = reinterpret_cast<DEVMODEW*>(a4.data());
    asked->dmFields = (asked->dmFields | DM_PAPERSIZE) & ~DM_FORMNAME;
    asked->dmPaperSize = DMPAPER_A4;
    ASSERT_NE(DMPAPER_A4, reinterpret_cast<const DEVMODEW*>(Merged(&ours).data())->dmPaperSize)
        << "the defaults name another paper";
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(asked));
    ASSERT_NE(nullptr, ui->GetCurrentSettings());
    const struct {
        const char* what;
        std::function<void(GObjectBase*)> spoil;
    } rows[] = {
        {"no resolution node",
         [](GObjectBase* tree) {
             while (GObjectBase* removed = tree->RemoveById(FeatureId::kResolutionNode))
                 delete removed;
         }},
        {"x set and y 0",
         [](GObjectBase* tree) {
             auto* y = GDriverObject::Feature<GValueAttribute>(tree, FeatureId::kYResolution);
             ASSERT_NE(nullptr, y);
             ASSERT_NE(0, GDriverObject::NumberOr(tree, FeatureId::kXResolution, 0));
             y->SetValue(0);
         }},
    };
    for (const auto& row : rows) {
        std::unique_ptr<GObjectBase> tree(ui->GetCurrentSettings()->DeepCopy());
        row.spoil(tree.get());
        // Only the tree names the paper: the public part names none.
        std::vector<uint8_t> bare = ours;
        reinterpret_cast<DEVMODEW*>(bare.data())->dmFields &= ~(DM_PAPERSIZE | DM_FORMNAME);
        std::vector<uint8_t> input =
            HostileSettings::Carrying(bare, HostileSettings::Zlib(HostileSettings::Native(tree.get())));
        ASSERT_FALSE(input.empty()) << row.what;
        const std::vector<uint8_t> merged = Merged(&input);
        EXPECT_EQ(DMPAPER_A4, reinterpret_cast<const DEVMODEW*>(merged.data())->dmPaperSize) << row.what;
        EXPECT_EQ(std::wstring(L"A4"), reinterpret_cast<const DEVMODEW*>(merged.data())->dmFormName) << row.what;
        EXPECT_TRUE(Prints(merged)) << row.what;
        std::unique_ptr<GObjectBase> read(
            ui->GetDevModeObject()->UnpackSettings(reinterpret_cast<const DEVMODEW*>(input.data()), 1));
        ASSERT_NE(nullptr, read) << row.what;
        EXPECT_NE(0, GDriverObject::NumberOr(read.get(), FeatureId::kXResolution, 0)) << row.what;
        EXPECT_NE(0, GDriverObject::NumberOr(read.get(), FeatureId::kYResolution, 0)) << row.what;

        // The compact coding a printer may choose is completed too (read in this process,
        // whose object takes the switched choice).
        GValueAttribute* choice = CodingChoice();
        ASSERT_NE(nullptr, choice);
        ChoiceBack back{choice, choice->GetValue()};
        choice->SetValue(1);
        std::vector<uint8_t> compact = HostileSettings::Carrying(bare, HostileSettings::Zlib(Compact(tree.get())));
        ASSERT_FALSE(compact.empty()) << row.what;
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(reinterpret_cast<DEVMODEW*>(compact.data()))) << row.what;
        std::vector<uint8_t> out(1172, 0);
        ASSERT_EQ(1, ui->GetDevModeObject()->CopyOut(reinterpret_cast<DEVMODEW*>(out.data()))) << row.what;
        EXPECT_EQ(DMPAPER_A4, reinterpret_cast<const DEVMODEW*>(out.data())->dmPaperSize) << row.what;
        std::unique_ptr<GObjectBase> readCompact(
            ui->GetDevModeObject()->UnpackSettings(reinterpret_cast<const DEVMODEW*>(compact.data()), 0));
        ASSERT_NE(nullptr, readCompact) << row.what;
        EXPECT_NE(0, GDriverObject::NumberOr(readCompact.get(), FeatureId::kXResolution, 0)) << row.what;
        EXPECT_NE(0, GDriverObject::NumberOr(readCompact.get(), FeatureId::kYResolution, 0)) << row.what;
    }
}

// A packed tree whose root is not the settings composite is no settings tree, in the
// object-graph coding and in the compact one a printer may choose for its DEVMODEs: the
// public fields are taken, the settings stay whole, and the stores keep their bytes.
TEST_F(InstalledState, APackedTreeOfAnotherRootGivesOnlyThePublicFields)
{
    // Stores that are not the factory's, so that stores made afresh would show.
    Install(true, false, true);
    const std::vector<uint8_t> stored365 = PrinterDataTest::StoredBytes(L"365");
    const std::vector<uint8_t> stored366 = PrinterDataTest::StoredBytes(L"366");
    MAssociationList noAssociations(FeatureId::kDefaultTreeRoot);
    GAttributeComposite otherId(FeatureId::kDefaultTreeRoot + 1);
    otherId.Add(new GValueAttribute(1, FeatureId::kDuplex));
    GState otherClass(FeatureId::kDefaultTreeRoot);
    // Each DEVMODE object reads the printer's coding afresh; the printer data keep the
    // form the services took first. The choice is put back however the test ends.
    GValueAttribute* choice = CodingChoice();
    ASSERT_NE(nullptr, choice);
    ChoiceBack back{choice, choice->GetValue()};
    const struct {
        const char* what;
        const RWCollectable* root;
    } rows[] = {{"an empty association list", &noAssociations},
                {"a composite of another id", &otherId},
                {"a state of the settings id", &otherClass}};
    for (uint16_t coding : {0, 1})
        for (const auto& row : rows) {
            const std::string what = std::string(row.what) + (coding ? ", compact coding" : ", object graph");
            choice->SetValue(coding);
            const std::vector<uint8_t> packed = coding ? Compact(row.root) : HostileSettings::Native(row.root);
            ASSERT_FALSE(packed.empty()) << what;
            std::vector<uint8_t> input = HostileSettings::Carrying(ours, HostileSettings::Zlib(packed));
            ASSERT_FALSE(input.empty()) << what;
            auto* in = reinterpret_cast<DEVMODEW*>(input.data());
            in->dmFields |= DM_ORIENTATION;
            in->dmOrientation = DMORIENT_LANDSCAPE;
            ASSERT_EQ(1, ui->MergeDevModeIntoSettings(in)) << what;
            GObjectBase* settings = ui->GetCurrentSettings();
            ASSERT_TRUE(GDevModeBase::IsSettingsRoot(settings)) << what;
            EXPECT_EQ(90, GDriverObject::NumberOr(settings, FeatureId::kOrientationDegrees, 0)) << what;
            EXPECT_EQ(DMORIENT_LANDSCAPE, reinterpret_cast<const DEVMODEW*>(Merged(&input).data())->dmOrientation)
                << what;
            EXPECT_EQ(stored365, PrinterDataTest::StoredBytes(L"365")) << what;
            EXPECT_EQ(stored366, PrinterDataTest::StoredBytes(L"366")) << what;
        }
    choice->SetValue(back.value);
    // A tree that never held the stored nodes stores none of them.
    GAttributeComposite bare(FeatureId::kDefaultTreeRoot);
    EXPECT_EQ(1, ui->CommitSettings(&bare, 1));
    EXPECT_EQ(stored365, PrinterDataTest::StoredBytes(L"365"));
    EXPECT_EQ(stored366, PrinterDataTest::StoredBytes(L"366"));
}

TEST_F(DriverUIObject, DuplexTheDeviceDoesNotAcceptGivesItsMessageCutToTheCallersBuffer)
{
    const std::wstring message = L"Mismatch: User selected duplexing when duplex unit not installed.";
    std::vector<uint8_t> devMode = ModuleDevMode();
    auto* asked = reinterpret_cast<DEVMODEW*>(devMode.data());
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    // The values the device accepts (203) judge two-sided printing, whatever the
    // installed options say.
    auto* accepted = GDriverObject::Feature<GRangeAttribute>(ui->GetPrinterConfiguration(), 203);
    ASSERT_NE(nullptr, accepted);
    const int16_t largest = accepted->GetMaximum();

    const struct {
        short duplex;
        bool twoSided;
        bool prints;
    } rows[] = {{DMDUP_VERTICAL, false, false}, {DMDUP_HORIZONTAL, false, false}, {DMDUP_SIMPLEX, false, true},
                {DMDUP_VERTICAL, true, true},   {DMDUP_HORIZONTAL, true, true}};
    for (const auto& row : rows) {
        accepted->SetMaximum(row.twoSided ? largest : 0);
        asked->dmFields |= DM_DUPLEX;
        asked->dmDuplex = row.duplex;
        wchar_t text[64];
        std::wmemset(text, L'#', 64);
        DEVQUERYPRINT_INFO info = {};
        info.cbSize = sizeof info;
        info.Level = 1;
        info.hPrinter = handle;
        info.pDevMode = asked;
        info.pszErrorStr = text;
        info.cchErrorStr = 10;
        EXPECT_EQ(row.prints ? TRUE : FALSE, ui->DevQueryPrintEx(&info)) << row.duplex << " " << row.twoSided;
        if (row.prints)
            continue;
        EXPECT_EQ(message.size() + 1, info.cchNeeded) << row.duplex;
        EXPECT_EQ(message.substr(0, 9), std::wstring(text)) << row.duplex;
        EXPECT_EQ(L'#', text[10]) << "nothing past the terminator";
    }
    accepted->SetMaximum(largest);
}

TEST_F(DriverUIObject, EveryMediaNameLoadsFromTheResourceLibrary)
{
    EXPECT_EQ(1, ui->CheckMediaNames());
    EXPECT_NE(0u, ui->GetResourceModuleName().Length());
}

// The resource library the object holds serves while its file is as it was when loaded:
// within one call the call's view holds; the next call after the file changed loads it
// again.
TEST_F(DriverUIObject, TheHeldResourceLibraryIsLoadedAgainOnceItsFileChanged)
{
    RWWString path;
    ui->GetResourceLibraryPath(path);
    const std::wstring library(path.Data(), path.Length());
    FILETIME was = {};
    ASSERT_TRUE(FileWriteTime(library, was));
    FILETIME later = was;
    later.dwHighDateTime += 1;
    HMODULE first = nullptr, sameCall = nullptr, second = nullptr;
    {
        PrinterRecordScope call;
        first = ui->ResourceModule();
        FileWriteTime(library, later, true);
        sameCall = ui->ResourceModule();
    }
    {
        PrinterRecordScope call;
        second = ui->ResourceModule();
    }
    FileWriteTime(library, was, true);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, sameCall) << "the call's view";
    EXPECT_NE(first, second) << "loaded again";
    EXPECT_EQ(1, ui->CheckMediaNames());
}

TEST(DriverUIRules, OnlyPlainCachedFileNamesAreCopied)
{
    const struct {
        const wchar_t* name;
        bool plain;
    } rows[] = {
        {L"qzres32.dll", true}, {L"help.hlp", true},      {L"..", false},           {L"a..b", false},
        {L"sub\\file", false},  {L"sub/file", false},     {L"C:file", false},       {L"", false},
        {nullptr, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.plain, GDriverUIPrinterEvents::IsPlainFileName(row.name)) << (row.name ? row.name : L"(null)");
}

// A printer name without a server part copies nothing and leaves the caller's handle.
TEST_F(DriverUIObject, CopyingFromAServerNeedsAServerAndKeepsTheCallersHandle)
{
    ui->SetIdentity(PrinterIdentity(handle, name.c_str(), 1));
    EXPECT_EQ(0, ui->PrinterEvents().CopyFilesFromServer());
    EXPECT_EQ(handle, ui->GetPrinterHandle());
    EXPECT_EQ(0, ui->PrinterEvents().DeleteCachedFiles());
    ui->SetIdentity(PrinterIdentity(nullptr, name.c_str(), 1));
}

TEST(DriverUIRules, PaperSizesMatchWithin100UnitsAndTurnAt90And270)
{
    const std::vector<GSizePair> papers = {{215900, 279400}, {210000, 297000}};
    const struct {
        GSizePair size;
        uint32_t orientation;
        uint16_t index;
    } rows[] = {
        {{210000, 297000}, 0, 2},   {{210100, 297100}, 0, 2},   {{210101, 297000}, 0, 0},
        {{297000, 210000}, 90, 2},  {{297000, 210000}, 270, 2}, {{297000, 210000}, 180, 0},
        {{215800, 279500}, 0, 1},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.index, GDriverUI::MatchPaperSize(papers, row.size, row.orientation))
            << row.size.width << " " << row.orientation;
}

TEST(DriverUIRules, TheUIFontsCharacterSetFollowsTheCodePage)
{
    const struct {
        uint16_t codePage;
        uint8_t characterSet;
        bool farEastFace;
    } rows[] = {
        {874, 222, false},  {932, 128, true},   {936, 134, true},   {949, 129, true},   {950, 136, true},
        {1200, 0, false},   {1252, 0, false},   {1250, 238, false}, {1251, 204, false}, {1253, 161, false},
        {1254, 162, false}, {1255, 177, false}, {1256, 178, false}, {1257, 186, false}, {1361, 130, false},
        {437, 255, false},  {0, 255, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.characterSet, GDriverUI::CharacterSetOf(row.codePage)) << row.codePage;
        EXPECT_EQ(row.farEastFace, GDriverUI::FaceOf(row.codePage) != nullptr) << row.codePage;
    }
    EXPECT_STREQ("\x82\x6c\x82\x72 \x82\x6f\x96\xbe\x92\xa9", GDriverUI::FaceOf(932));
}

} // namespace
