// What the program says of a page whose Contents names no stream the file
// holds, and what it still draws of it.
#include "TS_ProgramFixture.h"
#include "support/PdfText.h"

#include <string>
#include <vector>

// A reference to an object the file lacks, frees or holds as no stream is
// said by name; the page's other content streams are drawn, as mutool
// draws them.
TEST_F(TS_ProgramTest, AContentStreamTheFileDoesNotHoldIsSaidAndTheRestDrawn) {
    const std::string black = "0 0 0 1 k 10 10 30 30 re f";
    const std::string magenta = "0 1 0 0 k 60 60 30 30 re f";
    const auto stream = [](const std::string& content) {
        return "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
    };
    const struct {
        const char* name;
        const char* contents;
        std::string object5;
        bool freed;  // object 5's cross-reference entry frees it
        const char* said;
        bool blackDrawn;
    } rows[] = {
        {"missing", "9 0 R", "null", false, "9 0 R is not in the file", false},
        {"freed", "5 0 R", stream(magenta), true, "5 0 R is not in the file", false},
        {"not-a-stream", "5 0 R", "<< /Length 3 >>", false, "5 0 R is not a stream", false},
        {"array", "[9 0 R 4 0 R]", "null", false, "9 0 R is not in the file", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string pdf = PdfText("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>",
                                               "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                               "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Contents " +
                                                   std::string(row.contents) + " >>",
                                               stream(black), row.object5});
        if (row.freed) {
            const size_t entry = pdf.find("xref\n0 6\n") + 9 + 5 * 20;
            pdf.replace(entry, 20, "0000000000 00001 f \n");
        }
        const std::string file = WriteFile(std::string(row.name) + ".pdf", pdf);
        const TS_Run run = Run(WithOut({file}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_EQ(run.m_err, "tintscope: " + file + ": page 1: its content stream " + row.said +
                                 ": the page is drawn without it\n");
        const GrayPlate plate = TS_ReadPlatePng(m_out.File("plate-3-Black.png"));
        ASSERT_GT(plate.width, 0);
        EXPECT_EQ(plate.At(plate.width / 4, plate.height * 3 / 4), row.blackDrawn ? 0 : 255);
        EXPECT_EQ(plate.InkedShare() > 0, row.blackDrawn);
        EXPECT_EQ(TS_ReadPlatePng(m_out.File("plate-1-Magenta.png")).InkedShare(), 0.0);
    }
}
