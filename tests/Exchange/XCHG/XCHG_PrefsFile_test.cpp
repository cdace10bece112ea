// The preference file under faults: damaged files, things in its place
// that waiting does not mend, entries other runs store meanwhile, and
// saves stopped or held between writing the new file and renaming it.
#include "XCHG_PrefsFixture.h"

#include "Exchange/XCHG/XCHG_PrefsFile.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "viewer/VIEW_FileSys.h"

#include <chrono>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* Header = "%VelmDornapPrefs-1.0";

int SetDpi(XCHG_PluginPreferences& prefs, int dpi) {
    prefs.Preferences().PrivateDict().DictPut(GLOB_Name("Dpi"), GLOB_ObjectFactory::NewInteger(dpi));
    return dpi;
}

int OpenedDpi(XCHG_PluginPreferences& prefs) {
    return prefs.Preferences().PrivateDict().DictGet(GLOB_Name("Dpi")).AsInteger();
}

// The /Dpi a file holds for this plug-in, read as Open reads it; -1 when
// it does not read.
int DpiOf(const std::string& path) {
    GLOB_Doc into = GLOB_Memory_Impl::Make();
    into.Create(Header, 0);
    int dpi = -1;
    if (XCHG_ReadPrefsFile(GLOB_FileName(path.c_str()), false, into) == XCHG_PrefsFileState::Read) {
        const GLOB_Object all = into.Root().DictGet(GLOB_Name("VELM_Preferences"));
        const GLOB_Object mine = all.IsDict() ? all.DictGet(GLOB_Name("VELM_ZOVA_Separations")) : GLOB_Object();
        const GLOB_Object value = mine.IsDict() ? mine.DictGet(GLOB_Name("Dpi")) : GLOB_Object();
        dpi = value.IsInteger() ? value.AsInteger() : -1;
    }
    into.Close();
    return dpi;
}

