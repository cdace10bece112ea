// Bounded copies, appends and formatting, and the page-label formats.
#include "GLIB/GLIB_StringUtil.h"

#include "GLIB/GLIB_CodePage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

TEST(GLIB_StringUtil, StrCopyIsBoundedTerminatedAndZeroFilled) {
    struct Case {
        const char* source;
        size_t size;
        const char* expected;
    };
    const Case cases[] = {
        {"hello", 16, "hello"},
        {"hello", 6, "hello"},  // exactly fits with its terminator
        {"hello", 5, "hell"},
        {"hello", 1, ""},
        {"", 4, ""},
        {nullptr, 4, ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        char buffer[20];
        std::memset(buffer, 'X', sizeof buffer);
        EXPECT_EQ(GLIB_StrCopy(buffer, cases[i].source, cases[i].size), buffer);
        EXPECT_STREQ(buffer, cases[i].expected);
        // The rest of size is zero-filled, and nothing past size is touched.
        for (size_t k = std::strlen(cases[i].expected); k < cases[i].size; ++k)
            EXPECT_EQ(buffer[k], '\0') << k;
        EXPECT_EQ(buffer[cases[i].size], 'X');
    }
    char untouched[2] = {'Q', 'Q'};
    const char* r = GLIB_StrCopy(untouched, "abc", 0);
    EXPECT_NE(r, untouched);
    EXPECT_STREQ(r, "");
    EXPECT_EQ(untouched[0], 'Q');
}

TEST(GLIB_StringUtil, StrAppendStaysWithinTheTotalSize) {
    struct Case {
        const char* start;
        const char* source;
        size_t size;
        const char* expected;
    };
    const Case cases[] = {
        {"ab", "cd", 10, "abcd"},
        {"ab", "cdef", 5, "abcd"},
        {"abcd", "ef", 5, "abcd"},  // full: unchanged
        {"", "xyz", 3, "xy"},
        {"ab", "cd", 3, "ab"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        char buffer[16];
        std::memset(buffer, 'X', sizeof buffer);
        std::strcpy(buffer, cases[i].start);
        EXPECT_EQ(GLIB_StrAppend(buffer, cases[i].source, cases[i].size), buffer);
        EXPECT_STREQ(buffer, cases[i].expected);
        EXPECT_EQ(buffer[cases[i].size], 'X');
    }
    // A destination without a terminator inside size is left alone.
    char full[4] = {'a', 'b', 'c', 'd'};
    GLIB_StrAppend(full, "e", 4);
    EXPECT_EQ(std::string(full, 4), "abcd");
}

TEST(GLIB_StringUtil, WideCopiesAndAppends) {
    wchar_t buffer[8];
    wchar_t* end = GLIB_WStrCopy(buffer, L"abcdefghij", 8);
    EXPECT_EQ(std::wstring(buffer), L"abcdefg");
    EXPECT_EQ(end, buffer + 7);
    EXPECT_EQ(*GLIB_WStrCopy(buffer, L"x", 0), L'\0');
    EXPECT_EQ(std::wstring(buffer), L"abcdefg");

    GLIB_WStrCopy(buffer, L"ab", 8);
    GLIB_WStrAppend(buffer, L"\u00C4\u65E5", 8);
    EXPECT_EQ(std::wstring(buffer), L"ab\u00C4\u65E5");
    GLIB_WStrAppend(buffer, L"123456", 8);
    EXPECT_EQ(std::wstring(buffer), L"ab\u00C4\u65E5123");
    GLIB_WStrAppend(buffer, L"z", 8);
    EXPECT_EQ(std::wstring(buffer), L"ab\u00C4\u65E5123");
}

TEST(GLIB_StringUtil, SprintfReportsCutTextAndAlwaysTerminates) {
    struct Case {
        size_t size;
        int result;
        const char* text;
    };
    // "value=42" is 8 characters.
    const Case cases[] = {
        {32, 8, "value=42"},
        {9, 8, "value=42"},
        {8, -1, "value=4"},  // fills the buffer exactly: no room for the terminator
        {3, -1, "va"},
        {1, -1, ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        char buffer[40];
        std::memset(buffer, 'X', sizeof buffer);
        EXPECT_EQ(GLIB_Sprintf(buffer, cases[i].size, "%s=%d", "value", 42), cases[i].result);
        EXPECT_STREQ(buffer, cases[i].text);
    }
    char untouched = 'Q';
    EXPECT_LT(GLIB_Sprintf(&untouched, 0, "%d", 1), 0);
    EXPECT_EQ(untouched, 'Q');
}

TEST(GLIB_StringUtil, StrDupAndStrToLower) {
    char* copy = GLIB_StrDup("Mixed CASE 123 \xC3\x84");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(GLIB_StrToLower(copy), "mixed case 123 \xC3\x84");  // bytes above 127 stay
    std::free(copy);
    EXPECT_EQ(GLIB_StrDup(nullptr), nullptr);
}

TEST(GLIB_StringUtil, RomanNumerals) {
    struct Case {
        int32_t n;
        const char* text;
    };
    const Case cases[] = {
        {1, "I"},      {4, "IV"},     {9, "IX"},       {14, "XIV"},           {40, "XL"},
        {49, "XLIX"},  {90, "XC"},    {400, "CD"},     {450, "CDL"},          {900, "CM"},
        {899, "DCCCXCIX"},            {1994, "MCMXCIV"}, {2024, "MMXXIV"},    {3999, "MMMCMXCIX"},
        {4999, "MMMMCMXCIX"},         {4888, "MMMMDCCCLXXXVIII"},
        {0, ""},       {5000, ""},    {-3, ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        char buffer[GLIB_RomanMaxBytes];
        std::memset(buffer, 'X', sizeof buffer);
        char* end = GLIB_FormatRoman(cases[i].n, buffer, sizeof buffer);
        EXPECT_STREQ(buffer, cases[i].text);
        EXPECT_EQ(end, buffer + std::strlen(cases[i].text));
    }
}

TEST(GLIB_StringUtil, RomanNumeralsOfEveryNumberReadBack) {
    // An independent reader: every text must give its number back, and the
    // longest must fit the documented buffer.
    const auto value = [](char c) {
        switch (c) {
        case 'I': return 1; case 'V': return 5; case 'X': return 10; case 'L': return 50;
        case 'C': return 100; case 'D': return 500; case 'M': return 1000; default: return -100000;
        }
    };
    size_t longest = 0;
    for (int32_t n = 1; n < GLIB_RomanLimit; ++n) {
        char buffer[GLIB_RomanMaxBytes];
        GLIB_FormatRoman(n, buffer, sizeof buffer);
        const size_t len = std::strlen(buffer);
        longest = std::max(longest, len);
        int total = 0;
        for (size_t k = 0; k < len; ++k) {
            const int v = value(buffer[k]);
            total += k + 1 < len && v < value(buffer[k + 1]) ? -v : v;
        }
        ASSERT_EQ(total, n) << buffer;
    }
    EXPECT_EQ(longest + 1, GLIB_RomanMaxBytes);
}

TEST(GLIB_StringUtil, RomanNumeralsCutShortNeverSplitAPair) {
    struct Case {
        int32_t n;
        size_t size;
        const char* text;
    };
    const Case cases[] = {
        {4888, 16, "MMMMDCCCLXXXVII"},
        {1994, 3, "M"},   // "MC" would read as 1100
        {1994, 4, "MCM"},
        {8, 1, ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        char buffer[20];
        std::memset(buffer, 'X', sizeof buffer);
        GLIB_FormatRoman(cases[i].n, buffer, cases[i].size);
        EXPECT_STREQ(buffer, cases[i].text);
    }
}

TEST(GLIB_StringUtil, AlphabeticLabels) {
    struct Case {
        int32_t n;
        size_t size;
        const char* text;
    };
    const Case cases[] = {
        {1, 8, "A"},  {26, 8, "Z"},  {27, 8, "AA"}, {28, 8, "BB"}, {53, 8, "AAA"},
        {30, 2, "D"},  // one letter, not two
        {0, 8, ""},   {-5, 8, ""},   {52, 8, "ZZ"}, {200, 4, "RRR"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        char buffer[16];
        std::memset(buffer, 'X', sizeof buffer);
        EXPECT_EQ(GLIB_FormatAlpha(cases[i].n, buffer, cases[i].size), buffer);
        EXPECT_STREQ(buffer, cases[i].text);
    }
    char lower[8];
    EXPECT_STREQ(GLIB_StrToLower(GLIB_FormatAlpha(28, lower, sizeof lower)), "bb");
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
    char bytes[32];
    GLIB_WideToNarrow(bytes, wide.c_str(), sizeof bytes);
    EXPECT_EQ(std::string(bytes), narrow);
    wchar_t chars[32];
    GLIB_NarrowToWide(chars, bytes, 32);
    EXPECT_EQ(std::wstring(chars), wide);
    char appended[32] = "x/";
    GLIB_StrAppendWide(appended, wide.c_str(), sizeof appended);
    EXPECT_EQ(std::string(appended), "x/" + narrow);
}
