// A UI plug-in for the sheet tests. What it answers is read from the environment at
// each call, so one loaded copy serves every case:
//   QZUIPLUG_VERSION   the interface version (default 2)
//   QZUIPLUG_PAGES     pages claimed (default 1)
//   QZUIPLUG_OVERCLAIM extra pages claimed in the page pass only
//   QZUIPLUG_PRESSOK   1: each page presses the sheet's OK button when it initialises;
//                      2: selects the second page first
// It fills only entries inside the array, and counts its calls for QzUIPlugCounts.
#include "entry/sheet/GUIData.h"

#include <cstdlib>

namespace {

int initializeCalls = 0;
int destroyCalls = 0;
int configCalls = 0;
int pagesMessages = 0;
uint16_t lastMode = 0;

int Env(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : fallback;
}

INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        SetWindowLongPtrW(window, DWLP_USER, lParam);
    auto* entry = reinterpret_cast<QZPageEntry*>(GetWindowLongPtrW(window, DWLP_USER));
    auto* link = entry ? reinterpret_cast<PageLink*>(entry->lParam) : nullptr;
    ++pagesMessages;
    if (link && link->guiData && link->guiData->hook)
        link->guiData->hook(window, message, wParam, lParam, link->guiData);
    if (message == WM_INITDIALOG) {
        const int press = Env("QZUIPLUG_PRESSOK", 0);
        // 2: show the second page first, so that it is created too.
        if (press == 2)
            PostMessageW(GetParent(window), PSM_SETCURSEL, 1, 0);
        if (press == 1 || press == 2)
            PostMessageW(GetParent(window), PSM_PRESSBUTTON, PSBTN_OK, 0);
        return TRUE;
    }
    return FALSE;
}

HMODULE Self()
{
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&PageProc), &self);
    return self;
}

}  // namespace

extern "C" uint32_t WINAPI UI_INTERFACEVERSION() { return uint32_t(Env("QZUIPLUG_VERSION", 2)); }

extern "C" int16_t WINAPI UI_INITIALIZE(GUIData* data, uint16_t firstIndexOrMode)
{
    ++initializeCalls;
    lastMode = firstIndexOrMode;
    const int pages = Env("QZUIPLUG_PAGES", 1);
    if (firstIndexOrMode == 0x789A)
        return 1;
    if (!data || !data->pages)
        return int16_t(pages);
    for (int k = 0; k < pages && firstIndexOrMode + k < data->pageCount; ++k) {
        QZPageEntry& entry = data->pages[firstIndexOrMode + k];
        entry.hInstance = Self();
        entry.pszTemplate = MAKEINTRESOURCEW(100);
        entry.pfnDlgProc = &PageProc;
        entry.pszTitle = L"Plug-in";
        entry.dwFlags |= PSP_USETITLE;
    }
    return int16_t(pages + Env("QZUIPLUG_OVERCLAIM", 0));
}

extern "C" int16_t WINAPI UI_DESTROY(GUIData*)
{
    ++destroyCalls;
    return 0;
}

extern "C" int16_t WINAPI UI_CONFIGTOSETTINGS(GUIData*)
{
    ++configCalls;
    return int16_t(Env("QZUIPLUG_CONFIGRESULT", 0));
}

extern "C" int16_t WINAPI UI_SETTINGSTOCONFIG(uint32_t) { return 0; }

// The counts so far: initialise, destroy, configuration calls, page messages; and the
// last mode or first index.
extern "C" void QzUIPlugCounts(int* counts)
{
    counts[0] = initializeCalls;
    counts[1] = destroyCalls;
    counts[2] = configCalls;
    counts[3] = pagesMessages;
    counts[4] = lastMode;
}
