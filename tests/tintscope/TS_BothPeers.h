// Plates judged where the two peers agree: mutool's CMYK drawing and
// Ghostscript's tiffsep plates, where they come within 8 levels of each
// other, are right far more often than either alone.
#pragma once

#include <string>
#include <vector>

#include "TS_ProgramFixture.h"

// Where mutool and tiffsep agree within 8 levels: the pixels ours is more
// than 8 levels from both, and those it inks above 10 where both are blank.
struct OffBothPeers {
    long off = 0;
    long strayInk = 0;
};
OffBothPeers CompareWithBothPeers(const GrayPlate& ours, const GrayPlate& mutool, const GrayPlate& tiffsep);

// Each process plate the program drew of file into out, in the order Cyan,
// Magenta, Yellow, Black, against both peers at dpi (mutool's drawing goes
// through pam); a plate or peer missing is a failure and is left out.
std::vector<OffBothPeers> ProcessPlatesAgainstBothPeers(const std::string& file, const ScratchDir& out,
                                                        const std::string& pam, int dpi);
