#include "graphics/GCodeSet.h"

#include <cstring>
#include <new>

namespace {

const uint32_t kBlockCodes = 128;

uint32_t BaseOf(uint32_t code) { return code - code % kBlockCodes; }
uint32_t ByteOf(uint32_t code) { return (code / 8) % 16; }
uint8_t BitOf(uint32_t code) { return uint8_t(1u << (code % 8)); }

} // namespace

GCodeSet::GCodeSet() : head_(nullptr), hint_(nullptr) {}

GCodeSet::~GCodeSet() { Clear(); }

GCodeSet::Block* GCodeSet::FindBlock(uint32_t base) const
{
    Block* at = hint_ && hint_->base <= base ? hint_ : head_;
    for (; at && at->base < base; at = at->next) {
    }
    if (at && at->base == base) {
        hint_ = at;
        return at;
    }
    return nullptr;
}

int GCodeSet::Add(uint32_t code)
{
    const uint32_t base = BaseOf(code);
    Block* block = FindBlock(base);
    if (!block) {
        // The last block below the base, from which the new one is linked.
        Block* before = hint_ && hint_->base < base ? hint_ : nullptr;
        if (!before && head_ && head_->base < base)
            before = head_;
        for (; before && before->next && before->next->base < base;)
            before = before->next;
        block = new (std::nothrow) Block;
        if (!block)
            return -1;
        block->base = base;
        std::memset(block->bits, 0, sizeof block->bits);
        Block*& link = before ? before->next : head_;
        block->next = link;
        link = block;
        hint_ = block;
    }
    block->bits[ByteOf(code)] |= BitOf(code);
    return int(ByteOf(code));
}

void GCodeSet::Remove(uint32_t code)
{
    if (Block* block = FindBlock(BaseOf(code)))
        block->bits[ByteOf(code)] &= uint8_t(~BitOf(code));
}

int GCodeSet::Contains(uint32_t code) const
{
    const Block* block = FindBlock(BaseOf(code));
    return block && (block->bits[ByteOf(code)] & BitOf(code)) ? 1 : 0;
}

int GCodeSet::ForEach(Callback callback, void* context) const
{
    int result = 0;
    for (const Block* block = head_; block; block = block->next)
        for (uint32_t i = 0; i < kBlockCodes; ++i)
            if (block->bits[i / 8] & (1u << (i % 8)))
                result = callback(block->base + i, context);
    return result;
}

bool GCodeSet::AddAll(const GCodeSet& other)
{
    if (&other == this)
        return true;
    for (const Block* block = other.head_; block; block = block->next)
        for (uint32_t i = 0; i < kBlockCodes; ++i)
            if ((block->bits[i / 8] & (1u << (i % 8))) && Add(block->base + i) < 0)
                return false;
    return true;
}

void GCodeSet::Clear()
{
    while (head_) {
        Block* next = head_->next;
        delete head_;
        head_ = next;
    }
    hint_ = nullptr;
}

uint32_t GCodeSet::GetCount() const
{
    uint32_t count = 0;
    for (const Block* block = head_; block; block = block->next)
        for (uint8_t byte : block->bits)
            count += uint32_t(__builtin_popcount(byte));
    return count;
}
