// The file half of the Win32 stand-in: handles, dispositions, errors, the
// temporary folder and exclusive creation.
#include "win32/win32.h"

#include "support/TestSupport.h"
#include "win32/TmpDirScope.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

HANDLE Open(const std::string& path, DWORD access, DWORD disposition) {
    SetLastError(ERROR_SUCCESS);
    return CreateFileA(path.c_str(), access, 0, nullptr, disposition, 0, nullptr);
}

constexpr DWORD ReadWrite = GENERIC_READ | GENERIC_WRITE;

}  // namespace

TEST(win32_file, CreationDispositionsAndOpenFailures) {
    ScratchDir dir;
    // "old" is written to the old files first; content is the file's afterwards, null for none.
    const struct { std::string path; DWORD disposition, error; const char* content; } cases[] = {
        {"new1", CREATE_NEW, ERROR_SUCCESS, ""},
        {"new2", CREATE_ALWAYS, ERROR_SUCCESS, ""},
        {"old2", CREATE_ALWAYS, ERROR_ALREADY_EXISTS, ""},
        {"new3", OPEN_EXISTING, ERROR_FILE_NOT_FOUND, nullptr},
        {"old3", OPEN_EXISTING, ERROR_SUCCESS, "old"},
        {"new3/x", CREATE_ALWAYS, ERROR_PATH_NOT_FOUND, nullptr},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const std::string path = dir.File(cases[i].path);
        if (cases[i].path.compare(0, 3, "old") == 0)
            WriteWholeFile(path, "old");
        const HANDLE h = Open(path, ReadWrite, cases[i].disposition);
        EXPECT_EQ(GetLastError(), cases[i].error);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, cases[i].error == ERROR_SUCCESS || cases[i].error == ERROR_ALREADY_EXISTS);
        EXPECT_TRUE(h == INVALID_HANDLE_VALUE || CloseHandle(h));
        EXPECT_EQ(access(path.c_str(), F_OK) == 0, cases[i].content != nullptr);
        EXPECT_EQ(ReadWholeFile(path), cases[i].content ? cases[i].content : "");
    }
    EXPECT_EQ(Open(dir.Path(), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);  // a folder is no file
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    // Nor is a FIFO planted under a name we look for, with a writer or without one (no blocking).
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int writer = open(fifo.c_str(), O_RDWR);
    ASSERT_LT(_open(fifo.c_str(), _O_BINARY | _O_RDONLY), 0);
    EXPECT_EQ(Open(fifo, GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    close(writer);
    EXPECT_LT(_open(fifo.c_str(), _O_BINARY | _O_RDONLY), 0);
    EXPECT_EQ(Open(fifo, GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(win32_file, WriteSeekAndTruncate) {
    ScratchDir dir;
    std::string backslashed = dir.File("data");
    for (char& c : backslashed)
        c = c == '/' ? '\\' : c;
    const HANDLE h = Open(backslashed, ReadWrite, CREATE_NEW);  // backslashes separate components
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h, "0123456789", 10, &n, nullptr));
    // Each row moves from where the previous one left the pointer: past the end is allowed, before the start not.
    const struct { LONG distance; DWORD method, expected; } moves[] = {
        {0, FILE_CURRENT, 10}, {2, FILE_CURRENT, 12}, {-1, FILE_END, 9}, {20, FILE_BEGIN, 20},
        {-1, FILE_BEGIN, INVALID_SET_FILE_POINTER}, {0, FILE_CURRENT, 20}};
    for (size_t i = 0; i < std::size(moves); ++i)
        EXPECT_EQ(SetFilePointer(h, moves[i].distance, nullptr, moves[i].method), moves[i].expected) << i;
    // With a high word the low word is unsigned: 3 GiB is a position, not -1 GiB.
    LONG high = 0;
    EXPECT_EQ(SetFilePointer(h, static_cast<LONG>(0xC0000000u), &high, FILE_BEGIN), 0xC0000000u);
    EXPECT_EQ(high, 0);
    SetFilePointer(h, 4, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(h));  // cuts at the pointer
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(ReadWholeFile(dir.File("data")), "0123");
    EXPECT_TRUE(DeleteFileA(backslashed.c_str()));
    EXPECT_TRUE(dir.List().empty());
}

TEST(win32_file, TempPathEndsInASlash) {
    const TmpDirScope tmp;
    char path[MAX_PATH], small[4] = "abc";
    EXPECT_EQ(GetTempPathA(sizeof small, small), tmp.Path().size() + 2);  // too small: the size needed, "/" included
    EXPECT_STREQ(small, "abc");
    unsetenv("TMPDIR");
    EXPECT_EQ(GetTempPathA(sizeof path, path), 5u);
    EXPECT_STREQ(path, "/tmp/");
}

TEST(win32_file, ExclusiveCreationNeverOpensAnExistingFileOrAPlantedLink) {
    ScratchDir dir;
    WriteWholeFile(dir.File("victim"), "precious");
    ASSERT_EQ(symlink(dir.File("victim").c_str(), dir.File("link").c_str()), 0);
    for (const char* name : {"victim", "link"}) {
        SCOPED_TRACE(name);
        errno = 0;
        EXPECT_LT(_open(dir.File(name).c_str(), _O_BINARY | _O_WRONLY | _O_CREAT | _O_EXCL, _S_IREAD | _S_IWRITE), 0);
        EXPECT_EQ(errno, EEXIST);
        EXPECT_EQ(Open(dir.File(name), ReadWrite, CREATE_NEW), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    }
    EXPECT_EQ(ReadWholeFile(dir.File("victim")), "precious");
    const int fd = _open(dir.File("new").c_str(), _O_BINARY | _O_WRONLY | _O_CREAT | _O_EXCL, _S_IREAD | _S_IWRITE);
    EXPECT_EQ(_close(fd), 0);
    struct stat st;
    ASSERT_EQ(stat(dir.File("new").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);  // the owner's alone
}

TEST(win32_file, MoveReplacesAFileInOneStepButNeverAFolder) {
    ScratchDir dir;
    const std::string from = dir.File("new");
    const std::string to = dir.File("old");
    WriteWholeFile(to, "old");
    const struct {
        const char* what;
        DWORD flags;
        std::string target;
        DWORD error;
    } refusals[] = {
        {"an existing name without replace", 0, to, ERROR_ALREADY_EXISTS},
        {"a folder", MOVEFILE_REPLACE_EXISTING, dir.File("folder"), ERROR_ACCESS_DENIED},
        {"an unknown flag", MOVEFILE_REPLACE_EXISTING | 0x2, to, ERROR_INVALID_PARAMETER},
    };
    ASSERT_EQ(mkdir(dir.File("folder").c_str(), 0777), 0);
    WriteWholeFile(from, "new");
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.what);
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(MoveFileExA(from.c_str(), r.target.c_str(), r.flags));
        EXPECT_EQ(GetLastError(), r.error);
        EXPECT_EQ(ReadWholeFile(from), "new");
    }
    EXPECT_EQ(ReadWholeFile(to), "old");
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"folder", "new", "old"}));

    EXPECT_TRUE(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(ReadWholeFile(to), "new");
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"folder", "old"}));
    EXPECT_FALSE(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) << "the source is gone";
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(MoveFileExA(to.c_str(), dir.File("third").c_str(), 0)) << "to a free name";
    EXPECT_EQ(ReadWholeFile(dir.File("third")), "new");
}

