// DCTDecode: JPEG data to rows of 8-bit samples (Columns x components bytes
// per row) through libjpeg's decompressor in suspending mode, so that the
// data may come in pieces of any size and the rows leave through output
// buffers of any size.
//
// Input is copied into an accumulation buffer that holds what libjpeg has
// not consumed yet; it starts at the input buffer's capacity and grows (up
// to MaxAccumulation) when libjpeg needs one piece larger than it (a marker
// segment). The copy follows the JPEG marker structure and stops after the
// end-of-image marker, so no byte past it is ever taken from the input,
// however the input is cut (inline image data is followed by "EI" and the
// rest of its content stream). A skip that libjpeg asks for beyond the bytes
// at hand (a long APPn or COM marker) is carried over to later input. At the
// end of the data the buffer is padded with end-of-image markers, so
// truncated scan data yields the rows libjpeg makes of it and the filter
// ends normally; data cut inside the header throws. Whole data (below) cut
// inside a marker segment end with an end-of-image marker in its place.
// Data whose end-of-image marker lost its code to the end of line a stream's
// length took in after it (0xFF, then CR or LF, and the data's end) are whole.
//
// Arithmetic-coded data (SOF9 to SOF11) cannot suspend inside a scan in
// libjpeg, so after the header such an image collects its data up to and
// including the end-of-image marker before decoding, up to MaxWholeData bytes.
// Past their end libjpeg reads zero bytes, then end-of-image markers.
//
// Inline image data (SetEndsAtEI) end at the "EI" after them when no
// end-of-image marker comes first, so a cut image never takes the bytes of
// what follows it in the content; "EI" inside a whole marker segment (a
// comment's text) is image data.
//
// Colour: ColorTransform 1 without an Adobe marker declares 3 components
// YCbCr and 4 YCCK; ColorTransform 0 without an Adobe marker declares them
// RGB and CMYK (no transform); otherwise libjpeg reads the markers. The
// output is libjpeg's default for that space (YCbCr to RGB, YCCK to CMYK).
//
// Failures throw GLIB_Exception 1130007 (libjpeg's message, "Insufficient
// data passed to JPEG decoder. …", or, for an image whose whole-image
// buffers pass MaxJpegMemory, "FILT_DCTDecode: the JPEG image is too large
// to decode in the memory allowed"; before the first scan's data,
// "FILT_DCTDecode: the image's JPEG data are cut short or damaged before
// their first scan (libjpeg: <message>)"); the filter is then in its Error
// state.
#pragma once

#include "FILT/FILT_DCTBase.h"
#include "FILT/FILT_DCTFirstScan.h"
#include "FILT/FILT_TupleBuffer.h"

#include <vector>

class FILT_DCTDecode : public FILT_DCTBase {
public:
    static constexpr FILT_Size MinAccumulation = 4096;
    static constexpr FILT_Size MaxAccumulation = 1u << 22;
    // Largest arithmetic-coded image, collected whole before decoding.
    static constexpr FILT_Size MaxWholeData = 1u << 28;
    // libjpeg's own memory for whole-image buffers (progressive data).
    static constexpr long MaxJpegMemory = 512L << 20;
    // Blocks of a first scan that libjpeg may fill past its restart markers
    // and still be decoded (4 million samples of one component): a few bytes
    // of markers cost no more than a small picture.
    static constexpr uint64_t MaxFilledBlocks = uint64_t{1} << 16;
    // Suspended libjpeg calls at the end of the data before giving up.
    static constexpr int32_t MaxStalls = 64;
    // End-of-image markers offered past the end of truncated data; libjpeg
    // stops reading at the first, so a few are plenty and each call stays cheap.
    static constexpr FILT_Size EndPaddingPairs = 64;

    FILT_DCTDecode();
    ~FILT_DCTDecode() override;

