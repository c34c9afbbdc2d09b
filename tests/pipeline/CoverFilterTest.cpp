// The cover and letterhead filters in stand-in jobs: the blank sheets they add, from
// which tray and on which paper, and the pages the letterhead filter turns.
#include "FilterTestHelpers.h"
#include "ProducerTestBed.h"

#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pipeline/GPageStart.h"
#include "pipeline/filters/GBackCoverFilter.h"
#include "pipeline/filters/GFrontCoverFilter.h"
#include "pipeline/filters/GLetterheadFilter.h"
#include "pipeline/filters/GReverseFilter.h"
#include "printer/GMedia.h"

#include <gtest/gtest.h>

#include <functional>

using namespace testbed;
using namespace filtertest;

namespace {

using namespace FeatureId;

// What each page start carried: the mark of the page (0 blank), its tray, its media
// type, its two-sided value and its orientation.
struct SentPage {
    int mark;
    int tray;
    std::string type;
    int twoSided;
    int orientation;
};

class PageWriter : public MarkingWriter {
public:
    int16_t OnPageStart(GPageStart& c) override
    {
        GState* state = c.GetState();
        const GMedia* media = dynamic_cast<const GMedia*>(state ? state->FindById(kDocumentMedia) : nullptr);
        pages.push_back({0, ValueIn(state, kPageTray), media ? media->GetSecondString().Data() : "-",
                         ValueIn(state, kDuplexMode), ValueIn(state, kOrientation)});
        return MarkingWriter::OnPageStart(c);
    }
    int16_t DrawRectangle(GRectangleGraphic& c) override
    {
        const int16_t status = MarkingWriter::DrawRectangle(c);
        if (!pages.empty())
            pages.back().mark = marks.back();
        return status;
    }
    std::vector<int> Marks() const
    {
        std::vector<int> out;
        for (const SentPage& page : pages)
            out.push_back(page.mark);
        return out;
    }
    std::vector<int> Trays() const
    {
        std::vector<int> out;
        for (const SentPage& page : pages)
            out.push_back(page.tray);
        return out;
    }
    std::vector<SentPage> pages;
};

class CoverTest : public ProducerTest {
protected:
    // The job on "Plain" (media 23) from tray 1.
    PageDrawProducer* Make(std::vector<GPeripheral*> filters, PageWriter*& writer)
    {
        writer = new PageWriter;
        PageDrawProducer* producer = MakeProducer(L"FILE:", filters, writer);
        job_ = producer->GetSettings()->FindById(kJobSettings);
        job_->Add(MediaOf("Plain"));
        Put(producer->GetSettings(), kPageTray, 1);
        return producer;
    }
    // The duplex unit takes media 23 (list 188).
    static void DuplexTakes23(PageDrawProducer& producer)
    {
        auto* list = new GAttributeComposite(kDuplexMediaIds);
        list->Add(new GValueAttribute(23, 0));
        producer.GetPrinterConfiguration()->Add(list);
    }
    // Letterhead mode on, one page per sheet, one-sided.
    void LetterheadMode(PageDrawProducer&)
    {
        Put(job_, kLetterheadRule, 1);
        Put(job_, kDuplexMode, 0);
        GAttributeComposite* layout = new GAttributeComposite(kPageLayout);
        layout->Add(new GValueAttribute(1, kPagesPerSheet));
        job_->Add(layout);
    }
    uint16_t Run(PageDrawProducer& producer, uint32_t pages)
    {
        PageDrawJob job;
        job.pages = pages;
        return job.Run(producer);
    }
    // A run whose page n comes from the tray trayOf(n).
    uint16_t Run(PageDrawProducer& producer, uint32_t pages, std::function<uint16_t(uint32_t)> trayOf)
    {
        GObjectBase* root = producer.GetSettings();
        PageDrawJob job;
        job.pages = pages;
        job.draw = [&](GCommandProducer& p, uint32_t n) {
            Put(root, kPageTray, trayOf(n));
            return PageDrawJob::MarkPage(p, n);
        };
        return job.Run(producer);
    }

    GObjectBase* job_ = nullptr;
};

} // namespace

