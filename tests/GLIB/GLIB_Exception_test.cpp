#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Globals.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string Upper(uint32_t code, const std::vector<std::string>& params) {
    return "E" + std::to_string(code) + "/" + std::to_string(params.size());
}

// Installs a message function for the scope of a test, then the default again.
class MessageFunctionScope {
public:
    explicit MessageFunctionScope(GLIB_MessageFunction f) {
        GLIB_Globals& g = GLIB_Globals::Instance();
        g.SetAll(GLIB_GlobalsMessage(g.Logger(), g.TempFilePrefix(), f, g.OutOfMemoryHandler()));
    }
    ~MessageFunctionScope() {
        GLIB_Globals& g = GLIB_Globals::Instance();
        g.SetAll(GLIB_GlobalsMessage(g.Logger(), g.TempFilePrefix(), GLIB_DefaultMessageFunction,
                                     g.OutOfMemoryHandler()));
    }
};

}  // namespace

TEST(GLIB_Exception, DescriptionHasEveryPresentPiece) {
    struct Case {
        GLIB_Exception e;
        const char* text;
    };
    GLIB_Exception withParams(5, {"a", "", "c"}, "m", "f.cpp", 3);
    const Case cases[] = {
        {GLIB_Exception(1125007, "m", "GLIB_WinBasicIO", 154),
         "code = 1125007; developer-speak message = 'm'; source file = GLIB_WinBasicIO; line number = 154; "
         "localized Message = '( code = 1125007 )'"},
        {GLIB_Exception(7, "", nullptr, 0), "code = 7; localized Message = '( code = 7 )'"},
        {GLIB_Exception(7, nullptr, "", -1), "code = 7; localized Message = '( code = 7 )'"},
        {withParams,
         "code = 5; developer-speak message = 'm'; source file = f.cpp; line number = 3; "
         "localized Message = '( code = 5; param[0] = 'a'; param[2] = 'c' )'"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        std::ostringstream os;
        cases[i].e.Describe(os);
        EXPECT_EQ(os.str(), cases[i].text);
        EXPECT_EQ(cases[i].e.Description(), cases[i].text);
    }
}

TEST(GLIB_Exception, LocalizedMessageComesFromTheInstalledFunction) {
    GLIB_Exception e(42, {"x", "y"}, "m", nullptr, 0);
    {
        MessageFunctionScope scope(Upper);
        EXPECT_EQ(e.LocalizedMessage(), "E42/2");
        EXPECT_EQ(e.Description(), "code = 42; developer-speak message = 'm'; localized Message = 'E42/2'");
    }
    EXPECT_EQ(e.LocalizedMessage(), "( code = 42; param[0] = 'x'; param[1] = 'y' )");
}

TEST(GLIB_Exception, ParamsGrowAndReadOutOfRangeAsEmpty) {
    GLIB_Exception e(9, "m", nullptr, 0);
    e.SetParam(3, "x");
    ASSERT_EQ(e.Params().size(), 4u);
    EXPECT_EQ(e.Param(0), "");
    EXPECT_EQ(e.Param(3), "x");
    EXPECT_EQ(e.Param(99), "");
    EXPECT_EQ(e.LocalizedMessage(), "( code = 9; param[3] = 'x' )");
    e.SetParam(1, "y");
    EXPECT_EQ(e.Params().size(), 4u);
    e.SetMessage("new");
    EXPECT_STREQ(e.What(), "new");
}

TEST(GLIB_Exception, CodeIsFormattedSignedInTheDefaultMessage) {
    // The default message function formats with "%d", so codes above INT_MAX read negative.
    EXPECT_EQ(GLIB_DefaultMessageFunction(0xFFFFFFFFu, {}), "( code = -1 )");
    EXPECT_EQ(GLIB_Exception(0xFFFFFFFFu, "", nullptr, 0).Description(),
              "code = 4294967295; localized Message = '( code = -1 )'");
}

TEST(GLIB_Exception, FamiliesAreCaughtByTheirTagAndByTheBase) {
    struct Tag_Test {};
    using TestException = GLIB_DerivedException<Tag_Test>;
    try {
        throw TestException(77, "family", "f", 1);
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), 77u);
        EXPECT_NE(dynamic_cast<const TestException*>(&e), nullptr);
    }
    EXPECT_THROW(throw TestException(1, "x", nullptr, 0), TestException);
}

TEST(GLIB_Exception, BadAllocIsAStandardBadAlloc) {
    try {
        throw GLIB_BadAllocException(123, "unit", 9);
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
        const auto* ours = dynamic_cast<const GLIB_BadAllocException*>(&e);
        ASSERT_NE(ours, nullptr);
        EXPECT_EQ(ours->Size(), 123u);
        EXPECT_STREQ(ours->File(), "unit");
        EXPECT_EQ(ours->Line(), 9);
    }
}

TEST(GLIB_Exception, BoundCheckThrowsWithTheComparisonAndItsValues) {
    const int numTuples = 3;
    try {
        GLIB_CHECK_BOUND(numTuples, ==, 1);
        FAIL() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), 1125003u);
        EXPECT_STREQ(e.What(), "numTuples==1 :: 3==1");
        EXPECT_GT(e.Line(), 0);
    }
    const unsigned char byte = 34;
    try {
        GLIB_CHECK_BOUND(byte, <=, 33);
        FAIL() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_STREQ(e.What(), "byte<=33 :: 34<=33");  // bytes print as numbers
    }
    EXPECT_NO_THROW(GLIB_CHECK_BOUND(numTuples, ==, 3));
}

TEST(GLIB_Exception, ThrowMacroComposesTheMessage) {
    try {
        GLIB_THROW(GLIB_Exception, 1130010, "FILT_FlateDecode: " << "bad " << 12);
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), 1130010u);
        EXPECT_STREQ(e.What(), "FILT_FlateDecode: bad 12");
        EXPECT_NE(std::string(e.File()).find("GLIB_Exception_test"), std::string::npos);
    }
}
