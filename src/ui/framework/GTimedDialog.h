// A stand-alone modal notice that closes itself after a time-out, shown from a thread of
// its own so that the caller goes on; the caller joins the thread before the object
// goes. Its check box tells whether the user wants to see the notice again; the caller
// keeps that answer under the per-user value "DontShowJobName".
#pragma once

#include <windows.h>

#include "foundation/RWWString.h"

#include <cstdint>
#include <utility>
#include <vector>

class GTimedDialog {
public:
    static constexpr uint16_t kJobStorageNotice = 11540;
    static constexpr int kDontShowItem = 11542;
    static constexpr const wchar_t* kDontShowValue = L"DontShowJobName";
    // The notice's texts: the user, the job's name and where the job is kept.
    static constexpr int kUserNameItem = 11543;
    static constexpr int kJobNameItem = 11544;
    static constexpr int kStoredAtItem = 11545;

    GTimedDialog(uint16_t templateId, uint32_t timeoutSeconds) : templateId_(templateId), timeout_(timeoutSeconds) {}
    GTimedDialog(const GTimedDialog&) = delete;
    GTimedDialog& operator=(const GTimedDialog&) = delete;

    // Starts the thread that shows the dialog: its handle, which the caller waits for and
    // closes; null when no thread could be started.
    HANDLE Start();
    // Shows the dialog on the calling thread and returns when it closed: GetResult().
    INT_PTR Run();
    // A text put into a control of the dialog when it opens.
    void SetItemText(int item, const RWWString& text) { texts_.emplace_back(item, text); }
    // The library that holds the template; without one, the user interface's library.
    void SetLibrary(HMODULE library) { library_ = library; }
    // After the thread ended: how the dialog closed (IDOK, IDCANCEL, 0 for the time-out,
    // -1 when it could not be shown) and whether the check box was ticked.
    INT_PTR GetResult() const { return result_; }
    bool DontShowAgain() const { return dontShow_; }

private:
    static DWORD WINAPI ThreadMain(void* self);
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Close(HWND window, INT_PTR result);

    uint16_t templateId_;
    uint32_t timeout_;
    INT_PTR result_ = -1;
    bool dontShow_ = false;
    HMODULE library_ = nullptr;
    std::vector<std::pair<int, RWWString>> texts_;
};
