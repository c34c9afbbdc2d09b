// The watermark filter: which pages it marks, the colour of the text, and the graphic the
// producer makes going on just before the page end.
#include "ProducerTestBed.h"

#include "graphics/GBrush.h"
#include "graphics/GColorPaint.h"
#include "graphics/GRGBColor.h"
#include "model/GCommandComposite.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "pipeline/filters/GWatermarkFilter.h"
#include "printer/GMedia.h"

#include <gtest/gtest.h>

using namespace testbed;

namespace {

GMedia* Letter()
{
    return new GMedia("Letter", {5100, 6600}, {4900, 6400}, {100, 100}, 0, 1, 600, 600, FeatureId::kDocumentMedia, 0,
                      nullptr, "Plain");
}

// The watermark settings node: rule 382, gate 381, the message and a colour.
GState* WatermarkSettings(int rule, int gate = 0, int shade = 128, int red = 1, int green = 0, int blue = 0)
{
    GState* node = new GState(FeatureId::kWatermarkSettings);
    if (rule >= 0)
        node->Add(new GValueAttribute(uint16_t(rule), FeatureId::kWatermarkPageRule));
    if (gate >= 0)
        node->Add(new GValueAttribute(uint16_t(gate), FeatureId::kWatermarkGate));
    node->Add(new GStringAttribute("DRAFT", FeatureId::kWatermarkText));
    node->Add(new GValueAttribute(36, FeatureId::kWatermarkSize));
    node->Add(new GValueAttribute(uint16_t(shade), FeatureId::kWatermarkShade));
    node->Add(new GValueAttribute(uint16_t(red), FeatureId::kWatermarkRed));
    node->Add(new GValueAttribute(uint16_t(green), FeatureId::kWatermarkGreen));
    node->Add(new GValueAttribute(uint16_t(blue), FeatureId::kWatermarkBlue));
    node->Add(new GValueAttribute(1, FeatureId::kWatermarkStyle));
    return node;
}

void PutWatermark(PageDrawProducer* producer, GState* node)
{
    GObjectBase* job = producer->GetSettings()->FindById(FeatureId::kJobSettings);
    job->Add(node);
    job->Add(Letter());
}

// The pages (by mark) after which the watermark rectangle was drawn.
std::vector<int> MarkedPages(const std::vector<std::string>& events)
{
    std::vector<int> marked;
    int mark = 0;
    for (const std::string& e : events) {
        if (e.compare(0, 5, "Mark ") == 0) {
            const int value = std::stoi(e.substr(5));
            if (value == 0)
                marked.push_back(mark);
            else
                mark = value;
        }
    }
    return marked;
}

// A producer whose font is handle 7 and whose graphic keeps the colour it was given.
struct ColourProducer : GCommandProducer {
    uint32_t GetProducerKey() const override { return 1; }
    uint16_t CheckContinue() override { return 0; }
    uint16_t PaintPath(uint32_t) override { return 0; }
    int ClosesFigure(uint32_t) override { return 0; }
    uint32_t RequestWatermarkFont(uint32_t, uint32_t, uint32_t) override { return 7; }
    GCommand* MakeWatermarkGraphic(const RWWString&, uint32_t, uint32_t, uint32_t color, uint32_t, uint32_t) override
    {
        seen = *reinterpret_cast<const GRGBColor*>(uintptr_t(color));
        return new GPageEnd(nullptr, 0);
    }
    GRGBColor seen;
};

// A page start of the other kind (class 711), which the factory does not know.
class OtherPageStart : public GKindOfLevel<GCommand, 711> {
public:
    static constexpr RWClassID kClassId = 711;
    explicit OtherPageStart(GState* state) { AdoptState(state); }
    RWClassID ClassId() const override { return kClassId; }
    OtherPageStart* CreateNew() const override { return nullptr; }
    OtherPageStart* Copy() const override { return nullptr; }
    int16_t Execute(GCommandHandler&) override { return 0; }
};

} // namespace

TEST(WatermarkFilter, FirstPageOnlyCountsPageStartsOfBothKinds)
{
    ColourProducer producer;
    GWatermarkFilter filter(0);
    GState* job = new GState(0);
    job->Add(WatermarkSettings(1));
    job->Add(Letter());
    filter.ProcessCommand(GCountedRef(new GDocumentStart(L"doc", "", L"FILE:", &producer, job, 0)));
    const struct {
        bool other;
        bool marked;
    } pages[] = {{true, true}, {false, false}, {true, false}};
    for (const auto& page : pages) {
        GState* state = new GState(0);
        GCountedRef start(page.other ? static_cast<GCommand*>(new OtherPageStart(state)) : new GPageStart(state, 0));
        filter.ProcessCommand(start);
        GCountedRef end(new GPageEnd(nullptr, 0));
        EXPECT_EQ(page.marked, filter.ProcessCommand(end).Get() != end.Get());
    }
    EXPECT_EQ(3u, filter.GetPageCount());
}

