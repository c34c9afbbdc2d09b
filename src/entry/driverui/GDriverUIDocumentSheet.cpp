// The document properties: the road without a sheet that merges the caller's DEVMODE
// and copies the current one out (with the marked area of the private copy mode), the
// document sheet run by the driver itself (DrvDocumentProperties with DM_PROMPT), the
// sheet's reasons as the common property sheet raises them, the output DEVMODE the sheet
// road hands back, and the module's own pages offered when the settings name no plug-in.
#include "entry/driverui/GDriverUIDocumentSheet.h"

#include "entry/driverui/GDriverUI.h"
#include "entry/driverui/GDriverUIDeviceSheet.h"
#include "entry/sheet/GCPSOSUI.h"
#include "foundation/RWThreadContext.h"
#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GOSFactory.h"
#include "settings/devmode/GDriverDevMode.h"
#include "settings/dmc/GDriverDMCConfig.h"

#include <compstui.h>

#include <algorithm>
#include <cstring>

namespace {

const LONG kRefused = -1;
const uint32_t kPublicOnlyApplications = 0x40100;
// The private mode of the no-sheet road that leaves a marked area after the public part.
const DWORD kMarkedCopyMode = 0x100A;
const uint32_t kMarkedAreaSize = 152;
const uint32_t kMarker = 0x515A515A;

// "Your own watermarks cannot be read. Replace them with the ones you added here, or
// with none if you added none? No leaves them as they are ..."
const uint32_t kReplaceOwnWatermarksQuestion = 12038;
// "Your own watermarks could not be saved. Your changes are still here: ..."
const uint32_t kOwnWatermarksUnsavedNotice = 12039;

typedef LONG(WINAPI* CommonPropertySheetUIFn)(HWND, QZPropSheetUIProc, LPARAM, LPDWORD);

// The object that runs a sheet on this thread, for the entry used when the module's own
// export cannot be found (the classes linked into a program of their own).
RWThreadSlot<GDriverUI> sheetOwner(true);

LONG WINAPI OwnerSheetEntry(PPROPSHEETUI_INFO info, LPARAM parameter)
{
    return sheetOwner ? sheetOwner->DocumentPropertySheets(info, parameter) : -1;
}

}  // namespace

LONG GDriverUIDocumentSheet::DocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output,
                                               PDEVMODEW input, DWORD mode)
{
    if (mode && output) {
        const LONG result = DocumentPropertiesCore(window, printer, deviceName, output, input, mode);
        return result > 0 ? IDOK : result == 0 ? IDCANCEL : result;
    }
    return LONG(ui_.GetDevModeSize(1));
}

LONG GDriverUIDocumentSheet::AdvancedDocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName,
                                                       PDEVMODEW output, PDEVMODEW input)
{
    if (!output)
        return LONG(ui_.GetDevModeSize(1));
    return DocumentPropertiesCore(window, printer, deviceName, output, input, DM_COPY | DM_PROMPT | DM_ADVANCED) > 0
               ? 1
               : 0;
}

LONG GDriverUIDocumentSheet::DocumentPropertiesCore(HWND window, HANDLE printer, LPWSTR deviceName,
                                                   PDEVMODEW output, PDEVMODEW input, DWORD mode)
{
    DOCUMENTPROPERTYHEADER header = {};
    header.cbSize = sizeof header;
    header.hPrinter = printer;
    header.pszPrinterName = deviceName;
    header.pdmIn = input;
    header.pdmOut = output;
    header.fMode = mode;
    if (mode & DM_PROMPT)
        return RunDocumentSheet(window, header);
    return DocumentPropertiesNoUI(header);
}

