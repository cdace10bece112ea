// Image rows between packed samples and one byte per sample, as filters:
// the separation engine expands a low-depth image to bytes, works on them and
// packs them back. Packed rows are padded with zero bits to a whole byte.
//
// FILT_To8BitFilter: packed rows of 1, 2, 4 or 12 bits in, one byte per
// sample out (see FILT_To8BitConverter for the values). The padding bits at
// the end of each row are skipped; a last partial sample is dropped.
//
// FILT_From8BitFilter: one byte per sample in, packed rows of 1, 2 or 4 bits
// out (the top bits of each byte). Each row is padded; input that ends
// inside a row gives that row's samples so far, padded.
//
// Neither filter has an Error state: no data can be bad. Init throws
// GLIB_Exception FILT_SampleCode, leaving the filter as it was, for a width
// the filter does not support or for 0 samples per row. A new filter is set
// for 1 bit, scaled, 1 sample per row.
#pragma once

#include "FILT/FILT_BitTupleBuffer.h"
#include "FILT/FILT_Filter.h"
#include "FILT/FILT_SampleConverter.h"

class FILT_To8BitFilter : public FILT_Filter {
public:
    FILT_To8BitFilter();
    FILT_To8BitFilter(const FILT_To8BitFilter&) = delete;
    FILT_To8BitFilter& operator=(const FILT_To8BitFilter&) = delete;

    // Before the first ProcessBytes. bitsPerSample: 1, 2, 4 or 12.
    void Init(FILT_Size samplesPerRow, FILT_Size bitsPerSample, bool unscaled = false);

    const char* Name() const override { return "FILT_To8BitFilter"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;

private:
    FILT_Size m_samplesPerRow = 1;
    FILT_Size m_samplesLeft = 1;
    FILT_BitTupleBufferR m_reader;
    FILT_To8BitConverter m_converter;
};

class FILT_From8BitFilter : public FILT_Filter {
public:
    FILT_From8BitFilter();
    FILT_From8BitFilter(const FILT_From8BitFilter&) = delete;
    FILT_From8BitFilter& operator=(const FILT_From8BitFilter&) = delete;

    // Before the first ProcessBytes. bitsPerSample: 1, 2 or 4.
    void Init(FILT_Size samplesPerRow, FILT_Size bitsPerSample);

    const char* Name() const override { return "FILT_From8BitFilter"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;

private:
    FILT_Size m_samplesPerRow = 1;
    FILT_Size m_samplesLeft = 1;
    FILT_BitTupleBufferW m_writer;
    FILT_From8BitConverter m_converter;
};
