// A form that is a transparency group is composed as a whole: the mask,
// alpha and blend mode in force at its Do apply to the group once, and its
// knockout holds inside it, on every plate as both peers draw it.
#include "TS_ProgramFixture.h"
#include "support/GhostscriptRenderer.h"

#include <map>
#include <string>

namespace {

constexpr int kDpi = 150;

// A 192-point page (400 pixels) that runs content with /Fm0 the group form
// of entries holding /A (alpha 0.5) and painting inside, and /GS1 a 0.5
// luminosity mask, /Ca alpha 0.5, /Mu Multiply. Edges lie on pixel edges.
std::string GroupPage(const std::string& content, const std::string& entries, const std::string& inside) {
    return TS_SquarePage(192,
                         "/ExtGState << /GS1 << /SMask << /S /Luminosity /G 5 0 R >> >> /Ca << /ca 0.5 >> "
                         "/Mu << /BM /Multiply >> >> /XObject << /Fm0 6 0 R >>",
                         content,
                         {"<< /Type /XObject /Subtype /Form /BBox [0 0 192 192] "
                          "/Group << /S /Transparency /CS /DeviceGray >> /Length 22 >>\nstream\n"
                          "0.5 g 0 0 192 192 re f\nendstream",
                          "<< /Type /XObject /Subtype /Form /BBox [0 0 192 192] /Group << /S /Transparency " +
                              entries + " >> /Resources << /ExtGState << /A << /ca 0.5 >> >> >> /Length " +
                              std::to_string(inside.size()) + " >>\nstream\n" + inside + "\nendstream"});
}

TEST_F(TS_ProgramTest, AGroupFormIsComposedAsAWholeAsBothPeersDrawIt) {
    const std::string squares = "0 0 0 1 k 24 24 96 96 re f 72 72 96 96 re f";
    const std::string inks = "0.8 0 0 0.4 k 24 24 96 96 re f 0 0.7 0.3 0.2 k 72 72 96 96 re f";
    const struct {
        const char* what;
        std::string page;
    } pages[] = {
        {"a group under a mask", GroupPage("/GS1 gs /Fm0 Do", "", squares)},
        {"a group at half alpha under a mask", GroupPage("/GS1 gs /Fm0 Do", "", "/A gs " + squares)},
        {"a knockout group at half alpha under a mask", GroupPage("/GS1 gs /Fm0 Do", "/K true", "/A gs " + squares)},
        {"a knockout group at half alpha", GroupPage("/Fm0 Do", "/K true", "/A gs " + squares)},
        {"an isolated knockout group of four inks at half alpha",
         GroupPage("0 0.5 0 0 k 0 0 192 96 re f /Fm0 Do", "/I true /K true", "/A gs " + inks)},
        {"a group under alpha and Multiply at Do",
         GroupPage("0.2 0.5 0 0 k 0 0 192 96 re f /Ca gs /Mu gs /Fm0 Do", "/CS /DeviceCMYK", inks)},
    };
    const char* const names[] = {"Cyan", "Magenta", "Yellow", "Black"};
    for (const auto& page : pages) {
        SCOPED_TRACE(page.what);
        const std::string file = WriteFile("group.pdf", page.page);
        const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(kDpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const std::vector<GrayPlate> mutool = TS_MutoolPlates(file, m_docs.File("group.pam"), kDpi);
        const std::map<std::string, GrayPlate> tiffsep = GhostscriptRenderer::Separations(file, kDpi);
        for (int ink = 0; ink < 4; ++ink) {
            SCOPED_TRACE(names[ink]);
            const GrayPlate ours =
                TS_ReadPlatePng(m_out.File("plate-" + std::to_string(ink) + "-" + names[ink] + ".png"));
            TS_ExpectNearMutool(ours, mutool[ink], 0.99);
            const auto peer = tiffsep.find(names[ink]);
            ASSERT_NE(peer, tiffsep.end());
            SCOPED_TRACE("tiffsep");
            TS_ExpectNearMutool(ours, peer->second, 0.99);
        }
    }
}

}  // namespace
