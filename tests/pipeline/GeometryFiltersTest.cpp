// The page-geometry filters: scale, fit to size, margin emulation and symmetrical
// duplex, each with the transform it puts in front of the page's and of each drawing's.
#include "ProducerTestBed.h"

#include "graphics/GGraphicBundle.h"
#include "graphics/GRectangleGraphic.h"
#include "graphics/GTransformAttribute.h"
#include "model/GCommandComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GNullCommand.h"
#include "pipeline/GPageStart.h"
#include "pipeline/filters/GEmulateMarginsFilter.h"
#include "pipeline/filters/GFitToSizeFilter.h"
#include "pipeline/filters/GScalePageFilter.h"
#include "pipeline/filters/GSymetricalDuplexFilter.h"
#include "printer/GMedia.h"
#include "printer/GMediaPool.h"

#include <gtest/gtest.h>

using namespace testbed;

namespace {

GMedia* Media(uint16_t w, uint16_t h, uint16_t ox, uint16_t oy, uint16_t ew, uint16_t eh, long id = 259,
              uint16_t mediaId = 1)
{
    return new GMedia("paper", {w, h}, {ew, eh}, {ox, oy}, 0, mediaId, 600, 600, id, 0, nullptr, "Plain");
}

GState* StateWith(std::initializer_list<std::pair<long, int>> values, std::initializer_list<GObjectBase*> objects = {})
{
    GState* state = new GState(0);
    for (const auto& v : values)
        state->Add(new GValueAttribute(uint16_t(v.second), v.first));
    for (GObjectBase* object : objects)
        state->Add(object);
    return state;
}

GCountedRef Start(GPeripheral& filter, GState* state, GCommandProducer* producer = nullptr)
{
    GCountedRef start(new GDocumentStart(L"doc", "", L"FILE:", producer, state, 0));
    return filter.ProcessCommand(start);
}

// The transform a command's state carries; the identity when none.
GTransformAttribute TransformOf(GObjectBase* command)
{
    GCommand* c = dynamic_cast<GCommand*>(command);
    GState* state = c ? c->GetState() : nullptr;
    const GTransformAttribute* t = state ? dynamic_cast<GTransformAttribute*>(state->FindByClassId(103)) : nullptr;
    return t ? *t : GTransformAttribute();
}

// The page start that went on and the transform sent after it.
struct PageOut {
    GCountedRef page;
    GTransformAttribute sent;
    bool hasSent = false;
};

PageOut PageThrough(GPeripheral& filter, GState* state)
{
    PageOut out;
    GCountedRef result = filter.ProcessCommand(GCountedRef(new GPageStart(state, 0)));
    if (result->ClassId() == GCommandComposite::kClassId) {
        out.page.Set(result->AsComposite()->FindByClassId(709));
        GObjectBase* null = result->AsComposite()->FindByClassId(GNullCommand::kClassId);
        out.sent = TransformOf(null);
        out.hasSent = null != nullptr;
    } else {
        out.page = result;
    }
    return out;
}

} // namespace

TEST(ScalePageFilter, PercentagesActAboveZeroAndOtherThanHundred)
{
    const struct {
        int percent; // -1: absent
        bool acts;
        float scale;
    } rows[] = {{100, false, 1.0f}, {50, true, 0.5f}, {-1, false, 1.0f}, {0, false, 1.0f},
                {0x8000, false, 1.0f}, {200, true, 2.0f}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.percent);
        GScalePageFilter filter(0);
        GState* state = row.percent >= 0 ? StateWith({{FeatureId::kScalePercent, row.percent}}) : StateWith({});
        GCountedRef held(state);
        Start(filter, state);
        EXPECT_EQ(row.acts, filter.IsActive());
        EXPECT_EQ(row.acts ? 10u : 0u, filter.QueryFlags());
        uint32_t kind = 0;
        EXPECT_FLOAT_EQ(row.scale, filter.GetScale(state, state, nullptr, &kind).first);
        kind = 3;
        EXPECT_EQ(std::make_pair(0.0f, 0.0f), filter.GetScale(state, state, nullptr, &kind));
    }
}

