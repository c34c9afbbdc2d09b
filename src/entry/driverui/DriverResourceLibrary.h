// The printer's resource library, loaded as data for the length of one answer: the
// strings of the driver UI object's answers (messages, bin and paper names, job texts).
#pragma once

#include "entry/driverui/GDriverUIBase.h"

class DriverResourceLibrary {
public:
    explicit DriverResourceLibrary(GDriverUIBase& ui)
    {
        RWWString path;
        ui.GetResourceLibraryPath(path);
        module_ = path.Length() ? LoadLibraryExW(path.Data(), nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr;
    }
    ~DriverResourceLibrary()
    {
        if (module_)
            FreeLibrary(module_);
    }
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
