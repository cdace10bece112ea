// Cuts a fuzz input into parameter bytes and data, and drives filters and
// streams with chunk sizes that also come from the input, so that resuming
// across buffer edges is fuzzed too.
#pragma once

#include "FILT/FILT_Filter.h"
#include "support/FilterDriver.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class FUZZ_Input {
public:
    // Decoded output beyond a bound is cut off: decompression bombs are not
    // findings. A filter call costs about as much as decoding a few hundred
    // bytes, so the bound is MaxCalls times the smallest output room (64 KB
    // in 1-byte rooms), capped by the decoder's own limit: MaxOutput, or
    // what a faster decoder (measured in the fuzz build: a 10,000-column
    // fax page is 1,250 bytes a row) gives in about a tenth of a second.
    static constexpr size_t MaxCalls = size_t(1) << 16;
    static constexpr size_t MaxOutput = size_t(1) << 16;
    static constexpr size_t MaxFlateOutput = size_t(8) << 20;
    static constexpr size_t MaxPredictOutput = size_t(2) << 20;
    static constexpr size_t MaxRunLengthOutput = size_t(4) << 20;
    static constexpr size_t MaxCCITTOutput = size_t(2) << 20;
    static constexpr size_t MaxDCTOutput = size_t(4) << 20;
    static constexpr size_t MaxChainOutput = size_t(2) << 20;
    // The output room "all at once" stands for: rooms are allocated afresh
    // at every call, and a larger one only costs time.
    static constexpr size_t WholeRoom = size_t(1) << 16;

    FUZZ_Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    // The next parameter byte; 0 once the input is used up.
    uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    // The next two, high byte first.
    uint32_t Word() {
        const uint32_t high = Byte();
        return high << 8 | Byte();
    }
    // Three chunk sizes of 1 to 255 bytes, or 0 (all at once) for a 0 byte.
    std::vector<size_t> ChunkSizes() {
        std::vector<size_t> sizes;
        for (int i = 0; i < 3; ++i)
            sizes.push_back(Byte());
        return sizes;
    }
    // Input pieces as ChunkSizes; output rooms likewise, WholeRoom for 0.
    Chunking Chunks() {
        Chunking chunks{ChunkSizes(), ChunkSizes()};
        for (size_t& room : chunks.out)
            room = room ? room : WholeRoom;
        return chunks;
    }
    // Bytes for Chunks() in a seed, by turn modulo 3: all at once, 1-byte
    // pieces, odd sizes. ChunkSizes() takes the first three.
    static std::string SeedChunks(size_t turn) {
        static const char* const bytes[] = {"\0\0\0\0\0\0", "\1\1\1\1\1\1", "\x07\x03\x0d\x05\x0b\x02"};
        return std::string(bytes[turn % 3], 6);
    }
    // Everything not yet taken.
    std::string Rest() {
        const std::string rest(reinterpret_cast<const char*>(m_data) + m_pos, m_size - m_pos);
        m_pos = m_size;
        return rest;
    }

    // The output bound for chunks and a decoder's limit.
    static size_t OutputBound(const Chunking& chunks, size_t limit) {
        const size_t smallest = *std::min_element(chunks.out.begin(), chunks.out.end());
        return std::min(limit, std::max(MaxOutput, smallest * MaxCalls));
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// Runs a decoder over the rest of the input with chunking from the input,
// its output cut off at the bound for limit.
inline void FUZZ_Decode(FILT_Filter& filter, FUZZ_Input& in, size_t limit = FUZZ_Input::MaxOutput) {
    const Chunking chunks = in.Chunks();
    RunFilter(filter, in.Rest(), chunks, FUZZ_Input::OutputBound(chunks, limit));
}
