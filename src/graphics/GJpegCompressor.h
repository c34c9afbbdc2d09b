// The stage that compresses the whole image as one baseline JPEG stream, written into a
// sink that the writer gives the stage: a buffer, its capacity and the bytes written.
#pragma once

#include "graphics/GCompressorBase.h"

#include <memory>

class GJpegCompressor : public GCompressorBase {
public:
    GJpegCompressor(uint16_t rowUnit, uint32_t invert);
    ~GJpegCompressor() override;

    // The first call reads every source row and answers the whole stream's length; the
    // next answers length 0. A library error or a full sink ends the image with length 0.
    uint32_t ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                     uint8_t& rows) override;
    uint32_t Begin() override;
    const GPaletteTable* GetPalette() override { return nullptr; }

    // Where the stream goes; resets the byte count. Writes stop at the capacity.
    void SetSink(uint8_t* buffer, uint32_t capacity);
    uint32_t GetByteCount() const;

    struct Library;

private:
    bool Compress(uint16_t& rowNumber, uint8_t& rows);

    std::vector<uint8_t> row_;
    uint32_t started_ = 0;
    uint32_t done_ = 0;
    uint16_t nextRow_ = 0;
    std::unique_ptr<Library> library_;
};
