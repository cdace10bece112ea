#include "GLOB/GLOB_FileName.h"

#include "GLIB/GLIB_Exception.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

TEST(GLOB_FileName, EachFormIsMadeFromTheOther) {
    EXPECT_STREQ(GLOB_FileName().NarrowName(), "");
    EXPECT_STREQ(GLOB_FileName().WideName(), L"");
    const GLOB_FileName narrow("/tmp/caf\xC3\xA9.pdf");
    EXPECT_STREQ(narrow.WideName(), L"/tmp/caf\u00E9.pdf");
    const GLOB_FileName wide(L"/tmp/caf\u00E9 \u4E2D.pdf");
    EXPECT_STREQ(wide.NarrowName(), "/tmp/caf\xC3\xA9 \xE4\xB8\xAD.pdf");
    const GLOB_FileName copy = wide;
    EXPECT_STREQ(copy.NarrowName(), wide.NarrowName());

    // Paths keep their full length.
    const std::string longPath = "/tmp/" + std::string(1000, 'x');
    EXPECT_EQ(GLOB_FileName(longPath.c_str()).NarrowName(), longPath);
    EXPECT_EQ(std::wcslen(GLOB_FileName(longPath.c_str()).WideName()), longPath.size());
}

TEST(GLOB_FileName, AWideNameWithoutANarrowFormThrowsAndCreatesNothing) {
    ScratchDir dir;
    std::wstring name;
    for (char c : dir.Path())
        name += static_cast<wchar_t>(c);
    name += L"/bad";
    name += static_cast<wchar_t>(0xD800);
    const GLOB_FileName fileName(name.c_str());
    try {
        fileName.NarrowName();
        ADD_FAILURE() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), 1151000u);
        EXPECT_EQ(std::string(e.What()).rfind("Unable to convert filename: '", 0), 0u);
    }
    EXPECT_TRUE(dir.List().empty());
}
