#include "Exchange/XCHG/XCHG_PrefsFile.h"

#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_DepthGuard.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Impl.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_PreferencesDoc.h"
#include "hostpdf/COSF_PDFL_Impl.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "win32/win32.h"

#include <cerrno>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

void (*sReplaceHook)(const char*) = nullptr;
void (*sTargetHook)(const char*) = nullptr;

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

// Counts the keys and name values a copy of the host's objects would give
// an atom, from the values alone, which makes none; each indirect object
// once, as the copy takes it once.
class NameCount {
public:
    explicit NameCount(size_t limit) : m_left(limit) {}
    // False as soon as more names than the limit were met.
    bool Walk(const GLOB_Object& value);

private:
    bool Met(size_t names) {
        const bool within = names <= m_left;
        m_left = within ? m_left - names : 0;
        return within;
    }

    size_t m_left;
    std::set<std::pair<int32_t, int32_t>> m_seen;
    GLOB_DepthGuard* m_innermost = nullptr;
};

bool NameCount::Walk(const GLOB_Object& value) {
    if (value.IsName())
        return Met(1);
    if (!value.IsArray() && !value.IsDict() && !value.IsStream())
        return true;
    GLOB_Impl* impl = value.GetImpl();
    if (value.IsIndirect() &&
        !m_seen.emplace(impl->ObjectNumber(value), impl->GenerationNumber(value)).second)
        return true;
    const GLOB_DepthGuard level(m_innermost, "XCHG_ReadPrefsFile", &value);
    std::vector<GLOB_Object> items;
    if (value.IsArray()) {
        for (uint32_t i = 0; i < value.Length(); ++i)
            items.push_back(value.Get(i));
    } else {
        impl->DictValues(value.IsStream() ? value.StreamDict() : value, items);
        if (!Met(items.size()))
            return false;
    }
    for (const GLOB_Object& item : items)
        if (!Walk(item))
            return false;
    return true;
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
        const bool known = file.Root().Known(key, &stored);
        // The host's atoms last as long as the process: a file that would
        // fill their table is refused before a name is copied.
        const bool fits = !known || NameCount(XCHG_MaxPrefsNames).Walk(stored);
        // DictPut copies the host's objects into the other back-end, so
        // every object the value reaches is read here.
        if (known && fits)
            into.Root().DictPut(key, stored);
        if (fits) {
            file.Close();
            return XCHG_PrefsFileState::Read;
        }
        GLIB_LOG(GLIB_LogDebug, "The preference file \"" << fileName.NarrowName() << "\" holds more than "
                                                         << XCHG_MaxPrefsNames << " names");
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

// A link to a file not yet made: the file is made where the link points,
// to learn where that is, and removed before the save puts its own there.
HANDLE MadeThroughLink(const std::string& name) {
    const DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return INVALID_HANDLE_VALUE;
    const HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

// Another run's rename that lands while a link's file is found makes that
// try find nothing; rarely more than one try fails.
constexpr int kFindTries = 16;

bool SameFile(HANDLE one, HANDLE other) {
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    return GetFileInformationByHandle(one, &a) && GetFileInformationByHandle(other, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// The path of the open file, when that path leads to it: the path a handle
// gives goes stale once another run renames its new file over the one
// opened, and then names a removed file.
bool PathOf(HANDLE file, std::string* path) {
    std::vector<char> final(MAX_PATH);
    const DWORD length = GetFinalPathNameByHandleA(file, final.data(), MAX_PATH, 0);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const std::string found(final.data(), length);
    const HANDLE named = CreateFileA(found.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    if (named == INVALID_HANDLE_VALUE)
        return false;
    const bool same = SameFile(file, named);
    CloseHandle(named);
    if (same)
        *path = found;
    return same;
}

// A link is followed: the file it names is the one replaced, in its own
// folder, and the link stays. Anything else is replaced under its own name,
// whatever another run renames over it meanwhile.
std::string FinalName(const std::string& name) {
    const DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        if (sTargetHook)
            sTargetHook(name.c_str());
        return name;
    }
    for (int tries = 0; tries < kFindTries; ++tries) {
        HANDLE file = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        const bool made = file == INVALID_HANDLE_VALUE && (file = MadeThroughLink(name)) != INVALID_HANDLE_VALUE;
        if (file == INVALID_HANDLE_VALUE)
            return name;
        if (sTargetHook)
            sTargetHook(name.c_str());
        std::string path;
        const bool found = PathOf(file, &path);
        CloseHandle(file);
        if (found) {
            if (made)
                DeleteFileA(path.c_str());
            return path;
        }
    }
    // The link itself, which no replace takes: the save fails.
    return name;
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

void iXCHG_SetPrefsTargetHook(void (*hook)(const char* name)) {
    sTargetHook = hook;
}
