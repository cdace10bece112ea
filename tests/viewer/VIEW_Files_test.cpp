// The stand-in's memory, path names, default file system and host files,
// against files on disk.
#include "support/TestSupport.h"
#include "viewer/VIEW_FileSys.h"
#include "viewer/VIEW_Files.h"
#include "viewer/VIEW_Frames.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_Memory.h"
#include "viewer/VIEW_Paths.h"
#include "viewer/VIEW_Recorder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

template <int Slot>
typename PDFL_Slot<PDFL_AcroSupportTable, Slot>::Proc Support() {
    return reinterpret_cast<typename PDFL_Slot<PDFL_AcroSupportTable, Slot>::Proc>(
        VIEW_Host::Table(PDFL_AcroSupportTable)[Slot]);
}

PDFL_ASAtom Atom(const char* text) {
    return reinterpret_cast<PDFL_Core_AtomFromStringProc>(VIEW_Host::Table(PDFL_CoreTable)[5])(
        text);
}

template <class Proc>
Proc WordOf(PDFL_ASFileSys fileSys, int word) {
    return reinterpret_cast<Proc>(fileSys->m_procs[word - 1]);
}

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override { VIEW_Host::Reset(); }
    void TearDown() override {
        EXPECT_EQ(VIEW_Frames::Depth(), 0u);
        VIEW_Host::Reset();
    }

    PDFL_ASPathName Path(const std::string& posix) {
        return Support<20>()(posix.c_str());
    }
    // Opens through slot 26; the code when it fails.
    PDFL_ErrorCode Open(const std::string& posix, uint16_t mode, PDFL_ASFile* file,
                        PDFL_ASFileSys fileSys = nullptr) {
        const PDFL_ASPathName path = Path(posix);
        const PDFL_ErrorCode code = Support<26>()(fileSys, path, mode, file);
        Support<25>()(nullptr, path);
        return code;
    }

    ScratchDir m_dir;
};

TEST_F(FilesTest, PathTextsReadTheDriveRuleAndShowOnDriveC) {
    const PDFL_ASAtom cstring = Atom("Cstring");
    struct Case {
        const char* m_how;
        const char* m_text;
        const char* m_posix;
        const char* m_display;
    } cases[] = {
        {"platform", "C:\\home\\u\\a.pdf", "/home/u/a.pdf", "/C/home/u/a.pdf"},
        {"platform", "c:/tmp/b.pdf", "/tmp/b.pdf", "/C/tmp/b.pdf"},
        {"platform", "/already/posix.pdf", "/already/posix.pdf", "/C/already/posix.pdf"},
        {"Cstring", "C:\\x\\y.pdf", "/x/y.pdf", "/C/x/y.pdf"},
        {"display", "/C/home/u/a.pdf", "/home/u/a.pdf", "/C/home/u/a.pdf"},
        {"display", "/C", "/", "/C/"},
        {"display", "relative/c.pdf", "relative/c.pdf", "relative/c.pdf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.m_how) + " " + c.m_text);
        const std::string how = c.m_how;
        const PDFL_ASPathName path = how == "platform" ? Support<20>()(c.m_text)
                                     : how == "Cstring"
                                         ? Support<52>()(nullptr, cstring, c.m_text, nullptr)
                                         : Support<23>()(nullptr, c.m_text, nullptr);
        EXPECT_EQ(VIEW_Paths::Posix(path), c.m_posix);
        char* display = Support<22>()(nullptr, path, nullptr);
        ASSERT_NE(display, nullptr);
        EXPECT_STREQ(display, c.m_display);
        Support<3>()(display);
        Support<25>()(nullptr, path);
    }
    EXPECT_EQ(VIEW_Paths::LiveCount(), 0u);
}

TEST_F(FilesTest, AFolderStandsForDriveCAndPathsOutsideItShowAsTheyStand) {
    VIEW_Paths::SetDriveRoot("/srv/scratch/");
    const std::pair<const char*, const char*> cases[] = {
        {"/srv/scratch/plugins/ZOVA.api", "/C/plugins/ZOVA.api"},
        {"/srv/scratch/", "/C/"},
        {"/srv/scratchpad/x.pdf", "/srv/scratchpad/x.pdf"},
        {"/home/u/a.pdf", "/home/u/a.pdf"},
        {"rel/b.pdf", "rel/b.pdf"},
    };
    for (const auto& [posix, display] : cases) {
        SCOPED_TRACE(posix);
        const PDFL_ASPathName path = Path(posix);
        char* text = Support<22>()(nullptr, path, nullptr);
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, display);
        const PDFL_ASPathName back = Support<23>()(nullptr, text, nullptr);
        EXPECT_EQ(VIEW_Paths::Posix(back), posix) << "the display text reads back";
        Support<3>()(text);
        Support<25>()(nullptr, back);
        Support<25>()(nullptr, path);
    }
    EXPECT_EQ(VIEW_Paths::FromDisplay("/C"), "/srv/scratch");
    VIEW_Host::Reset();
    EXPECT_EQ(VIEW_Paths::Display("/srv/scratch/a"), "/C/srv/scratch/a") << "Reset gives drive C back to /";
}

