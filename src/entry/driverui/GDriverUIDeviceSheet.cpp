// The printer's own property sheet (installed options and device settings), built through
// the common property sheet. Opening it records the device settings as they were
// ("PhySetting") and marks a factory export pending, without waiting on another writer's
// lock: a record that could not be written then is written by the next commit. OK
// commits the device settings, exports the factory configuration when the sheet runs in
// the shell, and stamps the update as the user's when the physical settings changed.
// With a host that reports no result (Wine's) the pages' apply commits, when the result
// it asked for reached no one; nothing commits when the sheet goes, so edits cancelled
// after an apply stay uncommitted.
// The sheet reports OK once a commit went through, even when a later one failed; a sheet
// none of whose commits went through reports cancel. On a printer whose record or stores
// do not read the sheet opens with storing off, and for a user who may not change the
// printer it opens read-only: either way it writes nothing, its pages change nothing and
// say why, and OK reports cancel. The one way out of storing off: where stores are there
// but do not read and the user may change the printer, OK offers to replace them with
// the factory's settings, and does only when the user says yes; stores that read again
// by then are shown as they read, and storing follows what reads. A commit that stores
// nothing tells the user why, and the sheet stays open with its edits for another OK,
// unless the lock refused the user: then the sheet closes as cancelled.
#include "entry/driverui/GDriverUIDeviceSheet.h"

#include "entry/driverui/GDriverUI.h"
#include "entry/driverui/GDriverUIPrinterEvents.h"
#include "entry/module/EntryPrologue.h"
#include "entry/sheet/GCPSOSUI.h"
#include "model/GFeatureIds.h"
#include "model/GRangeAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GOSFactory.h"
#include "settings/devmode/GDriverDevMode.h"
#include "settings/dmc/GDriverDMCConfig.h"

#include <atomic>
#include <cwchar>
#include <functional>
#include <memory>
#include <vector>

namespace {

using namespace FeatureId;

const LONG kRefused = -1;
// The sheet's header: no Apply button, a property-style title; the printer icon of the
// common property sheet's own resources.
const DWORD kDeviceHeaderFlags = PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE;
const ULONG_PTR kPrinterIcon = 64082;
const uint32_t kDevicePages = 4;
const uint32_t kSheetWritable = 2;
const WORD kHeaderNoPermission = 1;

// "These printer settings cannot be read: <stores>. Replace them with the factory
// settings? These are kept as they are: <stores>."
const uint32_t kReplaceQuestion = 12034;
// "The printer's settings could not be locked for this change ... press OK to try again."
const uint32_t kLockedNotice = 12035;
// "This version of the driver cannot store your changes to these settings ...: <stores>."
const uint32_t kOlderFormNotice = 12050;
// "These printer settings can be read again: <stores>. Nothing was replaced or saved ..."
const uint32_t kReadAgainNotice = 12051;
// Each store's name in a notice, by its id; and the name of no store.
const struct {
    long id;
    uint32_t name;
} kStoreNames[] = {{kDeviceSettings, 12052}, {kPrinterLists, 12053}, {kExtensionData, 12054}};
const uint32_t kNoStoreName = 12055;
// "You may not change these settings: nothing was saved."
const uint32_t kRefusedNotice = 12036;
// "These printer settings could not be saved: the printer refused the write. ..."
const uint32_t kWriteRefusedNotice = 12040;
// "These printer settings cannot be read any more: <stores>. Nothing was saved, ..."
const uint32_t kUnreadableNotice = 12041;

std::atomic<GDriverUIDeviceSheet::SheetRunner> g_sheetRunner{nullptr};
std::atomic<GDriverUIDeviceSheet::Confirmer> g_confirmer{nullptr};

} // namespace

void GDriverUIDeviceSheet::SetSheetRunnerForTesting(SheetRunner runner) { g_sheetRunner = runner; }

void GDriverUIDeviceSheet::SetConfirmerForTesting(Confirmer confirmer) { g_confirmer = confirmer; }

LONG GDriverUIDeviceSheet::DevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter)
{
    const DEVICEPROPERTYHEADER* header =
        info ? reinterpret_cast<const DEVICEPROPERTYHEADER*>(info->lParamInit) : nullptr;
    if (!header)
        return kRefused;
    return SheetReason(info, parameter, *header);
}

