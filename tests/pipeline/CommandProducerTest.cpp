// The command producer driven by the page-drawing stand-in: the order of what reaches
// the writer, errors coming back from the chain, the job state, the job name and
// pass-through bytes.
#include "ProducerTestBed.h"

#include "graphics/GClipToPage.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/GCommandComposite.h"
#include "pipeline/GDocumentBreak.h"
#include "model/GErrorCommand.h"

#include <gtest/gtest.h>

using namespace testbed;

namespace {

// Answers each rectangle with the error commands given (codes), as one composite.
struct FailingStage : GPersistent<FailingStage, GPeripheral, 4202> {
    static constexpr const char* kClassName = "ProducerTestFailingStage";
    FailingStage* CreateNew() const override { return new FailingStage; }
    FailingStage* Copy() const override { return new FailingStage(*this); }
    auto StoredForm() { return GNoFields(); }
    uint32_t QueryFlags() override { return 0; }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    GCommand* ReceiveCommand(GCommand* command) override
    {
        if (!command || command->ClassId() != 659)
            return GPeripheral::ReceiveCommand(command);
        GCountedRef hold(command);
        GCommandComposite* answer = new GCommandComposite(0);
        for (uint16_t code : codes)
            answer->Add(new GErrorCommand(code, nullptr, 0));
        return answer;
    }
    std::vector<uint16_t> codes;
};

void Put(GCommandProducer& producer, long subState, long id, uint16_t value)
{
    producer.GetSettings()->FindById(subState)->Add(new GValueAttribute(value, id));
}

} // namespace

TEST_F(ProducerTest, APendingPageStartGoesFirstAndEveryCallReachesTheWriterInOrder)
{
    MarkingWriter* writer = new MarkingWriter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {}, writer);
    PageDrawJob job;
    job.pages = 2;
    EXPECT_EQ(0, job.Run(*producer));

    EXPECT_EQ((std::vector<std::string>{"OnDocumentStart 705", "OnPageStart 709", "Mark 1", "DrawRectangle 659",
                                        "OnPageEnd 710", "OnPageStart 709", "Mark 2", "DrawRectangle 659",
                                        "OnPageEnd 710", "OnDocumentEnd 706"}),
              writer->Events());
}

