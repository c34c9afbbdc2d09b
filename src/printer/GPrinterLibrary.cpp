#include "printer/GPrinterLibrary.h"

#include "printer/GOSFactory.h"

#include <windows.h>
#include <winspool.h>

namespace {

const wchar_t kPrintersKey[] = L"System\\CurrentControlSet\\Control\\Print\\Printers\\";

HMODULE Module(uint32_t handle) { return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(handle)); }

typedef uint32_t(WINAPI* EntryPoint)(uint32_t handle, const wchar_t* name, uint32_t flag);

} // namespace

int GPrinterLibrary::Load()
{
    if (libraryPath_.IsNull())
        return 0;
    HMODULE module = LoadLibraryW(libraryPath_.Data());
    if (!module)
        return 0;
    module_ = uint32_t(reinterpret_cast<uintptr_t>(module));
    state_ = 1;
    const int32_t started = Start();
    if (started == 0 || started == 1)
        return 1;
    Unload();
    return 0;
}

int GPrinterLibrary::Unload()
{
    if (!state_)
        return 0;
    const int freed = FreeLibrary(Module(module_)) ? 1 : 0;
    module_ = 0;
    state_ = 0;
    return freed;
}

void GPrinterLibrary::LaunchIfRequested()
{
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return;
    // A connection's key carries its name with commas for backslashes.
    RWWString keyName = printerName_;
    if (!services->MachineKeyExists(RWWString(kPrintersKey) + keyName)) {
        for (size_t i = 0; i < keyName.Length(); ++i)
            if (keyName[i] == L'\\')
                keyName[i] = L',';
        if (!services->MachineKeyExists(RWWString(kPrintersKey) + keyName))
            return;
    }
    const RWWString dataKey = RWWString(kPrintersKey) + keyName + RWWString(L"\\PrinterDriverData");
    const uint32_t request = services->GetMachineDword(dataKey, L"QzrdbUpdateRequest", 0xFFFFFFFFu);
    if (request == 0xFFFFFFFFu)
        services->SetMachineDwordIfMissing(dataKey, L"QzrdbUpdateRequest", 0);
    else if (request != 1)
        return;
    if (IsLaunchSuppressed())
        return;
    SetLaunching(1);
    if (Load()) {
        state_ = 1;
    } else {
        SetLaunching(0);
        state_ = 0;
    }
}

GMiniInstaller::GMiniInstaller(const RWWString& printerName, uint32_t printerHandle)
    : GPrinterLibrary(printerName, printerHandle)
{
    if (!printerHandle_) {
        HANDLE opened = nullptr;
        if (OpenPrinterW(const_cast<wchar_t*>(printerName_.Data()), &opened, nullptr) && opened) {
            printerHandle_ = uint32_t(reinterpret_cast<uintptr_t>(opened));
            ownsHandle_ = 1;
        }
        if (!printerHandle_)
            return;
    }
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return;
    // Without this module's folder there is no installer to load.
    services->GetModuleDirectory(libraryPath_);
    if (libraryPath_.IsNull() || libraryPath_.Length() == 0)
        return;
    libraryPath_ += RWWString(L"\\QZSKORN.DLL");
    LaunchIfRequested();
}

GMiniInstaller::~GMiniInstaller()
{
    if (state_)
        Stop();
    if (ownsHandle_)
        ClosePrinter(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(printerHandle_)));
    Unload();
}

int32_t GMiniInstaller::Start()
{
    if (!start_)
        start_ = reinterpret_cast<void*>(GetProcAddress(Module(module_), "InitializeMiniInstaller"));
    if (!start_)
        return -1;
    EntryPoint start = reinterpret_cast<EntryPoint>(start_);
    if (printerHandle_)
        return int32_t(start(printerHandle_, nullptr, 1));
    if (!printerName_.IsNull())
        return int32_t(start(0, printerName_.Data(), 1));
    return -1;
}

int32_t GMiniInstaller::Stop()
{
    if (!state_)
        return -1;
    if (!stop_)
        stop_ = reinterpret_cast<void*>(GetProcAddress(Module(module_), "KillMiniInstaller"));
    int32_t result = -1;
    if (stop_ && printerHandle_)
        result = int32_t(reinterpret_cast<EntryPoint>(stop_)(printerHandle_, nullptr, 1));
    Unload();
    start_ = stop_ = nullptr;
    return result;
}
