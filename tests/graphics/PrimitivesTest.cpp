#include "../model/ModelTestObjects.h"
#include "../model/StoredForms.h"
#include "graphics/GClipToPath.h"
#include "graphics/GClipToSingleRectangle.h"
#include "graphics/GGraphicComposite.h"
#include "graphics/GPathGraphic.h"
#include "graphics/GPolyBezierGraphic.h"
#include "graphics/GPolygonGraphic.h"
#include "graphics/GPreScaledRasterGraphic.h"
#include "graphics/GRasterScale.h"
#include "graphics/GRectangleGraphic.h"
#include "graphics/GGraphicBundle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

class DrawingPeripheral : public RecordingPeripheral {
public:
    int16_t DrawPath(GPathGraphic&) override { return Drew("path"); }
    int16_t DrawPolyBezier(GPolyBezierGraphic&) override { return Drew("bezier"); }
    int16_t DrawPolygon(GPolygonGraphic&) override { return Drew("polygon"); }
    int16_t DrawRectangle(GRectangleGraphic&) override { return Drew("rectangle"); }
    int16_t DrawRaster(GRasterGraphic& r) override { return Drew(r.IsPreScaled() ? "prescaled" : "raster"); }
    std::vector<std::string> drawn;

private:
    int16_t Drew(const char* what)
    {
        drawn.push_back(what);
        return 7;
    }
};

std::vector<GPoint> Held(const GPointListGraphic& g)
{
    return g.GetDataSize() ? std::vector<GPoint>(g.GetPoint(0), g.GetPoint(0) + g.GetDataSize()) : std::vector<GPoint>{};
}

} // namespace

// Also guards the empty lists: no point 0 is read and no count wraps.
TEST(GPointListGraphics, PolygonsCloseAndBeziersTakeTheirStartPoint)
{
    GPoint open[] = {{0, 0}, {10, 0}, {10, 10}};
    GPoint closed[] = {{0, 0}, {10, 0}, {0, 0}};
    GPoint seven[] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}};
    EXPECT_EQ((std::vector<GPoint>{{10, 10}, {0, 0}, {10, 0}, {10, 10}}), Held(GPolygonGraphic({0, nullptr, open, 3}, nullptr)));
    EXPECT_EQ(std::vector<GPoint>(closed, closed + 3), Held(GPolygonGraphic({0, nullptr, closed, 3}, nullptr)));
    EXPECT_EQ(0u, GPolygonGraphic({1, nullptr, nullptr, 0}, nullptr).GetDataSize());

    const struct {
        uint32_t count;
        GPoint start;
        uint32_t left, segments;
    } beziers[] = {{7, {1, 1}, 6, 2}, {1, {1, 1}, 0, 0}, {0, {0, 0}, 0, 0}};
    for (const auto& b : beziers) {
        GPolyBezierGraphic bezier({1, nullptr, b.count ? seven : nullptr, b.count}, nullptr);
        EXPECT_EQ(b.start, bezier.GetArcStart());
        EXPECT_EQ(b.left, bezier.GetDataSize());
        EXPECT_EQ(b.segments, bezier.GetPointCount());
    }
}

// Prepare copies referred points; a copy that cannot be allocated leaves no points rather
// than the caller's buffer.
TEST(GPointListGraphics, PrepareLeavesNoCallersBuffer)
{
    GPoint points[] = {{0, 0}, {4, -3}, {9, 9}};
    GPolyBezierGraphic bezier({0, nullptr, points, 3}, nullptr);
    bezier.Prepare();
    points[1] = {100, 100};
    EXPECT_TRUE(bezier.IsOwned());
    EXPECT_EQ((std::vector<GPoint>{{4, -3}, {9, 9}}), Held(bezier));

    GPoint same[] = {{1, 1}, {1, 1}};
    GPolyBezierGraphic tooMany({0, nullptr, same, 0x3FFFFFFF}, nullptr);
    tooMany.Prepare();
    EXPECT_EQ(0u, tooMany.GetDataSize());
    EXPECT_EQ(nullptr, tooMany.GetPoint(0));
}

TEST(GPointListGraphics, BoundsOfListsAndPaths)
{
    GPoint one[] = {{50, 50}};
    GPoint spread[] = {{-4, 2}, {7, -9}, {3, 20}};
    GPolyBezierGraphic single({1, nullptr, one, 1}, nullptr);
    EXPECT_EQ((GRect{0, 0, 0, 0}), single.GetBounds());
    GPolygonGraphic polygon({1, nullptr, spread, 3}, nullptr);
    EXPECT_EQ((GRect{-4, -9, 7, 20}), polygon.GetBounds());

    GPathGraphic path(nullptr, 1);
    EXPECT_EQ((GRect{0, 0, 0, 0}), path.GetBounds());
    GPathGraphic* nested = new GPathGraphic(nullptr, 2);
    nested->Add(new GRectangleGraphic({-30, 5, -20, 6}, nullptr));
    path.Add(new GRectangleGraphic({1, 2, 3, 4}, nullptr));
    path.Add(nested);
    EXPECT_EQ((GRect{-30, 2, 3, 6}), path.GetBounds());
    EXPECT_EQ(nullptr, path.FindById(2));

    GRect bounds;
    EXPECT_FALSE(GClipToPath(nullptr, 0, 0).GetBounds(bounds));
    EXPECT_TRUE(GClipToPath(path.Copy(), 0, 0).GetBounds(bounds));
    EXPECT_EQ((GRect{-30, 2, 3, 6}), bounds);
}

