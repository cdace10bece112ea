// CCITTFaxDecode: ITU-T T.4 (one-dimensional, and mixed one- and two-
// dimensional with K > 0) and T.6 (K < 0) coded data to rows of packed 1-bit
// pixels, Columns rounded up to whole bytes per row.
//
// Table driven: codes are looked up a byte at a time (FILT_CCITTTables), a
// row is kept as its list of changing elements (a "run line": entry 0 a start
// marker, then the columns where the colour changes, white first, then four
// copies of the row end and RUN_LINE_SENTINEL), and a raster writer fills the
// output 64 pixels at a time. The coding line and the reference line swap
// after every row.
//
// The image ends on EOFB (K < 0), on RTC (six EOLs, K >= 0), after Rows rows
// when EndOfBlock is false, or when the input ends (EOD with nothing left): a
// row begun by then is completed with the colour that follows its last
// change and delivered first.
//
// Bad data throws GLIB_Exception 1130006 (the texts below) after the buffers
// have been advanced by what was consumed and produced; the filter is then in
// its Error state and every later call throws again. Warnings ("Expecting
// exactly one EOL, found %d", "Image is too wide. …") are logged at level 7
// and decoding goes on; in strict mode they are errors.
#pragma once

#include "FILT/FILT_Filter.h"

#include <cstdint>
#include <string>
#include <vector>

class FILT_CCITTFaxDecode : public FILT_Filter {
public:
    // Run lines end with four copies of the row end and the sentinel.
    static constexpr int32_t EXTRA_RUNS = 5;
    static constexpr int32_t RUN_LINE_SENTINEL = -2;
    // Widest row accepted (pixels).
    static constexpr int32_t MaxColumns = 1 << 20;
    // Changing elements a row may hold beyond Columns: a zero-length first
    // white run makes a row of alternating pixels Columns + 1 long.
    static constexpr int32_t ExtraChanges = 2;
    // How far runs may carry a0 past Columns before the row is rejected.
    static constexpr int32_t MaxOvershoot = 1 << 16;
    static constexpr int32_t BitsPerRasterWord = 64;
    static constexpr int32_t RTCEOLs = 6;
    static constexpr size_t MaxMessage = 200;

    // Trace line kinds (SetTrace).
    enum TraceKind : uint32_t { TraceInput = 1, TraceTwoD = 2, TraceOneD = 4, TraceRaster = 8 };

    // The defaults: K -1, no EOLs, no alignment, EndOfBlock, BlackIs1 false,
    // Rows 0, Columns 1728.
    FILT_CCITTFaxDecode();
    ~FILT_CCITTFaxDecode() override;

    const char* Name() const override { return "FILT_CCITTFaxDecode"; }
    // Throws 1130006 for bad data and, on every call, for parameters that
    // SetParams refused.
    void ProcessBytes(FILT_FilterBuffer& in, FILT_FilterBuffer& out) override;

    // Stores the parameters and resets the decoder. Returns false with
    // Message() set when Columns is outside 1 to MaxColumns, when EndOfBlock
    // is false and Rows < 1, or when saveReferenceLines is set and
    // stripNumber is not below stripCount; ProcessBytes then throws.
    // EndOfLine clears EncodedByteAlign. Strip mode (saveReferenceLines)
    // keeps at the end of strip n what strip n + 1 needs (the reference line,
    // the position in the current byte, which then stays in the input, and
    // the two-dimensional allowance); freshStart false restores what was kept
    // for stripNumber.
    bool SetParams(int32_t k, bool endOfLine, bool encodedByteAlign, bool endOfBlock, bool blackIs1,
                   int32_t rows, int32_t columns, bool rasterOutput = true,
                   bool saveReferenceLines = false, int32_t stripNumber = 0,
                   int32_t stripCount = 0, bool freshStart = true);

    // The last error, warning or parameter message (at most MaxMessage - 1
    // characters).
    const std::string& Message() const { return m_message; }
    int32_t RowsDecoded() const { return m_rowsDone; }

