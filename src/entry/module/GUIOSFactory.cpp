#include "entry/module/GUIOSFactory.h"

#include "printer/GDriverObject.h"
#include "printer/GPlatformCalls.h"
#include "printer/GPrinterLibrary.h"
#include "printer/GPrinterSnapshot.h"
#include "printer/PrinterRecordScope.h"

#include <winspool.h>

#include <atomic>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

namespace {

std::atomic<GDriverObject* (*)(const PrinterIdentity&)> g_create{nullptr};
std::atomic<void* (*)(GDriverObject*)> g_printerHandle{nullptr};

} // namespace

void GUIOSFactory::SetDriverUIMaker(const GDriverUIMaker& maker)
{
    g_create = maker.create;
    g_printerHandle = maker.printerHandle;
}

GDriverUIMaker GUIOSFactory::GetDriverUIMaker() { return {g_create.load(), g_printerHandle.load()}; }

namespace {

const size_t kFirstDriverRecord = 4096;
const DWORD kLargestDriverRecord = 1u << 20;
// A spooler form list larger than this is not a form list.
const DWORD kLargestFormList = 1u << 22;
// Where the spooler keeps its drivers, by environment, and the forms it adds.
const wchar_t kEnvironmentsKey[] = L"System\\CurrentControlSet\\Control\\Print\\Environments\\";
const wchar_t kPrintKey[] = L"System\\CurrentControlSet\\Control\\Print";
const wchar_t kFormsKey[] = L"System\\CurrentControlSet\\Control\\Print\\Forms";

// A name that may stand as one key of a registry path.
bool IsKeyName(const wchar_t* name) { return name && *name && !std::wcschr(name, L'\\'); }

} // namespace

GUIOSFactory::GUIOSFactory() : printWatch_(kPrintKey)
{
    InitializeSRWLock(&knownLock_);
    InitializeSRWLock(&keysLock_);
}

GUIOSFactory::~GUIOSFactory()
{
    for (const OpenKey& open : openKeys_)
        RegCloseKey(open.key);
}

GDriverObject* GUIOSFactory::CreateDriverObject(const PrinterIdentity& identity)
{
    GDriverObject* (*create)(const PrinterIdentity&) = g_create;
    return create ? create(identity) : nullptr;
}

void* GUIOSFactory::GetPrinterHandle(GDriverObject* driver)
{
    void* (*printerHandle)(GDriverObject*) = g_printerHandle;
    return driver && printerHandle ? printerHandle(driver) : nullptr;
}

void GUIOSFactory::GetDriverDataFile(RWWString& path, GDriverObject* driver)
{
    path = RWWString();
    if (!driver)
        return;
    auto text = [](const RWWString& name) {
        return name.IsNull() ? std::wstring() : std::wstring(name.Data(), name.Length());
    };
    const std::wstring printer = text(driver->GetPrinterName()), name = text(driver->GetSecondName());
    const std::wstring note = L"data file:" + printer + L'|' + name;
    if (PrinterRecordScope::FindAnswer(note, path))
        return;
    // Without the driver's name there is nothing to tell a changed driver by.
    const bool keepable = !name.empty();
    KnownFile known;
    bool found = false;
    if (keepable) {
        GPlatformCalls::LockGuard guard(knownLock_, true);
        for (const KnownFile& file : knownFiles_)
            if (file.printer == printer && file.driver == name) {
                known = file;
                found = true;
            }
    }
    // The driver's key is asked before the spooler, so that a driver added again after
    // the key was read is seen by the next call.
    const uint64_t version = found && !known.driverKey.empty() ? KeyVersion(known.driverKey) : 0;
    if (found && version && version == known.keyVersion && known.stamp.Answers(GPrinterSnapshot::File(known.path))) {
        path = known.path;
    } else {
        std::wstring driverKey;
        AskDriverDataFile(path, driverKey, driver);
        if (keepable) {
            const GSourceStamp stamp = GPrinterSnapshot::File(path);
            // A key first named by this answer was not read before it: its version is
            // taken at the next call.
            const uint64_t keyVersion = found && driverKey == known.driverKey ? version : 0;
            GPlatformCalls::LockGuard guard(knownLock_, false);
            for (auto it = knownFiles_.begin(); it != knownFiles_.end(); ++it)
                if (it->printer == printer && it->driver == name) {
                    knownFiles_.erase(it);
                    break;
                }
            if (knownFiles_.size() >= kMostKnownFiles)
                knownFiles_.erase(knownFiles_.begin());
            if (!path.IsNull())
                knownFiles_.push_back(KnownFile{printer, name, path, stamp, driverKey, keyVersion});
        }
    }
    PrinterRecordScope::KeepAnswer(note, path);
}

