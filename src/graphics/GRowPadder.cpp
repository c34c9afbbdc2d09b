#include "graphics/GRowPadder.h"

GRowPadder::GRowPadder(uint16_t rowUnit, uint32_t invert) : GCompressorBase(rowUnit, invert) {}

uint32_t GRowPadder::Begin()
{
    MeasureRow();
    maxRowSize_ = (source_ ? source_->GetMaxRowSize() : 0) + rowUnit_;
    ready_ = 1;
    return 1;
}

uint32_t GRowPadder::ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length,
                             uint8_t& repeat, uint8_t& rows)
{
    length = 0;
    if (empty_ || !source_)
        return 0;
    const uint32_t status = source_->ReadRow(buffer, rowNumber, length, repeat, rows);
    if (length == 0)
        return status;
    if (invert_) {
        for (uint32_t i = 0; i < length; ++i)
            buffer[i] = uint8_t(255 - buffer[i]);
    }
    while (length % rowUnit_ != 0)
        buffer[length++] = 0;
    return status;
}
