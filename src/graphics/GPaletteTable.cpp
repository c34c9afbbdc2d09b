#include "graphics/GPaletteTable.h"

#include "foundation/RWErrorHandler.h"
#include "foundation/RWReadTable.h"
#include "graphics/GRGBColor.h"
#include "model/GStoredCounts.h"

#include <new>

namespace {

const size_t kFirstCapacity = 64;
// The least a stored object reference can take.
const uint32_t kMinReference = 2;

bool IsColor(const RWCollectable* object)
{
    const GObjectBase* model = dynamic_cast<const GObjectBase*>(object);
    return model && model->IsKindOf(GColorBase::kClassId);
}

// The colour's components, through the one conversion every colour offers.
GRGBColor AsRGB(const GColorBase& color)
{
    alignas(GRGBColor) unsigned char storage[sizeof(GRGBColor)];
    color.CopyAsRGB(reinterpret_cast<GRGBColor*>(storage));
    GRGBColor* made = std::launder(reinterpret_cast<GRGBColor*>(storage));
    const GRGBColor rgb(made->GetRed(), made->GetGreen(), made->GetBlue(), made->GetFourthByte());
    made->~GRGBColor();
    return rgb;
}

} // namespace

GPaletteTable::GPaletteTable()
{
    colors_.reserve(kFirstCapacity);
    colors_.push_back(new GRGBColor(255, 255, 255, 255));
    colors_.push_back(new GRGBColor(0, 0, 0, 255));
}

GPaletteTable::GPaletteTable(const std::vector<const GColorBase*>& colors)
{
    colors_.reserve(kFirstCapacity);
    for (const GColorBase* color : colors)
        if (color)
            colors_.push_back(static_cast<GColorBase*>(color->Copy()));
}

GPaletteTable::GPaletteTable(const GPaletteTable& other) : GPersistent(other)
{
    colors_.reserve(kFirstCapacity);
    AppendCopies(other);
}

GPaletteTable& GPaletteTable::operator=(const GPaletteTable& other)
{
    if (this != &other) {
        GPersistent::operator=(other);
        Clear();
        AppendCopies(other);
    }
    return *this;
}

GPaletteTable::~GPaletteTable() { Clear(); }

void GPaletteTable::Clear()
{
    for (GColorBase* color : colors_)
        delete color;
    colors_.clear();
}

void GPaletteTable::AppendCopies(const GPaletteTable& other)
{
    for (const GColorBase* color : other.colors_)
        colors_.push_back(static_cast<GColorBase*>(color->Copy()));
}

bool GPaletteTable::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GPaletteTable* table = GSameClass<GPaletteTable>(this, other);
    if (!table || table->GetId() != GetId() || table->GetCount() != GetCount())
        return false;
    for (size_t i = 0; i < colors_.size(); ++i)
        if (colors_[i]->Differs(table->colors_[i]))
            return false;
    return true;
}

GColorBase* GPaletteTable::GetColor(uint32_t index) const
{
    if (index >= colors_.size()) {
        RWRaiseIndexError(index, colors_.size());
        return nullptr;
    }
    return colors_[index];
}

void GPaletteTable::AddColor(GColorBase* color)
{
    if (color)
        colors_.push_back(color);
}

bool GPaletteTable::IsGray() const
{
    for (const GColorBase* color : colors_) {
        const GRGBColor rgb = AsRGB(*color);
        if (rgb.GetRed() != rgb.GetGreen() || rgb.GetGreen() != rgb.GetBlue())
            return false;
    }
    return true;
}

uint32_t GPaletteTable::StoredSize() const
{
    uint32_t size = 4;
    for (const GColorBase* color : colors_)
        size += color->RecursiveStoreSize();
    return size;
}

template <class Out>
void GPaletteTable::WriteStored(Out& out) const
{
    GWriteField(out, GetCount());
    for (const GColorBase* color : colors_)
        out << static_cast<const RWCollectable*>(color);
}

// Each colour is read as borrowed and claimed as owned only when this read made it: one
// named by a back-reference may belong to another holder (or to this table already), so
// the table keeps a copy of it.
template <class In>
bool GPaletteTable::ReadStored(In& in)
{
    uint32_t count = 0;
    if (!GReadField(in, count) || !GCheckStoredCount(in, count, kMinReference))
        return false;
    std::vector<GColorBase*> read;
    std::vector<uint32_t> madeAt;
    read.reserve(count > kFirstCapacity ? count : kFirstCapacity);
    bool complete = true;
    for (uint32_t i = 0; i < count && complete; ++i) {
        RWReadTable* table = RWReadTable::Current();
        const uint32_t first = table ? table->Entries() : 0;
        RWCollectable* object = RWCollectable::RestoreKindOf(in, IsColor, GColorBase::kClassId, RWHolding::Borrowed);
        GColorBase* color = dynamic_cast<GColorBase*>(object);
        if (!color || RWCollectable::IsBeingRestored(color)) {
            // The nil object, or data that ran out or was refused.
            if (!GObjectBase::RestoreStopped(in))
                GRefuseStored(in);
            complete = false;
            break;
        }
        RWCollectable* made = nullptr;
        if (!table || (table->ObjectAt(first, made) && made == color)) {
            if (table)
                table->Claim(first, RWHolding::Owned);
            madeAt.push_back(first);
            read.push_back(color);
        } else {
            read.push_back(static_cast<GColorBase*>(color->Copy()));
            madeAt.push_back(UINT32_MAX);
        }
    }
    if (!complete) {
        // What this read made names nothing from now on.
        RWReadTable* table = RWReadTable::Current();
        for (size_t i = 0; i < read.size(); ++i) {
            if (table && madeAt[i] != UINT32_MAX)
                table->Vacate(madeAt[i]);
            delete read[i];
        }
        return false;
    }
    Clear();
    colors_.swap(read);
    return true;
}

template bool GPaletteTable::ReadStored(RWBinaryFile&);
template bool GPaletteTable::ReadStored(RWDataInStream&);
template void GPaletteTable::WriteStored(RWBinaryFile&) const;
template void GPaletteTable::WriteStored(RWDataOutStream&) const;
