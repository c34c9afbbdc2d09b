#include "model/GValue32Attribute.h"

#include "foundation/RWFactory.h"
#include "model/GStoredFields.h"

namespace {

const RWClassRegistration<GValue32Attribute> g_registration("GValue32Attribute");

} // namespace

GValue32Attribute::GValue32Attribute() : value_(0) {}
GValue32Attribute::GValue32Attribute(uint32_t value, const long& id) : GAttribute(id), value_(value) {}
GValue32Attribute::~GValue32Attribute() {}

GValue32Attribute* GValue32Attribute::CreateNew() const { return new GValue32Attribute; }
GValue32Attribute* GValue32Attribute::Copy() const { return new GValue32Attribute(*this); }
RWClassID GValue32Attribute::ClassId() const { return kClassId; }
uint32_t GValue32Attribute::BinaryStoreSize() const { return GAttribute::BinaryStoreSize() + 8; }

bool GValue32Attribute::IsKindOf(RWClassID classId) const
{
    return classId == kClassId || GAttribute::IsKindOf(classId);
}

template <class In>
void GValue32Attribute::ReadFields(In& in)
{
    uint32_t value = 0;
    if (GReadFields(in, value))
        value_ = value;
}

template <class Out>
void GValue32Attribute::WriteFields(Out& out) const
{
    GWriteFields(out, value_);
}

void GValue32Attribute::RestoreGuts(RWDataInStream& stream)
{
    GAttribute::RestoreGuts(stream);
    ReadFields(stream);
}

void GValue32Attribute::RestoreGuts(RWBinaryFile& file)
{
    GAttribute::RestoreGuts(file);
    ReadFields(file);
}

void GValue32Attribute::SaveGuts(RWDataOutStream& stream) const
{
    GAttribute::SaveGuts(stream);
    WriteFields(stream);
}

void GValue32Attribute::SaveGuts(RWBinaryFile& file) const
{
    GAttribute::SaveGuts(file);
    WriteFields(file);
}

bool GValue32Attribute::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GValue32Attribute* value = GSameClass<GValue32Attribute>(this, other);
    return value && value->GetId() == GetId() && value->value_ == value_;
}

RWClassID GValue32Attribute::StorageClassId() const { return kClassId; }
int16_t GValue32Attribute::ApplyTo(GPeripheral&) { return 0; }
