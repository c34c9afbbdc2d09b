// The printer resource libraries loaded as data in the process, each once whatever the
// number of driver objects that use it: a driver object takes a load at its first answer
// that needs strings and gives it back when it goes, so that answers and objects after
// the first open no file. A library stays loaded after its last load while its file
// stays as it was (its size and last write time); one whose file changed is loaded
// again, the old one freed with its last load. What is loaded goes with the module.
#pragma once

#include "foundation/RWWString.h"

#include <windows.h>

#include <cstdint>

class GResourceLibraryLoads {
public:
    // The library at the path, loaded as data now or by an earlier load still held; one
    // more load of it. Null when it does not load.
    static HMODULE Acquire(const RWWString& path);
    // Gives back one load of the library.
    static void Release(HMODULE module);
};
