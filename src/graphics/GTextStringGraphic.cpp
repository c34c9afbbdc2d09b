#include "graphics/GTextStringGraphic.h"

#include "model/GCommandHandler.h"

#include <new>

namespace {

// The advances along one axis from the positions' coordinates; empty when all are equal.
template <class Coordinate>
GSharedArray Advances(const GPoint* positions, uint16_t count, Coordinate coordinate)
{
    bool moves = false;
    for (uint32_t i = 1; i < count && !moves; ++i)
        moves = coordinate(positions[i]) != coordinate(positions[0]);
    GSharedArray advances;
    if (!moves || !advances.Allocate(count, 2))
        return advances;
    int16_t* values = advances.WritableElements<int16_t>();
    for (uint32_t i = 0; i + 1 < count; ++i)
        values[i] = int16_t(coordinate(positions[i + 1]) - coordinate(positions[i]));
    return advances;
}

template <class T>
bool SameOrEqual(const T* a, const T* b)
{
    if (!a || !b)
        return a == b;
    return a == b || a->IsSame(b);
}

template <class T>
T* CopyOf(const T* object)
{
    return object ? static_cast<T*>(object->Copy()) : nullptr;
}

} // namespace

GTextStringGraphic::GTextStringGraphic()
    : font_(nullptr), text_(nullptr), escapements_(nullptr), flags_(0), optionWord_(0), x_(0), y_(0)
{
}

GTextStringGraphic::GTextStringGraphic(GFontReference* font, uint16_t* characters, uint32_t owned,
                                       GEncoding encoding, const GPointArray& positions, uint32_t optionWord,
                                       uint16_t count, GState* state, const long& id)
    : GTextStringGraphic(font, characters, owned, encoding, positions.points, optionWord,
                         uint16_t(positions.points && positions.count < count ? positions.count : count), state, id)
{
}

GTextStringGraphic::GTextStringGraphic(GFontReference* font, uint16_t* characters, uint32_t owned,
                                       GEncoding encoding, const GPoint* positions, uint32_t optionWord,
                                       uint16_t count, GState* state, const long& id)
    : GPersistent(state, id), font_(nullptr), text_(nullptr), escapements_(nullptr), flags_(0),
      optionWord_(optionWord), x_(0), y_(0)
{
    Build(font, characters, owned, encoding, positions, count);
}

void GTextStringGraphic::Build(GFontReference* font, uint16_t* characters, uint32_t owned, GEncoding encoding,
                               const GPoint* positions, uint16_t count)
{
    font_ = font;
    if (!positions)
        count = 0;
    text_ = new (std::nothrow) GTextString(GSharedArray(characters, count, owned), count, 2,
                                           encoding);
    if (count != 0) {
        x_ = positions[0].x;
        y_ = positions[0].y;
    }
    escapements_ = new (std::nothrow)
        GTextEscapements(Advances(positions, count, [](const GPoint& p) { return p.x; }),
                         Advances(positions, count, [](const GPoint& p) { return p.y; }), count);
}

GTextStringGraphic::GTextStringGraphic(const GTextStringGraphic& other)
    : GPersistent(other), font_(CopyOf(other.font_)), text_(CopyOf(other.text_)),
      escapements_(CopyOf(other.escapements_)), flags_(other.flags_), optionWord_(other.optionWord_), x_(other.x_),
      y_(other.y_)
{
}

GTextStringGraphic::~GTextStringGraphic()
{
    delete text_;
    delete escapements_;
    delete font_;
}

void GTextStringGraphic::SetFont(GFontReference* font)
{
    if (font == font_)
        return;
    delete font_;
    font_ = font;
}

void GTextStringGraphic::RegisterText() const
{
    if (font_ && text_)
        font_->RegisterText(*text_, font_->GetCharacterKind());
}

void GTextStringGraphic::Prepare()
{
    GGraphic::Prepare();
    if (!font_ || !text_)
        return;
    RegisterText();
    text_->GetWritableText();
}

int16_t GTextStringGraphic::Execute(GCommandHandler& target) { return target.DrawTextString(*this); }

bool GTextStringGraphic::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GTextStringGraphic* text = GSameClass<GTextStringGraphic>(this, other);
    return text && LikeCommandPart(*text) && text->flags_ == flags_ && text->x_ == x_ && text->y_ == y_ &&
           SameOrEqual<GObjectBase>(font_, text->font_) && SameOrEqual<GObjectBase>(text_, text->text_) &&
           SameOrEqual<GObjectBase>(escapements_, text->escapements_);
}

uint32_t GTextStringGraphic::FieldsSize() const
{
    auto size = [](const RWCollectable* object) { return (object ? object : &RWNilObject)->RecursiveStoreSize(); };
    return 4 + size(font_) + size(text_) + size(escapements_) + 10;
}

template <class Out>
void GTextStringGraphic::WriteFields(Out& out) const
{
    RegisterText();
    GWriteField(out, kGStoredVersion);
    out << static_cast<const RWCollectable*>(font_);
    out << static_cast<const RWCollectable*>(text_);
    out << static_cast<const RWCollectable*>(escapements_);
    GWriteField(out, flags_);
    GWriteField(out, int32_t(optionWord_));
    GWriteField(out, x_);
    GWriteField(out, y_);
}

template <class In>
void GTextStringGraphic::ReadFields(In& in)
{
    uint32_t version = 0;
    if (!GReadField(in, version) || version != kGStoredVersion)
        return;
    std::unique_ptr<GFontReference> font;
    std::unique_ptr<GTextString> text;
    std::unique_ptr<GTextEscapements> escapements;
    GFontReference* readFont = nullptr;
    GTextString* readText = nullptr;
    GTextEscapements* readEscapements = nullptr;
    in >> readFont;
    font.reset(readFont);
    if (GObjectBase::RestoreStopped(in))
        return;
    in >> readText;
    text.reset(readText);
    if (GObjectBase::RestoreStopped(in))
        return;
    in >> readEscapements;
    escapements.reset(readEscapements);
    if (GObjectBase::RestoreStopped(in))
        return;
    uint16_t flags = 0;
    int32_t optionWord = 0;
    int16_t x = 0, y = 0;
    if (!GReadField(in, flags) || !GReadField(in, optionWord) || !GReadField(in, x) || !GReadField(in, y))
        return;
    delete text_;
    delete escapements_;
    delete font_;
    font_ = font.release();
    text_ = text.release();
    escapements_ = escapements.release();
    flags_ = flags;
    optionWord_ = uint32_t(optionWord);
    x_ = x;
    y_ = y;
}

template void GTextStringGraphic::ReadFields(RWBinaryFile&);
template void GTextStringGraphic::ReadFields(RWDataInStream&);
template void GTextStringGraphic::WriteFields(RWBinaryFile&) const;
template void GTextStringGraphic::WriteFields(RWDataOutStream&) const;
