// The ASCIIHexDecode encoder: two lower-case hexadecimal digits per byte,
// a line end after every LineLength input bytes (written when the next
// byte would start a new line, or at the end), then the EOD text.
//
// The EOD text is ">" (ISO 32000-1, 7.4.2: the data ends with ">"), the line
// end "\r\n" and the line length 40 unless set otherwise before the first
// call. Output that does not fit is kept and written first on the next call.
//
// States: Start (0); Running (1); EOD text pending (2); Finished (3): EOD on
// every later call. Throws GLIB_Exception 1130001 only for a state word that
// holds none of these.
#pragma once

#include "FILT/FILT_ASCIIText.h"
#include "FILT/FILT_Filter.h"
#include "FILT/FILT_PendingBytes.h"

class FILT_ASCIIHexEncode : public FILT_Filter {
public:
    static constexpr uint32_t DefaultLineLength = 40;

    FILT_ASCIIHexEncode() = default;

    // Input bytes per line, at least 1 (asserted).
    void SetLineLength(uint32_t bytes);
    // At most FILT_ShortText::MaxLength characters each (asserted).
    void SetEndOfLine(const char* text) { m_endOfLine.Set(text); }
    void SetEODText(const char* text) { m_eodText.Set(text); }

    const char* Name() const override { return "FILT_ASCIIHexEncode"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;

private:
    enum : uint32_t { StateStart = 0, StateRunning = 1, StateEODPending = 2, StateFinished = 3 };

    uint32_t m_column = 0;
    FILT_ShortText m_eodText{">"};
    uint32_t m_lineLength = DefaultLineLength;
    FILT_ShortText m_endOfLine{"\r\n"};
    uint32_t m_state = StateStart;
    // A line end, one byte's digits or the EOD text: at most this much.
    FILT_PendingBytes<FILT_ShortText::MaxLength> m_pending;
};
