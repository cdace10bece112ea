#include "support/SeparationCorpus.h"

#include "CPDF/document/CPDF_MemoryImpl.h"
#include "CPDF/function/CPDF_Function.h"
#include "CPDF/function/CPDF_SampleTable.h"
#include "CPDF/shading/CPDF_MeshEncodingParams.h"
#include "CPDF/shading/CPDF_MeshPiece.h"
#include "CPDF/shading/CPDF_MeshWriter.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StringStream.h"
#include "support/GLOB_ChunkedCore.h"
#include "support/StreamBytes.h"
#include "support/PackedSamples.h"

#include <string>
#include <vector>

namespace {

const char* const Gold = "[/Separation /Gold /DeviceCMYK << /FunctionType 2 /Domain [0 1] "
                         "/C0 [0 0 0 0] /C1 [0 0.2 0.9 0.1] /N 1 >>]";
const char* const Silver = "[/Separation /Silver /DeviceCMYK << /FunctionType 2 /Domain [0 1] "
                           "/C0 [0 0 0 0] /C1 [0.2 0.1 0.1 0.3] /N 1 >>]";

// Of inputs Cyan and Silver: Cyan plus some of Silver's equivalent.
const char* const CyanSilver = "{ dup 0.2 mul 3 -1 roll add exch dup 0.1 mul exch dup 0.1 mul exch 0.3 mul }";

std::string Str(const char* text) { return text; }

// One page in a new memory document, its resources and content given as
// text; streams and indirect objects are put in by object path.
class PageMaker {
public:
    explicit PageMaker(const GLIB_Rect& mediaBox = GLIB_Rect(0, 0, 200, 200)) : m_doc(CPDF_MemoryImpl::Make()) {
        m_doc.Create();
        m_page = m_doc.CreatePage(0, mediaBox);
    }

    GLOB_Object Parse(const std::string& text) const { return m_doc.ParseObject(text); }
    // The parsed object made indirect.
    GLOB_Object Indirect(const std::string& text) const { return m_doc.MakeCosObj(Parse(text), 0x01); }
    // A stream of data stored as they are.
    GLOB_Object Stream(const std::string& dict, const std::string& data) const {
        return m_doc.NewStream(GLOB_Stream(new GLOB_StringStream(data)), 1, Parse(dict), GLOB_Object(), -1);
    }
    // A stream of data encoded on the way in through the dictionary's
    // /Filter (the project's encoders), with encodeParams when given.
    GLOB_Object Encoded(const std::string& dict, const std::string& data, const char* encodeParams = nullptr) const {
        return m_doc.NewStream(GLOB_Stream(new GLOB_StringStream(data)), 0, Parse(dict),
                               encodeParams ? Parse(encodeParams) : GLOB_Object(), -1);
    }
    // The stored bytes of data encoded through filter, for inline images.
    std::string EncodedBytes(const char* filter, const std::string& data) const {
        const GLOB_Object stream = Encoded(Str("<< /Filter ") + filter + " >>", data);
        GLOB_Stream read = stream.OpenStream(0);
        const std::string bytes = ReadToEnd(read);
        read.Close();
        return bytes;
    }
    // A FunctionType 0 stream sampling the function given as text (a
    // dictionary, or a type 4 program's dictionary and body).
    GLOB_Object Sampled(const std::string& function, const std::vector<uint32_t>& size, unsigned bits,
                        const std::string& program = std::string()) const {
        const GLOB_Object source = program.empty() ? Parse(function) : Stream(function, program);
        return CPDF_SampleTable(CPDF_Function(source), size, bits).MakeObject(m_doc);
    }
    // A type 4 function of inputs inputs to CMYK.
    GLOB_Object ToCMYK(int inputs, const std::string& program) const {
        std::string domain;
        for (int i = 0; i < inputs; ++i)
            domain += " 0 1";
        return Stream("<< /FunctionType 4 /Domain [" + domain + " ] /Range [0 1 0 1 0 1 0 1] >>", program);
    }
    // A mesh shading stream: the dictionary's encoding entries pack the
    // pieces (CPDF_MeshWriter), and its /Filter encodes them.
    GLOB_Object Mesh(const std::string& dict, const std::vector<CPDF_MeshPiece>& pieces) const {
        auto* core = new GLOB_ChunkedCore();
        const GLOB_Stream output(core);
        CPDF_MeshWriter writer(output, CPDF_MeshEncodingParams(Parse(dict)));
        for (const CPDF_MeshPiece& piece : pieces)
            writer.WritePiece(piece);
        writer.Flush();
        return Encoded(dict, core->written);
    }

