// A handle of one kind handed back as another is unknown to the stand-in,
// never taken for a live object of that kind.
#include "support/PdfText.h"
#include "support/TestSupport.h"
#include "VIEW_TestDocs.h"
#include "viewer/VIEW_FileSys.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_Paths.h"
#include "viewer/VIEW_Streams.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Enough of each kind that a shared numbering would meet the document's or
// the page's number.
constexpr int Many = 16;

class HandleKindsTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIEW_Host::Reset();
        m_doc = VIEW_OpenTestDoc(m_dir.File("one.pdf"),
                                 PdfText("%PDF-1.4", {
                                                         "<< /Type /Catalog /Pages 2 0 R >>",
                                                         "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                                         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] >>",
                                                     }));
        m_page = VIEW_PD::DocAcquirePage(m_doc, 0);
    }
    void TearDown() override {
        VIEW_PD::PageRelease(m_page);
        VIEW_PD::DocClose(m_doc);
        VIEW_Host::Reset();
    }

    ScratchDir m_dir;
    PDFL_PDDoc m_doc = nullptr;
    PDFL_PDPage m_page = nullptr;
};

TEST_F(HandleKindsTest, StreamsAndPDDocumentsAreNotTakenForEachOther) {
    std::vector<PDFL_ASStm> streams;
    for (int i = 0; i < Many; ++i)
        streams.push_back(VIEW_Streams::OpenMemory("bytes"));
    for (PDFL_ASStm stm : streams) {
        SCOPED_TRACE(reinterpret_cast<uintptr_t>(stm));
        EXPECT_NE(reinterpret_cast<uintptr_t>(stm), reinterpret_cast<uintptr_t>(m_doc));
        EXPECT_THROW(VIEW_PD::DocGetFlags(reinterpret_cast<PDFL_PDDoc>(stm)), VIEW_AssertionFailure);
    }
    EXPECT_THROW(VIEW_Streams::Close(reinterpret_cast<PDFL_ASStm>(m_doc)), VIEW_AssertionFailure);
    EXPECT_EQ(VIEW_Streams::OpenCount(), static_cast<size_t>(Many)) << "no stream closed";
    for (PDFL_ASStm stm : streams)
        VIEW_Streams::Close(stm);
}

TEST_F(HandleKindsTest, PosixFilesAndPDPagesAreNotTakenForEachOther) {
    const PDFL_ASFileSys fileSys = VIEW_FileSys::Default();
    const auto open = reinterpret_cast<PDFL_FileSysOpenProc>(fileSys->m_procs[PDFL_FileSysOpen - 1]);
    const auto close = reinterpret_cast<PDFL_FileSysFileProc>(fileSys->m_procs[PDFL_FileSysClose - 1]);
    const PDFL_ASPathName path = VIEW_Paths::Make(m_dir.File("one.pdf"));
    std::vector<PDFL_ASFile> files;
    for (int i = 0; i < Many; ++i) {
        PDFL_ASFile file = nullptr;
        ASSERT_EQ(open(path, 1, &file), 0);
        files.push_back(file);
    }
    VIEW_Paths::Release(path);
    // A page handle given after the files, as well as the one given before.
    VIEW_PD::PageRelease(m_page);
    m_page = VIEW_PD::DocAcquirePage(m_doc, 0);
    for (PDFL_ASFile file : files) {
        SCOPED_TRACE(reinterpret_cast<uintptr_t>(file));
        EXPECT_NE(reinterpret_cast<uintptr_t>(file), reinterpret_cast<uintptr_t>(m_page));
        EXPECT_THROW(VIEW_PD::PageGetRotate(reinterpret_cast<PDFL_PDPage>(file)), VIEW_AssertionFailure);
    }
    EXPECT_NE(close(reinterpret_cast<PDFL_ASFile>(m_page)), 0);
    EXPECT_EQ(VIEW_FileSys::OpenCount(), static_cast<size_t>(Many)) << "no file closed";
    for (PDFL_ASFile file : files)
        EXPECT_EQ(close(file), 0);
}

}  // namespace
