// A Type 3 glyph that sets its own colour (d0) is painted in that colour
// whatever the text mode, on a page, in a form, a pattern cell and a soft
// mask's group; its stroke is never a mask in the text's colour.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "VDRW_TestDib.h"
#include "support/PdfText.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_Store.h"
#include "viewer/draw/VDRW_PageDrawer.h"

#include <mupdf/fitz.h>

namespace {

enum class Container { Page, Form, Cell, MaskGroup };

// then: what is painted after ET, inside the clip of modes 4-7 (a clip
// holding nothing is never made).
std::string Shown(int mode, int y, const std::string& then = "") {
    return "q 0.9 g 0.9 G 5 w BT /F1 90 Tf " + std::to_string(mode) + " Tr 15 " + std::to_string(y) +
           " Td (H) Tj ET " + then + "Q";
}

// The glyph fills 60..640 × 0..700 of its 1000-unit space in 0.4 gray; the
// text shows it at 90 points from (15, 60) in 0.9 gray, 5 points wide. A
// clip first shows it 72 points higher: 150 pixels at 150 dpi, so both
// meet the glyph under one matrix.
std::string GlyphPage(int mode, Container where, int clipFirst) {
    const std::string text = (clipFirst < 0 ? "" : Shown(clipFirst, 132, "0 0 200 200 re f ") + " ") + Shown(mode, 60);
    const std::string glyph = "700 0 d0 0.4 g 0.4 G 60 0 580 700 re f";
    const std::string font = "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 700 700] /FontMatrix [0.001 0 0 0.001 0 0]"
                             " /CharProcs << /h 6 0 R >> /Encoding << /Type /Encoding /Differences [72 /h] >>"
                             " /FirstChar 72 /LastChar 72 /Widths [700] >>";
    auto stream = [](const std::string& dict, const std::string& data) {
        return "<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
    };
    const std::string fonts = "/Font << /F1 5 0 R >>";
    std::string resources, content, extra;
    switch (where) {
    case Container::Page:
        resources = fonts;
        content = text;
        break;
    case Container::Form:
        resources = "/XObject << /X 7 0 R >>";
        content = "/X Do";
        extra = stream("/Type /XObject /Subtype /Form /BBox [0 0 200 200] /Resources << " + fonts + " >>", text);
        break;
    case Container::Cell:
        resources = "/Pattern << /P 7 0 R >>";
        content = "/Pattern cs /P scn 0 0 200 200 re f";
        extra = stream("/Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 200 200]"
                       " /XStep 200 /YStep 200 /Resources << " + fonts + " >>",
                       text);
        break;
    case Container::MaskGroup:
        resources = "/ExtGState << /G << /SMask << /S /Luminosity /G 7 0 R >> >> >>";
        content = "q /G gs 0 g 0 0 200 200 re f Q";
        extra = stream("/Type /XObject /Subtype /Form /BBox [0 0 200 200] /Group << /S /Transparency /CS /DeviceGray >>"
                       " /Resources << " + fonts + " >>",
                       text);
        break;
    }
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << " + resources +
            " >> /Contents 4 0 R >>",
        stream("", content),
        font,
        stream("", glyph),
    };
    if (!extra.empty())
        objects.push_back(extra);
    return PdfText("%PDF-1.7", objects);
}

// The page, width x height points, drawn at dpi.
GrayPlate Draw(const std::string& file, double dpi, double width = 200, double height = 200) {
    VCOS_Store store;
    const VCOS_DocId doc = VCOS_Reader::Read(store, file, "glyphs.pdf");
    const double s = dpi / 72;
    VDRW_TestDib dib(static_cast<int>(std::ceil(width * s)), static_cast<int>(std::ceil(height * s)));
    VDRW_PageDrawer(store).Draw(doc, 0, VDRW_Matrix(s, 0, 0, -s, 0, height * s), dib.DC(),
                                VDRW_Rect(0, 0, width, height), nullptr, nullptr);
    return dib.Blue();
}

