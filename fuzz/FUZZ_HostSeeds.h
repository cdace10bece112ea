// Seeds of the reading path's target: whole PDF files. Two hand-written
// pages (process fills and a spot ink; a page tree whose leaf inherits its
// boxes and resources), and the small files of the shared corpus whole and
// cut short, so that the stand-in's repair is fuzzed too.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Files of the corpus up to this size are taken; larger ones make each run
// too slow to fuzz.
constexpr size_t FUZZ_MaxHostSeed = size_t(32) << 10;

std::vector<std::string> FUZZ_HostSeeds(const std::string& corpusDir);
