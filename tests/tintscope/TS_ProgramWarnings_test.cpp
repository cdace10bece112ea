// What the built program says of a page whose plates do not show all of it
// as printed, and the plates it still writes.
#include "TS_ProgramFixture.h"
#include "viewer/program/VIEW_PdfFile.h"

#include <string>
#include <vector>

namespace {

const char* const kInks[] = {"Cyan", "Magenta", "Yellow", "Black"};

// The plate pixel holding the point (x, y) of a 100-pt page at 150 dpi.
int Pixel(double points) { return static_cast<int>(points * 150 / 72); }

}  // namespace

// Only an annotation that prints (Print set, Hidden not, a Rect with an
// area) is said, once, by the first one's subtype; the plates stay blank.
TEST_F(TS_ProgramTest, PrintableAnnotationsAreSaidOnceAndLeftOffThePlates) {
    const std::string square = "<< /Type /Annot /Subtype /Square /Rect [10 10 60 60] /F 4 /AP << /N 6 0 R >> >>";
    const std::string form =
        VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 50 50]", "0 0 0 1 k 0 0 50 50 re f");
    const struct {
        const char* name;
        std::string annots;
        std::vector<std::string> more;
        const char* subtype;  // empty: no warning
    } rows[] = {
        {"square", "/Annots [5 0 R]", {square, form}, "Square"},
        {"two", "/Annots [5 0 R 7 0 R 8 0 R]",
         {"<< /Subtype /Link /Rect [0 0 9 9] >>", form, "<< /Subtype /Circle /Rect [1 1 9 9] /F 6 >>",
          "<< /Subtype /Ink /Rect [1 1 9 9] /F 4 >>"},
         "Ink"},
        {"hidden", "/Annots [5 0 R]", {"<< /Subtype /Square /Rect [1 1 9 9] /F 6 >>"}, ""},
        {"empty-rect", "/Annots [5 0 R]", {"<< /Subtype /Widget /Rect [-10 -10 -10 -10] /F 132 >>"}, ""},
        {"damaged", "/Annots [5 0 R (x) 6]", {"<< /F (4) /Rect [1 1 9 9] >>"}, ""},
        {"no-subtype", "/Annots 5 0 R", {"[<< /Rect [1 1 9 9] /F 5 >>]"}, "?"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = WriteFile(std::string(row.name) + ".pdf", TS_OnePage("", "", row.more, row.annots));
        const std::string out = m_out.File(row.name);
        const TS_Run run = RunBinary({file, "--dpi", "150", "--out", out});
        EXPECT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_EQ(run.m_err, *row.subtype ? "tintscope: " + file + ": page 1 has printable annotations (the first /" +
                                                row.subtype + ") that are not separated: its plates lack them\n"
                                          : std::string());
        for (int i = 0; i < 4; ++i) {
            const GrayPlate plate =
                TS_ReadPlatePng(out + "/plate-" + std::to_string(i) + "-" + kInks[i] + ".png");
            ASSERT_EQ(plate.width, 208) << kInks[i];
            EXPECT_EQ(plate.InkedShare(), 0.0) << kInks[i];
        }
    }
}

// Each construct's line says what its plates show, and they show it: the
// ink of a left square, where a right one overlaps it, and the right one
// alone, read at (25, 35), (50, 35) and (75, 35). tiffsep gives the same
// within two levels for alpha, Multiply, the mask and the knockout group;
// it mixes the colour for Hue and Luminosity.
TEST_F(TS_ProgramTest, TransparencyIsSaidAsThePlatesShowIt) {
    const std::string squares = "0.6 0.2 0 0.1 k 10 10 50 50 re f /G0 gs 0.3 0.8 0.1 0.4 k 40 10 50 50 re f";
    const std::string gray = VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] "
                                            "/Group << /S /Transparency /CS /DeviceGray >>",
                                            "0.5 g 0 0 100 100 re f");
    const std::string group = VIEW_PdfStream(
        "/Type /XObject /Subtype /Form /BBox [0 0 100 100] /Group << /S /Transparency /I true /K true >> "
        "/Resources << /ExtGState << /G1 << /ca 0.5 >> >> >>",
        "/G1 gs 0 0.8 0 0 k 40 10 50 50 re f 0 0 0.8 0 k 40 10 50 50 re f");
    const struct {
        const char* name;
        std::string resources;
        std::string content;
        std::vector<std::string> more;
        const char* line;
        int plates[4][3];  // Cyan, Magenta, Yellow, Black
    } rows[] = {
        {"ca", "/ExtGState << /G0 << /ca 0.5 >> >>", squares, {},
         "uses transparency (ExtGState G0 with ca 0.5); its plates apply the alpha ink by ink",
         {{102, 139, 216}, {204, 128, 153}, {255, 242, 242}, {229, 191, 204}}},
        {"multiply", "/ExtGState << /G0 << /BM /Multiply >> >>", squares, {},
         "uses transparency (ExtGState G0 with BM /Multiply); its plates blend ink by ink",
         {{102, 71, 178}, {204, 41, 51}, {255, 229, 229}, {229, 137, 153}}},
        {"hue", "/ExtGState << /G0 << /BM /Hue >> >>", squares, {},
         "uses transparency (ExtGState G0 with BM /Hue); its plates blend each ink alone, so this mode paints "
         "only where nothing lies beneath (spot: /Normal)",
         {{102, 102, 178}, {204, 204, 51}, {255, 255, 229}, {229, 229, 153}}},
        {"luminosity", "/ExtGState << /G0 << /BM /Luminosity >> >>", squares, {},
         "uses transparency (ExtGState G0 with BM /Luminosity); its plates blend each ink alone, so this mode "
         "paints as /Normal",
         {{102, 178, 178}, {204, 51, 51}, {255, 229, 229}, {229, 153, 153}}},
        {"smask", "/ExtGState << /G0 << /SMask << /S /Luminosity /G 5 0 R >> >> >>", squares, {gray},
         "uses transparency (ExtGState G0 with SMask); its plates apply the same mask to every ink",
         {{102, 139, 216}, {204, 128, 153}, {255, 242, 242}, {229, 191, 204}}},
        {"group", "/XObject << /Fm0 5 0 R >>", "0.6 0 0 0 k 10 10 50 50 re f /Fm0 Do", {group},
         "uses transparency (Form Fm0 with a transparency group); its plates compose the group ink by ink",
         // 0.3 Cyan and 0.4 Yellow, rounded once in the group and once on the page, as mutool's CMYK.
         {{102, 178, 255}, {255, 255, 255}, {255, 154, 154}, {255, 255, 255}}},
    };
    const double columns[] = {25, 50, 75};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file =
            WriteFile(std::string(row.name) + ".pdf", TS_OnePage(row.resources, row.content, row.more));
        const std::string out = m_out.File(row.name);
        const TS_Run run = RunBinary({file, "--dpi", "150", "--out", out});
        EXPECT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_EQ(run.m_err, "tintscope: " + file + ": page 1 " + row.line + "\n");
        for (int i = 0; i < 4; ++i) {
            const GrayPlate plate =
                TS_ReadPlatePng(out + "/plate-" + std::to_string(i) + "-" + kInks[i] + ".png");
            ASSERT_EQ(plate.width, 208) << kInks[i];
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(plate.At(Pixel(columns[c]), Pixel(100 - 35)), row.plates[i][c])
                    << kInks[i] << " at x " << columns[c];
        }
    }
}
