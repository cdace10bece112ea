// The buffered file system: a copy of a base record (the retrying default
// file system) whose file procedures keep one read window and one write
// buffer per open file, so that the host's many small reads and writes
// reach the base as few large ones. The host's file handle is the
// PDFL_BufferedFile; the base file is its first word.
//
// The two buffers never disagree with the file: a read that misses the
// window, set and get end of file, the read requests and every
// pass-through procedure first write the held bytes out, and a write drops
// a read window it overlaps (set end of file drops it too). Writing out
// that fails empties the write buffer: write reports 0 bytes (its code kept
// in the file's error word), flush, close, set and get end of file and the
// pass-through procedures report -1.
#pragma once

#include "viewer/host_api.h"

#include <cstdint>

struct PDFL_FileBuffer {
    uint32_t m_start;     // file position of the first byte
    uint32_t m_count;     // valid (read) or held (write) bytes
    uint32_t m_capacity;
    uint8_t* m_data;
};

struct PDFL_BufferedFile {
    PDFL_ASFile m_base;
    uint32_t m_position;  // the position the host sees
    PDFL_FileBuffer m_read;
    PDFL_FileBuffer m_write;
    PDFL_ErrorCode m_error;  // of writing out at close and flush
};

// One conversion pair for the handle the host holds.
inline PDFL_BufferedFile* PDFL_BufferedFileFromHandle(PDFL_ASFile file) {
    return reinterpret_cast<PDFL_BufferedFile*>(file);
}
inline PDFL_ASFile PDFL_HandleFromBufferedFile(PDFL_BufferedFile* file) {
    return reinterpret_cast<PDFL_ASFile>(file);
}

constexpr uint32_t PDFL_BufferedReadSize = 0x10000;
constexpr uint32_t PDFL_BufferedWriteSize = 0x10000;

// Installed on first use over PDFL_ASGetDefaultFileSys() with buffers of
// 64 KB; null when there is no default file system.
PDFL_ASFileSys PDFL_GetBufferedFileSys();
// Keeps base, copies its 32 words and replaces words 1 to 9, 11, 12, 22 to
// 28 and 31 where the base has a procedure. 1 when base is null (nothing
// installed), else 0.
int32_t PDFL_InstallBufferedFileSys(PDFL_ASFileSys base, uint32_t readSize, uint32_t writeSize);
// PDFL_ASFileGetMDFile, seeing through a buffered file to its base file.
PDFL_Bool PDFL_BufferedFileGetMDFile(PDFL_ASFile file, void** platformFile,
                                     PDFL_ASFileSys* fileSys);

// Word 1. A buffered file, stored at file, over the base open's file. When
// the base open fails, or memory for the file or its buffers runs out
// (PDFL_OutOfMemoryErrorCode), the file is freed and 0 is stored.
PDFL_ErrorCode PDFL_BufferedOpen(PDFL_ASPathName path, uint16_t mode, PDFL_ASFile* file);

// Forgets the installed system, as a new load of the module would start;
// for tests.
void iPDFL_ForgetBufferedFileSys();
