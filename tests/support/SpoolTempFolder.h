// The test run's temporary folder named as a folder of spool files, so that records
// stores take names of files in it, as they take those the spooling filters make.
#pragma once

#include "TempPath.h"
#include "foundation/RWWString.h"
#include "model/MPersistentCompositeOnDisk.h"

inline bool AllowTempSpoolFolder()
{
    static const bool allowed =
        MPersistentCompositeOnDisk::AddSpoolFolder(RWWString(TempPath::Folder().c_str(), RWWString::multiByte));
    return allowed;
}
