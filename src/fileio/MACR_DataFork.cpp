#include "fileio/MACR_DataFork.h"

#include "fileio/MACR_IOException.h"
#include "win32/win32.h"

MACR_DataFork::MACR_DataFork() : m_handle(INVALID_HANDLE_VALUE), m_owns(true) {}

MACR_DataFork::~MACR_DataFork() {
    try {
        Close();
    } catch (const MACR_Exception&) {
        // A destructor must not throw; the handle is already forgotten.
    }
}

void MACR_DataFork::SetHandle(void* handle) {
    m_handle = handle;
    m_owns = false;
}

void MACR_DataFork::Close() {
    if (!m_owns || m_handle == INVALID_HANDLE_VALUE) {
        m_handle = INVALID_HANDLE_VALUE;
        m_owns = true;
        return;
    }
    SetLastError(ERROR_SUCCESS);
    CloseHandle(m_handle);
    const DWORD error = GetLastError();
    m_handle = INVALID_HANDLE_VALUE;
    m_owns = true;
    if (error != ERROR_INVALID_HANDLE)
        MACR_CheckError(error, m_fileSpec, __FILE__, __LINE__);
}

void MACR_DataFork::Create(const MACR_FourCharCode&, const MACR_FourCharCode&) { OpenWith(CREATE_ALWAYS, __LINE__); }

void MACR_DataFork::Open() { OpenWith(OPEN_EXISTING, __LINE__); }

void MACR_DataFork::OpenWith(uint32_t disposition, int32_t line) {
    // A second Create or Open would otherwise leak the first handle.
    Close();
    SetLastError(ERROR_SUCCESS);
    const HANDLE handle = CreateFileA(m_fileSpec.Path(), m_permission.DesiredAccess(), m_permission.ShareMode(),
                                      nullptr, disposition, 0, nullptr);
    DWORD error = GetLastError();
    // CREATE_ALWAYS reports the file it replaced; that is success.
    if (disposition == CREATE_ALWAYS && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS))
        error = ERROR_SUCCESS;
    if (handle == INVALID_HANDLE_VALUE && error == ERROR_SUCCESS)
        error = ERROR_INVALID_HANDLE;
    if (handle != INVALID_HANDLE_VALUE && error != ERROR_SUCCESS)
        CloseHandle(handle);
    MACR_CheckError(error, m_fileSpec, __FILE__, line);
    m_handle = handle;
    m_owns = true;
}
