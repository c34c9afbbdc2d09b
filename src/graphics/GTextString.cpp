#include "graphics/GTextString.h"

#include "graphics/GCharCodeMap.h"
#include "model/GStoredCounts.h"
#include "model/GTextConverter.h"

#include <cstring>

GTextString::GTextString() : length_(0), charSize_(0), encoding_(GEncoding::kNone) {}

GTextString::GTextString(GSharedArray&& characters, uint16_t length, int32_t charSize, GEncoding encoding)
    : characters_(std::move(characters)), length_(length), charSize_(charSize), encoding_(encoding)
{
}

GTextString::GTextString(const GTextString& other)
    : GPersistent(other), length_(other.length_), charSize_(other.charSize_), encoding_(other.encoding_)
{
    if (StoredCharBytes() != 0 && !other.characters_.IsEmpty())
        characters_.CopyFrom(other.characters_.GetData(), other.characters_.GetCount(), StoredCharBytes());
}

// The rules, in order: the same encoding copies; target 2 maps 16-bit characters
// through the map; the driver's own encodings give zeros; Unicode to a single-byte
// encoding, anything to Unicode and everything else go through the text converter,
// which takes the encoding code as its character set.
GTextString::GTextString(const GTextString& source, GEncoding target, GCharCodeMap* map)
    : GPersistent(source), length_(source.length_), charSize_(0), encoding_(target)
{
    const GEncoding from = source.encoding_;
    const uint32_t length = length_;
    GTextConverter* converter = nullptr;
    auto convert16 = [&](auto code) -> uint16_t* {
        uint16_t* out = static_cast<uint16_t*>(GSharedArray::NewBuffer(length, 2));
        for (uint32_t i = 0; out && i < length; ++i)
            out[i] = code(source.GetChar(i));
        return out;
    };
    if (target == from) {
        charSize_ = source.charSize_;
        if (StoredCharBytes() != 0 && !source.characters_.IsEmpty())
            characters_.CopyFrom(source.characters_.GetData(), source.characters_.GetCount(), StoredCharBytes());
        return;
    }
    if (target == GEncoding::kCompact) {
        charSize_ = source.charSize_;
        if (charSize_ == 1 && !source.characters_.IsEmpty())
            characters_.CopyFrom(source.characters_.GetData(), source.characters_.GetCount(), 1);
        else if (charSize_ == 2 && map)
            characters_ = GSharedArray(convert16([&](uint16_t c) { return map->Map(c); }), length, 1);
        return;
    }
    if (from == GEncoding::kDriver || from == GEncoding::kCompact || target == GEncoding::kDriver) {
        charSize_ = 1;
        characters_.Allocate(length, 1);
        return;
    }
    converter = GetTextConverter();
    if (from == GEncoding::kUnicode && IsSingleByteEncoding(target)) {
        charSize_ = 1;
        uint8_t* out = static_cast<uint8_t*>(GSharedArray::NewBuffer(length, 1));
        for (uint32_t i = 0; out && i < length; ++i)
            out[i] = converter->ToNarrow(source.GetChar(i), uint8_t(EncodingCode(target)));
        characters_ = GSharedArray(out, length, 1);
        return;
    }
    charSize_ = 2;
    if (target == GEncoding::kUnicode)
        characters_ = GSharedArray(
            convert16([&](uint16_t c) { return converter->ToWide(uint8_t(c), uint8_t(EncodingCode(from))); }),
            length, 1);
    else
        characters_ = GSharedArray(
            convert16([&](uint16_t c) { return uint16_t(converter->ToNarrow(c, uint8_t(EncodingCode(target)))); }),
            length, 1);
}

GTextString::~GTextString() {}

uint16_t GTextString::GetChar(uint32_t i) const
{
    if (i >= length_ || i >= characters_.GetCount() || characters_.IsEmpty())
        return 0;
    if (charSize_ == 1)
        return characters_.Elements<uint8_t>()[i];
    if (charSize_ == 2)
        return characters_.Elements<uint16_t>()[i];
    return 0;
}

void* GTextString::GetWritableText()
{
    if (StoredCharBytes() == 0 || !characters_.MakeOwned(StoredCharBytes()))
        return nullptr;
    return characters_.IsEmpty() ? nullptr : const_cast<void*>(characters_.GetData());
}

bool GTextString::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GTextString* text = GSameClass<GTextString>(this, other);
    if (!text || !GObjectBase::IsSame(other) || text->length_ != length_ || text->charSize_ != charSize_ ||
        text->encoding_ != encoding_)
        return false;
    if (characters_.IsEmpty() || text->characters_.IsEmpty())
        return characters_.IsEmpty() == text->characters_.IsEmpty();
    for (uint32_t i = 0; i < length_; ++i)
        if (GetChar(i) != text->GetChar(i))
            return false;
    return true;
}

uint32_t GTextString::FieldsSize() const { return 14 + uint32_t(length_) * StoredCharBytes(); }

template <class Out>
void GTextString::WriteFields(Out& out) const
{
    GWriteFields(out, length_, charSize_, EncodingCode(encoding_));
    if (charSize_ == 1) {
        for (uint32_t i = 0; i < length_; ++i)
            GWriteField(out, static_cast<unsigned char>(GetChar(i)));
    } else if (charSize_ == 2) {
        for (uint32_t i = 0; i < length_; ++i)
            GWriteField(out, GetChar(i));
    }
}

template <class In>
void GTextString::ReadFields(In& in)
{
    uint16_t length = 0;
    int32_t charSize = 0;
    int32_t encoding = 0;
    if (!GReadFields(in, length, charSize, encoding))
        return;
    const uint32_t bytes = charSize == 1 || charSize == 2 ? uint32_t(charSize) : 0;
    if (bytes != 0 && !GCheckStoredCount(in, length, bytes))
        return;
    GSharedArray characters;
    if (bytes != 0 && length != 0 && !characters.Allocate(length, bytes)) {
        GRefuseStored(in);
        return;
    }
    for (uint32_t i = 0; i < length && bytes != 0; ++i) {
        bool arrived;
        if (bytes == 1) {
            unsigned char c = 0;
            arrived = GReadField(in, c);
            characters.WritableElements<uint8_t>()[i] = c;
        } else {
            uint16_t c = 0;
            arrived = GReadField(in, c);
            characters.WritableElements<uint16_t>()[i] = c;
        }
        if (!arrived)
            return;
    }
    characters_ = std::move(characters);
    length_ = length;
    charSize_ = charSize;
    encoding_ = ToEncoding(encoding);
}

template void GTextString::ReadFields(RWBinaryFile&);
template void GTextString::ReadFields(RWDataInStream&);
template void GTextString::WriteFields(RWBinaryFile&) const;
template void GTextString::WriteFields(RWDataOutStream&) const;
