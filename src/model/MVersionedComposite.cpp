#include "model/MVersionedComposite.h"

#include "model/GStoredFields.h"

namespace {

template <class In>
void SkipVersion(In& in)
{
    uint32_t version = 0;
    GReadField(in, version);
}

} // namespace

uint32_t MVersionedComposite::BinaryStoreSize() const { return MPersistentComposite::BinaryStoreSize() + 4; }

void MVersionedComposite::RestoreGuts(RWDataInStream& stream)
{
    MPersistentComposite::RestoreGuts(stream);
    SkipVersion(stream);
}

void MVersionedComposite::RestoreGuts(RWBinaryFile& file)
{
    MPersistentComposite::RestoreGuts(file);
    SkipVersion(file);
}

void MVersionedComposite::SaveGuts(RWDataOutStream& stream) const
{
    MPersistentComposite::SaveGuts(stream);
    GWriteFields(stream);
}

void MVersionedComposite::SaveGuts(RWBinaryFile& file) const
{
    MPersistentComposite::SaveGuts(file);
    GWriteFields(file);
}
