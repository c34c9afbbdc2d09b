// The paper-code conversions of the driver's user-interface object, as the paper-size
// translator asks them. The driver UI object implements it; a driver object without it
// keeps the table's codes on import and exports codes as they are.
#pragma once

#include <cstdint>

class GObjectBase;

class GPaperCodeSource {
public:
    virtual ~GPaperCodeSource() = default;
    // The value of a feature id: for a paper code the 1-based index of its form; 1 when
    // one was found.
    virtual int QueryFeatureValue(uint16_t featureId, uint16_t& value) = 0;
    // A paper code of the settings mapped to its form and back to a media code.
    virtual uint16_t NormalizePaperCode(GObjectBase* settings, uint16_t code) = 0;
};
