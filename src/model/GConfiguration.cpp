#include "model/GConfiguration.h"

#include "foundation/RWFactory.h"
#include "model/GStoredFields.h"

namespace {

const RWFactoryRegistration kRegistration(RWCreateInstance<GConfiguration>, GConfiguration::kClassId, "GConfiguration");

} // namespace

GConfiguration::GConfiguration() {}
GConfiguration::GConfiguration(const long& id) : MPersistentComposite(id) {}
GConfiguration::GConfiguration(const GConfiguration& other) : MPersistentComposite(other) {}

GConfiguration& GConfiguration::operator=(const GConfiguration& other)
{
    MPersistentComposite::operator=(other);
    return *this;
}

GConfiguration::~GConfiguration() {}

GConfiguration* GConfiguration::CreateNew() const { return new GConfiguration; }
GConfiguration* GConfiguration::Copy() const { return new GConfiguration(*this); }
RWClassID GConfiguration::ClassId() const { return kClassId; }
uint32_t GConfiguration::BinaryStoreSize() const { return MPersistentComposite::BinaryStoreSize() + 4; }

// The version word is read back without a test: nothing follows it.
void GConfiguration::RestoreGuts(RWDataInStream& stream)
{
    MPersistentComposite::RestoreGuts(stream);
    uint32_t version = 0;
    GReadField(stream, version);
}

void GConfiguration::RestoreGuts(RWBinaryFile& file)
{
    MPersistentComposite::RestoreGuts(file);
    uint32_t version = 0;
    GReadField(file, version);
}

void GConfiguration::SaveGuts(RWDataOutStream& stream) const
{
    MPersistentComposite::SaveGuts(stream);
    GWriteFields(stream);
}

void GConfiguration::SaveGuts(RWBinaryFile& file) const
{
    MPersistentComposite::SaveGuts(file);
    GWriteFields(file);
}

bool GConfiguration::IsKindOf(RWClassID classId) const
{
    return classId == kClassId || MPersistentComposite::IsKindOf(classId);
}

void GConfiguration::Add(GObjectBase* object)
{
    if (!object)
        return;
    if (object->ClassId() != kClassId) {
        for (uint32_t i = 0; i < members_.Entries(); ++i) {
            if (object->IsSame(members_[i].Get())) {
                GObjectBase::Drop(object);
                return;
            }
        }
    }
    MPersistentComposite::Add(object);
}
