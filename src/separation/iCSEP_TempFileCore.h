// The file behind a CSEP_TempFile: one temporary file "VDQ…" in the system
// temporary folder, open for reading and writing, and the streams opened on
// it. The core owns the fork and removes the file when it is destroyed, so
// no file outlives the last handle, on error paths too.
//
// Streams handed out by OpenStream write the ink's bytes; the core keeps
// them so that it can finish them (drive an encoding filter to its end, then
// close) before the file is read back or closed, and close them before the
// fork goes, so that no stream is left over a deleted fork.
#pragma once

#include "GLOB/GLOB_Stream.h"
#include "fileio/MACR_FileSpec.h"

#include <vector>

class MACR_DataFork;

class iCSEP_TempFileCore {
public:
    // Holds no file.
    iCSEP_TempFileCore() = default;
    // Delete; a failure is logged as a warning.
    ~iCSEP_TempFileCore();
    iCSEP_TempFileCore(const iCSEP_TempFileCore&) = delete;
    iCSEP_TempFileCore& operator=(const iCSEP_TempFileCore&) = delete;

    // Without a file: a new temporary file name (reserved by an empty file),
    // read and write permission, and the file created with type "TEXT" and
    // creator "CARO". A failure after the name was reserved removes the
    // reserved file. With a file, nothing.
    void Create();
    // Finishes the streams, then closes the file; it stays on disk and the
    // fork is kept. Nothing without a file.
    void Close();
    // Closes the streams unfinished, then closes the file and deletes it
    // from disk, and holds none. Nothing without a file. The file is removed
    // even when closing it fails; the failure then passes on.
    void Delete();
    // Flushes and closes every stream OpenStream handed out: an EOD write,
    // which drives an encoding filter to its end, then Close.
    void FinishStreams();

    bool HoldsFile() const { return m_pFile != nullptr; }
    // These three assert that a file is held.
    MACR_FileSpec FileSpec() const;
    void Rewind();
    // A new CSEP_FileStream over the file at its current position.
    GLOB_Stream OpenStream();

private:
    void CloseStreams();

    MACR_DataFork* m_pFile = nullptr;
    std::vector<GLOB_Stream> m_streams;
};
