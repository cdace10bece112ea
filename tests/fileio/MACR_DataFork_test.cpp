// Forks over files: create, open, close, position, seek, size, transfers.
#include "fileio/MACR_DataFork.h"

#include "fileio/MACR_IOException.h"
#include "support/TestSupport.h"
#include "win32/win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

MACR_Permission ReadWrite() {
    MACR_Permission p;
    p.SetWrite(true);
    return p;
}

// A fork over path, created (or opened) for reading and writing.
void Prepare(MACR_DataFork& fork, const std::string& path, bool create) {
    fork.SetFileSpec(path.c_str());
    fork.SetPermission(ReadWrite());
    if (create)
        fork.Create(MACR_FourCharCode("TEXT"), MACR_FourCharCode("CARO"));
    else
        fork.Open();
}

// A fork whose transfers stop short without an error, as a device may.
class ShortFork : public MACR_DataFork {
public:
    void Read(void* buffer, uint32_t n, uint32_t* count) override {
        MACR_DataFork::Read(buffer, n > 0 ? n - 1 : 0, count);
    }
    void Write(const void* buffer, uint32_t n, uint32_t* count) override {
        MACR_DataFork::Write(buffer, n > 0 ? n - 1 : 0, count);
    }
};

}  // namespace

TEST(MACR_DataFork, CreateReplacesAnExistingFile) {
    ScratchDir dir;
    WriteWholeFile(dir.File("f"), "old contents");
    MACR_DataFork fork;
    Prepare(fork, dir.File("f"), true);
    EXPECT_EQ(fork.Size(), 0u);
    fork.WriteExact("new", 3);
    fork.Close();
    EXPECT_EQ(ReadWholeFile(dir.File("f")), "new");
}

TEST(MACR_DataFork, OpenAndCreateFailuresThrowTheirClasses) {
    ScratchDir dir;
    MACR_DataFork fork;
    fork.SetFileSpec(dir.File("missing").c_str());
    EXPECT_THROW(fork.Open(), MACR_FileNotFound_IOException);
    EXPECT_EQ(fork.Handle(), INVALID_HANDLE_VALUE);
    fork.SetFileSpec(dir.File("none/new").c_str());
    fork.SetPermission(ReadWrite());
    EXPECT_THROW(fork.Create(MACR_FourCharCode(), MACR_FourCharCode()), MACR_PathNotFound_IOException);
    try {
        fork.SetFileSpec(dir.File("missing").c_str());
        fork.Open();
        ADD_FAILURE() << "no exception";
    } catch (const MACR_IOException& e) {
        // The message carries the code, the path and the system's text.
        EXPECT_EQ(std::string(e.What()), "IOError [error]: 2 [spec]: " + dir.File("missing") +
                                             " [msg]: The system cannot find the file specified.\r\n");
    }
}

