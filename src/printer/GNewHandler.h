// The allocation-failure handler of the process while the module is loaded: it keeps a
// reserve block, gives it up when an allocation fails, asks the driver server to free
// what it can, rebuilds the reserve and lets the allocation retry. A failure with no
// reserve left, or with nothing to free, ends the process (error 101).
#pragma once

#include <cstdint>

// Installs the handler (once; the handler it replaces is remembered) and makes a new
// reserve; a non-zero size becomes the reserve size (1024 until then). Does nothing
// without system services.
void InstallNewHandler(uint32_t reserveSize);
// Restores the remembered handler, frees the reserve and the handler's lock.
void RemoveNewHandler();
// The installed handler: returns so that the failed allocation is retried.
void OutOfMemoryHandler();
// Asks the driver server to free memory; ends the process when nothing was freed.
void ReleaseDriverMemory();

// The current reserve (null when given up) and its size.
const void* NewHandlerReserve();
uint32_t NewHandlerReserveSize();
