// The retrying default file system over the stand-in's POSIX file system,
// on the test clock: the copy, opens that wait and try again, short writes
// continued at the right place.
#include "FileSysFixture.h"

#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_RetryingFileSys.h"
#include "viewer/VIEW_Memory.h"
#include "win32/win32_driver.h"

#include <cerrno>

namespace {

class RetryingFileSysTest : public FileSysTest {};

TEST_F(RetryingFileSysTest, DefaultFileSysIsOneCopyWithOpenAndWriteReplaced) {
    const PDFL_ASFileSys host = VIEW_FileSys::Default();
    const PDFL_ASFileSys copy = PDFL_ASGetDefaultFileSys();
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, host);
    EXPECT_EQ(copy->m_size, host->m_size);
    for (int word = 1; word < PDFL_FileSysWords; ++word) {
        SCOPED_TRACE(word);
        const PDFL_Proc expected =
            word == PDFL_FileSysOpen    ? reinterpret_cast<PDFL_Proc>(&PDFL_RetryingOpen)
            : word == PDFL_FileSysWrite ? reinterpret_cast<PDFL_Proc>(&PDFL_RetryingWrite)
                                        : host->m_procs[word - 1];
        EXPECT_EQ(copy->m_procs[word - 1], expected);
    }
    const std::vector<std::pair<int, int>> built = {{PDFL_AcroSupportTable, 21},
                                                    {PDFL_AcroSupportTable, 1}};
    EXPECT_EQ(RecordedSlots(), built);
    EXPECT_EQ(VIEW_Recorder::Calls()[1].m_args, std::vector<uint64_t>{256});
    VIEW_Recorder::ClearCalls();
    EXPECT_EQ(PDFL_ASGetDefaultFileSys(), copy);
    EXPECT_TRUE(VIEW_Recorder::Calls().empty()) << "later calls do not ask the host";
}

TEST_F(RetryingFileSysTest, WithoutMemoryTheHostsRecordIsGivenAndTheCopyMadeLater) {
    VIEW_Memory::FailAllocations(true);
    EXPECT_EQ(PDFL_ASGetDefaultFileSys(), VIEW_FileSys::Default());
    VIEW_Memory::FailAllocations(false);
    const PDFL_ASFileSys copy = PDFL_ASGetDefaultFileSys();
    EXPECT_NE(copy, VIEW_FileSys::Default());
    EXPECT_EQ(copy->m_procs[PDFL_FileSysOpen - 1], reinterpret_cast<PDFL_Proc>(&PDFL_RetryingOpen));
}

TEST_F(RetryingFileSysTest, FailedOpensWaitAndTryAgainUpToTenCalls) {
    const std::string regular = m_dir.File("plain");
    WriteWholeFile(regular, "x");
    struct Case {
        const char* m_what;
        uint32_t m_failures;
        std::string m_path;
        PDFL_ErrorCode m_code;
        size_t m_calls;
    } cases[] = {
        {"at once", 0, regular, 0, 1},
        {"three failures", 3, regular, 0, 4},
        {"nine failures", 9, regular, 0, 10},
        {"ten failures", 10, regular, VIEW_FileErrorCode(EIO), 10},
        {"below a regular file", 0, regular + "/new.pdf", VIEW_FileErrorCode(ENOTDIR), 10},
    };
    const PDFL_ASFileSys copy = PDFL_ASGetDefaultFileSys();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_what);
        VIEW_FileSys::ClearCalls();
        VIEW_FileSys::FailOpens(c.m_failures);
        Win32Driver::ClearSleepCalls();
        const uint64_t before = Win32Driver::Now();
        PDFL_ASFile file = nullptr;
        EXPECT_EQ(OpenWith(copy, c.m_path, 3, &file), c.m_code);
        EXPECT_EQ(BaseCalls(PDFL_FileSysOpen).size(), c.m_calls);
        const size_t waits = c.m_code == 0 ? c.m_calls - 1 : c.m_calls;
        EXPECT_EQ(Win32Driver::SleepCalls(), std::vector<DWORD>(waits, 2000));
        EXPECT_EQ(Win32Driver::Now() - before, 2000u * waits);
        if (c.m_code == 0)
            EXPECT_EQ(HostSideFile(copy, file).Close(), 0);
        else
            EXPECT_EQ(file, nullptr);
    }
}

TEST_F(RetryingFileSysTest, ShortWritesAreContinuedWhereTheyStopped) {
    struct Case {
        const char* m_what;
        uint32_t m_start;
        uint32_t m_limitedWrites;
        uint32_t m_limit;
        uint32_t m_result;
        std::vector<std::vector<uint64_t>> m_baseWrites;  // {bytes asked, position}
    } cases[] = {
        {"whole", 0, 0, 0, 10, {{10, 0}}},
        {"two bytes three times", 0, 3, 2, 10, {{10, 0}, {8, 2}, {6, 4}, {4, 6}}},
        {"after the start", 100, 3, 2, 10, {{10, 100}, {8, 102}, {6, 104}, {4, 106}}},
        {"one byte each: four more attempts only", 0, 9, 1, 5,
         {{10, 0}, {9, 1}, {8, 2}, {7, 3}, {6, 4}}},
    };
    const PDFL_ASFileSys copy = PDFL_ASGetDefaultFileSys();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_what);
        const std::string name = m_dir.File("w.bin");
        WriteWholeFile(name, std::string(c.m_start, '.'));
        PDFL_ASFile file = nullptr;
        ASSERT_EQ(OpenWith(copy, name, 3, &file), 0);
        HostSideFile host(copy, file);
        ASSERT_EQ(host.SetPos(c.m_start), 0);
        VIEW_FileSys::ClearCalls();
        VIEW_FileSys::LimitWrites(c.m_limitedWrites, c.m_limit);
        EXPECT_EQ(host.Write("0123456789"), c.m_result);
        EXPECT_EQ(BaseCalls(PDFL_FileSysWrite), c.m_baseWrites);
        EXPECT_EQ(host.Close(), 0);
        EXPECT_EQ(ReadWholeFile(name), std::string(c.m_start, '.') +
                                           std::string("0123456789").substr(0, c.m_result));
    }
}

TEST_F(RetryingFileSysTest, WriteWithoutAPositionWritesNothing) {
    ASSERT_NE(PDFL_ASGetDefaultFileSys(), nullptr);
    PDFL_ErrorCode error = 0;
    char bytes[4] = {'a', 'b', 'c', 'd'};
    const auto unknown = reinterpret_cast<PDFL_ASFile>(uintptr_t{0x1234});
    EXPECT_EQ(PDFL_RetryingWrite(bytes, 1, 4, unknown, &error), 0u);
    EXPECT_TRUE(BaseCalls(PDFL_FileSysWrite).empty());
}

}  // namespace
