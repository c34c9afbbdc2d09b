#include "model/GConfiguration.h"

GConfiguration::GConfiguration() {}
GConfiguration::GConfiguration(const long& id) : GPersistent(id) {}
GConfiguration::GConfiguration(const GConfiguration& other) : GPersistent(other) {}

GConfiguration& GConfiguration::operator=(const GConfiguration& other)
{
    MPersistentComposite::operator=(other);
    return *this;
}

GConfiguration::~GConfiguration() {}

// The version word is read back without a test: nothing follows it.

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
