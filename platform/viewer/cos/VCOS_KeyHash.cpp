#include "viewer/cos/VCOS_KeyHash.h"

#include <chrono>
#include <cstring>
#include <random>

#include <unistd.h>

namespace {

uint64_t Rotate(uint64_t x, int bits) { return (x << bits) | (x >> (64 - bits)); }

struct SipState {
    uint64_t v0, v1, v2, v3;

    void Round() {
        v0 += v1;
        v1 = Rotate(v1, 13) ^ v0;
        v0 = Rotate(v0, 32);
        v2 += v3;
        v3 = Rotate(v3, 16) ^ v2;
        v0 += v3;
        v3 = Rotate(v3, 21) ^ v0;
        v2 += v1;
        v1 = Rotate(v1, 17) ^ v2;
        v2 = Rotate(v2, 32);
    }
    void Absorb(uint64_t word) {
        v3 ^= word;
        Round();
        Round();
        v0 ^= word;
    }
};

uint64_t LittleEndian(const unsigned char* bytes, size_t count) {
    uint64_t word = 0;
    for (size_t i = 0; i < count; ++i)
        word |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    return word;
}

struct ProcessKey {
    uint64_t m_k0, m_k1;

    ProcessKey() {
        try {
            std::random_device device;
            m_k0 = (static_cast<uint64_t>(device()) << 32) ^ device();
            m_k1 = (static_cast<uint64_t>(device()) << 32) ^ device();
        } catch (...) {
            // No entropy source: the clock and the process id, which a file
            // written beforehand cannot know either.
            const auto now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
            m_k0 = VCOS_KeyHash::SipHash24(now, static_cast<uint64_t>(getpid()), "k0");
            m_k1 = VCOS_KeyHash::SipHash24(now, reinterpret_cast<uintptr_t>(this), "k1");
        }
    }
};

}  // namespace

uint64_t VCOS_KeyHash::SipHash24(uint64_t k0, uint64_t k1, const std::string& bytes) {
    SipState s{k0 ^ 0x736f6d6570736575ULL, k1 ^ 0x646f72616e646f6dULL, k0 ^ 0x6c7967656e657261ULL,
               k1 ^ 0x7465646279746573ULL};
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t whole = bytes.size() & ~size_t{7};
    for (size_t at = 0; at < whole; at += 8)
        s.Absorb(LittleEndian(data + at, 8));
    s.Absorb(LittleEndian(data + whole, bytes.size() - whole) | (static_cast<uint64_t>(bytes.size()) << 56));
    s.v2 ^= 0xff;
    for (int i = 0; i < 4; ++i)
        s.Round();
    return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

size_t VCOS_KeyHash::operator()(const std::string& key) const {
    static const ProcessKey processKey;
    return static_cast<size_t>(SipHash24(processKey.m_k0, processKey.m_k1, key));
}
