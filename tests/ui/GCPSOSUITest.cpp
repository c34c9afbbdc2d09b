// The sheet glue with the stand-in plug-in and a recording sheet callback: how pages are
// counted, collected, offered, tracked and released.
#include "SheetFixture.h"

#include <commctrl.h>

#include <memory>

namespace {

constexpr UINT kAddPage = 1;        // CPSFUNC_ADD_PROPSHEETPAGEW
constexpr UINT kSetStartPage = 7;   // CPSFUNC_SET_HSTARTPAGE
constexpr UINT kSetResult = 9;      // CPSFUNC_SET_RESULT

PageLink* LinkOf(const QZPageEntry& entry) { return reinterpret_cast<PageLink*>(entry.lParam); }

using SheetGlue = SheetFixture;

TEST_F(SheetGlue, ARequestOfAnotherSizeIsRefusedAndMakesNothing)
{
    SetPlugIns({"qzuiplug.dll"});
    record->size = 56;
    GCPSOSUI glue;
    EXPECT_EQ(0, glue.AddPage(record, 0));
    EXPECT_EQ(nullptr, record->guiData);
    EXPECT_TRUE(Sheet().calls.empty());
    record->size = 60;
}

TEST_F(SheetGlue, ThePlugInsPagesAreOfferedInOrderAndCountedNegated)
{
    SetPlugIns({"qzuiplug.dll"});
    Env("QZUIPLUG_PAGES", "2");
    const std::vector<int> before = Counts();
    GCPSOSUI glue;
    EXPECT_EQ(-2, glue.AddPage(record, 0));
    ASSERT_NE(nullptr, record->guiData);
    GUIData* data = record->guiData;
    EXPECT_EQ(60u, data->size);
    EXPECT_EQ(&GCPSOSUI::DlgProcHook, data->hook);
    EXPECT_EQ(record, data->request);
    ASSERT_EQ(2, data->pageCount);
    const auto added = Sheet().Of(kAddPage);
    ASSERT_EQ(2u, added.size());
    for (uint16_t i = 0; i < 2; ++i) {
        EXPECT_EQ(reinterpret_cast<LPARAM>(&data->pages[i]), added[i].first);
        EXPECT_EQ(reinterpret_cast<HANDLE>(0x77), added[i].sheet);
        EXPECT_TRUE(data->pages[i].dwFlags & PSP_USECALLBACK);
        EXPECT_EQ(40u, data->pages[i].dwSize);
        PageLink* link = LinkOf(data->pages[i]);
        ASSERT_NE(nullptr, link);
        EXPECT_EQ(28u, link->size);
        EXPECT_EQ(data, link->guiData);
        EXPECT_EQ(reinterpret_cast<HPROPSHEETPAGE>(0x1000 + i), link->handle);
    }
    EXPECT_EQ(before[1], Counts()[1]) << "nothing destroyed before FreePage";
    EXPECT_EQ(0, glue.FreePage(record));
    EXPECT_EQ(nullptr, record->guiData);
    EXPECT_EQ(before[1] + 1, Counts()[1]) << "UI_DESTROY once";
    EXPECT_EQ(0u, glue.PlugInCount());
}

TEST_F(SheetGlue, AnEntryTheSheetRefusesIsNotCounted)
{
    SetPlugIns({"qzuiplug.dll"});
    Env("QZUIPLUG_PAGES", "2");
    Sheet().refused = {0};
    GCPSOSUI glue;
    EXPECT_EQ(-1, glue.AddPage(record, 0));
    glue.FreePage(record);
}

TEST_F(SheetGlue, AnOverclaimingPlugInIsDestroyedAtOnceAndItsPagesNotCounted)
{
    SetPlugIns({"qzuiplug.dll"});
    Env("QZUIPLUG_PAGES", "1");
    Env("QZUIPLUG_OVERCLAIM", "3");
    const std::vector<int> before = Counts();
    GCPSOSUI glue;
    EXPECT_EQ(0, glue.AddPage(record, 0));
    EXPECT_EQ(before[1] + 1, Counts()[1]) << "destroyed in the page pass";
    EXPECT_TRUE(Sheet().Of(kAddPage).empty());
    ASSERT_NE(nullptr, record->guiData);
    EXPECT_EQ(1, record->guiData->pageCount) << "the array keeps the counting pass's size";
    glue.FreePage(record);
}

TEST_F(SheetGlue, UnfilledEntriesAreNotOffered)
{
    // Two plug-ins of one page each, the second claiming nothing in the page pass: its
    // entry stays empty, and an empty entry is not handed to the sheet.
    SetPlugIns({"qzuiplug.dll"});
    Env("QZUIPLUG_PAGES", "1");
    GCPSOSUI glue;
    glue.LoadPlugIns(nullptr);
    UIContextRecord copy = *record;
    EXPECT_EQ(-1, glue.AddPage(&copy, 0));
    GUIData* data = copy.guiData;
    // Grow the array by an empty entry and offer again.
    auto* pages = new QZPageEntry[2]();
    pages[0] = data->pages[0];
    pages[1].dwSize = 40;
    pages[1].lParam = reinterpret_cast<LPARAM>(new PageLink{28, nullptr, nullptr, data, 0, 0, nullptr});
    delete[] data->pages;
    data->pages = pages;
    data->pageCount = 2;
    Sheet().Reset();
    EXPECT_EQ(-1, glue.AddPagesToSheet(&copy, data));
    EXPECT_EQ(1u, Sheet().Of(kAddPage).size());
    glue.FreePage(&copy);
}

struct DroppedCase {
    const char* name;
    const char* version;
};

TEST_F(SheetGlue, PlugInsThatCannotServeAreDropped)
{
    const DroppedCase cases[] = {
        {"qzuiplug.dll", "3"},             // another interface version
        {"qzuiplugnd.dll", "2"},           // lacks UI_DESTROY
        {"..\\tests\\qzuiplug.dll", "2"},  // a path
        {"sub/qzuiplug.dll", "2"},
        {"C:qzuiplug.dll", "2"},
        {"qznothere.dll", "2"},
    };
    for (const DroppedCase& c : cases) {
        Env("QZUIPLUG_VERSION", c.version);
        SetPlugIns({c.name});
        GCPSOSUI glue;
        GUIData data = {};
        data.settings = Root();
        EXPECT_EQ(0u, glue.LoadPlugIns(&data)) << c.name << " version " << c.version;
    }
    Env("QZUIPLUG_VERSION", "2");
    SetPlugIns({"qzuiplug.dll", "GExtensionUIManager", "qzuiplugnd.dll"});
    GCPSOSUI glue;
    GUIData data = {};
    data.settings = Root();
    EXPECT_EQ(2u, glue.LoadPlugIns(&data)) << "the extension host is built in, never looked for on disk";
    // Only the exact name makes the host; anything else is a file name.
    for (const char* similar : {"GExtensionUIManager.dll", "gextensionuimanager", "GExtensionUIManager "}) {
        SetPlugIns({similar});
        GCPSOSUI other;
        EXPECT_EQ(0u, other.LoadPlugIns(&data)) << similar;
    }
}

TEST_F(SheetGlue, TheSavedTitleSelectsItsPageExactly)
{
    SetPlugIns({"qzuiplug.dll"});
    Env("QZUIPLUG_PAGES", "1");
    const struct {
        const char* saved;
        size_t startCalls;
    } cases[] = {{"Plug-in", 1}, {"plug-in", 0}, {"Plug-in ", 0}, {"", 0}};
    for (const auto& c : cases) {
        SetString(1118, c.saved, 364);
        Sheet().Reset();
        GCPSOSUI glue;
        EXPECT_EQ(-1, glue.AddPage(record, 0));
        const auto start = Sheet().Of(kSetStartPage);
        ASSERT_EQ(c.startCalls, start.size()) << '"' << c.saved << '"';
        if (!start.empty()) {
            EXPECT_EQ(0x1000, start[0].first);
        }
        glue.FreePage(record);
    }
}

TEST_F(SheetGlue, ThePageCallbackMarksCreationAndRelease)
{
    SetPlugIns({"qzuiplug.dll"});
    GCPSOSUI glue;
    ASSERT_EQ(-1, glue.AddPage(record, 0));
    QZPageEntry* page = &record->guiData->pages[0];
    EXPECT_EQ(1u, GCPSOSUI::PropPageCallback(nullptr, PSPCB_CREATE, page));
    EXPECT_EQ(1u, LinkOf(*page)->created);
    EXPECT_EQ(0u, LinkOf(*page)->released);
    EXPECT_EQ(0u, GCPSOSUI::PropPageCallback(nullptr, PSPCB_RELEASE, page));
    EXPECT_EQ(1u, LinkOf(*page)->released);
    EXPECT_EQ(record->guiData->settings, record->settings);
    glue.FreePage(record);
}

TEST_F(SheetGlue, TheManualDuplexModeFillsOneEntryAndFreePageDestroysOnce)
{
    SetPlugIns({"qzuiplug.dll"});
    const std::vector<int> before = Counts();
    GCPSOSUI glue;
    // Without a sheet callback the glue would run its own sheet; the stand-in fills no
    // entry in this mode, so nothing is offered either way.
    record->pfnComPropSheet = reinterpret_cast<void*>(&RecordingComPropSheet::Callback);
    EXPECT_EQ(0, glue.AddPage(record, GCPSOSUI::kModalMode));
    const std::vector<int> after = Counts();
    EXPECT_EQ(before[0] + 1, after[0]) << "the first plug-in's UI_INITIALIZE only, once";
    EXPECT_EQ(0x789A, after[4]);
    ASSERT_NE(nullptr, record->guiData);
    EXPECT_EQ(1, record->guiData->pageCount);
    glue.FreePage(record);
    EXPECT_EQ(before[1] + 1, Counts()[1]);
    EXPECT_EQ(nullptr, record->guiData);
}

TEST_F(SheetGlue, ConfigToSettingsAnswersTheLastNonZeroResult)
{
    SetPlugIns({"qzuiplug.dll"});
    GCPSOSUI glue;
    GUIData data = {};
    data.size = 60;
    data.settings = Root();
    EXPECT_EQ(0, glue.ConfigToSettings(&data));
    Env("QZUIPLUG_CONFIGRESULT", "5");
    EXPECT_EQ(5, glue.ConfigToSettings(&data));
}

TEST_F(SheetGlue, TheHookBeforeInitialisationAndWithoutCallbackIsHarmless)
{
    GUIData data = {};
    data.request = record;
    record->pfnComPropSheet = nullptr;
    NMHDR apply = {nullptr, 0, UINT(PSN_APPLY)};
    // No window, so no entry kept yet (WM_SETFONT comes before WM_INITDIALOG).
    EXPECT_EQ(0, GCPSOSUI::DlgProcHook(nullptr, WM_SETFONT, 0, 0, &data));
    EXPECT_EQ(0, GCPSOSUI::DlgProcHook(nullptr, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply), &data));
    EXPECT_EQ(1, record->applied);
    EXPECT_EQ(0, GCPSOSUI::DlgProcHook(nullptr, WM_NOTIFY, 0, 0, &data));
    EXPECT_EQ(0, GCPSOSUI::DlgProcHook(nullptr, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply), nullptr));
}

