// A set of character codes as a list of 128-code bitmaps in ascending order: the codes
// a font has used, or those a writer has downloaded. An empty set holds no blocks.
#pragma once

#include <cstdint>

class GCodeSet {
public:
    typedef int (*Callback)(uint32_t code, void* context);

    GCodeSet();
    GCodeSet(const GCodeSet&) = delete;
    GCodeSet& operator=(const GCodeSet&) = delete;
    ~GCodeSet();

    // Sets the code's bit, making its block when needed: answers the byte index of the
    // code in its block, (code / 8) mod 16; -1 when the block could not be made.
    int Add(uint32_t code);
    void Remove(uint32_t code);
    int Contains(uint32_t code) const;
    // The callback with each code in ascending order: the last result, 0 when none.
    int ForEach(Callback callback, void* context) const;
    // Every code of the other set added to this one (a union); false when a block could
    // not be made.
    bool AddAll(const GCodeSet& other);
    void Clear();
    bool IsEmpty() const { return head_ == nullptr; }
    uint32_t GetCount() const;

private:
    struct Block {
        Block* next;
        uint32_t base;
        uint8_t bits[16];
    };
    // The block of the base, or null; where the list is searched from.
    Block* FindBlock(uint32_t base) const;

    Block* head_;
    // The block last found or made: runs of nearby codes start their search there.
    mutable Block* hint_;
};
