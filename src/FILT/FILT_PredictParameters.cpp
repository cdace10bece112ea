#include "FILT/FILT_PredictParameters.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

void FILT_PredictParameters::Check(const char* filterName, uint32_t code) const {
    if (predictor != None && predictor != TIFF && !IsPNG()) {
        GLIB_LOG(GLIB_LogError, "Unrecognized Prediction: " << predictor);
        GLIB_THROW(GLIB_Exception, code, "Unrecognized Prediction: " << predictor);
    }
    const uint32_t b = bitsPerComponent;
    if (b != 1 && b != 2 && b != 4 && b != 8 && b != 16)
        GLIB_THROW(GLIB_Exception, code, filterName << ": BitsPerComponent must be 1, 2, 4, 8 or 16, not " << b);
    if (predictor == TIFF && b == 16)
        GLIB_THROW(GLIB_Exception, code, filterName << ": TIFF prediction supports 1, 2, 4 and 8 bits per component, not "
                                                    << b);
    if (colors < 1 || colors > MaxColors)
        GLIB_THROW(GLIB_Exception, code, filterName << ": Colors must be 1 to " << MaxColors << ", not " << colors);
    if (columns < 1)
        GLIB_THROW(GLIB_Exception, code, filterName << ": Columns must be at least 1, not " << columns);
    const uint64_t rowBytes = (static_cast<uint64_t>(columns) * colors * b + 7) / 8;
    if (rowBytes > MaxRowBytes)
        GLIB_THROW(GLIB_Exception, code, filterName << ": a row of " << columns << " columns of " << colors
                                                    << " colors at " << b << " bits is " << rowBytes
                                                    << " bytes, more than " << MaxRowBytes);
}
