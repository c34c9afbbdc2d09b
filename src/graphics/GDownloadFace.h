// The command that asks a writer to download a font face to the printer. Prepare lets
// the font register the characters the download must cover; at the writer it calls
// DownloadFace. Only the font and the value are stored and compared.
#pragma once

#include "graphics/GFontReference.h"
#include "graphics/GTextEncoding.h"
#include "model/GCommand.h"

class GDownloadFace : public GPersistent<GDownloadFace, GCommand, 806> {
public:
    static constexpr const char* kClassName = "GDownloadFace";
    GDownloadFace* CreateNew() const override { return new GDownloadFace; }
    GDownloadFace* Copy() const override { return new GDownloadFace(*this); }

    // The longest face name kept, without its terminating zero.
    static constexpr uint32_t kMaxFaceName = 128;

    // No font.
    GDownloadFace();
    // Takes the font.
    GDownloadFace(GFontReference* font, uint32_t value);
    // The command part, and a copy of the font.
    GDownloadFace(const GDownloadFace& other);
    GDownloadFace& operator=(const GDownloadFace&) = delete;
    // Deletes the font.
    ~GDownloadFace() override;

    // With a font, the font registers the download (kind 1 when the font takes 8-bit
    // codes, else 2) with the value.
    void Prepare() override;
    int16_t Execute(GCommandHandler& target) override;
    // Same class, equal values, and fonts both absent, the same object or equal.
    bool IsSame(const GObjectBase* other) const override;
    bool IsEqual(const RWCollectable* other) const override;

    GFontReference* GetFont() const { return font_; }
    uint32_t GetValue() const { return value_; }
    // Takes the font; the old one is deleted. Each setter answers 1.
    int SetFont(GFontReference* font);
    uint16_t GetNumber() const { return number_; }
    int SetNumber(uint16_t number) { return number_ = number, 1; }
    uint32_t GetWord() const { return word_; }
    int SetWord(uint32_t word) { return word_ = word, 1; }
    // At most 128 characters of the name are kept, and a terminating zero.
    int SetFaceName(const char* name);
    const char* GetFaceName() const { return faceName_; }

    // The font as an object reference (the nil object when there is none), then the
    // value as i32. Saving registers the download with the font first, as Prepare does.
    auto StoredForm() { return GOwnForm(*this); }
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const;

private:
    void RegisterDownload() const;

    GFontReference* font_;
    uint32_t value_;
    uint16_t number_;
    char faceName_[kMaxFaceName + 1];
    uint32_t word_;
};
