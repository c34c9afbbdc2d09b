// The page builders without windows: what each page and sub-dialog is made of, the
// writer's Print Quality Details, the previews, the job-storage notice switch and the
// page entries.
#include "SheetFixture.h"

#include "model/GFeatureIds.h"
#include "model/GRangeAttribute.h"
#include "pdl/pcl5e/GPcl5e.h"
#include "pdl/pjl_xl/GCheetah.h"
#include "pdl/postscript/GPostScript.h"
#include "printer/GFormToTrayDatabase.h"
#include "printer/GOSFactory.h"
#include "ui/framework/GPropertyPage.h"
#include "ui/framework/GSheetContext.h"
#include "ui/framework/ResourceLibrary.h"
#include "ui/pages/PageBuilders.h"
#include "ui/pages/PageControls.h"

#include <algorithm>
#include <cwchar>
#include <malloc.h>
#include <functional>
#include <memory>

namespace {

class PageBuilding : public SheetFixture {
protected:
    void SetUp() override
    {
        SheetFixture::SetUp();
        data.size = 60;
        data.driverUI = record->driverUI;
        data.settings = record->settings;
        data.printer = record->printer;
        data.pageSet = 3;
        data.hook = &GCPSOSUI::DlgProcHook;
        data.request = record;
        link = {28, nullptr, nullptr, &data, 0, 0, nullptr};
        entry.dwSize = 40;
        entry.lParam = reinterpret_cast<LPARAM>(&link);
        ASSERT_EQ(1, ResourceLibrary::LoadResourceLibrary((TestPrinter::ProgramFolder() + L"\\qzres32.dll").c_str()));
        context.reset(new GSheetContext(&data));
    }
    void TearDown() override
    {
        page.reset();
        context.reset();
        std::free(const_cast<wchar_t*>(entry.pszTitle));
        ResourceLibrary::ReleaseResourceLibrary();
        SheetFixture::TearDown();
    }

    void FreeTitle()
    {
        std::free(const_cast<wchar_t*>(entry.pszTitle));
        entry.pszTitle = nullptr;
    }
    // Every control of the dialog and of the sub-dialogs its buttons open, depth first.
    static void ForEachControl(const GDialogBase* dialog, const std::function<void(GDialogControl*)>& visit)
    {
        for (size_t i = 0; i < dialog->ControlCount(); ++i) {
            GDialogControl* control = dialog->GetControl(i);
            visit(control);
            if (auto* feature = dynamic_cast<GFeatureControl*>(control))
                if (feature->GetDialog())
                    ForEachControl(feature->GetDialog(), visit);
        }
        for (size_t i = 0; i < dialog->SubDialogCount(); ++i)
            ForEachControl(dialog->GetSubDialog(i), visit);
    }
    template <class C>
    static size_t Count(const GDialogBase* dialog)
    {
        size_t count = 0;
        ForEachControl(dialog, [&](GDialogControl* control) { count += dynamic_cast<C*>(control) ? 1 : 0; });
        return count;
    }
    template <class C>
    static size_t CountOwn(const GDialogBase* dialog)
    {
        size_t count = 0;
        for (size_t i = 0; i < dialog->ControlCount(); ++i)
            count += dynamic_cast<C*>(dialog->GetControl(i)) ? 1 : 0;
        return count;
    }
    // The sub-dialog of the page's button control of the class.
    template <class C>
    static GModalDialog* DialogOf(const GDialogBase* dialog)
    {
        for (size_t i = 0; i < dialog->ControlCount(); ++i)
            if (auto* control = dynamic_cast<C*>(dialog->GetControl(i)))
                if (control->GetKind() == GFeatureControl::kButton)
                    return control->GetDialog();
        return nullptr;
    }
    static std::vector<int32_t> NoticeItems(const GDialogBase* dialog)
    {
        std::vector<int32_t> items;
        for (size_t i = 0; i < dialog->ControlCount(); ++i)
            if (auto* notice = dynamic_cast<GConflictNoticeButton*>(dialog->GetControl(i)))
                items.push_back(notice->GetItems()[0].itemId);
        return items;
    }

