// The free-space lists of a disk file manager: a ring of list blocks inside the file,
// linked through their next words, the first one at offset 12. Each block holds up to
// a fixed number of free extents (start and length) in ascending order of start. Only
// the current block is in memory; a walk reads the others as it reaches them.
//
// A walk round the ring never takes more steps than the file has room for blocks, so a
// damaged next link gives an error, never an endless loop.
#pragma once

#include <cstdint>

class RWDiskFileManager;

class RWFreeSpaceList {
public:
    explicit RWFreeSpaceList(RWDiskFileManager& file) : file_(file), current_(kFirst), loaded_(false) {}
    virtual ~RWFreeSpaceList() = default;
    RWFreeSpaceList(const RWFreeSpaceList&) = delete;
    RWFreeSpaceList& operator=(const RWFreeSpaceList&) = delete;

    // Writes an empty ring of one block at offset 12 (a new file).
    virtual bool Create() = 0;
    // Reads and checks the block at offset 12 (an existing file).
    virtual bool Open() = 0;
    // Room for n bytes, taken from the first fitting extent found from the current
    // block on, else from the end of used space: the data offset, or kNone.
    virtual uint32_t Allocate(uint32_t n) = 0;
    // Gives back the block whose data offset this is, after checking its length word.
    virtual void Deallocate(uint32_t dataOffset) = 0;

    uint32_t CurrentOffset() const { return current_; }

protected:
    static constexpr uint32_t kFirst = 12;

    RWDiskFileManager& file_;
    // Offset of the block whose image is in memory.
    uint32_t current_;
    // False after a failed step: the next operation starts again from the block at 12.
    bool loaded_;
};

// The list of one block capacity and mark; RWFreeSpaceList10 and RWFreeSpaceList32
// are its two forms.
template <uint32_t Capacity, uint16_t Mark>
class RWFreeSpaceListOf : public RWFreeSpaceList {
public:
    // The stored form of one block.
    struct Block {
        uint16_t mark;
        uint16_t padding;
        uint32_t offset[Capacity];
        uint32_t length[Capacity];
        uint32_t count;
        uint32_t next;
    };
    static constexpr uint32_t kBlockSize = 4 + 8 * Capacity + 8;
    static_assert(sizeof(Block) == kBlockSize, "list block layout");

    explicit RWFreeSpaceListOf(RWDiskFileManager& file) : RWFreeSpaceList(file), image_() {}

    bool Create() override;
    bool Open() override;
    uint32_t Allocate(uint32_t n) override;
    void Deallocate(uint32_t dataOffset) override;

private:
    // What offering an extent to a block came to.
    enum class Offer { Accepted, Refused, Failed };

    bool Ready();
    bool Load(uint32_t offset);
    bool Store();
    bool Check();
    uint32_t MaxBlocks() const;
    bool Advance(uint32_t limit, uint32_t& visited);
    uint32_t AllocateAt(uint32_t size, int depth);
    bool DeallocateExtent(uint32_t start, uint32_t length, int depth);
    Offer OfferExtent(uint32_t start, uint32_t length);
    bool AddBlock(uint32_t start, uint32_t length, int depth);
    bool RemoveEmptyBlock(int depth);
    void RemoveEntry(uint32_t i);
    void Clear(uint32_t next);

    Block image_;
};
