#include "FILT/FILT_CCITTFaxEncode.h"

#include "FILT/FILT_CCITTTables.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

using Tables = FILT_CCITTTables;

constexpr int32_t LongestMakeUp = 2560;
constexpr int32_t MakeUpStep = 64;
// Index of the make-up code for 64 * k is MakeUpBase + k.
constexpr int32_t MakeUpBase = 63;
constexpr int32_t EOLBits = 12;
// EOLs of the end block: EOFB (K < 0) and RTC.
constexpr int32_t EOFBCount = 2;
constexpr int32_t RTCCount = 6;
constexpr int32_t RowEndEntries = 5;  // four copies of the row end, then -2
constexpr int32_t Sentinel = -2;

}  // namespace

FILT_CCITTFaxEncode::FILT_CCITTFaxEncode() : m_stage(FILT_CCITTFaxEncode::StageSize) {}

FILT_CCITTFaxEncode::~FILT_CCITTFaxEncode() = default;

bool FILT_CCITTFaxEncode::SetParams(int32_t k, bool endOfLine, bool encodedByteAlign,
                                    bool endOfBlock, bool blackIs1, int32_t rows,
                                    int32_t columns) {
    m_k = k;
    m_endOfLine = endOfLine;
    m_encodedByteAlign = encodedByteAlign;
    m_endOfBlock = endOfBlock;
    m_blackIs1 = blackIs1;
    m_rows = rows;
    m_columns = columns;
    m_state = NotValidated;
    return Validate();
}

bool FILT_CCITTFaxEncode::Validate() {
    m_message.clear();
    if (m_rows < 1)
        m_message = "Must specify positive Rows";
    else if (m_columns < 1 || m_columns > MaxColumns)
        m_message = "Must specify Columns from 1 to " + std::to_string(MaxColumns);
    if (!m_message.empty()) {
        GLIB_LOG(GLIB_LogDebug, "Error: " << m_message);
        return false;
    }
    // A row of alternating pixels starting black has padded + 1 changes.
    const size_t lineSize = static_cast<size_t>((m_columns + 7) & ~7) + 2 + RowEndEntries;
    if (m_a.size() < lineSize) {
        m_a.assign(lineSize, 0);
        m_b.assign(lineSize, 0);
    }
    m_rowsRemaining = m_rows;
    m_rowsCoded = 0;
    m_bitOffset = 0;
    m_partialByte = 0;
    m_stageGet = m_stagePut = 0;
    // The row above the first one is all white.
    m_b[0] = 0;
    for (int32_t i = 1; i < RowEndEntries; ++i)
        m_b[static_cast<size_t>(i)] = m_columns;
    m_b[RowEndEntries] = Sentinel;
    m_a[0] = 0;
    m_a[1] = 0;
    m_pos = 1;
    m_colsToRead = m_columns;
    m_prevPixel = m_blackIs1 ? 0 : 1;
    m_colour = Tables::White;
    m_oneD = m_k >= 0;
    m_rowCounter = m_k;
    // Every row starts from the end-of-row step: with EndOfLine the first
    // row too follows an EOL (and tag bit), as ITU-T T.4 and decoders that
    // require EOLs expect.
    m_state = EndOfRow;
    return true;
}

void FILT_CCITTFaxEncode::ProcessBytes(FILT_FilterBuffer& in, FILT_FilterBuffer& out) {
    if (m_state == Error)
        GLIB_THROW(GLIB_Exception, FILT_CCITTFaxEncodeCode,
                   Name() << ": ProcessBytes called while in the Error state");
    if (m_state == NotValidated && !Validate())
        GLIB_THROW(GLIB_Exception, FILT_CCITTFaxEncodeCode, m_message);

    const uint8_t* ip = in.GetPtr();
    const uint8_t* const inEnd = in.PutPtr();
    auto commitInput = [&] {
        const FILT_Size used = static_cast<FILT_Size>(ip - in.GetPtr());
        if (used)
            in.AdvanceGetPtr(used);
    };
    for (;;) {
        if (!FlushStage(out))
            break;
        if (m_state == Finished) {
            out.SetEOD();
            break;
        }
        const bool direct = out.SpaceRemaining() >= DirectMinimum;
        uint8_t* const start = direct ? out.PutPtr() : m_stage.data();
        m_p = start;
        m_end = direct ? out.EndPtr() : m_stage.data() + StageSize;
        *m_p = m_partialByte;
        Stop stop;
        try {
            stop = Encode(ip, inEnd);
        } catch (...) {
            commitInput();
            throw;
        }
        // What was read counts as consumed, also when a check below throws.
        commitInput();
        const FILT_Size produced = static_cast<FILT_Size>(m_p - start);
        m_partialByte = m_bitOffset ? *m_p : 0;
        if (direct) {
            if (produced) {
                CheckNotEOD(out);
                out.AdvancePutPtr(produced);
            }
        } else {
            m_stageGet = 0;
            m_stagePut = produced;
        }
        if (stop == NeedInput) {
            if (in.IsEOD()) {
                char text[160];
                std::snprintf(text, sizeof text,
                              "FILT_CCittFaxEncode error : Input ended after %d of %d rows",
                              m_rowsCoded, m_rows);
                Fail(text);
            }
            FlushStage(out);
            break;
        }
    }
}

