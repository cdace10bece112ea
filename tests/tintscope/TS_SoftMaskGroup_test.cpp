// A luminosity soft mask's group is drawn in the colours its own content
// and the graphics state at gs give it, on every plate alike: the grey that
// each ink's page sets for itself never reaches the mask. mutool's CMYK
// drawing of the same page is the reference.
#include "TS_ProgramFixture.h"
#include "support/Deflated.h"
#include "support/PdfText.h"

#include <cstdlib>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kDpi = 150;

constexpr const char* kGroup = "/Group << /S /Transparency /CS /DeviceGray >> ";
constexpr const char* kOwnResources = "/Resources << >> /Group << /S /Transparency /CS /DeviceGray >> ";

// A 200-point page of content whose /GS0 is a luminosity mask of a
// DeviceGray group drawn by group, with the entries groupEntries (resources
// of its own unless lent those at gs). /Fx fills the left half black; /gs1
// and /gs2 bear the names a separated page gives the mask's variants; 7 0 R
// is the tiling pattern pattern, when given; extGStates join /GS0.
std::string MaskedPage(const std::string& content, const std::string& group,
                       const std::string& groupEntries = kOwnResources, const std::string& resources = "",
                       const std::string& pattern = "", const std::string& extGStates = "") {
    const std::string form = "<< /Type /XObject /Subtype /Form /BBox [0 0 200 200] ";
    std::vector<std::string> objects = {
        form + groupEntries + "/Length " + std::to_string(group.size()) + " >>\nstream\n" + group + "\nendstream",
        form + "/Length 20 >>\nstream\n0 g 0 0 100 200 re f\nendstream"};
    if (!pattern.empty())
        objects.push_back(pattern);
    return TS_SquarePage(200,
                         "/ExtGState << /GS0 << /SMask << /S /Luminosity /G 5 0 R >> >> /gs1 << /CA 1 >> "
                         "/gs2 << /LW 1 >> " + extGStates + ">> /XObject << /Fx 6 0 R >> " + resources,
                         content, objects);
}

// A tiling pattern of 12-point cells, painted by cell.
std::string Pattern(int paintType, const std::string& cell) {
    return "<< /PatternType 1 /PaintType " + std::to_string(paintType) +
           " /TilingType 1 /BBox [0 0 12 12] /XStep 12 /YStep 12 /Resources << >> /Length " +
           std::to_string(cell.size()) + " >>\nstream\n" + cell + "\nendstream";
}

