// The output folder: refused at the start when it cannot be used, written
// whole or not at all, and left as it was (or gone, when the run made it)
// by a run that fails; long ink names fit the file system.
#include "TS_ProgramFixture.h"

#include "support/PdfText.h"
#include "viewer/program/VIEW_ProgramFiles.h"
#include "viewer/program/VIEW_ProgramText.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
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

    // An inks.txt edited by hand: each row a name it lists, and whether the
    // next run removes the file.
    WriteWholeFile(m_out.File("x"), "outside the folder");
    ASSERT_EQ(mkdir((out + "/sub").c_str(), 0777), 0);
    WriteWholeFile(out + "/sub/plate-5-Y.png", "in a folder below");
    WriteWholeFile(out + "/plate-8.png", "not of the plates' form");
    const struct {
        std::string listed;
        std::string file;
        bool removed;
    } rows[] = {
        {"../x", m_out.File("x"), false},
        {"sub/plate-5-Y.png", out + "/sub/plate-5-Y.png", false},
        {"notes.txt", out + "/notes.txt", false},
        {"plate-8.png", out + "/plate-8.png", false},
        {"plate-7-Own.png", out + "/plate-7-Own.png", true},
        {"plate-3-Black.png", out + "/plate-3-Black.png", false},  // the new set's own
    };
    std::string listing = ReadWholeFile(out + "/inks.txt");
    for (size_t i = 0; i < std::size(rows); ++i)
        listing += std::to_string(10 + i) + "\tInk\t-\tshown\t" + rows[i].listed + "\n";
    WriteWholeFile(out + "/inks.txt", listing);
    run = RunBinary({four, "--out", out});
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.listed);
        EXPECT_EQ(Exists(row.file), !row.removed);
    }
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
