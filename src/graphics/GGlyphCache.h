// The glyphs a font reader has read, by 16-bit glyph index: 256 pages of 256 slots, a
// page made when its first glyph arrives. Nodes are kept through their reference count,
// so that a node a damaged spool file names twice is still freed once.
#pragma once

#include "graphics/GGlyphCacheNode.h"
#include "model/GPersistent.h"

#include <cstdint>

class GGlyphCache : public GPersistent<GGlyphCache, GObjectBase, 869> {
public:
    static constexpr const char* kClassName = "GGlyphCache";
    static constexpr uint32_t kPages = 256;
    static constexpr uint32_t kSlots = 256;

    GGlyphCache();
    GGlyphCache(const GGlyphCache& other);
    GGlyphCache& operator=(const GGlyphCache&) = delete;
    ~GGlyphCache() override;

    GGlyphCache* CreateNew() const override;
    GGlyphCache* Copy() const override;
    // The same class and ids, and slot by slot both empty, the same node or equal nodes.
    bool IsEqual(const RWCollectable* other) const override;

    // The stored form: version, page and slot counts, stored count, then per page its
    // presence and per slot of a present page its presence and node. More pages or
    // slots than the cache has, a node of another class, or a node that could not be
    // read fails the read and keeps the cache as it was.
    auto StoredForm() { return GOwnForm(*this); }
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const;

    // Moves every node whose slot is empty here (the other's slot is cleared).
    virtual void MergeFrom(GGlyphCache* other);

    // An empty slot takes the node; a filled one merges the node into its own (which
    // disposes of the given node); the node the slot already holds is left as it is.
    // Answers 0 for a null node, else 1.
    int Store(uint16_t glyph, GGlyphCacheNode* node);
    GGlyphCacheNode* Find(uint16_t glyph) const;
    uint32_t GetCount() const { return count_; }

private:
    struct Page {
        GGlyphCacheNode* slots[kSlots];
    };
    static void Clear(Page** pages);

    uint32_t count_;
    Page* pages_[kPages];
};
