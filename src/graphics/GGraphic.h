// The base of the graphic primitives: commands that carry the graphic state they were
// made under (a graphic bundle, always under id 244) and that each call exactly one
// drawing handler of the peripheral.
#pragma once

#include "model/GCommand.h"

class GGraphic : public GStoredLevel<GGraphic, GCommand, 602> {
public:
    // The id every graphic state takes when a primitive holds it.
    static constexpr long kStateId = 244;

    GGraphic();
    // A given state takes id 244 before it is held.
    GGraphic(GState* state, const long& id);
    GGraphic(const GGraphic& other) = default;
    GGraphic& operator=(const GGraphic& other) = default;
    ~GGraphic() override;

    // A graphic bundle takes id 244 and becomes the state; any other object is deleted
    // and the state kept.
    void AdoptState(GState* state) override;

    // Its own version word only.
    auto StoredForm() { return GFields(); }
};
