// Whole jobs through the chain the page-drawing module builds: the filters by class name
// in the module's order, then the printer with a recording writer.
#include "FilterTestHelpers.h"
#include "ProducerTestBed.h"
#include "PageDrawChain.h"

#include "graphics/GGraphicBundle.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GSelectionString.h"
#include "model/MAssociationList.h"
#include "model/MPersistentAssociation.h"
#include "model/GValueAttribute.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/GPageStart.h"
#include "pipeline/filters/GBookletFilter.h"
#include "printer/GMedia.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace testbed;
using namespace filtertest;

namespace {

// Records the pass-through text it gets and the transform each mark is drawn with.
class ChainWriter : public MarkingWriter {
public:
    int16_t OnPassThrough(GPassThroughCommand& c) override
    {
        passed.append(reinterpret_cast<const char*>(c.GetData()), c.GetLength());
        return MarkingWriter::OnPassThrough(c);
    }
    int16_t ApplyTransform(GTransformAttribute& a) override
    {
        originX = a.GetOriginX();
        return MarkingWriter::ApplyTransform(a);
    }
    int16_t DrawRectangle(GRectangleGraphic& c) override
    {
        drawnAt.push_back({c.GetBounds().left, originX});
        return MarkingWriter::DrawRectangle(c);
    }
    std::string passed;
    int originX = 0;
    std::vector<std::pair<int, int>> drawnAt;
};

} // namespace

class ChainTest : public ProducerTest {
protected:
    PageDrawProducer* MakeChained(ChainWriter* writer, const std::vector<std::string>& names = PageDrawChain::ModuleOrder())
    {
        PageDrawProducer* producer = MakeProducer(L"FILE:", {}, nullptr);
        if (producer)
            producer->SetPrinter(PageDrawChain::Build(writer, names, &made_));
        return producer;
    }
    GObjectBase* Job(PageDrawProducer* producer) { return producer->GetSettings()->FindById(FeatureId::kJobSettings); }
    std::vector<std::string> made_;
};

TEST_F(ChainTest, TheModuleChainHoldsEveryRegisteredFilterInItsOrder)
{
    ChainWriter* writer = new ChainWriter;
    MakeChained(writer);
    for (const char* name : {"GWatermarkFilter", "GScalePageFilter", "GFitToSizeFilter", "GEmulateMarginsFilter",
                             "GSymetricalDuplexFilter", "GNupFilter", "GBookletFilter", "GCopyPageFilter",
                             "GLastPageFilter", "GReverseFilter", "GFaceUpFilter"})
        EXPECT_NE(made_.end(), std::find(made_.begin(), made_.end(), name)) << name;
    const std::vector<std::string>& order = PageDrawChain::ModuleOrder();
    size_t at = 0;
    for (const std::string& name : made_) {
        const auto found = std::find(order.begin() + at, order.end(), name);
        ASSERT_NE(order.end(), found) << name << " out of order";
        at = size_t(found - order.begin());
    }
}

TEST_F(ChainTest, ABookletOfSixWritesItsPassThroughMarkersInBookletOrder)
{
    ChainWriter* writer = new ChainWriter;
    PageDrawProducer* producer = MakeChained(writer);
    Put(Job(producer), FeatureId::kBookletPrinting, 1);
    GiveBookletPaper(*producer, Job(producer));
    Job(producer)->Add(Letter());
    PageDrawJob job;
    job.pages = 6;
    job.draw = [](GCommandProducer& p, uint32_t n) {
        const std::string marker = "P" + std::to_string(n);
        p.SendPassThrough(marker.data(), uint32_t(marker.size()), RecordingWriter::kClassId, 0, 0, 0);
        return PageDrawJob::MarkPage(p, n);
    };
    EXPECT_EQ(0, job.Run(*producer));
    EXPECT_EQ("P1P2P6P3P4P5", writer->passed);
}

TEST_F(ChainTest, ReverseBeforeTwoUpPutsEachPairOnASheetInItsCell)
{
    ChainWriter* writer = new ChainWriter;
    PageDrawProducer* producer = MakeChained(writer, {"GReverseFilter", "GNupFilter"});
    Put(Job(producer), FeatureId::kReverseOrder, 1);
    GState* layout = new GState(FeatureId::kPageLayout);
    layout->Add(new GValueAttribute(2, FeatureId::kPagesPerSheet));
    Job(producer)->Add(layout);
    Job(producer)->Add(Letter());
    PageDrawJob job;
    job.pages = 6;
    EXPECT_EQ(0, job.Run(*producer));
    EXPECT_EQ((std::vector<std::vector<int>>{{6, 5}, {4, 3}, {2, 1}}), Sheets(writer->Events()));
    // The left cell's page origin is (164, 554), the right one's x is 3313 + 62.
    const std::vector<std::pair<int, int>> expected = {{6, 164}, {5, 3375}, {4, 164}, {3, 3375}, {2, 164}, {1, 3375}};
    EXPECT_EQ(expected, writer->drawnAt);
}