LONG GDriverUIDeviceSheet::SheetReason(PPROPSHEETUI_INFO info, LPARAM parameter, const DEVICEPROPERTYHEADER& header)
{
    GOSFactory* services = GOSFactory::Instance();
    GDriverObject* driver = static_cast<GDriverObjectImp*>(&ui_);
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT: {
        // The sheet shows at once: its writes do not wait on a writer elsewhere, and the
        // record of the device settings one of them could not make is made at the OK.
        GOSFactory::NoLockWaitScope noWait;
        // A printer whose record or stores do not read still opens its sheet, showing
        // what reads: storing is off, the pages say so and change nothing, and OK
        // reports cancel.
        if (!ui_.MergeForReading(nullptr) || !ui_.GetDevModeObject())
            return 0;
        const bool storing = ui_.CanStore();
        const bool readOnly = (header.Flags & kHeaderNoPermission) != 0;
        // One sheet per object: a sheet still open on it is closed first.
        info->Result = CPSUI_CANCEL;
        accepted_ = false;
        UIContextRecord* const context = ui_.OpenSheet();
        if (!context)
            return 0;
        context->hComPropSheet = info->hComPropSheet;
        context->pfnComPropSheet = reinterpret_cast<void*>(info->pfnComPropSheet);
        context->pageSet = kDevicePages;
        context->modeFlags = readOnly ? kModeNoPermission : context->modeFlags | kSheetWritable;
        if (!storing)
            context->modeFlags |= kModeStoringOff;
        // Stores there but unreadable may give way to the factory's, at the word of a
        // user who may change the printer: the sheet shows the factory's for them.
        for (int i = 0; i < GPrinterStores::kCount; ++i)
            standIns_[i] = ui_.StoreState(GPrinterStores::kIds[i]) == GPrinterStores::State::kUnreadable;
        if (!storing && ui_.StoresReplaceable())
            context->modeFlags |= kModeReplaceable | (!readOnly && ui_.MayChangePrinter() ? kModeMayReplace : 0);
        ui_.SheetGlue()->SetUnreportedApply([this] { CommitOk(); });
        ui_.SheetGlue()->AddPage(context, 0);
        physicalRecord_.reset();
        // A sheet that can change nothing records nothing and marks no export pending.
        if (!storing || readOnly)
            return 1;
        if (services)
            services->SetPrinterDataDword(driver, L"ExportConfig", 1);
        RecordPhysicalSettings(context->settings ? context->settings->FindById(kDeviceSettings) : nullptr);
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
        // A commit that went through, reported or made by an unreported apply, is the
        // sheet's OK, whichever host ran it.
        if (accepted_)
            info->Result = CPSUI_OK;
        accepted_ = false;
        physicalRecord_.reset();
        ui_.ReleaseSheet();
        return 1;
    case PROPSHEETUI_REASON_SET_RESULT: {
        auto* set = reinterpret_cast<PSETRESULT_INFO>(parameter);
        if (!set)
            return 1;
        // A sheet that could change nothing was not applied, whatever closed it; OK is
        // OK once a commit of the sheet went through, this one or an earlier one.
        const UIContextRecord* context = ui_.SheetContext();
        const bool unchangeable = !context || ((context->modeFlags & (kModeNoPermission | kModeStoringOff)) &&
                                               !(context->modeFlags & kModeMayReplace));
        if (set->Result == CPSUI_OK)
            info->Result = (!unchangeable && CommitOk()) || accepted_ ? CPSUI_OK : CPSUI_CANCEL;
        else
            info->Result = unchangeable && !accepted_ ? CPSUI_CANCEL : set->Result;
        return 1;
    }
    default:
        return 0;
    }
}

