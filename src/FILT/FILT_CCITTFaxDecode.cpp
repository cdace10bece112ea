#include "FILT/FILT_CCITTFaxDecode.h"

#include "FILT/FILT_CCITTTables.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iomanip>

namespace {

using Tables = FILT_CCITTTables;

// A partial code stops counting its bits here; only EOL fill runs this long,
// and an EOL's end is found from its last byte instead.
constexpr int32_t MaxGathered = 1 << 16;
// Run-line dumps and row pictures.
constexpr int32_t DumpEntriesPerLine = 20;
constexpr int32_t PictureWidth = 100;
// a1 - b1 of the vertical codes V0 … VL3.
constexpr int32_t VerticalDelta[] = {0, 1, 2, 3, -1, -2, -3};

int32_t Digits(int32_t v) {
    char text[16];
    return std::snprintf(text, sizeof text, "%d", v);
}

}  // namespace

FILT_CCITTFaxDecode::FILT_CCITTFaxDecode() {
    SetParams(-1, false, false, true, false, 0, 1728);
}

FILT_CCITTFaxDecode::~FILT_CCITTFaxDecode() = default;

bool FILT_CCITTFaxDecode::SetParams(int32_t k, bool endOfLine, bool encodedByteAlign,
                                    bool endOfBlock, bool blackIs1, int32_t rows,
                                    int32_t columns, bool rasterOutput, bool saveReferenceLines,
                                    int32_t stripNumber, int32_t stripCount, bool freshStart) {
    m_k = k;
    m_endOfLine = endOfLine;
    m_encodedByteAlign = encodedByteAlign;
    m_endOfBlock = endOfBlock;
    m_blackIs1 = blackIs1;
    m_rows = rows;
    m_columns = columns;
    m_rasterOutput = rasterOutput;
    m_saveReferenceLines = saveReferenceLines;
    m_stripNumber = stripNumber;
    m_stripCount = stripCount;
    m_message.clear();
    m_paramsValid = false;
    if (columns < 1 || columns > MaxColumns) {
        m_message = "FILT_CCittFaxDecode error : Columns must be from 1 to " + std::to_string(MaxColumns);
        return false;
    }
    if (!endOfBlock && rows < 1) {
        m_message = "FILT_CCittFaxDecode error : Must specify positive Rows or EndOfBlock";
        return false;
    }
    if (saveReferenceLines && (stripNumber < 0 || stripNumber >= stripCount)) {
        m_message = "FILT_CCittFaxDecode error : Save reference lines specified, but strip number out of range";
        return false;
    }
    if (endOfLine)
        m_encodedByteAlign = false;
    m_paddedColumns = (columns + 7) & ~7;
    m_maxChanges = columns + ExtraChanges;
    const size_t lineSize = static_cast<size_t>(m_maxChanges) + EXTRA_RUNS + 1;
    if (m_a.size() < lineSize) {
        m_a.assign(lineSize, 0);
        m_b.assign(lineSize, 0);
    }
    ResetState();

    if (saveReferenceLines) {
        const size_t count = static_cast<size_t>(stripCount);
        if (m_savedBits.size() < count || columns > m_stripColumns) {
            m_stripColumns = columns;
            m_savedBits.assign(count, 0);
            m_savedAllowance.assign(count, k > 0 ? k : 0);
            m_savedLines.assign(count, std::vector<int32_t>());
            if (k != 0)
                m_savedLines[0].assign(m_b.begin(), m_b.begin() + m_bSentinel + 1);
        }
        if (!freshStart) {
            const std::vector<int32_t>& line = m_savedLines[static_cast<size_t>(stripNumber)];
            if (k != 0 && !line.empty() && line.size() <= m_b.size()) {
                std::copy(line.begin(), line.end(), m_b.begin());
                m_bSentinel = static_cast<int32_t>(line.size()) - 1;
            }
            m_bitsLeft = m_savedBits[static_cast<size_t>(stripNumber)];
            if (k > 0)
                m_twoDAllowance = m_savedAllowance[static_cast<size_t>(stripNumber)];
        }
    }
    m_paramsValid = true;
    return true;
}