TEST(win32_file, AttributesTellAFolderAndFlushNeedsAWritableHandle) {
    ScratchDir dir;
    const std::string file = dir.File("file");
    WriteWholeFile(file, "x");
    EXPECT_EQ(GetFileAttributesA(dir.Path().c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA(file.c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesA(dir.File("none").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA(dir.File("none/deeper").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    const HANDLE reading = Open(file, GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(reading, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FlushFileBuffers(reading));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(CloseHandle(reading));
    const HANDLE writing = Open(file, GENERIC_WRITE, OPEN_EXISTING);
    ASSERT_NE(writing, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FlushFileBuffers(writing));
    EXPECT_TRUE(CloseHandle(writing));
    EXPECT_FALSE(FlushFileBuffers(writing));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(win32_file, LinksAreDescribedThemselvesAndFollowedToTheFileTheyName) {
    ScratchDir dir;
    ASSERT_EQ(mkdir(dir.File("store").c_str(), 0777), 0);
    ASSERT_EQ(mkdir(dir.File("home").c_str(), 0777), 0);
    const std::string target = dir.File("store/prefs");
    const std::string link = dir.File("home/prefs");
    // Relative, so read from the link's own folder.
    ASSERT_EQ(symlink("../store/prefs", link.c_str()), 0);
    EXPECT_EQ(GetFileAttributesA(link.c_str()), FILE_ATTRIBUTE_REPARSE_POINT) << "a link to nothing is there";
    EXPECT_EQ(Open(link, GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    const HANDLE made = Open(link, GENERIC_WRITE, OPEN_ALWAYS);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS) << "made, not found";
    struct stat st;
    ASSERT_EQ(lstat(target.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays";

    // The final name, in buffers around its length: one short of room for
    // the end asks for that room and writes nothing.
    char* real = realpath(target.c_str(), nullptr);
    ASSERT_NE(real, nullptr);
    const std::string expected = real;
    std::free(real);
    const DWORD length = static_cast<DWORD>(expected.size());
    for (const DWORD size : {DWORD{0}, length - 1, length, length + 1, length + 8}) {
        SCOPED_TRACE(size);
        std::string buffer(length + 8, '#');
        const DWORD answer = GetFinalPathNameByHandleA(made, &buffer[0], size, 0);
        if (size <= length) {
            EXPECT_EQ(answer, length + 1);
            EXPECT_EQ(buffer, std::string(length + 8, '#'));
        } else {
            EXPECT_EQ(answer, length);
            EXPECT_EQ(buffer, expected + '\0' + std::string(7, '#'));
        }
    }
    EXPECT_TRUE(CloseHandle(made));

    const HANDLE again = Open(link, GENERIC_WRITE, OPEN_ALWAYS);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(CloseHandle(again));
    EXPECT_EQ(GetFileAttributesA(link.c_str()), FILE_ATTRIBUTE_REPARSE_POINT);
    ASSERT_EQ(symlink("../store", dir.File("home/folder").c_str()), 0);
    EXPECT_EQ(GetFileAttributesA(dir.File("home/folder").c_str()),
              FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY);
}

// A file keeps its index whatever handle reads it; the one renamed over it
// has another, and the removed one counts no link.
TEST(win32_file, InformationTellsOneFileFromAnotherWhateverItsPathSays) {
    ScratchDir dir;
    const std::string old = dir.File("prefs"), replacement = dir.File("new");
    WriteWholeFile(old, "old");
    WriteWholeFile(replacement, "newer");
    const HANDLE first = Open(old, GENERIC_READ, OPEN_EXISTING), again = Open(old, GENERIC_READ, OPEN_EXISTING);
    ASSERT_TRUE(MoveFileExA(replacement.c_str(), old.c_str(), MOVEFILE_REPLACE_EXISTING));
    const HANDLE now = Open(old, GENERIC_READ, OPEN_EXISTING);
    BY_HANDLE_FILE_INFORMATION a{}, b{}, c{};
    ASSERT_TRUE(GetFileInformationByHandle(first, &a) && GetFileInformationByHandle(again, &b) &&
                GetFileInformationByHandle(now, &c));
    EXPECT_EQ(std::tie(a.dwVolumeSerialNumber, a.nFileIndexHigh, a.nFileIndexLow),
              std::tie(b.dwVolumeSerialNumber, b.nFileIndexHigh, b.nFileIndexLow));
    EXPECT_NE(std::tie(a.nFileIndexHigh, a.nFileIndexLow), std::tie(c.nFileIndexHigh, c.nFileIndexLow));
    EXPECT_EQ(std::make_tuple(a.nNumberOfLinks, a.nFileSizeLow, c.nNumberOfLinks, c.nFileSizeLow),
              std::make_tuple(0u, 3u, 1u, 5u));
    EXPECT_TRUE(CloseHandle(first) && CloseHandle(again) && CloseHandle(now));
    EXPECT_FALSE(GetFileInformationByHandle(first, &a));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}
