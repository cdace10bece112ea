// The RunLengthDecode encoder (ISO 32000-1, 7.4.5): runs of 3 to 128 equal
// bytes become a length byte 257 - n and the byte; other bytes go in
// literals of at most 128 (length byte n - 1, then the bytes), where two
// equal bytes stay; the data ends with the length byte 128.
//
// Plain mode by default. In row mode (SetRowMode) runs and literals never
// cross the end of a row, and the data ends after rowCount rows (0: when the
// input ends). Output that does not fit is kept and written first on the
// next call. States: see the enum. Throws nothing of its own.
#pragma once

#include "FILT/FILT_Filter.h"
#include "FILT/FILT_PendingBytes.h"

class FILT_RunLengthEncode : public FILT_Filter {
public:
    // Longest literal and longest run.
    static constexpr uint32_t MaxGroup = 128;
    static constexpr uint8_t EndMark = 128;

    FILT_RunLengthEncode() = default;

    // Before the first call: rows of rowLength bytes (0: plain mode).
    void SetRowMode(uint32_t rowLength, uint32_t rowCount);
    // Whether the end mark 128 is written; on at construction.
    void SetEndMark(bool write) { m_endMark = write; }

    const char* Name() const override { return "FILT_RunLengthEncode"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;

private:
    enum : uint32_t { StateStart = 0, StateBetweenGroups = 1, StateCollecting = 2, StateExtendingRun = 3,
                      StateEnd = 6, StateFinished = 7 };

    uint8_t TakeByte(FILT_FilterBuffer& inBuf);
    // Queues the whole literal buffer in groups of at most MaxGroup.
    void WriteLiteral();
    void WriteRun();
    // After the row's last byte: the row is done; the data may end here.
    void EndRow();
    bool RowEnded() const { return m_rowLength > 0 && m_rowRemaining == 0; }

    uint32_t m_state = StateStart;
    uint8_t m_runCount = 0;
    uint8_t m_lastByte = 0;
    uint32_t m_literalCount = 0;
    // A literal of MaxGroup bytes, and two bytes of a beginning run.
    uint8_t m_literal[MaxGroup + 4] = {};
    bool m_endMark = true;
    uint32_t m_rowLength = 0;
    uint32_t m_rowCount = 0;
    uint32_t m_rowRemaining = 0;
    uint32_t m_rowsDone = 0;
    // Two literals (length bytes included), a run and the end mark.
    FILT_PendingBytes<2 * (MaxGroup + 1) + 3> m_pending;
};