    GUIData data = {};
    PageLink link = {};
    QZPageEntry entry = {};
    std::unique_ptr<GSheetContext> context;
    std::unique_ptr<GPropertyPage> page;
};

TEST_F(PageBuilding, APclXlWriterGivesDetailsDialog9000WithRasterCompressionAndNoRenderingMode)
{
    GCheetah writer;
    page.reset(PageBuilders::BuildFinishing(&entry, context.get(), true, &writer));
    GModalDialog* details = DialogOf<GQualityCurrentSettingControl>(page.get());
    ASSERT_NE(nullptr, details);
    EXPECT_EQ(9000, details->GetDialogId());
    EXPECT_EQ(332u, details->GetHelpId());
    EXPECT_EQ(1u, CountOwn<GRasterCompressionControl>(details));
    EXPECT_EQ(0u, CountOwn<GSendAsRasterControl>(details));
    EXPECT_EQ(std::vector<int32_t>({3023}), NoticeItems(details));
}

TEST_F(PageBuilding, APcl5eWriterGivesDetailsDialog13001WithRenderingModeAndItsNotices)
{
    GPcl5e writer;
    page.reset(PageBuilders::BuildFinishing(&entry, context.get(), true, &writer));
    GModalDialog* details = DialogOf<GQualityCurrentSettingControl>(page.get());
    ASSERT_NE(nullptr, details);
    EXPECT_EQ(13001, details->GetDialogId());
    EXPECT_EQ(1u, CountOwn<GSendAsRasterControl>(details));
    EXPECT_EQ(0u, CountOwn<GRasterCompressionControl>(details));
    EXPECT_EQ(std::vector<int32_t>({7074, 3023, 9033, 9034}), NoticeItems(details));
    // 9034 comes after the help-id table; the rendering mode's items are in it.
    const std::vector<DWORD>& help = details->GetHelpIdTable();
    EXPECT_NE(help.end(), std::find(help.begin(), help.end(), DWORD(9021)));
}

TEST_F(PageBuilding, AnotherWriterHasNoDetailsDialogAndItsButtonDoesNothing)
{
    GPostScript writer;
    for (GObjectBase* w : {static_cast<GObjectBase*>(&writer), static_cast<GObjectBase*>(nullptr)}) {
        page.reset(PageBuilders::BuildFinishing(&entry, context.get(), true, w));
        EXPECT_EQ(nullptr, DialogOf<GQualityCurrentSettingControl>(page.get()));
        std::free(const_cast<wchar_t*>(entry.pszTitle));
        entry.pszTitle = nullptr;
    }
}

TEST_F(PageBuilding, EveryDocumentPageButJobStorageHasOnePreviewAndWatermarkDetailsOneMore)
{
    GCheetah writer;
    const struct {
        const char* name;
        std::function<GPropertyPage*()> build;
        size_t onPage, inAll;
    } cases[] = {
        {"Basics", [&] { return PageBuilders::BuildBasics(&entry, context.get(), true); }, 1, 1},
        {"Finishing", [&] { return PageBuilders::BuildFinishing(&entry, context.get(), true, &writer); }, 1, 1},
        {"Effects", [&] { return PageBuilders::BuildEffects(&entry, context.get(), true); }, 1, 2},
        {"Paper", [&] { return PageBuilders::BuildPaper(&entry, context.get(), true); }, 1, 1},
        {"Output", [&] { return PageBuilders::BuildOutput(&entry, context.get(), true); }, 1, 1},
        {"Job Storage", [&] { return PageBuilders::BuildJobStorage(&entry, context.get(), true); }, 0, 0},
        {"Color", [&] { return PageBuilders::BuildColor(&entry, context.get(), true, &writer); }, 1, 1},
        {"NT Forms", [&] { return PageBuilders::BuildNTForms(&entry, context.get(), true); }, 0, 0},
        {"Configure", [&] { return PageBuilders::BuildConfigure(&entry, context.get(), true); }, 0, 0},
    };
    for (const auto& c : cases) {
        page.reset(c.build());
        ASSERT_NE(nullptr, page) << c.name;
        EXPECT_EQ(c.onPage, CountOwn<GPagePreviewControl>(page.get())) << c.name;
        EXPECT_EQ(c.inAll, Count<GPagePreviewControl>(page.get())) << c.name;
        const bool document = c.onPage || std::string(c.name) == "Job Storage";
        EXPECT_EQ(document ? 1u : 0u, CountOwn<GQuicksetControl>(page.get())) << c.name;
        EXPECT_EQ(1u, CountOwn<GAboutButton>(page.get()) - (std::string(c.name) == "Basics" ? 1 : 0)) << c.name;
        std::free(const_cast<wchar_t*>(entry.pszTitle));
        entry.pszTitle = nullptr;
    }
}

TEST_F(PageBuilding, TheDocumentTailEndsWithTwoNoticesOfKindOneOnTheSameRule)
{
    page.reset(PageBuilders::BuildBasics(&entry, context.get(), true));
    const size_t n = page->ControlCount();
    ASSERT_GE(n, 2u);
    for (size_t i = n - 2; i < n; ++i) {
        auto* notice = dynamic_cast<GConflictNoticeButton*>(page->GetControl(i));
        ASSERT_NE(nullptr, notice);
        EXPECT_EQ(1u, notice->GetNoticeKind());
        auto* feature = dynamic_cast<GConflictNoticeFeature*>(notice->GetBinding());
        ASSERT_NE(nullptr, feature);
        EXPECT_EQ(0x4000009Du, feature->GetRuleKey());
        EXPECT_EQ(0x4000009Eu, feature->GetMessageKey());
        EXPECT_FALSE(notice->IsShown()) << "no rule locks anything yet";
    }
    EXPECT_EQ(1013, page->GetControl(n - 2)->GetItems()[0].itemId);
    EXPECT_EQ(1015, page->GetControl(n - 1)->GetItems()[0].itemId);
}

TEST_F(PageBuilding, TrayPicturesAnswerClicksUnlessTheFormTableHoldsTheUsersOwn)
{
    auto flagOf = [](const GDialogBase* page) {
        for (size_t i = 0; i < page->ControlCount(); ++i)
            if (auto* picture = dynamic_cast<GClickableBitmapControl*>(page->GetControl(i)))
                return int(picture->GetFlag());
        return -1;
    };
    // The printer's device settings hold the table; one in the sheet's tree counts for
    // nothing.
    auto* installed = new GState(FeatureId::kDeviceSettings);
    data.driverUI->SetInstalledState(installed);
    auto* own = new GFormToTrayDatabase(FeatureId::kFormToTrayDatabase);
    own->SetAssociation(1, 2, 3);
    delete Root()->RemoveById(FeatureId::kFormToTrayDatabase);
    Root()->Add(own);
    FreeTitle();
    page.reset(PageBuilders::BuildPaper(&entry, context.get(), true));
    EXPECT_EQ(1, flagOf(page.get())) << "no form table";
    auto* table = new GFormToTrayDatabase(FeatureId::kFormToTrayDatabase);
    installed->Add(table);
    FreeTitle();
    page.reset(PageBuilders::BuildPaper(&entry, context.get(), true));
    EXPECT_EQ(1, flagOf(page.get())) << "only default assignments";
    table->SetAssociation(1, 2, 3);
    FreeTitle();
    page.reset(PageBuilders::BuildPaper(&entry, context.get(), true));
    EXPECT_EQ(0, flagOf(page.get())) << "the user's own assignment";
    FreeTitle();
    page.reset(PageBuilders::BuildOutput(&entry, context.get(), true));
    EXPECT_EQ(1, flagOf(page.get()));
    FreeTitle();
    page.reset(PageBuilders::BuildConfigure(&entry, context.get(), true));
    EXPECT_EQ(0, flagOf(page.get()));
    delete Root()->RemoveById(FeatureId::kFormToTrayDatabase);
    data.driverUI->SetInstalledState(nullptr);
}

class LocalJobStorage : public PageBuilding {
protected:
    void SetUp() override
    {
        PageBuilding::SetUp();
        data.driverUI->GetJobStorageKey(key);
        services = GOSFactory::Instance();
        ASSERT_NE(nullptr, services);
        previous = services->GetUserDword(key, L"LocalJobStorage", 0xFFFF);
        if (!GDriverObject::Feature<GValueAttribute>(Root(), FeatureId::kJobStorageFirstUse))
            Node(364)->Add(new GValueAttribute(7, FeatureId::kJobStorageFirstUse));
    }
    void TearDown() override
    {
        // An absent value is not the same as 0 to the document events: take it away again.
        if (previous == 0xFFFF)
            RegDeleteKeyValueW(HKEY_CURRENT_USER, key.Data(), L"LocalJobStorage");
        else
            services->SetUserDword(key, L"LocalJobStorage", previous);
        PageBuilding::TearDown();
    }
    RWWString key;
    GOSFactory* services = nullptr;
    uint32_t previous = 0;
};

TEST_F(LocalJobStorage, TheUsersSwitchSetsTheNotificationBeforeThePageIsBuilt)
{
    const struct {
        uint32_t local;
        uint16_t expected;
    } cases[] = {{1, 0}, {0, 1}, {2, 0}};
    for (const auto& c : cases) {
        ASSERT_EQ(1, services->SetUserDword(key, L"LocalJobStorage", c.local));
        page.reset(PageBuilders::BuildJobStorage(&entry, context.get(), true));
        EXPECT_EQ(c.expected, Value(FeatureId::kJobStorageFirstUse)) << c.local;
        std::free(const_cast<wchar_t*>(entry.pszTitle));
        entry.pszTitle = nullptr;
    }
}

TEST_F(PageBuilding, EntriesNameTheResourceLibraryTheTemplateHelpAndTheTitle)
{
    const struct {
        std::function<GPropertyPage*()> build;
        uintptr_t dialog;
        const wchar_t* title;
    } cases[] = {
        {[&] { return PageBuilders::BuildBasics(&entry, context.get(), true); }, 1000, L"Basics"},
        {[&] { return PageBuilders::BuildPaper(&entry, context.get(), true); }, 2000, L"Paper"},
        {[&] { return PageBuilders::BuildJobStorage(&entry, context.get(), true); }, 15000, L"Job Retention"},
        {[&] { return PageBuilders::BuildConfigure(&entry, context.get(), true); }, 7000, nullptr},
    };
    for (const auto& c : cases) {
        entry.dwFlags = 0;
        page.reset(c.build());
        EXPECT_EQ(ResourceLibrary::GetResourceLibrary(), entry.hInstance);
        EXPECT_EQ(c.dialog, reinterpret_cast<uintptr_t>(entry.pszTemplate));
        EXPECT_FALSE(entry.dwFlags & PSP_HASHELP) << "no help file beside the module";
        EXPECT_EQ(page.get(), link.page);
        if (c.title)
            EXPECT_STREQ(c.title, entry.pszTitle);
        else
            EXPECT_EQ(nullptr, entry.pszTitle) << "device pages show their dialog's caption";
        std::free(const_cast<wchar_t*>(entry.pszTitle));
        entry.pszTitle = nullptr;
    }
}

TEST_F(PageBuilding, EachPageBuildsItsHelpTableButOutputLeavesItToTheCaller)
{
    GCheetah writer;
    page.reset(PageBuilders::BuildFinishing(&entry, context.get(), true, &writer));
    const std::vector<DWORD>& help = page->GetHelpIdTable();
    ASSERT_GE(help.size(), 4u);
    EXPECT_EQ(3011u, help[0]);
    EXPECT_EQ(302u, help[1]);
    EXPECT_EQ(0u, help[help.size() - 1]);
    std::free(const_cast<wchar_t*>(entry.pszTitle));
    entry.pszTitle = nullptr;
    page.reset(PageBuilders::BuildOutput(&entry, context.get(), true));
    EXPECT_TRUE(page->GetHelpIdTable().empty());
}

TEST(PageControls, ControlsWithoutABindingReadZeroAndWriteNothing)
{
    const DialogItem items[] = {{3011, 302}, {0, 0}};
    GBothSidesControl control(nullptr, items);
    EXPECT_EQ(nullptr, control.GetBinding());
    EXPECT_EQ(0, control.OnMessage(nullptr, WM_INITDIALOG, 0, 0));
    EXPECT_EQ(0, control.OnMessage(nullptr, WM_COMMAND, MAKEWPARAM(3011, BN_CLICKED), 0));
    GConflictNoticeButton notice(nullptr, items, 0);
    EXPECT_FALSE(notice.IsShown());
    GValueFeature unbound(nullptr, 253);
    uint16_t value = 9;
    EXPECT_EQ(0, unbound.Read(value));
    EXPECT_EQ(0, value);
    EXPECT_EQ(0, unbound.Write(1));
}

TEST(AboutBox, ListsEveryExtensionWhenThePrinterTakesThem)
{
    GAttributeComposite configuration(0);
    auto* support = new GValueAttribute(0, FeatureId::kExtensionEnable);
    configuration.Add(support);
    GAttributeComposite settings(0);
    auto* container = new GAttributeComposite(FeatureId::kExtensionContainer);
    auto* list = new GAttributeComposite(FeatureId::kExtensionDescriptorList);
    auto* entry = new GAttributeComposite(0);
    entry->Add(new GStringAttribute("Stamp", FeatureId::kExtensionName));
    entry->Add(new GStringAttribute("1.2", FeatureId::kExtensionText2));
    entry->Add(new GStringAttribute("Stamps pages", FeatureId::kExtensionText1));
    entry->Add(new GStringAttribute("full", FeatureId::kExtensionText3));
    entry->Add(new GStringAttribute("Example Ltd", FeatureId::kExtensionText4));
    list->Add(entry);
    container->Add(list);
    settings.Add(container);
    EXPECT_TRUE(GAboutFeature::ExtensionText(&configuration, &settings).IsNull()) << "984 is 0: none";
    support->SetValue(1);
    const RWWString text = GAboutFeature::ExtensionText(&configuration, &settings);
    EXPECT_STREQ(L"----------------------------------------\r\nStamp   1.2\r\n   Stamps pages\r\n"
                 L"   Extension support: full\r\n   Example Ltd\r\n",
                 text.Data());
    EXPECT_TRUE(GAboutFeature::ExtensionText(nullptr, &settings).IsNull());
}

TEST_F(PageBuilding, TitlesAreHeapBlocksOfTheAllocatorTheGlueFreesWith)
{
    // The glue releases every title of our pages with free(): a title must be a block of
    // that heap, of (length * 2 + 2) bytes.
    wchar_t* title = PageBuilders::CopyTitle(1053);
    ASSERT_NE(nullptr, title);
    EXPECT_STREQ(L"Paper", title);
    EXPECT_EQ(std::wcslen(title) * 2 + 2, _msize(title));
    std::free(title);
    wchar_t* missing = PageBuilders::CopyTitle(59999);
    ASSERT_NE(nullptr, missing) << "a missing string gives an empty title, not none";
    EXPECT_STREQ(L"", missing);
    std::free(missing);
}

TEST(SettingsView, RangeSettingsAreReadWrittenWithinTheirBoundsAndRolledBack)
{
    GAttributeComposite tree(0);
    tree.Add(new GRangeAttribute(1, 999, 1, 1, 291));
    tree.Add(new GValueAttribute(0, 382));
    GSettingsView view(&tree);
    uint16_t value = 0;
    EXPECT_EQ(1, view.GetValue(291, value));
    EXPECT_EQ(1, value);
    view.BeginTransaction();
    EXPECT_EQ(1, view.SetValue(291, 5));
    EXPECT_EQ(1, view.SetValue(382, 1));
    EXPECT_EQ(1, view.SetValue(291, 1000)) << "the range keeps its bound";
    view.GetValue(291, value);
    EXPECT_EQ(999, value);
    EXPECT_EQ(3u, view.PendingChanges());
    view.Rollback();
    view.GetValue(291, value);
    EXPECT_EQ(1, value) << "the first old value comes back";
    view.GetValue(382, value);
    EXPECT_EQ(0, value);
    EXPECT_EQ(0, view.SetValue(292, 1)) << "absent";
    EXPECT_EQ(0, view.GetValue(292, value));
    EXPECT_EQ(0, value);
}

}  // namespace
