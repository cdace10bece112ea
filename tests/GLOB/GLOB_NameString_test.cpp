#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_String.h"

#include <gtest/gtest.h>

#include <string>

TEST(GLOB_Name, EmptyNameDiffersFromTheNameOfNoBytesAndEscapes) {
    const GLOB_Name none;
    const GLOB_Name blank("");
    EXPECT_FALSE(none == blank || blank == none || none == "" || GLOB_Name("Type") == "Typ");
    EXPECT_TRUE(none == GLOB_Name() && blank == GLOB_Name("") && blank == "" && GLOB_Name(blank) == blank);
    EXPECT_EQ(none.CStr(), nullptr);
    // The escaped form hexes every byte that is not regular.
    const char* const cases[][2] = {
        {"A B", "/A#20B"}, {"\xE9", "/#E9"}, {"", "/"}, {"a#b", "/a#23b"}, {"DeviceRGB", "/DeviceRGB"},
        {"()<>[]{}/%", "/#28#29#3C#3E#5B#5D#7B#7D#2F#25"}, {"\x01\x7F~!", "/#01#7F~!"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GLOB_Name(c[0]).Escaped().AsStdString(), c[1]) << c[1];
    EXPECT_EQ(GLOB_Name().Escaped().AsStdString(), "/");
}

TEST(GLOB_Name, OrderByUnsignedBytesPrefixFirst) {
    // Each row is strictly before the next.
    const GLOB_Name ascending[] = {GLOB_Name(),         GLOB_Name(""),      GLOB_Name("CS"),   GLOB_Name("CS1"),
                                   GLOB_Name("CS10"),   GLOB_Name("CS2"),   GLOB_Name("Cs"),   GLOB_Name("a"),
                                   GLOB_Name("a\x7F"), GLOB_Name("a\x80"), GLOB_Name("\xE9")};
    const size_t n = sizeof ascending / sizeof ascending[0];
    for (size_t i = 0; i < n; ++i)
        for (size_t j = 0; j < n; ++j) {
            SCOPED_TRACE(testing::Message() << i << " " << j);
            EXPECT_EQ(ascending[i] < ascending[j], i < j);
        }
}

TEST(GLOB_String, BytesIncludingNulAndCopyOnAppend) {
    const GLOB_String s("a\0b", 3);
    EXPECT_EQ(s.Length(), 3u);
    EXPECT_TRUE(s == GLOB_String("a\0b", 3) && GLOB_String("abc") == "abc" && GLOB_String() == "");
    EXPECT_FALSE(s == GLOB_String("a\0c", 3) || s == "a");
    GLOB_String a("abc");
    GLOB_String b(a);
    b.Append("de", 2);
    GLOB_String c;
    c = a;
    c.Append(c);  // itself, while shared
    EXPECT_EQ(a.AsStdString() + " " + b.AsStdString() + " " + c.AsStdString(), "abc abcde abcabc");
    a = "xyz";
    EXPECT_EQ(a.AsStdString() + " " + c.AsStdString(), "xyz abcabc");
}
