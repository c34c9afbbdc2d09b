// The page-spooling base through a test filter that replays the pages in reverse: the
// replayed document, file names, failures, whole documents from an earlier spooling
// filter, commands outside pages, aborts, pages damaged on disk and edits made
// downstream of a replay.
#include "ProducerTestBed.h"
#include "../graphics/TestFonts.h"
#include "FileBytes.h"
#include "ScratchDirectory.h"

#include "model/GValueAttribute.h"
#include "graphics/GGraphicBundle.h"
#include "pipeline/GDocumentBreak.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/GPageFilterLock.h"
#include "pipeline/GPassThroughCommand.h"

#include "model/GErrorCommand.h"
#include "printer/GWin32OSFactory.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <thread>

using namespace testbed;

namespace {

// Replays its pages last first.
struct ReverseTestFilter : GPersistent<ReverseTestFilter, GPageSpoolFilter, 4203> {
    static constexpr const char* kClassName = "SpoolTestReverseFilter";
    ReverseTestFilter* CreateNew() const override { return new ReverseTestFilter; }
    ReverseTestFilter* Copy() const override { return new ReverseTestFilter(*this); }
    ReverseTestFilter() = default;
    explicit ReverseTestFilter(const wchar_t* extension) : pageExtension(extension) {}
    ReverseTestFilter(const ReverseTestFilter& other) : GPersistent(other) {}
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    auto StoredForm() { return GFields(); }

    int Acts(GDocumentStart&) override { return acts; }
    const wchar_t* PageExtension() const override { return pageExtension; }
    const wchar_t* FontExtension() const override { return L".rft"; }
    void ReplayPages() override
    {
        for (auto node = Pages().rbegin(); node != Pages().rend(); ++node)
            ReplayNode(*node);
    }
    int acts = 1;
    const wchar_t* pageExtension = L".rpg";
};

// Gives each page start it sees a new state holding 4242.
struct MarkingStage : GPersistent<MarkingStage, GPeripheral, 4204> {
    static constexpr const char* kClassName = "SpoolTestMarkingStage";
    MarkingStage* CreateNew() const override { return new MarkingStage; }
    MarkingStage* Copy() const override { return new MarkingStage(*this); }
    auto StoredForm() { return GNoFields(); }
    uint32_t QueryFlags() override { return 0; }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    int16_t OnPageStart(GPageStart& command) override
    {
        GState* state = new GState(0);
        state->Add(new GValueAttribute(1, 4242));
        command.AdoptState(state);
        return 0;
    }
};

// Makes the open file refuse every further write, as a full disk would: the runtime's
// descriptor that holds it open now holds a handle that may only read it.
bool RefuseWrites(const std::string& path)
{
    const int readOnly = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    if (readOnly < 0)
        return false;
    BY_HANDLE_FILE_INFORMATION wanted = {};
    bool done = false;
    if (GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(readOnly)), &wanted))
        for (int fd = 3; fd < 256 && !done; ++fd) {
            const intptr_t handle = fd == readOnly ? -1 : _get_osfhandle(fd);
            BY_HANDLE_FILE_INFORMATION info = {};
            if (handle != -1 && GetFileInformationByHandle(reinterpret_cast<HANDLE>(handle), &info) &&
                info.nFileIndexLow == wanted.nFileIndexLow && info.nFileIndexHigh == wanted.nFileIndexHigh &&
                info.dwVolumeSerialNumber == wanted.dwVolumeSerialNumber)
                done = _dup2(readOnly, fd) == 0;
        }
    _close(readOnly);
    return done;
}

// A font whose save makes the font spool file it is written to refuse every further
// write: what it wrote is still with the runtime, which writes it at the save's end.
struct RefusingFont : TestFont {
    using TestFont::TestFont;
    void SaveGuts(RWBinaryFile& out) const override
    {
        TestFont::SaveGuts(out);
        if (!file.empty())
            RefuseWrites(file);
    }
    std::string file;
};

std::vector<int> Marks(int from, int to)
{
    std::vector<int> marks;
    for (int n = from; from <= to ? n <= to : n >= to; from <= to ? ++n : --n)
        marks.push_back(n);
    return marks;
}

