// The temporary-file guard: names reserved in the temporary folder, deleted
// by their owner, kept when released.
#include "GLIB/GLIB_AutoFile.h"

#include "support/TestSupport.h"
#include "win32/TmpDirScope.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

TEST(GLIB_AutoFile, TempNamesAreReservedPrivateFilesInTheTempFolder) {
    TmpDirScope tmp;
    for (int i = 0; i < 10; ++i) {
        const std::string name = GLIB_AutoFile::MakeTempName();
        SCOPED_TRACE(name);
        EXPECT_EQ(name.compare(0, tmp.Path().size() + 5, tmp.Path() + "/TEMP"), 0);
        struct stat st;
        ASSERT_EQ(lstat(name.c_str(), &st), 0);  // reserved: nobody can plant it now
        EXPECT_TRUE(S_ISREG(st.st_mode) && st.st_size == 0);
        EXPECT_EQ(st.st_mode & 077, 0u);
    }
    EXPECT_EQ(tmp.Dir().List().size(), 10u);  // all distinct
}

TEST(GLIB_AutoFile, DeletesWhatItOwnsOnEveryPathAndNothingTwice) {
    TmpDirScope tmp;
    LogCapture log;  // a second delete of the same file would warn
    const std::string other = tmp.Dir().File("other");
    // Whether the guard's file and another file are kept once the guard is gone.
    const struct { void (*step)(GLIB_AutoFile&, const std::string& other); bool firstKept, otherKept; } cases[] = {
        {[](GLIB_AutoFile&, const std::string&) {}, false, true},
        {[](GLIB_AutoFile& f, const std::string&) { f.Clear(); }, false, true},
        {[](GLIB_AutoFile& f, const std::string&) { f.Release(); }, true, true},
        {[](GLIB_AutoFile& f, const std::string& o) { f.Reset(o); }, false, false},
        {[](GLIB_AutoFile& f, const std::string&) { GLIB_AutoFile taker; taker = std::move(f); }, false, true},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        WriteWholeFile(other, "x");
        std::string first;
        {
            GLIB_AutoFile file;
            first = file.Path();
            cases[i].step(file, other);
        }
        EXPECT_EQ(access(first.c_str(), F_OK) == 0, cases[i].firstKept);
        std::remove(first.c_str());
        // Nothing else is left behind.
        EXPECT_EQ(tmp.Dir().List(), std::vector<std::string>(cases[i].otherKept, "other"));
    }
    EXPECT_TRUE(log.Entries().empty());
}

TEST(GLIB_AutoFile, FailedDeleteIsAWarningNamingPathAndErrno) {
    TmpDirScope tmp;
    LogCapture log;
    const std::string missing = tmp.Dir().File("never-made");
    { GLIB_AutoFile file(missing.c_str()); }
    EXPECT_TRUE(log.Contains(GLIB_LogWarning, "Failed to delete file '" + missing + "': 2"));
}
