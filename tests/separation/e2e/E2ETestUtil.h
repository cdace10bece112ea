// Shorthands of the end-to-end tests: pages made from text, written and
// rendered under the test's TMPDIR.
#pragma once

#include "separation/CSEP_TestUtil.h"
#include "support/GhostscriptRenderer.h"
#include "support/PdfFileWriter.h"

#include <map>
#include <string>

// A one-page memory document of the given size whose resources and content
// are the texts.
inline CPDF_Doc TextPage(const std::string& resources, const std::string& content, double width = 150,
                         double height = 150) {
    CPDF_Doc doc = CPDF_MemoryImpl::Make();
    doc.Create();
    CPDF_Page page = doc.CreatePage(0, GLIB_Rect(0, 0, width, height));
    page.SetResources(doc.ParseObject(resources));
    page.SetContents(NewStreamObject(doc, content));
    return doc;
}

// The document written into a scratch folder and rendered by tiffsep.
inline std::map<std::string, GrayPlate> Separations(
    const GLOB_Doc& doc, PdfFileWriter::ExternalStreams external = PdfFileWriter::ExternalStreams::Inline) {
    const ScratchDir dir;
    PdfFileWriter::Write(doc, dir.File("page.pdf"), external);
    return GhostscriptRenderer::Separations(dir.File("page.pdf"));
}

inline GrayPlate GrayRendering(const GLOB_Doc& doc) {
    const ScratchDir dir;
    PdfFileWriter::Write(doc, dir.File("page.pdf"), PdfFileWriter::ExternalStreams::Inline);
    return GhostscriptRenderer::Gray(dir.File("page.pdf"));
}

// The plate's level at a point of the page in points, at 100 dpi from the
// top left.
inline int LevelAt(const GrayPlate& plate, double x, double y, double pageHeight = 150) {
    return plate.At(static_cast<int>(x * 100 / 72), static_cast<int>((pageHeight - y) * 100 / 72));
}
