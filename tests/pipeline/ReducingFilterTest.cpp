// The reducing filter on its own: which rectangles it holds back, how overlapping ones
// are cut, and what goes on when anything else arrives.
#include "graphics/GBrush.h"
#include "graphics/GClipToPage.h"
#include "graphics/GClipToSingleRectangle.h"
#include "graphics/GColorPaint.h"
#include "graphics/GGraphicBundle.h"
#include "graphics/GNoPen.h"
#include "graphics/GPen.h"
#include "graphics/GRGBColor.h"
#include "graphics/GRasterOperation.h"
#include "graphics/GRectangleGraphic.h"
#include "graphics/GTextStringGraphic.h"
#include "model/GObjectIterator.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/filters/GReducingFilter.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr uint16_t kCopy = 0xF0;   // mix 13
constexpr uint16_t kXor = 0x5A;    // mix 7
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlack = 0;

GRectangleGraphic* Rect(int l, int t, int r, int b, uint16_t rop, uint32_t colour, bool visiblePen = false,
                        GGraphicAttribute* clip = nullptr)
{
    GGraphicBundle* bundle = new GGraphicBundle(0);
    if (visiblePen)
        bundle->SetPen(new GPen(1, new GColorPaint(new GRGBColor(0, 0, 0, 0)), 0));
    else
        bundle->SetPen(new GNoPen(0));
    bundle->SetBrush(new GBrush(
        new GColorPaint(new GRGBColor(uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16), 0)), 0));
    bundle->SetRasterOperation(new GRasterOperation(rop, 0, 0));
    if (clip)
        bundle->SetClip(clip);
    return new GRectangleGraphic(GRect{int16_t(l), int16_t(t), int16_t(r), int16_t(b)}, bundle, 0);
}

struct Sent {
    int classId;
    GRect bounds;
    uint16_t rop;
};

bool operator==(const Sent& a, const Sent& b) { return a.classId == b.classId && a.bounds == b.bounds && a.rop == b.rop; }
std::ostream& operator<<(std::ostream& out, const Sent& s)
{
    return out << s.classId << " [" << s.bounds.left << "," << s.bounds.top << "," << s.bounds.right << ","
               << s.bounds.bottom << "] " << s.rop;
}

Sent RectSent(int l, int t, int r, int b, uint16_t rop) { return {659, GRect{int16_t(l), int16_t(t), int16_t(r), int16_t(b)}, rop}; }

class Reducing : public testing::Test {
protected:
    void SetUp() override
    {
        filter_.reset(new GReducingFilter(0));
        delete Submit(new GDocumentStart(L"doc", L"FILE:", nullptr, 0));
    }
    // The filter's answer, owned by the caller.
    GCommand* Submit(GCommand* command) { return filter_->ReceiveCommand(command); }
    // What went on for a command: nothing for a no-command, else each command in order.
    std::vector<Sent> Sends(GCommand* command)
    {
        std::unique_ptr<GCommand> held(Submit(command));
        std::vector<Sent> out;
        auto add = [&](GObjectBase* object) {
            Sent s{int(object->ClassId()), GRect{0, 0, 0, 0}, 0};
            if (GRectangleGraphic* rect = dynamic_cast<GRectangleGraphic*>(object)) {
                s.bounds = rect->GetBounds();
                GState* state = rect->GetState();
                const GRasterOperation* rop = dynamic_cast<const GRasterOperation*>(
                    state ? state->FindById(GGraphicBundle::kRasterOperationId) : nullptr);
                s.rop = rop ? rop->GetRop() : 0;
                brushes.push_back(state ? state->FindById(GGraphicBundle::kBrushId) : nullptr);
                clips.push_back(state && state->FindById(GGraphicBundle::kClipId)
                                    ? int(state->FindById(GGraphicBundle::kClipId)->ClassId())
                                    : 0);
            }
            out.push_back(s);
        };
        if (held->ClassId() == 715)
            return out;
        if (held->ClassId() == 605) {
            std::unique_ptr<GObjectIterator> it(held->CreateIterator());
            while (it->Next())
                add(it->Current());
        } else {
            add(held.get());
        }
        return out;
    }
    // Holds each rectangle; every one must be answered with a no-command.
    void Hold(std::vector<GRectangleGraphic*> rects)
    {
        for (GRectangleGraphic* rect : rects)
            EXPECT_TRUE(Sends(rect).empty());
    }

