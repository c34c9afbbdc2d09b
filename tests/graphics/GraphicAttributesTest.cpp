#include "graphics/GBrush.h"
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

// Records what reaches the sink.
class StringChannel : public GOutputChannel {
public:
    explicit StringChannel(std::string* sink) : GOutputChannel("file:"), sink_(sink) {}
    int16_t WriteBytes(const void* data, uint32_t length) override
    {
        sink_->append(static_cast<const char*>(data), length);
        CountWritten(length);
        return 0;
    }
    int16_t Abort() override { return 0; }

private:
    std::string* sink_;
};

} // namespace

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
        EXPECT_TRUE(channel.IsOpen());
        EXPECT_EQ(0, channel.Write("s"));
    }
    EXPECT_EQ("pages", sink);

    StringChannel finished(&sink);
    EXPECT_EQ(0, finished.Open(L"doc"));
    EXPECT_EQ(0, finished.Finish());
    EXPECT_EQ(1, finished.Open(L"doc"));
    EXPECT_EQ(1, finished.Write("late"));
    EXPECT_FALSE(finished.IsOpen());
}
