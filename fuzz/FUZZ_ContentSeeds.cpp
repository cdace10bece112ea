#include "FUZZ_ContentSeeds.h"

#include "CPDF/shading/CPDF_MeshReader.h"
#include "CPDF/shading/CPDF_MeshWriter.h"
#include "FILT/FILT_FlateEncode.h"
#include "FUZZ_Input.h"
#include "FUZZ_Objects.h"
#include "support/FilterDriver.h"
#include "support/GLOB_ChunkedCore.h"

#include <random>

namespace {

// The programs of the calculator's tests: operators, compilation, refusals.
const char* const Programs[] = {
    "{ 2 3 add 2 3.5 add 2 3 sub 2.5 3 mul }",
    "{ 2147483647 1 add -2147483648 1 sub 65536 65536 mul -2147483648 -1 mul }",
    "{ 4 2 div 1.0 2 div 1 0 div }",
    "{ -2 3 exp 2 -1 exp 4 0.5 exp -8 0.5 exp }",
    "{ 0 1 atan 1 0 atan 0 -1 atan -1 0 atan 0 0 atan 1 1 atan -1 1 atan 0.0 -0.0 atan }",
    "{ -7 2 idiv 7 -2 idiv -7 2 mod 7 -2 mod -2147483648 -1 idiv -2147483648 -1 mod }",
    "{ 1 31 bitshift 1 32 bitshift -1 -32 bitshift 8 -40 bitshift -2147483648 -2147483648 bitshift }",
    "{ -3 abs -2.5 abs -2147483648 abs 3 neg 2.5 neg -2147483648 neg }",
    "{ 2.5 ceiling -2.5 floor 3 floor 3 ceiling 2.5 round -2.5 round 3 round 2.49 round }",
    "{ 2.7 cvi -2.7 cvi -2.7 truncate 3 truncate 2 cvr 2.5 cvr }",
    "{ 3000000000.0 truncate 3000000000.0 cvi -3000000000.0 cvi 2147483647.9 cvi }",
    "{ 4 sqrt 100 log 1 ln 90 sin 180 cos -1 sqrt 0 ln }",
    "{ true false and true false or true true xor 12 10 and 12 10 or 12 10 xor 0 not true not }",
    "{ 1 1.0 eq true 1 eq true 1 ne true true eq false true ne 1 2 lt 2 2 le 2.5 2 gt 2 2.5 ge }",
    "{ 1 dup 2 exch pop 1 2 3 3 copy 1 2 0 copy -1 copy 1 2 3 2 index 0 index }",
    "{ 1 2 3 3 1 roll 3 -1 roll 4 2 roll 3 4 roll 3 -2147483648 roll 3 3 roll 7 0 1 roll }",
    "{ 1 2 3 roll }",
    "{ 3 true { false { 1 } { 2 } ifelse } { 4 } ifelse 5 }",
    "{ dup 0.5 gt { pop 1 } { 2 mul } ifelse }",
    "{ true { false { 1 } if } if }",
    "{true{1}{2}ifelse}",
    "{ dup 0.5 gt { pop 1 } { } ifelse }",
    "{ 1 1.0 -0 +2 .5 3000000000 -3000000000 2147483647 -2147483648 2147483648 }",
    "{ dup 0.1 mul exch dup 0.2 mul exch dup 0.3 mul exch 0.4 mul }",
    "{ 0.9 0.1 0.2 0.3 0.4 }",
    "{ cvi 2 mod }",
    "{ 3000000000 add }",
    "{ dup mul }",
    "{ dup 0.2 mul exch dup 0.5 mul 0.1 add exch 1 exch sub }",
    "{ add }",
    "{ 3 copy add 4 1 roll mul exch 2 index sub atan cvi 7 mod 3 -1 roll }",
    "{ 1 exch sub dup 0.25 le { 0.5 exp } { dup cvi 2 bitshift pop 10 log mul } ifelse dup dup dup }",
    "{ 1 stop 2 }",
    "{ true 2.5 print }",
    "{ 1 } 2",
    "{ 1 % note\n }",
    "{ (abc) [ 1 ] << >> null }",
    "{ true { 1 } { 2 } { 3 } ifelse }",
    "{ { 1 } { 0 } ifelse }",
    "{ 0.5 gt }",
};

// Point bytes (FUZZ_PSFunction): the interval's ends, inside, beyond it,
// NaN, infinities, a value past 32 bits.
const char PointBytes[] = "\x20\xd8\x7c\x00\xff\xf8\xf9\xfe\x40\xb0\xfa\x30\x90\x21\xd7\x60";

// Mesh seeds: random pieces of a type, packed with params.
std::string Mesh(uint32_t type, const CPDF_MeshEncodingParams& params, int count, unsigned seed) {
    std::mt19937 random(seed);
    CPDF_MeshReader counts;
    counts.Open(GLOB_Stream(new GLOB_ChunkedCore()), type, params);
    auto* core = new GLOB_ChunkedCore();
    const GLOB_Stream output(core);
    CPDF_MeshWriter writer(output, params);
    const uint32_t n = static_cast<uint32_t>(params.NumColorComponents());
    for (int i = 0; i < count; ++i) {
        // Patches and triangles start afresh, then continue by flags 1 to 3.
        const uint32_t flag = type == 5 || i < (type == 4 ? 3 : 1) ? 0 : 1 + random() % (type == 4 ? 2 : 3);
        CPDF_MeshPiece piece(flag, counts.ControlPointCount(flag), counts.ColorCount(flag), n);
        for (uint32_t p = 0; p < piece.NumControlPoints(); ++p)
            piece.SetControlPoint(p, GLIB_Point(random() % 1000, random() % 1000));
        for (uint32_t c = 0; c < piece.NumColors(); ++c)
            for (uint32_t k = 0; k < n; ++k)
                piece.SetColorComponent(c, k, (random() % 101) / 100.0);
        writer.WritePiece(piece);
    }
    writer.Flush();
    return core->written;
}

// Decode pairs x [0 1008], y [0 1008], components [0 1], as the mesh
// target's signed bytes × 16 and as PDF text.
CPDF_MeshEncodingParams MeshParams(uint32_t flagBits, uint32_t coordinateBits, uint32_t componentBits,
                                   unsigned components, uint32_t verticesPerRow = 0) {
    std::vector<double> pairs = {0, 1008, 0, 1008};
    for (unsigned k = 0; k < components; ++k)
        pairs.insert(pairs.end(), {0, 1});
    return CPDF_MeshEncodingParams(flagBits, coordinateBits, componentBits,
                                   CPDF_DecodeArray(pairs.data(), 2 + components), verticesPerRow);
}

// The index FUZZ_MeshReader takes for a width: of 0, 1, 2, 4, ... 32 for a
// flag, of 1, 2, 4, ... 32 for a coordinate or component.
size_t WidthIndex(uint32_t bits, bool flag) {
    static const uint32_t widths[] = {0, 1, 2, 4, 8, 12, 16, 24, 32};
    size_t i = 0;
    while (widths[i] != bits)
        ++i;
    return flag ? i : i - 1;
}

std::string Flate(const std::string& data) {
    FILT_FlateEncode encoder;
    return RunFilter(encoder, data, {{0}, {0}});
}

// A mesh shading stream over a colour space, its data packed by the writer.
std::string MeshShading(uint32_t type, const char* colorSpace, unsigned components, const char* extra,
                        uint32_t flagBits, uint32_t coordinateBits, uint32_t componentBits, bool flate) {
    const uint32_t rows = type == 5 ? 3 : 0;
    const CPDF_MeshEncodingParams params = MeshParams(type == 5 ? 0 : flagBits, coordinateBits, componentBits,
                                                      components, rows);
    std::string decode = "[0 1008 0 1008";
    for (unsigned k = 0; k < components; ++k)
        decode += " 0 1";
    const std::string mesh = Mesh(type, params, type == 5 ? 6 : 5, type);
    std::string dict = "<< /ShadingType " + std::to_string(type) + " /ColorSpace " + colorSpace +
                       " /BitsPerCoordinate " + std::to_string(coordinateBits) + " /BitsPerComponent " +
                       std::to_string(componentBits) + " /Decode " + decode + "] " + extra;
    dict += type == 5 ? " /VerticesPerRow 3" : " /BitsPerFlag " + std::to_string(flagBits);
    dict += flate ? " /Filter /FlateDecode >>" : " >>";
    return FUZZ_Objects::Stream(dict, flate ? Flate(mesh) : mesh);
}

// Colour objects of the tests, as FUZZ_Objects texts.
std::vector<std::string> ColorObjectSeeds() {
    const std::string tint4 = FUZZ_Objects::Stream("<< /FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] >>",
                                                   "{ dup 0.1 mul exch dup 0.2 mul exch dup 0.3 mul exch 0.4 mul }");
    const std::string sampled = FUZZ_Objects::Stream(
        "<< /FunctionType 0 /Domain [0 1 0 1] /Range [0 1 0 1 0 1] /Size [2 2] /BitsPerSample 8 >>",
        std::string("\x00\x00\x00\xff\x00\x00\x00\xff\x00\xff\xff\x00", 12));
    const std::string sampled16 = FUZZ_Objects::Stream(
        "<< /FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] /Size [3] /BitsPerSample 16 /Order 3 "
        "/Encode [0 2] /Decode [0 1 0 1 0 1 0 1] /Filter /FlateDecode >>",
        Flate(std::string("\x00\x00\x10\x00\x20\x00\x30\x00\x80\x00\x90\x00\xa0\x00\xb0\x00"
                          "\xff\xff\xf0\x00\xe0\x00\xd0\x00", 24)));
    const char* const exp = "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0] /C1 [1 0.5 0] /N 1 >>";
    const std::string lookup = FUZZ_Objects::Stream("<< /Filter /FlateDecode >>",
                                                    Flate(std::string("\x00\x00\x00\xff\x80\x40\x20\x10\xff", 9)));
    const std::string image = FUZZ_Objects::Stream(
        "<< /Type /XObject /Subtype /Image /Width 4 /Height 2 /BitsPerComponent 8 /ColorSpace /@1 "
        "/Mask [0 10] /Decode [1 0] /Interpolate true /Intent /Perceptual >>",
        "\x01\x02\x03\x04\x05\x06\x07\x08");
    const std::string stencil = FUZZ_Objects::Stream(
        "<< /Subtype /Image /Width 8 /Height 2 /ImageMask true /BitsPerComponent 1 /Decode [1 0] >>", "\xf0\x0f");
    return {
        // Spot inks with tint transforms of every type.
        FUZZ_Objects::Text({"[/Separation /Spot /DeviceCMYK /@1]", tint4}),
        FUZZ_Objects::Text({"[/Separation /PANTONE#20185#20C /DeviceRGB /@1]", exp}),
        FUZZ_Objects::Text({"[/DeviceN [/Cyan /Spot] /DeviceRGB /@1 << /Colorants << /Spot /@2 >> >>]", sampled,
                            "[/Separation /Spot /DeviceRGB /@3]", exp}),
        FUZZ_Objects::Text({"[/DeviceN [/A /None /None] /DeviceCMYK /@1]",
                            "<< /FunctionType 3 /Domain [0 1] /Functions [/@2 /@3] /Bounds [0.5] /Encode [0 1 1 0] >>",
                            tint4, sampled16}),
        FUZZ_Objects::Text({"[/Separation /All /DeviceGray << /FunctionType 2 /Domain [0 1] /N 2 >>]"}),
        // Indexed over a string, a Flate stream and a spot ink.
        FUZZ_Objects::Text({"[/Indexed /DeviceRGB 3 <FF000000FF000000FF808080>]"}),
        FUZZ_Objects::Text({"[/Indexed /@1 2 /@2]", "[/Separation /Black /DeviceGray /@3]", lookup, exp}),
        FUZZ_Objects::Text({"[/Indexed [/Lab << /WhitePoint [0.9505 1 1.089] /Range [-100 100 -100 100] >>] 1 "
                            "<00000080808000>]"}),
        // ICC profiles with alternates and ranges.
        FUZZ_Objects::Text({"[/ICCBased /@1]", FUZZ_Objects::Stream("<< /N 3 /Alternate /DeviceRGB /Range [0 1 0 1 0 1] >>",
                                                                    "\0\0\2\x0cprofile")}),
        FUZZ_Objects::Text({"[/ICCBased /@1]",
                            FUZZ_Objects::Stream("<< /N 4 /Filter /ASCIIHexDecode >>", "0000 0C0C 6170 706C>")}),
        FUZZ_Objects::Text({"[/ICCBased /@1]", FUZZ_Objects::Stream("<< /N 1 /Alternate /@2 /Range [0 2] >>", ""),
                            "[/CalGray << /WhitePoint [1 1 1] /Gamma 2 >>]"}),
        // The CIE families and Pattern.
        FUZZ_Objects::Text({"[/CalRGB << /WhitePoint [1 1 1] /Gamma [1.8 0 2.2] /Matrix [-1 -1 -1 -1 -1 -1 -1 -1 -1] "
                            "/BlackPoint [0 0 0] >>]"}),
        FUZZ_Objects::Text({"[/Lab << /WhitePoint [1 1 1] /Range [0 0 5 5] >>]"}),
        FUZZ_Objects::Text({"[/Pattern /@1]", "[/Separation /Spot /DeviceCMYK /@2]", tint4}),
        FUZZ_Objects::Text({"/DeviceRGB", "[/DeviceCMYK]", "/Pattern", "[/DeviceGray /DeviceGray]"}),
        // Objects that reach themselves.
        FUZZ_Objects::Text({"[/Indexed /@0 0 <00>]"}),
        FUZZ_Objects::Text({"[/Separation /S /@0 /@0]"}),
        FUZZ_Objects::Text({"<< /FunctionType 3 /Domain [0 1] /Functions [/@0] /Bounds [] /Encode [0 1] >>"}),
        FUZZ_Objects::Text({"<< /FunctionType 3 /Domain [0 1] /Functions [/@1 /@1] /Bounds [0.5] /Encode [0 1 0 1] >>",
                            "<< /FunctionType 3 /Domain [0 1] /Functions [/@2 /@2] /Bounds [0.5] /Encode [0 1 0 1] >>",
                            "<< /FunctionType 3 /Domain [0 1] /Functions [/@3 /@3] /Bounds [0.5] /Encode [0 1 0 1] >>",
                            exp}),
        // Shadings of every type.
        FUZZ_Objects::Text({"<< /ShadingType 1 /ColorSpace /@1 /Domain [0 2 0 3] /Matrix [2 0 0 2 10 10] /Function /@2 "
                            "/Background [0.5] /BBox [0 0 10 10] /AntiAlias true >>",
                            "[/Separation /Spot /DeviceCMYK /@3]",
                            FUZZ_Objects::Stream("<< /FunctionType 4 /Domain [0 2 0 3] /Range [0 1] >>",
                                                 "{ mul 6 div }"),
                            tint4}),
        FUZZ_Objects::Text({"<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] /Extend [true false] "
                            "/Domain [0 1] /Function [/@1 /@1 /@1] >>",
                            "<< /FunctionType 2 /Domain [0 1] /N 1 >>"}),
        FUZZ_Objects::Text({"<< /ShadingType 3 /ColorSpace /DeviceGray /Coords [0 0 10 100 0 20] /Extend [false true] "
                            "/Function /@1 >>",
                            "<< /FunctionType 2 /Domain [0 1] /N 0.5 >>"}),
        FUZZ_Objects::Text({MeshShading(4, "/DeviceRGB", 3, "", 8, 16, 8, false)}),
        FUZZ_Objects::Text({MeshShading(4, "/@1", 1, "/Function /@2", 2, 12, 16, true),
                            "[/DeviceN [/A /B /C /D] /DeviceCMYK /@3]", "<< /FunctionType 2 /Domain [0 1] /C1 [1 1 1 1] "
                            "/N 1 /Range [0 1 0 1 0 1 0 1] >>",
                            "<< /FunctionType 2 /Domain [0 1] /N 1 >>"}),
        FUZZ_Objects::Text({MeshShading(5, "/DeviceCMYK", 4, "/BBox [0 0 500 500]", 0, 8, 4, false)}),
        FUZZ_Objects::Text({MeshShading(6, "/DeviceGray", 1, "", 4, 32, 12, false)}),
        FUZZ_Objects::Text({MeshShading(7, "/@1", 1, "", 8, 24, 1, true), "[/Separation /Spot /DeviceCMYK /@2]", tint4}),
        // Images: colour-key and position masks, a stencil mask, an Indexed image.
        FUZZ_Objects::Text({image, "[/Indexed /DeviceRGB 255 /@2]", lookup}),
        FUZZ_Objects::Text({FUZZ_Objects::Stream("<< /Subtype /Image /Width 2 /Height 2 /BitsPerComponent 4 "
                                                 "/ColorSpace /DeviceCMYK /Mask /@1 >>",
                                                 "\x12\x34\x56\x78\x9a\xbc\xde\xf0"),
                            stencil}),
        FUZZ_Objects::Text({stencil}),
        FUZZ_Objects::Text({FUZZ_Objects::Stream("<< /Subtype /Image /Width 3 /Height 1 /BitsPerComponent 8 "
                                                 "/ColorSpace [/Lab << /WhitePoint [0.95 1 1.09] >>] /Filter "
                                                 "/FlateDecode /Mask [0 255 -128 127 -128 127] >>",
                                                 Flate("\x10\x20\x30\x40\x50\x60\x70\x80\x90"))}),
        // Resources: forms, patterns and a Type3 font, some of them reaching back.
        FUZZ_Objects::Text({"<< /ColorSpace << /CS0 /@1 /CS1 /@2 >> /XObject << /Fm0 /@3 /Im0 /@4 >> /Pattern << "
                            "/P0 /@5 /P1 /@6 >> /Shading << /Sh0 /@7 >> /Font << /T3 /@8 >> >>",
                            "[/Separation /Spot1 /DeviceCMYK /@9]",
                            "[/DeviceN [/Spot2 /Cyan] /DeviceCMYK /@9]",
                            FUZZ_Objects::Stream("<< /Type /XObject /Subtype /Form /Resources /@0 >>", "0 0 m"),
                            image,
                            FUZZ_Objects::Stream("<< /Type /Pattern /PatternType 1 /Resources << /ColorSpace << /C "
                                                 "[/Separation /Spot3 /DeviceGray /@9] >> >> >>",
                                                 ""),
                            "<< /Type /Pattern /PatternType 2 /Shading /@7 >>",
                            "<< /ShadingType 2 /ColorSpace [/Separation /Spot4 /DeviceCMYK /@9] /Coords [0 0 1 0] "
                            "/Function /@9 >>",
                            "<< /Type /Font /Subtype /Type3 /Resources << /XObject << /Fm /@3 >> >> >>",
                            tint4}),
        FUZZ_Objects::Text({"<< /Type /Page /Parent /@1 >>", "<< /Type /Pages /Resources /@2 /Parent /@1 >>",
                            "<< /ColorSpace << /CS0 [/Indexed [/Separation /Spot /DeviceGray /@3] 1 <00FF>] >> >>",
                            "<< /FunctionType 2 /Domain [0 1] /N 1 >>"}),
    };
}

}  // namespace

