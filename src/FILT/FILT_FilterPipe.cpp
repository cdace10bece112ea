#include "FILT/FILT_FilterPipe.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"

#include <algorithm>
#include <cstddef>
#include <memory>

namespace {

const char* EodMark(const FILT_FilterBuffer& b) { return b.IsEOD() ? " (eod)" : ""; }

}  // namespace

FILT_FilterPipe::FILT_FilterPipe() : m_buf(2, nullptr) { GLIB_ASSERT_CMP(m_buf.size(), ==, 2u); }

FILT_FilterPipe::~FILT_FilterPipe() {
    for (FILT_Filter* f : m_filter)
        delete f;
    for (size_t i = 1; i + 1 < m_buf.size(); ++i)
        delete m_buf[i];
}

bool FILT_FilterPipe::Insert(int32_t filterIdx, FILT_Filter* f) {
    std::unique_ptr<FILT_Filter> owned(f);
    GLIB_ASSERT_CMP(filterIdx, >=, 0);
    GLIB_ASSERT_CMP(static_cast<size_t>(filterIdx), <=, m_filter.size());
    GLIB_ASSERT(f != NULL);
    const size_t oldCount = m_filter.size();
    const size_t index = static_cast<size_t>(filterIdx);
    std::unique_ptr<FILT_FilterBuffer> buffer;
    if (oldCount > 0)
        buffer.reset(GLIB_NEW FILT_FilterBuffer(m_innerBufferSize));
    m_filter.reserve(oldCount + 1);
    m_buf.reserve(m_buf.size() + 1);
    m_failed.reserve(oldCount + 1);
    m_filter.insert(m_filter.begin() + index, owned.release());
    m_failed.insert(m_failed.begin() + index, false);
    if (buffer) {
        // Inside the chain the new filter writes the new buffer; appended, the
        // old last filter writes it and the new one reads it.
        const size_t position = index < oldCount ? index + 1 : index;
        m_buf.insert(m_buf.begin() + position, buffer.release());
    }
    return true;
}

bool FILT_FilterPipe::Prepend(FILT_Filter* f) {
    GLIB_ASSERT(f != NULL);
    return Insert(0, f);
}

bool FILT_FilterPipe::Append(FILT_Filter* f) {
    GLIB_ASSERT(f != NULL);
    return Insert(static_cast<int32_t>(m_filter.size()), f);
}

