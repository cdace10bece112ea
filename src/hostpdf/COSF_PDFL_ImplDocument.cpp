// The document operations of the host back-end: create, open, close, save,
// save as, and the shared-open registry of read-only opens.
#include "hostpdf/COSF_PDFL_Impl.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "hostpdf/COSF_PDFL_Library.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_BufferedFileSys.h"
#include "hostpdf/PDFL_CosCalls.h"
#include "hostpdf/PDFL_PDCalls.h"
#include "win32/win32.h"

#include <cstring>
#include <map>
#include <vector>

namespace {

// Read-only opens of one host PD document. Handles are full width, so a
// C++ map holds them.
struct SharedOpen {
    int32_t m_opens = 0;
    int32_t m_closes = 0;
    std::vector<PDFL_ASFile> m_files;
};

std::map<PDFL_PDDoc, SharedOpen>& Registry() {
    static std::map<PDFL_PDDoc, SharedOpen> registry;
    return registry;
}

class LockHeld {
public:
    LockHeld() { EnterCriticalSection(&COSF_PDFL_Library::Lock()); }
    ~LockHeld() { LeaveCriticalSection(&COSF_PDFL_Library::Lock()); }
    LockHeld(const LockHeld&) = delete;
    LockHeld& operator=(const LockHeld&) = delete;
};

// A host path name, released when it goes.
class HostPath {
public:
    explicit HostPath(const GLOB_FileName& fileName)
        : m_fileSys(PDFL_GetBufferedFileSys()), m_path(PDFL_ASPathFromPlatformPath(fileName.NarrowName())) {}
    ~HostPath() {
        if (m_path)
            PDFL_ASFileSysReleasePath(m_fileSys, m_path);
    }
    HostPath(const HostPath&) = delete;
    HostPath& operator=(const HostPath&) = delete;

    PDFL_ASFileSys FileSys() const { return m_fileSys; }
    PDFL_ASPathName Path() const { return m_path; }
    std::string Display() const {
        char* text = PDFL_ASFileSysDisplayStringFromPath(m_fileSys, m_path, nullptr);
        const std::string display = text ? text : "";
        if (text)
            PDFL_ASfree(text);
        return display;
    }

private:
    PDFL_ASFileSys m_fileSys;
    PDFL_ASPathName m_path;
};

std::string HostText(PDFL_ErrorCode code) {
    char buffer[512] = {};
    const char* text = PDFL_ASGetErrorString(code, buffer, sizeof buffer);
    return text ? text : "";
}

bool StartsWith(const std::string& text, const char* prefix) { return text.compare(0, std::strlen(prefix), prefix) == 0; }

// The first line of a file's first 31 bytes, through the C runtime;
// false when the file cannot be opened.
bool ReadFirstLine(const char* path, bool readOnly, std::string* line) {
    const int fd = _open(path, (readOnly ? _O_RDONLY : _O_RDWR) | _O_BINARY);
    if (fd < 0)
        return false;
    char bytes[31];
    const int got = _read(fd, bytes, sizeof bytes);
    _close(fd);
    line->assign(bytes, got > 0 ? static_cast<size_t>(got) : 0);
    line->erase(std::min(line->find_first_of("\r\n"), line->size()));
    return true;
}

// Old headers make the host's file close fail after a save; 1.3 is the
// oldest that the host writes back safely.
bool RewriteOldHeader(const char* path) {
    const int fd = _open(path, _O_WRONLY | _O_BINARY);
    if (fd < 0)
        return false;
    const bool written = _write(fd, "%PDF-1.3", 8) == 8;
    return _close(fd) == 0 && written;
}

}  // namespace

void COSF_PDFL_Impl::CloseOwned() {
    if (m_ownsDoc && IsOpen())
        Close();
}

void COSF_PDFL_Impl::CreateDocument(const char* header, uint32_t flags) {
    SetHeader(header);
    if (StartsWith(header, "%PDF-")) {
        m_pdDoc = PDFL_PDDocCreate();
        if (!m_pdDoc)
            GLIB_THROW(GLIB_Exception, COSF_PDFL_CreateCode, "Unable to create new PDF Document");
        m_cosDoc = PDFL_PDDocGetCosDoc(m_pdDoc);
        static const char producer[] = "Velm Normalizer KWV";
        PDFL_PDDocSetInfo(m_pdDoc, "Producer", producer, static_cast<int32_t>(strnlen(producer, 64)));
    } else {
        m_cosDoc = PDFL_CosDocCreate(flags);
        if (!m_cosDoc)
            GLIB_THROW(GLIB_Exception, COSF_PDFL_CreateCode, "Unable to create new Cos Document");
    }
    SetFileName(GLOB_FileName(), false);
    SetOpen(true);
    SetDocFlag1(false);
    SetDocFlag2(false);
    m_ownsDoc = true;
}

bool COSF_PDFL_Impl::Create(const char* header, uint32_t flags) {
    COSF_PDFL_ASSERT_INITIALIZED();
    CloseOwned();
    if (!IsHeader(header))
        GLIB_THROW(GLIB_Exception, COSF_PDFL_BadHeaderCode,
                   "Invalid CosDoc header \"" << header << "\"; cannot Create() with this value");
    CreateDocument(header, flags);
    return true;
}

