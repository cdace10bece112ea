// Forks over files: create, open, close, position, seek, size, transfers.
#include "fileio/MACR_DataFork.h"

#include "fileio/MACR_IOException.h"
#include "support/TestSupport.h"
#include "win32/win32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Creates path for reading and writing.
void Prepare(MACR_DataFork& fork, const std::string& path) {
    MACR_Permission readWrite;
    readWrite.SetWrite(true);
    fork.SetFileSpec(path.c_str());
    fork.SetPermission(readWrite);
    fork.Create(MACR_FourCharCode("TEXT"), MACR_FourCharCode("CARO"));
}

// A fork whose writes stop one byte short without an error, as a device may.
struct ShortFork : MACR_DataFork {
    void Write(const void* buffer, uint32_t n, uint32_t* count) override { MACR_DataFork::Write(buffer, n - 1, count); }
};

}  // namespace

TEST(MACR_DataFork, FailuresThrowTheirClasses) {
    ScratchDir dir;
    MACR_DataFork fork;
    EXPECT_THROW(fork.Size(), MACR_InvalidHandle_IOException);  // nothing open
    fork.SetFileSpec(dir.File("missing").c_str());
    EXPECT_THROW(fork.Open(), MACR_FileNotFound_IOException);
    EXPECT_THROW(Prepare(fork, dir.File("none/new")), MACR_PathNotFound_IOException);
    WriteWholeFile(dir.File("ro"), "data");
    fork.SetFileSpec(dir.File("ro").c_str());
    fork.SetPermission(MACR_Permission());  // read only
    fork.Open();
    EXPECT_THROW(fork.WriteExact("x", 1), MACR_AccessDenied_IOException);
    EXPECT_THROW(fork.Truncate(), MACR_AccessDenied_IOException);
    char buffer[8];
    EXPECT_THROW(fork.ReadExact(buffer, 5), MACR_ReadError_IOException);  // fewer bytes left than asked for
    fork.Close();
    EXPECT_EQ(ReadWholeFile(dir.File("ro")), "data");
}

TEST(MACR_DataFork, HandlesAreClosedOnceAndOnlyWhenOwned) {
    ScratchDir dir;
    MACR_DataFork fork;
    Prepare(fork, dir.File("a"));
    const HANDLE first = fork.Handle();
    Prepare(fork, dir.File("b"));  // a second Create closes the first handle
    EXPECT_FALSE(CloseHandle(first));
    fork.Close();
    EXPECT_NO_THROW(fork.Close());
    const HANDLE h = CreateFileA(dir.File("a").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    {
        MACR_DataFork adopter;
        adopter.SetHandle(h);
        adopter.Close();  // an adopted handle is not the fork's to close
    }
    EXPECT_TRUE(CloseHandle(h));
}

TEST(MACR_DataFork, SeekPastTheEndStopsThereAndThrows) {
    ScratchDir dir;
    MACR_DataFork fork;
    Prepare(fork, dir.File("f"));
    fork.WriteExact("0123456789", 10);
    fork.Seek(10);  // the end itself is no error
    for (uint32_t target : {11u, 0xFFFFFFFFu}) {
        fork.Seek(4);
        try {
            fork.Seek(target);
            ADD_FAILURE() << "no exception for " << target;
        } catch (const MACR_EndOfFile_IOException& e) {
            EXPECT_EQ(e.Code(), 1121153u);
            EXPECT_EQ(std::string(e.What()), "IOException: End of file reached in Seek method. [requested amount]: " +
                                                 std::to_string(target) + " [actual amount]: 10[file spec]: " +
                                                 dir.File("f"));
        }
        EXPECT_EQ(fork.Position(), 10u);
    }
    EXPECT_EQ(fork.Size(), 10u);  // seeking never grows the file
}

TEST(MACR_DataFork, CreateReplacesReadWriteSetSizeAndTruncate) {
    ScratchDir dir;
    WriteWholeFile(dir.File("f"), "old contents");
    MACR_DataFork fork;
    Prepare(fork, dir.File("f"));  // replaces it
    fork.WriteExact("abcdefgh", 8);
    fork.Seek(2);
    char buffer[8] = {};
    uint32_t count = 99;
    fork.Read(buffer, 8, &count);  // a short read at the end is no error
    EXPECT_EQ(std::string(buffer, count), "cdefgh");
    fork.SetSize(3);
    EXPECT_EQ(fork.Position(), 3u);
    fork.Seek(1);
    fork.Truncate();
    fork.Close();
    EXPECT_EQ(ReadWholeFile(dir.File("f")), "a");
}

TEST(MACR_DataFork, AShortWriteThrowsItsClass) {
    ScratchDir dir;
    ShortFork fork;
    Prepare(fork, dir.File("g"));
    try {
        fork.WriteExact("xyz", 3);
        ADD_FAILURE() << "no exception";
    } catch (const MACR_WriteError_IOException& e) {
        const std::string what = e.What();
        EXPECT_EQ(what.find("IOException: incomplete transfer in Write method. [data address]: "), 0u);
        EXPECT_NE(what.find("[requested amount]: 3 [actual amount]: 2 [file spec]: " + dir.File("g")),
                  std::string::npos);
    }
}