TEST_F(TS_ProgramTest, ASoftMasksGroupIsDrawnInItsOwnColoursOnEveryPlate) {
    const std::string magenta = "/GS0 gs 0 1 0 0 k 0 0 200 200 re f Q";  // over the page, through the mask
    // Half grey over the box, then 50 lines fanned across it.
    std::string fanned = "0.5 g 0 0 200 200 re f";
    for (int x = 0; x < 200; x += 4)
        fanned += " " + std::to_string(x) + " 0 m " + std::to_string(200 - x) + " 200 l";
    const std::string knockout = "/Resources << >> /Group << /S /Transparency /CS /DeviceGray /K true >> ";
    // The marks under the mask in three inks.
    const std::string marks = "q /GS0 gs 0 0.8 0.6 0 k 10 10 180 180 re f 0 0 0 1 k 15 150 170 20 re f Q";
    const struct {
        const char* what;
        std::string page;
        bool greyDiagonal = false;
        double share = 0.95;  // of marked pixels within 8 levels of mutool on each plate
        // mutool takes the colour at the mark, not at gs: the mask is the
        // pattern's 6-point stripes in grey 0.6 every 12 points instead.
        bool stripes = false;
    } pages[] = {
        {"strokes without a colour of their own take the default black", MaskedPage("q " + magenta, fanned + " 3 w S")},
        {"strokes after 0 G", MaskedPage("q " + magenta, fanned + " 0 G 3 w S")},
        {"a stroke takes the grey the page set before gs",
         MaskedPage("q 0.2 G " + magenta, "1 g 0 0 200 200 re f 0 g 50 50 100 100 re f 0 0 m 200 200 l 10 w S"),
         true},
        {"one mask under two greys, beside states named gs1 and gs2",
         MaskedPage("q 0.2 G /GS0 gs /gs1 gs 0 1 0 0 k 0 0 100 200 re f Q "
                    "q 0.7 G /GS0 gs /gs2 gs 1 0 0 0 k 100 0 100 200 re f Q",
                    "1 g 0 0 200 200 re f 0 0 m 200 200 l 20 w S")},
        {"a group without resources paints the page's form",
         MaskedPage("q " + magenta, "1 g 0 0 200 200 re f /Fx Do", kGroup)},
        {"a knockout group knocks out once",
         MaskedPage(marks, "0.2 g 20 20 100 100 re f 0.6 g 60 60 100 100 re f",
                    knockout),
         false, 0.99},
        {"a knockout group takes the grey in force at gs",
         MaskedPage("q 0.3 g /GS0 gs 0 0 200 200 re f Q", "20 20 100 100 re f 0.6 g 60 60 100 100 re f", knockout),
         false, 0.99},
        {"a group strokes with a pattern it sets itself", MaskedPage("0 0.1 0 0 k 0 0 200 200 re f " + marks,
         "/Pattern cs /P0 scn /Pattern CS /P0 SCN 9 w 1 J 20 20 m 180 180 l 20 180 m 180 20 l 100 10 m 100 190 l S",
         std::string("/Resources << /Pattern << /P0 7 0 R >> >> ") + kGroup, "",
         Pattern(1, "0 g 0 0 6 6 re f 0.2 0 0.8 0 k 6 6 6 6 re f")), false, 0.9},
        {"a group fills with the uncoloured pattern in force at gs",
         MaskedPage("q /CS0 cs 0.6 /P0 scn " + magenta, "0 0 200 200 re f", kOwnResources,
                    "/ColorSpace << /CS0 [/Pattern /DeviceGray] >> /Pattern << /P0 7 0 R >>",
                    Pattern(2, "0 0 6 12 re f")),
         false, 0, true},
    };
    const char* plates[] = {"plate-0-Cyan.png", "plate-1-Magenta.png", "plate-2-Yellow.png", "plate-3-Black.png"};
    for (const auto& page : pages) {
        SCOPED_TRACE(page.what);
        const std::string file = WriteFile("masked.pdf", page.page);
        const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(kDpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const std::vector<GrayPlate> theirs = TS_MutoolPlates(file, m_docs.File("masked.pam"), kDpi);
        for (int ink = 0; ink < 4; ++ink) {
            SCOPED_TRACE(plates[ink]);
            const GrayPlate ours = TS_ReadPlatePng(m_out.File(plates[ink]));
            const GrayPlate& peer = theirs[ink];
            for (int at = 3; page.stripes && ink == 1 && at + 6 < 200; at += 12) {
                EXPECT_NEAR(ours.At(at * kDpi / 72, ours.height / 2), 102, 8) << "stripe at " << at;
                EXPECT_EQ(ours.At((at + 6) * kDpi / 72, ours.height / 2), 255) << "gap at " << at + 6;
            }
            if (!page.stripes)
                TS_ExpectNearMutool(ours, peer, page.share);
            if (HasFatalFailure())
                return;
            // The diagonal outside the black square, where the mask's 0.2
            // lets a fifth of the magenta through.
            for (const int at : {10, 25, 40, 160, 175, 190})
                if (page.greyDiagonal && ink == 1) {
                    const int x = at * kDpi / 72, y = ours.height - 1 - x;
                    EXPECT_NEAR(255 - peer.At(x, y), 51, 8) << "mutool at " << at;
                    EXPECT_NEAR(ours.At(x, y), peer.At(x, y), 8) << "at " << at;
                }
        }
    }
}

}  // namespace