    const char* Name() const override { return "FILT_DCTDecode"; }
    void ProcessBytes(FILT_FilterBuffer& in, FILT_FilterBuffer& out) override;
    // The components of each output pixel once the header is read (the
    // data's own count: 1, 3 or 4 for the colour rules above); 0 before.
    int32_t NumComponents() const { return m_numComponents; }
    // With stop true, data that run out (at any marker but a restart
    // marker, whatever damage led there) end the output with the iMCU row
    // libjpeg was decoding when they did, as libjpeg decodes it, instead of
    // the rows it would make up of nothing; before that row when the
    // restart interval they ran out in begins it and holds no byte (data
    // that end with their scan header, or right after a restart marker at
    // a row's start: that row is libjpeg's alone). In an image of several
    // scans only the first scan counts, the later ones refine rows it holds.
    // Such an image, Huffman-coded, is collected whole first and decoded no
    // taller than its data can reach, each block of a first scan taking one
    // bit at least, and its restart markers at most three intervals each
    // (without a restart interval, the rest of the scan: libjpeg decodes on
    // past the marker), MaxFilledBlocks in all: its coefficients cost its
    // data, not its claimed size.
    // A reader that pads missing samples itself then pays for the data
    // alone, and says where they end: libjpeg's warning of it is logged at
    // debug level only, its other warnings are held (HeldWarning) for the
    // reader to pass on after its own words. Set before the first
    // ProcessBytes.
    void SetStopAtDataEnd(bool stop) {
        m_stopAtDataEnd = stop;
        SetDataEndTold(stop);
    }
    // Once rows came, with stop set: the data ran out before the image was
    // whole, in the rows (fewer than its height leave), or, in an image of
    // several scans, in a later scan: every row leaves, some at less than
    // full precision. Data lacking only their end-of-image marker are whole,
    // arithmetic-coded ones when decoding took no more than
    // ArithmeticReadAhead zero bytes past their end (it reads a byte or two
    // ahead, and an encoder leaves out the zero bytes a scan ends with, so
    // that data whose last blocks code to zeros may count as cut).
    bool DataCutShort() const;
    // With held true, libjpeg's warnings are logged at debug level only, as
    // under SetStopAtDataEnd, for a pass that decodes the data only to find
    // where they end: the reader that decodes them for their rows says them,
    // after its own words. Set before the first ProcessBytes.
    void SetWarningsHeld(bool held) { SetDataEndTold(held); }
    // With ends true, the data stand in a content stream (an inline
    // image's, this decoder first of its chain) and end where "EI" ends
    // them, when no end-of-image marker came before: white space, "EI", then
    // white space, a delimiter or the end of the content, and EIFollowers
    // bytes of text (white space or printable ASCII) or the content's end.
    // Only where the data can be cut: in entropy-coded data and between
    // segments, and in a marker segment whose length runs past the content
    // or into bytes that are no marker (and a scan header, which entropy-coded
    // data follow); a whole segment's bytes are data. Nothing from that white
    // space on is data, and the data count as ended there. Such an ending cut
    // short by the end of an input, and a segment from an ending in it on
    // while its end and the byte after it, which tells a marker from data,
    // are not at hand (its length bounds that at 64 KB), are held
    // back (HeldBytes) and judged with later input, so that where the input
    // is cut decides nothing. Set before the first ProcessBytes.
    void SetEndsAtEI(bool ends) { m_endsAtEI = ends; }
    // With only true, the decoder decodes nothing: it takes the data up to
    // their end (the end-of-image marker, "EI" above, or the input's end)
    // and then sets the output's end, giving no bytes; for a reader that
    // needs only to know where the data end. Set before the first
    // ProcessBytes.
    void SetFindsEndOnly(bool only) { m_findsEndOnly = only; }
    // Ending at EI: bytes taken from the input that are not data yet, held
    // back until later input shows whether they end the data; once the data
    // ended there, the content's bytes taken with them (from the white space
    // before "EI" on), which its reader reads before the rest.
    const std::vector<uint8_t>& HeldBytes() const { return m_held; }
    // The data ended at "EI" before their end-of-image marker.
    bool EndedAtEI() const { return m_endedAtEI; }
    // Zero bytes past the end of whole arithmetic-coded data that decoding
    // may take and the data still count as whole (lacking only their
    // end-of-image marker).
    static constexpr uint32_t ArithmeticReadAhead = 2;
    // Bytes after "EI" that must read as text for it to end inline data.
    static constexpr FILT_Size EIFollowers = 5;
    // The DCT decoder of filter: filter itself, or the first in a pipe of
    // filters, however deep; null for none.
    static FILT_DCTDecode* FindIn(FILT_Filter* filter);

private:
    enum State : int32_t {
        NotStarted = 0,
        ReadingHeader = 1,
        Starting = 2,
        ReadingRows = 3,
        Finished = 4,
        Error = 5,
        // Arithmetic coding, or several scans stopped at the data's end:
        // between ReadingHeader and Starting.
        Collecting = 6,
    };
    // Where the search for the end-of-image marker stands: in entropy-coded
    // data or between markers, after an 0xFF, in a segment's length, inside
    // a segment, past the marker.
    enum Scan : uint8_t { ScanData, ScanMarker, ScanLengthHigh, ScanLengthLow, ScanSegment, ScanDone };

