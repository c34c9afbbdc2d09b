// The N-up filter: the grid, the cells and the page transforms worked out for Letter
// (5100 x 6600 units, margins of 100, gaps of 30), what it makes of hostile layouts,
// and whole jobs placed four to a sheet.
#include "FilterTestHelpers.h"
#include "ProducerTestBed.h"

#include "graphics/GGraphicBundle.h"
#include "graphics/GRectangleGraphic.h"
#include "model/GCommandComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/GNullCommand.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "pipeline/filters/GNupFilter.h"
#include "printer/GMedia.h"

#include <gtest/gtest.h>

using namespace testbed;
using namespace filtertest;

namespace {

GState* LayoutState(int n, int order = 0, int frame = 0, GMedia* media = Letter(), int orientation = 0)
{
    GState* state = new GState(0);
    GState* layout = new GState(FeatureId::kPageLayout);
    if (n >= 0)
        layout->Add(new GValueAttribute(uint16_t(n), FeatureId::kPagesPerSheet));
    layout->Add(new GValueAttribute(uint16_t(order), FeatureId::kNupPageOrder));
    layout->Add(new GValueAttribute(uint16_t(frame), FeatureId::kNupFrame));
    state->Add(layout);
    if (media)
        state->Add(media);
    state->Add(new GValueAttribute(uint16_t(orientation), FeatureId::kOrientation));
    return state;
}

struct Origin {
    int x, y;
    bool operator==(const Origin& o) const { return x == o.x && y == o.y; }
};

std::vector<Origin> CellOrigins(const GNupFilter& filter)
{
    std::vector<Origin> out;
    for (const GNupCell& cell : filter.GetCells())
        out.push_back({cell.GetOrigin().x, cell.GetOrigin().y});
    return out;
}

std::ostream& operator<<(std::ostream& os, const Origin& o) { return os << "(" << o.x << ", " << o.y << ")"; }

} // namespace

TEST(NupLayout, LetterTwoAndFourUpFollowTheWorkedGeometry)
{
    const struct {
        int n;
        int64_t ratios[4];
        int winner, sheet, rows, columns;
        double scale;
        std::vector<Origin> cells;
        int width, height;
        Origin page1;
        double s;
    } rows[] = {
        {2, {1538, 380, 2628, 650}, 3, 90, 1, 2, 6370.0 / 2 / 5100, {{102, 102}, {3313, 102}}, 3181, 4896, {164, 554},
         3181.0 / 5100},
        {4, {764, 764, 1308, 1308}, 0, 0, 2, 2, 4870.0 / 2 / 5100, {{102, 102}, {2563, 102}, {102, 3313}, {2563, 3313}},
         2431, 3181, {149, 167}, 2431.0 / 5100},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.n);
        GNupFilter filter(0);
        GCountedRef state(LayoutState(row.n));
        filter.Configure(static_cast<GState*>(state.Get()));
        ASSERT_TRUE(filter.IsActive());
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(row.ratios[i], filter.GetRatios()[i]) << i;
        EXPECT_EQ(row.winner, filter.GetWinner());
        EXPECT_EQ(row.sheet, filter.GetSheetOrientation());
        EXPECT_EQ(row.rows, filter.GetRows());
        EXPECT_EQ(row.columns, filter.GetColumns());
        EXPECT_FLOAT_EQ(float(row.scale), filter.GetLayoutScale());
        EXPECT_EQ(row.cells, CellOrigins(filter));
        for (const GNupCell& cell : filter.GetCells()) {
            EXPECT_EQ(row.width, cell.GetExtent().x);
            EXPECT_EQ(row.height, cell.GetExtent().y);
        }
        std::unique_ptr<GMedia> page(Letter());
        const GTransformAttribute t = GNupFilter::PageToCell(filter.GetCells()[0], *page, 0);
        EXPECT_EQ(0, t.GetRotation());
        EXPECT_EQ(row.page1.x, t.GetOriginX());
        EXPECT_EQ(row.page1.y, t.GetOriginY());
        EXPECT_FLOAT_EQ(float(row.s), t.GetScaleX());
        EXPECT_FLOAT_EQ(float(row.s), t.GetScaleY());
        uint32_t kind = 0;
        const std::pair<float, float> scale = filter.GetScale(state.Get(), state.Get(), nullptr, &kind);
        EXPECT_FLOAT_EQ(float(row.s), scale.first);
        EXPECT_EQ(GNupFilter::kFlags, filter.QueryFlags());
    }
}

