// Coded exceptions: the whole description, the localized message, the bound check.
#include "GLIB/GLIB_Exception.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Globals.h"

#include <gtest/gtest.h>

namespace {

void SetMessageFunction(GLIB_MessageFunction f) {
    GLIB_Globals& g = GLIB_Globals::Instance();
    g.SetAll(GLIB_GlobalsMessage(g.Logger(), g.TempFilePrefix(), f, g.OutOfMemoryHandler()));
}

}  // namespace

TEST(GLIB_Exception, DescriptionHasEveryPresentPiece) {
    GLIB_Exception withParams(5, {"a"}, "m", "f.cpp", 3);
    withParams.SetParam(2, "c");  // grows the list; param[1] stays empty and is skipped
    const struct { GLIB_Exception e; const char* text; } cases[] = {
        {GLIB_Exception(1125007, "m", "GLIB_WinBasicIO", 154),
         "code = 1125007; developer-speak message = 'm'; source file = GLIB_WinBasicIO; line number = 154; "
         "localized Message = '( code = 1125007 )'"},
        {GLIB_Exception(7, "", nullptr, 0), "code = 7; localized Message = '( code = 7 )'"},
        {GLIB_Exception(7, nullptr, "", -1), "code = 7; localized Message = '( code = 7 )'"},
        {withParams,
         "code = 5; developer-speak message = 'm'; source file = f.cpp; line number = 3; "
         "localized Message = '( code = 5; param[0] = 'a'; param[2] = 'c' )'"},
        // The default message function formats with "%d": codes above INT_MAX read negative there.
        {GLIB_Exception(0xFFFFFFFFu, "", nullptr, 0), "code = 4294967295; localized Message = '( code = -1 )'"},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].e.Description(), cases[i].text) << i;
}

TEST(GLIB_Exception, LocalizedMessageComesFromTheInstalledFunction) {
    GLIB_Exception e(42, {"x", "y"}, "m", nullptr, 0);
    SetMessageFunction([](uint32_t code, const std::vector<std::string>& params) {
        return "E" + std::to_string(code) + "/" + std::to_string(params.size());
    });
    EXPECT_EQ(e.Description(), "code = 42; developer-speak message = 'm'; localized Message = 'E42/2'");
    SetMessageFunction(nullptr);  // the default again
    EXPECT_EQ(e.LocalizedMessage(), "( code = 42; param[0] = 'x'; param[1] = 'y' )");
}

TEST(GLIB_Exception, BoundCheckThrowsTheComparisonWithItsValues) {
    const int numTuples = 3;
    const unsigned char byte = 34;
    try {
        GLIB_CHECK_BOUND(numTuples, ==, 1);
        FAIL() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), GLIB_BoundCheckCode);
        EXPECT_STREQ(e.What(), "numTuples==1 :: 3==1");
        EXPECT_NE(std::string(e.File()).find("GLIB_Exception_test"), std::string::npos);
    }
    try {
        GLIB_CHECK_BOUND(byte, <=, 33);
        FAIL() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_STREQ(e.What(), "byte<=33 :: 34<=33");  // bytes print as numbers
    }
    EXPECT_NO_THROW(GLIB_CHECK_BOUND(numTuples, ==, 3));
}