    std::unique_ptr<GReducingFilter> filter_;
    std::vector<GObjectBase*> brushes;
    std::vector<int> clips;
};

} // namespace

TEST_F(Reducing, AVisiblePenGoesOnAfterTheHeldRectangles)
{
    Hold({Rect(0, 0, 10, 10, kCopy, kRed), Rect(20, 0, 30, 10, kCopy, kRed)});
    EXPECT_EQ((std::vector<Sent>{RectSent(0, 0, 10, 10, kCopy), RectSent(20, 0, 30, 10, kCopy),
                                 RectSent(40, 0, 50, 10, kCopy)}),
              Sends(Rect(40, 0, 50, 10, kCopy, kRed, true)));
    EXPECT_EQ(0, filter_->HeldCount());
}

TEST_F(Reducing, ThreeHeldThenTextGoOnInOneComposite)
{
    Hold({Rect(0, 0, 10, 10, kCopy, kRed), Rect(20, 0, 30, 10, kCopy, kRed), Rect(40, 0, 50, 10, kCopy, kRed)});
    static uint16_t chars[] = {'a'};
    static GPoint at[] = {{1, 2}};
    const std::vector<Sent> sent =
        Sends(new GTextStringGraphic(nullptr, chars, 0, GEncoding::kUnicode, at, 1, 1, new GGraphicBundle, 0));
    ASSERT_EQ(4u, sent.size());
    EXPECT_EQ(RectSent(40, 0, 50, 10, kCopy), sent[2]);
    EXPECT_NE(659, sent[3].classId);
    // Nothing held: the next command goes on alone.
    EXPECT_EQ(1u, Sends(new GPageEnd(0)).size());
}

