// The twin's content keeps every byte MuPDF can read where it was and
// blanks the rest: a bad token, and in a text array what it cannot show.
#include <gtest/gtest.h>
#include <mupdf/fitz.h>

#include <string>

#include "viewer/draw/VDRW_MendedTwin.h"

namespace {

// The mended content, or "" when nothing needs mending.
std::string Mended(fz_context* ctx, const std::string& content) {
    fz_buffer* in = fz_new_buffer_from_copied_data(ctx, reinterpret_cast<const unsigned char*>(content.data()),
                                                   content.size());
    fz_buffer* out = VDRW_MendedContent(ctx, in);
    std::string text;
    if (out) {
        unsigned char* data = nullptr;
        const size_t size = fz_buffer_storage(ctx, out, &data);
        text.assign(reinterpret_cast<const char*>(data), size);
    }
    fz_drop_buffer(ctx, out);
    fz_drop_buffer(ctx, in);
    return text;
}

TEST(VDRW_MendedTwin, ContentKeepsWhatMuPDFReadsAndBlanksTheRest) {
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    ASSERT_NE(ctx, nullptr);
    const struct {
        const char* name;
        std::string content;
        std::string blanked;  // with the space before it; "": nothing to mend
    } rows[] = {
        {"whole content", "0 g 0 0 10 10 re f BT /F1 9 Tf [(a) -250 (b)] TJ ET", ""},
        {"a stray token among operands", "0 0 100 ) 100 re f", " )"},
        {"a stray token between operators", "0 g ) 0 0 1 1 re f", " )"},
        {"a name in a text array", "BT [(a) -250 /X (b)] TJ ET", " /X"},
        {"a boolean in a text array", "BT [(a) true (b)] TJ ET", " true"},
        {"a dictionary in a text array", "BT [(a) <</x [1 2]>> (b)] TJ ET", " <</x [1 2]>>"},
        {"an array in a text array", "BT [(a) [1 <</y 2>>] (b)] TJ ET", " [1 <</y 2>>]"},
        {"names in an array outside text", "[/X 1] 0 d /P <</MCID 0>> BDC EMC", ""},
        {"a dash array after text", "BT (a) Tj ET [3 /X] 0 d", ""},
        {"inline image data holding a stray token", "BI /W 1 /H 1 /BPC 8 /CS /G ID )\nEI Q", ""},
        {"a stray token after an inline image", "BI /W 1 /H 1 /BPC 8 /CS /G ID x\nEI ) Q", " )"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string mended;
        if (!row.blanked.empty())
            mended = std::string(row.content).replace(row.content.find(row.blanked), row.blanked.size(),
                                                      std::string(row.blanked.size(), ' '));
        EXPECT_EQ(Mended(ctx, row.content), mended);
    }
    fz_drop_context(ctx);
}

}  // namespace