    void Resources(const std::string& text) { m_page.SetResources(Parse(text)); }
    // value under an object path of the resources.
    void Put(const char* path, const GLOB_Object& value) const {
        m_page.Object().DictGet(GLOB_Name("Resources")).PutPath(path, value);
    }
    void Content(const std::string& text) { m_page.SetContents(Stream("<< >>", text)); }
    CPDF_Page& Page() { return m_page; }
    CPDF_Doc Doc() const { return m_doc; }

private:
    CPDF_Doc m_doc;
    CPDF_Page m_page;
};

// A piece of a mesh: its flag, points and colours.
CPDF_MeshPiece Piece(uint32_t flag, const std::vector<GLIB_Point>& points,
                     const std::vector<std::vector<double>>& colors) {
    const uint32_t n = static_cast<uint32_t>(colors[0].size());
    CPDF_MeshPiece piece(flag, static_cast<uint32_t>(points.size()), static_cast<uint32_t>(colors.size()), n);
    for (uint32_t i = 0; i < points.size(); ++i)
        piece.SetControlPoint(i, points[i]);
    for (uint32_t c = 0; c < colors.size(); ++c)
        for (uint32_t k = 0; k < n; ++k)
            piece.SetColorComponent(c, k, colors[c][k]);
    return piece;
}

// The boundary control points of a patch over the rectangle, in data order
// (up the left side, across the top, down the right, back along the
// bottom), the top bowed up by bow; with interior, the four inner points of
// a tensor patch after them.
std::vector<GLIB_Point> PatchPoints(double x0, double y0, double x1, double y1, double bow, bool interior) {
    const double dx = (x1 - x0) / 3, dy = (y1 - y0) / 3;
    std::vector<GLIB_Point> points = {
        {x0, y0},          {x0, y0 + dy},          {x0, y0 + 2 * dy},      {x0, y1},
        {x0 + dx, y1 + bow}, {x0 + 2 * dx, y1 + bow}, {x1, y1},             {x1, y0 + 2 * dy},
        {x1, y0 + dy},     {x1, y0},               {x0 + 2 * dx, y0},      {x0 + dx, y0},
    };
    if (interior)
        for (const GLIB_Point& p : std::vector<GLIB_Point>{
                 {x0 + dx, y0 + dy}, {x0 + dx, y0 + 2 * dy}, {x0 + 2 * dx, y0 + 2 * dy}, {x0 + 2 * dx, y0 + dy}})
            points.push_back(p);
    return points;
}

// Samples that vary over the image: a diagonal ramp per component, offset
// by the component so the inks differ, within maxValue.
std::string Ramp(int width, int height, int components, int bits) {
    const int maxValue = (1 << bits) - 1;
    return Packed(width, height, components, bits, [&](int x, int y, int c) {
        return ((x + y + 1) * (c + 1) * maxValue / (width + height)) % (maxValue + 1);
    });
}

// 1. Knock-out fills and strokes in DeviceGray, DeviceCMYK and Separation.
CPDF_Doc KnockOut() {
    PageMaker p;
    p.Resources(Str("<< /ColorSpace << /CS0 ") + Gold + " >> >>");
    p.Content("q 0.1 0.5 0.8 0.2 k 10 10 100 100 re f\n"
              "0.3 g 6 w 0.6 0 0.2 0 K 60 60 80 80 re B\n"
              "/CS0 cs 0.7 scn 20 140 m 180 140 l 100 195 l h 100 150 m 150 190 l 50 190 l h f*\n"
              "/CS0 CS 0.4 SCN 4 w 10 190 m 190 120 l S Q\n"
              "q 120 10 70 70 re W n 0 0 0 1 k 100 0 100 100 re f\n"
              "0.5 g 0.2 0 0 0 K 140 30 m 190 30 l 190 70 l h b Q\n");
    return p.Doc();
}

// 2. Overprint: op/OP and OP alone, OPM 0 and 1, DeviceGray under
// overprint, Gold under a K rectangle.
CPDF_Doc Overprint() {
    PageMaker p;
    p.Resources(Str("<< /ColorSpace << /CS0 ") + Gold +
                " >> /ExtGState << /GS0 << /OP false /op false >> /GS1 << /OP true /op true /OPM 0 >> "
                "/GS2 << /OP true >> /GS3 << /OP true /op true /OPM 1 >> >> >>");
    p.Content("0 0.6 0 0 k 0 0 200 100 re f\n"
              "/GS1 gs 0 0 0.5 0 k 10 10 80 80 re f\n"
              "/GS3 gs 0 0 0.5 0 k 110 10 80 80 re f\n"
              "/GS2 gs 0.4 0 0 0 K 8 w 0 50 m 200 50 l S\n"
              "/GS1 gs 0.5 g 10 110 70 80 re f\n"
              "/GS0 gs /CS0 cs 0.8 scn 100 110 90 80 re f\n"
              "/GS1 gs 0 0 0 1 k 130 130 60 60 re f\n");
    return p.Doc();
}

// 3. Separation All and None; DeviceN with type 4 tint transforms.
CPDF_Doc AllNoneDeviceN() {
    PageMaker p;
    p.Resources("<< /ColorSpace << /CSA [/Separation /All /DeviceCMYK << /FunctionType 2 /Domain [0 1] "
                "/C0 [0 0 0 0] /C1 [1 1 1 1] /N 1 >>] /CSN [/Separation /None /DeviceCMYK << /FunctionType 2 "
                "/Domain [0 1] /C0 [0 0 0 0] /C1 [1 0 0 0] /N 1 >>] /DN1 [/DeviceN [/Cyan /Gold /None] "
                "/DeviceCMYK 0] /DN2 [/DeviceN [/Gold /Silver] /DeviceCMYK 0] >> >>");
    p.Put("/ColorSpace/DN1[3]",
          p.ToCMYK(3, "{ pop dup 0.2 mul exch dup 0.9 mul exch 0.1 mul }"));
    p.Put("/ColorSpace/DN2[3]",
          p.ToCMYK(2, "{ dup 0.2 mul 3 1 roll 0.3 mul exch dup 0.2 mul exch dup 0.9 mul exch 0.1 mul "
                      "4 -1 roll add }"));
    p.Content("/CSA cs 0.4 scn 10 10 70 70 re f\n"
              "/CSN cs 1 scn 40 40 60 60 re f\n"
              "/DN1 cs 0.5 0.7 1 scn 100 10 90 90 re f\n"
              "/DN2 cs 0.6 0.4 scn 10 110 180 80 re f\n");
    return p.Doc();
}

// 4. Indexed over DeviceCMYK, Separation, DeviceN and DeviceGray, as fills
// and as images.
CPDF_Doc Indexed() {
    PageMaker p;
    const GLOB_Object cmyk = p.Indirect("[/Indexed /DeviceCMYK 2 <00000000 80200000 1060A040>]");
    const GLOB_Object silver = p.Indirect(Str("[/Indexed ") + Silver + " 1 <00B0>]");
    const GLOB_Object deviceN = p.Indirect("[/Indexed [/DeviceN [/Gold /Magenta] /DeviceCMYK 0] 2 <0000 C020 30D0>]");
    deviceN.Get(1).ArrayPut(
        3, p.ToCMYK(2, "{ exch dup 0.2 mul 3 -1 roll add exch dup 0.9 mul exch 0.1 mul 0 4 1 roll }"));
    const GLOB_Object gray = p.Indirect("[/Indexed /DeviceGray 3 <00 55 AA FF>]");
    p.Resources("<< /ColorSpace << >> /XObject << >> >>");
    const GLOB_Object spaces[] = {cmyk, silver, deviceN, gray};
    const int bits[] = {2, 1, 2, 2};
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i + 1);
        p.Put(("/ColorSpace/I" + n).c_str(), spaces[i]);
        const std::string dict = "<< /Type /XObject /Subtype /Image /Width 5 /Height 4 /BitsPerComponent " +
                                 std::to_string(bits[i]) + " /Filter /FlateDecode >>";
        const int maxIndex = i == 1 ? 1 : i == 3 ? 3 : 2;
        const GLOB_Object image = p.Encoded(dict, Packed(5, 4, 1, bits[i], [&](int x, int y, int) {
                                                return (x + y) % (maxIndex + 1);
                                            }));
        image.DictPut(GLOB_Name("ColorSpace"), spaces[i]);
        p.Put(("/XObject/Im" + n).c_str(), image);
    }
    p.Content("/I1 cs 2 scn 10 10 40 40 re f /I2 cs 1 scn 60 10 40 40 re f\n"
              "/I3 cs 1 scn 110 10 40 40 re f /I4 cs 1 scn 160 10 30 40 re f\n"
              "q 80 0 0 60 10 60 cm /Im1 Do Q q 80 0 0 60 110 60 cm /Im2 Do Q\n"
              "q 80 0 0 60 10 130 cm /Im3 Do Q q 80 0 0 60 110 130 cm /Im4 Do Q\n");
    return p.Doc();
}