TEST_F(ProducerTest, ChainErrorsGiveTheFirstNonZeroCodeOneAbortAndStopTheJob)
{
    const struct {
        std::vector<uint16_t> codes;
        uint16_t status;
    } cases[] = {{{0, 7}, 7}, {{0}, 0}, {{7, 9}, 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        FailingStage* failing = new FailingStage;
        failing->codes = c.codes;
        MarkingWriter* writer = new MarkingWriter;
        PageDrawProducer* producer = MakeProducer(L"FILE:", {failing}, writer);
        PageDrawJob job;
        job.pages = 3;
        job.Run(*producer);
        ASSERT_GE(job.statuses.size(), 2u);
        EXPECT_EQ(c.status, job.statuses[1]) << "the first drawing's status";
        EXPECT_EQ(GCommandProducer::kJobFailed, producer->GetJobStateWord());
        const std::vector<std::string> events = writer->Events();
        EXPECT_EQ(1, std::count(events.begin(), events.end(), "OnJobAbort 713"));
        EXPECT_EQ("OnJobAbort 713", events.back()) << "nothing reached the writer after the abort";
        for (size_t i = 2; i < job.statuses.size(); ++i)
            EXPECT_EQ(c.status, job.statuses[i]);
        // Configuring again clears the failure.
        producer->ConfigureFromSettings();
        EXPECT_EQ(0u, producer->GetJobStateWord());
    }
}

TEST_F(ProducerTest, BeginningWithoutAPendingDocumentGives403AndFailsTheJob)
{
    PageDrawProducer* producer = MakeProducer(L"FILE:", {}, new MarkingWriter);
    producer->ConfigureFromSettings();
    EXPECT_EQ(GCommandProducer::kNoPendingDocument, producer->BeginDocument());
    EXPECT_EQ(GCommandProducer::kJobFailed, producer->GetJobStateWord());
    EXPECT_EQ(GCommandProducer::kNoPendingDocument, producer->Send(producer->MakeDocumentEnd()));
}

TEST_F(ProducerTest, TheJobStateNamesLocalPorts)
{
    const struct {
        const wchar_t* port;
        uint16_t kind;
    } cases[] = {{L"USB001", 1}, {L"LPT1:", 1}, {L"dot4_001", 1}, {L"FILE:", 3}, {L"US", 3}, {L"IP_10.0.0.1", 3}};
    for (const auto& c : cases) {
        PageDrawProducer* producer = MakeProducer(c.port, {}, nullptr);
        std::unique_ptr<GState> state(producer->BuildJobState());
        const GValueAttribute* kind = dynamic_cast<GValueAttribute*>(state->FindById(FeatureId::kPortKind));
        ASSERT_NE(nullptr, kind);
        EXPECT_EQ(c.kind, kind->GetValue()) << testbed::Narrow(c.port);
    }
}

TEST_F(ProducerTest, PassThroughFollowsThePrinterValueAndTheSetting)
{
    const struct {
        int stored;  // -1: absent
        int setting; // -1: absent
        uint32_t allowed;
    } cases[] = {{-1, 1, 1}, {-1, 0, 0}, {1, 0, 1}, {0, 1, 0}, {2, 1, 1}, {2, 0, 0}, {1, -1, 0}};
    for (const auto& c : cases) {
        services_->printerData.clear();
        if (c.stored >= 0)
            services_->SetPrinterDataDword(nullptr, L"PassThrough", uint32_t(c.stored));
        PageDrawProducer* producer = MakeProducer(L"FILE:", {}, nullptr);
        if (c.setting >= 0)
            Put(*producer, FeatureId::kJobControl, FeatureId::kPassThroughAllowed, uint16_t(c.setting));
        producer->ConfigureFromSettings();
        EXPECT_EQ(c.allowed, producer->PassThroughAllowed()) << c.stored << " " << c.setting;
        delete producer->GetSettings()->RemoveById(FeatureId::kJobControl);
        producer->GetSettings()->Add(new GState(FeatureId::kJobControl));
    }
}

TEST_F(ProducerTest, JobNamesAreCutCheckedAndStamped)
{
    const struct {
        const wchar_t* document;
        const char* text;
    } cases[] = {
        {L"Microsoft Abc - Report.doc", "REPORT.DOC"},
        {L"C:\\docs/x\\Microsoft Word - plan.txt", "PLAN.TXT"},
        {L"abcdefghijklmnopq", "ABCDEFGHIJKLMNOP"},
        {L"", "20261207090503"},
        {L"caf\u00e9", "20261207090503"},
        {L"say \"hi\"", "20261207090503"},
    };
    PageDrawProducer* producer = MakeProducer(L"FILE:", {}, nullptr);
    producer->GetSettings()->FindById(FeatureId::kJobSettings)->Add(new GStringAttribute("", FeatureId::kJobNameSetting));
    for (const auto& c : cases)
        EXPECT_STREQ(c.text, producer->MakeJobName(c.document).Data()) << testbed::Narrow(c.document);
    const GStringAttribute* stored = dynamic_cast<GStringAttribute*>(
        producer->GetSettings()->FindById(FeatureId::kJobSettings)->FindById(FeatureId::kJobNameSetting));
    EXPECT_STREQ("20261207090503", stored->GetString().Data());

    // The fallback name of a job without a document name.
    producer->GetSettings()->FindById(FeatureId::kJobSettings)->Add(new GStringAttribute("Nightly", FeatureId::kJobNameFallback));
    EXPECT_STREQ("NIGHTLY", producer->MakeJobName(L"").Data());
}

TEST_F(ProducerTest, UnicodeJobNamesNeverSplitAPairAndMarkLoneHalves)
{
    PageDrawProducer* producer = MakeProducer(L"FILE:", {}, nullptr);
    Put(*producer, FeatureId::kJobSettings, FeatureId::kJobNameUnicode, 1);
    // Fifteen letters, then a pair at the 16th and 17th units: the pair goes whole.
    std::wstring pairAt16 = std::wstring(15, L'a') + L"\xD83D\xDE00" + L"b";
    EXPECT_EQ(std::string(15, 'a'), producer->MakeJobName(pairAt16.c_str()).Data());
    std::wstring pairAt15 = std::wstring(14, L'a') + L"\xD83D\xDE00" + L"b";
    EXPECT_EQ(std::string(14, 'a') + "\xF0\x9F\x98\x80", producer->MakeJobName(pairAt15.c_str()).Data());
    EXPECT_EQ(std::string("x\xEF\xBF\xBDy"), producer->MakeJobName(L"x\xDC00y").Data());
    EXPECT_EQ(std::string("\xEF\xBF\xBD"), producer->MakeJobName(L"\xD800").Data());
}

TEST_F(ProducerTest, LongPassThroughBlocksArriveWholeInCommandsOfAtMost65535Bytes)
{
    struct KeepingWriter : MarkingWriter {
        int16_t OnPassThrough(GPassThroughCommand& c) override
        {
            kept.append(reinterpret_cast<const char*>(c.GetData()), c.GetLength());
            lengths.push_back(c.GetLength());
            return MarkingWriter::OnPassThrough(c);
        }
        std::string kept;
        std::vector<uint32_t> lengths;
    };
    KeepingWriter* writer = new KeepingWriter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {}, writer);
    std::string bytes(70000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 + i / 256);
    PageDrawJob job;
    job.draw = [&](GCommandProducer& p, uint32_t) {
        return p.SendPassThrough(bytes.data(), uint32_t(bytes.size()), RecordingWriter::kClassId, 0, 0, 0);
    };
    EXPECT_EQ(0, job.Run(*producer));
    EXPECT_EQ((std::vector<uint32_t>{65535, 4465}), writer->lengths);
    EXPECT_TRUE(writer->kept == bytes);
}

