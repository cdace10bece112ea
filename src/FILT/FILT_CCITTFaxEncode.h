// CCITTFaxEncode: rows of packed 1-bit pixels (Columns rounded up to whole
// bytes per row) to ITU-T T.4 one-dimensional coding (K = 0; with K > 0 and
// EndOfLine, rows 1, K+1, 2K+1, … one-dimensional and the others two-
// dimensional, as the tag bit after each EOL says) or T.6 (K < 0), with
// optional EOLs (one before every row), byte alignment and an end block
// (EOFB or RTC).
//
// Rows become changing-element lists through one table lookup per input
// byte; codes are written pre-shifted (FILT_CCITTTables) into a window that
// keeps OutputMargin bytes free. The window is the caller's output buffer
// when it has DirectMinimum bytes of room, else a small stage of the
// encoder's own that is copied out, so any output room is used. A partly
// written last byte is held by the encoder, not counted as produced.
//
// The encoder finishes after Rows rows. When the input ends (EOD with
// nothing left) before them it throws GLIB_Exception 1130005; so do a Rows
// below 1 ("Must specify positive Rows"), Columns outside 1 to MaxColumns,
// and output into a buffer whose EOD flag is already set. After an
// exception the filter is in its Error state and every later call throws.
#pragma once

#include "FILT/FILT_Filter.h"

#include <cstdint>
#include <string>
#include <vector>

class FILT_CCITTFaxEncode : public FILT_Filter {
public:
    static constexpr int32_t MaxColumns = 1 << 20;
    // Free bytes a code write needs at the current byte.
    static constexpr int32_t OutputMargin = 7;
    // Room from which the caller's buffer is written directly.
    static constexpr FILT_Size DirectMinimum = 64;
    static constexpr FILT_Size StageSize = 256;

    // The defaults: K -1, no EOLs, no alignment, EndOfBlock, BlackIs1 false,
    // Rows 0 (which ProcessBytes refuses), Columns 1728.
    FILT_CCITTFaxEncode();
    ~FILT_CCITTFaxEncode() override;

    const char* Name() const override { return "FILT_CCITTFaxEncode"; }
    void ProcessBytes(FILT_FilterBuffer& in, FILT_FilterBuffer& out) override;

    // Stores the parameters and validates them at once; false (with
    // Message()) when Rows < 1 or Columns is out of range.
    bool SetParams(int32_t k, bool endOfLine, bool encodedByteAlign, bool endOfBlock, bool blackIs1,
                   int32_t rows, int32_t columns);
    const std::string& Message() const { return m_message; }

private:
    enum State : int32_t {
        NotValidated = 0,
        ReadRow = 1,
        TwoDRow = 2,
        OneDRuns = 3,
        EndOfRow = 4,
        Finished = 5,
        Error = 6,
    };
    enum Stop { NeedInput, NoRoom, Done };

    bool Validate();
    Stop Encode(const uint8_t*& in, const uint8_t* inEnd);
    void RowRead();
    void RowCoded();
    void NextRow();
    bool Room(int32_t extra = 0) const { return m_end - m_p >= OutputMargin + extra; }
    void PutOneD(int32_t colour, int32_t index);
    void PutTwoD(int32_t index);
    void PutBit(bool one);
    void PutZeros(int32_t count);
    // Copies staged bytes to out; false when some remain.
    bool FlushStage(FILT_FilterBuffer& out);
    void CheckNotEOD(const FILT_FilterBuffer& out);
    [[noreturn]] void Fail(const std::string& text);

    // Parameters.
    int32_t m_k = -1;
    bool m_endOfLine = false;
    bool m_encodedByteAlign = false;
    bool m_endOfBlock = true;
    bool m_blackIs1 = false;
    int32_t m_rows = 0;
    int32_t m_columns = 1728;

    int32_t m_state = NotValidated;
    std::vector<int32_t> m_a;  // coding line
    std::vector<int32_t> m_b;  // reference line
    int32_t m_pos = 1;         // current changing element while reading
    int32_t m_colsToRead = 0;
    int32_t m_prevPixel = 1;   // raw value of the last pixel read
    int32_t m_rowsRemaining = 0;
    int32_t m_rowsCoded = 0;
    int32_t m_rowCounter = 0;
    bool m_oneD = true;
    int32_t m_a0 = -1;
    int32_t m_colour = 1;
    int32_t m_aPos = 1;        // a1 in the coding line
    int32_t m_b1 = 1;          // b1 candidate in the reference line
    int32_t m_runIndex = 0;    // runs m_runIndex … m_runLast still to write
    int32_t m_runLast = 0;
    int32_t m_runLeft = -1;    // rest of the current run, -1 before it starts
    int32_t m_runColour = 1;
    bool m_horizontal = false;
    int32_t m_saved = 0;       // element replaced by a0 during horizontal mode

    // Output window of the current call.
    uint8_t* m_p = nullptr;
    uint8_t* m_end = nullptr;
    int32_t m_bitOffset = 0;
    uint8_t m_partialByte = 0;
    std::vector<uint8_t> m_stage;
    FILT_Size m_stageGet = 0;
    FILT_Size m_stagePut = 0;

    std::string m_message;
};
