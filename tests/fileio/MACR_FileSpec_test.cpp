// File specifications, temporary files, and deleting.
#include "fileio/MACR_FileSpec.h"

#include "fileio/MACR_IOException.h"
#include "support/TestSupport.h"
#include "win32/TmpDirScope.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

TEST(MACR_FileSpec, PathsAreBoundedCopies) {
    const std::string longPath(400, 'p');
    EXPECT_EQ(MACR_FileSpec(longPath.c_str()).PathString(), longPath.substr(0, MACR_FileSpec::MaxPath - 1));
}

TEST(MACR_FileSpec, TempFilesAreReservedAndDeletedByTheCaller) {
    TmpDirScope tmp;
    for (int i = 0; i < 10; ++i) {
        MACR_FileSpec fileSpec;
        fileSpec.MakeTempFile();
        const std::string path = fileSpec.PathString();
        SCOPED_TRACE(path);
        EXPECT_EQ(path.compare(0, tmp.Path().size() + 4, tmp.Path() + "/VDQ"), 0);
        EXPECT_EQ(path.substr(path.size() - 4), ".TMP");
        // The empty file is kept so that nobody can take the name meanwhile.
        struct stat st;
        ASSERT_EQ(lstat(path.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode) && st.st_size == 0);
    }
    const std::vector<std::string> names = tmp.Dir().List();
    EXPECT_EQ(names.size(), 10u);  // all distinct
    for (const std::string& name : names)
        MACR_DeleteFile(MACR_FileSpec(tmp.Dir().File(name).c_str()));
    EXPECT_TRUE(tmp.Dir().List().empty());
    EXPECT_THROW(MACR_DeleteFile(MACR_FileSpec(tmp.Dir().File(names[0]).c_str())), MACR_FileNotFound_IOException);
    EXPECT_THROW(MACR_DeleteFile(MACR_FileSpec(tmp.Dir().File("no/x").c_str())), MACR_PathNotFound_IOException);
    setenv("TMPDIR", tmp.Dir().File("gone").c_str(), 1);  // restored by tmp
    EXPECT_THROW(MACR_FileSpec().MakeTempFile(), MACR_IOException);
}

// A job keeps its files to the end: more than the 65,535 names of a 16-bit
// number must be there for the taking, each file the owner's alone.
TEST(MACR_FileSpec, TempNamesOutlastSixteenBitNumbers) {
    TmpDirScope tmp;
    const int count = 0x10000 + 16;
    for (int i = 0; i < count; ++i) {
        MACR_FileSpec fileSpec;
        ASSERT_NO_THROW(fileSpec.MakeTempFile()) << i << " files made";
        if (i == 0) {
            struct stat st;
            ASSERT_EQ(lstat(fileSpec.Path(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0600u);
        }
    }
    EXPECT_EQ(tmp.Dir().List().size(), static_cast<size_t>(count));
}
