// What the filter tests share: reproducible inputs, buffers over their own
// storage, a bit-by-bit reference for packed samples, extra chunkings, and
// checks of thrown exceptions and of output under every chunking. Includes
// the test support and GoogleTest for them.
#pragma once

#include "FILT/FILT_FilterBuffer.h"
#include "GLIB/GLIB_Exception.h"
#include "support/FilterDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
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

// The inputs every round trip uses: empty, tiny, larger mixed and random,
// and zero groups around a one (ASCII85 writes "z" for four zero bytes).
inline std::vector<std::string> RoundTripInputs() {
    return {"", std::string(1, '\0'), "A", "ABBC", std::string(300, 'x'), MixedBytes(5000, 1), RandomBytes(3001, 2),
            MixedBytes(40000, 3), std::string(9, '\0') + "\x01" + std::string(7, '\0')};
}

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

// Bytes from a string of '0' and '1' (anything else ignored), most
// significant bit first, padded with 0 bits.
inline std::string PackBits(const std::string& text) {
    RefBits r;
    for (char c : text)
        if (c == '0' || c == '1')
            r.Put(c == '1', 1);
    return r.bytes;
}

// The parameters of the CCITT fax filters, in SetParams order.
struct FaxParams { int k; bool eol, align, eob, blackIs1; int rows, columns; };

inline std::string Repeat(const std::string& s, int n) { return n > 0 ? s + Repeat(s, n - 1) : ""; }

inline std::string Hex(const std::string& s) {
    std::string r;
    for (unsigned char c : s)
        r += std::string(1, "0123456789abcdef"[c >> 4]) + "0123456789abcdef"[c & 15] + " ";
    return r;
}

inline const uint8_t* U8(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }
inline uint8_t* U8(std::string& s) { return reinterpret_cast<uint8_t*>(&s[0]); }
inline std::string Text(const FILT_FilterBuffer& b) {
    return std::string(reinterpret_cast<const char*>(b.GetPtr()), b.DataAvailable());
}

// A buffer over its own storage holding text, optionally at EOD, with room
// for more bytes after it.
struct TestBuffer {
    explicit TestBuffer(const std::string& text = "", bool eod = false, size_t room = 0)
        : store(text.size() + room + 1), buf(store.data(), static_cast<FILT_Size>(text.size() + room), false) {
        buf.Write(U8(text), static_cast<FILT_Size>(text.size()));
        buf.SetEOD(eod);
    }
    std::string Text() const { return ::Text(buf); }
    std::vector<uint8_t> store;
    FILT_FilterBuffer buf;
};

inline uint64_t RefGet(const std::string& bytes, uint64_t bitPos, uint32_t bits) {
    uint64_t v = 0;
    for (uint32_t b = 0; b < bits; ++b, ++bitPos)
        v = (v << 1) | ((static_cast<uint8_t>(bytes[bitPos / 8]) >> (7 - bitPos % 8)) & 1);
    return v;
}

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

// Expects f to throw the code with a message that contains text.
inline void ExpectThrows(const std::function<void()>& f, uint32_t code, const std::string& text = "") {
    std::string message;
    EXPECT_EQ(ThrownCode(f, &message), code);
    EXPECT_NE(message.find(text), std::string::npos) << message;
}

// Expects every filter from make to turn input into output under every
// standard chunking.
template <class Make>
void ExpectOutput(const Make& make, const std::string& input, const std::string& output, size_t rowBytes = 0) {
    for (const Chunking& ch : StandardChunkings(rowBytes)) {
        SCOPED_TRACE(ch.Name());
        auto filter = make();
        EXPECT_EQ(Hex(RunFilter(*filter, input, ch, output.size() + 256)), Hex(output));
    }
}

template <class F>
std::unique_ptr<F> New() {
    return std::make_unique<F>();
}
