// The temporary-file guard: names reserved in the temporary folder, deleted
// by their owner, kept when released.
#include "GLIB/GLIB_AutoFile.h"

#include "support/TestSupport.h"
#include "win32/TmpDirScope.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>
#include <utility>

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

}  // namespace

TEST(GLIB_AutoFile, TempNamesAreReservedDistinctFilesInTheTempFolder) {
    TmpDirScope tmp;
    std::set<std::string> names;
    for (int i = 0; i < 20; ++i) {
        const std::string name = GLIB_AutoFile::MakeTempName();
        SCOPED_TRACE(name);
        ASSERT_EQ(name.compare(0, tmp.Path().size() + 5, tmp.Path() + "/TEMP"), 0);
        struct stat st;
        ASSERT_EQ(lstat(name.c_str(), &st), 0);  // reserved: nobody can plant it now
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_size, 0);
        EXPECT_EQ(st.st_mode & 077, 0u);  // private to the owner
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 20u);
    EXPECT_EQ(tmp.Dir().List().size(), 20u);
}

TEST(GLIB_AutoFile, DeletesWhatItOwnsOnEveryPath) {
    TmpDirScope tmp;
    enum Step { Destroy, Clear, Release, Reset, MoveAway };
    struct Case {
        Step step;
        bool firstKept;
    };
    const Case cases[] = {{Destroy, false}, {Clear, false}, {Release, true}, {Reset, false}, {MoveAway, false}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        std::string first, second;
        {
            GLIB_AutoFile file;
            first = file.Path();
            ASSERT_TRUE(Exists(first));
            switch (cases[i].step) {
            case Destroy:
                break;
            case Clear:
                file.Clear();
                EXPECT_TRUE(file.Path().empty());
                EXPECT_FALSE(Exists(first));
                break;
            case Release:
                EXPECT_EQ(file.Release(), first);
                break;
            case Reset:
                second = tmp.Dir().File("other");
                WriteWholeFile(second, "x");
                file.Reset(second);
                EXPECT_FALSE(Exists(first));
                break;
            case MoveAway: {
                GLIB_AutoFile taker(std::move(file));
                EXPECT_TRUE(file.Path().empty());
                EXPECT_TRUE(Exists(first));  // the moved-from guard deleted nothing
                break;
            }
            }
        }
        EXPECT_EQ(Exists(first), cases[i].firstKept);
        if (!second.empty()) {
            EXPECT_FALSE(Exists(second));
        }
        if (cases[i].firstKept)
            std::remove(first.c_str());
    }
    EXPECT_TRUE(tmp.Dir().List().empty());
}

TEST(GLIB_AutoFile, FailedDeleteIsAWarningNamingPathAndErrno) {
    TmpDirScope tmp;
    LogCapture log;
    const std::string missing = tmp.Dir().File("never-made");
    {
        GLIB_AutoFile file(missing.c_str());
    }
    EXPECT_TRUE(log.Contains(GLIB_LogWarning, "Failed to delete file '" + missing + "': 2"));
    // A released guard deletes nothing and so warns of nothing.
    const size_t before = log.Entries().size();
    {
        GLIB_AutoFile file(missing.c_str());
        file.Release();
    }
    EXPECT_EQ(log.Entries().size(), before);
}
