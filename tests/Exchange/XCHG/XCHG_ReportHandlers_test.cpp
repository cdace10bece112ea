// The callback guard's reporters show the framework's strings: out of
// memory and exceptions only at the outermost callback, system exceptions
// at every level.
#include "XCHG_ReportFixture.h"

#include "Exchange/XCHG/XCHG_ReportHandlers.h"

namespace {

class ReportHandlersTest : public ReportTest {
protected:
    // Runs report at callback nesting level depth.
    template <class Report>
    static void AtLevel(int depth, Report report) {
        for (int i = 0; i < depth; ++i)
            PDFL_EnterCallback();
        report();
        for (int i = 0; i < depth; ++i)
            PDFL_LeaveCallback();
    }
};

TEST_F(ReportHandlersTest, ReportersByNestingLevel) {
    const GLIB_Exception failure(5, "disk gone", __FILE__, __LINE__);
    const GLIB_Exception outOfMemory(GLIB_OutOfMemoryCode, "no memory", __FILE__, __LINE__);
    const std::string memoryText =
        "Out of Memory\n\nTry to increase the amount of memory\ndedicated to this program";
    for (int depth : {1, 2}) {
        SCOPED_TRACE(depth);
        VIEW_App::ClearAlerts();
        AtLevel(depth, [&] {
            XCHG_ExceptionReporter(failure, "ZOVA_Tool", "Update");
            XCHG_ExceptionReporter(outOfMemory, "ZOVA_Tool", "Update");
            XCHG_OutOfMemoryReporter("ZOVA_Tool", "Update");
            XCHG_SystemExceptionReporter("ZOVA_Tool", "Update");
        });
        std::vector<std::string> expected;
        if (depth == 1)
            expected = {"ZOVA_Tool::Update caught an exception: disk gone : code 5", memoryText, memoryText};
        expected.push_back("ZOVA_Tool::Update caught a system exception: ");
        EXPECT_EQ(AlertTexts(), expected);
        for (const VIEW_Alert& alert : VIEW_App::Alerts())
            EXPECT_TRUE(alert.m_note);
    }
}

TEST_F(ReportHandlersTest, AGuardedCallbackReportsItsException) {
    VIEW_CallPlugin([] {
        PDFL_CallbackGuard("ZOVA_Tool", "DoClick", []() -> int {
            throw GLIB_Exception(1128002, "bad content", __FILE__, __LINE__);
        });
    });
    EXPECT_EQ(AlertTexts(), std::vector<std::string>{"ZOVA_Tool::DoClick caught an exception: bad content : code 1128002"});
    EXPECT_EQ(VIEW_Recorder::RaisedToHost().size(), 1u);
}

TEST_F(ReportHandlersTest, AlertHandlerShowsOneOKButton) {
    XCHG_AlertHandler(2, "careful", false);
    ASSERT_EQ(VIEW_App::Alerts().size(), 1u);
    EXPECT_EQ(VIEW_App::Alerts()[0].m_icon, 2);
    EXPECT_EQ(VIEW_App::Alerts()[0].m_button1, "OK");
    EXPECT_FALSE(VIEW_App::Alerts()[0].m_beep);
    EXPECT_FALSE(VIEW_App::Alerts()[0].m_note);
}

}  // namespace
