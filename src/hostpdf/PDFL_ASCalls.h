// Wrappers of the host's AcroSupport table: error texts, paths, file systems, files and streams.
// Each wrapper makes exactly one call of its slot through the table
// pointer of the host binding, guarded as PDFL_GuardedCall describes, and
// reports a host error with the unit "PDFL_ASCalls" and its row's line. Arguments
// pass unchanged in the slot's order (16-bit and 8-bit ones narrowed to the
// slot's width); the result is the slot's, unchanged. Results that mean
// failure without a host error are returned for the caller to judge.
#pragma once

#include "hostpdf/PDFL_HostCall.h"
#include "viewer/host_api.h"

#define PDFL_CALL PDFL_DECLARE_HOST_CALL
#include "hostpdf/PDFL_ASCalls.inc"
#undef PDFL_CALL

// Slot 21 itself is iPDFL_ASGetHostDefaultFileSys. Every other caller asks
// PDFL_ASGetDefaultFileSys (PDFL_RetryingFileSys.h), which answers with the
// retrying copy of the host's record.
PDFL_ASFileSys PDFL_ASGetDefaultFileSys();
