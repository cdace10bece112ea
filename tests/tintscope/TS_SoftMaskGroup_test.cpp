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
constexpr int kSide = 200;

// content, whose /GS0 is a mask whose group is painted by group and whose
// colour space is DeviceGray; by default a magenta square over the page
// painted through it after before.
std::string MaskedPage(const std::string& before, const std::string& group, const std::string& content = "",
                       const std::string& moreStates = "") {
    return TS_SquarePage(kSide, "/ExtGState << /GS0 << /SMask << /S /Luminosity /G 5 0 R >> >> " + moreStates + ">>",
                         content.empty() ? "q " + before + "/GS0 gs 0 1 0 0 k 0 0 200 200 re f Q" : content,
                         {"<< /Type /XObject /Subtype /Form /BBox [0 0 200 200] /Resources << >> "
                          "/Group << /S /Transparency /CS /DeviceGray >> /Length " +
                          std::to_string(group.size()) + " >>\nstream\n" + group + "\nendstream"});
}

// Half grey over the box, then 50 lines fanned across it, stroked 3 wide.
std::string FannedLines(const std::string& strokeColour) {
    std::string lines = "0.5 g 0 0 200 200 re f";
    for (int x = 0; x < 200; x += 4)
        lines += " " + std::to_string(x) + " 0 m " + std::to_string(200 - x) + " 200 l";
    return lines + " " + strokeColour + "3 w S";
}

TEST_F(TS_ProgramTest, ASoftMasksGroupIsDrawnInItsOwnColoursOnEveryPlate) {
    const struct {
        const char* what;
        std::string page;
        bool greyDiagonal;
    } pages[] = {
        {"strokes without a colour of their own take the default black", MaskedPage("", FannedLines("")), false},
        {"strokes after 0 G", MaskedPage("", FannedLines("0 G ")), false},
        {"a stroke takes the grey the page set before gs",
         MaskedPage("0.2 G ", "1 g 0 0 200 200 re f 0 g 50 50 100 100 re f 0 0 m 200 200 l 10 w S"), true},
        // The page's own states bear the names a separated page gives the
        // mask's variants.
        {"one mask under two greys, beside states named gs1 and gs2",
         MaskedPage("", "1 g 0 0 200 200 re f 0 0 m 200 200 l 20 w S",
                    "q 0.2 G /GS0 gs /gs1 gs 0 1 0 0 k 0 0 100 200 re f Q "
                    "q 0.7 G /GS0 gs /gs2 gs 1 0 0 0 k 100 0 100 200 re f Q",
                    "/gs1 << /CA 1 >> /gs2 << /LW 1 >> "),
         false},
        // A group with no resources of its own paints a form of the page's.
        {"a group without resources takes those in force at gs",
         TS_SquarePage(kSide,
                       "/ExtGState << /GS0 << /SMask << /S /Luminosity /G 5 0 R >> >> >> /XObject << /Fx 6 0 R >>",
                       "q /GS0 gs 0 1 0 0 k 0 0 200 200 re f Q",
                       {"<< /Type /XObject /Subtype /Form /BBox [0 0 200 200] /Length 27 >>\nstream\n"
                        "1 g 0 0 200 200 re f /Fx Do\nendstream",
                        "<< /Type /XObject /Subtype /Form /BBox [0 0 200 200] /Length 21 >>\nstream\n"
                        "0 g 0 0 100 200 re f\nendstream"}),
         false},
    };
    const char* plates[] = {"plate-0-Cyan.png", "plate-1-Magenta.png", "plate-2-Yellow.png", "plate-3-Black.png"};
    for (const auto& page : pages) {
        SCOPED_TRACE(page.what);
        const std::string file = WriteFile("masked.pdf", page.page);
        const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(kDpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const std::vector<GrayPlate> theirs = TS_MutoolPlates(file, m_docs.File("masked.pam"), kDpi);
        std::vector<GrayPlate> ours;
        for (int ink = 0; ink < 4; ++ink) {
            SCOPED_TRACE(plates[ink]);
            ours.push_back(TS_ReadPlatePng(m_out.File(plates[ink])));
            const GrayPlate& peer = theirs[ink];
            ASSERT_EQ(ours[ink].width, peer.width);
            ASSERT_EQ(ours[ink].height, peer.height);
            long inked = 0, close = 0;
            for (size_t i = 0; i < peer.pixels.size(); ++i)
                if (ours[ink].pixels[i] < 255 || peer.pixels[i] < 255) {
                    ++inked;
                    close += std::abs(ours[ink].pixels[i] - peer.pixels[i]) <= 8;
                }
            EXPECT_GE(close, inked * 0.95) << close << " of " << inked << " inked pixels within 8 levels";
        }
        if (!page.greyDiagonal)
            continue;
        // The diagonal outside the black square: the mask's 0.2 lets a
        // fifth of the magenta through.
        for (const int at : {10, 25, 40, 160, 175, 190}) {
            const int x = at * kDpi / 72, y = ours[1].height - 1 - at * kDpi / 72;
            const int mine = 255 - ours[1].At(x, y), peer = 255 - theirs[1].At(x, y);
            EXPECT_NEAR(peer, 51, 8) << "mutool at " << at;
            EXPECT_NEAR(mine, peer, 8) << "at " << at;
        }
    }
}

}  // namespace
