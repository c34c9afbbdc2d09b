// The compact tagged form of a settings tree: what the DEVMODE's private part carries
// and, when the printer's configuration chooses it, what printer data holds.
//
// Each container and each leaf class that settings use gets its own short record (a tag
// byte, the fields that class needs); small values take one byte. Reading merges the
// stored tree with the driver's defaults: a stored child is kept only where the defaults
// have a child of that id and class, and what the stored tree lacks is completed from
// the defaults. A stored form comes from outside: every count, length and nesting depth
// is checked against the data, and damage costs at most the rest of its container.
//
// Mode 0 (portable) writes versions and ids in 16 bits, mode 1 (native) in 32 bits.
// One serializer is shared by the threads of the system services: the mode travels as
// an argument, and the defaults tree, built by the first Load, is built under a lock
// and only read afterwards.
#pragma once

#include "printer/GObjectSerializer.h"

#include "foundation/RWCriticalSection.h"

#include <cstdint>

class GAttributeComposite;
class GDriverObject;
class GObjectBase;
class GStreamHolder;
class RWDataInStream;
class RWDataOutStream;

class GSettingsTreeSerializer : public GObjectSerializer {
public:
    // The stream modes.
    static constexpr uint32_t kPortable = 0;
    static constexpr uint32_t kNative = 1;
    // Containers nested deeper than this are refused, on writing and on reading.
    static constexpr int kMaxDepth = 32;
    // The longest text a record carries; longer ones are refused, never cut or wrapped.
    static constexpr uint32_t kMaxText = 65534;

    GSettingsTreeSerializer();
    GSettingsTreeSerializer(const GSettingsTreeSerializer&) = delete;
    GSettingsTreeSerializer& operator=(const GSettingsTreeSerializer&) = delete;
    ~GSettingsTreeSerializer() override;

    // Writes the lead-in and the root record through the stream over the holder (whose
    // positions the container lengths are measured with): 1 when every record was
    // written, 0 for another mode, a root that is no container or list, or a record
    // that could not be written (too long a text, too deep or too long a container, a
    // failed stream). Children of classes the form does not serve are left out.
    int Save(const GObjectBase* object, RWDataOutStream& stream, GStreamHolder* holder, uint32_t mode) override;
    // The tree read and merged with the defaults (the caller owns it), or null: another
    // mode, a wrong lead-in, an unknown root, a root the defaults lack, a damaged root
    // container. Nothing the caller holds and nothing of the defaults changes.
    GObjectBase* Load(RWDataInStream& stream, GStreamHolder* holder, GDriverObject* driver, uint32_t mode) override;

    // The recursive workers. WriteContainer writes one container record at the given
    // nesting depth (1 for the root): 1 when whole. ReadContainer reads the record after
    // its tag byte, with the defaults' holder of its counterpart: a new container, or
    // null when the record is unusable.
    int WriteContainer(const GObjectBase* node, RWDataOutStream& stream, GStreamHolder& holder, bool portable,
                       int depth);
    GObjectBase* ReadContainer(uint8_t tag, GObjectBase* defaultsParent, RWDataInStream& stream,
                               GStreamHolder& holder, bool portable, int depth);

    // The defaults tree, built on first use from the driver object; null before that.
    const GAttributeComposite* Defaults() const { return defaults_; }

private:
    GAttributeComposite* DefaultsFor(GDriverObject* driver);

    GAttributeComposite* defaults_;
    RWCriticalSection defaultsLock_;
};
