#include "model/GValueAttribute.h"

#include "foundation/RWFactory.h"
#include "model/GStoredFields.h"
#include "printer/GPeripheral.h"

namespace {

const RWClassRegistration<GValueAttribute> g_registration("GValueAttribute");

} // namespace

GValueAttribute::GValueAttribute() : value_(0) {}
GValueAttribute::GValueAttribute(uint16_t value, const long& id) : GAttribute(id), value_(value) {}
GValueAttribute::~GValueAttribute() {}

GValueAttribute* GValueAttribute::CreateNew() const { return new GValueAttribute; }
GValueAttribute* GValueAttribute::Copy() const { return new GValueAttribute(*this); }
RWClassID GValueAttribute::ClassId() const { return kClassId; }
uint32_t GValueAttribute::BinaryStoreSize() const { return GAttribute::BinaryStoreSize() + 6; }

bool GValueAttribute::IsKindOf(RWClassID classId) const { return classId == kClassId || GAttribute::IsKindOf(classId); }

bool GValueAttribute::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GValueAttribute* value = GSameClass<GValueAttribute>(this, other);
    return value && value->GetId() == GetId() && value->value_ == value_;
}

template <class In>
void GValueAttribute::ReadFields(In& in)
{
    uint16_t value = 0;
    if (GReadFields(in, value))
        value_ = value;
}

template <class Out>
void GValueAttribute::WriteFields(Out& out) const
{
    GWriteFields(out, value_);
}

void GValueAttribute::RestoreGuts(RWDataInStream& stream)
{
    GAttribute::RestoreGuts(stream);
    ReadFields(stream);
}

void GValueAttribute::RestoreGuts(RWBinaryFile& file)
{
    GAttribute::RestoreGuts(file);
    ReadFields(file);
}

void GValueAttribute::SaveGuts(RWDataOutStream& stream) const
{
    GAttribute::SaveGuts(stream);
    WriteFields(stream);
}

void GValueAttribute::SaveGuts(RWBinaryFile& file) const
{
    GAttribute::SaveGuts(file);
    WriteFields(file);
}

RWClassID GValueAttribute::StorageClassId() const { return kClassId; }
int16_t GValueAttribute::ApplyTo(GPeripheral& peripheral) { return peripheral.ApplyValue(*this); }
