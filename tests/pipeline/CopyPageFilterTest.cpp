// The copy-page filter in stand-in jobs: when it acts, the copies it sends, a page's own
// count, a document break, and counts at the edges.
#include "FilterTestHelpers.h"
#include "ProducerTestBed.h"

#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GSelectionString.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "model/MPersistentAssociation.h"
#include "pipeline/GDocumentBreak.h"
#include "pipeline/filters/GCopyPageFilter.h"
#include "graphics/GGraphicBundle.h"

#include <gtest/gtest.h>

using namespace testbed;
using namespace filtertest;

namespace {

// The printer's option 5 means the text given; the job asks for option 5 and the copies.
void Configure(PageDrawProducer& producer, const char* mode, uint16_t copies)
{
    MAssociationList* options = new MAssociationList(FeatureId::kCopyOptionModes);
    options->Add(new MPersistentAssociation(new GValueAttribute(5, 0), new GSelectionString(mode, 0)));
    producer.GetPrinterConfiguration()->Add(options);
    GObjectBase* job = producer.GetSettings()->FindById(FeatureId::kJobSettings);
    Put(job, FeatureId::kCopyOption, 5);
    Put(producer.GetSettings()->FindById(FeatureId::kJobControl), FeatureId::kCopiesRequested, copies);
}

std::vector<int> Repeated(std::initializer_list<int> pages, int times)
{
    std::vector<int> out;
    for (int page : pages)
        for (int i = 0; i < times; ++i)
            out.push_back(page);
    return out;
}

} // namespace

TEST_F(ProducerTest, CopyActsOnlyForLowWithTwoOrMoreCopiesAndSendsEachPageItsCopies)
{
    const struct {
        const char* mode;
        uint16_t copies;
        std::vector<int> sent;
    } cases[] = {
        {"LOW", 3, Repeated({1, 2}, 3)},
        {"LOW", 2, Repeated({1, 2}, 2)},
        {"HIGH", 3, {1, 2}},
        {"LOW", 1, {1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.copies);
        MarkingWriter* writer = new MarkingWriter;
        GCopyPageFilter* filter = new GCopyPageFilter(0);
        PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
        Configure(*producer, c.mode, c.copies);
        PageDrawJob run;
        run.pages = 2;
        EXPECT_EQ(0, run.Run(*producer));
        EXPECT_EQ(c.sent, PageSequence(writer->Events()));
    }
}

TEST_F(ProducerTest, CopyPassesEveryPageCountWholeAndAThousandCopiesInOrder)
{
    for (uint32_t pages : {0u, 1u, 7u}) {
        MarkingWriter* writer = new MarkingWriter;
        PageDrawProducer* producer = MakeProducer(L"FILE:", {new GCopyPageFilter(0)}, writer);
        Configure(*producer, "LOW", 2);
        PageDrawJob run;
        run.pages = pages;
        EXPECT_EQ(0, run.Run(*producer));
        std::vector<int> expected;
        for (int n = 1; n <= int(pages); ++n)
            expected.push_back(n), expected.push_back(n);
        EXPECT_EQ(expected, PageSequence(writer->Events()));
    }
    MarkingWriter* writer = new MarkingWriter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {new GCopyPageFilter(0)}, writer);
    Configure(*producer, "LOW", 1000);
    PageDrawJob run;
    run.pages = 3;
    EXPECT_EQ(0, run.Run(*producer));
    EXPECT_EQ(Repeated({1, 2, 3}, 1000), PageSequence(writer->Events()));
}

TEST_F(ProducerTest, CopyTakesAPagesOwnCountForTheRestOfTheDocument)
{
    MarkingWriter* writer = new MarkingWriter;
    GCopyPageFilter* filter = new GCopyPageFilter(0);
    PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
    Configure(*producer, "LOW", 3);
    GPeripheral* head = producer->GetChainHead();
    auto submit = [&](GCommand* command) { GCountedRef back(head->ReceiveCommand(command)); };
    producer->ConfigureFromSettings();
    submit(producer->StartDocument(L"doc", L"FILE:"));
    EXPECT_EQ(3u, filter->GetCopyCount());
    for (int page = 1; page <= 4; ++page) {
        GState* state = new GState(0);
        if (page == 2)
            state->Add(new GValueAttribute(2, FeatureId::kPageCopies));
        submit(new GPageStart(state, 0));
        submit(new GRectangleGraphic({int16_t(page), 0, 9, 9}, new GGraphicBundle(0), 0));
        // Page 4 asks for no copies at all: it is sent once.
        GState* end = new GState(0);
        if (page == 4)
            end->Add(new GValueAttribute(0, FeatureId::kPageCopies));
        submit(new GPageEnd(end, 0));
    }
    submit(producer->MakeDocumentEnd());
    EXPECT_EQ((std::vector<int>{1, 1, 1, 2, 2, 3, 3, 4}), PageSequence(writer->Events()));
    producer->CloseFontPool();
}

TEST_F(ProducerTest, CopyGoesOnAfterABreakFromWhereTheBreakCame)
{
    MarkingWriter* writer = new MarkingWriter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {new GCopyPageFilter(0)}, writer);
    Configure(*producer, "LOW", 2);
    producer->ConfigureFromSettings();
    producer->SetDocument(L"doc", L"FILE:");
    ASSERT_EQ(0, producer->BeginDocument());
    for (uint32_t n = 1; n <= 3; ++n) {
        producer->BeginPage();
        PageDrawJob::MarkPage(*producer, n);
        producer->FinishPage();
        if (n == 1) {
            EXPECT_EQ(0, producer->Send(new GDocumentBreak(0)));
        }
    }
    EXPECT_EQ(Repeated({1}, 2), PageSequence(writer->Events()));
    EXPECT_EQ(0, producer->Send(producer->MakeDocumentEnd()));
    producer->CloseFontPool();
    EXPECT_EQ(Repeated({1, 2, 3}, 2), PageSequence(writer->Events()));
    EXPECT_EQ("OnDocumentEnd 706", writer->Events().back());
}
