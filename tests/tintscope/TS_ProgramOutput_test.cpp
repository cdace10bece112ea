// The output folder: refused at the start when it cannot be used, written
// whole or not at all, and left as it was (or gone, when the run made it)
// by a run that fails, made by two runs at once and cleared of what killed
// runs left; long ink names fit the file system.
#include "TS_ProgramFixture.h"

#include "support/PdfText.h"
#include "viewer/program/VIEW_ProgramFiles.h"
#include "viewer/program/VIEW_ProgramFolderAt.h"
#include "viewer/program/VIEW_ProgramFolderLock.h"
#include "viewer/program/VIEW_ProgramOutput.h"
#include "viewer/program/VIEW_ProgramSignals.h"
#include "viewer/program/VIEW_ProgramStaging.h"
#include "viewer/program/VIEW_ProgramText.h"

#include <algorithm>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

std::vector<std::string> ListDir(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names.push_back(entry->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(TS_ProgramTest, AnOutputFolderThatCannotBeUsedFailsBeforeAnyWork) {
    const std::string file = WritePage("one.pdf", 100, 100, "0 0 0 1 k 0 0 10 10 re f");
    const std::string notFolder = WriteFile("plain.txt", "not a folder");
    const struct {
        std::string out;
        std::string says;
    } rows[] = {
        {notFolder, "the output folder " + notFolder + " is not a folder"},
        {m_docs.File("missing/child"),
         "cannot make the output folder " + m_docs.File("missing/child") + ": No such file or directory"},
        {"/proc", "cannot write in the output folder /proc: "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.out);
        const TS_Run run = Run({file, "--out", row.out});
        EXPECT_EQ(run.m_code, 1);
        ASSERT_EQ(run.Lines().size(), 1u) << run.m_err;
        EXPECT_EQ(run.m_err.rfind("tintscope: " + file + ": " + row.says, 0), 0u) << run.m_err;
    }
    EXPECT_EQ(ReadWholeFile(notFolder), "not a folder");
    EXPECT_FALSE(Exists(m_docs.File("missing")));

    // Something other than a file at the lock file's name: said at once, never waited on.
    const struct { const char* what; std::function<int(const char* path)> make; } squatters[] = {
        {"a FIFO", [](const char* path) { return mknod(path, S_IFIFO | 0600, 0); }},
        {"a symbolic link", [&](const char* path) { return symlink(file.c_str(), path); }},
        {"a socket", [](const char* path) { return mknod(path, S_IFSOCK | 0600, 0); }},
        {"a folder", [](const char* path) { return mkdir(path, 0700); }},
    };
    for (const auto& squatter : squatters) {
        SCOPED_TRACE(squatter.what);
        const std::string out = m_docs.File(squatter.what), path = out + "/" + VIEW_ProgramFolderLock::FileName;
        const std::string says = path + " is " + squatter.what + ", not a lock file";
        ASSERT_TRUE(mkdir(out.c_str(), 0777) == 0 && squatter.make(path.c_str()) == 0);
        // Take refuses it too, for one that comes after the run's start.
        VIEW_ProgramFolderLock lock;
        std::string reason;
        const int folder = VIEW_OpenFolderBase(out);
        EXPECT_FALSE(lock.Take(folder, out, &reason));
        close(folder);
        EXPECT_EQ(reason, says);
        const TS_Run run = Run({file, "--out", out});
        EXPECT_EQ(run.m_code, 1);
        EXPECT_EQ(run.m_err, "tintscope: " + file + ": cannot hold the output folder " + out + " for this run: " +
                                 says + "\n");
        EXPECT_EQ(ListDir(out), std::vector<std::string>{VIEW_ProgramFolderLock::FileName});
    }
}

TEST_F(TS_ProgramTest, AFailedRunLeavesTheFolderAsItWasOrRemovesTheOneItMade) {
    const std::string rgb = WritePage("rgb.pdf", 100, 100, "1 0 0 rg 10 10 50 50 re f");
    WriteWholeFile(m_out.File("preview.png"), "an older preview");
    WriteWholeFile(m_out.File("notes.txt"), "the user's");
    TS_Run run = Run(WithOut({rgb}));
    EXPECT_EQ(run.m_code, 1);
    EXPECT_EQ(m_out.List(), (std::vector<std::string>{"notes.txt", "preview.png"}));
    EXPECT_EQ(ReadWholeFile(m_out.File("preview.png")), "an older preview");

    // A folder where inks.txt goes fails the run only once everything is
    // written: still nothing of it is left.
    const std::string good = WritePage("k.pdf", 100, 100, "0 0 0 1 k 0 0 10 10 re f");
    ASSERT_EQ(mkdir(m_out.File("inks.txt").c_str(), 0777), 0);
    run = Run(WithOut({good}));
    EXPECT_EQ(run.m_code, 1);
    EXPECT_NE(run.Lines().back().find("inks.txt: a folder of that name is in the way"), std::string::npos) << run.m_err;
    EXPECT_EQ(m_out.List(), (std::vector<std::string>{"inks.txt", "notes.txt", "preview.png"}));
    EXPECT_EQ(ReadWholeFile(m_out.File("preview.png")), "an older preview");
    rmdir(m_out.File("inks.txt").c_str());

    const std::string made = m_out.File("new");
    run = Run({rgb, "--out", made});
    EXPECT_EQ(run.m_code, 1);
    EXPECT_FALSE(Exists(made)) << "the folder the run made is gone";

    // A run that succeeds replaces what it writes and makes the folder.
    run = Run({good, "--out", made});
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_EQ(ListDir(made), (std::vector<std::string>{"inks.txt", "plate-0-Cyan.png", "plate-1-Magenta.png",
                                                       "plate-2-Yellow.png", "plate-3-Black.png", "preview.png"}));
    run = Run(WithOut({good}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_NE(ReadWholeFile(m_out.File("preview.png")), "an older preview");
    EXPECT_EQ(ReadWholeFile(m_out.File("notes.txt")), "the user's");
    for (const std::string& name : ListDir(made))
        unlink((made + "/" + name).c_str());
    rmdir(made.c_str());
}

// The folder holds the new set alone: an earlier set's plates that the
// new one does not write over go with the renames. Only plain plate names
// that the earlier inks.txt lists go: an edited one names nothing outside.
TEST_F(TS_ProgramTest, ANewSetTakesThePlaceOfTheEarlierPlatesAndOfNothingElse) {
    const std::string spot = "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 1 0 0] /N 1 >>";
    const std::string six = WritePage("six.pdf", 100, 100, "/CS0 cs 1 scn 10 10 30 30 re f /CS1 cs 1 scn 50 50 30 30 re f",
                                      "/CS0 [/Separation /PANTONE#20378#20C /DeviceCMYK " + spot +
                                          "] /CS1 [/Separation /Dieline /DeviceCMYK " + spot + "]");
    const std::string four = WritePage("four.pdf", 100, 100, "0 0 0 1 k 0 0 10 10 re f");
    const std::string out = m_out.File("set");
    const std::vector<std::string> fourInks = {"plate-0-Cyan.png", "plate-1-Magenta.png", "plate-2-Yellow.png",
                                               "plate-3-Black.png"};
    TS_Run run = RunBinary({six, "--out", out});
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    ASSERT_TRUE(Exists(out + "/plate-4-PANTONE#20378#20C.png") && Exists(out + "/plate-5-Dieline.png"))
        << "the earlier set has six plates";
    WriteWholeFile(out + "/notes.txt", "the user's");
    WriteWholeFile(out + "/plate-7-Own.png", "of the plates' form, listed nowhere");
    run = RunBinary({four, "--out", out});
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    std::vector<std::string> left = {"inks.txt", "notes.txt"};
    left.insert(left.end(), fourInks.begin(), fourInks.end());
    left.insert(left.end(), {"plate-7-Own.png", "preview.png"});
    EXPECT_EQ(ListDir(out), left);

    // An inks.txt edited by hand, or a link to another folder's: each row
    // a name it lists, and whether the next run removes the file.
    WriteWholeFile(m_out.File("x"), "outside the folder");
    ASSERT_EQ(mkdir((out + "/sub").c_str(), 0777), 0);
    WriteWholeFile(out + "/sub/plate-5-Y.png", "in a folder below");
    WriteWholeFile(out + "/plate-8.png", "not of the plates' form");
    WriteWholeFile(out + "/plate-4-PANTONE#20378#20C.png", "the user's own");
    WriteWholeFile(out + "/plate-5-Dieline.png", "the user's own");
    const std::string other = m_out.File("other");
    ASSERT_EQ(mkdir(other.c_str(), 0777), 0);
    const struct {
        std::string listed;
        std::string file;
        bool removed;
        bool linked;  // listed by the other folder's inks.txt, which this one's links to
    } rows[] = {
        {"../x", m_out.File("x"), false, false},
        {"sub/plate-5-Y.png", out + "/sub/plate-5-Y.png", false, false},
        {"notes.txt", out + "/notes.txt", false, false},
        {"plate-8.png", out + "/plate-8.png", false, false},
        {"plate-7-Own.png", out + "/plate-7-Own.png", true, false},
        {"plate-3-Black.png", out + "/plate-3-Black.png", false, false},  // the new set's own
        // Another folder's set names none of this one's files.
        {"plate-4-PANTONE#20378#20C.png", out + "/plate-4-PANTONE#20378#20C.png", false, true},
        {"plate-5-Dieline.png", out + "/plate-5-Dieline.png", false, true},
    };
    for (const bool linked : {false, true}) {
        std::string listing = ReadWholeFile(out + "/inks.txt");
        for (size_t i = 0; i < std::size(rows); ++i)
            if (rows[i].linked == linked)
                listing += std::to_string(10 + i) + "\tInk\t-\tshown\t" + rows[i].listed + "\n";
        if (linked) {
            WriteWholeFile(other + "/inks.txt", listing);
            ASSERT_EQ(unlink((out + "/inks.txt").c_str()), 0);
            ASSERT_EQ(symlink((other + "/inks.txt").c_str(), (out + "/inks.txt").c_str()), 0);
        } else {
            WriteWholeFile(out + "/inks.txt", listing);
        }
        run = RunBinary({four, "--out", out});
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        for (const auto& row : rows) {
            SCOPED_TRACE(row.listed);
            if (row.linked == linked) {
                EXPECT_EQ(Exists(row.file), !row.removed);
            }
        }
    }
    EXPECT_EQ(ListDir(other), std::vector<std::string>{"inks.txt"}) << "the link is replaced, not what it names";
}

// The other run: the built program started at the held run's first
// rename; whether it ended, or waits for the folder.
std::function<pid_t()> g_startOther;
pid_t g_other = -1;
int g_otherStatus = -1;
bool g_otherWaited = false;

// Whether pid waits for a lock it is denied, as /proc/locks shows ("->").
bool WaitsForALock(pid_t pid) {
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, arrow, kind, mode, access, who;
        fields >> number >> arrow >> kind >> mode >> access >> who;
        if (arrow == "->" && who == std::to_string(pid))
            return true;
    }
    return false;
}

// Starts the other run at the first rename and holds this one there until
// the other has ended or waits for the folder (a minute at most).
void HoldForTheOtherRun(const std::string&) {
    if (g_other >= 0 || !(g_other = g_startOther()))
        return;
    for (int i = 0; i < 60000; ++i) {
        if (waitpid(g_other, &g_otherStatus, WNOHANG) == g_other)
            return;
        if ((g_otherWaited = WaitsForALock(g_other)))
            return;
        usleep(1000);
    }
}

// Two runs into one folder: a four-ink run takes its names while another,
// of a page with a fifth ink (Gold), writes its whole set. The second waits
// until the first has moved its files in and removed the earlier plates;
// the folder then holds its set whole, and every plate its inks.txt lists.
TEST_F(TS_ProgramTest, TwoRunsIntoOneFolderTakeItInTurn) {
    const std::string spot = "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0.2 1 0] /N 1 >>";
    const std::string gold = WritePage("gold.pdf", 100, 100, "/CS0 cs 1 scn 10 10 30 30 re f",
                                       "/CS0 [/Separation /Gold /DeviceCMYK " + spot + "]");
    const std::string four = WritePage("four.pdf", 100, 100, "0 0 0 1 k 0 0 10 10 re f");
    const std::vector<std::string> goldSet = {"inks.txt",           "plate-0-Cyan.png",  "plate-1-Magenta.png",
                                              "plate-2-Yellow.png", "plate-3-Black.png", "plate-4-Gold.png",
                                              "preview.png"};
    TS_Run run = RunBinary(WithOut({gold}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    ASSERT_EQ(m_out.List(), goldSet) << "the earlier set lists Gold";

    const std::string config = m_docs.File("config"), said = m_docs.File("said.txt");
    ASSERT_EQ(mkdir(config.c_str(), 0777), 0);
    std::vector<std::string> words = {TINTSCOPE_PROGRAM, gold, "--out", m_out.Path()};
    const std::vector<char*> argv = TS_CArgs(words);
    std::vector<std::string> env = TS_EnvironmentWith({"TMPDIR=" + m_tmp.Path(), "XDG_CONFIG_HOME=" + config});
    const std::vector<char*> envp = TS_CArgs(env);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    g_startOther = [&] {
        pid_t pid = 0;
        return posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0 ? pid : 0;
    };
    g_other = -1;
    g_otherStatus = -1;
    g_otherWaited = false;
    VIEW_ProgramOutput::SetRenameHook(HoldForTheOtherRun);
    run = Run(WithOut({four}));
    VIEW_ProgramOutput::SetRenameHook(nullptr);
    g_startOther = nullptr;
    posix_spawn_file_actions_destroy(&actions);
    ASSERT_GT(g_other, 0);
    if (g_otherStatus == -1) {
        ASSERT_EQ(waitpid(g_other, &g_otherStatus, 0), g_other);
    }
    EXPECT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_TRUE(WIFEXITED(g_otherStatus) && WEXITSTATUS(g_otherStatus) == 0) << ReadWholeFile(said);
    EXPECT_EQ(ReadWholeFile(said), "");
    EXPECT_TRUE(g_otherWaited) << "the other run waited for the folder";
    EXPECT_EQ(m_out.List(), goldSet);
    std::istringstream listing(ReadWholeFile(m_out.File("inks.txt")));
    for (std::string line; std::getline(listing, line);) {
        const std::string plate = line.substr(line.rfind('\t') + 1);
        if (plate.rfind("plate-", 0) == 0) {
            EXPECT_TRUE(Exists(m_out.File(plate))) << plate;
        }
    }
}

const std::vector<std::string> FourInkSet = {"inks.txt",          "plate-0-Cyan.png", "plate-1-Magenta.png",
                                             "plate-2-Yellow.png", "plate-3-Black.png", "preview.png"};

// The other run, run once this one found the folder missing, before it makes it.
std::function<void()> g_makeOther;

// Two runs make one folder: the one that finds it made meanwhile uses it.
TEST_F(TS_ProgramTest, TwoRunsMakingOneFolderBothWriteTheirSetIntoIt) {
    const std::string gold = WritePage("gold.pdf", 100, 100, "/CS0 cs 1 scn 10 10 30 30 re f",
                                       "/CS0 [/Separation /Gold /DeviceGray << /FunctionType 2 /Domain [0 1] /N 1 >>]");
    const std::string four = WritePage("four.pdf", 100, 100, "0 0 0 1 k 0 0 10 10 re f");
    ASSERT_EQ(symlink("named", m_out.File("linked").c_str()), 0);
    // The folder the runs are told, and the one they make.
    const struct { const char* what; std::string out, made; } rows[] = {
        {"a folder", m_out.File("new"), m_out.File("new")},
        {"a link to a folder not there yet", m_out.File("linked"), m_out.File("named")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TS_Run other;
        g_makeOther = [&] { other = RunBinary({gold, "--out", row.out}); };
        VIEW_ProgramOutput::SetMakeHook([](const std::string&) {
            VIEW_ProgramOutput::SetMakeHook(nullptr);
            g_makeOther();
        });
        const TS_Run run = Run({four, "--out", row.out});
        VIEW_ProgramOutput::SetMakeHook(nullptr);
        EXPECT_EQ(other.m_code, 0) << "the other run went first: " << other.m_err;
        EXPECT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_EQ(ListDir(row.made), FourInkSet) << "the later set took the earlier one's place";
    }
}

// A run in a child process, killed with SIGKILL once it has staged a file
// in out (with hold, once it holds the folder too); that file's path.
std::string KilledRun(const std::string& out, bool hold) {
    int said[2];
    if (pipe(said) != 0)
        return std::string();
    const pid_t child = fork();
    if (child == 0) {
        VIEW_ProgramOutput output;
        std::string reason;
        const bool ready = output.Prepare(out, &reason) && (!hold || output.Hold(&reason));
        const std::string file = ready && output.Staged("inks.txt") >= 0 ? output.StagingPath() + "/inks.txt"
                                                                          : std::string();
        WriteWholeFile(file, "being written");
        if (write(said[1], file.data(), file.size()) >= 0 && close(said[1]) == 0)
            pause();
        _exit(2);
    }
    close(said[1]);
    char path[4096];
    const ssize_t n = child > 0 ? read(said[0], path, sizeof path) : 0;
    close(said[0]);
    if (child > 0 && kill(child, SIGKILL) == 0)
        waitpid(child, nullptr, 0);
    return std::string(path, n > 0 ? size_t(n) : 0);
}

// A run killed with SIGKILL cannot remove its staging folder: the next run
// that holds the folder does, and leaves a live run's alone.
TEST_F(TS_ProgramTest, StagingFoldersThatKilledRunsLeftGoAndALiveRunsStays) {
    const std::string four = WritePage("four.pdf", 100, 100, "0 0 0 1 k 0 0 10 10 re f");
    VIEW_ProgramOutput live;
    std::string reason;
    ASSERT_TRUE(live.Prepare(m_out.Path(), &reason)) << reason;
    // The holder first: holding, it removes what killed runs left before it.
    const struct { const char* what; std::string staged; bool kept; } rows[] = {
        {"killed while it held the folder", KilledRun(m_out.Path(), true), false},
        {"killed while it wrote its files", KilledRun(m_out.Path(), false), false},
        {"alive, writing its files", live.Staged("inks.txt") >= 0 ? live.StagingPath() + "/inks.txt" : "", true},
    };
    WriteWholeFile(rows[2].staged, "being written");
    for (const auto& row : rows)
        ASSERT_TRUE(Exists(row.staged)) << row.what;
    const TS_Run run = RunBinary(WithOut({four}));
    EXPECT_EQ(run.m_code, 0) << run.m_err;
    for (const auto& row : rows)
        EXPECT_EQ(Exists(row.staged), row.kept) << row.what;
    live.Abandon();
    EXPECT_EQ(m_out.List(), FourInkSet);
}

// Between a staging folder's check and its removal, its name is swapped
// for a link to another folder or for that folder itself: the other
// folder keeps every file, and the staging folder's own go through the
// descriptor held, whether it is a killed run's or the run's own.
struct Swap {
    std::string other;
    bool link;
};
Swap g_swap;

void SwapStagingName(const std::string& path) {
    VIEW_ProgramStaging::SetRemoveHook(nullptr);
    EXPECT_EQ(std::rename(path.c_str(), (path + "-away").c_str()), 0);
    const int swapped =
        g_swap.link ? symlink(g_swap.other.c_str(), path.c_str()) : std::rename(g_swap.other.c_str(), path.c_str());
    EXPECT_EQ(swapped, 0);
    if (!g_swap.link)
        g_swap.other = path;
}

TEST_F(TS_ProgramTest, AStagingFolderSwappedBeforeItsRemovalTakesNothingElseAlong) {
    const struct { const char* what; bool own; bool link; } rows[] = {
        {"a killed run's, for a link", false, true},
        {"a killed run's, for a folder", false, false},
        {"the run's own, for a link", true, true},
        {"the run's own, for a folder", true, false},
    };
    const std::vector<std::string> files = {"a.png", "b.png", "inks.txt"};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ScratchDir out, other;
        for (const std::string& name : files)
            WriteWholeFile(other.File(name), name);
        VIEW_ProgramStaging own;
        const int folder = VIEW_OpenFolderBase(out.Path());
        ASSERT_TRUE(!row.own || own.Make(folder, out.Path()));
        const std::string staging =
            row.own ? own.Path() : out.File(std::string(VIEW_ProgramStaging::Prefix) + "Killed");
        ASSERT_TRUE(row.own || mkdir(staging.c_str(), 0700) == 0);
        WriteWholeFile(staging + "/inks.txt", "being written");
        g_swap = {other.Path(), row.link};
        VIEW_ProgramStaging::SetRemoveHook(SwapStagingName);
        if (row.own)
            own.Remove();
        else
            VIEW_ProgramStaging::RemoveAbandoned(folder, out.Path());
        VIEW_ProgramStaging::SetRemoveHook(nullptr);
        close(folder);
        EXPECT_EQ(ListFolder(g_swap.other), files);
        EXPECT_EQ(ListFolder(staging + "-away"), std::vector<std::string>());
    }
}

// A wait that the holder ends as it lets go, and so removes the file
// waited on: the waiter takes the folder's new file and keeps no
// descriptor of the removed one.
TEST_F(TS_ProgramTest, AWaitEndedByTheHoldersLettingGoKeepsNoDescriptorOfTheRemovedFile) {
    VIEW_ProgramFolderLock holder, waiter;
    std::string reason;
    const int folder = VIEW_OpenFolderBase(m_out.Path());
    ASSERT_TRUE(holder.Take(folder, m_out.Path(), &reason)) << reason;
    const size_t before = ListDir("/proc/self/fd").size();
    std::thread waiting([&] { EXPECT_TRUE(waiter.Take(folder, m_out.Path(), &reason)) << reason; });
    // Let go once the other thread waits (a minute at most).
    for (int i = 0; i < 60000 && !WaitsForALock(getpid()); ++i)
        usleep(1000);
    EXPECT_TRUE(WaitsForALock(getpid()));
    holder.Release();
    waiting.join();
    EXPECT_EQ(ListDir("/proc/self/fd").size(), before) << "the waiter's one in place of the holder's";
    close(folder);
}

// A second signal while the lock is held, its folder's name swapped
// meanwhile for a link to another folder with a lock file of its own: the
// run's file goes, the other one stays.
TEST_F(TS_ProgramTest, ASecondSignalRemovesTheLockFileOfTheFolderHeldNotOfItsNamesNewTarget) {
    const std::string out = m_out.File("out"), aside = out + ".aside", other = m_out.File("other");
    const std::string file = std::string("/") + VIEW_ProgramFolderLock::FileName;
    ASSERT_TRUE(mkdir(out.c_str(), 0700) == 0 && mkdir(other.c_str(), 0700) == 0);
    WriteWholeFile(other + file, "the other folder's");
    const pid_t child = fork();
    if (child == 0) {
        const VIEW_ProgramSignals signals;
        VIEW_ProgramFolderLock lock;
        std::string reason;
        const int folder = VIEW_OpenFolderBase(out);
        if (!lock.Take(folder, out, &reason) || std::rename(out.c_str(), aside.c_str()) != 0 ||
            symlink(other.c_str(), out.c_str()) != 0)
            _exit(2);
        std::raise(SIGINT);
        std::raise(SIGTERM);
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGINT) << status;
    EXPECT_EQ(ListDir(aside), std::vector<std::string>());
    EXPECT_EQ(ReadWholeFile(other + file), "the other folder's");
}

TEST_F(TS_ProgramTest, ALongInkNameGivesAShortenedPlateNameAndStaysWholeInInksTxt) {
    // 4 letters and 90 blanks: 274 bytes of file name text once escaped.
    std::string pdfName = "Long", inkName = "Long";
    for (int i = 0; i < 90; ++i) {
        pdfName += "#20";
        inkName += ' ';
    }
    pdfName += "#09Tab";
    inkName += "\tTab";
    const std::string file =
        WritePage("long.pdf", 100, 100, "/CS0 cs 1 scn 10 10 50 50 re f",
                  "/CS0 [/Separation /" + pdfName +
                      " /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0 1 0] /N 1 >>]");
    const TS_Run run = Run(WithOut({file}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    const std::string plate = VIEW_PlateFileName(4, inkName);
    EXPECT_LE(plate.size(), 255u);
    EXPECT_TRUE(Exists(m_out.File(plate))) << plate;
    const std::string inks = ReadWholeFile(m_out.File("inks.txt"));
    EXPECT_NE(inks.find("4\t" + VIEW_EscapedText(inkName) + "\t0 0 1 0\tshown\t" + plate + "\n"), std::string::npos)
        << inks;
}

}  // namespace
