#include "model/GEnumAttribute.h"

#include "foundation/RWThreadContext.h"
#include "model/GAttributeVisitor.h"
#include "model/GCountedPtrVectorIterator.h"
#include "model/GStoredFields.h"

#include <new>

namespace {

// The members of the enumeration whose current choice is being read on this thread.
const RWThreadSlot<const GCountedPtrVector> t_choices;

bool IsChoice(const RWCollectable* object)
{
    const GObjectBase* choice = dynamic_cast<const GObjectBase*>(object);
    const GCountedPtrVector* choices = t_choices.Get();
    return choice && choices && choices->IndexOf(choice) >= 0;
}

// Reads a stored current choice: one of the members, or null.
template <class In>
GObjectBase* RestoreChoice(In& in, const GCountedPtrVector& choices)
{
    const GCountedPtrVector* outer = t_choices.Get();
    t_choices.Set(&choices);
    RWCollectable* choice = RWCollectable::RestoreKindOf(in, IsChoice, RWNoClassId, RWHolding::Borrowed);
    t_choices.Set(outer);
    return static_cast<GObjectBase*>(choice);
}

} // namespace

GEnumAttribute::GEnumAttribute() : current_(nullptr), choiceClassId_(0) {}
GEnumAttribute::GEnumAttribute(const long& id) : GPersistent(id), current_(nullptr), choiceClassId_(0) {}

GEnumAttribute::GEnumAttribute(const GEnumAttribute& other)
    : GPersistent(other), current_(other.current_), choiceClassId_(other.choiceClassId_)
{
}

GEnumAttribute& GEnumAttribute::operator=(const GEnumAttribute& other)
{
    if (this != &other && Differs(&other)) {
        GAttributeComposite::operator=(other);
        current_ = other.current_;
        choiceClassId_ = other.choiceClassId_;
    }
    return *this;
}

GEnumAttribute::~GEnumAttribute() {}

uint32_t GEnumAttribute::FieldsSize() const
{
    const RWCollectable* current = current_ ? static_cast<const RWCollectable*>(current_) : &RWNilObject;
    return 4 + current->RecursiveStoreSize() + 2;
}

template <class In>
void GEnumAttribute::ReadFields(In& in)
{
    // The members were read again (or kept): the old current choice may be gone.
    if (members_.IndexOf(current_) < 0)
        current_ = nullptr;
    uint32_t version = 0;
    if (!GReadField(in, version) || version != kGStoredVersion)
        return;
    GObjectBase* current = RestoreChoice(in, members_);
    RWClassID choiceClassId = 0;
    if (GObjectBase::RestoreStopped(in) || !GReadField(in, choiceClassId))
        return;
    current_ = current;
    choiceClassId_ = choiceClassId;
}

template <class Out>
void GEnumAttribute::WriteFields(Out& out) const
{
    GWriteFields(out);
    out << static_cast<const RWCollectable*>(current_);
    GWriteField(out, choiceClassId_);
}

bool GEnumAttribute::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GEnumAttribute* enumeration = GSameClass<GEnumAttribute>(this, other);
    if (!enumeration || !GAttributeComposite::IsSame(other) || enumeration->choiceClassId_ != choiceClassId_)
        return false;
    if (!current_ || !enumeration->current_)
        return !current_ && !enumeration->current_;
    return current_->IsSame(enumeration->current_);
}

void GEnumAttribute::Add(GObjectBase* choice)
{
    if (!choice || choice == this)
        return;
    const bool refused = !choice->IsKindOf(GAttribute::kClassId) ||
                         (choiceClassId_ != 0 && choice->ClassId() != choiceClassId_) || FindChoice(choice);
    if (refused) {
        GObjectBase::Drop(choice);
        return;
    }
    if (!Adopt(choice))
        return;
    if (choiceClassId_ == 0)
        choiceClassId_ = choice->ClassId();
    if (!current_)
        current_ = choice;
}

GObjectBase* GEnumAttribute::Remove(const GObjectBase* object)
{
    GObjectBase* removed = GAttributeComposite::Remove(object);
    if (removed)
        FollowCurrent(-1);
    return removed;
}

GObjectBase* GEnumAttribute::RemoveById(const long& id) { return Remove(FindById(id)); }
GObjectBase* GEnumAttribute::RemoveByClassId(const RWClassID& classId) { return Remove(FindByClassId(classId)); }

template <class Change>
auto GEnumAttribute::FollowingCurrent(Change change) -> decltype(change())
{
    const int32_t slot = CurrentSlot();
    auto answer = change();
    FollowCurrent(slot);
    return answer;
}