TEST_F(ProducerTest, AClipWithoutAPathIsAClipToThePage)
{
    PageDrawProducer* producer = MakeProducer(L"FILE:", {}, nullptr);
    EXPECT_EQ(1, producer->SetClip(2, 0));
    ASSERT_NE(nullptr, producer->GetClip());
    EXPECT_EQ(GClipToPage::kClassId, producer->GetClip()->ClassId());
    producer->BeginPath();
    EXPECT_EQ(0, producer->SetClip(2, 0));
    EXPECT_NE(GClipToPage::kClassId, producer->GetClip()->ClassId());
    EXPECT_EQ(nullptr, producer->GetOpenPath());
}

// The four bytes of a colour.
std::vector<int> Bytes(const GRGBColor& color)
{
    return {color.GetRed(), color.GetGreen(), color.GetBlue(), color.GetFourthByte()};
}

TEST_F(ProducerTest, ConfiguringCopiesTheConfiguredColourAndWordsAndARestoreTakesTheWordsBack)
{
    PageDrawProducer* producer = MakeProducer(L"FILE:", {}, nullptr);
    EXPECT_EQ((std::vector<int>{255, 255, 255, 255}), Bytes(producer->GetConfiguredColor()));
    const GCommandProducer::GraphicWords start = producer->GetConfiguredWords();
    EXPECT_EQ(0u, start.first);
    EXPECT_EQ(1u, start.second);
    EXPECT_EQ(10.0f, start.third);

    // A job that drew in another colour starts the next one from the configured colour.
    producer->SetWorkingColor(GRGBColor(1, 2, 3, 255));
    producer->SetWorkingWords({7, 8, 2.5f});
    producer->SetConfiguredColor(GRGBColor(10, 20, 30, 255));
    producer->ConfigureFromSettings();
    EXPECT_EQ((std::vector<int>{10, 20, 30, 255}), Bytes(producer->GetWorkingColor()));
    EXPECT_EQ(0u, producer->GetWorkingWords().first);
    EXPECT_EQ(10.0f, producer->GetWorkingWords().third);

    // Save, change, restore: the words come back; the colour is not part of the saved state.
    producer->SetWorkingWords({4, 5, 6.0f});
    EXPECT_EQ(0, producer->SetClip(0, 0));
    EXPECT_EQ(1u, producer->SavedGraphicStates());
    producer->SetWorkingWords({9, 9, 9.0f});
    producer->SetWorkingColor(GRGBColor(40, 50, 60, 255));
    EXPECT_EQ(0, producer->SetClip(1, 0));
    EXPECT_EQ(0u, producer->SavedGraphicStates());
    EXPECT_EQ(4u, producer->GetWorkingWords().first);
    EXPECT_EQ(5u, producer->GetWorkingWords().second);
    EXPECT_EQ(6.0f, producer->GetWorkingWords().third);
    EXPECT_EQ((std::vector<int>{40, 50, 60, 255}), Bytes(producer->GetWorkingColor()));
    ASSERT_NE(nullptr, producer->GetClip());
    EXPECT_EQ(GClipToPage::kClassId, producer->GetClip()->ClassId()) << "nothing was clipped when saved";

    // A restore with nothing saved leaves the words and clips to the page.
    producer->RestoreGraphicState();
    EXPECT_EQ(4u, producer->GetWorkingWords().first);
    EXPECT_EQ(GClipToPage::kClassId, producer->GetClip()->ClassId());
}

