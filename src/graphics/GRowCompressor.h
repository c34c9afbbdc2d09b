// The base of every raster row stage. A raster image is read through a chain of stages,
// each pulling rows from the one before it; a writer talks only to the last stage.
#pragma once

#include <cstdint>
#include <vector>

class GPaletteTable;

// The source rectangle of an image: left, top, right, bottom.
struct GRowBounds {
    int16_t left = 0;
    int16_t top = 0;
    int16_t right = 0;
    int16_t bottom = 0;
};

class GRowCompressor {
public:
    // A block whose 16-bit length field cannot hold its size fails the image with this status.
    static constexpr uint32_t kBlockTooLong = 0x7001;
    // A chain whose final stage could not begin delivers nothing, with this status.
    static constexpr uint32_t kFinalStageDropped = 0x7002;
    // No row buffer of a stage is larger: far beyond the widest image a row can hold.
    static constexpr uint32_t kMaxRowBytes = 1u << 24;

    GRowCompressor() = default;
    GRowCompressor(const GRowCompressor&) = delete;
    GRowCompressor& operator=(const GRowCompressor&) = delete;
    virtual ~GRowCompressor();

    // Produces the next output row into buffer; length 0 when the image has no more rows.
    // repeat: how many times the caller uses the output; rows: how many source rows it
    // stands for. Answers the status passed up from the first stage.
    virtual uint32_t ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length,
                             uint8_t& repeat, uint8_t& rows) = 0;
    virtual void SkipRows(uint32_t count);
    // Prepares for a new image; 1 on success, 0 when the stage cannot work.
    virtual uint32_t Begin();
    // The largest output one ReadRow can produce, valid after Begin.
    virtual uint32_t GetMaxRowSize();
    virtual void GetBounds(GRowBounds& bounds);
    virtual uint32_t GetBitsPerPixel();
    // The palette of the first stage's pixels, borrowed; null when it has none.
    virtual const GPaletteTable* GetPalette();

    void SetSource(GRowCompressor* source) { source_ = source; }
    GRowCompressor* GetSource() const { return source_; }

protected:
    // Sizes buf to size zero bytes; false when the size passes kMaxRowBytes or the memory
    // is not there.
    static bool Allocate(std::vector<uint8_t>& buf, uint32_t size);

    GRowCompressor* source_ = nullptr;
    uint32_t ready_ = 0;
    uint32_t maxRowSize_ = 0;
};
