// Everything known about one TrueType font file: the tables and glyphs already read (in
// the table and glyph caches), the header values every operation needs, a lock, and the
// bookkeeping with which the font file pool shares one reader among all its users.
//
// The bytes come from the font through the abstract file operations of a concrete
// reader; this class adds table addressing by tag index, big-endian decoding, the
// location and glyph walk, metrics, character mapping and the vertical substitution.
// Every read stays inside its table: a damaged font answers 0, never more. The
// reader's own operations assume that the caller holds its lock.
#pragma once

#include "graphics/GGlyphCache.h"
#include "graphics/GTTTableCache.h"
#include "model/GByteBuffer.h"
#include "model/GPersistent.h"

#include <cstdint>
#include <memory>
#include <vector>

class GLock;

// The tag indices the reader addresses tables by.
enum GTTTag : uint32_t {
    kTagCmap, kTagHead, kTagGlyf, kTagLoca, kTagMaxp, kTagMort, kTagName, kTagOS2, kTagPost, kTagCvt,
    kTagEdt0, kTagEdt1, kTagCryp, kTagFpgm, kTagGdir, kTagHdmx, kTagHhea, kTagHmtx, kTagVhea, kTagVmtx,
    kTagKern, kTagLTSH, kTagGSUB, kTagPrep, kTagPCLT, kTagCount
};

// The tag of an index as the file operations take it: its four bytes in file order,
// read as one little-endian word. 0 for an index past the tags.
uint32_t GTTTagValue(uint32_t tagIndex);

// A character-map subtable as stored with the reader.
struct GCharacterMapRecord {
    int32_t found = 0;
    int16_t platform = 0;
    int16_t encoding = 0;
    uint16_t format = 0;
    bool operator==(const GCharacterMapRecord& o) const
    {
        return found == o.found && platform == o.platform && encoding == o.encoding && format == o.format;
    }
};

// The subtable SelectCharacterMap chose: the record and its offset in cmap.
struct GCharacterMapChoice : GCharacterMapRecord {
    uint32_t offset = 0;
};

class GTTFontFileReader : public GStoredLevel<GTTFontFileReader, GObjectBase, 0> {
public:
    // Tables shorter than this are read whole once and served from the cache.
    static constexpr uint32_t kCacheLimit = 250000;
    // The glyphs one LoadGlyph may visit, the glyph itself and every component at every
    // depth: components that name one glyph many times over multiply at each level, and
    // past this the glyph is refused.
    static constexpr uint32_t kMaxGlyphsPerLoad = 1024;

    GTTFontFileReader();
    explicit GTTFontFileReader(uint32_t fileKey);
    GTTFontFileReader(const GTTFontFileReader&) = delete;
    GTTFontFileReader& operator=(const GTTFontFileReader&) = delete;
    ~GTTFontFileReader() override;

    // Equal headers, cached values and caches.
    bool IsEqual(const RWCollectable* other) const override;

    // The stored form: version, change count, file key, location format, both character
    // map records, the four cached values with their flags, then both caches as object
    // references. Caches of another class fail the read and keep the reader as it was.
    auto StoredForm() { return GOwnForm(*this); }
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const;

    // Takes the other's caches into empty places here and copies its header values.
    virtual void MergeFrom(GTTFontFileReader* other);

    // The file operations of the concrete reader. The forwarded ones and the glyph
    // operation have no glyph source behind them here.
    virtual uint32_t ForwardFirst(uint32_t a, uint32_t b, uint32_t c, uint32_t d) = 0;
    virtual uint32_t ForwardSecond(uint32_t a, uint32_t b, uint32_t c, uint32_t d) = 0;
    // The whole table as a new owning buffer: the bytes read (the buffer may be null).
    virtual uint32_t ReadTable(uint32_t fontKey, uint32_t tag, GByteBuffer*& out, uint32_t length) = 0;
    // count bytes at offset in the table: the count read, 0 outside the table.
    virtual uint32_t ReadBytes(uint32_t fontKey, uint32_t tag, uint32_t offset, uint8_t* destination,
                               uint32_t count) = 0;
    // The table's length in the file, 0 when the font has none.
    virtual uint32_t GetFileTableLength(uint32_t fontKey, uint32_t tag) = 0;
    virtual int IsCachingEnabled() = 0;
    virtual uint32_t ReadGlyph(uint32_t fontKey, uint16_t glyph, uint32_t characterSet, uint32_t vertical,
                               uint32_t size, GByteBuffer*& out, uint32_t flags) = 0;
    virtual uint32_t ForwardThird(uint32_t a) = 0;

    virtual uint32_t GetGlyphData(uint32_t fontKey, int mayCache, uint16_t glyph, GByteBuffer*& out);
    // The same bytes and answer, copied into a buffer the caller keeps from glyph to
    // glyph (emptied when the answer is 0): a cached glyph costs a lookup and a copy.
    uint32_t GetGlyphData(uint32_t fontKey, int mayCache, uint16_t glyph, std::vector<uint8_t>& into);
    virtual uint32_t GetGlyphOffset(uint32_t fontKey, uint16_t glyph);
    // Takes the subtable for the character set from the whole cmap table; found 0 when
    // it has none of the platform.
    virtual void SelectCharacterMap(const uint8_t* cmap, uint32_t length, uint32_t characterSet,
                                    GCharacterMapChoice& choice);

