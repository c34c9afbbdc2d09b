#include "model/GResourceMapping.h"

#include "foundation/RWFactory.h"
#include "model/GStoredFields.h"

namespace {

const RWClassRegistration<GResourceMapping> g_registration("GResourceMapping");

} // namespace

GResourceMapping::GResourceMapping() : resource_(kNoResource), firstCode_(0), secondCode_(0) {}

GResourceMapping::GResourceMapping(uint32_t resource, uint16_t firstCode, int16_t secondCode, const long& id)
    : GObjectBase(id), resource_(resource), firstCode_(firstCode), secondCode_(secondCode)
{
}

GResourceMapping::~GResourceMapping() {}

GResourceMapping* GResourceMapping::CreateNew() const { return new GResourceMapping; }
GResourceMapping* GResourceMapping::Copy() const { return new GResourceMapping(*this); }
RWClassID GResourceMapping::ClassId() const { return kClassId; }
uint32_t GResourceMapping::BinaryStoreSize() const { return GObjectBase::BinaryStoreSize() + 12; }

template <class In>
void GResourceMapping::ReadFields(In& in)
{
    uint32_t resource = 0;
    uint16_t firstCode = 0;
    int16_t secondCode = 0;
    if (!GReadFields(in, resource, firstCode, secondCode))
        return;
    resource_ = resource;
    firstCode_ = firstCode;
    secondCode_ = secondCode;
}

template <class Out>
void GResourceMapping::WriteFields(Out& out) const
{
    GWriteFields(out, resource_, firstCode_, secondCode_);
}

void GResourceMapping::RestoreGuts(RWDataInStream& stream)
{
    GObjectBase::RestoreGuts(stream);
    ReadFields(stream);
}

void GResourceMapping::RestoreGuts(RWBinaryFile& file)
{
    GObjectBase::RestoreGuts(file);
    ReadFields(file);
}

void GResourceMapping::SaveGuts(RWDataOutStream& stream) const
{
    GObjectBase::SaveGuts(stream);
    WriteFields(stream);
}

void GResourceMapping::SaveGuts(RWBinaryFile& file) const
{
    GObjectBase::SaveGuts(file);
    WriteFields(file);
}

bool GResourceMapping::IsKindOf(RWClassID classId) const { return classId == kClassId || GObjectBase::IsKindOf(classId); }

bool GResourceMapping::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GResourceMapping* mapping = GSameClass<GResourceMapping>(this, other);
    return mapping && GObjectBase::IsSame(mapping) && mapping->resource_ == resource_ &&
           mapping->firstCode_ == firstCode_ && mapping->secondCode_ == secondCode_;
}
