// A stream core for tests and fuzz targets: hands out its text in chunks of
// given sizes (so that readers resume across buffers), records what is
// flushed into it (storing it in chunks of given sizes if asked), and counts
// its fills and closes.
#pragma once

#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_StreamCore.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

class GLOB_ChunkedCore : public GLOB_StreamCore {
public:
    // sizes cycle; 0 (or no sizes) means "everything that is left".
    // maxStore > 0 stores at most that many bytes per FlushBuffer call.
    explicit GLOB_ChunkedCore(std::string text = std::string(), std::vector<size_t> sizes = {},
                              uint32_t mode = Input | Output, size_t maxStore = 0)
        : m_text(std::move(text)), m_sizes(std::move(sizes)), m_maxStore(maxStore) {
        m_buffer.SetStorage(nullptr, static_cast<FILT_Size>(std::max<size_t>(m_text.size(), 1)), true);
        Open(mode);
    }
    ~GLOB_ChunkedCore() override { Close(); }

    int fills = 0;
    int closes = 0;
    std::string written;
    std::vector<std::pair<size_t, bool>> flushes;  // bytes stored, EOD
    bool emptyWithoutEod = false;  // a fill that breaks the contract
    bool storeNothing = false;     // a device that refuses every byte
    std::vector<size_t> storeSizes;  // bytes stored per FlushBuffer call, cycling
    int failAtFill = 0;  // the fill of this number (from 1) throws a cancel

protected:
    FILT_FilterBuffer* FillBuffer() override {
        if (++fills == failAtFill)
            throw GLIB_Exception(1128003, "Cancel requested", __FILE__, __LINE__);
        m_buffer.Reset();
        if (emptyWithoutEod)
            return &m_buffer;
        const size_t left = m_text.size() - m_given;
        const size_t n = m_sizes.empty() || m_sizes[m_next % m_sizes.size()] == 0
                             ? left
                             : std::min(left, m_sizes[m_next % m_sizes.size()]);
        ++m_next;
        m_buffer.Write(reinterpret_cast<const uint8_t*>(m_text.data()) + m_given, static_cast<FILT_Size>(n));
        m_given += n;
        if (m_given == m_text.size())
            m_buffer.SetEOD();
        return &m_buffer;
    }
    void FlushBuffer(FILT_FilterBuffer& buffer) override {
        size_t n = storeNothing ? 0 : buffer.DataAvailable();
        if (m_maxStore)
            n = std::min(n, m_maxStore);
        if (!storeSizes.empty() && storeSizes[m_nextStore % storeSizes.size()] != 0)
            n = std::min(n, storeSizes[m_nextStore % storeSizes.size()]);
        ++m_nextStore;
        written.append(reinterpret_cast<const char*>(buffer.GetPtr()), n);
        flushes.emplace_back(n, buffer.IsEOD());
        buffer.AdvanceGetPtr(static_cast<FILT_Size>(n));
    }
    void DoClose() override { ++closes; }

private:
    std::string m_text;
    std::vector<size_t> m_sizes;
    size_t m_next = 0;
    size_t m_nextStore = 0;
    size_t m_given = 0;
    size_t m_maxStore;
    FILT_FilterBuffer m_buffer;
};
