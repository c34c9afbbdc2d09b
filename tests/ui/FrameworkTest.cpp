// The property-sheet framework on its own: the counted resource library, the settings
// view's transactions, controls and help tables, the page procedure, the modal dialog.
#include "BoundedWait.h"
#include "TestPrinter.h"
#include "entry/module/ModuleLifetime.h"
#include "entry/sheet/GCPSOSUI.h"
#include "model/GAttributeComposite.h"
#include "model/GRangeAttribute.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "ui/framework/GModalDialog.h"
#include "ui/framework/GPropertyPage.h"
#include "ui/framework/GSheetContext.h"
#include "ui/framework/GTimedDialog.h"
#include "ui/framework/ResourceLibrary.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

std::wstring LibraryPath() { return TestPrinter::ProgramFolder() + L"\\qzres32.dll"; }

// Holds one reference of the resource library for a test.
struct LibraryReference {
    LibraryReference() { loaded = ResourceLibrary::LoadResourceLibrary(LibraryPath().c_str()); }
    ~LibraryReference()
    {
        if (loaded)
            ResourceLibrary::ReleaseResourceLibrary();
    }
    int loaded;
};

TEST(ResourceLibraryService, LoadsAreCountedAndTheLastReleaseFrees)
{
    const uint32_t before = ResourceLibrary::ReferenceCount();
    ASSERT_EQ(1, ResourceLibrary::LoadResourceLibrary(LibraryPath().c_str()));
    ASSERT_EQ(1, ResourceLibrary::LoadResourceLibrary(L"ignored once loaded"));
    EXPECT_EQ(before + 2, ResourceLibrary::ReferenceCount());
    RWWString text;
    EXPECT_EQ(1, ResourceLibrary::LoadResourceString(1053, text));
    EXPECT_EQ(RWWString(L"Paper"), text);
    EXPECT_EQ(0, ResourceLibrary::LoadResourceString(59999, text));
    EXPECT_TRUE(text.IsNull());
    ResourceLibrary::ReleaseResourceLibrary();
    EXPECT_NE(nullptr, ResourceLibrary::GetResourceLibrary());
    ResourceLibrary::ReleaseResourceLibrary();
    if (before == 0) {
        EXPECT_EQ(nullptr, ResourceLibrary::GetResourceLibrary());
        ResourceLibrary::ReleaseResourceLibrary();  // one too many does nothing
        EXPECT_EQ(0u, ResourceLibrary::ReferenceCount());
    }
    EXPECT_EQ(0, before == 0 ? ResourceLibrary::LoadResourceLibrary(L"Z:\\no\\such.dll") : 0);
}

// Sheets on several threads load and release at once: every load is counted, the library
// stays while one is held, and the count ends where it began.
TEST(ResourceLibraryService, ThreadsLoadingAndReleasingAtOnceKeepTheCount)
{
    const uint32_t before = ResourceLibrary::ReferenceCount();
    const std::wstring path = LibraryPath();
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 16; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                if (ResourceLibrary::LoadResourceLibrary(path.c_str()) != 1 || !ResourceLibrary::GetResourceLibrary()) {
                    ++failures;
                    continue;
                }
                ResourceLibrary::ReleaseResourceLibrary();
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, failures.load());
    EXPECT_EQ(before, ResourceLibrary::ReferenceCount());
    EXPECT_EQ(before != 0, ResourceLibrary::GetResourceLibrary() != nullptr);
}

std::unique_ptr<GAttributeComposite> Tree()
{
    std::unique_ptr<GAttributeComposite> tree(new GAttributeComposite(0));
    tree->Add(new GValueAttribute(1, 253));
    tree->Add(new GValueAttribute(4, 265));
    return tree;
}

TEST(SettingsView, ChangesInATransactionRollBackToTheirFirstValue)
{
    auto tree = Tree();
    GSettingsView view(tree.get());
    uint16_t value = 9;
    EXPECT_EQ(0, view.GetValue(999, value));
    EXPECT_EQ(0, value);
    EXPECT_EQ(0, view.SetValue(999, 1)) << "an absent feature is not made";
    view.BeginTransaction();
    EXPECT_EQ(1, view.SetValue(253, 2));
    EXPECT_EQ(1, view.SetValue(253, 3));
    EXPECT_EQ(1, view.SetValue(265, 4)) << "no change, nothing journaled";
    EXPECT_EQ(2u, view.PendingChanges());
    view.Rollback();
    view.GetValue(253, value);
    EXPECT_EQ(1, value);
    view.BeginTransaction();
    view.SetValue(253, 7);
    view.Commit();
    view.GetValue(253, value);
    EXPECT_EQ(7, value);
    RWWString text(L"x");
    EXPECT_EQ(0, view.GetStringW(316, text));
    EXPECT_TRUE(text.IsNull());
}

