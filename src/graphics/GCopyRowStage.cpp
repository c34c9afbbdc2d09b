#include "graphics/GCopyRowStage.h"

GCopyRowStage::GCopyRowStage(const GRowBounds& rectangle) : GRectRowStage(rectangle) {}

uint32_t GCopyRowStage::ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                                uint8_t& rows)
{
    length = 0;
    return source_ ? source_->ReadRow(buffer, rowNumber, length, repeat, rows) : 0;
}

void GCopyRowStage::SkipRows(uint32_t count)
{
    if (source_ && count)
        source_->SkipRows(count);
}
