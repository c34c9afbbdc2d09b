#include "foundation/RWDiskCache.h"

#include "foundation/RWBinaryFile.h"

#include <cstring>

namespace {

// The runtime seeks with a signed 32-bit long.
constexpr uint32_t kMaxOffset = 0x7FFFFFFFu;

} // namespace

RWDiskCache::RWDiskCache(RWBinaryFile& file, uint32_t blockSize, uint32_t capacity)
    : file_(file), capacity_(capacity), used_(0), blockSize_(blockSize)
{
    if (blockSize_ != 0 && capacity_ > 0xFFFFFFFFu / blockSize_)
        capacity_ = 0xFFFFFFFFu / blockSize_;
    if (blockSize_ == 0)
        capacity_ = 0;
}

RWDiskCache::~RWDiskCache() { file_.Flush(); }

// Every lookup ages every buffer in use, so the one untouched longest is the oldest.
uint32_t RWDiskCache::Lookup(uint32_t offset)
{
    uint32_t hit = capacity_;
    for (uint32_t i = 0; i < used_; ++i) {
        if (ages_[i] != 0xFFFFFFFFu)
            ++ages_[i];
        if (offsets_[i] == offset && hit == capacity_)
            hit = i;
    }
    return hit;
}

// The next unused buffer, else the oldest one (the first on ties) after a flush.
bool RWDiskCache::TakeBuffer(uint32_t& index)
{
    if (used_ < capacity_) {
        // Buffers are made as they are first needed: a large capacity costs nothing
        // until it is used.
        index = used_++;
        if (offsets_.size() < used_) {
            offsets_.push_back(kEmpty);
            ages_.push_back(0);
            buffers_.resize(static_cast<size_t>(used_) * blockSize_);
        }
        return true;
    }
    if (!file_.Flush())
        return false;
    index = 0;
    for (uint32_t i = 1; i < used_; ++i)
        if (ages_[i] > ages_[index])
            index = i;
    return true;
}

bool RWDiskCache::ReadFile(uint32_t offset, void* dst)
{
    return offset <= kMaxOffset && file_.SeekTo(static_cast<long>(offset)) &&
           file_.Read(static_cast<char*>(dst), blockSize_);
}

bool RWDiskCache::WriteFile(uint32_t offset, const void* src)
{
    return offset <= kMaxOffset && file_.SeekTo(static_cast<long>(offset)) &&
           file_.Write(static_cast<const char*>(src), blockSize_);
}

bool RWDiskCache::Read(uint32_t offset, void* dst)
{
    if (capacity_ == 0)
        return ReadFile(offset, dst);
    uint32_t index = Lookup(offset);
    if (index == capacity_) {
        if (!TakeBuffer(index))
            return false;
        offsets_[index] = kEmpty;
        if (!ReadFile(offset, Buffer(index))) {
            // Oldest of all, so it is the next to be taken.
            ages_[index] = 0xFFFFFFFFu;
            return false;
        }
        offsets_[index] = offset;
    }
    std::memcpy(dst, Buffer(index), blockSize_);
    ages_[index] = 0;
    return true;
}

bool RWDiskCache::Write(uint32_t offset, const void* src)
{
    if (capacity_ == 0)
        return WriteFile(offset, src);
    uint32_t index = Lookup(offset);
    if (index == capacity_ && !TakeBuffer(index))
        return false;
    std::memcpy(Buffer(index), src, blockSize_);
    offsets_[index] = offset;
    ages_[index] = 0;
    if (!WriteFile(offset, src)) {
        offsets_[index] = kEmpty;
        ages_[index] = 0xFFFFFFFFu;
        return false;
    }
    return true;
}
