#include "CPDF/shading/CPDF_MeshReader.h"
#include "CPDF/shading/CPDF_MeshWriter.h"

#include "ShadingTestUtil.h"

#include <algorithm>
#include <random>

namespace {

uint32_t MaxRaw(uint32_t bits) { return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u; }

// Random raw pieces of a mesh type, decoded through params as the reader
// would give them.
std::vector<CPDF_MeshPiece> RandomPieces(std::mt19937& random, uint32_t type, const CPDF_MeshEncodingParams& params,
                                         int count) {
    CPDF_MeshReader counts;
    counts.Open(GLOB_Stream(new GLOB_ChunkedCore()), type, params);
    const auto raw = [&](uint32_t bits) { return std::uniform_int_distribution<uint32_t>(0, MaxRaw(bits))(random); };
    const uint32_t flagBits = type == 5 ? 0 : params.BitsPerFlag();
    std::vector<CPDF_MeshPiece> pieces;
    for (int i = 0; i < count; ++i) {
        const uint32_t flag = flagBits ? raw(flagBits) : 0;
        const uint32_t n = static_cast<uint32_t>(params.NumColorComponents());
        CPDF_MeshPiece piece(flag, counts.ControlPointCount(flag), counts.ColorCount(flag), n);
        for (uint32_t p = 0; p < piece.NumControlPoints(); ++p) {
            const uint32_t x = raw(params.BitsPerCoordinate());
            piece.SetControlPoint(p, params.DecodePoint(x, raw(params.BitsPerCoordinate())));
        }
        for (uint32_t c = 0; c < piece.NumColors(); ++c)
            for (uint32_t k = 0; k < n; ++k)
                piece.SetColorComponent(c, k, params.DecodeComponent(k, raw(params.BitsPerComponent())));
        pieces.push_back(piece);
    }
    return pieces;
}

// Reads raw pieces until the data ends.
std::vector<CPDF_MeshPiece> ReadAll(const std::string& data, uint32_t type, const CPDF_MeshEncodingParams& params,
                                    size_t blockSize = 7) {
    CPDF_MeshReader reader(Blocks(data, blockSize), type, params);
    std::vector<CPDF_MeshPiece> pieces;
    CPDF_MeshPiece piece(0, 1, 1, 1);
    while (reader.HasMoreData()) {
        reader.ReadPiece(piece);
        pieces.push_back(piece);
    }
    return pieces;
}

std::string Hex(const std::string& bytes) {
    std::string text;
    char two[4];
    for (unsigned char b : bytes) {
        std::snprintf(two, sizeof two, "%02X", b);
        text += two;
    }
    return text;
}

}  // namespace

TEST(CPDF_MeshReaderWriter, RandomMeshesRoundTripBitForBit) {
    std::mt19937 random(20);
    const uint32_t flagWidths[] = {0, 2, 4, 8};
    const uint32_t coordinateWidths[] = {1, 2, 4, 8, 12, 16, 24, 32};
    const uint32_t componentWidths[] = {1, 2, 4, 8, 12, 16};
    for (uint32_t type = 4; type <= 7; ++type) {
        for (int round = 0; round < 24; ++round) {
            const uint32_t flagBits = flagWidths[round % 4];
            const uint32_t coordinateBits = coordinateWidths[round % 8];
            const uint32_t componentBits = componentWidths[(round + type) % 6];
            const unsigned numComponents = 1 + round % 4;
            std::vector<double> pairs = {-50, 150, 1000, 0};
            for (unsigned k = 0; k < numComponents; ++k)
                pairs.insert(pairs.end(), {0.0, 1.0 + k});
            const CPDF_MeshEncodingParams params(type == 5 ? 0 : flagBits, coordinateBits, componentBits,
                                                 Decode(pairs));
            SCOPED_TRACE(::testing::Message() << "type " << type << " widths " << flagBits << "/" << coordinateBits
                                              << "/" << componentBits << " components " << numComponents);
            const std::vector<CPDF_MeshPiece> pieces = RandomPieces(random, type, params, 40);
            const std::string data = Packed(params, pieces);
            const std::vector<CPDF_MeshPiece> read = ReadAll(data, type, params);
            ASSERT_EQ(read.size(), pieces.size());
            for (size_t i = 0; i < pieces.size(); ++i)
                ExpectSamePiece(read[i], pieces[i]);
            EXPECT_EQ(Packed(params, read), data);

            // Cut by one byte: inside the last piece, or, for a piece of
            // one byte, exactly after the one before.
            const std::string cut = data.substr(0, data.size() - 1);
            if (Packed(params, {pieces.back()}).size() > 1)
                EXPECT_EQ(Thrown([&] { ReadAll(cut, type, params); }), "1128028 Premature end of mesh data");
            else
                EXPECT_EQ(ReadAll(cut, type, params).size(), pieces.size() - 1);
        }
    }
}

