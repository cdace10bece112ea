// Packs mesh pieces into the bit layout CPDF_MeshReader reads: per piece the
// flag (BitsPerFlag bits, none when 0), then x and y of every control point,
// then every component of every colour, most significant bit first, the
// piece padded with 0 bits to a byte boundary. Values are encoded through the
// parameters' Decode pairs; a raw value wider than its field keeps its low
// bits.
//
// Bytes collect in one buffer (DefaultBufferSize unless set) and go to the
// output when it is nearly full and on Flush; a byte still partly written
// moves to the front of the emptied buffer. The destructor writes nothing:
// Flush after the last piece. An output that takes none of the bytes offered
// throws GLIB_Exception 1151011.
//
// Programming errors: a width outside the packable set (fatal log), a piece
// whose component count is not the parameters' (assertion), buffered bytes
// with no output (assertion).
#pragma once

#include "CPDF/shading/CPDF_MeshEncodingParams.h"
#include "CPDF/shading/CPDF_MeshPiece.h"
#include "FILT/FILT_FilterBuffer.h"
#include "GLOB/GLOB_Stream.h"

#include <cstdint>

class CPDF_MeshWriter {
public:
    static constexpr uint32_t DefaultBufferSize = 4096;
    // Room made before every field: 32 bits at bit offset 7 span 5 bytes.
    static constexpr uint32_t MaxSpanBytes = 5;

    // Default parameters, no output.
    CPDF_MeshWriter();
    CPDF_MeshWriter(const GLOB_Stream& output, const CPDF_MeshEncodingParams& params,
                    uint32_t bufferSize = DefaultBufferSize);
    CPDF_MeshWriter(const CPDF_MeshWriter&) = delete;
    CPDF_MeshWriter& operator=(const CPDF_MeshWriter&) = delete;
    ~CPDF_MeshWriter() = default;

    const CPDF_MeshEncodingParams& EncodingParams() const { return m_params; }
    void SetEncodingParams(const CPDF_MeshEncodingParams& params) { m_params = params; }
    // Writes the full bytes buffered to the current output, then takes the
    // new one; a partly written byte is dropped.
    void SetStream(const GLOB_Stream& output);
    // Writes the full bytes buffered, then takes storage of n bytes.
    void SetBufferSize(uint32_t n);

    void WritePiece(const CPDF_MeshPiece& piece);
    // The low n bits of value at the current bit.
    void WriteBits(uint32_t value, uint32_t n);
    // Writes every full byte to the output; a partly written byte (only
    // between WriteBits calls) stays.
    void Flush();

    // Packs the low n bits of value at bitOffset (0 to 7) of p, keeping the
    // bits above it in the first byte and clearing those after it in the
    // last; moves no position.
    static void PackBits(uint8_t* p, uint32_t bitOffset, uint32_t value, uint32_t n);

private:
    // When fewer than needed bytes are free, writes the full bytes out.
    void MakeRoom(uint32_t needed);

    CPDF_MeshEncodingParams m_params;
    uint32_t m_bitOffset = 0;
    GLOB_Stream m_output;
    FILT_FilterBuffer m_buffer;
};
