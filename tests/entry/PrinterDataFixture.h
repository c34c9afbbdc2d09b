// The installed test printer as the printer events, the device sheet and the upgrade
// reach it: the driver UI object made through a maker that lets a test put the
// initialization options (364 with 1025 and 306) and the device-configuration switch
// (1100) into every settings tree the object loads, the module's services with the
// configuration library stand-in's folder as the module folder (the mini-installer
// stand-in is copied there too), and the printer's registry data and default DEVMODE
// taken before each test and put back after it.
#pragma once

#include "DmcStandin.h"
#include "ScopedClock.h"
#include "TestPrinter.h"
#include "entry/driverui/GDriverUI.h"
#include "entry/driverui/GDriverUIDeviceSheet.h"
#include "entry/driverui/GDriverUIPrinterEvents.h"
#include "entry/module/GUIOSFactory.h"
#include "entry/module/ModuleLifetime.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GStreamHolder.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverServer.h"
#include "printer/GPrinterDataCache.h"
#include "printer/PrinterIdentity.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cwchar>
#include <map>
#include <memory>
#include <functional>
#include <string>
#include <vector>

namespace PrinterDataTest {

// The module's services, with the stand-ins' folder as the module's and no
// registration program run.
struct StandinServices : GUIOSFactory {
    void GetModuleDirectory(RWWString& path) override { path = RWWString(DmcStandin::Folder().c_str()); }
    uint32_t RunCommand(const RWWString&, int) override { return 33; }
};

// The services of a standard user: the test of whether the printer's data may be written
// is refused, so that a call made on an object of its own, with full access refused too
// (Injection::refuseFullAccess), is read-only; on a system that keeps a user's own
// watermarks (Wine's version is not one the services recognise). Wine checks no printer
// access rights.
template <class Services>
struct StandardUser : Services {
    void GetOSVersion(uint32_t& kind, uint32_t& version, uint32_t& build) override
    {
        kind = 2, version = 6u << 16 | 1, build = 7601;
    }
    int SetPrinterDataString(GDriverObject* driver, const RWWString& name, const RWWString& text) override
    {
        return std::wstring(name.Data(), name.Length()) == L"RegWriteTestStr"
                   ? 0
                   : Services::SetPrinterDataString(driver, name, text);
    }
};

// The module's services answering the stores lock as told, holding nothing: busy (held
// elsewhere past the wait) or refused (the lock's list does not admit this caller).
struct LockAnsweringServices : StandinServices {
    int answer = GOSFactory::kStoresLockBusy;
    int asked = 0;
    int LockPrinterStores(GDriverObject*, uint32_t, void*& held) override
    {
        held = nullptr;
        ++asked;
        return answer;
    }
};

// What the test puts into each settings tree the object loads; -1 leaves a value out.
struct Injection {
    int installer = -1;    // 1025 under 364; with both -1 no 364 at all
    int plugins = -1;      // 306 under 364
    int configInUse = -1;  // 1100
    int autoUpdateMode = -1;  // 313 under 228 of the printer's configuration
    bool modulePages = false; // the plug-in list (63) names the module, whose pages the sheet shows
    bool failMerge = false;
    bool refuseFullAccess = false;  // the user may not change the printer: no full-access handle
    bool compactForm = false;  // the printer's configuration chooses the compact stored form
    int deviceChange = 0;  // not 0: the device settings (365) handed out hold this value more
};

// The question before stores that do not read are replaced: answered as the test says
// (no, unless told), counted, and the last one asked kept.
struct ReplaceQuestion {
    static inline int answer = IDNO;
    static inline int asked = 0;
    static inline std::wstring text;
    static int Answer(HWND, const wchar_t* question, const wchar_t*)
    {
        text = question ? question : L"";
        return ++asked, answer;
    }
};

class InjectingDriverUI : public GDriverUI {
public:
    // The virtual base is the most derived class's to make: with the printer's names.
    explicit InjectingDriverUI(const PrinterIdentity& identity)
        : GDriverObject(identity.GetPrinterName(), identity.GetDriverName(), identity.GetPortName()),
          GDriverUI(identity)
    {
    }
    static inline Injection injection;
    static inline uint32_t lastTicket = 0;
    static inline int commits = 0;  // the settings commits of every object the maker made