void GUIOSFactory::AskDriverDataFile(RWWString& path, std::wstring& driverKey, GDriverObject* driver)
{
    path = RWWString();
    driverKey.clear();
    if (!driver)
        return;
    HANDLE printer = GetPrinterHandle(driver);
    bool opened = false;
    if (!printer) {
        RWWString name = driver->GetPrinterName();
        if (name.IsNull() || !OpenPrinterW(const_cast<wchar_t*>(name.Data()), &printer, nullptr))
            return;
        opened = true;
    }
    // One call when the record fits a first buffer, as a driver's paths do; a larger one
    // is asked for again at its size.
    DWORD needed = 0;
    std::vector<BYTE> bytes(kFirstDriverRecord);
    GPlatformCalls::Count(GPlatformCalls::kDriverRecord);
    bool read = GetPrinterDriverW(printer, nullptr, 2, bytes.data(), DWORD(bytes.size()), &needed) != 0;
    if (!read && GetLastError() == ERROR_INSUFFICIENT_BUFFER && needed > bytes.size() &&
        needed <= kLargestDriverRecord) {
        bytes.assign(needed, 0);
        read = GetPrinterDriverW(printer, nullptr, 2, bytes.data(), needed, &needed) != 0;
    }
    if (read && needed >= sizeof(DRIVER_INFO_2W) && needed <= bytes.size()) {
        const DRIVER_INFO_2W* info = reinterpret_cast<const DRIVER_INFO_2W*>(bytes.data());
        // Every text must end inside the record.
        auto inside = [&](const wchar_t* text) {
            const BYTE* at = reinterpret_cast<const BYTE*>(text);
            const size_t room = at >= bytes.data() && at < bytes.data() + needed
                                    ? size_t(bytes.data() + needed - at) / sizeof(wchar_t)
                                    : 0;
            return text && room && wcsnlen(text, room) < room;
        };
        if (inside(info->pDataFile))
            path = info->pDataFile;
        if (inside(info->pName) && inside(info->pEnvironment) && IsKeyName(info->pName) &&
            IsKeyName(info->pEnvironment))
            driverKey = kEnvironmentsKey + std::wstring(info->pEnvironment) + L"\\Drivers\\Version-" +
                        std::to_wstring(info->cVersion) + L'\\' + info->pName;
    }
    if (opened)
        ClosePrinter(printer);
}

bool GUIOSFactory::ReadKeyStamp(const std::wstring& path, GPrinterDataCache::Stamp& stamp)
{
    auto query = [&stamp](HKEY key) { return KeyStamp(key, stamp); };
    {
        GPlatformCalls::LockGuard guard(keysLock_, true);
        for (const OpenKey& open : openKeys_)
            if (open.path == path && query(open.key))
                return true;
    }
    // Not open yet, or no longer answering (deleted meanwhile): opened again.
    GPlatformCalls::LockGuard guard(keysLock_, false);
    for (auto it = openKeys_.begin(); it != openKeys_.end(); ++it)
        if (it->path == path) {
            RegCloseKey(it->key);
            openKeys_.erase(it);
            break;
        }
    HKEY key = nullptr;
    GPlatformCalls::Count(GPlatformCalls::kKeyOpen);
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    if (openKeys_.size() >= kMostOpenKeys) {
        RegCloseKey(openKeys_.front().key);
        openKeys_.erase(openKeys_.begin());
    }
    openKeys_.push_back(OpenKey{path, key});
    return query(key);
}

