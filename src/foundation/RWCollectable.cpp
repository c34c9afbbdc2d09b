#include "foundation/RWCollectable.h"

#include "foundation/RWFactory.h"
#include "foundation/RWReadTable.h"
#include "foundation/RWThreadContext.h"

#include <windows.h>

namespace {
const RWClassRegistration<RWCollectable> g_collectableRegistration("RWCollectable");
} // namespace

// Constant-initialised, so it exists before any static constructor runs.
RWCollectable RWNilObject;

namespace {

// The id generator's own lock, created on first use.
class ClassIdGenerator {
public:
    ClassIdGenerator() { InitializeCriticalSection(&lock_); }
    ~ClassIdGenerator() { DeleteCriticalSection(&lock_); }

    RWClassID Next()
    {
        EnterCriticalSection(&lock_);
        RWClassID id = RWNoClassId;
        if (next_ <= RWLastStringClassId)
            id = RWClassID(next_++);
        LeaveCriticalSection(&lock_);
        return id;
    }

private:
    CRITICAL_SECTION lock_;
    uint32_t next_ = RWFirstStringClassId;
};

} // namespace

RWClassID RWGenerateClassId()
{
    static ClassIdGenerator generator;
    return generator.Next();
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
