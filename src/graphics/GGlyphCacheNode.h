// One glyph's entry in a font reader's glyph cache: the glyph's outline bytes as the
// font holds them, and the bytes the font file's glyph operation made of it. Either
// block may be empty.
#pragma once

#include "model/GByteBuffer.h"
#include "model/GPersistent.h"

#include <cstdint>

class GGlyphCacheNode : public GPersistent<GGlyphCacheNode, GObjectBase, 870> {
public:
    static constexpr const char* kClassName = "GGlyphCacheNode";

    GGlyphCacheNode();
    // Takes each given record's bytes (owned ones handed over, borrowed ones copied)
    // and deletes the record; either may be null.
    GGlyphCacheNode(GByteBuffer* first, GByteBuffer* second);
    GGlyphCacheNode(const GGlyphCacheNode& other);
    // A new node holding a copy of length bytes as its first block (empty for 0); null
    // when out of memory.
    static GGlyphCacheNode* WithFirstCopy(const uint8_t* bytes, uint32_t length);
    GGlyphCacheNode& operator=(const GGlyphCacheNode&) = delete;
    ~GGlyphCacheNode() override;

    GGlyphCacheNode* CreateNew() const override;
    GGlyphCacheNode* Copy() const override;
    // The same class and ids and the same first block; the second is not compared.
    bool IsEqual(const RWCollectable* other) const override;

    // Each block as its length and bytes. A stored length that the data cannot hold
    // fails the read and keeps the node.
    auto StoredForm() { return GFields(GBlock(first_.data, first_.length), GBlock(second_.data, second_.length)); }

    // Moves each block that is empty here and filled there; then disposes of the other
    // node (deleted unless a counted holder keeps it). Merging a node into itself does
    // nothing.
    virtual void MergeFrom(GGlyphCacheNode* other);
    // A new borrowing record on the block (the caller deletes the record only); null
    // when the block is empty.
    virtual GByteBuffer* GetFirst() const;
    virtual uint32_t GetFirstLength() const;
    // The first block's bytes as they are held (null when empty), for a copy without a
    // record in between.
    const uint8_t* FirstData() const { return first_.data; }
    virtual GByteBuffer* GetSecond() const;
    virtual uint32_t GetSecondLength() const;

private:
    struct Block {
        uint8_t* data = nullptr;
        uint32_t length = 0;
    };
    static void Take(Block& block, GByteBuffer* buffer);

    Block first_;
    Block second_;
};
