// What the reading of a page's contents lost, judged from MuPDF's errors
// and warnings in the order MuPDF says them (as MuPDF 1.21 says them for
// each page shape named).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/draw/VDRW_ReadingLoss.h"

namespace {

struct Said {
    bool m_error;  // false: a warning
    const char* m_words;
};

std::string Judge(const std::vector<Said>& said) {
    VDRW_ReadingLoss loss;
    VDRW_StartReading(&loss);
    for (const Said& s : said)
        (s.m_error ? VDRW_HearError : VDRW_HearWarning)(&loss, s.m_words);
    const char* lost = VDRW_EndReading(&loss);
    return lost ? lost : "";
}

// Sequences that pages drawn whole by MuPDF seldom give (the drawer's own
// test reads real pages of the common shapes); a loss is said in the
// program's words.
TEST(VDRW_ReadingLoss, OnlyWhatLeftContentUndrawnIsLost) {
    const Said font = {true, "FT_New_Memory_Face(Arial): unknown file format"};
    const Said substitute = {false, "ignored error when loading embedded font; attempting to load system font"};
    const Said stray = {true, "syntax error in content stream"};
    const struct {
        const char* shape;
        std::vector<Said> said;
        const char* lost;
    } rows[] = {
        {"two fonts drawn in substitutes", {font, substitute, font, substitute}, ""},
        {"a warning of no loss after a skipped error",
         {{true, "cannot find ColorSpace dictionary"}, {false, "ignoring transfer function"}}, ""},
        {"a font error with no substitute", {font}, "a font it uses cannot be read"},
        {"the first loss is the one said", {{true, "cannot find Shading resource 'Sh0'"}, font},
         "an error whose effect cannot be told"},
        {"a read fault after a damaged stream",
         {{true, "zlib error: invalid block type"}, {false, "read error; treating as end of file"}},
         "a compressed stream in it is damaged"},
        {"a read fault after words not known",
         {{true, "premature end"}, {false, "read error; treating as end of file"}},
         "a stream in it could not be read to its end"},
        {"a stray token", {stray}, "a token it could not read dropped the operands before it"},
        {"a hundred stray tokens", {{false, "too many syntax errors; ignoring rest of page"}},
         "too many tokens it could not read left the rest of the content unread"},
        {"Flate data cut short", {{false, "premature end of data in flate filter"}},
         "a compressed stream in it is cut short"},
        {"Flate data whole but for their check", {{false, "ignoring zlib error: incorrect data check"}}, ""},
        {"a ToUnicode map not loaded", {{true, "no builtin cmap file: Bogus"}, {false, "cannot load ToUnicode CMap"}},
         ""},
        {"a CID font without a descriptor", {{true, "missing font descriptor"}}, ""},
        {"a group without its subtype", {{true, "no XObject subtype specified"}},
         "a form or group without its /Subtype was not drawn"},
        {"a TJ array holding a name",
         {{true, "syntax error in array"}, {true, "syntax error in content stream"}},
         "an operator whose array holds what it cannot hold was dropped"},
        {"a CID font's encoding map cut short, no code shown past it", {{false, "expected string or endcidchar"}}, ""},
        {"a code shown past it", {{false, "expected string or endcidchar"}, {false, "cannot encode character"}},
         "a map of a font's codes to its glyphs cannot be read to its end"},
        {"a ToUnicode map cut short", {{false, "expected string or endbfchar"}}, ""},
        {"a glyph that cannot be loaded",
         {{false, "ignoring zlib error: incorrect data check"},
          {false, "FT_Load_Glyph(AAAAAA+Helvetica,34,FT_LOAD_NO_HINTING): broken file"}},
         "a font it uses cannot be read"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shape);
        EXPECT_EQ(Judge(row.said), row.lost);
    }
}

// Words MuPDF says whether or not anything was lost count only where the
// document's bytes show the loss; the rest of the content left unread says
// more than the operator lost before it.
TEST(VDRW_ReadingLoss, WordsThatMayCostNothingAreCheckedAgainstTheDocument) {
    const Said stray = {true, "syntax error in content stream"};
    const Said premature = {false, "premature end of data in flate filter"};
    const Said array = {true, "syntax error in array"};
    const Said tooMany = {false, "too many syntax errors; ignoring rest of page"};
    const char* const dropped = "a token it could not read dropped the operands before it";
    const char* const cut = "a compressed stream in it is cut short";
    const char* const rest = "too many tokens it could not read left the rest of the content unread";
    const struct {
        const char* shape;
        std::vector<Said> said;
        bool operandsDropped, flateCut;
        const char* lost;
        std::vector<VDRW_LossCheckKind> asked;
    } rows[] = {
        {"a bad token between operators", {stray}, false, false, "", {VDRW_CheckOperands}},
        {"a bad token among operands", {stray}, true, false, dropped, {VDRW_CheckOperands}},
        {"Flate data lacking only their check", {premature}, false, false, "", {VDRW_CheckFlate}},
        {"Flate data cut inside a block", {premature}, false, true, cut, {VDRW_CheckFlate}},
        // The error is judged after the warning that follows it.
        {"a harmless token, then a cut stream", {stray, premature}, false, true, cut, {VDRW_CheckFlate}},
        {"a harmless token, then a whole stream", {stray, premature}, false, false, "",
         {VDRW_CheckFlate, VDRW_CheckOperands}},
        {"a cut stream, then a harmless token", {premature, stray}, false, true, cut, {VDRW_CheckFlate}},
        {"a loss that needs no check comes first: none asked",
         {{true, "FT_New_Memory_Face(Arial): unknown file format"}, stray}, true, false,
         "a font it uses cannot be read", {}},
        {"arrays, then too many errors", {array, array, array, tooMany}, false, false, rest, {}},
        {"a harmless token, then too many errors", {stray, tooMany}, false, false, rest, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shape);
        struct Document {
            bool m_operands, m_flate;
            std::vector<VDRW_LossCheckKind> m_asked;
        } document{row.operandsDropped, row.flateCut, {}};
        const VDRW_LossCheck check = [](void* user, VDRW_LossCheckKind kind) {
            Document* d = static_cast<Document*>(user);
            d->m_asked.push_back(kind);
            return (kind == VDRW_CheckOperands ? d->m_operands : d->m_flate) ? 1 : 0;
        };
        VDRW_ReadingLoss loss;
        VDRW_StartReading(&loss);
        for (const Said& s : row.said)
            (s.m_error ? VDRW_HearError : VDRW_HearWarning)(&loss, s.m_words);
        const char* lost = VDRW_EndReadingChecked(&loss, check, &document);
        EXPECT_EQ(lost ? lost : "", std::string(row.lost));
        EXPECT_EQ(document.m_asked, row.asked);
    }
}

// One engine reads page after page: a loss is not carried to the next.
TEST(VDRW_ReadingLoss, EachReadingStartsWhole) {
    VDRW_ReadingLoss loss;
    VDRW_StartReading(&loss);
    VDRW_HearError(&loss, "cannot find Shading resource 'Sh0'");
    ASSERT_NE(VDRW_EndReading(&loss), nullptr);
    VDRW_StartReading(&loss);
    VDRW_HearError(&loss, "cannot find ColorSpace resource 'CS0'");
    EXPECT_EQ(VDRW_EndReading(&loss), nullptr);
}

}  // namespace
