// A text shown to the user with the resource string id it came from, and an
// alternative text. A model value, not an attribute.
#pragma once

#include "foundation/RWCString.h"
#include "model/GObjectBase.h"

class GDisplayString : public GObjectBase {
public:
    static constexpr RWClassID kClassId = 786;

    GDisplayString();
    // Null texts give empty strings.
    GDisplayString(uint16_t stringId, const char* text, const char* altText);
    GDisplayString(const GDisplayString& other) = default;
    GDisplayString& operator=(const GDisplayString& other) = default;
    ~GDisplayString() override;

    GDisplayString* CreateNew() const override;
    GDisplayString* Copy() const override;
    RWClassID ClassId() const override;
    uint32_t BinaryStoreSize() const override;
    // The alternative text is stored before the text, the string id last.
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;
    bool IsKindOf(RWClassID classId) const override;
    // The same class, id and string id, and byte-equal texts.
    bool IsSame(const GObjectBase* other) const override;

    uint16_t GetStringId() const { return stringId_; }
    const RWCString& GetText() const { return text_; }
    const RWCString& GetAltText() const { return altText_; }
    void SetText(const RWCString& text) { text_ = text; }
    void SetAltText(const RWCString& text) { altText_ = text; }

private:
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;

    uint16_t stringId_;
    RWCString text_;
    RWCString altText_;
};
