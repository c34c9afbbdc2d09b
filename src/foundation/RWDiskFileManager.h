// A heap of variable-sized blocks inside one binary file. Callers ask for room for n
// bytes and get back the file offset of that room (its data offset); they give it back
// by the same offset. Free room is kept in lists stored in the file itself, so a file
// keeps its free space across closing and reopening.
//
// File layout: a 12-byte header (start, end of used space, list block size), the first
// free-list block at offset 12, then the blocks. Every block begins with a 32-bit length
// word (its whole size, a multiple of 4, at least 8); its data offset is 4 bytes on.
//
// Every change reaches the file as it is made, or, for a manager made buffered, the
// file's bytes held in memory (RWBinaryFile::Buffer). Damaged header or list bytes raise an
// error through the foundation handler and make the operation fail: Allocate then
// answers kNone and Deallocate frees nothing.
#pragma once

#include "foundation/RWBinaryFile.h"

#include <cstdint>
#include <memory>

class RWFreeSpaceList;

class RWDiskFileManager : public RWBinaryFile {
public:
    static constexpr uint32_t kNone = 0xFFFFFFFFu;
    // Offset of the first free-list block, directly behind the header.
    static constexpr uint32_t kFirstListBlock = 12;
    // No offset in the file may pass this: the runtime seeks with a signed 32-bit long.
    static constexpr uint32_t kMaxFileSize = 0x7FFFFFFFu;

    // Opens as RWBinaryFile does (no mode: an existing file "rb+", else a new one "wb+"),
    // then initialises an empty file or reads the header and the first list block.
    // When the file cannot be opened or its header is damaged, the manager has no free
    // list: every allocation fails.
    explicit RWDiskFileManager(const char* name, const char* mode = nullptr);
    // The same with the file's bytes held in memory from the start (RWBinaryFile::Buffer):
    // header, lists and blocks reach the file at Flush, at close, or when more than the
    // bound of chunks would be held.
    RWDiskFileManager(const char* name, const char* mode, size_t chunkBytes, size_t chunks);
    ~RWDiskFileManager();

    // Room for n bytes: the data offset of a block of (n + 7) & ~3 bytes (at least 8) or
    // a little more, or kNone. The first successful allocation becomes the file's start.
    uint32_t Allocate(uint32_t n);
    // Gives a block back by its data offset; kNone and the start block are ignored.
    void Deallocate(uint32_t dataOffset);

    // Header word 0: the data offset of the first block ever allocated, or kNone.
    uint32_t Start() const { return start_; }
    // Header word 4: where the next block that no free list can supply begins.
    uint32_t End() const { return end_; }
    // Bytes of one free-list block (268 or 92), 0 while the manager has no list.
    uint32_t ListBlockSize() const { return blockSize_; }
    bool HasFreeList() const { return list_ != nullptr; }

    // Where the first block after the first list block begins.
    uint32_t FirstBlock() const { return kFirstListBlock + blockSize_; }
    // True when dataOffset can be the data offset of an allocated block holding n bytes:
    // aligned, behind the first list block, and ending inside the used space.
    bool IsPlausibleBlock(uint32_t dataOffset, uint32_t n) const;

    // Seek and read or write n bytes at an offset; a failure raises [SEEKERR], [READERR]
    // or [WRITEERR] and answers false.
    bool ReadAt(uint32_t offset, void* data, uint32_t n);
    bool WriteAt(uint32_t offset, const void* data, uint32_t n);

    // Used by the free list: a block of size bytes at the end of used space (its start,
    // not its data offset), or kNone when the file cannot grow that far.
    uint32_t Extend(uint32_t size);
    // Used by the free list: moves the end of used space back to a released tail.
    bool SetEnd(uint32_t end);

private:
    void Open();
    bool Initialise();
    bool ReadHeader();
    bool WriteHeaderWord(uint32_t offset, uint32_t value);

    std::unique_ptr<RWFreeSpaceList> list_;
    uint32_t start_;
    uint32_t end_;
    uint32_t blockSize_;
};

// Raises a file error of the given kind (1 seek, 2 read, 3 write) for a file.
void RWRaiseFileError(RWBinaryFile& file, uint32_t kind);
