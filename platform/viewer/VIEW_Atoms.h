// Atoms (Core slots 5 and 7): one 16-bit number per distinct text, stable
// for the life of the process; 0 is never given.
#pragma once

#include "viewer/host_api.h"

class VIEW_Atoms {
public:
    // A null text is a VIEW_AssertionFailure. Running out of atoms (a file
    // may hold more distinct names than 16 bits number) is a host error,
    // raised as VIEW_HostRaise with the text "the file needs more than
    // 65,535 distinct names" registered; the atoms given stay as they were.
    static PDFL_ASAtom FromString(const char* text);

    static constexpr unsigned Capacity = 0xFFFF;
    // The atoms given so far, for the tests.
    static unsigned Count();
    // The text of an atom; an atom never given is a VIEW_AssertionFailure.
    static const char* GetString(PDFL_ASAtom atom);
};
