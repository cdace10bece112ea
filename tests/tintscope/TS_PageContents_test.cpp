// What the program says of a page whose Contents names no stream the file
// holds, and what it still draws of it.
#include "TS_ProgramFixture.h"
#include "support/PdfText.h"

// A reference to an object the file lacks, frees or holds as no stream is
// said by name; the page's other content streams are drawn, as mutool does.
TEST_F(TS_ProgramTest, AContentStreamTheFileDoesNotHoldIsSaidAndTheRestDrawn) {
    const std::string magenta = "<< /Length 26 >>\nstream\n0 1 0 0 k 60 60 30 30 re f\nendstream";
    const struct {
        const char* name;
        std::string contents, object5, said;
        bool freed, blackDrawn;  // freed: object 5's cross-reference entry frees it
    } rows[] = {
        {"missing", "9 0 R", "null", "9 0 R is not in the file", false, false},
        {"freed", "5 0 R", magenta, "5 0 R is not in the file", true, false},
        {"not-a-stream", "5 0 R", "<< /Length 3 >>", "5 0 R is not a stream", false, false},
        {"array", "[9 0 R 4 0 R]", "null", "9 0 R is not in the file", false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string pdf = PdfText(
            "%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Contents " + row.contents + " >>",
                         "<< /Length 26 >>\nstream\n0 0 0 1 k 10 10 30 30 re f\nendstream", row.object5});
        if (row.freed)
            pdf.replace(pdf.find("xref\n0 6\n") + 9 + 5 * 20, 20, "0000000000 00001 f \n");
        const std::string file = WriteFile(std::string(row.name) + ".pdf", pdf);
        const TS_Run run = Run(WithOut({file}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_EQ(run.m_err, "tintscope: " + file + ": page 1: its content stream " + row.said +
                                 ": the page is drawn without it\n");
        const GrayPlate black = TS_ReadPlatePng(m_out.File("plate-3-Black.png"));
        EXPECT_EQ(black.InkedShare() > 0 && black.At(black.width / 4, black.height * 3 / 4) == 0, row.blackDrawn);
        EXPECT_EQ(TS_ReadPlatePng(m_out.File("plate-1-Magenta.png")).InkedShare(), 0.0);
    }
}
