// Compiled by CTest alone: with GUARDED_ARGUMENT std::string it must not
// compile, since the host's jump would skip the string's destructor.
#include "hostpdf/PDFL_ExceptionHandler.h"

#include <string>

PDFL_ASAtom Atom(PDFL_HFT hft, GUARDED_ARGUMENT text) {
    return PDFL_GuardedCall<PDFL_CoreTable, 5>(hft, "GuardedCallArgument", __LINE__, text);
}
