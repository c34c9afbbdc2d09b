#include "graphics/GDownloadFace.h"

#include "model/GCommandHandler.h"

#include <cstring>
#include <memory>

GDownloadFace::GDownloadFace() : GDownloadFace(nullptr, 0) {}

GDownloadFace::GDownloadFace(GFontReference* font, uint32_t value)
    : font_(font), value_(value), number_(0), faceName_{}, word_(0)
{
}

GDownloadFace::GDownloadFace(const GDownloadFace& other)
    : GPersistent(other), font_(other.font_ ? static_cast<GFontReference*>(other.font_->Copy()) : nullptr),
      value_(other.value_), number_(0), faceName_{}, word_(0)
{
}

GDownloadFace::~GDownloadFace() { delete font_; }

void GDownloadFace::RegisterDownload() const
{
    if (font_)
        font_->RegisterDownloadText(value_, font_->GetCharacterKind());
}

void GDownloadFace::Prepare()
{
    GCommand::Prepare();
    RegisterDownload();
}

int16_t GDownloadFace::Execute(GCommandHandler& target) { return target.DownloadFace(*this); }

bool GDownloadFace::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GDownloadFace* face = GSameClass<GDownloadFace>(this, other);
    if (!face || face->value_ != value_)
        return false;
    if (!font_ || !face->font_)
        return font_ == face->font_;
    return font_ == face->font_ || font_->IsEqual(face->font_);
}

bool GDownloadFace::IsEqual(const RWCollectable* other) const
{
    const GObjectBase* object = dynamic_cast<const GObjectBase*>(other);
    return object && IsSame(object);
}

int GDownloadFace::SetFont(GFontReference* font)
{
    if (font != font_) {
        delete font_;
        font_ = font;
    }
    return 1;
}

int GDownloadFace::SetFaceName(const char* name)
{
    const size_t length = name ? strnlen(name, kMaxFaceName) : 0;
    std::memcpy(faceName_, name ? name : "", length);
    faceName_[length] = '\0';
    return 1;
}

uint32_t GDownloadFace::FieldsSize() const
{
    return 4 + (font_ ? static_cast<const RWCollectable*>(font_) : &RWNilObject)->RecursiveStoreSize() + 4;
}

template <class Out>
void GDownloadFace::WriteFields(Out& out) const
{
    RegisterDownload();
    GWriteField(out, kGStoredVersion);
    out << static_cast<const RWCollectable*>(font_);
    GWriteField(out, int32_t(value_));
}

template <class In>
void GDownloadFace::ReadFields(In& in)
{
    uint32_t version = 0;
    if (!GReadField(in, version) || version != kGStoredVersion)
        return;
    GFontReference* read = nullptr;
    in >> read;
    std::unique_ptr<GFontReference> font(read);
    int32_t value = 0;
    if (GObjectBase::RestoreStopped(in) || !GReadField(in, value))
        return;
    SetFont(font.release());
    value_ = uint32_t(value);
}

template void GDownloadFace::ReadFields(RWBinaryFile&);
template void GDownloadFace::ReadFields(RWDataInStream&);
template void GDownloadFace::WriteFields(RWBinaryFile&) const;
template void GDownloadFace::WriteFields(RWDataOutStream&) const;
