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
    case CostlyCell::StrokedPattern:
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
        return "10-pt cell, a 0.2-pt pattern inside";
    case CostlyCell::StrokedPattern:
        return "10-pt cell, a line stroked with a 1-pt pattern";
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
        extra.push_back(Stream(PatternDict(0.2, ""), "0 0 0 1 k 0 0 0.1 0.1 re f"));
        break;
    case CostlyCell::StrokedPattern:
        cellContent = "/Pattern CS /P1 SCN 2 w 0 5 m 10 5 l S";
        cellResources = "/Pattern << /P1 6 0 R >>";
        extra.push_back(Stream(PatternDict(1, ""), "0 0 0 1 k 0 0 0.5 0.5 re f"));
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

namespace {

// A PDF real with no exponent, however small.
std::string Real(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.12f", v);
    std::string s = text;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.')
        s.pop_back();
    return s;
}

struct Tiling {
    std::string m_box = "0 0 1 1";
    double m_xstep = 1, m_ystep = 1;
    std::string m_matrix = "1 0 0 1 0 0";
    std::string m_resources, m_content = "0 0 0 1 k 0 0 1 1 re f";
};

std::string TilingStream(const Tiling& t) {
    return Stream("/PatternType 1 /PaintType 1 /TilingType 1 /BBox [" + t.m_box + "] /XStep " + Real(t.m_xstep) +
                      " /YStep " + Real(t.m_ystep) + " /Matrix [" + t.m_matrix + "] /Resources << " +
                      t.m_resources + " >>",
                  t.m_content);
}

// Objects 1 to 4 are the catalog, the pages, the page and its content;
// extra objects from 5 on.
std::string BudgetPage(const std::string& resources, const std::string& content,
                       const std::vector<std::string>& extra) {
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R /Resources << " + resources +
            " >> >>",
        Stream("", content)};
    objects.insert(objects.end(), extra.begin(), extra.end());
    return PdfText("%PDF-1.4", objects);
}

std::string OnePattern(const Tiling& t, const std::string& fill, const std::vector<std::string>& more = {}) {
    std::vector<std::string> extra = {TilingStream(t)};
    extra.insert(extra.end(), more.begin(), more.end());
    return BudgetPage("/Pattern << /P0 5 0 R >>", "/Pattern cs /P0 scn " + fill + " re f", extra);
}

std::string Hex(int byte) {
    char text[4];
    std::snprintf(text, sizeof text, "%02x", byte & 0xff);
    return text;
}

// Triangles over 39 × 39 squares of the 10-pt cell, two a square.
std::string MeshData() {
    const int n = 39;
    std::string data;
    const auto vertex = [&](int i, int j) {
        const int x = i * 65535 / n, y = j * 65535 / n;
        data += "00" + Hex(x >> 8) + Hex(x) + Hex(y >> 8) + Hex(y) + Hex((i + j) * 3) + "\n";
    };
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            vertex(i, j), vertex(i + 1, j), vertex(i, j + 1);
            vertex(i + 1, j), vertex(i + 1, j + 1), vertex(i, j + 1);
        }
    return data + ">";
}

const char* const kTriangleMesh = "/ShadingType 4 /ColorSpace /DeviceGray /BitsPerCoordinate 16 "
                                  "/BitsPerComponent 8 /BitsPerFlag 8 /Decode [0 10 0 10 0 1] /Filter /ASCIIHexDecode";

// Within the budget alone: 102 × 102 cells at 72 dpi, of work 23 each.
Tiling UnderBudgetAlone() {
    Tiling t;
    t.m_box = "0 0 2 2";
    t.m_xstep = t.m_ystep = 2;
    t.m_content = Zigzag(20, 2);
    return t;
}

}  // namespace

