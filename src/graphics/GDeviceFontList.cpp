#include "graphics/GDeviceFontList.h"

#include "model/GPersistableULong.h"
#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

namespace {

GObjectBase* CopyOfDictionary(const GCountedRef& dictionary)
{
    return dictionary ? new MAssociationList(static_cast<const MAssociationList&>(*dictionary)) : nullptr;
}

bool SameDictionary(const GCountedRef& a, const GCountedRef& b)
{
    if (!a || !b)
        return !a && !b;
    return a->IsSame(b.Get());
}

const GDeviceFontDescription* Lookup(const GCountedRef& dictionary, uint32_t key)
{
    if (!dictionary)
        return nullptr;
    const GPersistableULong wanted(key);
    const GObjectBase* value = static_cast<MAssociationList&>(*dictionary).GetValue(&wanted);
    return value && value->IsKindOf(GDeviceFontDescription::kClassId)
               ? static_cast<const GDeviceFontDescription*>(value)
               : nullptr;
}

uint32_t ReferenceSize(const GCountedRef& ref)
{
    const RWCollectable* held = ref.Get();
    return (held ? held : &RWNilObject)->RecursiveStoreSize();
}

// A dictionary read back is kept only when it is an association list.
template <class In>
bool ReadDictionary(In& in, GCountedRef& dictionary)
{
    if (!GFormRead(in, dictionary))
        return false;
    if (dictionary && !dictionary->IsKindOf(MAssociationList::kClassId))
        dictionary.Set(nullptr);
    return true;
}

} // namespace

GDeviceFontList::GDeviceFontList() : stamp_(0) {}
GDeviceFontList::GDeviceFontList(const long& deviceCode) : GPersistent(deviceCode), stamp_(0) {}

GDeviceFontList::GDeviceFontList(const GDeviceFontList& other) : GPersistent(other), stamp_(0) { *this = other; }

GDeviceFontList& GDeviceFontList::operator=(const GDeviceFontList& other)
{
    if (this != &other) {
        GObjectBase::operator=(other);
        byNumber_.Set(CopyOfDictionary(other.byNumber_));
        byKey_.Set(CopyOfDictionary(other.byKey_));
        descriptions_.clear();
        for (const auto& description : other.descriptions_)
            Add(*description);
        stamp_ = other.stamp_;
    }
    return *this;
}

GDeviceFontList::~GDeviceFontList() {}

bool GDeviceFontList::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GDeviceFontList* list = GSameClass<GDeviceFontList>(this, other);
    if (!list || !GObjectBase::IsSame(other) || !SameDictionary(byNumber_, list->byNumber_) ||
        !SameDictionary(byKey_, list->byKey_) || list->descriptions_.size() != descriptions_.size())
        return false;
    for (size_t i = 0; i < descriptions_.size(); ++i)
        if (!descriptions_[i]->IsSame(list->descriptions_[i].get()))
            return false;
    return true;
}

void GDeviceFontList::Add(const GDeviceFontDescription& description)
{
    descriptions_.emplace_back(new GDeviceFontDescription(description));
}

int GDeviceFontList::GetAt(uint32_t index, GDeviceFontDescription& out) const
{
    if (index >= descriptions_.size())
        return 0;
    out = *descriptions_[index];
    return 1;
}

int GDeviceFontList::FindFirstThat(Predicate predicate, void* argument, const GDeviceFontDescription** found) const
{
    for (const auto& description : descriptions_)
        if (predicate && predicate(*description, argument)) {
            if (found)
                *found = description.get();
            return 1;
        }
    return 0;
}

const GDeviceFontDescription* GDeviceFontList::FindByFontNumber(uint16_t fontNumber) const
{
    return Lookup(byNumber_, fontNumber);
}

const GDeviceFontDescription* GDeviceFontList::FindByKey(uint32_t key) const { return Lookup(byKey_, key); }

void GDeviceFontList::Clear()
{
    descriptions_.clear();
    stamp_ = 0;
    byNumber_.Set(nullptr);
    byKey_.Set(nullptr);
}

uint32_t GDeviceFontList::FieldsSize() const
{
    uint32_t size = 8;
    for (const auto& description : descriptions_)
        size += description->RecursiveStoreSize();
    return size + 4 + ReferenceSize(byNumber_) + ReferenceSize(byKey_);
}

template <class Out>
void GDeviceFontList::WriteFields(Out& out) const
{
    GWriteField(out, kStoredVersion);
    GWriteField(out, uint32_t(descriptions_.size()));
    for (const auto& description : descriptions_)
        description->RecursiveSaveOn(out);
    GWriteField(out, stamp_);
    GFormWrite(out, byNumber_);
    GFormWrite(out, byKey_);
}

// The count is checked against the input first (a description takes at least its
// class word); the list changes only when every part of the stored version arrived.
template <class In>
void GDeviceFontList::ReadFields(In& in)
{
    uint32_t version = 0, count = 0;
    if (!GReadField(in, version) || version == 0 || version > kStoredVersion || !GReadField(in, count) ||
        !GCheckStoredCount(in, count, 2))
        return;
    // Each description is read in place into the object the list will keep: the
    // restore remembers it, so it must outlive the rest of the read.
    std::vector<std::unique_ptr<GDeviceFontDescription>> read;
    for (uint32_t i = 0; i < count; ++i) {
        read.emplace_back(new GDeviceFontDescription);
        RWCollectable::RecursiveRestoreFrom(in, read.back().get());
        if (GObjectBase::RestoreStopped(in))
            return;
    }
    uint32_t stamp = 0;
    GCountedRef byNumber, byKey;
    if (version >= 2 && !GReadField(in, stamp))
        return;
    if (version >= 3 && (!ReadDictionary(in, byNumber) || !ReadDictionary(in, byKey)))
        return;
    descriptions_.swap(read);
    stamp_ = stamp;
    byNumber_ = byNumber;
    byKey_ = byKey;
}

template void GDeviceFontList::ReadFields(RWBinaryFile&);
template void GDeviceFontList::ReadFields(RWDataInStream&);
template void GDeviceFontList::WriteFields(RWBinaryFile&) const;
template void GDeviceFontList::WriteFields(RWDataOutStream&) const;