namespace {

// 62,000 graphics-state names beside 4,000 colour states of one mask whose
// group sets its own colour: one mask serves them all, so the page takes no
// name more than it holds and stays within the host's 65,535.
TEST_F(TS_ProgramTest, AMaskWhoseGroupSetsItsColoursTakesNoNameAPerState) {
    std::string names, content;
    for (int i = 0; i < 62000; ++i)
        names += "/E" + std::to_string(i) + " << /ca 1 >> ";
    const int states = 4000;
    for (int i = 0; i < states; ++i)
        content += "q " + std::to_string((i + 1.0) / (states + 1)) + " 0.5 0 0 k /GS0 gs " +
                   std::to_string(i % 100 * 2) + " " + std::to_string(i / 100 * 2) + " 1 1 re f Q\n";
    const std::string file =
        WriteFile("names.pdf", MaskedPage(content, "1 g 0 0 200 200 re f", kOwnResources, "", "", names));
    const TS_Run run = RunBinary(WithOut({file, "--dpi", std::to_string(kDpi)}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    const GrayPlate magenta = TS_ReadPlatePng(m_out.File("plate-1-Magenta.png"));
    for (const int i : {0, 1234, states - 1}) {
        const int x = (i % 100 * 2 * 2 + 1) * kDpi / 144, y = (i / 100 * 2 * 2 + 1) * kDpi / 144;
        EXPECT_NEAR(magenta.At(x, magenta.height - 1 - y), 128, 8) << "square " << i;
    }
}

}  // namespace

namespace {

// An axial grey shading across the page from grey from to grey to.
std::string GreyShading(double from, double to) {
    return "<< /ShadingType 2 /ColorSpace /DeviceGray /Coords [0 0 200 0] /Extend [true true] /Function "
           "<< /FunctionType 2 /Domain [0 1] /C0 [" + std::to_string(from) + "] /C1 [" + std::to_string(to) +
           "] /N 1 >> >>";
}

// A 200-point page whose resources, on the page or, with onPages, on its
// /Pages parent, hold resources and /GS0, /GA: a luminosity and an alpha
// mask of object 5, a DeviceGray group of box and entries groupEntries
// drawn by group; more objects from 6.
std::string MaskPage(const std::string& resources, const std::string& content, const std::string& group,
                     const std::string& groupEntries = "", const std::string& box = "[0 0 200 200]",
                     const std::vector<std::string>& more = {}, bool onPages = false) {
    const std::string all = "/Resources << /ExtGState << /GS0 << /SMask << /S /Luminosity /G 5 0 R >> >> "
                            "/GA << /SMask << /S /Alpha /G 5 0 R >> >> >> " + resources + " >> ";
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 " + (onPages ? all : "") + ">>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R " + (onPages ? "" : all) + ">>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
        "<< /Type /XObject /Subtype /Form /BBox " + box + " /Group << /S /Transparency /CS /DeviceGray >> " +
            groupEntries + " /Length " + std::to_string(group.size()) + " >>\nstream\n" + group + "\nendstream"};
    objects.insert(objects.end(), more.begin(), more.end());
    return PdfText("%PDF-1.4", objects);
}

// Pages drawn beside mutool's drawing of them.
class TS_MaskGroupTest : public TS_ProgramTest {
protected:
    // Runs page at kDpi and expects each CMYK plate within 8 levels of
    // mutool's drawing of reference (of page when empty) on 99% of the
    // marked pixels, and no word of anything lost.
    void ExpectNearMutool(const std::string& page, const std::string& reference = "") {
        const std::string file = WriteFile("masked.pdf", page);
        const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(kDpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_EQ(run.m_err.find("may lack"), std::string::npos) << run.m_err;
        const std::string drawn = reference.empty() ? file : WriteFile("reference.pdf", reference);
        const std::vector<GrayPlate> theirs = TS_MutoolPlates(drawn, m_docs.File("masked.pam"), kDpi);
        const char* plates[] = {"plate-0-Cyan.png", "plate-1-Magenta.png", "plate-2-Yellow.png",
                                "plate-3-Black.png"};
        for (int ink = 0; ink < 4; ++ink) {
            SCOPED_TRACE(plates[ink]);
            TS_ExpectNearMutool(TS_ReadPlatePng(m_out.File(plates[ink])), theirs[ink], 0.99);
        }
    }
};

// A mask's group without resources of its own finds the names it uses in
// those of the page or form that sets the mask, wherever they come from.
TEST_F(TS_MaskGroupTest, AGroupWithoutResourcesUsesThoseWhereTheMaskIsSet) {
    const std::string shading = "/Shading << /Sh0 " + GreyShading(0.1, 0.9) + " >>";
    const std::string shades = "q 30 30 140 140 re W n /Sh0 sh Q";
    const std::string masked = "0 0.8 0.3 0 k /GS0 gs 20 20 160 160 re f";
    std::string padded = shades + "\n";
    while (padded.size() <= 66 * 1024)
        padded += "% a comment line that pads the group's content out\n";
    // Each form sets the one mask over its half under an /Sh0 of its own.
    const auto half = [](int x, const std::string& shade) {
        const std::string content = "0 1 0 0 k /GS0 gs " + std::to_string(x) + " 0 100 200 re f";
        return "<< /Type /XObject /Subtype /Form /BBox [" + std::to_string(x) + " 0 " + std::to_string(x + 100) +
               " 200] /Resources << /ExtGState << /GS0 8 0 R >> /Shading << /Sh0 " + shade + " >> >> /Length " +
               std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
    };
    const struct {
        const char* what;
        std::string page;
    } pages[] = {
        {"a shading of the page's", MaskPage(shading, masked, shades)},
        {"an alpha mask", MaskPage(shading, "0 0.8 0.3 0 k /GA gs 20 20 160 160 re f", shades)},
        {"a luminosity and an alpha mask of one group",
         MaskPage(shading, "0 0.8 0.3 0 k /GS0 gs 20 20 80 160 re f /GA gs 100 20 80 160 re f", shades)},
        {"a Separation space of the page's",
         MaskPage("/ColorSpace << /CS0 [/Separation /Orange /DeviceCMYK << /FunctionType 2 /Domain [0 1] "
                  "/C0 [0 0 0 0] /C1 [0 0.5 1 0] /N 1 >>] >>",
                  masked, "/CS0 cs 0.7 scn 30 30 140 140 re f")},
        {"a DeviceN space of the page's",
         MaskPage("/ColorSpace << /CS0 [/DeviceN [/Orange /Green] /DeviceCMYK 6 0 R] >>", masked,
                  "/CS0 cs 0.8 0.3 scn 30 30 140 140 re f", "", "[0 0 200 200]",
                  // Orange in magenta, Green in yellow.
                  {"<< /FunctionType 4 /Domain [0 1 0 1] /Range [0 1 0 1 0 1 0 1] /Length 17 >>\nstream\n"
                   "{ 0 3 1 roll 0 }\nendstream"})},
        {"resources the page takes from its /Pages parent",
         MaskPage(shading, masked, shades, "", "[0 0 200 200]", {}, true)},
        {"a group over 64 KB", MaskPage(shading, masked, padded)},
        {"one group set from two forms whose /Sh0 differ",
         MaskPage("/XObject << /F1 6 0 R /F2 7 0 R >>", "/F1 Do /F2 Do", "/Sh0 sh", "", "[0 0 200 200]",
                  {half(0, GreyShading(0.3, 0.3)), half(100, GreyShading(0.8, 0.8)),
                   "<< /SMask << /S /Luminosity /G 5 0 R >> >>"})},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.what);
        ExpectNearMutool(page.page);
        if (HasFatalFailure())
            return;
    }
}

// Forms that each lend the group a dictionary of their own, as one program
// writes every form: those that name equal spaces share one copy of the
// group, and each still draws it in the /CS0 it names itself.
TEST_F(TS_MaskGroupTest, FormsLendingTheirOwnSpacesToOneGroupEachGetTheirs) {
    const std::string spot = "[/Separation /Spot /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] "
                             "/C1 [0 0.6 1 0] /N 1 >>]";
    const std::string reordered = "[/Separation /Spot /DeviceCMYK << /N 1 /C1 [0 0.6 1 0] /C0 [0 0 0 0] "
                                  "/Domain [0 1] /FunctionType 2 >>]";
    // A 50-point column from x under the mask, /CS0 the space given.
    const auto column = [](int x, const std::string& space) {
        const std::string content = "/GS0 gs 0 1 0 0 k " + std::to_string(x) + " 0 50 200 re f";
        return "<< /Type /XObject /Subtype /Form /BBox [0 0 200 200] /Resources << /ExtGState << /GS0 << /SMask "
               "<< /S /Luminosity /G 5 0 R >> >> >> /ColorSpace << /CS0 " + space + " >> >> /Length " +
               std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
    };
    const struct {
        const char* what;
        std::vector<std::string> spaces;  // of the four columns
    } rows[] = {
        {"a Separation and a DeviceGray in turn", {spot, "/DeviceGray", spot, "/DeviceGray"}},
        {"equal Separations in another order beside a DeviceGray", {"/DeviceGray", spot, reordered, spot}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<std::string> forms;
        for (int k = 0; k < 4; ++k)
            forms.push_back(column(50 * k, row.spaces[k]));
        ExpectNearMutool(MaskPage("/XObject << /F1 6 0 R /F2 7 0 R /F3 8 0 R /F4 9 0 R >>",
                                  "/F1 Do /F2 Do /F3 Do /F4 Do", "/CS0 cs 0.5 scn 0 0 200 200 re f", "",
                                  "[0 0 200 200]", forms));
        if (HasFatalFailure())
            return;
        // The two spaces mask apart: a copy shared by both would not.
        const GrayPlate magenta = TS_ReadPlatePng(m_out.File("plate-1-Magenta.png"));
        const int y = magenta.height / 2;
        for (int k = 1; k < 4; ++k) {
            const int a = magenta.At((50 * k - 25) * kDpi / 72, y), b = magenta.At((50 * k + 25) * kDpi / 72, y);
            const bool grayBeside = (row.spaces[k - 1] == "/DeviceGray") != (row.spaces[k] == "/DeviceGray");
            EXPECT_EQ(std::abs(a - b) > 30, grayBeside) << "columns " << k;
        }
    }
}

// A group that takes the fill in force is drawn where its matrix puts it
// and from its content decoded, however it is stored. mutool takes the
// colour at the mark, not at gs: its reference is the group setting that
// grey itself, stored plainly.
TEST_F(TS_MaskGroupTest, AGroupThatTakesTheFillKeepsItsMatrixAndFilters) {
    const std::string masked = "q 0.6 g /GS0 gs 0 1 0 0 k 10 10 180 180 re f Q";
    const std::string quarter = "0 100 400 100 re f";
    std::string padded = "0 50 200 100 re f\n";
    while (padded.size() <= 66 * 1024)
        padded += "% a comment line that pads the group's content out\n";
    const auto hex = [](const std::string& data) { return PdfHexText(data) + ">"; };
    const std::string own = "/Resources << >> ";
    const std::string halfScale = "/Matrix [0.5 0 0 0.5 0 0] ";
    const std::string flate = "/Filter /FlateDecode ";
    const struct {
        const char* what;
        std::string content;
        std::string data;
        std::string entries;  // but the box
        std::string box;
    } rows[] = {
        {"a matrix", quarter, quarter, own + halfScale, "[0 0 400 400]"},
        {"Flate", quarter, Deflated(quarter), own + flate, "[0 0 400 400]"},
        {"Flate, a matrix and no resources", quarter, Deflated(quarter), halfScale + flate, "[0 0 400 400]"},
        {"Flate over 64 KB decoded", padded, Deflated(padded), own + flate, "[0 0 200 200]"},
        {"ASCIIHex over Flate", quarter, hex(Deflated(quarter)),
         own + halfScale + "/Filter [/ASCIIHexDecode /FlateDecode]", "[0 0 400 400]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string plain = std::regex_replace(row.entries, std::regex("/Filter.*"), "");
        ExpectNearMutool(MaskPage("", masked, row.data, row.entries, row.box),
                         MaskPage("", masked, "0.6 g " + row.content, plain, row.box));
        if (HasFatalFailure())
            return;
    }
}

}  // namespace
