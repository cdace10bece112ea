// Shell folders, the COM allocator, CreateDirectoryA, message boxes and the
// local time.
#include "win32/win32.h"
#include "win32/win32_clock.h"
#include "win32/win32_driver.h"
#include "win32/win32_path.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <time.h>

// The item list the shell hands out: the folder's path.
struct ITEMIDLIST {
    char m_path[1];
};

namespace {

std::mutex g_mutex;
std::string g_appDataFolder;
bool g_failLocation = false;
bool g_failPath = false;
std::vector<Win32Driver::MessageBoxCall> g_messageBoxes;

// Only absolute folders count, as the XDG base-directory rules say: a
// relative one would be found from wherever the process stands. Empty when
// neither is usable.
std::string DefaultAppDataFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return std::string(config) + "/tintscope";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.config/tintscope";
    return std::string();
}

// Makes each missing folder above path; stops quietly at the first that
// cannot be made.
void MakeParents(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        if (slash + 1 >= path.size())
            break;
        const std::string parent = path.substr(0, slash);
        if (mkdir(parent.c_str(), 0777) != 0 && errno != EEXIST)
            return;
    }
}

class TaskAllocator final : public IMalloc {
public:
    void* Alloc(size_t size) override { return std::malloc(size); }
    void Free(void* block) override { std::free(block); }
    ULONG_PTR Release() override { return 1; }
};

}  // namespace

HRESULT SHGetSpecialFolderLocation(HWND, int folder, LPITEMIDLIST* list) {
    if (list == nullptr)
        return E_FAIL;
    *list = nullptr;
    std::string path;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_failLocation || folder != CSIDL_APPDATA)
            return E_FAIL;
        path = g_appDataFolder.empty() ? DefaultAppDataFolder() : g_appDataFolder;
    }
    if (path.empty())
        return E_FAIL;
    auto* item = static_cast<ITEMIDLIST*>(std::malloc(path.size() + 1));
    if (item == nullptr)
        return E_FAIL;
    std::memcpy(item->m_path, path.c_str(), path.size() + 1);
    *list = item;
    return S_OK;
}

BOOL SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path) {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_failPath)
            return FALSE;
    }
    if (list == nullptr || path == nullptr)
        return FALSE;
    const size_t length = std::strlen(list->m_path);
    if (length >= MAX_PATH)
        return FALSE;
    MakeParents(list->m_path);
    std::memcpy(path, list->m_path, length + 1);
    return TRUE;
}

HRESULT CoGetMalloc(DWORD context, LPMALLOC* malloc) {
    static TaskAllocator allocator;
    if (malloc == nullptr || context != 1)
        return E_FAIL;
    *malloc = &allocator;
    return S_OK;
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
    if (path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (mkdir(PosixPath(path).c_str(), 0777) != 0) {
        // A missing parent is a missing path, as on Windows.
        const int err = errno;
        SetLastError(err == EEXIST ? ERROR_ALREADY_EXISTS
                     : err == ENOENT ? ERROR_PATH_NOT_FOUND
                                     : Win32ErrorFromErrno(err));
        return FALSE;
    }
    return TRUE;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_messageBoxes.push_back({owner, text ? text : "", caption ? caption : "", type});
    return IDOK;
}

void GetLocalTime(SYSTEMTIME* time) {
    if (time == nullptr)
        return;
    tm local{};
    unsigned milliseconds = 0;
    if (Win32Driver::OnTestClock()) {
        const uint64_t now = Win32ClockNow();
        const time_t seconds = static_cast<time_t>(946684800 + now / 1000);  // 2000-01-01
        gmtime_r(&seconds, &local);
        milliseconds = static_cast<unsigned>(now % 1000);
    } else {
        timespec ts;
        clock_gettime(CLOCK_REALTIME, &ts);
        localtime_r(&ts.tv_sec, &local);
        milliseconds = static_cast<unsigned>(ts.tv_nsec / 1000000);
    }
    time->wYear = static_cast<WORD>(local.tm_year + 1900);
    time->wMonth = static_cast<WORD>(local.tm_mon + 1);
    time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    time->wDay = static_cast<WORD>(local.tm_mday);
    time->wHour = static_cast<WORD>(local.tm_hour);
    time->wMinute = static_cast<WORD>(local.tm_min);
    time->wSecond = static_cast<WORD>(local.tm_sec);
    time->wMilliseconds = static_cast<WORD>(milliseconds);
}

namespace Win32Driver {

void SetAppDataFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_appDataFolder = folder;
}

void FailSpecialFolderLocation(bool fail) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_failLocation = fail;
}

void FailPathFromIDList(bool fail) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_failPath = fail;
}

std::vector<MessageBoxCall> MessageBoxes() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_messageBoxes;
}

void ClearMessageBoxes() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_messageBoxes.clear();
}

}  // namespace Win32Driver