    int CommitSettings(GObjectBase* tree, int mode) override
    {
        ++commits;
        return GDriverUI::CommitSettings(tree, mode);
    }

    HANDLE OpenPrinterWithAccess(const RWWString& name, DWORD access) override
    {
        return injection.refuseFullAccess && access == PRINTER_ALL_ACCESS ? nullptr
                                                                          : GDriverUI::OpenPrinterWithAccess(name, access);
    }
    GObjectBase* LoadStoredSettings() override
    {
        GObjectBase* tree = GDriverUI::LoadStoredSettings();
        Inject(tree);
        return tree;
    }
    int MergeDevModeIntoSettings(const DEVMODEW* devMode) override
    {
        GConfiguration* configuration = GetPrinterConfiguration();
        GObjectBase* path = configuration ? configuration->FindById(FeatureId::kPaperPath) : nullptr;
        auto* mode = GDriverObject::Feature<GValueAttribute>(path, FeatureId::kAutoUpdateMode);
        if (mode && injection.autoUpdateMode >= 0)
            mode->SetValue(uint16_t(injection.autoUpdateMode));
        return injection.failMerge ? 0 : GDriverUI::MergeDevModeIntoSettings(devMode);
    }
    uint16_t GetStoredFormChoice(bool* found) override
    {
        if (!injection.compactForm)
            return GDriverUI::GetStoredFormChoice(found);
        if (found)
            *found = true;
        return 1;
    }
    void SetCacheTicket(uint32_t ticket) override
    {
        lastTicket = ticket;
        GDriverUI::SetCacheTicket(ticket);
    }
    static constexpr long kInjectedMember = 991;
    static void Inject(GObjectBase* tree)
    {
        if (!tree)
            return;
        delete tree->RemoveById(FeatureId::kInitializationOptions);
        delete tree->RemoveById(FeatureId::kDeviceModelConfig);
        if (injection.installer >= 0 || injection.plugins >= 0) {
            auto* options = new GAttributeComposite(FeatureId::kInitializationOptions);
            if (injection.installer >= 0)
                options->Add(new GValueAttribute(uint16_t(injection.installer), FeatureId::kRunMiniInstaller));
            if (injection.plugins >= 0)
                options->Add(new GValueAttribute(uint16_t(injection.plugins), FeatureId::kPluginConfigImport));
            tree->Add(options);
        }
        if (injection.configInUse >= 0)
            tree->Add(new GValueAttribute(uint16_t(injection.configInUse), FeatureId::kDeviceModelConfig));
        GObjectBase* device = tree->FindById(FeatureId::kDeviceSettings);
        if (injection.deviceChange && device) {
            delete device->RemoveById(kInjectedMember);
            device->Add(new GValueAttribute(uint16_t(injection.deviceChange), kInjectedMember));
        }
        if (injection.modulePages) {
            delete tree->RemoveById(FeatureId::kUIPlugInNames);
            auto* list = new GAttributeComposite(FeatureId::kUIPlugInNames);
            list->Add(new GStringAttribute("qzui32.dll", 0));
            tree->Add(list);
        }
    }
};

inline const GDriverUIMaker kInjectingMaker = {
    [](const PrinterIdentity& identity) -> GDriverObject* { return new InjectingDriverUI(identity); },
    [](GDriverObject* driver) -> void* {
        GDriverUI* ui = dynamic_cast<GDriverUI*>(driver);
        return ui ? ui->GetPrinterHandle() : nullptr;
    },
};

// Each value of the open key, with its name, type and bytes, in the registry's order.
inline void ForEachValue(HKEY key, const std::function<void(const std::wstring&, DWORD, std::vector<uint8_t>&)>& visit)
{
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        std::vector<uint8_t> bytes(1 << 16);
        DWORD length = 256, size = DWORD(bytes.size()), type = 0;
        if (RegEnumValueW(key, i, name, &length, nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS)
            break;
        bytes.resize(size);
        visit(std::wstring(name, length), type, bytes);
    }
}

// Every value under the user's key, names, types and bytes in the registry's order: empty
// when the key is not there.
inline std::vector<uint8_t> UserKeyValues(const std::wstring& path)
{
    std::vector<uint8_t> all;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return all;
    ForEachValue(key, [&](const std::wstring& name, DWORD type, std::vector<uint8_t>& bytes) {
        all.insert(all.end(), reinterpret_cast<const uint8_t*>(name.data()),
                   reinterpret_cast<const uint8_t*>(name.data() + name.size()));
        all.push_back(uint8_t(type));
        all.insert(all.end(), bytes.begin(), bytes.end());
    });
    RegCloseKey(key);
    return all;
}

// Cuts every binary value under the user's key to half its length, one byte turned: the
// store is there and does not read.
inline void DamageUserKey(const std::wstring& path)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key));
    std::vector<std::pair<std::wstring, std::vector<uint8_t>>> binaries;
    ForEachValue(key, [&](const std::wstring& name, DWORD type, std::vector<uint8_t>& bytes) {
        if (type == REG_BINARY && bytes.size() > 1)
            binaries.push_back({name, {bytes.begin(), bytes.begin() + bytes.size() / 2}});
    });
    for (auto& value : binaries) {
        value.second.back() ^= 0x5A;
        RegSetValueExW(key, value.first.c_str(), 0, REG_BINARY, value.second.data(), DWORD(value.second.size()));
    }
    RegCloseKey(key);
    ASSERT_FALSE(binaries.empty());
}

