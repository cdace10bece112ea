// Alerts, failed assertions and the host's error texts.
#include "XCHG_ReportFixture.h"

#include "Exchange/XCHG/XCHG_CancelRequester.h"
#include "Exchange/XCHG/XPDF_ReportError.h"
#include "win32/win32_driver.h"

#include <algorithm>


namespace {

class ReportErrorTest : public ReportTest {};

size_t ErrorStringCalls() {
    size_t count = 0;
    for (const VIEW_Call& call : VIEW_Recorder::Calls())
        count += call.m_table == PDFL_AcroSupportTable && call.m_slot == 4;
    return count;
}

TEST_F(ReportErrorTest, AFailedAssertionAlertsOnceAndThrows) {
    LogCapture log;
    try {
        GLIB_ASSERT(1 + 1 == 3);
        ADD_FAILURE() << "the handler returned";
    } catch (const XPDF_Exception& exception) {
        EXPECT_EQ(exception.Code(), XPDF_Exception::AssertionCode);
        EXPECT_EQ(exception.HostErrorCode(), 0);
        EXPECT_EQ(std::string(exception.What()).rfind("Assertion failed: 1 + 1 == 3, file ", 0), 0u);
    }
    ASSERT_EQ(VIEW_App::Alerts().size(), 1u);
    const VIEW_Alert& alert = VIEW_App::Alerts()[0];
    EXPECT_EQ(alert.m_icon, 1);
    EXPECT_EQ(alert.m_button1, "OK");
    EXPECT_TRUE(alert.m_beep);
    const std::string start = "Assertion failed: 1 + 1 == 3, file ";
    const std::string file = std::string(__FILE__) + ", line ";
    EXPECT_EQ(alert.m_text.substr(0, start.size() + file.size()), start + file);
    const std::string line = alert.m_text.substr(std::min(alert.m_text.size(), start.size() + file.size()));
    EXPECT_FALSE(line.empty());
    EXPECT_EQ(line.find_first_not_of("0123456789"), std::string::npos) << alert.m_text;
}

TEST_F(ReportErrorTest, AnAssertionInACallbackReturnsAHostError) {
    VIEW_CallPlugin([] { return XCHG_CancelRequester::ShouldCancel(nullptr); });
    ASSERT_EQ(VIEW_Recorder::RaisedToHost().size(), 1u);
    EXPECT_EQ(VIEW_Recorder::RaisedToHost()[0], PDFL_DefaultExceptionCode);
    ASSERT_EQ(AlertTexts().size(), 2u) << "the assertion, then the guard's report";
    EXPECT_EQ(AlertTexts()[0].rfind("Assertion failed: ourObj != NULL, file ", 0), 0u);
    EXPECT_EQ(AlertTexts()[1].rfind("XCHG_CancelRequester::ShouldCancel caught an exception: Assertion failed", 0), 0u);
    EXPECT_EQ(PDFL_CallbackLevel(), 0);
}

TEST_F(ReportErrorTest, AlertsLogAtTheirKindsLevel) {
    LogCapture log;
    const std::pair<int32_t, int32_t> kinds[] = {{1, 2}, {2, 4}, {3, 8}, {7, 7}};
    for (const auto& [kind, level] : kinds) {
        SCOPED_TRACE(kind);
        XPDF_Alert(kind, "seen", false);
        EXPECT_TRUE(log.Contains(level, "seen"));
    }
    EXPECT_EQ(VIEW_App::Alerts().size(), 4u);
}

TEST_F(ReportErrorTest, WithoutAHandlerAlertsAreMessageBoxes) {
    Win32Driver::ClearMessageBoxes();
    const XPDF_AlertHandler previous = XPDF_SetAlertHandler(nullptr);
    XPDF_Alert(1, "boxed", true);
    XPDF_SetAlertHandler(previous);
    ASSERT_EQ(Win32Driver::MessageBoxes().size(), 1u);
    EXPECT_EQ(Win32Driver::MessageBoxes()[0].m_text, "boxed");
    EXPECT_EQ(Win32Driver::MessageBoxes()[0].m_caption, "XPDF_Alert");
    EXPECT_TRUE(VIEW_App::Alerts().empty());
}

TEST_F(ReportErrorTest, HostMessageAsksTheHostOnce) {
    XPDF_Exception unknown(1, "m", __FILE__, __LINE__, 77);
    EXPECT_STREQ(unknown.HostMessage(), "*** Unknown error code: 77 ***");
    EXPECT_STREQ(unknown.HostMessage(), "*** Unknown error code: 77 ***");
    EXPECT_EQ(ErrorStringCalls(), 1u);

    const PDFL_ErrorCode known = VIEW_ErrorRegistry::Register(0, "Disk is on fire");
    XPDF_Exception named(1, "m", __FILE__, __LINE__, known);
    EXPECT_STREQ(named.HostMessage(), "Disk is on fire");
    const XPDF_Exception copy(named);
    EXPECT_STREQ(const_cast<XPDF_Exception&>(copy).HostMessage(), "Disk is on fire");
    EXPECT_EQ(ErrorStringCalls(), 2u) << "the copy keeps the text";
}

}  // namespace