TEST(VDRW_ColourGlyphs, AGlyphThatSetsItsColourIsPaintedInItInEveryTextMode) {
    struct Row {
        int m_mode;
        Container m_where;
        int m_clipFirst = -1;
    };
    const Row rows[] = {
        {0, Container::Page},      {1, Container::Page},      {2, Container::Page},      {5, Container::Page},
        {6, Container::Page},      {1, Container::Form},      {2, Container::Form},      {6, Container::Form},
        {1, Container::Cell},      {2, Container::Cell},      {6, Container::Cell},      {0, Container::MaskGroup},
        {1, Container::MaskGroup}, {2, Container::MaskGroup}, {6, Container::MaskGroup},
        // A clip asks MuPDF for the glyph's coverage; the later fill must
        // not be painted with it in the text's colour.
        {0, Container::Page, 7},   {0, Container::Form, 7},   {0, Container::Cell, 7},
        {0, Container::MaskGroup, 7}, {0, Container::MaskGroup, 5}, {0, Container::MaskGroup, 6},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("mode " + std::to_string(row.m_mode) + ", container " +
                     std::to_string(static_cast<int>(row.m_where)) + ", clip first " + std::to_string(row.m_clipFirst));
        const double dpi = 150, s = dpi / 72;
        const GrayPlate plate = Draw(GlyphPage(row.m_mode, row.m_where, row.m_clipFirst), dpi);
        // The glyph's box: 15 + 90 × (0.06..0.64) across, 60..123 up.
        const int x = static_cast<int>((15 + 90 * 0.35) * s), y = static_cast<int>((200 - 91.5) * s);
        // On the page 0.4 gray; as a luminosity mask 0.4 of black.
        const int expected = row.m_where == Container::MaskGroup ? 153 : 102;
        EXPECT_NEAR(plate.At(x, y), expected, 8);
        // The text's 0.9 gray stroke reaches no further than the glyph.
        EXPECT_EQ(plate.At(static_cast<int>(10 * s), y), 255);
    }
}

// A page of width x height points whose /F1 holds /a, black, a star of
// segments segments about the middle of its 1000-unit box, setting its
// colour (d0), and /b, a square 200..600 that does not (d1).
std::string StarPage(int segments, double width, double height, const std::string& content) {
    std::string star = "1000 0 d0 0 g 900 500 m";
    for (int k = 1; k < segments; ++k) {
        const double angle = 2 * 3.141592653589793 * k / segments, r = 400 * (k % 2 ? 1.0 : 0.6);
        star += " " + std::to_string(500 + r * std::cos(angle)) + " " + std::to_string(500 + r * std::sin(angle)) +
                " l";
    }
    auto stream = [](const std::string& data) {
        return "<< /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
    };
    return PdfText("%PDF-1.7",
                   {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                    "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + std::to_string(width) + " " +
                        std::to_string(height) + "] /Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>",
                    stream(content),
                    "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0]"
                    " /CharProcs << /a 6 0 R /b 7 0 R >> /Encoding << /Type /Encoding /Differences [97 /a /b] >>"
                    " /FirstChar 97 /LastChar 98 /Widths [1000 1000] >>",
                    stream(star + " h f"), stream("1000 0 0 0 1000 1000 d1 200 200 400 400 re f")});
}

// Lines of glyphs /a at size points from (5, top) down, 50 a line at
// their width apart, in text mode mode; then what follows ET.
std::string Lines(int glyphs, double size, double top, int mode, const std::string& then) {
    std::string text = "BT /F1 " + std::to_string(size) + " Tf " + std::to_string(mode) + " Tr";
    for (int line = 0; glyphs > 0; ++line, glyphs -= 50)
        text += " 1 0 0 1 5 " + std::to_string(top - line * 1.1 * size) + " Tm (" +
                std::string(static_cast<size_t>(std::min(glyphs, 50)), 'a') + ") Tj";
    return "q " + text + " ET " + then + "Q";
}

