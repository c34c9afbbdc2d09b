#include "foundation/RWSlistCollectablesStack.h"

#include "foundation/RWFactory.h"

namespace {
const RWClassRegistration<RWSlistCollectablesStack> g_stackRegistration("RWSlistCollectablesStack");
} // namespace

RWCollectable* RWSlistCollectablesStack::CreateNew() const { return new RWSlistCollectablesStack; }
RWCollectable* RWSlistCollectablesStack::Copy() const { return new RWSlistCollectablesStack(*this); }
RWClassID RWSlistCollectablesStack::ClassId() const { return kClassId; }

bool RWSlistCollectablesStack::IsEqual(const RWCollectable* other) const { return IsEqualList(other, kClassId); }

RWCollectable* RWSlistCollectablesStack::Insert(RWCollectable* obj) { return Push(obj); }
RWCollectable* RWSlistCollectablesStack::Remove(const RWCollectable*) { return Pop(); }
RWCollectable* RWSlistCollectablesStack::Append(RWCollectable*) { return nullptr; }
void RWSlistCollectablesStack::RemoveAndDestroy(const RWCollectable*) {}

void RWSlistCollectablesStack::RestoreBegin() {}
void RWSlistCollectablesStack::RestoreInsert(RWCollectable* member) { AppendMember(member); }
