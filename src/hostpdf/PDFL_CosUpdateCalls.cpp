#include "hostpdf/PDFL_CosUpdateCalls.h"

#define PDFL_CALL(...) PDFL_DEFINE_HOST_CALL("PDFL_CosUpdateCalls", __VA_ARGS__)
#include "hostpdf/PDFL_CosUpdateCalls.inc"
#undef PDFL_CALL
