// Opening the document sheet as an application does (DocumentPropertiesW with a prompt),
// every page selected so that each is created, then closed with OK; set against a plain
// property sheet of as many pages made from an empty template, opened and closed alike.
// Needs a display: run it under xvfb-run.
//
//   document_sheet_bench.exe [rounds]    (built beside the tests: build/tests/)
#include "TestPrinter.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <winspool.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Selects every page of each property sheet activated on this thread, then presses OK.
int g_pages = 0;

// Acts once the sheet's frame has initialised, before it is shown: waiting for the
// activation would time the display server's window mapping too.
LRESULT CALLBACK CloseSheets(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_INITDIALOG && !GetParent(message->hwnd)) {
        HWND window = message->hwnd;
        HWND tab = reinterpret_cast<HWND>(SendMessageW(window, PSM_GETTABCONTROL, 0, 0));
        if (tab) {
            g_pages = int(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
            for (int i = 0; i < g_pages; ++i)
                PostMessageW(window, PSM_SETCURSEL, i, 0);
            PostMessageW(window, PSM_PRESSBUTTON, PSBTN_OK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR CALLBACK EmptyPage(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// An empty child dialog template of the pages' size.
struct EmptyTemplate {
    DLGTEMPLATE dialog;
    WORD menu, windowClass, title;
};

template <class F>
double Seconds(int rounds, F f)
{
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < rounds; ++i)
        f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

// Wine waits (two seconds) for a window manager to withdraw each top-level window it
// destroys; with none, as under xvfb-run, that wait would be all an opening measures. This
// program's windows are made unmanaged: a per-program Wine setting, read when the display
// driver loads, so a run that had to set it runs the program again. 1 when it was set
// already.
bool UnmanagedWindows()
{
    const wchar_t* path = L"Software\\Wine\\AppDefaults\\document_sheet_bench.exe\\X11 Driver";
    wchar_t value[8] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, path, L"Managed", RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS &&
        value[0] == L'N')
        return true;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        const wchar_t no[] = L"N";
        RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(no), sizeof no);
        RegCloseKey(key);
    }
    return false;
}

// Runs this program again with the same command line: its exit status.
int RunAgain()
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::wstring command = GetCommandLineW();
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return 1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return int(status);
}

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    if (!UnmanagedWindows())
        return RunAgain();
    TestPrinter& printer = TestPrinter::Shared();
    if (!printer.Installed()) {
        std::fprintf(stderr, "error: %s\n", printer.Failure().c_str());
        return 1;
    }
    std::wstring name = printer.Name();
    HANDLE handle = nullptr;
    if (!OpenPrinterW(&name[0], &handle, nullptr))
        return 1;
    std::vector<BYTE> output(1172);
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, &CloseSheets, nullptr, GetCurrentThreadId());
    if (!hook)
        return 1;
    auto sheet = [&] {
        reinterpret_cast<DEVMODEW*>(output.data())->dmSize = sizeof(DEVMODEW);
        DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(output.data()), nullptr,
                            DM_IN_PROMPT | DM_OUT_BUFFER);
    };
    sheet();  // loads the module, compstui and the resource library once
    const int pages = g_pages;
    if (pages <= 0) {
        std::fprintf(stderr, "error: the document sheet showed no pages\n");
        return 1;
    }

    EmptyTemplate empty = {};
    empty.dialog.style = WS_CHILD | WS_CAPTION;
    empty.dialog.cx = 252;
    empty.dialog.cy = 218;
    std::vector<PROPSHEETPAGEW> entries(static_cast<size_t>(pages));
    for (PROPSHEETPAGEW& entry : entries) {
        entry.dwSize = sizeof entry;
        entry.dwFlags = PSP_DLGINDIRECT;
        entry.pResource = &empty.dialog;
        entry.pfnDlgProc = &EmptyPage;
    }
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.pszCaption = L"Empty pages";
    header.nPages = UINT(pages);
    header.ppsp = entries.data();
    auto plain = [&] { PropertySheetW(&header); };
    plain();

    const double sheetSeconds = Seconds(rounds, sheet);
    const double plainSeconds = Seconds(rounds, plain);
    UnhookWindowsHookEx(hook);
    ClosePrinter(handle);
    std::printf("document sheet (%d pages, each created): %.1f ms per opening\n", pages, 1000 * sheetSeconds / rounds);
    std::printf("plain sheet of %d empty pages:           %.1f ms per opening\n", pages, 1000 * plainSeconds / rounds);
    std::printf("ratio: %.2f\n", plainSeconds > 0 ? sheetSeconds / plainSeconds : 0.0);
    return 0;
}
