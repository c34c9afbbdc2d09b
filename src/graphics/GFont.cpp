#include "graphics/GFont.h"

#include "graphics/GFontDatabase.h"
#include "graphics/GGlyphSource.h"
#include "graphics/GTextString.h"
#include "model/GCoreServices.h"

#include <algorithm>

namespace {

GGlyphSource* NewGlyphSource()
{
    GCoreServices* services = GCoreServices::Instance();
    return services ? services->CreateGlyphSource() : nullptr;
}

} // namespace

bool operator==(const GFontMetrics& a, const GFontMetrics& b)
{
    return a.valueA == b.valueA && a.valueB == b.valueB && std::equal(a.vertical, a.vertical + 3, b.vertical) &&
           a.italic == b.italic && a.values[0] == b.values[0] && a.values[1] == b.values[1] &&
           a.weight == b.weight && a.symbolSet == b.symbolSet && a.xScale == b.xScale && a.yScale == b.yScale &&
           a.height == b.height && a.words[0] == b.words[0] && a.words[1] == b.words[1] &&
           a.horizontal[0] == b.horizontal[0] && a.horizontal[1] == b.horizontal[1] &&
           a.firstChar == b.firstChar && a.lastChar == b.lastChar && a.defaultChar == b.defaultChar &&
           a.fourthCode == b.fourthCode && a.faceName == b.faceName && a.value == b.value &&
           a.value16 == b.value16;
}

bool operator==(const GFontWriterRecord& a, const GFontWriterRecord& b)
{
    return a.xFactor == b.xFactor && a.yFactor == b.yFactor && a.word == b.word &&
           std::equal(a.values, a.values + 3, b.values) && a.flags == b.flags && a.thirdFactor == b.thirdFactor &&
           a.lastValues[0] == b.lastValues[0] && a.lastValues[1] == b.lastValues[1];
}

GFont::GFont() : GFont(0) {}

GFont::GFont(uint32_t fontFileKey)
    : used_(0), fontFileKey_(fontFileKey), useCounter_(0), fontId_(GFontDatabase::NextFontId()), users_(0),
      glyphSource_(NewGlyphSource()), pending_(nullptr), extraWord_(0), extraValue_(0)
{
}

GFont::GFont(const GFont& other)
    : GStoredLevel(other), used_(0), fontFileKey_(other.fontFileKey_), useCounter_(other.useCounter_),
      fontId_(other.fontId_), users_(0), metrics_(other.metrics_), writer_(other.writer_),
      glyphSource_(NewGlyphSource()), pending_(nullptr), extraWord_(other.extraWord_),
      extraValue_(other.extraValue_)
{
    usedCodes_.AddAll(other.usedCodes_);
}

GFont::~GFont() { delete pending_; }

void GFont::AdoptGlyphSource(GGlyphSource* source) { glyphSource_.reset(source); }

uint32_t GFont::NextUse()
{
    if (useCounter_ != kMaxUse)
        ++useCounter_;
    return useCounter_;
}

bool GFont::DefaultIndex(uint16_t& index)
{
    index = 0;
    return glyphSource_ && glyphSource_->GetGlyphIndex(fontFileKey_, metrics_.defaultChar, index) != 0;
}

int GFont::GetGlyphIndexRange(uint32_t first, uint32_t last, GSharedArray& out)
{
    if (last < first || last - first >= GSharedArray::kMaxCount || !out.Allocate(last - first + 1, 2))
        return 0;
    uint16_t* indices = out.WritableElements<uint16_t>();
    const uint32_t low = std::max<uint32_t>(first, metrics_.firstChar);
    const uint32_t high = std::min<uint32_t>(last, metrics_.lastChar);
    if (first < metrics_.firstChar || last > metrics_.lastChar) {
        uint16_t fallback = 0;
        DefaultIndex(fallback);
        for (uint32_t code = first; code <= last; ++code)
            if (code < low || code > high)
                indices[code - first] = fallback;
    }
    if (low > high)
        return 1;
    return glyphSource_ && glyphSource_->GetGlyphIndices(fontFileKey_, low, high, indices + (low - first)) ? 1 : 0;
}

int GFont::GetGlyphIndices(const GTextString& text, GSharedArray& out)
{
    const uint32_t length = text.GetLength();
    out.Clear();
    if (length == 0)
        return 1;
    if (!out.Allocate(length, 2))
        return 0;
    uint16_t* indices = out.WritableElements<uint16_t>();
    bool looked = false, found = false;
    uint16_t fallback = 0;
    for (uint32_t i = 0; i < length; ++i) {
        if (glyphSource_ && glyphSource_->GetGlyphIndex(fontFileKey_, text.GetChar(i), indices[i]))
            continue;
        if (!looked) {
            found = DefaultIndex(fallback);
            looked = true;
        }
        if (!found)
            return 0;
        indices[i] = fallback;
    }
    return 1;
}

uint32_t GFont::RequestGlyphs(uintptr_t first, uintptr_t second)
{
    return glyphSource_ ? glyphSource_->RequestGlyphs(fontFileKey_, metrics_.height + metrics_.vertical[1], first,
                                                      second)
                        : 0;
}

uint32_t GFont::RequestOutlines(uintptr_t first, uintptr_t second)
{
    return glyphSource_ ? glyphSource_->RequestOutlines(fontFileKey_, metrics_.height + metrics_.vertical[1], first,
                                                        second)
                        : 0;
}

uint32_t GFont::AddTextCodes(const GTextString& text)
{
    for (uint32_t i = 0; i < text.GetLength(); ++i)
        usedCodes_.Add(text.GetChar(i));
    return text.GetLength();
}

int GFont::LoadUsedGlyphs()
{
    usedCodes_.ForEach(
        [](uint32_t code, void* self) {
            GGlyphMetrics metrics = {};
            std::unique_ptr<uint8_t[]> bitmap;
            static_cast<GFont*>(self)->GetGlyphImage(code, 0, metrics, bitmap);
            return 1;
        },
        this);
    return IsReady();
}

void GFont::SetPending(GObjectBase* object)
{
    if (object != pending_)
        delete pending_;
    pending_ = object;
}

GObjectBase* GFont::TakePending()
{
    GObjectBase* pending = pending_;
    pending_ = nullptr;
    return pending;
}

void GFont::Merge(GFont& other)
{
    if (&other == this)
        return;
    usedCodes_.AddAll(other.usedCodes_);
    if (!pending_)
        pending_ = other.TakePending();
}

bool GFont::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GFont* font = GSameClass<GFont>(this, other);
    return font && GObjectBase::IsSame(other) && font->fontId_ == fontId_ && font->useCounter_ == useCounter_ &&
           font->metrics_ == metrics_ && font->writer_ == writer_;
}
