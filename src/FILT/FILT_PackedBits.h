// Cursors over image samples of 1, 2, 4 or 8 bits packed into bytes, most
// significant bits first (sample 0 of a byte is its top bits).
//
// A caller works call by call: SetData over the buffer's readable (get..put)
// or writable (put..end) bytes, reads or writes at most SamplesAvailable() or
// SpaceAvailable() samples, then advances the buffer by TakeConsumed() or
// TakeProduced() whole bytes. A byte that holds part of a sample group stays
// in the buffer and the next window must start with it: the cursor keeps its
// sample index. The writer's bits already written into that byte stay past
// the put pointer, so the caller must not disturb them between calls.
//
// A width other than 1, 2, 4 or 8 is a programming error (fatal log): the
// callers check widths that come from documents before they get here.
#pragma once

#include "FILT/FILT_FilterBuffer.h"

#include <cstdint>

class FILT_PackedBitsBase {
public:
    // 8 bits per sample, index 0.
    FILT_PackedBitsBase();

    // Sets the width (1, 2, 4 or 8) and the sample index to firstSample mod
    // samples per byte; returns the whole bytes firstSample covers.
    FILT_Size SetBitsPerSample(FILT_Size bits, FILT_Size firstSample);
    // Sample index from a bit offset (mod 8) that is a multiple of the width.
    void SetBitAlignment(FILT_Size bitOffset);
    // Bits of the current byte already passed.
    FILT_Size BitsUsed() const { return m_sampleIndex * m_bitsPerSample; }
    FILT_Size BitsPerSample() const { return m_bitsPerSample; }

protected:
    uint32_t m_sampleIndex = 0;
    uint32_t m_samplesPerByte = 0;
    uint8_t m_masks[8] = {};
    uint32_t m_shifts[8] = {};
    uint32_t m_bitsPerSample = 0;
};

class FILT_PackedBitsR : public FILT_PackedBitsBase {
public:
    // No data; no end limit.
    FILT_PackedBitsR() = default;
    virtual ~FILT_PackedBitsR() = default;

    void Init(const uint8_t* data, FILT_Size bits, FILT_Size firstSample, FILT_Size length);
    // A new window; the sample index stays.
    void SetData(const uint8_t* data, FILT_Size length);
    FILT_Size SamplesAvailable() const;
    uint8_t ReadSample();
    // n samples (at most SamplesAvailable, asserted), one byte each.
    void ReadSamples(uint8_t* out, FILT_Size n);
    // Skips the rest of a partly read byte (a row's padding).
    void AlignToByte();
    // Whole bytes passed since the last call.
    FILT_Size TakeConsumed();

private:
    const uint8_t* m_data = nullptr;
    const uint8_t* m_mark = nullptr;
    const uint8_t* m_endData = nullptr;
};

class FILT_PackedBitsW : public FILT_PackedBitsBase {
public:
    FILT_PackedBitsW() = default;
    virtual ~FILT_PackedBitsW() = default;

    void Init(uint8_t* data, FILT_Size bits, FILT_Size firstSample, FILT_Size length);
    void SetData(uint8_t* data, FILT_Size length);
    FILT_Size SpaceAvailable() const;
    // Writes the low bits of v into the current position, keeping the byte's
    // other bits.
    void WriteSample(uint8_t v);
    // n samples (at most SpaceAvailable, asserted), one byte each.
    void WriteSamples(const uint8_t* in, FILT_Size n);
    // Ends a row: the rest of a partly written byte becomes zero bits.
    void Flush();
    // Whole bytes completed since the last call.
    FILT_Size TakeProduced();

private:
    uint8_t* m_data = nullptr;
    uint8_t* m_mark = nullptr;
    uint8_t* m_endData = nullptr;
};

// A small cursor over sub-byte components, as the TIFF predictor walks them.
// Get steps to the next byte before a read; Put steps after a write.
class FILT_BitComponent {
public:
    // bits: 1, 2, 4 or 8.
    FILT_BitComponent(uint8_t* data, FILT_Size bits);
    uint8_t Get();
    void Put(uint8_t v);

private:
    uint8_t* m_data;
    uint32_t m_sampleIndex = 0;
    uint32_t m_samplesPerByte = 0;
    uint8_t m_masks[8] = {};
    uint32_t m_shifts[8] = {};
    uint32_t m_bitsPerSample;
};