TEST(VDRW_ColourGlyphs, AClipOfGlyphsThatSetTheirColourTakesTheirFilledShape) {
    struct Probe {
        double m_x, m_y;  // points
        int m_expected;
    };
    struct Row {
        const char* m_label;
        std::string m_page;
        double m_dpi, m_width, m_height;
        // Drawn alike, the clip's fill must cover what this page's glyphs
        // fill, within 8 levels on 99% of the pixels either marks.
        std::string m_filled;
        std::vector<Probe> m_probes;
    };
    const std::string fill = "0 g 0 0 612 792 re f ";
    const Row rows[] = {
        // Many glyphs over many bands, at eight subpixel places.
        {"200 glyphs of 40 segments through a clip at 150 dpi", StarPage(40, 612, 792, Lines(200, 10, 780, 7, fill)),
         150, 612, 792, StarPage(40, 612, 792, Lines(200, 10, 780, 0, "")), {}},
        {"the same at 300 dpi", StarPage(40, 612, 792, Lines(200, 10, 780, 7, fill)), 300, 612, 792,
         StarPage(40, 612, 792, Lines(200, 10, 780, 0, "")), {}},
        // Past 256 pixels a glyph is rendered band by band.
        {"one glyph of 750 pixels across bands", StarPage(40, 200, 200, Lines(1, 90, 60, 7, fill)), 600, 200, 200,
         StarPage(40, 200, 200, Lines(1, 90, 60, 0, "")), {}},
        // A fill through the clip inks the glyph's middle and nothing
        // beyond it, in every clipping mode.
        {"mode 4", StarPage(40, 200, 200, Lines(1, 90, 60, 4, "0.5 g 0 0 200 200 re f ")), 150, 200, 200, "",
         {{50, 105, 128}, {10, 10, 255}, {150, 150, 255}}},
        {"mode 5", StarPage(40, 200, 200, Lines(1, 90, 60, 5, "0.5 g 0 0 200 200 re f ")), 150, 200, 200, "",
         {{50, 105, 128}, {10, 10, 255}, {150, 150, 255}}},
        {"mode 6", StarPage(40, 200, 200, Lines(1, 90, 60, 6, "0.5 g 0 0 200 200 re f ")), 150, 200, 200, "",
         {{50, 105, 128}, {10, 10, 255}, {150, 150, 255}}},
        {"mode 7", StarPage(40, 200, 200, Lines(1, 90, 60, 7, "0.5 g 0 0 200 200 re f ")), 150, 200, 200, "",
         {{50, 105, 128}, {10, 10, 255}, {150, 150, 255}}},
        // /b (from 90 + 18 to 90 + 54 across) clips beside /a.
        {"a clip of a glyph that sets its colour and one that does not",
         StarPage(40, 200, 200, "q BT /F1 90 Tf 7 Tr 15 60 Td (ab) Tj ET 0.5 g 0 0 200 200 re f Q"), 150, 200, 200,
         "", {{60, 105, 128}, {141, 96, 128}, {10, 10, 255}, {115, 70, 255}}},
        // Stroked, /a is filled in its own black, /b is painted in the
        // stroke's gray.
        {"a stroked text of a glyph that sets its colour and one that does not",
         StarPage(40, 200, 200, "q 0.5 G 2 w BT /F1 90 Tf 1 Tr 15 60 Td (ab) Tj ET Q"), 150, 200, 200, "",
         {{60, 105, 0}, {141, 96, 128}, {10, 10, 255}, {115, 70, 255}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.m_label);
        const GrayPlate plate = Draw(row.m_page, row.m_dpi, row.m_width, row.m_height);
        const double s = row.m_dpi / 72;
        for (const Probe& probe : row.m_probes) {
            SCOPED_TRACE("at " + std::to_string(probe.m_x) + ", " + std::to_string(probe.m_y));
            EXPECT_NEAR(plate.At(static_cast<int>(probe.m_x * s), static_cast<int>((row.m_height - probe.m_y) * s)),
                        probe.m_expected, 8);
        }
        if (row.m_filled.empty())
            continue;
        const GrayPlate filled = Draw(row.m_filled, row.m_dpi, row.m_width, row.m_height);
        ASSERT_EQ(filled.pixels.size(), plate.pixels.size());
        size_t marked = 0, near = 0;
        for (size_t i = 0; i < plate.pixels.size(); ++i) {
            if (plate.pixels[i] == 255 && filled.pixels[i] == 255)
                continue;
            ++marked;
            near += std::abs(plate.pixels[i] - filled.pixels[i]) <= 8;
        }
        EXPECT_GT(marked, 0u);
        EXPECT_GE(static_cast<double>(near), 0.99 * static_cast<double>(marked));
    }
}

}  // namespace