// 5. DeviceCMYK images at 1, 2, 4 and 8 bits of odd width, one with an
// inverting Decode, one DCT and one Flate; DeviceGray and Gold images.
CPDF_Doc Images() {
    PageMaker p;
    p.Resources("<< /XObject << >> >>");
    p.Put("/XObject/Im1", p.Stream("<< /Subtype /Image /Width 7 /Height 5 /ColorSpace /DeviceCMYK "
                                   "/BitsPerComponent 1 /Decode [1 0 1 0 1 0 1 0] >>",
                                   Ramp(7, 5, 4, 1)));
    p.Put("/XObject/Im2",
          p.Stream("<< /Subtype /Image /Width 9 /Height 6 /ColorSpace /DeviceCMYK /BitsPerComponent 2 >>",
                   Ramp(9, 6, 4, 2)));
    p.Put("/XObject/Im3", p.Encoded("<< /Subtype /Image /Width 11 /Height 7 /ColorSpace /DeviceCMYK "
                                    "/BitsPerComponent 4 /Filter /FlateDecode >>",
                                    Ramp(11, 7, 4, 4)));
    p.Put("/XObject/Im4", p.Encoded("<< /Subtype /Image /Width 13 /Height 9 /ColorSpace /DeviceCMYK "
                                    "/BitsPerComponent 8 /Filter /DCTDecode >>",
                                    Ramp(13, 9, 4, 8), "<< /Colors 4 /Columns 13 /Rows 9 >>"));
    p.Put("/XObject/Im5", p.Encoded("<< /Subtype /Image /Width 5 /Height 5 /ColorSpace /DeviceGray "
                                    "/BitsPerComponent 8 /Filter /FlateDecode >>",
                                    Ramp(5, 5, 1, 8)));
    const GLOB_Object gold = p.Stream("<< /Subtype /Image /Width 3 /Height 3 /BitsPerComponent 4 >>",
                                      Ramp(3, 3, 1, 4));
    gold.DictPut(GLOB_Name("ColorSpace"), p.Parse(Gold));
    p.Put("/XObject/Im6", gold);
    p.Content("q 60 0 0 60 5 135 cm /Im1 Do Q q 60 0 0 60 70 135 cm /Im2 Do Q q 60 0 0 60 135 135 cm /Im3 Do Q\n"
              "q 60 0 0 60 5 70 cm /Im4 Do Q q 60 0 0 60 70 70 cm /Im5 Do Q q 60 0 0 60 135 70 cm /Im6 Do Q\n");
    return p.Doc();
}

// 6. A stencil mask in Gold, an image with a mask image, one with a colour
// key mask.
CPDF_Doc Masks() {
    PageMaker p;
    p.Resources(Str("<< /ColorSpace << /CS0 ") + Gold + " >> /XObject << >> >>");
    // A disc of 0 bits (painted by a stencil mask) in a square of 1 bits.
    const std::string disc = Packed(8, 8, 1, 1, [](int x, int y, int) {
        return (x - 3.5) * (x - 3.5) + (y - 3.5) * (y - 3.5) < 9 ? 0 : 1;
    });
    p.Put("/XObject/Im1", p.Stream("<< /Subtype /Image /ImageMask true /Width 8 /Height 8 /BitsPerComponent 1 >>",
                                   disc));
    const GLOB_Object image = p.Encoded("<< /Subtype /Image /Width 4 /Height 4 /ColorSpace /DeviceCMYK "
                                        "/BitsPerComponent 8 /Filter /FlateDecode >>",
                                        Ramp(4, 4, 4, 8));
    image.DictPut(GLOB_Name("Mask"), p.Stream("<< /Type /XObject /Subtype /Image /ImageMask true /Width 8 "
                                              "/Height 8 /BitsPerComponent 1 >>",
                                              disc));
    p.Put("/XObject/Im2", image);
    p.Put("/XObject/Im3", p.Stream("<< /Subtype /Image /Width 6 /Height 6 /ColorSpace /DeviceGray "
                                   "/BitsPerComponent 8 /Mask [0 60] >>",
                                   Packed(6, 6, 1, 8, [](int x, int y, int) { return (x + y) % 3 * 50; })));
    p.Content("/CS0 cs 0.9 scn q 90 0 0 90 5 105 cm /Im1 Do Q\n"
              "q 90 0 0 90 105 105 cm /Im2 Do Q q 90 0 0 90 55 5 cm /Im3 Do Q\n");
    return p.Doc();
}

