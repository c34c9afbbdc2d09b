// An unsigned 32-bit number carried through the object graph: a key or value of the
// association lists and a member of the printer's configuration.
#pragma once

#include "model/GPersistableNumber.h"

class GPersistableULong : public GPersistableNumber<uint32_t, 778> {
public:
    using GPersistableNumber::GPersistableNumber;

    GPersistableULong* CreateNew() const override;
    GPersistableULong* Copy() const override;
};