bool FILT_CCITTFaxEncode::FlushStage(FILT_FilterBuffer& out) {
    if (m_stageGet == m_stagePut)
        return true;
    CheckNotEOD(out);
    m_stageGet += out.Write(m_stage.data() + m_stageGet, m_stagePut - m_stageGet);
    if (m_stageGet < m_stagePut)
        return false;
    m_stageGet = m_stagePut = 0;
    return true;
}

void FILT_CCITTFaxEncode::CheckNotEOD(const FILT_FilterBuffer& out) {
    if (out.IsEOD())
        Fail("FILT_CCittFaxEncode error : Trying to generate more data after EndOfData set.");
}

void FILT_CCITTFaxEncode::Fail(const std::string& text) {
    m_message = text;
    m_state = Error;
    throw GLIB_Exception(FILT_CCITTFaxEncodeCode, text, __FILE__, __LINE__);
}

FILT_CCITTFaxEncode::Stop FILT_CCITTFaxEncode::Encode(const uint8_t*& in, const uint8_t* inEnd) {
    const Tables& t = Tables::Instance();
    for (;;) {
        switch (m_state) {
        case ReadRow: {
            int32_t* a = m_a.data();
            while (m_colsToRead > 0) {
                if (in == inEnd)
                    return NeedInput;
                const uint8_t byte = *in++;
                const uint8_t* runs = t.byteToRuns[m_prevPixel * 256 + byte];
                a[m_pos] += runs[0];
                for (int32_t i = 1; runs[i]; ++i) {
                    a[m_pos + 1] = a[m_pos] + runs[i];
                    ++m_pos;
                }
                m_prevPixel = byte & 1;
                m_colsToRead -= 8;
            }
            RowRead();
            break;
        }
        case TwoDRow: {
            int32_t* a = m_a.data();
            const int32_t* b = m_b.data();
            while (m_a0 < m_columns && m_state == TwoDRow) {
                if (!Room())
                    return NoRoom;
                // Stepping by two keeps the candidate's colour.
                while (b[m_b1] <= m_a0)
                    m_b1 += 2;
                const int32_t b1 = b[m_b1];
                const int32_t b2 = b[m_b1 + 1];
                const int32_t a1 = a[m_aPos];
                if (b2 < a1) {
                    PutTwoD(Tables::EncPass);
                    m_a0 = b2;
                    m_b1 += 2;
                    continue;
                }
                const int32_t d = a1 - b1;
                if (d > 3 || d < -3) {
                    PutTwoD(Tables::EncHorizontal);
                    // The runs a0..a1 and a1..a2 are written from the line.
                    m_saved = a[m_aPos - 1];
                    a[m_aPos - 1] = std::max(m_a0, 0);
                    m_runIndex = m_aPos;
                    m_runLast = m_aPos + 1;
                    m_runColour = m_colour;
                    m_runLeft = -1;
                    m_horizontal = true;
                    m_state = OneDRuns;
                    break;
                }
                PutTwoD(d >= 0 ? d : 3 - d);
                m_b1 += d >= 0 ? 1 : -1;
                m_a0 = a1;
                ++m_aPos;
                m_colour ^= 1;
            }
            if (m_state == TwoDRow)
                RowCoded();
            break;
        }
        case OneDRuns: {
            int32_t* a = m_a.data();
            while (m_runIndex <= m_runLast) {
                if (m_runLeft < 0)
                    m_runLeft = a[m_runIndex] - a[m_runIndex - 1];
                while (m_runLeft >= LongestMakeUp) {
                    if (!Room())
                        return NoRoom;
                    PutOneD(m_runColour, MakeUpBase + LongestMakeUp / MakeUpStep);
                    m_runLeft -= LongestMakeUp;
                }
                if (m_runLeft >= MakeUpStep) {
                    if (!Room())
                        return NoRoom;
                    PutOneD(m_runColour, MakeUpBase + m_runLeft / MakeUpStep);
                    m_runLeft %= MakeUpStep;
                }
                if (!Room())
                    return NoRoom;
                PutOneD(m_runColour, m_runLeft);
                m_runLeft = -1;
                m_runColour ^= 1;
                ++m_runIndex;
            }
            if (m_horizontal) {
                m_horizontal = false;
                a[m_aPos - 1] = m_saved;
                m_a0 = a[m_aPos + 1];
                m_aPos += 2;
                m_state = TwoDRow;
            } else {
                RowCoded();
            }
            break;
        }
        case EndOfRow: {
            const bool blockDue = m_endOfBlock && m_rowsRemaining == 0;
            const int32_t group = m_k > 0 ? EOLBits + 1 : EOLBits;
            const int32_t blockCount = m_k < 0 ? EOFBCount : RTCCount;
            if (!Room(blockDue ? (blockCount * group + 15) / 8 : 0))
                return NoRoom;
            if (!m_endOfLine) {
                if (m_encodedByteAlign && m_bitOffset)
                    PutZeros(8 - m_bitOffset);
            } else if (m_rowsRemaining > 0) {
                // The EOL of the next row; none follows the last one, so
                // that RTC stays six EOLs and EOFB two. The fill makes the
                // EOL (and tag bit) end on a byte boundary; one already
                // there gets 8 fill bits.
                if (m_encodedByteAlign)
                    PutZeros(8 - (m_bitOffset + group) % 8);
                PutTwoD(Tables::EncEOL);
                if (m_k > 0) {
                    m_oneD = m_rowCounter == m_k;
                    PutBit(m_oneD);
                }
            }
            if (blockDue) {
                for (int32_t i = 0; i < blockCount; ++i) {
                    PutTwoD(Tables::EncEOL);
                    if (m_k > 0)
                        PutBit(true);
                }
            }
            if (m_rowsRemaining == 0) {
                if (m_bitOffset) {
                    ++m_p;
                    m_bitOffset = 0;
                }
                m_state = Finished;
                return Done;
            }
            NextRow();
            break;
        }
        case Finished:
            return Done;
        default: {
            char text[120];
            std::snprintf(text, sizeof text, "FILT_CCittFaxEncode error : Invalid state %d encountered.",
                          m_state);
            Fail(text);
        }
        }
    }
}