// The class id of what the chain answers a command with; 0 for no answer.
uint16_t AnswerClass(GPeripheral* head, GCommand* command)
{
    GCountedRef back(head->ReceiveCommand(command));
    return back.Get() ? back->ClassId() : 0;
}

} // namespace

TEST_F(ProducerTest, SpoolingReplaysTheDocumentInTheFiltersOrder)
{
    for (uint32_t pages : {0u, 1u, 5u}) {
        SCOPED_TRACE(pages);
        MarkingWriter* writer = new MarkingWriter;
        ReverseTestFilter* filter = new ReverseTestFilter;
        PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
        PageDrawJob job;
        job.pages = pages;
        EXPECT_EQ(0, job.Run(*producer));
        if (pages == 0)
            EXPECT_EQ((std::vector<std::string>{"OnDocumentStart 705", "OnDocumentEnd 706"}), writer->Events());
        else
            EXPECT_EQ(Marks(int(pages), 1), writer->marks);
        EXPECT_EQ(pages, filter->GetPageCount());
        EXPECT_EQ(0u, filter->IsHoldingDocument());
        EXPECT_FALSE(GPageFilterLock::IsHeld());
    }
}

TEST_F(ProducerTest, KeyZeroNamesThe26thPage1aAndAStaleFileIsReplaced)
{
    MarkingWriter* writer = new MarkingWriter;
    ReverseTestFilter* filter = new ReverseTestFilter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
    producer->fixedKey = true, producer->key = 0;
    const RWWString folder = GPageSpoolFilter::JobSpoolFolder(producer);
    const std::string stale = Narrow(folder) + "\\1a.rpg";
    ASSERT_TRUE(WriteFileBytes(stale, {1, 2, 3}));
    PageDrawJob job;
    job.pages = 26;
    job.draw = [&](GCommandProducer& p, uint32_t n) {
        const uint16_t status = PageDrawJob::MarkPage(p, n);
        if (n == 26) {
            EXPECT_EQ(Narrow(folder) + "\\1a.rpg", Narrow(filter->GetPageFileName()));
            EXPECT_EQ(Narrow(folder) + "\\1a.rft", Narrow(filter->GetFontFileName()));
        }
        return status;
    };
    EXPECT_EQ(0, job.Run(*producer));
    EXPECT_EQ(Marks(26, 1), writer->marks);
}

TEST_F(ProducerTest, ASpoolFailureGives2LetsLaterCommandsPassAndLeavesTheLockFree)
{
    MarkingWriter* writer = new MarkingWriter;
    ReverseTestFilter* filter = new ReverseTestFilter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
    producer->fixedKey = true, producer->key = 0;
    const RWWString folder = GPageSpoolFilter::JobSpoolFolder(producer);
    // A folder where page 3's file must go: the page cannot be spooled.
    const std::string blocker = Narrow(folder) + "\\3.rpg";
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));

    GPeripheral* head = producer->GetChainHead();
    auto submit = [&](GCommand* command) { return AnswerClass(head, command); };
    EXPECT_EQ(715, submit(producer->StartDocument(L"doc", L"FILE:")));
    for (int page = 1; page <= 2; ++page) {
        EXPECT_EQ(715, submit(producer->StartPage()));
        EXPECT_EQ(715, submit(new GRectangleGraphic({int16_t(page), 0, 9, 9}, new GGraphicBundle(0), 0)));
        EXPECT_EQ(715, submit(producer->EndPage()));
    }
    GCountedRef failed(head->ReceiveCommand(producer->StartPage()));
    ASSERT_EQ(714, failed->ClassId());
    EXPECT_EQ(2, static_cast<GErrorCommand*>(failed.Get())->GetCode());
    EXPECT_FALSE(GPageFilterLock::IsHeld());
    EXPECT_FALSE(filter->IsActive());
    RemoveDirectoryA(blocker.c_str());

    // Later commands pass the filter untouched.
    EXPECT_EQ(659, submit(new GRectangleGraphic({7, 0, 9, 9}, new GGraphicBundle(0), 0)));
    EXPECT_EQ(710, submit(producer->EndPage()));
    EXPECT_EQ(706, submit(producer->MakeDocumentEnd()));
    EXPECT_EQ(std::vector<int>{7}, writer->marks);
    for (const std::string& name : TempFiles())
        EXPECT_EQ(std::string::npos, name.find(".rpg")) << "the dropped pages' files went with them";

    // Another thread spools at once.
    std::thread other([&] {
        ReverseTestFilter second;
        GCountedRef started(second.ReceiveCommand(new GDocumentStart(L"doc", "", L"FILE:", producer, new GState(0), 0)));
        GCountedRef paged(second.ReceiveCommand(new GPageStart(0)));
        EXPECT_EQ(715, paged->ClassId());
        EXPECT_TRUE(second.IsHoldingDocument());
        GCountedRef aborted(second.ReceiveCommand(new GJobAbort(0)));
    });
    other.join();
    producer->CloseFontPool();
}

