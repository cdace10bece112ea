#include "CPDF/shading/CPDF_MeshShading.h"

#include "CPDF/shading/CPDF_CoonsPatchShading.h"
#include "CPDF/shading/CPDF_GouraudShading.h"
#include "CPDF/CPDF_Utils.h"
#include "ShadingTestUtil.h"

#include <zlib.h>

namespace {

// Gray meshes whose 16-bit coordinates decode to whole numbers from -100.
const std::vector<double> GrayPairs = {-100, 65435, -100, 65435, 0, 1};
const char* const GrayEntries = "/ColorSpace /DeviceGray /BitsPerFlag 8 /BitsPerCoordinate 16 /BitsPerComponent 8 "
                                "/Decode [-100 65435 -100 65435 0 1] /VerticesPerRow 2";

GLOB_Object Mesh(const GLOB_Doc& doc, int type, const std::string& data) {
    return StoreStream(doc, data, ("<< /ShadingType " + std::to_string(type) + " " + GrayEntries + " >>").c_str());
}

// The boundary of a Coons patch over the grid (3i, 3j), in patch order, with
// corner 0 at c.
std::vector<GLIB_Point> Grid(const GLIB_Point& c) {
    const int ij[12][2] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 3}, {2, 3},
                           {3, 3}, {3, 2}, {3, 1}, {3, 0}, {2, 0}, {1, 0}};
    std::vector<GLIB_Point> points = {c};
    for (int k = 1; k < 12; ++k)
        points.push_back(GLIB_Point(3 * ij[k][0], 3 * ij[k][1]));
    return points;
}

}  // namespace

