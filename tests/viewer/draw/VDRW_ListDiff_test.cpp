// Two pages' lists differ only within the reach of the calls one holds and
// the other does not: a mark's bounds, or all a soft mask or a pattern's
// cell reaches; lists of the same calls from two documents do not differ.
#include <gtest/gtest.h>
#include <mupdf/fitz.h>

#include <string>

#include "support/PdfText.h"
#include "viewer/draw/VDRW_ListDiff.h"

namespace {

// Page 1 of a 100 x 100 page of content and objects from 5, as a list.
fz_display_list* ListOf(fz_context* ctx, const std::string& resources, const std::string& content,
                        const std::vector<std::string>& more) {
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Contents 4 0 R /Resources << " + resources + " >> >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream"};
    objects.insert(objects.end(), more.begin(), more.end());
    const std::string pdf = PdfText("%PDF-1.4", objects);
    fz_stream* stream = fz_open_memory(ctx, reinterpret_cast<const unsigned char*>(pdf.data()), pdf.size());
    fz_document* doc = fz_open_document_with_stream(ctx, "application/pdf", stream);
    fz_display_list* list = fz_new_display_list_from_page_number(ctx, doc, 0);
    fz_drop_document(ctx, doc);
    fz_drop_stream(ctx, stream);
    return list;
}

bool Within(fz_rect inner, fz_rect outer) {
    return inner.x0 >= outer.x0 - 0.5f && inner.y0 >= outer.y0 - 0.5f && inner.x1 <= outer.x1 + 0.5f &&
           inner.y1 <= outer.y1 + 0.5f;
}

TEST(VDRW_ListDiff, TwoListsDifferWithinTheReachOfWhatOneHolds) {
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    ASSERT_NE(ctx, nullptr);
    fz_register_document_handlers(ctx);
    const std::string group = "<< /Type /XObject /Subtype /Form /BBox [0 0 40 40] /Resources << >> /Group << /S "
                              "/Transparency /CS /DeviceGray >> /Length ";
    const auto mask = [&](const std::string& inGroup) {
        return std::vector<std::string>{"<< /SMask << /S /Luminosity /G 6 0 R >> >>",
                                        group + std::to_string(inGroup.size()) + " >>\nstream\n" + inGroup +
                                            "\nendstream"};
    };
    const std::string masked = "0 g 70 70 20 20 re f q /M0 gs 0 0 40 40 re f Q";
    const std::string cell = "<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 5 5] /XStep 5 /YStep 5 "
                             "/Resources << >> /Length ";
    const auto pattern = [&](const std::string& inCell) {
        return std::vector<std::string>{cell + std::to_string(inCell.size()) + " >>\nstream\n" + inCell +
                                        "\nendstream"};
    };
    const std::string tiled = "0 g 70 70 20 20 re f /Pattern cs /P0 scn 10 10 30 30 re f";
    const struct {
        const char* name;
        std::string resources, a, b;
        std::vector<std::string> aMore, bMore;
        fz_rect reach;    // in the page's device space (y down); empty: none
        fz_rect outside;  // a mark both draw alike, which the area misses
    } rows[] = {
        {"the same calls", "", "0 g 10 10 20 20 re f", "0 g 10 10 20 20 re f", {}, {}, fz_empty_rect,
         {10, 70, 30, 90}},
        {"a square of another grey", "", "0 g 70 70 20 20 re f 0.5 g 10 10 20 20 re f",
         "0 g 70 70 20 20 re f 0.2 g 10 10 20 20 re f", {}, {}, {10, 70, 30, 90}, {70, 10, 90, 30}},
        {"a square dropped", "", "0 g 70 70 20 20 re f 10 10 20 20 re f 50 50 1 1 re f",
         "0 g 70 70 20 20 re f 50 50 1 1 re f", {}, {}, {10, 70, 30, 90}, {70, 10, 90, 30}},
        {"a mask's group otherwise", "/ExtGState << /M0 5 0 R >>", masked, masked, mask("0.5 g 0 0 10 10 re f"),
         mask("0.2 g 0 0 10 10 re f"), {0, 60, 40, 100}, {70, 10, 90, 30}},
        {"a pattern's cell otherwise", "/Pattern << /P0 5 0 R >>", tiled, tiled, pattern("0 g 0 0 2 2 re f"),
         pattern("0 g 0 0 3 3 re f"), {10, 60, 40, 90}, {70, 10, 90, 30}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fz_display_list* a = ListOf(ctx, row.resources, row.a, row.aMore);
        fz_display_list* b = ListOf(ctx, row.resources, row.b, row.bMore);
        const fz_rect area = VDRW_ListsDifferWithin(ctx, a, nullptr, b, nullptr);
        if (fz_is_empty_rect(row.reach)) {
            EXPECT_TRUE(fz_is_empty_rect(area));
        } else {
            EXPECT_TRUE(Within(row.reach, area)) << area.x0 << " " << area.y0 << " " << area.x1 << " " << area.y1;
        }
        EXPECT_TRUE(fz_is_empty_rect(fz_intersect_rect(area, fz_expand_rect(row.outside, -0.5f))))
            << area.x0 << " " << area.y0 << " " << area.x1 << " " << area.y1;
        fz_drop_display_list(ctx, a);
        fz_drop_display_list(ctx, b);
    }
    fz_drop_context(ctx);
}

}  // namespace
