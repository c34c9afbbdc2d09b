// A graphic made of graphics, kept in order: every collection operation goes to the
// member list. Drawing it draws nothing; whoever opens it walks the members.
#pragma once

#include "graphics/GGraphic.h"
#include "model/GMemberListOf.h"

class GGraphicComposite : public GMemberListOf<GGraphicComposite, GGraphic, GGraphic, 607> {
public:
    static constexpr const char* kClassName = "GGraphicComposite";
    GGraphicComposite* CreateNew() const override { return new GGraphicComposite; }
    GGraphicComposite* Copy() const override { return new GGraphicComposite(*this); }

    GGraphicComposite() = default;
    GGraphicComposite(GState* state, const long& id) : GMemberListOf(state, id) {}

    // A restore reads the members into the existing list and clears the modified mark; a
    // member that is no graphic fails the read.
    template <class In>
    void ReadForm(In& in);
};
