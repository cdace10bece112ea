#include "FILT/FILT_DCTBase.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include <jerror.h>

namespace {

// The zigzag scan of ITU-T T.81 figure 5, walked diagonal by diagonal.
struct Zigzag {
    int32_t natural[FILT_DCTBase::QuantTableSize];
    Zigzag() {
        int32_t k = 0;
        for (int32_t s = 0; s < 15; ++s) {
            const int32_t low = std::max(0, s - 7);
            const int32_t high = std::min(s, 7);
            for (int32_t i = 0; i <= high - low; ++i) {
                const int32_t row = s % 2 ? low + i : high - i;
                natural[k++] = row * 8 + (s - row);
            }
        }
    }
};
const Zigzag g_zigzag;

// The first values of table 0 of the SetQuality presets 0 to 5; the rest of
// both tables follows the shape of ITU-T T.81 annex K scaled to them.
constexpr int32_t QualityLevels = 6;
constexpr int32_t PresetHead = 5;
const uint8_t PresetHeads[QualityLevels][PresetHead] = {
    {20, 17, 17, 17, 18}, {18, 13, 13, 13, 14}, {14, 10, 10, 10, 11},
    {9, 6, 6, 6, 7},      {3, 2, 2, 2, 2},      {4, 3, 3, 4, 3},
};
constexpr int32_t SingleTableLevel = 4;
constexpr int32_t FullSamplingLevel = 5;
// libjpeg's quality at which its tables are annex K's unscaled.
constexpr int BaseQuality = 50;
constexpr float AnnexKFirstValue = 16.0f;

}  // namespace

FILT_DCTBase::FILT_DCTBase(uint32_t errorCode) : m_errorCode(errorCode) {}

FILT_DCTBase::~FILT_DCTBase() = default;

int32_t FILT_DCTBase::ZigzagToNatural(int32_t k) { return g_zigzag.natural[k]; }

void FILT_DCTBase::CheckIndex(int32_t index, int32_t limit, const char* what) const {
    if (index < 0 || index >= limit)
        GLIB_THROW(GLIB_Exception, m_errorCode,
                   Name() << ": " << what << " index " << index << " is not from 0 to " << limit - 1);
}

void FILT_DCTBase::SetColors(int32_t n) {
    if (n < 1 || n > MaxColors)
        GLIB_THROW(GLIB_Exception, m_errorCode, Name() << ": Colors must be from 1 to " << MaxColors << ", not " << n);
    m_numColors = n;
}

void FILT_DCTBase::SetColumns(int32_t n) {
    if (n < 1 || n > MaxDimension)
        GLIB_THROW(GLIB_Exception, m_errorCode,
                   Name() << ": Columns must be from 1 to " << MaxDimension << ", not " << n);
    m_columns = n;
}

void FILT_DCTBase::SetRows(int32_t n) {
    if (n < 1 || n > MaxDimension)
        GLIB_THROW(GLIB_Exception, m_errorCode, Name() << ": Rows must be from 1 to " << MaxDimension << ", not " << n);
    m_rows = n;
}

void FILT_DCTBase::SetColorTransform(int32_t n) {
    if (n != 0 && n != 1)
        GLIB_THROW(GLIB_Exception, m_errorCode, Name() << ": ColorTransform must be 0 or 1, not " << n);
    m_colorTransform = n;
}

void FILT_DCTBase::SetQFactor(float q) {
    if (!(q >= 0.0f && q <= MaxQFactor))
        GLIB_THROW(GLIB_Exception, m_errorCode, Name() << ": QFactor must be from 0 to " << MaxQFactor << ", not " << q);
    m_qFactor = q;
}

void FILT_DCTBase::SetSamples(const std::vector<int32_t>& values, int32_t Component::*field, const char* what) {
    GLIB_ASSERT_CMP(m_numColors, >=, 1);
    if (values.size() < static_cast<size_t>(m_numColors))
        GLIB_THROW(GLIB_Exception, m_errorCode, Name() << ": " << what << " needs " << m_numColors << " values");
    for (int32_t i = 0; i < m_numColors; ++i)
        if (values[static_cast<size_t>(i)] < 1 || values[static_cast<size_t>(i)] > MaxSamples)
            GLIB_THROW(GLIB_Exception, m_errorCode, Name() << ": " << what << " must be from 1 to " << MaxSamples
                                                           << ", not " << values[static_cast<size_t>(i)]);
    for (int32_t i = 0; i < m_numColors; ++i)
        m_component[i].*field = values[static_cast<size_t>(i)];
}

