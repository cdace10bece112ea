// A decoder chain whose loss (FILT_Filter::Loss) is logged once, as the
// chain finishes, in the form COMN_LossRecord.h gives, so that the program
// can say what may be missing: the chain every reader of decoded data gets
// (GLOB_Filter::MakeReadingChain). A decoder that fails on damaged data ends
// the data there, as the input's end would (FILT_FilterPipe::SetEndsAtDamage):
// the reader takes what came before and the loss is told. Otherwise the
// chain's own behaviour: its bytes, its end, its other exceptions.
#pragma once

#include "FILT/FILT_FilterPipe.h"

class FILT_LossTeller : public FILT_FilterPipe {
public:
    // Owns chain (not null); a pipe's filters become the teller's own.
    explicit FILT_LossTeller(FILT_Filter* chain);

    const char* Name() const override { return "FILT_LossTeller"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;
    // A reader that says the loss in words of its own, with Loss, once the
    // chain has finished: the teller then logs nothing.
    void LeaveToReader() { m_told = true; }

private:
    bool m_told = false;
};
