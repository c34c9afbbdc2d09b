#include "printer/GMassStorageFonts.h"

#include "printer/GOSFactory.h"

#include <cwchar>
#include <stdio.h>

namespace {

const GMassStorageDevice kDevices[kMassStorageDeviceCount] = {
    {L"ROMAddOnFonts1", 0x1A0, 1}, {L"ROMAddOnFonts2", 0x1A1, 1}, {L"DiskFonts1", 0x1A4, 2},
    {L"DiskFonts2", 0x1A5, 2},     {L"FlashFonts1", 0x1A2, 3},    {L"FlashFonts2", 0x1A3, 3},
    {L"DIMMFonts1", 0x1A6, 4},     {L"DIMMFonts2", 0x1A7, 4},     {L"DIMMFonts3", 0x1AC, 4},
    {L"DIMMFonts4", 0x1AD, 4},
};

const wchar_t kMassStorageFonts[] = L"MassStorageFonts";
const wchar_t kDisabledDevices[] = L"DisabledMSDs";

RWWString ModuleDirectory()
{
    RWWString directory;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetModuleDirectory(directory);
    return directory;
}

RWWString StoredPath(GDriverObject* printer, const GMassStorageDevice& device)
{
    RWWString value;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetPrinterDataString(value, printer, device.valueName, RWWString());
    return value;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The path when it begins with the directory and a separator: what follows them.
bool StripDirectory(const RWWString& path, const RWWString& directory, RWWString& rest)
{
    const size_t n = directory.Length();
    if (n == 0 || path.Length() <= n || !IsSeparator(path.Data()[n]) ||
        _wcsnicmp(path.Data(), directory.Data(), n) != 0)
        return false;
    rest = RWWString(path.Data() + n + 1, path.Length() - n - 1);
    return true;
}

bool HasParentStep(const RWWString& path) { return std::wcsstr(path.Data(), L"..") != nullptr; }

uint32_t DisabledWord(GDriverObject* printer)
{
    GOSFactory* services = GOSFactory::Instance();
    const uint32_t word = services ? services->GetPrinterDataDword(printer, kDisabledDevices, 0) : 0;
    return word == 0xFFFFFFFFu ? 0 : word;
}

} // namespace

const GMassStorageDevice* GetMassStorageDevice(int device)
{
    return device >= 0 && device < kMassStorageDeviceCount ? &kDevices[device] : nullptr;
}

RWWString GetMassStorageFontFilePath(GDriverObject* printer, int device)
{
    const GMassStorageDevice* row = GetMassStorageDevice(device);
    if (!row)
        return RWWString();
    const RWWString value = StoredPath(printer, *row);
    if (value.IsNull() || std::wcspbrk(value.Data(), L"\\/"))
        return value;
    return ModuleDirectory() + L"\\" + value;
}

int SetMassStorageFontFile(GDriverObject* printer, int device, const RWWString& path)
{
    const GMassStorageDevice* row = GetMassStorageDevice(device);
    GOSFactory* services = GOSFactory::Instance();
    if (!row || !services)
        return 0;
    RWWString stored = path;
    StripDirectory(path, ModuleDirectory(), stored);
    return services->SetPrinterDataString(printer, row->valueName, stored);
}

void RemoveMassStorageFontFile(GDriverObject* printer, int device, const RWWString& path)
{
    const GMassStorageDevice* row = GetMassStorageDevice(device);
    GOSFactory* services = GOSFactory::Instance();
    if (!row || !services)
        return;
    const RWWString directory = ModuleDirectory();
    const RWWString stored = StoredPath(printer, *row);
    if (!stored.IsNull() && directory + L"\\" + stored == path)
        services->SetPrinterDataString(printer, row->valueName, RWWString());
    RWWString inside;
    RWWString file = path;
    if (!StripDirectory(path, directory, inside)) {
        inside = path;
        while (!inside.IsNull() && IsSeparator(inside.Data()[0]))
            inside = RWWString(inside.Data() + 1, inside.Length() - 1);
        file = directory + L"\\" + inside;
    }
    // Only a file inside the module directory is ever deleted.
    if (directory.IsNull() || inside.IsNull() || HasParentStep(inside) || std::wcschr(inside.Data(), L':'))
        return;
    if (services->FileExists(file))
        _wremove(file.Data());
}

int HasMassStorageFonts(GDriverObject* printer)
{
    GOSFactory* services = GOSFactory::Instance();
    return services && services->GetPrinterDataDword(printer, kMassStorageFonts, 0) == 1 ? 1 : 0;
}

void SetMassStorageFonts(int flag, GDriverObject* printer)
{
    if (GOSFactory* services = GOSFactory::Instance())
        services->SetPrinterDataDword(printer, kMassStorageFonts, flag == 1 ? 1 : 0);
}

int UpdateMassStorageFonts(GDriverObject* printer)
{
    int flag = 0;
    for (int device = 0; device < kMassStorageDeviceCount && !flag; ++device)
        flag = !StoredPath(printer, kDevices[device]).IsNull() &&
               (kDevices[device].kind != 4 || (GetMassStorageDeviceState(printer, device) & 2) == 0);
    if (flag == HasMassStorageFonts(printer))
        return 0;
    SetMassStorageFonts(flag, printer);
    return 1;
}

uint32_t GetMassStorageDeviceState(GDriverObject* printer, int device)
{
    if (!GetMassStorageDevice(device))
        return 0;
    return (DisabledWord(printer) >> (2 * device)) & 3;
}

int SetMassStorageDeviceState(GDriverObject* printer, int device, uint32_t state)
{
    GOSFactory* services = GOSFactory::Instance();
    if (!GetMassStorageDevice(device) || !services)
        return 0;
    const uint32_t shift = 2 * uint32_t(device);
    const uint32_t word = (DisabledWord(printer) & ~(3u << shift)) | ((state & 3) << shift);
    services->SetPrinterDataDword(printer, kDisabledDevices, word);
    return 1;
}

int FindMassStorageDevice(GDriverObject* printer, int first, int last)
{
    if (first < 0)
        first = 0;
    if (last >= kMassStorageDeviceCount)
        last = kMassStorageDeviceCount - 1;
    for (int device = first; device <= last; ++device)
        if (StoredPath(printer, kDevices[device]).IsNull())
            return device;
    for (int device = first; device <= last; ++device)
        if ((GetMassStorageDeviceState(printer, device) & 1) == 0)
            return device;
    return kMassStorageDeviceCount;
}