bool GDriverUIDeviceSheet::CommitOk()
{
    GOSFactory* services = GOSFactory::Instance();
    GDriverObject* driver = static_cast<GDriverObjectImp*>(&ui_);
    UIContextRecord* const context = ui_.SheetContext();
    GObjectBase* settings = context ? context->settings : nullptr;
    if (!settings || !services)
        return false;
    if (context->modeFlags & kModeMayReplace) {
        if (!ConfirmReplace())
            return false;
        if (!ui_.ReplaceUnreadableStores(settings, standIns_)) {
            RefusedForLock(ui_);
            // Stores found readable again were named: the sheet now shows them as they
            // read, and the next OK stores as any other.
            FollowStoresReadAgain();
            return false;
        }
        // Every store reads again: storing is on.
        context->modeFlags &= ~(kModeStoringOff | kModeReplaceable | kModeMayReplace);
    } else if (context->modeFlags & (kModeNoPermission | kModeStoringOff)) {
        return false;
    } else if (!ui_.CommitSettings(settings, 1)) {
        return RefusedForLock(ui_);
    }
    accepted_ = true;
    // The record of the device settings the sheet opened with, when the opening could
    // not make it: made now, before the settings are judged against it.
    if (physicalRecord_ && ui_.SaveObject(L"PhySetting", physicalRecord_.get()))
        physicalRecord_.reset();
    const uint32_t exportPending = services->GetPrinterDataDword(driver, L"ExportConfig", 0);
    if (GDriverObject::NumberOr(settings, kDeviceModelConfig, -1) == 1 && exportPending) {
        if (ui_.HostIsExplorer()) {
            GDriverDMCConfig config(settings, driver);
            config.ExportFactory(ui_.GetPrinterName());
        }
        services->SetPrinterDataDword(driver, L"ExportConfig", 0);
    }
    GObjectBase* device = settings->FindById(kDeviceSettings);
    if (device && ui_.IsPhysicalSettingCurrent(device) == 0) {
        services->SetPrinterDataString(driver, L"LastUpdated", GDriverUIPrinterEvents::UpdateDateText());
        services->SetPrinterDataString(driver, L"LastUpdateType", L"User");
    }
    ui_.WritePrinterDefaultDevMode();
    return true;
}

bool GDriverUIDeviceSheet::RefusedForLock(GDriverUI& ui)
{
    if (ui.StoresRefused()) {
        Ask(ui, kRefusedNotice, MB_OK | MB_ICONSTOP);
        return false;
    }
    if (!ui.StoresBusy())
        return NotStoredNotice(ui);
    if (ui.SheetGlue())
        ui.SheetGlue()->KeepOpen();
    Ask(ui, kLockedNotice, MB_OK | MB_ICONWARNING);
    return false;
}

bool GDriverUIDeviceSheet::NotStoredNotice(GDriverUI& ui)
{
    // Whatever stored nothing is named, and the sheet stays open with its edits: stores
    // kept in an older form the current one cannot hold, stores the way back found
    // readable again, stores that stopped reading since the sheet opened, or else a
    // write the printer refused.
    const RWWString older = StoreNames(ui, [&ui](long id) { return ui.StoreKeptInOlderForm(id); });
    const RWWString again = StoreNames(ui, [&ui](long id) { return ui.StoreReadAgain(id); });
    const RWWString unreadable = StoreNames(ui, [&ui](long id) { return ui.StoreUnreadable(id); });
    RWWString text;
    if (older.Length())
        text = Formatted(ui, kOlderFormNotice, older);
    else if (again.Length())
        text = Formatted(ui, kReadAgainNotice, again);
    else if (unreadable.Length())
        text = Formatted(ui, kUnreadableNotice, unreadable);
    else if (ui.StoresNotStored())
        text = ui.LoadResourceString(kWriteRefusedNotice);
    else
        return false;
    if (ui.SheetGlue())
        ui.SheetGlue()->KeepOpen();
    AskText(ui, text, MB_OK | MB_ICONWARNING);
    return false;
}

