// The ASCII85Decode encoder (ISO 32000-1, 7.4.3): every four bytes as five
// base-85 digits '!' to 'u', four zero bytes as 'z'; a last group of k bytes
// (1 to 3) as its first k + 1 digits; then the EOD text "~>". A line end is
// written once a line holds LineLength characters or more, at a group
// boundary, so groups are never split across lines.
//
// Output that does not fit is kept and written first on the next call.
// States: Start (0); Running (1); EOD text pending (2); Finished (3): EOD on
// every later call. Throws nothing of its own.
#pragma once

#include "FILT/FILT_ASCIIText.h"
#include "FILT/FILT_Filter.h"
#include "FILT/FILT_PendingBytes.h"
#include "FILT/FILT_TupleBuffer.h"

class FILT_ASCII85Encode : public FILT_Filter {
public:
    static constexpr uint32_t DefaultLineLength = 80;

    FILT_ASCII85Encode();

    // Characters per line, at least 1 (asserted).
    void SetLineLength(uint32_t characters);
    // At most FILT_ShortText::MaxLength characters each (asserted).
    void SetEndOfLine(const char* text) { m_endOfLine.Set(text); }
    void SetEODText(const char* text) { m_eodText.Set(text); }

    const char* Name() const override { return "FILT_ASCII85Encode"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;

private:
    enum : uint32_t { StateStart = 0, StateRunning = 1, StateEODPending = 2, StateFinished = 3 };
    // Digits of one group.
    static constexpr size_t GroupChars = 5;

    FILT_TupleBufferR m_tuples;
    FILT_ShortText m_eodText{"~>"};
    uint32_t m_column = 0;
    uint32_t m_lineLength = DefaultLineLength;
    FILT_ShortText m_endOfLine{"\r\n"};
    uint32_t m_state = StateStart;
    // A line end, one group, or the last group and the EOD text.
    FILT_PendingBytes<FILT_ShortText::MaxLength + GroupChars> m_pending;
};
