// Free-space list of 92-byte blocks holding 10 extents each, mark 0x1234: the form of
// files whose header names that block size.
#pragma once

#include "foundation/RWFreeSpaceList.h"

class RWFreeSpaceList10 final : public RWFreeSpaceListOf<10, 0x1234> {
public:
    using RWFreeSpaceListOf::RWFreeSpaceListOf;
};

static_assert(RWFreeSpaceList10::kBlockSize == 92, "10-entry list block");