void GDriverUIDeviceSheet::FollowStoresReadAgain()
{
    UIContextRecord* const context = ui_.SheetContext();
    bool again[GPrinterStores::kCount] = {};
    bool any = false;
    for (int i = 0; i < GPrinterStores::kCount; ++i)
        any = (again[i] = standIns_[i] && ui_.StoreReadAgain(GPrinterStores::kIds[i])) || any;
    if (!context || !context->settings || !any)
        return;
    // The stores that read again are shown as they read, in place of the factory's; the
    // others keep what the user made of them.
    ui_.ShowStoresAsRead(context->settings, again);
    for (int i = 0; i < GPrinterStores::kCount; ++i)
        standIns_[i] = ui_.StoreState(GPrinterStores::kIds[i]) == GPrinterStores::State::kUnreadable;
    const uint32_t mayReplace = context->modeFlags & kModeMayReplace;
    context->modeFlags &= ~(kModeStoringOff | kModeReplaceable | kModeMayReplace);
    if (!ui_.CanStore()) {
        context->modeFlags |= kModeStoringOff | (ui_.StoresReplaceable() ? kModeReplaceable | mayReplace : 0);
    } else if (!physicalRecord_) {
        // Storing is on: the device settings as they read now are those the OK judges
        // the user's change by, as for a sheet that opened with storing on.
        std::unique_ptr<GObjectBase> device(ui_.LoadSettingsTree(kDeviceSettings));
        if (device) {
            device->ClearSerials();
            physicalRecord_ = std::move(device);
        }
    }
    if (ui_.SheetGlue())
        ui_.SheetGlue()->ModeChanged(context);
}

void GDriverUIDeviceSheet::RecordPhysicalSettings(const GObjectBase* device)
{
    // Stored as the device settings are, without this process's serial numbers.
    std::unique_ptr<GObjectBase> asStored{device ? device->DeepCopy() : nullptr};
    if (!asStored)
        return;
    asStored->ClearSerials();
    if (!ui_.SaveObject(L"PhySetting", asStored.get()))
        physicalRecord_ = std::move(asStored);
}

RWWString GDriverUIDeviceSheet::StoreNames(GDriverUI& ui, const std::function<bool(long)>& pick)
{
    RWWString names;
    for (const auto& store : kStoreNames) {
        if (!pick(store.id))
            continue;
        if (names.Length())
            names.Append(L", ");
        names.Append(ui.LoadResourceString(store.name));
    }
    return names;
}

RWWString GDriverUIDeviceSheet::Formatted(GDriverUI& ui, uint32_t textId, const RWWString& first,
                                          const RWWString& second)
{
    const RWWString text = ui.LoadResourceString(textId);
    if (!text.Length())
        return RWWString();
    const size_t room = text.Length() + first.Length() + second.Length() + 1;
    std::vector<wchar_t> out(room, L'\0');
    const int written = std::swprintf(out.data(), room, text.Data(), first.IsNull() ? L"" : first.Data(),
                                      second.IsNull() ? L"" : second.Data());
    return written > 0 ? RWWString(out.data()) : text;
}

bool GDriverUIDeviceSheet::ConfirmReplace()
{
    const RWWString replaced = StoreNames(ui_, [this](long id) { return StandIn(id); });
    RWWString kept = StoreNames(ui_, [this](long id) { return !StandIn(id); });
    if (!kept.Length())
        kept = ui_.LoadResourceString(kNoStoreName);
    return AskText(ui_, Formatted(ui_, kReplaceQuestion, replaced, kept), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) ==
           IDYES;
}

bool GDriverUIDeviceSheet::StandIn(long id) const
{
    for (int i = 0; i < GPrinterStores::kCount; ++i)
        if (GPrinterStores::kIds[i] == id)
            return standIns_[i];
    return false;
}

int GDriverUIDeviceSheet::Ask(GDriverUI& ui, uint32_t textId, UINT buttons)
{
    return AskText(ui, ui.LoadResourceString(textId), buttons);
}

int GDriverUIDeviceSheet::AskText(GDriverUI& ui, const RWWString& text, UINT buttons)
{
    if (!text.Length())
        return 0;
    const RWWString& caption = ui.GetPrinterName();
    const wchar_t* title = caption.Length() ? caption.Data() : L"";
    // The sheet is the active window of this thread while its OK runs.
    HWND owner = GetActiveWindow();
    Confirmer confirm = g_confirmer;
    return confirm ? confirm(owner, text.Data(), title) : MessageBoxW(owner, text.Data(), title, buttons);
}

BOOL GDriverUIDeviceSheet::PrinterProperties(HWND window, HANDLE printer)
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
