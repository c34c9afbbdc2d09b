// A stage of the output chain. It is itself an attribute, so that it can be a member of
// an attribute composite and be applied to another peripheral.
//
// Attributes apply themselves through the visitor operations (GAttributeVisitor): each
// attribute class's ApplyTo calls exactly one of them, and each peripheral overrides
// those it gives a meaning to. The base ignores every attribute (status 0).
#pragma once

#include "model/GAttribute.h"
#include "model/GAttributeVisitor.h"

#include <cstdint>

class GCheetah;
class GMedia;
class GPJL;
class GPcl5e;
class GPostScript;
class GTray;

class GPeripheral : public GAttribute, public GAttributeVisitor {
public:
    static constexpr RWClassID kClassId = 760;

    GPeripheral();
    explicit GPeripheral(const long& id);
    GPeripheral(const GPeripheral& other) = default;
    GPeripheral& operator=(const GPeripheral& other) = default;
    ~GPeripheral() override;

    bool IsKindOf(RWClassID classId) const override;

    // The printer-side visitors; the page-description writers install themselves
    // through SetPdlWriter.
    virtual int16_t SetPdlWriter(GCheetah& writer);
    virtual int16_t SetPdlWriter(GPcl5e& writer);
    virtual int16_t SetPdlWriter(GPostScript& writer);
    virtual int16_t SetPjlWriter(GPJL& writer);
    virtual int16_t ApplyMedia(GMedia& attribute);
    virtual int16_t ApplyTray(GTray& attribute);
};
