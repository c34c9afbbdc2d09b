#include "model/GCountedPtrVector.h"

#include "foundation/RWErrorHandler.h"
#include "model/GMemberKey.h"
#include "model/GObjectBase.h"
#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

#include <algorithm>
#include <new>

GCountedPtr* GCountedPtrVector::NewSlots(uint32_t n)
{
    return n ? new (std::nothrow) GCountedPtr[n] : nullptr;
}

GCountedPtrVector::GCountedPtrVector(uint32_t capacity)
    : capacity_(0), slots_(NewSlots(capacity)), count_(0), memberKind_(GObjectBase::kClassId)
{
    if (slots_)
        capacity_ = capacity;
}

GCountedPtrVector::GCountedPtrVector(const GCountedPtrVector& other)
    : capacity_(0), slots_(NewSlots(other.capacity_)), count_(0), memberKind_(other.memberKind_)
{
    if (!slots_)
        return;
    capacity_ = other.capacity_;
    count_ = other.count_;
    std::copy(other.slots_, other.slots_ + count_, slots_);
}

GCountedPtrVector& GCountedPtrVector::operator=(const GCountedPtrVector& other)
{
    if (this == &other)
        return *this;
    GCountedPtrVector copy(other);
    if (other.capacity_ && !copy.slots_)
        return *this;
    std::swap(capacity_, copy.capacity_);
    std::swap(slots_, copy.slots_);
    std::swap(count_, copy.count_);
    return *this;
}

GCountedPtrVector::~GCountedPtrVector() { delete[] slots_; }

bool GCountedPtrVector::Resize(uint32_t n)
{
    if (n == capacity_)
        return true;
    GCountedPtr* slots = NewSlots(n);
    if (n && !slots)
        return false;
    const uint32_t kept = std::min(count_, n);
    for (uint32_t i = 0; i < kept; ++i)
        slots[i].Swap(slots_[i]);
    delete[] slots_;
    slots_ = slots;
    capacity_ = n;
    count_ = kept;
    return true;
}

bool GCountedPtrVector::MakeRoom()
{
    if (count_ < capacity_)
        return true;
    // A slot array can never hold more entries than the address space has room for.
    const uint32_t limit = uint32_t(0x7FFFFFFF / sizeof(GCountedPtr));
    if (count_ >= limit - kGrowth)
        return false;
    return Resize(count_ + kGrowth);
}

bool GCountedPtrVector::Append(GObjectBase* object)
{
    if (!MakeRoom())
        return false;
    slots_[count_++] = object;
    return true;
}

bool GCountedPtrVector::InsertAt(uint32_t index, GObjectBase* object)
{
    if (index > count_) {
        CheckIndex(index - 1);
        return false;
    }
    if (!MakeRoom())
        return false;
    slots_[count_] = object;
    for (uint32_t i = count_; i > index; --i)
        slots_[i].Swap(slots_[i - 1]);
    ++count_;
    return true;
}

GCountedPtr GCountedPtrVector::RemoveAt(uint32_t index)
{
    GCountedPtr removed;
    if (!CheckIndex(index))
        return removed;
    for (uint32_t i = index; i + 1 < count_; ++i)
        slots_[i].Swap(slots_[i + 1]);
    removed.Swap(slots_[--count_]);
    return removed;
}

bool GCountedPtrVector::CheckIndex(uint32_t index) const
{
    if (index < count_)
        return true;
    RWRaiseBounds(RWMessageIndexError(), unsigned(index), unsigned(count_));
    return false;
}

GObjectBase* GCountedPtrVector::At(uint32_t index) const
{
    return CheckIndex(index) ? slots_[index].Get() : nullptr;
}

int32_t GCountedPtrVector::IndexOf(const GObjectBase* object) const
{
    for (uint32_t i = 0; i < count_; ++i)
        if (slots_[i].Get() == object)
            return int32_t(i);
    return -1;
}

void GCountedPtrVector::RemoveAll()
{
    // Members are released last first, with the count already down, so a member's
    // destructor never sees a half-emptied vector.
    while (count_)
        slots_[--count_] = nullptr;
    Resize(kGrowth);
}

GObjectBase* GCountedPtrVector::Find(const GMemberKey& key) const
{
    for (uint32_t i = 0; i < count_; ++i) {
        GObjectBase* member = slots_[i].Get();
        if (key.Matches(member))
            return member;
        if (GObjectBase* found = key.FindIn(member))
            return found;
    }
    return nullptr;
}

GObjectBase* GCountedPtrVector::Remove(const GMemberKey& key)
{
    for (uint32_t i = 0; i < count_; ++i) {
        GObjectBase* member = slots_[i].Get();
        if (key.Matches(member))
            return GObjectBase::HandOut(RemoveAt(i).Detach());
        if (GObjectBase* removed = key.RemoveFrom(member))
            return removed;
    }
    return nullptr;
}

int GCountedPtrVector::Replace(const GMemberKey& key, const GObjectBase* newObject)
{
    if (!newObject)
        return 0;
    for (uint32_t i = 0; i < count_; ++i) {
        GObjectBase* member = slots_[i].Get();
        if (key.Matches(member)) {
            GObjectBase* copy = newObject->DeepCopy();
            if (!copy)
                return 0;
            slots_[i] = copy;
            return 1;
        }
        if (key.ReplaceIn(member, newObject))
            return 1;
    }
    return 0;
}

GObjectBase* GCountedPtrVector::Collect(const GMemberKey& key, GObjectBase* into) const
{
    for (uint32_t i = 0; i < count_ && into; ++i)
        into = key.CollectFrom(slots_[i].Get(), into);
    return into;
}

uint32_t GCountedPtrVector::MemberTotals() const
{
    uint32_t total = 0;
    for (uint32_t i = 0; i < count_; ++i)
        total += slots_[i]->TotalEntries();
    return total;
}

bool GCountedPtrVector::SameMembers(const GCountedPtrVector& other) const
{
    if (count_ != other.count_)
        return false;
    for (uint32_t i = 0; i < count_; ++i)
        if (slots_[i]->Differs(other.slots_[i].Get()))
            return false;
    return true;
}

namespace {

template <class Out>
void SaveMembers(Out& out, const GCountedPtr* slots, uint32_t count)
{
    GWriteField(out, count);
    for (uint32_t i = 0; i < count; ++i)
        out << static_cast<const RWCollectable*>(slots[i].Get());
}

} // namespace

void GCountedPtrVector::SaveOn(RWBinaryFile& file) const { SaveMembers(file, slots_, count_); }
void GCountedPtrVector::SaveOn(RWDataOutStream& stream) const { SaveMembers(stream, slots_, count_); }

template <class In>
void GCountedPtrVector::RestoreMembers(In& in)
{
    RemoveAll();
    uint32_t count = 0;
    if (!GReadField(in, count))
        return;
    for (uint32_t i = 0; i < count && !GObjectBase::RestoreStopped(in); ++i) {
        GObjectBase* member = GObjectBase::RestoreHeld(in, memberKind_);
        if (member && !Append(member)) {
            // No room: the member is let go of, and the read ends so that nothing
            // later in the data can refer back to it.
            GRefuseStored(in);
            GObjectBase::Drop(member);
        }
    }
}

void GCountedPtrVector::RestoreFrom(RWBinaryFile& file) { RestoreMembers(file); }
void GCountedPtrVector::RestoreFrom(RWDataInStream& stream) { RestoreMembers(stream); }

uint32_t GCountedPtrVector::StoreSize() const
{
    uint32_t size = 4;
    for (uint32_t i = 0; i < count_; ++i)
        size += slots_[i]->RecursiveStoreSize();
    return size;
}
