// The booklet filter: its page order, whole jobs folded into two-up sheets, the cover
// sheet, when it stays idle, and its spool lock.
#include "../graphics/TestFonts.h"
#include "ProducerTestBed.h"

#include "graphics/GGraphicBundle.h"
#include "graphics/GTextStringGraphic.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/GPageStart.h"
#include "pipeline/filters/GBookletFilter.h"
#include "printer/GMedia.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <thread>

using namespace testbed;

namespace {

GMedia* Letter()
{
    return new GMedia("Letter", {5100, 6600}, {4900, 6400}, {100, 100}, 0, 1, 600, 600, FeatureId::kDocumentMedia, 0,
                      nullptr, "Plain");
}

void Put(GObjectBase* holder, long id, uint16_t value)
{
    GObjectBase::Drop(holder->RemoveById(id));
    holder->Add(new GValueAttribute(value, id));
}

GObjectBase* BookletJob(PageDrawProducer* producer, int binding, int sheetOrder = 0)
{
    GObjectBase* job = producer->GetSettings()->FindById(FeatureId::kJobSettings);
    Put(job, FeatureId::kBookletPrinting, uint16_t(binding));
    Put(job, FeatureId::kBookletSheetOrder, uint16_t(sheetOrder));
    job->Add(Letter());
    testbed::GiveBookletPaper(*producer, job);
    return job;
}

// The marks drawn on each side the writer got.
std::vector<std::vector<int>> Sides(const std::vector<std::string>& events)
{
    std::vector<std::vector<int>> sides;
    std::vector<int> side;
    for (const std::string& e : events) {
        if (e == "OnPageStart 709")
            side.clear();
        else if (e.compare(0, 5, "Mark ") == 0)
            side.push_back(std::stoi(e.substr(5)));
        else if (e == "OnPageEnd 710")
            sides.push_back(side);
    }
    return sides;
}

// The sides a booklet of the pages makes: blank pages draw nothing.
std::vector<std::vector<int>> ExpectedSides(uint32_t pages, uint16_t sheetOrder, int16_t binding)
{
    const uint32_t n = (pages + 3) / 4 * 4;
    const std::vector<uint32_t> order = GBookletFilter::BookletOrder(n, sheetOrder, binding);
    std::vector<std::vector<int>> sides;
    for (size_t i = 0; i < order.size(); i += 2) {
        sides.emplace_back();
        for (size_t j = i; j < i + 2; ++j)
            if (order[j] <= pages)
                sides.back().push_back(int(order[j]));
    }
    return sides;
}

// Records, for each text it draws, the face name and id of the font its reference holds
// then, or "none" when the reference came back without its font.
class FontNamingWriter : public MarkingWriter {
public:
    int16_t DrawTextString(GTextStringGraphic& text) override
    {
        GFontReference* reference = text.GetFont();
        GFont* font = reference ? reference->GetFont() : nullptr;
        texts.push_back(font ? std::string(font->GetFaceName().Data()) + " " + std::to_string(font->GetFontId())
                             : std::string("none"));
        return MarkingWriter::DrawTextString(text);
    }
    std::vector<std::string> texts;
};

} // namespace

TEST(BookletOrder, OutermostAndInnermostSheetsWithBothBindings)
{
    using V = std::vector<uint32_t>;
    const struct {
        uint32_t n;
        uint16_t order;
        int16_t binding;
        V pages;
    } rows[] = {
        {4, 0, 1, V{4, 1, 2, 3}},
        {8, 0, 1, V{8, 1, 2, 7, 6, 3, 4, 5}},
        {8, 1, 1, V{6, 3, 4, 5, 8, 1, 2, 7}},
        {8, 0, 2, V{1, 8, 7, 2, 3, 6, 5, 4}},
        {8, 1, 2, V{3, 6, 5, 4, 1, 8, 7, 2}},
        {4, 1, 1, V{4, 1, 2, 3}},
        {0, 0, 1, V{}},
        {6, 0, 1, V{}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.n << " " << row.order << " " << row.binding);
        EXPECT_EQ(row.pages, GBookletFilter::BookletOrder(row.n, row.order, row.binding));
    }
}

TEST_F(ProducerTest, BookletsOfEveryPageCountLoseNoPage)
{
    const struct {
        uint32_t pages;
        uint16_t order;
        int16_t binding;
    } rows[] = {{0, 0, 1}, {1, 0, 1}, {6, 0, 1}, {6, 1, 1}, {7, 0, 1}, {13, 0, 1}, {6, 0, 2}, {13, 1, 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.pages << " " << row.order << " " << row.binding);
        MarkingWriter* writer = new MarkingWriter;
        GBookletFilter* booklet = new GBookletFilter(0);
        PageDrawProducer* producer = MakeProducer(L"FILE:", {booklet}, writer);
        BookletJob(producer, row.binding, row.order);
        PageDrawJob job;
        job.pages = row.pages;
        EXPECT_EQ(0, job.Run(*producer));
        EXPECT_EQ(ExpectedSides(row.pages, row.order, row.binding), Sides(writer->Events()));
        EXPECT_FALSE(booklet->HoldsSpoolLock());
        EXPECT_EQ(0u, booklet->QueryFlags());
    }
}

