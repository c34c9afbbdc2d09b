// A signed 32-bit number carried through the object graph: a key or value of the
// association lists and a member of the printer's configuration.
#pragma once

#include "model/GPersistableNumber.h"

class GPersistableLong : public GPersistableNumber<int32_t, 777> {
public:
    using GPersistableNumber::GPersistableNumber;

    GPersistableLong* CreateNew() const override;
    GPersistableLong* Copy() const override;
};
