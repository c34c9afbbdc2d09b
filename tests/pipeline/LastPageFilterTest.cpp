// The last-page filter in stand-in jobs: which pages take the last-page tray, when it
// does not act, and the blank last page of its alternative mode.
#include "FilterTestHelpers.h"
#include "ProducerTestBed.h"

#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pipeline/filters/GLastPageFilter.h"

#include <gtest/gtest.h>

using namespace testbed;
using namespace filtertest;

namespace {

// Other pages from tray 1 on "Plain", the last from the tray given on the type given.
void Configure(PageDrawProducer& producer, uint16_t lastTray, const char* lastType, uint16_t duplex)
{
    GObjectBase* job = producer.GetSettings()->FindById(FeatureId::kJobSettings);
    Put(job, FeatureId::kOtherPagesTray, 1);
    PutText(job, FeatureId::kOtherPagesMediaType, "Plain");
    Put(job, FeatureId::kLastPageTray, lastTray);
    PutText(job, FeatureId::kLastPageMediaType, lastType);
    Put(job, FeatureId::kDuplexMode, duplex);
    Put(producer.GetSettings(), FeatureId::kPageTray, 1);
}

} // namespace

TEST_F(ProducerTest, LastPageGivesTheLastPageOrSheetItsTray)
{
    const struct {
        uint32_t pages;
        uint16_t duplex;
        uint16_t lastTray;
        const char* lastType;
        std::vector<int> trays;
    } cases[] = {
        {5, 0, 3, "Plain", {1, 1, 1, 1, 3}},
        {6, 1, 3, "Plain", {1, 1, 1, 1, 3, 3}},
        {7, 1, 3, "Plain", {1, 1, 1, 1, 1, 1, 3}},
        {1, 0, 3, "Plain", {1}},
        {2, 0, 3, "Plain", {1, 3}},
        {0, 0, 3, "Plain", {}},
        {3, 0, 19, "Plain", {1, 1, 1}},
        {3, 0, 19, "Bond", {1, 1, 19}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pages << " pages, duplex " << c.duplex << ", tray " << c.lastTray);
        MarkingWriter* writer = new MarkingWriter;
        PageDrawProducer* producer = MakeProducer(L"FILE:", {new GLastPageFilter(0)}, writer);
        Configure(*producer, c.lastTray, c.lastType, c.duplex);
        PageDrawJob run;
        run.pages = c.pages;
        EXPECT_EQ(0, run.Run(*producer));
        EXPECT_EQ(c.trays, writer->pageTrays);
        std::vector<int> order;
        for (int n = 1; n <= int(c.pages); ++n)
            order.push_back(n);
        EXPECT_EQ(order, writer->marks);
    }
}

TEST_F(ProducerTest, LastPageDoesNotActForAManualDuplexPrinterOnBothSides)
{
    MarkingWriter* writer = new MarkingWriter;
    GLastPageFilter* filter = new GLastPageFilter(0);
    PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
    producer->GetPrinterConfiguration()->Add(new GValueAttribute(1, FeatureId::kManualDuplexPrinter));
    Configure(*producer, 3, "Plain", 1);
    PageDrawJob run;
    run.pages = 4;
    EXPECT_EQ(0, run.Run(*producer));
    EXPECT_EQ((std::vector<int>{1, 1, 1, 1}), writer->pageTrays);
    EXPECT_FALSE(filter->IsActive());
}

TEST_F(ProducerTest, LastPageAlternativeModeAddsABlankBackForLetterhead)
{
    MarkingWriter* writer = new MarkingWriter;
    GLastPageFilter* filter = new GLastPageFilter(0);
    PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
    Configure(*producer, 3, "Letterhead", 0);
    GObjectBase* job = producer->GetSettings()->FindById(FeatureId::kJobSettings);
    Put(job, FeatureId::kLetterheadRule, 1);
    GState* layout = new GState(FeatureId::kPageLayout);
    layout->Add(new GValueAttribute(1, FeatureId::kPagesPerSheet));
    job->Add(layout);
    PageDrawJob run;
    run.pages = 3;
    EXPECT_EQ(0, run.Run(*producer));
    EXPECT_EQ(1u, filter->InAlternativeMode());
    EXPECT_EQ(4u, filter->GetPagesAtEnd());
    EXPECT_EQ((std::vector<int>{1, 2, 3}), writer->marks);
    // The blank back is made in memory from the last page as it was spooled.
    EXPECT_EQ((std::vector<int>{1, 1, 3, 1}), writer->pageTrays);
}
