#include "FUZZ_JpegReference.h"

#include "GLOB/GLOB_Stream.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace {

struct ReferenceError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    int scan = 0;
    JDIMENSION iMCURow = 0;
};

// The first scan's data from its first byte, as its own reading finds them:
// whether the restart interval they end in (at the first marker other than
// a restart marker) holds no byte, the MCU it starts at (-1 when the
// markers do not count 0 to 7 in turn, or no restart interval is set).
int64_t EmptyLastInterval(const std::string& jpeg, size_t from, unsigned restartInterval) {
    uint32_t restarts = 0;
    bool data = false;
    for (size_t i = from; i < jpeg.size(); ++i) {
        if (static_cast<uint8_t>(jpeg[i]) != 0xFF) {
            data = true;
            continue;
        }
        while (i + 1 < jpeg.size() && static_cast<uint8_t>(jpeg[i + 1]) == 0xFF)
            ++i;
        if (i + 1 == jpeg.size())
            break;
        const int marker = static_cast<uint8_t>(jpeg[++i]);
        if (marker == 0) {
            data = true;
        } else if (marker >= JPEG_RST0 && marker <= JPEG_RST0 + 7) {
            if (marker - JPEG_RST0 != static_cast<int>(restarts % 8) || !restartInterval)
                return -1;
            ++restarts;
            data = false;
        } else {
            break;
        }
    }
    return data ? -1 : static_cast<int64_t>(restarts) * restartInterval;
}

void JumpOnError(j_common_ptr jpeg) { std::longjmp(reinterpret_cast<ReferenceError*>(jpeg->err)->jump, 1); }

void NoteRunOut(j_common_ptr jpeg, int level) {
    ReferenceError* e = reinterpret_cast<ReferenceError*>(jpeg->err);
    if (level >= 0 || e->scan != 0)
        return;
    const j_decompress_ptr d = reinterpret_cast<j_decompress_ptr>(jpeg);
    const int code = jpeg->err->msg_code;
    const bool marker = code == JWRN_HIT_MARKER && (d->unread_marker < JPEG_RST0 || d->unread_marker > JPEG_RST0 + 7);
    const bool end = code == JWRN_JPEG_EOF && d->arith_code && d->input_scan_number > 0;
    if (marker || end) {
        e->scan = d->input_scan_number;
        e->iMCURow = d->input_iMCU_row;
    }
}

// Only trivially destructible locals between setjmp and libjpeg's jump;
// rows and out live in the caller.
bool Decode(const std::string& jpeg, int colorTransform, size_t limit, std::vector<JSAMPLE>& row, FUZZ_JpegRows& out) {
    jpeg_decompress_struct d;
    ReferenceError err;
    d.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JumpOnError;
    err.mgr.emit_message = NoteRunOut;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&d);
        return false;
    }
    jpeg_create_decompress(&d);
    d.mem->max_memory_to_use = 64L << 20;
    jpeg_mem_src(&d, reinterpret_cast<const unsigned char*>(jpeg.data()), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&d, TRUE);
    // MCUs per iMCU row of the first scan: one block each, v rows of them,
    // for one component, else the interleaved MCUs across the image.
    const jpeg_component_info* first = d.cur_comp_info[0];
    const uint64_t rowMCUs = d.comps_in_scan == 1
                                 ? uint64_t{first->width_in_blocks} * static_cast<uint64_t>(first->v_samp_factor)
                                 : (d.image_width + uint64_t{8} * d.max_h_samp_factor - 1) /
                                       (uint64_t{8} * d.max_h_samp_factor);
    const int64_t emptyFrom = EmptyLastInterval(jpeg, jpeg.size() - d.src->bytes_in_buffer, d.restart_interval);
    if (!d.saw_Adobe_marker && (d.num_components == 3 || d.num_components == 4)) {
        if (colorTransform == 1)
            d.jpeg_color_space = d.num_components == 3 ? JCS_YCbCr : JCS_YCCK;
        else if (colorTransform == 0)
            d.jpeg_color_space = d.num_components == 3 ? JCS_RGB : JCS_CMYK;
    }
    d.out_color_space = d.jpeg_color_space == JCS_YCbCr ? JCS_RGB
                        : d.jpeg_color_space == JCS_YCCK ? JCS_CMYK
                                                         : d.jpeg_color_space;
    const uint64_t bytes = uint64_t{d.image_width} * static_cast<uint64_t>(d.num_components) * d.image_height;
    if (bytes > limit) {
        jpeg_destroy_decompress(&d);
        return false;
    }
    jpeg_start_decompress(&d);
    out.rowBytes = size_t{d.output_width} * static_cast<size_t>(d.output_components);
    out.height = d.output_height;
    row.resize(out.rowBytes);
    while (d.output_scanline < d.output_height) {
        JSAMPROW p = row.data();
        jpeg_read_scanlines(&d, &p, 1);
        out.rows.append(reinterpret_cast<const char*>(row.data()), out.rowBytes);
    }
    const bool severalScans = d.progressive_mode || d.comps_in_scan < d.num_components;
    const uint64_t perRow = static_cast<uint64_t>(d.max_v_samp_factor) * DCTSIZE;
    // The row an empty interval begins holds nothing of the data.
    const bool rowEmpty = err.scan == 1 && emptyFrom >= 0 && uint64_t(emptyFrom) == err.iMCURow * rowMCUs;
    out.kept = err.scan == 0 || (severalScans && err.scan > 1)
                   ? out.height
                   : std::min<uint64_t>(out.height, (uint64_t{err.iMCURow} + (rowEmpty ? 0 : 1)) * perRow);
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return true;
}

bool IsDCT(const GLOB_Object& name) { return name.IsName() && (name.AsName() == "DCTDecode" || name.AsName() == "DCT"); }

}  // namespace

bool FUZZ_JpegReference(const GLOB_Object& image, size_t limit, FUZZ_JpegRows& out) {
    GLOB_Object filter = image.DictGet(GLOB_Name("Filter"));
    GLOB_Object parms = image.DictGet(GLOB_Name("DecodeParms"));
    if (filter.IsArray() && filter.Length() == 1) {
        filter = filter.Get(0);
        parms = parms.IsArray() && parms.Length() == 1 ? parms.Get(0) : parms;
    }
    if (!IsDCT(filter))
        return false;
    int colorTransform = -1;
    if (parms.IsDict()) {
        const GLOB_Object value = parms.DictGet(GLOB_Name("ColorTransform"));
        if (value.IsInteger())
            colorTransform = value.AsInteger();
    }
    std::string jpeg;
    GLOB_Stream stored = image.OpenStream(0);
    for (FILT_FilterBuffer* b = stored.Read(); b->DataAvailable() > 0; b = stored.Read()) {
        jpeg.append(reinterpret_cast<const char*>(b->GetPtr()), b->DataAvailable());
        b->AdvanceGetPtr(b->DataAvailable());
    }
    stored.Close();
    std::vector<JSAMPLE> row;
    out = FUZZ_JpegRows();
    return Decode(jpeg, colorTransform, limit, row, out);
}
