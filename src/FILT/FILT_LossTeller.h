// A decoder chain whose loss (FILT_Filter::Loss) is logged once, as the
// chain finishes, in the form COMN_LossRecord.h gives: for readers that
// take what the data hold and go on (content, forms, functions), so that
// the program can say what may be missing. Otherwise the chain's own
// behaviour: its bytes, its end, its exceptions.
#pragma once

#include "FILT/FILT_Filter.h"

#include <memory>

class FILT_LossTeller : public FILT_Filter {
public:
    // Owns chain (not null).
    explicit FILT_LossTeller(FILT_Filter* chain) : m_chain(chain) {}

    const char* Name() const override { return "FILT_LossTeller"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;
    const char* Loss() const override { return m_chain->Loss(); }
    FILT_Filter* Chain() const { return m_chain.get(); }

private:
    std::unique_ptr<FILT_Filter> m_chain;
    bool m_told = false;
};
