#include "Exchange/XCHG/XCHG_WinCalls.h"

#define PDFL_CALL(...) PDFL_DEFINE_HOST_CALL("XCHG_WinCalls", __VA_ARGS__)
#include "Exchange/XCHG/XCHG_WinCalls.inc"
#undef PDFL_CALL
