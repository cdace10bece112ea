#include "FILT/FILT_SampleConverter.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"

namespace {

bool IsSmallWidth(FILT_Size bits) { return bits == 1 || bits == 2 || bits == 4; }

// mask[o] covers a sample of the width at bit offset o (offsets that are
// multiples of the width).
void BuildMasks(FILT_Size bits, uint8_t* masks) {
    for (FILT_Size o = 0; o < 8; ++o)
        masks[o] = 0;
    for (FILT_Size o = 0; o + bits <= 8; o += bits)
        masks[o] = static_cast<uint8_t>(((1u << bits) - 1) << (8 - bits - o));
}

FILT_Size OffsetAfter(FILT_Size count, FILT_Size bitOffset, FILT_Size bits) {
    return static_cast<FILT_Size>((static_cast<uint64_t>(count) * bits + bitOffset) % 8);
}

void CheckOffset(FILT_Size bits, FILT_Size bitOffset) {
    if (bits == 12)
        GLIB_ASSERT(bitOffset == 0 || bitOffset == 4);
    else if (bits < 8)
        GLIB_ASSERT(bitOffset < 8 && bitOffset % bits == 0);
    else
        GLIB_ASSERT_CMP(bitOffset, ==, 0u);
}

}  // namespace

// ---------------------------------------------------------------- unpacking

FILT_FromPackedIntConverter::FILT_FromPackedIntConverter(FILT_Size bitsPerSample) { Init(bitsPerSample); }

void FILT_FromPackedIntConverter::Init(FILT_Size bitsPerSample) {
    Routine routine = nullptr;
    if (IsSmallWidth(bitsPerSample))
        routine = UnpackSmall;
    else if (bitsPerSample == 8)
        routine = Unpack8;
    else if (bitsPerSample == 12)
        routine = Unpack12;
    else if (bitsPerSample == 16 || bitsPerSample == 24 || bitsPerSample == 32)
        routine = UnpackBytes;
    else
        GLIB_THROW(GLIB_Exception, FILT_SampleCode,
                   "FILT_FromPackedIntConverter object cannot be created with " << bitsPerSample
                                                                                 << " bits per Sample.");
    m_bitsPerSample = bitsPerSample;
    m_bytesPerSample = bitsPerSample / 8;
    BuildMasks(IsSmallWidth(bitsPerSample) ? bitsPerSample : 8, m_masks);
    m_routine = routine;
}

FILT_Size FILT_FromPackedIntConverter::Convert(FILT_Size count, const uint8_t* src, FILT_Size bitOffset,
                                               uint32_t* dst) const {
    CheckOffset(m_bitsPerSample, bitOffset);
    if (count != 0)
        m_routine(*this, count, src, bitOffset, dst);
    return OffsetAfter(count, bitOffset, m_bitsPerSample);
}

void FILT_FromPackedIntConverter::UnpackSmall(const FILT_FromPackedIntConverter& c, FILT_Size count,
                                              const uint8_t* src, FILT_Size o, uint32_t* dst) {
    const FILT_Size bits = c.m_bitsPerSample;
    for (FILT_Size i = 0; i < count; ++i) {
        dst[i] = static_cast<uint32_t>((*src & c.m_masks[o]) >> (8 - bits - o));
        o += bits;
        if (o == 8) {
            ++src;
            o = 0;
        }
    }
}

void FILT_FromPackedIntConverter::Unpack8(const FILT_FromPackedIntConverter&, FILT_Size count, const uint8_t* src,
                                          FILT_Size, uint32_t* dst) {
    for (FILT_Size i = 0; i < count; ++i)
        dst[i] = src[i];
}