LONG GDriverUIDocumentSheet::DocumentPropertiesNoUI(DOCUMENTPROPERTYHEADER& header)
{
    const DWORD mode = header.fMode;
    DEVMODEW* output = header.pdmOut;
    // The size query answers in the header as well as in the result: the caller compares
    // the two. The header's output size is only ever written, never read: callers pass
    // it unset, and the output buffer holds a whole DEVMODE of the size answered here.
    if (mode == 0 || !output) {
        header.cbOut = ui_.GetDevModeSize(1);
        return LONG(header.cbOut);
    }
    // A DEVMODE whose header does not hold together is refused, not read. A printer
    // record that could not be read refuses only storing: this road stores nothing, and
    // answers from the driver's defaults with the caller's DEVMODE merged.
    if (!ui_.MergeForReading((mode & (DM_PROMPT | DM_MODIFY)) ? header.pdmIn : nullptr))
        return kRefused;
    LONG result = 1;
    if (mode & (DM_UPDATE | DM_COPY))
        if (!ui_.GetDevModeObject() || !ui_.GetDevModeObject()->CopyOut(output))
            result = 0;
    // The marked area: only after a good copy, never for a public-only copy (the buffer
    // may hold 220 bytes), and only inside a DEVMODE of this driver's size.
    if (mode == kMarkedCopyMode && result == 1 && !(ui_.GetAppFlags() & kPublicOnlyApplications) &&
        uint32_t(output->dmSize) + kMarkedAreaSize <= GDevModeBase::kTotalSize) {
        uint8_t* bytes = reinterpret_cast<uint8_t*>(output);
        const uint32_t size = output->dmSize;
        output->dmDriverExtra = WORD(std::max(GDevModeBase::kTotalSize - size, kMarkedAreaSize));
        std::memset(bytes + size, 0, kMarkedAreaSize);
        const uint16_t length = uint16_t(kMarkedAreaSize);
        std::memcpy(bytes + size, &kMarker, sizeof kMarker);
        std::memcpy(bytes + size + sizeof kMarker, &length, sizeof length);
    }
    return result;
}

LONG GDriverUIDocumentSheet::DocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter)
{
    // The caller's header: the no-sheet road writes the size it answers into it.
    DOCUMENTPROPERTYHEADER* header = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(info ? info->lParamInit : parameter);
    if (!header || header->cbSize < sizeof(DOCUMENTPROPERTYHEADER))
        return kRefused;

    // Asked at every call: the server hands this object to every caller of the printer,
    // and what one caller may do says nothing of the next.
    const int readOnly = ui_.CallerReadOnly();
    uint32_t kind = 0, version = 0, build = 0;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetOSVersion(kind, version, build);
    // The user's own watermarks follow this call's rights, for this call only.
    const int userWatermarks = ui_.UserWatermarksFor(readOnly);
    GDriverUIBase::UserWatermarksScope scope(ui_, userWatermarks);
    if (info) {
        // An apply the pages find no one to report is committed outside any call: it
        // takes the rights of the sheet's latest call.
        userWatermarks_ = userWatermarks;
        return SheetReason(info, parameter, *header, readOnly, version >> 16);
    }

    const LONG result = DocumentPropertiesNoUI(*header);
    if (ui_.GetOwnHandle()) {
        ui_.UseOwnPrinter(0);
        ui_.CloseOwnPrinter();
    }
    return result;
}

// ---- The document sheet ----

int GDriverUIDocumentSheet::WriteConfigurationUpdate()
{
    UIContextRecord* const context = ui_.SheetContext();
    GObjectBase* settings = context ? context->settings : nullptr;
    if (!settings)
        return 0;
    GDriverDMCConfig config(settings, static_cast<GDriverObjectImp*>(&ui_));
    return config.ExportFactory(ui_.GetPrinterName());
}

uint32_t GDriverUIDocumentSheet::DocumentModeFlags(uint32_t mode, uint32_t major, int readOnly, bool treeLoaded,
                                                   bool explorer)
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