void FILT_CCITTFaxDecode::ResetState() {
    m_state = m_k < 0 ? TwoDCode : OneDCode;
    m_bitsLeft = 0;
    m_partial = 0;
    m_gathered = 0;
    m_eolCount = 0;
    m_runsRead = 0;
    m_rowsDone = 0;
    m_totalIn = 0;
    m_totalOut = 0;
    m_inputEnded = false;
    m_a[0] = -1;
    m_codingPos = 1;
    m_a0 = -1;
    m_colour = Tables::White;
    // The row above the first one is all white.
    m_b[0] = 0;
    for (int32_t i = 1; i < EXTRA_RUNS; ++i)
        m_b[static_cast<size_t>(i)] = m_columns;
    m_b[EXTRA_RUNS] = RUN_LINE_SENTINEL;
    m_bSentinel = EXTRA_RUNS;
    m_b1 = 1;
    m_rowIs1D = m_k >= 0;
    m_twoDAllowance = m_k;
    m_outCol = 0;
    m_rasterPos = 1;
    m_rasterWhite = 1;
}

void FILT_CCITTFaxDecode::SetTrace(bool on, uint32_t kinds, int32_t firstRow, int32_t lastRow,
                                   int32_t firstCol, int32_t lastCol) {
    m_trace = on;
    m_traceKinds = kinds;
    m_traceRows[0] = firstRow;
    m_traceRows[1] = lastRow;
    m_traceCols[0] = firstCol;
    m_traceCols[1] = lastCol;
}

void FILT_CCITTFaxDecode::ProcessBytes(FILT_FilterBuffer& in, FILT_FilterBuffer& out) {
    if (!m_paramsValid)
        GLIB_THROW(GLIB_Exception, FILT_CCITTFaxDecodeCode, m_message);
    if (m_state == Error)
        GLIB_THROW(GLIB_Exception, FILT_CCITTFaxDecodeCode,
                   Name() << ": ProcessBytes called while in the Error state");
    if (m_state == Finished) {
        out.SetEOD();
        return;
    }
    m_inBuf = &in;
    m_outBuf = &out;
    m_in = in.GetPtr();
    m_inEnd = in.PutPtr();
    m_out = out.PutPtr();
    m_outEnd = out.EndPtr();
    m_inputAtEnd = in.IsEOD();
    const Stop stop = m_trace ? Run<true>() : Run<false>();
    Commit();
    m_inBuf = m_outBuf = nullptr;
    if (stop == Done)
        out.SetEOD();
}

void FILT_CCITTFaxDecode::Commit() {
    const FILT_Size used = static_cast<FILT_Size>(m_in - m_inBuf->GetPtr());
    if (used)
        m_inBuf->AdvanceGetPtr(used);
    const FILT_Size made = static_cast<FILT_Size>(m_out - m_outBuf->PutPtr());
    if (made)
        m_outBuf->AdvancePutPtr(made);
    m_totalIn += used;
    m_totalOut += made;
}

