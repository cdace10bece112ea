// Cuts a fuzz input into parameter bytes and data, and drives filters and
// streams with chunk sizes that also come from the input, so that resuming
// across buffer edges is fuzzed too.
#pragma once

#include "FILT/FILT_Filter.h"
#include "support/FilterDriver.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class FUZZ_Input {
public:
    // Decoded output beyond this is cut off: decompression bombs are not
    // findings, and 64 KB in 1-byte pieces still runs well inside a second.
    static constexpr size_t MaxOutput = size_t(1) << 16;

    FUZZ_Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    // The next parameter byte; 0 once the input is used up.
    uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    // Three chunk sizes of 1 to 256 bytes, or 0 (all at once) for a 0 byte.
    std::vector<size_t> ChunkSizes() {
        std::vector<size_t> sizes;
        for (int i = 0; i < 3; ++i) {
            const uint8_t b = Byte();
            sizes.push_back(b == 0 ? 0 : b);
        }
        return sizes;
    }
    Chunking Chunks() { return {ChunkSizes(), ChunkSizes()}; }
    // Everything not yet taken.
    std::string Rest() {
        const std::string rest(reinterpret_cast<const char*>(m_data) + m_pos, m_size - m_pos);
        m_pos = m_size;
        return rest;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// Runs a decoder over the rest of the input with chunking from the input.
inline void FUZZ_Decode(FILT_Filter& filter, FUZZ_Input& in) {
    const Chunking chunks = in.Chunks();
    RunFilter(filter, in.Rest(), chunks, FUZZ_Input::MaxOutput);
}