TEST(CPDF_MeshReaderWriter, KnownLayouts) {
    const struct {
        uint32_t flagBits, coordinateBits, componentBits;
        uint32_t flag, x, y;
        std::vector<uint32_t> components;
        const char* hex;
    } cases[] = {
        // 8 + 16 + 16 + 3 × 8 bits: 8 bytes.
        {8, 16, 8, 0x12, 0x3456, 0x789A, {0xBC, 0xDE, 0xF0}, "123456789ABCDEF0"},
        // 2 + 12 + 12 + 3 × 4 = 38 bits: 5 bytes, the last 2 bits 0.
        {2, 12, 4, 3, 0xABC, 0x123, {4, 5, 6}, "EAF048D158"},
        // No flag; 1-bit fields end in a padded byte.
        {0, 1, 1, 0, 1, 0, {1, 1}, "B0"},
        // 32-bit coordinates after a 4-bit flag straddle five bytes each.
        {4, 32, 16, 0xF, 0x01020304, 0xFFFFFFFF, {0xABCD}, "F0102030 4FFFFFFF FABCD0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hex);
        std::vector<double> pairs = {0, double(MaxRaw(c.coordinateBits)), 0, double(MaxRaw(c.coordinateBits))};
        for (size_t k = 0; k < c.components.size(); ++k)
            pairs.insert(pairs.end(), {0.0, double(MaxRaw(c.componentBits))});
        const CPDF_MeshEncodingParams params(c.flagBits, c.coordinateBits, c.componentBits, Decode(pairs));
        std::vector<double> components(c.components.begin(), c.components.end());
        const std::string data = Packed(params, {Piece(c.flag, {GLIB_Point(c.x, c.y)}, {components})});
        std::string want = c.hex;
        want.erase(std::remove(want.begin(), want.end(), ' '), want.end());
        EXPECT_EQ(Hex(data), want);
        // The reader's fields, one by one.
        CPDF_MeshReader reader(Blocks(data, 1), 4, params);
        EXPECT_EQ(reader.ReadBits(c.flagBits), c.flag);
        EXPECT_EQ(reader.ReadBits(c.coordinateBits), c.x);
        EXPECT_EQ(reader.ReadBits(c.coordinateBits), c.y);
        for (uint32_t v : c.components)
            EXPECT_EQ(reader.ReadBits(c.componentBits), v);
    }
    // A value wider than its field keeps its low bits.
    uint8_t bytes[2] = {0xFF, 0xFF};
    CPDF_MeshWriter::PackBits(bytes, 3, 0x1F5, 4);
    EXPECT_EQ(bytes[0], 0xEA);  // 111 0101 0: the bits above kept, those below cleared
    EXPECT_EQ(CPDF_MeshReader::UnpackBits(bytes, 3, 4), 5u);
}

TEST(CPDF_MeshReaderWriter, BufferEdges) {
    // Patches of 12-bit fields run across the 4096-byte buffer at odd bit
    // offsets; any buffer size, and any block size on reading, gives the
    // same bytes and pieces.
    std::mt19937 random(4096);
    const CPDF_MeshEncodingParams params(4, 12, 12, Decode({0, 1, 0, 1, 0, 1, 0, 1, 0, 1}));
    const std::vector<CPDF_MeshPiece> pieces = RandomPieces(random, 7, params, 200);
    const std::string data = Packed(params, pieces);
    ASSERT_GT(data.size(), 2 * CPDF_MeshWriter::DefaultBufferSize);
    for (uint32_t bufferSize : {5u, 6u, 4095u, 1u << 20})
        EXPECT_EQ(Packed(params, pieces, bufferSize), data) << bufferSize;
    for (size_t blockSize : {1, 5, 4096}) {
        const std::vector<CPDF_MeshPiece> read = ReadAll(data, 7, params, blockSize);
        ASSERT_EQ(read.size(), pieces.size());
        ExpectSamePiece(read.back(), pieces.back());
    }

    // A partly written byte waits through Flush and a new buffer.
    auto* core = new GLOB_ChunkedCore();
    const GLOB_Stream output(core);
    CPDF_MeshWriter writer;
    writer.SetStream(output);
    writer.WriteBits(0xA, 4);
    writer.Flush();
    writer.SetBufferSize(64);
    writer.WriteBits(0xB, 4);
    writer.Flush();
    EXPECT_EQ(Hex(core->written), "AB");
    // An output that takes nothing ends the flush.
    core->storeNothing = true;
    writer.WriteBits(1, 8);
    EXPECT_EQ(Thrown([&] { writer.Flush(); }),
              "plain 1151011 CPDF_MeshWriter::Flush: the stream took none of the last 1 bytes");
    // The default parameters hold one component.
    EXPECT_EQ(Thrown([&] { writer.WritePiece(Piece(0, {}, {{1, 2}})); }).substr(0, 7), "assert ");
}

TEST(CPDF_MeshReaderWriter, CompletePiecesShareWhatTheyShould) {
    const CPDF_MeshEncodingParams params(8, 8, 8, Decode({0, 255, 0, 255, 0, 255}));
    const auto P = [](int i) { return GLIB_Point(i, 100 + i); };

    // Triangles: A B C, then D with flag 1, E with 2, F with 1 make
    // (B C D), (B D E) and (D E F).
    std::vector<CPDF_MeshPiece> vertices;
    for (int i = 0; i < 6; ++i)
        vertices.push_back(Piece(i < 3 ? 0 : (i == 4 ? 2 : 1), {P(i)}, {{double(i)}}));
    CPDF_MeshReader triangles(Blocks(Packed(params, vertices)), 4, params);
    CPDF_MeshPiece triangle(0, 1, 1, 1);
    for (const std::vector<int>& want : {std::vector<int>{0, 1, 2}, {1, 2, 3}, {1, 3, 4}, {3, 4, 5}}) {
        triangles.ReadCompletePiece(triangle);
        std::vector<int> got;
        for (uint32_t s = 0; s < 3; ++s) {
            got.push_back(static_cast<int>(triangle.ControlPoint(s).X()));
            EXPECT_EQ(triangle.Color(s).Component(0), got.back());
        }
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, want);
    }
    EXPECT_FALSE(triangles.HasMoreData());

    // Patches: the second (flag 1) starts on the first's points 3 to 6 and
    // colours 1 and 2; the third (flag 2) on the second's own points 6 to 9
    // and colours 2 and 3. Each boundary runs on cyclically.
    for (uint32_t type : {6u, 7u}) {
        SCOPED_TRACE(type);
        const bool tensor = type == 7;
        std::vector<CPDF_MeshPiece> raw;
        std::vector<std::vector<int>> boundaries, interiors, colors;
        int next = 0;
        for (uint32_t flag : {0u, 1u, 2u}) {
            std::vector<int> boundary, interior, color;
            if (flag != 0) {
                const std::vector<int>& last = boundaries.back();
                boundary.assign(last.begin() + 3 * flag, last.begin() + 3 * flag + 4);
                color = {colors.back()[flag], colors.back()[flag + 1]};
            }
            std::vector<GLIB_Point> points;
            while (boundary.size() < 12)
                boundary.push_back(next), points.push_back(P(next++));
            for (int i = 0; tensor && i < 4; ++i)
                interior.push_back(next), points.push_back(P(next++));
            std::vector<std::vector<double>> newColors;
            while (color.size() < 4)
                color.push_back(next), newColors.push_back({double(next++)});
            raw.push_back(Piece(flag, points, newColors));
            boundaries.push_back(boundary);
            interiors.push_back(interior);
            colors.push_back(color);
        }
        CPDF_MeshReader reader(Blocks(Packed(params, raw)), type, params);
        CPDF_MeshPiece patch(0, 1, 1, 1);
        for (size_t n = 0; n < raw.size(); ++n) {
            reader.ReadCompletePiece(patch);
            ASSERT_EQ(patch.NumControlPoints(), tensor ? 16u : 12u);
            const int id0 = static_cast<int>(patch.ControlPoint(0).X());
            const auto start = std::find(boundaries[n].begin(), boundaries[n].end(), id0) - boundaries[n].begin();
            ASSERT_EQ(start % 3, 0) << "patch " << n;
            const uint32_t rotation = static_cast<uint32_t>(12 - start) % 12 / 3;
            for (uint32_t i = 0; i < 12; ++i)
                EXPECT_EQ(patch.ControlPoint((3 * rotation + i) % 12).X(), boundaries[n][i]) << n << " " << i;
            for (uint32_t i = 0; tensor && i < 4; ++i)
                EXPECT_EQ(patch.ControlPoint(12 + (rotation + i) % 4).X(), interiors[n][i]) << n << " " << i;
            for (uint32_t i = 0; i < 4; ++i)
                EXPECT_EQ(patch.Color((rotation + i) % 4).Component(0), colors[n][i]) << n << " " << i;
        }
        EXPECT_FALSE(reader.HasMoreData());
    }
}

