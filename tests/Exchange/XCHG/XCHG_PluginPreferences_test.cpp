// Where the preference file goes, and the alerts of a folder that cannot
// be used.
#include "XCHG_PrefsFixture.h"

#include <fstream>
#include <sys/stat.h>

namespace {

TEST_F(PreferencesTest, DefaultsSavedAndReadBack) {
    LogCapture log;
    XCHG_PluginPreferences prefs;
    prefs.Open(Defaults);
    EXPECT_EQ(prefs.Preferences().PrivateDict().DictGet(GLOB_Name("Dpi")).AsInteger(), 300);
    prefs.Preferences().PrivateDict().DictPut(GLOB_Name("Dpi"), GLOB_ObjectFactory::NewInteger(600));
    prefs.Save();
    prefs.Close();
    EXPECT_EQ(FirstLine(PrefFile()), "%VelmDornapPrefs-1.0");

    XCHG_PluginPreferences again;
    again.Open(Defaults);
    EXPECT_EQ(again.Preferences().PrivateDict().DictGet(GLOB_Name("Dpi")).AsInteger(), 600);
    EXPECT_TRUE(again.Preferences().PrivateDict().DictGet(GLOB_Name("Ticked")).AsBoolean());
    again.Close();
    EXPECT_TRUE(AlertTexts().empty());
    for (const LogCapture::Entry& entry : log.Entries())
        EXPECT_GT(entry.level, GLIB_LogWarningToUser) << entry.text;
}

TEST_F(PreferencesTest, AStoredIntegerIsCorruptAndTheDefaultsAreUsed) {
    WriteFile([](const GLOB_Doc& file) { return file.NewInteger(7); });
    XCHG_PluginPreferences prefs;
    prefs.Open(Defaults);
    EXPECT_EQ(AlertTexts(), std::vector<std::string>{"The plug-in ZOVA.api discovered a corrupt preference file " +
                                                     m_folder + "/ZOVA.pref."});
    EXPECT_EQ(prefs.Preferences().PrivateDict().DictGet(GLOB_Name("Dpi")).AsInteger(), 300);
    prefs.Save();
    prefs.Close();
    ReadFile([](const GLOB_Object& stored) {
        ASSERT_TRUE(stored.IsDict());
        EXPECT_EQ(stored.DictGet(GLOB_Name("VELM_ZOVA_Separations")).DictGet(GLOB_Name("Dpi")).AsInteger(), 300);
    });
}

TEST_F(PreferencesTest, AnotherPluginsEntriesSurvive) {
    WriteFile([](const GLOB_Doc& file) {
        const GLOB_Object other = file.NewDict(0);
        other.DictPut(GLOB_Name("Zoom"), file.NewInteger(4));
        const GLOB_Object all = file.NewDict(0, true);
        all.DictPut(GLOB_Name("VELM_Other"), other);
        return all;
    });
    XCHG_PluginPreferences prefs;
    prefs.Open(Defaults);
    prefs.Save();
    prefs.Close();
    EXPECT_TRUE(AlertTexts().empty());
    ReadFile([](const GLOB_Object& stored) {
        EXPECT_EQ(stored.DictGet(GLOB_Name("VELM_Other")).DictGet(GLOB_Name("Zoom")).AsInteger(), 4);
        EXPECT_EQ(stored.DictGet(GLOB_Name("VELM_ZOVA_Separations")).DictGet(GLOB_Name("Dpi")).AsInteger(), 300);
    });
}

TEST_F(PreferencesTest, FolderFaultsAtOpenAndSave) {
    std::ofstream(m_scratch.File("file")) << "x";
    const std::string belowFile = m_scratch.File("file/tintscope");
    const std::string used = "The plug-in ZOVA.api failed when using the directory " + belowFile +
                             " for its preference file.";
    const std::string unsaved = "The plug-in ZOVA.api could not save its preferences file.";
    struct Case {
        const char* what;
        std::string folder;
        bool failLocation;
        std::vector<std::string> atOpen;
        std::vector<std::string> atSave;
    };
    const Case cases[] = {
        // Each fault once: the folder at open, the save at save.
        {"below a regular file", belowFile, false, {used}, {unsaved}},
        {"no folder location", m_folder, true, {}, {unsaved}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Win32Driver::SetAppDataFolder(c.folder);
        Win32Driver::FailSpecialFolderLocation(c.failLocation);
        XCHG_PluginPreferences prefs;
        VIEW_App::ClearAlerts();
        prefs.Open(Defaults);
        EXPECT_EQ(AlertTexts(), c.atOpen);
        EXPECT_EQ(prefs.Preferences().PrivateDict().DictGet(GLOB_Name("Dpi")).AsInteger(), 300);
        VIEW_App::ClearAlerts();
        prefs.Save();
        EXPECT_EQ(AlertTexts(), c.atSave);
        prefs.Close();
    }
    EXPECT_EQ(m_scratch.List(), std::vector<std::string>{"file"}) << "nothing written";
}

TEST_F(PreferencesTest, AFreshUsersFolderIsMadeWithItsParent) {
    XCHG_PluginPreferences prefs;
    prefs.Open(Defaults);
    prefs.Save();
    prefs.Close();
    EXPECT_TRUE(Exists(PrefFile()));
    EXPECT_TRUE(AlertTexts().empty());
}

TEST_F(PreferencesTest, SaveAndCloseBeforeOpenDoNothing) {
    VIEW_Recorder::ClearCalls();
    XCHG_PluginPreferences prefs;
    prefs.Save();
    prefs.Close();
    EXPECT_FALSE(Exists(m_folder));
    EXPECT_TRUE(AlertTexts().empty());
    EXPECT_TRUE(VIEW_Recorder::Calls().empty());
}

TEST_F(PreferencesTest, TheFileLiesInTheFolderMadeWithItsParents) {
    const std::string folder = m_scratch.File("home/.config/tintscope");
    Win32Driver::SetAppDataFolder(folder);
    EXPECT_STREQ(XCHG_PluginPreferences::FileName().NarrowName(), (folder + "/ZOVA.pref").c_str());
    struct stat info;
    EXPECT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_TRUE(AlertTexts().empty());
    EXPECT_STREQ(XCHG_PluginPreferences::FileName().NarrowName(), (folder + "/ZOVA.pref").c_str())
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
