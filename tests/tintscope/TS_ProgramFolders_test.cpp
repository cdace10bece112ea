// Folders reached through what was checked: a drop box this user may write
// in but not list serves as the output, temporary and current folder; a
// staging folder swapped for a link meanwhile writes nothing through it;
// a run ended at any step of putting its set in place leaves no plate that
// inks.txt does not list, and the next run leaves its own set alone.
#include "TS_ProgramFixture.h"

#include "viewer/program/VIEW_ProgramFiles.h"
#include "viewer/program/VIEW_ProgramOutput.h"
#include "viewer/program/VIEW_ProgramStaging.h"

#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::vector<std::string> FourInkSet = {"inks.txt",           "plate-0-Cyan.png",  "plate-1-Magenta.png",
                                             "plate-2-Yellow.png", "plate-3-Black.png", "preview.png"};

// A page with three spot inks beside the four process ones.
std::string SevenInkResources() {
    const std::string tint = "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0.5 1 0] /N 1 >>";
    return "/CS0 [/Separation /Gold /DeviceCMYK " + tint + "] /CS1 [/Separation /Silver /DeviceCMYK " + tint +
           "] /CS2 [/Separation /Varnish /DeviceCMYK " + tint + "]";
}
const char* const SevenInkContent = "/CS0 cs 1 scn 10 10 20 20 re f /CS1 cs 1 scn 40 40 20 20 re f "
                                    "/CS2 cs 1 scn 70 70 20 20 re f";

// The plates of the plates' form in folder, and those its inks.txt lists.
std::set<std::string> PlatesIn(const std::string& folder) {
    std::set<std::string> plates;
    for (const std::string& name : ListFolder(folder))
        if (VIEW_IsPlateFileName(name))
            plates.insert(name);
    return plates;
}
std::set<std::string> PlatesListed(const std::string& folder) {
    std::set<std::string> listed;
    std::istringstream listing(ReadWholeFile(folder + "/inks.txt"));
    for (std::string line; std::getline(listing, line);) {
        const std::string name = line.substr(line.rfind('\t') + 1);
        if (VIEW_IsPlateFileName(name))
            listed.insert(name);
    }
    return listed;
}

std::string CurrentFolder() {
    char here[PATH_MAX];
    return getcwd(here, sizeof here) ? here : "";
}

// Output, temporary and current folder, each of a mode that lets this user
// write in it and pass through it but not list it: the run writes its set
// there, the earlier set's extra plates go, and the run comes back to the
// folder it was started from.
TEST_F(TS_ProgramTest, AFolderThatCanBeWrittenInButNotListedServesForEveryFolderOfTheRun) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root lists every folder all the same";
    const std::string four = WritePage("four.pdf", 100, 100, "0 0 0 1 k 0 0 10 10 re f");
    const std::string seven = WritePage("seven.pdf", 100, 100, SevenInkContent, SevenInkResources());
    const int start = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(start, 0);
    const struct { const char* name; mode_t mode; } modes[] = {{"0333", 0333}, {"1733", 01733}};
    for (const auto& [name, mode] : modes) {
        SCOPED_TRACE(std::string("mode ") + name);
        const std::string out = m_docs.File(std::string("out-") + name), tmp = m_docs.File(std::string("tmp-") + name),
                          here = m_docs.File(std::string("here-") + name);
        for (const std::string& folder : {out, tmp, here})
            ASSERT_TRUE(mkdir(folder.c_str(), 0700) == 0 && chmod(folder.c_str(), mode) == 0) << folder;
        ASSERT_EQ(chdir(here.c_str()), 0);
        setenv("TMPDIR", tmp.c_str(), 1);
        const TS_Run earlier = Run({seven, "--out", out});
        const TS_Run run = Run({four, "--out", out});
        const std::string cameBack = CurrentFolder();
        setenv("TMPDIR", m_tmp.Path().c_str(), 1);
        ASSERT_EQ(fchdir(start), 0);
        for (const std::string& folder : {out, tmp, here})
            chmod(folder.c_str(), 0755);
        EXPECT_EQ(earlier.m_code, 0) << earlier.m_err;
        EXPECT_EQ(earlier.m_err, "");
        EXPECT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_EQ(run.m_err, "");
        EXPECT_EQ(cameBack, here);
        EXPECT_EQ(ListFolder(out), FourInkSet);
        EXPECT_EQ(ListFolder(tmp), std::vector<std::string>());
        EXPECT_EQ(ListFolder(here), std::vector<std::string>());
    }
    close(start);
}

