// The chain of row stages through which a writer reads a raster image: the bitmap
// source, then, when the image must be scaled, clipped or dithered, a copy or scaling
// stage, a clip stage and a dithering stage, and last the writer's padder or compressor.
// The chain is itself a stage: reading it reads its last stage. It owns every stage.
#pragma once

#include "graphics/GBitmap.h"
#include "graphics/GGeometry.h"
#include "graphics/GRowCompressor.h"

#include <vector>

class GClipAttribute;
class GDitherMatrix;

class GRasterRowSource : public GRowCompressor {
public:
    // Links the stages given in chain order (any but the first and the final may be
    // null): each stage after the first takes the last kept one as its source and is
    // begun; one that cannot begin is deleted and left out. Every stage given is owned.
    GRasterRowSource(GRowCompressor* first, GRowCompressor* copy, GRowCompressor* scaling, GRowCompressor* clip,
                     GRowCompressor* dither, GRowCompressor* final);
    ~GRasterRowSource() override;

    // The row of the chain's last stage. A chain whose final stage was left out
    // delivers nothing and answers kFinalStageDropped: rows must never go out unpacked
    // where the writer announced its packing.
    uint32_t ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                     uint8_t& rows) override;

    // False when the final stage could not begin and was left out.
    bool FinalStageKept() const { return finalKept_; }
    // The kept stages, first to last.
    std::vector<GRowCompressor*> Stages() const;

private:
    bool finalKept_ = false;
};

// Builds the chain for drawing the source rectangle of the bitmap into the destination
// rectangle (device pixels) under the clip (null: none). Scaling mode 0 adds the middle
// stages when the image grows or forceScaling is 1, mode 1 always (and dithers), mode 2
// when bits per pixel x destination area passes the visible source area (and dithers).
// When a clip is given and the middle stages are added, source becomes the part of it
// that the clip leaves visible. The level function goes to the bitmap's shared image
// and to the dithering stage. The final stage is owned by the chain from here on.
GRasterRowSource* CreateRasterRowSource(GRect destination, GRect& source, const GClipAttribute* clip, GBitmap bitmap,
                                        uint32_t sourceKind, uint32_t scalingMode, const GDitherMatrix* matrix,
                                        GRowCompressor* finalStage, uint32_t forceScaling,
                                        GBitmapImp::GrayConverter level);