void FILT_FromPackedIntConverter::Unpack12(const FILT_FromPackedIntConverter&, FILT_Size count,
                                           const uint8_t* src, FILT_Size o, uint32_t* dst) {
    for (FILT_Size i = 0; i < count; ++i) {
        if (o != 0) {
            dst[i] = static_cast<uint32_t>(((src[0] & 0x0F) << 8) | src[1]);
            src += 2;
        } else {
            dst[i] = static_cast<uint32_t>((src[0] << 4) | (src[1] >> 4));
            src += 1;
        }
        o = (o + 12) % 8;
    }
}

void FILT_FromPackedIntConverter::UnpackBytes(const FILT_FromPackedIntConverter& c, FILT_Size count,
                                              const uint8_t* src, FILT_Size, uint32_t* dst) {
    const FILT_Size n = c.m_bytesPerSample;
    for (FILT_Size i = 0; i < count; ++i) {
        uint32_t v = 0;
        for (FILT_Size k = 0; k < n; ++k)
            v = (v << 8) | *src++;
        dst[i] = v;
    }
}

// ---------------------------------------------------------------- packing

FILT_ToPackedIntConverter::FILT_ToPackedIntConverter(FILT_Size bitsPerSample) { Init(bitsPerSample); }

void FILT_ToPackedIntConverter::Init(FILT_Size bitsPerSample) {
    Routine routine = nullptr;
    if (IsSmallWidth(bitsPerSample))
        routine = PackSmall;
    else if (bitsPerSample == 8)
        routine = Pack8;
    else if (bitsPerSample == 12)
        routine = Pack12;
    else if (bitsPerSample == 16 || bitsPerSample == 24 || bitsPerSample == 32)
        routine = PackBytes;
    else
        GLIB_THROW(GLIB_Exception, FILT_SampleCode,
                   "FILT_ToPackedIntConverter object cannot be created with " << bitsPerSample
                                                                               << " bits per Sample.");
    m_bitsPerSample = bitsPerSample;
    m_bytesPerSample = bitsPerSample / 8;
    BuildMasks(IsSmallWidth(bitsPerSample) ? bitsPerSample : 8, m_masks);
    m_routine = routine;
}

FILT_Size FILT_ToPackedIntConverter::Convert(FILT_Size count, const uint32_t* src, uint8_t* dst,
                                             FILT_Size bitOffset) const {
    CheckOffset(m_bitsPerSample, bitOffset);
    if (count != 0)
        m_routine(*this, count, src, dst, bitOffset);
    return OffsetAfter(count, bitOffset, m_bitsPerSample);
}

void FILT_ToPackedIntConverter::PackSmall(const FILT_ToPackedIntConverter& c, FILT_Size count,
                                          const uint32_t* src, uint8_t* dst, FILT_Size o) {
    const FILT_Size bits = c.m_bitsPerSample;
    for (FILT_Size i = 0; i < count; ++i) {
        const uint8_t mask = c.m_masks[o];
        *dst = static_cast<uint8_t>(((src[i] << (8 - bits - o)) & mask) | (*dst & ~mask));
        o += bits;
        if (o == 8) {
            ++dst;
            o = 0;
        }
    }
}

void FILT_ToPackedIntConverter::Pack8(const FILT_ToPackedIntConverter&, FILT_Size count, const uint32_t* src,
                                      uint8_t* dst, FILT_Size) {
    for (FILT_Size i = 0; i < count; ++i)
        dst[i] = static_cast<uint8_t>(src[i]);
}

void FILT_ToPackedIntConverter::Pack12(const FILT_ToPackedIntConverter&, FILT_Size count, const uint32_t* src,
                                       uint8_t* dst, FILT_Size o) {
    for (FILT_Size i = 0; i < count; ++i) {
        const uint32_t a = src[i] & 0xFFF;
        if (o != 0) {
            // The high nibble of the current byte belongs to what came before.
            dst[0] = static_cast<uint8_t>((dst[0] & 0xF0) | (a >> 8));
            dst[1] = static_cast<uint8_t>(a);
            dst += 2;
        } else {
            dst[0] = static_cast<uint8_t>(a >> 4);
            dst[1] = static_cast<uint8_t>(((a & 0x0F) << 4) | (dst[1] & 0x0F));
            dst += 1;
        }
        o = (o + 12) % 8;
    }
}

