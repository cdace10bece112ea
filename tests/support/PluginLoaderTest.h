// A test that loads a plug-in module into the viewer stand-in from a scratch
// folder made the current one, as the host runs from its own folder; the
// previous folder comes back afterwards. For test programs that link the
// stand-in.
#pragma once

#include "support/TestSupport.h"

#include "viewer/VIEW_App.h"
#include "viewer/VIEW_Loader.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

// The texts of the alerts and notes the host showed.
struct ShownAlerts {
    static std::vector<std::string> AlertTexts() {
        std::vector<std::string> texts;
        for (const VIEW_Alert& alert : VIEW_App::Alerts())
            texts.push_back(alert.m_text);
        return texts;
    }
};

// A folder made the current one for a test, and the previous one back.
class CurrentFolderChange {
public:
    // Last in SetUp, since a failure ends only this call.
    void Enter(const std::string& folder) {
        char previous[PATH_MAX];
        ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
        m_previous = previous;
        ASSERT_EQ(chdir(folder.c_str()), 0);
    }
    void Leave() { EXPECT_EQ(chdir(m_previous.c_str()), 0); }

private:
    std::string m_previous;
};

class PluginLoaderTest : public ::testing::Test, public ShownAlerts {
protected:
    // Makes the scratch folder the current one.
    void EnterScratch() { m_folder.Enter(m_scratch.Path()); }
    // Closes the module, forgets the test plug-in's options and goes back
    // to the previous folder.
    void LeaveScratch() {
        CloseModule();
        m_folder.Leave();
    }
    void CloseModule() {
        if (m_loader.IsOpen())
            m_loader.Unload();
        unsetenv("TINTSCOPE_TEST_PLUGIN");
    }

    ScratchDir m_scratch;
    VIEW_Loader m_loader;
    CurrentFolderChange m_folder;
};
