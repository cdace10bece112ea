#include "FILT/FILT_DCTFirstScan.h"

#include <cstring>

namespace {

constexpr uint8_t MarkerPrefix = 0xFF;
constexpr uint8_t FirstRestart = 0xD0;
constexpr uint8_t LastRestart = 0xD7;

}  // namespace

void FILT_DCTFirstScan::Read(const uint8_t* data, FILT_Size n) {
    const uint8_t* const end = data + n;
    for (const uint8_t* p = data; p < end && !m_ended; ++p) {
        if (!m_afterPrefix) {
            const uint8_t* prefix = static_cast<const uint8_t*>(std::memchr(p, MarkerPrefix, static_cast<size_t>(end - p)));
            m_data = m_data || prefix != p;
            if (!prefix)
                return;
            p = prefix;
            m_afterPrefix = true;
            continue;
        }
        const uint8_t b = *p;
        if (b == MarkerPrefix)
            continue;  // a fill byte
        m_afterPrefix = false;
        if (b == 0x00) {
            m_data = true;  // a stuffed 0xFF
        } else if (b >= FirstRestart && b <= LastRestart) {
            m_inOrder = m_inOrder && b - FirstRestart == static_cast<int>(m_restarts % 8);
            ++m_restarts;
            m_data = false;
        } else {
            m_ended = true;
        }
    }
}

int64_t FILT_DCTFirstScan::LastIntervalStart(uint32_t restartInterval) const {
    if (!m_inOrder || (m_restarts && !restartInterval))
        return -1;
    return static_cast<int64_t>(m_restarts) * restartInterval;
}