TEST(CPDF_MeshShading, BoundingBoxes) {
    const GLOB_Doc doc = NewMemoryDoc();
    const std::vector<std::vector<double>> four(4, {0.5});
    const struct {
        int type;
        std::vector<CPDF_MeshPiece> pieces;
        const char* box;
    } cases[] = {
        {4,
         {Piece(0, {GLIB_Point(1, 2)}, {{0}}), Piece(0, {GLIB_Point(3, 1)}, {{0}}),
          Piece(0, {GLIB_Point(2, 5)}, {{0}})},
         "1 1 3 5"},
        {4, {}, "0 0 0 0"},
        // Rows without flags, though the dictionary gives BitsPerFlag.
        {5,
         {Piece(0, {GLIB_Point(4, 4)}, {{0}}), Piece(0, {GLIB_Point(5, 6)}, {{0}}), Piece(0, {GLIB_Point(4, 5)}, {{0}}),
          Piece(0, {GLIB_Point(5, 5)}, {{0}})},
         "4 4 5 6"},
        // A flat patch: its interior points (3, 3) to (6, 6) lie inside.
        {6, {Piece(0, Grid(GLIB_Point(0, 0)), four)}, "0 0 9 9"},
        // Corner 0 pulled out to (-27, -27): the interior point beside it is
        // (4 × 27 + 6 × 3 - 2 × 9 + 3 × 12 - 9) / 9 = 15 in x and in y.
        {6, {Piece(0, Grid(GLIB_Point(-27, -27)), four)}, "-27 -27 15 15"},
        {7, {Piece(0, std::vector<GLIB_Point>(16, GLIB_Point(2, 3)), four),
             Piece(1, std::vector<GLIB_Point>(12, GLIB_Point(7, 1)), {{0}, {0}})},
         "2 1 7 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        const CPDF_MeshEncodingParams params(c.type == 5 ? 0 : 8, 16, 8, Decode(GrayPairs));
        const std::string data = Packed(params, c.pieces);
        const CPDF_Shading shading(Mesh(doc, c.type, data));
        EXPECT_EQ(RectText(c.type == 6 ? shading.AsCoonsPatch().BoundingBox() : shading.AsMesh().BoundingBox()), c.box);
        if (c.type == 5) {
            // A lattice cut short of two rows is refused before it is read.
            EXPECT_EQ(Thrown([&] { CPDF_Shading cut(Mesh(doc, c.type, data.substr(0, data.size() - 1))); }),
                      "1128011 GouraudLattice shading has VerticesPerRow 2 but its data hold 3 vertices, fewer "
                      "than two rows\n");
        } else if (!data.empty()) {
            const CPDF_Shading cut(Mesh(doc, c.type, data.substr(0, data.size() - 1)));
            EXPECT_EQ(Thrown([&] { cut.AsMesh().BoundingBox(); }), "1128028 Premature end of mesh data");
        }
    }
}

TEST(CPDF_MeshShading, BuiltFromValues) {
    const GLOB_Doc doc = NewMemoryDoc();
    const CPDF_ColorSpace rgb = CPDF_ColorSpace::MakeDeviceRGB();
    const CPDF_MeshEncodingParams params(4, 16, 8, Decode({0, 65535, 0, 65535, 0, 1, 0, 1, 0, 1}));
    const std::string data = Packed(params, {Piece(0, {GLIB_Point(10, 20)}, {{1, 0, 0}}),
                                             Piece(0, {GLIB_Point(30, 40)}, {{0, 1, 0}}),
                                             Piece(0, {GLIB_Point(50, 5)}, {{0, 0, 1}})});

    const CPDF_GouraudShading gouraud(doc, GLOB_Stream(new GLOB_ChunkedCore(data)), 1, Obj("<< /AntiAlias true >>"),
                                      GLOB_Object(), rgb, params);
    const CPDF_Shading built(gouraud.Object());
    ASSERT_TRUE(built.IsGouraud());
    EXPECT_EQ(RectText(gouraud.BoundingBox()), "10 5 50 40");
    const CPDF_MeshEncodingParams read = gouraud.EncodingParams();
    EXPECT_EQ(read.BitsPerFlag(), 4u);
    EXPECT_TRUE(read.DecodeArray() == params.DecodeArray());
    EXPECT_TRUE(gouraud.AntiAlias());

    // A lattice over an existing stream writes no BitsPerFlag; its data
    // hold two rows of 7-byte vertices.
    const GLOB_Object stream = StoreStream(doc, std::string(28, '\0'));
    CPDF_GouraudLatticeShading lattice(stream, rgb, CPDF_MeshEncodingParams(0, 16, 8, params.DecodeArray()), 2);
    EXPECT_EQ(lattice.VerticesPerRow(), 2u);
    EXPECT_FALSE(stream.Known(GLOB_Name("BitsPerFlag")));
    lattice.SetBitsPerFlag(8);
    EXPECT_FALSE(stream.Known(GLOB_Name("BitsPerFlag")));
    EXPECT_EQ(Validated(CPDF_Shading::IsValid, stream), "valid");
    EXPECT_EQ(Thrown([&] { lattice.SetVerticesPerRow(1); }), "assert IsValidVerticesPerRow( vertsPerRow )");
    EXPECT_EQ(Validated([](const GLOB_Object&, std::string* m) {
                  return CPDF_GouraudLatticeShading::IsValidVerticesPerRow(1, m);
              }, GLOB_Object()),
              "GouraudLattice shading must have at least 2 vertices per row, found 1\n");

    // With a Function the Decode holds one colour pair.
    CPDF_CoonsPatchShading coons(StoreStream(doc, "", "<< /Function 5 >>"), rgb,
                                 CPDF_MeshEncodingParams(8, 8, 8, Decode({0, 1, 0, 1, 0, 1})));
    EXPECT_EQ(CPDF_Utils::ObjectText(coons.Object().DictGet(GLOB_Name("Decode"))), "[ 0 1 0 1 0 1 ]");
    EXPECT_EQ(Validated(CPDF_CoonsPatchShading::IsValidShading, coons.Object()), "valid");
    EXPECT_EQ(Thrown([&] { coons.WriteEncodingParams(params); }).substr(0, 40),
              "assert params.DecodeArray().Dimension()=");
    EXPECT_EQ(Thrown([&] { CPDF_TensorPatchShading(StoreStream(doc, ""), CPDF_ColorSpace(Obj("/Pattern")), params); }),
              "assert IsValidColorSpace( colorSpace )");
}

// A lattice must hold two whole rows: VerticesPerRow beyond its data is
// refused with both numbers, however large, before any row is read; the
// decoded data count, and only whole vertices.
TEST(CPDF_MeshShading, LatticeRowsMustFitTheData) {
    const GLOB_Doc doc = NewMemoryDoc();
    // 16-bit coordinates and one 8-bit component: 5 bytes a vertex.
    const auto lattice = [&](const std::string& rows, const std::string& data, const char* filter = "") {
        // Stored as given: a filter names what the data are already.
        return StoreStream(doc, data,
                           ("<< /ShadingType 5 /ColorSpace /DeviceGray /BitsPerCoordinate 16 /BitsPerComponent 8 "
                            "/Decode [0 1 0 1 0 1] /VerticesPerRow " + rows + " " + filter + " >>").c_str(),
                           1);
    };
    const auto refusal = [](const std::string& rows, int held) {
        return "GouraudLattice shading has VerticesPerRow " + rows + " but its data hold " + std::to_string(held) +
               " vertices, fewer than two rows\n";
    };
    const std::string vertex(5, '\x7F');
    const struct {
        std::string rows;
        std::string data;
        std::string lines;
    } cases[] = {
        {"2147483647", vertex + vertex, refusal("2147483647", 2)},
        {"2", "", refusal("2", 0)},
        {"3", vertex + vertex + vertex + vertex + vertex + "1234", refusal("3", 5)},
        {"3", vertex + vertex + vertex + vertex + vertex + vertex, "valid"},
        // Two rows and a part of a third: the reader reports the part.
        {"2", vertex + vertex + vertex + vertex + "12", "valid"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows + " " + std::to_string(c.data.size()));
        const GLOB_Object shading = lattice(c.rows, c.data);
        EXPECT_EQ(Validated(CPDF_Shading::IsValid, shading), c.lines);
        if (c.lines != "valid") {
            EXPECT_EQ(Thrown([&] { CPDF_Shading s(shading); }), "1128011 " + c.lines);
        }
    }

    // Compressed data count as decoded: 40 bytes of zeros are 8 vertices.
    std::string packed(64, '\0');
    uLongf size = packed.size();
    const std::string zeros(40, '\0');
    ASSERT_EQ(compress(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(zeros.data()),
                       zeros.size()),
              Z_OK);
    packed.resize(size);
    EXPECT_EQ(Validated(CPDF_Shading::IsValid, lattice("4", packed, "/Filter /FlateDecode")), "valid");
    EXPECT_EQ(Validated(CPDF_Shading::IsValid, lattice("5", packed, "/Filter /FlateDecode")), refusal("5", 8));
}

TEST(CPDF_MeshShading, LatticeVerticesAreCountedAcrossBlocksUpToTheLimit) {
    const CPDF_MeshEncodingParams params(0, 16, 8, Decode(GrayPairs));
    EXPECT_EQ(CPDF_MeshReader::LatticeVertexBytes(params), 5u);
    // Three vertices of 12 + 2 × 12 bits: 36 bits, 5 bytes each.
    EXPECT_EQ(CPDF_MeshReader::LatticeVertexBytes(CPDF_MeshEncodingParams(0, 12, 12, Decode(GrayPairs))), 5u);
    const std::string data(23, 'x');  // 4 vertices and 3 bytes
    for (const std::vector<size_t>& blocks : {std::vector<size_t>{}, {1}, {3, 7}}) {
        SCOPED_TRACE(blocks.size());
        EXPECT_EQ(CPDF_MeshReader::CountLatticeVertices(GLOB_Stream(new GLOB_ChunkedCore(data, blocks)), params, 100),
                  4u);
        // Reading stops once the limit is met.
        const GLOB_Stream stream(new GLOB_ChunkedCore(data, blocks));
        EXPECT_EQ(CPDF_MeshReader::CountLatticeVertices(stream, params, 2), 2u);
    }
}