template <bool Trace>
FILT_CCITTFaxDecode::Stop FILT_CCITTFaxDecode::Run() {
    const Tables& t = Tables::Instance();
    // A byte is needed and the input is drained: wait for more, or at the
    // end of the data close the image.
#define FILT_CCITT_NEED_BYTE()                      \
    if (m_in == m_inEnd) {                          \
        if (!m_inputAtEnd)                          \
            return NeedInput;                       \
        if (!EndOfInput())                          \
            return Done;                            \
        break;                                      \
    }
#define FILT_CCITT_TRACE_BYTE()                                                        \
    if constexpr (Trace) {                                                             \
        if (TraceOn(TraceInput))                                                       \
            GLIB_LOG(GLIB_LogDebug, "Processing Byte @ 0x"                             \
                                        << std::hex << std::setw(8) << std::setfill('0') \
                                        << reinterpret_cast<uintptr_t>(m_in) << std::dec \
                                        << ": " << static_cast<int>(*m_in));           \
    }

    for (;;) {
        switch (m_state) {
        case TwoDCode: {
            if (m_a0 >= m_columns) {
                RowEnd();
                break;
            }
            if (!m_bitsLeft) {
                FILT_CCITT_NEED_BYTE();
                m_bitsLeft = 8;
                FILT_CCITT_TRACE_BYTE();
            }
            FindB1();
            const uint8_t e = t.twoDFirst[m_bitsLeft][*m_in];
            if (e < Tables::TwoDTerminal) {
                m_partial = e;
                m_gathered = m_bitsLeft;
                m_bitsLeft = 0;
                ++m_in;
                m_state = TwoDContinue;
                break;
            }
            // No EOL ends inside its first byte, so the length is exact here.
            const Tables::TwoDCodeEntry& code = t.twoDCodes[e - Tables::TwoDTerminal];
            m_bitsLeft -= code.bits;
            if (!m_bitsLeft)
                ++m_in;
            TwoDAction<Trace>(code.value);
            break;
        }
        case TwoDContinue: {
            FILT_CCITT_NEED_BYTE();
            FILT_CCITT_TRACE_BYTE();
            const uint8_t e = t.twoDNext[m_partial][*m_in];
            if (e < Tables::TwoDTerminal) {
                m_partial = e;
                if (m_gathered < MaxGathered)
                    m_gathered += 8;
                ++m_in;
                break;
            }
            const Tables::TwoDCodeEntry& code = t.twoDCodes[e - Tables::TwoDTerminal];
            // An EOL's last bit is the first 1 bit of this byte.
            m_bitsLeft = code.value == Tables::EOL ? 7 - t.leadingZeros[*m_in]
                                                   : m_gathered + 8 - code.bits;
            if (!m_bitsLeft)
                ++m_in;
            TwoDAction<Trace>(code.value);
            break;
        }
        case TagBit: {
            if (!m_bitsLeft) {
                FILT_CCITT_NEED_BYTE();
                m_bitsLeft = 8;
                FILT_CCITT_TRACE_BYTE();
            }
            const int bit = (*m_in >> (m_bitsLeft - 1)) & 1;
            if (!--m_bitsLeft)
                ++m_in;
            if (bit) {
                m_rowIs1D = true;
                m_twoDAllowance = m_k;
                m_state = OneDCode;
            } else {
                m_rowIs1D = false;
                if (m_twoDAllowance <= 1)
                    Fail("More than K-1 consecutive 2-D lines encountered");
                --m_twoDAllowance;
                m_state = TwoDCode;
            }
            break;
        }
        case OneDCode: {
            if (!m_bitsLeft) {
                FILT_CCITT_NEED_BYTE();
                m_bitsLeft = 8;
                FILT_CCITT_TRACE_BYTE();
            }
            const Tables::OneDTables& tab = t.oneD[m_colour];
            const uint8_t e = tab.first[m_bitsLeft][*m_in];
            if (e < Tables::OneDTerminal) {
                m_partial = e;
                m_gathered = m_bitsLeft;
                m_bitsLeft = 0;
                ++m_in;
                m_state = OneDContinue;
                break;
            }
            const Tables::OneDCodeEntry& code = tab.codes[e - Tables::OneDCodeBase];
            m_bitsLeft -= code.length;
            if (!m_bitsLeft)
                ++m_in;
            OneDAction<Trace>(code.value, code.length);
            break;
        }
        case OneDContinue: {
            FILT_CCITT_NEED_BYTE();
            FILT_CCITT_TRACE_BYTE();
            const Tables::OneDTables& tab = t.oneD[m_colour];
            const uint8_t e = tab.next[m_partial][*m_in];
            if (e < Tables::OneDTerminal) {
                m_partial = e;
                if (m_gathered < MaxGathered)
                    m_gathered += 8;
                ++m_in;
                break;
            }
            const Tables::OneDCodeEntry& code = tab.codes[e - Tables::OneDCodeBase];
            m_bitsLeft = code.value == Tables::OneDEOL ? 7 - t.leadingZeros[*m_in]
                                                       : m_gathered + 8 - code.length;
            if (!m_bitsLeft)
                ++m_in;
            OneDAction<Trace>(code.value, code.length);
            break;
        }
        case RowOutput:
            if (m_rasterOutput && !GenerateRaster<Trace>())
                return OutputFull;
            if constexpr (Trace) {
                if (TraceOn(TraceRaster))
                    TraceRow();
            }
            RowDone();
            if ((!m_endOfBlock && m_rowsDone >= m_rows) || m_inputEnded) {
                Finish();
                return Done;
            }
            StartRow();
            break;
        case Finished:
            return Done;
        default: {
            char text[MaxMessage];
            std::snprintf(text, sizeof text, "FILT_CCittFaxDecode error : Invalid state %d encountered.",
                          m_state);
            Fail(text);
        }
        }
    }
#undef FILT_CCITT_NEED_BYTE
#undef FILT_CCITT_TRACE_BYTE
}

