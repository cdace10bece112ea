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

class PluginLoaderTest : public ::testing::Test {
protected:
    // Makes the scratch folder the current one; last in SetUp, since a
    // failure ends only this call.
    void EnterScratch() {
        char folder[PATH_MAX];
        ASSERT_NE(getcwd(folder, sizeof folder), nullptr);
        m_folder = folder;
        ASSERT_EQ(chdir(m_scratch.Path().c_str()), 0);
    }
    // Closes the module, forgets the test plug-in's options and goes back
    // to the previous folder.
    void LeaveScratch() {
        if (m_loader.IsOpen())
            m_loader.Unload();
        unsetenv("TINTSCOPE_TEST_PLUGIN");
        EXPECT_EQ(chdir(m_folder.c_str()), 0);
    }
    static std::vector<std::string> AlertTexts() {
        std::vector<std::string> texts;
        for (const VIEW_Alert& alert : VIEW_App::Alerts())
            texts.push_back(alert.m_text);
        return texts;
    }

    ScratchDir m_scratch;
    VIEW_Loader m_loader;
    std::string m_folder;
};
