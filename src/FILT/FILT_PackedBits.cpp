#include "FILT/FILT_PackedBits.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsSupportedWidth(FILT_Size bits) { return bits == 1 || bits == 2 || bits == 4 || bits == 8; }

// Sample i of a byte sits at shift (8/b - 1 - i) * b.
void BuildTables(uint32_t bits, uint8_t* masks, uint32_t* shifts) {
    const uint32_t perByte = 8 / bits;
    for (uint32_t i = 0; i < perByte; ++i) {
        shifts[i] = (perByte - 1 - i) * bits;
        masks[i] = static_cast<uint8_t>(((1u << bits) - 1) << shifts[i]);
    }
}

// The window's samples past the bits already used of its first byte.
FILT_Size Samples(const uint8_t* data, const uint8_t* end, FILT_Size bitsUsed, FILT_Size bits) {
    if (data == nullptr)
        return 0;
    GLIB_ASSERT_CMP(data, <=, end);
    const uint64_t totalBits = static_cast<uint64_t>(end - data) * 8;
    if (totalBits <= bitsUsed)
        return 0;
    return static_cast<FILT_Size>(std::min<uint64_t>((totalBits - bitsUsed) / bits, UINT32_MAX));
}

// Top u bits of a byte, u = 0 .. 7.
uint8_t HighMask(uint32_t u) { return static_cast<uint8_t>(0xFF00u >> u); }

}  // namespace

// ---------------------------------------------------------------- base

FILT_PackedBitsBase::FILT_PackedBitsBase() { SetBitsPerSample(8, 0); }

FILT_Size FILT_PackedBitsBase::SetBitsPerSample(FILT_Size bits, FILT_Size firstSample) {
    if (!IsSupportedWidth(bits)) {
        GLIB_LOG(GLIB_LogFatal, "FILT_PackedBits classes only support 1, 2, 4, and 8 bits per component, not "
                                    << bits);
        return 0;
    }
    const uint32_t perByte = 8 / bits;
    m_bitsPerSample = bits;
    m_sampleIndex = firstSample % perByte;
    if (perByte != m_samplesPerByte) {
        m_samplesPerByte = perByte;
        BuildTables(bits, m_masks, m_shifts);
    }
    return firstSample / perByte;
}

void FILT_PackedBitsBase::SetBitAlignment(FILT_Size bitOffset) {
    bitOffset %= 8;
    if (bitOffset % m_bitsPerSample != 0) {
        GLIB_LOG(GLIB_LogFatal, "Must specify an alignment that is a multiple of the number of bits per int ("
                                    << m_bitsPerSample << "), not " << bitOffset);
        return;
    }
    m_sampleIndex = bitOffset / m_bitsPerSample;
}

// ---------------------------------------------------------------- reader

void FILT_PackedBitsR::Init(const uint8_t* data, FILT_Size bits, FILT_Size firstSample, FILT_Size length) {
    SetBitsPerSample(bits, firstSample);
    SetData(data, length);
}

void FILT_PackedBitsR::SetData(const uint8_t* data, FILT_Size length) {
    m_data = m_mark = data;
    m_endData = data ? data + length : nullptr;
}

FILT_Size FILT_PackedBitsR::SamplesAvailable() const {
    return Samples(m_data, m_endData, BitsUsed(), m_bitsPerSample);
}

uint8_t FILT_PackedBitsR::ReadSample() {
    if (m_bitsPerSample == 8)
        return *m_data++;
    const uint8_t v = static_cast<uint8_t>((*m_data & m_masks[m_sampleIndex]) >> m_shifts[m_sampleIndex]);
    if (++m_sampleIndex == m_samplesPerByte) {
        m_sampleIndex = 0;
        ++m_data;
    }
    return v;
}