TEST(DialogControls, TheItemTableEndsAtZeroZeroAndTheBindingMayBeNull)
{
    const DialogItem items[] = {{2070, -1}, {1, 1302}, {0, 0}, {5, 5}};
    GDialogControl control(nullptr, items);
    ASSERT_EQ(2u, control.GetItems().size());
    GDialogBase dialog(7400, nullptr, true, 1218);
    dialog.AddControl(new GDialogControl(nullptr, items));
    dialog.AddControl(nullptr);
    dialog.BuildHelpIdTable();
    const std::vector<DWORD> expected = {1, 1302, 0, 0};
    EXPECT_EQ(expected, dialog.GetHelpIdTable());
    EXPECT_EQ(1u, dialog.ControlCount());
}

// A hook that counts what reaches it.
uint32_t hookCalls = 0;
uint32_t hookInitDialogs = 0;
uint16_t WINAPI CountingHook(HWND, UINT message, WPARAM, LPARAM, GUIData*)
{
    ++hookCalls;
    hookInitDialogs += message == WM_INITDIALOG;
    return 0;
}

// A control that checks, at WM_INITDIALOG, that the entry is already kept in DWLP_USER.
struct EntryCheck : GDialogControl {
    explicit EntryCheck(QZPageEntry* expected) : GDialogControl(nullptr, nullptr), expected(expected) {}
    int OnMessage(HWND window, UINT message, WPARAM, LPARAM) override
    {
        if (message == WM_INITDIALOG)
            sawEntry = reinterpret_cast<QZPageEntry*>(GetWindowLongPtrW(window, DWLP_USER)) == expected;
        return 0;
    }
    QZPageEntry* expected;
    bool sawEntry = false;
};

