// The spooler's printer events: connections made and removed, the cache refreshed, and
// the initialize event, where a new printer gets its first stored settings, its identity
// (a fresh UUID) and the stamps that tell how and when its configuration was last
// updated, and where the mini-installer and the device-model configuration run when the
// model asks for them. A printer connection's cached driver files are copied from its
// server and deleted here too.
#include "entry/driverui/GDriverUIPrinterEvents.h"

#include "entry/driverui/GDriverUI.h"

#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GRangeAttribute.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GOSFactory.h"
#include "printer/GPrinterLibrary.h"
#include "settings/dmc/GDriverDMCConfig.h"

#include <rpc.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <string>

namespace {

using namespace FeatureId;

std::atomic<DWORD> g_initializePause{GDriverUIPrinterEvents::kInitializePause};

// The handler of each printer event, in the order of the object's interface; any other
// event goes to the last one.
const struct {
    INT event;
    int (GDriverUIPrinterEvents::*handler)(const wchar_t*, DWORD);
} kEventHandlers[] = {
    {PRINTER_EVENT_ADD_CONNECTION, &GDriverUIPrinterEvents::OnAddConnection},
    {PRINTER_EVENT_DELETE_CONNECTION, &GDriverUIPrinterEvents::OnDeleteConnection},
    {PRINTER_EVENT_INITIALIZE, &GDriverUIPrinterEvents::OnPrinterInitialize},
    {PRINTER_EVENT_DELETE, &GDriverUIPrinterEvents::OnPrinterDelete},
    {PRINTER_EVENT_CACHE_REFRESH, &GDriverUIPrinterEvents::OnCacheRefresh},
    {PRINTER_EVENT_CACHE_DELETE, &GDriverUIPrinterEvents::OnCacheDelete},
};

const wchar_t kLastUpdated[] = L"LastUpdated";
const wchar_t kLastUpdateType[] = L"LastUpdateType";
const wchar_t kAutoUpdateStamp[] = L"EACLastUpdate";
const int32_t kAutoUpdateConfigured = 2;
const int32_t kAutoUpdateNotConfigured = 0;

const wchar_t kFeatureStringValue[] = L"FeatureString";
const wchar_t kFontCardsValue[] = L"FontCards";
const size_t kLargestFeatureString = 1024;
const DWORD kLargestDriverInfo = 1u << 20;

bool SameText(const wchar_t* a, const wchar_t* b)
{
    for (; *a && *b; ++a, ++b)
        if (std::towupper(*a) != std::towupper(*b))
            return false;
    return *a == *b;
}

} // namespace

BOOL GDriverUIPrinterEvents::PrinterEvent(LPWSTR printerName, INT event, DWORD flags)
{
    for (const auto& row : kEventHandlers)
        if (row.event == event)
            return (this->*row.handler)(printerName, flags) ? TRUE : FALSE;
    return OnOtherPrinterEvent(printerName, flags) ? TRUE : FALSE;
}

int GDriverUIPrinterEvents::OnAddConnection(const wchar_t*, DWORD)
{
    CopyFilesFromServer();
    return 1;
}

int GDriverUIPrinterEvents::OnDeleteConnection(const wchar_t*, DWORD)
{
    DeleteCachedFiles();
    return 1;
}

int GDriverUIPrinterEvents::OnPrinterDelete(const wchar_t*, DWORD) { return 1; }

int GDriverUIPrinterEvents::OnCacheRefresh(const wchar_t*, DWORD)
{
    CopyFilesFromServer();
    return 1;
}

int GDriverUIPrinterEvents::OnCacheDelete(const wchar_t*, DWORD)
{
    DeleteCachedFiles();
    return 1;
}

int GDriverUIPrinterEvents::OnOtherPrinterEvent(const wchar_t*, DWORD) { return 0; }

void GDriverUIPrinterEvents::SetInitializePauseForTesting(DWORD milliseconds) { g_initializePause = milliseconds; }

DWORD GDriverUIPrinterEvents::InitializePause() { return g_initializePause; }

RWWString GDriverUIPrinterEvents::FormatUpdateDate(int year, int month, int day)
{
    char text[64];
    std::snprintf(text, sizeof text, "%2.2d%s%2.2d%s%4.4d", month, "/ ", day, "/ ", year);
    return RWWString(text);
}

RWWString GDriverUIPrinterEvents::UpdateDateText()
{
    GOSFactory* services = GOSFactory::Instance();
    std::tm local{}, shifted{};
    int16_t bias = 0;
    if (!services || !services->GetLocalAndShiftedTime(local, shifted, bias))
        return RWWString(L"");
    return FormatUpdateDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}


