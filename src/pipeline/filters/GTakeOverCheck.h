// What a filter that may take a whole job over (manual duplex) answers to the filters
// that must know beforehand, without their knowing its class: the booklet filter asks
// it before it prints a cover sheet, and reaches it through the class factory by name.
#pragma once

#include "foundation/RWCString.h"

#include <vector>

class GCommandProducer;
class GObjectBase;

class GTakeOverCheck {
public:
    // The class name the booklet filter makes the check from.
    static constexpr const char* kCheckClassName = "GManualDuplexFilter";

    virtual ~GTakeOverCheck() = default;
    // 1 when the filter would take a job of the state over on paper of any of the media
    // types given; 0 when it would not.
    virtual int WouldTakeOver(GObjectBase* jobState, GCommandProducer* producer,
                              const std::vector<RWCString>& mediaTypes) = 0;
};
