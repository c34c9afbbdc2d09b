#include "model/GAttributeVisitor.h"

GAttributeVisitor::~GAttributeVisitor() {}

int16_t GAttributeVisitor::ApplyBrush(GBrush&) { return 0; }
int16_t GAttributeVisitor::ApplyCap(GCap&) { return 0; }
int16_t GAttributeVisitor::ApplyClipToPage(GClipToPage&) { return 0; }
int16_t GAttributeVisitor::ApplyClipToPath(GClipToPath&) { return 0; }
int16_t GAttributeVisitor::ApplyClipToRectangle(GClipToRectangle&) { return 0; }
int16_t GAttributeVisitor::ApplyClipToSingleRectangle(GClipToSingleRectangle&) { return 0; }
int16_t GAttributeVisitor::ApplyColorMap(GColorMap&) { return 0; }
int16_t GAttributeVisitor::ApplyDashedPen(GDashedPen&) { return 0; }
int16_t GAttributeVisitor::ApplyFillMode(GFillMode&) { return 0; }
int16_t GAttributeVisitor::ApplyHalftone(GHalftone&) { return 0; }
int16_t GAttributeVisitor::ApplyHalftoneEnhanced(GHalftoneEnhanced&) { return 0; }
int16_t GAttributeVisitor::ApplyNeutralGrays(GNeutralGrays&) { return 0; }
int16_t GAttributeVisitor::ApplyEdgeControl(GEdgeControl&) { return 0; }
int16_t GAttributeVisitor::ApplySRGBColor(GSRGBColor&) { return 0; }
int16_t GAttributeVisitor::ApplySRGBExtension(GSRGBExtension&) { return 0; }
int16_t GAttributeVisitor::ApplyJoint(GJoint&) { return 0; }
int16_t GAttributeVisitor::ApplyMiterJoint(GMiterJoint&) { return 0; }
int16_t GAttributeVisitor::ApplyNoBrush(GNoBrush&) { return 0; }
int16_t GAttributeVisitor::ApplyNoPen(GNoPen&) { return 0; }
int16_t GAttributeVisitor::ApplyPen(GPen&) { return 0; }
int16_t GAttributeVisitor::ApplyRasterOperation(GRasterOperation&) { return 0; }
int16_t GAttributeVisitor::ApplyValue(GValueAttribute&) { return 0; }
int16_t GAttributeVisitor::ApplyString(GStringAttribute&) { return 0; }
int16_t GAttributeVisitor::ApplyEnum(GEnumAttribute&) { return 0; }
int16_t GAttributeVisitor::ApplyRange(GRangeAttribute&) { return 0; }
int16_t GAttributeVisitor::ApplyTransform(GTransformAttribute&) { return 0; }
