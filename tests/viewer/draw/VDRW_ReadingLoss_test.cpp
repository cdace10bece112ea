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
        {"two fonts drawn in substitutes", {font, substitute, font, substitute},
         "a font it uses cannot be read; its text is drawn in a substitute font"},
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
         "a compressed stream's data stop before their end"},
        {"Flate data whose check is wrong", {{false, "ignoring zlib error: incorrect data check"}},
         "a compressed stream's data do not match their check"},
        {"a group's array left open", {{true, "array not closed before end of file"}},
         "an array left open took in what followed it"},
        {"a group's dictionary left open", {{true, "invalid key in dict"}},
         "a dictionary it could not read took in what followed it"},
        // Words of other MuPDF versions, quiet as their kin.
        {"gs without an ExtGState dictionary", {{true, "cannot find ExtGState dictionary"}}, ""},
        {"cs without a ColorSpace dictionary", {{true, "cannot find ColorSpace dictionary"}}, ""},
        {"a ToUnicode map not loaded", {{true, "no builtin cmap file: Bogus"}, {false, "cannot load ToUnicode CMap"}},
         ""},
        {"a CID font without a descriptor", {{true, "missing font descriptor"}}, ""},
        {"a group without its subtype", {{true, "no XObject subtype specified"}},
         "a form or group without its /Subtype was not drawn"},
        {"a TJ array holding a name",
         {{true, "syntax error in array"}, {true, "syntax error in content stream"}},
         "an operator whose array holds what it cannot hold was dropped"},
        // Which map was cut is told by the page (a check): without one, said.
        {"a CID font's encoding map cut short, no code shown past it", {{false, "expected string or endcidchar"}},
         "a code map of a font it uses stops inside an entry"},
        {"a code shown past it", {{false, "expected string or endcidchar"}, {false, "cannot encode character"}},
         "a code map of a font it uses stops inside an entry"},
        {"a code a whole map does not map", {{false, "cannot encode character"}},
         "a code its text shows could not be mapped to a glyph"},
        {"a ToUnicode map cut short", {{false, "expected string or endbfchar"}}, ""},
        {"a glyph that cannot be loaded",
         {{false, "FT_Load_Glyph(AAAAAA+Helvetica,34,FT_LOAD_NO_HINTING): broken file"}},
         "a font it uses cannot be read"},
        {"a wrong check, then a glyph that cannot be loaded",
         {{false, "ignoring zlib error: incorrect data check"},
          {false, "FT_Load_Glyph(AAAAAA+Helvetica,34,FT_LOAD_NO_HINTING): broken file"}},
         "a compressed stream's data do not match their check"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shape);
        EXPECT_EQ(Judge(row.said), row.lost);
    }
}

// MuPDF's word that Flate data ended early, or that a code map did, counts
// only where the page's bytes show a cut (of Flate data, of a font's own
// map); every other word counts as heard, whatever it cost.
// The rest of the content left unread says more than the operator lost
// before it.
TEST(VDRW_ReadingLoss, OnlyFlateDataEndingEarlyIsCheckedAgainstThePage) {
    const Said stray = {true, "syntax error in content stream"};
    const Said premature = {false, "premature end of data in flate filter"};
    const Said array = {true, "syntax error in array"};
    const Said tooMany = {false, "too many syntax errors; ignoring rest of page"};
    const char* const dropped = "a token it could not read dropped the operands before it";
    const char* const cut = "a compressed stream's data stop before their end";
    const char* const rest = "too many tokens it could not read left the rest of the content unread";
    const std::vector<VDRW_LossCheckKind> flate = {VDRW_CheckFlate};
    const std::vector<VDRW_LossCheckKind> fontMap = {VDRW_CheckFontMap};
    const Said mapCut = {false, "expected string or endcidrange"};
    const struct {
        const char* shape;
        std::vector<Said> said;
        bool flateCut;
        const char* lost;
        std::vector<VDRW_LossCheckKind> asked;
    } rows[] = {
        {"a bad token between operators", {stray}, false, dropped, {}},
        {"Flate data lacking only their check", {premature}, false, "", flate},
        {"Flate data cut inside a block", {premature}, true, cut, flate},
        // The error is judged after the warning that follows it.
        {"a bad token, then a cut stream", {stray, premature}, true, cut, flate},
        {"a bad token, then a whole stream", {stray, premature}, false, dropped, flate},
        {"a cut stream, then a bad token", {premature, stray}, true, cut, flate},
        {"a whole stream, then a bad token", {premature, stray}, false, dropped, flate},
        {"a loss that needs no check comes first: none asked",
         {{true, "FT_New_Memory_Face(Arial): unknown file format"}, stray, premature}, true,
         "a font it uses cannot be read",
         {}},
        {"arrays, then too many errors", {array, array, array, tooMany}, false, rest, {}},
        // The same words of a font's own map and of a ToUnicode map.
        {"a font's own map cut", {mapCut}, true, "a code map of a font it uses stops inside an entry", fontMap},
        {"only a ToUnicode map cut", {mapCut}, false, "", fontMap},
        {"a ToUnicode map cut, then a code no map holds", {mapCut, {false, "cannot encode character"}}, false,
         "a code its text shows could not be mapped to a glyph", fontMap},
        {"a whole stream, then too many errors", {premature, tooMany}, false, rest, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shape);
        struct Page {
            bool m_flate;
            std::vector<VDRW_LossCheckKind> m_asked;
        } page{row.flateCut, {}};
        const VDRW_LossCheck check = [](void* user, VDRW_LossCheckKind kind) {
            Page* p = static_cast<Page*>(user);
            p->m_asked.push_back(kind);
            return p->m_flate ? 1 : 0;
        };
        VDRW_ReadingLoss loss;
        VDRW_StartReading(&loss);
        for (const Said& s : row.said)
            (s.m_error ? VDRW_HearError : VDRW_HearWarning)(&loss, s.m_words);
        const char* lost = VDRW_EndReadingChecked(&loss, check, &page);
        EXPECT_EQ(lost ? lost : "", std::string(row.lost));
        EXPECT_EQ(page.m_asked, row.asked);
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