TEST(PropertyPages, ThePageProcedureKeepsTheEntryBeforeInitialisingAndFeedsTheHook)
{
    LibraryReference library;
    ASSERT_TRUE(library.loaded);
    GUIData data = {};
    data.size = 60;
    data.hook = &CountingHook;
    GSheetContext context(&data);
    context.AddRule(new GConflictRule(&context, 0x40000001));
    context.AddRule(new GConflictRule(&context, 0x40000002));
    context.AddRule(nullptr);
    QZPageEntry entry = {};
    entry.dwSize = 40;
    PageLink link = {28, nullptr, nullptr, &data, 0, 0, nullptr};
    entry.lParam = reinterpret_cast<LPARAM>(&link);
    auto* page = new GPropertyPage(&entry, ResourceLibrary::GetResourceLibrary(), 2000, &context, true,
                                   200);
    std::unique_ptr<GPropertyPage> owned(page);
    auto* check = new EntryCheck(&entry);
    page->AddControl(check);
    EXPECT_EQ(page, link.page);
    EXPECT_EQ(reinterpret_cast<LPCWSTR>(2000), entry.pszTemplate);
    EXPECT_FALSE(entry.dwFlags & PSP_HASHELP) << "no help file beside the module: the sheet offers no Help";
    hookCalls = hookInitDialogs = 0;
    // Page templates are child dialogs: they need a parent.
    HWND parent = CreateWindowExW(0, L"#32770", L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND window = CreateDialogParamW(ResourceLibrary::GetResourceLibrary(), entry.pszTemplate, parent,
                                     entry.pfnDlgProc, reinterpret_cast<LPARAM>(&entry));
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(check->sawEntry);
    EXPECT_EQ(1u, hookInitDialogs);
    SendMessageW(window, WM_USER + 5, 0, 0);
    const uint32_t before = hookCalls;
    SendMessageW(window, WM_USER + 6, 0, 0);
    EXPECT_EQ(before + 1, hookCalls) << "every page message reaches the hook";
    EXPECT_EQ(2u, context.Evaluations()) << "the rules are evaluated once, at the first message";
    DestroyWindow(window);
    DestroyWindow(parent);
}

// A control that changes a setting on a message of its own, and sends that message to its
// page at WM_INITDIALOG, as a field's notice of its first text arrives.
const UINT kChangeMessage = WM_USER + 7;
struct ChangeOnMessage : GDialogControl {
    explicit ChangeOnMessage(GSheetContext* context) : GDialogControl(nullptr, nullptr), context(context) {}
    int OnMessage(HWND window, UINT message, WPARAM, LPARAM) override
    {
        if (message == WM_INITDIALOG)
            SendMessageW(window, kChangeMessage, 0, 0);
        if (message == kChangeMessage)
            context->GetSettings().SetValue(253, next++);
        return 0;
    }
    GSheetContext* context;
    uint16_t next = 10;
};

// The sheet's part: the pages whose changes it was told of. Wine's sheet ignores
// PSM_CHANGED while it makes a page, so the test is the page's parent itself.
std::vector<HWND> changedPages;
LRESULT CALLBACK RecordingParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PSM_CHANGED)
        changedPages.push_back(reinterpret_cast<HWND>(wParam));
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(PropertyPages, AChangeNestedInInitialisationIsNotReportedOneAfterIs)
{
    LibraryReference library;
    ASSERT_TRUE(library.loaded);
    auto tree = Tree();
    GUIData data = {};
    data.size = 60;
    data.settings = tree.get();
    GSheetContext context(&data);
    QZPageEntry entry = {};
    entry.dwSize = 40;
    PageLink link = {28, nullptr, nullptr, &data, 0, 0, nullptr};
    entry.lParam = reinterpret_cast<LPARAM>(&link);
    std::unique_ptr<GPropertyPage> page(
        new GPropertyPage(&entry, ResourceLibrary::GetResourceLibrary(), 2000, &context, false, 200));
    page->AddControl(new ChangeOnMessage(&context));
    WNDCLASSW parentClass = {};
    parentClass.lpfnWndProc = &RecordingParent;
    parentClass.hInstance = GetModuleHandleW(nullptr);
    parentClass.lpszClassName = L"QzRecordingSheet";
    RegisterClassW(&parentClass);
    HWND parent = CreateWindowExW(0, L"QzRecordingSheet", L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(nullptr, parent);
    changedPages.clear();
    const uint32_t before = context.GetSettings().Revision();
    HWND window = CreateDialogParamW(ResourceLibrary::GetResourceLibrary(), entry.pszTemplate, parent,
                                     entry.pfnDlgProc, reinterpret_cast<LPARAM>(&entry));
    ASSERT_NE(nullptr, window);
    EXPECT_NE(before, context.GetSettings().Revision()) << "the page changed the setting as it opened";
    EXPECT_TRUE(changedPages.empty());
    SendMessageW(window, kChangeMessage, 0, 0);
    EXPECT_EQ(std::vector<HWND>{window}, changedPages);
    DestroyWindow(window);
    DestroyWindow(parent);
}

// A control that changes a setting when the dialog opens and then presses a button.
struct ChangeAndPress : GDialogControl {
    ChangeAndPress(GSheetContext* context, WORD button) : GDialogControl(nullptr, nullptr), context(context), button(button) {}
    int OnMessage(HWND window, UINT message, WPARAM, LPARAM) override
    {
        if (message == WM_INITDIALOG) {
            context->GetSettings().SetValue(253, 9);
            PostMessageW(window, WM_COMMAND, button, 0);
        }
        return 0;
    }
    GSheetContext* context;
    WORD button;
};

TEST(ModalDialogs, OkKeepsAChangeAndCancelRollsItBack)
{
    LibraryReference library;
    ASSERT_TRUE(library.loaded);
    const struct {
        WORD button;
        uint16_t expected;
    } cases[] = {{IDOK, 9}, {IDCANCEL, 1}};
    for (const auto& c : cases) {
        auto tree = Tree();
        GUIData data = {};
        data.size = 60;
        data.settings = tree.get();
        GSheetContext context(&data);
        GModalDialog dialog(7400, &context, true, 1218);
        dialog.AddControl(new ChangeAndPress(&context, c.button));
        context.OpenTransaction(nullptr);
        EXPECT_EQ(INT_PTR(c.button), dialog.Run(nullptr, 1));
        uint16_t value = 0;
        context.GetSettings().GetValue(253, value);
        EXPECT_EQ(c.expected, value);
        EXPECT_FALSE(context.GetSettings().InTransaction());
    }
}

INT_PTR CALLBACK QuietProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(ResourceTemplates, TheDuplexInstructionsHoldTheirItems)
{
    LibraryReference library;
    ASSERT_TRUE(library.loaded);
    HWND window = CreateDialogParamW(ResourceLibrary::GetResourceLibrary(), MAKEINTRESOURCEW(7400), nullptr,
                                     &QuietProc, 0);
    ASSERT_NE(nullptr, window);
    for (int item : {2070, 2071, 2072, 7405, 1})
        EXPECT_NE(nullptr, GetDlgItem(window, item)) << item;
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    EXPECT_STREQ(L"Print on Both Sides Instructions", caption);
    DestroyWindow(window);
    for (int id : {1000, 2000, 3000, 6000, 7000, 12000, 14000, 15000, 16000, 11540})
        EXPECT_NE(nullptr, FindResourceW(ResourceLibrary::GetResourceLibrary(), MAKEINTRESOURCEW(id), RT_DIALOG)) << id;
}

}  // namespace