TEST_F(ProducerTest, AWholeDocumentFromAnEarlierSpoolingFilterKeepsItsPages)
{
    MarkingWriter* writer = new MarkingWriter;
    ReverseTestFilter* first = new ReverseTestFilter;
    ReverseTestFilter* second = new ReverseTestFilter(L".spg");
    PageDrawProducer* producer = MakeProducer(L"FILE:", {first, second}, writer);
    PageDrawJob job;
    job.pages = 4;
    job.draw = [&](GCommandProducer& p, uint32_t n) {
        const uint16_t status = PageDrawJob::MarkPage(p, n);
        for (const std::string& name : TempFiles())
            EXPECT_EQ(std::string::npos, name.find(".spg")) << "the second filter spools nothing";
        return status;
    };
    EXPECT_EQ(0, job.Run(*producer));
    EXPECT_EQ(Marks(1, 4), writer->marks) << "reversed twice";
    EXPECT_EQ(4u, second->GetPageCount());
}

TEST_F(ProducerTest, PassThroughStaysWithItsPageOrAfterTheLastPage)
{
    MarkingWriter* writer = new MarkingWriter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {new ReverseTestFilter}, writer);
    const uint8_t bytes[] = {1, 2, 3};
    producer->ConfigureFromSettings();
    producer->SetDocument(L"doc", L"FILE:");
    ASSERT_EQ(0, producer->BeginDocument());
    // Before any page: it follows the document start.
    EXPECT_EQ(0, producer->Deliver(new GPassThroughCommand(bytes, 1, 1, 0)));
    for (uint32_t page = 1; page <= 3; ++page) {
        producer->BeginPage();
        PageDrawJob::MarkPage(*producer, page);
        if (page == 2)
            producer->SendPassThrough(bytes, 2, 2, 0, 0, 0);
        producer->FinishPage();
        if (page == 1) {
            EXPECT_EQ(0, producer->Deliver(new GPassThroughCommand(bytes, 3, 3, 0)));
        }
    }
    EXPECT_EQ(0, producer->Send(producer->MakeDocumentEnd()));
    producer->CloseFontPool();
    EXPECT_EQ((std::vector<std::string>{"OnDocumentStart 705", "OnPassThrough 608", "OnPageStart 709", "Mark 3",
                                        "DrawRectangle 659", "OnPageEnd 710", "OnPageStart 709", "Mark 2",
                                        "DrawRectangle 659", "OnPassThrough 608", "OnPageEnd 710", "OnPageStart 709",
                                        "Mark 1", "DrawRectangle 659", "OnPageEnd 710", "OnPassThrough 608",
                                        "OnDocumentEnd 706"}),
              writer->Events());
}

TEST_F(ProducerTest, AnAbortMidPageFreesTheFileAndTheLock)
{
    MarkingWriter* writer = new MarkingWriter;
    ReverseTestFilter* filter = new ReverseTestFilter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
    producer->ConfigureFromSettings();
    producer->SetDocument(L"doc", L"FILE:");
    ASSERT_EQ(0, producer->BeginDocument());
    producer->BeginPage();
    PageDrawJob::MarkPage(*producer, 1);
    EXPECT_TRUE(filter->IsHoldingDocument());
    EXPECT_EQ(0, producer->Deliver(new GJobAbort(0)));
    EXPECT_FALSE(GPageFilterLock::IsHeld());
    EXPECT_EQ(0u, filter->IsHoldingDocument());
    EXPECT_TRUE(TempFiles().empty()) << "the page file went with the abort";
}

