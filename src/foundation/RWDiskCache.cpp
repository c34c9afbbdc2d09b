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

void RWDiskCache::Forget()
{
    used_ = 0;
    where_.clear();
}

uint32_t RWDiskCache::Lookup(uint32_t offset) const
{
    const auto found = where_.find(offset);
    return found == where_.end() ? capacity_ : found->second;
}

void RWDiskCache::Assign(uint32_t index, uint32_t offset)
{
    if (offsets_[index] != kEmpty) {
        const auto held = where_.find(offsets_[index]);
        if (held != where_.end() && held->second == index)
            where_.erase(held);
    }
    offsets_[index] = offset;
    if (offset != kEmpty)
        where_[offset] = index;
}

// The next unused buffer, else the one untouched longest (the first on ties) after a
// flush.
bool RWDiskCache::TakeBuffer(uint32_t& index)
{
    if (used_ < capacity_) {
        // Buffers are made as they are first needed: a large capacity costs nothing
        // until it is used.
        index = used_++;
        if (offsets_.size() < used_) {
            offsets_.push_back(kEmpty);
            stamps_.push_back(0);
            levels_.push_back(kDeepest);
            buffers_.resize(static_cast<size_t>(used_) * blockSize_);
        } else {
            // A buffer dropped by Forget: what it held is no longer found.
            offsets_[index] = kEmpty;
        }
        return true;
    }
    // A file held in memory serves the dropped block from there: nothing to flush.
    if (!file_.IsBuffered() && !file_.Flush())
        return false;
    index = 0;
    for (uint32_t i = 1; i < used_; ++i)
        if (levels_[i] > levels_[index] || (levels_[i] == levels_[index] && stamps_[i] < stamps_[index]))
            index = i;
    return true;
}

bool RWDiskCache::ReadFile(uint32_t offset, void* dst)
{
    ++fileReads_;
    return offset <= kMaxOffset && file_.SeekTo(static_cast<long>(offset)) &&
           file_.Read(static_cast<char*>(dst), blockSize_);
}

bool RWDiskCache::WriteFile(uint32_t offset, const void* src)
{
    return offset <= kMaxOffset && file_.SeekTo(static_cast<long>(offset)) &&
           file_.Write(static_cast<const char*>(src), blockSize_);
}

bool RWDiskCache::Read(uint32_t offset, void* dst, uint32_t level)
{
    if (capacity_ == 0)
        return ReadFile(offset, dst);
    uint32_t index = Lookup(offset);
    if (index == capacity_) {
        if (!TakeBuffer(index))
            return false;
        Assign(index, kEmpty);
        if (!ReadFile(offset, Buffer(index))) {
            // Oldest of all, so it is the next to be taken.
            Stale(index);
            return false;
        }
        Assign(index, offset);
    }
    std::memcpy(dst, Buffer(index), blockSize_);
    levels_[index] = level;
    Touch(index);
    return true;
}

bool RWDiskCache::Write(uint32_t offset, const void* src)
{
    if (capacity_ == 0)
        return WriteFile(offset, src);
    uint32_t index = Lookup(offset);
    if (index == capacity_) {
        if (!TakeBuffer(index))
            return false;
        levels_[index] = kDeepest;
    }
    std::memcpy(Buffer(index), src, blockSize_);
    Assign(index, offset);
    Touch(index);
    if (!WriteFile(offset, src)) {
        Assign(index, kEmpty);
        Stale(index);
        return false;
    }
    return true;
}