void FILT_CCITTFaxDecode::FindB1() {
    // Entry i of a run line is a change to black for odd i, to white for even
    // i; b1 is the first change right of a0 to the colour opposite a0's.
    while (((m_b1 + 1) & 1) == m_colour || m_b[static_cast<size_t>(m_b1)] <= m_a0) {
        if (++m_b1 + 1 >= m_bSentinel)
            Fail("FILT_CCittFaxDecode error : No changing element found on the reference line");
    }
}

void FILT_CCITTFaxDecode::AppendChange(int32_t column) {
    if (m_codingPos > m_maxChanges)
        Fail("FILT_CCittFaxDecode error : More changing elements than Columns allows");
    m_a[static_cast<size_t>(m_codingPos++)] = column;
}

template <bool Trace>
void FILT_CCITTFaxDecode::TwoDAction(int32_t value) {
    if constexpr (Trace) {
        if (TraceOn(TraceTwoD))
            GLIB_LOG(GLIB_LogDebug, "Decoded " << Tables::ColourName(m_colour) << " G4 "
                                               << Tables::TwoDName(value) << " AccumWidth: " << m_a0);
    }
    switch (value) {
    case Tables::V0:
    case Tables::VR1:
    case Tables::VR2:
    case Tables::VR3:
    case Tables::VL1:
    case Tables::VL2:
    case Tables::VL3: {
        const int32_t a1 = m_b[static_cast<size_t>(m_b1)] + VerticalDelta[value];
        if (a1 < 0 || a1 < m_a0)
            Fail("FILT_CCittFaxDecode error : Vertical code places a1 before a0");
        AppendChange(a1);
        m_a0 = a1;
        m_colour ^= 1;
        if (value <= Tables::VL1) {
            ++m_b1;
        } else {
            if (m_b1 == 0)
                Fail("FILT_CCittFaxDecode error : Vertical code steps before the reference line");
            --m_b1;
        }
        m_state = TwoDCode;
        break;
    }
    case Tables::Pass: {
        const int32_t b2 = m_b[static_cast<size_t>(m_b1) + 1];
        if (b2 < m_a0)
            Fail("FILT_CCittFaxDecode error : Pass code moves a0 back");
        m_a0 = b2;
        m_b1 += 2;
        m_state = TwoDCode;
        break;
    }
    case Tables::Horizontal:
        m_runsRead = 0;
        m_state = OneDCode;
        break;
    case Tables::EOL:
        ++m_eolCount;
        m_encodedByteAlign = false;
        if (m_a0 >= 0)
            Fail("FILT_CCittFaxDecode error : Unexpected EOL encountered");
        if (m_eolCount == 1) {
            m_state = m_k < 0 ? TwoDCode : TagBit;
        } else {
            if (!m_endOfBlock)
                Fail("FILT_CCittFaxDecode error : Unexpected EOFB encountered");
            if (m_k < 0 || m_eolCount >= RTCEOLs)
                Finish();
            else
                m_state = TagBit;
        }
        break;
    case Tables::Invalid:
        Fail("FILT_CCittFaxDecode error : Invalid G4 code encountered");
    default:
        Fail("FILT_CCittFaxDecode error : Internal error: unknown G4 code value");
    }
}