TEST(ScalePageFilter, PagesAndDrawingsTakeTheScale)
{
    GScalePageFilter filter(0);
    Start(filter, StateWith({{FeatureId::kScalePercent, 50}}));
    GState* page = StateWith({}, {new GTransformAttribute(0, 100, 200, 1.0f, 1.0f)});
    PageOut out = PageThrough(filter, page);
    ASSERT_TRUE(out.hasSent);
    EXPECT_FLOAT_EQ(0.5f, out.sent.GetScaleX());
    // The page's own transform first, the scale inside it.
    EXPECT_EQ(100, out.sent.GetOriginX());
    EXPECT_EQ(200, out.sent.GetOriginY());
    GGraphicBundle* bundle = new GGraphicBundle;
    bundle->Add(new GTransformAttribute(0, 10, 20, 1.0f, 1.0f));
    GCountedRef keep(bundle);
    GCountedRef drawing(new GRectangleGraphic({0, 0, 1, 1}, bundle, 0));
    const GTransformAttribute t = TransformOf(filter.ProcessCommand(drawing).Get());
    EXPECT_EQ(5, t.GetOriginX());
    EXPECT_FLOAT_EQ(0.5f, t.GetScaleX());
    // The state the drawing came with stays as it was.
    EXPECT_EQ(10, static_cast<GTransformAttribute*>(bundle->FindByClassId(103))->GetOriginX());
}

