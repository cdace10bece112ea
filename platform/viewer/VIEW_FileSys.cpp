#include "viewer/VIEW_FileSys.h"

#include "viewer/VIEW_HandleTable.h"
#include "viewer/VIEW_Paths.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

struct PosixFile {
    int m_fd;
};

struct State {
    std::vector<VIEW_FileSysCall> m_calls;
    uint32_t m_failOpens = 0;
    uint32_t m_limitedWrites = 0;
    uint32_t m_writeLimit = 0;
    uint32_t m_failedWrites = 0;
    int m_writeError = 0;
    std::function<void(int)> m_writeFailed;
};

State& TheState() {
    static State state;
    return state;
}

VIEW_HandleTable<PDFL_ASFile, PosixFile>& Files() {
    static VIEW_HandleTable<PDFL_ASFile, PosixFile> files("POSIX file", 0x59000001);
    return files;
}

void Log(int word, PDFL_ASFile file, std::vector<uint64_t> args, std::string path = {}) {
    TheState().m_calls.push_back({word, file, std::move(args), std::move(path)});
}

void StoreError(PDFL_ErrorCode* error, int errnoValue) {
    if (error)
        *error = VIEW_FileErrorCode(errnoValue);
}

uint64_t PositionOf(const PosixFile* file) {
    const off_t position = file ? lseek(file->m_fd, 0, SEEK_CUR) : -1;
    return position < 0 ? 0 : static_cast<uint64_t>(position);
}

PDFL_ErrorCode ResultOf(int posixResult) {
    return posixResult == 0 ? 0 : VIEW_FileErrorCode(errno);
}

int OpenFlags(uint16_t mode) {
    switch (mode) {
    case 1: return O_RDONLY;
    case 3: return O_RDWR;
    case 7: return O_RDWR | O_CREAT | O_TRUNC;
    default: return -1;
    }
}

PDFL_ErrorCode Open(PDFL_ASPathName path, uint16_t mode, PDFL_ASFile* file) {
    const std::string posix = VIEW_Paths::Posix(path);
    Log(PDFL_FileSysOpen, nullptr, {mode}, posix);
    State& state = TheState();
    const int flags = OpenFlags(mode);
    if (!file || flags < 0)
        return VIEW_FileErrorCode(EINVAL);
    if (state.m_failOpens > 0) {
        --state.m_failOpens;
        return VIEW_FileErrorCode(EIO);
    }
    const int fd = ::open(posix.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0)
        return VIEW_FileErrorCode(errno);
    struct stat info{};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return VIEW_FileErrorCode(error);
    }
    *file = Files().Add({fd});
    return 0;
}

PDFL_ErrorCode Close(PDFL_ASFile file) {
    Log(PDFL_FileSysClose, file, {});
    if (!Files().Find(file))
        return VIEW_FileErrorCode(EBADF);
    return ResultOf(::close(Files().Remove(file).m_fd));
}

PDFL_ErrorCode Flush(PDFL_ASFile file) {
    Log(PDFL_FileSysFlush, file, {});
    // Nothing is held above the descriptor.
    return Files().Find(file) ? 0 : VIEW_FileErrorCode(EBADF);
}

PDFL_ErrorCode SetPos(PDFL_ASFile file, uint32_t position) {
    Log(PDFL_FileSysSetPos, file, {position});
    const PosixFile* posix = Files().Find(file);
    if (!posix)
        return VIEW_FileErrorCode(EBADF);
    return lseek(posix->m_fd, position, SEEK_SET) < 0 ? VIEW_FileErrorCode(errno) : 0;
}

PDFL_ErrorCode GetPos(PDFL_ASFile file, uint32_t* position) {
    Log(PDFL_FileSysGetPos, file, {});
    const PosixFile* posix = Files().Find(file);
    if (!posix || !position)
        return VIEW_FileErrorCode(posix ? EINVAL : EBADF);
    const off_t at = lseek(posix->m_fd, 0, SEEK_CUR);
    if (at < 0)
        return VIEW_FileErrorCode(errno);
    if (static_cast<uint64_t>(at) > std::numeric_limits<uint32_t>::max())
        return VIEW_FileErrorCode(EFBIG);
    *position = static_cast<uint32_t>(at);
    return 0;
}