void FILT_DCTBase::SetHSamples(const std::vector<int32_t>& values) {
    SetSamples(values, &Component::hSamples, "HSamples");
}

void FILT_DCTBase::SetVSamples(const std::vector<int32_t>& values) {
    SetSamples(values, &Component::vSamples, "VSamples");
}

void FILT_DCTBase::SetQuantTable(int32_t index, const float* values) {
    CheckIndex(index, MaxQuantTables, "quantisation table");
    std::memcpy(m_quantTable[index], values, sizeof m_quantTable[index]);
    m_quantTableSet[index] = true;
    m_anyQuantTableSet = true;
}

void FILT_DCTBase::SetDCHuffTable(int32_t index, const uint8_t* table) {
    CheckIndex(index, MaxHuffTables, "DC Huffman table");
    std::memcpy(m_dcHuffTable[index], table, HuffTableSize);
    m_dcHuffTableSet[index] = true;
    m_anyHuffTableSet = true;
}

void FILT_DCTBase::SetACHuffTable(int32_t index, const uint8_t* table) {
    CheckIndex(index, MaxHuffTables, "AC Huffman table");
    std::memcpy(m_acHuffTable[index], table, HuffTableSize);
    m_acHuffTableSet[index] = true;
    m_anyHuffTableSet = true;
}

void FILT_DCTBase::SetMap(const std::vector<int32_t>& map, const bool* tableSet, int32_t Component::*field,
                          const char* what) {
    GLIB_ASSERT_CMP(m_numColors, >=, 1);
    if (map.size() < static_cast<size_t>(m_numColors))
        GLIB_THROW(GLIB_Exception, m_errorCode, Name() << ": " << what << " map needs " << m_numColors << " values");
    for (int32_t i = 0; i < m_numColors; ++i) {
        const int32_t index = map[static_cast<size_t>(i)];
        CheckIndex(index, MaxHuffTables, what);
        if (!tableSet[index])
            GLIB_THROW(GLIB_Exception, m_errorCode, Name() << ": " << what << " " << index << " was not given");
    }
    for (int32_t i = 0; i < m_numColors; ++i)
        m_component[i].*field = map[static_cast<size_t>(i)];
}

void FILT_DCTBase::SetQuantTableMap(const std::vector<int32_t>& map) {
    SetMap(map, m_quantTableSet, &Component::quantTable, "quantisation table");
}

void FILT_DCTBase::SetDCHuffTableMap(const std::vector<int32_t>& map) {
    SetMap(map, m_dcHuffTableSet, &Component::dcHuffTable, "DC Huffman table");
}

void FILT_DCTBase::SetACHuffTableMap(const std::vector<int32_t>& map) {
    SetMap(map, m_acHuffTableSet, &Component::acHuffTable, "AC Huffman table");
}

void FILT_DCTBase::QuantTableToJpeg(int32_t index, unsigned int* jpegQuantTable) const {
    GLIB_ASSERT(jpegQuantTable != NULL);
    for (int32_t k = 0; k < QuantTableSize; ++k) {
        // Clamped so that huge or negative values stay defined.
        const double v = std::min(std::max(double{m_quantTable[index][k]} * m_qFactor + 0.5, 0.0), MaxQuantValue);
        jpegQuantTable[g_zigzag.natural[k]] = static_cast<unsigned int>(v);
    }
}

void FILT_DCTBase::QuantTableFromJpeg(int32_t index, const JQUANT_TBL* jpegQuantTable) {
    for (int32_t k = 0; k < QuantTableSize; ++k) {
        const float v = jpegQuantTable ? static_cast<float>(jpegQuantTable->quantval[g_zigzag.natural[k]]) : 0.0f;
        m_quantTable[index][k] = m_qFactor > 0.0f ? v / m_qFactor : v;
    }
}