TEST_F(ProducerTest, APageCutShortOnDiskFailsTheJobInsteadOfVanishing)
{
    MarkingWriter* writer = new MarkingWriter;
    ReverseTestFilter* filter = new ReverseTestFilter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
    producer->ConfigureFromSettings();
    producer->SetDocument(L"doc", L"FILE:");
    ASSERT_EQ(0, producer->BeginDocument());
    producer->BeginPage();
    PageDrawJob::MarkPage(*producer, 1);
    ASSERT_EQ(0, producer->FinishPage());
    const std::string page = Narrow(filter->GetPageFileName());
    const std::vector<uint8_t> bytes = FileBytes(page);
    ASSERT_GT(bytes.size(), 8u);
    ASSERT_TRUE(WriteFileBytes(page, std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2)));
    EXPECT_NE(0, producer->Send(producer->MakeDocumentEnd()));
    const std::vector<std::string> events = writer->Events();
    EXPECT_EQ(1, std::count(events.begin(), events.end(), "OnJobAbort 713"));
    EXPECT_TRUE(writer->marks.empty());
    producer->CloseFontPool();
}

TEST_F(ProducerTest, AStateChangedDownstreamOnAReplayedPageReachesTheWriter)
{
    MarkingWriter* writer = new MarkingWriter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {new ReverseTestFilter, new MarkingStage}, writer);
    PageDrawJob job;
    job.pages = 2;
    EXPECT_EQ(0, job.Run(*producer));
    EXPECT_EQ((std::vector<int>{1, 1}), writer->pageStartMarks);
}

TEST_F(ProducerTest, ADocumentEndAfterABreakSentTheDocumentGoesOnUnchanged)
{
    struct BreakingFilter : ReverseTestFilter {
        int ReplaysOnBreak() const override { return 1; }
    };
    MarkingWriter* writer = new MarkingWriter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {new BreakingFilter}, writer);
    PageDrawJob job;
    job.pages = 2;
    job.draw = [](GCommandProducer& p, uint32_t n) {
        const uint16_t status = PageDrawJob::MarkPage(p, n);
        return status;
    };
    producer->ConfigureFromSettings();
    producer->SetDocument(L"doc", L"FILE:");
    ASSERT_EQ(0, producer->BeginDocument());
    for (uint32_t n = 1; n <= 2; ++n) {
        producer->BeginPage();
        PageDrawJob::MarkPage(*producer, n);
        producer->FinishPage();
    }
    EXPECT_EQ(0, producer->Send(new GDocumentBreak(0)));
    EXPECT_EQ(Marks(2, 1), writer->marks);
    EXPECT_EQ(0, producer->Send(producer->MakeDocumentEnd()));
    EXPECT_EQ("OnDocumentEnd 706", writer->Events().back());
    producer->CloseFontPool();
}

// A page is written as it goes and made durable at its end: a write that the page's file
// refuses there fails that page end at once with status 2, never a success.
TEST_F(ProducerTest, AWriteRefusedAtThePageEndFailsThatPageEnd)
{
    MarkingWriter* writer = new MarkingWriter;
    ReverseTestFilter* filter = new ReverseTestFilter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
    GPeripheral* head = producer->GetChainHead();
    auto submit = [&](GCommand* command) { return AnswerClass(head, command); };
    EXPECT_EQ(715, submit(producer->StartDocument(L"doc", L"FILE:")));
    EXPECT_EQ(715, submit(producer->StartPage()));
    EXPECT_EQ(715, submit(new GRectangleGraphic({1, 0, 9, 9}, new GGraphicBundle(0), 0)));
    ASSERT_TRUE(RefuseWrites(Narrow(filter->GetPageFileName())));
    EXPECT_EQ(715, submit(new GRectangleGraphic({2, 0, 9, 9}, new GGraphicBundle(0), 0)))
        << "held in memory: nothing was refused yet";
    GCountedRef failed(head->ReceiveCommand(producer->EndPage()));
    ASSERT_TRUE(failed);
    ASSERT_EQ(714, failed->ClassId());
    EXPECT_EQ(2, static_cast<GErrorCommand*>(failed.Get())->GetCode());
    EXPECT_EQ(0u, filter->IsHoldingDocument());
    EXPECT_FALSE(GPageFilterLock::IsHeld());
    EXPECT_EQ(0, producer->Deliver(new GJobAbort(0)));
    EXPECT_TRUE(TempFiles().empty()) << "the failed page's file went";
}

