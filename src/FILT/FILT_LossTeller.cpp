#include "FILT/FILT_LossTeller.h"

#include "COMN_LossRecord.h"
#include "GLIB/GLIB_Log.h"

void FILT_LossTeller::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    m_chain->ProcessBytes(inBuf, outBuf);
    if (m_told || !outBuf.IsEOD())
        return;
    m_told = true;
    if (const char* loss = m_chain->Loss())
        GLIB_LOG(GLIB_LogWarning, COMN_LOSS_LEAD << loss);
}
