#include "printer/GPeripheral.h"

GPeripheral::GPeripheral() {}
GPeripheral::GPeripheral(const long& id) : GAttribute(id) {}
GPeripheral::~GPeripheral() {}

bool GPeripheral::IsKindOf(RWClassID classId) const { return classId == kClassId || GAttribute::IsKindOf(classId); }

int16_t GPeripheral::SetPdlWriter(GCheetah&) { return 0; }
int16_t GPeripheral::SetPdlWriter(GPcl5e&) { return 0; }
int16_t GPeripheral::SetPdlWriter(GPostScript&) { return 0; }
int16_t GPeripheral::SetPjlWriter(GPJL&) { return 0; }
int16_t GPeripheral::ApplyMedia(GMedia&) { return 0; }
int16_t GPeripheral::ApplyTray(GTray&) { return 0; }