int GEnumAttribute::ReplaceById(const long& id, const GObjectBase* newObject)
{
    return FollowingCurrent([&] { return GAttributeComposite::ReplaceById(id, newObject); });
}

int GEnumAttribute::ReplaceByClassId(const RWClassID& classId, const GObjectBase* newObject)
{
    return FollowingCurrent([&] { return GAttributeComposite::ReplaceByClassId(classId, newObject); });
}

int GEnumAttribute::Replace(const GObjectBase* member, const GObjectBase* newObject)
{
    return FollowingCurrent([&] { return GAttributeComposite::Replace(member, newObject); });
}

int GEnumAttribute::ReplaceKindOf(const RWClassID& classId, const GObjectBase* newObject)
{
    return FollowingCurrent([&] { return GAttributeComposite::ReplaceKindOf(classId, newObject); });
}

void GEnumAttribute::RemoveAll()
{
    GAttributeComposite::RemoveAll();
    current_ = nullptr;
}

GEnumAttribute* GEnumAttribute::DeepCopy() const
{
    GEnumAttribute* copy = CreateNew();
    copy->SetId(GetId());
    copy->choiceClassId_ = choiceClassId_;
    for (uint32_t i = 0; i < members_.Entries(); ++i)
        if (GObjectBase* member = members_[i]->DeepCopy())
            copy->Add(member);
    copy->current_ = copy->FindChoice(current_);
    return copy;
}

// The member iterator, telling the enumeration of every change it makes to the slots.
class GEnumAttribute::ChoiceIterator : public GCountedPtrVectorIterator {
public:
    explicit ChoiceIterator(GEnumAttribute& owner)
        : GCountedPtrVectorIterator(&owner, owner.members_), enumeration_(owner)
    {
    }

    void ReplaceCurrent(GObjectBase* object) override
    {
        enumeration_.FollowingCurrent([&] {
            GCountedPtrVectorIterator::ReplaceCurrent(object);
            return 0;
        });
    }

    void RemoveCurrent() override
    {
        GCountedPtrVectorIterator::RemoveCurrent();
        enumeration_.FollowCurrent(-1);
    }

private:
    GEnumAttribute& enumeration_;
};

GObjectIterator* GEnumAttribute::CreateIterator() { return new (std::nothrow) ChoiceIterator(*this); }

void GEnumAttribute::ForEach(GMemberFunction fn, void* context)
{
    FollowingCurrent([&] {
        GAttributeComposite::ForEach(fn, context);
        return 0;
    });
}

GObjectBase* GEnumAttribute::FirstThat(GMemberFunction fn, void* context)
{
    return FollowingCurrent([&] { return GAttributeComposite::FirstThat(fn, context); });
}

int32_t GEnumAttribute::Assign(const GAttribute*) { return 0; }

int16_t GEnumAttribute::ApplyTo(GAttributeVisitor& visitor)
{
    const int16_t status = visitor.ApplyEnum(*this);
    SetStateWord(0);
    return status;
}

GObjectBase* GEnumAttribute::SetCurrent(const GObjectBase* object)
{
    GObjectBase* choice = FindChoice(object);
    if (choice)
        current_ = choice;
    return choice;
}

void GEnumAttribute::SelectNext()
{
    const int32_t slot = CurrentSlot();
    if (slot >= 0 && uint32_t(slot) + 1 < members_.Entries())
        current_ = members_[uint32_t(slot) + 1].Get();
}

void GEnumAttribute::SelectPrevious()
{
    const int32_t slot = CurrentSlot();
    if (slot > 0)
        current_ = members_[uint32_t(slot) - 1].Get();
}

GObjectBase* GEnumAttribute::FindChoice(const GObjectBase* object) const
{
    if (!object)
        return nullptr;
    for (uint32_t i = 0; i < members_.Entries(); ++i)
        if (members_[i]->IsSame(object))
            return members_[i].Get();
    return nullptr;
}

void GEnumAttribute::FollowCurrent(int32_t formerSlot)
{
    if (!current_ || members_.IndexOf(current_) >= 0)
        return;
    const uint32_t count = members_.Entries();
    if (formerSlot >= 0 && uint32_t(formerSlot) < count && members_[uint32_t(formerSlot)].Get())
        current_ = members_[uint32_t(formerSlot)].Get();
    else
        current_ = count ? members_[0].Get() : nullptr;
}

// The stored form for every medium, for the base's savers and restorers elsewhere.
template void GEnumAttribute::ReadFields(RWBinaryFile&);
template void GEnumAttribute::ReadFields(RWDataInStream&);
template void GEnumAttribute::WriteFields(RWBinaryFile&) const;
template void GEnumAttribute::WriteFields(RWDataOutStream&) const;
