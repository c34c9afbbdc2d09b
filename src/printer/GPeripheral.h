// A stage of the output chain. It is itself an attribute, so that it can be a member of
// an attribute composite and be applied to another peripheral.
//
// Attributes apply themselves through the visitors below: each attribute class's
// ApplyTo calls exactly one of them, and each peripheral overrides those it gives a
// meaning to. The base ignores every attribute (status 0).
#pragma once

#include "model/GAttribute.h"

#include <cstdint>

class GBrush;
class GCap;
class GCheetah;
class GClipToPage;
class GClipToPath;
class GClipToRectangle;
class GClipToSingleRectangle;
class GColorMap;
class GDashedPen;
class GEdgeControl;
class GEnumAttribute;
class GFillMode;
class GHalftone;
class GHalftoneEnhanced;
class GJoint;
class GMedia;
class GMiterJoint;
class GNeutralGrays;
class GNoBrush;
class GNoPen;
class GPJL;
class GPcl5e;
class GPen;
class GPostScript;
class GRangeAttribute;
class GRasterOperation;
class GSRGBColor;
class GSRGBExtension;
class GStringAttribute;
class GTransformAttribute;
class GTray;
class GValueAttribute;

class GPeripheral : public GAttribute {
public:
    static constexpr RWClassID kClassId = 760;

    GPeripheral();
    explicit GPeripheral(const long& id);
    GPeripheral(const GPeripheral& other) = default;
    GPeripheral& operator=(const GPeripheral& other) = default;
    ~GPeripheral() override;

    bool IsKindOf(RWClassID classId) const override;

    // The attribute visitors, in their order; the page-description writers install
    // themselves through SetPdlWriter.
    virtual int16_t ApplyBrush(GBrush& attribute);
    virtual int16_t ApplyCap(GCap& attribute);
    virtual int16_t ApplyClipToPage(GClipToPage& attribute);
    virtual int16_t ApplyClipToPath(GClipToPath& attribute);
    virtual int16_t ApplyClipToRectangle(GClipToRectangle& attribute);
    virtual int16_t ApplyClipToSingleRectangle(GClipToSingleRectangle& attribute);
    virtual int16_t ApplyColorMap(GColorMap& attribute);
    virtual int16_t ApplyDashedPen(GDashedPen& attribute);
    virtual int16_t ApplyFillMode(GFillMode& attribute);
    virtual int16_t ApplyHalftone(GHalftone& attribute);
    virtual int16_t ApplyHalftoneEnhanced(GHalftoneEnhanced& attribute);
    virtual int16_t ApplyNeutralGrays(GNeutralGrays& attribute);
    virtual int16_t ApplyEdgeControl(GEdgeControl& attribute);
    virtual int16_t ApplySRGBColor(GSRGBColor& attribute);
    virtual int16_t ApplySRGBExtension(GSRGBExtension& attribute);
    virtual int16_t ApplyJoint(GJoint& attribute);
    virtual int16_t ApplyMiterJoint(GMiterJoint& attribute);
    virtual int16_t ApplyNoBrush(GNoBrush& attribute);
    virtual int16_t ApplyNoPen(GNoPen& attribute);
    virtual int16_t ApplyPen(GPen& attribute);
    virtual int16_t ApplyRasterOperation(GRasterOperation& attribute);
    virtual int16_t ApplyValue(GValueAttribute& attribute);
    virtual int16_t ApplyString(GStringAttribute& attribute);
    virtual int16_t ApplyEnum(GEnumAttribute& attribute);
    virtual int16_t ApplyRange(GRangeAttribute& attribute);
    virtual int16_t SetPdlWriter(GCheetah& writer);
    virtual int16_t SetPdlWriter(GPcl5e& writer);
    virtual int16_t SetPdlWriter(GPostScript& writer);
    virtual int16_t SetPjlWriter(GPJL& writer);
    virtual int16_t ApplyMedia(GMedia& attribute);
    virtual int16_t ApplyTray(GTray& attribute);
    virtual int16_t ApplyTransform(GTransformAttribute& attribute);
};
