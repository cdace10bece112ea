#include "PatternPages.h"

#include <cstdio>
#include <vector>

#include "PdfText.h"

namespace {

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", v);
    return text;
}

std::string Stream(const std::string& dict, const std::string& data) {
    return "<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

std::string PatternDict(double step, const std::string& resources) {
    const std::string s = Number(step);
    return "/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 " + s + " " + s + "] /XStep " + s + " /YStep " + s +
           " /Resources << " + resources + " >>";
}

// segments lines zigzagging over the cell, every point inside it.
std::string Zigzag(int segments, double side) {
    std::string path = "0 0 0 1 k 0 0 m\n";
    for (int i = 1; i <= segments; ++i)
        path += Number(side * ((i * 37) % 101) / 100) + " " + Number(side * ((i * 61) % 103) / 102) + " l\n";
    return path + "f";
}

}  // namespace

double CostlyCellStep(CostlyCell cell) {
    switch (cell) {
    case CostlyCell::Path1000:
        return 1;
    case CostlyCell::Path20000:
        return 2.5;
    case CostlyCell::Glyphs400:
        return 2;
    case CostlyCell::NestedPattern:
        return 10;
    case CostlyCell::NoMarks:
        return 0.1;
    }
    return 1;
}

const char* CostlyCellName(CostlyCell cell) {
    switch (cell) {
    case CostlyCell::Path1000:
        return "1-pt cell, 1,000-segment path";
    case CostlyCell::Path20000:
        return "2.5-pt cell, 20,000-segment path";
    case CostlyCell::Glyphs400:
        return "2-pt cell, 400 glyphs";
    case CostlyCell::NestedPattern:
        return "10-pt cell, a 0.1-pt pattern inside";
    case CostlyCell::NoMarks:
        return "0.1-pt cell, no marks";
    }
    return "";
}

std::string CostlyPatternPage(CostlyCell cell, double side) {
    const double step = CostlyCellStep(cell);
    std::string cellContent, cellResources;
    std::vector<std::string> extra;
    switch (cell) {
    case CostlyCell::Path1000:
        cellContent = Zigzag(1000, step);
        break;
    case CostlyCell::Path20000:
        cellContent = Zigzag(20000, step);
        break;
    case CostlyCell::Glyphs400:
        cellContent = "0 0 0 1 k BT /F1 2 Tf 0 0.5 Td (" + std::string(400, 'W') + ") Tj ET";
        cellResources = "/Font << /F1 6 0 R >>";
        extra.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
        break;
    case CostlyCell::NestedPattern:
        cellContent = "/Pattern cs /P1 scn 0 0 10 10 re f";
        cellResources = "/Pattern << /P1 6 0 R >>";
        extra.push_back(Stream(PatternDict(0.1, ""), "0 0 0 1 k 0 0 0.05 0.05 re f"));
        break;
    case CostlyCell::NoMarks:
        cellContent = "0 0 0 1 k";
        break;
    }
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R "
        "/Resources << /Pattern << /P0 5 0 R >> >> >>",
        Stream("", "/Pattern cs /P0 scn 0 0 " + Number(side) + " " + Number(side) + " re f"),
        Stream(PatternDict(step, cellResources), cellContent)};
    objects.insert(objects.end(), extra.begin(), extra.end());
    return PdfText("%PDF-1.4", objects);
}
