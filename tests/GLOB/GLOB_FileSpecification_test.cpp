#include "GLOB/GLOB_FileSpecification.h"

#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_String.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

TEST(GLOB_FileSpecification, TokensAndPathComponents) {
    struct Case {
        const char* text;
        // "|" after each token; a last empty token follows the last one.
        const char* tokens;
    };
    const Case cases[] = {
        {"a/b", "a|b||"},
        {"a/", "a||"},
        {"/a", "|a||"},
        {"", "|"},
        {"a\\/b/c", "a/b|c||"},
        {"a\\/", "a/||"},
        {"a\\", "a/||"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string text(c.text);
        std::string tokens;
        size_t pos = 0;
        while (pos != std::string::npos)
            tokens += GLOB_FileSpecification::NextPathComponent(text, &pos) + "|";
        EXPECT_EQ(tokens, c.tokens);
    }
    size_t pos = 0;
    EXPECT_EQ(GLOB_FileSpecification::NextToken("a::b", "::", &pos), "a");
    EXPECT_EQ(pos, 3u);
    EXPECT_EQ(GLOB_FileSpecification::NextToken("a::b", "::", &pos), "b");
    EXPECT_EQ(pos, 4u);
    EXPECT_EQ(GLOB_FileSpecification::NextToken("a::b", "::", &pos), "");
    EXPECT_EQ(pos, std::string::npos);
    EXPECT_THROW(GLOB_FileSpecification::NextToken("a", "/", &pos), TestAssertionFailure);
    pos = 0;
    EXPECT_THROW(GLOB_FileSpecification::NextToken("a", "", &pos), TestAssertionFailure);
}

TEST(GLOB_FileSpecification, PdfPathsAndPosixPaths) {
    struct Case {
        const char* pdf;
        const char* os;
    };
    const Case toOs[] = {
        {"/c/dir/file.pdf", "/c/dir/file.pdf"},
        {"/server/share/f", "/server/share/f"},
        {"//dir/f", "/dir/f"},
        {"dir/f", "dir/f"},
        {"a//b", "a/b"},
        {"a/b/", "a/b"},
        {"", ""},
        {"/", "/"},
        {"/c", "/c"},
        {"a\\/b/c", "a/b/c"},
    };
    for (const Case& c : toOs) {
        SCOPED_TRACE(c.pdf);
        EXPECT_EQ(GLOB_FileSpecification::PdfPathToOsPath(c.pdf), c.os);
        EXPECT_EQ(GLOB_FileSpecification::OsPath(GLOB_String(c.pdf)), c.os);
    }
    const Case toPdf[] = {
        {"/usr/share/doc.pdf", "/usr/share/doc.pdf"},
        {"dir/f", "dir/f"},
        {"/", "/"},
        {"", ""},
        {"a/b", "a//b/"},
        {"/x", "//x"},
        {"c:\\dir\\f.pdf", "c:\\dir\\f.pdf"},
    };
    for (const Case& c : toPdf) {
        SCOPED_TRACE(c.os);
        EXPECT_EQ(GLOB_FileSpecification::OsPathToPdfPath(c.os), c.pdf);
        EXPECT_EQ(GLOB_FileSpecification::PdfPath(c.os), c.pdf);
    }
    // Round trips keep absolute and relative paths, dropping doubled and
    // trailing separators.
    for (const char* os : {"/tmp/a b/c.pdf", "rel/x", "/", "x"}) {
        SCOPED_TRACE(os);
        EXPECT_EQ(GLOB_FileSpecification::PdfPathToOsPath(GLOB_FileSpecification::OsPathToPdfPath(os)), os);
    }
    EXPECT_THROW(GLOB_FileSpecification::OsPathToPdfPath(nullptr), TestAssertionFailure);
}

TEST(GLOB_FileSpecification, FileSpecificationObjects) {
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    doc.Create("%PDF-1.3", 0);
    struct Case {
        const char* text;
        const char* path;
        const char* warning;
    };
    const Case cases[] = {
        {"(/home/data.bin)", "/home/data.bin", nullptr},
        {"<< /Type /Filespec /F (d/f.bin) >>", "d/f.bin", nullptr},
        {"<< /Type /Filespec /Unix (/u/f) /F (d/f.bin) /DOS (C:\\\\f) >>", "/u/f", nullptr},
        {"<< /Type /Filespec /Unix 3 /F (d//f.bin) >>", "d/f.bin", nullptr},
        {"<< /Type /Filespec /F /NotAString >>", "",
         "File specification dictionary defines neither a valid platform-dependent or platform-independent path"},
        {"<< /F (f) >>", "", "Dictionary is not a valid file specification dictionary"},
        {"12", "", "Unexpected file specification object type: Integer, must be string or dictionary"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        LogCapture capture;
        EXPECT_EQ(GLOB_FileSpecification::OsPath(doc.ParseObject(c.text)), c.path);
        if (c.warning) {
            EXPECT_TRUE(capture.Contains(4, c.warning));
        } else {
            EXPECT_TRUE(capture.Entries().empty());
        }
    }
}
