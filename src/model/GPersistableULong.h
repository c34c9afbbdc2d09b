// An unsigned 32-bit number carried through the object graph: a key or value of the
// association lists and a member of the printer's configuration.
#pragma once

#include "model/GPersistableNumber.h"

class GPersistableULong : public GPersistableNumber<GPersistableULong, uint32_t, 778> {
public:
    static constexpr const char* kClassName = "GPersistableULong";

    using GPersistableNumber::GPersistableNumber;

    GPersistableULong* CreateNew() const override { return new GPersistableULong; }
    GPersistableULong* Copy() const override { return new GPersistableULong(*this); }
};
