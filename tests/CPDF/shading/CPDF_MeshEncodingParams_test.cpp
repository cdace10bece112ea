#include "CPDF/shading/CPDF_MeshEncodingParams.h"

#include "ShadingTestUtil.h"

namespace {

// BitsPerFlag, VerticesPerRow, BitsPerComponent, BitsPerCoordinate and the
// number of colour components.
std::string Fields(const CPDF_MeshEncodingParams& p) {
    std::ostringstream os;
    os << p.BitsPerFlag() << " " << p.VerticesPerRow() << " " << p.BitsPerComponent() << " " << p.BitsPerCoordinate()
       << " " << p.NumColorComponents();
    return os.str();
}

}  // namespace

TEST(CPDF_MeshEncodingParams, Validator) {
    const std::string required = " /BitsPerComponent 8 /BitsPerCoordinate 16 /Decode [0 1 0 1 0 1]";
    const struct {
        std::string dict;
        const char* lines;
    } cases[] = {
        {"<< /BitsPerFlag 0" + required + " >>", "valid"},
        {"<< /BitsPerCoordinate 24 /BitsPerComponent 16 /Decode [0 1 0 1 0 1] >>", "valid"},
        {"<< /BitsPerCoordinate 32 /BitsPerComponent 1 /Decode [0 1 0 1 0 1 0 1] /VerticesPerRow 2 >>", "valid"},
        {"<< /BitsPerFlag 1" + required + " >>", "Mesh encoding BitsPerFlag should be 2, 4, or 8. Found 1\n"},
        {"<< /BitsPerFlag -2 /VerticesPerRow /x" + required + " >>",
         "Mesh encoding BitsPerFlag should be 2, 4, or 8. Found -2\n"
         "Mesh encoding VerticesPerRow should be an Integer, found: Name\n"},
        {"<< /BitsPerFlag 8.0 /VerticesPerRow -3" + required + " >>",
         "Mesh encoding BitsPerFlag should be an Integer, found: Real\n"
         "Mesh encoding VerticesPerRow should be at least 2, found: -3\n"},
        {"<< >>", "Mesh encoding missing BitsPerComponent.\nMesh encoding missing BitsPerCoordinate.\n"
                  "Mesh encoding missing Decode array.\n"},
        {"<< /BitsPerComponent 24 /BitsPerCoordinate 3 /Decode [0 1 0] >>",
         "Mesh encoding BitsPerComponent should be 1, 2, 4, 8, 12, or 16. Found 24\n"
         "Mesh encoding BitsPerCoordinate should be 1, 2, 4, 8, 12, 16, 24, or 32. Found 3\n"
         "Mesh encoding has invalid Decode array: A decode array must be of even length, found 3\n\n"},
        {"<< /BitsPerComponent /a /BitsPerCoordinate 8.0 /Decode [0 1 0 1] >>",
         "Mesh encoding BitsPerComponent should be an Integer, found: Name\n"
         "Mesh encoding BitsPerCoordinate should be an Integer, found: Real\n"
         "Mesh encoding Decode array should have at least 3 pairs, found 2\n"},
        {"[1 2]", "Mesh encoding dictionary must be a Stream or Dictionary, found Array\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dict);
        EXPECT_EQ(Validated(CPDF_MeshEncodingParams::IsValid, Obj(c.dict)), c.lines);
    }
}

TEST(CPDF_MeshEncodingParams, ReadFromADictionary) {
    const GLOB_Doc doc = NewMemoryDoc();
    const char* const entries = "/BitsPerComponent 4 /BitsPerCoordinate 12 /Decode [0 100 -5 5 0 1 0 1 0 1]";
    const CPDF_MeshEncodingParams absent(Obj(std::string("<< ") + entries + " >>"));
    EXPECT_EQ(Fields(absent), "0 0 4 12 3");
    EXPECT_TRUE(absent.DecodeArray() == Decode({0, 100, -5, 5, 0, 1, 0, 1, 0, 1}));
    // A stream's dictionary; a lattice has no flags whatever BitsPerFlag says.
    const auto stream = [&](const std::string& more) {
        return CPDF_MeshEncodingParams(StoreStream(doc, "", ("<< " + more + entries + " >>").c_str()));
    };
    EXPECT_EQ(Fields(stream("/ShadingType 4 /BitsPerFlag 2 ")), "2 0 4 12 3");
    const CPDF_MeshEncodingParams lattice = stream("/ShadingType 5 /BitsPerFlag 8 /VerticesPerRow 3 ");
    EXPECT_EQ(Fields(lattice), "0 3 4 12 3");
    EXPECT_EQ(Fields(CPDF_MeshEncodingParams(Obj("<< /BitsPerComponent 8 /BitsPerCoordinate 8 /Decode [0 1 0 1 0 1] >>"))),
              "0 0 8 8 1");
    EXPECT_EQ(Thrown([] { CPDF_MeshEncodingParams p(Obj("<< >>")); }), "assert IsValid( meshEncodingDict )");
    // Copies share one record.
    EXPECT_EQ(Fields(CPDF_MeshEncodingParams(lattice)), "0 3 4 12 3");
}

TEST(CPDF_MeshEncodingParams, MapsValues) {
    const CPDF_MeshEncodingParams eight(8, 8, 8, Decode({0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(eight.EncodeComponent(0, 0.5), 128u);
    EXPECT_EQ(eight.EncodeComponent(0, -0.1), 0u);
    EXPECT_EQ(eight.EncodeComponent(0, 1.7), 255u);
    EXPECT_EQ(eight.DecodeComponent(0, 51), 0.2);

    const CPDF_MeshEncodingParams wide(0, 32, 16, Decode({0, 1, -100, 100, 2, 0}), 4);
    EXPECT_EQ(wide.VerticesPerRow(), 4u);
    uint32_t x, y;
    wide.EncodePoint(GLIB_Point(1.0, 0.0), x, y);
    EXPECT_EQ(x, 4294967295u);
    EXPECT_EQ(y, 2147483648u);
    EXPECT_EQ(wide.DecodePoint(4294967295u, 0).X(), 1.0);
    EXPECT_EQ(wide.DecodePoint(0, 0).Y(), -100.0);
    // An inverted pair: 0 decodes to its Dmin 2.
    EXPECT_EQ(wide.DecodeComponent(0, 0), 2.0);
    EXPECT_EQ(wide.EncodeComponent(0, 0.0), 65535u);
    // Every raw value comes back through decoding and encoding.
    for (uint32_t raw : {0u, 1u, 2147483647u, 4000000000u, 4294967294u, 4294967295u}) {
        const GLIB_Point p = wide.DecodePoint(raw, raw);
        wide.EncodePoint(p, x, y);
        EXPECT_EQ(x, raw);
        EXPECT_EQ(y, raw);
    }
}