TEST(NupLayout, FourUpOrdersPlaceTheCellsInTheirTurn)
{
    const Origin A{102, 102}, B{2563, 102}, C{102, 3313}, D{2563, 3313};
    const struct {
        int order;
        std::vector<Origin> cells;
    } rows[] = {
        {0, {A, B, C, D}}, {1, {A, C, B, D}}, {2, {B, A, D, C}}, {3, {B, D, A, C}},
        // An order the grid does not know fills it row by row.
        {7, {A, B, C, D}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.order);
        GNupFilter filter(0);
        GCountedRef state(LayoutState(4, row.order));
        filter.Configure(static_cast<GState*>(state.Get()));
        EXPECT_EQ(row.cells, CellOrigins(filter));
    }
}

TEST(NupLayout, GridsByPagesPerSheet)
{
    const struct {
        int n, rows, columns, sheet;
    } rows[] = {{5, 2, 3, 90}, {6, 2, 3, 90}, {9, 3, 3, 0}, {16, 4, 4, 0}, {3, 1, 3, 90}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.n);
        GNupFilter filter(0);
        GCountedRef state(LayoutState(row.n));
        filter.Configure(static_cast<GState*>(state.Get()));
        EXPECT_EQ(row.rows, filter.GetRows());
        EXPECT_EQ(row.columns, filter.GetColumns());
        EXPECT_EQ(row.sheet, filter.GetSheetOrientation());
        EXPECT_EQ(size_t(row.rows * row.columns), filter.GetCells().size());
        // The sheet media is turned with the sheet.
        EXPECT_EQ(uint32_t(row.sheet), filter.GetSheetMedia().GetOrientation());
    }
}

