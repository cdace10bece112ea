#include "separation/CSEP_GroupInheritance.h"

#include "CSEP_TestUtil.h"

TEST(CSEP_GroupInheritance, AGroupTakesWhatItPaintsWithBeforeSettingIt) {
    using G = CSEP_GroupInheritance;
    const struct {
        const char* content;
        uint32_t taken;
    } rows[] = {
        {"1 g 0 0 9 9 re f", 0},
        {"0 0 9 9 re f 1 g", G::FillTaken},
        {"1 g 0 0 9 9 re S", G::StrokeTaken},
        {"0 G 1 g 0 0 9 9 re B", 0},
        {"q 1 g Q 0 0 9 9 re f", G::FillTaken},
        {"1 g 2 Tr BT /F 9 Tf (a) Tj ET", G::StrokeTaken},
        {"1 g 1 G BT /F 9 Tf (a) Tj ET", G::TextModeTaken},
        {"0 0 9 9 re W n /Im Do", 0},
        {"/Sm Do", G::FillTaken},
        {"1 g /Fm Do", G::StrokeTaken | G::TextModeTaken},
        {"/Missing Do", G::AllTaken},
        {"BI /W 1 /H 1 /IM true ID \x80 EI", G::FillTaken},
        {"1 g 0 0 9 9 re f ET", G::AllTaken},
        // A colour space that cannot be read is no cancel.
        {"/Bad cs 0 0 9 9 re f", G::AllTaken},
        // Outline glyphs paint with what their mode names, each mode alone.
        {"0 Tr BT /F 9 Tf (a) Tj ET", G::FillTaken},
        {"1 Tr BT /F 9 Tf (a) Tj ET", G::StrokeTaken},
        {"2 Tr BT /F 9 Tf (a) Tj ET", G::FillTaken | G::StrokeTaken},
        {"3 Tr BT /F 9 Tf (a) Tj ET", 0},
        {"4 Tr BT /F 9 Tf (a) Tj ET", G::FillTaken},
        {"5 Tr BT /F 9 Tf (a) Tj ET", G::StrokeTaken},
        {"6 Tr BT /F 9 Tf (a) Tj ET", G::FillTaken | G::StrokeTaken},
        {"7 Tr BT /F 9 Tf (a) Tj ET", 0},
        {"1 g 0 Tr BT /TT 9 Tf (a) ' ET", 0},
        {"1 g 0 Tr BT /MM 9 Tf [(a)] TJ ET", 0},
        {"1 g 0 Tr BT /CID 9 Tf 0 0 (a) \" ET", 0},
        // A Type 3 glyph may fill or stroke in the colours in force, whatever
        // the mode; so may a glyph of a font that cannot be told from one.
        {"1 g 0 Tr BT /T3 9 Tf (a) Tj ET", G::StrokeTaken},
        {"1 G 1 Tr BT /T3 9 Tf (a) Tj ET", G::FillTaken},
        {"3 Tr BT /T3 9 Tf (a) Tj ET", G::FillTaken | G::StrokeTaken},
        {"1 g 1 G 7 Tr BT /T3 9 Tf (a) Tj ET", 0},
        {"q 1 g 1 G Q 0 Tr BT /T3 9 Tf (a) Tj ET", G::FillTaken | G::StrokeTaken},
        {"1 g 0 Tr /GF gs BT (a) Tj ET", G::StrokeTaken},
        {"1 g 0 Tr BT /Odd 9 Tf (a) Tj ET", G::StrokeTaken},
        {"1 g 0 Tr BT (a) Tj ET", G::StrokeTaken},
        {"0 Tr BT /Absent 9 Tf (a) Tj ET", G::AllTaken},
    };
    const GLOB_Doc doc = NewDoc();
    const GLOB_Object image = NewStreamObject(doc, "\x80");
    image.StreamDict().DictPut(GLOB_Name("Subtype"), doc.NewName(GLOB_Name("Image")));
    const GLOB_Object stencil = NewStreamObject(doc, "\x80");
    stencil.StreamDict().DictPut(GLOB_Name("Subtype"), doc.NewName(GLOB_Name("Image")));
    stencil.StreamDict().DictPut(GLOB_Name("ImageMask"), doc.NewBoolean(true));
    const GLOB_Object resources = doc.ParseObject(
        "<< /XObject << /Fm << /Subtype /Form >> >> "
        "/ColorSpace << /Bad [/Indexed /DeviceGray 300 <00>] >> "
        "/ExtGState << /GF << /Font [<< /Type /Font /Subtype /Type3 >> 9] >> >> "
        "/Font << /F << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> "
        "/TT << /Type /Font /Subtype /TrueType /BaseFont /Arial >> "
        "/MM << /Type /Font /Subtype /MMType1 /BaseFont /Minion >> "
        "/CID << /Type /Font /Subtype /Type0 /BaseFont /Ming /Encoding /Identity-H >> "
        "/T3 << /Type /Font /Subtype /Type3 /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << >> >> "
        "/Odd << /Type /Font /CharProcs << >> >> >> >>");
    resources.DictGet(GLOB_Name("XObject")).DictPut(GLOB_Name("Im"), image);
    resources.DictGet(GLOB_Name("XObject")).DictPut(GLOB_Name("Sm"), stencil);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.content);
        const GLOB_Object group = NewStreamObject(doc, row.content);
        group.StreamDict().DictPut(GLOB_Name("Resources"), resources);
        EXPECT_EQ(G::Scan(group), row.taken);
    }
}

// Two groups read by one reader keep their own answers, in either order.
TEST(CSEP_GroupInheritance, EachGroupIsReadOnceUnderItsOwnKey) {
    using G = CSEP_GroupInheritance;
    const GLOB_Doc doc = NewDoc();
    const GLOB_Object own = NewStreamObject(doc, "1 g 0 0 9 9 re f");
    const GLOB_Object taking = NewStreamObject(doc, "0 0 9 9 re f");
    const struct {
        const char* what;
        const GLOB_Object& group;
        uint32_t taken;
    } rows[] = {
        {"own fill first", own, 0},
        {"then a group taking the fill", taking, G::FillTaken},
        {"the first again", own, 0},
        {"the second again", taking, G::FillTaken},
    };
    G inheritance;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(inheritance.Taken(row.group), row.taken);
    }
    EXPECT_NE(G::ObjectKey(own), G::ObjectKey(taking));
    EXPECT_EQ(G::ObjectKey(own), G::ObjectKey(GLOB_Object(own)));
}
