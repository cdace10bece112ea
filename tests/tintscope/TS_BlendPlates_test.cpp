// Blend modes on every plate, process and spot, beside both peers: each
// ink's page is grey and blends ink alone, so Luminosity paints as /Normal,
// and a spot ink's plate takes only the separable modes that keep white,
// the others composed as /Normal.
#include "TS_ProgramFixture.h"
#include "support/GhostscriptRenderer.h"

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kDpi = 150;
constexpr int kLevels = 8;  // two renderers' levels part by this much

// Orange is a spot ink of the page; Green one that no mark uses.
const std::string kSpots =
    "/ColorSpace << /Or [/Separation /Orange /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] "
    "/C1 [0 0.5 1 0] /N 1 >>] /Gr [/Separation /Green /DeviceCMYK << /FunctionType 2 /Domain [0 1] "
    "/C0 [0 0 0 0] /C1 [0.8 0 0.9 0] /N 1 >>] >>";

// A 192-point page (400 pixels, every edge on a pixel edge) that paints
// page, then backdrop and mark, mark under /BM mode at alpha: on the page
// when group is null, else both inside a group form of those entries.
std::string BlendPage(const std::string& mode, const char* alpha, const char* group, const std::string& page,
                      const std::string& backdrop, const std::string& mark) {
    const std::string resources =
        kSpots + " /ExtGState << /B << /BM /" + mode + " /ca " + alpha + " /CA " + alpha + " >> >>";
    const std::string blended = backdrop + " /B gs " + mark;
    if (!group)
        return TS_SquarePage(192, resources, page + " " + blended);
    return TS_SquarePage(192, kSpots + " /XObject << /Fx 5 0 R >>", page + " /Fx Do",
                         {"<< /Type /XObject /Subtype /Form /BBox [0 0 192 192] /Group << /S /Transparency " +
                          std::string(group) + " >> /Resources << " + resources + " >> /Length " +
                          std::to_string(blended.size()) + " >>\nstream\n" + blended + "\nendstream"});
}

// The name of a plate file: plate-N-INK.png.
std::string PlateInk(const std::string& file) {
    const size_t first = file.find('-');
    const size_t second = first == std::string::npos ? first : file.find('-', first + 1);
    if (file.rfind("plate-", 0) != 0 || second == std::string::npos || file.size() < second + 5)
        return std::string();
    return file.substr(second + 1, file.size() - second - 5);
}

// Expects every plate of folder as both peers draw it where they agree
// (spot plates, and all plates when mutool is empty, beside tiffsep alone):
// within kLevels of them on all of those pixels, and a plate of an ink
// tiffsep does not draw blank on every pixel.
void ExpectPlatesAsPeers(const ScratchDir& folder, const std::vector<GrayPlate>& mutool,
                         const std::map<std::string, GrayPlate>& tiffsep) {
    const char* const process[] = {"Cyan", "Magenta", "Yellow", "Black"};
    int plates = 0;
    for (const std::string& file : folder.List()) {
        const std::string ink = PlateInk(file);
        if (ink.empty())
            continue;
        ++plates;
        SCOPED_TRACE(ink);
        const GrayPlate ours = TS_ReadPlatePng(folder.File(file));
        const auto peer = tiffsep.find(ink);
        if (peer == tiffsep.end()) {
            long inked = 0;
            for (uint8_t level : ours.pixels)
                inked += level != 255;
            EXPECT_EQ(inked, 0) << "pixels inked on the plate of an ink no mark uses";
            continue;
        }
        const GrayPlate* other = nullptr;
        for (int i = 0; i < 4 && mutool.size() == 4; ++i)
            other = ink == process[i] ? &mutool[i] : other;
        ASSERT_EQ(ours.pixels.size(), peer->second.pixels.size());
        if (other) {
            ASSERT_EQ(ours.pixels.size(), other->pixels.size());
        }
        long offBoth = 0;
        for (size_t i = 0; i < ours.pixels.size(); ++i) {
            const int gs = peer->second.pixels[i];
            if (other && std::abs(gs - other->pixels[i]) > kLevels)
                continue;
            offBoth += std::abs(ours.pixels[i] - gs) > kLevels &&
                       (!other || std::abs(ours.pixels[i] - other->pixels[i]) > kLevels);
        }
        EXPECT_EQ(offBoth, 0) << "pixels off both peers where they agree";
    }
    EXPECT_GE(plates, 6);
}