// 6a. A CMYK image whose soft mask hides its right half, over a Gold
// rectangle that shows there.
CPDF_Doc SoftMask() {
    PageMaker p;
    p.Resources(Str("<< /ColorSpace << /CS0 ") + Gold + " >> /XObject << >> >>");
    const GLOB_Object image = p.Encoded("<< /Subtype /Image /Width 4 /Height 4 /ColorSpace /DeviceCMYK "
                                        "/BitsPerComponent 8 /Filter /FlateDecode >>",
                                        Ramp(4, 4, 4, 8));
    image.DictPut(GLOB_Name("SMask"), p.Stream("<< /Type /XObject /Subtype /Image /Width 8 /Height 8 "
                                               "/ColorSpace /DeviceGray /BitsPerComponent 8 >>",
                                               Packed(8, 8, 1, 8, [](int x, int, int) { return x < 4 ? 255 : 0; })));
    p.Put("/XObject/Im1", image);
    p.Content("/CS0 cs 0.8 scn 20 20 160 160 re f q 120 0 0 120 40 40 cm /Im1 Do Q\n");
    return p.Doc();
}

// 7. Inline images: abbreviations, a named Indexed space, an AHx filter.
CPDF_Doc InlineImages() {
    PageMaker p;
    p.Resources(Str("<< /ColorSpace << /IX [/Indexed ") + Gold + " 3 <00 50 A0 FF>] >> >>");
    const std::string cmyk = p.EncodedBytes("/ASCIIHexDecode", Ramp(4, 4, 4, 8));
    const std::string gray = p.EncodedBytes("/ASCIIHexDecode", Ramp(3, 3, 1, 8));
    const std::string mask =
        p.EncodedBytes("/ASCIIHexDecode", Packed(8, 8, 1, 1, [](int x, int y, int) { return (x ^ y) & 1; }));
    p.Content("q 80 0 0 80 10 110 cm BI /W 4 /H 4 /CS /CMYK /BPC 8 /F /AHx ID " + cmyk + " EI Q\n" +
              "q 80 0 0 80 110 110 cm BI /W 4 /H 2 /CS /IX /BPC 2 ID \x1B\x6C EI Q\n" +
              "q 80 0 0 80 10 10 cm BI /W 3 /H 3 /CS /G /BPC 8 /D [1 0] /F [/AHx] ID " + gray + " EI Q\n" +
              "0 0 0 0.6 k q 80 0 0 80 110 10 cm BI /IM true /W 8 /H 8 /BPC 1 /F /AHx ID " + mask + " EI Q\n");
    return p.Doc();
}

// 8. Axial and radial shadings with and without Domain, Extend and
// Background; a type 1 shading with Matrix; sampled (8- and 12-bit),
// exponential, stitching and type 4 functions, and function arrays.
CPDF_Doc Shadings() {
    PageMaker p;
    p.Resources("<< /Shading << /Sh1 << /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [20 0 80 0] "
                "/Extend [true true] >> /Sh3 << /ShadingType 2 /ColorSpace /DeviceGray /Coords [0 70 0 130] "
                "/Domain [0.2 0.8] >> /Sh4 << /ShadingType 3 /ColorSpace /DeviceCMYK "
                "/Coords [150 100 0 150 100 40] /Function [<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [0.2] /N 1 >> "
                "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [0.1] /N 2 >> "
                "<< /FunctionType 2 /Domain [0 1] /C0 [1] /C1 [0] /N 0.5 >> "
                "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [0] /N 1 >>] >> "
                "/Sh5 << /ShadingType 1 /ColorSpace [/DeviceN [/Cyan /Silver] /DeviceCMYK 0] /Domain [0 1 0 1] "
                "/Matrix [60 0 0 60 10 135] >> >> "
                "/Pattern << /P1 << /PatternType 2 /Shading << /ShadingType 3 /ColorSpace " +
                Str(Silver) + " /Coords [150 160 5 150 160 30] /Extend [false true] /Background [0.15] >> >> >> >>");
    p.Put("/Shading/Sh1/Function",
          p.Sampled("<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [1 0.5 0 0] /N 1 >>", {9}, 8));
    p.Put("/Shading/Sh3/Function",
          p.Stream("<< /FunctionType 4 /Domain [0 1] /Range [0 1] >>", "{ 1 exch sub dup mul }"));
    const GLOB_Object stitching = p.Parse("<< /FunctionType 3 /Domain [0 1] /Bounds [0.5] /Encode [0 1 1 0] "
                                          "/Functions [<< /FunctionType 2 /Domain [0 1] /C0 [0.1] /C1 [0.9] /N 1 >> "
                                          "<< /FunctionType 2 /Domain [0 1] /C0 [0.3] /C1 [0.9] /N 1 >>] >>");
    p.Put("/Pattern/P1/Shading/Function", stitching);
    const GLOB_Object functions = p.Parse("[0 0]");
    functions.ArrayPut(0, p.Sampled("<< /FunctionType 4 /Domain [0 1 0 1] /Range [0 1] >>", {5, 5}, 12,
                                    "{ mul }"));
    functions.ArrayPut(1, p.Sampled("<< /FunctionType 4 /Domain [0 1 0 1] /Range [0 1] >>", {4, 3}, 12,
                                    "{ add 2 div }"));
    p.Put("/Shading/Sh5/Function", functions);
    p.Put("/Shading/Sh5/ColorSpace[3]", p.ToCMYK(2, CyanSilver));
    p.Content("q 10 10 80 50 re W n /Sh1 sh Q\n"
              "q 0 60 100 70 re W n /Sh3 sh Q\n"
              "q 100 40 100 100 re W n /Sh4 sh Q\n"
              "/Sh5 sh\n"
              "/Pattern cs /P1 scn 110 140 80 50 re f\n");
    return p.Doc();
}

