#include "FILT/FILT_PredictEncode.h"

#include "FILT/FILT_PackedBits.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"

#include <cstring>

namespace {

// Sum of the bytes' distances from zero as signed bytes, stopping once it
// exceeds limit.
uint64_t Cost(const uint8_t* row, FILT_Size n, uint64_t limit) {
    uint64_t sum = 0;
    for (FILT_Size i = 0; i < n && sum <= limit; ++i)
        sum += row[i] < 128 ? row[i] : 256 - row[i];
    return sum;
}

}  // namespace

FILT_PredictEncode::FILT_PredictEncode(int32_t predictor, uint32_t colors, uint32_t bitsPerComponent,
                                       uint32_t columns) {
    SetParameters(predictor, colors, bitsPerComponent, columns);
}

void FILT_PredictEncode::SetParameters(int32_t predictor, uint32_t colors, uint32_t bitsPerComponent,
                                       uint32_t columns) {
    m_params = FILT_PredictParameters::Checked(predictor, colors, bitsPerComponent, columns, Name(), FILT_PredictEncodeCode);
}

void FILT_PredictEncode::SetUp() {
    using P = FILT_PredictParameters;
    const int32_t predictor = m_params.predictor;
    m_rowSize = m_params.RowSize();
    m_pixelSize = m_params.PixelSize();
    const bool hasPrior = predictor >= P::PNGUp && predictor <= P::PNGOptimum;
    const FILT_Size candidates = predictor == P::PNGOptimum ? 4
                                 : (predictor == P::None || predictor == P::PNGNone) ? 0 : 1;
    const FILT_Size needed = (1 + (hasPrior ? 1 : 0) + candidates) * m_rowSize;
    if (needed > m_storageSize) {
        m_storage.reset(GLIB_NEW uint8_t[needed]);
        m_storageSize = needed;
    }
    std::memset(m_storage.get(), 0, needed);
    uint8_t* next = m_storage.get();
    m_inputRow = next;
    next += m_rowSize;
    m_priorRow = nullptr;
    if (hasPrior) {
        m_priorRow = next;
        next += m_rowSize;
    }
    for (FILT_Size i = 0; i < 4; ++i) {
        m_candidateRows[i] = i < candidates ? next : nullptr;
        next += i < candidates ? m_rowSize : 0;
    }
    m_rowTag = predictor == P::None || predictor == P::TIFF ? -1
               : predictor == P::PNGOptimum                 ? 0
                                                            : predictor - P::PNGNone;
    m_previousComponents.assign(m_params.colors, 0);
    m_rowBuffer.SetStorage(m_inputRow, m_rowSize, false);
}

void FILT_PredictEncode::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    for (;;) {
        if (m_state == StateFinished) {
            outBuf.SetEOD();
            return;
        }
        if (inBuf.DataAvailable() == 0 && !inBuf.IsEOD())
            return;
        switch (m_state) {
        case StateStart:
            SetUp();
            m_state = StateFilling;
            break;
        case StateFilling: {
            // A row still being filled when EOD comes on an empty inBuf is
            // encoded as a short last row, not dropped.
            if (inBuf.DataAvailable() == 0 && m_rowBuffer.DataAvailable() == 0) {
                m_state = StateFinished;
                break;
            }
            inBuf.TransferTo(m_rowBuffer);
            if (m_rowBuffer.SpaceRemaining() > 0 && !inBuf.IsEOD())
                break;
            const FILT_Size n = m_rowBuffer.DataAvailable();
            uint8_t* row = EncodeRow(n);
            m_rowBuffer.SetStorage(row, m_rowSize, false);
            m_rowBuffer.AdvancePutPtr(n);
            m_state = m_rowTag >= 0 ? StateTag : StateEmitting;
            break;
        }
        case StateTag: {
            if (outBuf.SpaceRemaining() == 0)
                return;
            const uint8_t tag = static_cast<uint8_t>(m_rowTag);
            outBuf.Write(&tag, 1);
            m_state = StateEmitting;
            break;
        }
        case StateEmitting:
            if (outBuf.SpaceRemaining() == 0)
                return;
            m_rowBuffer.TransferTo(outBuf);
            if (m_rowBuffer.DataAvailable() > 0)
                break;
            if (m_priorRow) {
                uint8_t* input = m_inputRow;
                m_inputRow = m_priorRow;
                m_priorRow = input;
            }
            m_rowBuffer.SetStorage(m_inputRow, m_rowSize, false);
            m_state = StateFilling;
            break;
        default:
            GLIB_LOG(GLIB_LogFatal, "FILT_PredictEncode: Unknown state: " << m_state);
            return;
        }
    }
}

