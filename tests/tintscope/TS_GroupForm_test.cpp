// A form that is a transparency group is composed as a whole: the mask,
// alpha and blend mode in force at its Do apply to the group once, and its
// knockout holds inside it, on every plate as both peers draw it.
#include "TS_BothPeers.h"
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

// A 192-point page whose group form of entries fills it with a pattern of
// 48-point cells, each painting two 24-point black squares at alpha 0.5
// that overlap by 12 points; edges lie on pixel edges.
std::string PatternGroupPage(const std::string& entries) {
    const std::string form = "/Pattern cs /P0 scn 0 0 192 192 re f";
    const std::string cell = "/A gs 0 0 0 1 k 0 0 24 24 re f 12 12 24 24 re f";
    return TS_SquarePage(192, "/XObject << /Fm0 5 0 R >>", "/Fm0 Do",
                         {"<< /Type /XObject /Subtype /Form /BBox [0 0 192 192] /Group << /S /Transparency " +
                              entries + " >> /Resources << /Pattern << /P0 6 0 R >> >> /Length " +
                              std::to_string(form.size()) + " >>\nstream\n" + form + "\nendstream",
                          "<< /Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 48 48] "
                          "/XStep 48 /YStep 48 /Resources << /ExtGState << /A << /ca 0.5 >> >> >> /Length " +
                              std::to_string(cell.size()) + " >>\nstream\n" + cell + "\nendstream"});
}

// A pattern is one mark to the group it paints in: its cell's squares
// composite with each other, so a knockout group leaves 0.75 where they
// overlap, as tiffsep draws it, not the last square's 0.5.
TEST_F(TS_ProgramTest, APatternIsOneMarkToTheKnockoutGroupItPaints) {
    const struct {
        const char* what;
        const char* entries;
    } groups[] = {
        {"a knockout group", "/K true"},
        {"an isolated knockout group", "/I true /K true"},
        {"a group that does not knock out", ""},
    };
    // Points of one cell (pattern space) and the Black they take.
    const struct {
        const char* what;
        double x, y;
        int black;
    } points[] = {
        {"the first square", 6, 6, 128}, {"the overlap", 18, 18, 191}, {"the second square", 30, 30, 128},
        {"outside the squares", 42, 42, 0}, {"beside the squares", 42, 6, 0},
    };
    for (const auto& group : groups) {
        SCOPED_TRACE(group.what);
        const std::string file = WriteFile("pattern.pdf", PatternGroupPage(group.entries));
        const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(kDpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const GrayPlate ours = TS_ReadPlatePng(m_out.File("plate-3-Black.png"));
        const std::map<std::string, GrayPlate> tiffsep = GhostscriptRenderer::Separations(file, kDpi);
        const auto peer = tiffsep.find("Black");
        ASSERT_NE(peer, tiffsep.end());
        for (const GrayPlate* plate : {&ours, &peer->second}) {
            ASSERT_EQ(plate->width, 400);
            ASSERT_EQ(plate->height, 400);
        }
        TS_ExpectNearMutool(ours, peer->second, 0.99);
        for (int cell = 0; cell < 16; ++cell)
            for (const auto& point : points) {
                const double x = cell % 4 * 48 + point.x, y = cell / 4 * 48 + point.y;
                const int px = static_cast<int>(x * kDpi / 72), py = static_cast<int>((192 - y) * kDpi / 72);
                SCOPED_TRACE(std::string(point.what) + " of cell " + std::to_string(cell));
                EXPECT_NEAR(255 - ours.At(px, py), point.black, 8);
                EXPECT_NEAR(255 - peer->second.At(px, py), point.black, 8) << "tiffsep";
            }
    }
}

// A Black 192-point page drawing an isolated group that runs content, with
// /Fy a form that fills and strokes a Cyan square with B, /Fz a form that
// draws /Fy, and ExtGState /GA (overprint, alpha 0.5), /GM (overprint,
// Multiply), /GO (overprint), /GC (stroke alpha 1).
std::string AlphaCallerPage(const std::string& content) {
    const std::string square = "1 0 0 0 k 1 0 0 0 K 16 w 48 48 96 96 re B";
    return TS_SquarePage(
        192, "/XObject << /Fx 5 0 R >>", "0 0 0 1 k 0 0 192 192 re f /Fx Do",
        {"<< /Type /XObject /Subtype /Form /BBox [0 0 192 192] /Group << /S /Transparency /I true >>"
         " /Resources << /ExtGState << /GA << /OP true /op true /OPM 1 /ca 0.5 /CA 0.5 >>"
         " /GM << /OP true /op true /OPM 1 /BM /Multiply >> /GO << /OP true /op true /OPM 1 >> /GC << /CA 1 >> >>"
         " /XObject << /Fy 6 0 R /Fz 7 0 R >> >> /Length " + std::to_string(content.size()) + " >>\nstream\n" +
             content + "\nendstream",
         "<< /Type /XObject /Subtype /Form /BBox [0 0 192 192] /Resources << >> /Length " +
             std::to_string(square.size()) + " >>\nstream\n" + square + "\nendstream",
         "<< /Type /XObject /Subtype /Form /BBox [0 0 192 192] /Resources << /XObject << /Fy 6 0 R >> >>"
         " /Length 6 >>\nstream\n/Fy Do\nendstream"});
}

// What decides how a fill and stroke keeps the group's backdrop (stroke
// alpha, blend mode) is the state in force where a form draws it, however
// deep, and what Q restores, as both peers draw it.
TEST_F(TS_ProgramTest, AFillAndStrokeInAFormKeepsTheBackdropByTheAlphaAndBlendInForceAtDo) {
    const struct {
        const char* what;
        const char* content;
    } rows[] = {
        {"alpha set by the caller", "/GA gs /Fy Do"},
        {"alpha set two forms up", "/GA gs /Fz Do"},
        {"Multiply set by the caller", "/GM gs /Fy Do"},
        {"alpha set by the caller, stroke alpha back to 1", "/GA gs /GC gs /Fy Do"},
        {"alpha restored by Q before Do", "/GO gs q /GA gs Q /Fy Do"},
        {"alpha set in the group", "/GA gs 1 0 0 0 k 1 0 0 0 K 16 w 48 48 96 96 re B"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string file = WriteFile("alpha.pdf", AlphaCallerPage(row.content));
        const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(kDpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const std::vector<OffBothPeers> plates =
            ProcessPlatesAgainstBothPeers(file, m_out, m_docs.File("alpha.pam"), kDpi);
        ASSERT_EQ(plates.size(), 4u);
        for (size_t i = 0; i < plates.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_LE(plates[i].off, 20) << "pixels off both peers";
            EXPECT_EQ(plates[i].strayInk, 0) << "pixels inked where both peers leave the plate blank";
        }
    }
}

}  // namespace