template <bool Trace>
void FILT_CCITTFaxDecode::OneDAction(int32_t value, int32_t length) {
    if constexpr (Trace) {
        if (TraceOn(TraceOneD))
            GLIB_LOG(GLIB_LogDebug, "Decoded " << Tables::ColourName(m_colour)
                                               << (value >= 64 ? " G3 Makeup " : " G3 Code ")
                                               << Tables::OneDName(m_colour, value, length) << " ("
                                               << value << ") AccumWidth: " << m_a0);
    }
    (void)length;
    if (value >= 0) {
        m_state = OneDCode;
        m_a0 = std::max(m_a0, 0) + value;
        if (m_a0 > m_columns + MaxOvershoot)
            Fail("FILT_CCittFaxDecode error : Runs reach far beyond Columns");
        if (value >= 64)
            return;  // a make-up code: the terminating code follows
        AppendChange(m_a0);
        m_colour ^= 1;
        if (m_k == 0 || (m_k > 0 && m_rowIs1D)) {
            if (m_a0 >= m_columns)
                RowEnd();
        } else if (++m_runsRead >= 2) {
            m_state = TwoDCode;
        }
        return;
    }
    if (value == Tables::OneDInvalid)
        Fail("Invalid Horizontal G3 code encountered");
    if (m_k < 0)
        Fail("Unexpected EOL encountered");
    ++m_eolCount;
    m_encodedByteAlign = false;
    if (m_a0 >= 0)
        Fail("Unexpected EOL encountered");
    if (m_eolCount > 1 && !m_endOfBlock)
        Fail("Unexpected EOL encountered");
    if (m_eolCount >= RTCEOLs)
        Finish();
    else
        m_state = m_k == 0 ? OneDCode : TagBit;
}

bool FILT_CCITTFaxDecode::EndOfInput() {
    m_inputEnded = true;
    // Data cut inside a row: deliver what was decoded of it.
    if (m_a0 >= 0 || m_codingPos > 1) {
        RowEnd();
        return true;
    }
    Finish();
    return false;
}

void FILT_CCITTFaxDecode::RowEnd() {
    // Runs past the padded width only clip the raster.
    for (int32_t i = m_codingPos - 1; i >= 1 && m_a[static_cast<size_t>(i)] > m_paddedColumns; --i)
        m_a[static_cast<size_t>(i)] = m_paddedColumns;
    m_rowEnd = m_codingPos;
    for (int32_t i = 0; i < EXTRA_RUNS - 1; ++i)
        m_a[static_cast<size_t>(m_rowEnd + i)] = m_paddedColumns;
    m_a[static_cast<size_t>(m_rowEnd + EXTRA_RUNS - 1)] = RUN_LINE_SENTINEL;
    m_outCol = 0;
    m_rasterPos = 1;
    m_rasterWhite = 1;
    m_state = RowOutput;
    if (m_endOfLine && m_eolCount != 1)
        Report("Expecting exactly one EOL, found %d", m_eolCount);
    if (m_encodedByteAlign && m_bitsLeft) {
        ++m_in;
        m_bitsLeft = 0;
    }
}