// The page's fonts are saved at its end: a font spool file that refuses the save's last
// bytes fails that page end with status 2, never a success.
TEST_F(ProducerTest, AFontSpoolFileThatRefusesTheLastBytesFailsThePageEnd)
{
    MarkingWriter* writer = new MarkingWriter;
    ReverseTestFilter* filter = new ReverseTestFilter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
    GPeripheral* head = producer->GetChainHead();
    EXPECT_EQ(715, AnswerClass(head, producer->StartDocument(L"doc", L"FILE:")));
    EXPECT_EQ(715, AnswerClass(head, producer->StartPage()));
    RefusingFont* font = new RefusingFont(9, "Refused");
    font->file = Narrow(filter->GetFontFileName());
    uint16_t chars[] = {'o', 'k'};
    GPoint at[] = {{5, 6}, {15, 6}};
    EXPECT_EQ(715, AnswerClass(head, new GTextStringGraphic(new TestFontReference(font, producer), chars, 0,
                                                           GEncoding::kUnicode, at, 0, 2, nullptr)));
    GCountedRef failed(head->ReceiveCommand(producer->EndPage()));
    ASSERT_TRUE(failed);
    ASSERT_EQ(714, failed->ClassId());
    EXPECT_EQ(2, static_cast<GErrorCommand*>(failed.Get())->GetCode());
    EXPECT_EQ(0, producer->Deliver(new GJobAbort(0)));
    producer->CloseFontPool();
}

// A page is held in memory only up to a bound: a larger page reaches its file as it
// goes, and replays whole.
TEST_F(ProducerTest, APageLargerThanTheBoundReachesItsFileBeforeItEnds)
{
    MarkingWriter* writer = new MarkingWriter;
    ReverseTestFilter* filter = new ReverseTestFilter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
    GPeripheral* head = producer->GetChainHead();
    auto submit = [&](GCommand* command) { return AnswerClass(head, command); };
    EXPECT_EQ(715, submit(producer->StartDocument(L"doc", L"FILE:")));
    EXPECT_EQ(715, submit(producer->StartPage()));
    const std::string page = Narrow(filter->GetPageFileName());
    const size_t opened = FileBytes(page).size();
    const std::vector<uint8_t> bytes(60000, 0x5A);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(715, submit(new GPassThroughCommand(bytes.data(), uint16_t(bytes.size()), 0, 0)));
    EXPECT_EQ(opened, FileBytes(page).size()) << "a small page stays in memory";
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(715, submit(new GPassThroughCommand(bytes.data(), uint16_t(bytes.size()), 0, 0)));
    EXPECT_GT(FileBytes(page).size(), size_t(2) << 20) << "past two megabytes the page goes to its file";
    EXPECT_EQ(715, submit(producer->EndPage()));
    EXPECT_GT(FileBytes(page).size(), size_t(44) * 60000);
    EXPECT_EQ(0, producer->Deliver(producer->MakeDocumentEnd()));
    producer->CloseFontPool();
    const std::vector<std::string> events = writer->Events();
    EXPECT_EQ(1, std::count(events.begin(), events.end(), "OnPageEnd 710"));
    EXPECT_EQ(44, std::count_if(events.begin(), events.end(),
                                [](const std::string& e) { return e.rfind("OnPassThrough", 0) == 0; }));
}