// A file that does not read may hold another plug-in's entries: each run
// says so once and takes the defaults, and no save replaces it.
TEST_F(PreferencesTest, AFileThatDoesNotReadIsCorruptAtEachOpenAndKeptBySaves) {
    const std::string good = PrefsText(150);
    const size_t firstObjectEnd = good.find("endobj") + 7;
    // One name more than a file may hold, the last key unknown to the host.
    std::string keys;
    for (size_t i = 0; i < XCHG_MaxPrefsNames; ++i)
        keys += "/Many" + std::to_string(i) + " 1 ";
    const std::string lastKey = "Many" + std::to_string(XCHG_MaxPrefsNames - 1);
    // The same in an array's items, beside its two keys.
    std::string listed;
    for (size_t i = 0; i + 1 < XCHG_MaxPrefsNames; ++i)
        listed += "/Listed" + std::to_string(i) + " ";
    const std::string lastListed = "Listed" + std::to_string(XCHG_MaxPrefsNames - 2);
    const struct {
        const char* what;
        std::string bytes;
        const char* unread;  // a name the host must not have met, or null
    } cases[] = {
        {"cut after its first object", good.substr(0, firstObjectEnd), nullptr},
        {"cut inside its last object", good.substr(0, good.find("/Zoom")), nullptr},
        {"garbage after the header", std::string(Header) + "\n\x01\xff)) >> endobj obj [ 7 0 R\n", nullptr},
        {"not PDF syntax", "Dpi=600\nTicked=yes\n", nullptr},
        {"empty", "", nullptr},
        {"more names than a preference file holds",
         PdfText(Header, {"<< /VELM_Preferences 2 0 R >>", "<< /VELM_Other << " + keys + ">> >>"}),
         lastKey.c_str()},
        {"more names than a preference file holds, in an array",
         PdfText(Header, {"<< /VELM_Preferences 2 0 R >>", "<< /VELM_Other << /List [" + listed + "] >> >>"}),
         lastListed.c_str()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MakeFolder();
        WriteWholeFile(PrefFile(), c.bytes);
        for (int run = 1; run <= 2; ++run) {
            SCOPED_TRACE(run);
            Win32Driver::ClearSleepCalls();
            VIEW_App::ClearAlerts();
            XCHG_PluginPreferences prefs;
            prefs.Open(Defaults);
            EXPECT_EQ(AlertTexts(), std::vector<std::string>{Corrupt()});
            EXPECT_EQ(OpenedDpi(prefs), 300);
            VIEW_App::ClearAlerts();
            SetDpi(prefs, 600);
            prefs.Save();
            prefs.Close();
            EXPECT_TRUE(AlertTexts().empty()) << "said once, at open";
            EXPECT_EQ(ReadWholeFile(PrefFile()), c.bytes);
            EXPECT_EQ(FolderEntries(), std::vector<std::string>{"ZOVA.pref"});
            EXPECT_TRUE(Win32Driver::SleepCalls().empty());
        }
        if (c.unread) {
            const PDFL_ASAtom after = PDFL_ASAtomFromString((std::string("after ") + c.what).c_str());
            EXPECT_GT(PDFL_ASAtomFromString(c.unread), after) << "no atom made for it";
        }
    }
}

// Every name the preferences hold has its atom once they are open, so a
// page that fills the host's table later cannot stop the save: the names of
// the defaults, which no file gave the host, at every place.
TEST_F(PreferencesTest, OpeningGivesEveryNameOfTheDefaultsItsAtom) {
    MakeFolder();
    WriteWholeFile(PrefFile(), PrefsText(150));
    XCHG_PluginPreferences prefs;
    prefs.Open("<< /FirstDefaultKey 1 /Dpi 300 /DefaultList [/InDefaultList [/InNestedDefaultList]] "
               "/DefaultDict << /FirstKeyInDefaultDict /DefaultValue >> /DefaultDicts [<< /FirstKeyInListedDict 2 "
               ">>] >>");
    const PDFL_ASAtom opened = PDFL_ASAtomFromString("a name first made after the open");
    for (const char* name : {"FirstDefaultKey", "DefaultList", "InDefaultList", "InNestedDefaultList",
                             "DefaultDict", "FirstKeyInDefaultDict", "DefaultValue", "DefaultDicts",
                             "FirstKeyInListedDict"}) {
        SCOPED_TRACE(name);
        EXPECT_LT(PDFL_ASAtomFromString(name), opened);
    }
    prefs.Close();
}

// Puts what make makes in place of the file of a folder of its own, then
// opens and saves: silent at open, 20011 at once at save, and nothing
// changed or added.
class UnmendableTest : public PreferencesTest {
protected:
    template <class Make>
    void SaveOver(const char* what, Make make);
};

template <class Make>
void UnmendableTest::SaveOver(const char* what, Make make) {
    SCOPED_TRACE(what);
    UseFolder(what);
    make(PrefFile());
    struct stat before{};
    ASSERT_EQ(lstat(PrefFile().c_str(), &before), 0);
    Win32Driver::ClearSleepCalls();
    VIEW_App::ClearAlerts();
    XCHG_PluginPreferences prefs;
    prefs.Open(Defaults);
    EXPECT_TRUE(AlertTexts().empty()) << "an unreadable file is silent at open";
    prefs.Save();
    prefs.Close();
    EXPECT_EQ(AlertTexts(), std::vector<std::string>{Unsaved()});
    EXPECT_TRUE(Win32Driver::SleepCalls().empty()) << "not retried";
    struct stat after{};
    ASSERT_EQ(lstat(PrefFile().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(after.st_mtime, before.st_mtime);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"ZOVA.pref"});
}

TEST_F(UnmendableTest, AFolderOrAFifoInPlaceOfTheFileFailsTheSaveAtOnce) {
    SaveOver("folder", [](const std::string& path) { mkdir(path.c_str(), 0777); });
    SaveOver("fifo", [](const std::string& path) { mkfifo(path.c_str(), 0600); });
}

TEST_F(UnmendableTest, AFileWithoutPermissionFailsTheSaveAtOnceAndStaysAsItWas) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads and writes it all the same";
    SaveOver("unreadable", [](const std::string& path) {
        WriteWholeFile(path, PrefsText(150));
        chmod(path.c_str(), 0);
    });
    SaveOver("read-only", [](const std::string& path) {
        WriteWholeFile(path, PrefsText(150));
        chmod(path.c_str(), 0444);
    });
}

TEST_F(PreferencesTest, AFileInPlaceOfTheFolderIsAnUnusableFolder) {
    MakeFolder();
    rmdir(m_folder.c_str());
    WriteWholeFile(m_folder, "mine");
    Win32Driver::ClearSleepCalls();
    const std::string used =
        "The plug-in ZOVA.api failed when using the directory " + m_folder + " for its preference file.";
    XCHG_PluginPreferences prefs;
    prefs.Open(Defaults);
    EXPECT_EQ(AlertTexts(), std::vector<std::string>{used});
    EXPECT_EQ(OpenedDpi(prefs), 300);
    VIEW_App::ClearAlerts();
    prefs.Save();
    prefs.Close();
    EXPECT_EQ(AlertTexts(), std::vector<std::string>{"The plug-in ZOVA.api could not save its preferences file."})
        << "the folder was said at open";
    EXPECT_TRUE(Win32Driver::SleepCalls().empty());
    EXPECT_EQ(ReadWholeFile(m_folder), "mine");
}