TEST_F(FilesTest, PathMisuseIsRefusedByName) {
    const PDFL_ASPathName path = Path("/a.pdf");
    Support<25>()(nullptr, path);
    EXPECT_THROW(Support<25>()(nullptr, path), VIEW_AssertionFailure) << "released twice";
    EXPECT_THROW(Support<22>()(nullptr, path, nullptr), VIEW_AssertionFailure);
    EXPECT_THROW(Support<52>()(nullptr, Atom("Unicode"), "/a.pdf", nullptr), VIEW_AssertionFailure);
    EXPECT_THROW(Support<20>()(nullptr), VIEW_AssertionFailure);
    const PDFL_ASPathName base = Path("/base");
    EXPECT_THROW(Support<23>()(nullptr, "/C/x", base), VIEW_AssertionFailure);
    Support<25>()(nullptr, base);
}

TEST_F(FilesTest, AllocationFollowsItsSwitch) {
    void* block = Support<1>()(64);
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xAB, 64);
    Support<3>()(block);
    VIEW_Memory::FailAllocations(true);
    EXPECT_EQ(Support<1>()(64), nullptr);
    VIEW_Host::Reset();
    block = Support<1>()(0);
    EXPECT_NE(block, nullptr) << "a reset lets allocations succeed, and 0 bytes is a block";
    Support<3>()(block);
    const PDFL_ASPathName path = Path("/x");
    VIEW_Memory::FailAllocations(true);
    EXPECT_EQ(Support<22>()(nullptr, path, nullptr), nullptr) << "no memory for the text";
    Support<25>()(nullptr, path);
}

TEST_F(FilesTest, WrittenBytesReachTheDiskAndReadBack) {
    const std::string name = m_dir.File("doc.pdf");
    WriteWholeFile(name, "old contents that are longer");
    PDFL_ASFile file = nullptr;
    ASSERT_EQ(Open(name, 7, &file), 0) << "mode 7 truncates";
    EXPECT_EQ(VIEW_Files::Length(file), 0u);
    VIEW_Files::WriteAt(file, 0, "%PDF-1.4 hello");
    VIEW_Files::WriteAt(file, 9, "HELLO world");
    VIEW_Files::Flush(file);
    EXPECT_EQ(VIEW_Files::ReadAll(file), "%PDF-1.4 HELLO world");
    EXPECT_EQ(VIEW_Files::ReadAt(file, 15, 100), "world") << "a read past the end is short";
    Support<32>()(file, 8);
    EXPECT_EQ(Support<29>()(file), 0);
    EXPECT_EQ(ReadWholeFile(name), "%PDF-1.4");

    ASSERT_EQ(Open(name, 3, &file), 0) << "mode 3 keeps the contents";
    EXPECT_EQ(VIEW_Files::ReadAll(file), "%PDF-1.4");
    EXPECT_EQ(Support<29>()(file), 0);
    EXPECT_EQ(VIEW_Files::OpenCount(), 0u);
    EXPECT_EQ(VIEW_FileSys::OpenCount(), 0u);
}