PDFL_ErrorCode SetEOF(PDFL_ASFile file, uint32_t length) {
    Log(PDFL_FileSysSetEOF, file, {length});
    const PosixFile* posix = Files().Find(file);
    if (!posix)
        return VIEW_FileErrorCode(EBADF);
    return ResultOf(ftruncate(posix->m_fd, length));
}

PDFL_ErrorCode GetEOF(PDFL_ASFile file, uint32_t* length) {
    Log(PDFL_FileSysGetEOF, file, {});
    const PosixFile* posix = Files().Find(file);
    if (!posix || !length)
        return VIEW_FileErrorCode(posix ? EINVAL : EBADF);
    struct stat info;
    if (fstat(posix->m_fd, &info) != 0)
        return VIEW_FileErrorCode(errno);
    if (static_cast<uint64_t>(info.st_size) > std::numeric_limits<uint32_t>::max())
        return VIEW_FileErrorCode(EFBIG);
    *length = static_cast<uint32_t>(info.st_size);
    return 0;
}

// The byte count of itemSize x count, or false when it does not fit a result.
bool ByteCount(uint32_t itemSize, uint32_t count, uint32_t* bytes) {
    const uint64_t total = static_cast<uint64_t>(itemSize) * count;
    if (total > std::numeric_limits<uint32_t>::max())
        return false;
    *bytes = static_cast<uint32_t>(total);
    return true;
}

