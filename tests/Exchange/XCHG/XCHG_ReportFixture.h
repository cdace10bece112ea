// The stand-in host with the plug-in's reporting installed for one test:
// the debugger window bound, a scratch folder as the current folder, and
// afterwards the suite's logger, assertion handler, alert handler and the
// guard's default reporters back in place.
#pragma once

#include "../../hostpdf/HostFixture.h"
#include "support/PluginLoaderTest.h"
#include "support/TestSupport.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "viewer/VIEW_App.h"

#include <string>
#include <vector>

class ReportTest : public HostTest, public ShownAlerts {
protected:
    void SetUp() override;
    void TearDown() override;

    ScratchDir m_scratch;

private:
    GLIB_Logger m_logger = nullptr;
    GLIB_AssertHandler m_assertHandler = nullptr;
    CurrentFolderChange m_folder;
};
