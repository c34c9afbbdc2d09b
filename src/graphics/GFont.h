// The abstract font of the graphics model: the values the writers compare and print with
// (the metric record), further values for the writers (the writer record), the character
// codes used so far, and the glyph source that glyph data comes from. Concrete fonts,
// supplied by the page-drawing module, give the glyph images and register text.
//
// A font is shared by counted GFontReferences and counted by the job's font database in
// the same count; the last reference deletes it. The count is changed without a lock: a
// font belongs to one job, which runs on one thread.
#pragma once

// First, so that every file sees the same name for GetGlyphIndices, which the
// platform's headers also define as a macro.
#include <windows.h>

#include "foundation/RWCString.h"
#include "graphics/GCodeSet.h"
#include "graphics/GSharedArray.h"
#include "model/GPersistent.h"

#include <memory>

class GGlyphSource;
class GTextString;

// The values of a font, as GetMetrics gives them and a GScaledFont copies them.
struct GFontMetrics {
    uint16_t valueA = 0;
    uint16_t valueB = 0;
    int16_t vertical[3] = {0, 0, 0}; // scaled by the y scale
    int32_t italic = 0;
    int32_t values[2] = {0, 0};
    uint16_t weight = 0;
    int32_t symbolSet = 0;
    float xScale = 1.0f;
    float yScale = 1.0f;
    int16_t height = 0; // scaled by the y scale
    uint32_t words[2] = {0, 0};
    int16_t horizontal[2] = {0, 0}; // scaled by the x scale
    uint16_t firstChar = 0;
    uint16_t lastChar = 0;
    uint16_t defaultChar = 0;
    uint16_t fourthCode = 0;
    RWCString faceName;
    uint32_t value = 0;
    uint16_t value16 = 0;
};

bool operator==(const GFontMetrics& a, const GFontMetrics& b);

// Further values for the writers; the flags value 2 means the font needs no
// registration of text before printing.
struct GFontWriterRecord {
    float xFactor = 0;
    float yFactor = 0;
    uint16_t word = 0;
    uint32_t values[3] = {0, 0, 0};
    uint32_t flags = 0;
    float thirdFactor = 0;
    uint32_t lastValues[2] = {0, 0};
};
static_assert(sizeof(GFontWriterRecord) == 40, "the writer record is 40 bytes");

bool operator==(const GFontWriterRecord& a, const GFontWriterRecord& b);

// Where a glyph image lies relative to its origin, and its size in pixels.
struct GGlyphMetrics {
    int16_t originX;
    int16_t originY;
    int16_t width;
    int16_t height;
};

class GFont : public GStoredLevel<GFont, GObjectBase, 0> {
public:
    static constexpr uint32_t kNoRegistration = 2;
    static constexpr uint32_t kMaxUse = 0xFFFFFFFF;

    // Key 0; a new font id and glyph source as below.
    GFont();
    // A new font id from the font database's counter; the glyph source the system
    // services make, or none.
    explicit GFont(uint32_t fontFileKey);
    // The values, codes, ids and use counter; no references, users, pending object, and
    // a glyph source of its own.
    GFont(const GFont& other);
    GFont& operator=(const GFont&) = delete;
    // Deletes the glyph source and the pending object.
    ~GFont() override;

    virtual const GFontMetrics& GetMetrics() const { return metrics_; }
    virtual const GFontWriterRecord& GetWriterRecord() const { return writer_; }
    virtual uint32_t GetFontFileKey() const { return fontFileKey_; }
    virtual uint16_t GetValueA() const { return metrics_.valueA; }
    virtual uint16_t GetValueB() const { return metrics_.valueB; }
    virtual int32_t GetItalic() const { return metrics_.italic; }
    virtual uint16_t GetWeight() const { return metrics_.weight; }
    virtual int32_t GetSymbolSet() const { return metrics_.symbolSet; }
    virtual float GetXScale() const { return metrics_.xScale; }
    virtual float GetYScale() const { return metrics_.yScale; }
    virtual int16_t GetHeight() const { return metrics_.height; }
    virtual uint16_t GetFirstChar() const { return metrics_.firstChar; }
    virtual uint16_t GetLastChar() const { return metrics_.lastChar; }
    virtual uint16_t GetDefaultChar() const { return metrics_.defaultChar; }
    virtual const RWCString& GetFaceName() const { return metrics_.faceName; }
    virtual float GetThirdFactor() const { return writer_.thirdFactor; }
    virtual uint32_t GetWriterFlags() const { return writer_.flags; }

