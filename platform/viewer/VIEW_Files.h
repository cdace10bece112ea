// Host files (AcroSupport slots 26, 29, 32, 37, 38 and 51): a host file is
// {the file system that opened it, the handle that system's open stored,
// its path}. Every operation goes through the procedures of the file's own
// record, so a file system the plug-in hands in (a copy of the default
// record with procedures of its own) carries the traffic. Those procedures
// are calls into the plug-in (VIEW_CallPlugin).
//
// A code a procedure reports makes slot 32 and the helpers below raise it
// as a host error; slots 26 and 29 return it. A file handle not open is a
// VIEW_AssertionFailure.
#pragma once

#include "viewer/host_api.h"

#include <cstddef>
#include <cstdint>
#include <string>

class VIEW_Files {
public:
    // Slot 26: a null file system is the default one. On failure *file is 0
    // and the code is returned.
    static PDFL_ErrorCode Open(PDFL_ASFileSys fileSys, PDFL_ASPathName path, uint16_t mode,
                               PDFL_ASFile* file);
    static PDFL_ErrorCode Close(PDFL_ASFile file);                 // slot 29
    static void SetEOF(PDFL_ASFile file, int32_t length);          // slot 32
    static PDFL_ASPathName AcquirePathName(PDFL_ASFile file);      // slot 37
    static PDFL_ASFileSys FileSys(PDFL_ASFile file);               // slot 38
    // Slot 51: the handle the file system's open stored and the file
    // system; 0 for a file not open.
    static PDFL_Bool GetMDFile(PDFL_ASFile file, void** platformFile, PDFL_ASFileSys* fileSys);

    // The stand-in's own file I/O (documents read and saved), through the
    // file's procedures: length, reading and writing at a position, flush.
    static uint32_t Length(PDFL_ASFile file);
    static std::string ReadAt(PDFL_ASFile file, uint32_t position, uint32_t count);
    static std::string ReadAll(PDFL_ASFile file);
    // Writes every byte: a short write goes on from where it stopped; a
    // write that writes nothing raises its code.
    static void WriteAt(PDFL_ASFile file, uint32_t position, const std::string& bytes);
    static void Flush(PDFL_ASFile file);

    static size_t OpenCount();
    // Forgets every host file without calling its procedures.
    static void Reset();
};
