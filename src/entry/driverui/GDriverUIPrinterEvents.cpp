// The spooler's printer events: connections made and removed, the cache refreshed, and
// the initialize event, where a new printer gets its first stored settings, its identity
// (a fresh UUID) and the stamps that tell how and when its configuration was last
// updated, and where the mini-installer and the device-model configuration run when the
// model asks for them.
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
#include <memory>

namespace {

using namespace FeatureId;

std::atomic<DWORD> g_initializePause{GDriverUI::kInitializePause};

// The handler of each printer event, in the order of the object's interface; any other
// event goes to the last one.
const struct {
    INT event;
    int (GDriverUI::*handler)(const wchar_t*, DWORD);
} kEventHandlers[] = {
    {PRINTER_EVENT_ADD_CONNECTION, &GDriverUI::OnAddConnection},
    {PRINTER_EVENT_DELETE_CONNECTION, &GDriverUI::OnDeleteConnection},
    {PRINTER_EVENT_INITIALIZE, &GDriverUI::OnPrinterInitialize},
    {PRINTER_EVENT_DELETE, &GDriverUI::OnPrinterDelete},
    {PRINTER_EVENT_CACHE_REFRESH, &GDriverUI::OnCacheRefresh},
    {PRINTER_EVENT_CACHE_DELETE, &GDriverUI::OnCacheDelete},
};

const wchar_t kLastUpdated[] = L"LastUpdated";
const wchar_t kLastUpdateType[] = L"LastUpdateType";
const wchar_t kAutoUpdateStamp[] = L"EACLastUpdate";
const int32_t kAutoUpdateConfigured = 2;
const int32_t kAutoUpdateNotConfigured = 0;

} // namespace

BOOL GDriverUI::PrinterEvent(LPWSTR printerName, INT event, DWORD flags, LPARAM)
{
    CallScope scope(*this);
    for (const auto& row : kEventHandlers)
        if (row.event == event)
            return (this->*row.handler)(printerName, flags) ? TRUE : FALSE;
    return OnOtherPrinterEvent(printerName, flags) ? TRUE : FALSE;
}

int GDriverUI::OnAddConnection(const wchar_t*, DWORD)
{
    CopyFilesFromServer();
    return 1;
}

int GDriverUI::OnDeleteConnection(const wchar_t*, DWORD)
{
    DeleteCachedFiles();
    return 1;
}

int GDriverUI::OnPrinterDelete(const wchar_t*, DWORD) { return 1; }

int GDriverUI::OnCacheRefresh(const wchar_t*, DWORD)
{
    CopyFilesFromServer();
    return 1;
}

int GDriverUI::OnCacheDelete(const wchar_t*, DWORD)
{
    DeleteCachedFiles();
    return 1;
}

int GDriverUI::OnOtherPrinterEvent(const wchar_t*, DWORD) { return 0; }

void GDriverUI::SetInitializePauseForTesting(DWORD milliseconds) { g_initializePause = milliseconds; }

DWORD GDriverUI::InitializePause() { return g_initializePause; }

RWWString GDriverUI::FormatUpdateDate(int year, int month, int day)
{
    char text[64];
    std::snprintf(text, sizeof text, "%2.2d%s%2.2d%s%4.4d", month, "/ ", day, "/ ", year);
    return RWWString(text);
}

RWWString GDriverUI::UpdateDateText()
{
    GOSFactory* services = GOSFactory::Instance();
    std::tm local{}, shifted{};
    int16_t bias = 0;
    if (!services || !services->GetLocalAndShiftedTime(local, shifted, bias))
        return RWWString(L"");
    return FormatUpdateDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}


int GDriverUI::OnPrinterInitialize(const wchar_t*, DWORD)
{
    GOSFactory* services = GOSFactory::Instance();
    GDriverObject* driver = static_cast<GDriverObjectImp*>(this);
    // Every write below goes through the own handle, opened with full access: the
    // caller gave no handle, and one opened by name alone may not write printer data.
    if (!services || !OpenOwnPrinter())
        return 0;
    UseOwnPrinter(1);
    StoreFeatureString();

    int result = 0;
    GObjectBase* settings = nullptr;
    if (MergeDevModeIntoSettings(nullptr) == 1) {
        settings = CurrentSettings();
        GetUIFont();
        if (GObjectBase* options = Feature<GAttributeComposite>(settings, kInitializationOptions)) {
            std::unique_ptr<GPrinterLibrary> installer;
            if (NumberOr(options, kRunMiniInstaller, -1) == 1)
                installer.reset(services->CreateMiniInstaller(
                    GetPrinterName(), uint32_t(reinterpret_cast<uintptr_t>(GetOwnHandle())), 0));
            if (NumberOr(options, kPluginConfigImport, -1) == 1)
                PluginConfigToSettings(0);

            const RWWString date = UpdateDateText();
            services->SetPrinterDataString(driver, kLastUpdated, date);
            services->SetPrinterDataString(driver, kLastUpdateType, L"Default");

            GConfiguration* configuration = GetPrinterConfiguration();
            GObjectBase* paperPath = configuration ? configuration->FindById(kPaperPath) : nullptr;
            const int32_t mode = NumberOr(paperPath, kAutoUpdateMode, -1);
            if (mode == kAutoUpdateConfigured) {
                services->SetPrinterDataString(driver, kAutoUpdateStamp, date);
                services->SetPrinterDataString(driver, kLastUpdateType, L"Auto");
            } else if (mode == kAutoUpdateNotConfigured && installer && installer->GetState() == 0) {
                services->SetPrinterDataString(driver, kAutoUpdateStamp, L"ERROR");
            }
        }
        CommitSettings(settings, 1);
        result = 1;
    }

    // A new identity on every initialize: per-user stores of a re-created printer start
    // empty.
    UUID uuid;
    RPC_WSTR text = nullptr;
    if (UuidCreate(&uuid) == RPC_S_OK && UuidToStringW(&uuid, &text) == RPC_S_OK && text) {
        services->SetPrinterDataString(driver, L"PrinterUUID", RWWString(reinterpret_cast<wchar_t*>(text)));
        RpcStringFreeW(&text);
    }

    CloseOwnPrinter();
    Sleep(InitializePause());
    if (!OpenOwnPrinter())
        return result;
    UseOwnPrinter(1);

    // Without settings (the first merge failed) there is nothing to update or commit.
    if (settings && NumberOr(settings, kDeviceModelConfig, -1) == 1) {
        services->SetPrinterDataString(driver, L"Stale", L"FALSE");
        GDriverDMCConfig config(settings, driver);
        config.Update(GetPrinterName(), 0);
    }
    if (settings && CommitSettings(settings, 1))
        WritePrinterDefaultDevMode();
    CloseOwnPrinter();
    return result;
}
