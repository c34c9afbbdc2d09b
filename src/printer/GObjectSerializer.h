// How the system services store an object in printer data and read it back. The settings
// serializer implements it and registers its maker from above; the services and the driver
// object make one through Make() and never name the settings folder.
#pragma once

#include <cstdint>

class GDriverObject;
class GObjectBase;
class GStreamHolder;
class RWDataInStream;
class RWDataOutStream;

class GObjectSerializer {
public:
    virtual ~GObjectSerializer() = default;

    // 1 when the object was written.
    virtual int Save(const GObjectBase* object, RWDataOutStream& stream, GStreamHolder* holder, uint32_t mode) = 0;
    // The object read, or null.
    virtual GObjectBase* Load(RWDataInStream& stream, GStreamHolder* holder, GDriverObject* driver,
                              uint32_t mode) = 0;

    typedef GObjectSerializer* (*Maker)();
    // Set once by the serializer's own source at start-up.
    static void SetMaker(Maker maker);
    // A new serializer; null when none was registered.
    static GObjectSerializer* Make();
};
