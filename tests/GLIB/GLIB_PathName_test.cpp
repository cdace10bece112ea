// Narrow forms of wide Windows-style paths.
#include "GLIB/GLIB_PathName.h"

#include "GLIB/GLIB_CodePage.h"
#include "GLIB/GLIB_Exception.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Wide(const std::string& narrow) {
    std::wstring w;
    GLIB_ToWideString(w, narrow);
    return w;
}

std::string Backslashed(std::string path) {
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// The code of what GLIB_MakeNarrowPathName throws, 0 when it returns.
uint32_t CodeOf(const std::wstring& path, std::string* result, GLIB_Exception* caught = nullptr) {
    char buffer[260];
    try {
        *result = GLIB_MakeNarrowPathName(buffer, path.c_str(), sizeof buffer);
        return 0;
    } catch (const GLIB_Exception& e) {
        if (caught)
            *caught = e;
        return e.Code();
    }
}

}  // namespace

TEST(GLIB_MakeNarrowPathName, PlainPathsAreRewrittenAsStrings) {
    struct Case {
        std::wstring path;
        std::string expected;
    };
    const Case cases[] = {
        {L"C:/Data/file.pdf", "C:\\Data\\file.pdf"},
        {L"C:\\Data\\file.pdf", "C:\\Data\\file.pdf"},
        {L"C:file.pdf", "C:file.pdf"},
        {L"C:\\", "C:\\"},
        {L"\\\\server\\share", "\\\\server\\share\\"},
        {L"//server/share/dir/a.pdf", "\\\\server\\share\\dir\\a.pdf"},
        {L"dir\\\\a.pdf", "dir\\a.pdf"},  // a doubled separator counts once
        {L"dir\\sub\\", "dir\\sub"},     // the trailing separator goes
        {L"\\rooted\\a b.pdf", "\\rooted\\a b.pdf"},
        {L"", ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        std::string result;
        EXPECT_EQ(CodeOf(cases[i].path, &result), 0u);
        EXPECT_EQ(result, cases[i].expected);
    }
}

TEST(GLIB_MakeNarrowPathName, IncompleteUncPathsThrow) {
    const std::wstring cases[] = {L"\\\\server", L"//server", L"\\\\server\\", L"\\\\\\share\\x"};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        std::string result;
        GLIB_Exception e(0, "", nullptr, 0);
        EXPECT_EQ(CodeOf(cases[i], &result, &e), GLIB_IncompleteUNCCode);
        EXPECT_STREQ(e.What(), "Incomplete UNC PathName");
        EXPECT_FALSE(e.Param(0).empty());
    }
}

TEST(GLIB_MakeNarrowPathName, NonAsciiComponentsAreLookedUp) {
    ScratchDir dir;
    const std::string name = "\xC3\x84rger-\xE6\x97\xA5\xE6\x9C\xAC.pdf";  // Ärger-日本.pdf
    WriteWholeFile(dir.File(name), "x");
    const std::string root = Backslashed(dir.Path());

    // The entry exists and has no short name: its long name is kept.
    std::string result;
    EXPECT_EQ(CodeOf(Wide(dir.File(name)), &result), 0u);
    EXPECT_EQ(result, root + "\\" + name);

    // No entry: 1125006 with the path and the path searched.
    GLIB_Exception e(0, "", nullptr, 0);
    const std::string missing = "\xC3\xB6" "de.pdf";  // öde.pdf
    EXPECT_EQ(CodeOf(Wide(dir.File(missing)), &result, &e), GLIB_NarrowPathCode);
    EXPECT_STREQ(e.What(), "Can't obtain narrow pathname");
    EXPECT_EQ(e.Param(0), root + "\\" + missing);
    EXPECT_EQ(e.Param(1), root + "\\" + missing);
}

TEST(GLIB_MakeNarrowPathName, PathsWithNoTrueNarrowFormThrow) {
    ScratchDir dir;
    WriteWholeFile(dir.File("ab.pdf"), "x");
    const std::wstring folder = Wide(dir.Path());
    const std::wstring cases[] = {
        folder + L"/a?.pdf",                           // a wildcard must not match ab.pdf
        folder + L"/x" + wchar_t(0xD800) + L".pdf",    // a character with no form in the code page
        L"C:\\" + std::wstring(300, L'a'),             // too long to hold without cutting
        folder + L"/" + std::wstring(100, L'\u65E5'),  // a component too long to convert
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        std::string result;
        EXPECT_EQ(CodeOf(cases[i], &result), GLIB_NarrowPathCode);
    }
}

TEST(GLIB_MakeNarrowPathName, AResultLongerThanTheBufferThrows) {
    char small[8];
    try {
        GLIB_MakeNarrowPathName(small, L"C:\\Data\\file.pdf", sizeof small);
        FAIL() << "returned " << small;
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), GLIB_NarrowPathCode);
        EXPECT_EQ(e.Param(1), "C:\\Data\\file.pdf");
    }
}
