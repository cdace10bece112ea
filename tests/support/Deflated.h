// zlib streams for test files: bytes compressed whole, or rows compressed
// one at a time so that a huge image is never held raw.
#pragma once

#include <zlib.h>

#include <string>

// plain as one zlib stream.
inline std::string Deflated(const std::string& plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(plain.data()),
             static_cast<uLong>(plain.size()));
    out.resize(size);
    return out;
}

// rows rows of width bytes as one zlib stream at level; fill(y, row) writes
// row y into row (width bytes, kept from the row before).
template <typename Fill>
std::string DeflatedRows(int width, int rows, int level, Fill fill) {
    std::string data, row(static_cast<size_t>(width), '\0'), out(1 << 16, '\0');
    z_stream zip{};
    deflateInit(&zip, level);
    for (int y = 0; y < rows; ++y) {
        fill(y, row);
        zip.next_in = reinterpret_cast<Bytef*>(&row[0]);
        zip.avail_in = static_cast<uInt>(width);
        const int flush = y + 1 == rows ? Z_FINISH : Z_NO_FLUSH;
        do {
            zip.next_out = reinterpret_cast<Bytef*>(&out[0]);
            zip.avail_out = static_cast<uInt>(out.size());
            deflate(&zip, flush);
            data.append(out, 0, out.size() - zip.avail_out);
        } while (zip.avail_out == 0);
    }
    deflateEnd(&zip);
    return data;
}
