// The driver UI object's operations that go through the sheet glue: the manual duplex
// instructions and the plug-ins' copy of the device configuration.
#include "entry/driverui/GDriverUI.h"

#include "entry/sheet/GCPSOSUI.h"
#include "model/GFeatureIds.h"
#include "model/GRangeAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GOSFactory.h"
#include "settings/dmc/GDriverDMCConfig.h"

#include <cstdlib>
#include <cwchar>
#include <cwctype>

namespace {

constexpr uint16_t kDuplexPrinting = 253;
constexpr uint16_t kManualDuplex = 245;

// 1 when the feature exists with a non-zero value (a value or a range).
bool IsOn(GObjectBase* settings, uint16_t id)
{
    if (GValueAttribute* value = GDriverObject::Feature<GValueAttribute>(settings, id))
        return value->GetValue() != 0;
    if (GRangeAttribute* range = GDriverObject::Feature<GRangeAttribute>(settings, id))
        return range->GetValue() != 0;
    return false;
}

}  // namespace

// The exported stand-in for the common property sheet's callback when the module's pages
// are shown in a dialog of its own: every call answers its first argument and does
// nothing else.
extern "C" LONG_PTR CALLBACK NonPropPageSheet(HANDLE, UINT, LPARAM first, LPARAM) { return first; }

void GDriverUI::UseNonPropPageSheet(UIContextRecord* record)
{
    if (!record)
        return;
    record->pfnComPropSheet = reinterpret_cast<void*>(&::NonPropPageSheet);
    record->hComPropSheet = reinterpret_cast<HANDLE>(uintptr_t(record->moduleHandle));
    record->pageSet = 3;
}

int GDriverUI::ShowManualDuplexDialog()
{
    if (UIContextRecord* record = CreateUIContext()) {
        if (IsOn(record->settings, kDuplexPrinting) && IsOn(record->settings, kManualDuplex)) {
            UseNonPropPageSheet(record);
            GCPSOSUI glue;
            glue.AddPage(record, GCPSOSUI::kModalMode);
            glue.FreePage(record);
        }
        DestroyUIContext(record);
    }
    if (GetOwnHandle()) {
        UseOwnPrinter(0);
        CloseOwnPrinter();
    }
    return 1;
}

uint32_t GDriverUI::PluginConfigToSettings(uint32_t argument)
{
    const uint32_t answer = QueryTwo(argument, 0);
    if (answer != 0 || argument != 0)
        return answer;
    GDriverObject* driver = static_cast<GDriverObjectImp*>(this);
    GOSFactory* services = GOSFactory::Instance();
    GUIData data = {};
    data.size = sizeof(GUIData);
    data.driverUI = driver;
    data.settings = driver->GetSettings();
    data.printer = GetPrinter();
    data.moduleHandle = services ? services->GetModuleHandle() : 0;
    data.printerName = GCPSOSUI::CopyName(GetPrinterName().Data());
    data.driverName = GCPSOSUI::CopyName(GetSecondName().Data());
    data.portName = GCPSOSUI::CopyName(GetThirdName().Data());
    int16_t result = 0;
    {
        GCPSOSUI glue;
        result = glue.ConfigToSettings(&data);
    }
    std::free(data.printerName);
    std::free(data.driverName);
    std::free(data.portName);
    return result != 0 ? 1 : 0;
}

// ---- The document sheet ----

int GDriverUI::WriteConfigurationUpdate()
{
    GObjectBase* settings = uiContext_ ? uiContext_->settings : nullptr;
    if (!settings)
        return 0;
    GDriverDMCConfig config(settings, static_cast<GDriverObjectImp*>(this));
    return config.ExportFactory(GetPrinterName());
}

bool GDriverUI::HostIsExplorer() const
{
    wchar_t upper[MAX_PATH] = {};
    for (size_t i = 0; i + 1 < MAX_PATH && hostPath_[i]; ++i)
        upper[i] = wchar_t(towupper(hostPath_[i]));
    return std::wcsstr(upper, L"EXPLORER.EXE") != nullptr;
}

