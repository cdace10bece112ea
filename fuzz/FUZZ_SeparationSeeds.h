// Seeds of the separation-engine targets: the pages of the end-to-end
// corpus (tests/support/SeparationCorpus) as FUZZ_Objects text, the
// functions, shadings, images and Indexed spaces those pages hold, and
// hand-written pages and objects of shapes the unit tests and outside
// checks met: shared stitching sub-functions, a Type 3 font chosen with Tf
// whose glyph paints its own colour, a CMYK image with a soft mask, a page
// without Contents, 12-bit samples, short data.
#pragma once

#include <map>
#include <string>
#include <vector>

// The seeds of each target, by target name.
std::map<std::string, std::vector<std::string>> FUZZ_SeparationSeeds();
