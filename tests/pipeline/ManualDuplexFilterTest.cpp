// The manual duplex filter in stand-in jobs: when it takes a job over, the two passes it
// sends with their trays and orientations, and what a job without a break keeps.
#include "FilterTestHelpers.h"
#include "ProducerTestBed.h"

#include "../model/StoredForms.h"
#include "../support/AllocationWatch.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GSelectionString.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "model/MPersistentAssociation.h"
#include "pipeline/GDocumentBreak.h"
#include "graphics/GGraphicBundle.h"
#include "graphics/GRectangleGraphic.h"
#include "model/GCommandComposite.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageStart.h"
#include "pipeline/GPassThroughCommand.h"
#include "pipeline/filters/GCopyPageFilter.h"
#include "pipeline/filters/GLastPageFilter.h"
#include "pipeline/filters/GManualDuplexFilter.h"
#include "pipeline/filters/GReverseFilter.h"
#include "printer/GBin.h"
#include "printer/GMedia.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GTray.h"

#include <gtest/gtest.h>

using namespace testbed;
using namespace filtertest;

namespace {

using namespace FeatureId;

// Records the orientation of each page start as well.
class DuplexWriter : public MarkingWriter {
public:
    int16_t OnPageStart(GPageStart& c) override
    {
        orientations.push_back(ValueIn(c.GetState(), kOrientation));
        return MarkingWriter::OnPageStart(c);
    }
    int16_t OnDocumentEnd(GDocumentEnd& c) override
    {
        endMark = ValueIn(c.GetState(), kJobEndMark);
        return MarkingWriter::OnDocumentEnd(c);
    }
    std::vector<int> orientations;
    int endMark = -2;
};

// One job in the page-drawing module's order, with the document break before the end
// when asked; the statuses of every call.
std::vector<uint16_t> RunJob(PageDrawProducer& producer, uint32_t pages, bool withBreak)
{
    std::vector<uint16_t> statuses;
    producer.ConfigureFromSettings();
    producer.SetDocument(L"Report", L"FILE:");
    statuses.push_back(producer.BeginDocument());
    for (uint32_t page = 1; page <= pages; ++page) {
        producer.BeginPage();
        statuses.push_back(PageDrawJob::MarkPage(producer, page));
        statuses.push_back(producer.FinishPage());
    }
    if (withBreak)
        statuses.push_back(producer.Send(new GDocumentBreak(0)));
    statuses.push_back(producer.Send(producer.MakeDocumentEnd()));
    producer.CloseFontPool();
    return statuses;
}

class ManualDuplexTest : public ProducerTest {
protected:
    // A printer without a duplex unit in manual mode 2, a tray 2 (kind 2 with the switch
    // 1226 = 2, else 1) and an output bin 1 of mode 2; the job on tray 2, bin 1, both sides.
    PageDrawProducer* Make(GPeripheral* filter, bool equalKinds, DuplexWriter*& writer)
    {
        writer = new DuplexWriter;
        PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
        GConfiguration* configuration = producer->GetPrinterConfiguration();
        Put(configuration, kManualDuplexPrinter, 2);
        Put(configuration, kDuplexUnitFitted, 0);
        if (equalKinds)
            Put(configuration, kTrayKindSwitch, 2);
        auto* devices = new GAttributeComposite(kInputDevices);
        auto* trays = new GPaperHandlingDevice("trays", GPaperHandlingDevice::kInput, 0, 1, 0, 0, 1);
        auto* trayList = new GAttributeComposite(1);
        trayList->Add(new GTray("Tray 2", 2, 0));
        trays->SetOption(1, trayList);
        auto* bins = new GPaperHandlingDevice("bins", GPaperHandlingDevice::kOutput, 0, 1, 0, 0, 2);
        auto* binList = new GAttributeComposite(1);
        binList->Add(new GBin(0, "Bin", 1, 2, 0, -1, -1, 0, 0, nullptr, nullptr, 0));
        bins->SetOption(1, binList);
        devices->Add(trays);
        devices->Add(bins);
        configuration->Add(devices);
        job_ = producer->GetSettings()->FindById(kJobSettings);
        Put(job_, kDuplexMode, 1);
        Put(job_, kOutputBin, 1);
        job_->Add(MediaOf("Plain"));
        Put(producer->GetSettings(), kPageTray, 2);
        return producer;
    }