    // Marks the font used by the current job (the argument is ignored).
    virtual void MarkUsed(uint32_t = 0) { used_ = 1; }
    // One more use; stops at 0xFFFFFFFF. Answers the new count.
    virtual uint32_t NextUse();
    // Glyph indices of the codes first to last into out (made owned, one 16-bit entry
    // per code): codes outside the font's character range get the default character's
    // index (0 when it has none), the others are asked of the glyph source in one run.
    virtual int GetGlyphIndexRange(uint32_t first, uint32_t last, GSharedArray& out);
    // The glyph index of each character of the text into out (owned); a code the source
    // cannot map gets the default character's index, looked up once. 0 when that fails
    // too (or there is no glyph source); 1 otherwise, also for an empty text.
    virtual int GetGlyphIndices(const GTextString& text, GSharedArray& out);
    // The two glyph requests: the file key, the height plus the second vertical metric,
    // and the caller's arguments; 0 without a glyph source.
    virtual uint32_t RequestGlyphs(uintptr_t first, uintptr_t second);
    virtual uint32_t RequestOutlines(uintptr_t first, uintptr_t second);
    virtual int IsReady() { return 1; }

    // The glyph image of a code: its metrics and a 1-bit bitmap (most significant bit
    // first, rows padded to 32 bits), or none. Answers the bitmap's byte size.
    virtual uint32_t GetGlyphImage(uint32_t code, uintptr_t argument, GGlyphMetrics& metrics,
                                   std::unique_ptr<uint8_t[]>& bitmap) = 0;
    // Makes the font ready for a download command's characters (kind 1: 8-bit codes).
    virtual int RegisterDownload(uint32_t value, int kind) = 0;
    // Makes the font ready for the characters of a text graphic (kind 1: 8-bit codes).
    virtual int RegisterTextCodes(const GTextString& text, int kind) = 0;

    virtual uint16_t GetExtraWord() const { return extraWord_; }
    virtual void SetExtraWord(uint16_t word) { extraWord_ = word; }
    virtual uint32_t GetExtraValue() const { return extraValue_; }
    virtual void SetExtraValue(uint32_t value) { extraValue_ = value; }

    // Adds every character of the text to the used codes: answers the length.
    uint32_t AddTextCodes(const GTextString& text);
    // The glyph image of every used code in ascending order, then IsReady.
    int LoadUsedGlyphs();
    // The object the font's owner keeps with it; owned by the font.
    void SetPending(GObjectBase* object);
    GObjectBase* TakePending();
    const GObjectBase* GetPending() const { return pending_; }
    const GCodeSet& GetUsedCodes() const { return usedCodes_; }

    // What the font database uses: the font id (its key), the use counter (its change
    // count), the user count (references and the database's own hold), the used mark.
    uint32_t GetFontId() const { return fontId_; }
    uint32_t GetUseCounter() const { return useCounter_; }
    void SetUseCounter(uint32_t counter) { useCounter_ = counter; }
    uint16_t GetUserCount() const { return users_; }
    void SetUserCount(uint16_t users) { users_ = users; }
    void AddUser() { ++users_; }
    // One user less: answers the count left.
    uint16_t RemoveUser() { return users_ ? --users_ : 0; }
    uint32_t IsUsed() const { return used_; }
    void ClearUsed() { used_ = 0; }
    // Takes over what the other font has and this one lacks: the union of the used
    // codes, and the other's pending object when this font has none.
    void Merge(GFont& other);

    // The same object, or the same class and id, font id, use counter and values (the
    // file key is not stored and not compared).
    bool IsSame(const GObjectBase* other) const override;

    auto StoredForm()
    {
        GFontMetrics& m = metrics_;
        GFontWriterRecord& w = writer_;
        return GFields(m.valueA, m.valueB, m.vertical[0], m.vertical[1], m.vertical[2], m.italic, m.values[0],
                       m.values[1], m.weight, m.symbolSet, m.xScale, m.yScale, m.height, m.words[0], m.words[1],
                       m.horizontal[0], m.horizontal[1], m.firstChar, m.lastChar, m.defaultChar, m.fourthCode,
                       m.faceName, m.value, m.value16, w.xFactor, w.yFactor, w.word, w.values[0], w.values[1],
                       w.values[2], w.flags, w.thirdFactor, w.lastValues[0], w.lastValues[1], fontId_, useCounter_);
    }

protected:
    // For the concrete fonts, which fill in their values.
    GFontMetrics& Metrics() { return metrics_; }
    GFontWriterRecord& WriterRecord() { return writer_; }
    // A glyph source of the concrete font's own in place of the one made at construction.
    void AdoptGlyphSource(GGlyphSource* source);

private:
    // The default character's glyph index; false when the source has none.
    bool DefaultIndex(uint16_t& index);

    uint32_t used_;
    uint32_t fontFileKey_;
    uint32_t useCounter_;
    uint32_t fontId_;
    uint16_t users_;
    GFontMetrics metrics_;
    GFontWriterRecord writer_;
    std::unique_ptr<GGlyphSource> glyphSource_;
    GObjectBase* pending_;
    GCodeSet usedCodes_;
    uint16_t extraWord_;
    uint32_t extraValue_;
};
