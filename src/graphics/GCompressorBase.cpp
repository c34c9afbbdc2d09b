#include "graphics/GCompressorBase.h"

GCompressorBase::GCompressorBase(uint16_t rowUnit, uint32_t invert)
    : rowUnit_(rowUnit ? rowUnit : 1), invert_(invert)
{
}

bool GCompressorBase::MeasureRow()
{
    GRowBounds bounds;
    GetBounds(bounds);
    const int32_t width = int16_t(bounds.right - bounds.left);
    const uint32_t bitsPerPixel = GetBitsPerPixel() & 0xFF;
    empty_ = width <= 0;
    rowBytes_ = empty_ ? 0 : (bitsPerPixel * uint32_t(width) + 7) / 8;
    const uint32_t rest = rowBytes_ % rowUnit_;
    pad_ = rest ? rowUnit_ - rest : 0;
    return !empty_;
}