// The values of one registry key, to be put back as they were.
class KeySnapshot {
public:
    explicit KeySnapshot(const std::wstring& path) : path_(path)
    {
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return;
        ForEachValue(key, [&](const std::wstring& name, DWORD type, std::vector<uint8_t>& bytes) {
            values_[name] = {type, bytes};
        });
        RegCloseKey(key);
    }
    void Restore() const
    {
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            return;
        std::vector<std::wstring> added;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD length = 256;
            if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            if (!values_.count(std::wstring(name, length)))
                added.emplace_back(name, length);
        }
        for (const std::wstring& name : added)
            RegDeleteValueW(key, name.c_str());
        for (const auto& value : values_)
            RegSetValueExW(key, value.first.c_str(), 0, value.second.first, value.second.second.data(),
                           DWORD(value.second.second.size()));
        RegCloseKey(key);
    }

private:
    std::wstring path_;
    std::map<std::wstring, std::pair<DWORD, std::vector<uint8_t>>> values_;
};

// Printer data read and written through the registry, as the spooler keeps it.
inline std::wstring DataKey() { return TestPrinter::Shared().RegistryKey() + L"\\PrinterDriverData"; }

inline bool ReadValue(const std::wstring& keyPath, const wchar_t* name, DWORD& type, std::vector<uint8_t>& bytes)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    bytes.assign(1 << 16, 0);
    DWORD size = DWORD(bytes.size());
    const bool found = RegQueryValueExW(key, name, nullptr, &type, bytes.data(), &size) == ERROR_SUCCESS;
    bytes.resize(found ? size : 0);
    RegCloseKey(key);
    return found;
}

inline std::wstring DataString(const wchar_t* name)
{
    DWORD type = 0;
    std::vector<uint8_t> bytes;
    if (!ReadValue(DataKey(), name, type, bytes) || type != REG_SZ)
        return L"<absent>";
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

inline int64_t DataDword(const wchar_t* name)
{
    DWORD type = 0;
    std::vector<uint8_t> bytes;
    if (!ReadValue(DataKey(), name, type, bytes) || type != REG_DWORD || bytes.size() != 4)
        return -1;
    return *reinterpret_cast<const DWORD*>(bytes.data());
}

inline void WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DataKey().c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

inline void WriteDword(const wchar_t* name, DWORD value) { WriteValue(name, REG_DWORD, &value, sizeof value); }

inline void WriteString(const wchar_t* name, const std::wstring& text)
{
    WriteValue(name, REG_SZ, text.c_str(), DWORD((text.size() + 1) * sizeof(wchar_t)));
}

// A printer UUID of its own for the tag, whose user's watermark store starts empty: the
// store's key below the current user's.
inline std::wstring FreshUserStore(const std::wstring& tag)
{
    const std::wstring own = L"Software\\Prenovant\\{qz-own-" + tag + L"}";
    RegDeleteTreeW(HKEY_CURRENT_USER, own.c_str());
    WriteString(L"PrinterUUID", own.substr(own.find(L'{')));
    return own + L"\\LocalWatermarkPoolData";
}

// The user's own watermark store of the object's printer holding one watermark,
// "Earlier": 1 when written.
inline int StoreEarlierUserWatermark(GDriverUI* ui)
{
    GAttributeComposite earlier(FeatureId::kWatermarkList);
    auto* mark = new GAttributeComposite(0);
    mark->Add(new GStringAttribute("Earlier", FeatureId::kWatermarkName));
    earlier.Add(mark);
    return ui->SaveObject(ui->UserWatermarkValueName(), &earlier);
}

// The lines of a stand-in's call log that start with the prefix.
inline size_t CountLines(const std::vector<std::wstring>& log, const std::wstring& prefix)
{
    size_t count = 0;
    for (const std::wstring& line : log)
        count += line.compare(0, prefix.size(), prefix) == 0;
    return count;
}

// Every value of the printer data whose name is the stored object's: "name", "name:n"
// and, for one of the printer's stores, its published copies "name@n" and the record
// that names them, so that the printer holds no newer form of the store than its chunks.
// The spooler's DeletePrinterDataW ends the process on Wine.
inline void DeleteStored(const std::wstring& object)
{
    const bool store = object == L"365" || object == L"366" || object == L"368";
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DataKey().c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    std::vector<std::wstring> names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::wstring text(name, length);
        if (text == object || text.compare(0, object.size() + 1, object + L":") == 0 ||
            (store && (text.compare(0, object.size() + 1, object + L"@") == 0 || text == L"StoresCommit")))
            names.push_back(text);
    }
    for (const std::wstring& name : names)
        RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
}

