// The UI plug-in interface as far as the module offers it yet: it reports its version
// and builds no pages.
#include "entry/module/EntryPoints.h"

extern "C" uint32_t WINAPI UI_INTERFACEVERSION() { return 2; }
extern "C" int16_t WINAPI UI_INITIALIZE(void*, uint16_t) { return 0; }
extern "C" int16_t WINAPI UI_DESTROY(void*) { return 0; }
extern "C" int16_t WINAPI UI_CONFIGTOSETTINGS(void*) { return 0; }
extern "C" int16_t WINAPI UI_SETTINGSTOCONFIG(uint32_t) { return 0; }
