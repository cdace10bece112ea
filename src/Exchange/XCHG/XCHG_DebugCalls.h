// Wrapper of the host's optional "ADBE_DebuggerWindow" table: one text per
// call. Guarded as PDFL_GuardedCall describes, reported with the unit
// "XCHG_DebugCalls"; call it only while the table is bound.
#pragma once

#include "hostpdf/PDFL_HostCall.h"
#include "viewer/host_api.h"

#define PDFL_CALL PDFL_DECLARE_HOST_CALL
#include "Exchange/XCHG/XCHG_DebugCalls.inc"
#undef PDFL_CALL