TEST_F(FilesTest, FailedOpensReturnTheirCodeAndStoreNothing) {
    const std::string regular = m_dir.File("plain");
    WriteWholeFile(regular, "x");
    struct Case {
        const char* m_what;
        std::string m_path;
        uint16_t m_mode;
        PDFL_ErrorCode m_code;
    } cases[] = {
        {"missing file", m_dir.File("missing.pdf"), 1, VIEW_FileErrorCode(ENOENT)},
        {"missing folder", m_dir.File("none/new.pdf"), 7, VIEW_FileErrorCode(ENOENT)},
        {"below a regular file", regular + "/new.pdf", 7, VIEW_FileErrorCode(ENOTDIR)},
        {"a folder", m_dir.Path(), 1, VIEW_FileErrorCode(EISDIR)},
        {"an unknown mode", regular, 2, VIEW_FileErrorCode(EINVAL)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_what);
        PDFL_ASFile file = reinterpret_cast<PDFL_ASFile>(uintptr_t{1});
        EXPECT_EQ(Open(c.m_path, c.m_mode, &file), c.m_code);
        EXPECT_EQ(file, nullptr);
    }
    EXPECT_EQ(VIEW_Files::OpenCount(), 0u);
    EXPECT_EQ(ReadWholeFile(regular), "x");
}

TEST_F(FilesTest, FaultSwitchesFailOpensAndShortenWrites) {
    const std::string name = m_dir.File("f.bin");
    VIEW_FileSys::FailOpens(2);
    PDFL_ASFile file = nullptr;
    EXPECT_EQ(Open(name, 7, &file), VIEW_FileErrorCode(EIO));
    EXPECT_EQ(Open(name, 7, &file), VIEW_FileErrorCode(EIO));
    ASSERT_EQ(Open(name, 7, &file), 0);

    VIEW_FileSys::LimitWrites(2, 3);
    VIEW_FileSys::ClearCalls();
    VIEW_Files::WriteAt(file, 0, "0123456789");
    const std::vector<VIEW_FileSysCall> writes = VIEW_FileSys::CallsOf(PDFL_FileSysWrite);
    ASSERT_EQ(writes.size(), 3u) << "3 bytes, 3 bytes, then the rest";
    const std::vector<std::vector<uint64_t>> expected = {{10, 0}, {7, 3}, {4, 6}};
    for (size_t i = 0; i < writes.size(); ++i)
        EXPECT_EQ(writes[i].m_args, expected[i]) << "write " << i;
    EXPECT_EQ(Support<29>()(file), 0);
    EXPECT_EQ(ReadWholeFile(name), "0123456789");
}

TEST_F(FilesTest, FileQueriesAnswerForOpenFilesOnly) {
    const std::string name = m_dir.File("q.pdf");
    WriteWholeFile(name, "12345");
    PDFL_ASFileSysRec copy = *VIEW_FileSys::Default();
    PDFL_ASFile file = nullptr;
    ASSERT_EQ(Open(name, 1, &file, &copy), 0);
    EXPECT_EQ(Support<38>()(file), &copy) << "the file system that opened it";

    const PDFL_ASPathName path = Support<37>()(file);
    EXPECT_EQ(VIEW_Paths::Posix(path), name);
    Support<25>()(nullptr, path);

    void* platform = nullptr;
    PDFL_ASFileSys fileSys = nullptr;
    EXPECT_EQ(Support<51>()(file, &platform, &fileSys), 1);
    EXPECT_EQ(fileSys, &copy);
    uint32_t length = 0;
    EXPECT_EQ(WordOf<PDFL_FileSysGetEOFProc>(fileSys, PDFL_FileSysGetEOF)(
                  static_cast<PDFL_ASFile>(platform), &length), 0);
    EXPECT_EQ(length, 5u) << "the platform file is the handle its open stored";

    EXPECT_THROW(Support<32>()(file, 0), VIEW_HostRaise) << "a file opened for reading";
    EXPECT_EQ(ReadWholeFile(name), "12345");
    EXPECT_EQ(Support<29>()(file), 0);
    EXPECT_EQ(Support<51>()(file, &platform, &fileSys), 0);
    EXPECT_THROW(Support<38>()(file), VIEW_AssertionFailure);
    EXPECT_THROW(Support<29>()(file), VIEW_AssertionFailure);
    EXPECT_EQ(WordOf<PDFL_FileSysGetEOFProc>(fileSys, PDFL_FileSysGetEOF)(
                  static_cast<PDFL_ASFile>(platform), &length), VIEW_FileErrorCode(EBADF))
        << "a closed handle is a code, not a crash";
}