inline void DeleteValue(const wchar_t* name) { DeleteStored(name); }

// The bytes as a value's chunks and then its count, as an older version writes them: its
// check, a record or copies, if any, stay as they were.
inline void WriteChunksAsOlder(const std::wstring& value, const std::vector<uint8_t>& bytes)
{
    for (size_t at = 0, chunk = 0; at < bytes.size() || chunk == 0; at += 248, ++chunk)
        WriteValue((value + L":" + std::to_wstring(chunk)).c_str(), REG_BINARY, bytes.data() + at,
                   DWORD(std::min<size_t>(248, bytes.size() - at)));
    WriteDword(value.c_str(), DWORD(bytes.size() / 248 + 1));
}

// The bytes as a store's chunks and their count, with no record naming a copy of the
// stores, as another program writing the registry leaves them: the chunks are all the
// printer holds of them.
inline void WriteStoreChunks(const std::wstring& store, const std::vector<uint8_t>& bytes)
{
    DeleteValue(L"StoresCommit");
    DeleteStored(store);
    WriteChunksAsOlder(store, bytes);
}

// The names of every value of the printer's data, as the registry lists them.
inline std::vector<std::wstring> DataValueNames()
{
    std::vector<std::wstring> names;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DataKey().c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    RegCloseKey(key);
    return names;
}

// The chunks of a stored object, in order, joined: empty when none is stored.
inline std::vector<uint8_t> StoredBytes(const std::wstring& object)
{
    std::vector<uint8_t> all;
    for (int chunk = 0;; ++chunk) {
        DWORD type = 0;
        std::vector<uint8_t> bytes;
        const std::wstring name = object + L":" + std::to_wstring(chunk);
        if (!ReadValue(DataKey(), name.c_str(), type, bytes))
            break;
        all.insert(all.end(), bytes.begin(), bytes.end());
    }
    return all;
}

// The node in the older, portable object form, its serial numbers cleared: two trees
// that hold the same settings give the same bytes. An upgrade brings it into the current
// form.
inline std::vector<uint8_t> PortableForm(GObjectBase* node)
{
    node->ClearSerials();
    std::vector<uint8_t> buffer(1 << 20);
    GOutStreamHolder out(buffer.data(), uint32_t(buffer.size()), 0);
    if (!out.GetStream())
        return {};
    *out.GetStream() << static_cast<const GObjectBase*>(node);
    out.GetStream()->Flush();
    if (!out.GetStream()->Good())
        return {};
    buffer.resize(size_t(out.Tell()));
    return buffer;
}

