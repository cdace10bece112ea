#include "hostpdf/PDFL_CosCalls.h"

#define PDFL_CALL(...) PDFL_DEFINE_HOST_CALL("PDFL_CosCalls", __VA_ARGS__)
#include "hostpdf/PDFL_CosCalls.inc"
#undef PDFL_CALL