TEST_F(PreferencesTest, ASaveKeepsWhatOtherRunsStoredSinceTheFileWasRead) {
    MakeFolder();
    WriteWholeFile(PrefFile(), PrefsText(150));
    XCHG_PluginPreferences prefs;
    prefs.Open(Defaults);
    EXPECT_EQ(OpenedDpi(prefs), 150);
    // Meanwhile another run stores a new value of the other plug-in, a
    // third plug-in and a value of this one.
    WriteWholeFile(PrefFile(), PdfText(Header, {"<< /VELM_Preferences 2 0 R >>",
                                               "<< /VELM_ZOVA_Separations << /Dpi 1200 >> /VELM_Other << /Zoom 9 >> "
                                               "/VELM_Third << /On true >> >>"}));
    SetDpi(prefs, 600);
    prefs.Save();
    prefs.Close();
    EXPECT_TRUE(AlertTexts().empty());
    EXPECT_EQ(Stored(), std::make_pair(600, 9)) << "this plug-in's entry is this run's";
    ReadFile([](const GLOB_Object& stored) {
        EXPECT_TRUE(stored.DictGet(GLOB_Name("VELM_Third")).DictGet(GLOB_Name("On")).AsBoolean());
        EXPECT_TRUE(stored.DictGet(GLOB_Name("VELM_ZOVA_Separations")).DictGet(GLOB_Name("Ticked")).IsBoolean())
            << "the entry is whole, not merged key by key";
    });
}

TEST_F(PreferencesTest, ASaveThatCannotWriteLeavesTheOldFileAndNoNewOne) {
    MakeFolder();
    WriteWholeFile(PrefFile(), PrefsText(150));
    const std::string old = ReadWholeFile(PrefFile());
    XCHG_PluginPreferences prefs;
    prefs.Open(Defaults);
    SetDpi(prefs, 600);
    // Every write reaches the disk with nothing.
    VIEW_FileSys::LimitWrites(1000, 0);
    prefs.Save();
    VIEW_FileSys::LimitWrites(0, 0);
    prefs.Close();
    EXPECT_EQ(AlertTexts(), std::vector<std::string>{Unsaved()});
    EXPECT_EQ(ReadWholeFile(PrefFile()), old);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"ZOVA.pref"});
}

// The child's end of the pipes while a save is held before its rename.
int gHeld = -1;
int gGo = -1;

void HoldBeforeRename(const char*) {
    char byte = 'h';
    if (write(gHeld, &byte, 1) != 1 || read(gGo, &byte, 1) != 1)
        _exit(3);
}

TEST_F(PreferencesTest, ASaveHeldBeforeItsRenameIsReadAsTheOldFileAndStoppedThereLeavesIt) {
    MakeFolder();
    WriteWholeFile(PrefFile(), PrefsText(150));
    const struct {
        const char* what;
        bool stop;
        int dpiAfter;
    } cases[] = {{"stopped", true, 150}, {"let go", false, 600}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        XCHG_PluginPreferences prefs;
        prefs.Open(Defaults);
        SetDpi(prefs, 600);
        int held[2];
        int go[2];
        ASSERT_EQ(pipe(held), 0);
        ASSERT_EQ(pipe(go), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            gHeld = held[1];
            gGo = go[0];
            iXCHG_SetPrefsReplaceHook(&HoldBeforeRename);
            prefs.Save();
            _exit(AlertTexts().empty() ? 0 : 4);
        }
        close(held[1]);
        close(go[0]);
        char byte = 0;
        ASSERT_EQ(read(held[0], &byte, 1), 1) << "the save reached its rename";
        // Another run reads now: the old file, whole.
        XCHG_PluginPreferences reader;
        reader.Open(Defaults);
        EXPECT_EQ(OpenedDpi(reader), 150);
        EXPECT_EQ(Stored(), std::make_pair(150, 4));
        reader.Close();
        EXPECT_TRUE(AlertTexts().empty());
        // The new file waits beside it, whole.
        std::vector<std::string> entries = FolderEntries();
        ASSERT_EQ(entries.size(), 2u);
        const std::string written = m_folder + "/" + (entries[0] == "ZOVA.pref" ? entries[1] : entries[0]);
        EXPECT_EQ(DpiOf(written), 600);
        if (c.stop)
            kill(child, SIGKILL);
        else
            EXPECT_EQ(write(go[1], "g", 1), 1);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_EQ(c.stop ? WIFSIGNALED(status) : WIFEXITED(status) && WEXITSTATUS(status) == 0, true);
        close(held[0]);
        close(go[1]);
        EXPECT_EQ(Stored(), std::make_pair(c.dpiAfter, 4));
        if (c.stop)
            unlink(written.c_str());  // what a killed save cannot take along
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"ZOVA.pref"});
        prefs.Close();
    }
}