// A dialog-class window that keeps a page entry in DWLP_USER, as the page procedure does.
struct PageWindow {
    explicit PageWindow(QZPageEntry* entry)
    {
        parent = CreateWindowExW(0, L"#32770", L"Printing Preferences", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
        window = CreateWindowExW(0, L"#32770", L"", WS_CHILD, 0, 0, 50, 50, parent, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(entry));
    }
    ~PageWindow()
    {
        DestroyWindow(window);
        DestroyWindow(parent);
    }
    std::wstring ParentTitle() const
    {
        wchar_t text[256] = {};
        GetWindowTextW(parent, text, 256);
        return text;
    }
    HWND parent;
    HWND window;
};

TEST_F(SheetGlue, ApplyReportsResultOneForThePageAndKillActiveStoresItsTitle)
{
    SetPlugIns({"qzuiplug.dll"});
    GCPSOSUI glue;
    ASSERT_EQ(-1, glue.AddPage(record, 0));
    GUIData* data = record->guiData;
    PageWindow page(&data->pages[0]);
    ASSERT_NE(nullptr, page.window);
    Sheet().Reset();
    NMHDR apply = {page.window, 0, UINT(PSN_APPLY)};
    GCPSOSUI::DlgProcHook(page.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply), data);
    EXPECT_EQ(1, record->applied);
    const auto results = Sheet().Of(kSetResult);
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ(0x1000, results[0].first);
    EXPECT_EQ(1, results[0].second);

