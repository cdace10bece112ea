// Page trees whose leaves careless writers got wrong (no /Type, /Type
// /Pages without /Kids, a /Count that lies, a /Page with /Kids 0): each page number gives the
// page mutool draws for it, told apart by its size and where its black
// square sits.
#include "TS_ProgramFixture.h"

#include "support/GrayPlate.h"
#include "support/PdfText.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kDpi = 150;
constexpr int kPages = 3;

// Page i: 100 + 50 i points wide, with a black square 20 + 30 i points from
// the left.
std::string Page(int i, const std::string& entries) {
    return "<< " + entries + " /MediaBox [0 0 " + std::to_string(100 + 50 * i) + " 100] /Contents " +
           std::to_string(6 + i) + " 0 R >>";
}

std::string Square(int i) {
    const std::string content = "0 0 0 1 k " + std::to_string(20 + 30 * i) + " 30 20 20 re f";
    return "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
}

// The three pages under root object 2: page 0 is object 3, page 1 object 4
// (with leafEntries) and page 2 object 5; or, with middleCount, pages 0 and
// 1 (objects 4 and 9) under a middle node whose /Count is middleCount.
// Objects 6 to 8 are the pages' contents.
std::string Tree(const std::string& leafEntries, int middleCount = -1) {
    const std::string page = "/Type /Page /Parent 2 0 R";
    std::vector<std::string> objects{"<< /Type /Catalog /Pages 2 0 R >>"};
    if (middleCount < 0) {
        objects.push_back("<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >>");
        objects.push_back(Page(0, page));
        objects.push_back(Page(1, leafEntries + " /Parent 2 0 R"));
        objects.push_back(Page(2, page));
    } else {
        objects.push_back("<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 3 >>");
        objects.push_back("<< /Type /Pages /Parent 2 0 R /Kids [4 0 R 9 0 R] /Count " +
                          std::to_string(middleCount) + " >>");
        objects.push_back(Page(0, "/Type /Page /Parent 3 0 R"));
        objects.push_back(Page(2, page));
    }
    for (int i = 0; i < kPages; ++i)
        objects.push_back(Square(i));
    if (middleCount >= 0)
        objects.push_back(Page(1, "/Type /Page /Parent 3 0 R"));
    return PdfText("%PDF-1.4", objects);
}

// A page as drawn: its size in pixels and the middle of its dark pixels.
struct Seen {
    int m_width = 0, m_height = 0;
    double m_x = -1, m_y = -1;
};

Seen SeenIn(int width, int height, const std::vector<uint8_t>& levels) {
    Seen seen{width, height};
    double sumX = 0, sumY = 0, count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (levels[static_cast<size_t>(y) * width + x] < 128) {
                sumX += x;
                sumY += y;
                ++count;
            }
    if (count > 0) {
        seen.m_x = sumX / count;
        seen.m_y = sumY / count;
    }
    return seen;
}

// Page number (from 1) of path as mutool draws it in gray.
Seen Mutool(const std::string& path, int number, const std::string& pgm) {
    const std::string command = "mutool draw -q -r " + std::to_string(kDpi) + " -c gray -o '" + pgm + "' '" + path +
                                "' " + std::to_string(number) + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot start mutool");
    const TS_Run mutool = TS_FinishPiped(pipe);
    if (mutool.m_code != 0)
        throw std::runtime_error("mutool failed on page " + std::to_string(number) + " (mupdf-tools is needed):\n" +
                                 mutool.m_err);
    const GrayPlate plate = ReadPgm(pgm);
    return SeenIn(plate.width, plate.height, plate.pixels);
}

class TS_PageLeavesTest : public TS_ProgramTest {
protected:
    Seen Ours(const std::string& path, int number) {
        const TS_Run run = Run(WithOut({path, "--page", std::to_string(number), "--dpi", std::to_string(kDpi)}));
        EXPECT_EQ(run.m_code, 0) << run.m_err;
        const PngPixels plate = Output("plate-3-Black.png");
        EXPECT_EQ(plate.m_channels, 1) << plate.m_error;
        return SeenIn(plate.m_width, plate.m_height, plate.m_pixels);
    }
};

TEST_F(TS_PageLeavesTest, EveryPageNumberGivesThePageMutoolDraws) {
    // mutool reads a /Pages leaf without /Kids as an empty node and trusts
    // /Count to skip nodes; for those trees it is asked about the same tree
    // written plainly, whose pages are the ones meant.
    const std::string plain = WriteFile("plain.pdf", Tree("/Type /Page"));
    const struct {
        const char* what;
        std::string file;
        std::string reference;
    } trees[] = {
        {"a leaf without Type", WriteFile("untyped.pdf", Tree("")), ""},
        {"a leaf typed Pages without Kids", WriteFile("typedpages.pdf", Tree("/Type /Pages")), plain},
        {"a middle node whose Count lies", WriteFile("count.pdf", Tree("", 1)), plain},
        {"a leaf typed Page whose Kids are not an array", WriteFile("pagekids.pdf", Tree("/Type /Page /Kids 0")),
         ""},
    };
    for (const auto& tree : trees) {
        SCOPED_TRACE(tree.what);
        for (int number = 1; number <= kPages; ++number) {
            SCOPED_TRACE(number);
            const Seen expected =
                Mutool(tree.reference.empty() ? tree.file : tree.reference, number, m_docs.File("page.pgm"));
            const Seen seen = Ours(tree.file, number);
            ASSERT_GT(expected.m_x, 0) << "mutool drew no square";
            EXPECT_NEAR(seen.m_width, expected.m_width, 3);
            EXPECT_NEAR(seen.m_height, expected.m_height, 3);
            EXPECT_NEAR(seen.m_x, expected.m_x, 3);
            EXPECT_NEAR(seen.m_y, expected.m_y, 3);
        }
    }
}

}  // namespace
