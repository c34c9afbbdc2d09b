// A paper of the user's own size, in one of four length units, and the building of the
// media it stands for at a resolution and orientation, with the printer's margins.
#pragma once

#include "model/GAttribute.h"

#include <cstdint>

class GMedia;

// A width and a height in one unit, or in dots.
struct GSizePair {
    uint32_t width;
    uint32_t height;
};

class GCustomMediaSize : public GPersistent<GCustomMediaSize, GAttribute, 775> {
public:
    static constexpr const char* kClassName = "GCustomMediaSize";
    GCustomMediaSize* CreateNew() const override { return new GCustomMediaSize; }
    GCustomMediaSize* Copy() const override { return new GCustomMediaSize(*this); }

    // The length units.
    enum Unit : uint32_t { kHundredthInch = 0, kMillimetre = 1, kTenThousandthInch = 2, kMicrometre = 3 };

    GCustomMediaSize();
    GCustomMediaSize(uint16_t mediaId, const char* name, uint32_t unit, uint32_t width, uint32_t height,
                     const long& id);
    // From a size in dots: hundredths of an inch at the resolution (0 for a resolution
    // of 0), then converted to the unit.
    GCustomMediaSize(uint16_t mediaId, const char* name, uint16_t xResolution, uint16_t yResolution, uint32_t unit,
                     uint32_t widthDots, uint32_t heightDots, const long& id);
    GCustomMediaSize(const GCustomMediaSize& other) = default;
    GCustomMediaSize& operator=(const GCustomMediaSize& other) = default;
    ~GCustomMediaSize() override;

    // The same class, id, media id and name, and the same size, compared in micrometres
    // when the units differ.
    bool IsSame(const GObjectBase* other) const override;
    // Answers 0; no visitor is called.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    // One length from one unit to another, rounded, halves up; saturates at the largest
    // 32-bit value. Unchanged for the same unit or a unit outside 0..3.
    static uint32_t ConvertUnits(uint32_t value, uint32_t from, uint32_t to);

    void SetId(uint16_t mediaId) { mediaId_ = int16_t(mediaId); }
    void SetName(const RWCString& name) { name_ = name; }
    void SetSize(uint32_t width, uint32_t height);
    void SetAll(uint32_t unit, uint32_t width, uint32_t height);
    void SetAll(uint32_t unit, GSizePair size) { SetAll(unit, size.width, size.height); }
    // Converts the stored size to the new unit.
    void SetUnit(uint32_t unit);

    uint16_t GetId() const { return uint16_t(mediaId_); }
    const RWCString& GetName() const { return name_; }
    uint32_t GetUnit() const { return uint32_t(unit_); }
    GSizePair GetSize() const { return {width_, height_}; }
    GSizePair GetSizeIn(uint32_t unit) const;
    // The size in dots at the resolution, truncated.
    GSizePair GetSizeInPixels(uint16_t xResolution, uint16_t yResolution) const;

    auto StoredForm() { return GFields(mediaId_, name_, unit_, width_, height_); }

private:
    int16_t mediaId_;
    RWCString name_;
    int32_t unit_;
    uint32_t width_;
    uint32_t height_;
};

// The angle brought into 0..359.
uint32_t NormalizeDegrees(int32_t angle);

// A new media for the custom size at the resolution and orientation, owned by the
// caller (null when memory runs out). The margins come from entry 0 of the margin pool
// (feature 959) of the margin tree, else from the margin group (331), else they are 0;
// an extent that the margins would make negative is 0.
GMedia* BuildCustomMedia(const GCustomMediaSize& size, GObjectBase* marginTree, uint16_t xResolution,
                         uint16_t yResolution, uint32_t orientation);
// The resolution (members 323 and 324 of 249) and orientation (265) from the settings.
GMedia* BuildCustomMediaFromSettings(const GCustomMediaSize& size, GObjectBase* settings, GObjectBase* marginTree);
// The orientation from the settings, which are also the margin tree.
GMedia* BuildCustomMediaOriented(const GCustomMediaSize& size, GObjectBase* settings, uint16_t xResolution,
                                 uint16_t yResolution);
