#include "TS_BothPeers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "support/GhostscriptRenderer.h"

OffBothPeers CompareWithBothPeers(const GrayPlate& ours, const GrayPlate& mutool, const GrayPlate& tiffsep) {
    OffBothPeers result;
    const int width = std::min({ours.width, mutool.width, tiffsep.width});
    const int height = std::min({ours.height, mutool.height, tiffsep.height});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int o = ours.At(x, y), m = mutool.At(x, y), t = tiffsep.At(x, y);
            if (std::abs(m - t) > 8)
                continue;
            result.off += std::abs(o - m) > 8 && std::abs(o - t) > 8;
            result.strayInk += m == 255 && t == 255 && o < 255 - 10;
        }
    return result;
}

std::vector<OffBothPeers> ProcessPlatesAgainstBothPeers(const std::string& file, const ScratchDir& out,
                                                        const std::string& pam, int dpi) {
    const std::vector<GrayPlate> mutool = TS_MutoolPlates(file, pam, dpi);
    const std::map<std::string, GrayPlate> tiffsep = GhostscriptRenderer::Separations(file, dpi);
    const char* const inks[] = {"Cyan", "Magenta", "Yellow", "Black"};
    std::vector<OffBothPeers> results;
    for (size_t i = 0; i < 4; ++i) {
        const auto peer = tiffsep.find(inks[i]);
        const GrayPlate ours = TS_ReadPlatePng(out.File("plate-" + std::to_string(i) + "-" + inks[i] + ".png"));
        if (i >= mutool.size() || peer == tiffsep.end() || ours.width <= 0) {
            ADD_FAILURE() << inks[i] << ": a plate or a peer's plate is missing";
            continue;
        }
        results.push_back(CompareWithBothPeers(ours, mutool[i], peer->second));
    }
    return results;
}
