// The buffered file system over the retrying one and the stand-in's POSIX
// files: base traffic, coherence with the bytes on disk, read requests,
// pass-through words and failures.
#include "FileSysFixture.h"

#include "hostpdf/PDFL_ASCalls.h"
#include "win32/win32_driver.h"

#include <cerrno>

namespace {

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
    return bytes;
}

class BufferedFileSysTest : public FileSysTest {
protected:
    // A file of the given bytes, opened through the buffered system.
    HostSideFile OpenOver(const std::string& name, const std::string& bytes, uint16_t mode = 3) {
        WriteWholeFile(m_dir.File(name), bytes);
        PDFL_ASFile file = nullptr;
        EXPECT_EQ(OpenWith(Buffered(), m_dir.File(name), mode, &file), 0);
        VIEW_FileSys::ClearCalls();
        return HostSideFile(Buffered(), file);
    }
    PDFL_ASFileSys Buffered() { return PDFL_GetBufferedFileSys(); }
    PDFL_ASFile BaseOf(const HostSideFile& file) {
        return PDFL_BufferedFileFromHandle(file.Handle())->m_base;
    }
};

TEST_F(BufferedFileSysTest, SmallReadsShareOneBaseRead) {
    const std::string data = Pattern(100);
    HostSideFile file = OpenOver("r.bin", data);
    EXPECT_EQ(file.Read(10), data.substr(0, 10));
    EXPECT_EQ(file.Read(10), data.substr(10, 10));
    ASSERT_EQ(file.SetPos(95), 0);
    EXPECT_EQ(file.Read(5), data.substr(95));
    EXPECT_EQ(BaseCalls(PDFL_FileSysRead), (std::vector<std::vector<uint64_t>>{{100, 0}}));
    EXPECT_EQ(file.Read(1), "") << "at the end";
    EXPECT_EQ(file.Close(), 0);
}

TEST_F(BufferedFileSysTest, ReadLargerThanTheWindowGoesStraightToTheBase) {
    const std::string data = Pattern(100000);
    HostSideFile file = OpenOver("big.bin", data);
    EXPECT_EQ(file.Read(10), data.substr(0, 10));
    ASSERT_EQ(file.SetPos(0), 0);
    EXPECT_EQ(file.Read(70000), data.substr(0, 70000));
    ASSERT_EQ(file.SetPos(20), 0);
    EXPECT_EQ(file.Read(10), data.substr(20, 10)) << "the window was left as it was";
    EXPECT_EQ(BaseCalls(PDFL_FileSysRead),
              (std::vector<std::vector<uint64_t>>{{65536, 0}, {70000, 0}}));
    EXPECT_EQ(file.Close(), 0);
}

TEST_F(BufferedFileSysTest, ContinuingWritesReachTheBaseAsOneAtClose) {
    HostSideFile file = OpenOver("w.bin", "");
    const std::string data = Pattern(30);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(file.Write(data.substr(10 * i, 10)), 10u);
    EXPECT_TRUE(BaseCalls(PDFL_FileSysWrite).empty());
    EXPECT_EQ(file.GetPos(), 30u);
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(BaseCalls(PDFL_FileSysWrite), (std::vector<std::vector<uint64_t>>{{30, 0}}));
    EXPECT_EQ(ReadWholeFile(m_dir.File("w.bin")), data);
}

TEST_F(BufferedFileSysTest, AWriteElsewhereFirstWritesTheHeldBytes) {
    HostSideFile file = OpenOver("jump.bin", "");
    const std::string data = Pattern(40);
    EXPECT_EQ(file.Write(data.substr(0, 30)), 30u);
    ASSERT_EQ(file.SetPos(100), 0);
    EXPECT_TRUE(BaseCalls(PDFL_FileSysWrite).empty()) << "positioning alone writes nothing";
    EXPECT_EQ(file.Write(data.substr(30, 10)), 10u);
    EXPECT_EQ(BaseCalls(PDFL_FileSysWrite), (std::vector<std::vector<uint64_t>>{{30, 0}}));
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(BaseCalls(PDFL_FileSysWrite),
              (std::vector<std::vector<uint64_t>>{{30, 0}, {10, 100}}));
    EXPECT_EQ(ReadWholeFile(m_dir.File("jump.bin")),
              data.substr(0, 30) + std::string(70, '\0') + data.substr(30, 10));
}

// A base whose set-position refuses every position past 1000.
PDFL_ErrorCode RefusingSetPos(PDFL_ASFile file, uint32_t position) {
    if (position > 1000)
        return VIEW_FileErrorCode(EINVAL);
    return WordOf<PDFL_FileSysSetPosProc>(VIEW_FileSys::Default(), PDFL_FileSysSetPos)(file,
                                                                                       position);
}

