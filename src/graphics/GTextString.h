// The characters of one run of text with their size (8 or 16 bits) and their encoding.
// A string may refer to its caller's characters until it is prepared; it can be
// converted into another encoding through the text converter or a character-code map.
#pragma once

#include "graphics/GSharedArray.h"
#include "graphics/GTextEncoding.h"
#include "model/GPersistent.h"

class GCharCodeMap;

class GTextString : public GPersistent<GTextString, GObjectBase, 802> {
public:
    static constexpr const char* kClassName = "GTextString";
    GTextString* CreateNew() const override { return new GTextString; }
    GTextString* Copy() const override { return new GTextString(*this); }

    // No characters, size 0, encoding 0.
    GTextString();
    // Adopts the array (owned or referred to).
    GTextString(GSharedArray&& characters, uint16_t length, int32_t charSize, GEncoding encoding);
    // An owned copy of the characters when the size is 1 or 2.
    GTextString(const GTextString& other);
    // The source's characters in the target encoding (see the .cpp for the rules); map
    // gives the compact codes of target 2 and may be null otherwise.
    GTextString(const GTextString& source, GEncoding target, GCharCodeMap* map);
    GTextString& operator=(const GTextString&) = delete;
    ~GTextString() override;

    uint16_t GetLength() const { return length_; }
    int32_t GetCharSize() const { return charSize_; }
    GEncoding GetConversionKind() const { return encoding_; }
    // The characters; null when there are none.
    const void* GetText() const { return characters_.IsEmpty() ? nullptr : characters_.GetData(); }
    // Character i by the size; 0 past the length or the characters held.
    uint16_t GetChar(uint32_t i) const;
    // Makes the characters the string's own and answers them (null when there are none).
    virtual void* GetWritableText();
    uint32_t IsOwned() const { return characters_.IsOwned(); }

    // The same object, or the same class and id, length, size and encoding, and equal
    // characters.
    bool IsSame(const GObjectBase* other) const override;

    // Length u16, size i32, encoding i32, then length bytes (size 1) or 16-bit values
    // (size 2). A length the data cannot hold is refused before anything is allocated.
    auto StoredForm() { return GOwnForm(*this); }
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const;

private:
    uint32_t StoredCharBytes() const { return charSize_ == 1 || charSize_ == 2 ? uint32_t(charSize_) : 0; }

    GSharedArray characters_;
    uint16_t length_;
    int32_t charSize_;
    GEncoding encoding_;
};