TEST_F(CoverTest, FrontCoverOnATwoSidedJobIsTwoBlankPagesFromTheCoverTray)
{
    PageWriter* writer = nullptr;
    PageDrawProducer* producer = Make({new GFrontCoverFilter(0)}, writer);
    Put(job_, kFrontCover, 1);
    Put(job_, kFrontCoverTray, 5);
    PutText(job_, kFrontCoverMediaType, "Cover");
    Put(job_, kDuplexMode, 1);
    EXPECT_EQ(0, Run(*producer, 3));
    EXPECT_EQ((std::vector<int>{0, 0, 1, 2, 3}), writer->Marks());
    EXPECT_EQ((std::vector<int>{5, 5, 1, 1, 1}), writer->Trays());
    EXPECT_EQ("Cover", writer->pages[0].type);
    EXPECT_EQ("Cover", writer->pages[1].type);
}

TEST_F(CoverTest, FrontCoverCasesOfTheDecision)
{
    const struct {
        const char* name;
        int cover;          // 1218
        bool tray;          // 1214 present
        bool media;         // 259 present
        bool letterhead;    // 1240 = 1, one page per sheet, one-sided
        const char* type;   // 1215
        bool unitTakes;
        std::vector<int> marks;
        std::vector<int> twoSided; // of the cover pages
    } cases[] = {
        {"one-sided", 1, true, true, false, "Cover", false, {0, 1, 2}, {}},
        {"off", 0, true, true, false, "Cover", false, {1, 2}, {}},
        {"no cover tray", 1, false, true, false, "Cover", false, {1, 2}, {}},
        {"no job media", 1, true, false, false, "Cover", false, {1, 2}, {}},
        {"letterhead through the duplex path", 1, true, true, true, "Letterhead", true, {0, 0, 1, 2}, {2, 2}},
        {"letterhead the unit does not take", 1, true, true, true, "Letterhead", false, {0, 1, 2}, {0}},
        {"plain paper in letterhead mode", 1, true, true, true, "Plain", true, {0, 1, 2}, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PageWriter* writer = nullptr;
        PageDrawProducer* producer = Make({new GFrontCoverFilter(0)}, writer);
        Put(job_, kFrontCover, uint16_t(c.cover));
        if (c.tray)
            Put(job_, kFrontCoverTray, 5);
        PutText(job_, kFrontCoverMediaType, c.type);
        if (!c.media)
            delete job_->RemoveById(kDocumentMedia);
        if (c.letterhead)
            LetterheadMode(*producer);
        if (c.unitTakes)
            DuplexTakes23(*producer);
        EXPECT_EQ(0, Run(*producer, 2));
        EXPECT_EQ(c.marks, writer->Marks());
        for (size_t i = 0; i < c.twoSided.size(); ++i)
            EXPECT_EQ(c.twoSided[i], writer->pages[i].twoSided);
    }
}

TEST_F(CoverTest, NoFrontCoverOnABookletTheManualDuplexFilterWouldTakeOver)
{
    for (bool takesOver : {true, false}) {
        SCOPED_TRACE(takesOver);
        PageWriter* writer = nullptr;
        PageDrawProducer* producer = Make({new GFrontCoverFilter(0)}, writer);
        Put(job_, kFrontCover, 1);
        Put(job_, kFrontCoverTray, 5);
        Put(job_, kBookletJob, 1);
        testbed::GiveBookletPaper(*producer, job_);
        Put(job_, kDuplexMode, 1);
        Put(producer->GetPrinterConfiguration(), kManualDuplexPrinter, takesOver ? 2 : 0);
        Put(producer->GetPrinterConfiguration(), kDuplexUnitFitted, 0);
        EXPECT_EQ(0, Run(*producer, 1));
        EXPECT_EQ((takesOver ? std::vector<int>{1} : std::vector<int>{0, 0, 1}), writer->Marks());
    }
}

TEST_F(CoverTest, BackCoverFillsAnOddTwoSidedJobUnlessTheSheetsAreTurnedByHand)
{
    for (bool manual : {false, true}) {
        SCOPED_TRACE(manual);
        PageWriter* writer = nullptr;
        PageDrawProducer* producer = Make({new GBackCoverFilter(0)}, writer);
        Put(job_, kBackCoverMode, 2);
        Put(job_, kBackCoverTray, 4);
        PutText(job_, kBackCoverMediaType, "Card");
        Put(job_, kDuplexMode, 1);
        if (manual) {
            Put(producer->GetPrinterConfiguration(), kManualDuplexPrinter, 1);
            Put(producer->GetPrinterConfiguration(), kManualDuplexMarker, 1);
        }
        EXPECT_EQ(0, Run(*producer, 3));
        EXPECT_EQ((manual ? std::vector<int>{1, 2, 3, 0} : std::vector<int>{1, 2, 3, 0, 0}), writer->Marks());
        EXPECT_EQ(4, writer->pages.back().tray);
        EXPECT_EQ("Card", writer->pages.back().type);
    }
}

TEST_F(CoverTest, BackCoverModeOneTakesTheFirstPagesPaper)
{
    PageWriter* writer = nullptr;
    PageDrawProducer* producer = Make({new GBackCoverFilter(0)}, writer);
    Put(job_, kBackCoverMode, 1);
    EXPECT_EQ(0, Run(*producer, 2, [](uint32_t n) { return uint16_t(n == 1 ? 3 : 1); }));
    EXPECT_EQ((std::vector<int>{1, 2, 0}), writer->Marks());
    EXPECT_EQ((std::vector<int>{3, 1, 3}), writer->Trays());
    EXPECT_EQ("Plain", writer->pages.back().type);
}

TEST_F(CoverTest, APaperChangeStartsANewSheetBeforeTheBackCover)
{
    PageWriter* writer = nullptr;
    GBackCoverFilter* filter = new GBackCoverFilter(0);
    PageDrawProducer* producer = Make({filter}, writer);
    Put(job_, kBackCoverMode, 2);
    Put(job_, kBackCoverTray, 4);
    Put(job_, kDuplexMode, 1);
    EXPECT_EQ(0, Run(*producer, 4, [](uint32_t n) { return uint16_t(n == 4 ? 2 : 1); }));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 0, 0}), writer->Marks());
}

