// File specifications, temporary files, and deleting.
#include "fileio/MACR_FileSpec.h"

#include "fileio/MACR_DataFork.h"
#include "fileio/MACR_IOException.h"
#include "support/TestSupport.h"
#include "win32/TmpDirScope.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <sys/stat.h>

TEST(MACR_FileSpec, PathsAreBoundedCopies) {
    MACR_FileSpec empty;
    EXPECT_EQ(empty.PathString(), "");
    const std::string longPath(400, 'p');
    MACR_FileSpec spec(longPath.c_str());
    EXPECT_EQ(spec.PathString(), longPath.substr(0, MACR_FileSpec::MaxPath - 1));
    MACR_FileSpec copy = spec;
    spec.SetPath("/other");
    EXPECT_EQ(copy.PathString().size(), MACR_FileSpec::MaxPath - 1);
}

TEST(MACR_FileSpec, TempFilesAreUniqueReservedAndOwnedByTheCaller) {
    TmpDirScope tmp;
    std::set<std::string> paths;
    for (int i = 0; i < 10; ++i) {
        MACR_FileSpec spec;
        spec.MakeTempFile();
        const std::string path = spec.PathString();
        SCOPED_TRACE(path);
        EXPECT_EQ(path.compare(0, tmp.Path().size() + 4, tmp.Path() + "/VDQ"), 0);
        EXPECT_EQ(path.substr(path.size() - 4), ".TMP");
        // The empty file is kept so that nobody can take the name meanwhile.
        struct stat st;
        ASSERT_EQ(lstat(path.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_size, 0);
        paths.insert(path);
    }
    EXPECT_EQ(paths.size(), 10u);

    // The caller creates over it, then removes it.
    MACR_DataFork fork;
    fork.SetFileSpec(paths.begin()->c_str());
    MACR_Permission rw;
    rw.SetWrite(true);
    fork.SetPermission(rw);
    fork.Create(MACR_FourCharCode("TEXT"), MACR_FourCharCode("CARO"));
    fork.WriteExact("abc", 3);
    fork.Close();
    EXPECT_EQ(ReadWholeFile(*paths.begin()), "abc");
    for (const std::string& p : paths)
        MACR_DeleteFile(MACR_FileSpec(p.c_str()));
    EXPECT_TRUE(tmp.Dir().List().empty());
}

TEST(MACR_FileSpec, MakeTempFileInAMissingFolderThrows) {
    TmpDirScope tmp;
    const std::string gone = tmp.Dir().File("gone");
    setenv("TMPDIR", gone.c_str(), 1);
    MACR_FileSpec spec;
    EXPECT_THROW(spec.MakeTempFile(), MACR_IOException);
}

TEST(MACR_FileSpec, DeleteFileThrowsTheClassOfTheFailure) {
    ScratchDir dir;
    WriteWholeFile(dir.File("x"), "1");
    EXPECT_NO_THROW(MACR_DeleteFile(MACR_FileSpec(dir.File("x").c_str())));
    EXPECT_THROW(MACR_DeleteFile(MACR_FileSpec(dir.File("x").c_str())), MACR_FileNotFound_IOException);
    EXPECT_THROW(MACR_DeleteFile(MACR_FileSpec(dir.File("no/x").c_str())), MACR_PathNotFound_IOException);
}

TEST(MACR_FourCharCode, PadsWithBlanks) {
    const char* inputs[] = {"TEXT", "AB", "", nullptr, "TOOLONG"};
    const char* expected[] = {"TEXT", "AB  ", "    ", "    ", "TOOL"};
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(MACR_FourCharCode(inputs[i]).Text(), expected[i]);
    }
}
