// Passes a set number of bytes unchanged, then reports the end of the data,
// so that a stretch of a larger stream (an inline image's data) reads as a
// stream of its own. Bytes beyond the set length are never taken.
//
// Input that ends before the set length logs the warning "Unexpected end of
// data." and ends the data all the same; nothing is thrown.
#pragma once

#include "FILT/FILT_Filter.h"

class FILT_SubFileFilter : public FILT_Filter {
public:
    FILT_SubFileFilter() = default;

    // The bytes to pass from now on; may be set again for another stretch.
    void SetLength(uint32_t n) { m_remaining = n; }

    const char* Name() const override { return "FILT_SubFileFilter"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;

private:
    uint32_t m_remaining = 0;
};