// The staging folder, renamed away and its name given to a link to a
// folder that holds files of the set's names: at the first plate's
// staging, or at the first rename. The run writes and moves its own files
// through the folder it made, and the other folder keeps every file.
std::string g_staging;
bool g_swapped = false;

void SwapForOther(const std::string& staging, const std::string& other) {
    g_swapped = std::rename(staging.c_str(), (staging + "-away").c_str()) == 0 &&
                symlink(other.c_str(), staging.c_str()) == 0;
}

std::string g_other;

TEST_F(TS_ProgramTest, AStagingFolderSwappedForALinkWritesNothingThroughIt) {
    const std::string four = WritePage("four.pdf", 100, 100, "0 0 0 1 k 0 0 10 10 re f");
    const struct {
        const char* when;
        VIEW_ProgramOutput::StageHook staged;
        VIEW_ProgramOutput::RenameHook renamed;
    } rows[] = {
        {"at the plates' writing",
         [](const std::string& staging, const std::string& name) {
             if (!g_swapped && VIEW_IsPlateFileName(name))
                 SwapForOther(staging, g_other);
         },
         nullptr},
        {"at the first rename", [](const std::string& staging, const std::string&) { g_staging = staging; },
         [](const std::string&) {
             if (!g_swapped)
                 SwapForOther(g_staging, g_other);
         }},
    };
    const std::vector<std::string> held = {"inks.txt",           "notes.txt",         "plate-0-Cyan.png",
                                           "plate-1-Magenta.png", "plate-2-Yellow.png", "plate-3-Black.png",
                                           "preview.png"};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.when);
        ScratchDir out, other;
        for (const std::string& name : held)
            WriteWholeFile(other.File(name), "the other folder's " + name);
        g_other = other.Path();
        g_swapped = false;
        VIEW_ProgramOutput::SetStageHook(row.staged);
        VIEW_ProgramOutput::SetRenameHook(row.renamed);
        const TS_Run run = Run({four, "--out", out.Path()});
        VIEW_ProgramOutput::SetStageHook(nullptr);
        VIEW_ProgramOutput::SetRenameHook(nullptr);
        ASSERT_TRUE(g_swapped);
        EXPECT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_EQ(other.List(), held);
        for (const std::string& name : held)
            EXPECT_EQ(ReadWholeFile(other.File(name)), "the other folder's " + name) << name;
        for (const std::string& name : FourInkSet) {
            if (VIEW_IsPlateFileName(name)) {
                EXPECT_GT(TS_ReadPlatePng(out.File(name)).width, 0) << name;
            }
        }
        EXPECT_NE(ReadWholeFile(out.File("inks.txt")).find("plate-3-Black.png"), std::string::npos);
    }
}

// The output folder's name given to a link to another folder once the
// staging folder is made, at the row's step (a file staged, or the first
// rename). Each later step goes through the folder as opened: while held,
// the lock file is in it; the other folder keeps its file and the staging
// folder no run holds; the real folder loses its own such folder and holds
// the set whole; no lock file is left in either.
std::string g_out, g_swapAt;
bool g_outSwapped = false, g_lockSeen = false, g_lockInReal = false, g_lockInOther = false;

void SwapOutput(const std::string& other) {
    if (!g_outSwapped)
        g_outSwapped = std::rename(g_out.c_str(), (g_out + ".aside").c_str()) == 0 &&
                       symlink(other.c_str(), g_out.c_str()) == 0;
}

bool HasLockFile(const std::string& folder) {
    struct stat info {};
    return lstat((folder + "/.tintscope-lock").c_str(), &info) == 0;
}

