#include "Exchange/XCHG/XCHG_AVCalls.h"

#define PDFL_CALL(...) PDFL_DEFINE_HOST_CALL("XCHG_AVCalls", __VA_ARGS__)
#include "Exchange/XCHG/XCHG_AVCalls.inc"
#undef PDFL_CALL