TEST_F(Reducing, OverlapsAreCutByTheTableOfMixes)
{
    const struct {
        const char* name;
        uint16_t heldRop;
        uint32_t heldColour;
        uint16_t newRop;
        uint32_t newColour;
        std::vector<Sent> flushed;
    } cases[] = {
        {"trim", kCopy, kRed, kCopy, kRed, {RectSent(0, 0, 50, 100, kCopy), RectSent(50, 0, 150, 100, kCopy)}},
        {"cancel", kXor, kRed, kXor, kRed, {RectSent(0, 0, 50, 100, kXor), RectSent(100, 0, 150, 100, kXor)}},
        {"copy", kXor, kRed, kCopy, kBlack,
         {RectSent(0, 0, 50, 100, kXor), RectSent(50, 0, 100, 100, kCopy), RectSent(100, 0, 150, 100, kCopy)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Hold({Rect(0, 0, 100, 100, c.heldRop, c.heldColour), Rect(50, 0, 150, 100, c.newRop, c.newColour)});
        std::vector<Sent> sent = Sends(new GPageEnd(0));
        ASSERT_FALSE(sent.empty());
        sent.pop_back();
        EXPECT_EQ(c.flushed, sent);
    }
}

// Without an interaction both are drawn in their order and the new rectangle only once.
TEST_F(Reducing, RectanglesThatDoNotInteractGoOnOnceInTheirOrder)
{
    const struct {
        const char* name;
        uint16_t heldRop;
        uint32_t heldColour;
        uint16_t newRop;
        uint32_t newColour;
    } cases[] = {
        {"two colours of exclusive or", kXor, kRed, kXor, 0x00FF00},
        {"exclusive or over a copy depends on what lies below", kCopy, kRed, kXor, kRed},
        {"a coloured copy over exclusive or", kXor, kRed, kCopy, kRed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Hold({Rect(0, 0, 100, 100, c.heldRop, c.heldColour)});
        EXPECT_EQ((std::vector<Sent>{RectSent(0, 0, 100, 100, c.heldRop), RectSent(50, 0, 150, 100, c.newRop)}),
                  Sends(Rect(50, 0, 150, 100, c.newRop, c.newColour)));
        EXPECT_EQ(0, filter_->HeldCount());
    }
}

TEST_F(Reducing, TheThousandthRectangleFlushesTheHeldOnes)
{
    for (int i = 0; i < GReducingFilter::kMostHeld; ++i)
        ASSERT_TRUE(Sends(Rect(i * 2, 0, i * 2 + 1, 1, kCopy, kRed)).empty()) << i;
    EXPECT_EQ(999, filter_->HeldCount());
    const std::vector<Sent> sent = Sends(Rect(5000, 0, 5001, 1, kCopy, kRed));
    ASSERT_EQ(1000u, sent.size());
    EXPECT_EQ(RectSent(5000, 0, 5001, 1, kCopy), sent.back());
    EXPECT_EQ(0, filter_->HeldCount());
}

TEST_F(Reducing, ManyOverlappingRectanglesStayBounded)
{
    int most = 0;
    size_t sent = 0;
    for (int i = 0; i < 5000; ++i) {
        const int x = (i * 7) % 300, y = (i * 13) % 300;
        sent += Sends(Rect(x, y, x + 40, y + 40, i % 3 ? kCopy : kXor, i % 2 ? kRed : kBlack)).size();
        most = std::max(most, filter_->HeldCount());
    }
    EXPECT_LE(most, GReducingFilter::kMostHeld);
    EXPECT_GT(sent, 0u);
}

TEST_F(Reducing, ARectangleIsClippedToItsClipRectangle)
{
    Hold({Rect(0, 0, 100, 100, kCopy, kRed, false, new GClipToSingleRectangle(GRect{10, 10, 50, 50}, 1, 2, 0))});
    // Outside its clip rectangle a rectangle keeps both.
    Hold({Rect(200, 200, 300, 300, kCopy, kRed, false, new GClipToSingleRectangle(GRect{0, 0, 50, 50}, 1, 2, 0))});
    std::vector<Sent> sent = Sends(new GPageEnd(0));
    ASSERT_EQ(3u, sent.size());
    EXPECT_EQ(RectSent(10, 10, 50, 50, kCopy), sent[0]);
    EXPECT_EQ(RectSent(200, 200, 300, 300, kCopy), sent[1]);
    EXPECT_EQ((std::vector<int>{503, 504}), clips);
}

// The pieces of one rectangle share its brush; each rebuilt rectangle has its own copy,
// so that no brush is deleted twice.
TEST_F(Reducing, EachRebuiltPieceOwnsItsBrush)
{
    Hold({Rect(0, 0, 100, 100, kCopy, kRed), Rect(40, 40, 60, 60, kCopy, kRed)});
    std::vector<Sent> sent = Sends(new GPageEnd(0));
    ASSERT_EQ(6u, sent.size()) << "four pieces around the hole, the new one, the page end";
    for (size_t i = 0; i < brushes.size(); ++i)
        for (size_t j = i + 1; j < brushes.size(); ++j)
            EXPECT_NE(brushes[i], brushes[j]);
}

TEST_F(Reducing, TheDocumentStartDropsWhatWasHeld)
{
    Hold({Rect(0, 0, 10, 10, kCopy, kRed)});
    EXPECT_EQ(1, filter_->HeldCount());
    delete Submit(new GDocumentStart(L"doc", L"FILE:", nullptr, 0));
    EXPECT_EQ(0, filter_->HeldCount());
}