TEST(WatermarkFilter, ShadeAndPresencesGiveTheColour)
{
    const struct {
        uint16_t shade, r, g, b;
        uint16_t out[3];
    } rows[] = {
        {100, 1, 0, 0, {255, 100, 100}}, {100, 1, 1, 0, {255, 255, 100}}, {100, 0, 1, 0, {100, 255, 100}},
        {100, 0, 1, 1, {100, 255, 255}}, {100, 0, 0, 1, {100, 100, 255}}, {100, 1, 0, 1, {255, 100, 255}},
        {100, 1, 1, 1, {100, 100, 100}}, {100, 0, 0, 0, {100, 100, 100}},
        // Shade 255 would print nothing: it gives 232.
        {255, 0, 0, 0, {232, 232, 232}}, {255, 1, 0, 0, {255, 232, 232}},
    };
    GWatermarkFilter filter(0);
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.shade << " " << row.r << row.g << row.b);
        uint16_t shade = row.shade, r = row.r, g = row.g, b = row.b;
        filter.ShadeColor(shade, r, g, b);
        EXPECT_EQ(row.out[0], r);
        EXPECT_EQ(row.out[1], g);
        EXPECT_EQ(row.out[2], b);
    }
}

TEST(WatermarkFilter, ModesFromTheSettings)
{
    const struct {
        int rule, gate;
        uint32_t mode;
    } rows[] = {{0, 0, GWatermarkFilter::kEveryPage}, {1, 0, GWatermarkFilter::kFirstPage},
                {2, 0, GWatermarkFilter::kOff},       {0, 1, GWatermarkFilter::kOff},
                {0, -1, GWatermarkFilter::kOff},      {-1, 0, GWatermarkFilter::kOff}};
    ColourProducer colours;
    GCommandProducer* producer = &colours;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.rule << " " << row.gate);
        GWatermarkFilter filter(0);
        filter.SetProducer(producer);
        GCountedRef node(WatermarkSettings(row.rule, row.gate));
        filter.Configure(node.Get());
        EXPECT_EQ(row.mode, filter.GetMode());
        EXPECT_EQ(row.mode != GWatermarkFilter::kOff, filter.IsEnabled() != 0);
    }
    GWatermarkFilter filter(0);
    GCountedRef node(WatermarkSettings(0));
    filter.Configure(node.Get());
    EXPECT_EQ(GWatermarkFilter::kOff, filter.GetMode()) << "no producer, no watermark";
}

TEST_F(ProducerTest, EveryPageOrTheFirstPageOnlyIsMarkedInColour)
{
    const struct {
        int rule;
        std::vector<int> marked;
    } rows[] = {{0, {1, 2, 3}}, {1, {1}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.rule);
        MarkingWriter* writer = new MarkingWriter;
        PageDrawProducer* producer = MakeProducer(L"FILE:", {new GWatermarkFilter(0)}, writer);
        PutWatermark(producer, WatermarkSettings(row.rule, 0, 255, 1, 0, 0));
        PageDrawJob job;
        job.pages = 3;
        EXPECT_EQ(0, job.Run(*producer));
        EXPECT_EQ(row.marked, MarkedPages(writer->Events()));
        EXPECT_EQ(RWWString(L"DRAFT"), producer->lastWatermark);
        EXPECT_EQ(producer->fontRequests, producer->fontReleases - 1) << "each build, and once at the end";
    }
}

TEST_F(ProducerTest, WithoutAFontHandleThePageEndPassesUnchanged)
{
    MarkingWriter* writer = new MarkingWriter;
    PageDrawProducer* producer = MakeProducer(L"FILE:", {new GWatermarkFilter(0)}, writer);
    producer->watermarkHandle = 0;
    PutWatermark(producer, WatermarkSettings(0));
    PageDrawJob job;
    job.pages = 2;
    EXPECT_EQ(0, job.Run(*producer));
    EXPECT_TRUE(MarkedPages(writer->Events()).empty());
}

TEST(WatermarkFilter, TheTextTakesTheShadedColourAndAPageWithoutMediaIsNotMarked)
{
    ColourProducer producer;
    GWatermarkFilter filter(0);
    GState* job = new GState(0);
    job->Add(WatermarkSettings(0, 0, 255, 0, 1, 0));
    GCountedRef start(new GDocumentStart(L"doc", "", L"FILE:", &producer, job, 0));
    filter.ProcessCommand(start);
    // No media anywhere: the page is not marked.
    filter.ProcessCommand(GCountedRef(new GPageStart(new GState(0), 0)));
    GCountedRef end(new GPageEnd(nullptr, 0));
    EXPECT_EQ(end.Get(), filter.ProcessCommand(end).Get());
    // With a media, the graphic goes before the page end in the shaded colour.
    GState* page = new GState(0);
    page->Add(Letter());
    filter.ProcessCommand(GCountedRef(new GPageStart(page, 0)));
    GCountedRef marked = filter.ProcessCommand(end);
    EXPECT_EQ(GCommandComposite::kClassId, marked->ClassId());
    EXPECT_EQ(232, producer.seen.GetRed());
    EXPECT_EQ(255, producer.seen.GetGreen());
    EXPECT_EQ(232, producer.seen.GetBlue());
    EXPECT_EQ(700u, filter.GetRequest().weight);
    EXPECT_EQ(600 * 36 / -72, filter.GetRequest().height);
}
