// The primitive that draws one run of text: the font, the characters, the advance of
// each character and the position of the first. Prepare makes the font ready for the
// characters and the graphic independent of its caller's characters; at the writer it
// calls DrawTextString.
#pragma once

#include "graphics/GFontReference.h"
#include "graphics/GGraphic.h"
#include "graphics/GPointListGraphic.h"
#include "graphics/GTextEscapements.h"
#include "graphics/GTextString.h"

class GTextStringGraphic : public GPersistent<GTextStringGraphic, GGraphic, 804> {
public:
    static constexpr const char* kClassName = "GTextStringGraphic";
    GTextStringGraphic* CreateNew() const override { return new GTextStringGraphic; }
    GTextStringGraphic* Copy() const override { return new GTextStringGraphic(*this); }

    // No state, no objects, every number 0.
    GTextStringGraphic();
    // Takes the font. The count 16-bit characters (referred to, or adopted when owned is
    // 1; see GSharedArray) become the text in the encoding; the first position is where
    // the text starts and the differences of the positions are the advances (the last
    // character's is 0; an axis on which every position is equal has no array). Count 0
    // gives position (0, 0) and an empty text.
    GTextStringGraphic(GFontReference* font, uint16_t* characters, uint32_t owned, GEncoding encoding,
                       const GPointArray& positions, uint32_t optionWord, uint16_t count, GState* state,
                       const long& id = 0);
    GTextStringGraphic(GFontReference* font, uint16_t* characters, uint32_t owned, GEncoding encoding,
                       const GPoint* positions, uint32_t optionWord, uint16_t count, GState* state,
                       const long& id = 0);
    // The graphic part, position, flags and option word, and a copy of each object the
    // other holds.
    GTextStringGraphic(const GTextStringGraphic& other);
    GTextStringGraphic& operator=(const GTextStringGraphic&) = delete;
    // Deletes the text, the escapements and the font.
    ~GTextStringGraphic() override;

    // With a font and a text, the font registers the text's characters (kind 1 when the
    // font takes 8-bit codes, else 2) and the text makes its characters its own.
    void Prepare() override;
    int16_t Execute(GCommandHandler& target) override;
    // Same class and graphic part, equal flags and position, and font, text and
    // escapements each the same object or equal (absent on both sides included).
    bool IsSame(const GObjectBase* other) const override;

    GFontReference* GetFont() const { return font_; }
    GTextString* GetText() const { return text_; }
    GTextEscapements* GetEscapements() const { return escapements_; }
    uint16_t GetFlags() const { return flags_; }
    uint32_t GetOptionWord() const { return optionWord_; }
    GPoint GetPosition() const { return {x_, y_}; }
    // Takes the font; the old one is deleted first.
    void SetFont(GFontReference* font);

    // The font, the text and the escapements as object references (the nil object when
    // absent), flags u16, option word i32, x and y i16. Saving registers the text with
    // the font first, as Prepare does. A read keeps only a font reference, a text string
    // and escapements in their places.
    auto StoredForm() { return GOwnForm(*this); }
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const;

private:
    void Build(GFontReference* font, uint16_t* characters, uint32_t owned, GEncoding encoding,
               const GPoint* positions, uint16_t count);
    void RegisterText() const;

    GFontReference* font_;
    GTextString* text_;
    GTextEscapements* escapements_;
    uint16_t flags_;
    uint32_t optionWord_;
    int16_t x_;
    int16_t y_;
};