LONG GDriverUIDocumentSheet::SheetReason(PPROPSHEETUI_INFO info, LPARAM parameter,
                                         const DOCUMENTPROPERTYHEADER& header, int readOnly, uint32_t major)
{
    GOSFactory* services = GOSFactory::Instance();
    GDriverObject* driver = static_cast<GDriverObjectImp*>(&ui_);
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT: {
        // No settings are loaded for this call before its own merge: what an earlier
        // caller of the object loaded never decides this caller's sheet.
        const bool treeLoaded = false;
        // A DEVMODE the merge refuses leaves nothing to show: the sheet does not open,
        // and the caller learns that it failed. A printer whose record or stores do not
        // read opens it with storing off: the user's document choices still go back to
        // the caller, and the printer is written nothing. The user's own watermarks that
        // do not read (while this call keeps them) hold back only their own store: the
        // sheet says so and its OK offers to replace them.
        const int merged = ui_.MergeForReading((header.fMode & DM_MODIFY) ? header.pdmIn : nullptr);
        if (!merged || !ui_.GetDevModeObject())
            return 0;
        const bool storing = ui_.CanStore();
        const bool ownUnreadable = storing && !ui_.UserWatermarksStorable();
        if (services && storing)
            services->SetPrinterDataDword(driver, L"ExportPrinting", 1);
        // The caller's output holds the merged input from now on, whatever the sheet does.
        WriteSheetOutput(header);
        // A sheet still open on this object is closed first: one sheet per object.
        UIContextRecord* const context = ui_.OpenSheet();
        info->Result = CPSUI_CANCEL;
        accepted_ = false;
        if (!context)
            return 0;
        context->hComPropSheet = info->hComPropSheet;
        context->pfnComPropSheet = reinterpret_cast<void*>(info->pfnComPropSheet);
        context->pageSet = 3;
        context->modeFlags = DocumentModeFlags(header.fMode, major, readOnly, treeLoaded, ui_.HostIsExplorer()) |
                             (storing ? 0 : kModeStoringOff) | (ownUnreadable ? kModeOwnWatermarksUnreadable : 0);
        // The header is the caller's and outlives the sheet.
        const DOCUMENTPROPERTYHEADER* const caller = &header;
        ui_.SheetGlue()->SetUnreportedApply([this, caller] { CommitOk(*caller); });
        // The glue answers the pages it added negated: any but zero is a sheet.
        return AddDocumentPages(*ui_.SheetGlue(), context) != 0 ? 1 : 0;
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
        // The sheet's result is what it was when it went: OK once an OK or an Apply was
        // committed into the caller's output, whichever host reported it.
        info->Result = accepted_ ? CPSUI_OK : CPSUI_CANCEL;
        accepted_ = false;
        ui_.ReleaseSheet();
        if (ui_.GetOwnHandle()) {
            ui_.UseOwnPrinter(0);
            ui_.CloseOwnPrinter();
        }
        return 1;
    case PROPSHEETUI_REASON_SET_RESULT: {
        auto* set = reinterpret_cast<PSETRESULT_INFO>(parameter);
        if (set && set->Result == CPSUI_OK)
            CommitOk(header);
        info->Result = accepted_ ? CPSUI_OK : CPSUI_CANCEL;
        return 1;
    }
    default:
        return 0;
    }
}

