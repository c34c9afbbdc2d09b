#include "printer/GMedia.h"

#include "printer/GPeripheral.h"

#include <cstring>

GMedia::GMedia()
    : width_(0), height_(0), extentWidth_(0), extentHeight_(0), originX_(0), originY_(0), orientation_(0),
      xResolution_(600), yResolution_(600), extraWord_(0), mediaId_(0)
{
}

GMedia::GMedia(const char* name, GMediaPair paper, GMediaPair extent, GMediaPair origin, uint32_t orientation,
               uint16_t mediaId, uint16_t xResolution, uint16_t yResolution, const long& id, uint16_t extraWord,
               const char* firstString, const char* secondString)
    : GPersistent(id), name_(name ? name : ""), width_(int16_t(paper.x)), height_(int16_t(paper.y)),
      extentWidth_(int16_t(extent.x)), extentHeight_(int16_t(extent.y)), originX_(int16_t(origin.x)),
      originY_(int16_t(origin.y)), orientation_(int32_t(orientation)), xResolution_(xResolution),
      yResolution_(yResolution), extraWord_(extraWord), firstString_(firstString ? firstString : ""),
      secondString_(secondString ? secondString : ""), mediaId_(int16_t(mediaId))
{
}

GMedia::~GMedia() {}

GMediaRect GMedia::GetImageableRect() const
{
    const GMediaPair end = GetImageableEnd();
    return {uint16_t(originX_), uint16_t(originY_), end.x, end.y};
}

GMediaPair GMedia::GetImageableEnd() const
{
    return {uint16_t(originX_ + extentWidth_), uint16_t(originY_ + extentHeight_)};
}

GMediaPair GMedia::GetFarMargins() const
{
    return {uint16_t(width_ - originX_ - extentWidth_), uint16_t(height_ - originY_ - extentHeight_)};
}

int16_t GMedia::ApplyTo(GAttributeVisitor& visitor)
{
    GPeripheral* peripheral = dynamic_cast<GPeripheral*>(&visitor);
    return peripheral ? peripheral->ApplyMedia(*this) : 0;
}

uint16_t MediaTypeNameToCode(const RWCString& name)
{
    static const struct {
        const char* name;
        uint16_t code;
    } kMediaTypes[] = {
        {"Plain", 89},        {"Preprinted", 90},  {"Letterhead", 88},  {"Transparency", 94},
        {"Prepunched", 91},   {"Labels", 87},      {"Bond", 84},        {"Recycled", 92},
        {"Color", 86},        {"Card Stock", 85},  {"Rough", 93},       {"Vellum", 95},
        {"Heavy", 96},        {"Glossy", 97},      {"Gloss", 97},       {"28lb Type1", 98},
        {"28 lb Type1", 98},  {"28lb Type2", 99},  {"28 lb Type2", 99}, {"Envelope", 100},
    };
    for (const auto& entry : kMediaTypes) {
        const size_t length = std::strlen(entry.name);
        if (name.Length() == length && std::memcmp(name.Data(), entry.name, length) == 0)
            return entry.code;
    }
    return 83;
}
