#include "FILT/FILT_PredictDecode.h"

#include "FILT/FILT_PackedBits.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"

#include <algorithm>
#include <cstring>

FILT_PredictDecode::FILT_PredictDecode(int32_t predictor, uint32_t colors, uint32_t bitsPerComponent,
                                       uint32_t columns) {
    SetParameters(predictor, colors, bitsPerComponent, columns);
}

void FILT_PredictDecode::SetParameters(int32_t predictor, uint32_t colors, uint32_t bitsPerComponent,
                                       uint32_t columns) {
    m_params = FILT_PredictParameters::Checked(predictor, colors, bitsPerComponent, columns, Name(), FILT_PredictDecodeCode);
}

void FILT_PredictDecode::SetUp() {
    m_rowSize = m_params.RowSize();
    m_pixelSize = m_params.PixelSize();
    const FILT_Size rows = m_params.IsPNG() ? 3 : 2;
    const FILT_Size needed = rows * m_rowSize;
    if (needed > m_storageSize) {
        m_storage.reset(GLIB_NEW uint8_t[needed]);
        m_storageSize = needed;
    }
    std::memset(m_storage.get(), 0, needed);
    m_encodedRow.SetStorage(m_storage.get(), m_rowSize, false);
    m_decodedRow.SetStorage(m_storage.get() + m_rowSize, m_rowSize, false);
    m_priorRow = m_params.IsPNG() ? m_storage.get() + 2 * m_rowSize : nullptr;
    m_previousComponents.assign(m_params.colors, 0);
    m_rowTag = -1;
}

void FILT_PredictDecode::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    for (;;) {
        if (m_state == StateFinished) {
            outBuf.SetEOD();
            return;
        }
        if (m_state == StateError)
            GLIB_THROW(GLIB_Exception, FILT_PredictDecodeCode,
                       "FILT_PredictDecode: ProcessBytes called while in the Error state");
        if (inBuf.DataAvailable() == 0 && !inBuf.IsEOD())
            return;
        switch (m_state) {
        case StateStart:
            SetUp();
            m_state = StateRowStart;
            break;
        case StateRowStart:
            if (inBuf.DataAvailable() == 0) {
                m_state = StateFinished;
                break;
            }
            m_state = StateFilling;
            if (m_params.IsPNG()) {
                const uint8_t tag = *inBuf.GetPtr();
                inBuf.AdvanceGetPtr(1);
                if (tag > 4) {
                    m_state = StateError;
                    const FILT_Size offset = inBuf.TellG();
                    GLIB_LOG(GLIB_LogError,
                             "Unrecognized PNG Prediction Code detected: " << int(tag) << " Offset: " << offset);
                    GLIB_THROW(GLIB_Exception, FILT_PredictDecodeCode,
                               "Unrecognized PNG Prediction Code detected: " << int(tag) << " Offset: " << offset);
                }
                m_rowTag = tag;
            }
            break;
        case StateFilling:
            inBuf.TransferTo(m_encodedRow);
            if (m_encodedRow.SpaceRemaining() > 0 && !inBuf.IsEOD())
                break;
            DecodeRow();
            m_state = StateEmitting;
            break;
        case StateEmitting:
            if (outBuf.SpaceRemaining() == 0)
                return;
            m_decodedRow.TransferTo(outBuf);
            if (m_decodedRow.DataAvailable() > 0)
                break;
            if (m_priorRow) {
                uint8_t* decoded = m_decodedRow.BasePtr();
                m_decodedRow.SetStorage(m_priorRow, m_rowSize, false);
                m_priorRow = decoded;
            } else {
                m_decodedRow.Reset();
            }
            m_encodedRow.Reset();
            m_state = StateRowStart;
            break;
        default:
            GLIB_LOG(GLIB_LogFatal, "FILT_PredictDecode: Unknown state: " << m_state);
            return;
        }
    }
}

void FILT_PredictDecode::DecodeRow() {
    uint8_t* encoded = m_encodedRow.BasePtr();
    uint8_t* decoded = m_decodedRow.BasePtr();
    const FILT_Size n = m_encodedRow.DataAvailable();
    // A short last row is decoded as if zeros followed, but only as far as
    // its n bytes that go out: every predictor looks only backwards.
    std::memset(encoded + n, 0, m_rowSize - n);
    const FILT_Size bpp = m_pixelSize;
    const uint8_t* prior = m_priorRow;
    switch (m_params.IsPNG() ? m_rowTag : -1) {
    case -1:
        if (m_params.predictor == FILT_PredictParameters::TIFF)
            DecodeTIFF(decoded, encoded, n);
        else
            std::memcpy(decoded, encoded, n);
        break;
    case 0:
        std::memcpy(decoded, encoded, n);
        break;
    case 1:
        for (FILT_Size i = 0; i < n; ++i)
            decoded[i] = static_cast<uint8_t>(encoded[i] + (i >= bpp ? decoded[i - bpp] : 0));
        break;
    case 2:
        for (FILT_Size i = 0; i < n; ++i)
            decoded[i] = static_cast<uint8_t>(encoded[i] + prior[i]);
        break;
    case 3:
        for (FILT_Size i = 0; i < n; ++i) {
            const unsigned a = i >= bpp ? decoded[i - bpp] : 0;
            decoded[i] = static_cast<uint8_t>(encoded[i] + (a + prior[i]) / 2);
        }
        break;
    case 4:
        for (FILT_Size i = 0; i < n; ++i) {
            const uint8_t a = i >= bpp ? decoded[i - bpp] : 0;
            const uint8_t c = i >= bpp ? prior[i - bpp] : 0;
            decoded[i] = static_cast<uint8_t>(encoded[i] + FILT_Paeth(a, prior[i], c));
        }
        break;
    }
    m_decodedRow.Reset();
    m_decodedRow.AdvancePutPtr(n);
}

void FILT_PredictDecode::DecodeTIFF(uint8_t* decoded, const uint8_t* encoded, FILT_Size n) {
    const uint32_t colors = m_params.colors;
    const uint32_t bits = m_params.bitsPerComponent;
    if (bits == 8) {
        for (FILT_Size i = 0; i < n; ++i)
            decoded[i] = static_cast<uint8_t>(encoded[i] + (i >= colors ? decoded[i - colors] : 0));
        return;
    }
    // Padding bits after the last component pass unchanged.
    std::memcpy(decoded, encoded, n);
    const uint8_t mask = static_cast<uint8_t>((1u << bits) - 1);
    FILT_BitComponent in(const_cast<uint8_t*>(encoded), bits);
    FILT_BitComponent out(decoded, bits);
    std::vector<uint8_t>& previous = m_previousComponents;
    const uint64_t components =
        std::min<uint64_t>(static_cast<uint64_t>(m_params.columns) * colors, static_cast<uint64_t>(n) * 8 / bits);
    for (uint64_t k = 0; k < components; ++k) {
        const uint32_t c = static_cast<uint32_t>(k % colors);
        const uint8_t v = k < colors ? in.Get() : static_cast<uint8_t>((in.Get() + previous[c]) & mask);
        previous[c] = v;
        out.Put(v);
    }
}
