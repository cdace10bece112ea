#include "GLOB/GLOB_FileStream.h"

#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Stream.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string Pattern(size_t n) {
    std::string s(n, 0);
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 13 + i / 256) & 0xFF);
    return s;
}

// Reads to the end; returns the chunk sizes, the last one being the chunk
// with EOD.
std::vector<size_t> Chunks(GLOB_Stream& s, std::string& data) {
    std::vector<size_t> sizes;
    for (;;) {
        FILT_FilterBuffer* b = s.Read();
        sizes.push_back(b->DataAvailable());
        data.append(reinterpret_cast<const char*>(b->GetPtr()), b->DataAvailable());
        b->AdvanceGetPtr(b->DataAvailable());
        if (b->IsEOD())
            return sizes;
        if (sizes.size() > 1000)
            return sizes;
    }
}

TEST(GLOB_FileStream, ReadsInChunksOfTheBufferSize) {
    ScratchDir dir;
    const struct {
        size_t size;
        uint32_t bufferSize;
        std::vector<size_t> chunks;
    } cases[] = {
        {0, 8192, {0}},
        {2 * 8192, 8192, {8192, 8192, 0}},  // full chunks, then EOD alone
        {10000, 4096, {4096, 4096, 1808}},  // the last chunk carries EOD
        {1, 8192, {1}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        const std::string path = dir.File("f" + std::to_string(i));
        WriteWholeFile(path, Pattern(cases[i].size));
        GLOB_Stream s(new GLOB_FileStream(std::fopen(path.c_str(), "rb"), true));
        if (cases[i].bufferSize != 8192)
            s.SetBufferSize(cases[i].bufferSize);
        std::string data;
        EXPECT_EQ(Chunks(s, data), cases[i].chunks);
        EXPECT_TRUE(data == Pattern(cases[i].size));
        EXPECT_EQ(s.Tell(), cases[i].size);
        // Later reads stay at the end.
        EXPECT_EQ(s.Read()->DataAvailable(), 0u);
        EXPECT_TRUE(s.Read()->IsEOD());
    }
}

TEST(GLOB_FileStream, WritesAndReadsBackThroughTheSameFile) {
    ScratchDir dir;
    FILE* f = std::fopen(dir.File("w").c_str(), "w+b");
    ASSERT_NE(f, nullptr);
    GLOB_Stream s(new GLOB_FileStream(f, false));
    const std::string data = Pattern(20000);
    std::string copy = data;
    FILT_FilterBuffer b(reinterpret_cast<uint8_t*>(&copy[0]), static_cast<FILT_Size>(copy.size()), false);
    b.AdvancePutPtr(static_cast<FILT_Size>(copy.size()));
    s.Write(b);
    EXPECT_EQ(b.DataAvailable(), 0u);
    std::rewind(f);
    std::string back;
    Chunks(s, back);
    EXPECT_TRUE(back == data);

    // Without ownership the file stays open after Close.
    s.Close();
    EXPECT_NE(fcntl(fileno(f), F_GETFD), -1);
    EXPECT_EQ(std::fseek(f, 0, SEEK_END), 0);
    EXPECT_EQ(std::ftell(f), 20000);
    EXPECT_EQ(std::fclose(f), 0);
}

TEST(GLOB_FileStream, AnOwnedFileIsClosedWithTheStream) {
    ScratchDir dir;
    WriteWholeFile(dir.File("o"), "x");
    FILE* f = std::fopen(dir.File("o").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    const int fd = fileno(f);
    GLOB_Stream s(new GLOB_FileStream(f, true));
    s.Close();
    errno = 0;
    EXPECT_EQ(fcntl(fd, F_GETFD), -1);
    EXPECT_EQ(errno, EBADF);
}

TEST(GLOB_FileStream, AFullDiskFailsTheWrite) {
    FILE* f = std::fopen("/dev/full", "wb");
    if (f == nullptr)
        GTEST_SKIP() << "no /dev/full";
    GLOB_Stream s(new GLOB_FileStream(f, true));
    for (size_t size : {size_t{100}, size_t{20000}}) {
        SCOPED_TRACE(size);
        std::string data(size, 'd');
        FILT_FilterBuffer b(reinterpret_cast<uint8_t*>(&data[0]), static_cast<FILT_Size>(size), false);
        b.AdvancePutPtr(static_cast<FILT_Size>(size));
        try {
            s.Write(b);
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), GLOB_StreamCore::IOErrorCode);
            EXPECT_NE(std::string(e.What()).find("No space left on device"), std::string::npos) << e.What();
        }
        // A large write that the C library refused in part leaves the rest
        // unread for the caller.
        if (size > 8192) {
            EXPECT_GT(b.DataAvailable(), 0u);
        }
    }
}

TEST(GLOB_FileStream, AReadErrorThrowsAtEveryRead) {
    ScratchDir dir;
    // A file opened for writing only, and a folder: reading either fails.
    FILE* writeOnly = std::fopen(dir.File("wo").c_str(), "wb");
    FILE* folder = std::fopen(dir.Path().c_str(), "rb");
    ASSERT_NE(writeOnly, nullptr);
    for (FILE* f : {writeOnly, folder}) {
        if (f == nullptr)
            continue;
        GLOB_Stream s(new GLOB_FileStream(f, true));
        for (int attempt = 0; attempt < 2; ++attempt) {
            SCOPED_TRACE(attempt);
            try {
                s.Read();
                ADD_FAILURE() << "no exception";
            } catch (const GLIB_Exception& e) {
                EXPECT_EQ(e.Code(), GLOB_StreamCore::IOErrorCode);
                EXPECT_NE(std::string(e.What()).find("GLOB_FileStream: failed to read"), std::string::npos)
                    << e.What();
            }
        }
    }
}

}  // namespace
