// Reproducible test inputs for the filter tests.
#pragma once

#include "FILT/FILT_FilterBuffer.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// n random bytes from a fixed seed.
inline std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(rng());
    return s;
}

// Runs of repeated bytes, short repeats and random stretches mixed: data
// that exercises both the literal and the repeat paths of the codecs.
inline std::string MixedBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < n) {
        const uint32_t kind = rng() % 4;
        const size_t len = 1 + rng() % (kind == 0 ? 300 : 40);
        if (kind == 0)
            s.append(len, static_cast<char>(rng()));
        else if (kind == 1 && s.size() > 8)
            s.append(s.substr(s.size() - 8, std::min<size_t>(len, 8)));
        else
            for (size_t i = 0; i < len; ++i)
                s += static_cast<char>(kind == 2 ? 'a' + rng() % 3 : rng());
    }
    s.resize(n);
    return s;
}

// The inputs every round trip uses: empty, tiny, and larger mixed and random.
inline std::vector<std::string> RoundTripInputs() {
    return {"", std::string(1, '\0'), "A", "ABBC", std::string(300, 'x'), MixedBytes(5000, 1), RandomBytes(3001, 2),
            MixedBytes(40000, 3)};
}

// A buffer over its own storage, holding text and optionally at EOD, with
// room more bytes of space after it.
struct TestBuffer {
    explicit TestBuffer(const std::string& text = "", bool eod = false, size_t room = 0)
        : store(text.size() + room + 1), buf(store.data(), static_cast<FILT_Size>(text.size() + room), false) {
        buf.Write(reinterpret_cast<const uint8_t*>(text.data()), static_cast<FILT_Size>(text.size()));
        buf.SetEOD(eod);
    }
    TestBuffer(const TestBuffer&) = delete;
    TestBuffer& operator=(const TestBuffer&) = delete;
    // Room only.
    static TestBuffer Room(size_t room) { return TestBuffer("", false, room); }
    std::string Text() const { return std::string(reinterpret_cast<const char*>(buf.GetPtr()), buf.DataAvailable()); }
    std::vector<uint8_t> store;
    FILT_FilterBuffer buf;
};
