#include "model/GStringAttribute.h"

#include "foundation/RWFactory.h"
#include "model/GStoredFields.h"
#include "printer/GPeripheral.h"

namespace {

const RWClassRegistration<GStringAttribute> g_registration("GStringAttribute");

} // namespace

GStringAttribute::GStringAttribute() {}
GStringAttribute::GStringAttribute(const char* text, const long& id) : GAttribute(id), string_(text) {}
GStringAttribute::GStringAttribute(const RWCString& text, const long& id) : GAttribute(id), string_(text) {}
GStringAttribute::~GStringAttribute() {}

GStringAttribute* GStringAttribute::CreateNew() const { return new GStringAttribute; }
GStringAttribute* GStringAttribute::Copy() const { return new GStringAttribute(*this); }
RWClassID GStringAttribute::ClassId() const { return kClassId; }

uint32_t GStringAttribute::BinaryStoreSize() const
{
    return GAttribute::BinaryStoreSize() + 4 + uint32_t(string_.BinaryStoreSize());
}

template <class In>
void GStringAttribute::ReadFields(In& in)
{
    RWCString text;
    if (GReadFields(in, text))
        string_ = text;
}

template <class Out>
void GStringAttribute::WriteFields(Out& out) const
{
    GWriteFields(out, string_);
}

void GStringAttribute::RestoreGuts(RWDataInStream& stream)
{
    GAttribute::RestoreGuts(stream);
    ReadFields(stream);
}

void GStringAttribute::RestoreGuts(RWBinaryFile& file)
{
    GAttribute::RestoreGuts(file);
    ReadFields(file);
}

void GStringAttribute::SaveGuts(RWDataOutStream& stream) const
{
    GAttribute::SaveGuts(stream);
    WriteFields(stream);
}

void GStringAttribute::SaveGuts(RWBinaryFile& file) const
{
    GAttribute::SaveGuts(file);
    WriteFields(file);
}

bool GStringAttribute::IsKindOf(RWClassID classId) const
{
    return classId == kClassId || GAttribute::IsKindOf(classId);
}

bool GStringAttribute::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GStringAttribute* string = GSameClass<GStringAttribute>(this, other);
    return string && string->GetId() == GetId() && string->string_ == string_;
}

RWClassID GStringAttribute::StorageClassId() const { return kClassId; }
int16_t GStringAttribute::ApplyTo(GPeripheral& peripheral) { return peripheral.ApplyString(*this); }
