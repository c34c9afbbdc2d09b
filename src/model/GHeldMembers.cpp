#include "model/GHeldMembers.h"

#include "model/GAttributeComposite.h"
#include "model/GObjectIterator.h"
#include "model/GState.h"

#include <memory>

// Delegating, so that the destructor lets go of what was held when filling fails.
GHeldMembers::GHeldMembers(GObjectBase* composite) : GHeldMembers()
{
    if (!composite)
        return;
    if (GAttributeComposite* plain = AsPlainComposite(composite)) {
        for (uint32_t i = 0; i < plain->Entries(); ++i)
            Add(plain->At(i));
        return;
    }
    // Through the reference: a composite on disk reads its member back for it.
    const std::unique_ptr<GObjectIterator> it(composite->CreateIterator());
    if (it)
        while (it->Next())
            Keep(it->CurrentRef());
}

GAttributeComposite* GHeldMembers::AsPlainComposite(GObjectBase* object)
{
    // Neither class overrides the iterator of its member vector; their subclasses may.
    const RWClassID id = object ? object->ClassId() : RWNoClassId;
    if (id != GState::kClassId && id != GAttributeComposite::kClassId)
        return nullptr;
    return static_cast<GAttributeComposite*>(object);
}

GHeldMembers::~GHeldMembers()
{
    for (uint32_t i = 0; i < count_; ++i)
        GObjectBase::Release(At(i));
}

void GHeldMembers::Add(GObjectBase* object)
{
    // Placed before it is held: a failed allocation leaves nothing to let go of.
    if (count_ < kInline)
        inline_[count_] = object;
    else
        more_.push_back(object);
    GObjectBase::Hold(object);
    ++count_;
}

void GHeldMembers::Keep(GCountedRef&& member)
{
    if (count_ >= kInline)
        more_.push_back(nullptr);
    GObjectBase* object = member.Detach();
    if (count_ < kInline)
        inline_[count_] = object;
    else
        more_.back() = object;
    ++count_;
}
