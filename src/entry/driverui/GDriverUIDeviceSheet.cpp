// The printer's own property sheet (installed options and device settings), built through
// the common property sheet. Opening it records the device settings as they were
// ("PhySetting") and marks a factory export pending; OK commits the device settings,
// exports the factory configuration when the sheet runs in the shell, and stamps the
// update as the user's when the physical settings changed.
#include "entry/driverui/GDriverUI.h"

#include "entry/module/EntryPrologue.h"
#include "entry/sheet/GCPSOSUI.h"
#include "model/GFeatureIds.h"
#include "model/GRangeAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GOSFactory.h"
#include "settings/dmc/GDriverDMCConfig.h"

#include <atomic>

namespace {

using namespace FeatureId;

const LONG kRefused = -1;
// The sheet's header: no Apply button, a property-style title; the printer icon of the
// common property sheet's own resources.
const DWORD kDeviceHeaderFlags = PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE;
const ULONG_PTR kPrinterIcon = 64082;
const uint32_t kDevicePages = 4;
const uint32_t kSheetReadOnly = 1;
const uint32_t kSheetWritable = 2;
const WORD kHeaderNoPermission = 1;

std::atomic<GDriverUI::SheetRunner> g_sheetRunner{nullptr};

} // namespace

void GDriverUI::SetSheetRunnerForTesting(SheetRunner runner) { g_sheetRunner = runner; }

LONG GDriverUI::DevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter)
{
    CallScope scope(*this);
    const DEVICEPROPERTYHEADER* header =
        info ? reinterpret_cast<const DEVICEPROPERTYHEADER*>(info->lParamInit) : nullptr;
    if (!header)
        return kRefused;
    return DeviceSheet(info, parameter, *header);
}

LONG GDriverUI::DeviceSheet(PPROPSHEETUI_INFO info, LPARAM parameter, const DEVICEPROPERTYHEADER& header)
{
    GOSFactory* services = GOSFactory::Instance();
    GDriverObject* driver = static_cast<GDriverObjectImp*>(this);
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT: {
        MergeDevModeIntoSettings(nullptr);
        // One sheet per object: a sheet still open on it is closed first.
        ReleaseSheet();
        info->Result = 0;
        uiContext_ = CreateUIContext();
        if (!uiContext_)
            return 0;
        sheetGlue_ = new GCPSOSUI();
        uiContext_->hComPropSheet = info->hComPropSheet;
        uiContext_->pfnComPropSheet = reinterpret_cast<void*>(info->pfnComPropSheet);
        uiContext_->pageSet = kDevicePages;
        uiContext_->modeFlags =
            (header.Flags & kHeaderNoPermission) ? kSheetReadOnly : uiContext_->modeFlags | kSheetWritable;
        sheetGlue_->AddPage(uiContext_, 0);
        if (services)
            services->SetPrinterDataDword(driver, L"ExportConfig", 1);
        if (GObjectBase* device = uiContext_->settings ? uiContext_->settings->FindById(kDeviceSettings) : nullptr)
            SaveObject(L"PhySetting", device);
        return 1;
    }
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
        auto* infoHeader = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(parameter);
        if (!infoHeader)
            return 0;
        infoHeader->Flags = kDeviceHeaderFlags;
        // A header without a printer name gives an empty title, never a null one.
        infoHeader->pTitle = header.pszPrinterName ? header.pszPrinterName : const_cast<wchar_t*>(L"");
        infoHeader->hInst = reinterpret_cast<HINSTANCE>(uintptr_t(services ? services->GetModuleHandle() : 0));
        infoHeader->IconID = kPrinterIcon;
        return 1;
    }
    case PROPSHEETUI_REASON_DESTROY:
        ReleaseSheet();
        return 1;
    case PROPSHEETUI_REASON_SET_RESULT: {
        auto* set = reinterpret_cast<PSETRESULT_INFO>(parameter);
        if (!set)
            return 1;
        GObjectBase* settings = uiContext_ ? uiContext_->settings : nullptr;
        if (set->Result == CPSUI_OK && settings && !(uiContext_->modeFlags & kSheetReadOnly) && services &&
            CommitSettings(settings, 1)) {
            const uint32_t exportPending = services->GetPrinterDataDword(driver, L"ExportConfig", 0);
            if (NumberOr(settings, kDeviceModelConfig, -1) == 1 && exportPending) {
                if (HostIsExplorer()) {
                    GDriverDMCConfig config(settings, driver);
                    config.ExportFactory(GetPrinterName());
                }
                services->SetPrinterDataDword(driver, L"ExportConfig", 0);
            }
            GObjectBase* device = settings->FindById(kDeviceSettings);
            if (device && IsPhysicalSettingCurrent(device) == 0) {
                services->SetPrinterDataString(driver, L"LastUpdated", UpdateDateText());
                services->SetPrinterDataString(driver, L"LastUpdateType", L"User");
            }
            WritePrinterDefaultDevMode();
        }
        info->Result = set->Result;
        return 1;
    }
    default:
        return 0;
    }
}

BOOL GDriverUI::PrinterProperties(HWND window, HANDLE printer)
{
    DEVICEPROPERTYHEADER header = {};
    header.cbSize = sizeof header;
    header.Flags = 0;
    header.hPrinter = printer;
    header.pszPrinterName = nullptr;
    QZPropSheetUIProc callback = EntryPrologue::DeviceSheetCallback();
    if (!callback)
        return FALSE;

    SheetRunner run = g_sheetRunner;
    HMODULE compstui = nullptr;
    if (!run) {
        compstui = LoadLibraryW(L"compstui.dll");
        run = compstui ? reinterpret_cast<SheetRunner>(
                             reinterpret_cast<void*>(GetProcAddress(compstui, "CommonPropertySheetUIW")))
                       : nullptr;
    }
    // The result starts at "nothing done": a sheet that fails before it sets one must
    // not read as a sheet closed with OK.
    DWORD result = 0;
    const LONG answer = run ? run(window, reinterpret_cast<void*>(callback), reinterpret_cast<LPARAM>(&header), &result)
                            : -1;
    if (compstui)
        FreeLibrary(compstui);
    return answer >= 0 && LONG(result) > 0 ? TRUE : FALSE;
}