// 9. Meshes of types 4 to 7, with and without Function.
CPDF_Doc Meshes() {
    PageMaker p;
    // Ghostscript looks for spot inks in the page's colour spaces, not in
    // mesh shadings.
    p.Resources(Str("<< /ColorSpace << /CS0 ") + Gold + " /CS1 [/DeviceN [/Silver /Cyan] /DeviceCMYK 0] >> "
                "/Shading << >> >>");
    p.Put("/ColorSpace/CS1[3]", p.ToCMYK(2, Str("{ exch ") + (CyanSilver + 2)));
    p.Put("/Shading/Sh4",
          p.Mesh("<< /ShadingType 4 /ColorSpace /DeviceCMYK /BitsPerCoordinate 16 /BitsPerComponent 8 "
                 "/BitsPerFlag 8 /Decode [0 200 0 200 0 1 0 1 0 1 0 1] /Filter /FlateDecode >>",
                 {Piece(0, {{10, 10}}, {{1, 0, 0, 0}}), Piece(0, {{90, 10}}, {{0, 1, 0, 0.2}}),
                  Piece(0, {{10, 90}}, {{0, 0, 1, 0}}), Piece(2, {{90, 90}}, {{0.5, 0.5, 0.5, 0.5}})}));
    const char* tint = "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>";
    const GLOB_Object lattice =
        p.Mesh("<< /ShadingType 5 /ColorSpace " + Str(Gold) +
                   " /BitsPerCoordinate 8 /BitsPerComponent 8 /VerticesPerRow 3 "
                   "/Decode [0 255 0 255 0 1] /Filter /FlateDecode >>",
               {Piece(0, {{110, 10}}, {{0.1}}), Piece(0, {{150, 10}}, {{0.5}}), Piece(0, {{190, 10}}, {{0.9}}),
                Piece(0, {{110, 90}}, {{0.9}}), Piece(0, {{150, 90}}, {{0.4}}), Piece(0, {{190, 90}}, {{0.1}})});
    lattice.DictPut(GLOB_Name("Function"), p.Parse(tint));
    p.Put("/Shading/Sh5", lattice);
    p.Put("/Shading/Sh6",
          p.Mesh("<< /ShadingType 6 /ColorSpace /DeviceGray /BitsPerCoordinate 16 /BitsPerComponent 8 "
                 "/BitsPerFlag 8 /Decode [0 200 0 200 0 1] /Filter /FlateDecode >>",
                 {Piece(0, PatchPoints(10, 110, 90, 180, 10, false), {{0.1}, {0.9}, {0.5}, {0.3}})}));
    const GLOB_Object tensor =
        p.Mesh("<< /ShadingType 7 /ColorSpace [/DeviceN [/Silver /Cyan] /DeviceCMYK 0] /BitsPerCoordinate 16 "
               "/BitsPerComponent 8 /BitsPerFlag 8 /Decode [0 200 0 200 0 1] /Filter /FlateDecode >>",
               {Piece(0, PatchPoints(110, 110, 190, 180, -10, true), {{0}, {1}, {0.5}, {0.8}})});
    tensor.DictPut(GLOB_Name("Function"),
                   p.Parse("<< /FunctionType 2 /Domain [0 1] /C0 [0.1 0.7] /C1 [0.9 0.2] /N 1 >>"));
    tensor.PutPath("/ColorSpace[3]", p.ToCMYK(2, Str("{ exch ") + (CyanSilver + 2)));
    p.Put("/Shading/Sh7", tensor);
    p.Content("/Sh4 sh /Sh5 sh /Sh6 sh /Sh7 sh\n");
    return p.Doc();
}

// 10. Coloured and uncoloured tilings; a shading pattern with its own
// ExtGState, filled with scn and stroked with SCN; a pattern without /Type;
// a named [/Pattern] space.
CPDF_Doc Patterns() {
    PageMaker p;
    p.Resources(Str("<< /ColorSpace << /CS0 ") + Gold + " /UP [/Pattern 0] /PS [/Pattern] >> /Pattern << >> >>");
    p.Put("/ColorSpace/UP[1]", p.Parse(Gold));
    p.Put("/Pattern/P1", p.Stream("<< /Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 "
                                  "/BBox [0 0 20 20] /XStep 20 /YStep 20 /Resources << >> >>",
                                  "0 0.8 0.5 0 k 0 0 10 10 re f 0.5 g 10 10 10 10 re f"));
    p.Put("/Pattern/P2", p.Stream("<< /PatternType 1 /PaintType 2 /TilingType 2 /BBox [0 0 12 12] "
                                  "/XStep 12 /YStep 12 /Resources << >> >>",
                                  "0 0 8 8 re f"));
    p.Put("/Pattern/P3", p.Parse("<< /Type /Pattern /PatternType 2 /ExtGState << /OP true /op true >> "
                                 "/Shading << /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 200 0] "
                                 "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0 0] /C1 [0 0 0 0.6] /N 1 >> "
                                 ">> >>"));
    p.Content("/PS cs /P1 scn 10 10 80 80 re f\n"
              "/UP cs 0.7 /P2 scn 110 10 80 80 re f\n"
              "/Pattern cs /P3 scn 10 110 80 80 re f\n"
              "/Pattern CS /P3 SCN 12 w 110 110 m 190 190 l 110 190 m 190 110 l S\n");
    return p.Doc();
}

