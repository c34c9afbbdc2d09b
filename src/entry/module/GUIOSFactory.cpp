#include "entry/module/GUIOSFactory.h"

#include "printer/GDriverObject.h"
#include "printer/GPlatformCalls.h"
#include "printer/GPrinterLibrary.h"
#include "printer/GPrinterSnapshot.h"
#include "printer/PrinterRecordScope.h"

#include <winspool.h>

#include <atomic>
#include <new>
#include <string>
#include <vector>

namespace {

std::atomic<GDriverObject* (*)(const PrinterIdentity&)> g_create{nullptr};
std::atomic<void* (*)(GDriverObject*)> g_printerHandle{nullptr};

uint64_t SystemMilliseconds() { return GetTickCount64(); }

std::atomic<GUIOSFactory::Clock> g_clock{SystemMilliseconds};

} // namespace

GUIOSFactory::GUIOSFactory() { InitializeSRWLock(&knownLock_); }
GUIOSFactory::~GUIOSFactory() = default;

void GUIOSFactory::SetDriverUIMaker(const GDriverUIMaker& maker)
{
    g_create = maker.create;
    g_printerHandle = maker.printerHandle;
}

GDriverUIMaker GUIOSFactory::GetDriverUIMaker() { return {g_create.load(), g_printerHandle.load()}; }

GUIOSFactory::Clock GUIOSFactory::SetAnswerClockForTesting(Clock clock)
{
    return g_clock.exchange(clock ? clock : SystemMilliseconds);
}

namespace {

const size_t kFirstDriverRecord = 4096;
const DWORD kLargestDriverRecord = 1u << 20;

} // namespace

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
    const uint64_t now = g_clock.load()();
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
    if (found && now - known.asked < kAnswerAge && known.stamp.Answers(GPrinterSnapshot::File(known.path))) {
        path = known.path;
    } else {
        AskDriverDataFile(path, driver);
        if (keepable) {
            const GSourceStamp stamp = GPrinterSnapshot::File(path);
            GPlatformCalls::LockGuard guard(knownLock_, false);
            for (auto it = knownFiles_.begin(); it != knownFiles_.end(); ++it)
                if (it->printer == printer && it->driver == name) {
                    knownFiles_.erase(it);
                    break;
                }
            if (knownFiles_.size() >= kMostKnownFiles)
                knownFiles_.erase(knownFiles_.begin());
            if (!path.IsNull())
                knownFiles_.push_back(KnownFile{printer, name, path, stamp, now});
        }
    }
    PrinterRecordScope::KeepAnswer(note, path);
}

void GUIOSFactory::AskDriverDataFile(RWWString& path, GDriverObject* driver)
{
    path = RWWString();
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
    if (read && needed >= sizeof(DRIVER_INFO_2W)) {
        const DRIVER_INFO_2W* info = reinterpret_cast<const DRIVER_INFO_2W*>(bytes.data());
        if (info->pDataFile)
            path = info->pDataFile;
    }
    if (opened)
        ClosePrinter(printer);
}

GPrinterLibrary* GUIOSFactory::CreateMiniInstaller(const RWWString& printerName, uint32_t printerHandle, uint32_t)
{
    return new (std::nothrow) GMiniInstaller(printerName, printerHandle);
}
