#include "viewer/cos/VCOS_FlateWriter.h"

#include <climits>

VCOS_FlateWriter::VCOS_FlateWriter(std::string& out, int level) : m_out(out) {
    m_status = deflateInit(&m_zlib, level);
    m_ready = m_status == Z_OK;
}

VCOS_FlateWriter::~VCOS_FlateWriter() {
    if (m_ready)
        deflateEnd(&m_zlib);
}

bool VCOS_FlateWriter::Add(const char* bytes, size_t count) {
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

bool VCOS_FlateWriter::Finish() { return m_ready && Run(Z_FINISH); }

bool VCOS_FlateWriter::Run(int flush) {
    char chunk[65536];
    for (;;) {
        m_zlib.next_out = reinterpret_cast<Bytef*>(chunk);
        m_zlib.avail_out = sizeof chunk;
        const int result = deflate(&m_zlib, flush);
        if (result == Z_STREAM_ERROR) {
            m_status = result;
            m_ready = false;
            return false;
        }
        m_out.append(chunk, sizeof chunk - m_zlib.avail_out);
        if (flush == Z_FINISH ? result == Z_STREAM_END : m_zlib.avail_in == 0 && m_zlib.avail_out != 0)
            return true;
    }
}