TEST(NupLayout, HostileLayoutsLeaveTheFilterTransparent)
{
    const struct {
        const char* what;
        int n;
        GMedia* media;
    } rows[] = {
        {"no pages per sheet", -1, Letter()},
        {"zero", 0, Letter()},
        {"one", 1, Letter()},
        {"the largest count", 32767, Letter()},
        {"no media", 4, nullptr},
        {"margins wider than the paper", 4, Letter(3000)},
        {"no paper", 4, new GMedia("None", {0, 0}, {0, 0}, {0, 0}, 0, 1, 600, 600, FeatureId::kDocumentMedia, 0,
                                   nullptr, nullptr)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        GNupFilter filter(0);
        GCountedRef state(LayoutState(row.n, 0, 0, row.media));
        filter.Configure(static_cast<GState*>(state.Get()));
        EXPECT_FALSE(filter.IsActive());
        EXPECT_EQ(1, filter.GetPagesPerSheet());
        EXPECT_EQ(0u, filter.QueryFlags());
        uint32_t kind = 0;
        EXPECT_EQ(std::make_pair(1.0f, 1.0f), filter.GetScale(state.Get(), state.Get(), nullptr, &kind));
        // The job orientation stands for the sheet.
        EXPECT_NE(nullptr, state->FindById(FeatureId::kNupSheetOrientation));
    }
}

TEST(NupLayout, AnyFilterAnswersNothingToTheWholeChainKind)
{
    GNupFilter filter(0);
    GCountedRef state(LayoutState(4));
    uint32_t kind = 3;
    EXPECT_EQ(std::make_pair(0.0f, 0.0f), filter.GetScale(state.Get(), state.Get(), nullptr, &kind));
    EXPECT_EQ(0u, filter.IsConfigured());
}

TEST(NupTransform, LandscapePageOnTwoUpTurnsIntoItsCellAndFramesIt)
{
    GNupFilter filter(0);
    GCountedRef state(LayoutState(2, 0, 1));
    filter.Configure(static_cast<GState*>(state.Get()));
    GState* pageState = new GState(0);
    pageState->Add(Letter());
    pageState->Add(new GValueAttribute(90, FeatureId::kOrientation));
    GCountedRef start(new GPageStart(pageState, 0));
    GCountedRef placed = filter.ProcessCommand(start);
    const GTransformAttribute& t = filter.GetCellTransform();
    EXPECT_EQ(90, t.GetRotation());
    EXPECT_EQ(164, t.GetOriginX());
    EXPECT_EQ(4546, t.GetOriginY());
    // The first page of the sheet goes on with the sheet on the job's paper turned with it.
    ASSERT_EQ(605u, placed->ClassId());
    GObjectBase* members = placed->AsComposite();
    ASSERT_EQ(2u, members->Entries());
    EXPECT_EQ(start.Get(), members->FindByClassId(709));
    const GMedia* sheet = GDriverObject::Feature<GMedia>(pageState, FeatureId::kDocumentMedia);
    ASSERT_NE(nullptr, sheet);
    EXPECT_EQ(6600, sheet->GetPaperSize().x);
    EXPECT_EQ(90u, sheet->GetOrientation());

    GCountedRef end(new GPageEnd(nullptr, 0));
    GCountedRef finished = filter.ProcessCommand(end);
    GObjectBase* frame = finished->AsComposite()->FindByClassId(GRectangleGraphic::kClassId);
    ASSERT_NE(nullptr, frame);
    const GRect r = static_cast<GRectangleGraphic*>(frame)->GetBounds();
    EXPECT_EQ(1, r.left);
    EXPECT_EQ(1, r.top);
    EXPECT_EQ(3184, r.right);
    EXPECT_EQ(4899, r.bottom);
    // The sheet is not full: its page end waits.
    EXPECT_EQ(nullptr, finished->AsComposite()->FindByClassId(710));
    EXPECT_EQ(1, filter.GetCellCounter());
}

TEST(NupTransform, DrawingsTakeTheCellTransformInFrontOfTheirOwn)
{
    GNupFilter filter(0);
    GCountedRef state(LayoutState(4));
    filter.Configure(static_cast<GState*>(state.Get()));
    GState* pageState = new GState(0);
    pageState->Add(Letter());
    GCountedRef start(new GPageStart(pageState, 0));
    filter.ProcessCommand(start);
    GGraphicBundle* bundle = new GGraphicBundle;
    bundle->Add(new GTransformAttribute(0, 10, 20, 2.0f, 2.0f));
    bundle->Add(new GClipToPage(177));
    GCountedRef keep(bundle);
    GCountedRef drawing(new GRectangleGraphic(GRect{0, 0, 10, 10}, bundle, 0));
    GCountedRef out = filter.ProcessCommand(drawing);
    GState* now = static_cast<GCommand*>(out.Get())->GetState();
    const GTransformAttribute* t = dynamic_cast<GTransformAttribute*>(now->FindByClassId(103));
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(149 + int(10 * (2431.0 / 5100)), t->GetOriginX());
    EXPECT_FLOAT_EQ(2.0f * float(2431.0 / 5100), t->GetScaleX());
    EXPECT_EQ(nullptr, now->FindByClassId(503));
    const GClipToSingleRectangle* clip = dynamic_cast<GClipToSingleRectangle*>(now->FindByClassId(504));
    ASSERT_NE(nullptr, clip);
    EXPECT_EQ(4900, clip->GetRectangle().right);
    // The state it came with is left as it was, for any other copy of the page.
    EXPECT_NE(bundle, now);
    EXPECT_NE(nullptr, bundle->FindByClassId(503));
    // A command without a state passes unchanged.
    GCountedRef bare(new GNullCommand(0));
    EXPECT_EQ(bare.Get(), filter.ProcessCommand(bare).Get());
}

TEST(NupTransform, OnePagePerSheetChangesNothing)
{
    GNupFilter filter(0);
    GCountedRef state(LayoutState(1));
    uint32_t kind = 0;
    EXPECT_EQ(std::make_pair(1.0f, 1.0f), filter.GetScale(state.Get(), state.Get(), nullptr, &kind));
    EXPECT_EQ(0u, filter.QueryFlags());
    GCountedRef start(new GPageStart(LayoutState(1), 0));
    GCommand* out = filter.ReceiveCommand(static_cast<GCommand*>(start.Get()));
    EXPECT_EQ(start.Get(), out);
    EXPECT_NE(nullptr, static_cast<GCommand*>(start.Get())->GetState()->FindById(FeatureId::kDocumentMedia));
}

TEST(NupTransform, APageWithoutExtentGetsTheIdentity)
{
    GNupCell cell(0, {102, 102}, {2431, 3181}, 0);
    GMedia empty;
    const GTransformAttribute t = GNupFilter::PageToCell(cell, empty, 0);
    const GTransformAttribute identity;
    EXPECT_TRUE(t.IsSame(&identity));
}

TEST(NupCell, TurnedPlacesFollowTheSecondRotation)
{
    const struct {
        int rotation;
        Origin origin, extent;
    } rows[] = {
        {0, {10, 20}, {100, 50}}, {90, {10, 70}, {50, 100}}, {180, {110, 70}, {100, 50}},
        {270, {110, 20}, {50, 100}}, {45, {0, 0}, {0, 0}}, {-90, {110, 20}, {50, 100}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.rotation);
        GNupCell cell(0, {10, 20}, {100, 50}, row.rotation);
        EXPECT_EQ(row.origin, (Origin{cell.GetTurnedOrigin().x, cell.GetTurnedOrigin().y}));
        EXPECT_EQ(row.extent, (Origin{cell.GetTurnedExtent().x, cell.GetTurnedExtent().y}));
    }
    EXPECT_TRUE(GNupCell(0, {1, 2}, {3, 4}, 0).IsEqual(GNupCell(0, {1, 2}, {3, 4}, 90)));
    EXPECT_FALSE(GNupCell(0, {1, 2}, {3, 4}, 0).IsEqual(GNupCell(90, {1, 2}, {3, 4}, 0)));
}

namespace {

void PutLayout(PageDrawProducer* producer, int n, int order = 0)
{
    GObjectBase* job = producer->GetSettings()->FindById(FeatureId::kJobSettings);
    GState* layout = new GState(FeatureId::kPageLayout);
    layout->Add(new GValueAttribute(uint16_t(n), FeatureId::kPagesPerSheet));
    layout->Add(new GValueAttribute(uint16_t(order), FeatureId::kNupPageOrder));
    job->Add(layout);
    job->Add(Letter());
}

} // namespace

TEST_F(ProducerTest, FourUpJobsLoseNoPage)
{
    for (uint32_t pages : {0u, 1u, 7u, 13u}) {
        SCOPED_TRACE(pages);
        MarkingWriter* writer = new MarkingWriter;
        PageDrawProducer* producer = MakeProducer(L"FILE:", {new GNupFilter(0)}, writer);
        PutLayout(producer, 4);
        PageDrawJob job;
        job.pages = pages;
        EXPECT_EQ(0, job.Run(*producer));
        std::vector<std::vector<int>> expected;
        for (uint32_t first = 1; first <= pages; first += 4) {
            expected.emplace_back();
            for (uint32_t n = first; n < first + 4 && n <= pages; ++n)
                expected.back().push_back(int(n));
        }
        EXPECT_EQ(expected, Sheets(writer->Events()));
    }
}

TEST(NupTransform, AnAbortLeavesNoHalfSheetForTheNextJob)
{
    GNupFilter filter(0);
    GCountedRef state(LayoutState(4));
    filter.Configure(static_cast<GState*>(state.Get()));
    GState* pageState = new GState(0);
    pageState->Add(Letter());
    filter.ProcessCommand(GCountedRef(new GPageStart(pageState, 0)));
    filter.ProcessCommand(GCountedRef(new GPageEnd(nullptr, 0)));
    EXPECT_EQ(1, filter.GetCellCounter());
    filter.ProcessCommand(GCountedRef(new GJobAbort(0)));
    EXPECT_EQ(0, filter.GetCellCounter());
}

TEST(NupTransform, APageStartWithoutAStateStillOpensItsSheet)
{
    GNupFilter filter(0);
    GCountedRef state(LayoutState(2));
    filter.Configure(static_cast<GState*>(state.Get()));
    GCountedRef start(new GPageStart(nullptr, 0));
    GCountedRef placed = filter.ProcessCommand(start);
    ASSERT_EQ(605u, placed->ClassId());
    EXPECT_EQ(start.Get(), placed->AsComposite()->FindByClassId(709));
    // The page is on the document's media: it gets the first cell's transform.
    EXPECT_EQ(164, filter.GetCellTransform().GetOriginX());
}
