#include "viewer/draw/VDRW_FlateWriter.h"

#include <climits>

VDRW_FlateWriter::VDRW_FlateWriter(std::string& out) : m_out(out) {
    m_ready = deflateInit(&m_zlib, Z_BEST_SPEED) == Z_OK;
}

VDRW_FlateWriter::~VDRW_FlateWriter() {
    if (m_ready)
        deflateEnd(&m_zlib);
}

bool VDRW_FlateWriter::Add(const char* bytes, size_t count) {
    while (m_ready && count > 0) {
        const uInt part = count > UINT_MAX ? UINT_MAX : static_cast<uInt>(count);
        m_zlib.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes));
        m_zlib.avail_in = part;
        if (!Run(Z_NO_FLUSH))
            return false;
        bytes += part;
        count -= part;
    }
    return m_ready;
}

bool VDRW_FlateWriter::Finish() { return m_ready && Run(Z_FINISH); }

bool VDRW_FlateWriter::Run(int flush) {
    char chunk[65536];
    for (;;) {
        m_zlib.next_out = reinterpret_cast<Bytef*>(chunk);
        m_zlib.avail_out = sizeof chunk;
        const int result = deflate(&m_zlib, flush);
        if (result == Z_STREAM_ERROR) {
            m_ready = false;
            return false;
        }
        m_out.append(chunk, sizeof chunk - m_zlib.avail_out);
        if (flush == Z_FINISH ? result == Z_STREAM_END : m_zlib.avail_in == 0 && m_zlib.avail_out != 0)
            return true;
    }
}
