// The base of a query sent to the device: two numbers and a name that say what to ask,
// and two texts that hold what came back.
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWWString.h"

#include <cstdint>

class GDeviceQuery {
public:
    GDeviceQuery(uint32_t first, uint32_t second, const RWWString& name);
    virtual ~GDeviceQuery();

    virtual bool IsAnswered() const = 0;
    virtual const RWCString& GetFirstText() const;
    virtual const RWCString& GetSecondText() const;
    // Runs the query: 0, or the status of the failure.
    virtual uint16_t Run() = 0;

    uint32_t GetFirstValue() const { return first_; }
    uint32_t GetSecondValue() const { return second_; }
    const RWWString& GetName() const { return name_; }

protected:
    uint32_t first_;
    uint32_t second_;
    RWWString name_;
    RWCString firstText_;
    RWCString secondText_;
};
