#include "Exchange/XCHG/XCHG_DebugCalls.h"

#define PDFL_CALL(...) PDFL_DEFINE_HOST_CALL("XCHG_DebugCalls", __VA_ARGS__)
#include "Exchange/XCHG/XCHG_DebugCalls.inc"
#undef PDFL_CALL