TEST(CPDF_MeshReaderWriter, LatticeRowsHaveNoFlags) {
    // Rows of two vertices packed without flags; a BitsPerFlag in the
    // parameters changes nothing.
    const CPDF_MeshEncodingParams params(8, 8, 8, Decode({0, 255, 0, 255, 0, 255}), 2);
    const std::string data("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C", 12);
    CPDF_MeshReader reader(Blocks(data), 5, params);
    CPDF_MeshPiece row(0, 1, 1, 1);
    for (int first : {1, 7}) {
        reader.ReadCompletePiece(row);
        ASSERT_EQ(row.NumControlPoints(), 2u);
        EXPECT_EQ(row.ControlPoint(1).Y(), first + 4);
        EXPECT_EQ(row.Color(1).Component(0), first + 5);
    }
    EXPECT_FALSE(reader.HasMoreData());
    EXPECT_EQ(ReadAll(data, 5, params).size(), 4u);

    // A reader reopened reads from the start of its new stream.
    reader.Open(Blocks(data.substr(3)), 4, CPDF_MeshEncodingParams(0, 8, 8, Decode({0, 255, 0, 255, 0, 255})));
    CPDF_MeshPiece vertex(0, 1, 1, 1);
    reader.ReadPiece(vertex);
    EXPECT_EQ(vertex.ControlPoint(0).X(), 4);
    reader.Close();
    EXPECT_EQ(Thrown([&] { reader.HasMoreData(); }), "assert m_buffer != nullptr");
}
