// Free-space list of 268-byte blocks holding 32 extents each, mark 0x1235: the form
// every new file gets.
#pragma once

#include "foundation/RWFreeSpaceList.h"

class RWFreeSpaceList32 final : public RWFreeSpaceListOf<32, 0x1235> {
public:
    using RWFreeSpaceListOf::RWFreeSpaceListOf;
};

static_assert(RWFreeSpaceList32::kBlockSize == 268, "32-entry list block");
