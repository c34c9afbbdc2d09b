#include "foundation/RWFreeSpaceList.h"

#include "foundation/RWDiskFileManager.h"
#include "foundation/RWErrorHandler.h"

namespace {

constexpr uint32_t kNone = RWDiskFileManager::kNone;
// Smallest block: its length word and one word of room.
constexpr uint32_t kMinBlock = 8;
// How deep allocation and deallocation may call each other while a list block is added
// or removed. Sound lists need two levels; more means the lists are damaged.
constexpr int kMaxNesting = 4;

void RaiseOutOfRange(uint32_t value, uint32_t limit)
{
    RWRaiseExternal(RWMessageLongIndex(), static_cast<unsigned long>(value), static_cast<unsigned long>(limit));
}

void RaiseListSize(uint32_t expected, uint32_t got)
{
    RWRaiseExternal(RWMessageFreeListError(), static_cast<long>(expected), static_cast<long>(got));
}

} // namespace

template <uint32_t Capacity, uint16_t Mark>
void RWFreeSpaceListOf<Capacity, Mark>::Clear(uint32_t next)
{
    image_ = Block();
    image_.mark = Mark;
    image_.next = next;
}

template <uint32_t Capacity, uint16_t Mark>
bool RWFreeSpaceListOf<Capacity, Mark>::Create()
{
    current_ = kFirst;
    Clear(kFirst);
    loaded_ = Store();
    return loaded_;
}

template <uint32_t Capacity, uint16_t Mark>
bool RWFreeSpaceListOf<Capacity, Mark>::Open()
{
    return Load(kFirst);
}

template <uint32_t Capacity, uint16_t Mark>
bool RWFreeSpaceListOf<Capacity, Mark>::Ready()
{
    return loaded_ || Load(kFirst);
}

template <uint32_t Capacity, uint16_t Mark>
bool RWFreeSpaceListOf<Capacity, Mark>::Load(uint32_t offset)
{
    loaded_ = false;
    current_ = offset;
    if (!file_.ReadAt(offset, &image_, kBlockSize) || !Check())
        return false;
    loaded_ = true;
    return true;
}

template <uint32_t Capacity, uint16_t Mark>
bool RWFreeSpaceListOf<Capacity, Mark>::Store()
{
    if (!file_.WriteAt(current_, &image_, kBlockSize)) {
        loaded_ = false;
        return false;
    }
    return true;
}

// A block just read must have the right mark, no more entries than it can hold, a next
// link to a place where a list block can lie, and extents in ascending order that do
// not overlap and lie inside the used space.
template <uint32_t Capacity, uint16_t Mark>
bool RWFreeSpaceListOf<Capacity, Mark>::Check()
{
    if (image_.mark != Mark) {
        RWRaiseExternal(RWMessageBadMagic(), static_cast<long>(image_.mark), static_cast<long>(Mark));
        return false;
    }
    if (image_.count > Capacity) {
        RaiseListSize(Capacity, image_.count);
        return false;
    }
    const uint32_t end = file_.End();
    const uint32_t next = image_.next;
    if (next != kFirst && (next > RWDiskFileManager::kMaxFileSize || !file_.IsPlausibleBlock(next + 4, kBlockSize - 4))) {
        RaiseOutOfRange(next, end);
        return false;
    }
    uint32_t previousEnd = file_.FirstBlock();
    for (uint32_t i = 0; i < image_.count; ++i) {
        const uint32_t offset = image_.offset[i], length = image_.length[i];
        if (offset < previousEnd || offset >= end || offset % 4 != 0 || length < kMinBlock || length % 4 != 0 ||
            length > end - offset) {
            RaiseOutOfRange(offset, end);
            return false;
        }
        previousEnd = offset + length;
    }
    return true;
}

// List blocks are disjoint blocks of the used space, so the ring cannot hold more.
template <uint32_t Capacity, uint16_t Mark>
uint32_t RWFreeSpaceListOf<Capacity, Mark>::MaxBlocks() const
{
    return (file_.End() - file_.FirstBlock()) / kBlockSize + 1;
}