uint8_t* FILT_PredictEncode::EncodeRow(FILT_Size n) {
    using P = FILT_PredictParameters;
    const int32_t predictor = m_params.predictor;
    if (predictor == P::None || predictor == P::PNGNone)
        return m_inputRow;
    if (predictor == P::TIFF) {
        // A short row is encoded as if zeros followed; only its n bytes go out.
        std::memset(m_inputRow + n, 0, m_rowSize - n);
        EncodeTIFF(m_candidateRows[0], m_inputRow);
        return m_candidateRows[0];
    }
    if (predictor != P::PNGOptimum) {
        EncodePNG(m_rowTag, m_candidateRows[0], m_inputRow, n);
        return m_candidateRows[0];
    }
    uint64_t best = 0;
    int32_t bestTag = 0;
    for (int32_t tag = 1; tag <= 4; ++tag) {
        uint8_t* row = m_candidateRows[tag - 1];
        EncodePNG(tag, row, m_inputRow, n);
        const uint64_t cost = Cost(row, n, tag == 1 ? UINT64_MAX : best);
        if (tag == 1 || cost < best) {
            best = cost;
            bestTag = tag;
        }
    }
    m_rowTag = bestTag;
    return m_candidateRows[bestTag - 1];
}

void FILT_PredictEncode::EncodePNG(int32_t tag, uint8_t* out, const uint8_t* in, FILT_Size n) const {
    const FILT_Size bpp = m_pixelSize;
    const uint8_t* prior = m_priorRow;
    for (FILT_Size i = 0; i < n; ++i) {
        const uint8_t a = i >= bpp ? in[i - bpp] : 0;
        uint8_t predicted = 0;
        switch (tag) {
        case 1:
            predicted = a;
            break;
        case 2:
            predicted = prior[i];
            break;
        case 3:
            predicted = static_cast<uint8_t>((unsigned(a) + prior[i]) / 2);
            break;
        case 4:
            predicted = FILT_Paeth(a, prior[i], i >= bpp ? prior[i - bpp] : 0);
            break;
        }
        out[i] = static_cast<uint8_t>(in[i] - predicted);
    }
}

void FILT_PredictEncode::EncodeTIFF(uint8_t* out, const uint8_t* in) {
    const uint32_t colors = m_params.colors;
    const uint32_t bits = m_params.bitsPerComponent;
    if (bits == 8) {
        for (FILT_Size i = 0; i < m_rowSize; ++i)
            out[i] = static_cast<uint8_t>(in[i] - (i >= colors ? in[i - colors] : 0));
        return;
    }
    // Padding bits after the last component pass unchanged.
    std::memcpy(out, in, m_rowSize);
    const uint8_t mask = static_cast<uint8_t>((1u << bits) - 1);
    FILT_BitComponent reader(const_cast<uint8_t*>(in), bits);
    FILT_BitComponent writer(out, bits);
    std::vector<uint8_t>& previous = m_previousComponents;
    for (uint32_t col = 0; col < m_params.columns; ++col) {
        for (uint32_t c = 0; c < colors; ++c) {
            const uint8_t v = reader.Get();
            writer.Put(col == 0 ? v : static_cast<uint8_t>((v - previous[c]) & mask));
            previous[c] = v;
        }
    }
}
