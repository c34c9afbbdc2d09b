// The rendering side of the extension host with the stand-in module really loaded: job
// data into the document commands' settings, page data as pass-through commands beside
// the page commands, modules in slot order, and stored extension lists that are not
// what the host writes.
#include "entry/extensions/GExtensionManager.h"
#include "entry/module/GUIOSFactory.h"
#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pdl/pjl_xl/GCheetah.h"
#include "model/GCommandComposite.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GPassThroughCommand.h"
#include "pipeline/filters/GAAFilter1.h"
#include "pipeline/filters/GAAFilter2.h"
#include "pipeline/filters/GReverseFilter.h"
#include "graphics/GGraphicBundle.h"
#include "graphics/GRectangleGraphic.h"
#include "model/GObjectIterator.h"
#include "printer/GDriverObject.h"
#include "printer/GPrinter.h"
#include "model/GState.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using Configure = void (*)(uint32_t, uint16_t);
using SetData = void (*)(uint32_t, const uint8_t*, uint16_t, uint16_t);
using CallLog = const char* (*)();
using OpenBlocks = uint32_t (*)();
using Reset = void (*)();

std::wstring ProgramFolder()
{
    wchar_t name[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, name, MAX_PATH);
    std::wstring path(name, length);
    return path.substr(0, path.find_last_of(L'\\'));
}

// The test's own hold on a stand-in module: it sets what the module supplies and reads
// its log; while held, the module keeps its settings across the host's loads.
class StandIn {
public:
    explicit StandIn(const wchar_t* name) : path_(ProgramFolder() + L"\\" + name), module_(LoadLibraryW(path_.c_str()))
    {
        if (module_)
            Call<Reset>("QZExtTest_Reset")();
    }
    ~StandIn() { Release(); }
    bool Loaded() const { return module_ != nullptr; }
    void Kinds(uint32_t kinds, uint16_t status = 0) { Call<Configure>("QZExtTest_Configure")(kinds, status); }
    void Data(uint32_t kind, const std::string& bytes, uint16_t status = 0)
    {
        Call<SetData>("QZExtTest_SetData")(kind, reinterpret_cast<const uint8_t*>(bytes.data()),
                                            uint16_t(bytes.size()), status);
    }
    std::string Log() { return Call<CallLog>("QZExtTest_Log")(); }
    uint32_t OpenBlocks() { return Call<::OpenBlocks>("QZExtTest_OpenBlocks")(); }
    void Release()
    {
        if (module_)
            FreeLibrary(module_);
        module_ = nullptr;
    }

private:
    template <class F>
    F Call(const char* name)
    {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }
    std::wstring path_;
    HMODULE module_;
};

// A registered extension as the settings tree keeps it.
GAttributeComposite* Entry(const std::string& name, const std::string& module, uint16_t index,
                           const std::string& text1 = "first", uint16_t flags = 0x8)
{
    GAttributeComposite* entry = new GAttributeComposite(0);
    entry->Add(new GStringAttribute(text1.c_str(), FeatureId::kExtensionText1));
    entry->Add(new GStringAttribute(name.c_str(), FeatureId::kExtensionName));
    entry->Add(new GStringAttribute("second", FeatureId::kExtensionText2));
    entry->Add(new GValueAttribute(flags, FeatureId::kExtensionFlags));
    entry->Add(new GStringAttribute("ui.dll", FeatureId::kExtensionUIModule));
    entry->Add(new GStringAttribute(module.c_str(), FeatureId::kExtensionRenderModule));
    entry->Add(new GStringAttribute("third", FeatureId::kExtensionText3));
    entry->Add(new GStringAttribute("fourth", FeatureId::kExtensionText4));
    entry->Add(new GValueAttribute(index, FeatureId::kExtensionIndex));
    return entry;
}

// Settings whose extension list holds the entries.
GObjectBase* SettingsWith(const std::vector<GAttributeComposite*>& entries)
{
    GAttributeComposite* root = new GAttributeComposite(1);
    GAttributeComposite* container = new GAttributeComposite(FeatureId::kExtensionContainer);
    GAttributeComposite* list = new GAttributeComposite(FeatureId::kExtensionDescriptorList);
    for (GAttributeComposite* entry : entries)
        list->Add(entry);
    container->Add(list);
    root->Add(container);
    return root;
}

