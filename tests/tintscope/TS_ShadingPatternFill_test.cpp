// A shading pattern named alone in a Pattern space with a base: the page
// separates, and its ink's plate is Ghostscript's.
#include "TS_ProgramFixture.h"
#include "support/GhostscriptRenderer.h"
#include "support/PdfText.h"

#include <map>
#include <string>

namespace {

// 200 x 200 points; 20 20 160 160 filled with an axial cyan ramp, none at
// x = 20 and full at x = 180.
std::string ShadingPage() {
    const std::string content = "/UP cs /Sh0 scn 20 20 160 160 re f";
    return TS_SquarePage(200, "/ColorSpace << /UP [/Pattern /DeviceCMYK] >> /Pattern << /Sh0 5 0 R >>", content,
                         {"<< /PatternType 2 /Shading << /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [20 0 180 0] "
                          "/Function << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [1 0 0 0] /N 1 >> "
                          "/Extend [true true] >> >>"});
}

TEST_F(TS_ProgramTest, AShadingPatternNamedAloneInASpaceWithABaseInksAsTiffsep) {
    const std::string file = WriteFile("shading.pdf", ShadingPage());
    const TS_Run run = Run(WithOut({file, "--dpi", "150"}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    const std::map<std::string, GrayPlate> tiffsep = GhostscriptRenderer::Separations(file, 150);
    const struct {
        const char* ink;
        const char* plate;
    } plates[] = {{"Cyan", "plate-0-Cyan.png"},
                  {"Magenta", "plate-1-Magenta.png"},
                  {"Yellow", "plate-2-Yellow.png"},
                  {"Black", "plate-3-Black.png"}};
    for (const auto& p : plates) {
        SCOPED_TRACE(p.ink);
        const auto peer = tiffsep.find(p.ink);
        ASSERT_NE(peer, tiffsep.end());
        const GrayPlate plate = TS_ReadPlatePng(m_out.File(p.plate));
        ASSERT_GT(plate.width, 0);
        // The inked share too: a blank plate cannot pass for the ramp.
        const PlateMatch match = ComparePlate(peer->second, plate);
        EXPECT_GE(match.Share(), PlateMatch::RequiredShare);
        EXPECT_GE(match.InkedShare(), PlateMatch::RequiredShare);
    }
}

}  // namespace