void FILT_ToPackedIntConverter::PackBytes(const FILT_ToPackedIntConverter& c, FILT_Size count,
                                          const uint32_t* src, uint8_t* dst, FILT_Size) {
    const FILT_Size n = c.m_bytesPerSample;
    for (FILT_Size i = 0; i < count; ++i) {
        for (FILT_Size k = 0; k < n; ++k)
            dst[k] = static_cast<uint8_t>(src[i] >> (8 * (n - 1 - k)));
        dst += n;
    }
}

// ---------------------------------------------------------------- 8 bits -> packed

FILT_From8BitConverter::FILT_From8BitConverter(FILT_Size bitsPerPixel) { Init(bitsPerPixel); }

void FILT_From8BitConverter::Init(FILT_Size bitsPerPixel) {
    if (!IsSmallWidth(bitsPerPixel))
        GLIB_THROW(GLIB_Exception, FILT_SampleCode,
                   "FILT_From8BitConverter object cannot be created with " << bitsPerPixel << " bits per pixel.");
    m_bitsPerPixel = bitsPerPixel;
    BuildMasks(bitsPerPixel, m_masks);
}

FILT_Size FILT_From8BitConverter::Convert(FILT_Size count, const uint8_t* src, FILT_Size bitOffset,
                                          uint8_t* dst) const {
    CheckOffset(m_bitsPerPixel, bitOffset);
    FILT_Size o = bitOffset;
    for (FILT_Size i = 0; i < count; ++i) {
        const uint8_t mask = m_masks[o];
        *dst = static_cast<uint8_t>((*dst & ~mask) | ((src[i] >> o) & mask));
        o += m_bitsPerPixel;
        if (o == 8) {
            ++dst;
            o = 0;
        }
    }
    return o;
}

// ---------------------------------------------------------------- packed -> 8 bits

FILT_To8BitConverter::FILT_To8BitConverter(FILT_Size bitsPerPixel, bool unscaled) { Init(bitsPerPixel, unscaled); }

void FILT_To8BitConverter::Init(FILT_Size bitsPerPixel, bool unscaled) {
    if (!IsSmallWidth(bitsPerPixel) && bitsPerPixel != 12)
        GLIB_THROW(GLIB_Exception, FILT_SampleCode,
                   "FILT_To8BitConverter object cannot be created with " << bitsPerPixel << " bits per pixel.");
    m_bitsPerPixel = bitsPerPixel;
    // 255, 85 and 17: the scaled values are exact integers.
    m_scale = (unscaled || bitsPerPixel == 12) ? 1 : 255 / ((1u << bitsPerPixel) - 1);
    BuildMasks(bitsPerPixel == 12 ? 8 : bitsPerPixel, m_masks);
}

FILT_Size FILT_To8BitConverter::Convert(FILT_Size count, const uint8_t* src, FILT_Size bitOffset,
                                        uint8_t* dst) const {
    CheckOffset(m_bitsPerPixel, bitOffset);
    FILT_Size o = bitOffset;
    if (m_bitsPerPixel == 12) {
        for (FILT_Size i = 0; i < count; ++i) {
            if (o != 0) {
                dst[i] = static_cast<uint8_t>((src[0] << 4) | (src[1] >> 4));
                src += 2;
            } else {
                dst[i] = src[0];
                src += 1;
            }
            o = (o + 12) % 8;
        }
        return o;
    }
    const FILT_Size bits = m_bitsPerPixel;
    for (FILT_Size i = 0; i < count; ++i) {
        dst[i] = static_cast<uint8_t>(((*src & m_masks[o]) >> (8 - bits - o)) * m_scale);
        o += bits;
        if (o == 8) {
            ++src;
            o = 0;
        }
    }
    return o;
}