TEST_F(ProducerTest, OnePageMakesOneSheetOfFourPages)
{
    MarkingWriter* writer = new MarkingWriter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {new GBookletFilter(0)}, writer);
    BookletJob(producer, 1);
    PageDrawJob job;
    EXPECT_EQ(0, job.Run(*producer));
    EXPECT_EQ((std::vector<std::vector<int>>{{1}, {}}), Sides(writer->Events()));
}

TEST_F(ProducerTest, BookletStaysIdleWithFlagEOrWithoutTheSetting)
{
    for (bool flagE : {true, false}) {
        SCOPED_TRACE(flagE);
        MarkingWriter* writer = new MarkingWriter;
        GBookletFilter* booklet = new GBookletFilter(0);
        PageDrawProducer* producer = MakeProducer(L"FILE:", {booklet}, writer);
        BookletJob(producer, flagE ? 1 : 0);
        producer->forceFlagE = flagE;
        PageDrawJob job;
        job.pages = 3;
        EXPECT_EQ(0, job.Run(*producer));
        EXPECT_EQ((std::vector<std::vector<int>>{{1}, {2}, {3}}), Sides(writer->Events()));
        EXPECT_FALSE(booklet->IsActive());
    }
}

TEST_F(ProducerTest, ACoverSourceWrapsTheBookletInACoverSheet)
{
    const struct {
        const char* type;
        bool cover;
        uint32_t pages;
        bool manualDuplex; // the printer turns the sheets by hand: manual duplex takes the job
    } rows[] = {{"Plain", true, 6, false},
                {"Transparency", false, 6, false},
                {"Labels", false, 6, false},
                {"Plain", true, 0, false},
                {"Plain", false, 6, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.type << " " << row.pages << " " << row.manualDuplex);
        MarkingWriter* writer = new MarkingWriter;
        GBookletFilter* booklet = new GBookletFilter(0);
        PageDrawProducer* producer = MakeProducer(L"FILE:", {booklet}, writer);
        GObjectBase* job = BookletJob(producer, 1);
        Put(job, FeatureId::kDuplexMode, 1);
        Put(job, FeatureId::kBookletCoverSource, 1);
        Put(job, FeatureId::kBookletCoverTray, 5);
        job->Add(new GStringAttribute(row.type, FeatureId::kBookletCoverMediaType));
        if (row.manualDuplex) {
            producer->GetPrinterConfiguration()->Add(new GValueAttribute(2, FeatureId::kManualDuplexPrinter));
            producer->GetPrinterConfiguration()->Add(new GValueAttribute(0, FeatureId::kDuplexUnitFitted));
        }
        PageDrawJob run;
        run.pages = row.pages;
        EXPECT_EQ(0, run.Run(*producer));
        const std::vector<std::vector<int>> sides = Sides(writer->Events());
        if (row.pages == 0) {
            // No page, no booklet: no cover sheet wraps nothing.
            EXPECT_TRUE(sides.empty());
        } else if (row.cover) {
            // 6 pages padded to 8, and 4 cover pages: the outer sheet is the cover's.
            ASSERT_EQ(6u, sides.size());
            EXPECT_TRUE(sides[0].empty() && sides[1].empty());
            ASSERT_EQ(6u, writer->pageTrays.size());
            EXPECT_EQ(5, writer->pageTrays[0]);
            EXPECT_EQ(5, writer->pageTrays[1]);
            EXPECT_NE(5, writer->pageTrays[2]);
        } else {
            EXPECT_EQ(4u, sides.size());
        }
    }
}

TEST_F(ProducerTest, TheBookletLockIsFreeAfterAbortAndResetAndAnotherThreadSpoolsAtOnce)
{
    PageDrawProducer* producer = MakeProducer(L"FILE:", {}, nullptr);
    auto start = [&](GBookletFilter& filter) {
        GState* state = new GState(0);
        state->Add(new GValueAttribute(1, FeatureId::kBookletPrinting));
        state->Add(Letter());
        GCountedRef started(filter.ReceiveCommand(new GDocumentStart(L"doc", "", L"FILE:", producer, state, 0)));
        GCountedRef paged(filter.ReceiveCommand(new GPageStart(new GState(0), 0)));
        EXPECT_EQ(715u, paged->ClassId());
    };
    GBookletFilter aborted(0);
    start(aborted);
    EXPECT_TRUE(aborted.HoldsSpoolLock());
    GCountedRef abort(aborted.ReceiveCommand(new GJobAbort(0)));
    EXPECT_FALSE(aborted.HoldsSpoolLock());

    GBookletFilter reset(0);
    start(reset);
    EXPECT_TRUE(reset.HoldsSpoolLock());
    reset.Reset();
    EXPECT_FALSE(reset.HoldsSpoolLock());

    std::thread other([&] {
        GBookletFilter second(0);
        start(second);
        EXPECT_TRUE(second.IsHoldingDocument());
        GCountedRef end(second.ReceiveCommand(new GJobAbort(0)));
    });
    other.join();
    GPageSpoolFilter::RemoveSpoolFolder(producer);
}

