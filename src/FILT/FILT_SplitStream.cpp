#include "FILT/FILT_SplitStream.h"

#include "FILT/FILT_SampleConverter.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_New.h"

#include <algorithm>
#include <cstring>

namespace {

void CheckStreams(const char* className, FILT_Size numStreams, FILT_Size maxStreams) {
    if (numStreams == 0 || numStreams > maxStreams)
        GLIB_THROW(GLIB_Exception, FILT_SampleCode,
                   className << ": the number of streams must be 1 to " << maxStreams << ", not " << numStreams);
}

void CheckBits(const char* className, FILT_Size bits) {
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8)
        GLIB_THROW(GLIB_Exception, FILT_SampleCode,
                   className << ": bits per sample must be 1, 2, 4 or 8, not " << bits);
}

// Samples a rotation over n streams starting at stream c can move when
// stream i has room for room(i) of them: m full turns, m the fewest, plus one
// for each stream met before the first stream with only m.
template <class Room>
uint64_t RotationSamples(FILT_Size n, FILT_Size c, Room room) {
    FILT_Size limiting = c;
    uint64_t m = room(c);
    for (FILT_Size k = 1; k < n; ++k) {
        const FILT_Size i = (c + k) % n;
        const uint64_t r = room(i);
        if (r < m) {
            m = r;
            limiting = i;
        }
    }
    return m * n + (limiting + n - c) % n;
}

// The limit of samples still to move lowers total; returns the new total.
uint64_t ApplyLimit(uint64_t total, int32_t maxTuples) {
    return maxTuples >= 0 ? std::min<uint64_t>(total, static_cast<uint64_t>(maxTuples)) : total;
}

void LowerLimit(int32_t& maxTuples, uint64_t done) {
    if (maxTuples < 0)
        return;
    const uint64_t tuplesToWrite = done;
    GLIB_ASSERT_CMP(tuplesToWrite, <=, static_cast<uint64_t>(maxTuples));
    maxTuples -= static_cast<int32_t>(tuplesToWrite);
}

// A packed-bits writer over an output for one call: writes back the byte it
// had partly filled in an earlier call (when the output has room for it).
void OpenWriter(FILT_PackedBitsW& writer, uint8_t partialByte, FILT_FilterBuffer& out) {
    if (writer.BitsUsed() != 0 && out.SpaceRemaining() > 0)
        *out.PutPtr() = partialByte;
    writer.SetData(out.PutPtr(), out.SpaceRemaining());
}

// Keeps the partly filled byte at the put pointer, when this call wrote it.
void KeepPartialByte(const FILT_PackedBitsW& writer, uint8_t& partialByte, const FILT_FilterBuffer& out) {
    if (writer.BitsUsed() != 0 && out.SpaceRemaining() > 0)
        partialByte = *out.PutPtr();
}

// Pads the writer's last byte and sets the output's EOD flag; false while
// that byte has no room yet.
bool EndOutput(FILT_PackedBitsW& writer, FILT_FilterBuffer& out) {
    if (writer.BitsUsed() != 0) {
        if (out.SpaceRemaining() == 0)
            return false;
        writer.Flush();
        out.AdvancePutPtr(writer.TakeProduced());
    }
    out.SetEOD();
    return true;
}

// Skips the rest of a partly read input byte.
void EndInput(FILT_PackedBitsR& reader, FILT_FilterBuffer& in) {
    if (reader.BitsUsed() != 0 && in.DataAvailable() > 0) {
        reader.AlignToByte();
        in.AdvanceGetPtr(reader.TakeConsumed());
    }
}

}  // namespace

// ---------------------------------------------------------------- bits

