// The twin's content stream is mended as it streams: what it holds reads
// as the content mended in memory reads, a long one is kept deflated, not
// held whole, and one that needs nothing is left as the file has it.
#include <gtest/gtest.h>
#include <mupdf/pdf.h>

#include <string>

#include "support/PdfText.h"
#include "viewer/draw/VDRW_MendedTwin.h"

namespace {

std::string Page(const std::string& content) {
    return PdfText("%PDF-1.7", {"<</Type /Catalog /Pages 2 0 R>>", "<</Type /Pages /Kids [3 0 R] /Count 1>>",
                                "<</Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Contents 4 0 R>>",
                                "<</Length " + std::to_string(content.size()) + ">>\nstream\n" + content +
                                    "\nendstream"});
}

std::string Text(fz_context* ctx, fz_buffer* buffer) {
    unsigned char* data = nullptr;
    const size_t size = fz_buffer_storage(ctx, buffer, &data);
    return std::string(reinterpret_cast<const char*>(data), size);
}

struct Twin {
    std::string m_decoded;  // the twin's content, as the drawing reads it
    size_t m_stored = 0;    // the bytes the twin holds for it
};

Twin Mend(fz_context* ctx, const std::string& content) {
    const std::string file = Page(content);
    fz_buffer* bytes =
        fz_new_buffer_from_copied_data(ctx, reinterpret_cast<const unsigned char*>(file.data()), file.size());
    fz_stream* stm = fz_open_buffer(ctx, bytes);
    pdf_document* twin = pdf_open_document_with_stream(ctx, stm);
    VDRW_MendDocument(ctx, twin, twin, nullptr, nullptr);
    fz_buffer* decoded = pdf_load_stream_number(ctx, twin, 4);
    fz_buffer* raw = pdf_load_raw_stream_number(ctx, twin, 4);
    Twin result{Text(ctx, decoded), fz_buffer_storage(ctx, raw, nullptr)};
    fz_drop_buffer(ctx, raw);
    fz_drop_buffer(ctx, decoded);
    pdf_drop_document(ctx, twin);
    fz_drop_stream(ctx, stm);
    fz_drop_buffer(ctx, bytes);
    return result;
}

// What the content mended in memory holds; content itself when nothing
// needs mending.
std::string MendedInMemory(fz_context* ctx, const std::string& content) {
    fz_buffer* in = fz_new_buffer_from_copied_data(ctx, reinterpret_cast<const unsigned char*>(content.data()),
                                                   content.size());
    fz_buffer* out = VDRW_MendedContent(ctx, in);
    const std::string text = out ? Text(ctx, out) : content;
    fz_drop_buffer(ctx, out);
    fz_drop_buffer(ctx, in);
    return text;
}

TEST(VDRW_StreamMend, TwinReadsAsMendedInMemoryAndHoldsNoLongStreamWhole) {
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    ASSERT_NE(ctx, nullptr);
    // Longer than what is kept as read.
    const std::string comment = "%" + std::string(20u << 20, 'x') + "\n";
    const struct {
        const char* name;
        std::string content;
        bool deflated;  // held in far fewer bytes than it reads
    } rows[] = {
        {"a stray token, short", "0 g 0 0 100 ) 100 re f", false},
        {"nothing to mend, short", "0 g 0 0 100 100 re f", false},
        {"a stray token before a long comment", "0 g 0 0 100 ) 100 re f\n" + comment + "1 g", true},
        {"a stray token after a long comment", comment + "0 g 0 0 100 ) 100 re f", true},
        {"nothing to mend before a long comment", "0 g 0 0 100 100 re f\n" + comment, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Twin twin = Mend(ctx, row.content);
        EXPECT_TRUE(twin.m_decoded == MendedInMemory(ctx, row.content));
        if (row.deflated)
            EXPECT_LT(twin.m_stored * 100, twin.m_decoded.size());
        else
            EXPECT_EQ(twin.m_stored, twin.m_decoded.size());
    }
    fz_drop_context(ctx);
}

}  // namespace