TEST_F(ProducerTest, ABreakSendsTheBookletAndTheDocumentEndFollowsIt)
{
    MarkingWriter* writer = new MarkingWriter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {new GBookletFilter(0)}, writer);
    BookletJob(producer, 1);
    PageDrawJob job;
    job.pages = 6;
    job.breakBeforeEnd = true;
    EXPECT_EQ(0, job.Run(*producer));
    EXPECT_EQ(ExpectedSides(6, 0, 1), Sides(writer->Events()));
    const std::vector<std::string> events = writer->Events();
    EXPECT_EQ(1, std::count(events.begin(), events.end(), "OnDocumentEnd 706"));
}

TEST_F(ProducerTest, TheBookletAnswersTheWholeChainsScaleFromItsTwoUpSheet)
{
    PageDrawProducer* producer = MakeProducer(L"FILE:", {}, nullptr);
    GBookletFilter booklet(0);
    uint32_t kind = 0;
    EXPECT_EQ(std::make_pair(0.0f, 0.0f), booklet.GetScale(nullptr, nullptr, nullptr, &kind)) << "no job yet";
    GState* state = new GState(0);
    state->Add(new GValueAttribute(1, FeatureId::kBookletPrinting));
    state->Add(Letter());
    GCountedRef started(booklet.ReceiveCommand(new GDocumentStart(L"doc", "", L"FILE:", producer, state, 0)));
    const std::pair<float, float> scale = booklet.GetScale(nullptr, nullptr, nullptr, &kind);
    EXPECT_FLOAT_EQ(3181.0f / 5100.0f, scale.first);
    EXPECT_EQ(3u, kind);
    EXPECT_EQ(GBookletFilter::kFlags, booklet.QueryFlags());
    GCountedRef aborted(booklet.ReceiveCommand(new GJobAbort(0)));
    GPageSpoolFilter::RemoveSpoolFolder(producer);
}

// Page 1 and page 4 write text in fonts of the producer's pool; the booklet sends them out
// of order (page 1 after the padding page 8, or after 6, 3, 4, 5 and 8 innermost first),
// and each replayed page finds its own font again from its font spool file.
TEST_F(ProducerTest, EachBookletPageFindsItsFontsWhenReplayedOutOfOrder)
{
    const struct {
        uint16_t sheetOrder;
        std::vector<int> textPages; // the pages whose text the writer gets, in order
    } rows[] = {{0, {1, 4}}, {1, {4, 1}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sheetOrder);
        FontNamingWriter* writer = new FontNamingWriter;
        GBookletFilter* booklet = new GBookletFilter(0);
        PageDrawProducer* producer = MakeProducer(L"FILE:", {booklet}, writer);
        BookletJob(producer, 1, row.sheetOrder);
        std::map<int, std::string> fonts; // page, its font's face name and id
        static uint16_t characters[] = {'o', 'k'};
        static const GPoint at[] = {{5, 6}, {15, 6}};
        PageDrawJob job;
        job.pages = 6;
        job.draw = [&](GCommandProducer& p, uint32_t page) -> uint16_t {
            const uint16_t status = PageDrawJob::MarkPage(p, page);
            if (status != 0 || (page != 1 && page != 4))
                return status;
            TestFont* font = new TestFont(page, page == 1 ? "First" : "Fourth");
            fonts[int(page)] = std::string(font->GetFaceName().Data()) + " " + std::to_string(font->GetFontId());
            return p.Send(new GTextStringGraphic(new TestFontReference(font, &p), characters, 0, GEncoding::kUnicode,
                                                 at, 0, 2, new GGraphicBundle(0)));
        };
        EXPECT_EQ(0, job.Run(*producer));
        EXPECT_EQ(ExpectedSides(6, row.sheetOrder, 1), Sides(writer->Events()));
        std::vector<std::string> expected;
        for (int page : row.textPages)
            expected.push_back(fonts[page]);
        EXPECT_EQ(expected, writer->texts);
        EXPECT_FALSE(booklet->HoldsSpoolLock());
    }
}
