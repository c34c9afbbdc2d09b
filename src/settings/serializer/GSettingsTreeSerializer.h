// The compact settings-tree form of stored objects. The system services own one. Until
// the compact form is written it stands in with a tagged object graph, which loading
// tells apart from the plain object-graph form.
#pragma once

#include <cstdint>

class GDriverObject;
class GObjectBase;
class GStreamHolder;
class RWDataInStream;
class RWDataOutStream;

class GSettingsTreeSerializer {
public:
    GSettingsTreeSerializer();
    GSettingsTreeSerializer(const GSettingsTreeSerializer&) = delete;
    GSettingsTreeSerializer& operator=(const GSettingsTreeSerializer&) = delete;
    virtual ~GSettingsTreeSerializer();

    // Writes the object's attribute tree: 1 when written.
    virtual int Save(const GObjectBase* object, RWDataOutStream& stream, GStreamHolder* holder, uint32_t format);
    // A new object read from the stream, or null when nothing could be read.
    virtual GObjectBase* Load(RWDataInStream& stream, GStreamHolder* holder, GDriverObject* driver, uint32_t format);
};
