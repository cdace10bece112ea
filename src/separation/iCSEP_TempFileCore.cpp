#include "separation/iCSEP_TempFileCore.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_AutoFile.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_StreamCore.h"
#include "fileio/MACR_DataFork.h"
#include "fileio/MACR_FourCharCode.h"
#include "fileio/MACR_Permission.h"
#include "separation/CSEP_FileStream.h"

#include <algorithm>
#include <memory>

namespace {

bool IsOpenForOutput(const GLOB_Stream& stream) {
    GLOB_StreamCore* core = stream.Core();
    if (core == nullptr)
        return false;
    const bool open = core->IsOpen() && (core->OpenMode() & GLOB_StreamCore::Output) != 0;
    core->Release();
    return open;
}

}  // namespace

iCSEP_TempFileCore::~iCSEP_TempFileCore() {
    try {
        Delete();
    } catch (const GLIB_Exception& e) {
        try {
            GLIB_LOG(GLIB_LogWarning, "iCSEP_TempFileCore: failed to delete a temporary file: " << e.What());
        } catch (...) {
        }
    } catch (...) {
        // Cleanup never throws; out of memory here leaves at most the file behind.
    }
}

void iCSEP_TempFileCore::Create() {
    if (m_pFile != nullptr)
        return;
    std::unique_ptr<MACR_DataFork> fork(GLIB_NEW MACR_DataFork);
    MACR_FileSpec fileSpec;
    fileSpec.MakeTempFile();
    GLIB_AutoFile reserved(fileSpec.Path());
    fork->SetFileSpec(fileSpec.Path());
    MACR_Permission permission;
    permission.SetRead(true);
    permission.SetWrite(true);
    fork->SetPermission(permission);
    fork->Create(MACR_FourCharCode("TEXT"), MACR_FourCharCode("CARO"));
    reserved.Release();
    m_pFile = fork.release();
}

void iCSEP_TempFileCore::FinishStreams() {
    while (!m_streams.empty()) {
        GLOB_Stream stream = m_streams.back();
        if (IsOpenForOutput(stream)) {
            FILT_FilterBuffer end;
            end.SetEOD();
            stream.Write(end);
        }
        stream.Close();
        m_streams.pop_back();
    }
}

void iCSEP_TempFileCore::CloseStreams() {
    for (GLOB_Stream& stream : m_streams) {
        try {
            stream.Close();
        } catch (const GLIB_Exception&) {
            // Only an observer can fail here; the core is closed all the same.
        }
    }
    m_streams.clear();
}

void iCSEP_TempFileCore::Close() {
    if (m_pFile == nullptr)
        return;
    FinishStreams();
    m_pFile->Close();
}

void iCSEP_TempFileCore::Delete() {
    if (m_pFile == nullptr)
        return;
    CloseStreams();
    std::unique_ptr<MACR_DataFork> fork(m_pFile);
    m_pFile = nullptr;
    const MACR_FileSpec fileSpec = fork->FileSpec();
    // Removes the file should closing it fail.
    GLIB_AutoFile file(fileSpec.Path());
    fork->Close();
    file.Release();
    MACR_DeleteFile(fileSpec);
}

MACR_FileSpec iCSEP_TempFileCore::FileSpec() const {
    GLIB_ASSERT(m_pFile != NULL);
    return m_pFile->FileSpec();
}

void iCSEP_TempFileCore::Rewind() {
    GLIB_ASSERT(m_pFile != NULL);
    m_pFile->Seek(0);
}

GLOB_Stream iCSEP_TempFileCore::OpenStream() {
    GLIB_ASSERT(m_pFile != NULL);
    // Streams closed by their users need no finishing.
    m_streams.erase(std::remove_if(m_streams.begin(), m_streams.end(),
                                   [](const GLOB_Stream& stream) { return !IsOpenForOutput(stream); }),
                    m_streams.end());
    GLOB_Stream stream(GLIB_NEW CSEP_FileStream(m_pFile));
    m_streams.push_back(stream);
    return stream;
}
