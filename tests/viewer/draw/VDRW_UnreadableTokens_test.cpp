// Each kind of token, among a square's operands, in an array among them and
// in a text array, is judged as MuPDF's interpreter reads it. MuPDF draws
// the page and says when it met a token it could not read: where that cost
// the mark, the loss check counts it and the mended twin draws the page as
// it draws without the token; elsewhere the check lets it pass and the twin
// draws as the page does.
#include <gtest/gtest.h>
#include <mupdf/pdf.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/PdfText.h"
#include "viewer/draw/VDRW_LossChecks.h"
#include "viewer/draw/VDRW_MendedTwin.h"

namespace {

std::string Page(const std::string& content) {
    return PdfText("%PDF-1.7",
                   {"<</Type /Catalog /Pages 2 0 R>>", "<</Type /Pages /Kids [3 0 R] /Count 1>>",
                    "<</Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Contents 4 0 R /Resources "
                    "<</Font <</F1 <</Type /Font /Subtype /Type1 /BaseFont /Helvetica>>>>>>>>",
                    "<</Length " + std::to_string(content.size()) + ">>\nstream\n" + content + "\nendstream"});
}

// MuPDF's own word for a token it could not read.
void HearSyntaxError(void* user, const char* message) {
    if (std::strncmp(message, "syntax error", 12) == 0)
        *static_cast<bool*>(user) = true;
}

pdf_document* Open(fz_context* ctx, const std::string& file) {
    fz_buffer* bytes =
        fz_new_buffer_from_copied_data(ctx, reinterpret_cast<const unsigned char*>(file.data()), file.size());
    fz_stream* stm = fz_open_buffer(ctx, bytes);
    pdf_document* doc = pdf_open_document_with_stream(ctx, stm);
    fz_drop_stream(ctx, stm);
    fz_drop_buffer(ctx, bytes);
    return doc;
}

std::vector<unsigned char> Drawn(fz_context* ctx, pdf_document* doc) {
    fz_pixmap* pixmap = fz_new_pixmap_from_page_number(ctx, reinterpret_cast<fz_document*>(doc), 0, fz_identity,
                                                       fz_device_gray(ctx), 0);
    const unsigned char* samples = fz_pixmap_samples(ctx, pixmap);
    std::vector<unsigned char> gray(samples, samples + fz_pixmap_stride(ctx, pixmap) * fz_pixmap_height(ctx, pixmap));
    fz_drop_pixmap(ctx, pixmap);
    return gray;
}

struct Reading {
    std::vector<unsigned char> m_source;
    std::vector<unsigned char> m_twin;
    bool m_syntaxError = false;
    int m_checkDrops = 0;
};

Reading Read(const std::string& content) {
    Reading reading;
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    fz_set_error_callback(ctx, HearSyntaxError, &reading.m_syntaxError);
    fz_set_warning_callback(ctx, HearSyntaxError, &reading.m_syntaxError);
    pdf_document* doc = Open(ctx, Page(content));
    reading.m_source = Drawn(ctx, doc);
    reading.m_checkDrops = VDRW_SomeBadTokenDropsOperands(ctx, doc);
    pdf_drop_document(ctx, doc);
    pdf_document* twin = Open(ctx, Page(content));
    VDRW_MendDocument(ctx, twin, twin, nullptr, nullptr);
    reading.m_twin = Drawn(ctx, twin);
    pdf_drop_document(ctx, twin);
    fz_drop_context(ctx);
    return reading;
}

TEST(VDRW_UnreadableTokens, CheckAndTwinJudgeEachTokenAsMuPDFReadsIt) {
    const char* const tokens[] = {
        "7",    "-3.5", "(s)",   "<41>",  "/N",     "[1 2]",     "<</A 1>>", "{", "}", "true", "false",
        "null", "R",    "1 0 R", "]",     ">>",     "n",         "foo",      ")", "obj", "endstream",
    };
    const struct {
        const char* name;
        const char* before;
        const char* after;
    } places[] = {
        {"among operands", "0 g 10 10 50 50 ", " re f"},
        {"in an array among operands", "0 g 10 10 50 50 [1 ", "] re f"},
        {"in a text array", "0 g BT /F1 60 Tf 10 20 Td [(I) ", " (I)] TJ ET"},
    };
    for (const auto& place : places) {
        for (const char* token : tokens) {
            // A "]" in a text array closes it, and is no stray one.
            if (std::strcmp(token, "]") == 0 && std::strcmp(place.name, "in a text array") == 0)
                continue;
            SCOPED_TRACE(std::string(token) + " " + place.name);
            const Reading page = Read(std::string(place.before) + token + place.after);
            const Reading without = Read(std::string(place.before) + place.after);
            ASSERT_FALSE(without.m_syntaxError);
            // The mark is there to lose.
            ASSERT_TRUE(std::any_of(without.m_source.begin(), without.m_source.end(),
                                    [](unsigned char gray) { return gray < 128; }));
            const bool dropped = page.m_syntaxError && page.m_source != without.m_source;
            EXPECT_EQ(page.m_checkDrops, dropped ? 1 : 0);
            EXPECT_TRUE(page.m_twin == (dropped ? without.m_source : page.m_source));
        }
    }
}

}  // namespace
