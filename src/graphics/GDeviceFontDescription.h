// One font that the printer holds itself (in ROM, on disk, in flash or on a memory
// module): the name an application asks for, the name the device selects it by, and
// what the writers need to match a requested font against it.
#pragma once

#include "foundation/RWCString.h"
#include "graphics/GULongVector.h"
#include "model/GPersistent.h"

class GDeviceFontDescription : public GPersistent<GDeviceFontDescription, GObjectBase, 855> {
public:
    static constexpr const char* kClassName = "GDeviceFontDescription";
    static constexpr uint32_t kStoredVersion = 2;
    GDeviceFontDescription* CreateNew() const override { return new GDeviceFontDescription; }
    GDeviceFontDescription* Copy() const override { return new GDeviceFontDescription(*this); }

    // Empty names and symbol sets, every number 0.
    GDeviceFontDescription();
    GDeviceFontDescription(const RWCString& faceName, const RWCString& deviceName, int32_t characterSet,
                           const GULongVector& symbolSets, uint16_t weight, int32_t italic, int32_t typeClass,
                           int32_t fixed, int32_t scalable, uint16_t height, uint16_t fontNumber, int32_t format);
    GDeviceFontDescription(const GDeviceFontDescription& other) = default;
    GDeviceFontDescription& operator=(const GDeviceFontDescription& other) = default;
    ~GDeviceFontDescription() override;

    // The same object, or the same class and id with equal names, numbers and symbol
    // sets in the same order.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }

    const RWCString& GetFaceName() const { return faceName_; }
    const RWCString& GetDeviceName() const { return deviceName_; }
    int32_t GetCharacterSet() const { return characterSet_; }
    const GULongVector& GetSymbolSets() const { return symbolSets_; }
    uint16_t GetWeight() const { return weight_; }
    int32_t IsItalic() const { return italic_; }
    int32_t GetTypeClass() const { return typeClass_; }
    int32_t GetFixed() const { return fixed_; }
    // The technology code: non-zero when the font prints at any height.
    int32_t IsScalable() const { return scalable_; }
    uint16_t GetHeight() const { return height_; }
    int32_t GetFormat() const { return format_; }
    uint16_t GetFontNumber() const { return fontNumber_; }

    // Version 2; version 1 ends after the height and reads as font number and format 0.
    // The symbol-set count is checked against the input before anything is allocated.
    auto StoredForm()
    {
        return GVersioned<kStoredVersion, 10, 1>(GFields(faceName_, deviceName_, characterSet_, symbolSets_, weight_,
                                                         italic_, typeClass_, fixed_, scalable_,
                                                         GStoredAs<int16_t>(height_), fontNumber_, format_));
    }
    // Read through a staged copy, so that what an older version lacks reads as 0.
    bool Settle() { return true; }

private:
    RWCString faceName_;
    RWCString deviceName_;
    int32_t characterSet_;
    GULongVector symbolSets_;
    uint16_t weight_;
    int32_t italic_;
    int32_t typeClass_;
    int32_t fixed_;
    int32_t scalable_;
    uint16_t height_;
    uint16_t fontNumber_;
    int32_t format_;
};
