// DCTEncode: rows of 8-bit samples (Columns x Colors bytes per row, Rows
// rows) to baseline JPEG data through libjpeg's compressor, with the
// parameters set on the filter: Colors, Columns and Rows (required),
// sampling factors, quantisation and Huffman tables with their maps, QFactor
// and ColorTransform. A parameter not given is libjpeg's default, written
// back into the parameter set.
//
// Colour spaces by Colors: 1 grey; 3 RGB input, coded YCbCr when
// ColorTransform is 1 or not set and RGB when 0; 4 CMYK input, coded YCCK
// when ColorTransform is 1 and CMYK otherwise; any other count JCS_UNKNOWN.
//
// libjpeg writes into a stage of the filter's own that grows as it asks and
// never suspends (the frame header, tables and trailer cannot be written in
// pieces); the stage is copied out into output buffers of any size, and
// libjpeg is called again only once it is empty.
//
// Failures throw GLIB_Exception 1130008 (libjpeg's message; "Insufficient
// data passed to JPEG encoder. …" when the input ends before Rows rows;
// missing parameters); the filter is then in its Error state.
#pragma once

#include "FILT/FILT_DCTBase.h"
#include "FILT/FILT_TupleBuffer.h"

#include <vector>

class FILT_DCTEncode : public FILT_DCTBase {
public:
    // First size of the stage libjpeg writes into.
    static constexpr size_t StageSize = 16384;

    FILT_DCTEncode();
    ~FILT_DCTEncode() override;

    const char* Name() const override { return "FILT_DCTEncode"; }
    void ProcessBytes(FILT_FilterBuffer& in, FILT_FilterBuffer& out) override;

private:
    enum State : int32_t {
        NotStarted = 0,
        WritingRows = 2,
        RowsWritten = 3,
        Finished = 4,
        Error = 5,
    };

    void SetUp();
    template <class Call>
    void CallJpeg(Call&& call);
    // Copies staged bytes to out; false when some remain.
    bool Flush(FILT_FilterBuffer& out);
    void AttachStage();
    void DetachStage();

    static void InitDestination(j_compress_ptr jpeg);
    static boolean EmptyOutputBuffer(j_compress_ptr jpeg);
    static void TermDestination(j_compress_ptr jpeg);

    int32_t m_state = NotStarted;
    jpeg_compress_struct m_jpeg;
    bool m_jpegCreated = false;
    jpeg_destination_mgr m_destination;
    std::vector<uint8_t> m_stage;
    size_t m_stageGet = 0;  // next byte to copy out
    size_t m_stagePut = 0;  // end of what libjpeg wrote
    FILT_TupleBufferR m_rowReader;
};
