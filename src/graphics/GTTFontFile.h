// The handle through which a user reads a TrueType font: it points to the one shared
// reader of the font file and holds the reader's lock for each operation. A handle
// counts as one user of its reader; its destruction gives the reader back to the pool
// that handed it out. Without a reader every operation answers 0.
#pragma once

#include "graphics/GTTFontFileReader.h"
#include "model/GPersistent.h"

#include <cstdint>
#include <vector>

class GTTFontFilePool;

class GTTFontFile : public GPersistent<GTTFontFile, GObjectBase, 859> {
public:
    static constexpr const char* kClassName = "GTTFontFile";
    GTTFontFile* CreateNew() const override { return new GTTFontFile; }
    GTTFontFile* Copy() const override { return new GTTFontFile(*this); }

    GTTFontFile();
    // One more user of the reader; the pool is the process-wide one when null.
    GTTFontFile(GTTFontFileReader* reader, GTTFontFilePool* pool = nullptr);
    GTTFontFile(const GTTFontFile& other);
    GTTFontFile& operator=(const GTTFontFile&) = delete;
    ~GTTFontFile() override;

    // The same class and ids and equal readers (the same reader, both none, or readers
    // with equal change counts that compare equal).
    bool IsEqual(const RWCollectable* other) const override;

    // The stored form: version, the reader's file key and change count (0 and 0 without
    // a reader). Restoring only records them: the handle asks the pool for the reader of
    // the key that is at least as new on its first use, outside any pool operation (a
    // restore may run under the pool's lock, as a spool stream's read does). Key 0, or a
    // pool without the reader, leaves the handle without one.
    auto StoredForm() { return GOwnForm(*this); }
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const { return 12; }

    // The reader, bound first when the handle was restored and not used yet.
    GTTFontFileReader* GetReader() const
    {
        Bind();
        return reader_;
    }
    GTTFontFilePool* GetPool() const { return pool_; }

    uint32_t GetGlyphData(uint32_t fontKey, int mayCache, uint16_t glyph, GByteBuffer*& out);
    // The same into a buffer the caller keeps from glyph to glyph.
    uint32_t GetGlyphData(uint32_t fontKey, int mayCache, uint16_t glyph, std::vector<uint8_t>& into);
    uint32_t GetGlyphOffset(uint32_t fontKey, uint16_t glyph);
    int GetBoundingBox(uint32_t fontKey, int16_t box[4]);
    int GetGlyphCount(uint32_t fontKey, uint16_t& count);
    int GetTypoDescender(uint32_t fontKey, int16_t& descender);
    int GetHorizontalMetricCount(uint32_t fontKey, uint16_t& count);
    int GetVerticalMetricCount(uint32_t fontKey, uint16_t& count);
    int GetHorizontalMetrics(uint32_t fontKey, uint16_t glyph, uint16_t& advance, int16_t& bearing);
    int GetVerticalMetrics(uint32_t fontKey, uint16_t glyph, uint16_t& advance, int16_t& bearing);
    uint16_t MapCharacter(uint32_t fontKey, int vertical, uint16_t code, uint32_t characterSet);
    int LoadGlyph(uint32_t fontKey, uint16_t glyph);
    int Preload(uint32_t fontKey, uint32_t characterSet);
    uint32_t ReadTableBytes(uint32_t fontKey, uint32_t tagIndex, uint32_t offset, int mayCache, uint8_t* destination,
                            uint32_t count);
    uint32_t GetTable(uint32_t fontKey, uint32_t tagIndex, int mayCache, GByteBuffer*& out);
    uint32_t GetTableLength(uint32_t fontKey, uint32_t tagIndex);
    int HasRequiredTables(uint32_t fontKey);
    // Stores the node in the reader's glyph cache: 1 when stored (the node is the
    // cache's then); without a reader the node is deleted.
    int StoreGlyph(uint16_t glyph, GGlyphCacheNode* node);
    // The glyph cache's node's first block (the font's bytes): its length and a copy.
    uint32_t FindGlyph(uint16_t glyph, GByteBuffer*& out);
    // The glyph as the font file's glyph operation makes it: from the cache's second
    // block, else from the operation, whose answer is then cached.
    uint32_t GetGlyph(uint32_t fontKey, uint16_t glyph, uint32_t characterSet, uint32_t vertical, uint32_t size,
                      uint32_t flags, GByteBuffer*& out);
    uint32_t ForwardFirst(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    uint32_t ForwardSecond(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    uint32_t ForwardThird(uint32_t a);
    // Records the job on the reader and enters the reader in the pool's list.
    int Close(uint32_t jobId);

private:
    // Runs op on the locked reader; 0 without one.
    template <class Op>
    auto Locked(Op op) -> decltype(op(*static_cast<GTTFontFileReader*>(nullptr)));
    void Drop();
    // Asks the pool for the reader a restore recorded, once.
    void Bind() const;

    mutable GTTFontFileReader* reader_;
    GTTFontFilePool* pool_;
    // What a restore read and no use has bound yet (key 0: nothing pending).
    mutable uint32_t pendingKey_;
    mutable uint32_t pendingCount_;
};
