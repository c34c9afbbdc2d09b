// The glyphs a font reader has read, by 16-bit glyph index: 256 pages of 256 slots, a
// page made when its first glyph arrives. Nodes are kept through their reference count,
// so that a node a damaged spool file names twice is still freed once.
#pragma once

#include "graphics/GGlyphCacheNode.h"
#include "model/GObjectBase.h"

#include <cstdint>

class GGlyphCache : public GObjectBase {
public:
    static constexpr RWClassID kClassId = 869;
    static constexpr uint32_t kPages = 256;
    static constexpr uint32_t kSlots = 256;

    GGlyphCache();
    GGlyphCache(const GGlyphCache& other);
    GGlyphCache& operator=(const GGlyphCache&) = delete;
    ~GGlyphCache() override;

    GGlyphCache* CreateNew() const override;
    GGlyphCache* Copy() const override;
    RWClassID ClassId() const override;
    uint32_t BinaryStoreSize() const override;
    // The same class and ids, and slot by slot both empty, the same node or equal nodes.
    bool IsEqual(const RWCollectable* other) const override;
    // More pages or slots than the cache has, a node of another class, or a node that
    // could not be read fails the read and keeps the cache as it was.
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;
    bool IsKindOf(RWClassID classId) const override;

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
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    static void Clear(Page** pages);

    uint32_t count_;
    Page* pages_[kPages];
};
