#include "printer/PrinterIdentity.h"

#include "printer/PrinterRecordScope.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

namespace {

bool SameText(const RWWString& a, const RWWString& b)
{
    if (a.Length() != b.Length())
        return false;
    for (size_t i = 0; i < a.Length(); ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

} // namespace

PrinterIdentity::PrinterIdentity() : handle_(nullptr), flag_(0) {}

PrinterIdentity::PrinterIdentity(void* printerHandle, const RWWString& printerName, const RWWString& driverName,
                                 const RWWString& portName, uint32_t flag)
    : handle_(printerHandle), printerName_(printerName), driverName_(driverName), portName_(portName), flag_(flag)
{
}

PrinterIdentity::PrinterIdentity(void* printerHandle, const RWWString& printerName, uint32_t flag)
    : handle_(printerHandle), printerName_(printerName), flag_(flag)
{
    bool opened = false, shared = false;
    if (!handle_ && !printerName_.IsNull()) {
        // Within an entry call the printer is opened by name once for the whole call.
        handle_ = PrinterRecordScope::SharedHandle(printerName_.Data());
        shared = handle_ != nullptr;
    }
    if (!handle_) {
        HANDLE handle = nullptr;
        if (OpenPrinterW(const_cast<wchar_t*>(printerName_.Data()), &handle, nullptr) == 1) {
            handle_ = handle;
            opened = true;
        }
    }
    if (handle_) {
        std::vector<uint8_t> buffer;
        const bool read = PrinterRecordScope::Read(handle_, printerName_.IsNull() ? nullptr : printerName_.Data(), buffer);
        if (read) {
            const PRINTER_INFO_2W* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
            if (info->pPrinterName && (printerName_.IsNull() || printerName_.CompareTo(info->pPrinterName) != 0))
                printerName_ = info->pPrinterName;
            driverName_ = info->pDriverName ? info->pDriverName : L"";
            portName_ = info->pPortName ? info->pPortName : L"";
        }
    }
    if (opened)
        ClosePrinter(handle_);
    if (opened || shared)
        handle_ = nullptr;
}

PrinterIdentity::~PrinterIdentity() = default;

int PrinterIdentity::Equals(const GCacheKey& other) const
{
    const PrinterIdentity* identity = dynamic_cast<const PrinterIdentity*>(&other);
    return identity && identity->handle_ == handle_ && SamePrinter(other);
}

int PrinterIdentity::SamePrinter(const GCacheKey& other) const
{
    const PrinterIdentity* identity = dynamic_cast<const PrinterIdentity*>(&other);
    return identity && SameText(identity->printerName_, printerName_) && identity->flag_ == flag_ &&
           SameText(identity->driverName_, driverName_) && SameText(identity->portName_, portName_);
}

int PrinterIdentity::SameDriver(const GCacheKey& other) const
{
    const PrinterIdentity* identity = dynamic_cast<const PrinterIdentity*>(&other);
    return identity && SameText(identity->driverName_, driverName_);
}