// The printer's default DEVMODE as the spooler gives it, without the bytes it leaves
// after the device name's terminator; empty without one.
inline std::vector<uint8_t> SpoolerDevMode(HANDLE printer)
{
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<uint8_t> bytes(needed);
    if (!needed || !GetPrinterW(printer, 2, bytes.data(), needed, &needed))
        return {};
    const DEVMODEW* devMode = reinterpret_cast<PRINTER_INFO_2W*>(bytes.data())->pDevMode;
    if (!devMode)
        return {};
    const uint8_t* begin = reinterpret_cast<const uint8_t*>(devMode);
    std::vector<uint8_t> copy(begin, begin + devMode->dmSize + devMode->dmDriverExtra);
    // Wine's spooler writes the printer name into dmDeviceName with lstrcpynW and keeps
    // whatever its buffer held after the terminator, and it may make the default afresh
    // on each read: what follows the name's terminator is no part of the DEVMODE's value.
    auto* name = reinterpret_cast<wchar_t*>(copy.data() + offsetof(DEVMODEW, dmDeviceName));
    for (size_t i = wcsnlen(name, CCHDEVICENAME); i < CCHDEVICENAME; ++i)
        name[i] = 0;
    return copy;
}

inline std::wstring Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[32];
    swprintf(text, 32, L"%2.2d/ %2.2d/ %4.4d", now.wMonth, now.wDay, now.wYear);
    return text;
}

// The clock far past every write while it lives: no stamp of the printer's data is then
// too new to keep what was read under it, for tests that count what a later call reads.
class SettledClock : public ScopedClock<GPrinterDataCache::SetClockForTesting> {
public:
    SettledClock() : ScopedClock([] { return uint64_t(1) << 62; }) {}
};

// Each test: the stand-in services and library, the injecting maker, a fresh driver
// server, the printer's data and DEVMODE put back at the end.
class PrinterDataFixture : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        TestPrinter::CopyIfDifferent(DmcStandin::ProgramFolder() + L"\\QZSKORN.DLL",
                                     DmcStandin::Folder() + L"\\QZSKORN.DLL");
        new StandinServices;  // replaces (and deletes) the services before
    }
    static void TearDownTestSuite()
    {
        new GUIOSFactory;  // plain services again for the suites after this one
    }
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        ASSERT_TRUE(standin.Loaded());
        printerKey = std::make_unique<KeySnapshot>(printer.RegistryKey());
        dataKey = std::make_unique<KeySnapshot>(DataKey());
        InjectingDriverUI::injection = Injection();
        InjectingDriverUI::lastTicket = 0;
        InjectingDriverUI::commits = 0;
        ReplaceQuestion::answer = IDNO;
        ReplaceQuestion::asked = 0;
        GDriverUIDeviceSheet::SetConfirmerForTesting(&ReplaceQuestion::Answer);
        GDriverUIPrinterEvents::SetInitializePauseForTesting(0);
        ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
        previous = GUIOSFactory::GetDriverUIMaker();
        GUIOSFactory::SetDriverUIMaker(kInjectingMaker);
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        ASSERT_TRUE(OpenPrinterW(&name[0], &handle, &defaults));
    }
    void TearDown() override
    {
        if (handle)
            ClosePrinter(handle);
        ReleaseHeld();
        GUIOSFactory::SetDriverUIMaker(previous);
        ModuleLifetime::Detach(false);
        GDriverUIPrinterEvents::SetInitializePauseForTesting(GDriverUIPrinterEvents::kInitializePause);
        GDriverUIDeviceSheet::SetConfirmerForTesting(nullptr);
        dataKey->Restore();
        printerKey->Restore();
    }
    // The object the entry points reach for the printer by name, held for the test.
    InjectingDriverUI* HoldObject()
    {
        uint32_t ticket = 0;
        GDriverObject* object =
            ModuleLifetime::DriverServer()->Acquire(new PrinterIdentity(nullptr, name.c_str(), 0), ticket);
        held.push_back(ticket);
        return dynamic_cast<InjectingDriverUI*>(object);
    }
    // A new driver server: the next entry call makes a new object, which loads its
    // settings afresh.
    void FreshServer()
    {
        ReleaseHeld();
        ModuleLifetime::Detach(false);
        ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
    }
    void ReleaseHeld()
    {
        for (uint32_t ticket : held)
            ModuleLifetime::DriverServer()->Release(ticket);
        held.clear();
    }

    const TestPrinter& printer = TestPrinter::Shared();
    std::wstring name = printer.Name();
    DmcStandin standin;
    GDriverUIMaker previous{};
    HANDLE handle = nullptr;
    std::vector<uint32_t> held;
    std::unique_ptr<KeySnapshot> printerKey, dataKey;
};

} // namespace PrinterDataTest
