#include "XCHG_ReportFixture.h"

#include "Exchange/XCHG/XCHG_ModuleInfo.h"
#include "Exchange/XCHG/XCHG_ReportHandlers.h"
#include "Exchange/XCHG/XPDF_ReportError.h"

void ReportTest::SetUp() {
    HostTest::SetUp();
    m_folder.Enter(m_scratch.Path());
    if (HasFatalFailure())
        return;
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
    m_folder.Leave();
    HostTest::TearDown();
}
