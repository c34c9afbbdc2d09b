#include "../model/StoredForms.h"
#include "foundation/RWFactory.h"
#include "graphics/GBrush.h"
#include "graphics/GColorPaint.h"
#include "graphics/GCap.h"
#include "graphics/GClipToPage.h"
#include "graphics/GClipToPath.h"
#include "graphics/GClipToRectangle.h"
#include "graphics/GClipToSingleRectangle.h"
#include "graphics/GDashedPen.h"
#include "graphics/GFillMode.h"
#include "graphics/GMiterJoint.h"
#include "graphics/GNoBrush.h"
#include "graphics/GNoPen.h"
#include "graphics/GOutputChannel.h"
#include "graphics/GRasterOperation.h"
#include "graphics/GTransformAttribute.h"
#include "model/GAttributeVisitor.h"
#include "model/GValueAttribute.h"
#include "model/MPersistentComposite.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

// Answers each visit with a status of its own, so that the status shows which visitor
// the attribute called.
class StatusVisitor : public GAttributeVisitor {
public:
    int16_t ApplyBrush(GBrush&) override { return 1; }
    int16_t ApplyCap(GCap&) override { return 2; }
    int16_t ApplyClipToPage(GClipToPage&) override { return 3; }
    int16_t ApplyClipToPath(GClipToPath&) override { return 4; }
    int16_t ApplyClipToRectangle(GClipToRectangle&) override { return 5; }
    int16_t ApplyClipToSingleRectangle(GClipToSingleRectangle&) override { return 6; }
    int16_t ApplyDashedPen(GDashedPen&) override { return 7; }
    int16_t ApplyFillMode(GFillMode&) override { return 8; }
    int16_t ApplyJoint(GJoint&) override { return 9; }
    int16_t ApplyMiterJoint(GMiterJoint&) override { return 10; }
    int16_t ApplyNoBrush(GNoBrush&) override { return 11; }
    int16_t ApplyNoPen(GNoPen&) override { return 12; }
    int16_t ApplyPen(GPen&) override { return 13; }
    int16_t ApplyRasterOperation(GRasterOperation&) override { return 14; }
    int16_t ApplyTransform(GTransformAttribute&) override { return 15; }
};

// Records what reaches the sink, and ends its data and closes in its own destructor.
class StringChannel : public GOutputChannel {
public:
    explicit StringChannel(std::string* sink) : GOutputChannel("file:"), sink_(sink) {}
    ~StringChannel() override
    {
        EndData();
        Close();
    }
    int16_t WriteBytes(const void* data, uint32_t length) override
    {
        sink_->append(static_cast<const char*>(data), length);
        CountWritten(length);
        return 0;
    }
    int16_t EndData() override
    {
        if (GetState() == kInData)
            sink_->append("|");
        return GOutputChannel::EndData();
    }
    int16_t PageBoundary() override { return 0; }
    bool IsOpen() const override { return true; }

private:
    std::string* sink_;
};

// A colour of no registered class, for what a paint does with the colour it holds.
class PlainColor : public GColorBase {
public:
    PlainColor* CreateNew() const override { return new PlainColor; }
    PlainColor* Copy() const override { return new PlainColor(*this); }
    uint8_t SetFourthByte(uint8_t value) override { return value; }
    uint8_t GetFourthByte() const override { return 0; }
    void CopyAsRGB(GRGBColor*) const override {}
};

} // namespace

