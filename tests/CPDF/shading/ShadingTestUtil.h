// Shorthands shared by the shading tests.
#pragma once

#include "CPDF/CPDF_TestUtil.h"
#include "CPDF/shading/CPDF_MeshReader.h"
#include "CPDF/shading/CPDF_MeshWriter.h"
#include "CPDF/shading/CPDF_Shading.h"

#include <string>
#include <vector>

// Decode pairs from 2n values.
inline CPDF_DecodeArray Decode(const std::vector<double>& values) {
    return CPDF_DecodeArray(values.data(), static_cast<unsigned>(values.size() / 2));
}

// A piece of the given points and colours (each a list of components).
inline CPDF_MeshPiece Piece(uint32_t flag, const std::vector<GLIB_Point>& points,
                            const std::vector<std::vector<double>>& colors) {
    const uint32_t n = colors.empty() ? 0 : static_cast<uint32_t>(colors[0].size());
    CPDF_MeshPiece piece(flag, static_cast<uint32_t>(points.size()), static_cast<uint32_t>(colors.size()), n);
    for (uint32_t i = 0; i < points.size(); ++i)
        piece.SetControlPoint(i, points[i]);
    for (uint32_t c = 0; c < colors.size(); ++c)
        for (uint32_t k = 0; k < n; ++k)
            piece.SetColorComponent(c, k, colors[c][k]);
    return piece;
}

// The bytes the writer makes of pieces, through a buffer of bufferSize.
inline std::string Packed(const CPDF_MeshEncodingParams& params, const std::vector<CPDF_MeshPiece>& pieces,
                          uint32_t bufferSize = CPDF_MeshWriter::DefaultBufferSize) {
    auto* core = new GLOB_ChunkedCore();
    const GLOB_Stream output(core);
    CPDF_MeshWriter writer(output, params, bufferSize);
    for (const CPDF_MeshPiece& piece : pieces)
        writer.WritePiece(piece);
    writer.Flush();
    return core->written;
}

// A reader over data handed out in blocks of blockSize bytes.
inline GLOB_Stream Blocks(const std::string& data, size_t blockSize = 7) {
    return GLOB_Stream(new GLOB_ChunkedCore(data, {blockSize}));
}

inline void ExpectSamePiece(const CPDF_MeshPiece& got, const CPDF_MeshPiece& want) {
    ASSERT_EQ(got.Flag(), want.Flag());
    ASSERT_EQ(got.NumControlPoints(), want.NumControlPoints());
    ASSERT_EQ(got.NumColors(), want.NumColors());
    ASSERT_EQ(got.NumColorComponents(), want.NumColorComponents());
    for (uint32_t i = 0; i < got.NumControlPoints(); ++i) {
        EXPECT_EQ(got.ControlPoint(i).X(), want.ControlPoint(i).X()) << "point " << i;
        EXPECT_EQ(got.ControlPoint(i).Y(), want.ControlPoint(i).Y()) << "point " << i;
    }
    for (uint32_t c = 0; c < got.NumColors(); ++c)
        for (uint32_t k = 0; k < got.NumColorComponents(); ++k)
            EXPECT_EQ(got.Color(c).Component(k), want.Color(c).Component(k)) << "colour " << c << "." << k;
}
