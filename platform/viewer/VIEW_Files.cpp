#include "viewer/VIEW_Files.h"

#include "viewer/VIEW_FileSys.h"
#include "viewer/VIEW_Frames.h"
#include "viewer/VIEW_HandleTable.h"
#include "viewer/VIEW_Paths.h"

#include <cerrno>

namespace {

struct HostFile {
    PDFL_ASFileSys m_fileSys;
    PDFL_ASFile m_handle;
    std::string m_path;
};

VIEW_HandleTable<PDFL_ASFile, HostFile>& Files() {
    static VIEW_HandleTable<PDFL_ASFile, HostFile> files("host file", 0x5B000001);
    return files;
}

// Word of the file system as its procedure type; a null word is a misuse.
template <class Proc>
Proc WordOf(PDFL_ASFileSys fileSys, int word) {
    PDFL_Proc proc = fileSys->m_procs[word - 1];
    if (!proc)
        throw VIEW_AssertionFailure("file system without word " + std::to_string(word));
    return reinterpret_cast<Proc>(proc);
}

void RaiseIf(PDFL_ErrorCode code) {
    if (code != 0)
        throw VIEW_HostRaise(code);
}

}  // namespace

PDFL_ErrorCode VIEW_Files::Open(PDFL_ASFileSys fileSys, PDFL_ASPathName path, uint16_t mode,
                                PDFL_ASFile* file) {
    if (!file)
        throw VIEW_AssertionFailure("FileSysOpenFile without a file address");
    *file = nullptr;
    if (!fileSys)
        fileSys = VIEW_FileSys::Default();
    const std::string posix = VIEW_Paths::Posix(path);
    const auto open = WordOf<PDFL_FileSysOpenProc>(fileSys, PDFL_FileSysOpen);
    PDFL_ASFile handle = nullptr;
    const PDFL_ErrorCode code = VIEW_CallPlugin([&] { return open(path, mode, &handle); });
    if (code != 0)
        return code;
    *file = Files().Add({fileSys, handle, posix});
    return 0;
}

PDFL_ErrorCode VIEW_Files::Close(PDFL_ASFile file) {
    const HostFile closing = Files().Remove(file);
    const auto close = WordOf<PDFL_FileSysFileProc>(closing.m_fileSys, PDFL_FileSysClose);
    return VIEW_CallPlugin([&] { return close(closing.m_handle); });
}

void VIEW_Files::SetEOF(PDFL_ASFile file, int32_t length) {
    const HostFile& host = Files().Get(file);
    const auto setEOF = WordOf<PDFL_FileSysSetEOFProc>(host.m_fileSys, PDFL_FileSysSetEOF);
    if (length < 0)
        throw VIEW_HostRaise(VIEW_FileErrorCode(EINVAL));
    RaiseIf(VIEW_CallPlugin(
        [&] { return setEOF(host.m_handle, static_cast<uint32_t>(length)); }));
}

PDFL_ASPathName VIEW_Files::AcquirePathName(PDFL_ASFile file) {
    const PDFL_ASPathName path = VIEW_Paths::Make(Files().Get(file).m_path);
    VIEW_Paths::SetOwnFileSys(path, Files().Get(file).m_fileSys);
    return path;
}

PDFL_ASFileSys VIEW_Files::FileSys(PDFL_ASFile file) {
    return Files().Get(file).m_fileSys;
}

PDFL_Bool VIEW_Files::GetMDFile(PDFL_ASFile file, void** platformFile, PDFL_ASFileSys* fileSys) {
    const HostFile* host = Files().Find(file);
    if (!host)
        return 0;
    if (platformFile)
        *platformFile = host->m_handle;
    if (fileSys)
        *fileSys = host->m_fileSys;
    return 1;
}

uint32_t VIEW_Files::Length(PDFL_ASFile file) {
    const HostFile& host = Files().Get(file);
    const auto getEOF = WordOf<PDFL_FileSysGetEOFProc>(host.m_fileSys, PDFL_FileSysGetEOF);
    uint32_t length = 0;
    RaiseIf(VIEW_CallPlugin([&] { return getEOF(host.m_handle, &length); }));
    return length;
}

std::string VIEW_Files::ReadAt(PDFL_ASFile file, uint32_t position, uint32_t count) {
    const HostFile& host = Files().Get(file);
    const auto setPos = WordOf<PDFL_FileSysSetPosProc>(host.m_fileSys, PDFL_FileSysSetPos);
    const auto read = WordOf<PDFL_FileSysReadWriteProc>(host.m_fileSys, PDFL_FileSysRead);
    RaiseIf(VIEW_CallPlugin([&] { return setPos(host.m_handle, position); }));
    std::string bytes(count, '\0');
    uint32_t done = 0;
    while (done < count) {
        PDFL_ErrorCode error = 0;
        const uint32_t got = VIEW_CallPlugin(
            [&] { return read(&bytes[done], 1, count - done, host.m_handle, &error); });
        RaiseIf(error);
        if (got == 0 || got > count - done)
            break;
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

std::string VIEW_Files::ReadAll(PDFL_ASFile file) {
    return ReadAt(file, 0, Length(file));
}

void VIEW_Files::WriteAt(PDFL_ASFile file, uint32_t position, const std::string& bytes) {
    const HostFile& host = Files().Get(file);
    const auto setPos = WordOf<PDFL_FileSysSetPosProc>(host.m_fileSys, PDFL_FileSysSetPos);
    const auto write = WordOf<PDFL_FileSysReadWriteProc>(host.m_fileSys, PDFL_FileSysWrite);
    if (bytes.size() > UINT32_MAX - position)
        throw VIEW_HostRaise(VIEW_FileErrorCode(EFBIG));
    const uint32_t count = static_cast<uint32_t>(bytes.size());
    uint32_t done = 0;
    while (done < count) {
        RaiseIf(VIEW_CallPlugin([&] { return setPos(host.m_handle, position + done); }));
        PDFL_ErrorCode error = 0;
        void* from = const_cast<char*>(bytes.data() + done);
        const uint32_t put =
            VIEW_CallPlugin([&] { return write(from, 1, count - done, host.m_handle, &error); });
        RaiseIf(error);
        if (put == 0 || put > count - done)
            throw VIEW_HostRaise(VIEW_FileErrorCode(EIO));
        done += put;
    }
}

void VIEW_Files::Flush(PDFL_ASFile file) {
    const HostFile& host = Files().Get(file);
    const auto flush = WordOf<PDFL_FileSysFileProc>(host.m_fileSys, PDFL_FileSysFlush);
    RaiseIf(VIEW_CallPlugin([&] { return flush(host.m_handle); }));
}

size_t VIEW_Files::OpenCount() {
    return Files().Size();
}

void VIEW_Files::Reset() {
    Files().Clear();
}
