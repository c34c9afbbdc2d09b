// A small write-through cache of fixed-size blocks of a binary file, with least-recently
// used replacement. Writes reach the file at once, so dropping a buffer never loses
// anything; the disk B-tree reads and writes its nodes through one.
//
// A hit is one hash lookup and a copy: buffers are found through a map from offset to
// buffer, and a touch stamps the buffer with a running count instead of ageing every
// other buffer, so the buffer untouched longest is the one with the oldest stamp.
//
// A read may say how deep its block lies in what the caller walks (a tree node's depth
// below the root): a full cache gives up a buffer of the deepest level it holds first, so
// the few blocks every walk passes through stay while the many near the bottom take
// turns. Blocks read without a level, or only written, count as deepest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

class RWBinaryFile;

class RWDiskCache {
public:
    // A cache of capacity buffers of blockSize bytes each; a capacity larger than
    // 0xFFFFFFFF / blockSize is lowered to that. With no buffers every read and write
    // goes straight to the file.
    RWDiskCache(RWBinaryFile& file, uint32_t blockSize, uint32_t capacity);
    // Flushes the file.
    ~RWDiskCache();
    RWDiskCache(const RWDiskCache&) = delete;
    RWDiskCache& operator=(const RWDiskCache&) = delete;

    // Copies the block at offset into dst (blockSize bytes). False when it could not be
    // read; the cache then holds nothing for that offset.
    bool Read(uint32_t offset, void* dst, uint32_t level = kDeepest);
    // Copies src into the cache and writes it to the file at offset at once. False when
    // the file refused it; the cache then holds nothing for that offset.
    bool Write(uint32_t offset, const void* src);
    // Drops every buffer without writing.
    void Forget();

    uint32_t Capacity() const { return capacity_; }
    uint32_t Used() const { return used_; }
    uint32_t BlockSize() const { return blockSize_; }
    // Blocks read from the file since the cache was made (hits read none).
    uint64_t FileReads() const { return fileReads_; }

    static constexpr uint32_t kDeepest = 0xFFFFFFFFu;

private:
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;

    uint32_t Lookup(uint32_t offset) const;
    bool TakeBuffer(uint32_t& index);
    // The buffer holds offset (kEmpty: nothing) from now on.
    void Assign(uint32_t index, uint32_t offset);
    // The buffer counts as touched now; Stale makes it the first to be taken.
    void Touch(uint32_t index) { stamps_[index] = ++clock_; }
    void Stale(uint32_t index) { stamps_[index] = 0, levels_[index] = kDeepest; }
    bool ReadFile(uint32_t offset, void* dst);
    bool WriteFile(uint32_t offset, const void* src);
    char* Buffer(uint32_t index) { return buffers_.data() + static_cast<size_t>(index) * blockSize_; }

    RWBinaryFile& file_;
    uint32_t capacity_;
    uint32_t used_;
    uint32_t blockSize_;
    uint64_t clock_ = 0;
    uint64_t fileReads_ = 0;
    std::vector<uint32_t> offsets_;
    std::vector<uint64_t> stamps_;
    std::vector<uint32_t> levels_;
    std::vector<char> buffers_;
    std::unordered_map<uint32_t, uint32_t> where_;
};
