#include "Exchange/XCHG/XCHG_PrefsFile.h"

#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_PreferencesDoc.h"
#include "hostpdf/COSF_PDFL_Impl.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "win32/win32.h"

#include <cerrno>
#include <string>

namespace {

void (*sReplaceHook)(const char*) = nullptr;

// Through the host's Cos layer, as the file is read.
bool Write(const char* path, const GLOB_Object& value) {
    GLOB_Doc file = COSF_PDFL_NewDoc();
    try {
        file.Create(GLOB_FileName(path), XCHG_PrefsHeader, 0);
        file.Root().DictPut(GLOB_Name(GLOB_KeyVelmDornapPrefs), value);
        file.Save();
        file.Close();
        return true;
    } catch (const GLIB_Exception& exception) {
        GLIB_LOG(GLIB_LogDebug, "Writing preferences to \"" << path << "\" failed: " << exception.Description());
    }
    if (file.IsOpen()) {
        try {
            file.Close();
        } catch (const GLIB_Exception&) {
        }
    }
    return false;
}

// The buffered host file reports no failure at its close: what reached
// the disk is read back before it may replace anything.
bool ReadsBack(const char* path, const GLOB_Object& value) {
    GLOB_Doc copy = XCHG_NewPrefsDoc();
    bool same = false;
    try {
        same = XCHG_ReadPrefsFile(GLOB_FileName(path), false, copy) == XCHG_PrefsFileState::Read &&
               copy.Root().DictGet(GLOB_Name(GLOB_KeyVelmDornapPrefs)).IsDeepEqual(value);
    } catch (const GLIB_Exception&) {
    }
    copy.Close();
    return same;
}

bool Flush(const char* path) {
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool flushed = FlushFileBuffers(file) != FALSE;
    return CloseHandle(file) != FALSE && flushed;
}

void ReserveNames(const GLOB_Object& value, int depth) {
    // Preferences are shallow; a loop of references ends here.
    if (depth > 32)
        return;
    if (value.IsName()) {
        PDFL_ASAtomFromString(value.AsName().CStr());
    } else if (value.IsArray()) {
        for (uint32_t i = 0; i < value.Length(); ++i)
            ReserveNames(value.Get(i), depth + 1);
    } else if (value.IsDict()) {
        const GLOB_Dict entries = value.AsDict();
        GLOB_Name key;
        GLOB_Object entry;
        for (uint32_t k = 0; entries.Entry(k, &key, &entry); ++k) {
            PDFL_ASAtomFromString(key.CStr());
            ReserveNames(entry, depth + 1);
        }
    }
}

}  // namespace

void XCHG_ReservePrefsNames(const GLOB_Object& value) {
    PDFL_ASAtomFromString(GLOB_KeyVelmDornapPrefs);
    ReserveNames(value, 0);
}

GLOB_Doc XCHG_NewPrefsDoc() {
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    doc.Create(XCHG_PrefsHeader, 0);
    return doc;
}

XCHG_PrefsFileState XCHG_ReadPrefsFile(const GLOB_FileName& fileName, bool writable, const GLOB_Doc& into) {
    // Only a regular file opens: a folder or a FIFO is refused at once.
    const int fd = _open(fileName.NarrowName(), (writable ? _O_RDWR : _O_RDONLY) | _O_BINARY);
    if (fd < 0)
        return errno == ENOENT ? XCHG_PrefsFileState::Missing : XCHG_PrefsFileState::Unusable;
    _close(fd);
    GLOB_Doc file = COSF_PDFL_NewDoc();
    try {
        file.Open(fileName, 0);
        const GLOB_Name key(GLOB_KeyVelmDornapPrefs);
        GLOB_Object stored;
        // DictPut copies the host's objects into the other back-end, so
        // every object the value reaches is read here.
        if (file.Root().Known(key, &stored))
            into.Root().DictPut(key, stored);
        file.Close();
        return XCHG_PrefsFileState::Read;
    } catch (const GLIB_Exception& exception) {
        GLIB_LOG(GLIB_LogDebug, "The preference file \"" << fileName.NarrowName()
                                                         << "\" cannot be read: " << exception.Description());
    }
    if (file.IsOpen()) {
        try {
            file.Close();
        } catch (const GLIB_Exception&) {
        }
    }
    return XCHG_PrefsFileState::Damaged;
}

namespace {

// A link is followed: the file it names is the one replaced, in its own
// folder, and the link stays.
std::string FinalName(const std::string& name) {
    const HANDLE file = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return name;
    char final[MAX_PATH] = "";
    const DWORD length = GetFinalPathNameByHandleA(file, final, MAX_PATH, 0);
    CloseHandle(file);
    return length > 0 && length < MAX_PATH ? std::string(final, length) : name;
}

}  // namespace

bool XCHG_ReplacePrefsFile(const GLOB_FileName& fileName, const GLOB_Object& value) {
    const std::string target = FinalName(fileName.NarrowName());
    const size_t cut = target.find_last_of("\\/");
    const std::string folder = cut == std::string::npos ? "." : target.substr(0, cut);
    // Same folder, so the rename never crosses a file system; made with
    // exclusive creation, so parallel saves never share a name.
    char written[MAX_PATH] = "";
    if (GetTempFileNameA(folder.c_str(), "prf", 0, written) == 0)
        return false;
    bool replaced = Write(written, value) && ReadsBack(written, value) && Flush(written);
    if (replaced && sReplaceHook)
        sReplaceHook(written);
    // The old file's permissions stay with the new one; a first save has
    // none to keep.
    replaced = replaced && (ReplaceFileA(target.c_str(), written, nullptr, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr) ||
                            (GetLastError() == ERROR_FILE_NOT_FOUND &&
                             MoveFileExA(written, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)));
    if (!replaced)
        DeleteFileA(written);
    return replaced;
}

void iXCHG_SetPrefsReplaceHook(void (*hook)(const char* written)) {
    sReplaceHook = hook;
}
