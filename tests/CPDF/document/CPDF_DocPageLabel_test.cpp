#include "CPDF/document/CPDF_Doc.h"

#include "CPDF/document/DocumentTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const char* const kRanges = "<< /Nums [0 << /S /r >> 4 << /S /D >> 10 << /P (A-) /S /D /St 8 >> ] >>";

// A document of 13 pages whose "PageLabels" is labels (none for null).
CPDF_Doc LabelledDoc(const char* labels) {
    CPDF_Doc doc = NewPageDoc();
    for (int i = 0; i < 13; ++i)
        doc.CreatePage(i, GLIB_Rect(0, 0, 10, 10));
    if (labels)
        doc.CatalogPut("PageLabels", doc.ParseObject(labels));
    return doc;
}

// The label written into a buffer of exactly size bytes (one canary byte
// for size 0, which must stay untouched).
std::string Label(const CPDF_Doc& doc, uint32_t page, uint32_t size) {
    std::vector<char> buffer(size ? size : 1, '#');
    doc.PageLabel(page, buffer.data(), size);
    if (size == 0)
        return std::string(buffer.data(), 1);
    EXPECT_NE(std::memchr(buffer.data(), '\0', size), nullptr);
    return buffer.data();
}

}  // namespace

TEST(CPDF_Doc, PageLabels) {
    const char* const cover = "<< /Nums [0 << /P (Cover) >>] >>";
    const char* const aa = "<< /Nums [0 << /S /a /St 27 >>] >>";
    const struct {
        const char* labels;
        uint32_t page;
        const char* label;
        uint32_t size = 64;
    } cases[] = {
        {kRanges, 0, "i"}, {kRanges, 3, "iv"}, {kRanges, 4, "1"}, {kRanges, 9, "6"}, {kRanges, 10, "A-8"},
        {kRanges, 12, "A-10"}, {kRanges, 13, ""}, {nullptr, 0, "1"}, {nullptr, 2, "3"}, {nullptr, 13, ""},
        {cover, 1, "Cover"}, {aa, 0, "aa"}, {"<< /Nums [0 << /S /A /St 53 >>] >>", 0, "AAA"},
        {"<< /Nums [0 << /S /R /St 1999 >>] >>", 0, "MCMXCIX"}, {"<< /Nums [0 << /P /x- /S /R /St 0 >>] >>", 0, "x-"},
        {"<< /Nums [0 << /S /D /St 2147483647 >>] >>", 12, "2147483659"},
        // The floor lookup fails or finds no dictionary: decimal.
        {"<< /Nums [2 << /S /r >>] >>", 0, "1"}, {"<< /Nums [0 << /S /r >> 4] >>", 5, "6"},
        {"<< /Nums [0.0 << /S /r >>] >>", 3, "4"}, {"<< /Nums [0 5] >>", 3, "4"},
        {"<< /Kids [<< /Limits [/a 12] /Nums [0 << /S /R >>] >>] >>", 2, "3"},
        // Entries of the wrong kind count as absent.
        {"<< /Nums [0 << /S (r) /P (p) >>] >>", 0, "p"}, {"<< /Nums [0 << /S /D /P 5 /St 2.0 >>] >>", 1, "2"},
        // Cut to the buffer ("#": size 0 writes nothing); roman numerals are
        // never cut inside a subtractive pair.
        {kRanges, 10, "#", 0}, {kRanges, 10, "", 1}, {kRanges, 10, "A", 2}, {kRanges, 10, "A-", 3},
        {kRanges, 10, "A-8", 4}, {kRanges, 2, "ii", 3}, {kRanges, 3, "", 2}, {nullptr, 12, "1", 2},
        {cover, 0, "Co", 3}, {aa, 0, "a", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.labels ? c.labels : "no labels") + " page " + std::to_string(c.page) + " size " +
                     std::to_string(c.size));
        EXPECT_EQ(Label(LabelledDoc(c.labels), c.page, c.size), c.label);
    }
}
