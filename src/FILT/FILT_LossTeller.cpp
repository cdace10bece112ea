#include "FILT/FILT_LossTeller.h"

#include "COMN_LossRecord.h"
#include "GLIB/GLIB_Log.h"

#include <cstring>
#include <memory>

FILT_LossTeller::FILT_LossTeller(FILT_Filter* chain) {
    std::unique_ptr<FILT_Filter> owned(chain);
    SetEndsAtDamage(true);
    // One pipe, so that a damaged decoder's last bytes reach those after it.
    auto* pipe = std::strcmp(chain->Name(), "FILT_FilterPipe") == 0 ? dynamic_cast<FILT_FilterPipe*>(chain) : nullptr;
    if (pipe == nullptr) {
        Append(owned.release());
        return;
    }
    std::vector<std::unique_ptr<FILT_Filter>> filters;
    for (FILT_Filter* f : pipe->TakeFilters())
        filters.emplace_back(f);
    for (std::unique_ptr<FILT_Filter>& f : filters)
        Append(f.release());
}

void FILT_LossTeller::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    FILT_FilterPipe::ProcessBytes(inBuf, outBuf);
    if (m_told || !outBuf.IsEOD())
        return;
    m_told = true;
    if (const char* loss = Loss())
        GLIB_LOG(GLIB_LogWarning, COMN_LOSS_LEAD << loss);
}
