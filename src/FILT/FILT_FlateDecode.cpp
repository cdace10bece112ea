#include "FILT/FILT_FlateDecode.h"

#include "GLIB/GLIB_Log.h"

void FILT_FlateDecode::NeedsInput() {
    GLIB_LOG(GLIB_LogDebug, "Encountered Z_BUF_ERROR that will be ignored. It is assumed zlib needs more "
                              "input data to successfully continue decoding.");
}
