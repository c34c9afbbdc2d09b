#include "model/GAttributeComposite.h"

#include "model/GObjectIterator.h"

GAttributeComposite::GAttributeComposite() {}
GAttributeComposite::GAttributeComposite(const long& id) : GPersistent(id) {}
GAttributeComposite::GAttributeComposite(const GAttributeComposite& other) : GPersistent(other) {}

GAttributeComposite& GAttributeComposite::operator=(const GAttributeComposite& other)
{
    GCompositeOf::operator=(other);
    return *this;
}

GAttributeComposite::~GAttributeComposite() {}

void GAttributeComposite::Add(GObjectBase* object)
{
    if (object && !object->IsKindOf(GAttribute::kClassId))
        GObjectBase::Drop(object);
    else
        Adopt(object);
}

int32_t GAttributeComposite::Assign(const GAttribute* other)
{
    if (!other || other == this)
        return 0;
    if (other->StorageClassId() != StorageClassId() || other->GetId() != GetId()) {
        Add(other->Copy());
        return 1;
    }
    // Iterating needs a non-const object; the members themselves are only copied.
    GObjectIterator* it = const_cast<GAttribute*>(other)->CreateIterator();
    if (!it)
        return 0;
    while (it->Next())
        if (GObjectBase* member = it->Current())
            Add(member->Copy());
    delete it;
    return 1;
}

int16_t GAttributeComposite::ApplyTo(GAttributeVisitor& visitor)
{
    int16_t status = 0;
    for (uint32_t i = 0; i < members_.Entries(); ++i) {
        // Held for the call: the visitor may change this composite while applying.
        const GCountedPtr member = members_[i];
        GAttribute* attribute = dynamic_cast<GAttribute*>(member.Get());
        if (!attribute || attribute->GetStateWord() == 0)
            continue;
        if (const int16_t result = attribute->ApplyTo(visitor))
            status = result;
    }
    SetStateWord(0);
    return status;
}

void GAttributeComposite::MarkAllPending() { MarkAll(1); }
void GAttributeComposite::MarkAllApplied() { MarkAll(0); }

void GAttributeComposite::MarkAll(int32_t state)
{
    for (uint32_t i = 0; i < members_.Entries(); ++i)
        if (GAttribute* attribute = dynamic_cast<GAttribute*>(members_[i].Get()))
            attribute->SetStateWord(state);
    SetStateWord(state);
}
