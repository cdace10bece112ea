// A composite font's map of codes is judged cut wherever MuPDF, loading it,
// maps fewer codes than the whole map does, whether or not it says a word,
// and the map stored plain or deflated; a map read to its endcmap is whole.
#include <gtest/gtest.h>
#include <mupdf/pdf.h>

#include <cstdio>
#include <string>

#include "support/Deflated.h"
#include "viewer/draw/VDRW_LossChecks.h"
#include "viewer/program/VIEW_PdfFile.h"

namespace {

constexpr int kCodes = 24;

// Each code its own range, as producers write them, then the map's end.
std::string CodeMap() {
    std::string map = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName /X def "
                      "1 begincodespacerange <0000> <FFFF> endcodespacerange\n";
    for (int code = 0; code < kCodes; ++code) {
        char entry[64];
        std::snprintf(entry, sizeof entry, "1 begincidrange <%04x> <%04x> %d endcidrange\n", code, code, code + 1);
        map += entry;
    }
    return map + "endcmap CMapName currentdict /CMap defineresource pop end end";
}

struct Judged {
    int cut = -1;    // VDRW_EncodingMapCut of the font
    int mapped = 0;  // codes MuPDF's own loading of the map maps
};

// A file whose object 3 is a Type0 font encoded by map (a stream object).
Judged Judge(fz_context* ctx, const std::string& map) {
    const std::string file = VIEW_PdfFile(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [] /Count 0 >>",
         "<< /Type /Font /Subtype /Type0 /BaseFont /X /Encoding 4 0 R /DescendantFonts [5 0 R] >>", map,
         "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /X >>"});
    Judged judged;
    fz_stream* stm = nullptr;
    pdf_document* doc = nullptr;
    pdf_obj* font = nullptr;
    pdf_cmap* cmap = nullptr;
    fz_var(judged);
    fz_var(stm);
    fz_var(doc);
    fz_var(font);
    fz_var(cmap);
    fz_try(ctx) {
        stm = fz_open_memory(ctx, reinterpret_cast<const unsigned char*>(file.data()), file.size());
        doc = pdf_open_document_with_stream(ctx, stm);
        font = pdf_new_indirect(ctx, doc, 3, 0);
        judged.cut = VDRW_EncodingMapCut(ctx, font);
        cmap = pdf_load_embedded_cmap(ctx, doc, pdf_dict_get(ctx, font, PDF_NAME(Encoding)));
        for (int code = 0; code < kCodes; ++code)
            judged.mapped += pdf_lookup_cmap(cmap, static_cast<unsigned int>(code)) == code + 1;
    }
    fz_always(ctx) {
        pdf_drop_cmap(ctx, cmap);
        pdf_drop_obj(ctx, font);
        pdf_drop_document(ctx, doc);
        fz_drop_stream(ctx, stm);
    }
    fz_catch(ctx) {
        /* MuPDF refuses the map: it maps nothing. */
    }
    return judged;
}

void Quiet(void*, const char*) {}

TEST(VDRW_EncodingMapCut, AMapIsCutWhereMuPDFMapsLessOfItThanOfTheWhole) {
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    ASSERT_NE(ctx, nullptr);
    fz_set_warning_callback(ctx, Quiet, nullptr);
    fz_set_error_callback(ctx, Quiet, nullptr);
    const std::string map = CodeMap();
    const std::string dict = "/Type /CMap /CMapName /X";
    const Judged whole = Judge(ctx, VIEW_PdfStream(dict, map));
    ASSERT_EQ(whole.mapped, kCodes);
    EXPECT_EQ(whole.cut, 0);
    EXPECT_EQ(Judge(ctx, VIEW_PdfStream(dict + " /Filter /FlateDecode", Deflated(map))).cut, 0);

    // Stored plain, cut at every byte: before the endcmap the map is cut,
    // and every cut that costs MuPDF a code is judged so.
    const size_t end = map.find("endcmap") + 7;
    int lossy = 0;
    for (size_t size = 0; size < map.size(); ++size) {
        SCOPED_TRACE("plain, " + std::to_string(size) + " bytes");
        const Judged judged = Judge(ctx, VIEW_PdfStream(dict, map.substr(0, size)));
        EXPECT_EQ(judged.cut, size < end ? 1 : 0);
        if (judged.mapped < kCodes) {
            EXPECT_EQ(judged.cut, 1);
            ++lossy;
        }
    }
    EXPECT_GT(lossy, kCodes);
    // Deflated, cut at every byte, its check included.
    const std::string deflated = Deflated(map);
    for (size_t size = 0; size < deflated.size(); ++size) {
        SCOPED_TRACE("deflated, " + std::to_string(size) + " bytes");
        const Judged judged = Judge(ctx, VIEW_PdfStream(dict + " /Filter /FlateDecode", deflated.substr(0, size)));
        if (judged.mapped < kCodes) {
            EXPECT_EQ(judged.cut, 1);
            ++lossy;
        }
    }
    EXPECT_GT(lossy, 2 * kCodes);
    // Not a composite font's map of its own: never cut.
    const struct {
        const char* name;
        std::string font;
    } others[] = {
        {"a named map", "<< /Type /Font /Subtype /Type0 /Encoding /Identity-H >>"},
        {"a simple font", "<< /Type /Font /Subtype /TrueType /Encoding 4 0 R >>"},
    };
    for (const auto& other : others) {
        SCOPED_TRACE(other.name);
        const std::string file = VIEW_PdfFile({"<< /Type /Catalog /Pages 2 0 R >>",
                                               "<< /Type /Pages /Kids [] /Count 0 >>", other.font,
                                               VIEW_PdfStream(dict, map.substr(0, 40))});
        fz_stream* stm = fz_open_memory(ctx, reinterpret_cast<const unsigned char*>(file.data()), file.size());
        pdf_document* doc = pdf_open_document_with_stream(ctx, stm);
        pdf_obj* font = pdf_new_indirect(ctx, doc, 3, 0);
        EXPECT_EQ(VDRW_EncodingMapCut(ctx, font), 0);
        EXPECT_EQ(VDRW_SomeEncodingMapOfItsOwn(ctx, doc), 0);
        pdf_drop_obj(ctx, font);
        pdf_drop_document(ctx, doc);
        fz_drop_stream(ctx, stm);
    }
    fz_drop_context(ctx);
}

}  // namespace