// A document without pages has no last page to follow: no cover.
TEST_F(CoverTest, NoBackCoverOnADocumentWithoutPages)
{
    PageWriter* writer = nullptr;
    PageDrawProducer* producer = Make({new GBackCoverFilter(0)}, writer);
    Put(job_, kBackCoverMode, 2);
    Put(job_, kBackCoverTray, 4);
    Put(job_, kDuplexMode, 1);
    EXPECT_EQ(0, Run(*producer, 0));
    EXPECT_TRUE(writer->pages.empty());
}

TEST_F(CoverTest, BackCoverInLetterheadModeRunsThroughTheDuplexPathOnPrintedPaper)
{
    for (bool takes : {true, false}) {
        SCOPED_TRACE(takes);
        PageWriter* writer = nullptr;
        PageDrawProducer* producer = Make({new GBackCoverFilter(0)}, writer);
        Put(job_, kBackCoverMode, 2);
        Put(job_, kBackCoverTray, 4);
        PutText(job_, kBackCoverMediaType, "Preprinted");
        LetterheadMode(*producer);
        if (takes)
            DuplexTakes23(*producer);
        EXPECT_EQ(0, Run(*producer, 1));
        EXPECT_EQ((takes ? std::vector<int>{1, 0, 0} : std::vector<int>{1, 0}), writer->Marks());
        EXPECT_EQ(takes ? 2 : 0, writer->pages.back().twoSided);
    }
}

// Letterhead handling reads the pages per sheet of node 329: a job without it does not
// print one page per sheet.
TEST(CoverLetterheadHandling, AJobWithoutPagesPerSheetIsNotOnePerSheet)
{
    GState state(0);
    Put(&state, kLetterheadRule, 1);
    Put(&state, kDuplexMode, 0);
    EXPECT_EQ(0, GFrontCoverFilter::LetterheadHandling(&state));
    GAttributeComposite* layout = new GAttributeComposite(kPageLayout);
    state.Add(layout);
    EXPECT_EQ(0, GFrontCoverFilter::LetterheadHandling(&state));
    layout->Add(new GValueAttribute(1, kPagesPerSheet));
    EXPECT_EQ(1, GFrontCoverFilter::LetterheadHandling(&state));
    Put(&state, kFaceUpOutput, 1);
    EXPECT_EQ(0, GFrontCoverFilter::LetterheadHandling(&state));
}

