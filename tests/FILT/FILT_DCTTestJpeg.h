// libjpeg used directly by the DCT filter tests: making JPEG data to decode,
// and decoding JPEG data as the reference the filters are compared with.
#pragma once

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace dcttest {

// A smooth picture with some noise, rows of width * components bytes.
inline std::string SourceImage(int width, int height, int components, unsigned seed) {
    std::mt19937 rng(seed);
    std::string pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c) {
                const int v = (x * 255 / (width > 1 ? width - 1 : 1) * (c + 1) + y * 3 * (4 - c)) / 2 +
                              static_cast<int>(rng() % 9) - 4;
                pixels += static_cast<char>(v < 0 ? 0 : v > 255 ? 255 : v);
            }
    return pixels;
}

struct JpegShape {
    int width = 16, height = 16, components = 1;
    J_COLOR_SPACE in = JCS_GRAYSCALE, coded = JCS_GRAYSCALE;
    size_t app2Bytes = 0;  // an APP2 marker of this many bytes
    bool progressive = false;
    int restartRows = 0;
    bool arithmetic = false;  // SOF9, or SOF10 when progressive
};

struct ErrorJump { jpeg_error_mgr mgr; std::jmp_buf jump; char text[JMSG_LENGTH_MAX]; };

inline void JumpOnError(j_common_ptr jpeg) {
    ErrorJump* e = reinterpret_cast<ErrorJump*>(jpeg->err);
    (*jpeg->err->format_message)(jpeg, e->text);
    std::longjmp(e->jump, 1);
}

inline void Silent(j_common_ptr, int) {}

// The APP2 marker's bytes; made outside MakeJpeg, whose setjmp would
// otherwise warn of the vector constructor's locals once inlined.
__attribute__((noinline)) inline std::vector<JOCTET> MarkerBytes(size_t count) {
    std::vector<JOCTET> marker(count);
    for (size_t i = 0; i < marker.size(); ++i)
        marker[i] = static_cast<JOCTET>(i * 7);
    return marker;
}

// Empty when libjpeg failed.
inline std::string MakeJpeg(const JpegShape& shape, const std::string& pixels) {
    jpeg_compress_struct c;
    ErrorJump err;
    c.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JumpOnError;
    unsigned char* data = nullptr;
    unsigned long size = 0;
    // Objects with destructors live outside the stretch a libjpeg error jumps over.
    const std::vector<JOCTET> marker = MarkerBytes(shape.app2Bytes);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&c);
        std::free(data);
        return std::string();
    }
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, &data, &size);
    c.image_width = static_cast<JDIMENSION>(shape.width);
    c.image_height = static_cast<JDIMENSION>(shape.height);
    c.input_components = shape.components;
    c.in_color_space = shape.in;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, shape.coded);
    jpeg_set_quality(&c, 85, TRUE);
    if (shape.progressive)
        jpeg_simple_progression(&c);
    c.restart_in_rows = shape.restartRows;
    c.arith_code = shape.arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&c, TRUE);
    if (shape.app2Bytes)
        jpeg_write_marker(&c, JPEG_APP0 + 2, marker.data(), static_cast<unsigned>(marker.size()));
    const size_t rowBytes = static_cast<size_t>(shape.width) * static_cast<size_t>(shape.components);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(const_cast<char*>(pixels.data()) + c.next_scanline * rowBytes);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::string out(reinterpret_cast<char*>(data), size);
    std::free(data);
    return out;
}

// What libjpeg reads from a JPEG header.
struct JpegInfo {
    int width = 0, height = 0, components = 0;
    J_COLOR_SPACE space = JCS_UNKNOWN;
    std::vector<int> hSamples, vSamples, quantTableNo;
    unsigned quant[4][DCTSIZE2] = {};
    unsigned char dcBits[4][17] = {};
    std::string error;
};

// libjpeg's own decoding; forcedSpace, when not JCS_UNKNOWN, replaces the
// colour space libjpeg reads from the markers (out: its default output).
// The rows, or empty with info->error set.
inline std::string LibjpegDecode(const std::string& jpeg, J_COLOR_SPACE forcedSpace, JpegInfo* info) {
    jpeg_decompress_struct d;
    ErrorJump err;
    d.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JumpOnError;
    err.mgr.emit_message = Silent;
    std::string rows;
    std::vector<JSAMPLE> row;
    if (setjmp(err.jump)) {
        info->error = err.text;
        jpeg_destroy_decompress(&d);
        return std::string();
    }
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, reinterpret_cast<const unsigned char*>(jpeg.data()), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&d, TRUE);
    info->space = d.jpeg_color_space;
    info->components = d.num_components;
    for (int i = 0; i < d.num_components; ++i) {
        info->hSamples.push_back(d.comp_info[i].h_samp_factor);
        info->vSamples.push_back(d.comp_info[i].v_samp_factor);
        info->quantTableNo.push_back(d.comp_info[i].quant_tbl_no);
    }
    for (int t = 0; t < 4; ++t) {
        for (int k = 0; d.quant_tbl_ptrs[t] && k < DCTSIZE2; ++k)
            info->quant[t][k] = d.quant_tbl_ptrs[t]->quantval[k];
        if (d.dc_huff_tbl_ptrs[t])
            std::memcpy(info->dcBits[t], d.dc_huff_tbl_ptrs[t]->bits, 17);
    }
    if (forcedSpace != JCS_UNKNOWN) {
        d.jpeg_color_space = forcedSpace;
        d.out_color_space = forcedSpace == JCS_YCbCr ? JCS_RGB : forcedSpace == JCS_YCCK ? JCS_CMYK : forcedSpace;
    }
    d.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&d);
    info->width = static_cast<int>(d.output_width);
    info->height = static_cast<int>(d.output_height);
    const size_t rowBytes = static_cast<size_t>(d.output_width) * static_cast<size_t>(d.output_components);
    row.resize(rowBytes);
    while (d.output_scanline < d.output_height) {
        JSAMPROW p = row.data();
        jpeg_read_scanlines(&d, &p, 1);
        rows.append(reinterpret_cast<const char*>(row.data()), rowBytes);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return rows;
}

}  // namespace dcttest