// A printer that writes PCL XL.
GPrinter* PclXlPrinter()
{
    GPrinter* printer = new GPrinter("printer", nullptr, nullptr, 8);
    GCheetah().ApplyTo(*printer);
    return printer;
}

// A driver object whose settings hold the given extension entries and whose printer
// writes PCL XL.
class ExtensionDriver : public GDriverObject {
public:
    explicit ExtensionDriver(std::vector<GAttributeComposite*> entries) : GDriverObject(RWWString(L"ext")), entries_(entries)
    {
        SetPrinter(PclXlPrinter());
    }
    GObjectBase* CreateSettings() override { return SettingsWith(entries_); }
    GExtensionManager& Manager() { return *static_cast<GExtensionManager*>(GetExtensionContext()); }

private:
    std::vector<GAttributeComposite*> entries_;
};

// The same as a job's producer, for the extension hook filters.
class ExtensionProducer : public GCommandProducer {
public:
    explicit ExtensionProducer(std::vector<GAttributeComposite*> entries)
        : GDriverObject(RWWString(L"ext")), entries_(entries)
    {
        SetPrinter(PclXlPrinter());
    }
    GObjectBase* CreateSettings() override { return SettingsWith(entries_); }
    uint16_t CheckContinue() override { return 0; }
    uint16_t PaintPath(uint32_t) override { return 0; }
    int ClosesFigure(uint32_t) override { return 0; }
    uint32_t GetProducerKey() const override { return 0; }

private:
    std::vector<GAttributeComposite*> entries_;
};

class GExtensionManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        RWWString folder;
        if (GOSFactory* services = GOSFactory::Instance())
            services->GetModuleDirectory(folder);
        if (folder.CompareTo(RWWString(ProgramFolder().c_str())) != 0)
            new GUIOSFactory;
        ASSERT_TRUE(first.Loaded());
        ASSERT_TRUE(second.Loaded());
    }

    // The members of what a hook handed back, as "classid" or "608:target:bytes".
    static std::vector<std::string> Members(GCommand* command)
    {
        std::vector<std::string> members;
        GCommandComposite* composite = dynamic_cast<GCommandComposite*>(command);
        for (uint32_t i = 0; composite && i < composite->Entries(); ++i) {
            GCommand* member = composite->At(i);
            std::string text = std::to_string(member->ClassId());
            if (GPassThroughCommand* bytes = dynamic_cast<GPassThroughCommand*>(member))
                text += ":" + std::to_string(bytes->GetTargetClassId()) + ":" +
                        std::string(reinterpret_cast<const char*>(bytes->GetData()), bytes->GetLength());
            members.push_back(text);
        }
        return members;
    }

    StandIn first{L"qzext.dll"};
    StandIn second{L"qzext2.dll"};
};

} // namespace

TEST_F(GExtensionManagerTest, NoDataGivesThePageCommandsThemselves)
{
    ExtensionDriver driver({Entry("one", "qzext.dll", 0)});
    GExtensionManager& manager = driver.Manager();
    GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
    manager.LoadForDocument(start);
    EXPECT_EQ(1, manager.GetCount());
    EXPECT_TRUE(manager.IsModuleLoaded(0));
    EXPECT_EQ("QueryInterface 2;Initialize", first.Log());
    GCountedRef page(new GPageStart(new GState, 1));
    GCountedRef pageEnd(new GPageEnd(new GState, 2));
    for (uint16_t filter : {0, 1}) {
        EXPECT_EQ(page.Get(), manager.StartHook(static_cast<GCommand*>(page.Get()), filter));
        EXPECT_EQ(pageEnd.Get(), manager.EndHook(static_cast<GCommand*>(pageEnd.Get()), filter));
    }
    EXPECT_EQ(0, page->References()) << "the hook leaves the caller's count as it was";
    EXPECT_EQ(nullptr, start.GetState()->FindById(FeatureId::kExtensionJobPjlData));
    GDocumentEnd end(3);
    manager.EndDocument(end);
}

