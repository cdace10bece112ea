// Wrapper of the host's optional Cos updates table (gXCHG_CosUpdatesHFT):
// what the file's updates did to the object a reference names. Guarded as
// PDFL_GuardedCall describes, reported with the unit "PDFL_CosUpdateCalls";
// call it only while the table is bound.
#pragma once

#include "hostpdf/PDFL_HostCall.h"
#include "viewer/host_api.h"

#define PDFL_CALL PDFL_DECLARE_HOST_CALL
#include "hostpdf/PDFL_CosUpdateCalls.inc"
#undef PDFL_CALL
