#include "foundation/RWCollectable.h"

#include "foundation/RWFactory.h"
#include "foundation/RWReadTable.h"
#include "foundation/RWThreadContext.h"

#include <atomic>

namespace {
const RWClassRegistration<RWCollectable> g_collectableRegistration("RWCollectable");
} // namespace

// Constant-initialised, so it exists before any static constructor runs.
RWCollectable RWNilObject;

// Ids are drawn by an interlocked compare, so registrations on several threads get
// distinct ids without waiting for each other; past the last one every draw answers none.
RWClassID RWGenerateClassId()
{
    static std::atomic<uint32_t> next{RWFirstStringClassId};
    uint32_t id = next.load();
    do {
        if (id > RWLastStringClassId)
            return RWNoClassId;
    } while (!next.compare_exchange_weak(id, id + 1));
    return RWClassID(id);
}

RWCollectable* RWCollectable::CreateNew() const { return new RWCollectable; }
RWCollectable* RWCollectable::Copy() const { return new RWCollectable(*this); }
RWClassID RWCollectable::ClassId() const { return kClassId; }
// An object freed in the middle of a restore on this thread takes its numbers with it.
RWCollectable::~RWCollectable()
{
    if (RWThreadContext* context = RWThreadContext::Peek())
        if (context->readTable)
            context->readTable->Forget(this);
}
uint32_t RWCollectable::BinaryStoreSize() const { return 0; }

int RWCollectable::CompareTo(const RWCollectable* other) const
{
    const uintptr_t a = reinterpret_cast<uintptr_t>(this);
    const uintptr_t b = reinterpret_cast<uintptr_t>(other);
    return a == b ? 0 : (a > b ? 1 : -1);
}

uint32_t RWCollectable::Hash() const { return RWAddressHash(this); }
bool RWCollectable::IsEqual(const RWCollectable* other) const { return this == other; }
void RWCollectable::RestoreGuts(RWDataInStream&) {}
void RWCollectable::RestoreGuts(RWBinaryFile&) {}
void RWCollectable::SaveGuts(RWDataOutStream&) const {}
void RWCollectable::SaveGuts(RWBinaryFile&) const {}

int RWCollectableIsEqual(const RWCollectable* member, const void* other)
{
    return member && other && member->IsEqual(static_cast<const RWCollectable*>(other));
}