namespace {

TEST(TimedDialogs, TheNoticeClosesItselfOnItsOwnThreadAndTheCallerJoinsIt)
{
    LibraryReference library;
    ASSERT_TRUE(library.loaded);
    GTimedDialog notice(GTimedDialog::kJobStorageNotice, 1);
    HANDLE thread = notice.Start();
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 60000));
    CloseHandle(thread);
    EXPECT_EQ(0, notice.GetResult()) << "closed by its time-out";
    EXPECT_FALSE(notice.DontShowAgain());
}

TEST(TimedDialogs, WithoutTheResourceLibraryNothingIsShown)
{
    if (ResourceLibrary::GetResourceLibrary())
        GTEST_SKIP() << "the library is held elsewhere in this process";
    GTimedDialog notice(GTimedDialog::kJobStorageNotice, 1);
    HANDLE thread = notice.Start();
    ASSERT_NE(nullptr, thread);
    ASSERT_TRUE(Signalled(thread, "the notice thread's end"));
    CloseHandle(thread);
    EXPECT_EQ(-1, notice.GetResult());
}

}  // namespace

TEST(SettingsView, TextsAndBoundsAreReadWrittenCountedAndRolledBack)
{
    GAttributeComposite tree(0);
    tree.Add(new GStringAttribute("Plain", 261));
    tree.Add(new GRangeAttribute(10, 400, 1, 100, 269));
    tree.Add(new GValueAttribute(1, 291));
    GSettingsView view(&tree);
    int32_t minimum = 0, maximum = 0;
    EXPECT_EQ(1, view.GetBounds(269, minimum, maximum));
    EXPECT_EQ(10, minimum);
    EXPECT_EQ(400, maximum);
    EXPECT_EQ(0, view.GetBounds(291, minimum, maximum)) << "a plain value has no bounds";
    const uint32_t start = view.Revision();
    view.BeginTransaction();
    EXPECT_EQ(1, view.SetStringW(261, RWWString(L"Glossy")));
    EXPECT_EQ(1, view.SetValue(291, 1)) << "the same value";
    EXPECT_EQ(1, view.SetValue(269, 500)) << "kept at the bound";
    EXPECT_EQ(0, view.SetStringW(262, RWWString(L"Bond"))) << "absent";
    EXPECT_EQ(0, view.SetStringW(291, RWWString(L"Bond"))) << "not a text";
    EXPECT_EQ(start + 2, view.Revision()) << "only changes count";
    RWWString text;
    view.GetStringW(261, text);
    EXPECT_EQ(0, text.CompareTo(L"Glossy"));
    view.Rollback();
    view.GetStringW(261, text);
    EXPECT_EQ(0, text.CompareTo(L"Plain"));
    uint16_t value = 0;
    view.GetValue(269, value);
    EXPECT_EQ(100, value);
}

// The help file lies beside the module the system services name: the module's lifetime is
// begun for the test, whatever ran before it, and ended after it.
TEST(PropertyPages, ThePageOffersHelpOnlyWhileItsHelpFileIsThere)
{
    struct Attached {
        const BOOL attached = ModuleLifetime::Attach(GetModuleHandleW(nullptr), false);
        ~Attached()
        {
            if (attached)
                ModuleLifetime::Detach(false);
        }
    } module;
    ASSERT_TRUE(module.attached);
    LibraryReference library;
    ASSERT_TRUE(library.loaded);
    GUIData data = {};
    data.size = 60;
    const std::wstring helpFile = GSheetContext(&data).GetHelpFileName().Data();
    ASSERT_FALSE(helpFile.empty());
    for (bool present : {true, false}) {
        if (present)
            CloseHandle(CreateFileW(helpFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        GSheetContext context(&data);
        DeleteFileW(helpFile.c_str());
        EXPECT_EQ(present, context.HasHelpFile());
        QZPageEntry entry = {};
        entry.dwSize = 40;
        entry.dwFlags = PSP_HASHELP;
        GPropertyPage page(&entry, ResourceLibrary::GetResourceLibrary(), 2000, &context, true, 200);
        EXPECT_EQ(present, (entry.dwFlags & PSP_HASHELP) != 0) << present;
    }
}
