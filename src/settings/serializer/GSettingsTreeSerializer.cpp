#include "settings/serializer/GSettingsTreeSerializer.h"

#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"
#include "model/GObjectBase.h"

namespace {

// Until the compact form is written, a tag word ahead of the object graph keeps what
// this class writes apart from the plain object-graph form.
const uint32_t kCompactTag = 0x54535A51;

} // namespace

GSettingsTreeSerializer::GSettingsTreeSerializer() = default;
GSettingsTreeSerializer::~GSettingsTreeSerializer() = default;

int GSettingsTreeSerializer::Save(const GObjectBase* object, RWDataOutStream& stream, GStreamHolder*, uint32_t)
{
    if (!object)
        return 0;
    stream << kCompactTag;
    stream << object;
    return stream.Good() ? 1 : 0;
}

GObjectBase* GSettingsTreeSerializer::Load(RWDataInStream& stream, GStreamHolder*, GDriverObject*, uint32_t)
{
    uint32_t tag = 0;
    stream >> tag;
    if (!stream.Good() || tag != kCompactTag)
        return nullptr;
    GObjectBase* object = nullptr;
    stream >> object;
    if (stream.Fail()) {
        delete object;
        return nullptr;
    }
    return object;
}