namespace {

// MuPDF's own drawing of the whole page at dpi in gray, in one piece.
GrayPlate MuPdfDrawing(const std::string& file, double dpi) {
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    if (!ctx)
        return {};
    fz_buffer* buffer = nullptr;
    fz_stream* stream = nullptr;
    fz_document* doc = nullptr;
    fz_pixmap* pixmap = nullptr;
    fz_var(buffer);
    fz_var(stream);
    fz_var(doc);
    fz_try(ctx) {
        fz_register_document_handlers(ctx);
        buffer = fz_new_buffer_from_copied_data(ctx, reinterpret_cast<const unsigned char*>(file.data()), file.size());
        stream = fz_open_buffer(ctx, buffer);
        doc = fz_open_document_with_stream(ctx, "pdf", stream);
        pixmap = fz_new_pixmap_from_page_number(ctx, doc, 0, fz_scale(dpi / 72, dpi / 72), fz_device_gray(ctx), 0);
    }
    fz_always(ctx) {
        fz_drop_document(ctx, doc);
        fz_drop_stream(ctx, stream);
        fz_drop_buffer(ctx, buffer);
    }
    fz_catch(ctx) pixmap = nullptr;
    GrayPlate plate;
    if (pixmap) {
        plate.width = pixmap->w;
        plate.height = pixmap->h;
        for (int y = 0; y < pixmap->h; ++y)
            plate.pixels.insert(plate.pixels.end(), pixmap->samples + static_cast<ptrdiff_t>(y) * pixmap->stride,
                                pixmap->samples + static_cast<ptrdiff_t>(y) * pixmap->stride + pixmap->w);
    }
    fz_drop_pixmap(ctx, pixmap);
    fz_drop_context(ctx);
    return plate;
}

// A 200-point page whose /F1 (/FontMatrix matrix) holds /h, a d0 glyph
// painting glyph, and /i, a small d0 square painted by square; content
// shows them, /K Do draws knockout, a knockout group form, and /M gs sets
// a luminosity mask whose group shows it.
std::string LargeGlyphPage(const std::string& matrix, const std::string& glyph, const std::string& content,
                           const std::string& square = "0.8 g", const std::string& knockout = "") {
    auto stream = [](const std::string& data, const std::string& dict = "") {
        return "<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
    };
    return PdfText("%PDF-1.7",
                   {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                    "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << /Font << /F1 5 0 R >>"
                    " /XObject << /K 8 0 R >> /ExtGState << /M 9 0 R >> >> /Contents 4 0 R >>",
                    stream(content),
                    "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [" + matrix +
                        "] /CharProcs << /h 6 0 R /i 7 0 R >> /Encoding << /Type /Encoding /Differences [104 /h /i]"
                        " >> /FirstChar 104 /LastChar 105 /Widths [700 700] >>",
                    stream("700 0 d0 " + glyph), stream("700 0 d0 " + square + " 100 100 500 500 re f"),
                    stream(knockout, "/Type /XObject /Subtype /Form /BBox [0 0 200 200] /Group << /S /Transparency"
                                     " /K true >> /Resources << /Font << /F1 5 0 R >> >>"),
                    // A luminosity mask whose group shows knockout, set by /M.
                    "<< /Type /ExtGState /SMask << /S /Luminosity /G 10 0 R >> >>",
                    stream(knockout, "/Type /XObject /Subtype /Form /BBox [0 0 200 200] /Group << /S /Transparency"
                                     " /CS /DeviceGray >> /Resources << /Font << /F1 5 0 R >> >>")});
}

// The pixels where two drawings of a size differ by more than 2 levels.
size_t Differing(const GrayPlate& a, const GrayPlate& b) {
    size_t count = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        count += std::abs(a.pixels[i] - b.pixels[i]) > 2;
    return count;
}

TEST(VDRW_ColourGlyphs, AGlyphTooLargeToKeepIsDrawnAsMuPdfDrawsItsPartOnThePage) {
    // Boxes far wider than the glyphs' 700-unit advance, over many bands.
    const std::string wide = "0.4 g 0 0 6000 6000 re f";
    const std::string em = "0.001 0 0 0.001 0 0";
    auto shown = [](int mode, const std::string& then) {
        return "q BT /F1 30 Tf " + std::to_string(mode) +
               " Tr 1 0 0 1 10 10 Tm (hih) Tj 1 0 0 1 17.3 53.1 Tm (ih) Tj ET " + then + "Q";
    };
    // Far larger than the page: 1,000,000 units under a unit matrix at 60
    // points, which no rendering whole fits in memory; and an image filling
    // that box, whose one middle sample lies over the page.
    const std::string huge = "0.4 g -500000 -500000 1000000 1000000 re f";
    const std::string image = "q 1000000 0 0 1000000 -500000 -500000 cm BI /W 3 /H 3 /BPC 8 /CS /G ID \x10\x20\x30"
                              "\x40\x66\x50\x60\x70\x80 EI Q";
    const std::string hugeShown = "q BT /F1 60 Tf 0 Tr 20 60 Td (h) Tj ET 0.2 g 150 150 20 20 re f Q";
    struct Row {
        const char* m_label;
        std::string m_page;
        double m_dpi;
        // MuPDF's drawing of this page is the model.
        std::string m_model;
        int m_probe = -1;  // else the level the page's middle must take
    };
    const Row rows[] = {
        {"filled among smaller glyphs at 150 dpi", LargeGlyphPage(em, wide, shown(0, "")), 150,
         LargeGlyphPage(em, wide, shown(0, ""))},
        {"filled at 300 dpi", LargeGlyphPage(em, wide, shown(0, "")), 300, LargeGlyphPage(em, wide, shown(0, ""))},
        // Stroked or as a clip a glyph that sets its colour takes its filled
        // shape; the clip's fill is the glyphs' gray.
        {"stroked", LargeGlyphPage(em, wide, shown(1, "")), 150, LargeGlyphPage(em, wide, shown(0, ""))},
        {"as a clip", LargeGlyphPage(em, "0 g 0 0 6000 6000 re f", shown(7, "0.4 g -10 -10 220 220 re f "), "0 g"), 300,
         LargeGlyphPage(em, wide, shown(0, ""), "0.4 g")},
        // A glyph of 1,667 x 2,917 pixels under a unit matrix at 2 points.
        {"larger than the page", LargeGlyphPage("1 0 0 1 0 0", "0.4 g 0 0 400 700 re f",
                                                "q BT /F1 2 Tf 0 Tr 20 60 Td (h) Tj ET Q"),
         150, LargeGlyphPage("1 0 0 1 0 0", "0.4 g 0 0 400 700 re f", "q BT /F1 2 Tf 0 Tr 20 60 Td (h) Tj ET Q")},
        {"far larger than the page, filled", LargeGlyphPage("1 0 0 1 0 0", huge, hugeShown), 150, "", 102},
        {"far larger than the page, stroked",
         LargeGlyphPage("1 0 0 1 0 0", huge, "q 2 w BT /F1 60 Tf 1 Tr 20 60 Td (h) Tj ET 0.2 g 150 150 20 20 re f Q"),
         150, "", 102},
        {"far larger than the page, as a clip",
         LargeGlyphPage("1 0 0 1 0 0", huge,
                        "q BT /F1 60 Tf 7 Tr 20 60 Td (h) Tj ET 0.4 g -10 -10 220 220 re f 0.2 g 150 150 20 20 re f Q"),
         150, "", 102},
        {"an image far larger than the page", LargeGlyphPage("1 0 0 1 0 0", image, hugeShown), 150, "", 0x66},
        // A knockout group takes a text as one mark.
        {"filled in a knockout group over a square",
         LargeGlyphPage(em, wide, "0.6 g 0 0 100 100 re f /K Do", "0.8 g", shown(0, "")), 150,
         LargeGlyphPage(em, wide, "0.6 g 0 0 100 100 re f /K Do", "0.8 g", shown(0, ""))},
        {"far larger than the page in a knockout group",
         LargeGlyphPage("1 0 0 1 0 0", huge, "/K Do 0.2 g 150 150 20 20 re f", "0.8 g", hugeShown), 150, "", 102},
        // Black through a mask of 0.4 gray inks 0.4.
        {"in a soft mask's group", LargeGlyphPage(em, wide, "q /M gs 0 g 0 0 200 200 re f Q", "0.4 g", shown(0, "")),
         150, LargeGlyphPage(em, wide, "q /M gs 0 g 0 0 200 200 re f Q", "0.4 g", shown(0, ""))},
        {"far larger than the page in a soft mask's group",
         LargeGlyphPage("1 0 0 1 0 0", huge, "q /M gs 0 g 0 0 200 200 re f Q 0.2 g 150 150 20 20 re f", "0.8 g",
                        hugeShown),
         150, "", 153},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.m_label);
        GrayPlate plate;
        EXPECT_NO_THROW(plate = Draw(row.m_page, row.m_dpi));
        if (plate.pixels.empty())
            continue;
        const double s = row.m_dpi / 72;
        if (row.m_probe >= 0) {
            // The glyph's part on the page, and the square drawn after it.
            EXPECT_NEAR(plate.At(static_cast<int>(60 * s), static_cast<int>(60 * s)), row.m_probe, 2);
            EXPECT_NEAR(plate.At(static_cast<int>(100 * s), static_cast<int>(140 * s)), row.m_probe, 2);
            EXPECT_NEAR(plate.At(static_cast<int>(160 * s), static_cast<int>(40 * s)), 51, 2);
            continue;
        }
        const GrayPlate model = MuPdfDrawing(row.m_model, row.m_dpi);
        ASSERT_EQ(model.width, plate.width);
        ASSERT_EQ(model.height, plate.height);
        size_t inked = 0;
        for (uint8_t level : model.pixels)
            inked += level < 250;
        EXPECT_GT(inked, model.pixels.size() / 10);
        EXPECT_LE(Differing(plate, model), model.pixels.size() / 1000);
    }
}

}  // namespace