std::map<std::string, std::vector<std::string>> FUZZ_ContentSeeds() {
    std::map<std::string, std::vector<std::string>> seeds;
    // Shapes and intervals in turn; point bytes for up to four inputs.
    size_t turn = 0;
    for (const char* program : Programs) {
        const char shape = static_cast<char>(turn % 16 + turn / 3 % 4 * 16);
        const unsigned inputs = 1 + shape % 4;
        seeds["PSFunction"].push_back(std::string(1, shape) + FUZZ_Input::SeedChunks(turn).substr(0, 3) + program +
                                      std::string(PointBytes + turn % 3, 3 * inputs));
        ++turn;
    }
    // Meshes of every type at a few widths, with the bytes FUZZ_MeshReader
    // reads first: type, widths, components, vertices per row, Decode.
    const struct {
        uint32_t type, flagBits, coordinateBits, componentBits;
        unsigned components;
    } meshes[] = {{4, 8, 16, 8, 3}, {4, 2, 12, 16, 1}, {5, 0, 8, 4, 4}, {5, 0, 32, 1, 1},
                  {6, 4, 32, 12, 1}, {6, 8, 8, 8, 3},  {7, 8, 24, 1, 1},  {7, 2, 1, 2, 2}};
    for (const auto& m : meshes) {
        std::string head = {static_cast<char>(m.type - 4), static_cast<char>(WidthIndex(m.flagBits, true)),
                            static_cast<char>(WidthIndex(m.coordinateBits, false)),
                            static_cast<char>(WidthIndex(m.componentBits, false)), static_cast<char>(m.components - 1),
                            1, 0, 63, 0, 63};
        for (unsigned k = 0; k < m.components; ++k)
            head += std::string("\0\1", 2);
        const CPDF_MeshEncodingParams params = MeshParams(m.flagBits, m.coordinateBits, m.componentBits, m.components, 3);
        seeds["MeshReader"].push_back(head + FUZZ_Input::SeedChunks(turn++).substr(0, 3) +
                                      Mesh(m.type, params, 7, m.type * 31 + m.components));
    }
    seeds["ColorReaders"] = ColorObjectSeeds();
    return seeds;
}
