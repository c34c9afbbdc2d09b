#include "graphics/GFontReference.h"

#include "graphics/GFontDatabase.h"
#include "graphics/GFontOwner.h"
#include "graphics/GTextString.h"

GFontReference::GFontReference() : font_(nullptr), owner_(nullptr) {}

GFontReference::GFontReference(GFont* font, GFontOwner* owner) : font_(font), owner_(owner)
{
    if (font_)
        font_->AddUser();
}

GFontReference::GFontReference(const GFontReference& other)
    : GStoredLevel(other), font_(other.font_), owner_(other.owner_)
{
    if (font_)
        font_->AddUser();
}

GFontReference::~GFontReference() { Drop(); }

void GFontReference::Drop()
{
    GFont* font = font_;
    font_ = nullptr;
    if (!font)
        return;
    if (font->RemoveUser() == 0)
        delete font;
    else
        font->SetExtraValue(0);
}

const RWCString& GFontReference::GetFaceName() const
{
    static const RWCString none;
    return font_ ? font_->GetFaceName() : none;
}

void GFontReference::MarkUsed() const
{
    if (font_)
        font_->MarkUsed();
}

int GFontReference::GetGlyphIndexRange(uint32_t first, uint32_t last, GSharedArray& out)
{
    return font_ ? font_->GetGlyphIndexRange(first, last, out) : 0;
}

int GFontReference::GetGlyphIndices(const GTextString& text, GSharedArray& out)
{
    return font_ ? font_->GetGlyphIndices(text, out) : 0;
}

uint32_t GFontReference::RequestGlyphs(uintptr_t first, uintptr_t second)
{
    return font_ ? font_->RequestGlyphs(first, second) : 0;
}

uint32_t GFontReference::RequestOutlines(uintptr_t first, uintptr_t second)
{
    return font_ ? font_->RequestOutlines(first, second) : 0;
}

uint32_t GFontReference::GetGlyphImage(uint32_t code, uintptr_t argument, GGlyphMetrics& metrics,
                                       std::unique_ptr<uint8_t[]>& bitmap)
{
    bitmap.reset();
    metrics = GGlyphMetrics{0, 0, 0, 0};
    return font_ ? font_->GetGlyphImage(code, argument, metrics, bitmap) : 0;
}

int GFontReference::RegisterText(const GTextString& text, int kind)
{
    if (!font_)
        return 0;
    if (font_->GetWriterFlags() == GFont::kNoRegistration)
        return 1;
    return font_->IsReady() == 1 ? font_->RegisterTextCodes(text, kind) : 0;
}

int GFontReference::RegisterDownloadText(uint32_t value, int kind)
{
    if (!font_)
        return 0;
    if (font_->GetWriterFlags() == GFont::kNoRegistration)
        return 1;
    return font_->IsReady() == 1 ? font_->RegisterDownload(value, kind) : 0;
}

bool GFontReference::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GFontReference* ref = dynamic_cast<const GFontReference*>(other);
    if (!ref || !GObjectBase::IsSame(other))
        return false;
    if (!font_ || !ref->font_)
        return font_ == ref->font_;
    return font_ == ref->font_ || font_->IsSame(ref->font_);
}

template <class Out>
void GFontReference::WriteFields(Out& out) const
{
    if (font_) {
        font_->MarkUsed();
        if (GFontDatabase* database = owner_ ? owner_->GetFontPool() : nullptr)
            database->Add(font_);
    }
    GWriteFields(out, owner_ ? owner_->GetProducerKey() : 0u, font_ ? font_->GetFontId() : kNoFontId,
                 font_ ? font_->GetUseCounter() : 0u);
}

template <class In>
void GFontReference::ReadFields(In& in)
{
    uint32_t key = 0, fontId = 0, useCounter = 0;
    if (!GReadFields(in, key, fontId, useCounter))
        return;
    Drop();
    owner_ = GFontOwner::Find(key);
    GFontDatabase* database = owner_ ? owner_->GetFontPool() : nullptr;
    font_ = database && fontId != kNoFontId ? database->Acquire(fontId, useCounter) : nullptr;
}

template void GFontReference::ReadFields(RWBinaryFile&);
template void GFontReference::ReadFields(RWDataInStream&);
template void GFontReference::WriteFields(RWBinaryFile&) const;
template void GFontReference::WriteFields(RWDataOutStream&) const;
