#include "model/GNullIterator.h"

GNullIterator::~GNullIterator() {}
GObjectBase* GNullIterator::Current() { return nullptr; }
void GNullIterator::ReplaceCurrent(GObjectBase*) {}
int GNullIterator::Next() { return 0; }
void GNullIterator::Reset() {}
GCountedRef GNullIterator::CurrentRef() { return GCountedRef(); }
void GNullIterator::RemoveCurrent() {}
void GNullIterator::ReplaceCurrentRef(const GCountedRef&) {}
int GNullIterator::Previous() { return 0; }