TEST(FitToSizeFilter, FitTransformsByTargetAndFlag)
{
    const std::unique_ptr<GMedia> letter(Media(5100, 6600, 100, 100, 4900, 6400));
    const std::unique_ptr<GMedia> wide(Media(9000, 6600, 100, 100, 8800, 6400));
    const std::unique_ptr<GMedia> empty(Media(0, 0, 0, 0, 0, 0));
    const struct {
        const char* what;
        const GMedia* source;
        const GMedia* target;
        uint32_t fit;
        float s;
        int x, y;
    } rows[] = {
        // Filled in height: s = 6400 / 6400, centred across by (8800 - 4900) / 2 at most.
        {"wider target", letter.get(), wide.get(), 1, 1.0f, 100 - 100 + 1950, 0},
        {"same media", letter.get(), letter.get(), 1, 1.0f, 0, 0},
        {"centred at full size", letter.get(), wide.get(), 0, 1.0f, 1950, 0},
        {"zero-size source", empty.get(), wide.get(), 1, 1.0f, 0, 0},
        {"zero-size target", letter.get(), empty.get(), 1, 1.0f, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const GTransformAttribute t = GFitToSizeFilter::FitTransform(*row.source, *row.target, row.fit);
        EXPECT_FLOAT_EQ(row.s, t.GetScaleX());
        EXPECT_EQ(row.x, t.GetOriginX());
        EXPECT_EQ(row.y, t.GetOriginY());
    }
}

TEST(FitToSizeFilter, OffsetsBeyond16BitsAreClamped)
{
    const std::unique_ptr<GMedia> tiny(Media(10, 10, 0, 0, 10, 10));
    const std::unique_ptr<GMedia> huge(Media(32000, 32000, 0, 0, 32000, 32000));
    const GTransformAttribute t = GFitToSizeFilter::FitTransform(*huge, *tiny, 0);
    EXPECT_EQ(-15995, t.GetOriginX());
    const std::unique_ptr<GMedia> farSource(Media(10, 10, 60000, 0, 10, 10));
    const std::unique_ptr<GMedia> farTarget(Media(60000, 10, 0, 0, 10, 10));
    const GTransformAttribute clamped = GFitToSizeFilter::FitTransform(*farSource, *farTarget, 0);
    EXPECT_EQ(32767, clamped.GetOriginX());
}

TEST(FitToSizeFilter, PagesOnTheTargetPassAndOthersAreFitted)
{
    GFitToSizeFilter filter(0);
    GState* job = StateWith({{FeatureId::kFitToPaper, 1}, {FeatureId::kFitScaleToFit, 1}},
                            {Media(5100, 6600, 100, 100, 4900, 6400), Media(9000, 6600, 100, 100, 8800, 6400, FeatureId::kFitTargetMedia)});
    GCountedRef held(job);
    Start(filter, job);
    EXPECT_TRUE(filter.IsActive());
    EXPECT_EQ(10u, filter.QueryFlags());
    EXPECT_EQ(9000, GDriverObject::Feature<GMedia>(job, 259)->GetPaperSize().x) << "the job is on the target";
    // A page on the target media is left alone.
    GState* onTarget = StateWith({}, {Media(9000, 6600, 100, 100, 8800, 6400)});
    PageOut same = PageThrough(filter, onTarget);
    EXPECT_FALSE(same.hasSent);
    // A page that names no media is on the document's and is fitted.
    PageOut fitted = PageThrough(filter, StateWith({}));
    ASSERT_TRUE(fitted.hasSent);
    EXPECT_EQ(1950 + 100, fitted.sent.GetOriginX());
    const GMedia* put = GDriverObject::Feature<GMedia>(static_cast<GCommand*>(fitted.page.Get())->GetState(), 259);
    ASSERT_NE(nullptr, put);
    EXPECT_EQ(9000, put->GetPaperSize().x);
}

TEST(FitToSizeFilter, WithoutTheSettingItStaysIdle)
{
    GFitToSizeFilter filter(0);
    Start(filter, StateWith({{FeatureId::kFitToPaper, 0}}));
    EXPECT_FALSE(filter.IsActive());
    EXPECT_EQ(0u, filter.QueryFlags());
}

TEST(EmulateMarginsFilter, EmulationTransformsByMargins)
{
    const std::unique_ptr<GMedia> page(Media(5100, 6600, 100, 100, 4900, 6400));
    const std::unique_ptr<GMedia> device(Media(5100, 6600, 200, 150, 4700, 6300));
    const std::unique_ptr<GMedia> wide(Media(5100, 6600, 3000, 100, 100, 6400));
    const struct {
        const char* what;
        const GMedia* page;
        const GMedia* device;
        float s;
        int x, y;
    } rows[] = {
        // Equal media: s = 1 and the origin cancels the page's own.
        {"equal media", page.get(), page.get(), 1.0f, 0, 0},
        // Aw = 4700, Ah = 6300: 4700 * 6400 <= 6300 * 4900, s = 4700 / 4900.
        {"device margins", page.get(), device.get(), 4700.0f / 4900.0f, 200 - 95, 150 - 95 + 135},
        {"margins wider than the paper", page.get(), wide.get(), 1.0f, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const GTransformAttribute t = GEmulateMarginsFilter::EmulationTransform(*row.page, *row.device, 1);
        EXPECT_FLOAT_EQ(row.s, t.GetScaleX());
        EXPECT_EQ(row.x, t.GetOriginX());
        EXPECT_EQ(row.y, t.GetOriginY());
    }
}

TEST_F(ProducerTest, EmulatedMarginsComeFromTheDevicePoolAndCustomSizesFromTheTemplate)
{
    PageDrawProducer* producer = MakeProducer(L"FILE:", {}, new MarkingWriter);
    GMediaPool* pool = new GMediaPool(FeatureId::kMediaPool);
    producer->GetPrinterConfiguration()->Add(pool);
    ASSERT_EQ(pool, producer->GetAttribute189());
    pool->Add(Media(5100, 6600, 200, 200, 4700, 6200, 0, 1));
    pool->Add(Media(6000, 6000, 150, 150, 5700, 5700, 0, FeatureId::kLargestMedia));
    const struct {
        int setting; // 711 or 713
        GMedia* page;
        int deviceOriginX, deviceExtentX;
        bool scaled;
    } rows[] = {
        {FeatureId::kEmulateMargins, Media(5100, 6600, 100, 100, 4900, 6400), 200, 4700, true},
        {FeatureId::kEmulateMargins, Media(4000, 5000, 100, 100, 3800, 4800, 259, 16390), 150, 4000 - 6000 + 5700, true},
        {FeatureId::kDeviceMediaOnly, Media(5100, 6600, 100, 100, 4900, 6400), 200, 4700, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.setting);
        GEmulateMarginsFilter filter(0);
        Start(filter, StateWith({{row.setting, 1}}, {row.page}), producer);
        EXPECT_EQ(42u, filter.QueryFlags());
        PageOut out = PageThrough(filter, StateWith({}));
        EXPECT_EQ(row.deviceOriginX, filter.GetDeviceMedia().GetImageableOrigin().x);
        EXPECT_EQ(row.deviceExtentX, filter.GetDeviceMedia().GetImageableExtent().x);
        const GTransformAttribute t = TransformOf(out.page.Get());
        EXPECT_EQ(row.scaled, t.GetScaleX() != 1.0f);
        // Without 711 the page is only moved onto the device media.
        if (!row.scaled) {
            EXPECT_EQ(100, t.GetOriginX());
        }
    }
}

TEST(EmulateMarginsFilter, OffWithoutEitherSettingAndIdleFlagsAfterTheEnd)
{
    GEmulateMarginsFilter filter(0);
    EXPECT_EQ(GEmulateMarginsFilter::kIdleFlags, filter.QueryFlags());
    Start(filter, StateWith({{FeatureId::kEmulateMarginsSymmetric, 1}}));
    EXPECT_FALSE(filter.IsActive());
    EXPECT_EQ(0u, filter.QueryFlags());
}

TEST(SymetricalDuplexFilter, CentringByMarginDifference)
{
    const std::unique_ptr<GMedia> uneven(Media(150 + 4800 + 300, 6600, 150, 100, 4800, 6400));
    const std::unique_ptr<GMedia> even(Media(5100, 6600, 100, 100, 4900, 6400));
    const std::unique_ptr<GMedia> none(Media(5100, 6600, 100, 100, 0, 6400));
    const GTransformAttribute a = GSymetricalDuplexFilter::CentringTransform(*uneven, 0);
    EXPECT_FLOAT_EQ(1.0f - 150.0f / 4800.0f, a.GetScaleX());
    const GTransformAttribute b = GSymetricalDuplexFilter::CentringTransform(*even, 0);
    EXPECT_FLOAT_EQ(1.0f, b.GetScaleX());
    EXPECT_EQ(0, b.GetOriginX());
    EXPECT_EQ(0, b.GetOriginY());
    const GTransformAttribute identity;
    EXPECT_TRUE(GSymetricalDuplexFilter::CentringTransform(*none, 0).IsSame(&identity));
    EXPECT_TRUE(GSymetricalDuplexFilter::CentringTransform(*uneven, 1).IsSame(&identity));
}

TEST_F(ProducerTest, SymmetricalDuplexActsOnTwoSidedPagesOnly)
{
    PageDrawProducer* producer = MakeProducer(L"FILE:", {}, new MarkingWriter);
    producer->GetPrinterConfiguration()->Add(new GValueAttribute(1, FeatureId::kSymmetricalDuplexCapable));
    for (int duplex : {0, 1}) {
        SCOPED_TRACE(duplex);
        GSymetricalDuplexFilter filter(0);
        Start(filter,
              StateWith({{FeatureId::kDuplexMode, duplex}, {FeatureId::kSymmetricalNoScaling, 0}},
                        {Media(5250, 6600, 150, 100, 4800, 6400)}),
              producer);
        EXPECT_TRUE(filter.IsActive());
        EXPECT_EQ(10u, filter.QueryFlags());
        PageOut out = PageThrough(filter, StateWith({}));
        EXPECT_EQ(duplex != 0, out.hasSent);
        if (duplex) {
            EXPECT_FLOAT_EQ(1.0f - 150.0f / 4800.0f, out.sent.GetScaleX());
        }
    }
    // Without the printer's 204 the filter stays idle.
    GSymetricalDuplexFilter idle(0);
    Start(idle, StateWith({{FeatureId::kDuplexMode, 1}, {FeatureId::kSymmetricalNoScaling, 0}}));
    EXPECT_FALSE(idle.IsActive());
}
