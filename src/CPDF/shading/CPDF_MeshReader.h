// Unpacks the data of a mesh shading (types 4 to 7, ISO 32000 8.7.4.5.5 to
// 8.7.4.5.8) piece by piece. Fields are packed most significant bit first,
// wider ones big-endian; every piece ends on a byte boundary.
//
// A raw piece (ReadPiece) is what the data holds after one flag:
//
//   type                 flag 0: points, colours   other flags: points, colours
//   4 free triangles     1, 1                      1, 1
//   5 lattice            1, 1 (no flag is read)    -
//   6 Coons patches      12, 4                     8, 2
//   7 tensor patches     16, 4                     12, 2
//
// A complete piece (ReadCompletePiece) fills in what earlier pieces share: a
// whole triangle (type 4), a row of VerticesPerRow vertices (type 5), or a
// patch of 12 or 16 points and 4 colours (types 6, 7) whose boundary runs in
// cyclic order from slot 3 × rotation; the rotation and the slot of the
// newest triangle vertex carry over between complete pieces only.
//
// Fields are read in place from the stream's current block; one that runs
// past the block is gathered across blocks into a scratch area, so blocks
// may end anywhere. Data that ends inside a piece throws CPDF_Exception
// 1128028 "Premature end of mesh data". A width outside the packable set or
// a type outside 4 to 7 is a programming error (fatal log); parameters read
// from a validated shading never give one.
#pragma once

#include "CPDF/shading/CPDF_MeshEncodingParams.h"
#include "CPDF/shading/CPDF_MeshPiece.h"
#include "GLOB/GLOB_Stream.h"

#include <cstdint>

class CPDF_MeshReader {
public:
    // The widest field, 32 bits at bit offset 7, spans this many bytes.
    static constexpr uint32_t MaxSpanBytes = 5;

    // Default parameters, no stream; Open before reading.
    CPDF_MeshReader() = default;
    // Open with these.
    CPDF_MeshReader(const GLOB_Stream& data, uint32_t shadingType, const CPDF_MeshEncodingParams& params);
    CPDF_MeshReader(const CPDF_MeshReader&) = delete;
    CPDF_MeshReader& operator=(const CPDF_MeshReader&) = delete;
    // Lets go of the stream without closing it.
    ~CPDF_MeshReader() = default;

    // Closes the stream read before, then reads the first block of data.
    // data holds the decoded mesh from its first byte.
    void Open(const GLOB_Stream& data, uint32_t shadingType, const CPDF_MeshEncodingParams& params);
    // Lets go of the stream; the reader is as default-constructed.
    void Close();

    // Whether bytes are left. Asserts an open reader.
    bool HasMoreData() const;
    // The next raw piece; the piece is reshaped only when its counts change.
    void ReadPiece(CPDF_MeshPiece& piece);
    // The next complete piece.
    void ReadCompletePiece(CPDF_MeshPiece& piece);

    // The counts of a raw piece opened by flag, by shading type.
    uint32_t ControlPointCount(uint32_t flag) const;
    uint32_t ColorCount(uint32_t flag) const;

    // Bytes of one vertex of a lattice (type 5): x, y and the colour values,
    // padded to a whole byte.
    static uint64_t LatticeVertexBytes(const CPDF_MeshEncodingParams& params);
    // The whole vertices the lattice data holds, read from data's first
    // byte no further than it takes to find atMost of them (the count is
    // then atMost); data is closed. Errors of its filters pass through.
    static uint64_t CountLatticeVertices(GLOB_Stream data, const CPDF_MeshEncodingParams& params, uint64_t atMost);

    // The next field of n bits; 0 for n = 0.
    uint32_t ReadBits(uint32_t n);
    // The n-bit field at bitOffset (0 to 7) of p, which holds its bytes.
    static uint32_t UnpackBits(const uint8_t* p, uint32_t bitOffset, uint32_t n);

private:
    // Flag bits before a raw piece or vertex; none in a lattice.
    uint32_t FlagBits() const;
    // Copies a field's numBytes into the scratch, reading blocks as needed,
    // and passes the first numConsumed of them.
    void Gather(uint32_t numBytes, uint32_t numConsumed);
    // Skips the rest of a partly read byte; fetches the next block when this
    // one is used up.
    void EndPiece();
    GLIB_Point ReadPoint();
    void ReadColor(CPDF_MeshPiece& piece, uint32_t colorIndex);
    // x, y, components and the end of a piece, into slot.
    void ReadVertex(CPDF_MeshPiece& piece, uint32_t slot);
    // Reshapes piece to these counts unless it has them.
    void Shape(CPDF_MeshPiece& piece, uint32_t numPoints, uint32_t numColors) const;
    void ReadTriangle(CPDF_MeshPiece& piece);
    void ReadRow(CPDF_MeshPiece& piece);
    void ReadPatch(CPDF_MeshPiece& piece);

    uint8_t m_scratch[8] = {};
    uint32_t m_bitOffset = 0;
    int32_t m_lastSlot = 0;  // or the accumulated patch rotation
    int32_t m_direction = 1;
    FILT_FilterBuffer* m_buffer = nullptr;
    CPDF_MeshEncodingParams m_params;
    uint32_t m_shadingType = 0;
    GLOB_Stream m_stream;
};
