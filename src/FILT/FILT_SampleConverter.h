// Converters between packed image or table samples and the forms the rest of
// the system computes with. Samples are packed most significant bit first
// (sample 0 of a byte is its top bits); samples of 16, 24 and 32 bits are
// big-endian; a 12-bit sample starts at bit offset 0 or 4.
//
//   FILT_FromPackedIntConverter / FILT_ToPackedIntConverter: 1, 2, 4, 8, 12,
//     16, 24 or 32 bits <-> unsigned 32-bit integers (sampled functions).
//   FILT_To8BitConverter: 1, 2, 4 or 12 bits -> one byte per sample.
//   FILT_From8BitConverter: one byte per sample -> 1, 2 or 4 bits.
//
// Widths usually come from a document (BitsPerComponent, BitsPerSample), so
// a width a converter does not support throws GLIB_Exception FILT_SampleCode
// from the constructor or Init, which then leave the converter unchanged.
// Convert never fails on data; a bit offset that does not suit the width is
// a programming error (assertion).
#pragma once

#include "FILT/FILT_Filter.h"
#include "FILT/FILT_FilterBuffer.h"

#include <cstdint>

// Packed samples of any supported width -> unsigned 32-bit integers.
class FILT_FromPackedIntConverter {
public:
    // bitsPerSample: 1, 2, 4, 8, 12, 16, 24 or 32.
    explicit FILT_FromPackedIntConverter(FILT_Size bitsPerSample);
    void Init(FILT_Size bitsPerSample);
    FILT_Size BitsPerSample() const { return m_bitsPerSample; }

    // Unpacks count samples from src, the first at bitOffset bits into its
    // first byte (a multiple of the width below 8; 0 from 8 bits up, 0 or 4
    // for 12), into dst. Returns the bit offset after the last sample.
    FILT_Size Convert(FILT_Size count, const uint8_t* src, FILT_Size bitOffset, uint32_t* dst) const;

private:
    using Routine = void (*)(const FILT_FromPackedIntConverter&, FILT_Size, const uint8_t*, FILT_Size, uint32_t*);
    static void UnpackSmall(const FILT_FromPackedIntConverter&, FILT_Size, const uint8_t*, FILT_Size, uint32_t*);
    static void Unpack8(const FILT_FromPackedIntConverter&, FILT_Size, const uint8_t*, FILT_Size, uint32_t*);
    static void Unpack12(const FILT_FromPackedIntConverter&, FILT_Size, const uint8_t*, FILT_Size, uint32_t*);
    static void UnpackBytes(const FILT_FromPackedIntConverter&, FILT_Size, const uint8_t*, FILT_Size, uint32_t*);

    FILT_Size m_bitsPerSample = 0;
    FILT_Size m_bytesPerSample = 0;
    uint8_t m_masks[8] = {};
    Routine m_routine = nullptr;
};

// Unsigned 32-bit integers -> packed samples; the exact inverse.
class FILT_ToPackedIntConverter {
public:
    // bitsPerSample: 1, 2, 4, 8, 12, 16, 24 or 32.
    explicit FILT_ToPackedIntConverter(FILT_Size bitsPerSample);
    void Init(FILT_Size bitsPerSample);
    FILT_Size BitsPerSample() const { return m_bitsPerSample; }

    // Packs the low bits of count samples from src into dst, the first at
    // bitOffset bits into its first byte (as for unpacking). The bits of
    // partly covered destination bytes outside the samples stay unchanged.
    // Returns the bit offset after the last sample.
    FILT_Size Convert(FILT_Size count, const uint32_t* src, uint8_t* dst, FILT_Size bitOffset) const;

private:
    using Routine = void (*)(const FILT_ToPackedIntConverter&, FILT_Size, const uint32_t*, uint8_t*, FILT_Size);
    static void PackSmall(const FILT_ToPackedIntConverter&, FILT_Size, const uint32_t*, uint8_t*, FILT_Size);
    static void Pack8(const FILT_ToPackedIntConverter&, FILT_Size, const uint32_t*, uint8_t*, FILT_Size);
    static void Pack12(const FILT_ToPackedIntConverter&, FILT_Size, const uint32_t*, uint8_t*, FILT_Size);
    static void PackBytes(const FILT_ToPackedIntConverter&, FILT_Size, const uint32_t*, uint8_t*, FILT_Size);

    FILT_Size m_bitsPerSample = 0;
    FILT_Size m_bytesPerSample = 0;
    uint8_t m_masks[8] = {};
    Routine m_routine = nullptr;
};

// One byte per sample -> packed samples of 1, 2 or 4 bits: the top bits of
// each byte are kept (0xFF at 2 bits gives 3, 0x7F gives 1).
class FILT_From8BitConverter {
public:
    // bitsPerPixel: 1, 2 or 4.
    explicit FILT_From8BitConverter(FILT_Size bitsPerPixel = 1);
    void Init(FILT_Size bitsPerPixel);
    FILT_Size BitsPerPixel() const { return m_bitsPerPixel; }

    // Packs count bytes from src into dst from bitOffset (a multiple of the
    // width below 8); the other bits of partly covered bytes stay unchanged.
    // Returns the bit offset after the last sample.
    FILT_Size Convert(FILT_Size count, const uint8_t* src, FILT_Size bitOffset, uint8_t* dst) const;

private:
    FILT_Size m_bitsPerPixel = 0;
    uint8_t m_masks[8] = {};
};

// Packed samples of 1, 2, 4 or 12 bits -> one byte per sample.
class FILT_To8BitConverter {
public:
    // bitsPerPixel: 1, 2, 4 or 12. Scaled (unscaled false) stretches 1, 2 and
    // 4 bits over 0..255 (v * 255 / (2^bits - 1), exact); unscaled gives the
    // sample values themselves. 12-bit samples keep their top 8 bits either way.
    explicit FILT_To8BitConverter(FILT_Size bitsPerPixel = 1, bool unscaled = false);
    void Init(FILT_Size bitsPerPixel, bool unscaled = false);
    FILT_Size BitsPerPixel() const { return m_bitsPerPixel; }

    // Unpacks count samples from src, the first at bitOffset bits into its
    // first byte (a multiple of the width below 8; 0 or 4 for 12), into
    // count bytes at dst. Returns the bit offset after the last sample.
    FILT_Size Convert(FILT_Size count, const uint8_t* src, FILT_Size bitOffset, uint8_t* dst) const;

private:
    FILT_Size m_bitsPerPixel = 0;
    // 255 / (2^bits - 1) when scaled, else 1.
    uint32_t m_scale = 0;
    uint8_t m_masks[8] = {};
};
