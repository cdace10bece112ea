// A content stream whose /Length lies (absurd, the stream's own object, one
// byte short or long), in a file without a cross-reference table and in one
// with a right one: the stream is read up to its endstream and the page's
// squares reach their plates.
#include "TS_ProgramFixture.h"

#include "support/PdfText.h"
#include "viewer/cos/VCOS_Repair.h"

namespace {

const std::string kContent = "0 0 0 1 k 20 20 60 60 re f 1 0 0 0 k 100 100 60 60 re f\n";

std::vector<std::string> Objects(const std::string& length) {
    return {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << >> /Contents 4 0 R >>",
            "<< /Length " + length + " >>\nstream\n" + kContent + "endstream"};
}

// Middle of the plate's inked pixels in points of the 200-point page, y
// from the top; (-1, -1) when nothing is inked.
std::pair<double, double> InkedMiddle(const PngPixels& plate) {
    double sumX = 0, sumY = 0, count = 0;
    for (int y = 0; y < plate.m_height; ++y)
        for (int x = 0; x < plate.m_width; ++x)
            if (plate.m_pixels[static_cast<size_t>(y) * plate.m_width + x] < 128) {
                sumX += x;
                sumY += y;
                ++count;
            }
    if (count == 0 || plate.m_width == 0)
        return {-1, -1};
    const double scale = 200.0 / plate.m_width;
    return {sumX / count * scale, sumY / count * scale};
}

TEST_F(TS_ProgramTest, AContentStreamWhoseLengthLiesIsReadToItsEndstream) {
    const struct {
        const char* what;
        std::string length;
    } lengths[] = {
        {"absurd", "9223372036854775807"},
        {"its own object", "4 0 R"},
        {"a byte short", std::to_string(kContent.size() - 1)},
        {"a byte long", std::to_string(kContent.size() + 1)},
    };
    for (const auto& length : lengths)
        for (bool table : {false, true}) {
            SCOPED_TRACE(std::string(length.what) + (table ? ", with a table" : ", without a table"));
            const std::string file =
                WriteFile("length.pdf", table ? PdfText("%PDF-1.7", Objects(length.length))
                                              : PdfTextWithoutTable("%PDF-1.7", Objects(length.length)));
            const TS_Run run = Run(WithOut({file, "--dpi", "150"}));
            ASSERT_EQ(run.m_code, 0) << run.m_err;
            // The black square's middle is at (50, 50) up from the bottom
            // left, the cyan one's at (130, 130).
            const std::pair<double, double> black = InkedMiddle(Output("plate-3-Black.png"));
            const std::pair<double, double> cyan = InkedMiddle(Output("plate-0-Cyan.png"));
            EXPECT_NEAR(black.first, 50, 2);
            EXPECT_NEAR(black.second, 150, 2);
            EXPECT_NEAR(cyan.first, 130, 2);
            EXPECT_NEAR(cyan.second, 70, 2);
            for (const char* blank : {"plate-1-Magenta.png", "plate-2-Yellow.png"})
                EXPECT_EQ(InkedMiddle(Output(blank)).first, -1) << blank;
        }
}

// With the rebuilt copy failing too, the stream that qpdf lost fails the
// page with why, where a null content would give four blank plates.
TEST_F(TS_ProgramTest, AContentStreamNoReadingRecoversFailsThePageWithWhy) {
    const std::string file = WriteFile("lost.pdf", PdfTextWithoutTable("%PDF-1.7", Objects("4 0 R")));
    VCOS_SetRepairFaultSwitch(1);
    const TS_Run run = Run(WithOut({file, "--dpi", "150"}));
    VCOS_SetRepairFaultSwitch(0);
    EXPECT_EQ(run.m_code, 1) << run.m_err;
    ASSERT_FALSE(run.Lines().empty());
    const std::string last = run.Lines().back();
    EXPECT_NE(last.find("object 4 of the file cannot be read"), std::string::npos) << run.m_err;
    EXPECT_NE(last.find("/Length key in stream dictionary is not an integer"), std::string::npos) << run.m_err;
    EXPECT_EQ(m_out.List(), std::vector<std::string>());
}

}  // namespace
