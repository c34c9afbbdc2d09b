#include "printer/GPeripheral.h"

GPeripheral::GPeripheral() {}
GPeripheral::GPeripheral(const long& id) : GAttribute(id) {}
GPeripheral::~GPeripheral() {}

bool GPeripheral::IsKindOf(RWClassID classId) const { return classId == kClassId || GAttribute::IsKindOf(classId); }

int16_t GPeripheral::ApplyBrush(GBrush&) { return 0; }
int16_t GPeripheral::ApplyCap(GCap&) { return 0; }
int16_t GPeripheral::ApplyClipToPage(GClipToPage&) { return 0; }
int16_t GPeripheral::ApplyClipToPath(GClipToPath&) { return 0; }
int16_t GPeripheral::ApplyClipToRectangle(GClipToRectangle&) { return 0; }
int16_t GPeripheral::ApplyClipToSingleRectangle(GClipToSingleRectangle&) { return 0; }
int16_t GPeripheral::ApplyColorMap(GColorMap&) { return 0; }
int16_t GPeripheral::ApplyDashedPen(GDashedPen&) { return 0; }
int16_t GPeripheral::ApplyFillMode(GFillMode&) { return 0; }
int16_t GPeripheral::ApplyHalftone(GHalftone&) { return 0; }
int16_t GPeripheral::ApplyHalftoneEnhanced(GHalftoneEnhanced&) { return 0; }
int16_t GPeripheral::ApplyNeutralGrays(GNeutralGrays&) { return 0; }
int16_t GPeripheral::ApplyEdgeControl(GEdgeControl&) { return 0; }
int16_t GPeripheral::ApplySRGBColor(GSRGBColor&) { return 0; }
int16_t GPeripheral::ApplySRGBExtension(GSRGBExtension&) { return 0; }
int16_t GPeripheral::ApplyJoint(GJoint&) { return 0; }
int16_t GPeripheral::ApplyMiterJoint(GMiterJoint&) { return 0; }
int16_t GPeripheral::ApplyNoBrush(GNoBrush&) { return 0; }
int16_t GPeripheral::ApplyNoPen(GNoPen&) { return 0; }
int16_t GPeripheral::ApplyPen(GPen&) { return 0; }
int16_t GPeripheral::ApplyRasterOperation(GRasterOperation&) { return 0; }
int16_t GPeripheral::ApplyValue(GValueAttribute&) { return 0; }
int16_t GPeripheral::ApplyString(GStringAttribute&) { return 0; }
int16_t GPeripheral::ApplyEnum(GEnumAttribute&) { return 0; }
int16_t GPeripheral::ApplyRange(GRangeAttribute&) { return 0; }
int16_t GPeripheral::SetPdlWriter(GCheetah&) { return 0; }
int16_t GPeripheral::SetPdlWriter(GPcl5e&) { return 0; }
int16_t GPeripheral::SetPdlWriter(GPostScript&) { return 0; }
int16_t GPeripheral::SetPjlWriter(GPJL&) { return 0; }
int16_t GPeripheral::ApplyMedia(GMedia&) { return 0; }
int16_t GPeripheral::ApplyTray(GTray&) { return 0; }
int16_t GPeripheral::ApplyTransform(GTransformAttribute&) { return 0; }
