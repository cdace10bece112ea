// Helpers of the sample converter, 8-bit filter, colour-key mask and split
// stream tests: an independent bit-by-bit reference for packed samples,
// reproducible chunkings and the code of a thrown exception.
#pragma once

#include "GLIB/GLIB_Exception.h"
#include "support/FilterDriver.h"

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace FILT_SampleTest {

// Packed samples written bit by bit, most significant bit first.
struct RefBits {
    std::string bytes;
    uint64_t bitCount = 0;
    void Put(uint64_t value, uint32_t bits) {
        for (uint32_t b = bits; b-- > 0; ++bitCount) {
            if (bitCount % 8 == 0)
                bytes += '\0';
            if ((value >> b) & 1)
                bytes.back() = static_cast<char>(bytes.back() | (0x80 >> (bitCount % 8)));
        }
    }
    // Zero bits up to a whole byte.
    void Pad() { bitCount = (bitCount + 7) / 8 * 8; }
};

inline uint64_t RefGet(const std::string& bytes, uint64_t bitPos, uint32_t bits) {
    uint64_t v = 0;
    for (uint32_t b = 0; b < bits; ++b, ++bitPos)
        v = (v << 1) | ((static_cast<uint8_t>(bytes[bitPos / 8]) >> (7 - bitPos % 8)) & 1);
    return v;
}

inline std::string Hex(const std::string& s) {
    std::string r;
    for (unsigned char c : s)
        r += std::string(1, "0123456789abcdef"[c >> 4]) + "0123456789abcdef"[c & 15] + " ";
    return r;
}

inline const uint8_t* U8(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }
inline uint8_t* U8(std::string& s) { return reinterpret_cast<uint8_t*>(&s[0]); }

// The standard chunkings and four random ones of pieces up to 2 * rowBytes + 5.
inline std::vector<Chunking> AllChunkings(size_t rowBytes, unsigned seed = 7) {
    std::vector<Chunking> c = StandardChunkings(rowBytes);
    std::mt19937 rng(seed);
    for (int k = 0; k < 4; ++k) {
        Chunking r;
        for (int i = 0; i < 7; ++i) {
            r.in.push_back(1 + rng() % (2 * rowBytes + 5));
            r.out.push_back(1 + rng() % (2 * rowBytes + 5));
        }
        c.push_back(r);
    }
    return c;
}

// The code of the GLIB_Exception f throws, 0 when it throws none.
inline uint32_t ThrownCode(const std::function<void()>& f, std::string* message = nullptr) {
    try {
        f();
    } catch (const GLIB_Exception& e) {
        if (message)
            *message = e.What();
        return e.Code();
    }
    return 0;
}

}  // namespace FILT_SampleTest
