#include "hostpdf/PDFL_CorCalls.h"

#define PDFL_CALL(...) PDFL_DEFINE_HOST_CALL("PDFL_CorCalls", __VA_ARGS__)
#include "hostpdf/PDFL_CorCalls.inc"
#undef PDFL_CALL