// Each block is copied before the module frees (and overwrites) it.
TEST_F(GExtensionManagerTest, ModuleOnTheSecondFilterGivesPassThroughCommandsBesideThePageCommands)
{
    first.Kinds(0x800 | 0x1000);
    first.Data(0x800, std::string("PS\0x", 4));
    first.Data(0x1000, "PE");
    ExtensionDriver driver({Entry("one", "qzext.dll", 0)});
    GExtensionManager& manager = driver.Manager();
    GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
    manager.LoadForDocument(start);

    GCountedRef page(new GPageStart(new GState, 1));
    EXPECT_EQ(page.Get(), manager.StartHook(static_cast<GCommand*>(page.Get()), 0));
    GCountedRef started(manager.StartHook(static_cast<GCommand*>(page.Get()), 1));
    EXPECT_EQ((std::vector<std::string>{"709", std::string("608:767:PS\0x", 12)}),
              Members(static_cast<GCommand*>(started.Get())));

    GCountedRef pageEnd(new GPageEnd(new GState, 2));
    EXPECT_EQ(pageEnd.Get(), manager.EndHook(static_cast<GCommand*>(pageEnd.Get()), 0));
    GCountedRef ended(manager.EndHook(static_cast<GCommand*>(pageEnd.Get()), 1));
    EXPECT_EQ((std::vector<std::string>{"608:767:PE", "710"}), Members(static_cast<GCommand*>(ended.Get())));
    EXPECT_EQ(0u, first.OpenBlocks()) << "every block was freed";

    GDocumentEnd end(3);
    manager.EndDocument(end);
}

TEST_F(GExtensionManagerTest, TwoModulesAnswerInSlotOrder)
{
    first.Kinds(0x200);
    first.Data(0x200, "one");
    second.Kinds(0x200);
    second.Data(0x200, "zero");
    ExtensionDriver driver({Entry("one", "qzext.dll", 1), Entry("zero", "qzext2.dll", 0)});
    GExtensionManager& manager = driver.Manager();
    GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
    manager.LoadForDocument(start);
    EXPECT_EQ(2, manager.GetCount());
    GCountedRef page(new GPageStart(new GState, 1));
    GCountedRef started(manager.StartHook(static_cast<GCommand*>(page.Get()), 0));
    EXPECT_EQ((std::vector<std::string>{"709", "608:767:zero", "608:767:one"}),
              Members(static_cast<GCommand*>(started.Get())));
    GDocumentEnd end(3);
    manager.EndDocument(end);
}

TEST_F(GExtensionManagerTest, JobDataBecomesStringAttributesOfExactLengthAndModulesUnloadAtTheEnd)
{
    first.Kinds(0x20 | 0x40 | 0x80 | 0x100);
    first.Data(0x20, std::string("@PJL\0a", 6));
    first.Data(0x80, "pdl-start");
    first.Data(0x40, "pjl-end");
    first.Data(0x100, std::string("\0\0", 2));
    ExtensionDriver driver({Entry("one", "qzext.dll", 0)});
    GExtensionManager& manager = driver.Manager();
    GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
    manager.LoadForDocument(start);
    auto text = [](GState* state, long id) {
        GAttributeComposite* composite = dynamic_cast<GAttributeComposite*>(state->FindById(id));
        if (!composite || composite->Entries() != 1)
            return std::string("(none)");
        const RWCString& bytes = static_cast<GStringAttribute*>(composite->FindById(0))->GetString();
        return std::string(bytes.Data(), bytes.Length());
    };
    EXPECT_EQ(std::string("@PJL\0a", 6), text(start.GetState(), 985));
    EXPECT_EQ("pdl-start", text(start.GetState(), 986));

    GDocumentEnd end(3);
    manager.EndDocument(end);
    EXPECT_EQ("pjl-end", text(end.GetState(), 985));
    EXPECT_EQ(std::string("\0\0", 2), text(end.GetState(), 986));
    EXPECT_FALSE(manager.IsModuleLoaded(0));
    EXPECT_EQ(0, manager.GetCount());
    EXPECT_NE(std::string::npos, first.Log().find("Terminate"));
    first.Release();
    EXPECT_EQ(nullptr, GetModuleHandleW(L"qzext.dll")) << "the host let go of the module";
}