// Another save renames its new file over the one a save is finding: the
// save still replaces what the name leads to, and writes no file named
// after the removed one.
TEST_F(PreferencesTest, ASaveReplacesWhatItsNameLeadsToWhateverAnotherRenamesMeanwhile) {
    // link: ZOVA.pref a link to real.pref beside it; made: the file it leads to there before.
    const struct { const char* what; bool link, made; } rows[] = {
        {"a file", false, true}, {"a link to a file", true, true}, {"a link to a file not yet made", true, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        UseFolder(row.what);
        const std::string target = row.link ? m_folder + "/real.pref" : PrefFile();
        ASSERT_TRUE(!row.link || symlink("real.pref", PrefFile().c_str()) == 0);
        if (row.made)
            WriteWholeFile(target, PrefsText(150));
        XCHG_PluginPreferences prefs;
        prefs.Open(Defaults);
        SetDpi(prefs, 600);
        static bool landed;
        landed = false;
        iXCHG_SetPrefsTargetHook([](const char* name) {
            iXCHG_SetPrefsTargetHook(nullptr);
            GLOB_Doc other = XCHG_NewPrefsDoc();
            landed = XCHG_ReplacePrefsFile(GLOB_FileName(name),
                                           other.ParseObject("<< /VELM_ZOVA_Separations << /Dpi 700 >> >>"));
            other.Close();
        });
        prefs.Save();
        iXCHG_SetPrefsTargetHook(nullptr);
        prefs.Close();
        EXPECT_TRUE(landed) << "the other save landed as this one found its file";
        EXPECT_EQ(DpiOf(target), 600) << "the later save's file";
        EXPECT_EQ(FolderEntries(), (row.link ? std::vector<std::string>{"ZOVA.pref", "real.pref"}
                                             : std::vector<std::string>{"ZOVA.pref"}));
    }
}

// A child saves a new value and is killed at a moment drawn between the
// start and a little past the end of such a save: the file then holds the
// old value or the new one, and always reads.
TEST_F(PreferencesTest, ASaveKilledAtAnyMomentLeavesTheOldFileOrTheNewOneWhole) {
    MakeFolder();
    WriteWholeFile(PrefFile(), PrefsText(150));
    XCHG_PluginPreferences prefs;
    prefs.Open(Defaults);
    const auto saveInChild = [&prefs](int dpi) {
        SetDpi(prefs, dpi);
        const pid_t child = fork();
        if (child == 0) {
            prefs.Save();
            _exit(0);
        }
        return child;
    };
    // How long one save takes here, to spread the kills over it.
    const auto start = std::chrono::steady_clock::now();
    const pid_t timed = saveInChild(160);
    ASSERT_GT(timed, 0);
    int status = 0;
    ASSERT_EQ(waitpid(timed, &status, 0), timed);
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    ASSERT_EQ(DpiOf(PrefFile()), 160);
    std::mt19937 random(7);
    std::uniform_int_distribution<long> moment(0, span.count() * 3 / 2);
    int old = 160;
    for (int round = 1; round <= 24; ++round) {
        SCOPED_TRACE(round);
        const int dpi = 160 + round;
        const pid_t child = saveInChild(dpi);
        ASSERT_GT(child, 0);
        usleep(static_cast<useconds_t>(moment(random)));
        kill(child, SIGKILL);
        ASSERT_EQ(waitpid(child, &status, 0), child);
        const int found = DpiOf(PrefFile());
        EXPECT_TRUE(found == old || found == dpi) << found;
        old = found == dpi ? dpi : old;
    }
    prefs.Close();
    EXPECT_EQ(Stored().second, 4);
}

}  // namespace
