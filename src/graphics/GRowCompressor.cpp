#include "graphics/GRowCompressor.h"

#include <new>
#include <stdexcept>

GRowCompressor::~GRowCompressor() = default;

void GRowCompressor::SkipRows(uint32_t) {}

uint32_t GRowCompressor::Begin()
{
    ready_ = 1;
    return 1;
}

uint32_t GRowCompressor::GetMaxRowSize()
{
    return source_ ? source_->GetMaxRowSize() : 0;
}

void GRowCompressor::GetBounds(GRowBounds& bounds)
{
    if (source_)
        source_->GetBounds(bounds);
    else
        bounds = GRowBounds();
}

uint32_t GRowCompressor::GetBitsPerPixel()
{
    return source_ ? source_->GetBitsPerPixel() : 0;
}

const GPaletteTable* GRowCompressor::GetPalette()
{
    return source_ ? source_->GetPalette() : nullptr;
}

bool GRowCompressor::Allocate(std::vector<uint8_t>& buf, uint32_t size)
{
    if (size > kMaxRowBytes)
        return false;
    try {
        buf.assign(size, 0);
    } catch (const std::bad_alloc&) {
        buf.clear();
        buf.shrink_to_fit();
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}
