// The stand-in's default file system under the plug-in's retrying and
// buffered copies, both built afresh for each test, on the test clock; and
// a file as the host holds it: a record and the handle its open stored,
// used through the record's words as the host would.
#pragma once

#include "HostFixture.h"
#include "hostpdf/PDFL_BufferedFileSys.h"
#include "support/TestSupport.h"
#include "viewer/VIEW_FileSys.h"

#include <string>

class FileSysTest : public HostTest {
protected:
    void SetUp() override;
    void TearDown() override;

    PDFL_ASPathName Path(const std::string& posix);
    // The record's open of a path (released again); the code.
    PDFL_ErrorCode OpenWith(PDFL_ASFileSys record, const std::string& posix, uint16_t mode,
                            PDFL_ASFile* file);

    ScratchDir m_dir;
};

template <class Proc>
Proc WordOf(PDFL_ASFileSys record, int word) {
    return reinterpret_cast<Proc>(record->m_procs[word - 1]);
}

// A file the host opened through record.
class HostSideFile {
public:
    HostSideFile(PDFL_ASFileSys record, PDFL_ASFile handle) : m_record(record), m_handle(handle) {}

    std::string Read(uint32_t count);
    uint32_t Write(const std::string& bytes);
    PDFL_ErrorCode SetPos(uint32_t position);
    uint32_t GetPos();
    PDFL_ErrorCode SetEOF(uint32_t length);
    uint32_t GetEOF();
    PDFL_ErrorCode Close();
    PDFL_ASFile Handle() const { return m_handle; }

private:
    PDFL_ASFileSys m_record;
    PDFL_ASFile m_handle;
};

// The base traffic of one word: each call's arguments.
std::vector<std::vector<uint64_t>> BaseCalls(int word);
