#include "GLOB/GLOB_FileStream.h"

#include "GLOB_TestUtil.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

TEST(GLOB_FileStream, ReadsInChunksOfTheBufferSize) {
    const ScratchDir dir;
    const struct {
        size_t size;
        uint32_t bufferSize;
        std::vector<size_t> chunks;  // the last one carries EOD
    } cases[] = {
        {0, 8192, {0}}, {1, 8192, {1}}, {2 * 8192, 8192, {8192, 8192, 0}}, {10000, 4096, {4096, 4096, 1808}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const std::string path = dir.File("f" + std::to_string(i));
        WriteWholeFile(path, Pattern(cases[i].size));
        GLOB_Stream s(new GLOB_FileStream(std::fopen(path.c_str(), "rb"), true));
        s.SetBufferSize(cases[i].bufferSize);
        std::vector<size_t> chunks;
        std::string data;
        for (bool eod = false; !eod && chunks.size() < 100;) {
            FILT_FilterBuffer* b = s.Read();
            eod = b->IsEOD();
            chunks.push_back(b->DataAvailable());
            data += Take(b);
        }
        EXPECT_EQ(chunks, cases[i].chunks);
        EXPECT_TRUE(data == Pattern(cases[i].size));
        EXPECT_EQ(s.Tell(), cases[i].size);
        EXPECT_TRUE(s.Read()->DataAvailable() == 0 && s.Read()->IsEOD());
    }
}

// Written and read back through one file; an owned file is closed with the
// stream, another stays open.
TEST(GLOB_FileStream, WritesReadsBackAndClosesOnlyAnOwnedFile) {
    const ScratchDir dir;
    for (const bool owned : {false, true}) {
        SCOPED_TRACE(owned);
        FILE* f = std::fopen(dir.File("w").c_str(), "w+b");
        ASSERT_NE(f, nullptr);
        const int fd = fileno(f);
        GLOB_Stream s(new GLOB_FileStream(f, owned));
        EXPECT_EQ(Put(s, Pattern(20000)), 0u);
        std::rewind(f);
        EXPECT_TRUE(ReadAll(s) == Pattern(20000));
        s.Close();
        errno = 0;
        EXPECT_EQ(fcntl(fd, F_GETFD) == -1 && errno == EBADF, owned);
        if (!owned) {
            EXPECT_EQ(std::fclose(f), 0);
        }
    }
}

// A full disk fails every write; a file opened for writing only, and a
// folder, fail every read.
TEST(GLOB_FileStream, IOErrorsThrowAtEveryCall) {
    const std::string code = std::to_string(GLOB_StreamCore::IOErrorCode);
    if (FILE* full = std::fopen("/dev/full", "wb")) {
        GLOB_Stream s(new GLOB_FileStream(full, true));
        for (const size_t size : {size_t{100}, size_t{20000}}) {
            const std::string failure = Failure([&] { Put(s, std::string(size, 'd')); });
            EXPECT_EQ(failure.rfind(code + " ", 0), 0u) << failure;
            EXPECT_NE(failure.find("No space left on device"), std::string::npos) << failure;
        }
    }
    const ScratchDir dir;
    for (FILE* f : {std::fopen(dir.File("wo").c_str(), "wb"), std::fopen(dir.Path().c_str(), "rb")}) {
        if (f == nullptr)
            continue;
        GLOB_Stream s(new GLOB_FileStream(f, true));
        for (int attempt = 0; attempt < 2; ++attempt) {
            const std::string failure = Failure([&] { s.Read(); });
            EXPECT_EQ(failure.rfind(code + " GLOB_FileStream: failed to read", 0), 0u) << attempt << ": " << failure;
        }
    }
}

}  // namespace
