#include "model/GAttribute.h"

#include "model/GStoredFields.h"

GAttribute::GAttribute() : state_(1) {}
GAttribute::GAttribute(const long& id) : GObjectBase(id), state_(1) {}
GAttribute::~GAttribute() {}

uint32_t GAttribute::BinaryStoreSize() const { return GObjectBase::BinaryStoreSize() + 8; }

bool GAttribute::IsKindOf(RWClassID classId) const { return classId == kClassId || GObjectBase::IsKindOf(classId); }

int32_t GAttribute::Assign(const GAttribute* other)
{
    if (!other || !Differs(other))
        return 0;
    SetId(other->GetId());
    SetSerial(other->GetSerial());
    state_ = other->state_;
    return state_;
}

template <class In>
void GAttribute::ReadFields(In& in)
{
    int32_t state = 0;
    if (GReadFields(in, state))
        state_ = state;
}

template <class Out>
void GAttribute::WriteFields(Out& out) const
{
    GWriteFields(out, state_);
}

void GAttribute::RestoreGuts(RWDataInStream& stream)
{
    GObjectBase::RestoreGuts(stream);
    ReadFields(stream);
}

void GAttribute::RestoreGuts(RWBinaryFile& file)
{
    GObjectBase::RestoreGuts(file);
    ReadFields(file);
}

void GAttribute::SaveGuts(RWDataOutStream& stream) const
{
    GObjectBase::SaveGuts(stream);
    WriteFields(stream);
}

void GAttribute::SaveGuts(RWBinaryFile& file) const
{
    GObjectBase::SaveGuts(file);
    WriteFields(file);
}
