// The document sheet run by the driver itself (DrvDocumentProperties with DM_PROMPT), the
// output DEVMODE the sheet road hands back, and the module's own pages offered when the
// settings name no plug-in.
#include "entry/driverui/GDriverUI.h"

#include "entry/sheet/GCPSOSUI.h"
#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "printer/GOSFactory.h"
#include "settings/devmode/GDriverDevMode.h"

#include <compstui.h>

namespace {

typedef LONG(WINAPI* CommonPropertySheetUIFn)(HWND, QZPropSheetUIProc, LPARAM, LPDWORD);

// The object that runs a sheet on this thread, for the entry used when the module's own
// export cannot be found (the classes linked into a program of their own).
thread_local GDriverUI* sheetOwner = nullptr;

LONG WINAPI OwnerSheetEntry(PPROPSHEETUI_INFO info, LPARAM parameter)
{
    return sheetOwner ? sheetOwner->DocumentPropertySheets(info, parameter) : -1;
}

}  // namespace

LONG GDriverUI::RunDocumentSheet(HWND window, DOCUMENTPROPERTYHEADER& header)
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
        sheetOwner = this;
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

int GDriverUI::WriteSheetOutput(const DOCUMENTPROPERTYHEADER& header)
{
    if (!(header.fMode & (DM_UPDATE | DM_COPY)) || !header.pdmOut)
        return 1;
    GDriverDevMode* devMode = GetDevModeObject();
    return devMode && devMode->CopyOut(header.pdmOut) ? 1 : 0;
}

int16_t GDriverUI::AddDocumentPages(GCPSOSUI& glue, UIContextRecord* record)
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