TEST_F(BufferedFileSysTest, RefusedPositionLeavesThePosition) {
    PDFL_ASFileSysRec base = *VIEW_FileSys::Default();
    base.m_procs[PDFL_FileSysSetPos - 1] = reinterpret_cast<PDFL_Proc>(&RefusingSetPos);
    ASSERT_EQ(PDFL_InstallBufferedFileSys(&base, 4096, 4096), 0);
    EXPECT_EQ(PDFL_InstallBufferedFileSys(nullptr, 4096, 4096), 1);
    HostSideFile file = OpenOver("p.bin", Pattern(50));
    ASSERT_EQ(file.SetPos(5), 0);
    EXPECT_EQ(file.SetPos(5000), VIEW_FileErrorCode(EINVAL));
    EXPECT_EQ(file.GetPos(), 5u);
    EXPECT_EQ(file.Read(3), Pattern(50).substr(5, 3));
    EXPECT_EQ(file.Close(), 0);
}

// Each case ends with the host's view and the bytes on disk compared.
TEST_F(BufferedFileSysTest, BuffersAgreeWithTheFile) {
    const std::string data = Pattern(100);
    {
        SCOPED_TRACE("a read after a write returns the written bytes");
        HostSideFile file = OpenOver("c1.bin", data);
        EXPECT_EQ(file.Read(20), data.substr(0, 20));  // the window holds 0..99
        ASSERT_EQ(file.SetPos(10), 0);
        EXPECT_EQ(file.Write("ABC"), 3u);
        ASSERT_EQ(file.SetPos(0), 0);
        const std::string expected = data.substr(0, 10) + "ABC" + data.substr(13, 7);
        EXPECT_EQ(file.Read(20), expected);
        EXPECT_EQ(file.Close(), 0);
        EXPECT_EQ(ReadWholeFile(m_dir.File("c1.bin")).substr(0, 20), expected);
    }
    {
        SCOPED_TRACE("a read of held bytes past the window");
        HostSideFile file = OpenOver("c2.bin", data);
        ASSERT_EQ(file.SetPos(200), 0);
        EXPECT_EQ(file.Write("tail"), 4u);
        ASSERT_EQ(file.SetPos(200), 0);
        EXPECT_EQ(file.Read(4), "tail");
        EXPECT_EQ(file.Close(), 0);
    }
    {
        SCOPED_TRACE("set end of file then close keeps the new length");
        HostSideFile file = OpenOver("c3.bin", "");
        EXPECT_EQ(file.Write(data.substr(0, 30)), 30u);
        EXPECT_EQ(file.SetEOF(5), 0);
        EXPECT_EQ(file.Close(), 0);
        EXPECT_EQ(ReadWholeFile(m_dir.File("c3.bin")), data.substr(0, 5));
    }
    {
        SCOPED_TRACE("set end of file drops a window past the new end");
        HostSideFile file = OpenOver("c4.bin", data);
        EXPECT_EQ(file.Read(50), data.substr(0, 50));
        EXPECT_EQ(file.SetEOF(40), 0);
        ASSERT_EQ(file.SetPos(30), 0);
        EXPECT_EQ(file.Read(20), data.substr(30, 10));
        EXPECT_EQ(file.Close(), 0);
    }
    {
        SCOPED_TRACE("get end of file counts held bytes");
        HostSideFile file = OpenOver("c5.bin", data.substr(0, 10));
        ASSERT_EQ(file.SetPos(10), 0);
        EXPECT_EQ(file.Write(data.substr(10, 30)), 30u);
        EXPECT_EQ(file.GetEOF(), 40u);
        EXPECT_EQ(file.Close(), 0);
        EXPECT_EQ(ReadWholeFile(m_dir.File("c5.bin")), data.substr(0, 40));
    }
}

struct SeenCompletion {
    PDFL_ASFile m_file = nullptr;
    void (*m_completion)(PDFL_ReadRequestRec*) = nullptr;
    void* m_data = nullptr;
    int m_calls = 0;
};
SeenCompletion sSeen;
void Complete(PDFL_ReadRequestRec* request) {
    sSeen.m_file = request->m_file;
    sSeen.m_completion = request->m_completion;
    sSeen.m_data = request->m_completionData;
    ++sSeen.m_calls;
}

TEST_F(BufferedFileSysTest, ReadRequestsReachTheBaseFileAndCompleteForTheCaller) {
    HostSideFile file = OpenOver("rq.bin", Pattern(10));
    int clientData = 0;
    for (int word : {23, 24}) {
        SCOPED_TRACE(word);
        sSeen = SeenCompletion();
        VIEW_FileSys::ClearCalls();
        PDFL_ReadRequestRec request{};
        request.m_file = file.Handle();
        request.m_requested = 10;
        request.m_completion = &Complete;
        request.m_completionData = &clientData;
        EXPECT_EQ(WordOf<PDFL_FileSysReadRequestProc>(Buffered(), word)(&request), 0);
        const std::vector<VIEW_FileSysCall> seen = VIEW_FileSys::CallsOf(word);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].m_file, BaseOf(file));
        EXPECT_EQ(sSeen.m_calls, 1);
        EXPECT_EQ(sSeen.m_file, file.Handle());
        EXPECT_EQ(sSeen.m_completion, &Complete);
        EXPECT_EQ(sSeen.m_data, &clientData);
    }
    EXPECT_EQ(file.Close(), 0);
}

