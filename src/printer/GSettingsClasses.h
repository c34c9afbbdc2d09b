// The closed list of the classes a settings tree may hold: the attributes, composites,
// associations, values and mappings that the document and printer settings and their
// lists are made of. Every read of settings from outside (a DEVMODE in either coding,
// the generic records of the compact form, printer data and registry values read as
// settings, the settings of the driver data file) runs under it, so the bytes can never
// make a records store, a peripheral or anything else that opens, loads or runs
// something; such a class fails the read before it is made.
#pragma once

#include "foundation/RWClassList.h"

class GSettingsClasses {
public:
    static const RWClassList& List();

    // Holds the restores of the calling thread to the list while it lives.
    class Scope : public RWClassListScope {
    public:
        Scope() : RWClassListScope(List()) {}
    };
};
