#include "model/GHalftone.h"

#include "model/GHalftoneEnhanced.h"

GHalftone::GHalftone() {}
GHalftone::GHalftone(uint32_t option, const long& id) : GChromafitOptionOf(option, id) {}
GHalftone::~GHalftone() {}

namespace {

RWCollectable* CreateHalftone() { return new GHalftone; }
RWCollectable* CreateHalftoneEnhanced() { return new GHalftoneEnhanced; }

// Both classes of id 790 from one static object, the enhanced one first: the factory
// keeps the first entry of an id, so restoring a stored 790 makes a GHalftoneEnhanced,
// while each name makes its own class. One object also unregisters the shared id once,
// which two separate registrations could not do without removing the survivor's entry.
class HalftoneRegistration {
public:
    HalftoneRegistration()
    {
        RWFactoryRegister(&CreateHalftoneEnhanced, 790, RWStringID(GHalftoneEnhanced::kClassName),
                          &RWKindOfClass<GHalftoneEnhanced>);
        RWFactoryRegister(&CreateHalftone, 790, RWStringID(GHalftone::kClassName), &RWKindOfClass<GHalftone>);
    }
    ~HalftoneRegistration()
    {
        RWFactoryUnregister(RWClassID(790));
        RWFactoryUnregister(RWStringID(GHalftoneEnhanced::kClassName));
        RWFactoryUnregister(RWStringID(GHalftone::kClassName));
    }
    HalftoneRegistration(const HalftoneRegistration&) = delete;
    HalftoneRegistration& operator=(const HalftoneRegistration&) = delete;
};

const HalftoneRegistration registration;

} // namespace
