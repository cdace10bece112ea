#include "FILT/FILT_SubFileFilter.h"

#include "GLIB/GLIB_Log.h"

#include <algorithm>
#include <cstring>

void FILT_SubFileFilter::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    const FILT_Size n = std::min({m_remaining, inBuf.DataAvailable(), outBuf.SpaceRemaining()});
    if (n > 0) {
        std::memcpy(outBuf.PutPtr(), inBuf.GetPtr(), n);
        inBuf.AdvanceGetPtr(n);
        outBuf.AdvancePutPtr(n);
        m_remaining -= n;
    }
    if (m_remaining == 0) {
        outBuf.SetEOD();
    } else if (inBuf.DataAvailable() == 0 && inBuf.IsEOD()) {
        GLIB_LOG(GLIB_LogWarning, "Unexpected end of data.");
        outBuf.SetEOD();
    }
}
