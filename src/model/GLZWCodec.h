// The variable-width LZW coder of settings and raster data. Codes start at 9 bits and
// grow to 15; 256 ends the data, 257 widens the codes by one bit, 258 resets the table,
// and 259 is the first code made. The stream has no header: only codes, packed most
// significant bit first and padded with zero bits at the end.
#pragma once

#include <cstdint>
#include <iosfwd>

class GBitStream;

class GLZWCodec {
public:
    GLZWCodec();
    virtual ~GLZWCodec();

    GLZWCodec(const GLZWCodec&) = delete;
    GLZWCodec& operator=(const GLZWCodec&) = delete;

    // Codes the bytes of in up to its end; 1 on success, 0 when the table could not be
    // had or a write failed.
    uint32_t Compress(std::istream& in, std::ostream& out);
    // 1 when the end code was reached; 0 when the input ends first, a write fails, the
    // table could not be had, or the codes are not ones the coder could have made.
    uint32_t Decompress(std::istream& in, std::ostream& out);

private:
    struct Entry {
        uint32_t code;
        uint32_t prefix;
        uint8_t character;
    };

    static constexpr uint32_t kTableSize = 35023;
    static constexpr uint32_t kPageEntries = 256;
    static constexpr uint32_t kPageCount = 137;

    Entry* MakePage(uint32_t index);
    void FreePages();
    // Back to 9-bit codes with 259 the next; the encoder's hash table also needs every
    // slot emptied.
    void ResetTable(bool clearEntries);
    Entry& At(uint32_t index) { return pages_[index / kPageEntries][index % kPageEntries]; }
    uint32_t FindSlot(uint32_t prefix, uint32_t character);

    // Entry v lives in page v / 256. The encoder hashes into all 35,023 slots; the
    // decoder keeps its own table (see Decompress). Pages stay for later runs and go
    // with the codec.
    Entry* pages_[kPageCount];
    uint32_t nextCode_;
    uint32_t codeWidth_;
    uint32_t largestCode_;
};