// 11. Nested forms with their own and inherited resources; one form drawn
// in two colours, under overprint, and while a pattern colour is current.
CPDF_Doc Forms() {
    PageMaker p;
    const GLOB_Object gold = p.Indirect(Gold);
    p.Resources("<< /ColorSpace << >> /XObject << >> /ExtGState << /GS1 << /OP true /op true /OPM 1 >> >> "
                "/Pattern << >> >>");
    p.Put("/ColorSpace/CS0", gold);
    const GLOB_Object inner = p.Stream("<< /Type /XObject /Subtype /Form /BBox [0 0 100 100] >>",
                                       "0 0 0 0.5 k 20 20 30 30 re f /CS0 cs 1 scn 45 0 10 50 re f");
    const GLOB_Object outer = p.Stream("<< /Type /XObject /Subtype /Form /BBox [0 0 100 100] "
                                       "/Matrix [1 0 0 1 10 110] /Resources << /ColorSpace << >> /XObject << >> >> >>",
                                       "/CS0 cs 0.6 scn 0 0 40 40 re f /Fm2 Do");
    outer.DictGet(GLOB_Name("Resources")).PutPath("/ColorSpace/CS0", gold);
    outer.DictGet(GLOB_Name("Resources")).PutPath("/XObject/Fm2", inner);
    p.Put("/XObject/Fm1", outer);
    p.Put("/XObject/Fm3", p.Stream("<< /Type /XObject /Subtype /Form /BBox [0 0 40 40] >>",
                                   "0 0 40 40 re f"));
    p.Put("/Pattern/P1", p.Stream("<< /Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 "
                                  "/BBox [0 0 10 10] /XStep 10 /YStep 10 /Resources << >> >>",
                                  "0 0 1 0 k 0 0 5 5 re f"));
    p.Content("/Fm1 Do\n"
              "q 1 0 0 1 110 140 cm 0.5 0 0 0 k /Fm3 Do Q\n"
              "q 1 0 0 1 150 140 cm /CS0 cs 0.3 scn /Fm3 Do Q\n"
              "q 1 0 0 1 110 60 cm 0 0.4 0 0 k 0 0 60 60 re f /GS1 gs 0.6 0 0 0 k 1 0 0 1 10 10 cm /Fm3 Do Q\n"
              "q 1 0 0 1 10 10 cm /Pattern cs /P1 scn 2 0 0 2 0 0 cm /Fm3 Do Q\n");
    return p.Doc();
}

// 12. Text in render modes 0 to 7 in Gold and CMYK with a standard font, and
// a Type 3 font with d1 glyphs.
CPDF_Doc Text() {
    PageMaker p;
    p.Resources(Str("<< /ColorSpace << /CS0 ") + Gold +
                " >> /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold >> "
                "/F2 << /Type /Font /Subtype /Type3 /FontBBox [0 0 100 100] /FontMatrix [0.01 0 0 0.01 0 0] "
                "/CharProcs << >> /Encoding << /Type /Encoding /Differences [97 /square 98 /bar] >> "
                "/FirstChar 97 /LastChar 98 /Widths [110 60] /Resources << >> >> >> >>");
    p.Put("/Font/F2/CharProcs/square", p.Stream("<< >>", "110 0 0 0 100 100 d1 0 0 100 100 re f"));
    p.Put("/Font/F2/CharProcs/bar", p.Stream("<< >>", "60 0 0 0 40 100 d1 0 0 40 100 re f"));
    p.Content("0.8 0.2 0 0 k /CS0 CS 0.9 SCN 1.5 w\n"
              "BT /F1 30 Tf 5 165 Td 0 Tr (Ab) Tj 1 Tr (Ab) Tj 2 Tr (Ab) Tj ET\n"
              "/CS0 cs 0.7 scn 0 0.6 0.3 0 K\n"
              "BT /F1 30 Tf 5 130 Td 0 Tr (Gg) Tj 1 Tr (Gg) Tj 2 Tr (Gg) Tj 3 Tr (Gg) Tj ET\n"
              "q BT /F1 36 Tf 5 85 Td 4 Tr (Wm) Tj 5 Tr (Wm) Tj 6 Tr (Wm) Tj ET 0 0 0 1 k 0 80 200 40 re f Q\n"
              "q BT /F1 36 Tf 5 45 Td 7 Tr (HOLE) Tj ET 0.3 0.3 0 0 k 0 40 200 40 re f Q\n"
              "/CS0 cs 0.8 scn BT /F2 30 Tf 0 Tr 5 5 Td (abab) Tj 0 0 0 0.5 k (ab) Tj ET\n");
    return p.Doc();
}

// 12a. One glyph of a Type 3 font chosen with Tf, painting a square in a
// colour of its own (d0).
CPDF_Doc Type3Glyph() {
    PageMaker p;
    p.Resources("<< /Font << /T3 << /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] "
                "/FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << >> /Encoding << /Type /Encoding "
                "/Differences [97 /square] >> /FirstChar 97 /LastChar 97 /Widths [1000] /Resources << >> >> >> >>");
    p.Put("/Font/T3/CharProcs/square", p.Stream("<< >>", "1000 0 d0 0 1 0 0 k 0 0 1000 1000 re f"));
    p.Content("0 0 0 1 k BT /T3 120 Tf 40 40 Td (a) Tj ET\n");
    return p.Doc();
}