void FILT_SplitBitStream::Init(FILT_Size numStreams, FILT_Size bitsPerSample, int32_t maxTuples) {
    CheckStreams("FILT_SplitBitStream", numStreams, MaxStreams);
    CheckBits("FILT_SplitBitStream", bitsPerSample);
    m_writers.assign(numStreams, FILT_PackedBitsW());
    for (FILT_PackedBitsW& w : m_writers)
        w.Init(nullptr, bitsPerSample, 0, UINT32_MAX);
    m_partialBytes.assign(numStreams, 0);
    m_reader.Init(nullptr, bitsPerSample, 0, UINT32_MAX);
    m_numStreams = numStreams;
    m_bitsPerSample = bitsPerSample;
    m_streamIndex = 0;
    m_maxTuples = maxTuples;
}

void FILT_SplitBitStream::Split(FILT_FilterBuffer& inBuf, FILT_FilterBuffer* const* outBufs) {
    GLIB_ASSERT_CMP(m_numStreams, >, 0u);
    const FILT_Size n = m_numStreams;
    m_reader.SetData(inBuf.GetPtr(), inBuf.DataAvailable());
    for (FILT_Size k = 0; k < n; ++k)
        OpenWriter(m_writers[k], m_partialBytes[k], *outBufs[k]);

    uint64_t total = RotationSamples(n, m_streamIndex, [this](FILT_Size i) { return m_writers[i].SpaceAvailable(); });
    total = ApplyLimit(std::min<uint64_t>(total, m_reader.SamplesAvailable()), m_maxTuples);
    FILT_Size c = m_streamIndex;
    for (uint64_t j = 0; j < total; ++j) {
        m_writers[c].WriteSample(m_reader.ReadSample());
        c = (c + 1) % n;
    }
    m_streamIndex = c;
    inBuf.AdvanceGetPtr(m_reader.TakeConsumed());
    for (FILT_Size k = 0; k < n; ++k)
        outBufs[k]->AdvancePutPtr(m_writers[k].TakeProduced());
    LowerLimit(m_maxTuples, total);

    const bool end = m_maxTuples == 0 || (inBuf.IsEOD() && m_reader.SamplesAvailable() == 0);
    for (FILT_Size k = 0; k < n; ++k) {
        KeepPartialByte(m_writers[k], m_partialBytes[k], *outBufs[k]);
        if (end)
            EndOutput(m_writers[k], *outBufs[k]);
    }
    if (end)
        EndInput(m_reader, inBuf);
}

// ---------------------------------------------------------------- bytes

void FILT_SplitByteStream::Init(FILT_Size numStreams, FILT_Size sampleBytes, int32_t maxTuples) {
    CheckStreams("FILT_SplitByteStream", numStreams, MaxStreams);
    if (sampleBytes == 0 || sampleBytes > MaxSampleBytes)
        GLIB_THROW(GLIB_Exception, FILT_SampleCode,
                   "FILT_SplitByteStream: bytes per sample must be 1 to " << MaxSampleBytes << ", not "
                                                                           << sampleBytes);
    std::unique_ptr<FILT_TupleBufferW[]> writers(GLIB_NEW FILT_TupleBufferW[numStreams]);
    for (FILT_Size k = 0; k < numStreams; ++k)
        writers[k].SetTupleSize(sampleBytes);
    m_positions.reset(GLIB_NEW uint8_t*[numStreams]);
    m_writers = std::move(writers);
    m_reader.SetTupleSize(sampleBytes);
    m_numStreams = numStreams;
    m_sampleBytes = sampleBytes;
    m_streamIndex = 0;
    m_maxTuples = maxTuples;
}

