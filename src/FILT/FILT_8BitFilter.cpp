#include "FILT/FILT_8BitFilter.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"

#include <algorithm>

namespace {

void CheckSamplesPerRow(const char* filterName, FILT_Size samplesPerRow) {
    if (samplesPerRow == 0)
        GLIB_THROW(GLIB_Exception, FILT_SampleCode, filterName << ": a row must hold at least 1 sample");
}

}  // namespace

// ---------------------------------------------------------------- packed -> bytes

FILT_To8BitFilter::FILT_To8BitFilter() : m_reader(1), m_converter(1, false) {}

void FILT_To8BitFilter::Init(FILT_Size samplesPerRow, FILT_Size bitsPerSample, bool unscaled) {
    const FILT_To8BitConverter converter(bitsPerSample, unscaled);
    CheckSamplesPerRow(Name(), samplesPerRow);
    m_converter = converter;
    m_reader.SetTupleNumBits(bitsPerSample);
    m_samplesPerRow = m_samplesLeft = samplesPerRow;
}

void FILT_To8BitFilter::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    m_reader.Attach(&inBuf);
    for (;;) {
        const FILT_Size n = std::min({outBuf.SpaceRemaining(), m_reader.TuplesAvailable(), m_samplesLeft});
        if (n == 0)
            break;
        m_converter.Convert(n, m_reader.GetPtr(), m_reader.BitOffset(), outBuf.PutPtr());
        m_samplesLeft -= n;
        m_reader.Consume(n);
        outBuf.AdvancePutPtr(n);
        if (m_samplesLeft == 0) {
            m_reader.RemovePad();
            m_samplesLeft = m_samplesPerRow;
        }
    }
    // What the reader still holds at the end is less than one sample.
    if (m_reader.IsEndOfData() && m_reader.TuplesAvailable() == 0)
        outBuf.SetEOD();
}

// ---------------------------------------------------------------- bytes -> packed

FILT_From8BitFilter::FILT_From8BitFilter() : m_writer(1), m_converter(1) {}

void FILT_From8BitFilter::Init(FILT_Size samplesPerRow, FILT_Size bitsPerSample) {
    const FILT_From8BitConverter converter(bitsPerSample);
    CheckSamplesPerRow(Name(), samplesPerRow);
    m_converter = converter;
    m_writer.SetTupleNumBits(bitsPerSample);
    m_samplesPerRow = m_samplesLeft = samplesPerRow;
}

void FILT_From8BitFilter::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    m_writer.Attach(&outBuf);
    for (;;) {
        const FILT_Size n = std::min({inBuf.DataAvailable(), m_writer.TuplesAvailable(), m_samplesLeft});
        if (n == 0)
            break;
        m_converter.Convert(n, inBuf.GetPtr(), m_writer.BitOffset(), m_writer.GetPtr());
        m_samplesLeft -= n;
        inBuf.AdvanceGetPtr(n);
        m_writer.Commit(n);
        if (m_samplesLeft == 0) {
            m_writer.AddPad();
            m_samplesLeft = m_samplesPerRow;
        }
    }
    if (inBuf.IsEOD() && inBuf.DataAvailable() == 0) {
        // Input that ends inside a row: the samples of its last partial byte
        // go out padded like a row end rather than being lost.
        m_writer.AddPad();
        m_writer.SetEndOfDataPending(true);
        if (m_writer.PendingBytes() == 0)
            outBuf.SetEOD();
    }
}
