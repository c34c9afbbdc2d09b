#include "model/GAttribute.h"

#include "foundation/RWBinaryFile.h"

GAttribute::GAttribute() : state_(1) {}
GAttribute::GAttribute(const long& id) : GObjectBase(id), state_(1) {}
GAttribute::~GAttribute() {}

uint32_t GAttribute::BinaryStoreSize() const { return GObjectBase::BinaryStoreSize() + 8; }

void GAttribute::RestoreGuts(RWBinaryFile& file)
{
    GObjectBase::RestoreGuts(file);
    int32_t state = 0;
    if (ReadVersion(file) && file.Read(state))
        state_ = state;
}

void GAttribute::SaveGuts(RWBinaryFile& file) const
{
    GObjectBase::SaveGuts(file);
    WriteVersion(file);
    file.Write(state_);
}

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