template <bool Trace>
bool FILT_CCITTFaxDecode::GenerateRaster() {
    const Tables& t = Tables::Instance();
    GLIB_CHECK_BOUND(m_outCol, <=, m_paddedColumns);
    const int64_t remaining = (m_paddedColumns - m_outCol) / 8;
    const int64_t space = m_outEnd - m_out;
    if constexpr (Trace) {
        if (TraceOn(TraceRaster))
            GLIB_LOG(GLIB_LogDebug, "GenerateRaster: outData = " << static_cast<void*>(m_out)
                                                                 << ", spaceAvail = " << space);
    }
    if (remaining > 0 && space == 0) {
        if constexpr (Trace) {
            if (TraceOn(TraceRaster))
                GLIB_LOG(GLIB_LogDebug, "GenerateRaster: insufficient space available, deferring");
        }
        return false;
    }
    // Short output room is filled byte by byte rather than left idle.
    const int64_t bytes = std::min(remaining, space);
    if constexpr (Trace) {
        if (TraceOn(TraceRaster))
            GLIB_LOG(GLIB_LogDebug, "GenerateRaster: Generating " << bytes << " bytes.");
    }
    const uint64_t invert = m_blackIs1 ? ~uint64_t{0} : 0;
    const int32_t* a = m_a.data();
    int32_t col = m_outCol;
    const int32_t endCol = col + static_cast<int32_t>(bytes) * 8;
    while (col < endCol) {
        const int32_t width = std::min(BitsPerRasterWord, endCol - col);
        while (a[m_rasterPos] <= col) {
            m_rasterWhite ^= 1;
            ++m_rasterPos;
        }
        uint64_t word = m_rasterWhite ? ~uint64_t{0} : 0;
        while (a[m_rasterPos] < col + width) {
            word ^= t.rasterFrom[a[m_rasterPos] - col];
            m_rasterWhite ^= 1;
            ++m_rasterPos;
        }
        word ^= invert;
        if (width == BitsPerRasterWord) {
            const uint64_t bigEndian = __builtin_bswap64(word);
            std::memcpy(m_out, &bigEndian, sizeof bigEndian);
        } else {
            for (int32_t i = 0; i < width / 8; ++i)
                m_out[i] = static_cast<uint8_t>(word >> (56 - 8 * i));
        }
        m_out += width / 8;
        col += width;
    }
    m_outCol = col;
    return m_outCol == m_paddedColumns;
}

void FILT_CCITTFaxDecode::RowDone() {
    ++m_rowsDone;
    if (m_a0 > m_columns)
        Report("Image is too wide. Expecting %d columns, found %d columns on line %d", m_columns,
               m_a0, m_rowsDone);
    LineSwap();
}

void FILT_CCITTFaxDecode::LineSwap() {
    GLIB_CHECK_BOUND(m_a[static_cast<size_t>(m_rowEnd)], ==, m_paddedColumns);
    GLIB_CHECK_BOUND(m_a[static_cast<size_t>(m_rowEnd + EXTRA_RUNS - 1)], ==, RUN_LINE_SENTINEL);
    for (int32_t i = 0; i < EXTRA_RUNS - 1; ++i)
        m_a[static_cast<size_t>(m_rowEnd + i)] = m_columns;
    m_a.swap(m_b);
    m_bSentinel = m_rowEnd + EXTRA_RUNS - 1;
    m_a[0] = -1;
    m_b[0] = 0;
    m_codingPos = 1;
    m_a0 = -1;
    m_colour = Tables::White;
    m_b1 = 1;
    m_eolCount = 0;
}

void FILT_CCITTFaxDecode::StartRow() {
    m_state = m_k < 0 ? TwoDCode : OneDCode;
    // Without an EOL and tag bit a row is one-dimensional.
    if (m_k > 0)
        m_rowIs1D = true;
}

