#include "fileio/MACR_Permission.h"

#include "win32/win32.h"

MACR_Permission::MACR_Permission()
    : m_unused(1), m_read(true), m_shareRead(false), m_write(false), m_shareWrite(false) {
    (void)m_unused;
}

uint32_t MACR_Permission::DesiredAccess() const {
    return (m_read ? GENERIC_READ : 0u) | (m_write ? GENERIC_WRITE : 0u);
}

uint32_t MACR_Permission::ShareMode() const {
    return (m_shareRead ? FILE_SHARE_READ : 0u) | (m_shareWrite ? FILE_SHARE_WRITE : 0u);
}