// 13. A spot with a DeviceRGB alternate beside one with a Lab alternate.
CPDF_Doc Alternates() {
    PageMaker p;
    p.Resources("<< /ColorSpace << /CS0 [/Separation /Gold /DeviceRGB << /FunctionType 2 /Domain [0 1] "
                "/C0 [1 1 1] /C1 [0.8 0.6 0.1] /N 1 >>] /CS1 [/Separation /Silver [/Lab << /WhitePoint "
                "[0.9505 1 1.089] /Range [-100 100 -100 100] >>] << /FunctionType 2 /Domain [0 1] "
                "/C0 [100 0 0] /C1 [70 0 0] /N 1 >>] >> >>");
    p.Content("/CS0 cs 0.6 scn 10 10 120 180 re f /CS1 cs 0.8 scn 70 50 120 100 re f\n");
    return p.Doc();
}

// 14. Rotate 90 with a crop box inside the media box.
CPDF_Doc Rotated() {
    PageMaker p(GLIB_Rect(0, 0, 200, 300));
    p.Page().SetBox("CropBox", GLIB_Rect(20, 30, 180, 270));
    p.Page().SetRotation(90);
    p.Resources(Str("<< /ColorSpace << /CS0 ") + Gold + " >> >>");
    p.Content("0 0 0.3 0 k 0 0 200 300 re f 0.7 0.9 0 0 k 30 40 60 200 re f\n"
              "/CS0 cs 1 scn 100 40 m 170 40 l 100 250 l h f\n");
    return p.Doc();
}

// 15. One dense page mixing the above.
CPDF_Doc Dense() {
    PageMaker p;
    p.Resources(Str("<< /ColorSpace << /CS0 ") + Gold + " /CS1 " + Silver +
                " >> /ExtGState << /GS1 << /OP true /op true /OPM 1 >> >> /Font << /F1 << /Type /Font "
                "/Subtype /Type1 /BaseFont /Times-Bold >> >> /Shading << >> /XObject << >> >>");
    p.Put("/Shading/Sh1", p.Parse("<< /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 200 200] "
                                  "/Function << /FunctionType 2 /Domain [0 1] /C0 [0.2 0 0.4 0] "
                                  "/C1 [0 0.3 0 0.2] /N 1 >> /Extend [true true] >>"));
    p.Put("/XObject/Im1", p.Encoded("<< /Subtype /Image /Width 9 /Height 7 /ColorSpace /DeviceCMYK "
                                    "/BitsPerComponent 8 /Filter /FlateDecode >>",
                                    Ramp(9, 7, 4, 8)));
    p.Put("/XObject/Fm1", p.Stream("<< /Subtype /Form /BBox [0 0 50 50] /Resources << /ColorSpace << /S " +
                                       Str(Silver) + " >> >> >>",
                                   "/S cs 0.9 scn 0 0 50 50 re f 0 0 0 1 k 10 10 30 30 re f"));
    p.Content("q 0 0 200 200 re W n /Sh1 sh Q\n"
              "q 70 0 0 50 10 140 cm /Im1 Do Q\n"
              "/CS0 cs 0.5 scn 100 140 90 50 re f\n"
              "/GS1 gs 0 0 0 0.8 k 120 150 20 30 re f /CS1 cs 0.4 scn 150 150 30 30 re f\n"
              "q 1 0 0 1 20 20 cm /Fm1 Do Q\n"
              "BT /F1 40 Tf 80 60 Td /CS0 cs 1 scn (Ink) Tj ET\n"
              "0.9 0 0 0 K 5 w 10 100 m 190 100 l S\n");
    return p.Doc();
}

// 16. A stitching tree eleven levels deep whose every level names the next
// one twice (2,048 paths to one leaf), each level mapping its halves onto
// themselves, over a Flate sampled function of 65,535 points: an axial
// DeviceCMYK ramp.
CPDF_Doc SharedStitching() {
    PageMaker p;
    p.Resources("<< /Shading << /Sh1 << /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [20 0 180 0] "
                "/Extend [true true] >> >> >>");
    const int points = 65535;
    std::string samples;
    for (int i = 0; i < points; ++i) {
        const double t = static_cast<double>(i) / (points - 1);
        for (double tint : {t, 1 - t, 4 * t * (1 - t), 0.3 * t})
            samples += static_cast<char>(static_cast<int>(tint * 255 + 0.5));
    }
    GLOB_Object next = p.Encoded("<< /FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] /Size [65535] "
                                 "/BitsPerSample 8 /Filter /FlateDecode >>",
                                 samples);
    for (int level = 0; level < 11; ++level) {
        const GLOB_Object stitching =
            p.Indirect("<< /FunctionType 3 /Domain [0 1] /Bounds [0.5] /Encode [0 0.5 0.5 1] /Functions [0 0] >>");
        stitching.GetPath("Functions").ArrayPut(0, next);
        stitching.GetPath("Functions").ArrayPut(1, next);
        next = stitching;
    }
    p.Put("/Shading/Sh1/Function", next);
    p.Content("q 10 10 180 180 re W n /Sh1 sh Q\n");
    return p.Doc();
}

