// Joins the driver's page sources to the common property sheet: turns a UI context
// record into the GUIData every plug-in receives, lets each loaded plug-in count and fill
// its share of one page array, hands the pages to the sheet and releases them again.
#pragma once

#include "entry/sheet/GUIData.h"
#include "entry/sheet/GUIPlugIn.h"

#include <functional>

class GCPSOSUI {
public:
    // The mode of AddPage that shows the manual duplex instructions instead of pages.
    static constexpr uint16_t kModalMode = 0x789A;
    // The resource string appended to the sheet's title.
    static constexpr uint32_t kTitleSuffixString = 13620;

    GCPSOSUI();
    GCPSOSUI(const GCPSOSUI&) = delete;
    GCPSOSUI& operator=(const GCPSOSUI&) = delete;
    ~GCPSOSUI();

    int16_t AddPage(UIContextRecord* request, uint16_t mode);
    int16_t FreePage(UIContextRecord* request);
    void ClearExtensions();
    void DeletePlugIns();
    uint32_t LoadPlugIns(GUIData* data);
    int16_t CollectPages(GUIData* data);
    int16_t CollectModalPage(GUIData* data, uint16_t mode);
    void ReleasePages(GUIData* data);
    int16_t ConfigToSettings(GUIData* data);
    int16_t AddPagesToSheet(UIContextRecord* request, GUIData* data);

    uint32_t PlugInCount() const { return count_; }

    // What OK does when the sheet's host delivers no result: run at the apply that asked
    // for the result, when that request reached no one. The sheet commits there, never
    // when it goes, so that edits cancelled after an apply stay uncommitted.
    void SetUnreportedApply(std::function<void()> commit) { unreportedApply_ = std::move(commit); }
    // The apply now running did not commit, for a reason the user can wait out: the sheet
    // stays open with its edits, and the page keeps its place.
    void KeepOpen() { keepOpen_ = true; }
    // The request's mode flags changed while its sheet is open: its pages are told, and
    // what a plug-in reads of them follows.
    void ModeChanged(UIContextRecord* request);

    static UINT WINAPI PropPageCallback(HWND window, UINT message, QZPageEntry* page);
    static uint16_t WINAPI DlgProcHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam, GUIData* data);

    // A heap copy of a wide string of (length * 2 + 2) bytes; null for null.
    static wchar_t* CopyName(const wchar_t* name);
    static void FreeGUIData(GUIData* data);
    // The title-suffix flag: set once a page of the sheet initialised.
    static bool TitleSuffixAdded();

private:
    // The pages' apply: asks the host for the result once per round of applies. False
    // when the sheet is to stay open.
    static bool OnApply(const PageLink* link, GUIData* data);

    uint32_t count_ = 0;
    std::function<void()> unreportedApply_;
    bool keepOpen_ = false;
    GUIPlugIn** plugIns_ = nullptr;
};
