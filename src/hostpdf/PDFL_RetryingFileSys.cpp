#include "hostpdf/PDFL_RetryingFileSys.h"

#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "win32/win32.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int OpenCalls = 10;
constexpr DWORD OpenWaitMs = 2000;
constexpr int FurtherWrites = 4;

PDFL_ASFileSys sHostRecord = nullptr;
PDFL_ASFileSys sCopy = nullptr;

template <class Proc>
Proc WordOf(PDFL_ASFileSys record, int word) {
    return reinterpret_cast<Proc>(record->m_procs[word - 1]);
}

// Slot 1, called directly: the host's allocation takes a byte count and
// answers null when it has no memory.
void* HostAllocate(size_t size) {
    const auto allocate = reinterpret_cast<PDFL_AcroSupport_mallocProc>(
        gXCHG_AcroSupportHFT[PDFL_AcroSupport_mallocSlot]);
    return allocate(size);
}

}  // namespace

PDFL_ASFileSys PDFL_ASGetDefaultFileSys() {
    if (sCopy)
        return sCopy;
    const PDFL_ASFileSys host = iPDFL_ASGetHostDefaultFileSys();
    if (!host)
        return nullptr;
    // At least the 32 words the buffered file system copies from it.
    const size_t size = std::max<size_t>(host->m_size, sizeof(PDFL_ASFileSysRec));
    void* block = HostAllocate(size);
    if (!block)
        return host;
    std::memset(block, 0, size);
    std::memcpy(block, host, host->m_size);
    const PDFL_ASFileSys copy = static_cast<PDFL_ASFileSys>(block);
    copy->m_procs[PDFL_FileSysOpen - 1] = reinterpret_cast<PDFL_Proc>(&PDFL_RetryingOpen);
    copy->m_procs[PDFL_FileSysWrite - 1] = reinterpret_cast<PDFL_Proc>(&PDFL_RetryingWrite);
    sHostRecord = host;
    sCopy = copy;
    return copy;
}

PDFL_ErrorCode PDFL_RetryingOpen(PDFL_ASPathName path, uint16_t mode, PDFL_ASFile* file) {
    const auto open = WordOf<PDFL_FileSysOpenProc>(sHostRecord, PDFL_FileSysOpen);
    PDFL_ErrorCode code = 0;
    for (int call = 0; call < OpenCalls; ++call) {
        code = open(path, mode, file);
        if (code == 0)
            return 0;
        Sleep(OpenWaitMs);
    }
    return code;
}

uint32_t PDFL_RetryingWrite(void* buffer, uint32_t itemSize, uint32_t count, PDFL_ASFile file,
                            PDFL_ErrorCode* error) {
    const uint64_t wanted = static_cast<uint64_t>(itemSize) * count;
    if (wanted > UINT32_MAX)
        return 0;
    const uint32_t total = static_cast<uint32_t>(wanted);
    uint32_t start = 0;
    if (WordOf<PDFL_FileSysGetPosProc>(sCopy, PDFL_FileSysGetPos)(file, &start) != 0)
        return 0;
    const auto write = WordOf<PDFL_FileSysReadWriteProc>(sHostRecord, PDFL_FileSysWrite);
    const uint32_t written = write(buffer, itemSize, count, file, error);
    if (written >= total)
        return total;
    const auto setPos = WordOf<PDFL_FileSysSetPosProc>(sCopy, PDFL_FileSysSetPos);
    uint32_t remaining = total - written;
    char* next = static_cast<char*>(buffer) + written;
    for (int attempt = 0; attempt < FurtherWrites && remaining > 0; ++attempt) {
        if (setPos(file, start + (total - remaining)) != 0)
            break;
        const uint32_t more = std::min(write(next, 1, remaining, file, error), remaining);
        remaining -= more;
        next += more;
    }
    return total - remaining;
}

void iPDFL_ForgetRetryingFileSys() {
    if (sCopy)
        PDFL_ASfree(sCopy);
    sHostRecord = nullptr;
    sCopy = nullptr;
}