TEST_F(CoverTest, LetterheadTurnsTwoSidedLetterheadJobsAndMarksThemForReversing)
{
    const struct {
        const char* name;
        const char* type;
        int duplex, mark, forbidden;
        bool acts;
    } cases[] = {
        {"acting", "Letterhead", 1, 0, 0, true},
        {"one-sided", "Letterhead", 0, 0, 0, false},
        {"marked already", "Letterhead", 1, 1, 0, false},
        {"forbidden", "Letterhead", 1, 0, 1, false},
        {"plain paper", "Plain", 1, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PageWriter* writer = nullptr;
        GLetterheadFilter* letterhead = new GLetterheadFilter(0);
        PageDrawProducer* producer = Make({letterhead, new GReverseFilter(0)}, writer);
        Put(producer->GetPrinterConfiguration(), kLetterheadDuplexCapable, 1);
        delete job_->RemoveById(kDocumentMedia);
        job_->Add(MediaOf(c.type));
        Put(job_, kDuplexMode, uint16_t(c.duplex));
        Put(job_, kReverseOrder, uint16_t(c.mark));
        Put(job_, kLetterheadOverride, uint16_t(c.forbidden));
        GObjectBase* pageSettings = producer->GetSettings()->FindById(363);
        ASSERT_NE(nullptr, pageSettings);
        PageDrawJob job;
        job.pages = 2;
        job.draw = [&](GCommandProducer& p, uint32_t n) {
            Put(pageSettings, kOrientation, n == 1 ? 270 : 45);
            return PageDrawJob::MarkPage(p, n);
        };
        EXPECT_EQ(0, job.Run(*producer));
        ASSERT_EQ(2u, writer->pages.size());
        EXPECT_EQ(c.acts, letterhead->IsActing() != 0);
        // 710 makes the reverse filter act too: acting, the pages come last first.
        const bool reversed = c.acts || c.mark == 1;
        EXPECT_EQ((reversed ? std::vector<int>{2, 1} : std::vector<int>{1, 2}), writer->Marks());
        const SentPage& first = writer->pages[reversed ? 1 : 0];
        const SentPage& second = writer->pages[reversed ? 0 : 1];
        EXPECT_EQ(c.acts ? 90 : 270, first.orientation);
        EXPECT_EQ(45, second.orientation);
    }
}

// Without the job's media there is no media to give the cover's paper: no cover.
TEST_F(CoverTest, NoBackCoverWithoutTheJobsMedia)
{
    PageWriter* writer = nullptr;
    GBackCoverFilter* filter = new GBackCoverFilter(0);
    PageDrawProducer* producer = Make({filter}, writer);
    Put(job_, kBackCoverMode, 2);
    Put(job_, kBackCoverTray, 4);
    delete job_->RemoveById(kDocumentMedia);
    job_->Add(new GValueAttribute(23, kDocumentMedia));
    EXPECT_EQ(0, Run(*producer, 2));
    EXPECT_EQ((std::vector<int>{1, 2}), writer->Marks());
    EXPECT_FALSE(filter->IsActive());
}

TEST_F(CoverTest, LetterheadStaysOffOnAPrinterNotConfiguredForIt)
{
    PageWriter* writer = nullptr;
    GLetterheadFilter* filter = new GLetterheadFilter(0);
    PageDrawProducer* producer = Make({filter}, writer);
    delete job_->RemoveById(kDocumentMedia);
    job_->Add(MediaOf("Letterhead"));
    Put(job_, kDuplexMode, 1);
    Put(job_, kReverseOrder, 0);
    EXPECT_EQ(0, Run(*producer, 1));
    EXPECT_FALSE(filter->IsActive());
    EXPECT_EQ(0, filter->IsActing());
}
