#include "graphics/GBitmap.h"

#include "graphics/GRGBColor.h"

#include <memory>
#include <new>
#include <unordered_map>
#include <vector>

namespace {

bool IsHeldImp(const RWCollectable* object)
{
    const GObjectBase* model = dynamic_cast<const GObjectBase*>(object);
    return model && model->IsKindOf(GBitmapImp::kClassId) && !model->IsEmbedded() &&
           !RWCollectable::IsBeingRestored(object) && !RWCollectable::IsRestoredInPlace(object);
}

const uint32_t kMostIndexedPixels = 32767;
const size_t kMostColors = 256;

} // namespace

GBitmap::GBitmap() {}

GBitmap::GBitmap(const GBitmapInfo& info) : imp_(new GBitmapImp(info)) {}

GBitmap::GBitmap(GBitmapImp* imp) : imp_(imp) {}

GBitmap& GBitmap::operator=(const GBitmap& other)
{
    if (this != &other) {
        GObjectBase::operator=(other);
        imp_ = other.imp_;
    }
    return *this;
}

GBitmap::~GBitmap() {}

bool GBitmap::IsSame(const GObjectBase* other) const
{
    const GBitmap* o = GSameClass<GBitmap>(this, other);
    if (!o || !GObjectBase::IsSame(o))
        return false;
    return GetImp() == o->GetImp() || (GetImp() && o->GetImp() && GetImp()->IsSame(o->GetImp()));
}

void GBitmap::SetPalette(GPaletteTable* palette)
{
    if (GetImp())
        GetImp()->SetPalette(palette);
    else
        delete palette;
}

void GBitmap::SetGrayConverter(GBitmapImp::GrayConverter converter)
{
    if (GetImp())
        GetImp()->SetGrayConverter(converter);
}

void GBitmap::MakeOwnCopy()
{
    if (GetImp())
        GetImp()->MakeOwnCopy();
}

GBitmap GBitmap::ConvertToIndexed() const
{
    if (GetBitsPerPixel() != 24 || IsNull())
        return *this;
    const GBitmapImp& imp = *GetImp();
    const uint32_t width = uint32_t(imp.GetWidth());
    const uint32_t height = uint32_t(imp.GetHeight());
    if (uint64_t(width) * height > kMostIndexedPixels || width * height == 0)
        return *this;
    std::unique_ptr<uint8_t[]> indexes(new (std::nothrow) uint8_t[width * height]);
    if (!indexes)
        return *this;
    std::vector<uint8_t> row(3 * width);
    std::vector<GRGBColor> colors;
    std::unordered_map<uint32_t, uint8_t> found;
    for (uint32_t y = 0; y < height; ++y) {
        imp.GetRow(row.data(), 0, int32_t(width), int32_t(y), kRowRGB);
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = &row[3 * x];
            const uint32_t key = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
            auto at = found.find(key);
            if (at == found.end()) {
                if (colors.size() == kMostColors)
                    return *this;
                at = found.emplace(key, uint8_t(colors.size())).first;
                colors.emplace_back(p[0], p[1], p[2], 0);
            }
            indexes[y * width + x] = at->second;
        }
    }
    std::vector<const GColorBase*> entries;
    for (const GRGBColor& color : colors)
        entries.push_back(&color);
    GBitmapInfo info;
    info.ownsBits = 1;
    info.bits = indexes.release();
    info.bitsSize = width * height;
    info.rowAlignment = 1;
    info.bounds = GRect{0, 0, int16_t(width), int16_t(height)};
    info.bitsPerPixel = 8;
    info.palette = new GPaletteTable(entries);
    return GBitmap(info);
}

uint32_t GBitmap::StoredSize() const
{
    const RWCollectable* held = GetImp();
    return (held ? held : &RWNilObject)->RecursiveStoreSize();
}

template <class Out>
void GBitmap::WriteStored(Out& out) const
{
    out << static_cast<const RWCollectable*>(GetImp());
}

template <class In>
bool GBitmap::ReadStored(In& in)
{
    imp_.Set(nullptr);
    RWCollectable* read = RWCollectable::RestoreKindOf(in, IsHeldImp, GBitmapImp::kClassId, RWHolding::Counted);
    imp_.Set(dynamic_cast<GBitmapImp*>(read));
    return imp_ || !GObjectBase::RestoreStopped(in);
}

template bool GBitmap::ReadStored(RWBinaryFile&);
template bool GBitmap::ReadStored(RWDataInStream&);
template void GBitmap::WriteStored(RWBinaryFile&) const;
template void GBitmap::WriteStored(RWDataOutStream&) const;
