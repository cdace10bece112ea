#include "fileio/MACR_FileSpec.h"

#include "GLIB/GLIB_StringUtil.h"
#include "fileio/MACR_IOException.h"
#include "win32/win32.h"

MACR_FileSpec::MACR_FileSpec() { m_path[0] = '\0'; }

MACR_FileSpec::MACR_FileSpec(const char* path) { SetPath(path); }

void MACR_FileSpec::SetPath(const char* path) { GLIB_StrCopy(m_path, path, MaxPath); }

void MACR_FileSpec::MakeTempFile() {
    char folder[MaxPath];
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetTempPathA(MaxPath, folder);
    MACR_CheckLastError(*this, __FILE__, __LINE__);
    // A folder that does not fit is reported by size alone, not by error.
    if (length == 0 || length >= MaxPath)
        MACR_CheckError(ERROR_FILENAME_EXCED_RANGE, *this, __FILE__, __LINE__);
    SetPath(folder);

    char name[MaxPath];
    SetLastError(ERROR_SUCCESS);
    const UINT unique = GetTempFileNameA(m_path, "VDQ", 0, name);
    MACR_CheckLastError(*this, __FILE__, __LINE__);
    if (unique == 0)
        MACR_CheckError(ERROR_FILE_EXISTS, *this, __FILE__, __LINE__);
    // The empty file stays: deleting it would free the name for anyone to
    // plant a file or link under before our caller creates it.
    SetPath(name);
}

void MACR_DeleteFile(const MACR_FileSpec& fileSpec) {
    SetLastError(ERROR_SUCCESS);
    DeleteFileA(fileSpec.Path());
    MACR_CheckLastError(fileSpec, __FILE__, __LINE__);
}
