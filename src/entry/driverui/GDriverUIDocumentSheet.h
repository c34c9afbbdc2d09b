// The document properties of the driver UI object: the road without a sheet that merges
// and copies DEVMODEs, and the document sheet, whether the driver runs it itself or the
// common property sheet raises its reasons.
#pragma once

#include "entry/module/GDriverUIOperations.h"
#include "entry/sheet/UIContextRecord.h"

#include <cstdint>

class GCPSOSUI;
class GDriverUI;

class GDriverUIDocumentSheet {
public:
    explicit GDriverUIDocumentSheet(GDriverUI& ui) : ui_(ui) {}
    GDriverUIDocumentSheet(const GDriverUIDocumentSheet&) = delete;
    GDriverUIDocumentSheet& operator=(const GDriverUIDocumentSheet&) = delete;

    LONG DocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output, PDEVMODEW input,
                            DWORD mode);
    LONG AdvancedDocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output,
                                    PDEVMODEW input);
    LONG DocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter);
    LONG DocumentPropertiesCore(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output, PDEVMODEW input,
                                DWORD mode);
    // Merges and copies out without a sheet: 1, 0 on failure, -1 for a refused DEVMODE;
    // without a mode or an output DEVMODE, the DEVMODE size, also written into cbOut.
    LONG DocumentPropertiesNoUI(DOCUMENTPROPERTYHEADER& header);

    // The sheet's reasons (INIT, GET_INFO_HEADER, DESTROY, SET_RESULT) for the header's
    // request; readOnly and the OS major version come from the permission test.
    LONG SheetReason(PPROPSHEETUI_INFO info, LPARAM parameter, const DOCUMENTPROPERTYHEADER& header, int readOnly,
                     uint32_t major);
    // The mode flags of a document sheet's UI context.
    static uint32_t DocumentModeFlags(uint32_t mode, uint32_t major, int readOnly, bool treeLoaded, bool explorer);
    // The document sheet itself: the common property sheet run over the header with the
    // module's sheet entry, its result starting at cancel; the output DEVMODE written from
    // the current settings when the mode asks for a copy (1, or 0 when it could not be);
    // the device-configuration update after a committed sheet (the sheet's settings
    // exported into the configuration's factory sections); and the module's own pages
    // offered as the one plug-in of a UI context whose settings name none (the list is
    // taken out again once the pages are collected, so it never reaches the stored
    // settings).
    LONG RunDocumentSheet(HWND window, DOCUMENTPROPERTYHEADER& header);
    int WriteSheetOutput(const DOCUMENTPROPERTYHEADER& header);
    // 1 when both factory sections were exported.
    int WriteConfigurationUpdate();
    int16_t AddDocumentPages(GCPSOSUI& glue, UIContextRecord* record);
    static constexpr const char* kOwnPlugInName = "qzui32.dll";

private:
    // OK's work, whether the host reported it or the pages' apply found no one to report
    // it to: commits the sheet's settings, writes the caller's output and the
    // configuration update when due; where the user's own watermarks do not read, it
    // first asks whether to replace them, and only a yes writes over them.
    void CommitOk(const DOCUMENTPROPERTYHEADER& header);
    // After a commit whose write of the user's own watermarks failed: the user is told,
    // and the sheet stays open with its edits for another OK. False, as the commit's
    // result.
    bool OwnWatermarksUnsaved();

    GDriverUI& ui_;
    // Set when the open sheet's last OK or Apply was committed and the output written:
    // the sheet then answers OK when it goes. A commit that fails clears it.
    bool accepted_ = false;
    // The per-user watermark switch of the sheet's latest call, from that call's rights.
    int userWatermarks_ = 0;
};
