#include "model/GStringAttribute.h"

#include "foundation/RWBinaryFile.h"
#include "printer/GPeripheral.h"

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

void GStringAttribute::RestoreGuts(RWBinaryFile& file)
{
    GAttribute::RestoreGuts(file);
    RWCString text;
    if (ReadVersion(file) && text.RestoreFrom(file))
        string_ = text;
}

void GStringAttribute::SaveGuts(RWBinaryFile& file) const
{
    GAttribute::SaveGuts(file);
    WriteVersion(file);
    string_.SaveOn(file);
}

bool GStringAttribute::IsKindOf(RWClassID classId) const { return classId == kClassId || GAttribute::IsKindOf(classId); }

bool GStringAttribute::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GStringAttribute* string = GSameClass<GStringAttribute>(this, other);
    return string && string->GetId() == GetId() && string->string_ == string_;
}

RWClassID GStringAttribute::StorageClassId() const { return kClassId; }
int16_t GStringAttribute::ApplyTo(GPeripheral& peripheral) { return peripheral.ApplyString(*this); }
