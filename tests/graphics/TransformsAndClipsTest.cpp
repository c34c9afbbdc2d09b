#include "../model/StoredForms.h"
#include "graphics/GClipToPage.h"
#include "graphics/GClipToPath.h"
#include "graphics/GClipToRectangle.h"
#include "graphics/GClipToSingleRectangle.h"
#include "graphics/GTransformAttribute.h"
#include "model/GValueAttribute.h"

#include <gtest/gtest.h>

#include <memory>

TEST(GTransformAttribute, ConcatenatesInsideTheOuterTransform)
{
    const struct {
        GTransformAttribute a, b;
        int16_t x, y;
        uint16_t rotation;
        float scaleX;
    } cases[] = {
        {{}, {}, 0, 0, 0, 1.0f},
        {{0, 10, 10, 0.5f, 0.5f}, {0, 3, -3, 1.0f, 1.0f}, 11, 9, 0, 0.5f},
        {{65500, 32767, -32768, 1.0f, 1.0f}, {100, 1, -1, 3.0f, 1.0f}, -32768, 32767, 64, 3.0f},
    };
    for (const auto& c : cases) {
        std::unique_ptr<GTransformAttribute> t(GTransformAttribute::Concatenate(c.a, c.b));
        EXPECT_EQ(c.x, t->GetOriginX());
        EXPECT_EQ(c.y, t->GetOriginY());
        EXPECT_EQ(c.rotation, t->GetRotation());
        EXPECT_EQ(c.scaleX, t->GetScaleX());
    }
    EXPECT_TRUE(std::unique_ptr<GTransformAttribute>(GTransformAttribute::Concatenate({}, {}))->IsSame(
        std::make_unique<GTransformAttribute>().get()));
}

TEST(GClipToRectangle, GrowsBySixtyFourAndBoundsSignedRectangles)
{
    GClipToRectangle clip({-5, 1, 9, 4}, 0, 1, 177);
    EXPECT_EQ(1u, clip.GetCapacity());
    clip.AddRectangle({2, -8, 3, 12});
    EXPECT_EQ(65u, clip.GetCapacity());
    GRect bounds = {};
    ASSERT_TRUE(clip.GetBounds(bounds));
    EXPECT_EQ((GRect{-5, -8, 9, 12}), bounds);
    EXPECT_EQ((GRect{0, 0, 0, 0}), clip.GetRectangle(2));

    // An empty list has no bounds: a zero rectangle and false, never an index error.
    bounds = {1, 1, 1, 1};
    EXPECT_FALSE(GClipToRectangle().GetBounds(bounds));
    EXPECT_EQ((GRect{0, 0, 0, 0}), bounds);
}

TEST(GClipAttribute, CopiesKeepIdModeAndOperation)
{
    const GRect r = {1, 2, 3, 4};
    std::unique_ptr<GClipAttribute> clips[] = {
        std::make_unique<GClipToRectangle>(r, 0, 1, 177), std::make_unique<GClipToSingleRectangle>(r, 1, 0, 177),
        std::make_unique<GClipToPath>(nullptr, 1, 0, 177), std::make_unique<GClipToPage>(177)};
    for (const auto& clip : clips) {
        std::unique_ptr<GObjectBase> copy(clip->Copy());
        EXPECT_TRUE(copy->IsSame(clip.get())) << clip->ClassId();
        EXPECT_EQ(177, copy->GetId());
    }
    EXPECT_EQ(1u, clips[3]->GetClipMode());
    EXPECT_EQ(0u, clips[3]->GetClipOperation());
    GRect bounds = {};
    EXPECT_TRUE(clips[1]->GetBounds(bounds));
    EXPECT_EQ(r, bounds);
}

TEST(GClipAttribute, StoredCountsAndForeignPathsAreRefused)
{
    GClipToRectangle clip({1, 2, 3, 4}, 0, 1, 177);
    std::vector<uint8_t> bytes = GutsBytes(clip);
    bytes[bytes.size() - 9] = 0x40; // a count of a billion rectangles
    GClipToRectangle target({7, 7, 8, 8}, 1, 1, 5);
    RestoreGutsFrom(target, bytes);
    EXPECT_EQ((GRect{7, 7, 8, 8}), target.GetRectangle(0));
    EXPECT_EQ(1u, target.GetCount());

    // Something that is no path is deleted, given or read back.
    GClipToPath path(new GValueAttribute(1, 2), 0, 0, 177);
    EXPECT_EQ(nullptr, path.GetPath());

    GRect out = {};
    EXPECT_FALSE(IntersectRect(out, {0, 0, 5, 5}, {5, 0, 9, 9}));
    EXPECT_TRUE(IntersectRect(out, {-4, -4, 5, 5}, {2, -9, 9, 3}));
    EXPECT_EQ((GRect{2, -4, 5, 3}), out);
}