void FILT_PackedBitsR::ReadSamples(uint8_t* out, FILT_Size n) {
    GLIB_ASSERT_CMP(n, <=, SamplesAvailable());
    if (m_bitsPerSample == 8) {
        std::memcpy(out, m_data, n);
        m_data += n;
        return;
    }
    for (FILT_Size i = 0; i < n; ++i)
        out[i] = ReadSample();
}

void FILT_PackedBitsR::AlignToByte() {
    if (BitsUsed() != 0) {
        ++m_data;
        m_sampleIndex = 0;
    }
}

FILT_Size FILT_PackedBitsR::TakeConsumed() {
    const FILT_Size n = static_cast<FILT_Size>(m_data - m_mark);
    m_mark = m_data;
    return n;
}

// ---------------------------------------------------------------- writer

void FILT_PackedBitsW::Init(uint8_t* data, FILT_Size bits, FILT_Size firstSample, FILT_Size length) {
    SetBitsPerSample(bits, firstSample);
    SetData(data, length);
}

void FILT_PackedBitsW::SetData(uint8_t* data, FILT_Size length) {
    m_data = m_mark = data;
    m_endData = data ? data + length : nullptr;
}

FILT_Size FILT_PackedBitsW::SpaceAvailable() const {
    return Samples(m_data, m_endData, BitsUsed(), m_bitsPerSample);
}

void FILT_PackedBitsW::WriteSample(uint8_t v) {
    if (m_bitsPerSample == 8) {
        *m_data++ = v;
        return;
    }
    const uint8_t mask = m_masks[m_sampleIndex];
    *m_data = static_cast<uint8_t>(((v << m_shifts[m_sampleIndex]) & mask) | (*m_data & ~mask));
    if (++m_sampleIndex == m_samplesPerByte) {
        m_sampleIndex = 0;
        ++m_data;
    }
}

void FILT_PackedBitsW::WriteSamples(const uint8_t* in, FILT_Size n) {
    GLIB_ASSERT_CMP(n, <=, SpaceAvailable());
    if (m_bitsPerSample == 8) {
        std::memcpy(m_data, in, n);
        m_data += n;
        return;
    }
    for (FILT_Size i = 0; i < n; ++i)
        WriteSample(in[i]);
}

void FILT_PackedBitsW::Flush() {
    const FILT_Size used = BitsUsed();
    if (used != 0) {
        *m_data &= HighMask(used);
        ++m_data;
        m_sampleIndex = 0;
    }
}

FILT_Size FILT_PackedBitsW::TakeProduced() {
    const FILT_Size n = static_cast<FILT_Size>(m_data - m_mark);
    m_mark = m_data;
    return n;
}

// ---------------------------------------------------------------- component

FILT_BitComponent::FILT_BitComponent(uint8_t* data, FILT_Size bits) : m_data(data), m_bitsPerSample(bits) {
    if (!IsSupportedWidth(bits)) {
        GLIB_LOG(GLIB_LogFatal, "FILT_BitComponent only supports 1, 2, 4, and 8 bits per component, not " << bits);
        return;
    }
    m_samplesPerByte = 8 / bits;
    BuildTables(bits, m_masks, m_shifts);
}

uint8_t FILT_BitComponent::Get() {
    if (m_bitsPerSample == 8)
        return *m_data++;
    if (m_sampleIndex == m_samplesPerByte) {
        m_sampleIndex = 0;
        ++m_data;
    }
    const uint8_t v = static_cast<uint8_t>((*m_data & m_masks[m_sampleIndex]) >> m_shifts[m_sampleIndex]);
    ++m_sampleIndex;
    return v;
}

void FILT_BitComponent::Put(uint8_t v) {
    if (m_bitsPerSample == 8) {
        *m_data++ = v;
        return;
    }
    const uint8_t mask = m_masks[m_sampleIndex];
    *m_data = static_cast<uint8_t>(((v << m_shifts[m_sampleIndex]) & mask) | (*m_data & ~mask));
    if (++m_sampleIndex == m_samplesPerByte) {
        m_sampleIndex = 0;
        ++m_data;
    }
}
