// A stream core for tests: hands out its text in chunks of given sizes (so
// that readers resume across buffers), records what is flushed into it, and
// counts its fills and closes.
#pragma once

#include "GLOB/GLOB_StreamCore.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

class GLOB_ChunkedCore : public GLOB_StreamCore {
public:
    struct Flushed {
        size_t size;
        bool eod;
    };

    // sizes cycle; 0 (or no sizes) means "everything that is left".
    // maxStore > 0 stores at most that many bytes per FlushBuffer call.
    explicit GLOB_ChunkedCore(std::string text = std::string(), std::vector<size_t> sizes = {},
                              uint32_t mode = Input | Output, size_t maxStore = 0,
                              int* destroyed = nullptr)
        : m_text(std::move(text)), m_sizes(std::move(sizes)), m_maxStore(maxStore),
          m_destroyed(destroyed) {
        size_t most = 1;
        for (size_t n : m_sizes)
            most = std::max(most, n);
        if (m_sizes.empty() || std::find(m_sizes.begin(), m_sizes.end(), size_t{0}) != m_sizes.end())
            most = std::max<size_t>(most, m_text.size());
        m_buffer.SetStorage(nullptr, static_cast<FILT_Size>(most), true);
        Open(mode);
    }
    ~GLOB_ChunkedCore() override {
        Close();
        if (m_destroyed)
            ++*m_destroyed;
    }

    int fills = 0;
    int closes = 0;
    std::string written;
    std::vector<Flushed> flushes;
    // A fill that breaks the contract: no bytes, no EOD.
    bool emptyWithoutEod = false;
    // A store that takes nothing (a device that refuses every byte).
    bool storeNothing = false;

protected:
    FILT_FilterBuffer* FillBuffer() override {
        ++fills;
        m_buffer.Reset();
        if (emptyWithoutEod)
            return &m_buffer;
        size_t n = m_sizes.empty() ? 0 : m_sizes[m_next++ % m_sizes.size()];
        const size_t left = m_text.size() - m_given;
        if (n == 0 || n > left)
            n = left;
        m_buffer.Write(reinterpret_cast<const uint8_t*>(m_text.data()) + m_given, static_cast<FILT_Size>(n));
        m_given += n;
        if (m_given == m_text.size())
            m_buffer.SetEOD();
        return &m_buffer;
    }
    void FlushBuffer(FILT_FilterBuffer& buffer) override {
        size_t n = buffer.DataAvailable();
        if (m_maxStore)
            n = std::min(n, m_maxStore);
        if (storeNothing)
            n = 0;
        written.append(reinterpret_cast<const char*>(buffer.GetPtr()), n);
        flushes.push_back({n, buffer.IsEOD()});
        buffer.AdvanceGetPtr(static_cast<FILT_Size>(n));
    }
    void DoClose() override { ++closes; }

private:
    std::string m_text;
    std::vector<size_t> m_sizes;
    size_t m_next = 0;
    size_t m_given = 0;
    size_t m_maxStore;
    int* m_destroyed;
    FILT_FilterBuffer m_buffer;
};

// Chunk sizes for chunk-invariance tests: whole, one byte, small odd sizes,
// and a seeded random list.
inline std::vector<std::vector<size_t>> GLOB_TestChunkings(uint32_t seed = 7) {
    std::vector<std::vector<size_t>> result = {{0}, {1}, {2, 3, 1}, {5, 1, 1, 7}};
    std::mt19937 random(seed);
    std::uniform_int_distribution<size_t> size(1, 13);
    std::vector<size_t> sizes;
    for (int i = 0; i < 64; ++i)
        sizes.push_back(size(random));
    result.push_back(sizes);
    return result;
}
