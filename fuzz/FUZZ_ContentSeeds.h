// Seeds of the content-model targets, from the project's own tests and
// writers: the programs of the PostScript calculator's tests, meshes packed
// by CPDF_MeshWriter, and the colour-space, function, shading, image and
// resource objects of the tests written as FUZZ_Objects text.
#pragma once

#include <map>
#include <string>
#include <vector>

// The seeds of each target, by target name.
std::map<std::string, std::vector<std::string>> FUZZ_ContentSeeds();