// Moves on to the next block of the ring, unless the walk has already seen as many
// blocks as the file can hold.
template <uint32_t Capacity, uint16_t Mark>
bool RWFreeSpaceListOf<Capacity, Mark>::Advance(uint32_t limit, uint32_t& visited)
{
    if (visited++ >= limit) {
        RaiseListSize(limit, visited);
        loaded_ = false;
        return false;
    }
    return Load(image_.next);
}

template <uint32_t Capacity, uint16_t Mark>
void RWFreeSpaceListOf<Capacity, Mark>::RemoveEntry(uint32_t i)
{
    const uint32_t last = image_.count - 1;
    for (uint32_t j = i; j < last; ++j) {
        image_.offset[j] = image_.offset[j + 1];
        image_.length[j] = image_.length[j + 1];
    }
    image_.offset[last] = 0;
    image_.length[last] = 0;
    image_.count = last;
}

template <uint32_t Capacity, uint16_t Mark>
uint32_t RWFreeSpaceListOf<Capacity, Mark>::Allocate(uint32_t n)
{
    if (!Ready())
        return kNone;
    // No block can hold more than the file can: refuse before the rounding could wrap.
    if (n > RWDiskFileManager::kMaxFileSize - kMinBlock) {
        RWRaiseFileError(file_, 3);
        return kNone;
    }
    // A block is at least its length word and one word of room, also for n = 0.
    const uint32_t size = (n + 7) & ~3u;
    return AllocateAt(size < kMinBlock ? kMinBlock : size, 0);
}

// First fit from the current block round the ring; the search goes on where the last
// operation left off. Answers the data offset of a block of size bytes or more.
template <uint32_t Capacity, uint16_t Mark>
uint32_t RWFreeSpaceListOf<Capacity, Mark>::AllocateAt(uint32_t size, int depth)
{
    const uint32_t first = current_;
    const uint32_t limit = MaxBlocks();
    uint32_t visited = 1;
    uint32_t found = Capacity;
    for (;;) {
        for (uint32_t i = 0; i < image_.count; ++i) {
            if (image_.length[i] >= size) {
                found = i;
                break;
            }
        }
        if (found < Capacity || image_.next == first)
            break;
        if (!Advance(limit, visited))
            return kNone;
    }

    uint32_t block;
    if (found < Capacity) {
        block = image_.offset[found];
        const uint32_t rest = image_.length[found] - size;
        if (rest >= kMinBlock) {
            image_.offset[found] += size;
            image_.length[found] = rest;
        } else {
            // Too little to stand alone: the remainder goes with the block.
            size += rest;
            RemoveEntry(found);
        }
        if (image_.count == 0 && (current_ != kFirst || image_.next != kFirst)) {
            if (!RemoveEmptyBlock(depth))
                return kNone;
        } else if (!Store()) {
            return kNone;
        }
    } else {
        block = file_.Extend(size);
        if (block == kNone)
            return kNone;
    }
    if (!file_.WriteAt(block, &size, 4))
        return kNone;
    return block + 4;
}

template <uint32_t Capacity, uint16_t Mark>
void RWFreeSpaceListOf<Capacity, Mark>::Deallocate(uint32_t dataOffset)
{
    if (!Ready())
        return;
    if (!file_.IsPlausibleBlock(dataOffset, 4)) {
        RaiseOutOfRange(dataOffset, file_.End());
        return;
    }
    const uint32_t start = dataOffset - 4;
    uint32_t length = 0;
    if (!file_.ReadAt(start, &length, 4))
        return;
    if (length < kMinBlock || length % 4 != 0 || length > file_.End() - start) {
        RaiseOutOfRange(length, file_.End() - start);
        return;
    }
    DeallocateExtent(start, length, 0);
}

// Frees the extent: a tail only moves the end of used space back; anything else goes
// to the first block round the ring that takes it, or to a new block.
template <uint32_t Capacity, uint16_t Mark>
bool RWFreeSpaceListOf<Capacity, Mark>::DeallocateExtent(uint32_t start, uint32_t length, int depth)
{
    if (start + length >= file_.End())
        return file_.SetEnd(start);
    const uint32_t first = current_;
    const uint32_t limit = MaxBlocks();
    uint32_t visited = 1;
    for (;;) {
        switch (OfferExtent(start, length)) {
        case Offer::Accepted:
            return Store();
        case Offer::Failed:
            loaded_ = false;
            return false;
        case Offer::Refused:
            break;
        }
        if (image_.next == first)
            break;
        if (!Advance(limit, visited))
            return false;
    }
    return AddBlock(start, length, depth);
}

