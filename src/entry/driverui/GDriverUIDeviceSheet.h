// The printer's own property sheet of the driver UI object (installed options and device
// settings): the sheet's reasons as the common property sheet raises them, and the sheet
// run for the printer-properties entry point.
#pragma once

#include "entry/driverui/GPrinterStores.h"
#include "entry/module/GDriverUIOperations.h"

#include <functional>
#include <memory>

class GDriverUI;

class GDriverUIDeviceSheet {
public:
    explicit GDriverUIDeviceSheet(GDriverUI& ui) : ui_(ui) {}
    GDriverUIDeviceSheet(const GDriverUIDeviceSheet&) = delete;
    GDriverUIDeviceSheet& operator=(const GDriverUIDeviceSheet&) = delete;

    LONG DevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter);
    BOOL PrinterProperties(HWND window, HANDLE printer);
    // The sheet's reasons (INIT, GET_INFO_HEADER, DESTROY, SET_RESULT) for the header.
    LONG SheetReason(PPROPSHEETUI_INFO info, LPARAM parameter, const DEVICEPROPERTYHEADER& header);

    // The common property sheet's entry, looked up at run time; a test may put its own
    // in place (null: the platform's again).
    typedef LONG(WINAPI* SheetRunner)(HWND window, void* callback, LPARAM parameter, LPDWORD result);
    static void SetSheetRunnerForTesting(SheetRunner runner);
    // The questions and notices put to the user (the question before the stores that do
    // not read are replaced: IDYES replaces): the button the user pressed. A test may
    // answer them (null: a message box).
    typedef int (*Confirmer)(HWND owner, const wchar_t* text, const wchar_t* caption);
    static void SetConfirmerForTesting(Confirmer confirmer);

    // After a commit of an open sheet of the object that failed: when it failed because
    // the stores lock was held elsewhere, the user is told and the sheet stays open with
    // its edits, for another OK; when because the user may not have the lock, the user is
    // told that nothing was saved, and the sheet closes (no other OK would fare better).
    // False, as the commit's result.
    static bool RefusedForLock(GDriverUI& ui);
    // A message of the resource library put to the user with the buttons given (through
    // the test's confirmer where one is set): the button pressed, 0 when not shown.
    static int Ask(GDriverUI& ui, uint32_t textId, UINT buttons);
    static int AskText(GDriverUI& ui, const RWWString& text, UINT buttons);
    // After a commit that stored nothing though the lock was had: the user is told why
    // (stores kept in an older form, stores that read again, stores that stopped reading,
    // or a write the printer refused) and the sheet stays open with its edits. False, as
    // the commit's result; false without a word only when the stores were not asked.
    static bool NotStoredNotice(GDriverUI& ui);
    // The names of the stores picked by id, joined; empty when none is picked.
    static RWWString StoreNames(GDriverUI& ui, const std::function<bool(long)>& pick);
    // The message of the resource library with the texts in place of its %ls marks.
    static RWWString Formatted(GDriverUI& ui, uint32_t textId, const RWWString& first,
                               const RWWString& second = RWWString());

private:
    // OK's work: commits the device settings, exports the factory configuration when
    // due and stamps a user's change of the physical settings. True when the commit went
    // through; a sheet the user may not change, or one that stores nothing, commits
    // nothing and gives false. On a sheet whose user may replace the stores that do not
    // read, the commit replaces them with the factory's, once the user confirms.
    bool CommitOk();
    bool ConfirmReplace();
    // After the way back found stores that read again: the sheet shows them as they read,
    // its stand-ins, mode flags, line and controls follow what reads now, and the next OK
    // commits as any other once every store reads.
    void FollowStoresReadAgain();
    // Records the device settings the sheet opened with ("PhySetting"); kept for the
    // next commit when the write could not be made now.
    void RecordPhysicalSettings(const GObjectBase* device);
    // Whether the sheet shows the factory's settings for the store of the id.
    bool StandIn(long id) const;

    GDriverUI& ui_;
    // A commit of the open sheet went through: the printer changed, and the sheet reports
    // OK whatever a later commit comes to.
    bool accepted_ = false;
    // The stores that did not read when the sheet opened (by GPrinterStores::kIds'
    // order): the sheet shows the factory's for them.
    bool standIns_[GPrinterStores::kCount] = {};
    // The record of the device settings the opening could not write: written at the next
    // commit that goes through.
    std::unique_ptr<GObjectBase> physicalRecord_;
};
