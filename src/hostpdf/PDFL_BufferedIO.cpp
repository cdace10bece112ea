#include "hostpdf/iPDFL_BufferedIO.h"

#include <algorithm>
#include <cstring>

namespace {

// itemSize x count as a byte count; false when it does not fit 32 bits.
bool ByteCount(uint32_t itemSize, uint32_t count, uint32_t* bytes) {
    const uint64_t total = static_cast<uint64_t>(itemSize) * count;
    if (total > UINT32_MAX)
        return false;
    *bytes = static_cast<uint32_t>(total);
    return true;
}

bool Overlaps(const PDFL_FileBuffer& buffer, uint32_t start, uint32_t count) {
    const uint64_t bufferEnd = static_cast<uint64_t>(buffer.m_start) + buffer.m_count;
    const uint64_t end = static_cast<uint64_t>(start) + count;
    return buffer.m_count > 0 && start < bufferEnd && buffer.m_start < end;
}

bool InWindow(const PDFL_FileBuffer& window, uint32_t position, uint32_t count) {
    return window.m_count > 0 && window.m_start <= position &&
           static_cast<uint64_t>(position) + count <=
               static_cast<uint64_t>(window.m_start) + window.m_count;
}

// Fills the window from p with what is left of the file, up to its
// capacity, and copies the first n bytes out. The bytes delivered.
uint32_t ReadThroughWindow(PDFL_BufferedFile& file, uint8_t* destination, uint32_t n,
                           PDFL_ErrorCode* error) {
    PDFL_FileBuffer& window = file.m_read;
    const uint32_t p = file.m_position;
    uint32_t end = 0;
    iPDFL_BaseWord<PDFL_FileSysGetEOFProc>(PDFL_FileSysGetEOF)(file.m_base, &end);
    const uint32_t wanted = std::min(end - p, window.m_capacity);
    const uint32_t got = std::min(
        iPDFL_BaseWord<PDFL_FileSysReadWriteProc>(PDFL_FileSysRead)(window.m_data, 1, wanted,
                                                                     file.m_base, error),
        wanted);
    window.m_start = p;
    window.m_count = got;
    const uint32_t delivered = std::min(n, got);
    std::memcpy(destination, window.m_data, delivered);
    return delivered;
}

}  // namespace

bool iPDFL_WriteOut(PDFL_BufferedFile& file, PDFL_ErrorCode* error) {
    PDFL_FileBuffer& held = file.m_write;
    bool ok = true;
    if (held.m_count > 0) {
        if (iPDFL_BaseWord<PDFL_FileSysSetPosProc>(PDFL_FileSysSetPos)(file.m_base,
                                                                        held.m_start) != 0) {
            ok = false;
        } else {
            const auto write = iPDFL_BaseWord<PDFL_FileSysReadWriteProc>(PDFL_FileSysWrite);
            uint32_t done = 0;
            while (done < held.m_count) {
                const uint32_t left = held.m_count - done;
                const uint32_t put =
                    std::min(write(held.m_data + done, 1, left, file.m_base, error), left);
                if (put == 0) {
                    ok = false;
                    break;
                }
                done += put;
            }
        }
    }
    held.m_count = 0;
    held.m_start = file.m_position;
    return ok;
}

uint32_t PDFL_BufferedRead(void* destination, uint32_t itemSize, uint32_t count,
                           PDFL_ASFile handle, PDFL_ErrorCode* error) {
    uint32_t n = 0;
    if (itemSize == 0 || count == 0 || !ByteCount(itemSize, count, &n))
        return 0;
    PDFL_BufferedFile& file = *PDFL_BufferedFileFromHandle(handle);
    uint8_t* const to = static_cast<uint8_t*>(destination);
    uint32_t delivered = 0;
    if (InWindow(file.m_read, file.m_position, n)) {
        std::memcpy(to, file.m_read.m_data + (file.m_position - file.m_read.m_start), n);
        delivered = n;
    } else {
        // The base must hold what the host wrote before it is read back.
        if (!iPDFL_WriteOut(file, error))
            return 0;
        if (iPDFL_BaseWord<PDFL_FileSysSetPosProc>(PDFL_FileSysSetPos)(file.m_base,
                                                                        file.m_position) != 0)
            return 0;
        if (n > file.m_read.m_capacity)
            delivered = std::min(iPDFL_BaseWord<PDFL_FileSysReadWriteProc>(PDFL_FileSysRead)(
                                     to, 1, n, file.m_base, error),
                                 n);
        else
            delivered = ReadThroughWindow(file, to, n, error);
    }
    file.m_position += delivered;
    return delivered;
}

uint32_t PDFL_BufferedWrite(void* source, uint32_t itemSize, uint32_t count, PDFL_ASFile handle,
                            PDFL_ErrorCode* error) {
    uint32_t total = 0;
    if (itemSize == 0 || count == 0 || !ByteCount(itemSize, count, &total))
        return 0;
    PDFL_BufferedFile& file = *PDFL_BufferedFileFromHandle(handle);
    PDFL_FileBuffer& held = file.m_write;
    // A window showing bytes this write replaces would read them stale.
    if (Overlaps(file.m_read, file.m_position, total))
        file.m_read.m_count = 0;
    PDFL_ErrorCode local = 0;
    PDFL_ErrorCode* const errorAddress = error ? error : &local;
    const uint8_t* from = static_cast<const uint8_t*>(source);
    uint32_t remaining = total;
    while (remaining > 0) {
        if (file.m_position == held.m_start + held.m_count && held.m_count < held.m_capacity) {
            const uint32_t take = std::min(remaining, held.m_capacity - held.m_count);
            std::memcpy(held.m_data + held.m_count, from, take);
            held.m_count += take;
            file.m_position += take;
            from += take;
            remaining -= take;
        }
        if (remaining > 0 && !iPDFL_WriteOut(file, errorAddress)) {
            file.m_error = *errorAddress;
            return 0;
        }
        if (remaining > 0 && held.m_capacity == 0) {
            // No room at all: straight to the base at the position.
            if (iPDFL_BaseWord<PDFL_FileSysSetPosProc>(PDFL_FileSysSetPos)(
                    file.m_base, file.m_position) != 0)
                break;
            const uint32_t put = std::min(
                iPDFL_BaseWord<PDFL_FileSysReadWriteProc>(PDFL_FileSysWrite)(
                    const_cast<uint8_t*>(from), 1, remaining, file.m_base, errorAddress),
                remaining);
            file.m_position += put;
            remaining -= put;
            if (put == 0)
                break;
        }
    }
    return total - remaining;
}
