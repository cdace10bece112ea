#include "XCHG_ReportFixture.h"

#include "Exchange/XCHG/XCHG_ModuleInfo.h"
#include "Exchange/XCHG/XCHG_ReportHandlers.h"
#include "Exchange/XCHG/XPDF_ReportError.h"

#include <climits>
#include <unistd.h>

void ReportTest::SetUp() {
    HostTest::SetUp();
    char folder[PATH_MAX];
    ASSERT_NE(getcwd(folder, sizeof folder), nullptr);
    m_folder = folder;
    ASSERT_EQ(chdir(m_scratch.Path().c_str()), 0);
    VIEW_Host::OfferTable(PDFL_DebuggerWindowTable, 1);
    gXCHG_DebuggerWindowHFT = VIEW_Host::Table(PDFL_DebuggerWindowTable);
    gXCHG_ModuleInstance = GetModuleHandleA(nullptr);
    VIEW_App::SetExtensionFileName("ZOVA.api");
    XCHG_ModuleInfo::Instance().Initialize();
    m_logger = GLIB_SetLogger(nullptr);
    m_assertHandler = GLIB_SetAssertHandler(nullptr);
    GLIB_SetLogger(m_logger);
    GLIB_SetAssertHandler(m_assertHandler);
    XCHG_InstallReportHandlers();
}

void ReportTest::TearDown() {
    GLIB_SetLogger(m_logger);
    GLIB_SetAssertHandler(m_assertHandler);
    XPDF_SetAlertHandler(nullptr);
    PDFL_SetOutOfMemoryLogger(&PDFL_LogOutOfMemory);
    PDFL_SetSystemExceptionLogger(&PDFL_LogSystemException);
    PDFL_SetExceptionLogger(&PDFL_LogException);
    gXCHG_DebuggerWindowHFT = nullptr;
    gXCHG_ModuleInstance = nullptr;
    EXPECT_EQ(chdir(m_folder.c_str()), 0);
    HostTest::TearDown();
}

std::vector<std::string> ReportTest::AlertTexts() {
    std::vector<std::string> texts;
    for (const VIEW_Alert& alert : VIEW_App::Alerts())
        texts.push_back(alert.m_text);
    return texts;
}
