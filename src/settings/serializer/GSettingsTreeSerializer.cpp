#include "settings/serializer/GSettingsTreeSerializer.h"

GSettingsTreeSerializer::GSettingsTreeSerializer() = default;
GSettingsTreeSerializer::~GSettingsTreeSerializer() = default;

int GSettingsTreeSerializer::Save(const GObjectBase*, RWDataOutStream&, GStreamHolder*, uint32_t) { return 0; }

GObjectBase* GSettingsTreeSerializer::Load(RWDataInStream&, GStreamHolder*, GDriverObject*, uint32_t)
{
    return nullptr;
}