uint32_t GDriverUI::DocumentModeFlags(uint32_t mode, uint32_t major, int readOnly, bool treeLoaded, bool explorer)
{
    constexpr uint32_t kNoPermission = 1, kReadOnly = 2, kNewSystem = 4 | 8;
    const bool newSystem = major >= 5;
    if (mode & DM_NOPERMISSION)
        return kNoPermission | (newSystem ? kNewSystem : 0);
    if (mode & DM_ADVANCED)
        return kReadOnly;
    uint32_t flags = readOnly && newSystem ? kNewSystem : 0;
    if (mode & DM_USER_DEFAULT)
        return flags;
    if (treeLoaded && !newSystem)
        flags |= kReadOnly;
    if (treeLoaded && (major <= 4 || !explorer))
        return flags | kReadOnly;
    if (readOnly)
        flags |= kReadOnly | (newSystem ? kNewSystem : 0);
    return flags;
}

void GDriverUI::ReleaseSheet()
{
    if (sheetGlue_) {
        sheetGlue_->FreePage(uiContext_);
        delete sheetGlue_;
        sheetGlue_ = nullptr;
    }
    DestroyUIContext(uiContext_);
    uiContext_ = nullptr;
}

LONG GDriverUI::DocumentSheet(PPROPSHEETUI_INFO info, LPARAM parameter, const DOCUMENTPROPERTYHEADER& header,
                              int readOnly, uint32_t major)
{
    GOSFactory* services = GOSFactory::Instance();
    GDriverObject* driver = static_cast<GDriverObjectImp*>(this);
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT: {
        if (services)
            services->SetPrinterDataDword(driver, L"ExportPrinting", 1);
        const bool treeLoaded = GetCurrentSettings() != nullptr;
        MergeDevModeIntoSettings((header.fMode & DM_MODIFY) ? header.pdmIn : nullptr);
        // The caller's output holds the merged input from now on, whatever the sheet does.
        WriteSheetOutput(header);
        // A sheet still open on this object is closed first: one sheet per object.
        ReleaseSheet();
        uiContext_ = CreateUIContext();
        info->Result = 0;
        if (!uiContext_)
            return 0;
        sheetGlue_ = new GCPSOSUI();
        uiContext_->hComPropSheet = info->hComPropSheet;
        uiContext_->pfnComPropSheet = reinterpret_cast<void*>(info->pfnComPropSheet);
        uiContext_->pageSet = 3;
        uiContext_->modeFlags = DocumentModeFlags(header.fMode, major, readOnly, treeLoaded, HostIsExplorer());
        // The glue answers the pages it added negated: any but zero is a sheet.
        return AddDocumentPages(*sheetGlue_, uiContext_) != 0 ? 1 : 0;
    }
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
        auto* infoHeader = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(parameter);
        if (!infoHeader)
            return 0;
        infoHeader->Flags = (header.fMode & DM_USER_DEFAULT) ? 0x16 : 0x06;
        infoHeader->pTitle = header.pszPrinterName;
        infoHeader->hInst = reinterpret_cast<HINSTANCE>(uintptr_t(services ? services->GetModuleHandle() : 0));
        infoHeader->IconID = 0;
        return 1;
    }
    case PROPSHEETUI_REASON_DESTROY:
        ReleaseSheet();
        if (GetOwnHandle()) {
            UseOwnPrinter(0);
            CloseOwnPrinter();
        }
        return 1;
    case PROPSHEETUI_REASON_SET_RESULT: {
        auto* set = reinterpret_cast<PSETRESULT_INFO>(parameter);
        if (!set || set->Result != CPSUI_OK || !uiContext_)
            return 1;
        if (!CommitSettings(uiContext_->settings, (uiContext_->modeFlags & 3) == 0 ? 1 : 0))
            return 1;
        WriteSheetOutput(header);
        const GValueAttribute* exportSwitch =
            Feature<GValueAttribute>(uiContext_->settings, FeatureId::kDeviceModelConfig);
        const uint32_t exportPrinting = services ? services->GetPrinterDataDword(driver, L"ExportPrinting", 0) : 0;
        if (exportSwitch && exportSwitch->GetValue() == 1 && exportPrinting != 0 && HostIsExplorer())
            WriteConfigurationUpdate();
        return 1;
    }
    default:
        return 0;
    }
}
