#include "GLOB/GLOB_FileName.h"

#include "GLOB_TestUtil.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cwchar>

TEST(GLOB_FileName, EachFormIsMadeFromTheOther) {
    EXPECT_STREQ(GLOB_FileName().NarrowName(), "");
    EXPECT_STREQ(GLOB_FileName().WideName(), L"");
    EXPECT_STREQ(GLOB_FileName("/tmp/caf\xC3\xA9.pdf").WideName(), L"/tmp/caf\u00E9.pdf");
    const GLOB_FileName wide(L"/tmp/caf\u00E9 \u4E2D.pdf");
    EXPECT_STREQ(GLOB_FileName(wide).NarrowName(), "/tmp/caf\xC3\xA9 \xE4\xB8\xAD.pdf");
    const std::string longPath = "/tmp/" + std::string(1000, 'x');  // no length limit
    EXPECT_EQ(GLOB_FileName(longPath.c_str()).NarrowName(), longPath);
    EXPECT_EQ(std::wcslen(GLOB_FileName(longPath.c_str()).WideName()), longPath.size());
}

TEST(GLOB_FileName, AWideNameWithoutANarrowFormThrowsAndCreatesNothing) {
    const ScratchDir dir;
    std::wstring name(dir.Path().begin(), dir.Path().end());
    name += L"/bad";
    name += static_cast<wchar_t>(0xD800);
    const GLOB_FileName fileName(name.c_str());
    const std::string failure = Failure([&] { fileName.NarrowName(); });
    EXPECT_EQ(failure.rfind("1151000 Unable to convert filename: '", 0), 0u) << failure;
    EXPECT_TRUE(dir.List().empty());
}
