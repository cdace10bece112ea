// Where the preference file goes, and the alerts of a folder that cannot
// be used.
#include "XCHG_ReportFixture.h"

#include "Exchange/XCHG/XCHG_PluginPreferences.h"
#include "win32/win32_driver.h"

#include <fstream>
#include <sys/stat.h>

namespace {

class PreferencesTest : public ReportTest {
protected:
    void TearDown() override {
        Win32Driver::SetAppDataFolder("");
        Win32Driver::FailSpecialFolderLocation(false);
        Win32Driver::FailPathFromIDList(false);
        ReportTest::TearDown();
    }
    // FileName's exception message, or "" when it gave a name.
    static std::string Refusal() {
        try {
            XCHG_PluginPreferences::FileName();
        } catch (const GLIB_Exception& exception) {
            EXPECT_EQ(exception.Code(), XCHG_PluginPreferences::FolderUnusableCode);
            return exception.What();
        }
        return "";
    }
};

TEST_F(PreferencesTest, TheFileLiesInTheFolderMadeWithItsParents) {
    const std::string folder = m_scratch.File("home/.config/tintscope");
    Win32Driver::SetAppDataFolder(folder);
    EXPECT_STREQ(XCHG_PluginPreferences::FileName().NarrowName(), (folder + "\\ZOVA.pref").c_str());
    struct stat info;
    EXPECT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_TRUE(AlertTexts().empty());
    EXPECT_STREQ(XCHG_PluginPreferences::FileName().NarrowName(), (folder + "\\ZOVA.pref").c_str())
        << "an existing folder is used";
}

TEST_F(PreferencesTest, UnusableFolders) {
    std::ofstream(m_scratch.File("file")) << "x";
    struct Case {
        const char* what;
        std::string folder;
        bool failLocation;
        bool failPath;
        std::string message;
        bool alerts;
    };
    const std::string belowFile = m_scratch.File("file/tintscope");
    const std::string longFolder = m_scratch.Path() + "/" + std::string(250 - m_scratch.Path().size(), 'd');
    const Case cases[] = {
        {"below a file", belowFile, false, false, "Attempt to use the directory \"" + belowFile + "\" failed.", true},
        {"no room for the name", longFolder, false, false,
         "Attempt to use the directory \"" + longFolder + "\" failed.", true},
        {"no folder location", m_scratch.Path(), true, false, "SHGetSpecialFolderLocation() failed.", false},
        {"no folder path", m_scratch.Path(), false, true, "SHGetPathFromIDListA() failed.", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VIEW_App::ClearAlerts();
        Win32Driver::SetAppDataFolder(c.folder);
        Win32Driver::FailSpecialFolderLocation(c.failLocation);
        Win32Driver::FailPathFromIDList(c.failPath);
        EXPECT_EQ(Refusal(), c.message);
        if (c.alerts)
            EXPECT_EQ(AlertTexts(), std::vector<std::string>{"The plug-in ZOVA.api failed when using the directory " +
                                                             c.folder + " for its preference file."});
        else
            EXPECT_TRUE(AlertTexts().empty());
    }
}

}  // namespace
