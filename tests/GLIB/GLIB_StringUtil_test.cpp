// Bounded copies, appends and formatting, and the page-label formats.
#include "GLIB/GLIB_StringUtil.h"

#include "GLIB/GLIB_CodePage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

TEST(GLIB_StringUtil, CopiesAndAppendsStayWithinSizeAndTerminate) {
    // start null: a copy, which also zero-fills the rest of size.
    const struct { const char *start, *source; size_t size; const char* expected; } cases[] = {
        {nullptr, "hello", 6, "hello"},  // exactly fits with its terminator
        {nullptr, "hello", 5, "hell"},   {nullptr, nullptr, 4, ""},
        {"ab", "cdef", 5, "abcd"},       {"abcd", "ef", 5, "abcd"},  // full: unchanged
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        char buffer[16];
        std::memset(buffer, 'X', sizeof buffer);
        const auto& c = cases[i];
        EXPECT_EQ(c.start ? GLIB_StrAppend(std::strcpy(buffer, c.start), c.source, c.size)
                          : GLIB_StrCopy(buffer, c.source, c.size),
                  buffer);
        EXPECT_STREQ(buffer, c.expected);
        EXPECT_EQ(buffer[c.size], 'X');  // nothing past size is touched
        for (size_t k = std::strlen(c.expected); !c.start && k < c.size; ++k)
            EXPECT_EQ(buffer[k], '\0') << k;
    }
    char full[4] = {'a', 'b', 'c', 'd'};  // no terminator within size
    GLIB_StrAppend(full, "e", 4);
    EXPECT_STREQ(GLIB_StrCopy(full, "abc", 0), "");
    EXPECT_EQ(std::string(full, 4), "abcd");
    wchar_t wide[8];
    EXPECT_EQ(GLIB_WStrCopy(wide, L"ab", 8), wide + 2);
    GLIB_WStrAppend(GLIB_WStrAppend(wide, L"\u00C4\u65E5123456", 8), L"z", 8);  // the second finds it full
    EXPECT_EQ(std::wstring(wide), L"ab\u00C4\u65E5123");
}

TEST(GLIB_StringUtil, SprintfReportsCutTextAndAlwaysTerminates) {
    // Size 8 fits the text but not its terminator.
    const struct { size_t size; int result; const char* text; } cases[] = {{9, 8, "value=42"}, {8, -1, "value=4"}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        char buffer[16];
        EXPECT_EQ(GLIB_Sprintf(buffer, cases[i].size, "%s=%d", "value", 42), cases[i].result);
        EXPECT_STREQ(buffer, cases[i].text);
    }
    char untouched = 'Q';
    EXPECT_LT(GLIB_Sprintf(&untouched, 0, "%d", 1), 0);
    EXPECT_EQ(untouched, 'Q');
}

TEST(GLIB_StringUtil, RomanNumeralsAndTheirBuffers) {
    const struct { int32_t n; size_t size; const char* text; } cases[] = {
        {1994, 17, "MCMXCIV"}, {4999, 17, "MMMMCMXCIX"}, {4888, 17, "MMMMDCCCLXXXVIII"},
        {0, 17, ""},           {5000, 17, ""},           {-3, 17, ""},
        // Cut short, never half a pair: "MC" would read as 1100.
        {4888, 16, "MMMMDCCCLXXXVII"}, {1994, 3, "M"}, {1994, 4, "MCM"}, {8, 1, ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        char buffer[20];
        std::memset(buffer, 'X', sizeof buffer);
        EXPECT_EQ(GLIB_FormatRoman(cases[i].n, buffer, cases[i].size), buffer + std::strlen(cases[i].text));
        EXPECT_STREQ(buffer, cases[i].text);
    }
}

TEST(GLIB_StringUtil, RomanNumeralsOfEveryNumberReadBack) {
    // An independent reader; the longest text must fit the documented buffer.
    const auto value = [](char c) {
        static const int values[] = {1, 5, 10, 50, 100, 500, 1000, -100000};
        return values[std::min<size_t>(std::string("IVXLCDM").find(c), 7)];
    };
    size_t longest = 0;
    for (int32_t n = 1; n < GLIB_RomanLimit; ++n) {
        char b[GLIB_RomanMaxBytes];
        GLIB_FormatRoman(n, b, sizeof b);
        int total = 0;
        for (size_t k = 0; b[k]; ++k)
            total += b[k + 1] && value(b[k]) < value(b[k + 1]) ? -value(b[k]) : value(b[k]);
        ASSERT_EQ(total, n) << b;
        longest = std::max(longest, std::strlen(b));
    }
    EXPECT_EQ(longest + 1, GLIB_RomanMaxBytes);
}

TEST(GLIB_StringUtil, AlphabeticLabelsAndLowerCase) {
    const struct { int32_t n; size_t size; const char* text; } cases[] = {
        {1, 8, "A"}, {26, 8, "Z"}, {28, 8, "BB"}, {53, 8, "AAA"}, {30, 2, "D"}, {0, 8, ""}, {200, 4, "RRR"}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        char buffer[16] = "XXXXXXXXXXXXXXX";
        EXPECT_STREQ(GLIB_FormatAlpha(cases[i].n, buffer, cases[i].size), cases[i].text) << i;
    }
    char* copy = GLIB_StrDup("Mixed CASE 123 \xC3\x84");
    EXPECT_STREQ(GLIB_StrToLower(copy), "mixed case 123 \xC3\x84");  // bytes above 127 stay
    std::free(copy);
}

TEST(GLIB_StringUtil, NonAsciiTextSurvivesTheCodePageRoundTrip) {
    const std::string narrow = "\xC3\x84rger-\xE6\x97\xA5\xE6\x9C\xAC.pdf";  // Ärger-日本.pdf
    std::wstring wide;
    GLIB_ToWideString(wide, narrow);
    EXPECT_EQ(wide, L"\u00C4rger-\u65E5\u672C.pdf");
    std::string back;
    GLIB_ToNarrowString(back, wide);
    EXPECT_EQ(back, narrow);
    // The fixed-buffer forms are sized by bytes, not by characters.
    char bytes[32] = "x/";
    EXPECT_EQ(std::string(GLIB_StrAppendWide(bytes, wide.c_str(), sizeof bytes)), "x/" + narrow);
    wchar_t chars[32];
    EXPECT_EQ(std::wstring(GLIB_NarrowToWide(chars, narrow.c_str(), 32)), wide);
}