    void Lock();
    void Unlock();

    int HasRequiredTables(uint32_t fontKey);
    uint32_t GetTableLength(uint32_t fontKey, uint32_t tagIndex);
    // count, or 0 when the bytes are not all inside the table or cannot be read.
    uint32_t ReadTableBytes(uint32_t fontKey, uint32_t tagIndex, uint32_t offset, int mayCache,
                            uint8_t* destination, uint32_t count);
    // The whole table in a new record (borrowing from the cache or owning its bytes):
    // its length, or 0 with no record.
    uint32_t GetTable(uint32_t fontKey, uint32_t tagIndex, int mayCache, GByteBuffer*& out);
    int GetBoundingBox(uint32_t fontKey, int16_t box[4]);
    int GetGlyphCount(uint32_t fontKey, uint16_t& count);
    int GetTypoDescender(uint32_t fontKey, int16_t& descender);
    int GetHorizontalMetricCount(uint32_t fontKey, uint16_t& count);
    int GetVerticalMetricCount(uint32_t fontKey, uint16_t& count);
    int GetHorizontalMetrics(uint32_t fontKey, uint16_t glyph, uint16_t& advance, int16_t& bearing);
    int GetVerticalMetrics(uint32_t fontKey, uint16_t glyph, uint16_t& advance, int16_t& bearing);
    uint16_t MapCharacter(uint32_t fontKey, int vertical, uint16_t code, uint32_t characterSet);
    int Preload(uint32_t fontKey, uint32_t characterSet);
    // The glyph and, for a composite, its components, at most a bounded depth down and
    // kMaxGlyphsPerLoad glyphs in all: 0 when refused.
    int LoadGlyph(uint32_t fontKey, uint16_t glyph);
    // The location format: 1 for 32-bit loca entries, 0 for 16-bit, 255 when unreadable.
    uint8_t GetLocationFormat(uint32_t fontKey);

    void AddUserA(uint32_t job);
    void RemoveUserA(uint32_t job);
    void AddUserB(uint32_t job);
    void RemoveUserB(uint32_t job);
    int ContainsJob(uint32_t job) const;
    uint32_t GetJobCount() const { return uint32_t(jobsB_.size()); }
    uint32_t GetChangeCount() const { return changeCount_; }
    void MarkChanged() { ++changeCount_; }
    // Takes the change count of a copy whose caches were merged into this one.
    void SetChangeCount(uint32_t count) { changeCount_ = count; }
    uint32_t GetFileKey() const { return fileKey_; }
    int32_t GetUserCount() const { return userCount_; }
    void SetUserCount(int32_t count) { userCount_ = count; }
    int IsLocked() const { return locked_; }
    GTTTableCache* GetTableCache() const { return tables_; }
    GGlyphCache* GetGlyphCache() const { return glyphs_; }
    // Stores the node in the glyph cache (made when missing): 1 when stored.
    int StoreGlyph(uint16_t glyph, GGlyphCacheNode* node);

    // The vertical substitutes of the two layouts the reader knows.
    static uint16_t MortSubstitute(const uint8_t* mort, uint32_t length, uint16_t glyph);
    static uint16_t GSUBSubstitute(const uint8_t* gsub, uint32_t length, uint16_t glyph);

private:
    // Where the glyph's bytes lie in glyf; false when the font gives no range glyf holds.
    bool GlyphExtent(uint32_t fontKey, uint16_t glyph, uint32_t& start, uint32_t& length);
    // A cache copy of a glyph just read.
    void KeepGlyph(uint16_t glyph, const uint8_t* bytes, uint32_t length);

    struct CachedValue {
        int32_t known = 0;
        uint16_t value = 0;
    };
    GTTTableCache* Tables();
    GGlyphCache* Glyphs();
    int StoreTable(uint32_t tagIndex, GByteBuffer* buffer);
    int ReadValue(uint32_t fontKey, CachedValue& value, uint32_t tagIndex, uint32_t offset);
    int Metrics(uint32_t fontKey, CachedValue& count, uint32_t countTable, uint32_t metricTable, uint16_t glyph,
                uint16_t& advance, int16_t& bearing);
    int LoadGlyphAt(uint32_t fontKey, uint16_t glyph, uint32_t depth, uint32_t& budget);
    // The whole table, in place when the cache holds it (false for an empty or missing
    // one), else in a record held for the caller as GetTable gives it.
    bool TableInPlace(uint32_t fontKey, uint32_t tagIndex, std::unique_ptr<GByteBuffer>& held,
                      const uint8_t*& data, uint32_t& length);
    uint16_t PrepareCode(const GCharacterMapChoice& choice, const uint8_t* os2, uint16_t code,
                         uint32_t characterSet, bool& none);

    GLock* lock_;
    int32_t locked_;
    uint32_t changeCount_;
    uint32_t fileKey_;
    std::vector<uint32_t> jobsA_;
    std::vector<uint32_t> jobsB_;
    uint8_t locationFormat_;
    GCharacterMapRecord maps_[2];
    CachedValue glyphCount_;
    CachedValue descender_;
    CachedValue horizontalCount_;
    CachedValue verticalCount_;
    // Every handle counts: 16 bits would wrap at 65,536 of them.
    int32_t userCount_;
    int32_t preloaded_;
    GTTTableCache* tables_;
    GGlyphCache* glyphs_;
};
