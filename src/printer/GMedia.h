// One paper as the output stages use it: its size, the imageable area inside it and the
// orientation of the page image, in device dots at a given resolution. The second string
// names the media type, which MediaTypeNameToCode turns into its value code.
#pragma once

#include "model/GAttribute.h"

#include <cstdint>

// Two 16-bit values: a width and height, or an x and y.
struct GMediaPair {
    uint16_t x;
    uint16_t y;
};

// Four 16-bit values: left, top, right and bottom.
struct GMediaRect {
    uint16_t left;
    uint16_t top;
    uint16_t right;
    uint16_t bottom;
};

class GMedia : public GPersistent<GMedia, GAttribute, 1002> {
public:
    static constexpr const char* kClassName = "GMedia";
    GMedia* CreateNew() const override { return new GMedia; }
    GMedia* Copy() const override { return new GMedia(*this); }

    GMedia();
    // A null string leaves that string empty.
    GMedia(const char* name, GMediaPair paper, GMediaPair extent, GMediaPair origin, uint32_t orientation,
           uint16_t mediaId, uint16_t xResolution, uint16_t yResolution, const long& id, uint16_t extraWord,
           const char* firstString, const char* secondString);
    GMedia(const GMedia& other) = default;
    GMedia& operator=(const GMedia& other) = default;
    ~GMedia() override;

    // The same object, or the same class, id and every field.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    // The peripheral's ApplyMedia; 0 for a visitor that is no peripheral.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    const RWCString& GetName() const { return name_; }
    GMediaPair GetPaperSize() const { return {uint16_t(width_), uint16_t(height_)}; }
    GMediaPair GetImageableExtent() const { return {uint16_t(extentWidth_), uint16_t(extentHeight_)}; }
    GMediaPair GetImageableOrigin() const { return {uint16_t(originX_), uint16_t(originY_)}; }
    GMediaRect GetImageableRect() const;
    GMediaPair GetImageableEnd() const;
    GMediaPair GetFarMargins() const;
    uint32_t GetOrientation() const { return uint32_t(orientation_); }
    uint16_t GetUnitsX() const { return xResolution_; }
    uint16_t GetUnitsY() const { return yResolution_; }
    uint16_t GetExtraWord() const { return extraWord_; }
    const RWCString& GetFirstString() const { return firstString_; }
    const RWCString& GetSecondString() const { return secondString_; }
    uint16_t GetMediaId() const { return uint16_t(mediaId_); }
    void SetExtraWord(uint16_t word) { extraWord_ = word; }
    void SetFirstString(const RWCString& text) { firstString_ = text; }
    void SetSecondString(const RWCString& text) { secondString_ = text; }
    void SetMediaId(uint16_t mediaId) { mediaId_ = int16_t(mediaId); }
    void SetPaperSize(GMediaPair size) { width_ = int16_t(size.x), height_ = int16_t(size.y); }
    void SetOrientation(uint32_t degrees) { orientation_ = decltype(orientation_)(degrees); }
    void SetImageableArea(GMediaPair origin, GMediaPair extent)
    {
        originX_ = int16_t(origin.x), originY_ = int16_t(origin.y);
        extentWidth_ = int16_t(extent.x), extentHeight_ = int16_t(extent.y);
    }

    auto StoredForm()
    {
        return GFields(name_, width_, height_, extentWidth_, extentHeight_, originX_, originY_, orientation_,
                       xResolution_, yResolution_, extraWord_, firstString_, secondString_, mediaId_);
    }

private:
    RWCString name_;
    int16_t width_;
    int16_t height_;
    int16_t extentWidth_;
    int16_t extentHeight_;
    int16_t originX_;
    int16_t originY_;
    int32_t orientation_;
    uint16_t xResolution_;
    uint16_t yResolution_;
    uint16_t extraWord_;
    RWCString firstString_;
    RWCString secondString_;
    int16_t mediaId_;
};

// The extension interface's value code of a media-type name: exact comparison, 83 for
// a name the table does not hold.
uint16_t MediaTypeNameToCode(const RWCString& name);