    // The copies the spooling filters make: the job's copies, collated by the device.
    static void Copies(PageDrawProducer& producer, uint16_t copies)
    {
        GObjectBase* device = producer.GetSettings()->FindById(365);
        Put(device, kCollationInstalled, 1);
        Put(device, kCollationDevice, 1);
        Put(producer.GetSettings()->FindById(kJobControl), kCopiesRequested, copies);
    }

    GObjectBase* job_ = nullptr;
};

} // namespace

TEST_F(ManualDuplexTest, DuplexOffLeavesTheJobAlone)
{
    DuplexWriter* writer = nullptr;
    GManualDuplexFilter* filter = new GManualDuplexFilter(0);
    PageDrawProducer* producer = Make(filter, true, writer);
    Put(job_, kDuplexMode, 0);
    RunJob(*producer, 3, true);
    EXPECT_EQ((std::vector<int>{1, 2, 3}), PageSequence(writer->Events()));
    EXPECT_FALSE(filter->IsActive());
    EXPECT_EQ(-1, ValueIn(job_, kDuplexTakenOver));
}

TEST_F(ManualDuplexTest, TransparenciesWithADuplexUnitAreOneSidedAndNotTakenOver)
{
    DuplexWriter* writer = nullptr;
    PageDrawProducer* producer = Make(new GManualDuplexFilter(0), true, writer);
    Put(producer->GetPrinterConfiguration(), kDuplexUnitFitted, 1);
    delete job_->RemoveById(kDocumentMedia);
    job_->Add(MediaOf("Transparency"));
    GState state(0);
    state.Add(MediaOf("Transparency"));
    Put(&state, kDuplexMode, 1);
    EXPECT_EQ(0, GManualDuplexFilter::WouldTakeOver(&state, producer));
    EXPECT_EQ(1, ValueIn(&state, kDuplexMode)) << "the question changes nothing";
    RunJob(*producer, 3, true);
    EXPECT_EQ((std::vector<int>{1, 2, 3}), PageSequence(writer->Events()));
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(ManualDuplexTest, TheDecisionTableOfMediaUnitAndMode)
{
    const struct {
        int manual;     // 245
        int unit;       // 204, -1 absent
        const char* type;
        int listed;     // 188 holds the media id: 1, holds another: 0, absent: -1
        int forbidden;  // 905
        int acts, duplexAfter, markAfter;
    } cases[] = {
        {2, 0, "Plain", -1, 0, 1, 1, -1},     // no unit: takes over, 253 stays
        {2, 0, "Labels", -1, 0, 0, 1, -1},    // no unit, labels: nothing
        {2, 1, "Plain", 1, 0, 0, 1, -1},      // the unit takes the paper
        {2, 1, "Plain", 0, 0, 1, 0, 1},       // the unit does not take it
        {2, -1, "Plain", -1, 0, 0, 1, -1},    // unit by default, no list
        {2, 1, "Plain", 1, 1, 1, 0, 1},       // 905 makes the paper unusable
        {2, 1, "Labels", 1, 0, 0, 0, 1},      // the unit refuses labels
        {0, 0, "Plain", -1, 0, 0, 0, -1},     // manual mode 0, no unit: one-sided
        {0, 1, "Plain", 1, 1, 0, 0, -1},      // manual mode 0, unusable with a list
        {0, 1, "Plain", 1, 0, 0, 1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.manual << " " << c.unit << " " << c.type << " " << c.listed << " "
                                        << c.forbidden);
        DuplexWriter* writer = nullptr;
        GManualDuplexFilter* filter = new GManualDuplexFilter(0);
        PageDrawProducer* producer = Make(filter, true, writer);
        GConfiguration* configuration = producer->GetPrinterConfiguration();
        Put(configuration, kManualDuplexPrinter, uint16_t(c.manual));
        delete configuration->RemoveById(kDuplexUnitFitted);
        if (c.unit >= 0)
            Put(configuration, kDuplexUnitFitted, uint16_t(c.unit));
        if (c.listed >= 0) {
            auto* list = new GAttributeComposite(kDuplexMediaIds);
            list->Add(new GValueAttribute(c.listed ? 23 : 24, 0));
            configuration->Add(list);
        }
        delete job_->RemoveById(kDocumentMedia);
        job_->Add(MediaOf(c.type));
        Put(job_, kLetterheadOverride, uint16_t(c.forbidden));
        GState* copy = static_cast<GState*>(producer->BuildJobState());
        EXPECT_EQ(c.acts, GManualDuplexFilter::WouldTakeOver(copy, producer));
        const GManualDuplexFilter::Decision d = GManualDuplexFilter::Decide(copy, producer);
        EXPECT_EQ(c.duplexAfter == 0, d.clearsDuplex != 0);
        EXPECT_EQ(c.markAfter == 1, d.marksTakenOver != 0);
        EXPECT_EQ(1, ValueIn(copy, kDuplexMode)) << "deciding changes nothing";
        delete copy;
        producer->ConfigureFromSettings();
        producer->SetDocument(L"doc", L"FILE:");
        ASSERT_EQ(0, producer->BeginDocument());
        EXPECT_EQ(c.acts, int(filter->IsHoldingDocument()));
        EXPECT_EQ(0, producer->Send(producer->MakeDocumentEnd()));
        producer->CloseFontPool();
    }
}

TEST_F(ManualDuplexTest, FivePagesGoEvenFirstWithABlankThenOdd)
{
    const struct {
        bool equalKinds;
        std::vector<int> sent;
    } cases[] = {
        {true, {2, 4, 0, 1, 3, 5}},
        {false, {0, 4, 2, 1, 3, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.equalKinds);
        DuplexWriter* writer = nullptr;
        GManualDuplexFilter* filter = new GManualDuplexFilter(0);
        PageDrawProducer* producer = Make(filter, c.equalKinds, writer);
        const std::vector<uint16_t> statuses = RunJob(*producer, 5, true);
        EXPECT_EQ(std::vector<uint16_t>(statuses.size(), 0), statuses);
        EXPECT_EQ(c.sent, PageSequence(writer->Events()));
        const std::vector<std::string> events = writer->Events();
        ASSERT_FALSE(events.empty());
        EXPECT_EQ("OnDocumentStart 705", events.front());
        EXPECT_EQ(1, std::count(events.begin(), events.end(), "OnDocumentEvent 718"));
        EXPECT_EQ("OnDocumentEnd 706", events.back());
        EXPECT_EQ(GManualDuplexFilter::kOddUp, filter->GetSecondPassOrder());
        EXPECT_EQ(std::vector<int>(6, 2), writer->pageTrays);
        EXPECT_EQ(1, ValueIn(job_, kDuplexMode)) << "the settings keep the job's choice";
        EXPECT_TRUE(TempFiles().empty());
    }
}

TEST_F(ManualDuplexTest, OnePageNeedsNoBlankNoBreakAndClears1010)
{
    DuplexWriter* writer = nullptr;
    PageDrawProducer* producer = Make(new GManualDuplexFilter(0), true, writer);
    Put(producer->GetPrinterConfiguration(), kManualDuplexMarker, 1);
    RunJob(*producer, 1, true);
    EXPECT_EQ(std::vector<int>{1}, PageSequence(writer->Events())) << "printed once, not once per pass";
    const std::vector<std::string> events = writer->Events();
    EXPECT_EQ(0, std::count(events.begin(), events.end(), "OnDocumentEvent 718"));
    EXPECT_EQ(0, ValueIn(producer->GetPrinterConfiguration(), kManualDuplexMarker));
}

TEST_F(ManualDuplexTest, CopiesRepeatEachPass)
{
    DuplexWriter* writer = nullptr;
    GManualDuplexFilter* filter = new GManualDuplexFilter(0);
    PageDrawProducer* producer = Make(filter, true, writer);
    Copies(*producer, 3);
    RunJob(*producer, 5, true);
    EXPECT_EQ((std::vector<int>{2, 4, 0, 2, 4, 0, 2, 4, 0, 1, 3, 5, 1, 3, 5, 1, 3, 5}), PageSequence(writer->Events()));
    // A count below one makes one copy.
    DuplexWriter* second = nullptr;
    filter = new GManualDuplexFilter(0);
    producer = Make(filter, true, second);
    Copies(*producer, 0);
    RunJob(*producer, 2, true);
    EXPECT_EQ(1, filter->GetCopies());
    writer = second;
    EXPECT_EQ((std::vector<int>{2, 1}), PageSequence(writer->Events()));
}

TEST_F(ManualDuplexTest, FirstPassPagesAreTurnedHalfRoundInModeTwo)
{
    for (uint16_t mode : {1, 2}) {
        SCOPED_TRACE(mode);
        DuplexWriter* writer = nullptr;
        PageDrawProducer* producer = Make(new GManualDuplexFilter(0), true, writer);
        Put(job_, kDuplexMode, mode);
        GObjectBase* pageSettings = producer->GetSettings()->FindById(363);
        ASSERT_NE(nullptr, pageSettings);
        Put(pageSettings, kOrientation, 90);
        RunJob(*producer, 2, true);
        ASSERT_EQ((std::vector<int>{2, 1}), PageSequence(writer->Events()));
        EXPECT_EQ((std::vector<int>{mode == 2 ? 270 : 90, 90}), writer->orientations);
    }
}

// A command that arrives after a page, outside any page, is held with that page and
// replayed right behind it, in whichever pass the page goes.
TEST_F(ManualDuplexTest, CommandsHeldAfterAPageFollowItInItsPass)
{
    DuplexWriter* writer = nullptr;
    PageDrawProducer* producer = Make(new GManualDuplexFilter(0), true, writer);
    const uint8_t bytes[] = {1, 2, 3};
    producer->ConfigureFromSettings();
    producer->SetDocument(L"Report", L"FILE:");
    ASSERT_EQ(0, producer->BeginDocument());
    for (uint16_t page = 1; page <= 4; ++page) {
        producer->BeginPage();
        PageDrawJob::MarkPage(*producer, page);
        producer->FinishPage();
        if (page <= 2) {
            EXPECT_EQ(0, producer->Deliver(new GPassThroughCommand(bytes, page, page, 0)));
        }
    }
    EXPECT_EQ(0, producer->Send(new GDocumentBreak(0)));
    EXPECT_EQ(0, producer->Send(producer->MakeDocumentEnd()));
    producer->CloseFontPool();
    std::vector<std::string> order;
    for (const std::string& e : writer->Events())
        if (e.compare(0, 5, "Mark ") == 0 || e == "OnPassThrough 608" || e == "OnDocumentEvent 718")
            order.push_back(e);
    EXPECT_EQ((std::vector<std::string>{"Mark 2", "OnPassThrough 608", "Mark 4", "OnDocumentEvent 718", "Mark 1",
                                        "OnPassThrough 608", "Mark 3"}),
              order);
}

// Without a break the document start and the first pass would have gone with the output
// the document end deletes: every page still goes, the start first.
TEST_F(ManualDuplexTest, WithoutABreakEveryPageGoesWithTheStartFirst)
{
    DuplexWriter* writer = nullptr;
    PageDrawProducer* producer = Make(new GManualDuplexFilter(0), true, writer);
    const std::vector<uint16_t> statuses = RunJob(*producer, 5, false);
    EXPECT_EQ(std::vector<uint16_t>(statuses.size(), 0), statuses);
    EXPECT_EQ((std::vector<int>{2, 4, 0, 1, 3, 5}), PageSequence(writer->Events()));
    const std::vector<std::string> events = writer->Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ("OnDocumentStart 705", events.front());
    EXPECT_EQ(1, std::count(events.begin(), events.end(), "OnDocumentStart 705"));
}

// A whole document from an earlier stage, its break and its end inside: each page is
// prepared as it is taken, and both passes go on.
TEST_F(ManualDuplexTest, AWholeDocumentWithItsBreakAndEndSendsBothPasses)
{
    DuplexWriter* writer = nullptr;
    PageDrawProducer* producer = Make(new GManualDuplexFilter(0), true, writer);
    producer->ConfigureFromSettings();
    GDocumentStart* start = new GDocumentStart(L"doc", L"FILE:", producer, 0);
    start->AdoptState(producer->BuildJobState());
    GCommandComposite* whole = new GCommandComposite(0);
    whole->Add(start);
    for (int n = 1; n <= 3; ++n) {
        GCommandComposite* page = new GCommandComposite(0);
        GState* state = new GState(256);
        state->Add(new GValueAttribute(2, kPageTray));
        page->Add(new GPageStart(state, 0));
        page->Add(new GRectangleGraphic(GRect{int16_t(n), 10, int16_t(n + 100), 110}, new GGraphicBundle(0), 0));
        page->Add(new GPageEnd(0));
        whole->Add(page);
    }
    whole->Add(new GDocumentBreak(0));
    whole->Add(new GDocumentEnd(0));
    EXPECT_EQ(0, producer->Deliver(whole));
    producer->CloseFontPool();
    EXPECT_EQ((std::vector<int>{2, 0, 1, 3}), PageSequence(writer->Events()));
    const std::vector<std::string> events = writer->Events();
    EXPECT_EQ(1, std::count(events.begin(), events.end(), "OnDocumentEvent 718"));
    EXPECT_EQ(1, std::count(events.begin(), events.end(), "OnDocumentEnd 706"));
}

TEST_F(ManualDuplexTest, PageCountsPassWholeWithAnEmptyFolder)
{
    for (uint32_t pages : {0u, 1u, 7u}) {
        SCOPED_TRACE(pages);
        DuplexWriter* writer = nullptr;
        PageDrawProducer* producer = Make(new GManualDuplexFilter(0), true, writer);
        RunJob(*producer, pages, true);
        std::vector<int> sent = PageSequence(writer->Events());
        std::sort(sent.begin(), sent.end());
        std::vector<int> expected;
        if (pages > 1 && pages % 2)
            expected.push_back(0);
        for (int n = 1; n <= int(pages); ++n)
            expected.push_back(n);
        EXPECT_EQ(expected, sent);
        EXPECT_TRUE(TempFiles().empty());
    }
}

TEST_F(ManualDuplexTest, TheEndMarkGoesOnlyWithoutAFixedTray)
{
    for (uint16_t fixed : {0, 3}) {
        SCOPED_TRACE(fixed);
        DuplexWriter* writer = nullptr;
        PageDrawProducer* producer = Make(new GManualDuplexFilter(0, fixed), true, writer);
        RunJob(*producer, 2, true);
        EXPECT_EQ(fixed == 0 ? 1 : -1, writer->endMark);
        // A fixed tray is the tray the second pass is fed from.
        EXPECT_EQ((std::vector<int>{2, fixed ? 3 : 2}), writer->pageTrays);
    }
}

// A copy count read from the job that would hold more pages than the bound ends the
// held document with a failure status instead of asking for memory without end.
TEST_F(ManualDuplexTest, AHugeCopyCountEndsTheHeldDocumentWithStatusTwo)
{
    DuplexWriter* writer = nullptr;
    GManualDuplexFilter* filter = new GManualDuplexFilter(0);
    PageDrawProducer* producer = Make(filter, true, writer);
    // The count is read sign-extended: 32767 is the most; ten times that is too many.
    Copies(*producer, 32767);
    AllocationWatch::ResetLargest();
    const std::vector<uint16_t> statuses = RunJob(*producer, 9, true);
    EXPECT_EQ(2, statuses[statuses.size() - 2]) << "the break fails";
    EXPECT_TRUE(writer->marks.empty());
    EXPECT_LT(AllocationWatch::Largest(), size_t(1) << 20);
    EXPECT_EQ(0u, filter->IsHoldingDocument());
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(ProducerTest, AHugePageCopyCountEndsTheHeldDocumentWithStatusTwo)
{
    MarkingWriter* writer = new MarkingWriter;
    GCopyPageFilter* filter = new GCopyPageFilter(0);
    PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
    MAssociationList* options = new MAssociationList(kCopyOptionModes);
    options->Add(new MPersistentAssociation(new GValueAttribute(5, 0), new GSelectionString("LOW", 0)));
    producer->GetPrinterConfiguration()->Add(options);
    Put(producer->GetSettings()->FindById(kJobSettings), kCopyOption, 5);
    Put(producer->GetSettings()->FindById(kJobControl), kCopiesRequested, 65535);
    AllocationWatch::ResetLargest();
    PageDrawJob job;
    job.pages = 5;
    EXPECT_NE(0, job.Run(*producer));
    EXPECT_NE(job.statuses.end(), std::find(job.statuses.begin(), job.statuses.end(), 2));
    EXPECT_TRUE(writer->marks.empty());
    EXPECT_LT(AllocationWatch::Largest(), size_t(1) << 20);
    EXPECT_EQ(0u, filter->IsHoldingDocument());
    EXPECT_TRUE(TempFiles().empty());
}

TEST(ManualDuplexStoredForm, TheFixedTrayIsStoredAfterTheVersion)
{
    GManualDuplexFilter filter(4, 7);
    GReverseFilter plain(4);
    EXPECT_EQ(plain.BinaryStoreSize() + 2, filter.BinaryStoreSize());
    const std::vector<uint8_t> bytes = SavedBytes(&filter);
    std::unique_ptr<RWCollectable> back(RestoredFromBytes(bytes));
    const GManualDuplexFilter* restored = dynamic_cast<const GManualDuplexFilter*>(back.get());
    ASSERT_NE(nullptr, restored);
    EXPECT_EQ(7, restored->GetFixedTray());
    EXPECT_TRUE(restored->IsSame(&filter));
}

TEST(ManualDuplexOrders, EachOrderGivesItsPages)
{
    using F = GManualDuplexFilter;
    EXPECT_EQ((std::vector<uint32_t>{1, 3, 5}), F::PagesInOrder(F::kOddUp, 6, 6));
    EXPECT_EQ((std::vector<uint32_t>{5, 3, 1}), F::PagesInOrder(F::kOddDown, 6, 6));
    EXPECT_EQ((std::vector<uint32_t>{2, 4, 6}), F::PagesInOrder(F::kEvenUp, 6, 6));
    EXPECT_EQ((std::vector<uint32_t>{6, 4, 2}), F::PagesInOrder(F::kEvenDown, 6, 6));
    EXPECT_EQ((std::vector<uint32_t>{5, 3, 1}), F::PagesInOrder(F::kOddDown, 5, 4));
    // One page: the even passes print it, the odd ones nothing, so it goes once.
    for (int32_t order : {F::kOddUp, F::kOddDown})
        EXPECT_TRUE(F::PagesInOrder(order, 1, 1).empty());
    for (int32_t order : {F::kEvenUp, F::kEvenDown})
        EXPECT_EQ(std::vector<uint32_t>{1}, F::PagesInOrder(order, 1, 1));
}