TEST_F(ProducerTest, NestedPathsCloseIntoTheirEnclosingPathAndPaintAtTheOuterEnd)
{
    PageDrawProducer* producer = MakeProducer(L"FILE:", {}, nullptr);
    EXPECT_EQ(0, producer->EndPath(0)) << "a count of 0 stays 0";
    producer->BeginPath();
    producer->BeginPath();
    EXPECT_EQ(1, producer->EndPath(1));
    EXPECT_EQ(0, producer->paints);
    EXPECT_EQ(0, producer->EndPath(0));
    EXPECT_EQ(1, producer->paints);
}

TEST_F(ProducerTest, AJobResetClosesTheOldFontPoolBeforeMakingOne)
{
    PageDrawProducer* producer = MakeProducer(L"FILE:", {}, nullptr);
    GFontDatabase* before = producer->GetFontPool();
    ASSERT_NE(nullptr, before);
    producer->SetDocument(L"a", L"FILE:");
    producer->ResetJob();
    EXPECT_EQ(0u, producer->IsDocumentPending());
    EXPECT_NE(nullptr, producer->GetFontPool());
}

TEST_F(ProducerTest, ADocumentBreakReachesTheDocumentEventHandler)
{
    MarkingWriter writer;
    GDocumentBreak command(0);
    EXPECT_EQ(0, command.Execute(writer));
    EXPECT_EQ((std::vector<std::string>{"OnDocumentEvent 718"}), writer.log);
    EXPECT_TRUE(command.IsKindOf(601));
}

#include "../model/StoredForms.h"

// A restored document start finds its producer again by key; a key that names another
// kind of driver object, or none, gives no producer.
TEST_F(ProducerTest, ARestoredDocumentStartKeepsOnlyALiveProducer)
{
    PageDrawProducer* producer = MakeProducer(L"FILE:", {}, nullptr);
    GDocumentStart start(L"doc", L"FILE:", producer, 0);
    const std::vector<uint8_t> bytes = GutsBytes(start);
    GDocumentStart back(0);
    RestoreGutsFrom(back, bytes);
    EXPECT_EQ(producer, back.GetProducer());

    producer->fixedKey = true, producer->key = 0x7777;
    GDocumentStart unknown(L"doc", L"FILE:", producer, 0);
    GDocumentStart none(0);
    RestoreGutsFrom(none, GutsBytes(unknown));
    EXPECT_EQ(nullptr, none.GetProducer());
}
