#include "entry/module/GUIOSFactory.h"

#include "printer/GDriverObject.h"
#include "printer/GPlatformCalls.h"
#include "printer/GPrinterLibrary.h"
#include "printer/PrinterRecordScope.h"

#include <winspool.h>

#include <atomic>
#include <new>
#include <string>
#include <vector>

namespace {

std::atomic<GDriverObject* (*)(const PrinterIdentity&)> g_create{nullptr};
std::atomic<void* (*)(GDriverObject*)> g_printerHandle{nullptr};

} // namespace

GUIOSFactory::GUIOSFactory() = default;
GUIOSFactory::~GUIOSFactory() = default;

void GUIOSFactory::SetDriverUIMaker(const GDriverUIMaker& maker)
{
    g_create = maker.create;
    g_printerHandle = maker.printerHandle;
}

GDriverUIMaker GUIOSFactory::GetDriverUIMaker() { return {g_create.load(), g_printerHandle.load()}; }

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
    const RWWString& printerName = driver->GetPrinterName();
    const RWWString& driverName = driver->GetSecondName();
    std::wstring note = L"data file:";
    if (!printerName.IsNull())
        note.append(printerName.Data(), printerName.Length());
    note += L'|';
    if (!driverName.IsNull())
        note.append(driverName.Data(), driverName.Length());
    if (PrinterRecordScope::FindAnswer(note, path))
        return;
    AskDriverDataFile(path, driver);
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
