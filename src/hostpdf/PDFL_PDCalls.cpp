#include "hostpdf/PDFL_PDCalls.h"

#define PDFL_CALL(...) PDFL_DEFINE_HOST_CALL("PDFL_PDCalls", __VA_ARGS__)
#include "hostpdf/PDFL_PDCalls.inc"
#undef PDFL_CALL
