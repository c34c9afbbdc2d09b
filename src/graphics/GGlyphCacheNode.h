// One glyph's entry in a font reader's glyph cache: the glyph's outline bytes as the
// font holds them, and the bytes the font file's glyph operation made of it. Either
// block may be empty.
#pragma once

#include "model/GByteBuffer.h"
#include "model/GObjectBase.h"

#include <cstdint>

class GGlyphCacheNode : public GObjectBase {
public:
    static constexpr RWClassID kClassId = 870;

    GGlyphCacheNode();
    // Takes each given record's bytes (owned ones handed over, borrowed ones copied)
    // and deletes the record; either may be null.
    GGlyphCacheNode(GByteBuffer* first, GByteBuffer* second);
    GGlyphCacheNode(const GGlyphCacheNode& other);
    GGlyphCacheNode& operator=(const GGlyphCacheNode&) = delete;
    ~GGlyphCacheNode() override;

    GGlyphCacheNode* CreateNew() const override;
    GGlyphCacheNode* Copy() const override;
    RWClassID ClassId() const override;
    uint32_t BinaryStoreSize() const override;
    // The same class and ids and the same first block; the second is not compared.
    bool IsEqual(const RWCollectable* other) const override;
    // A stored length that the data cannot hold fails the read and keeps the node.
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;
    bool IsKindOf(RWClassID classId) const override;

    // Moves each block that is empty here and filled there; then disposes of the other
    // node (deleted unless a counted holder keeps it). Merging a node into itself does
    // nothing.
    virtual void MergeFrom(GGlyphCacheNode* other);
    // A new borrowing record on the block (the caller deletes the record only); null
    // when the block is empty.
    virtual GByteBuffer* GetFirst() const;
    virtual uint32_t GetFirstLength() const;
    virtual GByteBuffer* GetSecond() const;
    virtual uint32_t GetSecondLength() const;

private:
    struct Block {
        uint8_t* data = nullptr;
        uint32_t length = 0;
    };
    static void Take(Block& block, GByteBuffer* buffer);
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;

    Block first_;
    Block second_;
};
