// A printer model as the driver's data file holds it: the printer, the id pool, the OS
// tray map and the id map, with the stamp of the file they were read from. It is the one
// part of a driver object that outlives the object: a new object for the same printer
// takes it over from a spare instead of reading the file again, and only while the file
// the printer's driver names is still the one it was read from. Everything else a driver
// object holds (its handles, its DEVMODE, what a sheet or a caller left) begins afresh.
#pragma once

#include "printer/GSourceStamp.h"

#include <memory>

class GObjectBase;
class GResourceMappingList;

class GDriverModel {
public:
    GDriverModel();
    ~GDriverModel();
    GDriverModel(const GDriverModel&) = delete;
    GDriverModel& operator=(const GDriverModel&) = delete;

    // Exchanges the whole model with another.
    void Swap(GDriverModel& other);

    std::unique_ptr<GObjectBase> printer;
    std::unique_ptr<GResourceMappingList> idPool;
    std::unique_ptr<GResourceMappingList> osTrayMap;
    std::unique_ptr<GResourceMappingList> idMap;
    // The data file as it was when the model was read; unknown for a model made otherwise.
    GSourceStamp source;
};
