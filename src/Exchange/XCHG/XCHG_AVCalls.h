// Wrappers of the host's AcroView table: alerts, the application, documents, menus, page views, tools, toolbars and windows.
// Each wrapper makes exactly one call of its slot through the table
// pointer of the host binding, guarded as PDFL_GuardedCall describes, and
// reports a host error with the unit "XCHG_AVCalls" and its row's line. Arguments
// pass unchanged in the slot's order (16-bit and 8-bit ones narrowed to the
// slot's width); the result is the slot's, unchanged. Results that mean
// failure without a host error are returned for the caller to judge.
#pragma once

#include "hostpdf/PDFL_HostCall.h"
#include "viewer/host_api.h"

#define PDFL_CALL PDFL_DECLARE_HOST_CALL
#include "Exchange/XCHG/XCHG_AVCalls.inc"
#undef PDFL_CALL