void FILT_CCITTFaxDecode::Finish() {
    m_state = Finished;
    if (m_saveReferenceLines && m_stripNumber + 1 < m_stripCount) {
        const size_t next = static_cast<size_t>(m_stripNumber) + 1;
        if (m_k != 0)
            m_savedLines[next].assign(m_b.begin(), m_b.begin() + m_bSentinel + 1);
        m_savedBits[next] = m_bitsLeft;
        if (m_k > 0)
            m_savedAllowance[next] = m_twoDAllowance;
        return;
    }
    if (m_bitsLeft) {
        ++m_in;
        m_bitsLeft = 0;
    }
}

void FILT_CCITTFaxDecode::Report(const char* format, ...) {
    char text[MaxMessage];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_message = text;
    if (m_strict) {
        GLIB_LOG(GLIB_LogDebug, "Error: " << text);
        Fail(text);
    }
    GLIB_LOG(GLIB_LogDebug, "Warning: " << text);
}

void FILT_CCITTFaxDecode::Fail(const std::string& text) {
    m_message = text.substr(0, MaxMessage - 1);
    Commit();
    m_inBuf = m_outBuf = nullptr;
    GLIB_LOG(GLIB_LogDebug, "*** Error encountered on line " << m_rowsDone << " ***");
    DumpRunLine("bLine: ", m_b.data(), m_bSentinel);
    DumpRunLine("aLine: ", m_a.data(), m_codingPos);
    m_state = Error;
    throw GLIB_Exception(FILT_CCITTFaxDecodeCode, text, __FILE__, __LINE__);
}

void FILT_CCITTFaxDecode::DumpRunLine(const char* label, const int32_t* line, int32_t count) const {
    GLIB_CHECK_BOUND(count, <=, m_maxChanges + EXTRA_RUNS);
    const int32_t width = count > 0 ? Digits(line[count - 1]) : 1;
    std::string text = label;
    const std::string indent(text.size(), ' ');
    for (int32_t i = 0; i < count; ++i) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%*d%c, ", width, line[i], i % 2 ? 'b' : 'w');
        text += entry;
        if ((i + 1) % DumpEntriesPerLine == 0 || i + 1 == count) {
            GLIB_LOG(GLIB_LogDebug, text);
            text = indent;
        }
    }
}

bool FILT_CCITTFaxDecode::TraceOn(uint32_t kind) const {
    return (m_traceKinds & kind) && m_rowsDone >= m_traceRows[0] && m_rowsDone <= m_traceRows[1] &&
           m_a0 >= m_traceCols[0] && m_a0 <= m_traceCols[1];
}

void FILT_CCITTFaxDecode::TraceRow() const {
    GLIB_LOG(GLIB_LogDebug, "Line " << m_rowsDone + 1 << ": , Output generated = " << m_totalOut
                                    << ", Input consumed = " << m_totalIn);
    GLIB_LOG(GLIB_LogDebug, "End of Line ");
    // The row as '.' (white) and '*' (black), PictureWidth pixels a line.
    std::string pixels;
    pixels.reserve(static_cast<size_t>(m_columns));
    int32_t white = 1;
    int32_t col = 0;
    for (int32_t i = 1; i < m_rowEnd && col < m_columns; ++i) {
        const int32_t end = std::min(m_a[static_cast<size_t>(i)], m_columns);
        if (end > col)
            pixels.append(static_cast<size_t>(end - col), white ? '.' : '*');
        col = std::max(col, end);
        white ^= 1;
    }
    if (col < m_columns)
        pixels.append(static_cast<size_t>(m_columns - col), white ? '.' : '*');
    for (int32_t start = 0; start < m_columns; start += PictureWidth) {
        char head[32];
        std::snprintf(head, sizeof head, "%s %4d: ", "Row", start);
        GLIB_LOG(GLIB_LogDebug, head << pixels.substr(static_cast<size_t>(start), PictureWidth));
    }
}