TEST(GGraphics, ExecuteReachesOneHandlerAndForeignObjectsAreDeleted)
{
    DrawingPeripheral peripheral;
    GPoint points[] = {{0, 0}, {1, 1}};
    GRectangleGraphic rectangle({0, 0, 1, 1}, nullptr);
    GPolygonGraphic polygon({0, nullptr, points, 2}, nullptr);
    GPolyBezierGraphic bezier({0, nullptr, points, 2}, nullptr);
    GPathGraphic path(nullptr, 0);
    GGraphicComposite composite(nullptr, 0);
    GRasterGraphic raster(GBitmap(), nullptr, {0, 0, 1, 1}, {0, 0, 1, 1}, GBitmap());
    GPreScaledRasterGraphic prescaled(GBitmap(), nullptr, {0, 0, 1, 1}, {0, 0, 1, 1}, GBitmap());
    for (GGraphic* g : std::vector<GGraphic*>{&rectangle, &polygon, &bezier, &path, &raster, &prescaled})
        EXPECT_EQ(7, g->Execute(peripheral));
    EXPECT_EQ(0, composite.Execute(peripheral));
    EXPECT_EQ((std::vector<std::string>{"rectangle", "polygon", "bezier", "path", "raster", "prescaled"}),
              peripheral.drawn);

    int deletions = 0;
    composite.Add(new TrackedObject(1, &deletions));
    EXPECT_EQ(0u, composite.Entries());
    GGraphicBundle* bundle = new GGraphicBundle;
    rectangle.AdoptState(bundle);
    rectangle.AdoptState(static_cast<GState*>(static_cast<GObjectBase*>(new TrackedObject(2, &deletions))));
    EXPECT_EQ(2, deletions);
    EXPECT_EQ(bundle, rectangle.GetState());
    EXPECT_EQ(244, bundle->GetId());
}

// A point list stores the graphic part, 12 bytes, 4 per point and 24.
TEST(GPointListGraphics, StoredSizeFollowsThePointCount)
{
    GPoint points[] = {{0, 0}, {1, 1}, {2, 2}};
    GPolyBezierGraphic three({1, nullptr, points, 3}, nullptr);
    GPolyBezierGraphic none({1, nullptr, nullptr, 0}, nullptr);
    EXPECT_EQ(8u, GutsBytes(three).size() - GutsBytes(none).size());
}

TEST(GRasterScale, VisiblePartsUnderAClip)
{
    const struct {
        GRect source, destination, clip;
        uint32_t operation, result;
        GRect outSource, outDestination;
    } cases[] = {
        {{0, 0, 10, 10}, {0, 0, 100, 100}, {200, 200, 300, 300}, 0, 1, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {{0, 0, 10, 10}, {0, 0, 100, 100}, {-5, -5, 500, 500}, 0, 1, {0, 0, 10, 10}, {0, 0, 100, 100}},
        {{0, 0, 10, 10}, {0, 0, 100, 100}, {0, 0, 50, 50}, 0, 1, {0, 0, 5, 5}, {0, 0, 50, 50}},
        {{2, 3, 12, 13}, {0, 0, 100, 100}, {15, 15, 55, 55}, 0, 0, {3, 4, 8, 9}, {10, 10, 60, 60}},
        {{0, 0, 10, 10}, {0, 0, 100, 100}, {0, 0, 50, 50}, 1, 1, {0, 0, 10, 10}, {0, 0, 100, 100}},
        {{-32768, 0, 32767, 1}, {-32768, 0, 32767, 1}, {0, 0, 32767, 1}, 0, 1, {0, 0, 32767, 1}, {0, 0, 32767, 1}},
    };
    for (const auto& c : cases) {
        GClipToSingleRectangle clip(c.clip, c.operation, 0);
        GRect source, destination;
        EXPECT_EQ(c.result, GScaleToClip(&clip, c.source, c.destination, source, destination));
        EXPECT_EQ(c.outSource, source);
        EXPECT_EQ(c.outDestination, destination);
    }
}

// Prepare copies the caller's pixels, Scale answers as the clip scaling does, and a
// stored image of another class is refused with the primitive left as it was.
TEST(GRasterGraphics, PrepareOwnsThePixelsAndScaleFollowsTheClip)
{
    uint8_t pixels[4] = {1, 2, 3, 4};
    GBitmapInfo info;
    info.bits = pixels, info.bitsSize = 4, info.bounds = GRect{0, 0, 4, 1}, info.bitsPerPixel = 8;
    GRasterGraphic raster(GBitmap(info), nullptr, {0, 0, 4, 1}, {0, 0, 40, 10}, GBitmap());
    raster.Prepare();
    pixels[0] = 9;
    EXPECT_EQ(1, raster.GetBitmap().GetBits()[0]);

    GClipToSingleRectangle clip({5, 0, 25, 10}, 0, 0, 1);
    GRect source, destination, expectSource, expectDestination;
    EXPECT_EQ(GScaleToClip(&clip, {0, 0, 4, 1}, {0, 0, 40, 10}, expectSource, expectDestination),
              raster.Scale(&clip, source, destination));
    EXPECT_EQ((GRect{0, 0, 3, 1}), source);
    EXPECT_EQ(expectDestination, destination);
}
