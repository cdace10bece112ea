#include "hostpdf/PDFL_BufferedFileSys.h"

#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_ExceptionHandler.h"
#include "hostpdf/iPDFL_BufferedIO.h"

#include <cstring>
#include <new>

namespace {

PDFL_ASFileSys sBase = nullptr;
PDFL_ASFileSysRec sRecord{};
uint32_t sReadSize = PDFL_BufferedReadSize;
uint32_t sWriteSize = PDFL_BufferedWriteSize;

PDFL_BufferedFile& FileOf(PDFL_ASFile handle) {
    return *PDFL_BufferedFileFromHandle(handle);
}

void FreeFile(PDFL_BufferedFile* file) {
    delete[] file->m_read.m_data;
    delete[] file->m_write.m_data;
    delete file;
}

// Null when memory runs out; the caller must not throw, it runs as a host
// callback without a guard.
PDFL_BufferedFile* NewFile() {
    PDFL_BufferedFile* file = new (std::nothrow) PDFL_BufferedFile{};
    if (!file)
        return nullptr;
    file->m_read.m_capacity = sReadSize;
    file->m_write.m_capacity = sWriteSize;
    file->m_read.m_data = new (std::nothrow) uint8_t[sReadSize];
    file->m_write.m_data = new (std::nothrow) uint8_t[sWriteSize];
    if (!file->m_read.m_data || !file->m_write.m_data) {
        FreeFile(file);
        return nullptr;
    }
    return file;
}

// The code a procedure gives when the held bytes could not be written out.
constexpr PDFL_ErrorCode WriteOutFailed = -1;

PDFL_ErrorCode BufferedClose(PDFL_ASFile handle) {
    PDFL_BufferedFile* file = PDFL_BufferedFileFromHandle(handle);
    const bool written = iPDFL_WriteOut(*file, &file->m_error);
    const PDFL_ErrorCode code =
        iPDFL_BaseWord<PDFL_FileSysFileProc>(PDFL_FileSysClose)(file->m_base);
    FreeFile(file);
    return written ? code : WriteOutFailed;
}

PDFL_ErrorCode BufferedFlush(PDFL_ASFile handle) {
    PDFL_BufferedFile& file = FileOf(handle);
    if (!iPDFL_WriteOut(file, &file.m_error))
        return WriteOutFailed;
    return iPDFL_BaseWord<PDFL_FileSysFileProc>(PDFL_FileSysFlush)(file.m_base);
}

PDFL_ErrorCode BufferedSetPos(PDFL_ASFile handle, uint32_t position) {
    PDFL_BufferedFile& file = FileOf(handle);
    const PDFL_ErrorCode code =
        iPDFL_BaseWord<PDFL_FileSysSetPosProc>(PDFL_FileSysSetPos)(file.m_base, position);
    if (code == 0)
        file.m_position = position;
    return code;
}

PDFL_ErrorCode BufferedGetPos(PDFL_ASFile handle, uint32_t* position) {
    *position = FileOf(handle).m_position;
    return 0;
}

PDFL_ErrorCode BufferedSetEOF(PDFL_ASFile handle, uint32_t length) {
    PDFL_BufferedFile& file = FileOf(handle);
    if (!iPDFL_WriteOut(file, &file.m_error))
        return WriteOutFailed;
    // The window may show bytes the new end cuts off.
    file.m_read.m_count = 0;
    return iPDFL_BaseWord<PDFL_FileSysSetEOFProc>(PDFL_FileSysSetEOF)(file.m_base, length);
}

PDFL_ErrorCode BufferedGetEOF(PDFL_ASFile handle, uint32_t* length) {
    PDFL_BufferedFile& file = FileOf(handle);
    if (!iPDFL_WriteOut(file, &file.m_error))
        return WriteOutFailed;
    return iPDFL_BaseWord<PDFL_FileSysGetEOFProc>(PDFL_FileSysGetEOF)(file.m_base, length);
}

// The pass-through words: the base procedure of the same word, with the
// base file in place of the buffered one.
template <int Word>
uintptr_t PassThrough(PDFL_ASFile handle) {
    PDFL_BufferedFile& file = FileOf(handle);
    if (!iPDFL_WriteOut(file, &file.m_error))
        return static_cast<uintptr_t>(WriteOutFailed);
    return iPDFL_BaseWord<PDFL_FileSysWordProc>(Word)(file.m_base);
}

template <int Word>
uintptr_t PassThrough2(PDFL_ASFile handle, uintptr_t a, uintptr_t b) {
    PDFL_BufferedFile& file = FileOf(handle);
    if (!iPDFL_WriteOut(file, &file.m_error))
        return static_cast<uintptr_t>(WriteOutFailed);
    return iPDFL_BaseWord<PDFL_FileSysWord2Proc>(Word)(file.m_base, a, b);
}

template <int Word>
uintptr_t PassThrough3(PDFL_ASFile handle, uintptr_t a, uintptr_t b, uintptr_t c) {
    PDFL_BufferedFile& file = FileOf(handle);
    if (!iPDFL_WriteOut(file, &file.m_error))
        return static_cast<uintptr_t>(WriteOutFailed);
    return iPDFL_BaseWord<PDFL_FileSysWord3Proc>(Word)(file.m_base, a, b, c);
}

// What a read request carried before the base file took its place.
struct SavedRequest {
    PDFL_ASFile m_file;
    void (*m_completion)(PDFL_ReadRequestRec* request);
    void* m_completionData;
};

void ReadRequestDone(PDFL_ReadRequestRec* request) {
    PDFL_ReadRequestRec copy = *request;
    SavedRequest* saved = static_cast<SavedRequest*>(request->m_completionData);
    copy.m_file = saved->m_file;
    copy.m_completion = saved->m_completion;
    copy.m_completionData = saved->m_completionData;
    if (request->m_requested == request->m_done || request->m_error != 0)
        delete saved;
    if (copy.m_completion)
        copy.m_completion(&copy);
}

template <int Word>
PDFL_ErrorCode ReadRequest(PDFL_ReadRequestRec* request) {
    PDFL_BufferedFile& file = FileOf(request->m_file);
    if (!iPDFL_WriteOut(file, &file.m_error))
        return WriteOutFailed;
    SavedRequest* saved = new (std::nothrow)
        SavedRequest{request->m_file, request->m_completion, request->m_completionData};
    if (!saved)
        return PDFL_OutOfMemoryErrorCode();
    request->m_file = file.m_base;
    request->m_completion = &ReadRequestDone;
    request->m_completionData = saved;
    const PDFL_ErrorCode code = iPDFL_BaseWord<PDFL_FileSysReadRequestProc>(Word)(request);
    if (code != 0) {
        // The request goes back to the caller as it came.
        request->m_file = saved->m_file;
        request->m_completion = saved->m_completion;
        request->m_completionData = saved->m_completionData;
        delete saved;
    }
    return code;
}

template <class Proc>
void Replace(int word, Proc proc) {
    if (sRecord.m_procs[word - 1])
        sRecord.m_procs[word - 1] = reinterpret_cast<PDFL_Proc>(proc);
}

}  // namespace