void FILT_DCTBase::HuffTableToJpeg(const uint8_t* table, JHUFF_TBL* jpegHuffTable) {
    GLIB_ASSERT(jpegHuffTable != NULL);
    jpegHuffTable->bits[0] = 0;
    std::memcpy(&jpegHuffTable->bits[1], table, HuffTableCounts);
    std::memcpy(jpegHuffTable->huffval, table + HuffTableCounts, HuffTableSize - HuffTableCounts);
    jpegHuffTable->sent_table = FALSE;
}

void FILT_DCTBase::HuffTableFromJpeg(uint8_t* table, const JHUFF_TBL* jpegHuffTable) {
    if (!jpegHuffTable) {
        std::memset(table, 0, HuffTableSize);
        return;
    }
    std::memcpy(table, &jpegHuffTable->bits[1], HuffTableCounts);
    std::memcpy(table + HuffTableCounts, jpegHuffTable->huffval, HuffTableSize - HuffTableCounts);
}

void FILT_DCTBase::InitErrorMgr(j_common_ptr jpeg) {
    jpeg->err = jpeg_std_error(&m_errorMgr);
    m_errorMgr.error_exit = ErrorExit;
    m_errorMgr.emit_message = EmitMessage;
    m_errorMgr.output_message = OutputMessage;
    m_errorMgr.trace_level = 0;
    jpeg->client_data = this;
}

// Called by libjpeg, which is C: this frame holds only plain data, and the
// jump lands in JpegGuard before any C++ frame with a destructor.
void FILT_DCTBase::ErrorExit(j_common_ptr jpeg) {
    FILT_DCTBase* self = static_cast<FILT_DCTBase*>(jpeg->client_data);
    (*jpeg->err->format_message)(jpeg, self->m_messageText);
    std::longjmp(self->m_jump, 1);
}

void FILT_DCTBase::EmitMessage(j_common_ptr jpeg, int level) {
    // Nothing may propagate into libjpeg's C frames.
    try {
        jpeg_error_mgr* err = jpeg->err;
        char text[MessageSize];
        FILT_DCTBase* self = static_cast<FILT_DCTBase*>(jpeg->client_data);
        if (level < 0 && err->msg_code == JWRN_HIT_MARKER && jpeg->is_decompressor) {
            self->NoteDataEnd(reinterpret_cast<j_decompress_ptr>(jpeg));
            // The reader says where the data end, in its own words.
            if (self->m_dataEndTold) {
                (*err->format_message)(jpeg, text);
                GLIB_LOG(GLIB_LogDebug, text);
                return;
            }
        }
        // Bytes of the zeros given past the data's end that arithmetic
        // decoding left: the decoder's own padding, not the data's damage.
        if (level < 0 && err->msg_code == JWRN_EXTRANEOUS_DATA && self->m_zeroPadding && !self->m_zerosLeftSet) {
            self->m_zerosLeft = static_cast<uint32_t>(err->msg_parm.i[0]);
            self->m_zerosLeftSet = true;
            (*err->format_message)(jpeg, text);
            GLIB_LOG(GLIB_LogDebug, text);
            return;
        }
        if (level < 0 && self->m_dataEndTold) {
            (*err->format_message)(jpeg, text);
            GLIB_LOG(GLIB_LogDebug, text);
            if (!self->m_heldWarning[0])
                std::snprintf(self->m_heldWarning, sizeof self->m_heldWarning, "%s", text);
            ++err->num_warnings;
        } else if (level < 0) {
            if (err->num_warnings == 0 || err->trace_level >= 3) {
                (*err->format_message)(jpeg, text);
                GLIB_LOG(GLIB_LogWarning, text);
            }
            ++err->num_warnings;
        } else if (err->trace_level > level) {
            (*err->format_message)(jpeg, text);
            GLIB_LOG(level == 0 ? GLIB_LogInfo : GLIB_LogDebug, text);
        }
    } catch (...) {
    }
}

void FILT_DCTBase::NoteZeroPadding(uint32_t count) {
    m_zeroPadding = true;
    m_zerosGiven = count;
}