void FILT_CCITTFaxEncode::RowRead() {
    int32_t* a = m_a.data();
    // Changes in the padding bits of the last byte are not kept.
    int32_t last = 1;
    while (a[last] < m_columns)
        ++last;
    a[last] = m_columns;
    for (int32_t i = 1; i < RowEndEntries; ++i)
        a[last + i] = m_columns;
    a[last + RowEndEntries] = Sentinel;
    if (m_oneD && m_k >= 0) {
        m_runIndex = 1;
        m_runLast = last;
        m_runColour = Tables::White;
        m_runLeft = -1;
        m_horizontal = false;
        m_state = OneDRuns;
    } else {
        m_b1 = 1;
        m_a0 = -1;
        m_aPos = 1;
        m_colour = Tables::White;
        m_state = TwoDRow;
    }
}

void FILT_CCITTFaxEncode::RowCoded() {
    --m_rowsRemaining;
    ++m_rowsCoded;
    if (m_k > 0 && --m_rowCounter == 0)
        m_rowCounter = m_k;
    m_state = EndOfRow;
}

void FILT_CCITTFaxEncode::NextRow() {
    if (m_k != 0 && m_rowsCoded > 0)
        m_a.swap(m_b);
    m_colour = Tables::White;
    m_a[0] = 0;
    m_a[1] = 0;
    m_pos = 1;
    m_colsToRead = m_columns;
    m_prevPixel = m_blackIs1 ? 0 : 1;
    m_state = ReadRow;
}

void FILT_CCITTFaxEncode::PutOneD(int32_t colour, int32_t index) {
    const Tables::OneDEncodeTable& t = Tables::Instance().oneDEncode[colour];
    const Tables::EncodeEntry& e = t.entry[m_bitOffset][index];
    m_p[0] |= e.pattern[0];
    m_p[1] = e.pattern[1];
    m_p[2] = e.pattern[2];
    m_p[3] = e.pattern[3];
    m_p += e.advance;
    m_bitOffset = static_cast<int32_t>((static_cast<uint32_t>(m_bitOffset) + t.length[index]) & 7);
}

void FILT_CCITTFaxEncode::PutTwoD(int32_t index) {
    const Tables::TwoDEncodeTable& t = Tables::Instance().twoDEncode;
    const Tables::EncodeEntry& e = t.entry[m_bitOffset][index];
    m_p[0] |= e.pattern[0];
    m_p[1] = e.pattern[1];
    m_p[2] = e.pattern[2];
    m_p[3] = e.pattern[3];
    m_p += e.advance;
    m_bitOffset = static_cast<int32_t>((static_cast<uint32_t>(m_bitOffset) + t.length[index]) & 7);
}

void FILT_CCITTFaxEncode::PutBit(bool one) {
    if (one)
        *m_p |= static_cast<uint8_t>(0x80 >> m_bitOffset);
    if (++m_bitOffset == 8) {
        *++m_p = 0;
        m_bitOffset = 0;
    }
}

void FILT_CCITTFaxEncode::PutZeros(int32_t count) {
    while (count-- > 0)
        PutBit(false);
}