PDFL_ASFileSys iPDFL_BufferedBase() {
    return sBase;
}

PDFL_ASFileSys PDFL_GetBufferedFileSys() {
    if (!sBase && PDFL_InstallBufferedFileSys(PDFL_ASGetDefaultFileSys(), PDFL_BufferedReadSize,
                                              PDFL_BufferedWriteSize) != 0)
        return nullptr;
    return &sRecord;
}

int32_t PDFL_InstallBufferedFileSys(PDFL_ASFileSys base, uint32_t readSize, uint32_t writeSize) {
    if (!base)
        return 1;
    sBase = base;
    std::memcpy(&sRecord, base, sizeof sRecord);
    sReadSize = readSize;
    sWriteSize = writeSize;
    Replace(PDFL_FileSysOpen, &PDFL_BufferedOpen);
    Replace(PDFL_FileSysClose, &BufferedClose);
    Replace(PDFL_FileSysFlush, &BufferedFlush);
    Replace(PDFL_FileSysSetPos, &BufferedSetPos);
    Replace(PDFL_FileSysGetPos, &BufferedGetPos);
    Replace(PDFL_FileSysSetEOF, &BufferedSetEOF);
    Replace(PDFL_FileSysGetEOF, &BufferedGetEOF);
    Replace(PDFL_FileSysRead, &PDFL_BufferedRead);
    Replace(PDFL_FileSysWrite, &PDFL_BufferedWrite);
    Replace(11, &PassThrough2<11>);
    Replace(12, &PassThrough2<12>);
    Replace(22, &PassThrough<22>);
    Replace(23, &ReadRequest<23>);
    Replace(24, &ReadRequest<24>);
    Replace(25, &PassThrough<25>);
    Replace(26, &PassThrough<26>);
    Replace(27, &PassThrough3<27>);
    Replace(28, &PassThrough<28>);
    Replace(31, &PassThrough<31>);
    return 0;
}

PDFL_ErrorCode PDFL_BufferedOpen(PDFL_ASPathName path, uint16_t mode, PDFL_ASFile* file) {
    const auto open = iPDFL_BaseWord<PDFL_FileSysOpenProc>(PDFL_FileSysOpen);
    if (!file)
        return open(path, mode, file);
    PDFL_BufferedFile* buffered = NewFile();
    *file = PDFL_HandleFromBufferedFile(buffered);
    if (!buffered)
        return PDFL_OutOfMemoryErrorCode();
    const PDFL_ErrorCode code = open(path, mode, &buffered->m_base);
    if (code != 0) {
        // The host never closes a file it failed to open.
        FreeFile(buffered);
        *file = nullptr;
    }
    return code;
}

PDFL_Bool PDFL_BufferedFileGetMDFile(PDFL_ASFile file, void** platformFile,
                                     PDFL_ASFileSys* fileSys) {
    void* platform = nullptr;
    PDFL_ASFileSys system = nullptr;
    const PDFL_Bool found = PDFL_ASFileGetMDFile(file, &platform, &system);
    if (found && platform && system &&
        system->m_procs[PDFL_FileSysOpen - 1] == reinterpret_cast<PDFL_Proc>(&PDFL_BufferedOpen))
        platform = PDFL_BufferedFileFromHandle(static_cast<PDFL_ASFile>(platform))->m_base;
    if (platformFile)
        *platformFile = platform;
    if (fileSys)
        *fileSys = system;
    return found;
}

void iPDFL_ForgetBufferedFileSys() {
    sBase = nullptr;
    sRecord = PDFL_ASFileSysRec{};
}
