#include "model/GDisplayStringAttribute.h"

#include "foundation/RWFactory.h"
#include "model/GStoredFields.h"

namespace {

const RWClassRegistration<GDisplayStringAttribute> g_registration("GDisplayStringAttribute");

} // namespace

GDisplayStringAttribute::GDisplayStringAttribute() { display_.MarkEmbedded(); }

GDisplayStringAttribute::GDisplayStringAttribute(const long& id, uint16_t stringId, const char* text,
                                                 const char* altText)
    : GAttribute(id), display_(stringId, text, altText)
{
    display_.MarkEmbedded();
}

GDisplayStringAttribute::GDisplayStringAttribute(uint16_t stringId, const char* text, const char* altText)
    : display_(stringId, text, altText)
{
    display_.MarkEmbedded();
}

GDisplayStringAttribute::GDisplayStringAttribute(const GDisplayStringAttribute& other)
    : GAttribute(other), display_(other.display_)
{
    display_.MarkEmbedded();
}

GDisplayStringAttribute::~GDisplayStringAttribute() {}

GDisplayStringAttribute* GDisplayStringAttribute::CreateNew() const { return new GDisplayStringAttribute; }
GDisplayStringAttribute* GDisplayStringAttribute::Copy() const { return new GDisplayStringAttribute(*this); }
RWClassID GDisplayStringAttribute::ClassId() const { return kClassId; }

uint32_t GDisplayStringAttribute::BinaryStoreSize() const
{
    return GAttribute::BinaryStoreSize() + 4 + display_.RecursiveStoreSize();
}

template <class In>
void GDisplayStringAttribute::ReadFields(In& in)
{
    if (GReadFields(in))
        RWCollectable::RecursiveRestoreFrom(in, &display_);
}

template <class Out>
void GDisplayStringAttribute::WriteFields(Out& out) const
{
    GWriteFields(out);
    display_.RecursiveSaveOn(out);
}

void GDisplayStringAttribute::RestoreGuts(RWDataInStream& stream)
{
    GAttribute::RestoreGuts(stream);
    ReadFields(stream);
}

void GDisplayStringAttribute::RestoreGuts(RWBinaryFile& file)
{
    GAttribute::RestoreGuts(file);
    ReadFields(file);
}

void GDisplayStringAttribute::SaveGuts(RWDataOutStream& stream) const
{
    GAttribute::SaveGuts(stream);
    WriteFields(stream);
}

void GDisplayStringAttribute::SaveGuts(RWBinaryFile& file) const
{
    GAttribute::SaveGuts(file);
    WriteFields(file);
}

bool GDisplayStringAttribute::IsKindOf(RWClassID classId) const
{
    return classId == kClassId || GAttribute::IsKindOf(classId);
}

bool GDisplayStringAttribute::IsSame(const GObjectBase* other) const
{
    const GDisplayStringAttribute* attribute = GSameClass<GDisplayStringAttribute>(this, other);
    return attribute && attribute->GetId() == GetId() && display_.IsSame(&attribute->display_);
}

RWClassID GDisplayStringAttribute::StorageClassId() const { return kClassId; }
int16_t GDisplayStringAttribute::ApplyTo(GPeripheral&) { return 0; }
