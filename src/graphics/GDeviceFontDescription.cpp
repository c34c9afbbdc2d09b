#include "graphics/GDeviceFontDescription.h"

#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

GDeviceFontDescription::GDeviceFontDescription()
    : characterSet_(0), weight_(0), italic_(0), typeClass_(0), fixed_(0), scalable_(0), height_(0), fontNumber_(0),
      format_(0)
{
}

GDeviceFontDescription::GDeviceFontDescription(const RWCString& faceName, const RWCString& deviceName,
                                               int32_t characterSet, const GULongVector& symbolSets, uint16_t weight,
                                               int32_t italic, int32_t typeClass, int32_t fixed, int32_t scalable,
                                               uint16_t height, uint16_t fontNumber, int32_t format)
    : faceName_(faceName), deviceName_(deviceName), characterSet_(characterSet), symbolSets_(symbolSets),
      weight_(weight), italic_(italic), typeClass_(typeClass), fixed_(fixed), scalable_(scalable), height_(height),
      fontNumber_(fontNumber), format_(format)
{
}

GDeviceFontDescription::~GDeviceFontDescription() {}

bool GDeviceFontDescription::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GDeviceFontDescription* d = GSameClass<GDeviceFontDescription>(this, other);
    return d && GObjectBase::IsSame(other) && d->faceName_ == faceName_ && d->deviceName_ == deviceName_ &&
           d->characterSet_ == characterSet_ && d->weight_ == weight_ && d->italic_ == italic_ &&
           d->typeClass_ == typeClass_ && d->fixed_ == fixed_ && d->scalable_ == scalable_ &&
           d->height_ == height_ && d->format_ == format_ && d->fontNumber_ == fontNumber_ &&
           d->symbolSets_ == symbolSets_;
}

uint32_t GDeviceFontDescription::FieldsSize() const
{
    return 46 + uint32_t(faceName_.Length()) + uint32_t(deviceName_.Length()) + 4 * symbolSets_.Entries();
}

template <class Out>
void GDeviceFontDescription::WriteFields(Out& out) const
{
    GWriteField(out, kStoredVersion);
    GWriteField(out, faceName_);
    GWriteField(out, deviceName_);
    GWriteField(out, characterSet_);
    GWriteField(out, symbolSets_.Entries());
    for (uint32_t code : symbolSets_.Values())
        GWriteField(out, code);
    GWriteField(out, weight_);
    GWriteField(out, italic_);
    GWriteField(out, typeClass_);
    GWriteField(out, fixed_);
    GWriteField(out, scalable_);
    GWriteField(out, int16_t(height_));
    GWriteField(out, fontNumber_);
    GWriteField(out, format_);
}

// Everything is read into a scratch copy, the code count checked against the input
// before anything is allocated for it; the description changes only when every field
// of the stored version arrived.
template <class In>
void GDeviceFontDescription::ReadFields(In& in)
{
    uint32_t version = 0;
    if (!GReadField(in, version) || version == 0 || version > kStoredVersion)
        return;
    GDeviceFontDescription read;
    uint32_t count = 0;
    if (!GReadField(in, read.faceName_) || !GReadField(in, read.deviceName_) ||
        !GReadField(in, read.characterSet_) || !GReadField(in, count) || !GCheckStoredCount(in, count, 4))
        return;
    read.symbolSets_.Reset(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t code = 0;
        if (!GReadField(in, code))
            return;
        read.symbolSets_.Append(code);
    }
    int16_t height = 0;
    if (!GReadField(in, read.weight_) || !GReadField(in, read.italic_) || !GReadField(in, read.typeClass_) ||
        !GReadField(in, read.fixed_) || !GReadField(in, read.scalable_) || !GReadField(in, height))
        return;
    read.height_ = uint16_t(height);
    if (version == kStoredVersion && (!GReadField(in, read.fontNumber_) || !GReadField(in, read.format_)))
        return;
    faceName_ = read.faceName_;
    deviceName_ = read.deviceName_;
    characterSet_ = read.characterSet_;
    symbolSets_ = read.symbolSets_;
    weight_ = read.weight_;
    italic_ = read.italic_;
    typeClass_ = read.typeClass_;
    fixed_ = read.fixed_;
    scalable_ = read.scalable_;
    height_ = read.height_;
    fontNumber_ = read.fontNumber_;
    format_ = read.format_;
}

template void GDeviceFontDescription::ReadFields(RWBinaryFile&);
template void GDeviceFontDescription::ReadFields(RWDataInStream&);
template void GDeviceFontDescription::WriteFields(RWBinaryFile&) const;
template void GDeviceFontDescription::WriteFields(RWDataOutStream&) const;