TEST_F(BufferedFileSysTest, PassThroughWordsReceiveTheBaseFile) {
    HostSideFile file = OpenOver("pt.bin", "");
    EXPECT_EQ(file.Write("held"), 4u);
    WordOf<PDFL_FileSysWord2Proc>(Buffered(), 11)(file.Handle(), 5, 6);
    EXPECT_EQ(BaseCalls(PDFL_FileSysWrite), (std::vector<std::vector<uint64_t>>{{4, 0}}))
        << "held bytes are written before the base sees the file";
    WordOf<PDFL_FileSysWord2Proc>(Buffered(), 12)(file.Handle(), 7, 8);
    for (int word : {22, 25, 26, 28, 31})
        WordOf<PDFL_FileSysWordProc>(Buffered(), word)(file.Handle());
    WordOf<PDFL_FileSysWord3Proc>(Buffered(), 27)(file.Handle(), 1, 2, 3);
    const std::vector<std::pair<int, std::vector<uint64_t>>> expected = {
        {11, {5, 6}}, {12, {7, 8}}, {22, {}}, {25, {}}, {26, {}},
        {28, {}},     {31, {}},     {27, {1, 2, 3}}};
    std::vector<std::pair<int, std::vector<uint64_t>>> seen;
    for (const VIEW_FileSysCall& call : VIEW_FileSys::Calls()) {
        if (call.m_word <= 9)
            continue;
        seen.emplace_back(call.m_word, call.m_args);
        EXPECT_EQ(call.m_file, BaseOf(file)) << "word " << call.m_word;
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(file.Close(), 0);
}

TEST_F(BufferedFileSysTest, RecordKeepsTheBaseWordsItDoesNotReplace) {
    const PDFL_ASFileSys base = PDFL_ASGetDefaultFileSys();
    const PDFL_ASFileSys buffered = Buffered();
    EXPECT_EQ(buffered->m_size, base->m_size);
    for (int word : {10, 13, 14, 20, 21, 29, 30}) {
        SCOPED_TRACE(word);
        EXPECT_EQ(buffered->m_procs[word - 1], base->m_procs[word - 1]);
    }
    EXPECT_EQ(buffered->m_procs[PDFL_FileSysOpen - 1],
              reinterpret_cast<PDFL_Proc>(&PDFL_BufferedOpen));
    PDFL_ASFileSysRec sparse = *VIEW_FileSys::Default();
    sparse.m_procs[11 - 1] = nullptr;
    ASSERT_EQ(PDFL_InstallBufferedFileSys(&sparse, 16, 16), 0);
    EXPECT_EQ(Buffered()->m_procs[11 - 1], nullptr) << "a null word stays null";
}

TEST_F(BufferedFileSysTest, MissingFileFailsTheOpenAndStoresNothing) {
    PDFL_ASFile file = reinterpret_cast<PDFL_ASFile>(uintptr_t{1});
    EXPECT_EQ(OpenWith(Buffered(), m_dir.File("missing.pdf"), 1, &file),
              VIEW_FileErrorCode(ENOENT));
    EXPECT_EQ(file, nullptr);
    EXPECT_EQ(Win32Driver::SleepCalls().size(), 10u) << "through the retrying open";
}

TEST_F(BufferedFileSysTest, MDFileOfABufferedFileIsItsBaseFile) {
    WriteWholeFile(m_dir.File("md.pdf"), "12345");
    const PDFL_ASPathName path = Path(m_dir.File("md.pdf"));
    PDFL_ASFile hostFile = nullptr;
    ASSERT_EQ(PDFL_ASFileSysOpenFile(Buffered(), path, 1, &hostFile), 0);
    void* platform = nullptr;
    PDFL_ASFileSys fileSys = nullptr;
    EXPECT_EQ(PDFL_BufferedFileGetMDFile(hostFile, &platform, &fileSys), 1);
    EXPECT_EQ(fileSys, Buffered());
    uint32_t length = 0;
    EXPECT_EQ(WordOf<PDFL_FileSysGetEOFProc>(VIEW_FileSys::Default(), PDFL_FileSysGetEOF)(
                  static_cast<PDFL_ASFile>(platform), &length), 0)
        << "the POSIX file itself";
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(PDFL_ASFileClose(hostFile), 0);

    ASSERT_EQ(PDFL_ASFileSysOpenFile(VIEW_FileSys::Default(), path, 1, &hostFile), 0);
    void* direct = nullptr;
    EXPECT_EQ(PDFL_BufferedFileGetMDFile(hostFile, &direct, &fileSys), 1);
    EXPECT_EQ(fileSys, VIEW_FileSys::Default());
    EXPECT_EQ(WordOf<PDFL_FileSysGetEOFProc>(fileSys, PDFL_FileSysGetEOF)(
                  static_cast<PDFL_ASFile>(direct), &length), 0)
        << "other files are reported as they are";
    EXPECT_EQ(PDFL_ASFileClose(hostFile), 0);
    PDFL_ASFileSysReleasePath(nullptr, path);
}

}  // namespace