TEST(MACR_DataFork, ClosingTwiceIsHarmlessAndForeignHandlesStayOpen) {
    ScratchDir dir;
    MACR_DataFork fork;
    Prepare(fork, dir.File("f"), true);
    fork.Close();
    EXPECT_EQ(fork.Handle(), INVALID_HANDLE_VALUE);
    EXPECT_NO_THROW(fork.Close());
    EXPECT_TRUE(fork.Flag());

    // An adopted handle is not the fork's to close.
    const HANDLE h = CreateFileA(dir.File("f").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    {
        MACR_DataFork adopter;
        adopter.SetHandle(h);
        EXPECT_FALSE(adopter.Flag());
        adopter.Close();
        EXPECT_EQ(adopter.Handle(), INVALID_HANDLE_VALUE);
        EXPECT_TRUE(adopter.Flag());
    }
    EXPECT_TRUE(CloseHandle(h));  // still open: the fork left it alone
}

TEST(MACR_DataFork, ASecondCreateDoesNotLeakTheFirstHandle) {
    ScratchDir dir;
    MACR_DataFork fork;
    Prepare(fork, dir.File("a"), true);
    const HANDLE first = fork.Handle();
    Prepare(fork, dir.File("b"), true);
    EXPECT_NE(fork.Handle(), first);
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(CloseHandle(first));  // already closed by the second Create
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(MACR_DataFork, SeekBeyondTheEndStopsThereAndThrows) {
    ScratchDir dir;
    MACR_DataFork fork;
    Prepare(fork, dir.File("f"), true);
    fork.WriteExact("0123456789", 10);
    struct Case {
        uint32_t target;
        bool throws;
        uint32_t position;
    };
    const Case cases[] = {{0, false, 0}, {4, false, 4}, {10, false, 10}, {11, true, 10}, {0xFFFFFFFFu, true, 10}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        if (cases[i].throws) {
            try {
                fork.Seek(cases[i].target);
                ADD_FAILURE() << "no exception";
            } catch (const MACR_EndOfFile_IOException& e) {
                EXPECT_EQ(e.Code(), 1121153u);
                EXPECT_EQ(std::string(e.What()),
                          "IOException: End of file reached in Seek method. [requested amount]: " +
                              std::to_string(cases[i].target) + " [actual amount]: 10[file spec]: " + dir.File("f"));
            }
        } else {
            EXPECT_NO_THROW(fork.Seek(cases[i].target));
        }
        EXPECT_EQ(fork.Position(), cases[i].position);
    }
    EXPECT_EQ(fork.Size(), 10u);  // seeking never grows the file
}

TEST(MACR_DataFork, ReadWriteSetSizeAndTruncate) {
    ScratchDir dir;
    MACR_DataFork fork;
    Prepare(fork, dir.File("f"), true);
    fork.WriteExact("abcdefgh", 8);
    fork.Seek(2);
    char buffer[8] = {};
    uint32_t count = 99;
    fork.Read(buffer, 8, &count);  // a short read at the end is no error
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(std::string(buffer, count), "cdefgh");
    fork.Read(buffer, 8, &count);
    EXPECT_EQ(count, 0u);

    fork.SetSize(3);
    EXPECT_EQ(fork.Size(), 3u);
    EXPECT_EQ(fork.Position(), 3u);
    fork.SetSize(5);  // grows with zeros
    EXPECT_EQ(fork.Size(), 5u);
    fork.Seek(1);
    fork.Truncate();
    EXPECT_EQ(fork.Size(), 1u);
    fork.Close();
    EXPECT_EQ(ReadWholeFile(dir.File("f")), "a");

    // The reopened file reads back exactly.
    Prepare(fork, dir.File("f"), false);
    fork.ReadExact(buffer, 1);
    EXPECT_EQ(buffer[0], 'a');
}

TEST(MACR_DataFork, ShortTransfersThrowTheirClasses) {
    ScratchDir dir;
    {
        MACR_DataFork plain;
        Prepare(plain, dir.File("f"), true);
        plain.WriteExact("abcd", 4);
        plain.Seek(1);
        char buffer[8];
        // Fewer bytes left than asked for.
        EXPECT_THROW(plain.ReadExact(buffer, 4), MACR_ReadError_IOException);
    }
    ShortFork fork;
    Prepare(fork, dir.File("g"), true);
    try {
        fork.WriteExact("xyz", 3);
        ADD_FAILURE() << "no exception";
    } catch (const MACR_WriteError_IOException& e) {
        const std::string what = e.What();
        EXPECT_EQ(what.find("IOException: incomplete transfer in Write method. [data address]: "), 0u);
        EXPECT_NE(what.find("[requested amount]: 3 [actual amount]: 2 [file spec]: " + dir.File("g")),
                  std::string::npos);
    }
    fork.Seek(0);
    char buffer[4];
    try {
        fork.ReadExact(buffer, 2);
        ADD_FAILURE() << "no exception";
    } catch (const MACR_ReadError_IOException& e) {
        EXPECT_EQ(std::string(e.What()).find("IOException: Incomplete transfer in Read method."), 0u);
    }
}

TEST(MACR_DataFork, ReadOnlyForkRefusesWrites) {
    ScratchDir dir;
    WriteWholeFile(dir.File("ro"), "data");
    MACR_DataFork fork;
    fork.SetFileSpec(dir.File("ro").c_str());
    fork.Open();  // default permission: read only
    EXPECT_THROW(fork.WriteExact("x", 1), MACR_AccessDenied_IOException);
    EXPECT_THROW(fork.Truncate(), MACR_AccessDenied_IOException);
    EXPECT_EQ(ReadWholeFile(dir.File("ro")), "data");
}

TEST(MACR_DataFork, ClosedForkThrowsInvalidHandle) {
    MACR_DataFork fork;
    EXPECT_THROW(fork.Size(), MACR_InvalidHandle_IOException);
    EXPECT_THROW(fork.Position(), MACR_InvalidHandle_IOException);
    char c;
    EXPECT_THROW(fork.ReadExact(&c, 1), MACR_InvalidHandle_IOException);
}
