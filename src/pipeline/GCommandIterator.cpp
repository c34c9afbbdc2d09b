#include "pipeline/GCommandIterator.h"

GCommandIterator::GCommandIterator(GObjectIterator* members) : members_(members) {}
GCommandIterator::~GCommandIterator() { delete members_; }

GObjectBase* GCommandIterator::Current() { return members_->Current(); }
void GCommandIterator::ReplaceCurrent(GObjectBase* object) { members_->ReplaceCurrent(object); }
int GCommandIterator::Next() { return members_->Next(); }
void GCommandIterator::Reset() { members_->Reset(); }
GCountedRef GCommandIterator::CurrentRef() { return members_->CurrentRef(); }
void GCommandIterator::RemoveCurrent() { members_->RemoveCurrent(); }
void GCommandIterator::ReplaceCurrentRef(const GCountedRef& object) { members_->ReplaceCurrentRef(object); }
int GCommandIterator::Previous() { return members_->Previous(); }
