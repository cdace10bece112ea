#include "support/GhostscriptRenderer.h"

#include "support/TestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <sys/wait.h>

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

// text as a PostScript string.
std::string PostScriptString(const std::string& text) {
    std::string string = "(";
    for (char c : text)
        string += c == '(' || c == ')' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return string + ")";
}

// The options that choose what is rendered, before the file's path. A range
// of pages is run by the PDF interpreter's own page loop, not -dFirstPage or
// -dLastPage: under those, tiffsep leaves every spot plate blank on a page
// with transparency that it draws in bands.
std::vector<std::string> With(const GhostscriptPages& pages, std::vector<std::string> arguments) {
    const std::string path = arguments.back();
    arguments.pop_back();
    if (pages.m_useCropBox)
        arguments.push_back("-dUseCropBox");
    if (pages.m_first <= 0 && pages.m_last <= 0) {
        arguments.push_back(path);
        return arguments;
    }
    // A last page past the file's stops at its last, as -dLastPage does.
    const std::string last =
        pages.m_last > 0 ? std::to_string(pages.m_last) + " pdfpagecount 2 copy gt { exch } if pop" : "pdfpagecount";
    arguments.push_back("--permit-file-read=" + path);
    arguments.push_back("-c");
    arguments.push_back(PostScriptString(path) + " (r) file runpdfbegin " +
                        std::to_string(std::max(pages.m_first, 1)) + " " + last + " dopdfpages runpdfend");
    return arguments;
}

}  // namespace

std::string GhostscriptRenderer::Run(const std::vector<std::string>& arguments) {
    std::string command = "gs -q -dNOPAUSE -dBATCH -dSAFER -dPDFSTOPONERROR " +
                          Quoted("--permit-file-read=" + TempFolder() + "/");
    for (const std::string& argument : arguments)
        command += " " + Quoted(argument);
    command += " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("GhostscriptRenderer: cannot start gs");
    std::string output;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        output.append(chunk, n);
    const int status = pclose(pipe);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
        throw std::runtime_error("GhostscriptRenderer: gs not found; install the ghostscript package "
                                 "(tools/deps.sh does)");
    if (status != 0)
        throw std::runtime_error("GhostscriptRenderer: gs failed (" + std::to_string(status) + "):\n" + output);
    // Ghostscript reports repairs and errors it got past in lines of "****".
    if (output.find("****") != std::string::npos || output.find("rror") != std::string::npos)
        throw std::runtime_error("GhostscriptRenderer: gs complained:\n" + output);
    return output;
}

std::map<std::string, GrayPlate> GhostscriptRenderer::Separations(const std::string& pdfPath, int dpi,
                                                                 const GhostscriptPages& pages) {
    const ScratchDir out;
    Run(With(pages, {"-r" + std::to_string(dpi), "-sDEVICE=tiffsep", "-dOverprint=/enable", "-sCompression=none",
                     "-sOutputFile=" + out.File("p.tif"), pdfPath}));
    std::map<std::string, GrayPlate> plates;
    // "p(Cyan).tif" and so on beside the composite "p.tif".
    for (const std::string& name : out.List())
        if (name.size() > 7 && name.compare(0, 2, "p(") == 0 && name.compare(name.size() - 5, 5, ").tif") == 0)
            plates[name.substr(2, name.size() - 7)] = ReadTiffPlate(out.File(name));
    return plates;
}

GrayPlate GhostscriptRenderer::Gray(const std::string& pdfPath, int dpi, const GhostscriptPages& pages) {
    GhostscriptPages first = pages;
    first.m_last = std::max(first.m_first, 1);
    const ScratchDir out;
    Run(With(first, {"-r" + std::to_string(dpi), "-sDEVICE=pgmraw", "-sOutputFile=" + out.File("p.pgm"), pdfPath}));
    return ReadPgm(out.File("p.pgm"));
}

std::vector<GrayPlate> GhostscriptRenderer::GrayPages(const std::string& pdfPath, int dpi,
                                                     const GhostscriptPages& pages) {
    const ScratchDir out;
    Run(With(pages, {"-r" + std::to_string(dpi), "-sDEVICE=pgmraw", "-sOutputFile=" + out.File("p%04d.pgm"),
                     pdfPath}));
    // Numbered from 1 with leading zeros, so the sorted names are in page
    // order.
    std::vector<GrayPlate> images;
    for (const std::string& name : out.List())
        images.push_back(ReadPgm(out.File(name)));
    return images;
}
