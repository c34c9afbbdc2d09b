// How a text graphic or a download command names its font: a counted reference to a
// shared GFont and the owner (the job's producer) whose font database holds it. A saved
// reference stores the owner's key, the font id and the use counter, and puts the font
// itself into the owner's font database so that it travels in the font spool file; a
// restored one takes the font back from that database.
//
// A reference without a font answers 0, or an empty value, from every operation that
// forwards to the font.
#pragma once

#include "graphics/GFont.h"

class GFontOwner;

class GFontReference : public GStoredLevel<GFontReference, GObjectBase, 0> {
public:
    // The font id stored for a reference without a font; the counter never hands it out
    // in practice (it would take 2^32 fonts), and a database holding it still answers
    // only with the stored use counter.
    static constexpr uint32_t kNoFontId = 0xFFFFFFFF;

    // No font, no owner.
    GFontReference();
    // One more reference on the font.
    GFontReference(GFont* font, GFontOwner* owner);
    // Shares the font and the owner.
    GFontReference(const GFontReference& other);
    GFontReference& operator=(const GFontReference&) = delete;
    // One reference less: the last deletes the font, otherwise its extra value is reset.
    ~GFontReference() override;

    // The character kinds a registration names: 8-bit or 16-bit codes.
    static constexpr int kByteCodes = 1;
    static constexpr int kWordCodes = 2;

    // The size of the character codes the font takes: 1 for 8-bit codes.
    virtual int GetCharacterSize() const = 0;
    // The character kind of the font's registrations.
    int GetCharacterKind() const { return GetCharacterSize() == kByteCodes ? kByteCodes : kWordCodes; }

    // Forwarding to the font.
    virtual const GFontMetrics* GetMetrics() const { return font_ ? &font_->GetMetrics() : nullptr; }
    virtual const GFontWriterRecord* GetWriterRecord() const { return font_ ? &font_->GetWriterRecord() : nullptr; }
    virtual uint32_t GetFontFileKey() const { return font_ ? font_->GetFontFileKey() : 0; }
    virtual uint16_t GetValueA() const { return font_ ? font_->GetValueA() : 0; }
    virtual uint16_t GetValueB() const { return font_ ? font_->GetValueB() : 0; }
    virtual int16_t GetHeight() const { return font_ ? font_->GetHeight() : 0; }
    virtual uint16_t GetFirstChar() const { return font_ ? font_->GetFirstChar() : 0; }
    virtual uint16_t GetLastChar() const { return font_ ? font_->GetLastChar() : 0; }
    virtual uint16_t GetDefaultChar() const { return font_ ? font_->GetDefaultChar() : 0; }
    virtual const RWCString& GetFaceName() const;
    virtual float GetThirdFactor() const { return font_ ? font_->GetThirdFactor() : 0.0f; }
    virtual uint32_t GetWriterFlags() const { return font_ ? font_->GetWriterFlags() : 0; }
    virtual void MarkUsed() const;
    virtual uint32_t NextUse() { return font_ ? font_->NextUse() : 0; }
    virtual int GetGlyphIndexRange(uint32_t first, uint32_t last, GSharedArray& out);
    virtual int GetGlyphIndices(const GTextString& text, GSharedArray& out);
    virtual uint32_t RequestGlyphs(uintptr_t first, uintptr_t second);
    virtual uint32_t RequestOutlines(uintptr_t first, uintptr_t second);
    virtual int IsReady() { return font_ ? font_->IsReady() : 0; }
    virtual uint32_t GetGlyphImage(uint32_t code, uintptr_t argument, GGlyphMetrics& metrics,
                                   std::unique_ptr<uint8_t[]>& bitmap);

    // 1 at once for a font that needs no registration (writer flags 2); else 0 when the
    // font is not ready, or the font's own registration of the text.
    int RegisterText(const GTextString& text, int kind);
    // The same with the font's registration of a download.
    int RegisterDownloadText(uint32_t value, int kind);
    uint32_t AddTextCodes(const GTextString& text) { return font_ ? font_->AddTextCodes(text) : 0; }
    // The metric record; null without a font.
    const GFontMetrics* GetFontInfo() const { return GetMetrics(); }

    GFont* GetFont() const { return font_; }
    GFontOwner* GetOwner() const { return owner_; }

    // Equal object ids, and fonts that are the same object or equal by IsSame (both
    // absent included).
    bool IsSame(const GObjectBase* other) const override;

    // The owner's key, the font id and the use counter. Saving marks the font used and
    // adds it to the owner's font database; restoring takes the font of that id from
    // the database of the owner found by the key, when its use counter is at least the
    // stored one, and otherwise holds none.
    auto StoredForm() { return GOwnForm(*this); }
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const { return 16; }

private:
    // Gives up the font (see the destructor).
    void Drop();

    GFont* font_;
    GFontOwner* owner_;
};
