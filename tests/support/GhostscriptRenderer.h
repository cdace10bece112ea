// Renders PDF files with Ghostscript (the gs program of the "ghostscript"
// package, which tools/deps.sh installs) for the end-to-end check of the
// separation engine. Test support only: nothing under src/ runs it.
//
// Every run uses -dSAFER (reading allowed under TMPDIR, where external-file
// streams live), -dPDFSTOPONERROR, and fails when Ghostscript prints a repair
// or error notice: a file that only opens after repair is a fault of the
// writer. Output files go to a scratch folder under TMPDIR that is removed
// before the call returns. A missing gs, a failed run, or output other than
// expected throws std::runtime_error, so a test that needs Ghostscript fails
// without it; it never skips.
#pragma once

#include "support/GrayPlate.h"

#include <map>
#include <string>
#include <vector>

// What of the file Ghostscript renders: the crop box instead of the media
// box, and a range of pages (from 1; 0 leaves that end open).
struct GhostscriptPages {
    bool m_useCropBox = false;
    int m_first = 0;
    int m_last = 0;
};

class GhostscriptRenderer {
public:
    static constexpr int DefaultResolution = 100;

    // tiffsep with overprint simulated: one plate per ink that Ghostscript
    // finds on the page, under the ink's name (tiffsep names its files after
    // the inks and gives no order).
    static std::map<std::string, GrayPlate> Separations(const std::string& pdfPath,
                                                        int dpi = DefaultResolution,
                                                        const GhostscriptPages& pages = {});
    // pgmraw: the page (the first of pages) as gray levels.
    static GrayPlate Gray(const std::string& pdfPath, int dpi = DefaultResolution,
                          const GhostscriptPages& pages = {});
    // pgmraw of every page in one run, the first page rendered at index 0.
    static std::vector<GrayPlate> GrayPages(const std::string& pdfPath, int dpi = DefaultResolution,
                                            const GhostscriptPages& pages = {});

    // Runs gs with the common options and then arguments (each one quoted);
    // returns what it printed.
    static std::string Run(const std::vector<std::string>& arguments);
};
