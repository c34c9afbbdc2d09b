// The printer's resource library for one answer: the strings of the driver UI object's
// answers (messages, bin and paper names, job texts). The library is the one the driver
// object holds loaded as data for its life.
#pragma once

#include "entry/driverui/GDriverUIBase.h"

class DriverResourceLibrary {
public:
    explicit DriverResourceLibrary(GDriverUIBase& ui) : module_(ui.ResourceModule()) {}
    DriverResourceLibrary(const DriverResourceLibrary&) = delete;
    DriverResourceLibrary& operator=(const DriverResourceLibrary&) = delete;
    HMODULE Get() const { return module_; }
    // The string into the room, at most room - 1 characters and terminated: its length,
    // 0 when it cannot be loaded (the room then empty).
    int Load(uint32_t id, wchar_t* room, int chars) const
    {
        if (!room || chars <= 0)
            return 0;
        room[0] = 0;
        return module_ ? LoadStringW(module_, id, room, chars) : 0;
    }

private:
    HMODULE module_;
};