int GDriverUIPrinterEvents::OnPrinterInitialize(const wchar_t*, DWORD)
{
    GOSFactory* services = GOSFactory::Instance();
    GDriverObject* driver = static_cast<GDriverObjectImp*>(&ui_);
    // Every write below goes through the own handle, opened with full access: the
    // caller gave no handle, and one opened by name alone may not write printer data.
    if (!services || !ui_.OpenOwnPrinter())
        return 0;
    ui_.UseOwnPrinter(1);
    // The settings read below are committed again, before the pause and after it: one
    // change of the stores, which no other writer's commit comes between.
    std::unique_ptr<GPrinterStores::Change> change(ui_.ChangeStores());
    if (!change) {
        ui_.CloseOwnPrinter();
        return 0;
    }
    StoreFeatureString();

    int result = 0;
    GObjectBase* settings = nullptr;
    if (ui_.MergeDevModeIntoSettings(nullptr) == 1) {
        settings = ui_.CurrentSettings();
        ui_.GetUIFont();
        if (GObjectBase* options = GDriverObject::Feature<GAttributeComposite>(settings, kInitializationOptions)) {
            std::unique_ptr<GPrinterLibrary> installer;
            if (GDriverObject::NumberOr(options, kRunMiniInstaller, -1) == 1)
                installer.reset(services->CreateMiniInstaller(
                    ui_.GetPrinterName(), uint32_t(reinterpret_cast<uintptr_t>(ui_.GetOwnHandle())), 0));
            if (GDriverObject::NumberOr(options, kPluginConfigImport, -1) == 1)
                ui_.PluginConfigToSettings(0);

            const RWWString date = UpdateDateText();
            services->SetPrinterDataString(driver, kLastUpdated, date);
            services->SetPrinterDataString(driver, kLastUpdateType, L"Default");

            GConfiguration* configuration = ui_.GetPrinterConfiguration();
            GObjectBase* paperPath = configuration ? configuration->FindById(kPaperPath) : nullptr;
            const int32_t mode = GDriverObject::NumberOr(paperPath, kAutoUpdateMode, -1);
            if (mode == kAutoUpdateConfigured) {
                services->SetPrinterDataString(driver, kAutoUpdateStamp, date);
                services->SetPrinterDataString(driver, kLastUpdateType, L"Auto");
            } else if (mode == kAutoUpdateNotConfigured && installer && installer->GetState() == 0) {
                services->SetPrinterDataString(driver, kAutoUpdateStamp, L"ERROR");
            }
        }
        // Settings the printer's stores did not take leave the printer uninitialised.
        result = ui_.CommitSettings(settings, 1) ? 1 : 0;
    }

    // A new identity on every initialize: per-user stores of a re-created printer start
    // empty.
    UUID uuid;
    RPC_WSTR text = nullptr;
    if (UuidCreate(&uuid) == RPC_S_OK && UuidToStringW(&uuid, &text) == RPC_S_OK && text) {
        services->SetPrinterDataString(driver, L"PrinterUUID", RWWString(reinterpret_cast<wchar_t*>(text)));
        RpcStringFreeW(&text);
    }

    ui_.CloseOwnPrinter();
    Sleep(InitializePause());
    if (!ui_.OpenOwnPrinter())
        return result;
    ui_.UseOwnPrinter(1);

    // Without settings (the first merge failed) there is nothing to update or commit.
    if (settings && GDriverObject::NumberOr(settings, kDeviceModelConfig, -1) == 1) {
        services->SetPrinterDataString(driver, L"Stale", L"FALSE");
        GDriverDMCConfig config(settings, driver);
        config.Update(ui_.GetPrinterName(), 0);
    }
    if (settings && ui_.CommitSettings(settings, 1))
        ui_.WritePrinterDefaultDevMode();
    else
        result = 0;
    // The change ends (its commit marked done) through the own handle.
    change.reset();
    ui_.CloseOwnPrinter();
    return result;
}

// ---- The feature string and the cached files ----

int GDriverUIPrinterEvents::StoreFeatureString()
{
    GOSFactory* services = GOSFactory::Instance();
    GConfiguration* configuration = ui_.GetPrinterConfiguration();
    GStringAttribute* text = GDriverObject::Feature<GStringAttribute>(configuration, kFeatureString);
    if (!services || !text || text->GetString().Length() > kLargestFeatureString)
        return 0;
    const int stored =
        services->SetPrinterDataString(&ui_, kFeatureStringValue,
                                       RWWString(text->GetString().Data(), RWWString::multiByte));
    int32_t cards = 0;
    if (GDriverObject::NumberOf(configuration, kFontCards, cards) && cards != 0)
        services->SetPrinterDataDword(&ui_, kFontCardsValue, 1);
    return stored == 1 ? 1 : 0;
}