void FILT_DCTBase::NoteDataEnd(j_decompress_ptr jpeg) {
    const int marker = jpeg->unread_marker;
    if (m_dataEnd.scan == 0 && (marker < JPEG_RST0 || marker > JPEG_RST0 + 7))
        m_dataEnd = DataEnd{jpeg->input_scan_number, jpeg->input_iMCU_row};
}

void FILT_DCTBase::RewordJpegError(const char* text) { std::snprintf(m_messageText, sizeof m_messageText, "%s", text); }

void FILT_DCTBase::LeadJpegError(const char* lead) {
    char words[MessageSize];
    std::snprintf(words, sizeof words, "%.*s", static_cast<int>(MessageSize - 1), m_messageText);
    std::snprintf(m_messageText, sizeof m_messageText, "%.*s (libjpeg: %s)", static_cast<int>(MessageSize - 20), lead,
                  words);
}

void FILT_DCTBase::OutputMessage(j_common_ptr jpeg) {
    try {
        char text[MessageSize];
        (*jpeg->err->format_message)(jpeg, text);
        GLIB_LOG(GLIB_LogDebug, text);
    } catch (...) {
    }
}

void FILT_DCTBase::RaiseJpegError(j_common_ptr jpeg) {
    GLIB_LOG(GLIB_LogError, m_messageText);
    jpeg_destroy(jpeg);
    throw GLIB_Exception(m_errorCode, m_messageText, __FILE__, __LINE__);
}

void FILT_DCTBase::SetQuality(int32_t level) {
    GLIB_ASSERT_CMP(m_numColors, >=, 1);
    if (level < 0 || level >= QualityLevels) {
        GLIB_LOG(GLIB_LogError, "Invalid Quality specified in FILT_DCTBase::SetQuality()");
        return;
    }
    // Annex K's tables, as libjpeg holds them.
    jpeg_compress_struct standard;
    std::memset(&standard, 0, sizeof standard);
    InitErrorMgr(reinterpret_cast<j_common_ptr>(&standard));
    uint8_t dc[2][HuffTableSize];
    uint8_t ac[2][HuffTableSize];
    float quant[2][QuantTableSize];
    const float scale = PresetHeads[level][0] / AnnexKFirstValue;
    const bool ok = JpegGuard([&] {
        jpeg_create_compress(&standard);
        standard.in_color_space = JCS_YCbCr;
        standard.input_components = 3;
        jpeg_set_defaults(&standard);
        jpeg_set_quality(&standard, BaseQuality, TRUE);
        for (int32_t t = 0; t < 2; ++t) {
            HuffTableFromJpeg(dc[t], standard.dc_huff_tbl_ptrs[t]);
            HuffTableFromJpeg(ac[t], standard.ac_huff_tbl_ptrs[t]);
            for (int32_t k = 0; k < QuantTableSize; ++k)
                quant[t][k] = std::max(1.0f, std::round(standard.quant_tbl_ptrs[t]->quantval[g_zigzag.natural[k]] * scale));
        }
        jpeg_destroy_compress(&standard);
    });
    if (!ok)
        RaiseJpegError(reinterpret_cast<j_common_ptr>(&standard));
    for (int32_t k = 0; k < PresetHead; ++k)
        quant[0][k] = PresetHeads[level][k];

    const bool single = level == SingleTableLevel;
    const int32_t tables = single ? 1 : 2;
    const std::vector<int32_t> map = single ? std::vector<int32_t>{0, 0, 0, 0} : std::vector<int32_t>{0, 1, 1, 0};
    const std::vector<int32_t> samples = single || level == FullSamplingLevel ? std::vector<int32_t>{1, 1, 1, 1}
                                                                              : std::vector<int32_t>{2, 1, 1, 2};
    for (int32_t t = 0; t < tables; ++t)
        SetQuantTable(t, quant[t]);
    SetQuantTableMap(map);
    SetHSamples(samples);
    SetVSamples(samples);
    for (int32_t t = 0; t < tables; ++t)
        SetDCHuffTable(t, dc[t]);
    for (int32_t t = 0; t < tables; ++t)
        SetACHuffTable(t, ac[t]);
    SetDCHuffTableMap(map);
    SetACHuffTableMap(map);
    SetColorTransform(single ? 0 : 1);
    m_qFactor = 1.0f;
}
