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

// A 200-point page of content whose /GS0 is a luminosity mask of a
// DeviceGray group drawn by group, with resources of its own unless lent
// those at gs. /Fx fills the left half black; /gs1 and /gs2 bear the names
// a separated page gives the mask's variants.
std::string MaskedPage(const std::string& content, const std::string& group, bool groupResources = true) {
    const std::string form = "<< /Type /XObject /Subtype /Form /BBox [0 0 200 200] ";
    return TS_SquarePage(200,
                         "/ExtGState << /GS0 << /SMask << /S /Luminosity /G 5 0 R >> >> /gs1 << /CA 1 >> "
                         "/gs2 << /LW 1 >> >> /XObject << /Fx 6 0 R >>",
                         content,
                         {form + (groupResources ? "/Resources << >> " : "") +
                              "/Group << /S /Transparency /CS /DeviceGray >> /Length " + std::to_string(group.size()) +
                              " >>\nstream\n" + group + "\nendstream",
                          form + "/Length 20 >>\nstream\n0 g 0 0 100 200 re f\nendstream"});
}

TEST_F(TS_ProgramTest, ASoftMasksGroupIsDrawnInItsOwnColoursOnEveryPlate) {
    const std::string magenta = "/GS0 gs 0 1 0 0 k 0 0 200 200 re f Q";  // over the page, through the mask
    // Half grey over the box, then 50 lines fanned across it.
    std::string fanned = "0.5 g 0 0 200 200 re f";
    for (int x = 0; x < 200; x += 4)
        fanned += " " + std::to_string(x) + " 0 m " + std::to_string(200 - x) + " 200 l";
    const struct {
        const char* what;
        std::string page;
        bool greyDiagonal = false;
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
         MaskedPage("q " + magenta, "1 g 0 0 200 200 re f /Fx Do", false)},
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
            TS_ExpectNearMutool(ours, peer);
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