TEST_F(ChainTest, TwoSidedJobsWithAndWithoutABreakLoseNoPage)
{
    for (bool breakFirst : {false, true}) {
        SCOPED_TRACE(breakFirst);
        ChainWriter* writer = new ChainWriter;
        PageDrawProducer* producer = MakeChained(writer);
        Put(Job(producer), FeatureId::kDuplexMode, 1);
        PageDrawJob job;
        job.pages = 5;
        job.breakBeforeEnd = breakFirst;
        EXPECT_EQ(0, job.Run(*producer));
        std::vector<int> marks = writer->marks;
        std::sort(marks.begin(), marks.end());
        EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5}), marks);
    }
}

TEST_F(ChainTest, ASpoolFailureAtPageThreeEndsTheBookletOnce)
{
    ChainWriter* writer = new ChainWriter;
    PageDrawProducer* producer = MakeChained(writer);
    producer->fixedKey = true, producer->key = 0;
    Put(Job(producer), FeatureId::kBookletPrinting, 1);
    GiveBookletPaper(*producer, Job(producer));
    Job(producer)->Add(Letter());
    const RWWString folder = GPageSpoolFilter::JobSpoolFolder(producer);
    const std::string blocker = Narrow(folder) + "\\3.pg";
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
    PageDrawJob job;
    job.pages = 5;
    EXPECT_EQ(2, job.Run(*producer));
    RemoveDirectoryA(blocker.c_str());
    const std::vector<std::string> events = writer->Events();
    EXPECT_EQ(1, std::count(events.begin(), events.end(), "OnJobAbort 713"));

    // The booklet lock is free: another thread's booklet spools at once.
    std::thread other([&] {
        GBookletFilter second(0);
        GState* state = new GState(0);
        state->Add(new GValueAttribute(1, FeatureId::kBookletPrinting));
        GCountedRef started(second.ReceiveCommand(new GDocumentStart(L"doc", "", L"FILE:", producer, state, 0)));
        GCountedRef paged(second.ReceiveCommand(new GPageStart(new GState(0), 0)));
        EXPECT_EQ(715u, paged->ClassId());
        GCountedRef aborted(second.ReceiveCommand(new GJobAbort(0)));
    });
    other.join();
    GPageSpoolFilter::RemoveSpoolFolder(producer);
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(ChainTest, AChannelThatFailsToOpenUnderReverseFailsTheDocumentEnd)
{
    provider_.supply = TestOutputProvider::kNone;
    ChainWriter* writer = new ChainWriter;
    PageDrawProducer* producer = MakeChained(writer);
    Put(Job(producer), FeatureId::kReverseOrder, 1);
    PageDrawJob job;
    job.pages = 3;
    EXPECT_EQ(601, job.Run(*producer));
    EXPECT_EQ(601, job.statuses.back());
}


// The booklet's imposed sheets are whole pages to the spooling filters after it.
TEST_F(ChainTest, ReverseAndCopiesActOnTheBookletsSheets)
{
    ChainWriter* writer = new ChainWriter;
    PageDrawProducer* producer = MakeChained(writer);
    Put(Job(producer), FeatureId::kBookletPrinting, 1);
    GiveBookletPaper(*producer, Job(producer));
    Put(Job(producer), FeatureId::kReverseOrder, 1);
    Job(producer)->Add(Letter());
    MAssociationList* options = new MAssociationList(FeatureId::kCopyOptionModes);
    options->Add(new MPersistentAssociation(new GValueAttribute(5, 0), new GSelectionString("LOW", 0)));
    producer->GetPrinterConfiguration()->Add(options);
    Put(Job(producer), FeatureId::kCopyOption, 5);
    Put(producer->GetSettings()->FindById(FeatureId::kJobControl), FeatureId::kCopiesRequested, 2);
    PageDrawJob job;
    job.pages = 4;
    EXPECT_EQ(0, job.Run(*producer));
    EXPECT_EQ((std::vector<std::vector<int>>{{2, 3}, {2, 3}, {4, 1}, {4, 1}}), Sheets(writer->Events()));
}
