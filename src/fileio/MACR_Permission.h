// Access and sharing wanted when a fork opens its file.
#pragma once

#include <cstdint>

class MACR_Permission {
public:
    // Read only, no sharing.
    MACR_Permission();

    bool Read() const { return m_read; }
    bool ShareRead() const { return m_shareRead; }
    bool Write() const { return m_write; }
    bool ShareWrite() const { return m_shareWrite; }
    void SetRead(bool on) { m_read = on; }
    void SetShareRead(bool on) { m_shareRead = on; }
    void SetWrite(bool on) { m_write = on; }
    void SetShareWrite(bool on) { m_shareWrite = on; }

    // GENERIC_READ and GENERIC_WRITE for the flags set.
    uint32_t DesiredAccess() const;
    // FILE_SHARE_READ and FILE_SHARE_WRITE for the flags set.
    uint32_t ShareMode() const;

private:
    int32_t m_unused;  // kept by the two-fork file systems, not here
    bool m_read;
    bool m_shareRead;
    bool m_write;
    bool m_shareWrite;
};