TEST(GraphicAttributes, HoldTheirDefaults)
{
    const struct {
        std::function<GGraphicAttribute*()> make;
        uint32_t value; // the width, cap, join, fill mode or raster code
        uint32_t second; // the raster value or miter limit where there is one
    } cases[] = {
        {[] { return new GJoint(0, 5); }, 3, 0},       {[] { return new GJoint; }, 3, 0},
        {[] { return new GMiterJoint(4.0f, 5); }, 0, 4}, {[] { return new GMiterJoint; }, 0, 0},
        {[] { return new GNoPen(5); }, 1, 0},          {[] { return new GNoPen; }, 0, 0},
        {[] { return static_cast<GGraphicAttribute*>(GetFactory()->Create(202)); }, 0, 0},  {[] { return new GCap; }, 1, 0},
        {[] { return new GFillMode; }, 2, 0},          {[] { return new GRasterOperation; }, 0, 2},
    };
    for (const auto& c : cases) {
        std::unique_ptr<GGraphicAttribute> attribute(c.make());
        SCOPED_TRACE(attribute->ClassId());
        uint32_t value = 0, second = 0;
        if (auto* pen = dynamic_cast<GPen*>(attribute.get()))
            value = uint32_t(pen->GetWidth());
        if (auto* cap = dynamic_cast<GCap*>(attribute.get()))
            value = cap->GetCap();
        if (auto* joint = dynamic_cast<GJoint*>(attribute.get()))
            value = joint->GetJoint();
        if (auto* miter = dynamic_cast<GMiterJoint*>(attribute.get()))
            second = uint32_t(miter->GetMiterLimit());
        if (auto* fill = dynamic_cast<GFillMode*>(attribute.get()))
            value = fill->GetFillMode();
        if (auto* rop = dynamic_cast<GRasterOperation*>(attribute.get())) {
            value = rop->GetRop();
            second = rop->GetValue();
        }
        EXPECT_EQ(c.value, value);
        EXPECT_EQ(c.second, second);
    }
}

TEST(GraphicAttributes, SharedPaintIsStoredOnceAndComesBackShared)
{
    GColorPaint* paint = new GColorPaint;
    MPersistentComposite tree(1);
    tree.Add(new GPen(2, paint, 160));
    tree.Add(new GBrush(paint, 154));
    for (Medium medium : kAllMedia) {
        SCOPED_TRACE(medium);
        std::unique_ptr<GObjectBase> back = GraphRoundTrip(medium, &tree);
        ASSERT_TRUE(back && back->IsSame(&tree));
        GPen* pen = static_cast<GPen*>(back->FindById(160));
        GBrush* brush = static_cast<GBrush*>(back->FindById(154));
        ASSERT_TRUE(pen && brush && pen->GetPaint());
        EXPECT_EQ(pen->GetPaint(), brush->GetPaint());
        EXPECT_EQ(1, pen->GetPaint()->References());
        pen->SetPaint(nullptr);
        EXPECT_EQ(0, brush->GetPaint()->References());
    }
}

TEST(GraphicAttributes, AssignmentKeepsThePaintWhenTheSourceHasNone)
{
    GColorPaint* paint = new GColorPaint;
    GPen pen(1, paint, 7);
    pen = GPen(4, nullptr, 8);
    EXPECT_EQ(paint, pen.GetPaint());
    EXPECT_EQ(4, pen.GetWidth());
    EXPECT_EQ(8, pen.GetId());
    GBrush brush(paint, 1);
    brush = GBrush(nullptr, 2);
    EXPECT_EQ(paint, brush.GetPaint());

    // A no-pen with a paint is the same as nothing; a no-brush compares ids only.
    GNoPen noPen(3), other(3);
    EXPECT_TRUE(noPen.IsSame(&other));
    noPen.SetPaint(new GColorPaint);
    EXPECT_FALSE(noPen.IsSame(&other));
    GNoBrush noBrush(3), painted(3);
    painted.SetPaint(new GColorPaint);
    EXPECT_TRUE(noBrush.IsSame(&painted));
}

TEST(GraphicAttributes, ARestoredObjectOfAnotherKindIsNoPaint)
{
    const std::vector<uint8_t> stored = GutsBytes(GPen(5, nullptr, 7));
    std::vector<uint8_t> bytes(stored.begin(), stored.end() - 6); // the nil reference goes
    const std::vector<uint8_t> foreign =
        StoredBytes().Raw(bytes).Object(GValueAttribute::kClassId).Raw(GutsBytes(GValueAttribute(1, 2))).Get();
    GPen pen(0, new GColorPaint, 0);
    RestoreGutsFrom(pen, foreign);
    EXPECT_EQ(5, pen.GetWidth());
    EXPECT_EQ(nullptr, pen.GetPaint());
}