// Entries sharing an index fill one slot (the later one), an index out of range is
// skipped, and a text longer than its field is cut so its NUL still fits: the count
// names filled slots only.
TEST_F(GExtensionManagerTest, StoredEntriesThatTheHostDoesNotWriteDoNoHarm)
{
    first.Kinds(0x200);
    first.Data(0x200, "x");
    const std::string longText(60, 'L');
    ExtensionDriver driver({Entry("a", "qzext2.dll", 0), Entry("b", "qzext.dll", 0, longText),
                            Entry("c", "qzext.dll", 7)});
    GExtensionManager& manager = driver.Manager();
    GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
    manager.LoadForDocument(start);
    EXPECT_EQ(1, manager.GetCount());
    const ExtensionDescriptor* d = manager.GetCallContext().descriptors[0];
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(std::string(39, 'L'), std::string(d->text1));
    EXPECT_STREQ("b", d->name);
    for (int slot = 1; slot < GExtensionManager::kSlots; ++slot)
        EXPECT_EQ(nullptr, manager.GetCallContext().descriptors[slot]);
    GCountedRef page(new GPageStart(new GState, 1));
    GCountedRef started(manager.StartHook(static_cast<GCommand*>(page.Get()), 0));
    EXPECT_EQ((std::vector<std::string>{"709", "608:767:x"}), Members(static_cast<GCommand*>(started.Get())));
    GDocumentEnd end(3);
    manager.EndDocument(end);
}

// A module whose Initialize fails supplies nothing; an extension without a rendering
// module is not loaded at all.
TEST_F(GExtensionManagerTest, FailedInitializeOrNoRenderingModuleSuppliesNothing)
{
    first.Kinds(0x200, 3);
    first.Data(0x200, "never");
    second.Kinds(0x200);
    second.Data(0x200, "never");
    ExtensionDriver driver({Entry("one", "qzext.dll", 0), Entry("ui-only", "qzext2.dll", 1, "first", 0x4)});
    GExtensionManager& manager = driver.Manager();
    GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
    manager.LoadForDocument(start);
    EXPECT_EQ(2, manager.GetCount());
    EXPECT_TRUE(manager.IsModuleLoaded(0));
    EXPECT_FALSE(manager.IsModuleLoaded(1));
    GCountedRef page(new GPageStart(new GState, 1));
    EXPECT_EQ(page.Get(), manager.StartHook(static_cast<GCommand*>(page.Get()), 0));
    EXPECT_EQ(std::string::npos, first.Log().find("GetData"));
    EXPECT_EQ("", second.Log());
    GDocumentEnd end(3);
    manager.EndDocument(end);
}

// The hook filters in a job's order with the stand-in module: the early filter adds the
// bytes of the early events, the late one those of the late events, and the document
// end unloads the module.
TEST_F(GExtensionManagerTest, TheHookFiltersPutTheModulesBytesBesideThePageCommands)
{
    first.Kinds(0x200 | 0x1000);
    first.Data(0x200, "early");
    first.Data(0x1000, "late");
    ExtensionProducer producer({Entry("one", "qzext.dll", 0)});
    GAAFilter1 early(0);
    GAAFilter2 late(0);
    // Each filter's answer goes to the next; the last answer is the caller's.
    auto through = [&](GCommand* command) {
        GCommand* out = late.ReceiveCommand(early.ReceiveCommand(command));
        return GCountedRef(out);
    };
    GDocumentStart* start = new GDocumentStart(L"doc", L"FILE:", &producer, 0);
    start->AdoptState(new GState(246));
    GCountedRef started = through(start);
    EXPECT_EQ(start, started.Get());
    EXPECT_EQ(producer.GetExtensionContext(), early.GetExtensionContext());
    EXPECT_EQ(producer.GetExtensionContext(), late.GetExtensionContext());
    EXPECT_TRUE(static_cast<GExtensionManager*>(producer.GetExtensionContext())->IsModuleLoaded(0));

    GCountedRef page = through(new GPageStart(new GState(256), 0));
    EXPECT_EQ((std::vector<std::string>{"709", "608:767:early"}), Members(static_cast<GCommand*>(page.Get())));
    GCountedRef pageEnd = through(new GPageEnd(new GState(256), 0));
    EXPECT_EQ((std::vector<std::string>{"608:767:late", "710"}), Members(static_cast<GCommand*>(pageEnd.Get())));
    through(new GDocumentEnd(0));
    EXPECT_FALSE(static_cast<GExtensionManager*>(producer.GetExtensionContext())->IsModuleLoaded(0));
    EXPECT_EQ(0u, first.OpenBlocks());
}