bool COSF_PDFL_Impl::Create(const GLOB_FileName& fileName, const char* header, uint32_t flags) {
    COSF_PDFL_ASSERT_INITIALIZED();
    CloseOwned();
    if (!IsHeader(header))
        GLIB_THROW(GLIB_Exception, COSF_PDFL_BadHeaderCode,
                   "Invalid CosDoc header \"" << header << "\"; cannot Create() with such a value.");
    CreateDocument(header, flags);
    const HostPath path(fileName);
    const PDFL_ErrorCode code = PDFL_ASFileSysOpenFile(path.FileSys(), path.Path(), 7, &m_file);
    if (code != 0) {
        m_file = nullptr;
        const std::string display = path.Display();
        Close();
        GLIB_THROW(GLIB_Exception, COSF_PDFL_CreateCode,
                   "Unable to create a new ASFile for file \"" << display << "\"; error: " << HostText(code));
    }
    PDFL_ASFileSetEOF(m_file, 0);
    SetFileName(fileName, true);
    return true;
}

bool COSF_PDFL_Impl::Open(const GLOB_FileName& fileName, uint32_t flags) {
    COSF_PDFL_ASSERT_INITIALIZED();
    CloseOwned();
    const bool readOnly = (flags & 2) == 0;
    const HostPath path(fileName);
    const std::string display = path.Display();
    std::string header;
    if (!ReadFirstLine(fileName.NarrowName(), readOnly, &header))
        GLIB_THROW(GLIB_Exception, COSF_PDFL_OpenCode,
                   "Unable to open an existing CosDoc for file \"" << display << "\"; the file doesn't exist");
    if (!IsHeader(header.c_str()))
        GLIB_THROW(GLIB_Exception, COSF_PDFL_NotCosDocCode,
                   "File header \"" << header << "\" doesn't look like a CosDoc; cannot open file \"" << display
                                    << "\"");
    SetHeader(header.c_str());
    const bool pdf = StartsWith(header, "%PDF-");
    if (pdf && !readOnly &&
        (StartsWith(header, "%PDF-1.0") || StartsWith(header, "%PDF-1.1") || StartsWith(header, "%PDF-1.2"))) {
        if (RewriteOldHeader(fileName.NarrowName()))
            SetHeader("%PDF-1.3");
        else
            GLIB_LOG(GLIB_LogWarning, "Unable to correct older PDF file header in file: \""
                                          << display << "\"; older files may crash Adobe's PDF Library on "
                                          << "PDFL_ASFileClose() following a save.");
    }
    OpenFromFile(display, path.Path(), flags);
    SetFileName(fileName, true);
    SetOpen(true);
    SetDocFlag1(readOnly);
    SetDocFlag2(true);
    m_ownsDoc = true;
    return true;
}

void COSF_PDFL_Impl::OpenFromFile(const std::string& display, PDFL_ASPathName path, uint32_t flags) {
    const bool readOnly = (flags & 2) == 0;
    PDFL_ASFileSys fileSys = PDFL_GetBufferedFileSys();
    const PDFL_ErrorCode code = PDFL_ASFileSysOpenFile(fileSys, path, readOnly ? 1 : 3, &m_file);
    if (code != 0) {
        m_file = nullptr;
        GLIB_THROW(GLIB_Exception, COSF_PDFL_OpenCode,
                   "Unable to open an existing CosDoc for file \"" << display << "\"; error: " << HostText(code));
    }
    if (StartsWith(Header(), "%PDF-")) {
        try {
            m_pdDoc = PDFL_PDDocOpenFromASFile(m_file, nullptr, static_cast<PDFL_Bool>(flags & 1));
            if (m_pdDoc)
                m_cosDoc = PDFL_PDDocGetCosDoc(m_pdDoc);
        } catch (const GLIB_Exception& e) {
            GLIB_LOG(GLIB_LogDebug, "Failed to open PDF file as PDDoc: \"" << display << "\"; GLIB Exception was: "
                                                                           << e.Description());
            m_pdDoc = nullptr;
        }
        if (m_pdDoc && readOnly)
            RegisterSharedOpen();
    }
    if (m_pdDoc)
        return;
    PDFL_ASFileClose(m_file);
    m_file = nullptr;
    PDFL_CosDocOpenParams params{};
    params.m_size = sizeof params;
    params.m_fileSys = fileSys;
    params.m_pathName = path;
    params.m_header = Header().c_str();
    m_cosDoc = PDFL_CosDocOpenWithParams(&params);
    if (!m_cosDoc)
        GLIB_THROW(GLIB_Exception, COSF_PDFL_OpenCode, "Unable to open an existing CosDoc for file \"" << display << "\"");
}

void COSF_PDFL_Impl::RegisterSharedOpen() {
    const LockHeld held;
    SharedOpen& entry = Registry()[m_pdDoc];
    ++entry.m_opens;
    entry.m_files.push_back(m_file);
}