std::vector<RWWString> GDriverUIPrinterEvents::CachedFileList(const std::vector<const wchar_t*>& paths,
                                                              const wchar_t* folder)
{
    std::vector<RWWString> list;
    const size_t folderLength = folder ? std::wcslen(folder) : 0;
    if (!folderLength)
        return list;
    for (const wchar_t* path : paths) {
        if (list.size() == kCachedFileSlots)
            break;
        if (!path || std::wcslen(path) <= folderLength + 1 || path[folderLength] != L'\\')
            continue;
        // Only a file under the driver folder: the prefix compared without case.
        const std::wstring prefix(path, folderLength);
        if (!SameText(prefix.c_str(), folder))
            continue;
        const wchar_t* slash = std::wcsrchr(path, L'\\');
        if (!IsPlainFileName(slash + 1) || std::wcsstr(path + folderLength, L".."))
            continue;
        bool repeated = false;
        for (const RWWString& kept : list)
            repeated = repeated || SameText(kept.Data(), path);
        if (!repeated)
            list.push_back(RWWString(path));
    }
    return list;
}

RWWString GDriverUIPrinterEvents::CachedFilePath(int slot)
{
    // Only a printer connection ("\\server\printer") caches its server's files; a local
    // printer's driver files are its own and never listed.
    const RWWString& name = ui_.GetPrinterName();
    if (slot < 0 || size_t(slot) >= kCachedFileSlots || name.Length() < 3 || name.Data()[0] != L'\\' ||
        name.Data()[1] != L'\\')
        return RWWString();
    HANDLE printer = ui_.GetPrinterHandle();
    DWORD needed = 0;
    if (!printer || ::GetPrinterDriverW(printer, nullptr, 3, nullptr, 0, &needed) || needed < sizeof(DRIVER_INFO_3W) ||
        needed > kLargestDriverInfo)
        return RWWString();
    std::vector<BYTE> buffer(needed);
    if (!::GetPrinterDriverW(printer, nullptr, 3, buffer.data(), needed, &needed))
        return RWWString();
    wchar_t folder[MAX_PATH + 1] = {};
    DWORD folderBytes = 0;
    if (!::GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof(folder) - sizeof(wchar_t),
                                      &folderBytes))
        return RWWString();
    const DRIVER_INFO_3W* info = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
    std::vector<const wchar_t*> paths = {info->pDriverPath, info->pDataFile, info->pConfigFile, info->pHelpFile};
    // The dependent files: a list of strings ended by an empty one, inside the buffer.
    const wchar_t* end = reinterpret_cast<const wchar_t*>(buffer.data() + buffer.size());
    for (const wchar_t* file = info->pDependentFiles; file && file >= reinterpret_cast<const wchar_t*>(buffer.data()) &&
                                                       file < end && *file;) {
        const size_t length = wcsnlen(file, size_t(end - file));
        if (file + length >= end)
            break;
        paths.push_back(file);
        file += length + 1;
    }
    const std::vector<RWWString> list = CachedFileList(paths, folder);
    return size_t(slot) < list.size() ? list[size_t(slot)] : RWWString();
}

bool GDriverUIPrinterEvents::IsPlainFileName(const wchar_t* name)
{
    if (!name || !*name || std::wcsstr(name, L".."))
        return false;
    return !std::wcspbrk(name, L"\\/:");
}

int GDriverUIPrinterEvents::CopyFilesFromServer()
{
    // A handle of its own: the caller's handle field is left as it is.
    const RWWString& printerName = ui_.GetPrinterName();
    HANDLE printer = nullptr;
    if (!printerName.Length() || !OpenPrinterW(const_cast<wchar_t*>(printerName.Data()), &printer, nullptr))
        return 0;
    const wchar_t* name = printerName.Data();
    const wchar_t* lastSlash = std::wcsrchr(name, L'\\');
    int copied = 0;
    if (lastSlash && lastSlash != name) {
        const std::wstring server(name, size_t(lastSlash - name));
        for (int slot = 0; slot < 10; ++slot) {
            const RWWString local = CachedFilePath(slot);
            if (!local.Length())
                continue;
            const wchar_t* slash = std::wcsrchr(local.Data(), L'\\');
            const wchar_t* file = slash ? slash + 1 : local.Data();
            if (!IsPlainFileName(file))
                continue;
            const std::wstring second = server + L"\\print$\\w32x86\\2\\" + file;
            const std::wstring third = server + L"\\print$\\w32x86\\3\\" + file;
            if (CopyFileW(second.c_str(), local.Data(), FALSE) || CopyFileW(third.c_str(), local.Data(), FALSE))
                ++copied;
        }
    }
    ClosePrinter(printer);
    return copied;
}

int GDriverUIPrinterEvents::DeleteCachedFiles()
{
    int deleted = 0;
    for (int slot = 0; slot < 10; ++slot) {
        const RWWString path = CachedFilePath(slot);
        if (path.Length() && DeleteFileW(path.Data()))
            ++deleted;
    }
    return deleted;
}
