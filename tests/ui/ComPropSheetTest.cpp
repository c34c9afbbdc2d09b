// A sheet shown by the platform's common property sheet (Wine's compstui): the test's
// top-level callback builds the UI context from the acquired driver UI object at INIT
// and lets the glue add the pages with the sheet's own handle and callback. Wine sends
// no SET_RESULT; the pages report their apply through the hook, and OK's commit runs there.
#include "SheetFixture.h"

#include "entry/module/DriverPlatform.h"

namespace {

typedef LONG(WINAPI* CommonPropertySheetUIFn)(HWND, QZPropSheetUIProc, LPARAM, LPDWORD);

struct SheetRun {
    UIContextRecord* record;
    GCPSOSUI* glue;
    int16_t added;
    std::vector<uint32_t> created;
    uint16_t applied;
};

SheetRun* run = nullptr;

LONG WINAPI TopLevel(PPROPSHEETUI_INFO info, LPARAM parameter)
{
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT:
        run->record->hComPropSheet = info->hComPropSheet;
        run->record->pfnComPropSheet = reinterpret_cast<void*>(info->pfnComPropSheet);
        run->added = run->glue->AddPage(run->record, 0);
        info->Result = 0;
        return run->added != 0 ? 1 : -1;
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
        auto* header = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(parameter);
        header->pTitle = const_cast<LPTSTR>(L"Printing Preferences");
        header->Flags = 0;
        return 1;
    }
    case PROPSHEETUI_REASON_DESTROY:
        if (GUIData* data = run->record->guiData)
            for (uint16_t i = 0; i < data->pageCount; ++i)
                if (auto* link = reinterpret_cast<PageLink*>(data->pages[i].lParam))
                    run->created.push_back(link->created);
        run->applied = run->record->applied;
        run->glue->FreePage(run->record);
        return 1;
    default:
        return 1;
    }
}

using CommonSheet = SheetFixture;

TEST_F(CommonSheet, ThePlugInsPageAndOursAreCreatedAndApplied)
{
    HMODULE compstui = LoadLibraryW(L"compstui.dll");
    ASSERT_NE(nullptr, compstui);
    auto show = reinterpret_cast<CommonPropertySheetUIFn>(
        reinterpret_cast<void*>(GetProcAddress(compstui, "CommonPropertySheetUIW")));
    ASSERT_NE(nullptr, show);
    SetPlugIns({"qzuiplug.dll", "qzui32.dll"});
    Env("QZUIPLUG_PAGES", "1");
    Env("QZUIPLUG_PRESSOK", "2");
    GCPSOSUI glue;
    int commits = 0;
    glue.SetUnreportedApply([&commits] { ++commits; });
    SheetRun state = {record, &glue, 0, {}, 0};
    run = &state;
    DWORD result = 0;
    show(nullptr, &TopLevel, 0, &result);
    run = nullptr;
    EXPECT_LE(state.added, -2) << "the stand-in's page and at least one of ours";
    ASSERT_GE(state.created.size(), 2u);
    EXPECT_EQ(1u, state.created[0]) << "the stand-in's page";
    EXPECT_EQ(1u, state.created[1]) << "our first page";
    EXPECT_EQ(1, state.applied);
    EXPECT_EQ(1, commits) << "the result asked for at OK reached no one: OK's commit ran once";
    FreeLibrary(compstui);
}

}  // namespace
