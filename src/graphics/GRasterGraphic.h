// A raster image primitive: a bitmap, the part of it to draw, where that part lands on
// the page, and a second bitmap carried along for the writers.
#pragma once

#include "graphics/GBitmap.h"
#include "graphics/GGeometry.h"
#include "graphics/GGraphic.h"

class GClipAttribute;

class GRasterGraphic : public GPersistent<GRasterGraphic, GGraphic, 604> {
public:
    static constexpr const char* kClassName = "GRasterGraphic";
    GRasterGraphic* CreateNew() const override { return new GRasterGraphic; }
    GRasterGraphic* Copy() const override { return new GRasterGraphic(*this); }

    GRasterGraphic();
    GRasterGraphic(GBitmap image, GState* state, GRect source, GRect destination, GBitmap second);
    GRasterGraphic(GBitmap image, GRect source, GRect destination, GBitmap second, GState* state, const long& id);
    GRasterGraphic(const GRasterGraphic& other) = default;
    GRasterGraphic& operator=(const GRasterGraphic& other) = default;
    ~GRasterGraphic() override;

    // Same class and command part, alike images, equal rectangles and alike second bitmaps.
    bool IsSame(const GObjectBase* other) const override;
    // The image owns its pixels from now on, so no caller's buffer is referred to.
    void Prepare() override;
    // The peripheral's raster handler.
    int16_t Execute(GCommandHandler& target) override;
    // 1 for the images scaled before they reach the writer.
    virtual uint32_t IsPreScaled() const { return 0; }

    GRect GetSourceRect() const { return source_; }
    GRect GetDestRect() const { return destination_; }
    // A bitmap sharing the image's pixels.
    GBitmap GetBitmap() const { return image_; }
    GBitmap GetSecondBitmap() const { return second_; }
    // The visible parts of the source and destination under the clip (see GScaleToClip).
    uint32_t Scale(const GClipAttribute* clip, GRect& outSource, GRect& outDestination) const;

    // The image, the source and destination rectangles as 16-bit words, the second
    // bitmap; each bitmap is read back only when it is stored as a bitmap.
    auto StoredForm()
    {
        return GFields(GEmbedded(image_), source_.left, source_.top, source_.right, source_.bottom,
                       destination_.left, destination_.top, destination_.right, destination_.bottom,
                       GEmbedded(second_));
    }

private:
    GBitmap image_;
    GRect source_{0, 0, 0, 0};
    GRect destination_{0, 0, 0, 0};
    GBitmap second_;
};
