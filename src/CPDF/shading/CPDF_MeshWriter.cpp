#include "CPDF/shading/CPDF_MeshWriter.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_StreamCore.h"

CPDF_MeshWriter::CPDF_MeshWriter() : m_buffer(DefaultBufferSize) {}

CPDF_MeshWriter::CPDF_MeshWriter(const GLOB_Stream& output, const CPDF_MeshEncodingParams& params,
                                 uint32_t bufferSize)
    : CPDF_MeshWriter() {
    SetStream(output);
    SetBufferSize(bufferSize);
    m_params = params;
}

void CPDF_MeshWriter::SetStream(const GLOB_Stream& output) {
    Flush();
    m_output = output;
    m_bitOffset = 0;
}

void CPDF_MeshWriter::SetBufferSize(uint32_t n) {
    if (m_buffer.Capacity() == n)
        return;
    Flush();
    const uint8_t partial = m_bitOffset != 0 ? *m_buffer.PutPtr() : 0;
    m_buffer.SetStorage(nullptr, n, true);
    if (m_bitOffset != 0) {
        GLIB_ASSERT_CMP(n, >, 0u);
        *m_buffer.PutPtr() = partial;
    }
}

void CPDF_MeshWriter::WritePiece(const CPDF_MeshPiece& piece) {
    GLIB_ASSERT_CMP(static_cast<int>(piece.NumColorComponents()), ==, m_params.NumColorComponents());
    WriteBits(piece.Flag(), m_params.BitsPerFlag());
    for (uint32_t i = 0; i < piece.NumControlPoints(); ++i) {
        uint32_t x, y;
        m_params.EncodePoint(piece.ControlPoint(i), x, y);
        WriteBits(x, m_params.BitsPerCoordinate());
        WriteBits(y, m_params.BitsPerCoordinate());
    }
    for (uint32_t c = 0; c < piece.NumColors(); ++c) {
        const CPDF_Color color = piece.Color(c);
        for (uint32_t k = 0; k < piece.NumColorComponents(); ++k)
            WriteBits(m_params.EncodeComponent(k, color.Component(k)), m_params.BitsPerComponent());
    }
    if (m_bitOffset != 0) {
        m_buffer.AdvancePutPtr(1);
        m_bitOffset = 0;
    }
}

void CPDF_MeshWriter::WriteBits(uint32_t value, uint32_t n) {
    if (!CPDF_MeshEncodingParams::IsPackableWidth(n))
        GLIB_LOG(GLIB_LogFatal, "Illegal number of bits (should be 0, 1, 2, 4, 8, 12, 16, 24, or 32): " << n);
    MakeRoom(MaxSpanBytes);
    if (n == 0)
        return;
    PackBits(m_buffer.PutPtr(), m_bitOffset, value, n);
    const uint32_t end = m_bitOffset + n;
    m_buffer.AdvancePutPtr(end / 8);
    m_bitOffset = end % 8;
}

void CPDF_MeshWriter::Flush() {
    const uint8_t partial = m_bitOffset != 0 ? *m_buffer.PutPtr() : 0;
    while (m_buffer.DataAvailable() > 0) {
        GLIB_ASSERT(!m_output.IsNull());
        const FILT_Size before = m_buffer.DataAvailable();
        m_output.Write(m_buffer);
        // An output that takes nothing would keep this loop running.
        if (m_buffer.DataAvailable() == before)
            GLIB_THROW(GLIB_Exception, GLOB_StreamCore::IOErrorCode,
                       "CPDF_MeshWriter::Flush: the stream took none of the last " << before << " bytes");
    }
    m_buffer.Rewind();
    if (m_bitOffset != 0)
        *m_buffer.PutPtr() = partial;
}

void CPDF_MeshWriter::PackBits(uint8_t* p, uint32_t bitOffset, uint32_t value, uint32_t n) {
    const uint32_t numBytes = (bitOffset + n + 7) / 8;
    const uint64_t low = n >= 32 ? value : value & ((1u << n) - 1u);
    const uint64_t bits = low << (numBytes * 8 - bitOffset - n);
    const uint8_t kept = static_cast<uint8_t>(p[0] & ~(0xFFu >> bitOffset));
    for (uint32_t i = 0; i < numBytes; ++i)
        p[i] = static_cast<uint8_t>(bits >> (8 * (numBytes - 1 - i)));
    p[0] = static_cast<uint8_t>(p[0] | kept);
}

void CPDF_MeshWriter::MakeRoom(uint32_t needed) {
    if (m_buffer.SpaceRemaining() >= needed)
        return;
    Flush();
    GLIB_ASSERT_CMP(m_buffer.SpaceRemaining(), >=, needed);
}