// A folder that is there before the job may be anyone's: the job spools into one it made
// under the next free name, leaves the other as it found it, and fails to start when
// every name is taken.
TEST_F(ProducerTest, ASpoolFolderThatIsThereBeforehandIsNotUsed)
{
    MarkingWriter* writer = new MarkingWriter;
    ReverseTestFilter* filter = new ReverseTestFilter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
    const std::string first = Narrow(GPageSpoolFilter::SpoolFolder(producer));
    const std::string leaf = first.substr(first.rfind('\\') + 1);
    ASSERT_TRUE(CreateDirectoryA(first.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(first + "\\keep", {1}));
    PageDrawJob job;
    job.pages = 2;
    job.draw = [&](GCommandProducer& p, uint32_t n) {
        const uint16_t status = PageDrawJob::MarkPage(p, n);
        EXPECT_EQ(first + ".1\\", Narrow(filter->GetPageFileName()).substr(0, first.size() + 3));
        return status;
    };
    EXPECT_EQ(0, job.Run(*producer));
    EXPECT_EQ(Marks(2, 1), writer->marks);
    EXPECT_EQ((std::vector<std::string>{leaf, "keep"}), TempFiles()) << "the job's own folder is gone";

    // The first name and the next 63 are taken.
    std::vector<std::string> taken;
    for (int n = 1; n < 64; ++n) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%x", n);
        taken.push_back(first + suffix);
        ASSERT_TRUE(CreateDirectoryA(taken.back().c_str(), nullptr));
    }
    GCountedRef started(producer->GetChainHead()->ReceiveCommand(producer->StartDocument(L"doc", L"FILE:")));
    ASSERT_NE(nullptr, started.Get());
    ASSERT_EQ(714, started->ClassId());
    EXPECT_EQ(GPageSpoolFilter::kSpoolFailed, static_cast<GErrorCommand*>(started.Get())->GetCode());
    GCountedRef aborted(producer->GetChainHead()->ReceiveCommand(new GJobAbort(0)));
    producer->CloseFontPool();
    for (const std::string& folder : taken)
        EXPECT_TRUE(RemoveDirectoryA(folder.c_str())) << folder;
    EXPECT_EQ(0, std::remove((first + "\\keep").c_str()));
    EXPECT_TRUE(RemoveDirectoryA(first.c_str()));
}

// Without an absolute temporary folder the filter does not start: the document start
// fails as a spool failure does, and nothing is made in the current directory, which the
// folder would otherwise be taken relative to.
TEST_F(ProducerTest, WithoutAnAbsoluteTemporaryFolderTheDocumentStartFails)
{
    const std::string absolute = services_->temp;
    ScratchDirectory scratch("spool-relative");
    ASSERT_TRUE(scratch.Entered());
    const std::string rows[] = {"", "relative", ".\\here", "\\SystemRoot\\System32\\Spool\\Printers", "C:spool",
                                absolute + "\\..\\elsewhere"};
    for (const std::string& temp : rows) {
        services_->temp = temp;
        MarkingWriter* writer = new MarkingWriter;
        ReverseTestFilter* filter = new ReverseTestFilter;
        PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
        ASSERT_NE(nullptr, producer);
        EXPECT_TRUE(GPageSpoolFilter::SpoolFolder(producer).IsNull()) << temp;
        GCountedRef started(producer->GetChainHead()->ReceiveCommand(producer->StartDocument(L"doc", L"FILE:")));
        ASSERT_NE(nullptr, started.Get()) << temp;
        EXPECT_EQ(714, started->ClassId()) << temp;
        EXPECT_EQ(GPageSpoolFilter::kSpoolFailed, static_cast<GErrorCommand*>(started.Get())->GetCode()) << temp;
        EXPECT_FALSE(filter->IsHoldingDocument()) << temp;
        EXPECT_FALSE(GPageFilterLock::IsHeld());
        GCountedRef aborted(producer->GetChainHead()->ReceiveCommand(new GJobAbort(0)));
        producer->CloseFontPool();
        EXPECT_TRUE(scratch.Names().empty()) << temp;
    }
    services_->temp = absolute;
}