TEST_F(TS_ProgramTest, AnOutputFolderSwappedForALinkAfterStagingLeadsNoLaterStepElsewhere) {
    const std::string four = WritePage("four.pdf", 100, 100, "0 0 0 1 k 0 0 10 10 re f");
    const struct { const char* step; const char* swapAt; } rows[] = {
        {"the lock taken", "plate-0-Cyan.png"},
        {"abandoned staging folders removed", "inks.txt"},
        {"the lock let go", ""},  // at the first rename, the folder held
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.step) + " after the swap");
        ScratchDir base;
        g_out = base.File("out");
        const std::string aside = g_out + ".aside", other = base.File("other");
        for (const std::string& folder : {g_out, g_out + "/.tintscope-Killed", other, other + "/.tintscope-Killed"})
            ASSERT_EQ(mkdir(folder.c_str(), 0700), 0) << folder;
        WriteWholeFile(g_out + "/.tintscope-Killed/x", "left by a killed run");
        WriteWholeFile(other + "/.tintscope-Killed/x", "the other folder's");
        WriteWholeFile(other + "/f1", "the other folder's");
        g_swapAt = row.swapAt;
        g_outSwapped = g_lockSeen = g_lockInReal = g_lockInOther = false;
        g_other = other;
        VIEW_ProgramOutput::SetStageHook([](const std::string&, const std::string& name) {
            if (name == g_swapAt)
                SwapOutput(g_other);
        });
        VIEW_ProgramOutput::SetRenameHook([](const std::string&) {
            if (g_swapAt.empty())
                SwapOutput(g_other);
            if (!g_lockSeen) {
                g_lockSeen = true;
                g_lockInReal = HasLockFile(g_out + ".aside");
                g_lockInOther = HasLockFile(g_other);
            }
        });
        const TS_Run run = Run({four, "--out", g_out});
        VIEW_ProgramOutput::SetStageHook(nullptr);
        VIEW_ProgramOutput::SetRenameHook(nullptr);
        ASSERT_TRUE(g_outSwapped && g_lockSeen);
        EXPECT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_TRUE(g_lockInReal && !g_lockInOther) << "held in the real folder alone";
        EXPECT_EQ(ListFolder(other), (std::vector<std::string>{".tintscope-Killed", "f1"}));
        EXPECT_EQ(ReadWholeFile(other + "/f1"), "the other folder's");
        EXPECT_EQ(ReadWholeFile(other + "/.tintscope-Killed/x"), "the other folder's");
        EXPECT_EQ(ListFolder(aside), FourInkSet) << "the set whole, the killed run's folder gone, no lock file";
        for (const std::string& name : FourInkSet) {
            if (VIEW_IsPlateFileName(name)) {
                EXPECT_GT(TS_ReadPlatePng(aside + "/" + name).width, 0) << name;
            }
        }
        EXPECT_NE(ReadWholeFile(aside + "/inks.txt").find("plate-3-Black.png"), std::string::npos);
    }
}

// A run ended by SIGKILL before a step of putting its set in place (step
// 1, 2, …; past the last it ends of itself), in a child of this process
// with a temporary folder of its own; its exit status.
int g_killAt = 0;

int RunKilledAt(int step, const std::vector<std::string>& args, const std::string& tmp) {
    const pid_t child = fork();
    if (child == 0) {
        setenv("TMPDIR", tmp.c_str(), 1);
        g_killAt = step;
        VIEW_ProgramOutput::SetRenameHook([](const std::string&) {
            if (--g_killAt == 0)
                kill(getpid(), SIGKILL);
        });
        const std::string module = TINTSCOPE_ZOVA_MODULE;
        _exit(TS_RunInProcess(args, module.substr(0, module.rfind('/'))).m_code);
    }
    int status = -1;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return -1;
    return status;
}

