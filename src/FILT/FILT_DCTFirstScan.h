// The first scan's entropy-coded data as libjpeg's decoder meets them, read
// apart from libjpeg: the restart markers, and the first other marker (or the
// data's end), where a Huffman decoder runs out. A restart marker does not
// end the data: libjpeg resumes after it. Fed the scan's bytes in order, in
// pieces of any size, from the first byte after its SOS segment.
#pragma once

#include "FILT/FILT_Filter.h"

#include <cstdint>

class FILT_DCTFirstScan {
public:
    // Reads bytes on; nothing after the first marker that is no restart marker.
    void Read(const uint8_t* data, FILT_Size n);
    // The restart markers met.
    uint32_t Restarts() const { return m_restarts; }
    // Not one data byte since the scan's start or its last restart marker:
    // the interval that begins there holds nothing of the data.
    bool LastIntervalEmpty() const { return !m_data; }
    // The first MCU of the interval the last restart marker begins, of
    // restartInterval MCUs each; -1 when the markers came out of order.
    int64_t LastIntervalStart(uint32_t restartInterval) const;

private:
    uint32_t m_restarts = 0;
    bool m_inOrder = true;
    bool m_data = false;
    bool m_afterPrefix = false;
    bool m_ended = false;
};
