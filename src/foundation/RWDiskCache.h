// A small write-through cache of fixed-size blocks of a binary file, with least-recently
// used replacement. Writes reach the file at once, so dropping a buffer never loses
// anything; the disk B-tree reads and writes its nodes through one.
#pragma once

#include <cstddef>
#include <cstdint>
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
    bool Read(uint32_t offset, void* dst);
    // Copies src into the cache and writes it to the file at offset at once. False when
    // the file refused it; the cache then holds nothing for that offset.
    bool Write(uint32_t offset, const void* src);
    // Drops every buffer without writing.
    void Forget() { used_ = 0; }

    uint32_t Capacity() const { return capacity_; }
    uint32_t Used() const { return used_; }
    uint32_t BlockSize() const { return blockSize_; }

private:
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;

    uint32_t Lookup(uint32_t offset);
    bool TakeBuffer(uint32_t& index);
    bool ReadFile(uint32_t offset, void* dst);
    bool WriteFile(uint32_t offset, const void* src);
    char* Buffer(uint32_t index) { return buffers_.data() + static_cast<size_t>(index) * blockSize_; }

    RWBinaryFile& file_;
    uint32_t capacity_;
    uint32_t used_;
    uint32_t blockSize_;
    std::vector<uint32_t> offsets_;
    std::vector<uint32_t> ages_;
    std::vector<char> buffers_;
};
