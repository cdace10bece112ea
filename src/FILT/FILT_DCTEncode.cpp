#include "FILT/FILT_DCTEncode.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

#include <cstring>
#include <new>

#include <jerror.h>

namespace {

// jpeg_add_quant_table's scale factor that keeps the values as given.
constexpr int UnscaledQuantTable = 100;

}  // namespace

FILT_DCTEncode::FILT_DCTEncode() : FILT_DCTBase(FILT_DCTEncodeCode), m_stage(StageSize) {
    std::memset(&m_jpeg, 0, sizeof m_jpeg);
    std::memset(&m_destination, 0, sizeof m_destination);
}

FILT_DCTEncode::~FILT_DCTEncode() {
    if (m_jpegCreated)
        jpeg_destroy_compress(&m_jpeg);
}

template <class Call>
void FILT_DCTEncode::CallJpeg(Call&& call) {
    if (!JpegGuard(call)) {
        m_state = Error;
        RaiseJpegError(reinterpret_cast<j_common_ptr>(&m_jpeg));
    }
}

void FILT_DCTEncode::SetUp() {
    if (Colors() < 1 || Columns() < 1 || Rows() < 1) {
        m_state = Error;
        GLIB_THROW(GLIB_Exception, FILT_DCTEncodeCode,
                   Name() << ": Colors, Columns and Rows must be given, not " << Colors() << ", " << Columns()
                          << ", " << Rows());
    }
    m_rowReader.SetTupleSize(static_cast<FILT_Size>(Colors()) * static_cast<FILT_Size>(Columns()));
    std::memset(&m_jpeg, 0, sizeof m_jpeg);
    InitErrorMgr(reinterpret_cast<j_common_ptr>(&m_jpeg));
    m_destination.init_destination = InitDestination;
    m_destination.empty_output_buffer = EmptyOutputBuffer;
    m_destination.term_destination = TermDestination;
    m_jpegCreated = true;
    // Only plain data lives in this call: a libjpeg error jumps out of it.
    CallJpeg([this] {
        jpeg_create_compress(&m_jpeg);
        m_jpeg.dest = &m_destination;
        m_jpeg.image_width = static_cast<JDIMENSION>(Columns());
        m_jpeg.image_height = static_cast<JDIMENSION>(Rows());
        m_jpeg.input_components = Colors();
        J_COLOR_SPACE coded = JCS_UNKNOWN;
        switch (Colors()) {
        case 1:
            m_jpeg.in_color_space = coded = JCS_GRAYSCALE;
            break;
        case 3:
            m_jpeg.in_color_space = JCS_RGB;
            coded = ColorTransform() == 0 ? JCS_RGB : JCS_YCbCr;
            break;
        case 4:
            m_jpeg.in_color_space = JCS_CMYK;
            coded = ColorTransform() == 1 ? JCS_YCCK : JCS_CMYK;
            break;
        default:
            m_jpeg.in_color_space = JCS_UNKNOWN;
            break;
        }
        jpeg_set_defaults(&m_jpeg);
        if (m_jpeg.jpeg_color_space != coded)
            jpeg_set_colorspace(&m_jpeg, coded);

        Component* params = Components();
        for (int32_t i = 0; i < Colors(); ++i) {
            jpeg_component_info* info = &m_jpeg.comp_info[i];
            info->h_samp_factor = params[i].hSamples;
            info->v_samp_factor = params[i].vSamples;
            if (params[i].quantTable >= 0)
                info->quant_tbl_no = params[i].quantTable;
            else
                params[i].quantTable = info->quant_tbl_no;
            if (params[i].acHuffTable >= 0)
                info->ac_tbl_no = params[i].acHuffTable;
            else
                params[i].acHuffTable = info->ac_tbl_no;
            if (params[i].dcHuffTable >= 0)
                info->dc_tbl_no = params[i].dcHuffTable;
            else
                params[i].dcHuffTable = info->dc_tbl_no;
        }
        if (AnyQuantTableSet()) {
            for (int32_t slot = 0; slot < MaxQuantTables; ++slot) {
                if (QuantTableSet(slot)) {
                    unsigned int basic[QuantTableSize];
                    QuantTableToJpeg(slot, basic);
                    jpeg_add_quant_table(&m_jpeg, slot, basic, UnscaledQuantTable, TRUE);
                } else {
                    QuantTableFromJpeg(slot, m_jpeg.quant_tbl_ptrs[slot]);
                }
            }
        }
        if (AnyHuffTableSet()) {
            for (int32_t slot = 0; slot < MaxHuffTables; ++slot) {
                if (ACHuffTableSet(slot)) {
                    if (!m_jpeg.ac_huff_tbl_ptrs[slot])
                        m_jpeg.ac_huff_tbl_ptrs[slot] = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(&m_jpeg));
                    HuffTableToJpeg(ACHuffTables()[slot], m_jpeg.ac_huff_tbl_ptrs[slot]);
                } else {
                    HuffTableFromJpeg(ACHuffTables()[slot], m_jpeg.ac_huff_tbl_ptrs[slot]);
                }
            }
            for (int32_t slot = 0; slot < MaxHuffTables; ++slot) {
                if (DCHuffTableSet(slot)) {
                    if (!m_jpeg.dc_huff_tbl_ptrs[slot])
                        m_jpeg.dc_huff_tbl_ptrs[slot] = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(&m_jpeg));
                    HuffTableToJpeg(DCHuffTables()[slot], m_jpeg.dc_huff_tbl_ptrs[slot]);
                } else {
                    HuffTableFromJpeg(DCHuffTables()[slot], m_jpeg.dc_huff_tbl_ptrs[slot]);
                }
            }
        }
    });
    AttachStage();
    CallJpeg([this] { jpeg_start_compress(&m_jpeg, TRUE); });
    DetachStage();
}