    // Debugging switches, off after construction. Trace logs at level 7 the
    // kinds selected while the finished-row count lies in firstRow..lastRow
    // and a0 in firstCol..lastCol. Strict turns warnings into errors.
    void SetTrace(bool on, uint32_t kinds, int32_t firstRow, int32_t lastRow, int32_t firstCol,
                  int32_t lastCol);
    void SetStrict(bool strict) { m_strict = strict; }

private:
    enum State : int32_t {
        TwoDCode = 0,
        TwoDContinue = 1,
        TagBit = 2,
        OneDCode = 3,
        OneDContinue = 4,
        RowOutput = 5,
        Finished = 6,
        Error = 7,
    };
    enum Stop { NeedInput, OutputFull, Done };

    template <bool Trace>
    Stop Run();
    template <bool Trace>
    void TwoDAction(int32_t value);
    template <bool Trace>
    void OneDAction(int32_t value, int32_t length);
    void FindB1();
    void AppendChange(int32_t column);
    void AddRun(int32_t run);
    // Input ran out at end of data: closes a begun row (true) or finishes.
    bool EndOfInput();
    void RowEnd();
    template <bool Trace>
    bool GenerateRaster();
    void RowDone();
    void LineSwap();
    void StartRow();
    void Finish();
    void Report(const char* format, ...);
    [[noreturn]] void Fail(const std::string& text);
    void Commit();
    void DumpRunLine(const char* label, const int32_t* line, int32_t count) const;
    bool TraceOn(uint32_t kind) const;
    void TraceRow() const;
    void ResetState();

    // Parameters.
    int32_t m_k = -1;
    bool m_endOfLine = false;
    bool m_encodedByteAlign = false;
    bool m_endOfBlock = true;
    bool m_blackIs1 = false;
    int32_t m_rows = 0;
    int32_t m_columns = 1728;
    bool m_rasterOutput = true;
    bool m_saveReferenceLines = false;
    int32_t m_stripNumber = 0;
    int32_t m_stripCount = 0;
    bool m_paramsValid = false;
    int32_t m_paddedColumns = 1728;
    int32_t m_maxChanges = 0;

    // Decoding state.
    int32_t m_state = OneDCode;
    int32_t m_bitsLeft = 0;   // unread bits of the byte at the input's get position
    int32_t m_partial = 0;    // partial-code state
    int32_t m_gathered = 0;   // bits of the partial code so far
    int32_t m_colour = 1;     // FILT_CCITTTables::Colour
    int32_t m_a0 = -1;
    int32_t m_codingPos = 1;  // where the next change goes in m_a
    int32_t m_b1 = 1;         // b1 candidate in m_b
    int32_t m_bSentinel = 0;  // index of the reference line's sentinel
    int32_t m_rowEnd = 0;     // index of the coding line's first row-end copy
    int32_t m_eolCount = 0;
    int32_t m_runsRead = 0;
    bool m_rowIs1D = true;
    int32_t m_twoDAllowance = 0;
    bool m_inputEnded = false;
    std::vector<int32_t> m_a;  // coding line
    std::vector<int32_t> m_b;  // reference line

    // Raster writer.
    int32_t m_outCol = 0;
    int32_t m_rasterPos = 1;
    int32_t m_rasterWhite = 1;

    int32_t m_rowsDone = 0;
    uint64_t m_totalIn = 0;
    uint64_t m_totalOut = 0;

    // Strip mode: what each strip starts from.
    std::vector<std::vector<int32_t>> m_savedLines;
    std::vector<int32_t> m_savedBits;
    std::vector<int32_t> m_savedAllowance;
    int32_t m_stripColumns = 0;  // Columns the strip tables were made for

    // The buffers and positions of the current call.
    FILT_FilterBuffer* m_inBuf = nullptr;
    FILT_FilterBuffer* m_outBuf = nullptr;
    const uint8_t* m_in = nullptr;
    const uint8_t* m_inEnd = nullptr;
    uint8_t* m_out = nullptr;
    uint8_t* m_outEnd = nullptr;
    bool m_inputAtEnd = false;

    std::string m_message;
    bool m_strict = false;
    bool m_trace = false;
    uint32_t m_traceKinds = 0;
    int32_t m_traceRows[2] = {-1, -1};
    int32_t m_traceCols[2] = {-1, -1};
};
