#include "hostpdf/PDFL_ASCalls.h"

#define PDFL_CALL(...) PDFL_DEFINE_HOST_CALL("PDFL_ASCalls", __VA_ARGS__)
#include "hostpdf/PDFL_ASCalls.inc"
#undef PDFL_CALL
