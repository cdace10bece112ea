// Opening a hand-made PDF file as a PD document for the viewer's tests.
#pragma once

#include "support/TestSupport.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_Paths.h"

#include <string>

// Writes bytes to path and opens the file as a PD document, releasing the
// path name it opened through.
inline PDFL_PDDoc VIEW_OpenTestDoc(const std::string& path, const std::string& bytes) {
    WriteWholeFile(path, bytes);
    const PDFL_ASPathName pathName = VIEW_Paths::Make(path);
    const PDFL_PDDoc doc = VIEW_PD::DocOpen(pathName, nullptr);
    VIEW_Paths::Release(pathName);
    return doc;
}
