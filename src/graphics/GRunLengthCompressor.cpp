#include "graphics/GRunLengthCompressor.h"

#include <algorithm>

GRunLengthCompressor::GRunLengthCompressor(uint16_t rowUnit, uint32_t invert)
    : GCompressorBase(rowUnit, invert)
{
}

uint32_t GRunLengthCompressor::Begin()
{
    MeasureRow();
    const uint32_t sourceMax = source_ ? source_->GetMaxRowSize() : 0;
    if (!Allocate(row_, std::max(sourceMax, rowBytes_ + pad_)))
        return 0;
    maxRowSize_ = rowBytes_ + (rowBytes_ + 126) / 127 + (pad_ ? 2 : 0);
    ready_ = 1;
    return 1;
}

uint32_t GRunLengthCompressor::ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length,
                                       uint8_t& repeat, uint8_t& rows)
{
    length = 0;
    if (empty_ || !source_ || row_.empty())
        return 0;
    const uint32_t status = source_->ReadRow(row_.data(), rowNumber, length, repeat, rows);
    if (length == 0)
        return status;
    length = Encode(row_.data(), buffer);
    return status;
}

// A small state machine, which fixes how runs are split: a pair of equal bytes starting a
// run becomes a repeat, but inside a literal a pair stays literal unless a third follows.
uint32_t GRunLengthCompressor::Encode(const uint8_t* row, uint8_t* out) const
{
    enum State { kStart, kOneByte, kLiteral, kLiteralPair, kRepeat };
    State state = kStart;
    uint32_t p = 0;
    uint32_t control = 0;  // where the open run's control byte goes
    uint32_t count = 0;    // bytes of the open literal, or copies of the open repeat
    uint8_t last = 0;
    const uint32_t total = rowBytes_ + pad_;

    auto startLiteral = [&](uint8_t b) {
        control = p++;
        out[p++] = b;
        count = 1;
        state = kOneByte;
    };
    auto closeLiteral = [&] { out[control] = uint8_t(count - 1); };
    auto closeRepeat = [&] { out[control] = uint8_t(257 - count); };

    for (uint32_t i = 0; i < total; ++i) {
        const uint8_t b = i < rowBytes_ ? Out(row[i]) : 0;
        switch (state) {
        case kStart:
            startLiteral(b);
            break;
        case kOneByte:
            if (b == last) {
                count = 2;
                state = kRepeat;
            } else {
                out[p++] = b;
                count = 2;
                state = kLiteral;
            }
            break;
        case kLiteral:
            out[p++] = b;
            ++count;
            if (b == last) {
                state = kLiteralPair;
            } else if (count == 128) {
                closeLiteral();
                state = kStart;
            }
            break;
        case kLiteralPair:
            if (b == last) {
                // The pair leaves the literal and becomes a repeat of three.
                count -= 2;
                p -= 2;
                closeLiteral();
                control = p++;
                out[p++] = b;
                count = 3;
                state = kRepeat;
            } else if (count == 128) {
                closeLiteral();
                startLiteral(b);
            } else {
                out[p++] = b;
                ++count;
                if (count == 128) {
                    closeLiteral();
                    state = kStart;
                } else {
                    state = kLiteral;
                }
            }
            break;
        case kRepeat:
            if (b == last) {
                if (++count == 128) {
                    closeRepeat();
                    state = kStart;
                }
            } else {
                closeRepeat();
                startLiteral(b);
            }
            break;
        }
        last = b;
    }
    if (state == kRepeat)
        closeRepeat();
    else if (state != kStart)
        closeLiteral();
    return p;
}