const char* BudgetShapeName(BudgetShape shape) {
    switch (shape) {
    case BudgetShape::BetweenColumns:
        return "between columns, YStep 1e-9";
    case BudgetShape::BetweenColumnsRows:
        return "between columns, YStep 0.01";
    case BudgetShape::SoftMaskHugeBox:
        return "soft mask of a ±10,000-pt form in a 2-pt cell";
    case BudgetShape::RoundClipHuge:
        return "10,000-pt round clip in a 4-pt cell";
    case BudgetShape::TextClipHuge:
        return "2,000-pt glyph clip in a 4-pt cell";
    case BudgetShape::Mesh3000Triangles:
        return "3,042-triangle mesh in a 10-pt cell";
    case BudgetShape::ImageInCell:
        return "200 x 200-pixel image in a 2-pt cell";
    case BudgetShape::OverBudgetByOneRow:
        return "101 x 101 cells of work 25";
    case BudgetShape::AtTheBudget:
        return "100 x 100 cells of work 25";
    case BudgetShape::ThreePatterns:
        return "three patterns, each within the budget alone";
    case BudgetShape::ThreeUnderSoftMasks:
        return "three such patterns, each through a soft mask";
    case BudgetShape::OnePatternThreeFills:
        return "one such pattern filling the page three times";
    case BudgetShape::PatternInForm200:
        return "a pattern in a form drawn at 200 places";
    case BudgetShape::BoxAwayFromOrigin:
        return "BBox [-15 -15 5 5], steps 10";
    case BudgetShape::Type3GlyphAt200:
        return "Type 3 glyph of 3,000 segments at 200 pt in a 4-pt cell";
    case BudgetShape::Type3GlyphAt20:
        return "the same glyph at 20 pt";
    case BudgetShape::TwoMeshesUsed500:
        return "two meshes in a 10-pt cell, 500 fills";
    case BudgetShape::FiftyTwoUnderBudget:
        return "52 patterns, each within the budget alone";
    case BudgetShape::ThirtyMeshesTwice:
        return "30 meshes in a 20-pt cell, 2 fills";
    case BudgetShape::Type3GlyphTallBox:
        return "Type 3 glyph of a 2 x 300-pt box at 100 pt in a 2-pt cell";
    }
    return "";
}

