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

// The code of what GLIB_MakeNarrowPathName throws (into *caught), 0 when it
// returns (into *result); size is the buffer size it is given.
uint32_t CodeOf(const std::wstring& path, std::string* result, GLIB_Exception* caught = nullptr, size_t size = 260) {
    char buffer[260];
    try {
        *result = GLIB_MakeNarrowPathName(buffer, path.c_str(), size);
        return 0;
    } catch (const GLIB_Exception& e) {
        if (caught)
            *caught = e;
        return e.Code();
    }
}

}  // namespace

TEST(GLIB_MakeNarrowPathName, RewritesPlainPathsAndRefusesThoseWithNoTrueForm) {
    ScratchDir dir;
    WriteWholeFile(dir.File("ab.pdf"), "x");
    const std::wstring folder = Wide(dir.Path());
    const struct { std::wstring path; uint32_t code; std::string expected; } cases[] = {
        {L"C:/Data/file.pdf", 0, "C:\\Data\\file.pdf"}, {L"C:file.pdf", 0, "C:file.pdf"}, {L"C:\\", 0, "C:\\"},
        {L"\\\\server\\share", 0, "\\\\server\\share\\"},
        {L"//server/share/dir/a.pdf", 0, "\\\\server\\share\\dir\\a.pdf"},
        {L"dir\\\\a.pdf", 0, "dir\\a.pdf"},  // a doubled separator counts once
        {L"dir\\sub\\", 0, "dir\\sub"},     // the trailing separator goes
        {L"", 0, ""},
        // No share named.
        {L"\\\\server", GLIB_IncompleteUNCCode, ""}, {L"\\\\server\\", GLIB_IncompleteUNCCode, ""},
        {L"\\\\\\share\\x", GLIB_IncompleteUNCCode, ""},
        {folder + L"/a?.pdf", GLIB_NarrowPathCode, ""},                          // a wildcard must not match ab.pdf
        {folder + L"/x" + wchar_t(0xD800) + L".pdf", GLIB_NarrowPathCode, ""},  // no form in the code page
        {L"C:\\" + std::wstring(300, L'a'), GLIB_NarrowPathCode, ""},          // too long to hold without cutting
        {folder + L"/" + std::wstring(100, L'\u65E5'), GLIB_NarrowPathCode, ""},  // too long to convert
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        std::string result;
        EXPECT_EQ(CodeOf(cases[i].path, &result), cases[i].code);
        EXPECT_EQ(result, cases[i].expected);
    }
}

TEST(GLIB_MakeNarrowPathName, NonAsciiComponentsAreLookedUp) {
    ScratchDir dir;
    const std::string name = "\xC3\x84rger-\xE6\x97\xA5\xE6\x9C\xAC.pdf";  // Ärger-日本.pdf
    WriteWholeFile(dir.File(name), "x");
    std::string root = dir.Path();
    for (char& c : root)
        c = c == '/' ? '\\' : c;

    // The entry exists and has no short name: its long name is kept.
    std::string result;
    EXPECT_EQ(CodeOf(Wide(dir.File(name)), &result), 0u);
    EXPECT_EQ(result, root + "\\" + name);

    // No entry: the path and the path searched.
    GLIB_Exception e(0, "", nullptr, 0);
    const std::string missing = "\xC3\xB6" "de.pdf";  // öde.pdf
    EXPECT_EQ(CodeOf(Wide(dir.File(missing)), &result, &e), GLIB_NarrowPathCode);
    EXPECT_STREQ(e.What(), "Can't obtain narrow pathname");
    EXPECT_EQ(e.Param(0), root + "\\" + missing);
    EXPECT_EQ(e.Param(1), root + "\\" + missing);

    // A result longer than the buffer.
    EXPECT_EQ(CodeOf(L"C:\\Data\\file.pdf", &result, &e, 8), GLIB_NarrowPathCode);
    EXPECT_EQ(e.Param(1), "C:\\Data\\file.pdf");
}