uint32_t Read(void* buffer, uint32_t itemSize, uint32_t count, PDFL_ASFile file,
              PDFL_ErrorCode* error) {
    const PosixFile* posix = Files().Find(file);
    uint32_t wanted = 0;
    const bool fits = ByteCount(itemSize, count, &wanted);
    Log(PDFL_FileSysRead, file, {static_cast<uint64_t>(itemSize) * count, PositionOf(posix)});
    if (!posix || !fits || (!buffer && wanted > 0)) {
        StoreError(error, !posix ? EBADF : EINVAL);
        return 0;
    }
    uint32_t done = 0;
    while (done < wanted) {
        const ssize_t got = ::read(posix->m_fd, static_cast<char*>(buffer) + done, wanted - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            StoreError(error, errno);
        if (got <= 0)
            break;
        done += static_cast<uint32_t>(got);
    }
    return done;
}

uint32_t Write(void* buffer, uint32_t itemSize, uint32_t count, PDFL_ASFile file,
               PDFL_ErrorCode* error) {
    const PosixFile* posix = Files().Find(file);
    uint32_t wanted = 0;
    const bool fits = ByteCount(itemSize, count, &wanted);
    Log(PDFL_FileSysWrite, file, {static_cast<uint64_t>(itemSize) * count, PositionOf(posix)});
    if (!posix || !fits || (!buffer && wanted > 0)) {
        StoreError(error, !posix ? EBADF : EINVAL);
        return 0;
    }
    State& state = TheState();
    if (state.m_limitedWrites > 0) {
        --state.m_limitedWrites;
        wanted = std::min(wanted, state.m_writeLimit);
    }
    int failure = 0;
    if (state.m_failedWrites > 0) {
        --state.m_failedWrites;
        failure = state.m_writeError;
    }
    uint32_t done = 0;
    while (done < wanted && failure == 0) {
        const ssize_t put =
            ::write(posix->m_fd, static_cast<const char*>(buffer) + done, wanted - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            failure = errno;
        if (put <= 0)
            break;
        done += static_cast<uint32_t>(put);
    }
    if (failure != 0) {
        StoreError(error, failure);
        // A caller above may keep the code and give one of its own. The
        // procedure is plain C: what the listener throws is not the write's.
        try {
            if (state.m_writeFailed)
                state.m_writeFailed(failure);
        } catch (...) {
        }
    }
    return done;
}

template <int Word>
uintptr_t RecordFile(PDFL_ASFile file) {
    Log(Word, file, {});
    return 0;
}

template <int Word>
uintptr_t RecordFile2(PDFL_ASFile file, uintptr_t a, uintptr_t b) {
    Log(Word, file, {a, b});
    return 0;
}

template <int Word>
uintptr_t RecordFile3(PDFL_ASFile file, uintptr_t a, uintptr_t b, uintptr_t c) {
    Log(Word, file, {a, b, c});
    return 0;
}

// Completes the request at once: all it asked for is done, without error.
template <int Word>
PDFL_ErrorCode ReadRequest(PDFL_ReadRequestRec* request) {
    if (!request)
        return VIEW_FileErrorCode(EINVAL);
    Log(Word, request->m_file, {request->m_requested, request->m_done});
    request->m_done = request->m_requested;
    request->m_error = 0;
    if (request->m_completion)
        request->m_completion(request);
    return 0;
}

template <class Proc>
PDFL_Proc Word(Proc proc) {
    return reinterpret_cast<PDFL_Proc>(proc);
}

PDFL_ASFileSysRec MakeRecord() {
    PDFL_ASFileSysRec record{};
    record.m_size = sizeof(PDFL_ASFileSysRec);
    // Words count from 1; a pointer before the array would be undefined.
    const auto words = [&record](int word) -> PDFL_Proc& { return record.m_procs[word - 1]; };
    words(PDFL_FileSysOpen) = Word(&Open);
    words(PDFL_FileSysClose) = Word(&Close);
    words(PDFL_FileSysFlush) = Word(&Flush);
    words(PDFL_FileSysSetPos) = Word(&SetPos);
    words(PDFL_FileSysGetPos) = Word(&GetPos);
    words(PDFL_FileSysSetEOF) = Word(&SetEOF);
    words(PDFL_FileSysGetEOF) = Word(&GetEOF);
    words(PDFL_FileSysRead) = Word(&Read);
    words(PDFL_FileSysWrite) = Word(&Write);
    words(11) = Word(&RecordFile2<11>);
    words(12) = Word(&RecordFile2<12>);
    words(22) = Word(&RecordFile<22>);
    words(23) = Word(&ReadRequest<23>);
    words(24) = Word(&ReadRequest<24>);
    words(25) = Word(&RecordFile<25>);
    words(26) = Word(&RecordFile<26>);
    words(27) = Word(&RecordFile3<27>);
    words(28) = Word(&RecordFile<28>);
    words(31) = Word(&RecordFile<31>);
    return record;
}

}  // namespace

PDFL_ASFileSys VIEW_FileSys::Default() {
    static PDFL_ASFileSysRec record = MakeRecord();
    return &record;
}

const std::vector<VIEW_FileSysCall>& VIEW_FileSys::Calls() {
    return TheState().m_calls;
}

void VIEW_FileSys::ClearCalls() {
    TheState().m_calls.clear();
}

std::vector<VIEW_FileSysCall> VIEW_FileSys::CallsOf(int word) {
    std::vector<VIEW_FileSysCall> found;
    for (const VIEW_FileSysCall& call : TheState().m_calls)
        if (call.m_word == word)
            found.push_back(call);
    return found;
}

void VIEW_FileSys::FailOpens(uint32_t count) {
    TheState().m_failOpens = count;
}

void VIEW_FileSys::LimitWrites(uint32_t count, uint32_t maxBytes) {
    TheState().m_limitedWrites = count;
    TheState().m_writeLimit = maxBytes;
}

void VIEW_FileSys::FailWrites(uint32_t count, int error) {
    TheState().m_failedWrites = count;
    TheState().m_writeError = error;
}

void VIEW_FileSys::SetWriteFailedListener(std::function<void(int error)> listener) {
    TheState().m_writeFailed = std::move(listener);
}

size_t VIEW_FileSys::OpenCount() {
    return Files().Size();
}

void VIEW_FileSys::Reset() {
    for (auto& entry : Files().Entries())
        ::close(entry.second.m_fd);
    Files().Clear();
    TheState() = State();
}
