// A luminosity soft mask's group is drawn in the colours its own content
// and the graphics state at gs give it, on every plate alike: the grey that
// each ink's page sets for itself never reaches the mask. mutool's CMYK
// drawing of the same page is the reference.
#include "TS_ProgramFixture.h"

#include <cstdlib>
#include <string>
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
