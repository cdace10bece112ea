// The pages of the separation engine's end-to-end check: about fifteen
// single pages, each built in a new memory document from PDF text, with
// image, function and mesh data made by the project's own encoders (the
// filters behind GLOB_Doc::NewStream, CPDF_SampleTable::MakeObject,
// CPDF_MeshWriter). Spot inks are Gold and Silver. Test support only.
//
// Each page names what Ghostscript's tiffsep device must find on it: its
// spot inks in the order the page's resources give them (the job's inks
// after the four process inks), and the inks its construct paints, each on
// at least 1% of that ink's plate; every other ink is white everywhere.
//
// The constructs stay within what the separation engine reads (PDF 1.3):
// no transparency but an image's soft mask, no transfer functions or
// halftones.
#pragma once

#include "CPDF/document/CPDF_Doc.h"

#include <string>
#include <vector>

struct CorpusPage {
    const char* name;
    std::vector<std::string> spots;
    std::vector<std::string> painted;
    // A new document whose page 0 is the page.
    CPDF_Doc (*build)();
};

// The pages in a fixed order; names are unique.
const std::vector<CorpusPage>& SeparationCorpus();