// A file system of the plug-in's making: the default record with its open
// counted.
int sCopiedOpens = 0;
PDFL_ErrorCode CountingOpen(PDFL_ASPathName path, uint16_t mode, PDFL_ASFile* file) {
    ++sCopiedOpens;
    return WordOf<PDFL_FileSysOpenProc>(VIEW_FileSys::Default(), PDFL_FileSysOpen)(path, mode,
                                                                                   file);
}

TEST_F(FilesTest, TrafficGoesThroughTheGivenRecord) {
    PDFL_ASFileSysRec copy = *VIEW_FileSys::Default();
    copy.m_procs[PDFL_FileSysOpen - 1] = reinterpret_cast<PDFL_Proc>(&CountingOpen);
    sCopiedOpens = 0;
    PDFL_ASFile file = nullptr;
    ASSERT_EQ(Open(m_dir.File("g.pdf"), 7, &file, &copy), 0);
    EXPECT_EQ(sCopiedOpens, 1);
    EXPECT_EQ(Support<29>()(file), 0);
    ASSERT_EQ(Open(m_dir.File("g.pdf"), 1, &file), 0);
    EXPECT_EQ(sCopiedOpens, 1) << "a null file system is the default one";
    EXPECT_EQ(Support<29>()(file), 0);
}

TEST_F(FilesTest, DefaultRecordHasItsWordsAndLogsTheRest) {
    const PDFL_ASFileSys record = VIEW_FileSys::Default();
    EXPECT_EQ(record->m_size, 256u);
    for (int word = 1; word < PDFL_FileSysWords; ++word) {
        SCOPED_TRACE(word);
        const bool present = word <= 9 || word == 11 || word == 12 ||
                             (word >= 22 && word <= 28) || word == 31;
        EXPECT_EQ(record->m_procs[word - 1] != nullptr, present);
    }
    const auto file = reinterpret_cast<PDFL_ASFile>(uintptr_t{0x77});
    WordOf<PDFL_FileSysWord2Proc>(record, 11)(file, 5, 6);
    WordOf<PDFL_FileSysWordProc>(record, 26)(file);
    WordOf<PDFL_FileSysWord3Proc>(record, 27)(file, 7, 8, 9);
    const std::vector<VIEW_FileSysCall>& calls = VIEW_FileSys::Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].m_word, 11);
    EXPECT_EQ(calls[0].m_args, (std::vector<uint64_t>{5, 6}));
    EXPECT_EQ(calls[1].m_word, 26);
    EXPECT_EQ(calls[2].m_args, (std::vector<uint64_t>{7, 8, 9}));
    for (const VIEW_FileSysCall& call : calls)
        EXPECT_EQ(call.m_file, file);
}

PDFL_ReadRequestRec* sCompleted = nullptr;
void Completed(PDFL_ReadRequestRec* request) { sCompleted = request; }

TEST_F(FilesTest, ReadRequestsCompleteAtOnce) {
    for (int word : {23, 24}) {
        SCOPED_TRACE(word);
        sCompleted = nullptr;
        PDFL_ReadRequestRec request{};
        request.m_file = reinterpret_cast<PDFL_ASFile>(uintptr_t{0x55});
        request.m_requested = 40;
        request.m_error = 9;
        request.m_completion = &Completed;
        EXPECT_EQ(WordOf<PDFL_FileSysReadRequestProc>(VIEW_FileSys::Default(), word)(&request), 0);
        EXPECT_EQ(sCompleted, &request);
        EXPECT_EQ(request.m_done, 40u);
        EXPECT_EQ(request.m_error, 0u);
        const std::vector<VIEW_FileSysCall> seen = VIEW_FileSys::CallsOf(word);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].m_file, request.m_file);
    }
}

}  // namespace