std::string BudgetPatternPage(BudgetShape shape) {
    Tiling t;
    switch (shape) {
    case BudgetShape::BetweenColumns:
    case BudgetShape::BetweenColumnsRows:
        t.m_xstep = 1000;
        t.m_ystep = shape == BudgetShape::BetweenColumns ? 1e-9 : 0.01;
        t.m_matrix = "1 0 0 1 -500 0";
        return OnePattern(t, "0 0 200 200");
    case BudgetShape::SoftMaskHugeBox:
        t.m_box = "0 0 2 2";
        t.m_xstep = t.m_ystep = 2;
        t.m_resources = "/ExtGState << /GS0 6 0 R >>";
        t.m_content = "/GS0 gs 0 0 0 1 k 0 0 1 1 re f";
        return OnePattern(t, "0 0 200 200",
                          {"<< /Type /ExtGState /SMask << /S /Luminosity /G 7 0 R >> >>",
                           Stream("/Type /XObject /Subtype /Form /BBox [-10000 -10000 10000 10000] "
                                  "/Group << /S /Transparency /CS /DeviceGray >>",
                                  "0.5 g -10000 -10000 20000 20000 re f")});
    case BudgetShape::RoundClipHuge:
        t.m_box = "0 0 4 4";
        t.m_xstep = t.m_ystep = 4;
        t.m_content = "5000 0 m 5000 2761 2761 5000 0 5000 c -2761 5000 -5000 2761 -5000 0 c "
                      "-5000 -2761 -2761 -5000 0 -5000 c 2761 -5000 5000 -2761 5000 0 c h W n "
                      "0 0 0 1 k 0 0 1 1 re f";
        return OnePattern(t, "0 0 200 200");
    case BudgetShape::TextClipHuge:
        t.m_box = "0 0 4 4";
        t.m_xstep = t.m_ystep = 4;
        t.m_resources = "/Font << /F1 6 0 R >>";
        t.m_content = "BT /F1 2000 Tf 7 Tr -500 -500 Td (W) Tj ET 0 0 0 1 k 0 0 1 1 re f";
        return OnePattern(t, "0 0 200 200", {"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"});
    case BudgetShape::Mesh3000Triangles:
        t.m_box = "0 0 10 10";
        t.m_xstep = t.m_ystep = 10;
        t.m_resources = "/Shading << /Sh0 6 0 R >>";
        t.m_content = "/Sh0 sh";
        return OnePattern(t, "0 0 100 100",
                          {Stream("/ShadingType 4 /ColorSpace /DeviceGray /BitsPerCoordinate 16 /BitsPerComponent 8 "
                                  "/BitsPerFlag 8 /Decode [0 10 0 10 0 1] /Filter /ASCIIHexDecode",
                                  MeshData())});
    case BudgetShape::ImageInCell:
        t.m_box = "0 0 2 2";
        t.m_xstep = t.m_ystep = 2;
        t.m_resources = "/XObject << /Im0 6 0 R >>";
        t.m_content = "q 2 0 0 2 0 0 cm /Im0 Do Q";
        return OnePattern(t, "0 0 200 200",
                          {Stream("/Type /XObject /Subtype /Image /Width 200 /Height 200 /ColorSpace /DeviceGray "
                                  "/BitsPerComponent 1 /Filter /ASCIIHexDecode",
                                  std::string(25 * 200 * 2, '0') + ">")});
    case BudgetShape::OverBudgetByOneRow:
    case BudgetShape::AtTheBudget:
        // Cell edges half a point off the area's: at 600 dpi, the cells
        // that meet the area are the cells drawn.
        t.m_matrix = "1 0 0 1 0.5 0.5";
        t.m_content = Zigzag(22, 1);
        return OnePattern(t, shape == BudgetShape::OverBudgetByOneRow ? "0 0 100 100" : "0 0 99 99");
    case BudgetShape::ThreePatterns: {
        const std::string p = TilingStream(UnderBudgetAlone());
        return BudgetPage("/Pattern << /P0 5 0 R /P1 6 0 R /P2 7 0 R >>",
                          "/Pattern cs /P0 scn 0 0 200 200 re f /P1 scn 0 0 200 200 re f /P2 scn 0 0 200 200 re f",
                          {p, p, p});
    }
    case BudgetShape::ThreeUnderSoftMasks: {
        // Soft-masked marks are recorded apart from the page's list.
        const std::string p = TilingStream(UnderBudgetAlone());
        return BudgetPage("/Pattern << /P0 5 0 R /P1 6 0 R /P2 7 0 R >> /ExtGState << /GS0 8 0 R >>",
                          "/GS0 gs /Pattern cs /P0 scn 0 0 200 200 re f /P1 scn 0 0 200 200 re f "
                          "/P2 scn 0 0 200 200 re f",
                          {p, p, p, "<< /Type /ExtGState /SMask << /S /Luminosity /G 9 0 R >> >>",
                           Stream("/Type /XObject /Subtype /Form /BBox [0 0 200 200] "
                                  "/Group << /S /Transparency /CS /DeviceGray >>",
                                  "0.8 g 0 0 200 200 re f")});
    }
    case BudgetShape::OnePatternThreeFills:
        return BudgetPage("/Pattern << /P0 5 0 R >>",
                          "/Pattern cs /P0 scn 0 0 200 200 re f 0 0 200 200 re f 0 0 200 200 re f",
                          {TilingStream(UnderBudgetAlone())});
    case BudgetShape::PatternInForm200: {
        t.m_content = Zigzag(20, 1);
        std::string content;
        for (int i = 0; i < 200; ++i)
            content += "q 1 0 0 1 " + std::to_string(i % 14 * 14) + " " + std::to_string(i / 14 * 13) +
                       " cm /Fm0 Do Q\n";
        return BudgetPage("/XObject << /Fm0 5 0 R >>", content,
                          {Stream("/Type /XObject /Subtype /Form /BBox [0 0 10 10] /Resources << /Pattern << "
                                  "/P0 6 0 R >> >>",
                                  "/Pattern cs /P0 scn 0 0 10 10 re f"),
                           TilingStream(t)});
    }
    case BudgetShape::Type3GlyphAt200:
    case BudgetShape::Type3GlyphAt20:
        // The glyph sets its colour, so MuPDF records the glyph, not its marks.
        t.m_box = "0 0 4 4";
        t.m_xstep = t.m_ystep = 4;
        t.m_resources = "/Font << /F1 6 0 R >>";
        t.m_content = std::string("BT /F1 ") + (shape == BudgetShape::Type3GlyphAt20 ? "20" : "200") + " Tf (A) Tj ET";
        return OnePattern(t, "0 0 200 200",
                          {"<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0] "
                           "/CharProcs << /g 7 0 R >> /Encoding << /Type /Encoding /Differences [65 /g] >> "
                           "/FirstChar 65 /LastChar 65 /Widths [1000] /Resources << >> >>",
                           Stream("", "1000 0 d0 " + Zigzag(3000, 1000))});
    case BudgetShape::ThirtyMeshesTwice: {
        std::vector<std::string> meshes;
        t.m_content.clear();
        for (int i = 0; i < 30; ++i) {
            t.m_resources += "/Sh" + std::to_string(i) + " " + std::to_string(6 + i) + " 0 R ";
            t.m_content += " /Sh" + std::to_string(i) + " sh";
            meshes.push_back(Stream(kTriangleMesh, "000000000000 00ffff000000 000000ffff00>"));
        }
        t.m_box = "0 0 20 20";
        t.m_xstep = t.m_ystep = 20;
        t.m_resources = "/Shading << " + t.m_resources + ">>";
        meshes.insert(meshes.begin(), TilingStream(t));
        return BudgetPage("/Pattern << /P0 5 0 R >>", "/Pattern cs /P0 scn 0 0 200 200 re f 0 0 200 200 re f",
                          meshes);
    }
    case BudgetShape::Type3GlyphTallBox: {
        std::string tall = "1000 0 0 0 20 3000 d1 0 0 m";
        for (int i = 1; i <= 3000; ++i)
            tall += i % 2 ? " 20 " + std::to_string(i) + " l" : " 0 " + std::to_string(i) + " l";
        t.m_box = "0 0 2 2";
        t.m_xstep = t.m_ystep = 2;
        t.m_resources = "/Font << /F1 6 0 R >>";
        t.m_content = "BT /F1 100 Tf -1 -100 Td (A) Tj ET";
        return OnePattern(t, "0 0 200 200",
                          {"<< /Type /Font /Subtype /Type3 /FontBBox [0 0 20 3000] /FontMatrix [0.001 0 0 0.001 0 0] "
                           "/CharProcs << /g 7 0 R >> /Encoding << /Type /Encoding /Differences [65 /g] >> "
                           "/FirstChar 65 /LastChar 65 /Widths [1000] /Resources << >> >>",
                           Stream("", tall + " f")});
    }
    case BudgetShape::TwoMeshesUsed500: {
        t.m_box = "0 0 10 10";
        t.m_xstep = t.m_ystep = 10;
        t.m_resources = "/Shading << /Sh0 6 0 R /Sh1 7 0 R >>";
        t.m_content = "/Sh0 sh /Sh1 sh";
        const std::string mesh = kTriangleMesh;
        std::string fills;
        for (int i = 0; i < 500; ++i)
            fills += "0 0 20 20 re f\n";
        return BudgetPage("/Pattern << /P0 5 0 R >>", "/Pattern cs /P0 scn " + fills,
                          {TilingStream(t), Stream(mesh, "000000000000 00ffff000000 000000ffff00>"),
                           Stream(mesh, MeshData())});
    }
    case BudgetShape::FiftyTwoUnderBudget: {
        // Rectangles of 150 to 200 pt a side, whose placings' bytes put one
        // in the plan table's first slot when the table grows.
        std::string names, content;
        for (int i = 0; i < 52; ++i) {
            names += "/P" + std::to_string(i) + " " + std::to_string(5 + i) + " 0 R ";
            content += "/Pattern cs /P" + std::to_string(i) + " scn 0 0 " + std::to_string(150 + i * 37 % 51) + " " +
                       std::to_string(150 + i * 23 % 51) + " re f\n";
        }
        return BudgetPage("/Pattern << " + names + ">>", content,
                          std::vector<std::string>(52, TilingStream(UnderBudgetAlone())));
    }
    case BudgetShape::BoxAwayFromOrigin:
        t.m_box = "-15 -15 5 5";
        t.m_xstep = t.m_ystep = 10;
        t.m_content = "0 0 0 1 k -15 -15 20 20 re f";
        return OnePattern(t, "20 20 60 60");
    }
    return "";
}