bool COSF_PDFL_Impl::CloseSharedOpen() {
    const LockHeld held;
    const auto found = Registry().find(m_pdDoc);
    if (found == Registry().end())
        return false;
    SharedOpen& entry = found->second;
    if (entry.m_opens < 1) {
        Registry().erase(found);
        return false;
    }
    if (entry.m_closes + 1 < entry.m_opens) {
        ++entry.m_closes;
        return true;
    }
    const SharedOpen last = entry;
    Registry().erase(found);
    for (int32_t i = 0; i < last.m_opens; ++i)
        PDFL_PDDocClose(m_pdDoc);
    for (PDFL_ASFile file : last.m_files)
        PDFL_ASFileClose(file);
    return true;
}

void COSF_PDFL_Impl::Close() {
    COSF_PDFL_ASSERT_INITIALIZED();
    // A document the host had open stays the host's.
    if (m_ownsDoc) {
        const bool shared = DocFlag1() && m_pdDoc && CloseSharedOpen();
        if (!shared) {
            if (m_pdDoc)
                PDFL_PDDocClose(m_pdDoc);
            else if (m_cosDoc)
                PDFL_CosDocClose(m_cosDoc);
            if (m_file)
                PDFL_ASFileClose(m_file);
        }
    }
    m_pdDoc = nullptr;
    m_cosDoc = nullptr;
    m_file = nullptr;
    SetOpen(false);
    SetDocFlag1(true);
}

void COSF_PDFL_Impl::Save() {
    GLIB_ASSERT(HasFileName());
    if (m_pdDoc) {
        if ((PDFL_PDDocGetFlags(m_pdDoc) & 2) != 0) {
            // A full save writes the whole file anew: the host needs it closed.
            PDFL_ASFileSys fileSys = PDFL_GetBufferedFileSys();
            PDFL_ASPathName path = nullptr;
            if (m_file) {
                fileSys = PDFL_ASFileGetFileSys(m_file);
                path = PDFL_ASFileAcquirePathName(m_file);
                PDFL_ASFileClose(m_file);
                m_file = nullptr;
            } else {
                path = PDFL_ASPathFromPlatformPath(FileName().NarrowName());
            }
            try {
                PDFL_PDDocSave(m_pdDoc, 1, path, nullptr, nullptr, nullptr);
            } catch (...) {
                PDFL_ASFileSysReleasePath(fileSys, path);
                throw;
            }
            PDFL_ASFileSysReleasePath(fileSys, path);
        } else {
            PDFL_PDDocSave(m_pdDoc, 0, nullptr, nullptr, nullptr, nullptr);
        }
    } else {
        PDFL_CosDocSaveParams params{};
        params.m_size = sizeof params;
        params.m_header = Header().c_str();
        PDFL_CosDocSaveWithParams(m_cosDoc, DocFlag2() ? nullptr : m_file, 10, &params);
    }
    SetDocFlag2(true);
}

void COSF_PDFL_Impl::SaveAs(const GLOB_FileName& fileName) {
    const HostPath path(fileName);
    if (m_pdDoc) {
        PDFL_PDDocSave(m_pdDoc, 0x21, path.Path(), path.FileSys(), nullptr, nullptr);
        const LockHeld held;
        const auto found = Registry().find(m_pdDoc);
        // The document now lives in the new file: files kept for the old one
        // are of no further use.
        if (found != Registry().end()) {
            for (PDFL_ASFile file : found->second.m_files)
                PDFL_ASFileClose(file);
            Registry().erase(found);
        } else if (m_file) {
            PDFL_ASFileClose(m_file);
        }
        m_file = nullptr;
    } else {
        if (m_file)
            PDFL_ASFileClose(m_file);
        m_file = nullptr;
        const PDFL_ErrorCode code = PDFL_ASFileSysOpenFile(path.FileSys(), path.Path(), 7, &m_file);
        if (code != 0) {
            m_file = nullptr;
            GLIB_THROW(GLIB_Exception, COSF_PDFL_CreateCode,
                       "Unable to create a new ASFile for file \"" << path.Display()
                                                                   << "\"; error: " << HostText(code));
        }
        PDFL_ASFileSetEOF(m_file, 0);
        PDFL_CosDocSaveParams params{};
        params.m_size = sizeof params;
        params.m_header = Header().c_str();
        PDFL_CosDocSaveToFile(m_cosDoc, m_file, 11, &params);
    }
    SetDocFlag2(true);
    SetFileName(fileName, true);
}

int32_t COSF_PDFL_Impl::FileHandle() {
    void* platformFile = nullptr;
    PDFL_ASFileSys fileSys = nullptr;
    if (!m_file || !PDFL_BufferedFileGetMDFile(m_file, &platformFile, &fileSys))
        return -1;
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(platformFile));
}

bool COSF_PDFL_Impl::HasFileHandle() {
    void* platformFile = nullptr;
    PDFL_ASFileSys fileSys = nullptr;
    return m_file && PDFL_BufferedFileGetMDFile(m_file, &platformFile, &fileSys) != 0;
}