    NMHDR leave = {page.window, 0, UINT(PSN_KILLACTIVE)};
    GCPSOSUI::DlgProcHook(page.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&leave), data);
    EXPECT_EQ("Plug-in", String(1118));
    glue.FreePage(record);
}

// The sheet sends the apply to each page it made, in order: the result is asked for once,
// at the last page made, and when it reached no one OK's commit runs there, once.
TEST_F(SheetGlue, ARoundOfAppliesAsksForTheResultOnceAndCommitsWhenItReachedNoOne)
{
    SetPlugIns({"qzuiplug.dll"});
    Env("QZUIPLUG_PAGES", "3");
    GCPSOSUI glue;
    int commits = 0;
    glue.SetUnreportedApply([&commits] { ++commits; });
    ASSERT_EQ(-3, glue.AddPage(record, 0));
    GUIData* data = record->guiData;
    std::vector<std::unique_ptr<PageWindow>> pages;
    for (uint16_t i = 0; i < 2; ++i) {  // the third page was never shown
        pages.push_back(std::make_unique<PageWindow>(&data->pages[i]));
        LinkOf(data->pages[i])->hwnd = pages.back()->window;
    }
    Sheet().Reset();
    for (const auto& page : pages) {
        NMHDR apply = {page->window, 0, UINT(PSN_APPLY)};
        GCPSOSUI::DlgProcHook(page->window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply), data);
    }
    const auto results = Sheet().Of(kSetResult);
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ(0x1001, results[0].first) << "the last page made";
    EXPECT_EQ(1, commits) << "the recording sheet reached no one";
    glue.FreePage(record);
}

