#include "FILT/FILT_ColorMask.h"

#include "FILT/FILT_SampleConverter.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"

#include <algorithm>

FILT_ColorMask::FILT_ColorMask() = default;

void FILT_ColorMask::Init(FILT_Size height, FILT_Size width, FILT_Size bitsPerComponent,
                          const std::vector<uint32_t>& mask) {
    if (mask.empty() || mask.size() % 2 != 0)
        GLIB_THROW(GLIB_Exception, FILT_SampleCode,
                   "FILT_ColorMask: the mask array needs a minimum and a maximum per component, not "
                       << mask.size() << " numbers");
    if (mask.size() / 2 > MaxComponents)
        GLIB_THROW(GLIB_Exception, FILT_SampleCode,
                   "FILT_ColorMask: the mask array has " << mask.size() / 2 << " components, more than "
                                                         << MaxComponents);
    const FILT_Size b = bitsPerComponent;
    if (b != 1 && b != 2 && b != 4 && b != 8)
        GLIB_THROW(GLIB_Exception, FILT_SampleCode,
                   "FILT_ColorMask: bits per component must be 1, 2, 4 or 8, not " << b);
    if (height == 0 || width == 0)
        GLIB_THROW(GLIB_Exception, FILT_SampleCode,
                   "FILT_ColorMask: an image of " << width << " by " << height << " pixels has no samples");

    m_components = static_cast<FILT_Size>(mask.size() / 2);
    m_minimums.resize(m_components);
    m_maximums.resize(m_components);
    for (FILT_Size i = 0; i < m_components; ++i) {
        m_minimums[i] = mask[2 * i];
        m_maximums[i] = mask[2 * i + 1];
    }
    m_rowsLeft = height;
    m_width = width;
    m_column = 0;
    m_componentIndex = 0;
    m_bitsPerComponent = bitsPerComponent;
    m_reader.Init(nullptr, bitsPerComponent, 0, UINT32_MAX);
    m_writer.Init(nullptr, 1, 0, UINT32_MAX);
    m_pixelMatches = true;
    m_partialByte = 0;
}

void FILT_ColorMask::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    if (m_writer.BitsUsed() != 0 && outBuf.SpaceRemaining() > 0)
        *outBuf.PutPtr() = m_partialByte;
    m_reader.SetData(inBuf.GetPtr(), inBuf.DataAvailable());
    m_writer.SetData(outBuf.PutPtr(), outBuf.SpaceRemaining());

    while (m_rowsLeft > 0) {
        const FILT_Size available = m_reader.SamplesAvailable();
        const FILT_Size room = m_writer.SpaceAvailable();
        if (available == 0 || room == 0)
            break;
        // Samples left in the row, and samples that complete at most room pixels.
        const uint64_t rowSamples = static_cast<uint64_t>(m_width - m_column) * m_components - m_componentIndex;
        const uint64_t roomSamples = static_cast<uint64_t>(room) * m_components - m_componentIndex;
        const FILT_Size n = static_cast<FILT_Size>(std::min<uint64_t>({rowSamples, roomSamples, available}));
        for (FILT_Size i = 0; i < n; ++i) {
            const uint32_t s = m_reader.ReadSample();
            m_pixelMatches = m_pixelMatches && m_minimums[m_componentIndex] <= s && s <= m_maximums[m_componentIndex];
            if (++m_componentIndex == m_components) {
                m_writer.WriteSample(m_pixelMatches ? 1 : 0);
                m_componentIndex = 0;
                m_pixelMatches = true;
                ++m_column;
            }
        }
        if (m_column == m_width) {
            --m_rowsLeft;
            m_column = 0;
            m_reader.AlignToByte();
            m_writer.Flush();
        }
    }
    inBuf.AdvanceGetPtr(m_reader.TakeConsumed());
    outBuf.AdvancePutPtr(m_writer.TakeProduced());

    const bool inputEnded = inBuf.IsEOD() && inBuf.DataAvailable() == 0;
    if (m_rowsLeft == 0 || inputEnded) {
        Finish(outBuf);
        return;
    }
    if (m_writer.BitsUsed() != 0 && outBuf.SpaceRemaining() > 0)
        m_partialByte = *outBuf.PutPtr();
}

void FILT_ColorMask::Finish(FILT_FilterBuffer& outBuf) {
    if (m_writer.BitsUsed() != 0) {
        // The byte is written back only where there is room for it.
        if (outBuf.SpaceRemaining() == 0)
            return;
        m_writer.Flush();
        outBuf.AdvancePutPtr(m_writer.TakeProduced());
    }
    outBuf.SetEOD();
}
