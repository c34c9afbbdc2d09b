#include "graphics/GRasterRowSource.h"

#include "graphics/GBitmapRowStage.h"
#include "graphics/GClipAttribute.h"
#include "graphics/GClipRowStage.h"
#include "graphics/GCopyRowStage.h"
#include "graphics/GDitherRowStage.h"
#include "graphics/GRasterScale.h"
#include "graphics/GScalingRowStage.h"

#include <algorithm>

namespace {

GRowBounds ToBounds(const GRect& r) { return GRowBounds{r.left, r.top, r.right, r.bottom}; }

int64_t Area(const GRect& r) { return int64_t(int16_t(r.right - r.left)) * int16_t(r.bottom - r.top); }

} // namespace

GRasterRowSource::GRasterRowSource(GRowCompressor* first, GRowCompressor* copy, GRowCompressor* scaling,
                                   GRowCompressor* clip, GRowCompressor* dither, GRowCompressor* final)
{
    GRowCompressor* last = first;
    for (GRowCompressor* stage : {copy, scaling, clip, dither, final}) {
        if (!stage)
            continue;
        if (!last) {
            delete stage;
            continue;
        }
        stage->SetSource(last);
        if (stage->Begin()) {
            last = stage;
            finalKept_ = stage == final;
        } else {
            delete stage;
        }
    }
    source_ = last;
    ready_ = 1;
}

GRasterRowSource::~GRasterRowSource()
{
    for (GRowCompressor* stage = source_; stage;) {
        GRowCompressor* before = stage->GetSource();
        delete stage;
        stage = before;
    }
}

uint32_t GRasterRowSource::ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                                   uint8_t& rows)
{
    length = 0;
    if (!finalKept_)
        return kFinalStageDropped;
    return source_->ReadRow(buffer, rowNumber, length, repeat, rows);
}

std::vector<GRowCompressor*> GRasterRowSource::Stages() const
{
    std::vector<GRowCompressor*> stages;
    for (GRowCompressor* stage = source_; stage; stage = stage->GetSource())
        stages.insert(stages.begin(), stage);
    return stages;
}

GRasterRowSource* CreateRasterRowSource(GRect destination, GRect& source, const GClipAttribute* clip, GBitmap bitmap,
                                        uint32_t sourceKind, uint32_t scalingMode, const GDitherMatrix* matrix,
                                        GRowCompressor* finalStage, uint32_t forceScaling,
                                        GBitmapImp::GrayConverter level)
{
    bitmap.SetGrayConverter(level);
    uint32_t bitsPerPixel = bitmap.GetBitsPerPixel();
    if (sourceKind == 0 || sourceKind == 1 || sourceKind == 4)
        bitsPerPixel = std::min<uint32_t>(bitsPerPixel, 8);
    GRowCompressor* first = new GBitmapRowStage(ToBounds(source), bitmap, sourceKind);

    // The clip's bounds are device pixels: the part of the source that stays visible is
    // found through the destination, as the raster primitives find it.
    GRect effective = source;
    GRect clipBounds;
    if (clip && clip->GetBounds(clipBounds)) {
        GRect visibleDestination;
        GScaleToClip(clip, source, destination, effective, visibleDestination);
    }
    const int64_t destinationArea = Area(destination);
    const int64_t sourceArea = Area(effective);

    bool middle = false;
    switch (scalingMode) {
    case 0:
        middle = destinationArea > sourceArea || forceScaling == 1;
        break;
    case 1:
        middle = true;
        break;
    case 2:
        middle = int64_t(bitsPerPixel) * destinationArea > sourceArea;
        break;
    default:
        break;
    }
    if (!middle)
        return new GRasterRowSource(first, nullptr, nullptr, nullptr, nullptr, finalStage);

    // The copy or scaling stage reports the destination, so the clip stage behind it
    // meets the clip in device pixels.
    GRowCompressor* copy = nullptr;
    GRowCompressor* scaling = nullptr;
    // Sizes as the bitmap stage delivers them, cut to the bitmap: a copy stage must never
    // report more than arrives.
    GRowBounds delivered;
    first->GetBounds(delivered);
    const bool sameSize = int16_t(delivered.right - delivered.left) == int16_t(destination.right - destination.left) &&
                          int16_t(delivered.bottom - delivered.top) == int16_t(destination.bottom - destination.top);
    if (sameSize && !(scalingMode == 0 && clip))
        copy = new GCopyRowStage(ToBounds(destination));
    else
        scaling = new GScalingRowStage(ToBounds(destination));
    GRowCompressor* clipStage = nullptr;
    if (clip) {
        clipStage = new GClipRowStage(clip);
        source = effective;
    }
    GRowCompressor* dither = nullptr;
    if (scalingMode == 1 || scalingMode == 2)
        dither = new GDitherRowStage(ToBounds(source), matrix, level);
    return new GRasterRowSource(first, copy, scaling, clipStage, dither, finalStage);
}
