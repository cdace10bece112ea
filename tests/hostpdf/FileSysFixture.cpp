#include "FileSysFixture.h"

#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_RetryingFileSys.h"
#include "win32/win32_driver.h"

void FileSysTest::SetUp() {
    HostTest::SetUp();
    iPDFL_ForgetBufferedFileSys();
    iPDFL_ForgetRetryingFileSys();
    Win32Driver::ClearSleepCalls();
}

void FileSysTest::TearDown() {
    iPDFL_ForgetBufferedFileSys();
    iPDFL_ForgetRetryingFileSys();
    EXPECT_EQ(VIEW_FileSys::OpenCount(), 0u) << "a base file was left open";
    VIEW_Host::Reset();
    HostTest::TearDown();
}

PDFL_ASPathName FileSysTest::Path(const std::string& posix) {
    return PDFL_ASPathFromPlatformPath(posix.c_str());
}

PDFL_ErrorCode FileSysTest::OpenWith(PDFL_ASFileSys record, const std::string& posix,
                                     uint16_t mode, PDFL_ASFile* file) {
    const PDFL_ASPathName path = Path(posix);
    const PDFL_ErrorCode code = WordOf<PDFL_FileSysOpenProc>(record, PDFL_FileSysOpen)(path, mode,
                                                                                      file);
    PDFL_ASFileSysReleasePath(record, path);
    return code;
}

std::string HostSideFile::Read(uint32_t count) {
    std::string bytes(count, '\0');
    PDFL_ErrorCode error = 0;
    const uint32_t got = WordOf<PDFL_FileSysReadWriteProc>(m_record, PDFL_FileSysRead)(
        &bytes[0], 1, count, m_handle, &error);
    bytes.resize(got);
    return bytes;
}

uint32_t HostSideFile::Write(const std::string& bytes) {
    PDFL_ErrorCode error = 0;
    return WordOf<PDFL_FileSysReadWriteProc>(m_record, PDFL_FileSysWrite)(
        const_cast<char*>(bytes.data()), 1, static_cast<uint32_t>(bytes.size()), m_handle,
        &error);
}

PDFL_ErrorCode HostSideFile::SetPos(uint32_t position) {
    return WordOf<PDFL_FileSysSetPosProc>(m_record, PDFL_FileSysSetPos)(m_handle, position);
}

uint32_t HostSideFile::GetPos() {
    uint32_t position = 0xDEAD;
    EXPECT_EQ(WordOf<PDFL_FileSysGetPosProc>(m_record, PDFL_FileSysGetPos)(m_handle, &position),
              0);
    return position;
}

PDFL_ErrorCode HostSideFile::SetEOF(uint32_t length) {
    return WordOf<PDFL_FileSysSetEOFProc>(m_record, PDFL_FileSysSetEOF)(m_handle, length);
}

uint32_t HostSideFile::GetEOF() {
    uint32_t length = 0xDEAD;
    EXPECT_EQ(WordOf<PDFL_FileSysGetEOFProc>(m_record, PDFL_FileSysGetEOF)(m_handle, &length), 0);
    return length;
}

PDFL_ErrorCode HostSideFile::Close() {
    return WordOf<PDFL_FileSysFileProc>(m_record, PDFL_FileSysClose)(m_handle);
}

std::vector<std::vector<uint64_t>> BaseCalls(int word) {
    std::vector<std::vector<uint64_t>> args;
    for (const VIEW_FileSysCall& call : VIEW_FileSys::CallsOf(word))
        args.push_back(call.m_args);
    return args;
}