// Each row: the set already in the folder, the run stopped, then the next
// run, which must leave its own set and nothing else.
TEST_F(TS_ProgramTest, ARunStoppedAtAnyStepOfPuttingItsSetInPlaceLeavesNoPlateItsListingMisses) {
    const std::string four = WritePage("four.pdf", 100, 100, "0 0 0 1 k 0 0 10 10 re f");
    const std::string seven = WritePage("seven.pdf", 100, 100, SevenInkContent, SevenInkResources());
    // steps: the earlier plates moved aside, then the six or nine files moved in.
    const struct { const char* what; std::string earlier, stopped; int steps; } rows[] = {
        {"fewer inks than the earlier set", seven, four, 3 + 6},
        {"more inks than the earlier set", four, seven, 9},
    };
    for (const auto& row : rows) {
        bool ended = false;
        int step = 1;
        for (; !ended && step < 40; ++step) {
            SCOPED_TRACE(std::string(row.what) + ", before step " + std::to_string(step));
            ScratchDir out, tmp;
            ASSERT_EQ(RunBinary({row.earlier, "--out", out.Path()}).m_code, 0);
            const int status = RunKilledAt(step, {row.stopped, "--out", out.Path()}, tmp.Path());
            ended = WIFEXITED(status);
            if (ended) {
                EXPECT_EQ(WEXITSTATUS(status), 0);
            } else {
                ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
            }
            const std::set<std::string> in = PlatesIn(out.Path()), listed = PlatesListed(out.Path());
            for (const std::string& plate : in)
                EXPECT_EQ(listed.count(plate), 1u) << plate << " is not listed";
            const TS_Run next = RunBinary({four, "--out", out.Path()});
            EXPECT_EQ(next.m_code, 0) << next.m_err;
            EXPECT_EQ(out.List(), FourInkSet);
        }
        EXPECT_EQ(step - 1, row.steps + 1) << row.what << ": stopped before each step, then whole";
    }
}

// A folder put at inks.txt's name as the run moves it in (the earlier one
// kept aside meanwhile): the run fails in words, and the earlier plates it
// had moved aside come back, so the earlier set stays whole.
std::string g_listing;

TEST_F(TS_ProgramTest, AnInksTxtThatCannotTakeItsNameLeavesTheEarlierSetWhole) {
    const std::string four = WritePage("four.pdf", 100, 100, "0 0 0 1 k 0 0 10 10 re f");
    const std::string seven = WritePage("seven.pdf", 100, 100, SevenInkContent, SevenInkResources());
    ASSERT_EQ(RunBinary(WithOut({seven})).m_code, 0);
    std::map<std::string, std::string> earlier;
    for (const std::string& name : m_out.List())
        earlier[name] = ReadWholeFile(m_out.File(name));
    ASSERT_EQ(PlatesIn(m_out.Path()).size(), 7u);
    g_listing = m_out.File("inks.txt");
    VIEW_ProgramOutput::SetRenameHook([](const std::string& name) {
        if (name != "inks.txt")
            return;
        EXPECT_EQ(std::rename(g_listing.c_str(), (g_listing + "-kept").c_str()), 0);
        EXPECT_EQ(mkdir(g_listing.c_str(), 0700), 0);
        WriteWholeFile(g_listing + "/in-it", "a folder that cannot be written over");
    });
    const TS_Run run = Run(WithOut({four}));
    VIEW_ProgramOutput::SetRenameHook(nullptr);
    EXPECT_EQ(run.m_code, 1);
    EXPECT_NE(run.m_err.find("cannot write " + m_out.File("inks.txt") + ": "), std::string::npos) << run.m_err;
    ASSERT_TRUE(unlink((g_listing + "/in-it").c_str()) == 0 && rmdir(g_listing.c_str()) == 0);
    ASSERT_EQ(std::rename((g_listing + "-kept").c_str(), g_listing.c_str()), 0);
    std::map<std::string, std::string> after;
    for (const std::string& name : m_out.List())
        after[name] = ReadWholeFile(m_out.File(name));
    EXPECT_TRUE(after == earlier) << "every file of the earlier set, as it was";
    EXPECT_EQ(PlatesIn(m_out.Path()), PlatesListed(m_out.Path()));
}

}  // namespace
