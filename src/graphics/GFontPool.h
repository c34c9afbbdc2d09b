// What a job's font database offers the pages spooled to disk: a replayed page first
// reloads the fonts that were in use when it was spooled. The producer of a job hands
// its font database out through this interface.
#pragma once

#include "foundation/RWWString.h"

class GFontPool {
public:
    virtual ~GFontPool() = default;

    // Makes the database hold what the named file holds: 1 on success (at once when the
    // file is the one loaded last), 0 when the file could not be read.
    virtual int LoadFromFile(const RWWString& name) = 0;
};