void FILT_FilterPipe::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    if (m_filter.empty()) {
        inBuf.TransferTo(outBuf);
        if (inBuf.IsEOD() && inBuf.DataAvailable() == 0)
            outBuf.SetEOD();
        return;
    }
    GLIB_ASSERT_CMP(m_filter.size(), >, 0u);
    GLIB_ASSERT_CMP(m_filter.size(), ==, m_buf.size() - 1);
    GLIB_ASSERT(m_buf[0] == NULL);
    GLIB_ASSERT(m_buf[m_buf.size() - 1] == NULL);

    // The caller's buffers are forgotten on every way out, also when a filter
    // throws, so that a later call reaches the failed filter's Error state
    // instead of stale pointers.
    struct CallerBuffers {
        std::vector<FILT_FilterBuffer*>& buf;
        ~CallerBuffers() { buf.front() = buf.back() = nullptr; }
    } callerBuffers{m_buf};
    m_buf.front() = &inBuf;
    m_buf.back() = &outBuf;
    const FILT_Size inAvailable = inBuf.DataAvailable();
    const FILT_Size outRoom = outBuf.SpaceRemaining();
    if (m_trace)
        GLIB_LOG(GLIB_LogInfo, Name() << "::ProcessBytes, " << "inBuf.DataAvailable = " << inAvailable
                                      << EodMark(inBuf) << ", outBuf.SpaceRemaining = " << outRoom);

    const int32_t last = static_cast<int32_t>(m_filter.size()) - 1;
    if (m_currentFilter < 0)
        m_currentFilter = 0;
    if (m_currentFilter > last)
        m_currentFilter = last;

    while (m_currentFilter >= 0 && m_currentFilter <= last) {
        const int32_t i = m_currentFilter;
        FILT_Filter& filter = *m_filter[i];
        FILT_FilterBuffer& in = *m_buf[i];
        FILT_FilterBuffer& out = *m_buf[i + 1];
        if (m_trace) {
            const FILT_Size inBefore = in.DataAvailable();
            const FILT_Size outBefore = out.SpaceRemaining();
            GLIB_LOG(GLIB_LogInfo, "  About to call " << filter.Name() << "::ProcessBytes, inBuf.DataAvailable = "
                                                      << inBefore << EodMark(in) << ", outBuf.SpaceRemaining = "
                                                      << outBefore << EodMark(out));
            Run(static_cast<size_t>(i), in, out);
            GLIB_LOG(GLIB_LogInfo, "  " << filter.Name() << "::ProcessBytes consumed "
                                        << inBefore - in.DataAvailable() << EodMark(in) << " and generated "
                                        << outBefore - out.SpaceRemaining() << EodMark(out));
        } else {
            Run(static_cast<size_t>(i), in, out);
        }
        if (m_failed[i] || in.DataAvailable() > 0 || in.IsEOD() || out.SpaceRemaining() == 0) {
            if (m_dump)
                GLIB_LOG(GLIB_LogInfo, "  " << filter.Name() << "::ProcessBytes produced the following data:");
            m_currentFilter = i + 1;
        } else {
            // Drained without end of data: the storage is free again for the
            // producer upstream (for the first filter, the caller).
            in.Rewind();
            m_currentFilter = i - 1;
        }
    }

    if (m_trace)
        GLIB_LOG(GLIB_LogInfo, Name() << "::ProcessBytes, " << " consumed " << inAvailable - inBuf.DataAvailable()
                                      << EodMark(inBuf) << " and generated " << outRoom - outBuf.SpaceRemaining()
                                      << EodMark(outBuf));
}

void FILT_FilterPipe::Run(size_t i, FILT_FilterBuffer& in, FILT_FilterBuffer& out) {
    if (m_failed[i]) {
        out.SetEOD();
        return;
    }
    try {
        m_filter[i]->ProcessBytes(in, out);
    } catch (const GLIB_Exception&) {
        // Memory and other failures say no loss: they pass.
        if (!m_endsAtDamage || m_filter[i]->Loss() == nullptr)
            throw;
        m_failed[i] = true;
        out.SetEOD();
    }
}

std::vector<FILT_Filter*> FILT_FilterPipe::TakeFilters() {
    std::vector<FILT_Filter*> filters;
    filters.swap(m_filter);
    m_failed.clear();
    for (size_t i = 1; i + 1 < m_buf.size(); ++i)
        delete m_buf[i];
    m_buf.assign(2, nullptr);
    m_currentFilter = 0;
    return filters;
}

size_t FILT_FilterPipe::LossAt() const {
    for (size_t i = 0; i < m_filter.size(); ++i) {
        if (m_filter[i]->Loss() == nullptr)
            continue;
        const bool cameShort = m_filter[i]->End() == FILT_End::Short;
        if (!cameShort || std::none_of(m_filter.begin() + static_cast<std::ptrdiff_t>(i) + 1, m_filter.end(),
                                    [](const FILT_Filter* f) { return f->End() == FILT_End::Whole; }))
            return i;
    }
    return m_filter.size();
}

const char* FILT_FilterPipe::Loss() const {
    const size_t i = LossAt();
    return i < m_filter.size() ? m_filter[i]->Loss() : nullptr;
}

FILT_End FILT_FilterPipe::End() const {
    const size_t i = LossAt();
    if (i < m_filter.size())
        return m_filter[i]->End();
    return std::any_of(m_filter.begin(), m_filter.end(), [](const FILT_Filter* f) { return f->End() == FILT_End::Whole; })
               ? FILT_End::Whole
               : FILT_End::Unknown;
}
