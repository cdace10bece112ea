// The file half of the Win32 stand-in: handles, dispositions, errors, the
// temporary folder, directory lookups and the C runtime's low-level files.
#include "win32/win32.h"

#include "support/TestSupport.h"
#include "win32/TmpDirScope.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

HANDLE Open(const std::string& path, DWORD access, DWORD disposition) {
    SetLastError(ERROR_SUCCESS);
    return CreateFileA(path.c_str(), access, 0, nullptr, disposition, 0, nullptr);
}

constexpr DWORD ReadWrite = GENERIC_READ | GENERIC_WRITE;

}  // namespace

TEST(win32_file, CreationDispositionsOnMissingAndExistingFiles) {
    struct Case {
        DWORD disposition;
        bool exists;           // a file "old" is there before the call
        bool opens;
        DWORD error;           // last error after the call
        std::string content;   // of the file afterwards
    };
    const Case cases[] = {
        {CREATE_NEW, false, true, ERROR_SUCCESS, ""},
        {CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
        {CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
        {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, ""},
        {OPEN_EXISTING, true, true, ERROR_SUCCESS, "old"},
        {OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
        {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, ""},
        {TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, ""},
    };
    ScratchDir dir;
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        const Case& c = cases[i];
        const std::string path = dir.File("f" + std::to_string(i));
        if (c.exists)
            WriteWholeFile(path, "old");
        const HANDLE h = Open(path, ReadWrite, c.disposition);
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens);
        if (h != INVALID_HANDLE_VALUE) {
            EXPECT_TRUE(CloseHandle(h));
        }
        EXPECT_EQ(Exists(path), c.opens || c.exists);
        EXPECT_EQ(ReadWholeFile(path), c.content);
    }
}

TEST(win32_file, OpenFailuresNameTheirCause) {
    ScratchDir dir;
    WriteWholeFile(dir.File("plain"), "x");
    struct Case {
        std::string path;
        DWORD access;
        DWORD disposition;
        DWORD error;
    };
    const Case cases[] = {
        {dir.File("missing"), GENERIC_READ, OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {dir.File("no-folder/missing"), GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
        {dir.File("no-folder/new"), ReadWrite, CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
        {dir.Path(), GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED},     // a folder is no file
        {dir.File("plain"), GENERIC_READ, TRUNCATE_EXISTING, ERROR_INVALID_PARAMETER},
        {dir.File("plain"), GENERIC_READ, 99, ERROR_INVALID_PARAMETER},
        {"", GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Open(cases[i].path, cases[i].access, cases[i].disposition), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), cases[i].error);
    }
    EXPECT_EQ(ReadWholeFile(dir.File("plain")), "x");
}

TEST(win32_file, ReadWriteSeekSizeAndTruncate) {
    ScratchDir dir;
    const HANDLE h = Open(dir.File("data"), ReadWrite, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h, "0123456789", 10, &n, nullptr));
    EXPECT_EQ(n, 10u);
    EXPECT_EQ(GetFileSize(h, nullptr), 10u);
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 10u);

    // Each row moves from where the previous one left the pointer.
    struct Move {
        LONG distance;
        DWORD method;
        DWORD expected;
    };
    const Move moves[] = {{3, FILE_BEGIN, 3}, {2, FILE_CURRENT, 5}, {-1, FILE_END, 9}, {20, FILE_BEGIN, 20}};
    for (size_t i = 0; i < sizeof moves / sizeof moves[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(SetFilePointer(h, moves[i].distance, nullptr, moves[i].method), moves[i].expected);
    }
    // Before the beginning fails and leaves the pointer where it was.
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(SetFilePointer(h, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 20u);

    // With a high word the low word is unsigned: 3 GiB is a position, not -1 GiB.
    LONG high = 0;
    EXPECT_EQ(SetFilePointer(h, static_cast<LONG>(0xC0000000u), &high, FILE_BEGIN), 0xC0000000u);
    EXPECT_EQ(high, 0);

    // SetEndOfFile extends or cuts at the pointer.
    SetFilePointer(h, 4, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(GetFileSize(h, nullptr), 4u);

    char buffer[16] = {};
    SetFilePointer(h, 1, nullptr, FILE_BEGIN);
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(std::string(buffer, n), "123");
    // At the end a read succeeds with nothing.
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(n, 0u);
    EXPECT_TRUE(CloseHandle(h));
}

TEST(win32_file, AccessIsEnforcedAndStaleHandlesAreInvalid) {
    ScratchDir dir;
    WriteWholeFile(dir.File("r"), "abc");
    const HANDLE ro = Open(dir.File("r"), GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(ro, INVALID_HANDLE_VALUE);
    DWORD n = 7;
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(WriteFile(ro, "x", 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(SetEndOfFile(ro));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(CloseHandle(ro));

    // Every call on a closed (or never opened) handle fails the same way.
    const HANDLE stale[] = {ro, INVALID_HANDLE_VALUE, nullptr};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        char c;
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(CloseHandle(stale[i]));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(ReadFile(stale[i], &c, 1, &n, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(GetFileSize(stale[i], nullptr), INVALID_FILE_SIZE);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
    EXPECT_EQ(ReadWholeFile(dir.File("r")), "abc");
}

TEST(win32_file, DeleteFileReportsWhatIsMissing) {
    ScratchDir dir;
    WriteWholeFile(dir.File("doomed"), "x");
    struct Case {
        std::string path;
        bool ok;
        DWORD error;
    };
    const Case cases[] = {
        {dir.File("doomed"), true, ERROR_SUCCESS},
        {dir.File("doomed"), false, ERROR_FILE_NOT_FOUND},
        {dir.File("none/doomed"), false, ERROR_PATH_NOT_FOUND},
        {dir.Path(), false, ERROR_ACCESS_DENIED},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(DeleteFileA(cases[i].path.c_str()) != FALSE, cases[i].ok);
        EXPECT_EQ(GetLastError(), cases[i].error);
    }
}

TEST(win32_file, BackslashesSeparateComponents) {
    ScratchDir dir;
    std::string windowsStyle = dir.File("back");
    for (char& c : windowsStyle)
        if (c == '/')
            c = '\\';
    const HANDLE h = Open(windowsStyle, ReadWrite, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(Exists(dir.File("back")));
    EXPECT_TRUE(DeleteFileA(windowsStyle.c_str()));
}

TEST(win32_file, TempPathEndsInASlash) {
    const char* values[] = {"/some/where", "/some/where/", nullptr, ""};
    const char* expected[] = {"/some/where/", "/some/where/", "/tmp/", "/tmp/"};
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        if (values[i])
            setenv("TMPDIR", values[i], 1);
        else
            unsetenv("TMPDIR");
        char buffer[MAX_PATH];
        const DWORD n = GetTempPathA(sizeof buffer, buffer);
        EXPECT_STREQ(buffer, expected[i]);
        EXPECT_EQ(n, std::strlen(expected[i]));
        // Too small a buffer gets the size needed, terminator included.
        char small[4] = "abc";
        EXPECT_EQ(GetTempPathA(sizeof small, small), n + 1);
        EXPECT_STREQ(small, "abc");
    }
    if (old)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

TEST(win32_file, TempFileNamesMakeNewFilesExclusively) {
    ScratchDir dir;
    std::set<std::string> names;
    for (int i = 0; i < 50; ++i) {
        char name[MAX_PATH];
        const UINT unique = GetTempFileNameA(dir.Path().c_str(), "VDQXYZ", 0, name);
        ASSERT_NE(unique, 0u);
        const std::string path = name;
        // "<folder>/VDQ<hex>.TMP": three letters of the prefix.
        char expected[MAX_PATH];
        std::snprintf(expected, sizeof expected, "%s/VDQ%X.TMP", dir.Path().c_str(), unique);
        EXPECT_EQ(path, expected);
        struct stat st;
        ASSERT_EQ(lstat(name, &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_size, 0);
        names.insert(path);
    }
    EXPECT_EQ(names.size(), 50u);
    // A given number only formats the name.
    char name[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA(dir.Path().c_str(), "AB", 0x1F, name), 0x1Fu);
    EXPECT_EQ(std::string(name), dir.Path() + "/AB1F.TMP");
    EXPECT_FALSE(Exists(name));
    // A folder that is not there.
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetTempFileNameA(dir.File("none").c_str(), "VDQ", 0, name), 0u);
    EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
}

TEST(win32_file, FindFirstFileFindsEntriesAndNothingElse) {
    ScratchDir dir;
    WriteWholeFile(dir.File("report.pdf"), "12345");
    ASSERT_EQ(mkdir(dir.File("sub").c_str(), 0700), 0);
    struct Case {
        std::wstring pattern;  // under the scratch folder
        bool found;
        DWORD error;
        std::wstring name;
        DWORD attributes;
    };
    const Case cases[] = {
        {L"report.pdf", true, 0, L"report.pdf", FILE_ATTRIBUTE_ARCHIVE},
        {L"sub", true, 0, L"sub", FILE_ATTRIBUTE_DIRECTORY},
        {L"rep*.PDF", true, 0, L"report.pdf", FILE_ATTRIBUTE_ARCHIVE},
        {L"missing.pdf", false, ERROR_FILE_NOT_FOUND, L"", 0},
        {L"none\\report.pdf", false, ERROR_PATH_NOT_FOUND, L"", 0},
        {L"sub\\", false, ERROR_FILE_NOT_FOUND, L"", 0},
        {std::wstring(L"bad") + wchar_t(0xD800), false, ERROR_FILE_NOT_FOUND, L"", 0},  // no UTF-8 form
    };
    std::wstring folder(dir.Path().begin(), dir.Path().end());
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        WIN32_FIND_DATAW data;
        SetLastError(ERROR_SUCCESS);
        const HANDLE h = FindFirstFileW((folder + L"/" + cases[i].pattern).c_str(), &data);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, cases[i].found);
        if (h == INVALID_HANDLE_VALUE) {
            EXPECT_EQ(GetLastError(), cases[i].error);
            continue;
        }
        EXPECT_EQ(std::wstring(data.cFileName), cases[i].name);
        EXPECT_EQ(data.cAlternateFileName[0], L'\0');
        EXPECT_EQ(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE), cases[i].attributes);
        if (cases[i].attributes == FILE_ATTRIBUTE_ARCHIVE) {
            EXPECT_EQ(data.nFileSizeLow, 5u);
        }
        EXPECT_FALSE(CloseHandle(h));  // a search is closed by FindClose only
        EXPECT_TRUE(FindClose(h));
        EXPECT_FALSE(FindClose(h));
    }
}

TEST(win32_file, FormatMessageGivesSystemTexts) {
    struct Case {
        DWORD code;
        const char* text;
    };
    const Case cases[] = {
        {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
        {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists.\r\n"},
        {ERROR_HANDLE_EOF, "Reached the end of the file.\r\n"},
    };
    const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        char buffer[512];
        EXPECT_EQ(FormatMessageA(flags, nullptr, cases[i].code, language, buffer, sizeof buffer, nullptr),
                  std::strlen(cases[i].text));
        EXPECT_STREQ(buffer, cases[i].text);
    }
    char buffer[512];
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(FormatMessageA(flags, nullptr, 999, language, buffer, sizeof buffer, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);
    // An errno without a Win32 code still gets the C library's text.
    EXPECT_GT(FormatMessageA(flags, nullptr, Win32ErrorFromErrno(EXDEV), language, buffer, sizeof buffer, nullptr), 0u);
    EXPECT_EQ(std::string(buffer), std::string(std::strerror(EXDEV)) + "\r\n");
    char small[8];
    EXPECT_EQ(FormatMessageA(flags, nullptr, ERROR_FILE_NOT_FOUND, language, small, sizeof small, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(win32_file, NonAsciiNamesMadeWideAreFoundNarrow) {
    ScratchDir dir;
    const std::string narrowName = "\xC3\x84rger-\xE6\x97\xA5\xE6\x9C\xAC.pdf";  // Ärger-日本.pdf
    const std::wstring wide = std::wstring(dir.Path().begin(), dir.Path().end()) + L"/\u00C4rger-\u65E5\u672C.pdf";
    SetLastError(ERROR_SUCCESS);
    const HANDLE made = CreateFileW(wide.c_str(), ReadWrite, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    DWORD n;
    ASSERT_TRUE(WriteFile(made, "payload", 7, &n, nullptr));
    CloseHandle(made);
    EXPECT_EQ(dir.List(), std::vector<std::string>{narrowName});
    const HANDLE found = Open(dir.File(narrowName), GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(found, INVALID_HANDLE_VALUE);
    char buffer[16];
    ASSERT_TRUE(ReadFile(found, buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(std::string(buffer, n), "payload");
    CloseHandle(found);
}

TEST(win32_file, LowLevelFilesMapMicrosoftFlags) {
    ScratchDir dir;
    const std::string path = dir.File("low");
    struct Case {
        int flags;
        bool before;        // the file exists with "old" before the call
        bool opens;
        int err;
        std::string after;  // content once "new" was written (when it opened for writing)
    };
    const Case cases[] = {
        {_O_BINARY | _O_WRONLY | _O_CREAT | _O_TRUNC, true, true, 0, "new"},
        {_O_BINARY | _O_WRONLY | _O_CREAT | _O_EXCL, true, false, EEXIST, "old"},
        {_O_BINARY | _O_WRONLY | _O_CREAT | _O_EXCL, false, true, 0, "new"},
        {_O_BINARY | _O_RDONLY, false, false, ENOENT, ""},
        {_O_BINARY | _O_WRONLY | _O_APPEND, true, true, 0, "oldnew"},
        {_O_BINARY | _O_WRONLY | _O_RDWR, true, false, EINVAL, "old"},
        {_O_BINARY | 0x40, true, false, EINVAL, "old"},  // _O_TEMPORARY: not on this platform
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        unlink(path.c_str());
        if (cases[i].before)
            WriteWholeFile(path, "old");
        errno = 0;
        const int fd = _open(path.c_str(), cases[i].flags, _S_IREAD | _S_IWRITE);
        EXPECT_EQ(fd >= 0, cases[i].opens);
        if (fd < 0) {
            EXPECT_EQ(errno, cases[i].err);
        } else {
            EXPECT_EQ(_write(fd, "new", 3), 3);
            EXPECT_EQ(_close(fd), 0);
        }
        EXPECT_EQ(ReadWholeFile(path), cases[i].after);
    }
    // New files are the owner's alone.
    unlink(path.c_str());
    const int fd = _open(path.c_str(), _O_BINARY | _O_WRONLY | _O_CREAT | _O_EXCL, _S_IREAD | _S_IWRITE);
    ASSERT_GE(fd, 0);
    _close(fd);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Reading a folder fails as the real runtime does.
    errno = 0;
    EXPECT_LT(_open(dir.Path().c_str(), _O_BINARY | _O_RDONLY), 0);
    EXPECT_EQ(errno, EACCES);
}

TEST(win32_file, ExclusiveCreationNeverFollowsAPlantedLink) {
    ScratchDir dir;
    const std::string target = dir.File("victim");
    WriteWholeFile(target, "precious");
    const std::string link = dir.File("GLGC0.tmp");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    errno = 0;
    EXPECT_LT(_open(link.c_str(), _O_BINARY | _O_WRONLY | _O_CREAT | _O_EXCL, _S_IREAD | _S_IWRITE), 0);
    EXPECT_EQ(errno, EEXIST);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(Open(link, ReadWrite, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(ReadWholeFile(target), "precious");
}

TEST(win32_file, TempNamesAreFreeNamesInTheTempFolder) {
    TmpDirScope tmp;
    std::set<std::string> names;
    for (int i = 0; i < 20; ++i) {
        char* name = _tempnam(nullptr, "TEMP");
        ASSERT_NE(name, nullptr);
        const std::string s = name;
        std::free(name);
        EXPECT_EQ(s.compare(0, tmp.Path().size() + 5, tmp.Path() + "/TEMP"), 0);
        EXPECT_FALSE(Exists(s));
        names.insert(s);
    }
    EXPECT_EQ(names.size(), 20u);
    EXPECT_TRUE(tmp.Dir().List().empty());
}
