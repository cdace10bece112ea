// The stencil of an image's colour-key mask (ISO 32000-1, 8.9.6.4): from the
// image's samples (n components per pixel, 1, 2, 4 or 8 bits each, rows
// padded to whole bytes) one bit per pixel, rows padded with zero bits: 1
// where every component lies within its [minimum, maximum] range of the /Mask
// array (inclusive, raw sample values), 0 elsewhere.
//
// Init once per image, then ProcessBytes until the output has its EOD flag.
// Input that ends before the last row gives the rows done so far, the last
// partial byte padded, then EOD. Bytes after the last row are left unread.
// The filter keeps a partly written output byte in its own field, so any
// output buffer may be handed in on each call. There is no Error state.
//
// Init throws GLIB_Exception FILT_SampleCode (the filter keeps its previous
// set-up) for a zero height or width, a width of bits per component other
// than 1, 2, 4 or 8, and a mask array that is empty, of odd length or longer
// than 2 * MaxComponents.
#pragma once

#include "FILT/FILT_Filter.h"
#include "FILT/FILT_PackedBits.h"

#include <cstdint>
#include <vector>

class FILT_ColorMask : public FILT_Filter {
public:
    // Far above the 32 colorants of a DeviceN space (ISO 32000-1, C.2).
    static constexpr FILT_Size MaxComponents = 256;

    FILT_ColorMask();
    FILT_ColorMask(const FILT_ColorMask&) = delete;
    FILT_ColorMask& operator=(const FILT_ColorMask&) = delete;

    // mask: the /Mask array, minimum and maximum of each component in turn.
    void Init(FILT_Size height, FILT_Size width, FILT_Size bitsPerComponent, const std::vector<uint32_t>& mask);

    const char* Name() const override { return "FILT_ColorMask"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;

private:
    // Ends the output's partial byte and sets EOD once that byte has room.
    void Finish(FILT_FilterBuffer& outBuf);

    std::vector<uint32_t> m_minimums;
    std::vector<uint32_t> m_maximums;
    FILT_Size m_components = 0;
    FILT_Size m_componentIndex = 0;
    FILT_Size m_width = 0;
    FILT_Size m_column = 0;
    FILT_Size m_rowsLeft = 0;
    FILT_Size m_bitsPerComponent = 8;
    FILT_PackedBitsR m_reader;
    FILT_PackedBitsW m_writer;
    bool m_pixelMatches = true;
    // The output byte the writer has partly filled; its bits are written
    // back at the next call's put pointer.
    uint8_t m_partialByte = 0;
};