void FILT_SplitByteStream::Split(FILT_FilterBuffer& inBuf, FILT_FilterBuffer* const* outBufs) {
    GLIB_ASSERT_CMP(m_numStreams, >, 0u);
    const FILT_Size n = m_numStreams;
    m_reader.Attach(&inBuf);
    for (FILT_Size k = 0; k < n; ++k)
        m_writers[k].Attach(outBufs[k]);

    // A sample cut by a fill boundary on either side comes alone through a
    // spanning store, so go round until nothing more moves.
    for (;;) {
        const FILT_Size c = m_streamIndex;
        uint64_t total = RotationSamples(n, c, [this](FILT_Size i) { return m_writers[i].TuplesAvailable(); });
        total = ApplyLimit(std::min<uint64_t>(total, m_reader.TuplesAvailable()), m_maxTuples);
        if (total == 0)
            break;
        for (FILT_Size k = 0; k < n; ++k)
            m_positions[k] = m_writers[k].GetPtr();
        const uint8_t* src = m_reader.GetPtr();
        FILT_Size s = c;
        for (uint64_t j = 0; j < total; ++j) {
            std::memcpy(m_positions[s], src, m_sampleBytes);
            m_positions[s] += m_sampleBytes;
            src += m_sampleBytes;
            s = (s + 1) % n;
        }
        m_reader.Consume(static_cast<FILT_Size>(total));
        for (FILT_Size k = 0; k < n; ++k) {
            const FILT_Size turn = (k + n - c) % n;
            m_writers[k].Commit(static_cast<FILT_Size>(total / n + (turn < total % n ? 1 : 0)));
        }
        m_streamIndex = s;
        LowerLimit(m_maxTuples, total);
    }

    if (m_maxTuples == 0 || (m_reader.IsEndOfData() && m_reader.TuplesAvailable() == 0)) {
        for (FILT_Size k = 0; k < n; ++k) {
            m_writers[k].SetEndOfDataPending(true);
            if (m_writers[k].AllWritten())
                outBufs[k]->SetEOD();
        }
    }
}

// ---------------------------------------------------------------- merge

void FILT_MergeBitStream::Init(FILT_Size numStreams, FILT_Size bitsPerSample, int32_t maxTuples) {
    CheckStreams("FILT_MergeBitStream", numStreams, MaxStreams);
    CheckBits("FILT_MergeBitStream", bitsPerSample);
    m_readers.assign(numStreams, FILT_PackedBitsR());
    for (FILT_PackedBitsR& r : m_readers)
        r.Init(nullptr, bitsPerSample, 0, UINT32_MAX);
    m_writer.Init(nullptr, bitsPerSample, 0, UINT32_MAX);
    m_partialByte = 0;
    m_numStreams = numStreams;
    m_bitsPerSample = bitsPerSample;
    m_streamIndex = 0;
    m_maxTuples = maxTuples;
}

void FILT_MergeBitStream::Merge(FILT_FilterBuffer* const* inBufs, FILT_FilterBuffer& outBuf) {
    GLIB_ASSERT_CMP(m_numStreams, >, 0u);
    const FILT_Size n = m_numStreams;
    OpenWriter(m_writer, m_partialByte, outBuf);
    for (FILT_Size k = 0; k < n; ++k)
        m_readers[k].SetData(inBufs[k]->GetPtr(), inBufs[k]->DataAvailable());

    uint64_t total = RotationSamples(n, m_streamIndex, [this](FILT_Size i) { return m_readers[i].SamplesAvailable(); });
    total = ApplyLimit(std::min<uint64_t>(total, m_writer.SpaceAvailable()), m_maxTuples);
    FILT_Size c = m_streamIndex;
    for (uint64_t j = 0; j < total; ++j) {
        m_writer.WriteSample(m_readers[c].ReadSample());
        c = (c + 1) % n;
    }
    m_streamIndex = c;
    outBuf.AdvancePutPtr(m_writer.TakeProduced());
    for (FILT_Size k = 0; k < n; ++k)
        inBufs[k]->AdvanceGetPtr(m_readers[k].TakeConsumed());
    LowerLimit(m_maxTuples, total);

    KeepPartialByte(m_writer, m_partialByte, outBuf);
    const bool end = m_maxTuples == 0 || (m_readers[c].SamplesAvailable() == 0 && inBufs[c]->IsEOD());
    if (end && EndOutput(m_writer, outBuf)) {
        for (FILT_Size k = 0; k < n; ++k)
            EndInput(m_readers[k], *inBufs[k]);
    }
}