void FILT_DCTEncode::ProcessBytes(FILT_FilterBuffer& in, FILT_FilterBuffer& out) {
    if (m_state == Error)
        GLIB_THROW(GLIB_Exception, FILT_DCTEncodeCode, Name() << ": ProcessBytes called while in the Error state");
    for (;;) {
        if (!Flush(out))
            return;
        switch (m_state) {
        case NotStarted:
            SetUp();
            m_state = WritingRows;
            break;
        case WritingRows: {
            m_rowReader.Attach(&in);
            if (m_rowReader.TuplesAvailable() == 0) {
                if (!in.IsEOD())
                    return;
                m_state = Error;
                GLIB_THROW(GLIB_Exception, FILT_DCTEncodeCode,
                           "Insufficient data passed to JPEG encoder. Expecting " << m_jpeg.image_height
                               << " lines, received " << m_jpeg.next_scanline);
            }
            JSAMPROW row = m_rowReader.GetPtr();
            JDIMENSION written = 0;
            AttachStage();
            CallJpeg([&] { written = jpeg_write_scanlines(&m_jpeg, &row, 1); });
            DetachStage();
            // The stage never suspends libjpeg, so the row is always taken.
            GLIB_ASSERT_CMP(written, ==, 1u);
            m_rowReader.Consume(1);
            if (m_jpeg.next_scanline >= m_jpeg.image_height)
                m_state = RowsWritten;
            break;
        }
        case RowsWritten:
            AttachStage();
            CallJpeg([this] { jpeg_finish_compress(&m_jpeg); });
            DetachStage();
            m_state = Finished;
            break;
        case Finished:
            out.SetEOD();
            return;
        default:
            GLIB_LOG(GLIB_LogFatal, "FILT_DCTEncode: Unknown state: " << m_state);
            return;
        }
    }
}

bool FILT_DCTEncode::Flush(FILT_FilterBuffer& out) {
    if (m_stageGet < m_stagePut)
        m_stageGet += out.Write(m_stage.data() + m_stageGet, static_cast<FILT_Size>(m_stagePut - m_stageGet));
    if (m_stageGet < m_stagePut)
        return false;
    m_stageGet = m_stagePut = 0;
    return true;
}

void FILT_DCTEncode::AttachStage() {
    m_destination.next_output_byte = m_stage.data() + m_stagePut;
    m_destination.free_in_buffer = m_stage.size() - m_stagePut;
}

void FILT_DCTEncode::DetachStage() {
    m_stagePut = static_cast<size_t>(m_destination.next_output_byte - m_stage.data());
}

void FILT_DCTEncode::InitDestination(j_compress_ptr) {}

void FILT_DCTEncode::TermDestination(j_compress_ptr) {}

// The whole stage is full: it grows, so libjpeg never has to suspend.
boolean FILT_DCTEncode::EmptyOutputBuffer(j_compress_ptr jpeg) {
    FILT_DCTEncode* self = static_cast<FILT_DCTEncode*>(static_cast<FILT_DCTBase*>(jpeg->client_data));
    const size_t used = self->m_stage.size();
    bool grown = true;
    try {
        self->m_stage.resize(used * 2);
    } catch (...) {
        grown = false;
    }
    if (!grown) {
        // Raised outside the catch block: the error jumps out of this frame.
        jpeg->err->msg_code = JERR_OUT_OF_MEMORY;
        jpeg->err->msg_parm.i[0] = 0;
        (*jpeg->err->error_exit)(reinterpret_cast<j_common_ptr>(jpeg));
    }
    jpeg->dest->next_output_byte = self->m_stage.data() + used;
    jpeg->dest->free_in_buffer = self->m_stage.size() - used;
    return TRUE;
}