void GDriverUIDocumentSheet::CommitOk(const DOCUMENTPROPERTYHEADER& header)
{
    GOSFactory* services = GOSFactory::Instance();
    GDriverObject* driver = static_cast<GDriverObjectImp*>(&ui_);
    UIContextRecord* const context = ui_.SheetContext();
    GDriverUIBase::UserWatermarksScope scope(ui_, userWatermarks_);
    // With storing off the commit only packs: the document's choices, never the printer's.
    // The answer follows the last commit: one that failed has not handed the user's last
    // choice to the caller, and answers cancel, whatever went before.
    const bool storingOff = context && (context->modeFlags & kModeStoringOff);
    const int storeMode = (context && (context->modeFlags & 3) == 0 && !storingOff) ? 1 : 0;
    // The user's own watermarks that do not read are replaced only at the user's word,
    // asked before anything is written; a no keeps their bytes and stores the rest.
    const bool replaceOwn = context && !storingOff && (context->modeFlags & kModeOwnWatermarksUnreadable) &&
                            GDriverUIDeviceSheet::Ask(ui_, kReplaceOwnWatermarksQuestion,
                                                      MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    bool committed = context && ui_.CommitSettings(context->settings, storeMode);
    // A commit that stored nothing of the printer's is told why. The lock held elsewhere,
    // a write the printer refused or stores that stopped reading keep the sheet open with
    // its edits; a lock the user may not have hands the document's choices (packed before
    // the store) back as a sheet with storing off does.
    const bool refused = !committed && storeMode && ui_.StoresRefused();
    if (!committed && storeMode)
        GDriverUIDeviceSheet::RefusedForLock(ui_);
    if (committed && replaceOwn && ui_.ReplaceUnreadableUserWatermarks(context->settings))
        context->modeFlags &= ~kModeOwnWatermarksUnreadable;
    // The user's own watermarks that could not be written are told too: the sheet stays
    // open with its edits, and this OK has handed nothing to the caller.
    if (committed && ui_.UserWatermarksUnsaved())
        committed = OwnWatermarksUnsaved();
    accepted_ = (committed || refused) && WriteSheetOutput(header);
    if (!accepted_ || storingOff || refused)
        return;
    const GValueAttribute* exportSwitch =
        GDriverObject::Feature<GValueAttribute>(context->settings, FeatureId::kDeviceModelConfig);
    const uint32_t exportPrinting = services ? services->GetPrinterDataDword(driver, L"ExportPrinting", 0) : 0;
    if (exportSwitch && exportSwitch->GetValue() == 1 && exportPrinting != 0 && ui_.HostIsExplorer())
        WriteConfigurationUpdate();
}

bool GDriverUIDocumentSheet::OwnWatermarksUnsaved()
{
    if (ui_.SheetGlue())
        ui_.SheetGlue()->KeepOpen();
    GDriverUIDeviceSheet::Ask(ui_, kOwnWatermarksUnsavedNotice, MB_OK | MB_ICONWARNING);
    return false;
}

LONG GDriverUIDocumentSheet::RunDocumentSheet(HWND window, DOCUMENTPROPERTYHEADER& header)
{
    // compstui has no import library: its entry is found at run time.
    HMODULE compstui = LoadLibraryW(L"compstui.dll");
    auto run = compstui ? reinterpret_cast<CommonPropertySheetUIFn>(
                              reinterpret_cast<void*>(GetProcAddress(compstui, "CommonPropertySheetUIW")))
                        : nullptr;
    GOSFactory* services = GOSFactory::Instance();
    HMODULE module = reinterpret_cast<HMODULE>(uintptr_t(services ? services->GetModuleHandle() : 0));
    auto entry = module ? reinterpret_cast<QZPropSheetUIProc>(
                              reinterpret_cast<void*>(GetProcAddress(module, "DrvDocumentPropertySheets")))
                        : nullptr;
    GDriverUI* previous = sheetOwner;
    if (!entry) {
        sheetOwner = &ui_;
        entry = &OwnerSheetEntry;
    }
    // The sheet writes its result; a sheet that never gets that far was cancelled.
    DWORD result = CPSUI_CANCEL;
    const LONG answer = run ? run(window, entry, reinterpret_cast<LPARAM>(&header), &result) : -1;
    sheetOwner = previous;
    if (compstui)
        FreeLibrary(compstui);
    return answer < 0 ? -1 : LONG(result);
}

int GDriverUIDocumentSheet::WriteSheetOutput(const DOCUMENTPROPERTYHEADER& header)
{
    if (!(header.fMode & (DM_UPDATE | DM_COPY)) || !header.pdmOut)
        return 1;
    GDriverDevMode* devMode = ui_.GetDevModeObject();
    return devMode && devMode->CopyOut(header.pdmOut) ? 1 : 0;
}

int16_t GDriverUIDocumentSheet::AddDocumentPages(GCPSOSUI& glue, UIContextRecord* record)
{
    GObjectBase* settings = record ? record->settings : nullptr;
    GObjectBase* offered = nullptr;
    if (settings && !GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kUIPlugInNames)) {
        offered = new GAttributeComposite(FeatureId::kUIPlugInNames);
        offered->Add(new GStringAttribute(kOwnPlugInName, 0));
        settings->Add(offered);
    }
    const int16_t added = glue.AddPage(record, 0);
    // The plug-ins are loaded by now; the list made here is not the user's to keep.
    if (offered)
        delete settings->RemoveById(long(FeatureId::kUIPlugInNames));
    return added;
}