TEST_F(SheetGlue, TheTitleSuffixIsAddedOncePerGlueObject)
{
    SetPlugIns({"qzuiplug.dll"});
    ASSERT_FALSE(record->driverUI->GetResourceLibraryPath().IsNull()) << "the test printer names its resource library";
    Env("QZUIPLUG_PAGES", "2");
    {
        GCPSOSUI glue;
        ASSERT_EQ(-2, glue.AddPage(record, 0));
        GUIData* data = record->guiData;
        PageWindow first(&data->pages[0]);
        GCPSOSUI::DlgProcHook(first.window, WM_INITDIALOG, 0, 0, data);
        EXPECT_EQ(L"Printing Preferences - Colour Laser", first.ParentTitle());
        EXPECT_EQ(first.window, LinkOf(data->pages[0])->hwnd);
        SetWindowTextW(first.parent, L"Printing Preferences");
        GCPSOSUI::DlgProcHook(first.window, WM_INITDIALOG, 0, 0, data);
        EXPECT_EQ(L"Printing Preferences", first.ParentTitle()) << "a second page adds nothing";
        glue.FreePage(record);
    }
    GCPSOSUI again;
    ASSERT_EQ(-2, again.AddPage(record, 0));
    PageWindow next(&record->guiData->pages[1]);
    GCPSOSUI::DlgProcHook(next.window, WM_INITDIALOG, 0, 0, record->guiData);
    EXPECT_EQ(L"Printing Preferences - Colour Laser", next.ParentTitle()) << "a new glue object adds it once more";
    again.FreePage(record);
}

TEST_F(SheetGlue, ALongSheetTitleKeepsEightyCharactersBeforeTheSuffix)
{
    SetPlugIns({"qzuiplug.dll"});
    GCPSOSUI glue;
    ASSERT_EQ(-1, glue.AddPage(record, 0));
    PageWindow page(&record->guiData->pages[0]);
    const std::wstring longTitle(300, L'x');
    SetWindowTextW(page.parent, longTitle.c_str());
    GCPSOSUI::DlgProcHook(page.window, WM_INITDIALOG, 0, 0, record->guiData);
    EXPECT_EQ(std::wstring(80, L'x') + L" - Colour Laser", page.ParentTitle());
    glue.FreePage(record);
}

}  // namespace