namespace {

// The commands a filter chain handed on, members of composites and of spooled pages read
// back in order: page frames as their class ids, the module's bytes as "608:target:bytes",
// rectangles as "mark <left edge>"; null and empty commands (712, 715) are left out.
void Flatten(const GCountedRef& command, std::vector<std::string>& out)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!target)
        return;
    if (GObjectBase* composite = target->AsComposite()) {
        std::unique_ptr<GObjectIterator> it(composite->CreateIterator());
        ASSERT_TRUE(it) << target->ClassId();
        while (it->Next())
            Flatten(it->CurrentRef(), out);
        return;
    }
    if (GPassThroughCommand* bytes = dynamic_cast<GPassThroughCommand*>(target))
        out.push_back("608:" + std::to_string(bytes->GetTargetClassId()) + ":" +
                      std::string(reinterpret_cast<const char*>(bytes->GetData()), bytes->GetLength()));
    else if (GRectangleGraphic* mark = dynamic_cast<GRectangleGraphic*>(target))
        out.push_back("mark " + std::to_string(mark->GetBounds().left));
    else if (target->ClassId() != 712 && target->ClassId() != 715)
        out.push_back(std::to_string(target->ClassId()));
}

} // namespace

// The module hooks a job that the reverse filter spools: the early filter's bytes are
// spooled with their page, the late filter's are added to the page read back, and after
// the replay every page (last first) has its own bytes beside its page start and end.
TEST_F(GExtensionManagerTest, ASpooledPageKeepsTheModulesBytesBesideItsPageCommandsAfterReplay)
{
    first.Kinds(0x200 | 0x400 | 0x800 | 0x1000);
    first.Data(0x200, "early start");
    first.Data(0x400, "early end");
    first.Data(0x800, "late start");
    first.Data(0x1000, "late end");
    ExtensionProducer producer({Entry("one", "qzext.dll", 0)});
    GAAFilter1 early(0);
    GReverseFilter reverse(0);
    GAAFilter2 late(0);
    std::vector<std::string> sent;
    auto through = [&](GCommand* command) {
        GCountedRef out(late.ReceiveCommand(reverse.ReceiveCommand(early.ReceiveCommand(command))));
        Flatten(out, sent);
    };
    GState* job = new GState(246);
    job->Add(new GValueAttribute(1, FeatureId::kReverseOrder));
    GDocumentStart* start = new GDocumentStart(L"doc", L"FILE:", &producer, 0);
    start->AdoptState(job);
    through(start);
    ASSERT_TRUE(reverse.IsActive());
    for (int16_t page = 1; page <= 2; ++page) {
        through(new GPageStart(new GState(256), 0));
        through(new GRectangleGraphic(GRect{page, 10, int16_t(page + 100), 110}, new GGraphicBundle(0), 0));
        through(new GPageEnd(new GState(256), 0));
    }
    EXPECT_TRUE(std::find(sent.begin(), sent.end(), "709") == sent.end()) << "the pages are held until the end";
    through(new GDocumentEnd(0));

    const std::vector<std::string> page = {"709", "608:767:late start", "608:767:early start", "mark ",
                                           "608:767:early end", "608:767:late end", "710"};
    std::vector<std::string> expected = {"705"};
    for (const char* mark : {"2", "1"})
        for (const std::string& entry : page)
            expected.push_back(entry == "mark " ? entry + mark : entry);
    expected.push_back("706");
    EXPECT_EQ(expected, sent);
    EXPECT_FALSE(static_cast<GExtensionManager*>(producer.GetExtensionContext())->IsModuleLoaded(0));
    EXPECT_EQ(0u, first.OpenBlocks());

    // The spooled pages are gone with the job, their font files with the job's font pool.
    producer.CloseFontPool();
    WIN32_FIND_DATAW found;
    const RWWString folder = GPageSpoolFilter::SpoolFolder(&producer);
    HANDLE search = FindFirstFileW((std::wstring(folder.Data()) + L"\\*.*").c_str(), &found);
    std::string left;
    if (search != INVALID_HANDLE_VALUE) {
        do
            if (std::wstring(found.cFileName) != L"." && std::wstring(found.cFileName) != L"..")
                left += std::string(found.cFileName, found.cFileName + wcslen(found.cFileName)) + " ";
        while (FindNextFileW(search, &found));
        FindClose(search);
    }
    EXPECT_EQ("", left);
    GPageSpoolFilter::RemoveSpoolFolder(&producer);
}
