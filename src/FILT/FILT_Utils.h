// Helpers for building filter chains.
#pragma once

#include "FILT/FILT_Filter.h"

// Joins two owned filters (either may be null) into one through which data
// flows a first, then b: appends to a when a is a pipe, prepends to b when b
// is one, else makes a new pipe of the two. Returns the result, which the
// caller owns; on GLIB_BadAllocException both filters are destroyed.
FILT_Filter* FILT_ConcatenateFilters(FILT_Filter* a, FILT_Filter* b);
