// A signed 32-bit number carried through the object graph: a key or value of the
// association lists and a member of the printer's configuration.
#pragma once

#include "model/GPersistableNumber.h"

class GPersistableLong : public GPersistableNumber<GPersistableLong, int32_t, 777> {
public:
    static constexpr const char* kClassName = "GPersistableLong";

    using GPersistableNumber::GPersistableNumber;

    GPersistableLong* CreateNew() const override { return new GPersistableLong; }
    GPersistableLong* Copy() const override { return new GPersistableLong(*this); }
};
