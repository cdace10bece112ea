#include "GLOB/GLOB_FileSpecification.h"

#include "GLOB/GLOB_String.h"
#include "GLOB_TestUtil.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using Spec = GLOB_FileSpecification;

TEST(GLOB_FileSpecification, PdfPathsAndPosixPaths) {
    const char* const toOs[][2] = {  // PDF path, POSIX path
        {"/c/dir/file.pdf", "/c/dir/file.pdf"}, {"/server/share/f", "/server/share/f"}, {"//dir/f", "/dir/f"},
        {"dir/f", "dir/f"}, {"a//b", "a/b"}, {"a/b/", "a/b"}, {"", ""}, {"/", "/"}, {"/c", "/c"},
        {"a\\/b/c", "a/b/c"},
    };
    for (const auto& c : toOs) {
        SCOPED_TRACE(c[0]);
        EXPECT_EQ(Spec::PdfPathToOsPath(c[0]), c[1]);
        EXPECT_EQ(Spec::OsPath(GLOB_String(c[0])), c[1]);
    }
    const char* const toPdf[][2] = {  // POSIX path, PDF path
        {"/usr/share/doc.pdf", "/usr/share/doc.pdf"}, {"dir/f", "dir/f"}, {"/", "/"}, {"", ""}, {"a//b/", "a/b"},
        {"//x", "/x"}, {"c:\\dir\\f.pdf", "c:\\dir\\f.pdf"},
    };
    for (const auto& c : toPdf) {
        SCOPED_TRACE(c[0]);
        EXPECT_EQ(Spec::OsPathToPdfPath(c[0]), c[1]);
        EXPECT_EQ(Spec::PdfPath(c[0]), c[1]);
    }
    // Round trips keep absolute and relative paths.
    for (const char* os : {"/tmp/a b/c.pdf", "rel/x", "/", "x"})
        EXPECT_EQ(Spec::PdfPathToOsPath(Spec::OsPathToPdfPath(os)), os);
    EXPECT_THROW(Spec::OsPathToPdfPath(nullptr), TestAssertionFailure);
    size_t pos = 0;  // a backslash that ends a component stands for a slash
    EXPECT_EQ(Spec::NextPathComponent("a\\", &pos), "a/");
}

TEST(GLOB_FileSpecification, FileSpecificationObjects) {
    const GLOB_Doc doc = NewMemoryDoc();
    const char* const cases[][3] = {
        {"(/home/data.bin)", "/home/data.bin", nullptr},
        {"<< /Type /Filespec /F (d/f.bin) >>", "d/f.bin", nullptr},
        {"<< /Type /Filespec /Unix (/u/f) /F (d/f.bin) /DOS (C:\\\\f) >>", "/u/f", nullptr},
        {"<< /Type /Filespec /Unix 3 /F (d//f.bin) >>", "d/f.bin", nullptr},
        {"<< /Type /Filespec /DOS (/tmp/VDQ1.TMP) /F 2 >>", "/tmp/VDQ1.TMP", nullptr},
        {"<< /Type /Filespec /DOS (/tmp/d) /F (f) >>", "f", nullptr},
        {"<< /Type /Filespec /F /NotAString >>", "",
         "File specification dictionary defines neither a valid platform-dependent or platform-independent path"},
        {"<< /F (f) >>", "", "Dictionary is not a valid file specification dictionary"},
        {"12", "", "Unexpected file specification object type: Integer, must be string or dictionary"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        const LogCapture capture;
        EXPECT_EQ(Spec::OsPath(doc.ParseObject(c[0])), c[1]);
        EXPECT_EQ(c[2] ? capture.Contains(4, c[2]) : capture.Entries().empty(), true);
    }
}
