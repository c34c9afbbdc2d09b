#include "graphics/GGlyphCache.h"

#include "model/GStoredCounts.h"

#include <new>

GGlyphCache::GGlyphCache() : count_(0), pages_() {}

GGlyphCache::GGlyphCache(const GGlyphCache& other) : GPersistent(other), count_(other.count_), pages_()
{
    for (uint32_t p = 0; p < kPages; ++p) {
        if (!other.pages_[p] || !(pages_[p] = new (std::nothrow) Page()))
            continue;
        for (uint32_t s = 0; s < kSlots; ++s) {
            if (GGlyphCacheNode* node = other.pages_[p]->slots[s]) {
                GGlyphCacheNode* copy = new (std::nothrow) GGlyphCacheNode(*node);
                GObjectBase::Hold(copy);
                pages_[p]->slots[s] = copy;
            }
        }
    }
}

GGlyphCache::~GGlyphCache() { Clear(pages_); }

void GGlyphCache::Clear(Page** pages)
{
    for (uint32_t p = 0; p < kPages; ++p) {
        if (!pages[p])
            continue;
        for (GGlyphCacheNode* node : pages[p]->slots)
            GObjectBase::Release(node);
        delete pages[p];
        pages[p] = nullptr;
    }
}

GGlyphCache* GGlyphCache::CreateNew() const { return new GGlyphCache; }
GGlyphCache* GGlyphCache::Copy() const { return new GGlyphCache(*this); }

uint32_t GGlyphCache::FieldsSize() const
{
    uint32_t size = 12 + 4 * kPages;
    for (Page* page : pages_) {
        if (!page)
            continue;
        size += 4 * kSlots;
        for (GGlyphCacheNode* node : page->slots)
            if (node)
                size += node->RecursiveStoreSize();
    }
    return size;
}

bool GGlyphCache::IsEqual(const RWCollectable* other) const
{
    const GGlyphCache* cache = dynamic_cast<const GGlyphCache*>(other);
    if (cache == this)
        return true;
    if (!cache || cache->ClassId() != ClassId() || !GObjectBase::IsSame(cache))
        return false;
    for (uint32_t p = 0; p < kPages; ++p) {
        const Page* a = pages_[p];
        const Page* b = cache->pages_[p];
        if (a == b)
            continue;
        if (!a || !b)
            return false;
        for (uint32_t s = 0; s < kSlots; ++s) {
            const GGlyphCacheNode* x = a->slots[s];
            const GGlyphCacheNode* y = b->slots[s];
            if (x != y && (!x || !y || !x->IsEqual(y)))
                return false;
        }
    }
    return true;
}

template <class In>
void GGlyphCache::ReadFields(In& in)
{
    uint32_t version = 0, count = 0;
    uint16_t pageCount = 0, slotCount = 0;
    if (!GReadField(in, version) || version != kGStoredVersion)
        return;
    if (!GReadField(in, pageCount) || !GReadField(in, slotCount) || !GReadField(in, count))
        return;
    if (pageCount > kPages || slotCount > kSlots) {
        GRefuseStored(in);
        return;
    }
    Page* read[kPages] = {};
    bool good = true;
    for (uint32_t p = 0; good && p < pageCount; ++p) {
        int32_t pagePresent = 0;
        if (!(good = GReadField(in, pagePresent)) || pagePresent != 1)
            continue;
        for (uint32_t s = 0; good && s < slotCount; ++s) {
            int32_t slotPresent = 0;
            if (!(good = GReadField(in, slotPresent)) || slotPresent != 1)
                continue;
            GObjectBase* object = GObjectBase::RestoreHeld(in);
            GGlyphCacheNode* node = dynamic_cast<GGlyphCacheNode*>(object);
            if (!node || node->ClassId() != GGlyphCacheNode::kClassId) {
                GObjectBase::Drop(object);
                if (object || GObjectBase::RestoreStopped(in))
                    good = false;
                continue;
            }
            if (!read[p] && !(read[p] = new (std::nothrow) Page())) {
                GObjectBase::Drop(node);
                good = false;
                continue;
            }
            GObjectBase::Hold(node);
            read[p]->slots[s] = node;
        }
    }
    if (!good) {
        Clear(read);
        GRefuseStored(in);
        return;
    }
    Clear(pages_);
    for (uint32_t p = 0; p < kPages; ++p)
        pages_[p] = read[p];
    count_ = count;
}

template <class Out>
void GGlyphCache::WriteFields(Out& out) const
{
    GWriteFields(out, static_cast<uint16_t>(kPages), static_cast<uint16_t>(kSlots), count_);
    for (Page* page : pages_) {
        GWriteField(out, int32_t(page ? 1 : 0));
        if (!page)
            continue;
        for (GGlyphCacheNode* node : page->slots) {
            GWriteField(out, int32_t(node ? 1 : 0));
            if (node)
                out << static_cast<const RWCollectable*>(node);
        }
    }
}

void GGlyphCache::MergeFrom(GGlyphCache* other)
{
    if (!other || other == this)
        return;
    for (uint32_t p = 0; p < kPages; ++p) {
        Page* theirs = other->pages_[p];
        if (!theirs)
            continue;
        for (uint32_t s = 0; s < kSlots; ++s) {
            if (!theirs->slots[s])
                continue;
            if (!pages_[p] && !(pages_[p] = new (std::nothrow) Page()))
                return;
            if (!pages_[p]->slots[s]) {
                pages_[p]->slots[s] = theirs->slots[s];
                theirs->slots[s] = nullptr;
            }
        }
    }
}

int GGlyphCache::Store(uint16_t glyph, GGlyphCacheNode* node)
{
    if (!node)
        return 0;
    Page*& page = pages_[glyph >> 8];
    if (!page && !(page = new (std::nothrow) Page())) {
        GObjectBase::Drop(node);
        return 0;
    }
    GGlyphCacheNode*& slot = page->slots[glyph & 0xFF];
    if (!slot) {
        GObjectBase::Hold(node);
        slot = node;
    } else if (slot != node) {
        slot->MergeFrom(node);
    }
    ++count_;
    return 1;
}

GGlyphCacheNode* GGlyphCache::Find(uint16_t glyph) const
{
    const Page* page = pages_[glyph >> 8];
    return page ? page->slots[glyph & 0xFF] : nullptr;
}

template void GGlyphCache::ReadFields(RWBinaryFile&);
template void GGlyphCache::ReadFields(RWDataInStream&);
template void GGlyphCache::WriteFields(RWBinaryFile&) const;
template void GGlyphCache::WriteFields(RWDataOutStream&) const;