struct Row {
    std::string what;
    std::string page;
    bool tiffsepAlone = false;
    std::string line;  // what the warning says the plates make of the mode
};

class TS_BlendPlatesTest : public TS_ProgramTest {
protected:
    // Each row's page drawn by the program, every plate beside both peers.
    void ExpectRowsAsPeers(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.what);
            const std::string file = WriteFile("blend.pdf", row.page);
            const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(kDpi)}));
            ASSERT_EQ(run.m_code, 0) << run.m_err;
            EXPECT_NE(run.m_err.find(row.line), std::string::npos) << run.m_err;
            ExpectPlatesAsPeers(m_out,
                                row.tiffsepAlone ? std::vector<GrayPlate>()
                                                 : TS_MutoolPlates(file, m_docs.File("blend.pam"), kDpi),
                                GhostscriptRenderer::Separations(file, kDpi));
        }
    }
};

// Contexts of a blended mark: the page, and groups plain, isolated and
// explicitly not isolated.
const struct {
    const char* what;
    const char* group;
} kContexts[] = {{"on the page", nullptr},
                 {"in a plain group", ""},
                 {"in an isolated group", "/I true"},
                 {"in a non-isolated group", "/I false"}};

TEST_F(TS_BlendPlatesTest, NonSeparableModesOfABlackSourceAtAlphaPaintAsThePeers) {
    const std::string black = "0 0 0 0.7 k 72 72 96 96 re f";
    const struct {
        const char* what;
        std::string paint;
    } backdrops[] = {{"over the same ink", "0 0 0 0.4 k 24 24 96 96 re f"},
                     {"over a spot ink", "/Or cs 0.8 scn 24 24 96 96 re f"}};
    std::vector<Row> rows;
    for (const std::string mode : {"Luminosity", "Hue", "Saturation", "Color"})
        for (const auto& context : kContexts) {
            // Luminosity of a black source is the source's black (ISO
            // 32000-1, 11.3.5.3), as tiffsep draws it; mutool's CMYK blend
            // gives a black of its own over black in a group.
            const bool luminosity = mode == "Luminosity";
            for (const auto& backdrop : backdrops)
                rows.push_back({mode + " " + context.what + " " + backdrop.what,
                                BlendPage(mode, "0.5", context.group, "", backdrop.paint, black), luminosity, ""});
            // The others mix C, M and Y, which one ink's page cannot hold.
            if (luminosity)
                rows.push_back({mode + " " + context.what + " over another process ink",
                                BlendPage(mode, "0.5", context.group, "", "0 0.8 0 0 k 24 24 96 96 re f", black),
                                true, ""});
        }
    ExpectRowsAsPeers(rows);
}

TEST_F(TS_BlendPlatesTest, SpotPlatesTakeOnlyTheBlendModesThatKeepWhite) {
    const std::string cyan = "0.6 0 0 0 k 72 72 96 96 re f";
    const std::string orangeElsewhere = "/Or cs 1 scn 168 168 24 24 re f";
    const struct {
        const char* what;
        std::string page;
        std::string backdrop;
    } backdrops[] = {{"over a spot mark", "", "/Or cs 0.8 scn 24 24 96 96 re f"},
                     {"over a process mark, the spot ink used elsewhere", orangeElsewhere,
                      "0 0 0 0.6 k 24 24 96 96 re f"},
                     {"over a process mark, no spot ink used", "", "0 0 0 0.6 k 24 24 96 96 re f"}};
    // Multiply and Screen keep white: the controls.
    const struct {
        const char* mode;
        const char* line;
    } modes[] = {{"Difference", "its plates blend ink by ink (spot: /Normal)\n"},
                 {"Exclusion", "its plates blend ink by ink (spot: /Normal)\n"},
                 {"Hue", "so this mode paints only where nothing lies beneath (spot: /Normal)\n"},
                 {"Multiply", "its plates blend ink by ink\n"},
                 {"Screen", "its plates blend ink by ink\n"}};
    std::vector<Row> rows;
    for (const auto& mode : modes)
        for (int c : {0, 2})
            for (const auto& backdrop : backdrops)
                // In a group the warning names the group form first.
                rows.push_back({std::string(mode.mode) + " " + kContexts[c].what + " " + backdrop.what,
                                BlendPage(mode.mode, "1", kContexts[c].group, backdrop.page, backdrop.backdrop, cyan),
                                false, c == 0 ? mode.line : "with a transparency group"});
    ExpectRowsAsPeers(rows);
}

}  // namespace
