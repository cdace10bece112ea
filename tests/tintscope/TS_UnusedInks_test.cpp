// A plate holds ink only where a mark puts that ink: groups, knockout,
// alpha and separable blend modes between a mark and the page put none on
// the plates of inks no mark uses, as mutool draws them.
#include "TS_ProgramFixture.h"

#include <string>

namespace {

constexpr int kDpi = 150;

// A form XObject over bbox ("x0 y0 x1 y1") with resources.
std::string Form(const std::string& bbox, const std::string& resources, const std::string& content,
                 const std::string& entries = "") {
    return "<< /Type /XObject /Subtype /Form /BBox [" + bbox + "] " + entries + "/Resources << " + resources +
           " >> /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
}

// The same as a transparency group of group entries.
std::string GroupForm(const std::string& bbox, const std::string& group, const std::string& resources,
                      const std::string& content) {
    return Form(bbox, resources, content, "/Group << /S /Transparency " + group + " >> ");
}

const std::string kHalf = "/ExtGState << /A << /ca 0.5 >> >>";
const std::string kZero = "/ExtGState << /Zero << /CA 0 /ca 0 >> >>";
const std::string kTwoInks = "1 0 0 0 k 40.3 40.3 150.2 150.2 re f 0 1 0 0 k 100.4 100.4 150.3 150.3 re f";
const std::string kBlackSquares = "/A gs 0 0 0 1 k 100 300 200 200 re f 200 400 200 200 re f";
const std::string kRounded =
    "0 0 1 0 k 176 608 m 170 608 170 602 170 602 c 170 554 l 170 548 176 548 176 548 c 294 548 l "
    "300 548 300 554 300 554 c 300 602 l 300 608 294 608 294 608 c h f";

// A knockout group of half-alpha black squares, drawn under a 0.5
// luminosity mask by content "/GS1 gs /Fm0 Do" (or not, by "/Fm0 Do").
std::string SquaresPage(const std::string& content) {
    return TS_SquarePage(792,
                         "/ExtGState << /GS1 << /SMask << /S /Luminosity /G 6 0 R >> >> >> "
                         "/XObject << /Fm0 5 0 R >>",
                         content,
                         {GroupForm("0 0 612 792", "/K true", kHalf, kBlackSquares),
                          GroupForm("0 0 612 792", "/CS /DeviceGray", "", "0.5 g 0 0 612 792 re f")});
}

TEST_F(TS_ProgramTest, APlateHoldsInkOnlyWhereAMarkPutsThatInk) {
    const struct {
        const char* what;
        std::string page;
    } pages[] = {
        {"a knockout group of two inks at fractional edges",
         TS_SquarePage(300, "/XObject << /Fx 5 0 R >>", "/Fx Do",
                       {GroupForm("0 0 300 300", "/K true", kHalf, kTwoInks)})},
        {"an isolated knockout group of two inks at fractional edges",
         TS_SquarePage(300, "/XObject << /Fx 5 0 R >>", "/Fx Do",
                       {GroupForm("0 0 300 300", "/I true /K true", kHalf, kTwoInks)})},
        {"a knockout group of overlapping black squares", SquaresPage("/Fm0 Do")},
        {"a knockout group at half alpha under a mask", SquaresPage("/GS1 gs /Fm0 Do")},
        {"a knockout group cut by a mark at zero alpha",
         TS_SquarePage(792, "/XObject << /Ko 5 0 R >>", "q /Ko Do Q",
                       {GroupForm("140 520 330 680", "/CS /DeviceCMYK /I false /K true", kZero,
                                  "q 0 1 0 0 k 150 530 170 140 re f Q q /Zero gs " + kRounded + " Q")})},
        {"a group of black squares at half alpha",
         TS_SquarePage(192, "/XObject << /Fm0 5 0 R >>", "/Fm0 Do",
                       {GroupForm("0 0 192 192", "", kHalf, "/A gs 0 0 0 1 k 24 24 96 96 re f 72 72 96 96 re f")})},
        {"a group with a group at zero alpha, no knockout",
         TS_SquarePage(792, "/XObject << /Ko 5 0 R >>", "q /Ko Do Q",
                       {GroupForm("140 520 330 680", "/CS /DeviceCMYK",
                                  kZero + " /XObject << /Fm0 6 0 R /Fm1 7 0 R >>", "q /Fm0 Do Q q /Zero gs /Fm1 Do Q"),
                        GroupForm("140 520 330 680", "/CS /DeviceCMYK", "", "0 1 0 0 k 150 530 170 140 re f"),
                        GroupForm("160 540 310 615", "/CS /DeviceCMYK", "", kRounded)})},
        // MuPDF draws a glyph that sets its colour apart from the page, in
        // the group's own space where the group names one.
        {"an isolated knockout group drawn by a Type 3 glyph that sets its colour",
         TS_SquarePage(300, "/Font << /T 5 0 R >>", "BT /T 1 Tf 0 0 Td (a) Tj ET",
                       {"<< /Type /Font /Subtype /Type3 /FontBBox [0 0 300 300] /FontMatrix [1 0 0 1 0 0] "
                        "/CharProcs << /a 6 0 R >> /Encoding << /Differences [97 /a] >> /FirstChar 97 /LastChar 97 "
                        "/Widths [300] /Resources << /XObject << /Fx 7 0 R >> >> >>",
                        Form("0 0 300 300", "", "0 0 d0 /Fx Do"),
                        GroupForm("0 0 300 300", "/I true /K true", kHalf, kTwoInks)})},
        {"Multiply at alpha over a black backdrop",
         TS_SquarePage(192, "/XObject << /Fm0 5 0 R >>", "0 0 0 0.4 k 0 0 192 96 re f /Fm0 Do",
                       {Form("0 0 192 192", "/ExtGState << /B << /BM /Multiply /ca 0.7 >> >>",
                             "/B gs 0.6 0 0 0.3 k 48 48 96 96 re f")})},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.what);
        const std::string file = WriteFile("inks.pdf", page.page);
        const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(kDpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        TS_ExpectProcessPlatesAsMutool(m_out, TS_MutoolPlates(file, m_docs.File("inks.pam"), kDpi));
    }
}

}  // namespace
