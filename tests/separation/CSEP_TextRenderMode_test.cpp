// Text render modes per ink: the mode each ink receives follows what it
// paints of the text, its fill, its stroke, both or neither.
#include "separation/CSEP_ContentSeparator.h"

#include "CSEP_SeparationCheck.h"

namespace {

using CSEP_TextRenderModeTest = CSEP_TempDirTest;

}  // namespace

// Overprint mode 1: cyan is in the fill only, yellow in the stroke only,
// magenta in both, black in neither. An ink whose mode stays as it was gets
// no Tr.
TEST_F(CSEP_TextRenderModeTest, EachInkKeepsThePartsItPaints) {
    const std::string resources = "<< /ExtGState << /Op << /OP true /op true /OPM 1 >> >>"
                                  "   /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>";
    const std::string content =
        "/Op gs 1 1 0 0 k 0 1 1 0 K BT /F1 1 Tf 1 Tr (a) Tj 2 Tr (b) Tj 5 Tr (c) Tj 6 Tr (d) Tj ET";
    const CSEP_SepJobContext job = NewJob({});
    const Inks inks = Separate(job, SourcePage(NewDoc(), resources, content));
    ASSERT_EQ(inks.contents.size(), 4u);
    const std::string expected = "/Op gs\n{0|0|1|1} g\n{1|0|0|1} G\nBT\n/F1 1 Tf\n"
                                 "{3|1|1|3} Tr\n(a) Tj\n{0 Tr\n|2 Tr\n||}(b) Tj\n"
                                 "{7|5|5|7} Tr\n(c) Tj\n{4 Tr\n|6 Tr\n||}(d) Tj\nET\n";
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(Body(inks.contents[i]), ForInk(expected, i)) << "ink " << i;
}