// 17. DeviceGray under overprint over cyan, in six cells: fills in OPM 0
// and 1, an image, a fill over a Gold square overprinting cyan, a stroke
// and text over magenta, a shading and an Indexed gray over yellow. A gray is all four
// process inks: cyan goes under it, Gold stays.
CPDF_Doc GrayOverprint() {
    PageMaker p(GLIB_Rect(0, 0, 300, 200));
    p.Resources(Str("<< /ColorSpace << /CS0 ") + Gold +
                " /IG [/Indexed /DeviceGray 1 <FF80>] >> /ExtGState << /GS1 << /OP true /op true /OPM 0 >> "
                "/GS3 << /OP true /op true /OPM 1 >> >> /Font << /F1 << /Type /Font /Subtype /Type1 "
                "/BaseFont /Helvetica-Bold >> >> /Shading << /Sh1 << /ShadingType 2 /ColorSpace /DeviceGray "
                "/Coords [235 0 285 0] /Function << /FunctionType 2 /Domain [0 1] /C0 [0.2] /C1 [0.8] /N 1 >> "
                ">> >> /XObject << >> >>");
    p.Put("/XObject/Im1", p.Stream("<< /Subtype /Image /Width 2 /Height 2 /ColorSpace /DeviceGray "
                                   "/BitsPerComponent 8 >>",
                                   std::string(4, '\x80')));
    p.Content("1 0 0 0 k 10 110 50 80 re f 110 110 50 80 re f 10 10 50 80 re f 110 10 50 80 re f\n"
              "0 1 0 0 k 210 110 50 80 re f 0 0 1 0 k 210 10 50 80 re f\n"
              "/GS1 gs /CS0 cs 1 scn 120 20 30 60 re f 0.5 g 35 110 50 80 re f\n"
              "/GS3 gs 0.5 g 135 110 50 80 re f q 50 0 0 80 35 10 cm /Im1 Do Q 135 10 50 80 re f\n"
              "0.5 G 12 w 230 180 m 290 180 l S BT /F1 40 Tf 232 120 Td (H) Tj ET\n"
              "q 235 55 50 35 re W n /Sh1 sh Q /IG cs 1 sc 235 10 50 35 re f\n");
    return p.Doc();
}

// 18. Black text under overprint leaves C, M and Y at an invisible text
// mode; a form drawn next, with knockout, cuts white text out of a cyan
// square.
CPDF_Doc FormTextAfterOverprint() {
    PageMaker p;
    const char* font = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold >>";
    p.Resources(Str("<< /ExtGState << /GS0 << /OP false /op false >> /GS1 << /OP true /op true /OPM 1 >> >> "
                    "/Font << /F1 ") +
                font + " >> /XObject << >> >>");
    p.Put("/XObject/Fm1",
          p.Stream(Str("<< /Subtype /Form /BBox [0 0 200 200] /Resources << /Font << /F1 ") + font + " >> >> >>",
                   "0.8 0 0 0 k 0 0 200 150 re f 0 0 0 0 k BT /F1 160 Tf 40 20 Td (H) Tj ET"));
    p.Content("/GS1 gs 0 0 0 1 k BT /F1 40 Tf 10 160 Td (Black) Tj ET /GS0 gs /Fm1 Do\n");
    return p.Doc();
}

}  // namespace

const std::vector<CorpusPage>& SeparationCorpus() {
    static const std::vector<CorpusPage> pages = {
        {"knock-out", {"Gold"}, {"Cyan", "Magenta", "Yellow", "Black", "Gold"}, KnockOut},
        {"overprint", {"Gold"}, {"Cyan", "Magenta", "Yellow", "Black", "Gold"}, Overprint},
        {"all-none-devicen", {"Gold", "Silver"}, {"Cyan", "Magenta", "Yellow", "Black", "Gold", "Silver"},
         AllNoneDeviceN},
        {"indexed", {"Silver", "Gold"}, {"Cyan", "Magenta", "Yellow", "Black", "Gold", "Silver"}, Indexed},
        {"images", {"Gold"}, {"Cyan", "Magenta", "Yellow", "Black", "Gold"}, Images},
        {"masks", {"Gold"}, {"Cyan", "Magenta", "Yellow", "Black", "Gold"}, Masks},
        {"soft-mask", {"Gold"}, {"Cyan", "Magenta", "Yellow", "Black", "Gold"}, SoftMask},
        {"inline-images", {"Gold"}, {"Cyan", "Magenta", "Yellow", "Black", "Gold"}, InlineImages},
        {"shadings", {"Silver"}, {"Cyan", "Magenta", "Yellow", "Black", "Silver"}, Shadings},
        {"meshes", {"Gold", "Silver"}, {"Cyan", "Magenta", "Yellow", "Black", "Gold", "Silver"}, Meshes},
        {"patterns", {"Gold"}, {"Cyan", "Magenta", "Yellow", "Black", "Gold"}, Patterns},
        {"forms", {"Gold"}, {"Cyan", "Magenta", "Yellow", "Black", "Gold"}, Forms},
        {"text", {"Gold"}, {"Cyan", "Magenta", "Yellow", "Black", "Gold"}, Text},
        {"type3-glyph", {}, {"Magenta"}, Type3Glyph},
        {"alternates", {"Gold", "Silver"}, {"Gold", "Silver"}, Alternates},
        {"rotated", {"Gold"}, {"Cyan", "Magenta", "Yellow", "Gold"}, Rotated},
        {"dense", {"Gold", "Silver"}, {"Cyan", "Magenta", "Yellow", "Black", "Gold", "Silver"}, Dense},
        {"shared-stitching", {}, {"Cyan", "Magenta", "Yellow", "Black"}, SharedStitching},
        {"gray-overprint", {"Gold"}, {"Cyan", "Magenta", "Yellow", "Black", "Gold"}, GrayOverprint},
        {"form-text-after-overprint", {}, {"Cyan", "Black"}, FormTextAfterOverprint},
    };
    return pages;
}