// The current block takes the extent when an entry ends at its start (and then merges
// with the entry behind it when they touch), when an entry begins at its end, or when
// it has a free slot.
template <uint32_t Capacity, uint16_t Mark>
typename RWFreeSpaceListOf<Capacity, Mark>::Offer RWFreeSpaceListOf<Capacity, Mark>::OfferExtent(uint32_t start,
                                                                                                   uint32_t length)
{
    const uint32_t end = start + length;
    uint32_t at = 0;
    for (uint32_t i = 0; i < image_.count; ++i) {
        // Freed room that is already free was given back twice.
        if (image_.offset[i] < end && start < image_.offset[i] + image_.length[i]) {
            RaiseOutOfRange(start, file_.End());
            return Offer::Failed;
        }
        if (image_.offset[i] <= start)
            at = i + 1;
    }
    for (uint32_t i = 0; i < image_.count; ++i) {
        if (image_.offset[i] + image_.length[i] == start) {
            image_.length[i] += length;
            if (i + 1 < image_.count && image_.offset[i + 1] == image_.offset[i] + image_.length[i]) {
                image_.length[i] += image_.length[i + 1];
                RemoveEntry(i + 1);
            }
            return Offer::Accepted;
        }
        if (image_.offset[i] == end) {
            image_.offset[i] = start;
            image_.length[i] += length;
            return Offer::Accepted;
        }
    }
    if (image_.count == Capacity)
        return Offer::Refused;
    for (uint32_t j = image_.count; j > at; --j) {
        image_.offset[j] = image_.offset[j - 1];
        image_.length[j] = image_.length[j - 1];
    }
    image_.offset[at] = start;
    image_.length[at] = length;
    ++image_.count;
    return Offer::Accepted;
}

// Every block refused the extent: a new block, allocated from the lists themselves, is
// linked in behind the block that is current after that allocation and takes it.
template <uint32_t Capacity, uint16_t Mark>
bool RWFreeSpaceListOf<Capacity, Mark>::AddBlock(uint32_t start, uint32_t length, int depth)
{
    if (depth >= kMaxNesting) {
        RaiseListSize(kMaxNesting, depth);
        loaded_ = false;
        return false;
    }
    const uint32_t data = AllocateAt(kBlockSize, depth + 1);
    if (data == kNone)
        return false;
    const uint32_t block = data - 4;
    const uint32_t next = image_.next;
    image_.next = block;
    if (!Store())
        return false;
    current_ = block;
    Clear(next);
    image_.offset[0] = start;
    image_.length[0] = length;
    image_.count = 1;
    return Store();
}

// Unlinks the current block, now empty, and frees its room. The block at 12 cannot be
// unlinked: its successor's content moves into it instead.
template <uint32_t Capacity, uint16_t Mark>
bool RWFreeSpaceListOf<Capacity, Mark>::RemoveEmptyBlock(int depth)
{
    if (depth >= kMaxNesting) {
        RaiseListSize(kMaxNesting, depth);
        loaded_ = false;
        return false;
    }
    const uint32_t empty = current_;
    const uint32_t next = image_.next;
    uint32_t freed;
    if (empty != kFirst) {
        if (!Load(kFirst))
            return false;
        const uint32_t limit = MaxBlocks();
        uint32_t visited = 1;
        while (image_.next != empty) {
            // Back at 12 without meeting it: the empty block is not in the ring.
            if (image_.next == kFirst) {
                RaiseOutOfRange(empty, file_.End());
                loaded_ = false;
                return false;
            }
            if (!Advance(limit, visited))
                return false;
        }
        image_.next = next;
        freed = empty;
    } else {
        if (!Load(next))
            return false;
        if (image_.next == next) {
            RaiseOutOfRange(next, file_.End());
            loaded_ = false;
            return false;
        }
        current_ = kFirst;
        freed = next;
    }
    if (!Store())
        return false;
    return DeallocateExtent(freed, kBlockSize, depth + 1);
}

template class RWFreeSpaceListOf<10, 0x1234>;
template class RWFreeSpaceListOf<32, 0x1235>;