namespace {

// The spool folder under a temp folder of the test's, and every folder it is asked to make
// counted.
struct JobFolderServices : TestOSFactory {
    void GetTempDirectory(RWWString& path, GDriverObject*) override { path = temp; }
    FolderMade MakeFolder(const RWWString& path) override
    {
        ++asked;
        return TestOSFactory::MakeFolder(path);
    }
    RWWString temp;
    int asked = 0;
};

// Only a name that is taken moves on to the next job-folder name: any other failure (here
// a temp folder that is not there) fails the job at its first name.
TEST(JobSpoolFolder, OnlyATakenNameMovesOnToTheNextName)
{
    ScratchDirectory scratch("job-folders");
    ASSERT_TRUE(scratch.Entered());
    auto* services = new JobFolderServices;
    services->temp = RWWString(scratch.Path().c_str());
    const RWWString first = GPageSpoolFilter::JobSpoolFolder(nullptr);
    ASSERT_FALSE(first.IsNull());
    EXPECT_EQ(1, services->asked);
    const RWWString second = GPageSpoolFilter::JobSpoolFolder(nullptr);
    EXPECT_EQ(0, second.CompareTo(first + L".1")) << "the first name is taken";
    EXPECT_EQ(3, services->asked);

    services->temp = RWWString((scratch.Path() + "\\missing").c_str());
    services->asked = 0;
    EXPECT_TRUE(GPageSpoolFilter::JobSpoolFolder(nullptr).IsNull());
    EXPECT_EQ(1, services->asked);
    RemoveDirectoryW(second.Data());
    RemoveDirectoryW(first.Data());
    new TestOSFactory;
}

// The system's own services with no printer behind them: the temp folder comes from the
// environment alone.
struct EnvironmentTempServices : GWin32OSFactory {
    void* GetPrinterHandle(GDriverObject*) override { return nullptr; }
    void GetPrinterDataString(RWWString& result, GDriverObject*, const RWWString&, const RWWString& fallback) override
    {
        result = fallback;
    }
};

// Puts an environment variable and the test services back as they were, whatever the test
// ended with.
class TempEnvironment {
public:
    TempEnvironment()
    {
        for (int i = 0; i < 2; ++i) {
            wchar_t text[1024] = {};
            const DWORD length = GetEnvironmentVariableW(kNames[i], text, 1024);
            had_[i] = length > 0 && length < 1024;
            saved_[i] = had_[i] ? text : L"";
        }
    }
    ~TempEnvironment()
    {
        for (int i = 0; i < 2; ++i)
            SetEnvironmentVariableW(kNames[i], had_[i] ? saved_[i].c_str() : nullptr);
        new TestOSFactory;
    }
    TempEnvironment(const TempEnvironment&) = delete;
    TempEnvironment& operator=(const TempEnvironment&) = delete;

private:
    static constexpr const wchar_t* kNames[2] = {L"TMP", L"TEMP"};
    std::wstring saved_[2];
    bool had_[2] = {};
};

// A TMP that names no whole folder (relative to the current one, on a drive's current
// folder, or blank) gives way to TEMP: the job's folder is made there.
TEST(JobSpoolFolder, ATmpThatIsNoWholeFolderGivesWayToTemp)
{
    ScratchDirectory scratch("temp-candidates");
    ASSERT_TRUE(scratch.Entered());
    TempEnvironment environment;
    const std::wstring temp(scratch.Path().begin(), scratch.Path().end());
    ASSERT_TRUE(SetEnvironmentVariableW(L"TEMP", temp.c_str()));
    new EnvironmentTempServices;
    for (const wchar_t* tmp : {L"relative", L"C:relative", L"   "}) {
        ASSERT_TRUE(SetEnvironmentVariableW(L"TMP", tmp));
        const RWWString folder = GPageSpoolFilter::JobSpoolFolder(nullptr);
        const std::wstring made(folder.Data(), folder.Length());
        EXPECT_EQ(temp + L"\\", made.substr(0, temp.size() + 1)) << std::string(tmp, tmp + wcslen(tmp));
        if (!folder.IsNull())
            RemoveDirectoryW(folder.Data());
    }
}

} // namespace