TEST(GraphicAttributes, DashesAreCheckedAgainstTheInput)
{
    GDashedPen none;
    EXPECT_EQ(GPen().BinaryStoreSize() + 10, none.BinaryStoreSize()); // version, offset, count
    GDashedPen dashed(new uint16_t[2]{3, 1}, 2, 1, nullptr, 2, 9);
    std::vector<uint8_t> bytes = GutsBytes(dashed);
    const size_t countAt = bytes.size() - 8;
    bytes[countAt + 3] = 0x40; // a count of a billion dashes
    RestoreGutsFrom(dashed, bytes);
    ASSERT_EQ(2u, dashed.GetDashCount());
    EXPECT_EQ(1, dashed.GetDashArray()[1]);
}

TEST(GraphicAttributes, ColorPaintKeepsTheColourItHolds)
{
    PlainColor* color = new PlainColor;
    GColorPaint paint(color);
    paint.SetColor(color);
    EXPECT_EQ(color, paint.GetColor());
    GColorPaint copy(paint);
    EXPECT_NE(color, copy.GetColor());
    EXPECT_TRUE(copy.IsSame(&paint));
}

TEST(GraphicAttributes, EachCallsExactlyTheVisitorOfItsClass)
{
    const struct {
        std::function<GAttribute*()> make;
        int16_t status;
        RWClassID classId;
        RWClassID storageId;
    } cases[] = {
        {[] { return new GBrush; }, 1, 251, 251},         {[] { return new GCap; }, 2, 301, 301},
        {[] { return new GClipToPage; }, 3, 503, 756},    {[] { return new GClipToPath; }, 4, 502, 756},
        {[] { return new GClipToRectangle; }, 5, 501, 756}, {[] { return new GClipToSingleRectangle; }, 6, 504, 756},
        {[] { return new GDashedPen; }, 7, 203, 201},     {[] { return new GFillMode; }, 8, 102, 102},
        {[] { return new GJoint; }, 9, 351, 351},         {[] { return new GMiterJoint; }, 10, 352, 351},
        {[] { return new GNoBrush; }, 11, 252, 251},      {[] { return new GNoPen; }, 12, 202, 201},
        {[] { return new GPen; }, 13, 201, 201},          {[] { return new GRasterOperation; }, 14, 401, 401},
        {[] { return new GTransformAttribute; }, 15, 103, 103},
    };
    StatusVisitor visitor;
    for (const auto& c : cases) {
        std::unique_ptr<GAttribute> attribute(c.make());
        SCOPED_TRACE(c.classId);
        EXPECT_EQ(c.status, attribute->ApplyTo(visitor));
        EXPECT_EQ(c.classId, attribute->ClassId());
        EXPECT_EQ(c.storageId, attribute->StorageClassId());
        EXPECT_EQ(c.classId != 103, attribute->IsKindOf(754));
    }
}

TEST(GOutputChannel, StepsOnlyInTheirOrder)
{
    std::string sink;
    {
        StringChannel channel(&sink);
        EXPECT_EQ(1, channel.Write("early"));
        EXPECT_EQ(0, channel.Open(L"doc"));
        EXPECT_EQ(1, channel.Open(L"doc"));
        EXPECT_EQ(0, channel.Write("page"));
        EXPECT_EQ(uint32_t(GOutputChannel::kInData), channel.GetState());
        EXPECT_EQ(4u, channel.GetBytesWritten());
        EXPECT_EQ(0, channel.EndData());
        EXPECT_EQ(0, channel.IsNotOpen());
        EXPECT_EQ(0, channel.Write("s"));
        EXPECT_EQ(0, channel.Close());
        EXPECT_EQ(uint32_t(GOutputChannel::kClosed), channel.GetState());
        EXPECT_EQ(0, channel.Open(L"doc"));
        EXPECT_EQ(0, channel.Write("t"));
    }
    // Destroyed in its data, the channel ended it through its own override.
    EXPECT_EQ("page|s|t|", sink);

    // Finish from every state is final.
    for (int steps = 0; steps < 3; ++steps) {
        StringChannel finished(&sink);
        EXPECT_EQ(1, finished.IsNotOpen());
        if (steps > 0)
            finished.Open(L"doc");
        if (steps > 1)
            finished.BeginData();
        EXPECT_EQ(0, finished.Finish());
        EXPECT_EQ(1, finished.Open(L"doc"));
        EXPECT_EQ(1, finished.Write("late"));
        EXPECT_EQ(1, finished.IsNotOpen());
    }
}
