#include "GLOB/GLOB_ByteClass.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_String.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(GLOB_Name, EmptyNameDiffersFromTheNameOfNoBytes) {
    const GLOB_Name none;
    const GLOB_Name blank("");
    EXPECT_FALSE(none == blank);
    EXPECT_FALSE(blank == none);
    EXPECT_TRUE(none == GLOB_Name());
    EXPECT_TRUE(blank == GLOB_Name(""));
    EXPECT_TRUE(blank == "");
    EXPECT_FALSE(none == "");
    EXPECT_EQ(none.CStr(), nullptr);
    const GLOB_Name copy(blank);
    EXPECT_TRUE(copy == blank);
    EXPECT_TRUE(GLOB_Name("Type") == "Type");
    EXPECT_FALSE(GLOB_Name("Type") == "Typ");
}

TEST(GLOB_Name, EscapedFormHexesEveryNonRegularByte) {
    struct Case {
        const char* text;
        const char* escaped;
    };
    const Case cases[] = {
        {"A B", "/A#20B"},
        {"\xE9", "/#E9"},
        {"", "/"},
        {"a#b", "/a#23b"},
        {"()<>[]{}/%", "/#28#29#3C#3E#5B#5D#7B#7D#2F#25"},
        {"\x01\x7F~!", "/#01#7F~!"},
        {"DeviceRGB", "/DeviceRGB"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(GLOB_Name(cases[i].text).Escaped().AsStdString(), cases[i].escaped);
    }
    EXPECT_EQ(GLOB_Name().Escaped().AsStdString(), "/");

    std::ostringstream os;
    GLOB_Name("A B").Print(os);
    GLOB_Name().Print(os);
    EXPECT_EQ(os.str(), "A B");
}

TEST(GLOB_String, BytesIncludingNulCompareByLengthAndContent) {
    const GLOB_String s("a\0b", 3);
    EXPECT_EQ(s.Length(), 3u);
    EXPECT_EQ(s[1], 0);
    EXPECT_TRUE(s == GLOB_String("a\0b", 3));
    EXPECT_FALSE(s == GLOB_String("a\0c", 3));
    EXPECT_FALSE(s == "a");
    EXPECT_TRUE(GLOB_String("abc") == "abc");
    EXPECT_TRUE(GLOB_String() == "");
    std::ostringstream os;
    s.Print(os);
    EXPECT_EQ(os.str(), std::string("a\0b", 3));
}

TEST(GLOB_String, AppendToASharedStringCopiesFirst) {
    GLOB_String a("abc");
    GLOB_String b(a);
    b.Append("de", 2);
    EXPECT_EQ(a.AsStdString(), "abc");
    EXPECT_EQ(b.AsStdString(), "abcde");
    GLOB_String c;
    c = a;
    c.Append(c);  // appending itself while shared
    EXPECT_EQ(c.AsStdString(), "abcabc");
    EXPECT_EQ(a.AsStdString(), "abc");
    a = "xyz";
    EXPECT_EQ(a.AsStdString(), "xyz");
    EXPECT_EQ(c.AsStdString(), "abcabc");
}

TEST(GLOB_ByteClass, WhiteSpaceDelimitersAndRegularBytes) {
    for (int c = 0; c < 256; ++c) {
        SCOPED_TRACE(c);
        const bool white = c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32;
        EXPECT_EQ(GLOB_IsWhite(static_cast<uint8_t>(c)), white);
        const bool delim = white || std::string("%()/<>[]{}").find(static_cast<char>(c)) != std::string::npos;
        EXPECT_EQ(GLOB_IsDelimiter(static_cast<uint8_t>(c)), delim);
        EXPECT_EQ(GLOB_IsRegular(static_cast<uint8_t>(c)), c >= 33 && c <= 126 && !delim && c != '#');
    }
    EXPECT_EQ(GLOB_HexValue('f'), 15);
    EXPECT_EQ(GLOB_HexValue('G'), -1);
}