uint64_t GUIOSFactory::WatchGeneration()
{
    const std::wstring name = L"watch:print";
    GSourceStamp noted;
    if (PrinterRecordScope::FindStamp(name, noted))
        return noted.Version();
    const uint64_t generation = printWatch_.Generation();
    PrinterRecordScope::KeepStamp(name, GSourceStamp::OfVersion(generation));
    return generation;
}

uint64_t GUIOSFactory::KeyVersion(const std::wstring& path)
{
    // The generation is taken before the stamp is read: a change after the read fires
    // the watch, and the next call reads the stamp again.
    const size_t watched = sizeof kPrintKey / sizeof *kPrintKey - 1;
    const bool below = path.compare(0, watched, kPrintKey) == 0 && (path.size() == watched || path[watched] == L'\\');
    const uint64_t generation = below ? WatchGeneration() : 0;
    if (const uint64_t kept = keyVersions_.Unchanged(path, generation))
        return kept;
    GPrinterDataCache::Stamp stamp;
    return ReadKeyStamp(path, stamp) ? keyVersions_.Validate(path, stamp, generation) : 0;
}

uint64_t GUIOSFactory::FormsVersion()
{
    // While nothing was made below the parent since the forms key was found missing,
    // it is still missing; the parent is asked before the forms key, so that one made
    // meanwhile is seen by the next call.
    uint64_t parent = 0;
    const uint64_t absentUnder = formsAbsentUnder_;
    if (absentUnder) {
        parent = KeyVersion(kPrintKey);
        if (parent == absentUnder)
            return parent;
    }
    if (const uint64_t version = KeyVersion(kFormsKey)) {
        formsAbsentUnder_ = 0;
        return version;
    }
    if (!absentUnder)
        parent = KeyVersion(kPrintKey);
    formsAbsentUnder_ = parent;
    return parent;
}

FORM_INFO_1W* GUIOSFactory::ReadForms(void* printer, uint32_t& count)
{
    count = 0;
    if (!printer)
        return nullptr;
    DWORD needed = 0, returned = 0;
    ::EnumFormsW(printer, 1, nullptr, 0, &needed, &returned);
    if (needed < sizeof(FORM_INFO_1W) || needed > kLargestFormList)
        return nullptr;
    uint8_t* bytes = new (std::nothrow) uint8_t[needed];
    if (!bytes)
        return nullptr;
    // The count must fit the bytes the spooler wrote, and every name must lie inside them.
    if (!::EnumFormsW(printer, 1, bytes, needed, &needed, &returned) || returned == 0 ||
        returned > needed / sizeof(FORM_INFO_1W)) {
        delete[] bytes;
        return nullptr;
    }
    auto* forms = reinterpret_cast<FORM_INFO_1W*>(bytes);
    const uint8_t* end = bytes + needed;
    for (DWORD i = 0; i < returned; ++i) {
        const uint8_t* name = reinterpret_cast<const uint8_t*>(forms[i].pName);
        if (name && (name < bytes || name >= end ||
                     wcsnlen(forms[i].pName, size_t(end - name) / sizeof(wchar_t)) >= size_t(end - name) / sizeof(wchar_t)))
            forms[i].pName = nullptr;
    }
    count = returned;
    return forms;
}

GPrinterLibrary* GUIOSFactory::CreateMiniInstaller(const RWWString& printerName, uint32_t printerHandle, uint32_t)
{
    return new (std::nothrow) GMiniInstaller(printerName, printerHandle);
}
