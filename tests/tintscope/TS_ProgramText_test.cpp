// Text from a document as the program shows it: bytes that could steer a
// terminal or are not UTF-8 written "#xx", readable text kept, and cuts
// that never split a character or an escape.
#include "viewer/program/VIEW_ProgramText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TS_ProgramText, BytesThatAreNotUtf8AreEscaped) {
    const struct {
        std::string bytes;
        std::string shown;
    } rows[] = {
        {"\xE2\x82\xAC \xF0\x9F\x8E\xA8 \xC3\xA9", "\xE2\x82\xAC \xF0\x9F\x8E\xA8 \xC3\xA9"},
        {"a\xFFz", "a#ffz"},
        {"\x80\xBF", "#80#bf"},            // continuation bytes alone
        {"\xC3z", "#c3z"},                 // a lead byte cut short
        {"end\xE2\x82", "end#e2#82"},      // cut by the text's end
        {"\xC0\xAF\xE0\x80\xAF", "#c0#af#e0#80#af"},  // overlong
        {"\xED\xA0\x80", "#ed#a0#80"},     // a surrogate
        {"\xF4\x90\x80\x80\xF5", "#f4#90#80#80#f5"},  // past U+10FFFF
        // C1 controls: some terminals obey CSI sent as UTF-8.
        {"\xC2\x9B" "2J \xC2\xA0", "#c2#9b2J \xC2\xA0"},
        {"\x1B]0;T\x07#", "#1b]0;T#07#23"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(VIEW_EscapedText(row.bytes), row.shown);
}

TEST(TS_ProgramText, ShortTextCutsBetweenCharactersAndEscapes) {
    EXPECT_EQ(VIEW_ShortText("abcdef", 6), "abcdef");
    EXPECT_EQ(VIEW_ShortText("abcdefg", 6), "abc...");
    // "\xC3\xA9" would be cut after its first byte.
    EXPECT_EQ(VIEW_ShortText("ab\xC3\xA9" "cdef", 6), "ab...");
    EXPECT_EQ(VIEW_ShortText("ab#1bcdef", 6), "ab...");
    EXPECT_EQ(VIEW_ShortText("a#1bcdef", 6), "a...");
    EXPECT_EQ(VIEW_ShortText("abc#1bdef", 6), "abc...");
}

}  // namespace
