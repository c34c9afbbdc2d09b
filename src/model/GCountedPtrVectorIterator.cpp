#include "model/GCountedPtrVectorIterator.h"

#include "model/GCountedPtrVector.h"
#include "model/GObjectBase.h"

GCountedPtrVectorIterator::GCountedPtrVectorIterator(GObjectBase* owner, GCountedPtrVector& vector)
    : owner_(owner), vector_(&vector), index_(-1)
{
}

GCountedPtrVectorIterator::~GCountedPtrVectorIterator() {}

bool GCountedPtrVectorIterator::OnMember() const
{
    return index_ >= 0 && uint32_t(index_) < vector_->Entries();
}

GObjectBase* GCountedPtrVectorIterator::Current() { return vector_->At(uint32_t(index_)); }

void GCountedPtrVectorIterator::ReplaceCurrent(GObjectBase* object)
{
    // As a composite's Add: it never holds itself, and an embedded object belongs to
    // the object around it.
    if (!object || object == owner_)
        return;
    if (object->IsEmbedded()) {
        GObjectBase::Drop(object);
        return;
    }
    if (OnMember())
        (*vector_)[uint32_t(index_)] = object;
    else if (!vector_->Append(object))
        GObjectBase::Drop(object);
}

int GCountedPtrVectorIterator::Next()
{
    ++index_;
    if (OnMember())
        return 1;
    index_ = -1;
    return 0;
}

void GCountedPtrVectorIterator::Reset() { index_ = -1; }

GCountedRef GCountedPtrVectorIterator::CurrentRef() { return GCountedRef(Current()); }

void GCountedPtrVectorIterator::RemoveCurrent()
{
    if (!OnMember())
        return;
    vector_->RemoveAt(uint32_t(index_));
    --index_;
}

void GCountedPtrVectorIterator::ReplaceCurrentRef(const GCountedRef& object) { ReplaceCurrent(object.Get()); }

int GCountedPtrVectorIterator::Previous()
{
    if (index_ >= 0)
        --index_;
    if (OnMember())
        return 1;
    index_ = -1;
    return 0;
}