    void Start(const FILT_FilterBuffer& in);
    // Before every libjpeg call: drops what libjpeg consumed, adds input.
    void Feed(FILT_FilterBuffer& in);
    // After every libjpeg call.
    void Settle(bool suspended);
    // True when nothing more is taken from in: it has ended, or the
    // end-of-image marker is taken.
    bool InputEnded(const FILT_FilterBuffer& in) const;
    // Moves as much input as fits into the accumulation buffer, up to and
    // including the end-of-image marker.
    void Take(FILT_FilterBuffer& in);
    // Takes from in the data's next bytes, at most room of them (with the
    // bytes held back before), writing them to acc when given; ending at EI,
    // holds back white space and "EI" cut by the input's end (m_held).
    void TakeableBytes(FILT_FilterBuffer& in, FILT_Size room, FILT_FilterBuffer* acc);
    // Whether a segment from a marker with a length stands whole: its length
    // ends at a marker; undecided while that lies past the bytes at hand.
    // body: where the rest of its body starts.
    enum SegmentCut : uint8_t { SegmentWhole, SegmentCutHere, SegmentUndecided };
    SegmentCut JudgeSegment(const uint8_t* data, FILT_Size body, FILT_Size available, bool last) const;
    // The first white space in data[from, to) that white space, "EI" and
    // content text after it end inline data at (true), or that the input's
    // end cuts such an ending short at (false, unless last); at is to when
    // none.
    bool FindEI(const uint8_t* data, FILT_Size from, FILT_Size to, FILT_Size available, bool last,
                FILT_Size& at) const;
    // ScanToEndOfImage ending at EI where the data may be cut: in
    // entropy-coded data and between segments, and in a segment judged cut.
    // held: bytes from the result on that are held back.
    FILT_Size ScanToEI(const uint8_t* data, FILT_Size n, FILT_Size available, bool last, FILT_Size& held);
    // SetFindsEndOnly's ProcessBytes.
    void FindEnd(FILT_FilterBuffer& in, FILT_FilterBuffer& out);
    // Takes input, growing the buffer, until the end-of-image marker is
    // there; true once it is, or in has ended.
    bool Collect(FILT_FilterBuffer& in);
    // Bytes of data, from the start, up to and including the end-of-image
    // marker; n when it is not among them. Only a marker that has a length
    // (SOFn, DHT, DAC, DQT, DRI, SOS, DNL, APPn, COM) is skipped by it.
    FILT_Size ScanToEndOfImage(const uint8_t* data, FILT_Size n);
    // Bytes at the end of the buffer's data that may be an end-of-image
    // marker that lost its code to the end of line after it (0xFF, then CR,
    // LF or CR LF, in scan data): libjpeg, which refuses such a marker, sees
    // them only once more data follow them; at the data's end they are
    // dropped, and the data end whole.
    FILT_Size LostEndCodeBytes() const;
    void DropConsumed();
    void Grow();
    void ApplyColourRules();
    // The output rows the data reach: all of them unless stopping at the
    // data's end was asked for and they ran out.
    JDIMENSION RowsOfData() const;
    // The iMCU row where the first scan's data ran out holds none of them.
    bool DataEndRowEmpty() const;
    // After the header: what the first scan's data hold, read as they come.
    void StartFirstScan();
    // iMCU rows past the data's end that smoothing reads: decoded, not kept.
    uint32_t SmoothedRows() const;
    // Before the first scan of a whole multi-scan image: the height its
    // data can reach, when smaller than the header's.
    void CapToData();
    // After jpeg_start_decompress: whether the coefficients came whole.
    void NoteCoefficients();
    // The data ran out inside a scan's data, not between scans.
    bool RanOutInScan() const;
    [[noreturn]] void Fail(const char* text);

    static void InitSource(j_decompress_ptr jpeg);
    static boolean FillInputBuffer(j_decompress_ptr jpeg);
    static void SkipInputData(j_decompress_ptr jpeg, long count);
    static void TermSource(j_decompress_ptr jpeg);

    int32_t m_state = NotStarted;
    jpeg_decompress_struct m_jpeg;
    bool m_jpegCreated = false;
    jpeg_source_mgr m_source;
    std::vector<uint8_t> m_accStore;
    FILT_FilterBuffer m_acc;
    FILT_TupleBufferW m_rows;
    uint64_t m_skipRemaining = 0;
    bool m_suspended = false;
    int32_t m_stalls = 0;
    bool m_wholeData = false;
    // Everything up to the end-of-image marker (or the end of the input) is
    // in the accumulation buffer.
    bool m_allTaken = false;
    bool m_endsAtEI = false;
    // The data ended at "EI" before their end-of-image marker.
    bool m_endedAtEI = false;
    // Bytes taken but not yet data: white space and as much of "EI" as ended
    // the last input; once the data ended there, the content's bytes taken.
    std::vector<uint8_t> m_held;
    SegmentCut m_segmentCut = SegmentWhole;  // the segment being scanned
    uint8_t m_segmentCode = 0;  // its marker
    bool m_findsEndOnly = false;
    Scan m_scan = ScanData;
    uint32_t m_segmentLeft = 0;
    // Bytes taken of the marker or segment being scanned.
    FILT_Size m_markerBytes = 0;
    // libjpeg reads the end padding of whole data (FillInputBuffer).
    bool m_onPadding = false;
    // The last libjpeg call read the padding past the data.
    bool m_paddingRead = false;
    // libjpeg asked for bytes past the end of whole data, or they were cut
    // inside a marker segment.
    bool m_readPastEnd = false;
    bool m_coefficientsWhole = true;
    int32_t m_numComponents = 0;
    bool m_stopAtDataEnd = false;
    // The first scan holds fewer components than the image, or the image is
    // progressive: libjpeg reads every scan before the first row.
    bool m_multipleScans = false;
    FILT_DCTFirstScan m_firstScan;
    // The first scan's restart interval and MCUs per iMCU row.
    uint32_t m_firstScanInterval = 0;
    uint64_t m_firstScanRowMCUs = 0;
};
