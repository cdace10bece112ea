#include "CPDF/shading/CPDF_MeshReader.h"

#include "CPDF/CPDF_Exception.h"
#include "GLIB/GLIB_Log.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t LowBits(uint32_t n) { return n >= 32 ? 0xFFFFFFFFu : (1u << n) - 1u; }

// m mod 3 taken in 0..2.
int32_t Mod3(int64_t m) { return static_cast<int32_t>(((m % 3) + 3) % 3); }

}  // namespace

CPDF_MeshReader::CPDF_MeshReader(const GLOB_Stream& data, uint32_t shadingType,
                                 const CPDF_MeshEncodingParams& params) {
    Open(data, shadingType, params);
}

void CPDF_MeshReader::Open(const GLOB_Stream& data, uint32_t shadingType, const CPDF_MeshEncodingParams& params) {
    GLIB_ASSERT_CMP(params.NumColorComponents(), >=, 0);
    m_stream.Close();
    m_bitOffset = 0;
    m_lastSlot = 0;
    m_direction = 1;
    m_stream = data;
    m_buffer = m_stream.Read();
    m_params = params;
    m_shadingType = shadingType;
}

void CPDF_MeshReader::Close() {
    m_stream = GLOB_Stream();
    m_buffer = nullptr;
    m_bitOffset = 0;
    m_lastSlot = 0;
    m_direction = 1;
    m_params = CPDF_MeshEncodingParams();
    m_shadingType = 0;
}

bool CPDF_MeshReader::HasMoreData() const {
    GLIB_ASSERT(m_buffer != nullptr);
    return !m_buffer->IsEOD() || m_buffer->DataAvailable() > 0;
}

void CPDF_MeshReader::ReadPiece(CPDF_MeshPiece& piece) {
    GLIB_ASSERT(m_buffer != nullptr);
    const uint32_t flag = ReadBits(FlagBits());
    Shape(piece, ControlPointCount(flag), ColorCount(flag));
    piece.SetFlag(flag);
    for (uint32_t i = 0; i < piece.NumControlPoints(); ++i)
        piece.SetControlPoint(i, ReadPoint());
    for (uint32_t c = 0; c < piece.NumColors(); ++c)
        ReadColor(piece, c);
    EndPiece();
}

void CPDF_MeshReader::ReadCompletePiece(CPDF_MeshPiece& piece) {
    GLIB_ASSERT(m_buffer != nullptr);
    switch (m_shadingType) {
    case 4:
        return ReadTriangle(piece);
    case 5:
        return ReadRow(piece);
    case 6:
    case 7:
        return ReadPatch(piece);
    default:
        GLIB_LOG(GLIB_LogFatal, "Invalid mesh shading type encountered: " << m_shadingType);
    }
}

uint32_t CPDF_MeshReader::ControlPointCount(uint32_t flag) const {
    switch (m_shadingType) {
    case 4:
    case 5:
        return 1;
    case 6:
        return flag == 0 ? 12 : 8;
    case 7:
        return flag == 0 ? 16 : 12;
    default:
        GLIB_LOG(GLIB_LogFatal, "Illegal mesh shading type (expected 4-7): " << m_shadingType);
        return 0;
    }
}

uint32_t CPDF_MeshReader::ColorCount(uint32_t flag) const {
    switch (m_shadingType) {
    case 4:
    case 5:
        return 1;
    case 6:
    case 7:
        return flag == 0 ? 4 : 2;
    default:
        GLIB_LOG(GLIB_LogFatal, "Illegal mesh shading type (expected 4-7): " << m_shadingType);
        return 0;
    }
}

uint64_t CPDF_MeshReader::LatticeVertexBytes(const CPDF_MeshEncodingParams& params) {
    const uint64_t components = static_cast<uint64_t>(std::max(params.NumColorComponents(), 0));
    const uint64_t bits = 2 * uint64_t{params.BitsPerCoordinate()} + components * params.BitsPerComponent();
    return std::max<uint64_t>((bits + 7) / 8, 1);
}

uint64_t CPDF_MeshReader::CountLatticeVertices(GLOB_Stream data, const CPDF_MeshEncodingParams& params,
                                               uint64_t atMost) {
    const uint64_t vertexBytes = LatticeVertexBytes(params);
    uint64_t bytes = 0;
    for (FILT_FilterBuffer* buffer = data.Read(); buffer->DataAvailable() > 0 && bytes / vertexBytes < atMost;
         buffer = data.Read()) {
        bytes += buffer->DataAvailable();
        buffer->AdvanceGetPtr(buffer->DataAvailable());
    }
    data.Close();
    return std::min(bytes / vertexBytes, atMost);
}

uint32_t CPDF_MeshReader::ReadBits(uint32_t n) {
    if (!CPDF_MeshEncodingParams::IsPackableWidth(n))
        GLIB_LOG(GLIB_LogFatal, "Illegal number of bits (should be 0, 1, 2, 4, 8, 12, 16, 24, or 32) " << n);
    if (n == 0)
        return 0;
    const uint32_t end = m_bitOffset + n;
    uint32_t value;
    const uint64_t available = m_buffer->DataAvailable();
    if (available >= MaxSpanBytes || available * 8 >= end) {
        value = UnpackBits(m_buffer->GetPtr(), m_bitOffset, n);
        m_buffer->AdvanceGetPtr(end / 8);
    } else {
        Gather((end + 7) / 8, end / 8);
        value = UnpackBits(m_scratch, m_bitOffset, n);
    }
    m_bitOffset = end % 8;
    return value;
}

