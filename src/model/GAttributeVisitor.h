// The operations through which attributes apply themselves: each attribute class's
// ApplyTo calls exactly one of them with itself (double dispatch), and a visitor (every
// peripheral is one) overrides those it gives a meaning to. The defaults ignore the
// attribute (status 0).
#pragma once

#include <cstdint>

class GBrush;
class GCap;
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
class GMiterJoint;
class GNeutralGrays;
class GNoBrush;
class GNoPen;
class GPen;
class GRangeAttribute;
class GRasterOperation;
class GSRGBColor;
class GSRGBExtension;
class GStringAttribute;
class GTransformAttribute;
class GValueAttribute;

class GAttributeVisitor {
public:
    virtual ~GAttributeVisitor() = 0;

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
    virtual int16_t ApplyTransform(GTransformAttribute& attribute);
};
