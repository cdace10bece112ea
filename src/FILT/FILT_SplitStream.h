// De-interleaving of sample streams (c0 c1 c2 c0 c1 c2 ... into one stream
// per component) and its inverse: sample j of the input goes to stream j mod
// n, counting on from where the last call stopped. The streams have no rows:
// row padding is the owner's business.
//
// The owner calls Split with one input buffer and n output buffers (an array
// of n pointers, none null) as often as it likes; each call moves as many
// samples as the input holds and the output with the least room takes, and
// returns. The owner may then empty the outputs or hand in new ones; the
// splitters keep every partly written byte or sample in their own fields.
// Unread input bytes must stay at the input's get pointer (a partly read
// byte is read on from where the last call stopped).
// Once the input is at its end (EOD flag, no whole sample left) or maxTuples
// samples are done, every output gets its EOD flag as soon as all its bytes
// are written (a later call finishes what a full output could not take);
// later calls move nothing. A last partial sample is dropped.
//
// Init throws GLIB_Exception FILT_SampleCode, leaving the object as it was,
// for a stream count outside 1 .. MaxStreams or a width it does not support.
// Split before a successful Init fails an assertion.
#pragma once

#include "FILT/FILT_FilterBuffer.h"
#include "FILT/FILT_PackedBits.h"
#include "FILT/FILT_TupleBuffer.h"

#include <cstdint>
#include <memory>
#include <vector>

// Samples of 1, 2, 4 or 8 bits, packed most significant bit first; each
// output ends with its last byte padded with zero bits.
class FILT_SplitBitStream {
public:
    // Far above the 32 colorants of a DeviceN space (ISO 32000-1, C.2).
    static constexpr FILT_Size MaxStreams = 256;

    FILT_SplitBitStream() = default;
    FILT_SplitBitStream(const FILT_SplitBitStream&) = delete;
    FILT_SplitBitStream& operator=(const FILT_SplitBitStream&) = delete;

    // maxTuples: samples over all streams to split, negative for no limit.
    void Init(FILT_Size numStreams, FILT_Size bitsPerSample, int32_t maxTuples = -1);
    void Split(FILT_FilterBuffer& inBuf, FILT_FilterBuffer* const* outBufs);

private:
    FILT_PackedBitsR m_reader;
    std::vector<FILT_PackedBitsW> m_writers;
    // Each writer's partly filled byte, written back at its output's put.
    std::vector<uint8_t> m_partialBytes;
    FILT_Size m_numStreams = 0;
    FILT_Size m_bitsPerSample = 1;
    FILT_Size m_streamIndex = 0;
    int32_t m_maxTuples = -1;
};

// Samples of 1 to MaxSampleBytes whole bytes, moved whole.
class FILT_SplitByteStream {
public:
    static constexpr FILT_Size MaxStreams = 256;
    // Samples of up to 32 bits, the widest of sampled functions.
    static constexpr FILT_Size MaxSampleBytes = 4;

    FILT_SplitByteStream() = default;
    FILT_SplitByteStream(const FILT_SplitByteStream&) = delete;
    FILT_SplitByteStream& operator=(const FILT_SplitByteStream&) = delete;

    // maxTuples: samples over all streams to split, negative for no limit.
    void Init(FILT_Size numStreams, FILT_Size sampleBytes, int32_t maxTuples = -1);
    void Split(FILT_FilterBuffer& inBuf, FILT_FilterBuffer* const* outBufs);

private:
    FILT_TupleBufferR m_reader;
    std::unique_ptr<FILT_TupleBufferW[]> m_writers;
    // Where the next sample of each stream goes during a call.
    std::unique_ptr<uint8_t*[]> m_positions;
    FILT_Size m_numStreams = 0;
    FILT_Size m_sampleBytes = 1;
    FILT_Size m_streamIndex = 0;
    int32_t m_maxTuples = -1;
};

// The inverse of FILT_SplitBitStream: n streams of 1, 2, 4 or 8 bit samples
// interleaved into one, taking a sample of each in turn. Merge takes an array
// of n input pointers (none null) and the output, and moves as many samples
// as the inputs and the output allow. The end comes when maxTuples samples
// are done or when the stream whose turn it is has no sample left and its
// buffer has the EOD flag; the output then gets its last byte padded and its
// EOD flag, and the partly read bytes of the inputs are skipped. The padding
// bits of the inputs' last bytes read as samples, so a caller that knows the
// sample count passes it as maxTuples. Init and misuse as for the splitters.
class FILT_MergeBitStream {
public:
    static constexpr FILT_Size MaxStreams = 256;

    FILT_MergeBitStream() = default;
    FILT_MergeBitStream(const FILT_MergeBitStream&) = delete;
    FILT_MergeBitStream& operator=(const FILT_MergeBitStream&) = delete;

    // maxTuples: samples over all streams to merge, negative for no limit.
    void Init(FILT_Size numStreams, FILT_Size bitsPerSample, int32_t maxTuples = -1);
    void Merge(FILT_FilterBuffer* const* inBufs, FILT_FilterBuffer& outBuf);

private:
    std::vector<FILT_PackedBitsR> m_readers;
    FILT_PackedBitsW m_writer;
    // The writer's partly filled byte, written back at the output's put.
    uint8_t m_partialByte = 0;
    FILT_Size m_numStreams = 0;
    FILT_Size m_bitsPerSample = 1;
    FILT_Size m_streamIndex = 0;
    int32_t m_maxTuples = -1;
};
