// Atoms (Core slots 5 and 7): one 16-bit number per distinct text, stable
// for the life of the process; 0 is never given.
#pragma once

#include "viewer/host_api.h"

class VIEW_Atoms {
public:
    // A null text is a VIEW_AssertionFailure; so is running out of atoms.
    static PDFL_ASAtom FromString(const char* text);
    // The text of an atom; an atom never given is a VIEW_AssertionFailure.
    static const char* GetString(PDFL_ASAtom atom);
};