uint32_t CPDF_MeshReader::UnpackBits(const uint8_t* p, uint32_t bitOffset, uint32_t n) {
    const uint32_t numBytes = (bitOffset + n + 7) / 8;
    uint64_t bits = 0;
    for (uint32_t i = 0; i < numBytes; ++i)
        bits = (bits << 8) | p[i];
    return static_cast<uint32_t>(bits >> (numBytes * 8 - bitOffset - n)) & LowBits(n);
}

uint32_t CPDF_MeshReader::FlagBits() const { return m_shadingType == 5 ? 0 : m_params.BitsPerFlag(); }

void CPDF_MeshReader::Gather(uint32_t numBytes, uint32_t numConsumed) {
    uint32_t got = 0;
    while (got < numBytes) {
        if (m_buffer->DataAvailable() == 0) {
            if (m_buffer->IsEOD())
                throw CPDF_Exception(CPDF_MeshDataEndCode, "Premature end of mesh data", __FILE__, __LINE__);
            m_buffer = m_stream.Read();
            continue;
        }
        const uint32_t take = std::min(m_buffer->DataAvailable(), numBytes - got);
        std::memcpy(m_scratch + got, m_buffer->GetPtr(), take);
        // A last byte partly read stays the current byte of its block.
        m_buffer->AdvanceGetPtr(std::min(take, numConsumed - got));
        got += take;
    }
}

void CPDF_MeshReader::EndPiece() {
    if (m_bitOffset != 0) {
        GLIB_ASSERT(m_buffer->DataAvailable() > 0);
        m_buffer->AdvanceGetPtr(1);
        m_bitOffset = 0;
    }
    if (m_buffer->DataAvailable() == 0 && !m_buffer->IsEOD())
        m_buffer = m_stream.Read();
}

GLIB_Point CPDF_MeshReader::ReadPoint() {
    const uint32_t x = ReadBits(m_params.BitsPerCoordinate());
    const uint32_t y = ReadBits(m_params.BitsPerCoordinate());
    return m_params.DecodePoint(x, y);
}

void CPDF_MeshReader::ReadColor(CPDF_MeshPiece& piece, uint32_t colorIndex) {
    for (uint32_t k = 0; k < piece.NumColorComponents(); ++k)
        piece.SetColorComponent(colorIndex, k, m_params.DecodeComponent(k, ReadBits(m_params.BitsPerComponent())));
}

void CPDF_MeshReader::ReadVertex(CPDF_MeshPiece& piece, uint32_t slot) {
    piece.SetControlPoint(slot, ReadPoint());
    ReadColor(piece, slot);
    EndPiece();
}

void CPDF_MeshReader::Shape(CPDF_MeshPiece& piece, uint32_t numPoints, uint32_t numColors) const {
    const uint32_t numComponents = static_cast<uint32_t>(m_params.NumColorComponents());
    if (piece.NumControlPoints() != numPoints || piece.NumColors() != numColors ||
        piece.NumColorComponents() != numComponents)
        piece.Reset(piece.Flag(), numPoints, numColors, numComponents);
}

void CPDF_MeshReader::ReadTriangle(CPDF_MeshPiece& piece) {
    Shape(piece, 3, 3);
    const uint32_t flag = ReadBits(FlagBits());
    piece.SetFlag(flag);
    if (flag == 0) {
        for (uint32_t slot = 0; slot < 3; ++slot) {
            if (slot > 0)
                ReadBits(FlagBits());
            ReadVertex(piece, slot);
        }
        m_lastSlot = 2;
        m_direction = 1;
        return;
    }
    // Flag 1 keeps the previous second and third vertices, flag 2 the first
    // and third: a fan reverses the order in which slots are reused.
    const int32_t slot = Mod3(static_cast<int64_t>(flag) * m_direction + m_lastSlot);
    if (flag == 2)
        m_direction = -m_direction;
    ReadVertex(piece, static_cast<uint32_t>(slot));
    m_lastSlot = slot;
}

void CPDF_MeshReader::ReadRow(CPDF_MeshPiece& piece) {
    const uint32_t n = m_params.VerticesPerRow();
    GLIB_ASSERT_CMP(n, >=, 2u);
    Shape(piece, n, n);
    piece.SetFlag(0);
    for (uint32_t i = 0; i < n; ++i)
        ReadVertex(piece, i);
}

void CPDF_MeshReader::ReadPatch(CPDF_MeshPiece& piece) {
    const bool tensor = m_shadingType == 7;
    Shape(piece, tensor ? 16 : 12, 4);
    const uint32_t flag = ReadBits(FlagBits());
    piece.SetFlag(flag);
    if (flag == 0) {
        for (uint32_t i = 0; i < piece.NumControlPoints(); ++i)
            piece.SetControlPoint(i, ReadPoint());
        for (uint32_t c = 0; c < 4; ++c)
            ReadColor(piece, c);
        m_lastSlot = 0;
    } else {
        // The previous patch's edge `flag` becomes the first edge of this
        // one: its points 0 to 3 and colours 0 and 1 stay where they are.
        const uint32_t rotation = (static_cast<uint32_t>(m_lastSlot) + flag % 4) % 4;
        m_lastSlot = static_cast<int32_t>(rotation);
        for (uint32_t i = 0; i < 8; ++i)
            piece.SetControlPoint((3 * rotation + 4 + i) % 12, ReadPoint());
        // Interior point i lies next to corner i, wherever the corners went.
        for (uint32_t i = 0; tensor && i < 4; ++i)
            piece.SetControlPoint(12 + (rotation + i) % 4, ReadPoint());
        for (uint32_t i = 0; i < 2; ++i)
            ReadColor(piece, (rotation + 2 + i) % 4);
    }
    EndPiece();
}
